#include "ui/material_workshop_dlg.h"

#include <QColorDialog>
#include <QFont>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <cmath>
#include <cstring>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/material_faces.h"
#include "render/direct3d.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "render/view/3d_view.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/face.h"
#include "scene/material.h"
#include "ui/color_swatch.h"
#include "ui/main_frame.h"
#include "ui/material_preview_wnd.h"
#include "ui/num_spin_ctrl.h"
#include "ui/options_bar.h"
#include "ui/texture_combo_box.h"
#include "ui/texture_preview_wnd.h"

namespace
{
constexpr char kCaption[] = "TOVRA";
constexpr char kNotUnique[] = "The material name is not unique. Another material exists in your material list with "
                              "the same name.\nYou must change the name so that it is unqiue";
constexpr char kReplaceQuestion[] = "This process will modify the currently set texture of all\r\n"
                                    "faces in the scene which reference this material.\r\n"
                                    "\r\n"
                                    "This process cannot be undone!!!\r\n"
                                    "\r\n"
                                    "Are you sure you wish to continue?";
constexpr float kByteScale = 0.003921569f; // 1 / 255
constexpr int kTypedLength = 1023;

CZNMaterialWorkshopDlg::ColorAsker &Asker()
{
    static CZNMaterialWorkshopDlg::ColorAsker asker;
    return asker;
}

// The colour dialog of the platform: non-native, its custom colours kept for the whole run.
bool AskQtColor(QWidget *parent, COLORREF *colour)
{
    QColorDialog dialog(QColor(GetRValue(*colour), GetGValue(*colour), GetBValue(*colour)), parent);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QColor chosen = dialog.selectedColor();
    *colour = RGB(static_cast<BYTE>(chosen.red()), static_cast<BYTE>(chosen.green()), static_cast<BYTE>(chosen.blue()));
    return true;
}

// The colour of the material or its light that a swatch shows.
D3DCOLORVALUE *ColorOf(D3DMATERIAL9 &material, D3DLIGHT9 &light, int colour)
{
    switch (colour) {
    case CZNMaterialWorkshopDlg::COLOR_DIFFUSE:
        return &material.Diffuse;
    case CZNMaterialWorkshopDlg::COLOR_AMBIENT:
        return &material.Ambient;
    case CZNMaterialWorkshopDlg::COLOR_EMISSIVE:
        return &material.Emissive;
    case CZNMaterialWorkshopDlg::COLOR_SPECULAR:
        return &material.Specular;
    case CZNMaterialWorkshopDlg::LIGHT_DIFFUSE:
        return &light.Diffuse;
    case CZNMaterialWorkshopDlg::LIGHT_AMBIENT:
        return &light.Ambient;
    default:
        return &light.Specular;
    }
}

QGroupBox *Group(QWidget *parent, const char *title, int x, int y, int width, int height)
{
    auto *group = new QGroupBox(QString::fromLatin1(title), parent);
    group->setGeometry(x, y, width, height);
    return group;
}

QLabel *Label(QWidget *parent, const char *text, int x, int y, int width = 40)
{
    auto *label = new QLabel(QString::fromLatin1(text), parent);
    label->setGeometry(x, y, width, 20);
    return label;
}
} // namespace

void CZNMaterialWorkshopDlg::SetColorAsker(ColorAsker asker)
{
    Asker() = std::move(asker);
}

