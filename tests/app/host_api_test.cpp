#include <gtest/gtest.h>

#include "app/editor_app.h"
#include "sdk/host_api.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "scene/brush.h"
#include "scene/selection_entry.h"

TEST(HostApi, AllocNewBrushAppendsToTheCurrentDocument)
{
    ASSERT_EQ(GetEditorApp()->GetDocument(), nullptr);
    EXPECT_EQ(AllocNewBrush(), nullptr);

    CZNEDITORDoc doc;
    ZNBRUSH *first = AllocNewBrush();
    ZNBRUSH *second = AllocNewBrush();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(doc.GetBrushList(), first);
    EXPECT_EQ(first->m_Next, second);
    EXPECT_EQ(doc.GetObjectIndex(1, second), 1);
    // A plug-in fills what it gets.
    ZNFACE *face = second->AddFace(static_cast<short>(3));
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(second->GetFaceCount(), 1u);
}

#include <cstring>

#include "render/direct3d.h"
#include "scene/group.h"
#include "scene/overlay.h"
#include "support/shapes.h"

namespace
{

char *NewName(const char *name)
{
    char *copy = new char[std::strlen(name) + 1];
    std::strcpy(copy, name);
    return copy;
}

// A document with a 10-unit cube "Crate1" centred at (5, 5, 5), a cube "Barrel" centred at
// (50, 0, 0), and the groups "Outer" > "Inner" around the crate, "Outer" also holding the barrel.
class HostApiScene : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Crate = m_Doc.NewBrush();
        ZnBuildBox(*m_Crate, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(10, 10, 10));
        m_Crate->m_Name = NewName("Crate1");
        m_Barrel = m_Doc.NewBrush();
        ZnBuildBox(*m_Barrel, D3DXVECTOR3(48, -2, -2), D3DXVECTOR3(52, 2, 2));
        m_Barrel->m_Name = NewName("Barrel");
        m_Inner = new CZNGROUP;
        m_Inner->SetName(NewName("Inner"));
        m_Outer = new CZNGROUP;
        m_Outer->SetName(NewName("Outer"));
        m_Inner->AddChild(m_Crate);
        m_Outer->AddChild(m_Inner);
        m_Outer->AddChild(m_Barrel);
    }
    void TearDown() override
    {
        m_Doc.DeleteContents();
    }

    CZNEDITORDoc m_Doc;
    ZNBRUSH *m_Crate = nullptr;
    ZNBRUSH *m_Barrel = nullptr;
    CZNGROUP *m_Inner = nullptr;
    CZNGROUP *m_Outer = nullptr;
};

} // namespace

TEST(HostApi, VersionAndDeviceAnswersBeforeTheDeviceExists)
{
    EXPECT_EQ(TOVRA_GetVersion(), 0x01050000u);
    ASSERT_EQ(GetEditorApp()->Get3D()->GetDevice(), nullptr);
    EXPECT_EQ(TOVRA_GetD3DDevice(), nullptr);
    EXPECT_FALSE(TOVRA_GetHardwareTnL());
    EXPECT_FALSE(TOVRA_ImportFile(nullptr, true, nullptr));
}

