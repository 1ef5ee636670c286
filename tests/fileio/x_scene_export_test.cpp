// .X export: triangles and welded vertices of real brushes, corner order, the material entry
// table, failures, and export followed by import.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "fileio/iwf_scene.h"
#include "fileio/memory_stream_io.h"
#include "fileio/x_scene.h"
#include "platform/d3dx/d3dx_mesh.h"
#include "platform/os/recording_reporter.h"
#include "render/direct3d.h"
#include "render/image/image.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "scene/brush.h"
#include "scene/material.h"
#include "scene/selection_entry.h"
#include "support/shapes.h"
#include "support/temp_dir.h"
#include "x_files.h"

namespace
{

constexpr LONG kFailed = static_cast<LONG>(0x89672328u);

class XExportTest : public ::testing::Test
{
protected:
    void SetUp() override { GetEditorApp()->SetReporter(&reporter); }
    void TearDown() override
    {
        for (ZNBRUSH *b : brushes)
            delete b;
        GetEditorApp()->Get3D()->TrimMaterialList();
        CZNTextureManager *manager = GetEditorApp()->GetTextureManager();
        for (CZNTexture *t : textures) {
            manager->DetachTexture(t);
            delete t;
        }
        GetEditorApp()->SetReporter(nullptr);
    }

    ZNBRUSH *Box(const D3DXVECTOR3 &lo = {0, 0, 0}, const D3DXVECTOR3 &hi = {1, 1, 1})
    {
        auto *b = new ZNBRUSH;
        ZnBuildBox(*b, lo, hi);
        brushes.push_back(b);
        return b;
    }

    LONG AddMaterial(float red, float power)
    {
        const int index = GetEditorApp()->Get3D()->AddMaterial();
        D3DMATERIAL9 value{};
        value.Diffuse = {red, 0.25f, 0.5f, 1.0f};
        value.Ambient = {0.0f, 0.0f, 0.0f, 1.0f};
        value.Specular = {0.125f, 0.25f, 0.375f, 1.0f};
        value.Emissive = {0.5f, 0.0f, 0.25f, 1.0f};
        value.Power = power;
        GetEditorApp()->Get3D()->GetMaterialRecord(static_cast<DWORD>(index))->SetD3DMaterial(&value);
        return index;
    }

    CZNTexture *AddTexture(const std::string &file, int seed)
    {
        CZNImage image;
        image.AllocImageMem(8, 8, 24, false);
        for (DWORD i = 0; i < 64; ++i)
            image.GetRedPlane()[i] = static_cast<BYTE>(seed * 37 + i);
        const std::string path = dir.File(file);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        EXPECT_TRUE(image.SaveBMP(path.c_str()));
        auto *texture = new CZNTexture(path.c_str(), nullptr);
        EXPECT_TRUE(texture->IsLoaded());
        GetEditorApp()->GetTextureManager()->AddTexture(texture);
        textures.push_back(texture);
        return texture;
    }

    static std::vector<ZNSELECTIONENTRY> Entries(const std::vector<ZNBRUSH *> &list)
    {
        std::vector<ZNSELECTIONENTRY> entries;
        for (ZNBRUSH *b : list)
            entries.push_back({ZNSELECT_BRUSH, reinterpret_cast<uintptr_t>(b), 0, 0});
        return entries;
    }

    // Exports; the code thrown, or 0.
    static LONG Export(CZNXScene &scene, const std::string &path, const std::vector<ZNBRUSH *> &list,
                       DWORD flags = XEXPORT_ALL)
    {
        try {
            scene.ExportSelection(path.c_str(), Entries(list), flags);
        } catch (LONG code) {
            return code;
        }
        return 0;
    }

    CZNRecordingReporter reporter;
    ZnTempDir dir;
    std::vector<ZNBRUSH *> brushes;
    std::vector<CZNTexture *> textures;
};

// The vertex count of a saved file's mesh: the list after the "Mesh" name and the brace.
uint32_t SavedVertexCount(const std::string &file)
{
    EXPECT_EQ(file.substr(0, 16), "xof 0303bin 0032");
    EXPECT_EQ(XU16(file, 16), 1u);
    EXPECT_EQ(file.substr(22, 4), "Mesh");
    EXPECT_EQ(XU16(file, 26), 10u);
    EXPECT_EQ(XU16(file, 28), 6u);
    EXPECT_EQ(XU32(file, 30), 1u);
    return XU32(file, 34);
}

TEST_F(XExportTest, SixQuadsGiveTwelveTrianglesWeldedToTwentyFourVertices)
{
    ZNBRUSH *box = Box();
    CZNXScene scene;
    scene.m_Brushes.push_back(box);
    std::vector<ZNXEXPORTENTRY> entries;
    ID3DXMesh *mesh = scene.BuildExportMesh(entries);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetNumFaces(), 12u);
    EXPECT_EQ(mesh->GetNumVertices(), 36u);
    mesh->Release();

    const std::string path = dir.File("box.x");
    ASSERT_EQ(Export(scene, path, {box}), 0);
    // Each corner meets three faces of different normals: 8 x 3 vertices.
    EXPECT_EQ(SavedVertexCount(ZnReadFile(path)), 24u);
}

