// An overlay's 3D drawing through the application's wrapper: the box in lines, the faces filed in
// the document's blended batch, and the wireframe.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "platform/d3d9/direct3d_device9.h"
#include "render/direct3d.h"
#include "render/wrapper_fixture.h"
#include "scene/overlay.h"
#include "scene/scene_test_support.h"
#include "sdk/override_data.h"

namespace
{

constexpr D3DCOLOR kBlack = 0x000000;
// Corners on pixel centres of the 64 x 64 frame: edges run along the columns and rows 16 and 47.
constexpr float kEdge = 0.484375f;

// The wrapper on a 64 x 64 window looking along +z through an orthographic projection of -1..1.
class OverlayDraw3DTest : public ZnWrapperTest
{
protected:
    void SetUp() override
    {
        ZnWrapperTest::SetUp();
        if (HasFatalFailure())
            return;
        GetEditorApp()->SetDefaultOptions();
        window = std::make_unique<ZnRecordingWindow>(64, 64);
        ASSERT_EQ(D3D().Initialize(window.get()), 1);
        IDirect3DDevice9 *device = D3D().GetDevice();
        D3DXMATRIX identity, projection;
        D3DXMatrixIdentity(&identity);
        D3DXMatrixOrthoLH(&projection, 2, 2, 0, 10);
        device->SetTransform(D3DTS_WORLD, &identity);
        device->SetTransform(D3DTS_VIEW, &identity);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        // The document's batches stand for those of a 3D view's frame.
        D3D().SetFrameBatches(&document.GetBlendedBatch(), &document.GetUnlitBatch());
        const float z[2] = {2, 1};
        for (int side = 0; side < 2; ++side) {
            overlay.SetCorner(side * 4 + 0, {-kEdge, kEdge, z[side]});
            overlay.SetCorner(side * 4 + 1, {kEdge, kEdge, z[side]});
            overlay.SetCorner(side * 4 + 2, {kEdge, -kEdge, z[side]});
            overlay.SetCorner(side * 4 + 3, {-kEdge, -kEdge, z[side]});
        }
        for (DWORD style : {0u, 1u, 0x10u}) {
            ZNFACE *face = new ZNFACE;
            FillFace(*face, {{-kEdge, kEdge, 1.5f}, {kEdge, kEdge, 1.5f}, {kEdge, -kEdge, 1.5f}, {-kEdge, -kEdge, 1.5f}});
            face->m_Style = style;
            overlay.AppendFace(face);
        }
    }
    void TearDown() override
    {
        D3D().SetFrameBatches(nullptr, nullptr);
        GetEditorApp()->Get3D()->Shutdown();
        GetEditorApp()->SetDefaultOptions();
        ZnWrapperTest::TearDown();
    }
    static CZN3D &D3D() { return *GetEditorApp()->Get3D(); }

    template <typename Draw> std::vector<D3DCOLOR> Frame(Draw draw)
    {
        D3D().Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f);
        D3D().BeginScene();
        draw();
        D3D().EndScene();
        std::vector<D3DCOLOR> pixels = ZnReadBackBuffer(D3D().GetDevice());
        for (D3DCOLOR &p : pixels)
            p &= 0xFFFFFF;
        return pixels;
    }
    static D3DCOLOR At(const std::vector<D3DCOLOR> &frame, POINT p) { return frame[p.y * 64 + p.x]; }
    // Pure green of the built-in green material, allowing one step of rounding.
    static void ExpectGreen(D3DCOLOR c)
    {
        EXPECT_EQ(c & 0xFF00FF, 0u) << std::hex << c;
        const int g = static_cast<int>((c >> 8) & 0xFF);
        EXPECT_NEAR(g, 179, 1) << std::hex << c;
    }
    void ExpectSquare(const std::vector<D3DCOLOR> &frame)
    {
        for (POINT p : {POINT{16, 32}, POINT{47, 32}, POINT{32, 16}, POINT{32, 47}})
            ExpectGreen(At(frame, p));
        EXPECT_EQ(At(frame, {32, 32}), kBlack);
    }

    CZNEDITORDoc document; // receives the blended batch
    CZNOverlay overlay;
};

