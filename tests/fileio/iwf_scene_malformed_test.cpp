// The IWF scene against hostile images and failing streams: every truncation, huge counts in
// tiny files, group trees without objects, bad triangle lists, streams that fail after N bytes and a full disk.
#include <gtest/gtest.h>

#include <cstring>

#include "editor/editor_doc.h"
#include "fileio/file_stream_io.h"
#include "iwf_scene_fixture.h"
#include "scene/object_type.h"

namespace
{

using MalformedTest = IwfSceneTest;

// A saved scene with everything: a texture, a list material, a thumbnail, a group and brushes.
class TruncationTest : public IwfSceneTest
{
protected:
    IwfBytes Build()
    {
        CZNTexture *stone = AddTexture("stone.bmp", 1);
        LONG brick = AddMaterial("Brick", 0.5f);
        ZNBRUSH *a = Cube();
        ZNBRUSH *b = Own(new ZNBRUSH);
        ZnBuildCylinder(*b, {3, 0, 0}, 1.0f, 2.0f, 8);
        a->GetFace(0)->SetTexture(stone);
        b->GetFace(1)->SetMaterial(brick);
        Group("G")->AddChild(b);
        thumbnail.AllocImageMem(6, 6, 8, false);
        return SaveObjects({a, b}, IWFSAVE_ALL, &thumbnail);
    }
    CZNImage thumbnail;
};

TEST_F(TruncationTest, EveryTruncationThrowsOrLoadsAndClearKeepsTheList)
{
    IwfBytes full = Build();
    CZNCONTAINER *list = Materials();
    std::vector<void *> before(list->GetElements(), list->GetElements() + list->GetElementCount());
    // The thumbnail chunk ends at 24 + 15 + 6 + 768 + 36 + 6.
    const size_t thumbnailEnd = 24 + 15 + 6 + 768 + 36 + 6;
    for (size_t size = 0; size < full.size(); ++size) {
        IwfBytes cut(full.begin(), full.begin() + size);
        for (bool silent : {false, true}) {
            CZNIWFScene scene;
            LONG code = Load(scene, cut, silent);
            // Cut after the header and before any chunk: an empty level; otherwise a code.
            if (size >= 24 && size < 28)
                EXPECT_EQ(code, 0) << size;
            else
                EXPECT_NE(code, 0) << size;
            scene.Clear(IWFSAVE_ALL);
        }
        // Every material the list held is still there (new ones may have been appended).
        ASSERT_GE(list->GetElementCount(), before.size());
        for (size_t i = 0; i < before.size(); ++i)
            ASSERT_EQ(list->GetElement(static_cast<DWORD>(i)), before[i]) << size;
        CZNMemoryStreamIO stream;
        IwfOpenRead(stream, cut);
        CZNImage image;
        CZNIWFScene scene;
        EXPECT_EQ(scene.LoadThumbnail(stream, &image), size >= thumbnailEnd) << size;
    }
}

struct HostileCase {
    const char *name;
    std::vector<IwfNode> top;
    LONG code;
};

class HostileTest : public IwfSceneTest, public ::testing::WithParamInterface<HostileCase>
{
};

TEST_P(HostileTest, HugeCountsInTinyFiles)
{
    for (bool silent : {false, true}) {
        CZNIWFScene scene;
        EXPECT_EQ(Load(scene, IwfBuild(GetParam().top), silent), GetParam().code);
        scene.Clear(IWFSAVE_ALL);
    }
}

IwfNode MeshOf(std::vector<IwfNode> children, IwfBytes body = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})
{
    return IwfChunk(0x20, body, std::move(children));
}

IwfNode SurfaceOf(uint32_t faces, std::vector<IwfNode> children = {})
{
    IwfBody b;
    b.U32(faces);
    for (uint32_t i = 0; i < faces && i < 4; ++i)
        b.U32(0);
    return IwfChunk(0x30, b.bytes, std::move(children));
}

