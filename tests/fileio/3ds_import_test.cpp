// 3DS import: the sample files with their pictures, meshes, materials and texture maps built in
// the test, and the keyframer hierarchy.
#include "3ds_import_fixture.h"

#include <algorithm>
#include <cmath>
#include <strings.h>

using namespace zn3ds;

namespace
{

D3DXVECTOR3 Pos(ZNFACE *face, int v)
{
    const ZNVERTEX &x = face->GetVertices()[v];
    return {x.x, x.y, x.z};
}

void ExpectNear(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b)
{
    EXPECT_NEAR(a.x, b.x, 1e-5f);
    EXPECT_NEAR(a.y, b.y, 1e-5f);
    EXPECT_NEAR(a.z, b.z, 1e-5f);
}


// The points and faces of the named object of a sample, read straight from the bytes: the
// object's mesh holds its point chunk first, then the face chunk further on.
struct RawMesh {
    std::vector<D3DXVECTOR3> points;
    std::vector<Face> faces;
};

float FloatAt(const BYTE *p)
{
    float f;
    std::memcpy(&f, p, 4);
    return f;
}

RawMesh FindRawMesh(const Bytes &file, const std::string &name)
{
    RawMesh mesh;
    const Bytes key = Str(name);
    auto it = std::search(file.begin(), file.end(), key.begin(), key.end());
    if (it == file.end())
        return mesh;
    size_t at = static_cast<size_t>(it - file.begin()) + key.size();
    // 0x4100 header, then the first child.
    at += 6;
    while (at + 6 <= file.size()) {
        const WORD id = static_cast<WORD>(file[at] | file[at + 1] << 8);
        const DWORD length = file[at + 2] | file[at + 3] << 8 | file[at + 4] << 16 | static_cast<DWORD>(file[at + 5]) << 24;
        if (id == 0x4110) {
            const WORD n = static_cast<WORD>(file[at + 6] | file[at + 7] << 8);
            for (WORD i = 0; i < n; ++i) {
                const BYTE *p = &file[at + 8 + i * 12];
                mesh.points.push_back({FloatAt(p), FloatAt(p + 4), FloatAt(p + 8)});
            }
        } else if (id == 0x4120) {
            const WORD n = static_cast<WORD>(file[at + 6] | file[at + 7] << 8);
            for (WORD i = 0; i < n; ++i) {
                const BYTE *p = &file[at + 8 + i * 8];
                mesh.faces.push_back({static_cast<WORD>(p[0] | p[1] << 8), static_cast<WORD>(p[2] | p[3] << 8),
                                      static_cast<WORD>(p[4] | p[5] << 8)});
            }
            return mesh;
        }
        at += length;
    }
    return mesh;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The samples

TEST_F(Import3dsTest, SampleGivesNineDetailBoxesOfTwelveTrianglesWithoutGroups)
{
    LoadTexture("IMAGE1.jpg");
    LoadTexture("IMAGE2.jpg");
    LoadTexture("CWALL02.jpg");
    const Bytes file = ReadData("test1.3ds");
    ASSERT_EQ(Import(file, false), 0);

    std::vector<std::string> names;
    for (ZNBRUSH *b : Scene().m_Brushes) {
        names.emplace_back(b->m_Name ? b->m_Name : "");
        EXPECT_EQ(b->GetFaceCount(), 12u);
        EXPECT_EQ(b->m_Flags, static_cast<DWORD>(ZNBRUSH_DETAIL));
        EXPECT_EQ(b->GetParent(), nullptr);
        for (DWORD f = 0; f < b->GetFaceCount(); ++f) {
            EXPECT_EQ(b->GetFace(f)->m_Style, static_cast<DWORD>(ZNFACESTYLE_LOCKUV));
            EXPECT_EQ(b->GetFace(f)->GetVertexCount(), 3);
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Box01", "Box02", "Box04", "Box05", "Box06", "Box07", "Box08", "Box09",
                                               "Box10"}));
    EXPECT_TRUE(Scene().m_Groups.empty());
    // Nodes and matrices are gone after the load.
    EXPECT_TRUE(Scene().GetNodes().empty());
    EXPECT_TRUE(Scene().GetMeshMatrices().empty());

    // Box01's face 0 is file face (2, 0, 3): vertices from points 3, 0, 2 with y and z exchanged.
    const RawMesh raw = FindRawMesh(file, "Box01");
    ASSERT_GE(raw.faces.size(), 1u);
    EXPECT_EQ(raw.faces[0].a, 2);
    EXPECT_EQ(raw.faces[0].b, 0);
    EXPECT_EQ(raw.faces[0].c, 3);
    ZNFACE *face = Brush(0)->GetFace(0);
    const WORD order[3] = {3, 0, 2};
    for (int v = 0; v < 3; ++v) {
        const D3DXVECTOR3 &p = raw.points.at(order[v]);
        ExpectNear(Pos(face, v), {p.x, p.z, p.y});
    }
    // The box lies where its points are: the pivot (-0, -0, -0) moved nothing.
    ZNBBOX box = Brush(0)->GetBoundingBox(0);
    float minY = raw.points[0].z;
    for (const D3DXVECTOR3 &p : raw.points)
        minY = std::min(minY, p.z);
    EXPECT_FLOAT_EQ(box.Min.y, minY);
}

TEST_F(Import3dsTest, SampleMaterialsMatchTheirPicturesAndJoinTheSharedList)
{
    CZNTexture *image1 = LoadTexture("IMAGE1.jpg");
    CZNTexture *image2 = LoadTexture("IMAGE2.jpg");
    CZNTexture *wall = LoadTexture("CWALL02.jpg");
    // A list of five, as the editor starts with.
    for (int i = 0; i < 5; ++i) {
        const int index = GetEditorApp()->Get3D()->AddMaterial();
        GetEditorApp()->Get3D()->GetMaterialRecord(static_cast<DWORD>(index))->SetName(("Base " + std::to_string(i)).c_str());
    }
    ASSERT_EQ(Import(ReadData("test1.3ds"), false), 0);

    ASSERT_EQ(Scene().m_MaterialRefs.size(), 3u);
    const char *names[3] = {"2 - Default", "1 - Default", "3 - Default"};
    CZNTexture *pictures[3] = {image1, wall, image2};
    for (size_t i = 0; i < 3; ++i) {
        const ZNMATERIALREF &ref = Scene().m_MaterialRefs[i];
        SCOPED_TRACE(names[i]);
        EXPECT_STREQ(ref.Name, names[i]);
        EXPECT_EQ(ref.Owned, 0);
        EXPECT_EQ(ref.Index, builtIn + 5 + i);
        EXPECT_EQ(Materials()->GetElement(ref.Index), ref.Material);
        EXPECT_FLOAT_EQ(ref.MapAmount, 1.0f);
        ASSERT_GE(ref.TextureRef, 0);
        EXPECT_EQ(Scene().m_TextureRefs[static_cast<size_t>(ref.TextureRef)].Texture, pictures[i]);
        EXPECT_EQ(ref.Material->GetTexture(), pictures[i]);
        const D3DMATERIAL9 m = ref.Material->GetD3DMaterial();
        EXPECT_NEAR(m.Ambient.r, 0.5882353f, 1e-6f);
        EXPECT_NEAR(m.Diffuse.g, 1.0f, 1e-6f);
        EXPECT_NEAR(m.Specular.b, 0.8980393f, 1e-6f);
        EXPECT_NEAR(m.Power, 10.0f, 1e-4f);
        EXPECT_FLOAT_EQ(m.Diffuse.a, 1.0f);
    }
    EXPECT_TRUE(reporter.Entries().empty());
    EXPECT_TRUE(reporter.MissingResources().empty());
    // Faces carry the texture of their group's material and no blending.
    for (ZNBRUSH *b : Scene().m_Brushes)
        for (DWORD f = 0; f < b->GetFaceCount(); ++f) {
            EXPECT_EQ(b->GetFace(f)->m_SrcBlend, -1);
            EXPECT_NE(b->GetFace(f)->GetTexture(), nullptr);
        }
}

TEST_F(Import3dsTest, SilentSampleOwnsItsMaterials)
{
    const DWORD before = Materials()->GetElementCount();
    ASSERT_EQ(Import(ReadData("test1.3ds"), true), 0);
    ASSERT_EQ(Scene().m_MaterialRefs.size(), 3u);
    for (DWORD i = 0; i < 3; ++i) {
        EXPECT_EQ(Scene().m_MaterialRefs[i].Owned, 1);
        EXPECT_EQ(Scene().m_MaterialRefs[i].Index, i);
    }
    EXPECT_EQ(Materials()->GetElementCount(), before);
    // Nothing loaded, yet a silent import reports nothing.
    EXPECT_TRUE(reporter.MissingResources().empty());
}

TEST_F(Import3dsTest, UpperCaseMapNameResolvesOrIsReportedMissing)
{
    ASSERT_EQ(Import(ReadData("cube_with_diffuse_texture.3DS"), false), 0);
    ASSERT_EQ(reporter.MissingResources().size(), 1u);
    EXPECT_EQ(reporter.MissingResources()[0], std::vector<std::string>{"TEST.PNG"});
    importer.reset();
    GetEditorApp()->Get3D()->TrimMaterialList();
    reporter.Clear();

    CZNTexture *picture = LoadTexture("test.png");
    ASSERT_EQ(Import(ReadData("cube_with_diffuse_texture.3DS"), false), 0);
    ASSERT_EQ(Scene().m_TextureRefs.size(), 1u);
    EXPECT_STREQ(Scene().m_TextureRefs[0].Name, "TEST.PNG");
    EXPECT_EQ(Scene().m_TextureRefs[0].Texture, picture);
    EXPECT_TRUE(reporter.MissingResources().empty());
}

// ---------------------------------------------------------------------------------------------
// Meshes

TEST_F(Import3dsTest, AxesAreExchangedAndFacesReversed)
{
    const Bytes file = File(Object("Tri", Cat({Points({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}), Faces({{0, 1, 2}}),
                                               TexCoords({{0.25f, 0.75f}, {0.5f, 0.5f}, {1.0f, 0.0f}})})));
    ASSERT_EQ(Import(file, true), 0);
    ASSERT_EQ(Scene().m_Brushes.size(), 1u);
    ZNFACE *face = Brush(0)->GetFace(0);
    ASSERT_NE(face, nullptr);
    ExpectNear(Pos(face, 0), {7, 9, 8});
    ExpectNear(Pos(face, 1), {4, 6, 5});
    ExpectNear(Pos(face, 2), {1, 3, 2});
    EXPECT_FLOAT_EQ(face->GetVertices()[2].tu, 0.25f);
    EXPECT_FLOAT_EQ(face->GetVertices()[2].tv, -0.75f);
    EXPECT_STREQ(Brush(0)->m_Name, "Tri");
    // Bounds come from the geometry.
    ZNBBOX box = Brush(0)->GetBoundingBox(0);
    ExpectNear(box.Min, {1, 3, 2});
    ExpectNear(box.Max, {7, 9, 8});
}

struct MeshCase {
    const char *name;
    Bytes mesh;
    size_t faces;
    DWORD style;
};

class Import3dsMeshTest : public Import3dsTest, public ::testing::WithParamInterface<MeshCase>
{
};

TEST_P(Import3dsMeshTest, GivesTheFacesItCan)
{
    ASSERT_EQ(Import(File(Chunk(0x4000, Cat({Str("M"), Chunk(0x4100, GetParam().mesh)}))), true), 0);
    ASSERT_EQ(Scene().m_Brushes.size(), 1u);
    ASSERT_EQ(Brush(0)->GetFaceCount(), GetParam().faces);
    for (DWORD f = 0; f < Brush(0)->GetFaceCount(); ++f)
        EXPECT_EQ(Brush(0)->GetFace(f)->m_Style, GetParam().style);
}

const std::vector<D3DXVECTOR3> kQuad = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};

