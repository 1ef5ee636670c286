// The material workshop opened from the Faces page of a started editor and driven through its
// widgets while it runs: the values it writes into the material, its colour dialog (answered by
// a double), the name check on closing, replacing the texture of the material's faces, selecting
// them, its rendered preview, and "Create New Material" with its one undo step.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <cstring>
#include <functional>

#include "render/view/3d_view.h"
#include "scene/container.h"
#include "scene/material.h"
#include "scene/overlay.h"
#include "ui/color_swatch.h"
#include "ui/faces_page.h"
#include "ui/material_combo_box.h"
#include "ui/material_pages_fixture.h"
#include "ui/material_preview_wnd.h"
#include "ui/material_workshop_dlg.h"
#include "ui/num_spin_ctrl.h"
#include "ui/texture_combo_box.h"

namespace
{

constexpr float kByte = 0.003921569f;
const char kNotUnique[] = "The material name is not unique. Another material exists in your material list with the "
                          "same name.\nYou must change the name so that it is unqiue";
const char kReplaceQuestion[] = "This process will modify the currently set texture of all\r\nfaces in the scene "
                                "which reference this material.\r\n\r\nThis process cannot be undone!!!\r\n\r\nAre you "
                                "sure you wish to continue?";

// A face's texture and texture coordinates.
struct ZNFACESTATE {
    CZNTexture *texture;
    std::vector<std::pair<float, float>> coords;
    bool operator==(const ZNFACESTATE &) const = default;
};
ZNFACESTATE StateOf(const ZNFACE *face)
{
    ZNFACESTATE state{face->GetTexture(), {}};
    for (short i = 0; i < static_cast<short>(face->GetVertexCount()); ++i)
        state.coords.emplace_back(face->GetVertex(i).tu, face->GetVertex(i).tv);
    return state;
}

class MaterialWorkshopTest : public ZnMaterialPagesTest
{
protected:
    // Two cubes: faces 0 and 1 of the first and face 2 of the second wear the workshop's material
    // ("Workshop", emissive red); those three are selected in face edit mode.
    void SetUp() override
    {
        ZnMaterialPagesTest::SetUp();
        if (HasFatalFailure())
            return;
        Activate(CZNOptionsSheet::PAGE_FACES);
        CZN3D *d3d = GetEditorApp()->Get3D();
        material = d3d->AddMaterial();
        ASSERT_GT(material, 0);
        Record()->SetName("Workshop");
        D3DMATERIAL9 m{};
        m.Emissive = {1.0f, 0.0f, 0.0f, 1.0f};
        m.Diffuse = {0.0f, 0.0f, 0.0f, 1.0f};
        Record()->SetD3DMaterial(&m);
        first = Cube();
        second = doc->NewBrush();
        ZnBuildBox(*second, D3DXVECTOR3(100, -32, -32), D3DXVECTOR3(164, 32, 32));
        first->GetFace(0)->SetMaterial(material);
        first->GetFace(1)->SetMaterial(material);
        second->GetFace(2)->SetMaterial(material);
        frame->RefreshMaterialList();
        GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
        Band()->Clear(1, 0);
        for (auto [brush, face] : {std::pair{first, 0u}, {first, 1u}, {second, 2u}}) {
            ZNSELECTIONENTRY e;
            e.Type = ZNSELECT_FACE;
            e.Object = reinterpret_cast<uintptr_t>(brush);
            e.Face = face;
            ASSERT_EQ(Band()->AddToSelection(&e, 1, 0), 1);
        }
        Sheet()->RefreshActivePage();
        ASSERT_EQ(SphereMaterial(), material);
        doc->SetModifiedFlag(FALSE);
    }
    void TearDown() override
    {
        CZNMaterialWorkshopDlg::SetColorAsker(nullptr);
        ZnMaterialPagesTest::TearDown();
    }

    CZNFacesPage *Page() const { return Sheet()->GetFacesPage(); }
    CZNMATERIAL *Record() const { return GetEditorApp()->Get3D()->GetMaterialRecord(static_cast<DWORD>(material)); }
    static LONG SphereMaterial() { return GetEditorApp()->GetMaterialPreviewBrush()->GetFace(0)->GetMaterial(); }
    bool IsWorkshopFace(const ZNFACE *face) const { return face->GetMaterial() == material; }