const LONG kLengths = LONG(0x89671B5A);

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileTest,
    ::testing::Values(
        HostileCase{"TextureCount", {IwfChunk(0xA0, IwfBody().U32(0xFFFFFFFF).U32(0).bytes)}, kLengths},
        HostileCase{"TextureNameLength", {IwfChunk(0xA0, IwfBody().U32(1).U8(1).U16(0xFFFF).U8(0).U32(0).bytes)},
                    kLengths},
        HostileCase{"EmbeddedLength", {IwfChunk(0xA0, IwfBody().U32(1).U8(1).U16(1).Str("a").U8(0).U32(0xFFFFFFF0).bytes)},
                    kLengths},
        HostileCase{"MaterialCount", {IwfChunk(0x90, IwfBody().U32(0x10000000).Zeros(70).bytes)}, kLengths},
        HostileCase{"ExtraMaterialCount",
                    {IwfChunk(0x90, IwfBody().U32(2).U8(0).Zeros(68).U8(0).Zeros(68).bytes,
                              {IwfChunk(0x2002, IwfBody().Zeros(112).bytes, {}, "TOVRA")})},
                    kLengths},
        HostileCase{"FaceCount", {MeshOf({SurfaceOf(0x40000000)})}, kLengths},
        HostileCase{"CustomDataLength", {MeshOf({}, IwfBody().U8(0).U32(0).U32(0).U32(8).U16(0xFFFF).bytes)}, kLengths},
        HostileCase{"CustomBlockLength",
                    {MeshOf({IwfChunk(0x30, IwfBody().U32(1).U32(0x04).U8(0).U16(0xFFFF).bytes)})}, kLengths},
        HostileCase{"VertexBlocksMoreThanFaces",
                    {MeshOf({SurfaceOf(1, {IwfChunk(0x50, IwfBody().U8(1).U32(0).U32(3).U8(16).U16(0).U32(1).U8(16)
                                                                .U16(0).U32(1).U8(16).U16(0).U32(1).bytes)})})},
                    0},
        HostileCase{"VertexBlockCount",
                    {MeshOf({SurfaceOf(1, {IwfChunk(0x50, IwfBody().U8(1).U32(0).U32(0xFFFFFFFF).bytes)})})},
                    kLengths},
        HostileCase{"VertexCount",
                    {MeshOf({SurfaceOf(1, {IwfChunk(0x50, IwfBody().U8(1).U32(0).U32(1).U8(16).U16(0x7FFF).U32(1)
                                                                .Zeros(12).bytes)})})},
                    kLengths},
        HostileCase{"VertexCountOver32767",
                    {MeshOf({SurfaceOf(1, {IwfChunk(0x50, IwfBody().U8(1).U32(0).U32(1).U8(16).U16(0x8000).U32(0)
                                                                .bytes)})})},
                    kLengths},
        // Vertex blocks whose mask names no field (bit 0x02 carries none) or texture sets of no
        // floats: vertices without data are refused, not made out of nothing.
        HostileCase{"VerticesWithoutFields", {IwfMeshOfFieldlessVertices(1)}, kLengths},
        HostileCase{"ManyBlocksOfVerticesWithoutFields", {IwfMeshOfFieldlessVertices(200)}, kLengths},
        HostileCase{"VerticesOfTheFieldlessBit",
                    {MeshOf({SurfaceOf(1, {IwfChunk(0x50, IwfBody().U8(1).U32(0).U32(1).U8(16).U16(0x7FFF).U32(0x02)
                                                                .bytes)})})},
                    kLengths},
        HostileCase{"VerticesOfEmptyTextureSets",
                    {MeshOf({SurfaceOf(1, {IwfChunk(0x50, IwfBody().U8(1).U32(0).U32(1).U8(16).U16(0x7FFF).U32(0xC0)
                                                                .U8(2).U8(0).U8(0).bytes)})})},
                    kLengths},
        HostileCase{"TextureSets",
                    {MeshOf({SurfaceOf(1, {IwfChunk(0x50, IwfBody().U8(1).U32(0).U32(1).U8(16).U16(2).U32(0xC0)
                                                                .U8(255).Str(std::string(255, '\xFF')).bytes)})})},
                    kLengths},
        HostileCase{"IndexCount",
                    {MeshOf({SurfaceOf(1, {IwfChunk(0x40, IwfBody().U32(0).U32(1).U16(0xFFFF).U8(0x09).U8(1).bytes)})})},
                    kLengths},
        HostileCase{"IndexSkip",
                    {MeshOf({SurfaceOf(1, {IwfChunk(0x40, IwfBody().U32(0).U32(1).U16(0xFFFF).U8(0x02).U8(0).bytes)})})},
                    kLengths},
        HostileCase{"ExtraFaceInfoShort",
                    {MeshOf({SurfaceOf(2, {IwfChunk(0x2001, IwfBody().Zeros(45).bytes, {}, "TOVRA")})})}, kLengths},
        HostileCase{"ThumbnailSize", {IwfChunk(0x03, IwfBody().U16(0xFFFF).U16(0xFFFF).U16(32).bytes)}, 0},
        HostileCase{"EditorOptionsShort", {IwfChunk(0x2004, IwfBody().Zeros(20).bytes, {}, "TOVRA")}, kLengths}),
    [](const auto &info) { return std::string(info.param.name); });