TEST_F(HostApiScene, BoundsAreCentredAtTheMatrixOrigin)
{
    ZNBBOX box;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    ASSERT_TRUE(TOVRA_GetObjectBounds("crate1", &box, &identity, nullptr));
    EXPECT_EQ(box.Min, D3DXVECTOR3(-5, -5, -5));
    EXPECT_EQ(box.Max, D3DXVECTOR3(5, 5, 5));

    D3DXMATRIX moved;
    D3DXMatrixTranslation(&moved, 100, 0, -20);
    OVERRIDEDATA over{};
    D3DXMATRIX *callerMatrix = nullptr;
    over.Matrix = callerMatrix;
    ASSERT_TRUE(TOVRA_GetObjectBounds("Crate1", &box, &moved, &over));
    EXPECT_EQ(box.Min, D3DXVECTOR3(95, -5, -25));
    EXPECT_EQ(box.Max, D3DXVECTOR3(105, 5, -15));
    EXPECT_EQ(over.Matrix, callerMatrix); // the caller's value comes back

    // A group: its whole box is centred, from (0,-2,-2)..(52,10,10) around (26, 4, 4).
    ASSERT_TRUE(TOVRA_GetObjectBounds("Outer", &box, &identity, nullptr));
    EXPECT_EQ(box.Min, D3DXVECTOR3(-26, -6, -6));
    EXPECT_EQ(box.Max, D3DXVECTOR3(26, 6, 6));

    box.Min = D3DXVECTOR3(1, 2, 3);
    EXPECT_FALSE(TOVRA_GetObjectBounds("Nothing", &box, &identity, nullptr));
    EXPECT_EQ(box.Min, D3DXVECTOR3(1, 2, 3));
    EXPECT_FALSE(TOVRA_GetObjectBounds(nullptr, &box, &identity, nullptr));
    EXPECT_FALSE(TOVRA_GetObjectBounds("Crate1", nullptr, &identity, nullptr));
}

TEST_F(HostApiScene, RayTests)
{
    D3DXMATRIX moved;
    D3DXMatrixTranslation(&moved, 100, 0, 0);
    const D3DXVECTOR3 down(0, -1, 0);
    float distance = 0;
    D3DXVECTOR3 hit(0, 0, 0);

    // A miss.
    const D3DXVECTOR3 aside(0, 50, 0);
    EXPECT_FALSE(TOVRA_IntersectObject("Crate1", &moved, &aside, &down, &distance, &hit, nullptr));
    EXPECT_EQ(distance, 9999999.0f);

    // Straight down onto the placed crate's top at y = 5: the hit is in world space.
    const D3DXVECTOR3 above(101, 50, 2);
    ASSERT_TRUE(TOVRA_IntersectObject("Crate1", &moved, &above, &down, &distance, &hit, nullptr));
    EXPECT_NEAR(distance, 45.0f, 1e-3f);
    EXPECT_NEAR(hit.x, 101.0f, 1e-3f);
    EXPECT_NEAR(hit.y, 5.0f, 1e-3f);
    EXPECT_NEAR(hit.z, 2.0f, 1e-3f);
    // Null outputs are allowed.
    EXPECT_TRUE(TOVRA_IntersectObject("Crate1", &moved, &above, &down, nullptr, nullptr, nullptr));

    // Through a group: the barrel sits 24 units right of the group's centre.
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    const D3DXVECTOR3 overBarrel(24, 50, -4);
    ASSERT_TRUE(TOVRA_IntersectObject("outer", &identity, &overBarrel, &down, &distance, &hit, nullptr));
    EXPECT_NEAR(hit.y, -2.0f, 1e-3f); // the barrel's top, (2 - 4) after centring

    // A matrix that cannot be inverted gives no hit.
    D3DXMATRIX flat;
    D3DXMatrixScaling(&flat, 1, 0, 1);
    distance = 0;
    EXPECT_FALSE(TOVRA_IntersectObject("Crate1", &flat, &above, &down, &distance, &hit, nullptr));
    EXPECT_EQ(distance, 9999999.0f);
    EXPECT_FALSE(TOVRA_IntersectObject("Crate1", &moved, nullptr, &down, &distance, &hit, nullptr));
}

