// The IWF scene reader: round trips of real scenes, thumbnails, texture and material matching
// with scripted answers, and chunk features this system's writer never produces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "iwf_scene_fixture.h"
#include "scene/face.h"
#include "scene/face_index_list.h"

namespace
{

using ReaderTest = IwfSceneTest;

ZNBRUSH *Named(ZNBRUSH *b, const char *name)
{
    b->m_Name = new char[std::strlen(name) + 1];
    std::strcpy(b->m_Name, name);
    return b;
}

// A whole scene of every kind of thing this writer stores.
class RoundTripTest : public IwfSceneTest
{
protected:
    void Build()
    {
        CZNTexture *stone = AddTexture("stone.bmp", 1);
        CZNTexture *grass = AddTexture("grass.bmp", 2);
        AddTexture("unused.bmp", 3);
        LONG plain = AddMaterial("Plain", 1.0f);
        LONG brick = AddMaterial("Brick", 0.5f, 4.0f);
        GetEditorApp()->Get3D()->GetMaterialRecord(brick)->SetTexture(grass);
        (void)plain;

        ZNBRUSH *cube = Named(Cube(), "Box");
        ZNBRUSH *wedge = Own(new ZNBRUSH);
        ZnBuildWedge(*wedge, {2, 0, 0}, {4, 2, 2});
        wedge->m_Flags = ZNBRUSH_DETAIL;
        ZNBRUSH *cylinder = Own(new ZNBRUSH);
        ZnBuildCylinder(*cylinder, {0, 0, 5}, 1.5f, 3.0f, 12);
        cylinder->m_Flags = ZNBRUSH_HIDDEN;
        // A prism with an L-shaped (concave) cap, which carries a triangle list.
        ZNBRUSH *prism = Named(Own(new ZNBRUSH), "Ell");
        ZnPolygon ell = {{0, 0, 8}, {2, 0, 8}, {2, 0, 9}, {1, 0, 9}, {1, 0, 10}, {0, 0, 10}};
        const D3DXVECTOR3 inside(0.5f, 0.5f, 8.5f);
        ZnPolygon top;
        for (auto p : ell)
            top.push_back(p + D3DXVECTOR3(0, 1, 0));
        ZnAddPolygon(*prism, ell, inside);
        ZnAddPolygon(*prism, top, inside);
        for (size_t i = 0; i < ell.size(); ++i) {
            size_t j = (i + 1) % ell.size();
            ZnAddPolygon(*prism, {ell[i], ell[j], top[j], top[i]}, inside);
        }
        ZnFinishBrush(*prism);
        prism->BuildTriIndices();
        ASSERT_TRUE(prism->GetFace(0)->m_TriIndices);

        cube->GetFace(0)->SetTexture(stone);
        cube->GetFace(1)->SetMaterial(brick);
        cube->GetFace(1)->m_SrcBlend = 2;
        cube->GetFace(1)->m_DestBlend = 6;
        cube->GetFace(2)->m_Style = ZNFACESTYLE_TWOSIDED | ZNFACESTYLE_SKYBOX;
        cube->GetFace(2)->m_UPos = 0.25f;
        cube->GetFace(2)->m_VWrap = 3.0f;
        cube->GetFace(2)->m_Rotation = D3DXVECTOR4(1, 2, 3, 4);
        cube->GetFace(2)->m_MappingMode = 4;
        cube->GetFace(2)->m_MappingOrigin = D3DXVECTOR3(7, 8, 9);
        wedge->GetFace(2)->SetTexture(grass);
        cube->GetFace(3)->m_Vertices[1].tu = 0.5f;
        cube->GetFace(3)->m_Vertices[1].tv = -2.0f;

        CZNGROUP *outer = Group("Outer");
        CZNGROUP *inner = Group("Inner");
        outer->AddChild(inner);
        inner->AddChild(wedge);
        outer->AddChild(cylinder);
        selection = {cube, wedge, cylinder, prism};
    }

