#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "editor/editor_doc.h"
#include "platform/d3d9/direct3d_device9.h"
#include "render/direct3d.h"
#include "render/texture.h"
#include "render/wrapper_fixture.h"
#include "scene/brush.h"
#include "scene/material.h"
#include "sdk/override_data.h"
#include "support/picture_writers.h"
#include "support/temp_dir.h"

namespace
{

constexpr D3DCOLOR kBlack = 0x000000;
constexpr D3DCOLOR kCyan = 0x00FFFF;
// The texels of the test texture, as 0xRRGGBB: top left, top right, bottom left, bottom right.
constexpr D3DCOLOR kTexels[4] = {0xC8283C, 0x14DC5A, 0x6464FA, 0xFAFAFA};
// The middles of the four quarters of the 64 x 64 frame, in the same order.
const POINT kQuarters[4] = {{16, 16}, {48, 16}, {16, 48}, {48, 48}};

// The brush drawing of the application's wrapper on a 64 x 64 window, looking along +z through
// an orthographic projection of the square -1..1, with a 2 x 2 texture sampled by nearest texel
// and a material that shows the texels as they are (emissive white, nothing else).
class BrushDraw3DTest : public ZnWrapperTest
{
protected:
    void SetUp() override
    {
        ZnWrapperTest::SetUp();
        if (HasFatalFailure())
            return;
        window = std::make_unique<ZnRecordingWindow>(64, 64);
        ASSERT_EQ(D3D().Initialize(window.get()), 1);
        D3D().SetRenderMode(4);
        IDirect3DDevice9 *device = D3D().GetDevice();
        D3DXMATRIX identity, projection;
        D3DXMatrixIdentity(&identity);
        D3DXMatrixOrthoLH(&projection, 2, 2, 0, 10);
        device->SetTransform(D3DTS_WORLD, &identity);
        device->SetTransform(D3DTS_VIEW, &identity);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        // The document's batches stand for those of a 3D view's frame.
        D3D().SetFrameBatches(&document.GetBlendedBatch(), &document.GetUnlitBatch());
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);

        white = D3D().AddMaterial();
        ASSERT_GE(white, 0);
        D3DMATERIAL9 m = {};
        m.Emissive = {1, 1, 1, 1};
        D3D().GetMaterialRecord(static_cast<DWORD>(white))->SetD3DMaterial(&m);

        ZnPngPicture picture{2, 2, PNG_COLOR_TYPE_RGB, 8, false, {}, {}, {}};
        for (int row = 0; row < 2; ++row) {
            std::string bytes;
            for (int column = 0; column < 2; ++column) {
                const D3DCOLOR c = kTexels[row * 2 + column];
                bytes += {static_cast<char>(c >> 16), static_cast<char>(c >> 8), static_cast<char>(c)};
            }
            picture.Rows.push_back(bytes);
        }
        const std::string path = dir.File("texels.png");
        std::ofstream(path, std::ios::binary) << ZnWritePng(picture);
        texture = std::make_unique<CZNTexture>(path.c_str(), nullptr);
        ASSERT_EQ(texture->IsLoaded(), 1);
    }
    void TearDown() override
    {
        D3D().SetFrameBatches(nullptr, nullptr);
        texture.reset();
        GetEditorApp()->Get3D()->Shutdown();
        ZnWrapperTest::TearDown();
    }
    static CZN3D &D3D() { return *GetEditorApp()->Get3D(); }

    // A face filling the frame at depth z, facing the camera or, flipped, facing away; textured
    // so that each quarter shows one texel.
    ZNFACE *AddScreenFace(ZNBRUSH &brush, float z = 1, bool flipped = false)
    {
        std::vector<D3DXVECTOR3> corners = {{-1, -1, z}, {-1, 1, z}, {1, 1, z}, {1, -1, z}};
        if (flipped)
            corners = {corners.rbegin(), corners.rend()};
        return AddFace(brush, corners);
    }
    ZNFACE *AddFace(ZNBRUSH &brush, const std::vector<D3DXVECTOR3> &corners)
    {
        ZNFACE *face = brush.AddFace(static_cast<short>(corners.size()));
        for (short i = 0; i < face->GetVertexCount(); ++i) {
            ZNVERTEX &v = face->m_Vertices[i];
            v = {};
            v.x = corners[i].x;
            v.y = corners[i].y;
            v.z = corners[i].z;
            v.tu = (v.x + 1) / 2;
            v.tv = (1 - v.y) / 2;
        }
        face->m_Normal = {0, 0, -1};
        face->SetMaterial(white);
        face->SetTexture(texture.get());
        return face;
    }