TEST_F(HostApiScene, CountsAndNames)
{
    EXPECT_EQ(TOVRA_GetBrushCount(), 2u);
    EXPECT_EQ(TOVRA_GetGroupCount(), 2u); // a group nested in a group counts twice

    char buffer[16];
    std::memset(buffer, '#', sizeof(buffer));
    ASSERT_TRUE(TOVRA_GetBrushName(0, buffer, 4));
    EXPECT_EQ(std::string(buffer, 5), std::string("Crat\0", 5));
    EXPECT_EQ(buffer[5], '#'); // exactly length + 1 bytes written

    std::memset(buffer, '#', sizeof(buffer));
    ASSERT_TRUE(TOVRA_GetBrushName(1, buffer, 10));
    EXPECT_STREQ(buffer, "Barrel");
    EXPECT_EQ(buffer[7], '#');

    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_FALSE(TOVRA_GetBrushName(2, buffer, 10));
    EXPECT_EQ(buffer[0], '#');

    ASSERT_TRUE(TOVRA_GetGroupName(0, buffer, 15));
    EXPECT_STREQ(buffer, "Outer");
    ASSERT_TRUE(TOVRA_GetGroupName(1, buffer, 15));
    EXPECT_STREQ(buffer, "Inner");
    EXPECT_FALSE(TOVRA_GetGroupName(2, buffer, 15));

    // Overlays in list order; one without a name gives false.
    EXPECT_EQ(TOVRA_GetOverlayCount(), 0u);
    m_Doc.NewOverlay(D3DXVECTOR3(0, 0, 0))->m_Name = NewName("Decal");
    m_Doc.NewOverlay(D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(TOVRA_GetOverlayCount(), 2u);
    ASSERT_TRUE(TOVRA_GetOverlayName(0, buffer, 15));
    EXPECT_STREQ(buffer, "Decal");
    EXPECT_FALSE(TOVRA_GetOverlayName(1, buffer, 15));
    EXPECT_FALSE(TOVRA_GetOverlayName(2, buffer, 15));
}

TEST(HostApi, UpdateSelectionBandFollowsAMovedSelection)
{
    CZNEDITORDoc doc;
    ZNBRUSH *brush = doc.NewBrush();
    ZnBuildBox(*brush, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(10, 10, 10));
    CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
    ZNSELECTIONENTRY entry{};
    entry.Type = ZNSELECT_BRUSH;
    entry.Object = reinterpret_cast<uintptr_t>(brush);
    ASSERT_TRUE(band->AddToSelection(&entry, 0, 0));
    const D3DXVECTOR3 before = band->GetCentre();

    D3DXVECTOR3 offset(10, 0, 0);
    brush->MoveBrush(&offset, 0);
    TOVRA_UpdateSelectionBand();
    EXPECT_EQ(band->GetCentre(), before + offset);
    band->Clear(0, 0);
    doc.DeleteContents();
}

#include <algorithm>

#include "platform/gdi/pen.h"
#include "sdk/render_info_2d.h"
#include "support/gdi_canvas.h"

// A plug-in draws a named object into its 2D view's context, placed by its matrix: the crate's
// outline lands where the record's projection puts the moved box, in the context's pen.
TEST_F(HostApiScene, DrawObject2DDrawsThePlacedOutline)
{
    ZnCanvas canvas(100, 100);
    CZNPen pen(PS_SOLID, 1, RGB(255, 255, 255));
    canvas.Dc().SelectObject(&pen);
    RENDERINFO2D info{&canvas.Dc(), 100, 100, 2.0f, 0.0f, 0.0f, 0};
    D3DXMATRIX moved;
    D3DXMatrixTranslation(&moved, 10, 0, 0);
    TOVRA_DrawObject2D("Crate1", &info, &moved, nullptr);

    // The crate, centred on the matrix origin, spans x 5..15 and z -5..5: pixels 60..80 across
    // and 40..60 down at zoom 2.
    int minX = 100, minY = 100, maxX = -1, maxY = -1;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            if (canvas.At(x, y) != canvas.Background()) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
    EXPECT_NEAR(minX, 60, 1);
    EXPECT_NEAR(maxX, 80, 1);
    EXPECT_NEAR(minY, 40, 1);
    EXPECT_NEAR(maxY, 60, 1);
    EXPECT_EQ(canvas.At(70, 50), canvas.Background()) << "an outline, not a filled box";
    EXPECT_EQ(canvas.At(70, minY), RGB(255, 255, 255));

    // An unknown name and a view type beyond the three draw nothing.
    ZnCanvas empty(100, 100);
    RENDERINFO2D other{&empty.Dc(), 100, 100, 2.0f, 0.0f, 0.0f, 0};
    TOVRA_DrawObject2D("Nothing", &other, &moved, nullptr);
    other.View = 3;
    TOVRA_DrawObject2D("Crate1", &other, &moved, nullptr);
    empty.ExpectPixels([&](int, int) { return empty.Background(); });
}
