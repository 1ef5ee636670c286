#include "ui/textures_page.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/editor_app.h"
#include "editor/selection_band.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "scene/face.h"
#include "ui/num_spin_ctrl.h"
#include "ui/page_undo_step.h"
#include "ui/texture_combo_box.h"
#include "ui/texture_preview_wnd.h"

namespace
{
constexpr int kContentHeight = 540;
constexpr int kTypedLength = 1023;

enum ZNMAPPINGMODE : BYTE {
    MAPPING_WORLD = 1,
    MAPPING_SPHERICAL = 2,
    MAPPING_CYLINDRICAL = 3,
    MAPPING_PLANAR_XY = 4,
    MAPPING_PLANAR_XZ = 5,
    MAPPING_PLANAR_YZ = 6,
};
constexpr int kPlanarItem = 3;

// Each spin: its label, range and step, and the undo step and setter its edits write.
struct ZNSPINDEF {
    const char *label;
    double minimum, maximum, step;
    DWORD undoKind;
    const char *undoText;
    void (CZNSelectionBand::*setter)(float);
};
const ZNSPINDEF kSpins[CZNTexturesPage::SPIN_COUNT] = {
    {"U : Offset", -10000.0, 10000.0, 0.5, 41, "Modify Texture UPos", &CZNSelectionBand::SetTextureUPos},
    {"V : Offset", -10000.0, 10000.0, 0.5, 41, "Modify Texture VPos", &CZNSelectionBand::SetTextureVPos},
    {"U : Scale", -10000.0, 10000.0, 0.005, 42, "Modify Texture UWrap", &CZNSelectionBand::SetTextureUWrap},
    {"V : Scale", -10000.0, 10000.0, 0.005, 42, "Modify Texture VWrap", &CZNSelectionBand::SetTextureVWrap},
    {"Rotate Angle", 0.0, 6.28, 0.087222222, 43, "Modify Texture Rotation", nullptr},
    {"U : Pos", -10000.0, 10000.0, 0.05, 45, "Modify U Tex Coord", &CZNSelectionBand::SetTexCoordU},
    {"V : Pos", -10000.0, 10000.0, 0.05, 45, "Modify V Tex Coord", &CZNSelectionBand::SetTexCoordV},
};

bool IsPlanar(BYTE mode)
{
    return mode >= MAPPING_PLANAR_XY && mode <= MAPPING_PLANAR_YZ;
}

ZNFACE *FirstFace()
{
    return GetEditorApp()->GetSelectionBand()->GetFirstFaceInfo(nullptr, nullptr);
}

// A spin row: label on the left, the spin on the right.
CZNNumSpinCtrl *SpinRow(QWidget *parent, const char *label, int y, int width)
{
    auto *text = new QLabel(QString::fromLatin1(label), parent);
    text->setGeometry(6, y + 3, 74, 14);
    auto *spin = new CZNNumSpinCtrl(parent);
    spin->setObjectName(QString::fromLatin1(label));
    spin->setGeometry(80, y, width - 86, 20);
    return spin;
}

QRadioButton *Radio(QWidget *parent, const char *text, int x, int y, QButtonGroup *group, int id)
{
    auto *button = new QRadioButton(QString::fromLatin1(text), parent);
    button->setGeometry(x, y, 42, 16);
    group->addButton(button, id);
    return button;
}
} // namespace

