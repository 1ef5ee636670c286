#include "ui/faces_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "render/direct3d.h"
#include "render/material_preview.h"
#include "scene/brush.h"
#include "scene/face.h"
#include "scene/material.h"
#include "ui/faces_preview_wnd.h"
#include "ui/main_frame.h"
#include "ui/material_combo_box.h"
#include "ui/material_workshop_dlg.h"
#include "ui/page_undo_step.h"

namespace
{
constexpr int kContentHeight = 522;
constexpr int kBlendNone = 255;
constexpr int kDefaultSource = 4, kDefaultDest = 5; // "Src Alpha", "InvSrc Alpha"
constexpr int kNoFaceSource = 1, kNoFaceDest = 0;   // "One", "Zero"

// The style boxes, top to bottom, with their bits.
struct ZNSTYLEBOX {
    const char *text;
    DWORD bit;
};
constexpr ZNSTYLEBOX kStyleBoxes[5] = {
    {"Lock UV's", ZNFACESTYLE_LOCKUV},    {"Sky Box", ZNFACESTYLE_SKYBOX},   {"Full Bright", ZNFACESTYLE_FULLBRIGHT},
    {"Invisible", ZNFACESTYLE_INVISIBLE}, {"2 Sided", ZNFACESTYLE_TWOSIDED},
};

// The blend factors in Direct3D's order.
constexpr const char *kBlendFactors[] = {"Zero",       "One",          "Src Color",  "InvSrc Color",
                                         "Src Alpha",  "InvSrc Alpha", "Dest Alpha", "InvDest Alpha",
                                         "Dest Color", "InvDest Color"};

// The main window the page stands in, also while the options dock floats.
CZNMainFrame *MainFrameOf(QWidget *widget)
{
    for (; widget; widget = widget->parentWidget())
        if (auto *frame = qobject_cast<CZNMainFrame *>(widget))
            return frame;
    return nullptr;
}

QString IndexText(int index)
{
    return index == -1 ? QStringLiteral("N/A") : QString::number(index);
}
} // namespace

CZNFacesPage::CZNFacesPage(QWidget *parent) : CZNOptionsPage(QStringLiteral("Faces"), kContentHeight, parent)
{
    QWidget *content = GetContent();
    const int width = 146;
    // The page's controls in an 8-point font, as the page's dialog template has them.
    QFont font = content->font();
    font.setPointSize(8);
    content->setFont(font);

    auto *styles = new QGroupBox(QStringLiteral("Face Settings"), content);
    styles->setGeometry(4, 4, width, 102);
    for (int i = 0; i < 5; ++i) {
        m_StyleBoxes[i] = new QCheckBox(QString::fromLatin1(kStyleBoxes[i].text), styles);
        m_StyleBoxes[i]->setGeometry(8, 18 + 16 * i, width - 16, 16);
        connect(m_StyleBoxes[i], &QCheckBox::clicked, this, &CZNFacesPage::OnFaceStyle);
    }

    auto *blending = new QGroupBox(QStringLiteral("Alpha Blending"), content);
    blending->setGeometry(4, 110, width, 120);
    m_AlphaBlend = new QCheckBox(QStringLiteral("Alpha Blend"), blending);
    m_AlphaBlend->setGeometry(8, 18, width - 16, 16);
    m_SrcLabel = new QLabel(QStringLiteral("Source Blend Factor"), blending);
    m_SrcLabel->setGeometry(8, 38, width - 16, 14);
    m_SrcBlend = new QComboBox(blending);
    m_SrcBlend->setObjectName(QStringLiteral("SourceBlend"));
    m_SrcBlend->setGeometry(8, 53, width - 16, 22);
    m_DestLabel = new QLabel(QStringLiteral("Dest Blend Factor"), blending);
    m_DestLabel->setGeometry(8, 78, width - 16, 14);
    m_DestBlend = new QComboBox(blending);
    m_DestBlend->setObjectName(QStringLiteral("DestBlend"));
    m_DestBlend->setGeometry(8, 93, width - 16, 22);
    for (QComboBox *combo : {m_SrcBlend, m_DestBlend}) {
        combo->setMaxVisibleItems(420 / 18);
        connect(combo, &QComboBox::activated, this, &CZNFacesPage::OnAlphaBlend);
    }
    connect(m_AlphaBlend, &QCheckBox::clicked, this, &CZNFacesPage::OnAlphaBlend);

    auto *material = new QGroupBox(QStringLiteral("Material Properties"), content);
    material->setGeometry(4, 234, width, 226);
    m_Materials = new CZNMaterialComboBox(material);
    m_Materials->setGeometry(8, 18, width - 16, 24);
    connect(m_Materials, &QComboBox::activated, this, &CZNFacesPage::OnSelectMaterial);
    m_Preview = new CZNFacesPreviewWnd(material);
    m_Preview->setGeometry((width - 122) / 2, 46, 122, 122);
    m_MaterialSettings = new QPushButton(QStringLiteral(" Material Settings"), material);
    m_MaterialSettings->setGeometry(8, 172, width - 16, 22);
    m_CreateMaterial = new QPushButton(QStringLiteral("Create New Material"), material);
    m_CreateMaterial->setGeometry(8, 198, width - 16, 22);
    connect(m_MaterialSettings, &QPushButton::clicked, this, &CZNFacesPage::OnMaterialSettings);
    connect(m_CreateMaterial, &QPushButton::clicked, this, &CZNFacesPage::OnCreateNewMaterial);

    auto *information = new QGroupBox(QStringLiteral("Face Information"), content);
    information->setGeometry(4, 464, width, 54);
    auto *faceText = new QLabel(QStringLiteral("Face Index    : "), information);
    faceText->setGeometry(8, 18, 80, 14);
    m_FaceIndex = new QLabel(QStringLiteral("N/A"), information);
    m_FaceIndex->setObjectName(QStringLiteral("FaceIndex"));
    m_FaceIndex->setGeometry(88, 18, width - 96, 14);
    auto *vertexText = new QLabel(QStringLiteral("Vertex Index : "), information);
    vertexText->setGeometry(8, 34, 80, 14);
    m_VertexIndex = new QLabel(QStringLiteral("N/A"), information);
    m_VertexIndex->setObjectName(QStringLiteral("VertexIndex"));
    m_VertexIndex->setGeometry(88, 34, width - 96, 14);
}

