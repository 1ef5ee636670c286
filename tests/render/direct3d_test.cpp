#include <gtest/gtest.h>

#include "app/editor_app.h"
#include "render/direct3d.h"
#include "scene/material.h"

TEST(MaterialList, AddLookUpAndTrim)
{
    CZN3D &d3d = *GetEditorApp()->Get3D();
    d3d.TrimMaterialList();
    EXPECT_EQ(d3d.GetMaterialRecord(0), nullptr);
    EXPECT_EQ(d3d.AddMaterial(), 0);
    EXPECT_EQ(d3d.AddMaterial(), 1);
    ASSERT_NE(d3d.GetMaterialRecord(1), nullptr);
    EXPECT_STREQ(d3d.GetMaterialRecord(1)->GetName(), "New Material");
    EXPECT_EQ(d3d.GetMaterialRecord(2), nullptr);
    EXPECT_EQ(d3d.GetMaterialList()->GetElementCount(), 2u);
    EXPECT_EQ(d3d.GetMaterialList()->GetElement(0), d3d.GetMaterialRecord(0));
    EXPECT_EQ(d3d.TrimMaterialList(), 0u);
    EXPECT_EQ(d3d.GetMaterialRecord(0), nullptr);
}