    // Clicks the button; once the workshop runs, then acts on it and is expected to close it.
    void WithWorkshop(QAbstractButton *button, const std::function<void(CZNMaterialWorkshopDlg *)> &then)
    {
        bool ran = false;
        QTimer timer;
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto *workshop = qobject_cast<CZNMaterialWorkshopDlg *>(QApplication::activeModalWidget());
            if (!workshop || ran)
                return;
            ran = true;
            timer.stop();
            then(workshop);
            if (workshop->isVisible()) {
                ADD_FAILURE() << "the workshop was left open";
                workshop->done(QDialog::Accepted);
            }
        });
        timer.start();
        QTest::mouseClick(button, Qt::LeftButton);
        timer.stop();
        EXPECT_TRUE(ran) << "the workshop did not open";
    }
    void WithWorkshop(const std::function<void(CZNMaterialWorkshopDlg *)> &then)
    {
        WithWorkshop(Page()->GetMaterialSettingsButton(), then);
    }
    // Replaces the edit's text by typing.
    static void Type(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    // Replaces the edit's text in one edit, as a paste does.
    static void Paste(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        edit->insert(text);
    }
    static void ClickOK(CZNMaterialWorkshopDlg *workshop)
    {
        QTest::mouseClick(workshop->GetOKButton(), Qt::LeftButton);
    }

    LONG material = -1;
    ZNBRUSH *first = nullptr;
    ZNBRUSH *second = nullptr;
};

// What a value entered in the rotation box stores, and what the box shows then.
struct ZNROTATIONCASE {
    const char *typed;
    const char *shown;
    int stored;
};

TEST_F(MaterialWorkshopTest, TypedValuesAreStoredAsTheyAreShown)
{
    const ZNROTATIONCASE cases[] = {{"365", "5", 5}, {"-10", "350", 350}, {"800", "80", 80}, {"45", "45", 45}};
    WithWorkshop([&](CZNMaterialWorkshopDlg *workshop) {
        CZNNumSpinCtrl *rotation = workshop->GetRotationSpin();
        for (const ZNROTATIONCASE &c : cases) {
            Paste(rotation->GetBuddy(), QString::fromLatin1(c.typed));
            EXPECT_EQ(Record()->GetPreviewRotation(), c.stored) << c.typed;
            EXPECT_EQ(rotation->GetBuddy()->text().toStdString(), c.shown) << c.typed;
        }
        // Typed key by key, 365 ends as 5 too.
        Type(rotation->GetBuddy(), QStringLiteral("365"));
        EXPECT_EQ(Record()->GetPreviewRotation(), 5);
        EXPECT_EQ(rotation->GetBuddy()->text().toStdString(), "5");
        // An arrow past 355 comes round to 0.
        Type(rotation->GetBuddy(), QStringLiteral("355"));
        rotation->stepBy(1);
        EXPECT_EQ(Record()->GetPreviewRotation(), 0);

        Type(workshop->GetAlphaSpin(CZNMaterialWorkshopDlg::COLOR_DIFFUSE)->GetBuddy(), QStringLiteral("128"));
        Type(workshop->GetAlphaSpin(CZNMaterialWorkshopDlg::COLOR_SPECULAR)->GetBuddy(), QStringLiteral("51"));
        Type(workshop->GetPowerSpin()->GetBuddy(), QStringLiteral("40"));
        const D3DMATERIAL9 m = Record()->GetD3DMaterial();
        EXPECT_EQ(m.Diffuse.a, 128 * kByte);
        EXPECT_EQ(m.Specular.a, 51 * kByte);
        EXPECT_EQ(m.Emissive.a, 1.0f);
        EXPECT_EQ(m.Power, 40.0f);
        // The name box takes 25 characters.
        Type(workshop->GetNameEdit(), QString(30, QLatin1Char('n')));
        EXPECT_EQ(std::string(Record()->GetName()), std::string(25, 'n'));
        ClickOK(workshop);
    });
    EXPECT_TRUE(UndoLevels().empty());
    EXPECT_EQ(Page()->GetMaterialList()->itemText(static_cast<int>(material)).toStdString(), std::string(25, 'n'));
}

