// The Faces page driven through its widgets in a started editor: what it shows for the selection,
// the undo steps its edits write, and that refills write none.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "scene/material.h"
#include "ui/faces_page.h"
#include "ui/material_combo_box.h"
#include "ui/material_pages_fixture.h"

namespace
{

class FacesPageTest : public ZnMaterialPagesTest
{
protected:
    void SetUp() override
    {
        ZnMaterialPagesTest::SetUp();
        if (HasFatalFailure())
            return;
        Activate(CZNOptionsSheet::PAGE_FACES);
    }
    CZNFacesPage *Page() const { return Sheet()->GetFacesPage(); }
    // A click on the box's indicator.
    static void Click(QCheckBox *box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2)); }
    static LONG SphereMaterial() { return GetEditorApp()->GetMaterialPreviewBrush()->GetFace(0)->GetMaterial(); }
};

TEST_F(FacesPageTest, NothingSelectedShowsTheDefaultsGreyed)
{
    EXPECT_EQ(Page()->GetFaceIndexLabel()->text().toStdString(), "N/A");
    EXPECT_EQ(Page()->GetVertexIndexLabel()->text().toStdString(), "N/A");
    for (DWORD bit : {1u, 2u, 4u, 8u, 16u})
        EXPECT_FALSE(Page()->GetStyleBox(bit)->isChecked()) << bit;
    EXPECT_EQ(Page()->GetMaterialList()->currentIndex(), 0);
    EXPECT_EQ(Page()->GetMaterialList()->count(),
              static_cast<int>(GetEditorApp()->Get3D()->GetMaterialList()->GetElementCount()));
    EXPECT_FALSE(Page()->GetAlphaBlendBox()->isChecked());
    EXPECT_EQ(Page()->GetSourceBlend()->currentText().toStdString(), "One");
    EXPECT_EQ(Page()->GetDestBlend()->currentText().toStdString(), "Zero");
    EXPECT_FALSE(Page()->GetSourceBlend()->isEnabled());
    EXPECT_FALSE(Page()->GetDestBlend()->isEnabled());
    EXPECT_EQ(Page()->GetSourceBlend()->count(), 10);
    // Material 0 has a record, so the workshop can open on it.
    EXPECT_TRUE(Page()->GetMaterialSettingsButton()->isEnabled());
    EXPECT_TRUE(Page()->GetCreateMaterialButton()->isEnabled());
    EXPECT_EQ(Page()->GetMaterialSettingsButton()->text().toStdString(), " Material Settings");
}

// Blend bytes of a face and what the page shows for them.
struct ZNBLENDCASE {
    const char *name;
    int source, dest;
    bool checked;
    const char *shownSource, *shownDest;
};

class FacesBlendTest : public FacesPageTest, public ::testing::WithParamInterface<ZNBLENDCASE>
{
};