    std::vector<ZNBRUSH *> selection;
};

TEST_F(RoundTripTest, SecondSaveOfTheLoadedSceneIsByteIdentical)
{
    Build();
    const DWORD materialsBefore = Materials()->GetElementCount();
    IwfBytes first = SaveObjects(selection, IWFSAVE_ALL);

    CZNIWFScene loaded;
    ASSERT_EQ(Load(loaded, first, false), 0);
    EXPECT_TRUE(reporter.Entries().empty());
    EXPECT_TRUE(reporter.MissingResources().empty());
    // Both materials matched the list by name and value: nothing added.
    EXPECT_EQ(Materials()->GetElementCount(), materialsBefore);
    ASSERT_EQ(loaded.m_Groups.size(), 1u);
    ASSERT_EQ(loaded.m_Brushes.size(), 4u);
    EXPECT_TRUE(loaded.m_EditorOptionsPresent);

    CZNGROUP *outer = loaded.m_Groups[0];
    EXPECT_STREQ(outer->GetName(), "Outer");
    ASSERT_EQ(outer->GetChildCount(), 2u);
    auto *inner = static_cast<CZNGROUP *>(outer->GetChild(0));
    EXPECT_STREQ(inner->GetName(), "Inner");
    auto *wedge = static_cast<ZNBRUSH *>(inner->GetChild(0));
    EXPECT_EQ(wedge->m_Flags, DWORD{ZNBRUSH_DETAIL});
    EXPECT_EQ(wedge->GetParent(), inner);
    EXPECT_EQ(static_cast<ZNBRUSH *>(outer->GetChild(1))->m_Flags, DWORD{ZNBRUSH_HIDDEN});

    // Brushes are listed in file order: groups first, then loose brushes.
    ZNBRUSH *cube = loaded.m_Brushes[2];
    EXPECT_STREQ(cube->m_Name, "Box");
    EXPECT_EQ(cube->GetFace(0)->GetTexture(), textures[0]);
    EXPECT_EQ(cube->GetFace(1)->GetMaterial(), 1);
    EXPECT_EQ(cube->GetFace(1)->m_SrcBlend, 2);
    EXPECT_EQ(cube->GetFace(1)->m_DestBlend, 6);
    const ZNFACE *styled = cube->GetFace(2);
    EXPECT_EQ(styled->m_Style, DWORD{ZNFACESTYLE_TWOSIDED | ZNFACESTYLE_SKYBOX});
    EXPECT_EQ(styled->m_UPos, 0.25f);
    EXPECT_EQ(styled->m_VWrap, 3.0f);
    EXPECT_EQ(styled->m_Rotation.w, 4.0f);
    EXPECT_EQ(styled->m_MappingMode, 4);
    EXPECT_EQ(styled->m_MappingOrigin.z, 9.0f);
    EXPECT_EQ(cube->GetFace(3)->m_Vertices[1].tv, -2.0f);
    ZNBRUSH *prism = loaded.m_Brushes[3];
    ASSERT_TRUE(prism->GetFace(0)->m_TriIndices);
    EXPECT_EQ(std::memcmp(prism->GetFace(0)->m_TriIndices, selection[3]->GetFace(0)->m_TriIndices, 12 * 2), 0);
    EXPECT_EQ(loaded.m_TextureRefs.size(), 2u);
    // Faces of groups are visited first: grass (the wedge's), then stone.
    EXPECT_EQ(loaded.m_TextureRefs[0].Texture, textures[1]);
    ASSERT_EQ(loaded.m_MaterialRefs.size(), 2u);
    EXPECT_EQ(loaded.m_MaterialRefs[0].Owned, 0);

    // Saving what was loaded gives the same bytes.
    std::vector<ZNBRUSH *> again(loaded.m_Brushes.begin(), loaded.m_Brushes.end());
    EXPECT_EQ(SaveObjects(again, IWFSAVE_ALL), first);
    loaded.Clear(IWFSAVE_ALL);
}

// A scene large enough that its mesh chunks are made on helper threads and its brushes finished
// on worker threads while the load reads on. The chunks are framed as if written one by one (the
// same bytes as the members of a group, which are), every brush comes back as the editor had
// finished it, a damaged copy throws with no brush left half-handled, and saving again gives the
// same bytes.
TEST_F(ReaderTest, LargeSceneIsWrittenAndFinishedAsBrushByBrush)
{
    std::vector<ZNBRUSH *> list;
    for (int i = 0; i < 600; ++i) {
        ZNBRUSH *b = Own(new ZNBRUSH);
        const D3DXVECTOR3 lo(static_cast<float>(i % 20) * 3, 0, static_cast<float>(i / 20) * 3);
        if (i % 3 == 0)
            ZnBuildBox(*b, lo, lo + D3DXVECTOR3(2, 1, 2));
        else if (i % 3 == 1)
            ZnBuildWedge(*b, lo, lo + D3DXVECTOR3(2, 2, 1));
        else
            ZnBuildCylinder(*b, lo, 1.0f, 2.0f, 5 + i % 7);
        list.push_back(b);
    }
    const IwfBytes image = SaveObjects(list, IWFSAVE_ALL);
    const std::vector<IwfNode> top = IwfParse(image);
    EXPECT_EQ(IwfBuild(top), image); // lengths and end codes as a chunk-by-chunk writer sets them
    std::vector<IwfNode> meshes;
    for (const IwfNode &node : top)
        if (node.id == 0x20)
            meshes.push_back(node);
    ASSERT_EQ(meshes.size(), list.size());
    {
        CZNGROUP *all = Group();
        for (ZNBRUSH *b : list)
            all->AddChild(b);
        const std::vector<IwfNode> grouped = IwfParse(SaveObjects(list, IWFSAVE_ALL));
        const auto group = std::find_if(grouped.begin(), grouped.end(), [](const IwfNode &n) { return n.id == 0x10; });
        ASSERT_NE(group, grouped.end());
        IwfBytes loose, members;
        IwfAppendLevel(loose, meshes);
        IwfAppendLevel(members, group->children);
        EXPECT_EQ(loose, members);
        all->Clear();
    }

    CZNIWFScene loaded;
    ASSERT_EQ(Load(loaded, image, true), 0);
    ASSERT_EQ(loaded.m_Brushes.size(), list.size());
    for (size_t i = 0; i < list.size(); ++i) {
        const ZNBRUSH *want = list[i];
        const ZNBRUSH *got = loaded.m_Brushes[i];
        ASSERT_EQ(got->GetFaceCount(), want->GetFaceCount()) << i;
        EXPECT_EQ(std::memcmp(&got->m_Bounds, &want->m_Bounds, sizeof(ZNBBOX)), 0) << i;
        const ZNFACELISTCONTAINER &lists = got->m_SharedFaceInfo;
        ASSERT_EQ(lists.GetFaceIndexListCount(), want->m_SharedFaceInfo.GetFaceIndexListCount()) << i;
        for (DWORD l = 0; l < lists.GetFaceIndexListCount(); ++l) {
            const ZNFACEINDEXLIST *a = lists.GetFaceIndexList(l);
            const ZNFACEINDEXLIST *b = want->m_SharedFaceInfo.GetFaceIndexList(l);
            ASSERT_EQ(a->GetIndexCount(), b->GetIndexCount()) << i;
            for (DWORD k = 0; k < a->GetIndexCount(); ++k)
                EXPECT_EQ(a->GetIndex(k), b->GetIndex(k)) << i;
        }
        for (DWORD f = 0; f < got->GetFaceCount(); ++f) {
            const ZNFACE *a = got->m_Faces[f];
            const ZNFACE *b = want->m_Faces[f];
            EXPECT_EQ(a->m_CenterPoint, b->m_CenterPoint) << i;
            ASSERT_EQ(a->GetVertexCount(), b->GetVertexCount()) << i;
            for (int v = 0; v < a->GetVertexCount(); ++v) {
                EXPECT_EQ(a->m_VertexFaceListIndices[v], b->m_VertexFaceListIndices[v]) << i;
                EXPECT_EQ(a->m_Vertices[v].nx, b->m_Vertices[v].nx) << i;
                EXPECT_EQ(a->m_Vertices[v].ny, b->m_Vertices[v].ny) << i;
                EXPECT_EQ(a->m_Vertices[v].nz, b->m_Vertices[v].nz) << i;
            }
        }
    }
    std::vector<ZNBRUSH *> again(loaded.m_Brushes.begin(), loaded.m_Brushes.end());
    EXPECT_EQ(SaveObjects(again, IWFSAVE_ALL), image);
    loaded.Clear(IWFSAVE_ALL);

    for (size_t cut : {image.size() / 3, image.size() * 2 / 3, image.size() - 5}) {
        CZNIWFScene damaged;
        EXPECT_NE(Load(damaged, IwfBytes(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(cut)), true), 0);
        EXPECT_GT(damaged.m_Brushes.size(), 64u);
        damaged.Clear(IWFSAVE_ALL);
    }
}

TEST_F(RoundTripTest, SilentLoadMakesOwnedMaterialsOutsideTheListAndClearFreesThem)
{
    Build();
    IwfBytes bytes = SaveObjects(selection, IWFSAVE_ALL);
    const DWORD before = Materials()->GetElementCount();
    CZNIWFScene loaded;
    ASSERT_EQ(Load(loaded, bytes, true), 0);
    EXPECT_TRUE(reporter.Entries().empty());
    EXPECT_EQ(Materials()->GetElementCount(), before);
    ASSERT_EQ(loaded.m_MaterialRefs.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(loaded.m_MaterialRefs[i].Owned, 1);
        EXPECT_EQ(loaded.m_MaterialRefs[i].Index, i);
    }
    // The 0x2002 record gave the created material its texture.
    EXPECT_EQ(loaded.m_MaterialRefs[1].Material->GetTexture(), textures[1]);
    loaded.Clear(IWFSAVE_ALL); // LeakSanitizer checks the owned materials are freed
}

TEST_F(ReaderTest, GroupWithoutNameOrMembersAndBrushWithoutFaces)
{
    CZNGROUP *empty = Group();
    ZNBRUSH *bare = Own(new ZNBRUSH);
    ZNBRUSH *member = Cube();
    // The empty group is collected as the root of a member's group it does not contain.
    CZNGROUP *holder = Group();
    holder->AddChild(empty);
    holder->AddChild(member);
    IwfBytes bytes = SaveObjects({member, bare}, IWFSAVE_BRUSHES | IWFSAVE_GROUPS);
    auto top = IwfParse(bytes);
    ASSERT_EQ(IwfIds(top), (std::vector<uint16_t>{0x2000, 0x10, 0x20}));
    EXPECT_TRUE(top[2].children.empty()); // no surface for a brush without faces

    CZNIWFScene loaded;
    ASSERT_EQ(Load(loaded, bytes, true), 0);
    ASSERT_EQ(loaded.m_Brushes.size(), 2u);
    EXPECT_EQ(loaded.m_Brushes[1]->GetFaceCount(), 0u);
    auto *nested = static_cast<CZNGROUP *>(loaded.m_Groups[0]->GetChild(0));
    EXPECT_EQ(nested->GetName(), nullptr);
    EXPECT_EQ(nested->GetChildCount(), 0u);
    loaded.Clear(IWFSAVE_ALL);
}

struct ThumbnailCase {
    const char *name;
    BYTE bits;
    bool alpha;
    WORD stored;
};

class ThumbnailTest : public IwfSceneTest, public ::testing::WithParamInterface<ThumbnailCase>
{
};

TEST_P(ThumbnailTest, LoadThumbnailGivesThePicturesPixelsAndKeepsThePosition)
{
    CZNImage picture;
    ASSERT_TRUE(picture.AllocImageMem(7, 5, GetParam().bits, GetParam().alpha));
    for (DWORD i = 0; i < 35; ++i) {
        picture.GetRedPlane()[i] = static_cast<BYTE>(i * 7);
        if (GetParam().bits != 8) {
            picture.GetGreenPlane()[i] = static_cast<BYTE>(255 - i);
            picture.GetBluePlane()[i] = static_cast<BYTE>(i * 3);
        }
    }
    if (GetParam().bits == 8)
        for (int i = 0; i < 256; ++i)
            picture.GetPalette()[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i / 2), 0};
    IwfBytes bytes = SaveObjects({Cube()}, IWFSAVE_ALL, &picture);
    EXPECT_EQ(IwfGet16(IwfParse(bytes)[0].data, 4), GetParam().stored);