TEST_F(XExportTest, SmoothNormalsWeldToEightVertices)
{
    ZNBRUSH *box = Box();
    for (DWORD f = 0; f < box->GetFaceCount(); ++f)
        for (short c = 0; c < 4; ++c) {
            ZNVERTEX &v = box->GetFace(f)->GetVertices()[c];
            D3DXVECTOR3 n(v.x - 0.5f, v.y - 0.5f, v.z - 0.5f);
            v.nx = n.x;
            v.ny = n.y;
            v.nz = n.z + 0.0004f * (f % 2); // within the weld's 0.001
            v.tu = v.tv = 0.0f;
        }
    CZNXScene scene;
    const std::string path = dir.File("smooth.x");
    ASSERT_EQ(Export(scene, path, {box}), 0);
    EXPECT_EQ(SavedVertexCount(ZnReadFile(path)), 8u);
}

TEST_F(XExportTest, TriangleListOrderAgainstFanOrder)
{
    ZNBRUSH *box = Box();
    ZNFACE *listed = box->GetFace(0);
    ASSERT_EQ(listed->GetVertexCount(), 4);
    const WORD order[6] = {1, 2, 3, 1, 3, 0};
    std::free(listed->m_TriIndices);
    listed->m_TriIndices = static_cast<WORD *>(std::malloc(6 * sizeof(WORD)));
    std::copy(order, order + 6, listed->m_TriIndices);
    ZNFACE *fanned = box->GetFace(1);
    std::free(fanned->m_TriIndices);
    fanned->m_TriIndices = nullptr;

    CZNXScene scene;
    scene.m_Brushes.push_back(box);
    std::vector<ZNXEXPORTENTRY> entries;
    ID3DXMesh *mesh = scene.BuildExportMesh(entries);
    ASSERT_NE(mesh, nullptr);
    void *raw = nullptr;
    mesh->LockVertexBuffer(0, &raw);
    const float *v = static_cast<const float *>(raw);
    auto same = [&](DWORD vertex, const ZNVERTEX &expected) {
        return v[8 * vertex] == expected.x && v[8 * vertex + 1] == expected.y && v[8 * vertex + 2] == expected.z;
    };
    for (DWORD k = 0; k < 6; ++k)
        EXPECT_TRUE(same(k, listed->GetVertex(static_cast<short>(order[k])))) << k;
    const short fan[6] = {0, 1, 2, 0, 2, 3};
    for (DWORD k = 0; k < 6; ++k)
        EXPECT_TRUE(same(6 + k, fanned->GetVertex(fan[k]))) << k;
    mesh->Release();
}

TEST_F(XExportTest, EntriesShareCaseInsensitiveNamesAndSkipFacesWithoutRecord)
{
    const LONG material = AddMaterial(0.75f, 8.0f);
    CZNTexture *upper = AddTexture("a/Brick.bmp", 1);
    CZNTexture *lower = AddTexture("b/brick.BMP", 2);
    ZNBRUSH *box = Box();
    for (DWORD f = 0; f < 6; ++f)
        box->GetFace(f)->SetMaterial(material);
    box->GetFace(0)->SetTexture(upper);
    box->GetFace(1)->SetTexture(lower);
    const LONG unrecorded = AddMaterial(0.1f, 1.0f);
    box->GetFace(5)->SetMaterial(unrecorded);

    CZNXScene scene;
    scene.m_Brushes.push_back(box);
    ZNMATERIALREF ref;
    ref.Material = GetEditorApp()->Get3D()->GetMaterialRecord(static_cast<DWORD>(material));
    ref.Index = static_cast<DWORD>(material);
    scene.m_MaterialRefs.push_back(ref);
    scene.BuildTextureTable();
    ASSERT_EQ(scene.m_TextureRefs.size(), 2u);

    std::vector<ZNXEXPORTENTRY> entries;
    ID3DXMesh *mesh = scene.BuildExportMesh(entries);
    ASSERT_NE(mesh, nullptr);
    // Faces 0 and 1 share a named entry; faces 2 to 4 have the unnamed one; face 5 has none.
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[0].HasName);
    EXPECT_FALSE(entries[1].HasName);
    DWORD *attributes = nullptr;
    mesh->LockAttributeBuffer(0, &attributes);
    const DWORD expected[12] = {0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0};
    for (DWORD t = 0; t < 12; ++t)
        EXPECT_EQ(attributes[t], expected[t]) << t;
    mesh->Release();
}

TEST_F(XExportTest, NothingToWriteOrNowhereToWriteIsAFailure)
{
    CZNXScene scene;
    int entity = 0;
    const std::vector<ZNSELECTIONENTRY> onlyEntities = {{ZNSELECT_ENTITY, reinterpret_cast<uintptr_t>(&entity), 0, 0}};
    try {
        scene.ExportSelection(dir.File("entities.x").c_str(), onlyEntities, XEXPORT_ALL);
        FAIL();
    } catch (LONG code) {
        EXPECT_EQ(code, kFailed);
    }
    EXPECT_EQ(scene.m_Entities.size(), 1u);
    EXPECT_EQ(Export(scene, "/dev/full", {Box()}), kFailed);
    EXPECT_EQ(Export(scene, dir.File("no/such/folder/x.x"), {Box()}), kFailed);
    EXPECT_EQ(scene.GetExportFlags(), XEXPORT_ALL);
}

