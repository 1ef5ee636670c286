// The General and Overlays pages of the options panel in the shown main window: which object
// each property box shows, the undo levels of their clicks on real boxes, overlays and a light,
// the editor-wide switches, the overlay settings with and without a selected overlay, and a
// picture of each page in the test's scratch folder.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <string>
#include <vector>

#include "editor/undo_record.h"
#include "scene/entity.h"
#include "scene/face.h"
#include "scene/overlay.h"
#include "support/entity_plugins.h"
#include "ui/general_page.h"
#include "ui/num_spin_ctrl.h"
#include "ui/options_panel_fixture.h"
#include "ui/overlays_page.h"

namespace
{

class OptionsPropertyPagesTest : public ZnOptionsPanelTest
{
protected:
    void SetUp() override
    {
        ZnOptionsPanelTest::SetUp();
        CZNOverlay *fallback = GetEditorApp()->GetDefaultOverlay();
        savedRebuild = fallback->GetAutoRebuildFlag();
        savedBias = fallback->GetFaceFlag();
        fallback->m_AutoRebuild = 1;
        fallback->SetFaceFlag(0);
    }
    void TearDown() override
    {
        ZnOptionsPanelTest::TearDown();
        CZNOverlay *fallback = GetEditorApp()->GetDefaultOverlay();
        fallback->m_AutoRebuild = savedRebuild;
        fallback->SetFaceFlag(savedBias);
    }

    CZNGeneralPage *General() const { return Sheet()->GetGeneralPage(); }
    CZNOverlaysPage *Overlays() const { return Sheet()->GetOverlaysPage(); }
    void Activate(int page)
    {
        QTest::mouseClick(Sheet()->GetTabButton(page), Qt::LeftButton);
        QCoreApplication::processEvents();
        ASSERT_EQ(Sheet()->GetActiveIndex(), page);
    }
    // A click on the box's indicator.
    static void ClickBox(QCheckBox *box)
    {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QCoreApplication::processEvents();
    }
    static void ClickButton(QPushButton *button)
    {
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    // The z-bias edit's text replaced by typing the keys one by one.
    void TypeZBias(const char *keys)
    {
        QLineEdit *edit = Overlays()->GetZBiasSpin()->GetBuddy();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(keys));
        QCoreApplication::processEvents();
    }

    CZNEntity *Light(DWORD flags = 0)
    {
        CZNEntity *light = doc->NewEntity(ZnEntityPlugins::kLight, 200, 0, 200);
        EXPECT_NE(light, nullptr);
        if (light)
            light->m_Flags = flags;
        return light;
    }
    // An overlay over the box from (0, 0, 0) to (64, 64, 64), its surfaces built from it.
    CZNOverlay *OverlayOnBox(DWORD flags = 0)
    {
        if (!boxUnderOverlay)
            boxUnderOverlay = Box({0, 0, 0}, {64, 64, 64});
        CZNOverlay *overlay = doc->NewOverlay({32, 64, 32});
        overlay->m_Flags = flags;
        overlay->Rebuild();
        EXPECT_GT(overlay->GetFaceCount(), 0u);
        return overlay;
    }

    // The descriptions of the document's undo levels, newest first.
    std::vector<std::string> UndoLevels() const
    {
        std::vector<std::string> levels;
        for (const ZNUNDORECORD *r = doc->GetUndoList(); r; r = r->Next)
            if (!r->Continuation)
                levels.push_back(r->Description ? r->Description : "");
        return levels;
    }
    // Every surface face of the overlay carries the z-bias.
    static bool FacesCarry(const CZNOverlay *overlay, BYTE bias)
    {
        for (DWORD i = 0; i < overlay->GetFaceCount(); ++i)
            if (overlay->GetFace(i)->m_FaceFlag != bias)
                return false;
        return true;
    }
    // Every control of the page lies inside the page's content, and the content inside the page.
    static void ExpectControlsInside(CZNOptionsPage *page)
    {
        const QRect content(QPoint(0, 0), QSize(page->width(), page->GetContentHeight()));
        for (QWidget *control : page->GetContent()->findChildren<QWidget *>()) {
            const QRect at(control->mapTo(page->GetContent(), QPoint(0, 0)), control->size());
            EXPECT_TRUE(content.contains(at))
                << control->metaObject()->className() << " " << control->objectName().toStdString();
        }
    }
    void SavePicture(const char *name)
    {
        QCoreApplication::processEvents();
        const QImage shot = Sheet()->grab().toImage();
        EXPECT_TRUE(shot.save(QString::fromStdString(std::string(ZN_TEST_TMP_DIR) + "/" + name)));
    }

