// The Textures page driven through its widgets in a started editor: choosing, applying and
// removing textures, the mapping controls and their undo steps, and the list following the
// current texture.
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/material_pages_fixture.h"
#include "ui/num_spin_ctrl.h"
#include "ui/texture_combo_box.h"
#include "ui/textures_page.h"

namespace
{

class TexturesPageTest : public ZnMaterialPagesTest
{
protected:
    void SetUp() override
    {
        ZnMaterialPagesTest::SetUp();
        if (HasFatalFailure())
            return;
        Activate(CZNOptionsSheet::PAGE_TEXTURES);
    }
    CZNTexturesPage *Page() const { return Sheet()->GetTexturesPage(); }
    CZNTextureComboBox *List() const { return Page()->GetTextureList(); }
    // Replaces the spin's text by typing, one key at a time.
    static void Type(CZNNumSpinCtrl *spin, const char *text)
    {
        spin->GetBuddy()->setFocus();
        spin->GetBuddy()->selectAll();
        QTest::keyClicks(spin->GetBuddy(), QString::fromLatin1(text));
    }
};

TEST_F(TexturesPageTest, TheListHoldsTheTexturesSortedAndTheFirstIsCurrent)
{
    ASSERT_EQ(List()->count(), 4);
    EXPECT_EQ(List()->itemText(0).toStdString(), "brick");
    EXPECT_EQ(List()->itemText(1).toStdString(), "grass");
    EXPECT_EQ(List()->itemText(2).toStdString(), "Stone");
    EXPECT_EQ(List()->itemText(3).toStdString(), "white");
    EXPECT_EQ(Textures()->GetCurrentTexture(), List()->GetTexture(0));
    EXPECT_EQ(List()->currentIndex(), 0);
}

TEST_F(TexturesPageTest, ChoosingChangesOnlyTheCurrentTextureAndApplyAndRemoveWriteOneStepEach)
{
    ZNBRUSH *cube = Cube();
    SelectFaces(cube, {0, 4});
    CZNTexture *const before = cube->GetFace(0)->GetTexture();
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_Down);
    EXPECT_EQ(Textures()->GetCurrentTexture(), FindTexture("grass"));
    EXPECT_EQ(cube->GetFace(0)->GetTexture(), before);
    EXPECT_TRUE(UndoLevels().empty());

    QTest::mouseClick(Page()->GetApplyButton(), Qt::LeftButton);
    EXPECT_EQ(cube->GetFace(0)->GetTexture(), FindTexture("grass"));
    EXPECT_EQ(cube->GetFace(4)->GetTexture(), FindTexture("grass"));
    EXPECT_EQ(cube->GetFace(1)->GetTexture(), before);
    EXPECT_EQ(UndoLevels(), std::vector<std::string>{"Set Texture"});
    EXPECT_EQ(Newest()->Type, 40u);

    QTest::mouseClick(Page()->GetRemoveButton(), Qt::LeftButton);
    EXPECT_EQ(cube->GetFace(0)->GetTexture(), nullptr);
    EXPECT_EQ(UndoLevels(), (std::vector<std::string>{"Set Texture", "Set Texture"}));
}

TEST_F(TexturesPageTest, PlanarModeFollowsTheCheckedPlanarButton)
{
    ZNBRUSH *cube = Cube();
    SelectFaces(cube, {2});
    ASSERT_EQ(Page()->GetMappingCombo()->currentIndex(), cube->GetFace(2)->m_MappingMode - 1);
    Page()->GetPlanarButton(1)->setChecked(true);
    Page()->GetMappingCombo()->setFocus();
    QTest::keyClick(Page()->GetMappingCombo(), Qt::Key_End);
    EXPECT_EQ(cube->GetFace(2)->m_MappingMode, 5);
    EXPECT_EQ(UndoLevels(), std::vector<std::string>{"Modify Texture Mode"});
    EXPECT_EQ(Newest()->Type, 44u);
    EXPECT_TRUE(Page()->GetPlanarButton(2)->isEnabled());
    EXPECT_FALSE(Page()->GetSetOriginButton()->isEnabled());

    QTest::mouseClick(Page()->GetPlanarButton(2), Qt::LeftButton);
    EXPECT_EQ(cube->GetFace(2)->m_MappingMode, 6);
    EXPECT_EQ(UndoLevels().size(), 1u);
}

// A rotation typed in a mapping mode and the component it changes.
struct ZNROTATIONCASE {
    const char *name;
    BYTE mode;
    int axis; // the axis button clicked, -1 none
    int component;
};

class TexturesRotationTest : public TexturesPageTest, public ::testing::WithParamInterface<ZNROTATIONCASE>
{
};