INSTANTIATE_TEST_SUITE_P(
    Cases, Import3dsMeshTest,
    ::testing::Values(MeshCase{"Plain", Cat({Points(kQuad), Faces({{0, 1, 2}, {0, 2, 3}})}), 2, ZNFACESTYLE_LOCKUV},
                      MeshCase{"Hidden", Cat({Points(kQuad), Chunk(0x4010, {}), Faces({{0, 1, 2}})}), 1,
                               ZNFACESTYLE_LOCKUV | ZNFACESTYLE_INVISIBLE},
                      MeshCase{"PointsWithoutFaces", Points(kQuad), 0, 0},
                      MeshCase{"FacesWithoutPoints", Faces({{0, 1, 2}}), 0, 0},
                      MeshCase{"FacesBeforePoints", Cat({Faces({{0, 1, 2}}), Points(kQuad)}), 1, ZNFACESTYLE_LOCKUV},
                      MeshCase{"MissingPointLeftOut", Cat({Points(kQuad), Faces({{0, 1, 2}, {0, 2, 9}, {1, 2, 3}})}),
                               2, ZNFACESTYLE_LOCKUV},
                      MeshCase{"LaterFacesReplace",
                               Cat({Points(kQuad), Faces({{0, 1, 2}, {0, 2, 3}}), Faces({{1, 2, 3}})}), 1,
                               ZNFACESTYLE_LOCKUV},
                      MeshCase{"ShortTexCoordsGiveZero", Cat({Points(kQuad), TexCoords({{0.5f, 0.5f}}),
                                                              Faces({{0, 1, 2}})}),
                               1, ZNFACESTYLE_LOCKUV}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Import3dsTest, EmptyNamesEmptyEditorAndForeignTopChunks)
{
    ASSERT_EQ(Import(Cat({File({}), Chunk(0x1234, {1, 2, 3})}), false), 0);
    EXPECT_TRUE(Scene().m_Brushes.empty());
    EXPECT_TRUE(reporter.MissingResources().empty());

    ASSERT_EQ(Import(File(Triangle("")), true), 0);
    ASSERT_EQ(Scene().m_Brushes.size(), 1u);
    EXPECT_EQ(Brush(0)->m_Name, nullptr);

    // A project file's main chunk is read like a scene's.
    ASSERT_EQ(Import(Cat({Chunk(0x4D4D, {}), Chunk(0xC23D, Chunk(0x3D3D, Triangle("P")))}), true), 0);
    EXPECT_EQ(Scene().m_Brushes.size(), 1u);
}

TEST_F(Import3dsTest, MeshMatrixRowsAreAxesExchanged)
{
    // Kept by a subclass that looks before Load frees the matrices.
    struct Peek : Owner {
        std::vector<D3DXMATRIX> seen;
        void Clear(DWORD flags) override
        {
            if (!GetMeshMatrices().empty())
                seen = GetMeshMatrices();
            CZN3DSImport::Clear(flags);
        }
    };
    auto peek = std::make_unique<Peek>();
    const Bytes file = File(Triangle("T", Chunk(0x4160, F32({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}))));
    auto stream = Stream(file);
    peek->Load(*stream, true);
    ASSERT_EQ(peek->seen.size(), 1u);
    const D3DXMATRIX &m = peek->seen[0];
    const float rows[4][4] = {{1, 3, 2, 0}, {7, 9, 8, 0}, {4, 6, 5, 0}, {10, 12, 11, 1}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_FLOAT_EQ(m.m[r][c], rows[r][c]) << r << "," << c;
    peek->Clear(0x7FFF);
}

// ---------------------------------------------------------------------------------------------
// Materials

TEST_F(Import3dsTest, ColourFormsAndPercentages)
{
    const Bytes material =
        Material("Paint", Cat({ColourBytes(0xA010, 255, 0, 51),
                               // Only the first child counts.
                               Chunk(0xA020, Cat({Chunk(0x0010, F32({0.5f, 0.25f, 0.125f})),
                                                  Chunk(0x0010, F32({0.9f, 0.9f, 0.9f}))})),
                               // A first child 0x0012 leaves the colour as it was.
                               Chunk(0xA030, Cat({Chunk(0x0012, {1, 2, 3}), Chunk(0x0010, F32({0, 0, 0}))})),
                               Percent(0xA040, 50)}));
    ASSERT_EQ(Import(File(material), true), 0);
    ASSERT_EQ(Scene().m_MaterialRefs.size(), 1u);
    const D3DMATERIAL9 m = Scene().m_MaterialRefs[0].Material->GetD3DMaterial();
    EXPECT_FLOAT_EQ(m.Ambient.r, 1.0f);
    EXPECT_FLOAT_EQ(m.Ambient.g, 0.0f);
    EXPECT_FLOAT_EQ(m.Ambient.b, 51.0f * (1.0f / 255.0f));
    EXPECT_FLOAT_EQ(m.Ambient.a, 1.0f);
    EXPECT_FLOAT_EQ(m.Diffuse.r, 0.5f);
    EXPECT_FLOAT_EQ(m.Diffuse.b, 0.125f);
    EXPECT_FLOAT_EQ(m.Specular.r, 1.0f);
    EXPECT_FLOAT_EQ(m.Specular.b, 1.0f);
    EXPECT_FLOAT_EQ(m.Power, 50.0f);
    EXPECT_FLOAT_EQ(m.Emissive.a, 0.0f);
    EXPECT_EQ(Scene().m_MaterialRefs[0].TextureRef, -1);
}

TEST_F(Import3dsTest, TransparencyBlendsItsFacesAndMapAmountLightens)
{
    const Bytes glass = Material("Glass", Cat({Percent(0xA050, 25), Chunk(0xA081, {})}));
    const Bytes lit = Material("Lit", Cat({ColourFloats(0xA020, 0.5f, 0.5f, 0.5f), Percent(0xA084, 100),
                                           TextureMap("a.bmp", 0), TextureMap("a.bmp", 50)}));
    const Bytes mesh = Object("M", Cat({Points(kQuad), Faces({{0, 1, 2}, {0, 2, 3}, {1, 2, 3}},
                                                             Cat({FaceGroup("GLASS", {0, 7}), FaceGroup("Lit", {1}),
                                                                  FaceGroup("Unknown", {2})}))}));
    ASSERT_EQ(Import(File(Cat({glass, lit, mesh})), true), 0);
    ASSERT_EQ(Scene().m_MaterialRefs.size(), 2u);
    const D3DMATERIAL9 g = Scene().m_MaterialRefs[0].Material->GetD3DMaterial();
    EXPECT_FLOAT_EQ(g.Diffuse.a, 0.75f);
    const D3DMATERIAL9 l = Scene().m_MaterialRefs[1].Material->GetD3DMaterial();
    EXPECT_FLOAT_EQ(l.Diffuse.r, 0.75f);
    EXPECT_FLOAT_EQ(l.Emissive.g, 0.75f);
    EXPECT_FLOAT_EQ(l.Emissive.a, 1.0f);
    // The last map sets the amount; each map has its own record.
    EXPECT_EQ(Scene().m_TextureRefs.size(), 2u);
    EXPECT_EQ(Scene().m_MaterialRefs[1].TextureRef, 1);

    ZNBRUSH *b = Brush(0);
    EXPECT_EQ(b->GetFace(0)->m_SrcBlend, 4);
    EXPECT_EQ(b->GetFace(0)->m_DestBlend, 5);
    EXPECT_EQ(b->GetFace(0)->m_Style, static_cast<DWORD>(ZNFACESTYLE_LOCKUV | ZNFACESTYLE_TWOSIDED));
    EXPECT_EQ(b->GetFace(0)->GetMaterial(), 0);
    EXPECT_EQ(b->GetFace(1)->m_SrcBlend, -1);
    EXPECT_EQ(b->GetFace(1)->GetMaterial(), 1);
    // An unknown group name leaves the face as made.
    ZNFACE fresh;
    EXPECT_EQ(b->GetFace(2)->GetMaterial(), fresh.GetMaterial());
    EXPECT_EQ(b->GetFace(2)->m_Style, static_cast<DWORD>(ZNFACESTYLE_LOCKUV));
}

TEST_F(Import3dsTest, InteractiveMaterialsReuseAskAndRename)
{
    // "Brick" with other colours, and "Brick #1", are there already.
    auto add = [&](const char *name, float red) {
        int index = GetEditorApp()->Get3D()->AddMaterial();
        CZNMATERIAL *m = GetEditorApp()->Get3D()->GetMaterialRecord(static_cast<DWORD>(index));
        m->SetName(name);
        D3DMATERIAL9 value{};
        value.Diffuse = {red, 1, 1, 1};
        value.Ambient = value.Specular = {1, 1, 1, 1};
        m->SetD3DMaterial(&value);
        return index;
    };
    add("Brick", 0.5f);
    add("Brick #1", 0.5f);
    const int same = add("Same", 0.25f);
    const Bytes file = File(Cat({Material("brick", ColourFloats(0xA020, 0.75f, 1, 1)),
                                 Material("SAME", ColourFloats(0xA020, 0.25f, 1, 1)),
                                 Material("Other", ColourFloats(0xA020, 0.25f, 1, 1))}));
    reporter.QueueAnswer(IDNO);
    ASSERT_EQ(Import(file, false), 0);

    ASSERT_EQ(reporter.Entries().size(), 1u);
    EXPECT_NE(reporter.Entries()[0].text.find("The material named 'brick' could not be matched"), std::string::npos);
    EXPECT_EQ(reporter.Entries()[0].type, static_cast<unsigned>(MB_YESNO | MB_ICONEXCLAMATION));
    ASSERT_EQ(Scene().m_MaterialRefs.size(), 3u);
    EXPECT_STREQ(Scene().m_MaterialRefs[0].Material->GetName(), "brick #2");
    EXPECT_STREQ(Scene().m_MaterialRefs[0].Name, "brick");
    // Equal name and data: reused, nothing asked.
    EXPECT_EQ(Scene().m_MaterialRefs[1].Index, static_cast<DWORD>(same));
    // Equal data under another name: a new material.
    EXPECT_STREQ(Scene().m_MaterialRefs[2].Material->GetName(), "Other");
    EXPECT_EQ(Scene().m_MaterialRefs[2].Index, Materials()->GetElementCount() - 1);

    reporter.Clear();
    reporter.QueueAnswer(IDYES);
    ASSERT_EQ(Import(File(Material("Brick", ColourFloats(0xA020, 0.1f, 1, 1))), false), 0);
    EXPECT_EQ(Scene().m_MaterialRefs[0].Index, static_cast<DWORD>(builtIn));
}

TEST_F(Import3dsTest, NumberedNameIsShortenedToFit)
{
    const std::string longName(254, 'x');
    int index = GetEditorApp()->Get3D()->AddMaterial();
    GetEditorApp()->Get3D()->GetMaterialRecord(static_cast<DWORD>(index))->SetName(longName.c_str());
    reporter.QueueAnswer(IDNO);
    ASSERT_EQ(Import(File(Material(longName, ColourFloats(0xA020, 0.5f, 0.5f, 0.5f))), false), 0);
    const std::string made = Scene().m_MaterialRefs.at(0).Material->GetName();
    EXPECT_EQ(made.size(), 255u);
    EXPECT_EQ(made.substr(made.size() - 3), " #1");
}

// ---------------------------------------------------------------------------------------------
// Keyframer

class Import3dsNodeTest : public Import3dsTest
{
protected:
    // The brush named name.
    ZNBRUSH *Named(const char *name)
    {
        LONG i = Scene().FindBrushByName(name);
        return i < 0 ? nullptr : Brush(static_cast<size_t>(i));
    }
};

TEST_F(Import3dsNodeTest, ChildrenGroupInNameOrderAndDummiesTakeTheirInstanceName)
{
    const Bytes meshes = Cat({Triangle("Root"), Triangle("b"), Triangle("a"), Triangle("c"), Triangle("W1"),
                              Triangle("W2")});
    const Bytes nodes = Cat({Node("Root", 0, 0xFFFF), Node("b", 1, 0), Node("a", 2, 0), Node("c", 3, 0),
                             Node("$$$DUMMY", 4, 0xFFFF, "Wheel"), Node("W1", 5, 4), Node("W2", 6, 4),
                             Node("$$$DUMMY", 7, 0xFFFF), Node("W3", 8, 7), Node("NoMesh", 9, 0xFFFF),
                             Node("Gone", 10, 9)});
    ASSERT_EQ(Import(File(meshes, nodes), true), 0);
    ASSERT_EQ(Scene().m_Groups.size(), 2u);
    // Roots in name order: "$$$DUMMY" (Wheel), "$$$DUMMY" (unnamed, no meshes: no group), NoMesh, Root.
    CZNGROUP *wheel = Scene().m_Groups[0];
    EXPECT_STREQ(wheel->GetName(), "Wheel");
    ASSERT_EQ(wheel->GetChildCount(), 2u);
    EXPECT_EQ(wheel->GetChild(0), Named("W1"));
    CZNGROUP *root = Scene().m_Groups[1];
    EXPECT_STREQ(root->GetName(), "Root.");
    ASSERT_EQ(root->GetChildCount(), 3u);
    EXPECT_EQ(root->GetChild(0), Named("a"));
    EXPECT_EQ(root->GetChild(1), Named("b"));
    EXPECT_EQ(root->GetChild(2), Named("c"));
    EXPECT_EQ(Named("Root")->GetParent(), nullptr);
}

TEST_F(Import3dsNodeTest, NestedGroupsAndAnUnnamedDummy)
{
    const Bytes meshes = Cat({Triangle("Leaf"), Triangle("X")});
    const Bytes nodes = Cat({Node("Top", 0, 0xFFFF, "i"), Node("$$$DUMMY", 1, 0), Node("Leaf", 2, 1),
                             Node("X", 3, 3)}); // X is its own parent: never applied
    ASSERT_EQ(Import(File(meshes, nodes), true), 0);
    ASSERT_EQ(Scene().m_Groups.size(), 1u);
    CZNGROUP *top = Scene().m_Groups[0];
    EXPECT_STREQ(top->GetName(), "Top.i");
    ASSERT_EQ(top->GetChildCount(), 1u);
    auto *inner = static_cast<CZNGROUP *>(top->GetChild(0));
    EXPECT_EQ(inner->GetName(), nullptr);
    EXPECT_EQ(inner->GetChild(0), Named("Leaf"));
    EXPECT_EQ(Named("X")->GetParent(), nullptr);
    // Clear(0x08) deletes the nested group too (LSan would see it otherwise).
    Scene().Clear(0x08);
    EXPECT_EQ(Named("Leaf")->GetParent(), nullptr);
}

TEST_F(Import3dsNodeTest, WithoutNodeIdsParentZeroIsTheFirstNode)
{
    const Bytes nodes = Cat({Node("P", 0, 0xFFFF, "", nullptr, false), Node("K", 0, 0, "", nullptr, false),
                             Node("L", 0, 5, "", nullptr, false)});
    ASSERT_EQ(Import(File(Cat({Triangle("K"), Triangle("L")}), nodes), true), 0);
    ASSERT_EQ(Scene().m_Groups.size(), 1u);
    EXPECT_EQ(Scene().m_Groups[0]->GetChild(0), Named("K"));
    EXPECT_EQ(Named("L")->GetParent(), nullptr);
}

struct PivotCase {
    const char *name;
    D3DXVECTOR3 pivot;
    float scale;
    bool matrix; // the quarter turn about y, moved by 5 along x
    D3DXVECTOR3 offset; // the movement of every vertex under the matrix
};

class Import3dsPivotTest : public Import3dsNodeTest, public ::testing::WithParamInterface<PivotCase>
{
};

TEST_P(Import3dsPivotTest, MovesTheMeshIntoItsFrame)
{
    const PivotCase &c = GetParam();
    Bytes more;
    if (c.matrix) // file rows X, Y, Z, origin that give editor rows (0,0,1), (0,1,0), (-1,0,0), (5,0,0)
        more = Chunk(0x4160, F32({0, 1, 0, -1, 0, 0, 0, 0, 1, 5, 0, 0}));
    // File pivot (x, y, z) is stored as (x, z, y).
    const D3DXVECTOR3 filePivot(c.pivot.x, c.pivot.z, c.pivot.y);
    Bytes editor = Triangle("Box01", more);
    if (c.scale != 1.0f)
        editor = Cat({Chunk(0x0100, F32({c.scale})), editor});
    ASSERT_EQ(Import(File(editor, Node("Box01", 0, 0xFFFF, "", &filePivot)), true), 0);
    ZNFACE *face = Brush(0)->GetFace(0);
    // Points (0,0,0), (1,0,0), (0,1,0) in file axes; vertex 0 is point 2 = (0, 0, 1) here.
    const D3DXVECTOR3 original[3] = {{0, 0, 1}, {1, 0, 0}, {0, 0, 0}};
    // A zero pivot leaves the mesh as read, whatever the master scale.
    const float scale = c.pivot.x != 0.0f || c.pivot.y != 0.0f || c.pivot.z != 0.0f ? c.scale : 1.0f;
    for (int v = 0; v < 3; ++v) {
        D3DXVECTOR3 expected;
        if (!c.matrix)
            expected = (original[v] - c.pivot) * scale;
        else
            expected = original[v] + c.offset;
        ExpectNear(Pos(face, v), expected);
    }
    // Bounds follow the moved vertices.
    ZNBBOX box = Brush(0)->GetBoundingBox(0);
    ExpectNear(box.Min, c.matrix ? D3DXVECTOR3(0, 0, 0) + c.offset : (D3DXVECTOR3(0, 0, 0) - c.pivot) * scale);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Import3dsPivotTest,
    ::testing::Values(PivotCase{"Identity", {1, 0, 0}, 1.0f, false, {}},
                      PivotCase{"ScaleTwo", {1, 0, 0}, 2.0f, false, {}},
                      PivotCase{"NegativeZeroMovesNothing", {-0.0f, -0.0f, -0.0f}, 2.0f, false, {}},
                      PivotCase{"QuarterTurn", {1, 0, 0}, 1.0f, true, {0, 0, -1}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Import3dsNodeTest, ASingularMatrixCountsAsNoPivot)
{
    const D3DXVECTOR3 pivot(1, 0, 0);
    const Bytes flat = Chunk(0x4160, F32({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_EQ(Import(File(Triangle("T", flat), Node("T", 0, 0xFFFF, "", &pivot)), true), 0);
    ExpectNear(Pos(Brush(0)->GetFace(0), 1), {1, 0, 0});
}