    ZnEntityPlugins plugins;
    ZNBRUSH *boxUnderOverlay = nullptr;
    BYTE savedRebuild = 1;
    BYTE savedBias = 0;
};

// Which object each property box shows. Selection letters: b brush, o overlay, e entity, each
// with its flag word.
struct EnableCase {
    const char *name;
    const char *selection;
    DWORD brushFlags, overlayFlags, entityFlags;
    bool detailEnabled, detailChecked, hiddenEnabled, hiddenChecked;
};

class GeneralEnableTest : public OptionsPropertyPagesTest, public ::testing::WithParamInterface<EnableCase>
{
};

} // namespace

TEST_P(GeneralEnableTest, TheBoxesShowTheFirstObjectThatHasTheBit)
{
    const EnableCase &c = GetParam();
    // First a hidden detail brush, so that every box starts checked and enabled.
    ZNBRUSH *start = Box({-300, 0, -300}, {-260, 40, -260});
    start->m_Flags = ZNBRUSH_DETAIL | ZNBRUSH_HIDDEN;
    Add(ZNSELECT_BRUSH, start);
    Sheet()->RefreshActivePage();
    ASSERT_TRUE(General()->GetDetailBox()->isChecked());
    ASSERT_TRUE(General()->GetHiddenBox()->isChecked());

    Band()->Clear(1, 0);
    for (const char *s = c.selection; *s; ++s) {
        if (*s == 'b') {
            ZNBRUSH *brush = Box({-100, 0, -100}, {-60, 40, -60});
            brush->m_Flags = c.brushFlags;
            Add(ZNSELECT_BRUSH, brush);
        } else if (*s == 'o') {
            Add(ZNSELECT_OVERLAY, OverlayOnBox(c.overlayFlags));
        } else {
            Add(ZNSELECT_ENTITY, Light(c.entityFlags));
        }
    }
    Sheet()->RefreshActivePage();
    EXPECT_EQ(General()->GetDetailBox()->isEnabled(), c.detailEnabled);
    EXPECT_EQ(General()->GetDetailBox()->isChecked(), c.detailChecked);
    EXPECT_EQ(General()->GetHiddenBox()->isEnabled(), c.hiddenEnabled);
    EXPECT_EQ(General()->GetHiddenBox()->isChecked(), c.hiddenChecked);
    EXPECT_EQ(doc->GetUndoList(), nullptr) << "filling the page writes no undo";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Selections, GeneralEnableTest, ::testing::Values(
    EnableCase{"HiddenEntity", "e", 0, 0, 1, false, false, true, true},
    EnableCase{"ShownEntity", "e", 0, 0, 0, false, false, true, false},
    EnableCase{"PlainBrushBeforeHiddenOverlay", "ob", 0, 1, 0, true, false, true, false},
    EnableCase{"HiddenDetailBrushBeforeShownOverlay", "ob", 6, 0, 0, true, true, true, true},
    EnableCase{"OverlayBeforeEntity", "eo", 0, 1, 0, false, false, true, true},
    EnableCase{"Nothing", "", 0, 0, 0, false, false, false, false}),
    [](const auto &info) { return std::string(info.param.name); });
// clang-format on