TEST_P(FacesBlendTest, ShowsTheFacesBlending)
{
    const ZNBLENDCASE &c = GetParam();
    ZNBRUSH *cube = Cube();
    cube->GetFace(1)->m_SrcBlend = static_cast<signed char>(c.source);
    cube->GetFace(1)->m_DestBlend = static_cast<signed char>(c.dest);
    SelectFaces(cube, {1});
    EXPECT_EQ(Page()->GetFaceIndexLabel()->text().toStdString(), "1");
    EXPECT_EQ(Page()->GetAlphaBlendBox()->isChecked(), c.checked);
    EXPECT_EQ(Page()->GetSourceBlend()->currentText().toStdString(), c.shownSource);
    EXPECT_EQ(Page()->GetDestBlend()->currentText().toStdString(), c.shownDest);
    EXPECT_EQ(Page()->GetSourceBlend()->isEnabled(), c.checked);
    EXPECT_TRUE(UndoLevels().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, FacesBlendTest,
                         ::testing::Values(ZNBLENDCASE{"SourceNone", 255, 3, false, "Src Alpha", "InvSrc Alpha"},
                                           ZNBLENDCASE{"DestNone", 2, 255, false, "Src Alpha", "InvSrc Alpha"},
                                           ZNBLENDCASE{"Blended", 2, 7, true, "Src Color", "InvDest Alpha"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(FacesPageTest, StyleBoxesWriteTheirBitsOntoEveryFace)
{
    ZNBRUSH *cube = Cube();
    SelectFaces(cube, {0, 3});
    Click(Page()->GetStyleBox(ZNFACESTYLE_SKYBOX));
    Click(Page()->GetStyleBox(ZNFACESTYLE_TWOSIDED));
    EXPECT_EQ(cube->GetFace(0)->m_Style, 18u);
    EXPECT_EQ(cube->GetFace(3)->m_Style, 18u);
    EXPECT_EQ(cube->GetFace(1)->m_Style, 0u);
    EXPECT_EQ(UndoLevels(), (std::vector<std::string>{"Modify Face Style", "Modify Face Style"}));
    EXPECT_EQ(Newest()->Type, 61u);
}

TEST_F(FacesPageTest, UncheckingAlphaBlendTurnsBlendingOffInOneStep)
{
    ZNBRUSH *cube = Cube();
    for (DWORD f : {0u, 2u}) {
        cube->GetFace(f)->m_SrcBlend = 4;
        cube->GetFace(f)->m_DestBlend = 5;
    }
    SelectFaces(cube, {0, 2});
    ASSERT_TRUE(Page()->GetAlphaBlendBox()->isChecked());
    Click(Page()->GetAlphaBlendBox());
    for (DWORD f : {0u, 2u}) {
        EXPECT_EQ(static_cast<BYTE>(cube->GetFace(f)->m_SrcBlend), 255);
        EXPECT_EQ(static_cast<BYTE>(cube->GetFace(f)->m_DestBlend), 255);
    }
    EXPECT_FALSE(Page()->GetSourceBlend()->isEnabled());
    EXPECT_EQ(UndoLevels(), std::vector<std::string>{"Modify Alpha Modes"});
    EXPECT_EQ(Newest()->Type, 62u);
    // Checking it again writes the two factors shown.
    Click(Page()->GetAlphaBlendBox());
    EXPECT_EQ(cube->GetFace(0)->m_SrcBlend, 4);
    EXPECT_EQ(cube->GetFace(0)->m_DestBlend, 5);
}

TEST_F(FacesPageTest, AMaterialChosenInTheListIsSetAndUndone)
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    const int added = d3d->AddMaterial();
    ASSERT_GE(added, 1);
    d3d->GetMaterialRecord(static_cast<DWORD>(added))->SetName("Shiny");
    frame->RefreshMaterialList();
    ZNBRUSH *cube = Cube();
    const LONG before = cube->GetFace(0)->GetMaterial();
    SelectFaces(cube, {0, 5});
    CZNMaterialComboBox *list = Page()->GetMaterialList();
    ASSERT_EQ(list->itemText(added).toStdString(), "Shiny");
    list->setFocus();
    // Keys in the closed box choose as a click in the popup does.
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(cube->GetFace(0)->GetMaterial(), added);
    EXPECT_EQ(cube->GetFace(5)->GetMaterial(), added);
    EXPECT_EQ(cube->GetFace(1)->GetMaterial(), before);
    EXPECT_EQ(SphereMaterial(), added);
    EXPECT_EQ(UndoLevels(), std::vector<std::string>{"Set Material"});
    EXPECT_EQ(Newest()->Type, 60u);

    doc->OnEditUndo();
    ZNFACE *restored = doc->GetBrushList()->GetFace(0);
    EXPECT_EQ(restored->GetMaterial(), before);
}

TEST_F(FacesPageTest, RefillsWriteNoUndoLevel)
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    const int added = d3d->AddMaterial();
    ZNBRUSH *cube = Cube();
    cube->GetFace(2)->SetMaterial(added);
    frame->RefreshMaterialList();
    SelectFaces(cube, {2});
    EXPECT_EQ(Page()->GetMaterialList()->currentIndex(), added);
    EXPECT_EQ(SphereMaterial(), added);
    frame->RefreshActivePage();
    Activate(CZNOptionsSheet::PAGE_GENERAL);
    Activate(CZNOptionsSheet::PAGE_FACES);
    EXPECT_TRUE(UndoLevels().empty());

    // New trims the material list: the sphere left on the added material shows material 0.
    Band()->Clear(1, 0);
    GetEditorApp()->GetMaterialPreviewBrush()->SetMaterial(added);
    doc->OnNewDocument();
    EXPECT_EQ(Page()->GetMaterialList()->count(), static_cast<int>(d3d->GetMaterialList()->GetElementCount()));
    EXPECT_EQ(SphereMaterial(), 0);
    EXPECT_EQ(Page()->GetMaterialList()->currentIndex(), 0);
    EXPECT_TRUE(UndoLevels().empty());
}

} // namespace