CZNTexturesPage::CZNTexturesPage(QWidget *parent) : CZNOptionsPage(QStringLiteral("Textures"), kContentHeight, parent)
{
    QWidget *content = GetContent();
    const int width = 146;
    // The page's controls in an 8-point font, as the page's dialog template has them.
    QFont font = content->font();
    font.setPointSize(8);
    content->setFont(font);

    auto *current = new QLabel(QStringLiteral("Current Texture"), content);
    current->setGeometry(6, 4, width, 14);
    m_Textures = new CZNTextureComboBox(content);
    m_Textures->setGeometry(4, 19, width, 24);
    m_Preview = new CZNTexturePreviewWnd(content);
    m_Preview->setGeometry(4, 47, width, 76);
    m_Apply = new QPushButton(QStringLiteral("Apply"), content);
    m_Apply->setGeometry(4, 127, 71, 22);
    m_Remove = new QPushButton(QStringLiteral("Remove"), content);
    m_Remove->setGeometry(79, 127, 71, 22);

    auto *options = new QGroupBox(QStringLiteral("Texture Options"), content);
    options->setGeometry(4, 153, width, 94);
    auto *mappingLabel = new QLabel(QStringLiteral("U / V Mapping Mode"), options);
    mappingLabel->setGeometry(8, 16, width - 16, 14);
    m_Mapping = new QComboBox(options);
    m_Mapping->setObjectName(QStringLiteral("MappingMode"));
    m_Mapping->setGeometry(8, 31, width - 16, 22);
    auto *planarLabel = new QLabel(QStringLiteral("Planar Map Type"), options);
    planarLabel->setGeometry(8, 56, width - 16, 14);
    m_PlanarGroup = new QButtonGroup(this);
    m_Planar[0] = Radio(options, "XY", 8, 72, m_PlanarGroup, 0);
    m_Planar[1] = Radio(options, "XZ", 52, 72, m_PlanarGroup, 1);
    m_Planar[2] = Radio(options, "YZ", 96, 72, m_PlanarGroup, 2);

    auto *settings = new QGroupBox(QStringLiteral("U / V Settings"), content);
    settings->setGeometry(4, 251, width, 150);
    for (int i = SPIN_UOFFSET; i <= SPIN_ROTATION; ++i)
        m_Spins[i] = SpinRow(settings, kSpins[i].label, 16 + 22 * i, width);
    m_AxisGroup = new QButtonGroup(this);
    m_Axis[0] = Radio(settings, "X", 8, 128, m_AxisGroup, 0);
    m_Axis[1] = Radio(settings, "Y", 52, 128, m_AxisGroup, 1);
    m_Axis[2] = Radio(settings, "Z", 96, 128, m_AxisGroup, 2);

    m_Manual = new QGroupBox(QStringLiteral("Manual Vertex U/V Editing"), content);
    m_Manual->setObjectName(QStringLiteral("ManualUV"));
    m_Manual->setGeometry(4, 405, width, 66);
    m_Spins[SPIN_UPOS] = SpinRow(m_Manual, kSpins[SPIN_UPOS].label, 18, width);
    m_Spins[SPIN_VPOS] = SpinRow(m_Manual, kSpins[SPIN_VPOS].label, 41, width);
    const QList<QLabel *> manualLabels = m_Manual->findChildren<QLabel *>();
    m_ManualLabels[0] = manualLabels.value(0);
    m_ManualLabels[1] = manualLabels.value(1);

    m_SetOrigin = new QPushButton(QStringLiteral("Set Mapping Origin"), content);
    m_SetOrigin->setGeometry(4, 477, width, 24);
    m_ResetOrigin = new QPushButton(QStringLiteral("Reset Mapping Origin"), content);
    m_ResetOrigin->setGeometry(4, 505, width, 24);

    for (int i = 0; i < SPIN_COUNT; ++i)
        connect(m_Spins[i]->GetBuddy(), &QLineEdit::textChanged, this, [this, i] { OnValueChanged(i); });
    connect(m_Mapping, &QComboBox::activated, this, &CZNTexturesPage::OnMappingMode);
    connect(m_PlanarGroup, &QButtonGroup::buttonClicked, this, &CZNTexturesPage::OnPlanarClicked);
    connect(m_AxisGroup, &QButtonGroup::buttonClicked, this, &CZNTexturesPage::OnAxisClicked);
    connect(m_Textures, &QComboBox::activated, this, &CZNTexturesPage::OnSelectTexture);
    connect(m_Textures->lineEdit(), &QLineEdit::textEdited, this, &CZNTexturesPage::OnTextureTyped);
    connect(m_Apply, &QPushButton::clicked, this, [this] {
        if (!AreEditsEnabled())
            return;
        CZNTexture *texture = GetEditorApp()->GetTextureManager()->GetCurrentTexture();
        ZnPageUndoStep(40, "Set Texture", [texture](CZNSelectionBand *band) { band->SetTexture(texture); });
    });
    connect(m_Remove, &QPushButton::clicked, this, [this] {
        if (AreEditsEnabled())
            ZnPageUndoStep(40, "Set Texture", [](CZNSelectionBand *band) { band->SetTexture(nullptr); });
    });
    connect(m_SetOrigin, &QPushButton::clicked, this, [this] {
        if (AreEditsEnabled())
            ZnPageUndoStep(111, "Set Mapping Origin",
                           [](CZNSelectionBand *band) { band->CalculateWorldTextureCoords(1); });
    });
    connect(m_ResetOrigin, &QPushButton::clicked, this, [this] {
        if (AreEditsEnabled())
            GetEditorApp()->GetSelectionBand()->CalculateWorldTextureCoords(0);
    });
}