TEST_F(MaterialWorkshopTest, ADuplicateNameKeepsItOpenAndAUniqueOneClosesWithEveryChangeKept)
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    d3d->GetMaterialRecord(static_cast<DWORD>(d3d->AddMaterial()))->SetName("Emissive Red");
    frame->RefreshMaterialList();
    CZNTexture *brick = FindTexture("brick");
    Textures()->SetCurrentTexture(brick);
    CZN3DView *view = frame->Get3DView();
    WithWorkshop([&](CZNMaterialWorkshopDlg *workshop) {
        EXPECT_EQ(view->GetBrushDrawOption(), 0);
        EXPECT_EQ(workshop->windowTitle().toStdString(), "Tovra Material Workshop");
        EXPECT_EQ(workshop->GetNameEdit()->text().toStdString(), "Workshop");
        // The material has no texture: "Material.sys" is current while the workshop runs.
        EXPECT_EQ(Textures()->GetCurrentTexture(), GetEditorApp()->GetMaterialPreviewTexture());
        Type(workshop->GetNameEdit(), QStringLiteral("Emissive Red"));
        Type(workshop->GetRotationSpin()->GetBuddy(), QStringLiteral("30"));
        ClickOK(workshop);
        QTest::keyClick(workshop, Qt::Key_Escape);
        workshop->close();
        ASSERT_EQ(reporter.Entries().size(), 3u);
        for (const auto &entry : reporter.Entries()) {
            EXPECT_EQ(entry.text, kNotUnique);
            EXPECT_EQ(entry.type & MB_ICONMASK, MB_ICONERROR);
        }
        EXPECT_TRUE(workshop->isVisible());
        EXPECT_EQ(view->GetBrushDrawOption(), 0);
        // A refused close has put the current texture back already.
        EXPECT_EQ(Textures()->GetCurrentTexture(), brick);
        // Names differing in case are different names.
        Type(workshop->GetNameEdit(), QStringLiteral("emissive red"));
        QTest::keyClick(workshop, Qt::Key_Escape);
        EXPECT_FALSE(workshop->isVisible());
        EXPECT_EQ(workshop->result(), QDialog::Accepted);
    });
    EXPECT_EQ(reporter.Entries().size(), 3u);
    EXPECT_EQ(std::string(Record()->GetName()), "emissive red");
    EXPECT_EQ(Record()->GetPreviewRotation(), 30);
    EXPECT_EQ(Textures()->GetCurrentTexture(), brick);
    EXPECT_EQ(view->GetBrushDrawOption(), 1);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(UndoLevels().empty());
    EXPECT_EQ(Page()->GetMaterialList()->itemText(static_cast<int>(material)).toStdString(), "emissive red");
    // The selection and the faces' materials are as they were.
    EXPECT_EQ(Band()->GetFirstFaceInfo(nullptr, nullptr), first->GetFace(0));
    EXPECT_TRUE(IsWorkshopFace(second->GetFace(2)));
}

TEST_F(MaterialWorkshopTest, AChosenColourIsWrittenAndACancelledOneWritesNothing)
{
    // Values beyond 0..1 are legal in a material: the swatch shows them clamped.
    D3DMATERIAL9 m = Record()->GetD3DMaterial();
    m.Diffuse = {2.0f, 0.5f, -1.0f, 0.25f};
    Record()->SetD3DMaterial(&m);
    D3DLIGHT9 light = Record()->GetLight();
    light.Specular = {0.2f, 0.4f, 0.6f, 0.75f};
    Record()->SetLight(&light);

    std::vector<COLORREF> asked;
    bool accept = false;
    COLORREF answer = 0;
    CZNMaterialWorkshopDlg::SetColorAsker([&](QWidget *, COLORREF *colour) {
        asked.push_back(*colour);
        if (accept)
            *colour = answer;
        return accept;
    });
    WithWorkshop([&](CZNMaterialWorkshopDlg *workshop) {
        using Dlg = CZNMaterialWorkshopDlg;
        EXPECT_EQ(workshop->GetSwatch(Dlg::COLOR_DIFFUSE)->GetColor(), RGB(255, 127, 0));
        EXPECT_EQ(workshop->GetSwatch(Dlg::COLOR_EMISSIVE)->GetColor(), RGB(255, 0, 0));
        EXPECT_EQ(workshop->GetSwatch(Dlg::LIGHT_SPECULAR)->GetColor(), RGB(51, 102, 153));
        // The swatch is painted in its colour.
        const QImage swatch = workshop->GetSwatch(Dlg::COLOR_DIFFUSE)->grab().toImage();
        EXPECT_EQ(swatch.pixel(swatch.width() / 2, swatch.height() / 2) & 0xFFFFFF, 0xFF7F00u);

        const D3DMATERIAL9 before = Record()->GetD3DMaterial();
        const D3DLIGHT9 lightBefore = Record()->GetLight();
        QTest::mouseClick(workshop->GetColorButton(Dlg::COLOR_DIFFUSE), Qt::LeftButton);
        const D3DMATERIAL9 cancelled = Record()->GetD3DMaterial();
        EXPECT_EQ(std::memcmp(&before, &cancelled, sizeof before), 0);
        EXPECT_EQ(workshop->GetSwatch(Dlg::COLOR_DIFFUSE)->GetColor(), RGB(255, 127, 0));

        accept = true;
        answer = RGB(10, 200, 255);
        QTest::mouseClick(workshop->GetColorButton(Dlg::COLOR_DIFFUSE), Qt::LeftButton);
        const D3DCOLORVALUE diffuse = Record()->GetD3DMaterial().Diffuse;
        EXPECT_EQ(diffuse.r, 10 * kByte);
        EXPECT_EQ(diffuse.g, 200 * kByte);
        EXPECT_EQ(diffuse.b, 255 * kByte);
        EXPECT_EQ(diffuse.a, 0.25f);
        EXPECT_EQ(workshop->GetSwatch(Dlg::COLOR_DIFFUSE)->GetColor(), answer);

        answer = RGB(1, 2, 3);
        QTest::mouseClick(workshop->GetColorButton(Dlg::LIGHT_SPECULAR), Qt::LeftButton);
        const D3DCOLORVALUE specular = Record()->GetLight().Specular;
        EXPECT_EQ(specular.r, 1 * kByte);
        EXPECT_EQ(specular.b, 3 * kByte);
        EXPECT_EQ(specular.a, 0.75f);
        const D3DLIGHT9 lightAfter = Record()->GetLight();
        EXPECT_EQ(std::memcmp(&lightBefore.Diffuse, &lightAfter.Diffuse, sizeof(D3DCOLORVALUE)), 0);
        ClickOK(workshop);
    });
    EXPECT_EQ(asked, (std::vector<COLORREF>{RGB(255, 127, 0), RGB(255, 127, 0), RGB(51, 102, 153)}));
    EXPECT_TRUE(UndoLevels().empty());
}

