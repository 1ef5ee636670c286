// .X import: the three samples and generated forms of them give the same cube; hand-written
// text files for fans, frames, material matching and texture names; malformed files refused.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "fileio/file_errors.h"
#include "fileio/memory_stream_io.h"
#include "fileio/x_scene.h"
#include "platform/os/recording_reporter.h"
#include "render/direct3d.h"
#include "render/image/image.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/material.h"
#include "support/temp_dir.h"
#include "x_files.h"

namespace
{

constexpr LONG kFailed = static_cast<LONG>(0x89672328u);

class XSceneTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GetEditorApp()->SetReporter(&reporter);
        baseMaterials = Materials()->GetElementCount();
    }
    void TearDown() override
    {
        scene.Clear(XSCENE_CLEAR_BRUSHES | XSCENE_CLEAR_TEXTURES);
        GetEditorApp()->Get3D()->TrimMaterialList();
        CZNTextureManager *manager = GetEditorApp()->GetTextureManager();
        for (CZNTexture *t : textures) {
            manager->DetachTexture(t);
            delete t;
        }
        GetEditorApp()->SetReporter(nullptr);
    }

    CZNCONTAINER *Materials() { return GetEditorApp()->Get3D()->GetMaterialList(); }
    CZNMATERIAL *Material(DWORD index) { return GetEditorApp()->Get3D()->GetMaterialRecord(index); }

    // Loads bytes into scene; the code thrown, or 0.
    LONG Load(const std::string &bytes)
    {
        CZNMemoryStreamIO stream(const_cast<char *>(bytes.data()), static_cast<DWORD>(bytes.size()), ZNSTREAM_READ,
                                 false);
        try {
            scene.Load(stream, false);
        } catch (LONG code) {
            return code;
        }
        return 0;
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

    CZNRecordingReporter reporter;
    ZnTempDir dir;
    CZNXScene scene;
    std::vector<CZNTexture *> textures;
    DWORD baseMaterials = 0;
};

std::string Text(const std::string &body)
{
    return "xof 0303txt 0032\n" + body;
}

// A mesh of one triangle with the given children.
std::string Triangle(const std::string &children = "")
{
    return "Mesh tri {\n 3;\n 0;0;0;, 1;0;0;, 0;1;0;;\n 1;\n 3;0,1,2;;\n" + children + "}\n";
}

std::string MaterialText(const std::string &values, const std::string &texture = "")
{
    std::string s = "Material {\n" + values + "\n";
    if (!texture.empty())
        s += " TextureFilename { \"" + texture + "\"; }\n";
    return s + "}\n";
}

constexpr const char *kGrey = "0.5;0.5;0.5;1.0;; 10.0; 0.1;0.2;0.3;; 0.0;0.0;0.0;;";

// ---------------------------------------------------------------------------------------------

struct SampleCase {
    const char *name;
    std::string (*bytes)();
};

class XSampleTest : public XSceneTest, public ::testing::WithParamInterface<SampleCase>
{
};

const SampleCase kSamples[] = {
    {"Text", [] { return XSample("test_cube_text.x"); }},
    {"Binary", [] { return XSample("test_cube_binary.x"); }},
    {"Compressed", [] { return XSample("test_cube_compressed.x"); }},
    {"Binary64", [] { return XWidenTo64(XSample("test_cube_binary.x")); }},
    {"TextZip", [] { return XCompress(XSample("test_cube_text.x"), "tzip"); }},
    {"TextZipSmallBlocks", [] { return XCompress(XSample("test_cube_text.x"), "tzip", 1000); }},
};