CZNMaterialWorkshopDlg::CZNMaterialWorkshopDlg(CZNMainFrame *frame) : QDialog(frame), m_Frame(frame)
{
    setWindowTitle(QStringLiteral("Tovra Material Workshop"));
    setModal(true);
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);
    setFixedSize(636, 420);

    const std::string resources = GetEditorApp()->GetProgramDirectory() + "Resources/";
    const QIcon up(QString::fromStdString(resources + "bitmap170.png"));
    const QIcon down(QString::fromStdString(resources + "bitmap171.png"));
    // A swatch with its colour button; the button shows the down picture while pressed.
    auto colourRow = [this, &up, &down](QWidget *parent, int colour, int x, int y) {
        m_Swatches[colour] = new CZNColorSwatch(parent);
        m_Swatches[colour]->setGeometry(x, y, 44, 22);
        auto *button = new QToolButton(parent);
        button->setGeometry(x + 48, y, 26, 22);
        button->setIcon(up);
        button->setIconSize(QSize(20, 16));
        connect(button, &QToolButton::pressed, button, [button, down] { button->setIcon(down); });
        connect(button, &QToolButton::released, button, [button, up] { button->setIcon(up); });
        connect(button, &QToolButton::clicked, this, [this, colour] { OnColorButton(colour); });
        m_ColorButtons[colour] = button;
    };
    auto spin = [](QWidget *parent, int x, int y, int width) {
        auto *control = new CZNNumSpinCtrl(parent);
        control->setGeometry(x, y, width, 22);
        return control;
    };

    // The material: name, four colours with their alphas, the power.
    QGroupBox *name = Group(this, "Material Name", 8, 6, 300, 50);
    m_Name = new QLineEdit(name);
    m_Name->setObjectName(QStringLiteral("MaterialName"));
    m_Name->setGeometry(10, 20, 280, 22);
    m_Name->setMaxLength(kNameLength);
    const char *titles[kAlphaCount] = {"Diffuse", "Ambient", "Emissive", "Specular Highlights"};
    for (int i = 0; i < kAlphaCount; ++i) {
        const int height = i == COLOR_SPECULAR ? 80 : 52;
        QGroupBox *group = Group(this, titles[i], 8, 60 + 56 * i, 300, height);
        Label(group, "Color", 10, 20);
        colourRow(group, i, 50, 20);
        Label(group, "Alpha", 150, 20);
        m_Alphas[i] = spin(group, 190, 20, 100);
        m_Alphas[i]->setObjectName(QStringLiteral("Alpha%1").arg(i));
        if (i == COLOR_SPECULAR) {
            Label(group, "Power", 150, 48);
            m_Power = spin(group, 190, 48, 100);
            m_Power->setObjectName(QStringLiteral("Power"));
        }
    }

    // The preview: texture, light, model.
    QGroupBox *texture = Group(this, "Preview Texture", 316, 6, 312, 150);
    m_Textures = new CZNTextureComboBox(texture);
    m_Textures->setGeometry(10, 20, 292, 24);
    m_TexturePreview = new CZNTexturePreviewWnd(texture);
    m_TexturePreview->setGeometry(10, 50, 160, 90);
    m_ClearTexture = new QPushButton(QStringLiteral("&Clear Texture"), texture);
    m_ClearTexture->setGeometry(180, 50, 122, 26);
    m_ReplaceTexture = new QPushButton(QStringLiteral("&Replace Texture"), texture);
    m_ReplaceTexture->setGeometry(180, 82, 122, 26);
    m_SelectFaces = new QPushButton(QStringLiteral("&Select Faces"), texture);
    m_SelectFaces->setGeometry(180, 114, 122, 26);
    for (QPushButton *button : {m_ClearTexture, m_ReplaceTexture, m_SelectFaces})
        button->setAutoDefault(false);

    QGroupBox *light = Group(this, "Preview Light", 316, 160, 312, 80);
    const char *lightTitles[3] = {"Diffuse", "Ambient", "Specular"};
    for (int i = 0; i < 3; ++i) {
        Label(light, lightTitles[i], 10 + 100 * i, 18, 80);
        colourRow(light, LIGHT_DIFFUSE + i, 10 + 100 * i, 42);
    }

    QGroupBox *model = Group(this, "Preview Model", 8, 312, 300, 52);
    Label(model, "Rotation", 10, 20, 60);
    m_Rotation = spin(model, 190, 20, 100);
    m_Rotation->setObjectName(QStringLiteral("Rotation"));

    m_Preview = new CZNMaterialPreviewWnd(this);
    m_Preview->setGeometry(316, 248, 164, 164);
    m_OK = new QPushButton(QStringLiteral("OK"), this);
    m_OK->setGeometry(528, 386, 100, 26);
    m_OK->setDefault(true);

    connect(m_Name, &QLineEdit::textChanged, this, &CZNMaterialWorkshopDlg::OnNameChanged);
    for (int i = 0; i < kAlphaCount; ++i)
        connect(m_Alphas[i]->GetBuddy(), &QLineEdit::textChanged, this, [this, i] { OnAlphaChanged(i); });
    connect(m_Power->GetBuddy(), &QLineEdit::textChanged, this, &CZNMaterialWorkshopDlg::OnPowerChanged);
    connect(m_Rotation->GetBuddy(), &QLineEdit::textChanged, this, &CZNMaterialWorkshopDlg::OnRotationChanged);
    connect(m_Textures, &QComboBox::activated, this, &CZNMaterialWorkshopDlg::OnSelectTexture);
    connect(m_Textures->lineEdit(), &QLineEdit::textEdited, this, &CZNMaterialWorkshopDlg::OnTextureTyped);
    connect(m_ClearTexture, &QPushButton::clicked, this, &CZNMaterialWorkshopDlg::OnClearTexture);
    connect(m_ReplaceTexture, &QPushButton::clicked, this, &CZNMaterialWorkshopDlg::OnReplaceTexture);
    connect(m_SelectFaces, &QPushButton::clicked, this, &CZNMaterialWorkshopDlg::OnSelectFaces);
    connect(m_OK, &QPushButton::clicked, this, &CZNMaterialWorkshopDlg::OnOK);
}