TEST_F(MaterialWorkshopTest, ReplaceTextureGivesEveryFaceOfTheMaterialTheCurrentTexture)
{
    // An overlay over a corner of the first cube, two of its faces with the workshop's material.
    CZNOverlay *overlay = doc->NewOverlay(D3DXVECTOR3(32, 32, 32));
    ASSERT_NE(overlay, nullptr);
    overlay->Rebuild();
    ASSERT_GE(overlay->GetFaceCount(), 3u);
    for (DWORD i = 0; i < overlay->GetFaceCount(); ++i)
        overlay->GetFace(i)->SetMaterial(i < 2 ? material : 0);
    std::vector<ZNFACE *> faces;
    for (ZNBRUSH *brush : {first, second})
        for (DWORD i = 0; i < brush->GetFaceCount(); ++i)
            faces.push_back(brush->GetFace(i));
    for (DWORD i = 0; i < overlay->GetFaceCount(); ++i)
        faces.push_back(overlay->GetFace(i));
    auto snapshot = [&faces] {
        std::vector<ZNFACESTATE> states;
        for (ZNFACE *face : faces)
            states.push_back(StateOf(face));
        return states;
    };
    const std::vector<ZNFACESTATE> before = snapshot();
    CZNTexture *brick = FindTexture("brick");

    WithWorkshop([&](CZNMaterialWorkshopDlg *workshop) {
        // No: nothing changes.
        reporter.QueueAnswer(IDNO);
        QTest::mouseClick(workshop->GetReplaceTextureButton(), Qt::LeftButton);
        ASSERT_EQ(reporter.Entries().size(), 1u);
        EXPECT_EQ(reporter.Entries()[0].text, kReplaceQuestion);
        EXPECT_EQ(reporter.Entries()[0].type, MB_YESNO | MB_ICONWARNING);
        EXPECT_EQ(snapshot(), before);

        // Typing a name in the list makes that texture current.
        Type(workshop->GetTextureList()->lineEdit(), QStringLiteral("bri"));
        EXPECT_EQ(Textures()->GetCurrentTexture(), brick);
        EXPECT_EQ(Record()->GetTexture(), brick);
        reporter.QueueAnswer(IDYES);
        QTest::mouseClick(workshop->GetReplaceTextureButton(), Qt::LeftButton);
        const std::vector<ZNFACESTATE> after = snapshot();
        for (size_t i = 0; i < faces.size(); ++i) {
            if (!IsWorkshopFace(faces[i])) {
                EXPECT_EQ(after[i], before[i]) << i;
                continue;
            }
            EXPECT_EQ(faces[i]->GetTexture(), brick) << i;
        }
        // The coordinates are those a fresh mapping gives.
        for (ZNBRUSH *brush : {first, second})
            brush->CalculateWorldTextureCoords();
        for (DWORD i = 0; i < overlay->GetFaceCount(); ++i)
            overlay->CalculateFaceTextureCoords(i);
        EXPECT_EQ(snapshot(), after);
        EXPECT_NE(after, before);

        // With "Material.sys" current the textures go.
        QTest::mouseClick(workshop->GetClearTextureButton(), Qt::LeftButton);
        EXPECT_EQ(Record()->GetTexture(), nullptr);
        EXPECT_EQ(Textures()->GetCurrentTexture(), GetEditorApp()->GetMaterialPreviewTexture());
        EXPECT_TRUE(workshop->GetTextureList()->currentText().isEmpty());
        reporter.QueueAnswer(IDYES);
        QTest::mouseClick(workshop->GetReplaceTextureButton(), Qt::LeftButton);
        for (ZNFACE *face : faces)
            EXPECT_TRUE(!IsWorkshopFace(face) || face->GetTexture() == nullptr);
        ClickOK(workshop);
    });
    EXPECT_EQ(reporter.Entries().size(), 3u);
    EXPECT_TRUE(UndoLevels().empty());
}