// Group trees as stored; a group is reached through its members, so a load keeps only the
// trees with an object somewhere in them (whole, empty branches included).
struct GroupTreeCase {
    const char *name;
    std::vector<IwfNode> top;
    const char *loaded; // the listed trees: {...} a group, b a brush
};

IwfNode GroupOf(std::vector<IwfNode> children)
{
    return IwfChunk(0x10, IwfBody().U8(1).Str("G").bytes, std::move(children));
}

// An entity of a maker without a plug-in: dropped by the load.
IwfNode ForeignEntity()
{
    return IwfChunk(0x80, IwfBody().U16(0x200).Zeros(8).bytes, {}, "OTHER");
}

std::string TreeOf(const CZNGROUP *group)
{
    std::string tree = "{";
    for (DWORD i = 0; i < group->GetChildCount(); ++i) {
        void *child = group->GetChild(i);
        tree += GetObjectType(child) == ZNOBJECT_GROUP ? TreeOf(static_cast<CZNGROUP *>(child))
                : GetObjectType(child) == ZNOBJECT_BRUSH ? "b"
                                                         : "?";
    }
    return tree + "}";
}

class GroupTreeTest : public IwfSceneTest, public ::testing::WithParamInterface<GroupTreeCase>
{
};

TEST_P(GroupTreeTest, GroupsWithoutObjectsAreDroppedAndTakingTheObjectsLeavesNoGroup)
{
    const IwfBytes image = IwfBuild(GetParam().top);
    for (bool silent : {false, true}) {
        CZNIWFScene scene;
        ASSERT_EQ(Load(scene, image, silent), 0);
        std::string trees;
        for (const CZNGROUP *group : scene.m_Groups)
            trees += TreeOf(group);
        EXPECT_EQ(trees, GetParam().loaded);
        // The caller takes the brushes and forgets the lists; deleting the brushes as the
        // document does takes their groups along (LeakSanitizer checks nothing stays).
        std::vector<ZNBRUSH *> taken(scene.m_Brushes.begin(), scene.m_Brushes.end());
        scene.FreeLists();
        for (ZNBRUSH *brush : taken) {
            CZNGROUP::FreeFromParent(brush->GetParent(), brush);
            delete brush;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GroupTreeTest,
    ::testing::Values(GroupTreeCase{"EmptyGroup", {GroupOf({})}, ""},
                      GroupTreeCase{"NestedEmptyGroups", {GroupOf({GroupOf({GroupOf({})})})}, ""},
                      GroupTreeCase{"GroupOfADroppedEntity", {GroupOf({GroupOf({ForeignEntity()})})}, ""},
                      GroupTreeCase{"EmptyBranchesBesideABrush",
                                    {GroupOf({GroupOf({}), MeshOf({}), GroupOf({GroupOf({ForeignEntity()})})})},
                                    "{{}b{{}}}"},
                      GroupTreeCase{"EmptyGroupBesideAGroupOfBrushes",
                                    {GroupOf({}), GroupOf({GroupOf({MeshOf({})}), MeshOf({})})}, "{{b}b}"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(MalformedTest, HugeThumbnailIsRefusedBeforeAllocating)
{
    for (uint16_t bits : {8, 24, 32, 16}) {
        IwfBytes bytes = IwfBuild({IwfChunk(0x03, IwfBody().U16(0xFFFF).U16(0xFFFF).U16(bits).Zeros(800).bytes)});
        CZNMemoryStreamIO stream;
        IwfOpenRead(stream, bytes);
        CZNImage image;
        CZNIWFScene scene;
        EXPECT_FALSE(scene.LoadThumbnail(stream, &image));
        EXPECT_EQ(image.GetWidth(), 0u);
    }
}

TEST_F(MalformedTest, BadTriangleListsAreDroppedAndRebuilt)
{
    // An L-shaped face: its list must be 12 indices below 6.
    const float ell[6][2] = {{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}};
    IwfBody vertices;
    vertices.U8(1).U32(6).U32(1).U8(16).U16(6).U32(0x01);
    for (auto &p : ell)
        vertices.F32(p[0]).F32(p[1]).F32(0);
    for (int variant = 0; variant < 3; ++variant) {
        IwfBody indices;
        indices.U32(12).U32(1);
        if (variant == 0) { // too short
            indices.U16(9).U8(0x09).U8(1);
            for (int k = 0; k < 9; ++k)
                indices.U16(static_cast<uint16_t>(k % 6));
        } else { // a vertex past the end, or one list valid to compare with
            indices.U16(12).U8(0x09).U8(1);
            const uint16_t list[12] = {0, 1, 2, 0, 2, 3, 0, 3, 4, 0, 4, variant == 1 ? uint16_t(6) : uint16_t(5)};
            for (uint16_t i : list)
                indices.U16(i);
        }
        IwfBody surface;
        surface.U32(1).U32(0x01).F32(0).F32(0).F32(1);
        IwfBytes bytes = IwfBuild({MeshOf({IwfChunk(0x30, surface.bytes,
                                                    {IwfChunk(0x50, vertices.bytes), IwfChunk(0x40, indices.bytes)})})});
        CZNIWFScene scene;
        ASSERT_EQ(Load(scene, bytes, true), 0);
        const ZNFACE *face = scene.m_Brushes.at(0)->GetFace(0);
        ASSERT_TRUE(face->m_TriIndices) << variant;
        for (int k = 0; k < 12; ++k)
            EXPECT_LT(face->m_TriIndices[k], 6) << variant;
        if (variant == 2) {
            EXPECT_EQ(face->m_TriIndices[11], 5);
        }
        scene.Clear(IWFSAVE_ALL);
    }
}

// A memory stream that refuses writes past a budget of bytes.
class FailingStream : public CZNMemoryStreamIO
{
public:
    explicit FailingStream(DWORD budget) : m_Budget(budget) { Open(nullptr, 0, ZNSTREAM_WRITE, false); }
    bool Write(const void *src, DWORD count) override
    {
        if (Tell() + count > m_Budget) {
            SetError(ZNERR_STREAM_FAILURE, 28, "Failing Buffer");
            return false;
        }
        return CZNMemoryStreamIO::Write(src, count);
    }

private:
    DWORD m_Budget;
};

TEST_F(TruncationTest, SaveIntoAStreamThatFailsAfterNBytesThrowsForEveryN)
{
    IwfBytes full = Build();
    std::vector<ZNBRUSH *> saved(brushes.begin(), brushes.end());
    for (DWORD n = 0; n < full.size(); ++n) {
        FailingStream stream(n);
        CZNIWFScene scene;
        LONG code = 0;
        try {
            scene.SaveObjects(stream, Entries(saved), IWFSAVE_ALL, &thumbnail);
        } catch (LONG thrown) {
            code = thrown;
        }
        ASSERT_EQ(code, LONG(ZNERR_STREAM_FAILURE)) << n;
    }
    FailingStream enough(static_cast<DWORD>(full.size()));
    CZNIWFScene scene;
    scene.SaveObjects(enough, Entries(saved), IWFSAVE_ALL, &thumbnail);
    EXPECT_EQ(IwfStreamBytes(enough), full);
}

// A save large enough that helper threads make its mesh chunks: a stream failing anywhere in it
// still gives the stream's code, with the helpers stopped before the throw leaves the save.
TEST_F(TruncationTest, LargeSaveIntoAStreamThatFailsPartWayThrows)
{
    std::vector<ZNBRUSH *> many;
    for (int i = 0; i < 400; ++i)
        many.push_back(Cube({static_cast<float>(i), 0, 0}, {static_cast<float>(i) + 0.5f, 1, 1}));
    const IwfBytes full = SaveObjects(many, IWFSAVE_ALL);
    for (size_t n : {size_t{0}, full.size() / 4, full.size() / 2, full.size() - 100}) {
        FailingStream stream(static_cast<DWORD>(n));
        CZNIWFScene scene;
        LONG code = 0;
        try {
            scene.SaveObjects(stream, Entries(many), IWFSAVE_ALL, nullptr);
        } catch (LONG thrown) {
            code = thrown;
        }
        EXPECT_EQ(code, LONG(ZNERR_STREAM_FAILURE)) << n;
    }
}

TEST_F(TruncationTest, FileSavesAndOpensMatchMemoryAndAFullDiskThrows)
{
    IwfBytes full = Build();
    std::vector<ZNBRUSH *> saved(brushes.begin(), brushes.end());
    {
        // Written after a prefix: the image does not depend on where it starts.
        CZNFileStreamIO file(dir.File("scene.iwf").c_str(), ZNSTREAM_WRITE | ZNSTREAM_CREATE);
        ASSERT_TRUE(file.Write("abc", 3));
        CZNIWFScene scene;
        scene.SaveObjects(file, Entries(saved), IWFSAVE_ALL, &thumbnail);
        EXPECT_TRUE(file.IsOpen()); // the caller's stream stays open
        file.Close();
        std::string written = ZnReadFile(dir.File("scene.iwf"));
        ASSERT_EQ(written.size(), full.size() + 3);
        EXPECT_EQ(IwfBytes(written.begin() + 3, written.end()), full);

        // Opened from the file at the same offset; the stream ends after the last chunk.
        CZNFileStreamIO in(dir.File("scene.iwf").c_str(), ZNSTREAM_READ);
        ASSERT_TRUE(in.SeekTo(3));
        CZNIWFScene loaded;
        loaded.Load(in, true);
        EXPECT_EQ(loaded.m_Brushes.size(), 2u);
        EXPECT_EQ(loaded.m_Groups.size(), 1u);
        EXPECT_EQ(in.Tell(), static_cast<int64_t>(written.size()));
        loaded.Clear(IWFSAVE_ALL);
        ZnWriteFile(dir.File("cut.iwf"), written.substr(0, written.size() - 7));
        CZNFileStreamIO cut(dir.File("cut.iwf").c_str(), ZNSTREAM_READ);
        ASSERT_TRUE(cut.SeekTo(3));
        CZNIWFScene damaged;
        EXPECT_THROW(damaged.Load(cut, true), LONG);
        damaged.Clear(IWFSAVE_ALL);
    }
    CZNFileStreamIO devFull("/dev/full", ZNSTREAM_WRITE);
    ASSERT_TRUE(devFull.IsOpen());
    CZNIWFScene scene;
    EXPECT_THROW(scene.SaveObjects(devFull, Entries(saved), IWFSAVE_ALL, &thumbnail), LONG);
}

TEST_F(MalformedTest, AFileLargerThanTheLoadWindowOpensAsFromMemory)
{
    // Some 2 MB of cylinders: a file load reads them in several windows.
    std::vector<ZNBRUSH *> saved;
    for (int i = 0; i < 800; ++i) {
        ZNBRUSH *b = Own(new ZNBRUSH);
        ZnBuildCylinder(*b, {static_cast<float>(3 * i), 0, 0}, 1.0f, 2.0f, 8);
        saved.push_back(b);
    }
    const IwfBytes full = SaveObjects(saved, IWFSAVE_ALL, nullptr);
    ASSERT_GT(full.size(), size_t{3} << 19);
    const std::string prefixed = "abc" + std::string(full.begin(), full.end());
    ZnWriteFile(dir.File("large.iwf"), prefixed);
    CZNFileStreamIO in(dir.File("large.iwf").c_str(), ZNSTREAM_READ);
    ASSERT_TRUE(in.SeekTo(3));
    CZNIWFScene loaded;
    loaded.Load(in, false);
    EXPECT_EQ(in.Tell(), static_cast<int64_t>(prefixed.size()));
    ASSERT_EQ(loaded.m_Brushes.size(), saved.size());
    CZNIWFScene fromMemory;
    ASSERT_EQ(Load(fromMemory, full, false), 0);
    EXPECT_EQ(SaveObjects(loaded.m_Brushes, IWFSAVE_ALL, nullptr),
              SaveObjects(fromMemory.m_Brushes, IWFSAVE_ALL, nullptr));
    loaded.Clear(IWFSAVE_ALL);
    fromMemory.Clear(IWFSAVE_ALL);

    // Cut inside a later window: the load throws.
    ZnWriteFile(dir.File("cut.iwf"), prefixed.substr(0, prefixed.size() - (size_t{1} << 19)));
    CZNFileStreamIO cut(dir.File("cut.iwf").c_str(), ZNSTREAM_READ);
    ASSERT_TRUE(cut.SeekTo(3));
    CZNIWFScene damaged;
    EXPECT_THROW(damaged.Load(cut, false), LONG);
    damaged.Clear(IWFSAVE_ALL);
}

TEST_F(MalformedTest, SaveSceneWritesEveryListMaterialAndTheDocumentsBrushes)
{
    CZNEDITORDoc document;
    AddMaterial("Used", 0.1f);
    AddMaterial("Unused", 0.2f);
    ZNBRUSH *brush = document.NewBrush();
    ZnBuildBox(*brush, {0, 0, 0}, {1, 1, 1});
    CZNImage thumbnail;
    thumbnail.AllocImageMem(2, 2, 24, false);
    CZNMemoryStreamIO stream;
    stream.Open(nullptr, 0, ZNSTREAM_WRITE, false);
    CZNIWFScene scene;
    scene.SaveScene(stream, IWFSAVE_ALL & ~IWFSAVE_THUMBNAIL, &thumbnail);
    auto top = IwfParse(IwfStreamBytes(stream));
    EXPECT_EQ(IwfIds(top), (std::vector<uint16_t>{0x2000, 0x90, 0x20, 0x2004}));
    EXPECT_EQ(IwfGet32(top[1].data, 0), 2u);
}

} // namespace