    // Clears, draws and returns the frame as 0xRRGGBB.
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
    static std::vector<D3DCOLOR> QuarterColours(const std::vector<D3DCOLOR> &frame)
    {
        std::vector<D3DCOLOR> out;
        for (const POINT &p : kQuarters)
            out.push_back(At(frame, p));
        return out;
    }
    static std::vector<D3DCOLOR> Texels(D3DCOLOR mask)
    {
        std::vector<D3DCOLOR> out;
        for (D3DCOLOR c : kTexels)
            out.push_back(c & mask);
        return out;
    }
    static std::vector<D3DCOLOR> Nothing() { return std::vector<D3DCOLOR>(4, kBlack); }

    ZnTempDir dir;
    int white = -1;
    std::unique_ptr<CZNTexture> texture;
    CZNEDITORDoc document; // receives the render batches
};

TEST_F(BrushDraw3DTest, AFaceShowsItsTexels)
{
    ZNBRUSH brush;
    AddScreenFace(brush);
    EXPECT_EQ(QuarterColours(Frame([&] { brush.Draw3D(&D3D(), 0, 1, 0, 1, nullptr); })), Texels(0xFFFFFF));
    // Face selection draws a face with its own material too.
    EXPECT_EQ(QuarterColours(Frame([&] { brush.Draw3D(&D3D(), 1, 0, 0, 1, nullptr); })), Texels(0xFFFFFF));
}

TEST_F(BrushDraw3DTest, AConcaveFaceIsDrawnByItsTriangles)
{
    ZNBRUSH brush;
    // An L without the top right quarter, starting at a corner that does not see all of it.
    ZNFACE *face = AddFace(brush, {{1, 0, 1}, {1, -1, 1}, {-1, -1, 1}, {-1, 1, 1}, {0, 1, 1}, {0, 0, 1}});
    face->BuildTriIndices();
    ASSERT_NE(face->m_TriIndices, nullptr);
    std::vector<D3DCOLOR> expected = Texels(0xFFFFFF);
    expected[1] = kBlack;
    const std::vector<D3DCOLOR> frame = Frame([&] { brush.Draw3D(&D3D(), 0, 1, 0, 0, nullptr); });
    EXPECT_EQ(QuarterColours(frame), expected);
    int inNotch = 0;
    for (LONG y = 0; y < 31; ++y)
        for (LONG x = 33; x < 64; ++x)
            inNotch += At(frame, {x, y}) != kBlack;
    EXPECT_EQ(inNotch, 0);
}

TEST_F(BrushDraw3DTest, ASelectedBrushDrawnHighlightedShowsTheHighlightTimesTheTexels)
{
    ZNBRUSH brush;
    AddScreenFace(brush);
    brush.SelectBrush(1);
    EXPECT_EQ(QuarterColours(Frame([&] { brush.Draw3D(&D3D(), 0, 1, 0, 1, nullptr); })), Texels(0xFF0000));
    // Without the highlight flag, or when only selected brushes are drawn, it keeps its material.
    EXPECT_EQ(QuarterColours(Frame([&] { brush.Draw3D(&D3D(), 0, 1, 0, 0, nullptr); })), Texels(0xFFFFFF));
    EXPECT_EQ(QuarterColours(Frame([&] { brush.Draw3D(&D3D(), 0, 1, 1, 1, nullptr); })), Texels(0xFFFFFF));
    // An override record's selected state and material stand for the brush's own.
    brush.SelectBrush(0);
    OVERRIDEDATA over = {};
    over.Selected = 1;
    over.Highlight.Emissive = {0, 1, 0, 1};
    EXPECT_EQ(QuarterColours(Frame([&] { brush.Draw3D(&D3D(), 0, 1, 0, 1, &over); })), Texels(0x00FF00));
    // In face selection, the selected face is highlighted with the built-in red.
    brush.GetFace(0)->SelectFace(1);
    EXPECT_EQ(QuarterColours(Frame([&] { brush.Draw3D(&D3D(), 1, 1, 0, 1, nullptr); })), Texels(0xFF0000));
}

TEST_F(BrushDraw3DTest, OnlyTwoSidedFacesAreSeenFromBehind)
{
    ZNBRUSH brush;
    ZNFACE *face = AddScreenFace(brush, 1, true);
    EXPECT_EQ(QuarterColours(Frame([&] { brush.Draw3D(&D3D(), 0, 1, 0, 1, nullptr); })), Nothing());
    face->m_Style = ZNFACESTYLE_TWOSIDED;
    EXPECT_EQ(QuarterColours(Frame([&] { brush.Draw3D(&D3D(), 0, 1, 0, 1, nullptr); })), Texels(0xFFFFFF));
    DWORD cull = 0;
    D3D().GetDevice()->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW));
}