// What "&Select Faces" offers and selects in each edit mode.
struct ZNSELECTCASE {
    const char *name;
    ZNEDITMODE mode;
    bool enabled;
};

class WorkshopSelectTest : public MaterialWorkshopTest, public ::testing::WithParamInterface<ZNSELECTCASE>
{
};

TEST_P(WorkshopSelectTest, SelectsTheMaterialsFacesOfTheEditMode)
{
    const ZNSELECTCASE &c = GetParam();
    CZNOverlay *overlay = doc->NewOverlay(D3DXVECTOR3(32, 32, 32));
    overlay->Rebuild();
    ASSERT_GE(overlay->GetFaceCount(), 3u);
    for (DWORD i = 0; i < overlay->GetFaceCount(); ++i)
        overlay->GetFace(i)->SetMaterial(i == 1 ? material : 0);
    // Another face selected, of another material: the sphere keeps the workshop's material.
    SelectFaces(first, {5});
    GetEditorApp()->GetMaterialPreviewBrush()->SetMaterial(material);
    GetEditorApp()->SetEditMode(c.mode);
    WithWorkshop([&](CZNMaterialWorkshopDlg *workshop) {
        EXPECT_EQ(workshop->GetSelectFacesButton()->isEnabled(), c.enabled);
        QTest::mouseClick(workshop->GetSelectFacesButton(), Qt::LeftButton);
        EXPECT_TRUE(workshop->isVisible());
        ClickOK(workshop);
    });
    std::vector<std::pair<uintptr_t, uintptr_t>> selected;
    for (const ZNSELECTIONENTRY &e : Band()->Entries())
        selected.emplace_back(e.Object, e.Face);
    using Entries = std::vector<std::pair<uintptr_t, uintptr_t>>;
    const auto at = [](const void *object, uintptr_t face) {
        return std::pair{reinterpret_cast<uintptr_t>(object), face};
    };
    const Entries expected = c.mode == ZNEDITMODE_FACE      ? Entries{at(first, 0), at(first, 1), at(second, 2)}
                             : c.mode == ZNEDITMODE_OVERLAY ? Entries{at(overlay, 1)}
                                                            : Entries{at(first, 5)}; // greyed out: kept
    EXPECT_EQ(selected, expected);
    EXPECT_TRUE(UndoLevels().empty());
}

