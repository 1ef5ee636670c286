#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "render/direct3d.h"
#include "render/view/view.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/group.h"
#include "scene/object_type.h"
#include "support/shapes.h"

namespace
{

char *NewName(const char *text)
{
    char *name = new char[std::strlen(text) + 1];
    std::strcpy(name, text);
    return name;
}

std::vector<ZNBRUSH *> Listed(const CZNEDITORDoc &doc)
{
    std::vector<ZNBRUSH *> out;
    for (ZNBRUSH *b = doc.GetBrushList(); b; b = b->m_Next)
        out.push_back(b);
    return out;
}

// A document with a cube, a wedge and a cylinder, created in that order.
class DocumentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        cube = doc.NewBrush();
        wedge = doc.NewBrush();
        cylinder = doc.NewBrush();
        ASSERT_TRUE(cube && wedge && cylinder);
        ZnBuildBox(*cube, {0, 0, 0}, {64, 64, 64});
        ZnBuildWedge(*wedge, {100, 0, 0}, {164, 64, 64});
        ZnBuildCylinder(*cylinder, {-100, 0, 0}, 32, 64, 16);
        cube->m_Name = NewName("Cube01");
        wedge->m_Name = NewName("Wedge01");
        cylinder->m_Name = NewName("Cylinder01");
        doc.SetModifiedFlag(FALSE);
    }

    CZNEDITORDoc doc;
    ZNBRUSH *cube = nullptr;
    ZNBRUSH *wedge = nullptr;
    ZNBRUSH *cylinder = nullptr;
};

} // namespace

TEST(Document, BecomesTheCurrentDocumentForItsLifetime)
{
    {
        CZNEDITORDoc doc;
        EXPECT_EQ(GetEditorApp()->GetDocument(), &doc);
        EXPECT_EQ(doc.GetBrushList(), nullptr);
        EXPECT_EQ(doc.GetLastBrush(), nullptr);
        EXPECT_FALSE(doc.IsModified());
        ZNBRUSH *brush = doc.NewBrush();
        ASSERT_NE(brush, nullptr);
        EXPECT_EQ(doc.GetBrushList(), brush);
        EXPECT_EQ(brush->GetFaceCount(), 0u);
        EXPECT_TRUE(doc.IsModified());
    }
    EXPECT_EQ(GetEditorApp()->GetDocument(), nullptr);
}

TEST_F(DocumentTest, ListKeepsCreationOrder)
{
    EXPECT_EQ(Listed(doc), (std::vector<ZNBRUSH *>{cube, wedge, cylinder}));
    EXPECT_EQ(doc.GetLastBrush(), cylinder);

    // Appending a brush that carries a stale link ends the list at it; appending a listed
    // brush again changes nothing.
    ZNBRUSH *copy = new ZNBRUSH(cube);
    EXPECT_EQ(copy->m_Next, wedge);
    doc.AppendBrush(copy);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(Listed(doc), (std::vector<ZNBRUSH *>{cube, wedge, cylinder, copy}));
    doc.AppendBrush(wedge);
    doc.AppendBrush(nullptr);
    EXPECT_EQ(Listed(doc), (std::vector<ZNBRUSH *>{cube, wedge, cylinder, copy}));
}

TEST_F(DocumentTest, IndexAndObjectByIndex)
{
    EXPECT_EQ(doc.GetObjectIndex(1, cube), 0);
    EXPECT_EQ(doc.GetObjectIndex(1, cylinder), 2);
    EXPECT_EQ(doc.GetObjectIndex(2, cube), -1); // the entity list
    EXPECT_EQ(doc.GetObjectIndex(5, cube), -1); // the overlay list
    ZNBRUSH stranger;
    EXPECT_EQ(doc.GetObjectIndex(1, &stranger), -1);
    EXPECT_EQ(doc.GetObjectByIndex(1, 0), cube);
    EXPECT_EQ(doc.GetObjectByIndex(1, 2), cylinder);
    EXPECT_EQ(doc.GetObjectByIndex(1, 3), nullptr);
    EXPECT_EQ(doc.GetObjectByIndex(3, 0), nullptr);
}

TEST_F(DocumentTest, FindByNameIgnoresCaseAndFindsGroupsFirst)
{
    EXPECT_EQ(doc.FindObjectByName("wedge01"), wedge);
    EXPECT_EQ(doc.FindObjectByName("CYLINDER01"), cylinder);
    EXPECT_EQ(doc.FindObjectByName("Cube02"), nullptr);
    EXPECT_EQ(doc.FindObjectByName(nullptr), nullptr);

    // A group named like a brush is found before the brush; an unnamed group never matches.
    CZNGROUP *outer = new CZNGROUP;
    CZNGROUP *inner = new CZNGROUP;
    outer->SetName(NewName("cube01"));
    outer->AddChild(inner);
    inner->AddChild(cylinder);
    EXPECT_EQ(doc.FindObjectByName("Cube01"), outer);
    EXPECT_EQ(doc.FindObjectByName("Cylinder01"), cylinder);

    CZNCONTAINER groups;
    EXPECT_EQ(doc.CollectGroups(nullptr), 0);
    inner->AddChild(wedge);
    EXPECT_EQ(doc.CollectGroups(&groups), 1);
    ASSERT_EQ(groups.GetElementCount(), 1u);
    EXPECT_EQ(groups.GetElement(0), outer);
}