TEST_F(OverlayDraw3DTest, TheBoxIsDrawnInGreenLines)
{
    D3D().SetDefaultMaterial(2);
    D3DMATERIAL9 before;
    D3D().GetMaterial(&before);
    ExpectSquare(Frame([&] { overlay.DrawBox3D(&D3D(), 0, nullptr); }));
    D3DMATERIAL9 after;
    D3D().GetMaterial(&after);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    EXPECT_EQ(D3D().GetPrimitiveType(), static_cast<DWORD>(D3DPT_TRIANGLEFAN));

    // The selected pass draws only a selected overlay; the option and the record can turn it off.
    EXPECT_EQ(At(Frame([&] { overlay.DrawBox3D(&D3D(), 1, nullptr); }), {16, 32}), kBlack);
    overlay.SetSelected(1);
    ExpectSquare(Frame([&] { overlay.DrawBox3D(&D3D(), 1, nullptr); }));
    OVERRIDEDATA over{};
    over.Skip = 1;
    EXPECT_EQ(At(Frame([&] { overlay.DrawBox3D(&D3D(), 0, &over); }), {16, 32}), kBlack);
    GetEditorApp()->Options().m_DrawOverlayBoxes3D = 0;
    EXPECT_EQ(At(Frame([&] { overlay.DrawBox3D(&D3D(), 0, nullptr); }), {16, 32}), kBlack);
}

TEST_F(OverlayDraw3DTest, FacesGoToTheBlendedBatchWithTheirSelection)
{
    GetEditorApp()->Options().m_DrawOverlayWireframe3D = 0;
    overlay.GetFace(2)->SelectFace(1);
    overlay.GetFace(0)->m_BatchHighlight = 7;
    const std::vector<D3DCOLOR> frame = Frame([&] { overlay.DrawFaces3D(&D3D(), 0); });
    EXPECT_EQ(At(frame, {32, 32}), kBlack); // nothing drawn at once
    ZNRENDERBATCH &batch = document.GetBlendedBatch();
    ASSERT_EQ(batch.GetCount(), 2u); // the face of style exactly 1 is left out
    EXPECT_EQ(batch.Faces[0], overlay.GetFace(0));
    EXPECT_EQ(batch.Faces[1], overlay.GetFace(2));
    EXPECT_EQ(batch.MatrixIndices, (std::vector<int32_t>{-1, -1}));
    EXPECT_EQ(overlay.GetFace(0)->m_BatchHighlight, 0);
    EXPECT_EQ(overlay.GetFace(2)->m_BatchHighlight, 1);
    EXPECT_TRUE(document.GetUnlitBatch().Faces.empty());

    // Under a moved world the matrix is kept.
    document.EmptyRenderBatches();
    D3DXMATRIX moved;
    D3DXMatrixTranslation(&moved, 1, 2, 3);
    D3D().GetDevice()->SetTransform(D3DTS_WORLD, &moved);
    overlay.DrawFaces3D(&D3D(), 0);
    ASSERT_EQ(batch.GetCount(), 2u);
    ASSERT_NE(batch.GetMatrix(0), nullptr);
    EXPECT_EQ(batch.GetMatrix(0)->_41, 1.0f);

    // Hidden overlays and the option off file nothing.
    document.EmptyRenderBatches();
    overlay.m_Flags |= ZNOVERLAY_HIDDEN;
    overlay.DrawFaces3D(&D3D(), 0);
    overlay.m_Flags = 0;
    GetEditorApp()->Options().m_DrawOverlays3D = 0;
    overlay.DrawFaces3D(&D3D(), 0);
    EXPECT_EQ(batch.GetCount(), 0u);
    document.EmptyRenderBatches();
}

TEST_F(OverlayDraw3DTest, TheWireframeOutlinesEveryFace)
{
    GetEditorApp()->Options().m_DrawOverlays3D = 0;
    D3D().SetDefaultMaterial(2);
    D3DMATERIAL9 before;
    D3D().GetMaterial(&before);
    ExpectSquare(Frame([&] { overlay.DrawFaces3D(&D3D(), 0); }));
    D3DMATERIAL9 after;
    D3D().GetMaterial(&after);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    EXPECT_EQ(D3D().GetPrimitiveType(), static_cast<DWORD>(D3DPT_TRIANGLEFAN));
    GetEditorApp()->Options().m_DrawOverlayWireframe3D = 0;
    EXPECT_EQ(At(Frame([&] { overlay.DrawFaces3D(&D3D(), 0); }), {16, 32}), kBlack);
}

} // namespace