TEST_P(XSampleTest, GivesTheCubeWithItsMaterial)
{
    ASSERT_EQ(Load(GetParam().bytes()), 0);
    ASSERT_EQ(scene.m_Brushes.size(), 1u);
    ZNBRUSH *brush = scene.m_Brushes[0];
    EXPECT_TRUE(brush->m_Flags & 0x02);
    ASSERT_EQ(brush->GetFaceCount(), 12u);
    for (DWORD f = 0; f < 12; ++f) {
        EXPECT_EQ(brush->GetFace(f)->GetVertexCount(), 3);
        EXPECT_TRUE(brush->GetFace(f)->m_Style & 0x08);
        EXPECT_EQ(brush->GetFace(f)->GetTexture(), nullptr);
    }
    const ZNBBOX box = brush->GetBoundingBox(0);
    EXPECT_NEAR(box.Min.x, -1.0f, 1e-5);
    EXPECT_NEAR(box.Min.y, -1.0f, 1e-5);
    EXPECT_NEAR(box.Min.z, -1.0f, 1e-5);
    EXPECT_NEAR(box.Max.x, 1.0f, 1e-5);
    EXPECT_NEAR(box.Max.y, 1.0f, 1e-5);
    EXPECT_NEAR(box.Max.z, 1.0f, 1e-5);

    ASSERT_EQ(scene.m_MaterialRefs.size(), 1u);
    const ZNMATERIALREF &ref = scene.m_MaterialRefs[0];
    EXPECT_EQ(ref.Index, baseMaterials);
    EXPECT_EQ(ref.Owned, 0);
    EXPECT_STREQ(ref.Material->GetName(), "Material #1");
    const D3DMATERIAL9 m = ref.Material->GetD3DMaterial();
    EXPECT_NEAR(m.Diffuse.r, 0.639216f, 1e-6);
    EXPECT_NEAR(m.Diffuse.g, 0.639216f, 1e-6);
    EXPECT_NEAR(m.Diffuse.b, 0.639216f, 1e-6);
    EXPECT_EQ(m.Diffuse.a, 1.0f);
    EXPECT_NEAR(m.Power, 96.07843f, 1e-4);
    EXPECT_NEAR(m.Specular.r, 0.498039f, 1e-6);
    EXPECT_EQ(m.Specular.a, 1.0f);
    EXPECT_EQ(m.Emissive.r, 0.0f);
    EXPECT_EQ(m.Emissive.a, 1.0f);
    EXPECT_EQ(m.Ambient.r, 0.0f);
    EXPECT_EQ(m.Ambient.a, 1.0f);
    for (DWORD f = 0; f < 12; ++f)
        EXPECT_EQ(brush->GetFace(f)->GetMaterial(), static_cast<LONG>(baseMaterials));

    ASSERT_EQ(scene.m_TextureRefs.size(), 1u);
    EXPECT_STREQ(scene.m_TextureRefs[0].Name, "");
    EXPECT_EQ(scene.m_TextureRefs[0].Texture, nullptr);

    // Every form gives the text sample's triangles.
    CZNXScene reference;
    const std::string text = XSample("test_cube_text.x");
    CZNMemoryStreamIO stream(const_cast<char *>(text.data()), static_cast<DWORD>(text.size()), ZNSTREAM_READ, false);
    reference.Load(stream, false);
    ZNBRUSH *expected = reference.m_Brushes[0];
    for (DWORD f = 0; f < 12; ++f)
        for (short c = 0; c < 3; ++c) {
            const ZNVERTEX a = brush->GetFace(f)->GetVertex(c), b = expected->GetFace(f)->GetVertex(c);
            EXPECT_NEAR(a.x, b.x, 1e-5);
            EXPECT_NEAR(a.y, b.y, 1e-5);
            EXPECT_NEAR(a.z, b.z, 1e-5);
            EXPECT_NEAR(a.nx, b.nx, 1e-5);
            EXPECT_NEAR(a.ny, b.ny, 1e-5);
            EXPECT_NEAR(a.nz, b.nz, 1e-5);
        }
    reference.Clear(XSCENE_CLEAR_BRUSHES);
}

