// The .X mesh layer: weld and compact on real vertex data, attribute sorting, clones across
// index sizes, loads beyond 16-bit indices, and saved files read back.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/d3dx/d3dx_mesh.h"

namespace
{

constexpr DWORD kFVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

struct Vertex {
    float x, y, z, nx, ny, nz, u, v;
};

ID3DXMesh *MakeMesh(const std::vector<Vertex> &vertices, const std::vector<DWORD> &attributes)
{
    ID3DXMesh *mesh = nullptr;
    EXPECT_EQ(D3DXCreateMeshFVF(static_cast<DWORD>(attributes.size()), static_cast<DWORD>(vertices.size()),
                                D3DXMESH_32BIT | D3DXMESH_SYSTEMMEM, kFVF, nullptr, &mesh),
              D3D_OK);
    void *raw = nullptr;
    mesh->LockVertexBuffer(0, &raw);
    std::memcpy(raw, vertices.data(), vertices.size() * sizeof(Vertex));
    DWORD *a = nullptr;
    mesh->LockAttributeBuffer(0, &a);
    std::copy(attributes.begin(), attributes.end(), a);
    for (DWORD i = 0; i < 3 * attributes.size(); ++i)
        mesh->SetIndex(i, i);
    return mesh;
}

D3DXWELDEPSILONS Epsilons(float e)
{
    D3DXWELDEPSILONS eps;
    float *all = reinterpret_cast<float *>(&eps);
    std::fill(all, all + 17, e);
    return eps;
}

TEST(D3DXMeshTest, WeldKeepsTheLowerIndexAndCompactKeepsOrder)
{
    // Two triangles sharing an edge; the shared corners differ by less than the epsilon in
    // position, normal and uv, except one whose uv differs by more.
    const std::vector<Vertex> v = {
        {0, 0, 0, 0, 0, 1, 0, 0},         {1, 0, 0, 0, 0, 1, 1, 0},           {0, 1, 0, 0, 0, 1, 0, 1},
        {1.0005f, 0, 0, 0, 0, 1, 1, 0}, {0, 1, 0, 0, 0.0009f, 1, 0, 1.002f}, {1, 1, 0, 0, 0, 1, 1, 1},
    };
    ID3DXMesh *mesh = MakeMesh(v, {0, 0});
    const D3DXWELDEPSILONS eps = Epsilons(0.001f);
    ASSERT_EQ(D3DXWeldVertices(mesh, 0, &eps, nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(mesh->GetIndex(3), 1u);
    EXPECT_EQ(mesh->GetIndex(4), 4u);
    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_COMPACT, nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(mesh->GetNumVertices(), 5u);
    const DWORD expected[6] = {0, 1, 2, 1, 3, 4};
    for (DWORD i = 0; i < 6; ++i)
        EXPECT_EQ(mesh->GetIndex(i), expected[i]) << i;
    void *raw = nullptr;
    mesh->LockVertexBuffer(0, &raw);
    EXPECT_EQ(static_cast<Vertex *>(raw)[4].x, 1.0f);
    EXPECT_EQ(static_cast<Vertex *>(raw)[4].y, 1.0f);
    mesh->Release();
}

// Positions far beyond the weld's grid, or infinite, on every axis: equal finite corners still
// weld to the lower index, infinite ones match nothing (their difference is not a number), and
// the grid's cell key does not overflow on the way (the sanitizer build checks that).
struct FarWeldCase {
    const char *name;
    float coordinate;
    bool welds;
};

class D3DXFarWeldTest : public testing::TestWithParam<FarWeldCase>
{
};

TEST_P(D3DXFarWeldTest, EqualCornersWeldOnlyWhenFinite)
{
    const float c = GetParam().coordinate;
    const std::vector<Vertex> v = {
        {0, 0, 0, 0, 0, 1, 0, 0}, {c, c, c, 0, 0, 1, 1, 0}, {0, 1, 0, 0, 0, 1, 0, 1},
        {c, c, c, 0, 0, 1, 1, 0}, {-c, c, -c, 0, 0, 1, 0, 1}, {1, 1, 0, 0, 0, 1, 1, 1},
    };
    ID3DXMesh *mesh = MakeMesh(v, {0, 0});
    const D3DXWELDEPSILONS eps = Epsilons(0.001f);
    ASSERT_EQ(D3DXWeldVertices(mesh, 0, &eps, nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(mesh->GetIndex(3), GetParam().welds ? 1u : 3u);
    EXPECT_EQ(mesh->GetIndex(4), 4u);
    mesh->Release();
}

INSTANTIATE_TEST_SUITE_P(D3DXMeshTest, D3DXFarWeldTest,
                         testing::Values(FarWeldCase{"BeyondTheGrid", 3e8f, true},
                                         FarWeldCase{"FarBeyondTheClamp", 1e30f, true},
                                         FarWeldCase{"Largest", std::numeric_limits<float>::max(), true},
                                         FarWeldCase{"NegativeLargest", -std::numeric_limits<float>::max(), true},
                                         FarWeldCase{"Infinite", std::numeric_limits<float>::infinity(), false},
                                         FarWeldCase{"NegativeInfinite", -std::numeric_limits<float>::infinity(),
                                                     false}),
                         [](const testing::TestParamInfo<FarWeldCase> &info) { return std::string(info.param.name); });

TEST(D3DXMeshTest, AttributeSortIsStableAndBuildsTheTable)
{
    std::vector<Vertex> v(12);
    for (size_t i = 0; i < v.size(); ++i)
        v[i].x = static_cast<float>(i);
    ID3DXMesh *mesh = MakeMesh(v, {2, 0, 2, 0});
    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr), D3D_OK);
    const DWORD expected[12] = {3, 4, 5, 9, 10, 11, 0, 1, 2, 6, 7, 8};
    for (DWORD i = 0; i < 12; ++i)
        EXPECT_EQ(mesh->GetIndex(i), expected[i]) << i;
    DWORD count = 0;
    mesh->GetAttributeTable(nullptr, &count);
    ASSERT_EQ(count, 2u);
    D3DXATTRIBUTERANGE table[2];
    mesh->GetAttributeTable(table, &count);
    EXPECT_EQ(table[0].AttribId, 0u);
    EXPECT_EQ(table[0].FaceStart, 0u);
    EXPECT_EQ(table[0].FaceCount, 2u);
    EXPECT_EQ(table[0].VertexStart, 3u);
    EXPECT_EQ(table[0].VertexCount, 9u);
    EXPECT_EQ(table[1].AttribId, 2u);
    EXPECT_EQ(table[1].FaceStart, 2u);
    mesh->Release();
}

TEST(D3DXMeshTest, LoadsBeyond16BitIndicesAndRefusesANarrowClone)
{
    // 22000 separate triangles: 66000 corners.
    std::string file = "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 22000;";
    for (int i = 0; i < 22000; ++i)
        file += i ? ",3;0,1,2" : "3;0,1,2";
    file += ";; }";
    ID3DXMesh *mesh = nullptr;
    ASSERT_EQ(D3DXLoadMeshFromXInMemory(file.data(), static_cast<DWORD>(file.size()), D3DXMESH_SYSTEMMEM, nullptr,
                                        nullptr, nullptr, nullptr, nullptr, &mesh),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(D3DXLoadMeshFromXInMemory(file.data(), static_cast<DWORD>(file.size()),
                                        D3DXMESH_32BIT | D3DXMESH_SYSTEMMEM, nullptr, nullptr, nullptr, nullptr,
                                        nullptr, &mesh),
              D3D_OK);
    EXPECT_EQ(mesh->GetNumVertices(), 66000u);
    ID3DXMesh *clone = nullptr;
    EXPECT_EQ(mesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2, nullptr, &clone),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(clone, nullptr);
    ASSERT_EQ(mesh->CloneMeshFVF(D3DXMESH_32BIT | D3DXMESH_SYSTEMMEM, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2,
                                 nullptr, &clone),
              D3D_OK);
    EXPECT_EQ(clone->GetNumBytesPerVertex(), 40u);
    EXPECT_EQ(clone->GetIndex(65999), 65999u);
    clone->Release();
    mesh->Release();
}

TEST(D3DXMeshTest, SavedMeshReadsBackWithMaterialsAndNames)
{
    const std::vector<Vertex> v = {
        {0, 0, 0, 0, 0, 1, 0.25f, 0.5f}, {1, 0, 0, 0, 0, 1, 1, 0}, {0, 1, 0, 0, 0, 1, 0, 1},
        {5, 0, 0, 1, 0, 0, 0, 0},        {6, 0, 0, 1, 0, 0, 1, 0}, {5, 1, 0, 1, 0, 0, 0, 1},
    };
    ID3DXMesh *mesh = MakeMesh(v, {1, 0});
    D3DXMATERIAL materials[2] = {};
    materials[0].MatD3D.Diffuse = {1, 0, 0, 1};
    materials[0].MatD3D.Power = 3;
    materials[1].MatD3D.Diffuse = {0, 1, 0, 0.5f};
    materials[1].MatD3D.Specular = {0.25f, 0.5f, 0.75f, 1};
    char name[] = "tex/wall.png";
    materials[1].pTextureFilename = name;
    std::vector<BYTE> bytes;
    ASSERT_EQ(D3DXSaveMeshToXInMemory(mesh, materials, 2, &bytes), D3D_OK);
    mesh->Release();

    ID3DXMesh *back = nullptr;
    ID3DXBuffer *block = nullptr;
    DWORD count = 0;
    ASSERT_EQ(D3DXLoadMeshFromXInMemory(bytes.data(), static_cast<DWORD>(bytes.size()), D3DXMESH_32BIT, nullptr,
                                        nullptr, &block, nullptr, &count, &back),
              D3D_OK);
    ASSERT_EQ(count, 2u);
    const auto *read = static_cast<const D3DXMATERIAL *>(block->GetBufferPointer());
    EXPECT_EQ(read[0].pTextureFilename, nullptr);
    EXPECT_EQ(read[0].MatD3D.Power, 3.0f);
    EXPECT_STREQ(read[1].pTextureFilename, "tex/wall.png");
    EXPECT_EQ(read[1].MatD3D.Diffuse.a, 0.5f);
    EXPECT_EQ(read[1].MatD3D.Specular.b, 0.75f);
    DWORD *attributes = nullptr;
    back->LockAttributeBuffer(0, &attributes);
    EXPECT_EQ(attributes[0], 1u);
    EXPECT_EQ(attributes[1], 0u);
    void *raw = nullptr;
    back->LockVertexBuffer(0, &raw);
    const Vertex *r = static_cast<const Vertex *>(raw);
    EXPECT_EQ(r[0].u, 0.25f);
    EXPECT_EQ(r[0].v, 0.5f);
    EXPECT_EQ(r[4].x, 6.0f);
    EXPECT_EQ(r[4].nx, 1.0f);
    block->Release();
    back->Release();
}

} // namespace
