// The document's overlay list: creation, indices, names, groups and clearing.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/group.h"
#include "scene/overlay.h"
#include "support/shapes.h"

namespace
{

char *NewName(const char *text)
{
    char *name = new char[std::strlen(text) + 1];
    std::strcpy(name, text);
    return name;
}

std::vector<CZNOverlay *> Listed(const CZNEDITORDoc &doc)
{
    std::vector<CZNOverlay *> out;
    for (CZNOverlay *o = doc.GetOverlayList(); o; o = o->m_Next)
        out.push_back(o);
    return out;
}

class DocumentOverlayTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        brush = doc.NewBrush();
        ZnBuildBox(*brush, {0, 0, 0}, {64, 64, 64});
        brush->m_Name = NewName("Cube01");
        first = doc.NewOverlay({10, 0, 0});
        second = doc.NewOverlay({0, 0, 0});
        ASSERT_TRUE(first && second);
        first->m_Name = NewName("Decal01");
        second->m_Name = NewName("Decal02");
        doc.SetModifiedFlag(FALSE);
    }
    CZNEDITORDoc doc;
    ZNBRUSH *brush = nullptr;
    CZNOverlay *first = nullptr;
    CZNOverlay *second = nullptr;
};

} // namespace

TEST_F(DocumentOverlayTest, NewOverlayIsPlacedAndListedInOrder)
{
    EXPECT_EQ(Listed(doc), (std::vector<CZNOverlay *>{first, second}));
    EXPECT_EQ(doc.GetLastOverlay(), second);
    const ZNBBOX bounds = first->GetBounds(0);
    EXPECT_EQ(bounds.Min, D3DXVECTOR3(-20, -30, -30));
    EXPECT_EQ(first->GetFaceCount(), 0u);

    CZNOverlay *third = new CZNOverlay;
    third->m_Next = first; // a stale link
    doc.AppendOverlay(third);
    EXPECT_TRUE(doc.IsModified());
    doc.AppendOverlay(first);
    doc.AppendOverlay(nullptr);
    EXPECT_EQ(Listed(doc), (std::vector<CZNOverlay *>{first, second, third}));
}

TEST_F(DocumentOverlayTest, IndicesOfCategoryFive)
{
    EXPECT_EQ(doc.GetObjectIndex(5, second), 1);
    EXPECT_EQ(doc.GetObjectIndex(1, second), -1);
    EXPECT_EQ(doc.GetObjectIndex(5, brush), -1);
    EXPECT_EQ(doc.GetObjectByIndex(5, 0), first);
    EXPECT_EQ(doc.GetObjectByIndex(5, 2), nullptr);
    EXPECT_EQ(doc.GetObjectByIndex(1, 0), brush);
}

TEST_F(DocumentOverlayTest, DeleteOverlay)
{
    CZNOverlay stranger;
    EXPECT_EQ(doc.DeleteOverlay(&stranger), 0);
    EXPECT_EQ(doc.DeleteOverlay(nullptr), 0);
    EXPECT_FALSE(doc.IsModified());
    CZNGROUP *group = new CZNGROUP;
    group->AddChild(first);
    EXPECT_EQ(doc.DeleteOverlay(first), 1); // its group, left empty, goes too (ASan checks)
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(Listed(doc), (std::vector<CZNOverlay *>{second}));
}

TEST_F(DocumentOverlayTest, FindByNameLooksAtGroupsThenBrushesThenOverlays)
{
    EXPECT_EQ(doc.FindObjectByName("decal02"), second);
    EXPECT_EQ(doc.FindObjectByName("CUBE01"), brush);
    // A group reached only through an overlay, named like an overlay, is found first.
    CZNGROUP *group = new CZNGROUP;
    group->SetName(NewName("DECAL01"));
    group->AddChild(second);
    EXPECT_EQ(doc.FindObjectByName("Decal01"), group);
    EXPECT_EQ(doc.FindObjectByName("Decal02"), second);
}

TEST_F(DocumentOverlayTest, CollectGroupsTakesOverlayGroupsOnce)
{
    CZNGROUP *outer = new CZNGROUP;
    CZNGROUP *inner = new CZNGROUP;
    outer->AddChild(inner);
    inner->AddChild(first);
    outer->AddChild(brush);
    CZNGROUP *own = new CZNGROUP;
    own->AddChild(second);
    CZNCONTAINER groups;
    ASSERT_EQ(doc.CollectGroups(&groups), 1);
    ASSERT_EQ(groups.GetElementCount(), 2u);
    EXPECT_EQ(groups.GetElement(0), outer);
    EXPECT_EQ(groups.GetElement(1), own);
    EXPECT_EQ(inner->IsSelected(), 0);
    first->SetSelected(1);
    EXPECT_EQ(outer->IsSelected(), 1);
    ZNBBOX box;
    own->GetBoundingBox(&box, 0);
    EXPECT_EQ(box.Min, D3DXVECTOR3(-30, -30, -30));
}

TEST_F(DocumentOverlayTest, ClearingFreesGroupsReachedOnlyThroughOverlays)
{
    CZNGROUP *outer = new CZNGROUP;
    CZNGROUP *inner = new CZNGROUP;
    outer->AddChild(inner);
    inner->AddChild(first);
    inner->AddChild(second);
    doc.DeleteContents(); // LeakSanitizer reports the groups if they are lost
    EXPECT_EQ(doc.GetOverlayList(), nullptr);
    EXPECT_EQ(doc.GetBrushList(), nullptr);
}

TEST(DefaultOverlay, TheApplicationHoldsOne)
{
    CZNOverlay *overlay = GetEditorApp()->GetDefaultOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->GetFaceFlag(), 1);
    EXPECT_EQ(overlay->GetAutoRebuildFlag(), 0);
}