CZNMaterialWorkshopDlg::~CZNMaterialWorkshopDlg() = default;

CZNMATERIAL *CZNMaterialWorkshopDlg::GetEditedMaterial()
{
    CZNEDITORApp *app = GetEditorApp();
    const ZNBRUSH *sphere = app->GetMaterialPreviewBrush();
    const ZNFACE *face = sphere ? sphere->GetFace(0) : nullptr;
    CZN3D *d3d = app->Get3D();
    if (!face || !d3d || face->GetMaterial() < 0)
        return nullptr;
    return d3d->GetMaterialRecord(static_cast<DWORD>(face->GetMaterial()));
}

bool CZNMaterialWorkshopDlg::Run()
{
    if (!GetEditedMaterial())
        return false;
    OnInitDialog();
    exec();
    return true;
}

void CZNMaterialWorkshopDlg::OnInitDialog()
{
    CZNEDITORApp *app = GetEditorApp();
    m_Filling = true;
    if (m_Frame && m_Frame->Get3DView())
        m_Frame->Get3DView()->SetBrushDrawOption(0);
    for (CZNNumSpinCtrl *alpha : m_Alphas)
        alpha->SetRange(0, 255, 1);
    m_Power->SetRange(0, 2500, 1);
    m_Rotation->SetRange(-10, 380, 5);

    m_MaterialIndex = app->GetMaterialPreviewBrush()->GetFace(0)->GetMaterial();
    m_Material = GetEditedMaterial();

    CZNTextureManager *manager = app->GetTextureManager();
    m_SavedTexture = manager->GetCurrentTexture();
    manager->SetCurrentTexture(m_Material->GetTexture() ? m_Material->GetTexture() : app->GetMaterialPreviewTexture());

    D3DMATERIAL9 material = m_Material->GetD3DMaterial();
    D3DLIGHT9 light = m_Material->GetLight();
    for (int i = 0; i < COLOR_COUNT; ++i)
        m_Swatches[i]->SetColor(CZNColorSwatch::ToColorRef(*ColorOf(material, light, i)));

    m_Name->setText(QString::fromLatin1(m_Material->GetName()));
    for (int i = 0; i < kAlphaCount; ++i)
        m_Alphas[i]->SetValue(ColorOf(material, light, i)->a * 255.0);
    m_Power->SetValue(material.Power);
    m_Rotation->SetValue(m_Material->GetPreviewRotation());

    for (CZNTexture *texture = manager->GetFirstTexture(); texture; texture = texture->GetNext())
        m_Textures->AddTexture(texture);
    // The material's texture, or the first row; with no current texture the first row's becomes
    // current. An empty manager leaves the list empty.
    m_Textures->SelectCurrentTexture(manager, false);

    const ZNEDITMODE mode = app->GetEditMode();
    m_SelectFaces->setEnabled(mode == ZNEDITMODE_FACE || mode == ZNEDITMODE_OVERLAY);
    m_Filling = false;
}

void CZNMaterialWorkshopDlg::MaterialChanged(bool redraw3D)
{
    m_Preview->update();
    if (redraw3D)
        Redraw3DView();
}

void CZNMaterialWorkshopDlg::Redraw3DView()
{
    if (m_Frame && m_Frame->Get3DView())
        m_Frame->Get3DView()->Redraw(0, 0, 1);
}

void CZNMaterialWorkshopDlg::OnColorButton(int colour)
{
    COLORREF chosen = m_Swatches[colour]->GetColor();
    const bool accepted = Asker() ? Asker()(this, &chosen) : AskQtColor(this, &chosen);
    // A cancelled dialog writes nothing: the material may hold values the swatch cannot show.
    if (!accepted)
        return;
    m_Swatches[colour]->SetColor(chosen);
    D3DMATERIAL9 material = m_Material->GetD3DMaterial();
    D3DLIGHT9 light = m_Material->GetLight();
    CZNColorSwatch::WriteColor(chosen, ColorOf(material, light, colour));
    if (colour < LIGHT_DIFFUSE)
        m_Material->SetD3DMaterial(&material);
    else
        m_Material->SetLight(&light);
    MaterialChanged(true);
}

void CZNMaterialWorkshopDlg::OnAlphaChanged(int colour)
{
    if (m_Filling)
        return;
    D3DMATERIAL9 material = m_Material->GetD3DMaterial();
    D3DLIGHT9 light = m_Material->GetLight();
    ColorOf(material, light, colour)->a = static_cast<float>(m_Alphas[colour]->GetValue()) * kByteScale;
    m_Material->SetD3DMaterial(&material);
    MaterialChanged(true);
}

void CZNMaterialWorkshopDlg::OnPowerChanged()
{
    if (m_Filling)
        return;
    D3DMATERIAL9 material = m_Material->GetD3DMaterial();
    material.Power = static_cast<float>(m_Power->GetValue());
    m_Material->SetD3DMaterial(&material);
    MaterialChanged(true);
}