    // Also at a stream offset, and once wrapped in a 0x02 container.
    auto top = IwfParse(bytes);
    IwfBytes wrapped = IwfBuild({IwfChunk(0x02, {}, {top[0]}), IwfSignature()});
    for (const IwfBytes &image : {bytes, wrapped}) {
        IwfBytes shifted(3, 0xEE);
        shifted.insert(shifted.end(), image.begin(), image.end());
        CZNMemoryStreamIO stream;
        IwfOpenRead(stream, shifted);
        stream.SeekTo(3);
        CZNImage read;
        CZNIWFScene scene;
        ASSERT_TRUE(scene.LoadThumbnail(stream, &read));
        EXPECT_EQ(stream.Tell(), 3);
        ASSERT_EQ(read.GetWidth(), 7u);
        ASSERT_EQ(read.GetHeight(), 5u);
        EXPECT_EQ(read.GetBitsPerPixel(), GetParam().bits == 8 ? 8 : 24);
        EXPECT_EQ(std::memcmp(read.GetRedPlane(), picture.GetRedPlane(), 35), 0);
        if (GetParam().bits == 8) {
            EXPECT_EQ(std::memcmp(read.GetPalette(), picture.GetPalette(), 256 * 4), 0);
        } else {
            EXPECT_EQ(std::memcmp(read.GetGreenPlane(), picture.GetGreenPlane(), 35), 0);
            EXPECT_EQ(std::memcmp(read.GetBluePlane(), picture.GetBluePlane(), 35), 0);
        }
        // A full load on the same stream follows and ignores the thumbnail.
        CZNIWFScene full;
        full.Load(stream, true);
        EXPECT_EQ(full.m_Brushes.size(), image == bytes ? 1u : 0u);
        full.Clear(IWFSAVE_ALL);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, ThumbnailTest,
                         ::testing::Values(ThumbnailCase{"Palette", 8, false, 8}, ThumbnailCase{"Rgb", 24, false, 24},
                                           ThumbnailCase{"Rgba", 24, true, 32}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ReaderTest, LoadThumbnailIsFalseWithoutOneAndForOtherFiles)
{
    CZNImage read;
    for (const IwfBytes &bytes : {SaveObjects({}, IWFSAVE_ALL), IwfBytes{'n', 'o', 't', ' ', 'I', 'W', 'F'}}) {
        CZNMemoryStreamIO stream;
        IwfOpenRead(stream, bytes);
        CZNIWFScene scene;
        EXPECT_FALSE(scene.LoadThumbnail(stream, &read));
        EXPECT_EQ(stream.Tell(), 0);
        EXPECT_EQ(read.GetWidth(), 0u);
    }
}

// Texture matching: what the loaded texture manager holds, whether the file has CRCs, the
// answer to the question, and what comes out.
struct MatchCase {
    const char *name;
    const char *fileName;  // the name the file stores
    bool withCrc;          // the file has 0x2005
    bool sameTexture;      // the file's CRC is that of the texture named fileName
    bool silent;
    int answer;            // to a question
    int expected;          // texture index in the manager set-up, -1 unresolved
    size_t messages;
    const char *messageStart;
    bool missing;          // a Missing Resources report
};

class TextureMatchTest : public IwfSceneTest, public ::testing::WithParamInterface<MatchCase>
{
};

TEST_P(TextureMatchTest, MatchesByDataAndName)
{
    const MatchCase &c = GetParam();
    CZNTexture *stone = AddTexture("stone.bmp", 1);
    CZNTexture *other = AddTexture("other.bmp", 2);
    CZNTexture *pick[] = {stone, other};
    // The file names one texture; its CRC is stone's or other's.
    IwfBody table;
    table.U32(1).U8(1).U16(static_cast<uint16_t>(std::strlen(c.fileName))).Str(c.fileName).U8(0).U32(0);
    std::vector<IwfNode> children;
    if (c.withCrc)
        children.push_back(
            IwfChunk(0x2005, IwfBody().U32(c.sameTexture ? stone->GetCRC() : other->GetCRC()).bytes, {}, "TOVRA"));
    IwfBytes bytes = IwfBuild({IwfSignature(), IwfChunk(0xA0, table.bytes, children)});
    reporter.QueueAnswer(c.answer);

    CZNIWFScene scene;
    ASSERT_EQ(Load(scene, bytes, c.silent), 0);
    ASSERT_EQ(scene.m_TextureRefs.size(), 1u);
    EXPECT_EQ(scene.m_TextureRefs[0].Texture, c.expected < 0 ? nullptr : pick[c.expected]);
    ASSERT_EQ(reporter.Entries().size(), c.messages);
    if (c.messages) {
        EXPECT_EQ(reporter.Entries()[0].text.rfind(c.messageStart, 0), 0u) << reporter.Entries()[0].text;
        EXPECT_EQ(reporter.Entries()[0].caption, "TOVRA");
    }
    EXPECT_EQ(!reporter.MissingResources().empty(), c.missing);
    if (c.missing) {
        EXPECT_EQ(reporter.MissingResources()[0], std::vector<std::string>{c.fileName});
    }
}

const char *const kByData = "Warning : A match for the texture 'grass.bmp' could not be found when searching by name, "
                            "however the image 'other.bmp' was matched by image data and has been used in it's place.";
const char *const kByName = "Warning : The texture named 'stone.bmp' could not be matched based on the image data";

INSTANTIATE_TEST_SUITE_P(
    Cases, TextureMatchTest,
    ::testing::Values(MatchCase{"CrcAndName", "stone.bmp", true, true, false, IDYES, 0, 0, "", false},
                      MatchCase{"CrcAndNameUpperCase", "STONE.BMP", true, true, false, IDYES, 0, 0, "", false},
                      MatchCase{"CrcOnly", "grass.bmp", true, false, false, IDYES, 1, 1, kByData, false},
                      MatchCase{"CrcOnlySilent", "grass.bmp", true, false, true, IDYES, 1, 0, "", false},
                      MatchCase{"CrcDiffersFromName", "stone.bmp", true, false, false, IDOK, 1, 1,
                                "Warning : A match for the texture 'stone.bmp'", false},
                      MatchCase{"NameOnlyYes", "stone.bmp", false, true, false, IDYES, 0, 1, kByName, false},
                      MatchCase{"NameOnlyNo", "stone.bmp", false, true, false, IDNO, -1, 1, kByName, true},
                      MatchCase{"NameOnlySilent", "stone.bmp", false, true, true, IDYES, -1, 0, "", false},
                      MatchCase{"Nothing", "grass.bmp", false, true, false, IDYES, -1, 0, "", true},
                      MatchCase{"NothingSilent", "grass.bmp", false, true, true, IDYES, -1, 0, "", false}),
    [](const auto &info) { return std::string(info.param.name); });

IwfBytes MaterialFile(const std::string &name, const D3DMATERIAL9 &m)
{
    IwfBody b;
    b.U32(1).U8(static_cast<uint8_t>(name.size())).Str(name);
    for (const D3DCOLORVALUE *c : {&m.Diffuse, &m.Ambient, &m.Emissive, &m.Specular})
        b.F32(c->r).F32(c->g).F32(c->b).F32(c->a);
    b.F32(m.Power);
    return IwfBuild({IwfSignature(), IwfChunk(0x90, b.bytes)});
}

TEST_F(ReaderTest, MaterialMatchingByNameAndValue)
{
    LONG stone = AddMaterial("Stone", 0.5f, 3.0f);
    AddMaterial("Stone #1", 0.5f, 3.0f);
    const D3DMATERIAL9 same = GetEditorApp()->Get3D()->GetMaterialRecord(stone)->GetD3DMaterial();
    D3DMATERIAL9 nearly = same;
    nearly.Power = std::nextafter(same.Power, 10.0f);

    // Same name (other case) and equal values: taken without a question.
    {
        CZNIWFScene scene;
        ASSERT_EQ(Load(scene, MaterialFile("STONE", same), false), 0);
        EXPECT_TRUE(reporter.Entries().empty());
        EXPECT_EQ(scene.m_MaterialRefs[0].Material, GetEditorApp()->Get3D()->GetMaterialRecord(stone));
        EXPECT_EQ(scene.m_MaterialRefs[0].Index, static_cast<DWORD>(stone));
    }
    // Power one bit off: the question; Yes takes the name match.
    {
        reporter.QueueAnswer(IDYES);
        CZNIWFScene scene;
        ASSERT_EQ(Load(scene, MaterialFile("Stone", nearly), false), 0);
        ASSERT_EQ(reporter.Entries().size(), 1u);
        EXPECT_EQ(reporter.Entries()[0].type, MB_YESNO | MB_ICONEXCLAMATION);
        EXPECT_EQ(reporter.Entries()[0].text.rfind("Warning : The material named 'Stone' could not be matched", 0),
                  0u);
        EXPECT_EQ(scene.m_MaterialRefs[0].Index, static_cast<DWORD>(stone));
        EXPECT_EQ(Materials()->GetElementCount(), 2u);
    }
    // No adds the file's material as "Stone #2", in the list and not owned.
    {
        reporter.Clear();
        reporter.QueueAnswer(IDNO);
        CZNIWFScene scene;
        ASSERT_EQ(Load(scene, MaterialFile("Stone", nearly), false), 0);
        ASSERT_EQ(Materials()->GetElementCount(), 3u);
        CZNMATERIAL *added = GetEditorApp()->Get3D()->GetMaterialRecord(2);
        EXPECT_STREQ(added->GetName(), "Stone #2");
        EXPECT_EQ(added->GetD3DMaterial().Power, nearly.Power);
        EXPECT_EQ(scene.m_MaterialRefs[0].Material, added);
        EXPECT_EQ(scene.m_MaterialRefs[0].Index, 2u);
        EXPECT_EQ(scene.m_MaterialRefs[0].Owned, 0);
        scene.Clear(IWFSAVE_ALL); // must not delete what the list holds
        EXPECT_STREQ(GetEditorApp()->Get3D()->GetMaterialRecord(2)->GetName(), "Stone #2");
    }
    // An unknown name is added under its own name; a silent load of a known one is not taken.
    {
        reporter.Clear();
        CZNIWFScene scene;
        ASSERT_EQ(Load(scene, MaterialFile("Marble", same), false), 0);
        EXPECT_TRUE(reporter.Entries().empty());
        EXPECT_STREQ(GetEditorApp()->Get3D()->GetMaterialRecord(3)->GetName(), "Marble");
        CZNIWFScene silent;
        ASSERT_EQ(Load(silent, MaterialFile("Stone", same), true), 0);
        EXPECT_EQ(silent.m_MaterialRefs[0].Owned, 1);
        EXPECT_NE(silent.m_MaterialRefs[0].Material, GetEditorApp()->Get3D()->GetMaterialRecord(stone));
        EXPECT_EQ(Materials()->GetElementCount(), 4u);
        silent.Clear(IWFSAVE_ALL);
    }
}

TEST_F(ReaderTest, NumberedNameFitsTheNameField)
{
    std::string longName(255, 'x');
    AddMaterial(longName, 0.5f);
    D3DMATERIAL9 other{};
    other.Power = 99.0f;
    reporter.QueueAnswer(IDNO);
    CZNIWFScene scene;
    ASSERT_EQ(Load(scene, MaterialFile(longName, other), false), 0);
    EXPECT_EQ(std::string(GetEditorApp()->Get3D()->GetMaterialRecord(1)->GetName()), std::string(252, 'x') + " #1");
}

TEST_F(ReaderTest, ExtraMaterialInfoTextureIndexBeyondTheTableGivesNone)
{
    CZNTexture *stone = AddTexture("stone.bmp", 1);
    IwfBody textures;
    textures.U32(3);
    for (int i = 0; i < 3; ++i)
        textures.U8(1).U16(9).Str("stone.bmp").U8(0).U32(0);
    IwfBody materials;
    materials.U32(2);
    for (int i = 0; i < 2; ++i)
        materials.U8(1).Str(i ? "B" : "A").Zeros(68);
    IwfBody extra;
    for (uint32_t index : {7u, 2u})
        extra.Zeros(104).U32(5).U32(index);
    IwfBytes bytes = IwfBuild({IwfSignature(), IwfChunk(0xA0, textures.bytes),
                               IwfChunk(0x90, materials.bytes, {IwfChunk(0x2002, extra.bytes, {}, "TOVRA")})});
    reporter.QueueAnswer(IDYES);
    reporter.QueueAnswer(IDYES);
    reporter.QueueAnswer(IDYES);
    CZNIWFScene scene;
    ASSERT_EQ(Load(scene, bytes, true), 0);
    EXPECT_EQ(scene.m_MaterialRefs[0].Material->GetTexture(), nullptr);
    EXPECT_EQ(scene.m_MaterialRefs[0].Material->GetID(), 5u);
    // Silent: matched by name only, so unresolved; the record's texture is null too.
    EXPECT_EQ(scene.m_MaterialRefs[1].Material->GetTexture(), nullptr);
    (void)stone;
    scene.Clear(IWFSAVE_ALL);
}

// ---------------------------------------------------------------------------------------------
// Chunk features of other writers, built by hand.

IwfBody MeshBody(uint32_t mask)
{
    IwfBody b;
    b.U8(0).U32(0).U32(0).U32(mask);
    return b;
}

IwfBody &Matrix(IwfBody &b, const D3DXMATRIX &m)
{
    for (auto &row : m.m)
        for (float v : row)
            b.F32(v);
    return b;
}

// One triangle face: a surface with one record of the given mask fields and one vertex block.
IwfNode Triangle(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, const D3DXVECTOR3 &c)
{
    IwfBody surface;
    surface.U32(1).U32(0x01).F32(0).F32(0).F32(1);
    IwfBody vertices;
    vertices.U8(1).U32(3).U32(1).U8(16).U16(3).U32(0x01);
    for (const D3DXVECTOR3 &p : {a, b, c})
        vertices.F32(p.x).F32(p.y).F32(p.z);
    return IwfChunk(0x30, surface.bytes, {IwfChunk(0x50, vertices.bytes)});
}

D3DXVECTOR3 Corner(ZNBRUSH *brush, short i)
{
    return brush->GetFace(0)->GetVector(i);
}

TEST_F(ReaderTest, MeshMatricesCombineOwnThenInherited)
{
    D3DXMATRIX scale, move;
    D3DXMatrixScaling(&scale, 2, 2, 2);
    D3DXMatrixTranslation(&move, 10, 0, 0);
    // outer (translation) { inner (scale) { triangle }, plain { triangle } }, with custom data.
    IwfBody outer = MeshBody(0x01 | 0x08);
    Matrix(outer, move).U16(3).Str("xyz");
    IwfBody inner = MeshBody(0x01);
    Matrix(inner, scale);
    IwfNode tri = Triangle({1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    IwfBytes bytes = IwfBuild({IwfSignature(),
                               IwfChunk(0x20, outer.bytes,
                                        {tri, IwfChunk(0x20, inner.bytes, {tri}), IwfChunk(0x20, MeshBody(0).bytes, {tri})})});
    CZNIWFScene scene;
    ASSERT_EQ(Load(scene, bytes, true), 0);
    ASSERT_EQ(scene.m_Brushes.size(), 3u);
    EXPECT_EQ(Corner(scene.m_Brushes[0], 0), D3DXVECTOR3(11, 0, 0));
    EXPECT_EQ(Corner(scene.m_Brushes[1], 0), D3DXVECTOR3(12, 0, 0)); // scaled, then moved
    EXPECT_EQ(Corner(scene.m_Brushes[2], 1), D3DXVECTOR3(10, 1, 0));
    for (ZNBRUSH *b : scene.m_Brushes)
        EXPECT_EQ(b->GetParent(), nullptr);
    // Vertex normals were recomputed: the chunk held none.
    EXPECT_NE(scene.m_Brushes[0]->GetFace(0)->m_Vertices[0].nz, 0.0f);
    scene.Clear(IWFSAVE_ALL);
}

TEST_F(ReaderTest, MultiChannelFacesSkippedFieldsAndTextureSets)
{
    AddMaterial("M0", 0.1f);
    // Face 0: custom block, two channels (texture, material, values, blends), custom data.
    // Face 1: channel count 0 with every array bit set: nothing follows.
    IwfBody surface;
    surface.U32(2);
    surface.U32(0x1FF).F32(0).F32(1).F32(0).U8(9).U32(0x10).U8(7).U16(2).Str("ab");
    surface.U8(2).U16(0).U16(1).U16(5).U16(0).U16(0xAAAA).U16(0xBBBB).U8(3).U8(11).U8(1).U8(1).U16(1).Str("c");
    surface.U32(0xF0).U8(0);
    // Face 0: vertices with skipped values and texture sets {3, 2} (set 0 not a pair);
    // face 1: one set of 2 through the table.
    IwfBody vertices;
    vertices.U8(1).U32(2).U32(2);
    vertices.U8(16).U16(1).U32(0x01 | 0x08 | 0x10 | 0x20 | 0x40 | 0x80).U8(2).U8(3).U8(2);
    vertices.F32(1).F32(2).F32(3).U32(0).U32(0).U32(0).F32(9).F32(9).F32(9).F32(8).F32(8);
    vertices.U8(16).U16(1).U32(0x01 | 0x40 | 0x80).U8(1).U8(2).F32(4).F32(5).F32(6).F32(0.5f).F32(0.25f);
    IwfBody textures;
    textures.U32(1).U8(1).U16(1).Str("t").U8(0).U32(3).Str("emb");
    IwfBytes bytes = IwfBuild({IwfSignature(), IwfChunk(0xA0, textures.bytes),
                               IwfChunk(0x20, MeshBody(0).bytes,
                                        {IwfChunk(0x30, surface.bytes, {IwfChunk(0x50, vertices.bytes)})})});
    CZNIWFScene scene;
    ASSERT_EQ(Load(scene, bytes, true), 0);
    ZNBRUSH *b = scene.m_Brushes.at(0);
    ASSERT_EQ(b->GetFaceCount(), 2u);
    ZNFACE *f0 = b->GetFace(0);
    EXPECT_EQ(f0->m_Style, DWORD{ZNFACESTYLE_LOCKUV});
    EXPECT_EQ(f0->GetMaterial(), 5); // beyond the (empty) table: the number itself
    EXPECT_EQ(f0->m_SrcBlend, 2);
    EXPECT_EQ(f0->m_DestBlend, -1); // 11 is no factor
    EXPECT_EQ(f0->GetVector(0), D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(f0->m_Vertices[0].tu, 0.0f);
    ZNFACE *f1 = b->GetFace(1);
    EXPECT_EQ(f1->GetTexture(), nullptr);
    EXPECT_EQ(f1->GetMaterial(), 0);
    EXPECT_EQ(f1->m_SrcBlend, -1);
    EXPECT_EQ(f1->m_Vertices[0].tu, 0.5f);
    EXPECT_EQ(f1->m_Vertices[0].tv, 0.25f);
    scene.Clear(IWFSAVE_ALL);
}

TEST_F(ReaderTest, IndexListsOf32BitSkippedAndOtherVertexFormats)
{
    // A quad with a 32-bit list, a quad whose list is skipped as 4-byte elements, and a third
    // face whose vertices come in a format the reader does not know.
    IwfBody surface;
    surface.U32(3);
    for (int i = 0; i < 3; ++i)
        surface.U32(0);
    IwfBody vertices;
    vertices.U8(1).U32(8).U32(2);
    for (int f = 0; f < 2; ++f) {
        vertices.U8(16).U16(4).U32(0x01);
        for (const D3DXVECTOR3 &p : {D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(1, 1, 0), D3DXVECTOR3(0, 1, 0)})
            vertices.F32(p.x).F32(p.y).F32(p.z);
    }
    IwfBody indices;
    indices.U32(12).U32(3);
    indices.U16(6).U8(0x08).U8(1);
    for (uint32_t i : {0u, 2u, 1u, 0u, 3u, 2u})
        indices.U32(i | 0x10000); // the high half is dropped
    indices.U16(6).U8(0x02).U8(2).Zeros(24);
    indices.U16(0).U8(0).U8(0);
    IwfBody otherFormat;
    otherFormat.U8(2).Zeros(20);
    IwfBytes bytes = IwfBuild(
        {IwfSignature(),
         IwfChunk(0x20, MeshBody(0).bytes,
                  {IwfChunk(0x30, surface.bytes,
                            {IwfChunk(0x50, vertices.bytes), IwfChunk(0x40, indices.bytes), IwfChunk(0x50, otherFormat.bytes)})})});
    CZNIWFScene scene;
    ASSERT_EQ(Load(scene, bytes, true), 0);
    ZNBRUSH *b = scene.m_Brushes.at(0);
    ASSERT_TRUE(b->GetFace(0)->m_TriIndices);
    const WORD expected[] = {0, 2, 1, 0, 3, 2};
    EXPECT_EQ(std::memcmp(b->GetFace(0)->m_TriIndices, expected, sizeof expected), 0);
    EXPECT_EQ(b->GetFace(1)->m_TriIndices, nullptr); // convex: none rebuilt
    EXPECT_EQ(b->GetFace(2)->GetVertexCount(), 0);
    scene.Clear(IWFSAVE_ALL);
}

TEST_F(ReaderTest, ForeignAuthorsContainersAndSkippedChunks)
{
    IwfNode tri = Triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
    IwfBody face;
    face.Zeros(45);
    // A 0x2001 of another author is skipped (its 45 zero bytes would set mapping mode 0).
    tri.children.push_back(IwfChunk(0x2001, face.bytes, {}, "OTHER"));
    IwfBytes bytes = IwfBuild({IwfSignature(), IwfChunk(0x3000, IwfBody().U32(1).bytes, {}, "OTHER"),
                               IwfChunk(0x80, IwfBody().U32(0).bytes, {}, "PLUGIN"),
                               IwfChunk(0x2003, IwfBody().U8(1).U8(1).bytes, {}, "OTHER"), IwfChunk(0x61, {}),
                               IwfChunk(0x02, {}, {IwfChunk(0x20, MeshBody(0).bytes, {tri})})});
    CZNIWFScene scene;
    ASSERT_EQ(Load(scene, bytes, false), 0);
    ASSERT_EQ(scene.m_Brushes.size(), 1u);
    EXPECT_EQ(scene.m_Brushes[0]->GetFace(0)->m_MappingMode, 1);
    EXPECT_TRUE(scene.m_Entities.empty());
    EXPECT_TRUE(scene.m_Overlays.empty());
    scene.Clear(IWFSAVE_ALL);
}

struct PlacementCase {
    const char *name;
    std::vector<IwfNode> top;
    LONG code;
};

class PlacementTest : public IwfSceneTest, public ::testing::WithParamInterface<PlacementCase>
{
};

TEST_P(PlacementTest, MisplacedChunksAndWrongSignature)
{
    CZNIWFScene scene;
    EXPECT_EQ(Load(scene, IwfBuild(GetParam().top), true), GetParam().code);
    scene.Clear(IWFSAVE_ALL);
}

IwfNode Mesh(std::vector<IwfNode> children = {})
{
    return IwfChunk(0x20, MeshBody(0).bytes, std::move(children));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlacementTest,
    ::testing::Values(
        PlacementCase{"WrongSignature", {IwfChunk(0x2000, IwfBody().Str("-ZN_SIG+").bytes, {}, "TOVRA")},
                      LONG(0x89671B58)},
        PlacementCase{"ShortSignature", {IwfChunk(0x2000, IwfBody().Str("-ZN").bytes, {}, "TOVRA")}, LONG(0x89671B58)},
        PlacementCase{"SurfaceAtTop", {IwfChunk(0x30, IwfBody().U32(0).bytes)}, LONG(0x89671B5D)},
        PlacementCase{"GroupInMesh", {Mesh({IwfChunk(0x10, {0})})}, LONG(0x89671B5D)},
        PlacementCase{"MeshInSurface",
                      {Mesh({IwfChunk(0x30, IwfBody().U32(1).U32(0).bytes, {Mesh()})})},
                      LONG(0x89671B5D)},
        PlacementCase{"VerticesInMesh", {Mesh({IwfChunk(0x50, {1, 0, 0, 0, 0, 0, 0, 0, 0})})}, LONG(0x89671B5D)},
        PlacementCase{"ExtraMaterialAtTop", {IwfChunk(0x2002, {}, {}, "TOVRA")}, LONG(0x89671B5D)},
        PlacementCase{"EmptySurfaceIsFine", {Mesh({IwfChunk(0x30, IwfBody().U32(0).bytes)})}, 0}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