QCheckBox *CZNFacesPage::GetStyleBox(DWORD bit) const
{
    for (int i = 0; i < 5; ++i)
        if (kStyleBoxes[i].bit == bit)
            return m_StyleBoxes[i];
    return nullptr;
}

void CZNFacesPage::OnInitDialog()
{
    SetEditsEnabled(false);
    ZNFACE *face = GetEditorApp()->GetSelectionBand()->GetFirstFaceInfo(nullptr, nullptr);
    for (QComboBox *combo : {m_SrcBlend, m_DestBlend})
        for (const char *name : kBlendFactors)
            combo->addItem(QString::fromLatin1(name));
    RefreshMaterialList();
    UpdateFromFace(face);
    SetEditsEnabled(true);
}

void CZNFacesPage::OnSetActive()
{
    CZNOptionsPage::OnSetActive();
    ZNFACE *face = GetEditorApp()->GetSelectionBand()->GetFirstFaceInfo(nullptr, nullptr);
    SetEditsEnabled(false);
    UpdateFromFace(face);
    SetEditsEnabled(true);
}

void CZNFacesPage::RefreshFromSelection()
{
    ZNFACE *face = GetEditorApp()->GetSelectionBand()->GetFirstFaceInfo(nullptr, nullptr);
    EnableEdits(0);
    UpdateFromFace(face);
    EnableEdits(1);
    m_Preview->update();
}

void CZNFacesPage::RefreshMaterialList()
{
    if (!IsInitialized())
        return;
    CZNEDITORApp *app = GetEditorApp();
    CZN3D *d3d = app->Get3D();
    m_Materials->clear();
    const DWORD count = d3d ? d3d->GetMaterialList()->GetElementCount() : 0;
    for (DWORD i = 0; i < count; ++i) {
        CZNMATERIAL *record = d3d->GetMaterialRecord(i);
        m_Materials->addItem(QString::fromLatin1(record ? record->GetName() : ""));
    }
    // New and Open cut the material list: a sphere left on a record that is gone shows material 0.
    ZNBRUSH *sphere = app->GetMaterialPreviewBrush();
    const ZNFACE *face = sphere ? sphere->GetFace(0) : nullptr;
    LONG material = face ? face->GetMaterial() : 0;
    if (sphere && (material < 0 || static_cast<DWORD>(material) >= count)) {
        material = 0;
        sphere->SetMaterial(0);
    }
    m_Materials->setCurrentIndex(static_cast<int>(material) < m_Materials->count() ? static_cast<int>(material) : -1);
    m_Preview->update();
    UpdateWorkshopButton();
}