INSTANTIATE_TEST_SUITE_P(Modes, WorkshopSelectTest,
                         ::testing::Values(ZNSELECTCASE{"Brush", ZNEDITMODE_BRUSH, false},
                                           ZNSELECTCASE{"Vertex", ZNEDITMODE_VERTEX, false},
                                           ZNSELECTCASE{"Face", ZNEDITMODE_FACE, true},
                                           ZNSELECTCASE{"Overlay", ZNEDITMODE_OVERLAY, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(MaterialWorkshopTest, WithNoTexturesTheListIsEmptyAndSelectFacesStillFollowsTheMode)
{
    std::vector<CZNTexture *> textures;
    while (CZNTexture *texture = Textures()->GetFirstTexture()) {
        Textures()->DetachTexture(texture);
        textures.push_back(texture);
    }
    WithWorkshop([&](CZNMaterialWorkshopDlg *workshop) {
        EXPECT_EQ(workshop->GetTextureList()->count(), 0);
        EXPECT_TRUE(workshop->GetSelectFacesButton()->isEnabled());
        ClickOK(workshop);
    });
    for (CZNTexture *texture : textures)
        Textures()->AddTexture(texture);
}

TEST_F(MaterialWorkshopTest, ThePreviewShowsTheMaterialOnBlackAndIsSavedAsAScreenshot)
{
    frame->show();
    QCoreApplication::processEvents();
    WithWorkshop([&](CZNMaterialWorkshopDlg *workshop) {
        Type(workshop->GetTextureList()->lineEdit(), QStringLiteral("white"));
        ASSERT_EQ(Record()->GetTexture(), FindTexture("white"));
        QCoreApplication::processEvents();
        const QImage preview = workshop->GetPreview()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect inner = workshop->GetPreview()->contentsRect();
        const QRgb centre = preview.pixel(inner.center());
        EXPECT_NEAR(qRed(centre), 255, 1);
        EXPECT_NEAR(qGreen(centre), 0, 1);
        EXPECT_NEAR(qBlue(centre), 0, 1);
        EXPECT_EQ(preview.pixel(inner.topLeft() + QPoint(2, 2)) & 0xFFFFFF, 0u);
        const QImage shot = workshop->grab().toImage();
        EXPECT_TRUE(shot.save(QString::fromStdString(ScratchPath("material_workshop.png"))));
        ClickOK(workshop);
    });
}

TEST_F(MaterialWorkshopTest, CreateNewMaterialOpensOnItAndOneUndoTakesItBack)
{
    const DWORD count = GetEditorApp()->Get3D()->GetMaterialList()->GetElementCount();
    const LONG untouched = first->GetFace(2)->GetMaterial();
    WithWorkshop(Page()->GetCreateMaterialButton(), [&](CZNMaterialWorkshopDlg *workshop) {
        EXPECT_EQ(workshop->GetNameEdit()->text().toStdString(), "New Material");
        EXPECT_EQ(SphereMaterial(), static_cast<LONG>(count));
        ClickOK(workshop);
    });
    ASSERT_EQ(GetEditorApp()->Get3D()->GetMaterialList()->GetElementCount(), count + 1);
    const LONG created = static_cast<LONG>(count);
    EXPECT_EQ(first->GetFace(0)->GetMaterial(), created);
    EXPECT_EQ(first->GetFace(1)->GetMaterial(), created);
    EXPECT_EQ(second->GetFace(2)->GetMaterial(), created);
    EXPECT_EQ(first->GetFace(2)->GetMaterial(), untouched);
    EXPECT_EQ(UndoLevels(), std::vector<std::string>{"Set Material"});
    EXPECT_EQ(Newest()->Type, 60u);
    EXPECT_EQ(Page()->GetMaterialList()->itemText(created).toStdString(), "New Material");
    EXPECT_TRUE(doc->IsModified());

    doc->OnEditUndo();
    const ZNBRUSH *restored = doc->GetBrushList();
    EXPECT_EQ(restored->GetFace(0)->GetMaterial(), material);
    EXPECT_EQ(restored->GetFace(1)->GetMaterial(), material);
    EXPECT_EQ(restored->m_Next->GetFace(2)->GetMaterial(), material);
}

TEST_F(MaterialWorkshopTest, MaterialSettingsIsDisabledWhileTheSphereNamesNoMaterial)
{
    EXPECT_TRUE(Page()->GetMaterialSettingsButton()->isEnabled());
    EXPECT_TRUE(Page()->GetCreateMaterialButton()->isEnabled());
    // A face read from a file may name a material the list does not hold.
    first->GetFace(3)->SetMaterial(99);
    SelectFaces(first, {3});
    EXPECT_EQ(SphereMaterial(), 99);
    EXPECT_FALSE(Page()->GetMaterialSettingsButton()->isEnabled());
    CZNMaterialWorkshopDlg workshop(frame);
    EXPECT_FALSE(workshop.Run());
    EXPECT_FALSE(workshop.isVisible());
    EXPECT_EQ(frame->Get3DView()->GetBrushDrawOption(), 1);

    SelectFaces(first, {0});
    EXPECT_TRUE(Page()->GetMaterialSettingsButton()->isEnabled());
}

} // namespace