TEST_F(XExportTest, ExportThenImportKeepsTrianglesAndMaterial)
{
    const LONG material = AddMaterial(0.75f, 8.0f);
    CZNTexture *texture = AddTexture("wall.bmp", 3);
    ZNBRUSH *box = Box({-1, 2, 3}, {4, 5, 7});
    for (DWORD f = 0; f < 6; ++f) {
        box->GetFace(f)->SetMaterial(material);
        for (short c = 0; c < 4; ++c) {
            box->GetFace(f)->GetVertices()[c].tu = 0.25f * c + f;
            box->GetFace(f)->GetVertices()[c].tv = 0.5f * c;
        }
    }
    box->GetFace(2)->SetTexture(texture);
    CZNXScene out;
    const std::string path = dir.File("round.x");
    ASSERT_EQ(Export(out, path, {box}), 0);

    const std::string file = ZnReadFile(path);
    CZNMemoryStreamIO stream(const_cast<char *>(file.data()), static_cast<DWORD>(file.size()), ZNSTREAM_READ, false);
    CZNXScene in;
    in.Load(stream, false);
    ASSERT_EQ(in.m_Brushes.size(), 1u);
    std::unique_ptr<ZNBRUSH> back(in.m_Brushes[0]);
    ASSERT_EQ(back->GetFaceCount(), 12u);
    // Faces come back sorted by entry: the untextured faces' entry came first.
    auto check = [&](DWORD backFace, DWORD face, const short (&corners)[3]) {
        for (short c = 0; c < 3; ++c) {
            const ZNVERTEX a = back->GetFace(backFace)->GetVertex(c), b = box->GetFace(face)->GetVertex(corners[c]);
            EXPECT_NEAR(a.x, b.x, 1e-6);
            EXPECT_NEAR(a.y, b.y, 1e-6);
            EXPECT_NEAR(a.z, b.z, 1e-6);
            EXPECT_NEAR(a.tu, b.tu, 1e-6);
            EXPECT_NEAR(a.tv, b.tv, 1e-6);
        }
    };
    const short first[3] = {0, 1, 2}, second[3] = {0, 2, 3};
    check(0, 0, first);
    check(1, 0, second);
    check(9, 5, second);
    check(10, 2, first);
    check(11, 2, second);
    EXPECT_EQ(back->GetFace(0)->GetTexture(), nullptr);
    EXPECT_EQ(back->GetFace(10)->GetTexture(), texture);
    ASSERT_EQ(in.m_MaterialRefs.size(), 2u);
    const D3DMATERIAL9 original = GetEditorApp()->Get3D()->GetMaterialRecord(static_cast<DWORD>(material))->GetD3DMaterial();
    for (const ZNMATERIALREF &ref : in.m_MaterialRefs) {
        // Identical values: the listed material itself.
        EXPECT_EQ(ref.Index, static_cast<DWORD>(material));
        const D3DMATERIAL9 m = ref.Material->GetD3DMaterial();
        EXPECT_EQ(m.Diffuse.r, original.Diffuse.r);
        EXPECT_EQ(m.Power, original.Power);
        EXPECT_EQ(m.Specular.b, original.Specular.b);
        EXPECT_EQ(m.Emissive.r, original.Emissive.r);
    }
    EXPECT_STREQ(in.m_TextureRefs[1].Name, "wall.bmp");
}

TEST_F(XExportTest, ExportFromALoadedIwfScene)
{
    ZNBRUSH *a = Box();
    ZNBRUSH *b = Box({2, 0, 0}, {3, 1, 1});
    CZNMemoryStreamIO saved;
    saved.Open(nullptr, 0, ZNSTREAM_WRITE, false);
    CZNIWFScene writer;
    writer.SaveObjects(saved, Entries({a, b}), IWFSAVE_ALL, nullptr);
    saved.SeekTo(0);
    CZNIWFScene iwf;
    iwf.Load(saved, true);
    ASSERT_EQ(iwf.m_Brushes.size(), 2u);

    CZNXScene scene;
    const std::string path = dir.File("from_iwf.x");
    scene.ExportFromScene(path.c_str(), iwf, XEXPORT_ALL);
    iwf.Clear(IWFSAVE_ALL);

    const std::string file = ZnReadFile(path);
    CZNMemoryStreamIO stream(const_cast<char *>(file.data()), static_cast<DWORD>(file.size()), ZNSTREAM_READ, false);
    CZNXScene in;
    in.Load(stream, false);
    ASSERT_EQ(in.m_Brushes.size(), 1u);
    EXPECT_EQ(in.m_Brushes[0]->GetFaceCount(), 24u);
    const ZNBBOX box = in.m_Brushes[0]->GetBoundingBox(0);
    EXPECT_NEAR(box.Max.x, 3.0f, 1e-6);
    in.Clear(XSCENE_CLEAR_BRUSHES);
}

} // namespace