TEST_F(BrushDraw3DTest, WhatDrawsNothing)
{
    ZNBRUSH brush;
    ZNFACE *face = AddScreenFace(brush);
    // A face of one vertex with a triangle list never reaches the indexed draw.
    ZNFACE *point = AddFace(brush, {{0, 0, 1}});
    point->m_TriIndices = static_cast<WORD *>(std::calloc(3, sizeof(WORD)));
    OVERRIDEDATA skip = {};
    skip.Skip = 1;
    EXPECT_EQ(QuarterColours(Frame([&] {
                  brush.Draw3D(&D3D(), 2, 1, 0, 1, nullptr);  // no such selection mode
                  brush.Draw3D(&D3D(), 0, 1, 1, 1, nullptr);  // only selected brushes
                  brush.Draw3D(&D3D(), 0, 1, 0, 1, &skip);    // the record says skip
                  brush.Draw3D(nullptr, 0, 1, 0, 1, nullptr); // no wrapper
              })),
              Nothing());
    face->m_Style = ZNFACESTYLE_INVISIBLE;
    EXPECT_EQ(QuarterColours(Frame([&] { brush.Draw3D(&D3D(), 0, 1, 0, 1, nullptr); })), Nothing());
    EXPECT_EQ(QuarterColours(Frame([&] { brush.Draw3D(&D3D(), 1, 1, 0, 1, nullptr); })), Nothing());
    face->m_Style = 0;
    brush.m_Flags |= ZNBRUSH_HIDDEN;
    EXPECT_EQ(QuarterColours(Frame([&] { brush.Draw3D(&D3D(), 0, 1, 0, 1, nullptr); })), Nothing());
    OVERRIDEDATA show = {};
    EXPECT_EQ(QuarterColours(Frame([&] { brush.Draw3D(&D3D(), 0, 1, 0, 1, &show); })), Texels(0xFFFFFF));
}

TEST_F(BrushDraw3DTest, AMaterialIndexWithoutARecordDrawsWithTheFirstBuiltInMaterial)
{
    ZNBRUSH brush;
    ZNFACE *face = AddScreenFace(brush);
    face->SetMaterial(-1);
    for (LONG index : {-1, 9999}) {
        face->m_Material = index;
        D3D().SetDefaultMaterial(3);
        Frame([&] { brush.Draw3D(&D3D(), 0, 1, 0, 1, nullptr); });
        D3DMATERIAL9 current;
        D3D().GetMaterial(&current);
        EXPECT_EQ(std::memcmp(&current, D3D().GetBuiltInMaterial(0), sizeof current), 0) << index;
    }
    face->m_Material = -1;
}

TEST_F(BrushDraw3DTest, BlendedFacesGoToTheBatchInsteadOfTheFrame)
{
    ZNBRUSH brush;
    ZNFACE *face = AddScreenFace(brush);
    face->m_SrcBlend = -1; // 0xFF: not blended
    face->m_DestBlend = 5;
    EXPECT_EQ(QuarterColours(Frame([&] { brush.Draw3D(&D3D(), 0, 1, 0, 1, nullptr); })), Texels(0xFFFFFF));
    EXPECT_EQ(document.GetBlendedBatch().GetCount(), 0u);

    face->m_SrcBlend = 2;
    EXPECT_EQ(QuarterColours(Frame([&] { brush.Draw3D(&D3D(), 0, 1, 0, 1, nullptr); })), Nothing());
    const ZNRENDERBATCH &blended = document.GetBlendedBatch();
    ASSERT_EQ(blended.GetCount(), 1u);
    EXPECT_EQ(blended.Faces[0], face);
    EXPECT_EQ(blended.MatrixIndices, std::vector<int32_t>{-1});
    EXPECT_TRUE(blended.Matrices.empty());
    EXPECT_EQ(blended.GetMatrix(0), nullptr);
    EXPECT_EQ(document.GetUnlitBatch().GetCount(), 0u);
}