TEST_P(TexturesRotationTest, TypingTheAngleChangesOneComponent)
{
    const ZNROTATIONCASE &c = GetParam();
    ZNBRUSH *cube = Cube();
    ZNFACE *face = cube->GetFace(1);
    face->m_MappingMode = c.mode;
    face->m_Rotation = D3DXVECTOR4(0.25f, 0.5f, 0.75f, 1.0f);
    SelectFaces(cube, {1});
    if (c.axis >= 0)
        QTest::mouseClick(Page()->GetAxisButton(c.axis), Qt::LeftButton);
    EXPECT_TRUE(UndoLevels().empty());
    Type(Page()->GetSpin(CZNTexturesPage::SPIN_ROTATION), "1.5");
    float expected[4] = {0.25f, 0.5f, 0.75f, 1.0f};
    expected[c.component] = 1.5f;
    EXPECT_FLOAT_EQ(face->m_Rotation.x, expected[0]);
    EXPECT_FLOAT_EQ(face->m_Rotation.y, expected[1]);
    EXPECT_FLOAT_EQ(face->m_Rotation.z, expected[2]);
    EXPECT_FLOAT_EQ(face->m_Rotation.w, expected[3]);
    // One step per keystroke.
    EXPECT_EQ(UndoLevels().size(), 3u);
    EXPECT_EQ(UndoLevels().front(), "Modify Texture Rotation");
}

INSTANTIATE_TEST_SUITE_P(Cases, TexturesRotationTest,
                         ::testing::Values(ZNROTATIONCASE{"SphericalY", 2, 1, 1},
                                           ZNROTATIONCASE{"CylindricalZ", 3, 2, 2}, ZNROTATIONCASE{"World", 1, -1, 3},
                                           ZNROTATIONCASE{"PlanarXZ", 5, -1, 3}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(TexturesPageTest, SetMappingOriginWritesAStepAndResetNone)
{
    ZNBRUSH *cube = Cube();
    SelectFaces(cube, {3});
    ASSERT_TRUE(Page()->GetSetOriginButton()->isEnabled());
    QTest::mouseClick(Page()->GetSetOriginButton(), Qt::LeftButton);
    EXPECT_EQ(UndoLevels(), std::vector<std::string>{"Set Mapping Origin"});
    EXPECT_EQ(Newest()->Type, 111u);
    EXPECT_NE(cube->GetFace(3)->m_MappingOrigin.x, ZN_NO_MAPPING_ORIGIN);
    QTest::mouseClick(Page()->GetResetOriginButton(), Qt::LeftButton);
    EXPECT_EQ(UndoLevels().size(), 1u);
    EXPECT_EQ(cube->GetFace(3)->m_MappingOrigin.x, ZN_NO_MAPPING_ORIGIN);
}

TEST_F(TexturesPageTest, ManualCoordinatesAreGreyedOutsideVertexMode)
{
    ZNBRUSH *cube = Cube();
    SelectFaces(cube, {0});
    EXPECT_FALSE(Page()->GetManualGroup()->isEnabled());
    EXPECT_FALSE(Page()->GetSpin(CZNTexturesPage::SPIN_UPOS)->isEnabled());
    GetEditorApp()->SetEditMode(ZNEDITMODE_VERTEX);
    frame->RefreshActivePage();
    EXPECT_TRUE(Page()->GetSpin(CZNTexturesPage::SPIN_VPOS)->isEnabled());
}

TEST_F(TexturesPageTest, AFaceWithAnotherTextureBecomesCurrentAndTheListFollows)
{
    ZNBRUSH *cube = Cube();
    cube->GetFace(1)->SetTexture(FindTexture("Stone"));
    ASSERT_EQ(Textures()->GetCurrentTexture(), FindTexture("brick"));
    SelectFaces(cube, {1});
    EXPECT_EQ(Textures()->GetCurrentTexture(), FindTexture("Stone"));
    Activate(CZNOptionsSheet::PAGE_FACES);
    Activate(CZNOptionsSheet::PAGE_TEXTURES);
    EXPECT_EQ(List()->currentText().toStdString(), "Stone");
    EXPECT_TRUE(UndoLevels().empty());
}

TEST_F(TexturesPageTest, TypingAPrefixMakesItsTextureCurrent)
{
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_Down);
    ASSERT_EQ(Textures()->GetCurrentTexture(), FindTexture("grass"));
    List()->lineEdit()->selectAll();
    QTest::keyClicks(List()->lineEdit(), QStringLiteral("BR"));
    EXPECT_EQ(Textures()->GetCurrentTexture(), FindTexture("brick"));
    // The list's selection stays where it was.
    EXPECT_EQ(List()->currentIndex(), 1);
    QTest::keyClicks(List()->lineEdit(), QStringLiteral("x"));
    EXPECT_EQ(Textures()->GetCurrentTexture(), FindTexture("brick"));
}

TEST_F(TexturesPageTest, OneUpArrowStepsEachSpin)
{
    GetEditorApp()->SetEditMode(ZNEDITMODE_VERTEX);
    frame->RefreshActivePage();
    const struct {
        CZNTexturesPage::ZNSPIN spin;
        const char *text;
    } cases[] = {{CZNTexturesPage::SPIN_UOFFSET, "0.5000"},
                 {CZNTexturesPage::SPIN_USCALE, "1.0050"},
                 {CZNTexturesPage::SPIN_UPOS, "0.0500"},
                 {CZNTexturesPage::SPIN_ROTATION, "0.0872"}};
    for (const auto &c : cases) {
        CZNNumSpinCtrl *spin = Page()->GetSpin(c.spin);
        spin->setFocus();
        QTest::keyClick(spin, Qt::Key_Up);
        EXPECT_EQ(spin->GetBuddy()->text().toStdString(), c.text) << c.spin;
    }
}

} // namespace
