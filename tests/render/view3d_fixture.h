#pragma once

// A 3D view over the application's wrapper, started on a recording window, with a document to
// fill (the view's source) and the editor's tool behind its input, and helpers that build emissive materials, one-colour textures and faces placed in the
// camera's view. The camera sits at the origin looking along +z.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/3d_view_tool.h"
#include "editor/editor_doc.h"
#include "platform/d3d9/direct3d_device9.h"
#include "render/direct3d.h"
#include "render/texture.h"
#include "render/view/3d_view.h"
#include "render/wrapper_fixture.h"
#include "scene/brush.h"
#include "scene/material.h"
#include "support/picture_writers.h"
#include "support/temp_dir.h"

class ZnView3DTest : public ZnWrapperTest
{
protected:
    static constexpr LONG kWidth = 160, kHeight = 120;

    void SetUp() override
    {
        ZnWrapperTest::SetUp();
        if (HasFatalFailure())
            return;
        window = std::make_unique<ZnRecordingWindow>(kWidth, kHeight);
        ASSERT_EQ(D3D().Initialize(window.get()), 1);
        D3D().SetRenderMode(4);
        IDirect3DDevice9 *device = D3D().GetDevice();
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
        ResetCamera();
        GetEditorApp()->Options().m_Initialized = 1;
        document = std::make_unique<CZNEDITORDoc>();
        document->AddView(&view);
        view.SetInput(&tool);
        view.SetWindow(window.get());
    }
    void TearDown() override
    {
        document.reset();
        textures.clear();
        GetEditorApp()->Options().m_Initialized = 0;
        GetEditorApp()->Options().m_FastDraw3D = 0;
        GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH);
        D3D().Shutdown();
        ZnWrapperTest::TearDown();
    }
    static CZN3D &D3D() { return *GetEditorApp()->Get3D(); }
    static void ResetCamera()
    {
        CZNCAMERA *camera = D3D().GetCamera();
        const D3DXVECTOR3 origin(0, 0, 0), look(0, 0, 1), up(0, 1, 0), right(1, 0, 0);
        camera->SetPositionAndAxes(&origin, &look, &up, &right, 1);
        camera->Select(0);
    }

    // A material that shows exactly its colour: emissive, no diffuse or ambient colour, with the
    // alpha blending reads.
    int Material(D3DCOLOR rgb, float alpha = 1.0f)
    {
        const int index = D3D().AddMaterial();
        D3DMATERIAL9 m = {};
        m.Diffuse.a = alpha;
        m.Emissive = {static_cast<float>((rgb >> 16) & 0xFF) / 255.0f, static_cast<float>((rgb >> 8) & 0xFF) / 255.0f,
                      static_cast<float>(rgb & 0xFF) / 255.0f, alpha};
        D3D().GetMaterialRecord(static_cast<DWORD>(index))->SetD3DMaterial(&m);
        return index;
    }
    // A 2 x 2 texture of one colour.
    CZNTexture *Texture(D3DCOLOR rgb)
    {
        ZnPngPicture picture{2, 2, PNG_COLOR_TYPE_RGB, 8, false, {}, {}, {}};
        const std::string texel = {static_cast<char>(rgb >> 16), static_cast<char>(rgb >> 8), static_cast<char>(rgb)};
        picture.Rows = {texel + texel, texel + texel};
        const std::string path = dir.File("texture" + std::to_string(textures.size()) + ".png");
        std::ofstream(path, std::ios::binary) << ZnWritePng(picture);
        textures.push_back(std::make_unique<CZNTexture>(path.c_str(), nullptr));
        EXPECT_EQ(textures.back()->IsLoaded(), 1);
        return textures.back().get();
    }

    // A brush appended to the document.
    ZNBRUSH *Brush()
    {
        ZNBRUSH *brush = document->NewBrush();
        EXPECT_NE(brush, nullptr);
        return brush;
    }
    // A face of the corners given in order (clockwise as seen from the side it faces), with its
    // normal, centre and texture coordinates; the brush's derived data is brought up to date.
    ZNFACE *Face(ZNBRUSH *brush, const std::vector<D3DXVECTOR3> &corners, int material, CZNTexture *texture,
                 DWORD style = 0)
    {
        ZNFACE *face = brush->AddFace(static_cast<short>(corners.size()));
        for (short i = 0; i < face->GetVertexCount(); ++i) {
            ZNVERTEX &v = face->m_Vertices[i];
            v = {};
            v.x = corners[i].x;
            v.y = corners[i].y;
            v.z = corners[i].z;
            v.tu = 0.5f;
            v.tv = 0.5f;
        }
        face->SetMaterial(material);
        if (texture)
            face->SetTexture(texture);
        face->m_Style = style;
        brush->CalculateFaceNormals();
        brush->CalculateFaceCenterPoints();
        brush->UpdateBoundingBox();
        for (short i = 0; i < face->GetVertexCount(); ++i) {
            face->m_Vertices[i].nx = face->m_Normal.x;
            face->m_Vertices[i].ny = face->m_Normal.y;
            face->m_Vertices[i].nz = face->m_Normal.z;
        }
        return face;
    }
    // An upright rectangle x0..x1 by y0..y1 at depth z, facing the camera or, flipped, away.
    ZNFACE *Rect(ZNBRUSH *brush, float x0, float y0, float x1, float y1, float z, int material, CZNTexture *texture,
                 DWORD style = 0, bool flipped = false)
    {
        std::vector<D3DXVECTOR3> corners = {{x0, y0, z}, {x0, y1, z}, {x1, y1, z}, {x1, y0, z}};
        if (flipped)
            corners = {corners.rbegin(), corners.rend()};
        return Face(brush, corners, material, texture, style);
    }

    // The pixel where a camera-space point lands with the wrapper's 60-degree projection.
    static POINT Pixel(float x, float y, float z)
    {
        const float t = std::tan(3.14159265f / 6.0f);
        const float aspect = static_cast<float>(kWidth) / static_cast<float>(kHeight);
        return {static_cast<LONG>(std::lround(kWidth / 2.0f * (1.0f + x / z / (t * aspect)))),
                static_cast<LONG>(std::lround(kHeight / 2.0f * (1.0f - y / z / t)))};
    }
    // The frame last presented, as 0xRRGGBB, top row first.
    std::vector<D3DCOLOR> Presented() const
    {
        std::vector<D3DCOLOR> pixels;
        const QImage &frame = window->lastFrame;
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x)
                pixels.push_back(frame.pixel(x, y) & 0xFFFFFF);
        return pixels;
    }
    std::vector<D3DCOLOR> BackBufferRgb()
    {
        std::vector<D3DCOLOR> pixels = ZnReadBackBuffer(D3D().GetDevice());
        for (D3DCOLOR &p : pixels)
            p &= 0xFFFFFF;
        return pixels;
    }
    static D3DCOLOR At(const std::vector<D3DCOLOR> &frame, POINT p) { return frame[p.y * kWidth + p.x]; }

    ZnTempDir dir;
    std::vector<std::unique_ptr<CZNTexture>> textures;
    std::unique_ptr<CZNEDITORDoc> document;
    CZN3DViewTool tool;
    CZN3DView view;
};

// Each channel within one step of the expected colour.
inline ::testing::AssertionResult ZnColourNear(D3DCOLOR got, D3DCOLOR want)
{
    for (int shift : {0, 8, 16}) {
        const int g = static_cast<int>((got >> shift) & 0xFF), w = static_cast<int>((want >> shift) & 0xFF);
        if (g - w > 1 || w - g > 1)
            return ::testing::AssertionFailure() << std::hex << "got 0x" << got << ", want 0x" << want;
    }
    return ::testing::AssertionSuccess();
}