void CZNTexturesPage::OnInitDialog()
{
    SetEditsEnabled(false);
    ZNFACE *face = FirstFace();
    for (int i = 0; i < SPIN_COUNT; ++i) {
        m_Spins[i]->SetPrecision(4);
        m_Spins[i]->SetRange(kSpins[i].minimum, kSpins[i].maximum, kSpins[i].step);
    }
    m_Mapping->setMaxVisibleItems(420 / 18);
    for (const char *mode : {"World", "Spherical", "Cylindrical", "Planar"})
        m_Mapping->addItem(QString::fromLatin1(mode));
    m_Axis[0]->setChecked(true);
    UpdateFromFace(face);
    CZNTextureManager *manager = GetEditorApp()->GetTextureManager();
    for (CZNTexture *texture = manager->GetFirstTexture(); texture; texture = texture->GetNext())
        m_Textures->AddTexture(texture);
    m_Textures->SelectCurrentTexture(manager, true);
    SetEditsEnabled(true);
}

void CZNTexturesPage::OnSetActive()
{
    CZNOptionsPage::OnSetActive();
    ZNFACE *face = FirstFace();
    SetEditsEnabled(false);
    UpdateFromFace(face);
    SetEditsEnabled(true);
    m_Textures->SelectCurrentTexture(GetEditorApp()->GetTextureManager(), false);
    m_Preview->update();
}

void CZNTexturesPage::RefreshFromSelection()
{
    ZNFACE *face = FirstFace();
    EnableEdits(0);
    UpdateFromFace(face);
    EnableEdits(1);
    m_Textures->SelectCurrentTexture(GetEditorApp()->GetTextureManager(), false);
    m_Preview->update();
}

void CZNTexturesPage::EnablePlanar(bool enable)
{
    for (QRadioButton *button : m_Planar)
        button->setEnabled(enable);
}

void CZNTexturesPage::EnableAxes(bool enable)
{
    for (QRadioButton *button : m_Axis)
        button->setEnabled(enable);
}

void CZNTexturesPage::EnableOrigin(bool enable)
{
    m_SetOrigin->setEnabled(enable);
    m_ResetOrigin->setEnabled(enable);
}

int CZNTexturesPage::CheckedAxis() const
{
    return m_AxisGroup->checkedId();
}

void CZNTexturesPage::ShowRotation(float value)
{
    const bool edits = SetEditsEnabled(false);
    m_Spins[SPIN_ROTATION]->SetValue(value);
    SetEditsEnabled(edits);
}

void CZNTexturesPage::ShowAxisRotation(const ZNFACE *face)
{
    const int axis = CheckedAxis();
    if (axis < 0)
        return;
    const D3DXVECTOR4 &rotation = face->m_Rotation;
    ShowRotation(axis == 0 ? rotation.x : axis == 1 ? rotation.y : rotation.z);
}

void CZNTexturesPage::UpdateFromFace(ZNFACE *face)
{
    CZNEDITORApp *app = GetEditorApp();
    m_Manual->setEnabled(app->GetEditMode() == ZNEDITMODE_VERTEX);

    if (!face) {
        for (int i : {SPIN_UOFFSET, SPIN_VOFFSET, SPIN_ROTATION, SPIN_UPOS, SPIN_VPOS})
            m_Spins[i]->SetValue(0.0);
        m_Spins[SPIN_USCALE]->SetValue(1.0);
        m_Spins[SPIN_VSCALE]->SetValue(1.0);
        m_Mapping->setCurrentIndex(0);
        EnablePlanar(false);
        EnableAxes(false);
        m_Planar[0]->setChecked(true);
        m_Axis[0]->setChecked(true);
        EnableOrigin(false);
        return;
    }

    m_Spins[SPIN_UOFFSET]->SetValue(face->m_UPos);
    m_Spins[SPIN_VOFFSET]->SetValue(face->m_VPos);
    m_Spins[SPIN_USCALE]->SetValue(face->m_UWrap);
    m_Spins[SPIN_VSCALE]->SetValue(face->m_VWrap);
    const ZNVERTEX first = face->GetVertexCount() > 0 ? face->GetVertex(0) : ZNVERTEX{};
    m_Spins[SPIN_UPOS]->SetValue(first.tu);
    m_Spins[SPIN_VPOS]->SetValue(first.tv);

    const BYTE mode = face->m_MappingMode;
    if (IsPlanar(mode)) {
        m_Mapping->setCurrentIndex(kPlanarItem);
        EnablePlanar(true);
        EnableAxes(false);
        EnableOrigin(false);
        m_Planar[mode - MAPPING_PLANAR_XY]->setChecked(true);
        m_Spins[SPIN_ROTATION]->SetValue(face->m_Rotation.w);
    } else {
        m_Mapping->setCurrentIndex(mode >= MAPPING_WORLD && mode <= MAPPING_CYLINDRICAL ? mode - 1 : -1);
        EnablePlanar(false);
        m_Planar[0]->setChecked(true);
        EnableOrigin(true);
        const bool byAxis = mode == MAPPING_SPHERICAL || mode == MAPPING_CYLINDRICAL;
        EnableAxes(byAxis);
        if (byAxis)
            ShowAxisRotation(face);
        else
            m_Spins[SPIN_ROTATION]->SetValue(face->m_Rotation.w);
    }
    if (CZNTexture *texture = face->GetTexture())
        app->GetTextureManager()->SetCurrentTexture(texture);
}