TEST_F(OptionsPropertyPagesTest, HiddenChangesOnlyTheHiddenBitOfAMixedSelectionAsOneLevel)
{
    ZNBRUSH *detail = Box({-100, 0, -100}, {-60, 40, -60});
    detail->m_Flags = ZNBRUSH_DETAIL;
    ZNBRUSH *plain = Box({100, 0, 100}, {140, 40, 140});
    CZNOverlay *overlay = OverlayOnBox();
    CZNEntity *light = Light();
    Add(ZNSELECT_BRUSH, detail);
    Add(ZNSELECT_BRUSH, plain);
    Add(ZNSELECT_OVERLAY, overlay);
    Add(ZNSELECT_ENTITY, light);
    Sheet()->RefreshActivePage();
    ASSERT_TRUE(General()->GetHiddenBox()->isEnabled());
    ASSERT_FALSE(General()->GetHiddenBox()->isChecked());

    ClickBox(General()->GetHiddenBox());
    EXPECT_EQ(UndoLevels(), std::vector<std::string>{"Hide / Unhide Object(s)"});
    EXPECT_EQ(detail->m_Flags, DWORD(ZNBRUSH_DETAIL | ZNBRUSH_HIDDEN));
    EXPECT_EQ(plain->m_Flags, DWORD(ZNBRUSH_HIDDEN)) << "the plain brush stays structural";
    EXPECT_EQ(overlay->m_Flags, DWORD(ZNOVERLAY_HIDDEN));
    EXPECT_EQ(light->m_Flags, 1u);
    EXPECT_EQ(boxUnderOverlay->m_Flags, 0u) << "not selected";

    ASSERT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(detail->m_Flags, DWORD(ZNBRUSH_DETAIL));
    EXPECT_EQ(plain->m_Flags, 0u);
    EXPECT_EQ(overlay->m_Flags, 0u);
    EXPECT_EQ(light->m_Flags, 0u);
    EXPECT_EQ(doc->GetUndoList(), nullptr);
    EXPECT_FALSE(General()->GetHiddenBox()->isChecked()) << "Undo refreshes the page";
}

TEST_F(OptionsPropertyPagesTest, DetailChangesOnlyTheDetailBitOfEverySelectedBrush)
{
    ZNBRUSH *hidden = Box({-100, 0, -100}, {-60, 40, -60});
    hidden->m_Flags = ZNBRUSH_HIDDEN;
    ZNBRUSH *shown = Box({100, 0, 100}, {140, 40, 140});
    Add(ZNSELECT_BRUSH, hidden);
    Add(ZNSELECT_BRUSH, shown);
    Sheet()->RefreshActivePage();

    ClickBox(General()->GetDetailBox());
    EXPECT_EQ(UndoLevels(), std::vector<std::string>{"Modify Brush Type"});
    EXPECT_EQ(hidden->m_Flags, DWORD(ZNBRUSH_DETAIL | ZNBRUSH_HIDDEN));
    EXPECT_EQ(shown->m_Flags, DWORD(ZNBRUSH_DETAIL)) << "the first brush's hidden bit is not copied";
    ClickBox(General()->GetDetailBox());
    EXPECT_EQ(hidden->m_Flags, DWORD(ZNBRUSH_HIDDEN));
    EXPECT_EQ(shown->m_Flags, 0u);
    EXPECT_EQ(UndoLevels().size(), 2u);
}

TEST_F(OptionsPropertyPagesTest, ClickingABrushInTheTopViewFillsThePageWithoutUndo)
{
    ZNBRUSH *detail = Box({0, 0, 0}, {64, 40, 64});
    detail->m_Flags = ZNBRUSH_DETAIL;
    Click(Pixel(0, 32));
    ASSERT_EQ(Band()->GetFirstBrush(), detail);
    EXPECT_TRUE(General()->GetDetailBox()->isEnabled());
    EXPECT_TRUE(General()->GetDetailBox()->isChecked());
    EXPECT_FALSE(General()->GetHiddenBox()->isChecked());
    EXPECT_EQ(doc->GetUndoList(), nullptr);
}

TEST_F(OptionsPropertyPagesTest, TheSwitchesSetTheirOptionWords)
{
    ZNAPPOPTIONS &options = GetEditorApp()->Options();
    ASSERT_EQ(options.m_CarveMode, 0);
    ASSERT_EQ(options.m_PlaceOnSurfaces, 0);
    EXPECT_FALSE(General()->GetBrushSplittingBox()->isChecked());
    EXPECT_FALSE(General()->GetIgnoreBackFacesBox()->isChecked());

    ClickBox(General()->GetIgnoreBackFacesBox());
    EXPECT_EQ(GetEditorApp()->GetOptionWord(26), 1);
    ClickBox(General()->GetIgnoreBackFacesBox());
    EXPECT_EQ(GetEditorApp()->GetOptionWord(26), 0);

    // With splitting allowed, Carve cuts the other brush into a new group of pieces.
    ClickBox(General()->GetBrushSplittingBox());
    EXPECT_EQ(options.m_CarveMode, 1);
    Box({0, 0, 0}, {64, 64, 64});
    ZNBRUSH *carver = Box({32, 0, 0}, {96, 64, 64});
    Add(ZNSELECT_BRUSH, carver);
    frame->RunCommand(32788);
    EXPECT_TRUE(reporter.Entries().empty());
    ASSERT_NE(doc->GetBrushList(), nullptr);
    bool grouped = false;
    for (ZNBRUSH *b = doc->GetBrushList(); b; b = b->m_Next)
        grouped = grouped || (b != carver && b->GetParent() != nullptr);
    EXPECT_TRUE(grouped) << "carving in place would keep the brush ungrouped";
    EXPECT_EQ(UndoLevels().size(), 1u) << "the switch itself writes no undo";

    ClickBox(General()->GetBrushSplittingBox());
    EXPECT_EQ(options.m_CarveMode, 0);
}