TEST_F(BrushDraw3DTest, BatchedFacesKeepTheirWorldMatrix)
{
    ZNBRUSH brush;
    ZNFACE *blendedA = AddScreenFace(brush);
    ZNFACE *blendedB = AddScreenFace(brush);
    ZNFACE *sky = AddScreenFace(brush);
    ZNFACE *bright = AddScreenFace(brush);
    ZNFACE *blendedSky = AddScreenFace(brush);
    AddScreenFace(brush, 2); // opaque
    blendedA->m_SrcBlend = blendedA->m_DestBlend = 2;
    blendedB->m_SrcBlend = 4;
    blendedB->m_DestBlend = 5;
    sky->m_Style = ZNFACESTYLE_SKYBOX;
    bright->m_Style = ZNFACESTYLE_FULLBRIGHT;
    blendedSky->m_Style = ZNFACESTYLE_SKYBOX;
    blendedSky->m_SrcBlend = blendedSky->m_DestBlend = 1;

    D3DXMATRIX moved;
    D3DXMatrixTranslation(&moved, 0, 0, 5);
    D3D().GetDevice()->SetTransform(D3DTS_WORLD, &moved);
    brush.Draw3D(&D3D(), 0, 1, 0, 1, nullptr);
    const ZNRENDERBATCH &blended = document.GetBlendedBatch();
    const ZNRENDERBATCH &unlit = document.GetUnlitBatch();
    EXPECT_EQ(blended.Faces, (std::vector<ZNFACE *>{blendedA, blendedB, blendedSky}));
    EXPECT_EQ(blended.MatrixIndices, (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(unlit.Faces, (std::vector<ZNFACE *>{sky, bright}));
    EXPECT_EQ(unlit.MatrixIndices, (std::vector<int32_t>{0, 1}));
    ASSERT_EQ(unlit.Matrices.size(), 2u);
    EXPECT_EQ(unlit.Matrices[1], moved);
    ASSERT_NE(blended.GetMatrix(2), nullptr);
    EXPECT_EQ(*blended.GetMatrix(2), moved);

    // Emptying keeps the storage for the next frame.
    const size_t capacity = blended.Faces.capacity();
    document.EmptyRenderBatches();
    EXPECT_EQ(blended.GetCount(), 0u);
    EXPECT_EQ(blended.Faces.capacity(), capacity);

    // Outside a frame's batches the batched faces are left out.
    D3D().SetFrameBatches(nullptr, nullptr);
    brush.Draw3D(&D3D(), 0, 1, 0, 1, nullptr);
    D3D().SetFrameBatches(&document.GetBlendedBatch(), &document.GetUnlitBatch());
    EXPECT_EQ(blended.GetCount() + unlit.GetCount(), 0u);
}

TEST_F(BrushDraw3DTest, TheBatchHighlightByteSaysWhetherTheFaceIsDrawnSelected)
{
    ZNBRUSH brush;
    ZNFACE *selected = AddScreenFace(brush);
    ZNFACE *other = AddScreenFace(brush);
    selected->m_Style = other->m_Style = ZNFACESTYLE_FULLBRIGHT;
    selected->SelectFace(1);
    auto bytes = [&](DWORD mode, int selectedOnly, int highlight) {
        selected->m_BatchHighlight = other->m_BatchHighlight = 7;
        brush.Draw3D(&D3D(), mode, 1, selectedOnly, highlight, nullptr);
        return std::vector<int>{selected->m_BatchHighlight, other->m_BatchHighlight};
    };
    EXPECT_EQ(bytes(0, 0, 1), (std::vector<int>{0, 0})); // brush not selected
    brush.SelectBrush(1);
    EXPECT_EQ(bytes(0, 0, 1), (std::vector<int>{1, 1}));
    EXPECT_EQ(bytes(0, 0, 0), (std::vector<int>{0, 0}));
    EXPECT_EQ(bytes(0, 1, 1), (std::vector<int>{0, 0})); // selected only: no highlight
    EXPECT_EQ(bytes(1, 0, 1), (std::vector<int>{1, 0})); // each face its own state
    EXPECT_EQ(bytes(1, 0, 0), (std::vector<int>{0, 0}));
    EXPECT_EQ(document.GetUnlitBatch().GetCount(), 12u);
}

TEST_F(BrushDraw3DTest, TheBoundingBoxIsDrawnInCyanLines)
{
    ZNBRUSH brush;
    // Corners on pixel centres: the edges run along the columns and rows 16 and 47.
    const float e = 0.484375f;
    AddFace(brush, {{-e, -e, 1}, {-e, e, 1}, {e, e, 2}, {e, -e, 2}});
    brush.UpdateBoundingBox();
    D3D().SetDefaultMaterial(4);
    D3DMATERIAL9 before;
    D3D().GetMaterial(&before);

    const std::vector<D3DCOLOR> frame = Frame([&] { brush.DrawBBOX3D(&D3D(), 0); });
    for (POINT p : {POINT{16, 32}, POINT{47, 32}, POINT{32, 16}, POINT{32, 47}})
        EXPECT_EQ(At(frame, p), kCyan) << p.x << ", " << p.y;
    EXPECT_EQ(At(frame, {32, 32}), kBlack);
    D3DMATERIAL9 after;
    D3D().GetMaterial(&after);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    EXPECT_EQ(D3D().GetPrimitiveType(), static_cast<DWORD>(D3DPT_TRIANGLEFAN));

    // Only for a selected brush when asked so.
    EXPECT_EQ(At(Frame([&] { brush.DrawBBOX3D(&D3D(), 1); }), {16, 32}), kBlack);
}

} // namespace