void CZNTexturesPage::OnValueChanged(int spin)
{
    if (!AreEditsEnabled())
        return;
    const float value = static_cast<float>(m_Spins[spin]->GetValue());
    const ZNSPINDEF &def = kSpins[spin];
    if (def.setter) {
        ZnPageUndoStep(def.undoKind, def.undoText,
                       [&def, value](CZNSelectionBand *band) { (band->*def.setter)(value); });
        return;
    }
    // The rotation: which component by the first face's mapping mode.
    ZNFACE *face = FirstFace();
    if (!face)
        return;
    D3DXVECTOR4 rotation = face->m_Rotation;
    const BYTE mode = face->m_MappingMode;
    const int axis = CheckedAxis();
    bool set = true;
    if (mode == MAPPING_WORLD || IsPlanar(mode))
        rotation.w = value;
    else if ((mode == MAPPING_SPHERICAL || mode == MAPPING_CYLINDRICAL) && axis >= 0)
        (axis == 0 ? rotation.x : axis == 1 ? rotation.y : rotation.z) = value;
    else
        set = false;
    ZnPageUndoStep(def.undoKind, def.undoText, [set, rotation](CZNSelectionBand *band) {
        if (set)
            band->SetTextureRotate(rotation);
    });
}

void CZNTexturesPage::OnMappingMode(int item)
{
    if (item < 0 || !AreEditsEnabled())
        return;
    ZNFACE *face = FirstFace();
    BYTE mode = 0;
    if (item == kPlanarItem) {
        EnableOrigin(false);
        EnablePlanar(true);
        EnableAxes(false);
        const int planar = m_PlanarGroup->checkedId();
        if (planar >= 0)
            mode = static_cast<BYTE>(MAPPING_PLANAR_XY + planar);
        ShowRotation(face ? face->m_Rotation.w : 0.0f);
    } else {
        EnablePlanar(false);
        EnableOrigin(true);
        const bool byAxis = item != 0;
        EnableAxes(byAxis);
        if (face) {
            if (byAxis)
                ShowAxisRotation(face);
            else
                ShowRotation(face->m_Rotation.w);
        } else if (!byAxis || CheckedAxis() == 0) {
            ShowRotation(0.0f);
        }
        mode = static_cast<BYTE>(item + 1);
    }
    ZnPageUndoStep(44, "Modify Texture Mode", [mode](CZNSelectionBand *band) {
        if (mode)
            band->SetMappingMode(mode);
    });
}

void CZNTexturesPage::OnPlanarClicked()
{
    const int planar = m_PlanarGroup->checkedId();
    if (AreEditsEnabled() && planar >= 0)
        GetEditorApp()->GetSelectionBand()->SetMappingMode(static_cast<BYTE>(MAPPING_PLANAR_XY + planar));
}

void CZNTexturesPage::OnAxisClicked()
{
    ZNFACE *face = FirstFace();
    if (face && AreEditsEnabled())
        ShowAxisRotation(face);
}

void CZNTexturesPage::OnSelectTexture(int row)
{
    if (CZNTexture *texture = m_Textures->GetTexture(row))
        GetEditorApp()->GetTextureManager()->SetCurrentTexture(texture);
    m_Preview->update();
}

void CZNTexturesPage::OnTextureTyped(const QString &text)
{
    const int row = m_Textures->FindString(-1, text.left(kTypedLength));
    if (CZNTexture *texture = m_Textures->GetTexture(row)) {
        GetEditorApp()->GetTextureManager()->SetCurrentTexture(texture);
        m_Preview->update();
    }
}