TEST_F(OptionsPropertyPagesTest, LockedWithNothingSelectedChangesTheDefaultOverlayWithoutUndo)
{
    CZNOverlay *fallback = GetEditorApp()->GetDefaultOverlay();
    Activate(CZNOptionsSheet::PAGE_OVERLAYS);
    EXPECT_FALSE(Overlays()->GetLockedBox()->isChecked());
    EXPECT_FALSE(Overlays()->GetBuildButton()->isEnabled());
    EXPECT_FALSE(Overlays()->GetDestroyButton()->isEnabled());
    EXPECT_EQ(Overlays()->GetZBiasSpin()->GetBuddy()->text().toStdString(), "0");

    ClickBox(Overlays()->GetLockedBox());
    EXPECT_EQ(fallback->GetAutoRebuildFlag(), 0);
    EXPECT_TRUE(Overlays()->GetBuildButton()->isEnabled());
    EXPECT_TRUE(Overlays()->GetDestroyButton()->isEnabled());
    TypeZBias("9");
    EXPECT_EQ(fallback->GetFaceFlag(), 9);
    EXPECT_EQ(doc->GetUndoList(), nullptr);
    // With nothing to undo Ctrl+Z does nothing: the edit has no undo of its own.
    QTest::keyClick(Overlays()->GetZBiasSpin()->GetBuddy(), Qt::Key_Z, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(Overlays()->GetZBiasSpin()->GetBuddy()->text().toStdString(), "9");
    EXPECT_EQ(fallback->GetFaceFlag(), 9);

    // The next overlay placed copies the template.
    Sheet()->RefreshActivePage();
    EXPECT_TRUE(Overlays()->GetLockedBox()->isChecked());
    EXPECT_EQ(Overlays()->GetZBiasSpin()->GetBuddy()->text().toStdString(), "9");
}

TEST_F(OptionsPropertyPagesTest, LockedWithOnlyABrushSelectedChangesTheDefaultOverlayAsOneLevel)
{
    ZNBRUSH *brush = Box({-100, 0, -100}, {-60, 40, -60});
    Add(ZNSELECT_BRUSH, brush);
    Activate(CZNOptionsSheet::PAGE_OVERLAYS);
    ClickBox(Overlays()->GetLockedBox());
    EXPECT_EQ(GetEditorApp()->GetDefaultOverlay()->GetAutoRebuildFlag(), 0);
    EXPECT_EQ(UndoLevels(), std::vector<std::string>{"Modify Locked State"});
}

TEST_F(OptionsPropertyPagesTest, ASelectedOverlayIsLockedAsOneLevel)
{
    CZNOverlay *overlay = OverlayOnBox();
    overlay->m_AutoRebuild = 1;
    Add(ZNSELECT_OVERLAY, overlay);
    Activate(CZNOptionsSheet::PAGE_OVERLAYS);
    ASSERT_FALSE(Overlays()->GetLockedBox()->isChecked());

    ClickBox(Overlays()->GetLockedBox());
    EXPECT_EQ(overlay->GetAutoRebuildFlag(), 0);
    EXPECT_EQ(GetEditorApp()->GetDefaultOverlay()->GetAutoRebuildFlag(), 1);
    EXPECT_EQ(UndoLevels(), std::vector<std::string>{"Modify Locked State"});
    ASSERT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(overlay->GetAutoRebuildFlag(), 1);
    EXPECT_FALSE(Overlays()->GetLockedBox()->isChecked());
}

namespace
{
// Keys typed into the z-bias edit: the levels written (one a key), the z-bias stored.
struct ZBiasCase {
    const char *name;
    const char *keys;
    size_t levels;
    BYTE stored;
};

class ZBiasTypingTest : public OptionsPropertyPagesTest, public ::testing::WithParamInterface<ZBiasCase>
{
};
} // namespace

TEST_P(ZBiasTypingTest, EveryKeyIsOneLevelAndTheValueIsClampedToAByte)
{
    const ZBiasCase &c = GetParam();
    CZNOverlay *overlay = OverlayOnBox();
    Add(ZNSELECT_OVERLAY, overlay);
    Activate(CZNOptionsSheet::PAGE_OVERLAYS);

    TypeZBias(c.keys);
    EXPECT_EQ(UndoLevels(), std::vector<std::string>(c.levels, "Modify Z-Bias"));
    EXPECT_EQ(overlay->GetFaceFlag(), c.stored);
    EXPECT_TRUE(FacesCarry(overlay, c.stored));
    EXPECT_EQ(GetEditorApp()->GetDefaultOverlay()->GetFaceFlag(), 0);
    EXPECT_EQ(Overlays()->GetZBiasSpin()->GetBuddy()->text().toStdString(), c.keys) << "the text stays as typed";

    Sheet()->RefreshActivePage();
    EXPECT_EQ(Overlays()->GetZBiasSpin()->GetBuddy()->text().toStdString(), std::to_string(c.stored));
    EXPECT_EQ(UndoLevels().size(), c.levels);
}

INSTANTIATE_TEST_SUITE_P(Typed, ZBiasTypingTest,
                         ::testing::Values(ZBiasCase{"InRange", "12", 2, 12}, ZBiasCase{"AboveAByte", "300", 3, 255},
                                           ZBiasCase{"Negative", "-5", 2, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(OptionsPropertyPagesTest, CtrlZInTheZBiasEditIsTheEditorsUndo)
{
    CZNOverlay *overlay = OverlayOnBox();
    Add(ZNSELECT_OVERLAY, overlay);
    Activate(CZNOptionsSheet::PAGE_OVERLAYS);
    TypeZBias("12");
    ASSERT_EQ(UndoLevels().size(), 2u);

    QLineEdit *edit = Overlays()->GetZBiasSpin()->GetBuddy();
    ASSERT_TRUE(edit->hasFocus());
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    QCoreApplication::processEvents();
    // The document took its newest level back; the edit's own undo would have changed the text
    // and so written a third level.
    EXPECT_EQ(UndoLevels(), std::vector<std::string>{"Modify Z-Bias"});
    EXPECT_TRUE(FacesCarry(overlay, 1));
}

TEST_F(OptionsPropertyPagesTest, BuildAndDestroySurfacesOfTheSelectedOverlay)
{
    CZNOverlay *overlay = OverlayOnBox();
    overlay->m_AutoRebuild = 0;
    Add(ZNSELECT_OVERLAY, overlay);
    Activate(CZNOptionsSheet::PAGE_OVERLAYS);
    ASSERT_TRUE(Overlays()->GetDestroyButton()->isEnabled());

    ClickButton(Overlays()->GetDestroyButton());
    EXPECT_EQ(overlay->GetFaceCount(), 0u);
    EXPECT_EQ(UndoLevels(), std::vector<std::string>{"Rebuild Surfaces"});

    TypeZBias("7");
    ClickButton(Overlays()->GetBuildButton());
    EXPECT_GT(overlay->GetFaceCount(), 0u);
    EXPECT_TRUE(FacesCarry(overlay, 7));
    EXPECT_EQ(UndoLevels(), (std::vector<std::string>{"Rebuild Surfaces", "Modify Z-Bias", "Rebuild Surfaces"}));

    ASSERT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(overlay->GetFaceCount(), 0u);
}

TEST_F(OptionsPropertyPagesTest, PicturesOfBothPages)
{
    ZNBRUSH *detail = Box({-100, 0, -100}, {-60, 40, -60});
    detail->m_Flags = ZNBRUSH_DETAIL;
    CZNOverlay *overlay = OverlayOnBox();
    overlay->SetFaceFlag(4);
    overlay->m_AutoRebuild = 0;
    Add(ZNSELECT_BRUSH, detail);
    Add(ZNSELECT_OVERLAY, overlay);
    Sheet()->RefreshActivePage();
    ExpectControlsInside(General());
    EXPECT_EQ(General()->GetContent()->findChildren<QGroupBox *>().size(), 3);
    SavePicture("general_page.png");

    Activate(CZNOptionsSheet::PAGE_OVERLAYS);
    ExpectControlsInside(Overlays());
    EXPECT_EQ(Overlays()->GetZBiasSpin()->GetBuddy()->text().toStdString(), "4");
    SavePicture("overlays_page.png");
}