TEST_F(DocumentTest, DeleteUnlinksAndDestroys)
{
    ZNBRUSH stranger;
    EXPECT_EQ(doc.DeleteBrush(&stranger), 0);
    EXPECT_EQ(doc.DeleteBrush(nullptr), 0);
    EXPECT_FALSE(doc.IsModified());

    // A grouped brush leaves its group, which goes when it is left empty.
    CZNGROUP *group = new CZNGROUP;
    group->AddChild(wedge);
    EXPECT_EQ(doc.DeleteBrush(wedge), 1);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(Listed(doc), (std::vector<ZNBRUSH *>{cube, cylinder}));
    EXPECT_EQ(doc.DeleteBrush(cylinder), 1);
    EXPECT_EQ(doc.GetLastBrush(), cube);
    ZNBRUSH *next = doc.NewBrush();
    EXPECT_EQ(Listed(doc), (std::vector<ZNBRUSH *>{cube, next}));
    EXPECT_EQ(doc.DeleteBrush(cube), 1);
    EXPECT_EQ(doc.GetBrushList(), next);
    EXPECT_EQ(doc.GetObjectIndex(1, next), 0);
}

TEST_F(DocumentTest, InvalidBrushesAreRemoved)
{
    doc.NewBrush(); // no faces at all
    ZNBRUSH *hollow = doc.NewBrush();
    hollow->AddFaces(4, 0);
    CZNGROUP *group = new CZNGROUP;
    group->AddChild(hollow);
    group->AddChild(cube);
    // A brush that only carries empty faces among real ones stays, without them.
    wedge->AddFaces(2, 0);
    doc.SetModifiedFlag(FALSE);

    doc.ValidateBrushes();
    EXPECT_EQ(Listed(doc), (std::vector<ZNBRUSH *>{cube, wedge, cylinder}));
    EXPECT_EQ(wedge->GetFaceCount(), 5u);
    EXPECT_EQ(cube->GetParent(), group);
    EXPECT_EQ(group->GetChildCount(), 1u);
    EXPECT_FALSE(doc.IsModified());

    doc.ValidateBrushes(); // nothing more to remove
    EXPECT_EQ(Listed(doc).size(), 3u);
}

TEST_F(DocumentTest, ClearingEmptiesTheSceneAndTheMaterialList)
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    const DWORD builtIn = d3d->TrimMaterialList();
    ASSERT_GE(d3d->AddMaterial(), 0);
    cube->GetFace(0)->SetMaterial(static_cast<LONG>(builtIn)); // the face holds a reference
    CZNGROUP *group = new CZNGROUP;
    group->AddChild(cube);
    group->AddChild(cylinder);

    doc.DeleteContents();
    EXPECT_EQ(doc.GetBrushList(), nullptr);
    EXPECT_EQ(doc.GetLastBrush(), nullptr);
    EXPECT_EQ(doc.GetObjectByIndex(1, 0), nullptr);
    EXPECT_EQ(d3d->GetMaterialList()->GetElementCount(), builtIn);
    EXPECT_EQ(d3d->IsDefaultLighting(), 1u);

    // The document goes on working after a clear.
    ZNBRUSH *fresh = doc.NewBrush();
    EXPECT_EQ(doc.GetBrushList(), fresh);
}

TEST(Document, ObjectTypeToCategory)
{
    const std::pair<BYTE, BYTE> table[] = {{1, 1}, {4, 2}, {3, 3}, {9, 4}, {6, 5},  {8, 6},
                                           {5, 7}, {2, 8}, {0, 0}, {7, 0}, {10, 0}, {255, 0}};
    for (auto [type, category] : table)
        EXPECT_EQ(MapObjectTypeToCategory(type), category) << int(type);
}

namespace
{

// A view that notes what the document asked of it.
class CNotingView : public CZNView
{
public:
    CNotingView(WORD type, std::string *log) : CZNView(type), m_Log(log) {}
    void RedrawForDocument(int flag) override { *m_Log += "R" + std::to_string(m_ViewType) + ":" + std::to_string(flag) + " "; }
    void RefreshForDocument() override { *m_Log += "F" + std::to_string(m_ViewType) + " "; }

private:
    std::string *m_Log;
};

TEST(DocumentViews, RedrawAndRefreshWalkTheViewsInOrder)
{
    CZNEDITORDoc doc;
    std::string log;
    CNotingView top(0, &log), right(1, &log), front(2, &log), perspective(ZNVIEWTYPE_3D, &log);
    for (CZNView *v : {static_cast<CZNView *>(&top), static_cast<CZNView *>(&right), static_cast<CZNView *>(&front),
                       static_cast<CZNView *>(&perspective), static_cast<CZNView *>(&top)})
        doc.AddView(v);
    doc.AddView(nullptr);
    ASSERT_EQ(doc.GetViews().size(), 4u) << "a listed view is not added twice";

    doc.RedrawAllViews(nullptr, 0);
    EXPECT_EQ(log, "R0:0 R1:0 R2:0 R3:0 ");
    log.clear();
    doc.RedrawAllViews(&right, 1);
    EXPECT_EQ(log, "R0:1 R2:1 R3:1 ");
    log.clear();
    doc.RemoveView(&front);
    doc.RefreshViews();
    EXPECT_EQ(log, "F0 F1 F3 ");
}

} // namespace
