#pragma once

// Shared helpers of the scene tests: a material list with known records, a texture of a known
// size, and faces built from plain coordinates.
#include <gtest/gtest.h>

#include <vector>

#include "app/editor_app.h"
#include "render/direct3d.h"
#include "render/texture.h"
#include "scene/face.h"
#include "scene/material.h"

// A texture whose device texture has a known size.
class SizedTexture : public CZNTexture
{
public:
    SizedTexture(WORD width, WORD height)
    {
        m_Width = width;
        m_Height = height;
    }
};

// Gives the material list `count` fresh records and empties it again afterwards.
class MaterialListTest : public ::testing::Test
{
protected:
    static constexpr int kMaterials = 3;
    void SetUp() override
    {
        GetEditorApp()->Get3D()->TrimMaterialList();
        for (int i = 0; i < kMaterials; ++i)
            ASSERT_EQ(GetEditorApp()->Get3D()->AddMaterial(), i);
    }
    void TearDown() override { GetEditorApp()->Get3D()->TrimMaterialList(); }
    static CZNMATERIAL *Material(DWORD i) { return GetEditorApp()->Get3D()->GetMaterialRecord(i); }
    static LONG Refs(DWORD i) { return Material(i)->GetReferenceCount(); }
};

struct P3 {
    float x, y, z;
};

// Fills a face with the given positions (first texture pair = x/10, y/10) and a normal.
inline void FillFace(ZNFACE &face, const std::vector<P3> &points, D3DXVECTOR3 normal = {0, 0, -1})
{
    for (const P3 &p : points) {
        ZNVERTEX v{};
        v.x = p.x;
        v.y = p.y;
        v.z = p.z;
        v.tu = p.x / 10.0f;
        v.tv = p.y / 10.0f;
        ASSERT_EQ(face.AddVertex(v, nullptr), 1);
    }
    face.m_Normal = normal;
}