INSTANTIATE_TEST_SUITE_P(Forms, XSampleTest, ::testing::ValuesIn(kSamples),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(XSceneTest, CompressedSampleIsOneBlockOfTheBinaryBody)
{
    const std::string file = XSample("test_cube_compressed.x");
    EXPECT_EQ(XU32(file, 16), 2816u);
    EXPECT_EQ(XU16(file, 20), 2800u);
    EXPECT_EQ(XU16(file, 22), 751u);
}

TEST_F(XSceneTest, RootFrameSwapsYAndZ)
{
    // The cube's first vertex is (-1, -1, 1) in the file; the Root frame swaps y and z.
    ASSERT_EQ(Load(XSample("test_cube_text.x")), 0);
    bool found = false;
    ZNBRUSH *brush = scene.m_Brushes[0];
    for (DWORD f = 0; f < 12 && !found; ++f)
        for (short c = 0; c < 3; ++c) {
            const ZNVERTEX v = brush->GetFace(f)->GetVertex(c);
            if (v.x == -1.0f && v.y == 1.0f && v.z == -1.0f && v.nz == -1.0f)
                found = true;
        }
    EXPECT_TRUE(found);
}

// ---------------------------------------------------------------------------------------------
// Hand-written files

TEST_F(XSceneTest, OneTriangleWithAMaterialWithoutTexture)
{
    ASSERT_EQ(Load(Text(Triangle("MeshMaterialList { 1; 1; 0;; " + MaterialText(kGrey) + "}\n"))), 0);
    ASSERT_EQ(scene.m_Brushes.size(), 1u);
    ZNBRUSH *brush = scene.m_Brushes[0];
    ASSERT_EQ(brush->GetFaceCount(), 1u);
    ZNFACE *face = brush->GetFace(0);
    EXPECT_EQ(face->GetMaterial(), static_cast<LONG>(baseMaterials));
    EXPECT_EQ(face->GetTexture(), nullptr);
    EXPECT_EQ(face->GetVertex(1).x, 1.0f);
    EXPECT_EQ(face->GetVertex(2).y, 1.0f);
    ASSERT_EQ(scene.m_MaterialRefs.size(), 1u);
    ASSERT_EQ(scene.m_TextureRefs.size(), 1u);
    EXPECT_EQ(scene.m_TextureRefs[0].Texture, nullptr);
    // No normals in the file: the brush's own, pointing along the face's normal.
    EXPECT_NEAR(std::fabs(face->GetVertex(0).nz), 1.0f, 1e-5);
}

TEST_F(XSceneTest, NoMaterialListLeavesMaterialZero)
{
    ASSERT_EQ(Load(Text(Triangle())), 0);
    EXPECT_TRUE(scene.m_MaterialRefs.empty());
    EXPECT_EQ(scene.m_Brushes[0]->GetFace(0)->GetMaterial(), 0);
}

TEST_F(XSceneTest, QuadIsFannedFromItsFirstCorner)
{
    ASSERT_EQ(Load(Text("Mesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 1; 4;0,1,2,3;; "
                        "MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; } }")),
              0);
    ZNBRUSH *brush = scene.m_Brushes[0];
    ASSERT_EQ(brush->GetFaceCount(), 2u);
    const ZNVERTEX a = brush->GetFace(1)->GetVertex(0), b = brush->GetFace(1)->GetVertex(1),
                   c = brush->GetFace(1)->GetVertex(2);
    EXPECT_EQ(a.x, 0.0f);
    EXPECT_EQ(a.y, 0.0f);
    EXPECT_EQ(b.x, 1.0f);
    EXPECT_EQ(b.y, 1.0f);
    EXPECT_EQ(c.x, 0.0f);
    EXPECT_EQ(c.y, 1.0f);
    EXPECT_EQ(c.tu, 0.0f);
    EXPECT_EQ(c.tv, 1.0f);
    EXPECT_EQ(b.tu2, 0.0f);
}

TEST_F(XSceneTest, NestedFramesApplyChildThenParent)
{
    // Outer: scale 2; inner: move by (1, 0, 0); so (0, 0, 0) lands at (2, 0, 0), not (1, 0, 0).
    const std::string file = Text("Frame outer {\n FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 0,0,0,1;; }\n"
                                  " Frame inner {\n  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 1,0,5,1;; }\n" +
                                  Triangle() + " }\n}\n");
    ASSERT_EQ(Load(file), 0);
    const ZNVERTEX v = scene.m_Brushes[0]->GetFace(0)->GetVertex(0);
    EXPECT_FLOAT_EQ(v.x, 2.0f);
    EXPECT_FLOAT_EQ(v.y, 0.0f);
    EXPECT_FLOAT_EQ(v.z, 10.0f);
}

TEST_F(XSceneTest, MeshesOfFramesAndTopLevelAreJoinedWithTheirMaterials)
{
    // Two meshes with one material each: the second list's id 0 names the second material.
    const std::string second = "Mesh { 3; 0;0;5;, 1;0;5;, 0;1;5;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 0;; " +
                               MaterialText("1;0;0;1;; 5; 0;0;0;; 0;0;0;;") + "} }\n";
    ASSERT_EQ(Load(Text("Frame f { " + Triangle("MeshMaterialList { 1; 1; 0;; " + MaterialText(kGrey) + "}") +
                        "}\n" + second)),
              0);
    ZNBRUSH *brush = scene.m_Brushes[0];
    ASSERT_EQ(brush->GetFaceCount(), 2u);
    ASSERT_EQ(scene.m_MaterialRefs.size(), 2u);
    EXPECT_EQ(brush->GetFace(1)->GetVertex(0).z, 5.0f);
    EXPECT_EQ(brush->GetFace(1)->GetMaterial(), static_cast<LONG>(scene.m_MaterialRefs[1].Index));
    EXPECT_EQ(scene.m_MaterialRefs[1].Material->GetD3DMaterial().Diffuse.r, 1.0f);
}

TEST_F(XSceneTest, IdenticalMaterialsShareOneListMaterial)
{
    const std::string list = "MeshMaterialList { 2; 2; 0, 1;; " + MaterialText(kGrey) + MaterialText(kGrey) + "}";
    ASSERT_EQ(Load(Text("Mesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 2; 3;0,1,2;, 3;0,2,3;; " + list + "}")), 0);
    ASSERT_EQ(scene.m_MaterialRefs.size(), 2u);
    EXPECT_EQ(scene.m_MaterialRefs[0].Material, scene.m_MaterialRefs[1].Material);
    EXPECT_EQ(scene.m_MaterialRefs[0].Index, scene.m_MaterialRefs[1].Index);
    EXPECT_EQ(Materials()->GetElementCount(), baseMaterials + 1);
}

TEST_F(XSceneTest, NewMaterialTakesTheFirstFreeNumber)
{
    for (const char *name : {"Material #1", "material #2"}) {
        const int index = GetEditorApp()->Get3D()->AddMaterial();
        Material(static_cast<DWORD>(index))->SetName(name);
    }
    ASSERT_EQ(Load(Text(Triangle("MeshMaterialList { 1; 1; 0;; " + MaterialText(kGrey) + "}"))), 0);
    EXPECT_STREQ(scene.m_MaterialRefs[0].Material->GetName(), "Material #3");
}

TEST_F(XSceneTest, MaterialMatchingAListedOneUsesIt)
{
    const int index = GetEditorApp()->Get3D()->AddMaterial();
    D3DMATERIAL9 value{};
    value.Diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
    value.Power = 10.0f;
    value.Specular = {0.1f, 0.2f, 0.3f, 1.0f};
    value.Emissive = {0.0f, 0.0f, 0.0f, 1.0f};
    value.Ambient = {0.0f, 0.0f, 0.0f, 1.0f};
    Material(static_cast<DWORD>(index))->SetD3DMaterial(&value);
    ASSERT_EQ(Load(Text(Triangle("MeshMaterialList { 1; 1; 0;; " + MaterialText(kGrey) + "}"))), 0);
    EXPECT_EQ(scene.m_MaterialRefs[0].Index, static_cast<DWORD>(index));
    EXPECT_EQ(scene.m_MaterialRefs[0].Created, 0);
}

TEST_F(XSceneTest, TextureFoundByFileNameWithoutFolders)
{
    CZNTexture *brick = AddTexture("brick.bmp", 1);
    const std::string list = "MeshMaterialList { 2; 2; 0, 1;; " + MaterialText(kGrey, ".\\\\tex\\\\Brick.BMP") +
                             MaterialText("1;1;1;1;; 1; 0;0;0;; 0;0;0;;", "maps/missing.bmp") + "}";
    ASSERT_EQ(Load(Text("Mesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 2; 3;0,1,2;, 3;0,2,3;; " + list + "}")), 0);
    ASSERT_EQ(scene.m_TextureRefs.size(), 2u);
    EXPECT_STREQ(scene.m_TextureRefs[0].Name, "Brick.BMP");
    EXPECT_EQ(scene.m_TextureRefs[0].Texture, brick);
    EXPECT_STREQ(scene.m_TextureRefs[1].Name, "missing.bmp");
    EXPECT_EQ(scene.m_TextureRefs[1].Texture, nullptr);
    ZNBRUSH *brush = scene.m_Brushes[0];
    EXPECT_EQ(brush->GetFace(0)->GetTexture(), brick);
    EXPECT_EQ(brush->GetFace(1)->GetTexture(), nullptr);
    // Clear drops the records; the faces keep their own references.
    scene.Clear(XSCENE_CLEAR_TEXTURES);
    EXPECT_TRUE(scene.m_TextureRefs.empty());
    EXPECT_EQ(brush->GetFace(0)->GetTexture(), brick);
}

TEST_F(XSceneTest, FewerFaceIndexesRepeatTheLastAndMaterialsSortFaces)
{
    const std::string list = "MeshMaterialList { 2; 1; 1;; " + MaterialText(kGrey) +
                             MaterialText("1;0;0;1;; 5; 0;0;0;; 0;0;0;;") + "}";
    ASSERT_EQ(Load(Text("Mesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 2; 3;0,1,2;, 3;0,2,3;; " + list + "}")), 0);
    ZNBRUSH *brush = scene.m_Brushes[0];
    for (DWORD f = 0; f < 2; ++f)
        EXPECT_EQ(brush->GetFace(f)->GetMaterial(), static_cast<LONG>(scene.m_MaterialRefs[1].Index));
}

TEST_F(XSceneTest, TemplatesAndReferencesAndSpellings)
{
    // A declared template of a standard GUID under another name, a referenced material, the
    // other spelling of TextureFilename, comments and unknown objects.
    const std::string file = Text("template MyMesh {\n <3D82AB44-62DA-11cf-AB39-0020AF71E433>\n [...]\n}\n"
                                  "// a comment\n# another\n"
                                  "Material red { 1;0;0;1;; 2; 0;0;0;; 0;0;0;; TextureFileName { \"red.bmp\"; } }\n"
                                  "Unknown { 1; { nested } }\n"
                                  "MyMesh m { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
                                  " MeshMaterialList { 1; 1; 0;; { red } } }\n");
    ASSERT_EQ(Load(file), 0);
    ASSERT_EQ(scene.m_Brushes.size(), 1u);
    ASSERT_EQ(scene.m_TextureRefs.size(), 1u);
    EXPECT_STREQ(scene.m_TextureRefs[0].Name, "red.bmp");
    EXPECT_EQ(scene.m_MaterialRefs[0].Material->GetD3DMaterial().Diffuse.r, 1.0f);
}

// ---------------------------------------------------------------------------------------------
// Refusals

struct BadCase {
    const char *name;
    std::string bytes;
};

class XRefusalTest : public XSceneTest, public ::testing::WithParamInterface<BadCase>
{
};

const BadCase kBad[] = {
    {"Empty", ""},
    {"Png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
    {"HeaderOnly", "xof 0303txt 0032"},
    {"BadVersion", "xof 0304txt 0032" + Triangle()},
    {"BadFloatSize", "xof 0303txt 0016" + Triangle()},
    {"TwoIndexFace", Text("Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 2;0,1;; }")},
    {"IndexPastVertices", Text("Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;; }")},
    {"VertexCountPastValues", Text("Mesh { 4000000000; 0;0;0;; 1; 3;0,1,2;; }")},
    {"NoFaces", Text("Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 0;; }")},
    {"Unclosed", Text("Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;")},
    {"TooDeep", Text([] {
         std::string s;
         for (int i = 0; i < 300; ++i)
             s += "Frame {";
         return s + Triangle() + std::string(300, '}');
     }())},
    {"ReferenceChainTooDeep", Text([] {
         // Frames kept inside meshes, each naming the one before; walking the last reaches all.
         std::string s = "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; Frame a0 { } }\n";
         for (int i = 1; i < 300; ++i)
             s += "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; Frame a" + std::to_string(i) + " { { a" +
                  std::to_string(i - 1) + " } } }\n";
         return s + "Frame top { { a299 } }\n";
     }())},
    {"CompressedTotalTooSmall", "xof 0303tzip0032" + std::string("\x08\0\0\0", 4)},
    {"CompressedNoCK", "xof 0303bzip0032" + std::string("\x20\0\0\0\x10\0\x04\0XX\0\0", 12)},
};

TEST_P(XRefusalTest, IsRefused)
{
    const std::string &bytes = GetParam().bytes;
    CZNMemoryStreamIO stream(const_cast<char *>(bytes.data()), static_cast<DWORD>(bytes.size()), ZNSTREAM_READ,
                             false);
    EXPECT_FALSE(scene.IsValidFile(stream));
    EXPECT_EQ(stream.Tell(), 0);
    EXPECT_EQ(Load(bytes), kFailed);
    EXPECT_TRUE(scene.m_Brushes.empty());
    EXPECT_EQ(Materials()->GetElementCount(), baseMaterials);
}

INSTANTIATE_TEST_SUITE_P(Files, XRefusalTest, ::testing::ValuesIn(kBad),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(XSceneTest, BinarySampleTruncatedAtEveryByteIsRefused)
{
    const std::string file = XSample("test_cube_binary.x");
    for (size_t size = 0; size < file.size(); ++size) {
        const std::string cut = "junk" + file.substr(0, size);
        CZNMemoryStreamIO stream(const_cast<char *>(cut.data()), static_cast<DWORD>(cut.size()), ZNSTREAM_READ, false);
        stream.SeekTo(4);
        ASSERT_FALSE(scene.IsValidFile(stream)) << size;
        ASSERT_EQ(stream.Tell(), 4) << size;
        try {
            scene.Load(stream, false);
            FAIL() << size;
        } catch (LONG code) {
            ASSERT_EQ(code, kFailed) << size;
        }
    }
    EXPECT_TRUE(scene.m_Brushes.empty());
    EXPECT_EQ(Materials()->GetElementCount(), baseMaterials);
}

TEST_F(XSceneTest, ValidFileReadFromItsPosition)
{
    const std::string file = "junk" + XSample("test_cube_compressed.x");
    CZNMemoryStreamIO stream(const_cast<char *>(file.data()), static_cast<DWORD>(file.size()), ZNSTREAM_READ, false);
    stream.SeekTo(4);
    EXPECT_TRUE(scene.IsValidFile(stream));
    EXPECT_EQ(stream.Tell(), 4);
    scene.Load(stream, true);
    EXPECT_EQ(scene.m_Brushes.size(), 1u);
}

} // namespace