void CZNFacesPage::UpdateFromFace(ZNFACE *face)
{
    CZNEDITORApp *app = GetEditorApp();
    if (!face) {
        m_FaceIndex->setText(QStringLiteral("N/A"));
        m_VertexIndex->setText(QStringLiteral("N/A"));
        for (QCheckBox *box : m_StyleBoxes)
            box->setChecked(false);
        m_Materials->setCurrentIndex(m_Materials->count() > 0 ? 0 : -1);
        m_AlphaBlend->setChecked(false);
        m_SrcBlend->setCurrentIndex(kNoFaceSource);
        m_DestBlend->setCurrentIndex(kNoFaceDest);
        EnableBlendControls(false);
        if (ZNBRUSH *sphere = app->GetMaterialPreviewBrush()) {
            sphere->SetMaterial(0);
            CZN3D *d3d = app->Get3D();
            CZNTexture *texture = CZNMaterialPreview::GetPreviewTexture(d3d ? d3d->GetMaterialRecord(0) : nullptr);
            sphere->SetTexture(texture ? texture : app->GetMaterialPreviewTexture(), 1);
        }
        m_Preview->update();
        UpdateWorkshopButton();
        return;
    }
    int faceIndex = -1, vertexIndex = -1;
    app->GetSelectionBand()->GetFirstFaceInfo(&faceIndex, &vertexIndex);
    m_FaceIndex->setText(IndexText(faceIndex));
    m_VertexIndex->setText(IndexText(vertexIndex));
    const LONG material = face->GetMaterial();
    m_Materials->setCurrentIndex(material >= 0 && material < m_Materials->count() ? static_cast<int>(material) : -1);
    const int source = static_cast<BYTE>(face->m_SrcBlend), dest = static_cast<BYTE>(face->m_DestBlend);
    const bool blended = source != kBlendNone && dest != kBlendNone;
    m_AlphaBlend->setChecked(blended);
    m_SrcBlend->setCurrentIndex(blended ? source : kDefaultSource);
    m_DestBlend->setCurrentIndex(blended ? dest : kDefaultDest);
    EnableBlendControls(blended);
    for (int i = 0; i < 5; ++i)
        m_StyleBoxes[i]->setChecked((face->m_Style & kStyleBoxes[i].bit) != 0);
    SetPreviewMaterial(material);
}

void CZNFacesPage::EnableBlendControls(bool enable)
{
    m_SrcBlend->setEnabled(enable);
    m_DestBlend->setEnabled(enable);
    m_SrcLabel->setEnabled(enable);
    m_DestLabel->setEnabled(enable);
}

void CZNFacesPage::SetPreviewMaterial(LONG material)
{
    if (ZNBRUSH *sphere = GetEditorApp()->GetMaterialPreviewBrush())
        sphere->SetMaterial(material);
    m_Preview->update();
    UpdateWorkshopButton();
}

void CZNFacesPage::OnSelectMaterial(int index)
{
    if (!AreEditsEnabled() || index < 0)
        return;
    ZnPageUndoStep(60, "Set Material", [index](CZNSelectionBand *band) { band->SetMaterial(index); });
    SetPreviewMaterial(index);
}

void CZNFacesPage::OnAlphaBlend()
{
    const bool checked = m_AlphaBlend->isChecked();
    EnableBlendControls(checked);
    if (!AreEditsEnabled())
        return;
    const int source = checked ? m_SrcBlend->currentIndex() : kBlendNone;
    const int dest = checked ? m_DestBlend->currentIndex() : kBlendNone;
    ZnPageUndoStep(62, "Modify Alpha Modes", [source, dest](CZNSelectionBand *band) {
        band->SetAlphaBlend(static_cast<int8_t>(source), static_cast<int8_t>(dest));
    });
}

void CZNFacesPage::OnFaceStyle()
{
    if (!AreEditsEnabled())
        return;
    DWORD style = 0;
    for (int i = 0; i < 5; ++i)
        if (m_StyleBoxes[i]->isChecked())
            style |= kStyleBoxes[i].bit;
    ZnPageUndoStep(61, "Modify Face Style", [style](CZNSelectionBand *band) { band->SetFaceStyle(style); });
}

void CZNFacesPage::UpdateWorkshopButton()
{
    m_MaterialSettings->setEnabled(CZNMaterialWorkshopDlg::GetEditedMaterial() != nullptr);
}

void CZNFacesPage::OnMaterialSettings()
{
    CZNMaterialWorkshopDlg workshop(MainFrameOf(this));
    // The workshop needs a record to edit; without one it does not open.
    if (!workshop.Run())
        return;
    // The workshop may have renamed the material; it wrote no undo record.
    RefreshMaterialList();
    if (CZNEDITORDoc *doc = GetEditorApp()->GetDocument())
        doc->SetModifiedFlag(TRUE);
}

void CZNFacesPage::OnCreateNewMaterial()
{
    CZNEDITORApp *app = GetEditorApp();
    CZN3D *d3d = app->Get3D();
    const int material = d3d ? d3d->AddMaterial() : -1;
    if (material < 0) {
        app->GetReporter()->Message("A New Material could not be created", "TOVRA", MB_OK);
        return;
    }
    d3d->GetMaterialRecord(static_cast<DWORD>(material))->SetName("New Material");
    if (ZNBRUSH *sphere = app->GetMaterialPreviewBrush()) {
        sphere->SetMaterial(material);
        sphere->SetTexture(app->GetMaterialPreviewTexture(), 1);
    }
    ZnPageUndoStep(60, "Set Material", [material](CZNSelectionBand *band) { band->SetMaterial(material); });
    CZNMaterialWorkshopDlg workshop(MainFrameOf(this));
    workshop.Run();
    if (CZNEDITORDoc *doc = app->GetDocument())
        doc->SetModifiedFlag(TRUE);
    RefreshMaterialList();
}