void CZNMaterialWorkshopDlg::OnRotationChanged()
{
    if (m_Filling)
        return;
    // Whole degrees taken into 0..359; a value that had to be brought round is shown corrected.
    const double value = std::trunc(m_Rotation->GetValue());
    double degrees = std::isfinite(value) ? std::fmod(value, 360.0) : 0.0;
    if (degrees < 0.0)
        degrees += 360.0;
    if (degrees != value) {
        m_Filling = true;
        m_Rotation->SetValue(degrees);
        m_Filling = false;
    }
    m_Material->SetPreviewRotation(static_cast<int>(degrees));
    MaterialChanged(false);
}

void CZNMaterialWorkshopDlg::OnNameChanged()
{
    if (m_Filling)
        return;
    m_Material->SetName(m_Name->text().toLatin1().constData());
    MaterialChanged(false);
}

void CZNMaterialWorkshopDlg::UseTexture(CZNTexture *texture)
{
    if (!texture)
        return;
    CZNEDITORApp *app = GetEditorApp();
    app->GetTextureManager()->SetCurrentTexture(texture);
    m_Material->SetTexture(texture);
    app->GetMaterialPreviewBrush()->SetTexture(texture, 1);
    m_TexturePreview->update();
    m_Preview->update();
}

void CZNMaterialWorkshopDlg::OnSelectTexture(int row)
{
    UseTexture(m_Textures->GetTexture(row));
}

void CZNMaterialWorkshopDlg::OnTextureTyped(const QString &text)
{
    UseTexture(m_Textures->GetTexture(m_Textures->FindString(-1, text.left(kTypedLength))));
}

void CZNMaterialWorkshopDlg::OnClearTexture()
{
    CZNEDITORApp *app = GetEditorApp();
    m_Material->SetTexture(nullptr);
    app->GetMaterialPreviewBrush()->SetTexture(nullptr, 1);
    app->GetTextureManager()->SetCurrentTexture(app->GetMaterialPreviewTexture());
    m_Textures->setCurrentIndex(-1);
    m_Textures->setEditText(QString());
    m_TexturePreview->update();
    m_Preview->update();
}

void CZNMaterialWorkshopDlg::OnReplaceTexture()
{
    CZNEDITORApp *app = GetEditorApp();
    if (app->GetReporter()->Message(kReplaceQuestion, kCaption, MB_YESNO | MB_ICONWARNING) != IDYES)
        return;
    // "Material.sys" as the current texture stands for no texture.
    CZNTexture *texture = app->GetTextureManager()->GetCurrentTexture();
    if (texture == app->GetMaterialPreviewTexture())
        texture = nullptr;
    ZnReplaceMaterialTexture(app->GetDocument(), m_MaterialIndex, texture);
    Redraw3DView();
    if (m_Frame && m_Frame->GetOptionsBar()) {
        m_Frame->GetOptionsBar()->RefreshActivePage();
        m_Frame->GetOptionsBar()->UpdateSceneTree();
    }
}

void CZNMaterialWorkshopDlg::OnSelectFaces()
{
    CZNEDITORApp *app = GetEditorApp();
    CZNEDITORDoc *doc = app->GetDocument();
    ZnSelectMaterialFaces(doc, app->GetSelectionBand(), m_MaterialIndex, app->GetEditMode());
    if (m_Frame && m_Frame->GetOptionsBar()) {
        m_Frame->GetOptionsBar()->RefreshActivePage();
        m_Frame->GetOptionsBar()->UpdateSceneTree();
    }
    if (doc)
        doc->RedrawAllViews(nullptr, 0);
}

void CZNMaterialWorkshopDlg::OnOK()
{
    CZNEDITORApp *app = GetEditorApp();
    app->GetTextureManager()->SetCurrentTexture(m_SavedTexture);
    m_TexturePreview->update();
    CZN3D *d3d = app->Get3D();
    const DWORD count = d3d->GetMaterialList()->GetElementCount();
    for (DWORD i = 0; i < count; ++i) {
        CZNMATERIAL *other = d3d->GetMaterialRecord(i);
        if (static_cast<LONG>(i) == m_MaterialIndex || !other)
            continue;
        if (std::strcmp(other->GetName(), m_Material->GetName()) == 0) {
            app->GetReporter()->Message(kNotUnique, kCaption, MB_OK | MB_ICONERROR);
            return;
        }
    }
    if (m_Frame && m_Frame->Get3DView())
        m_Frame->Get3DView()->SetBrushDrawOption(1);
    Redraw3DView();
    accept();
}

void CZNMaterialWorkshopDlg::reject()
{
    OnOK();
}
