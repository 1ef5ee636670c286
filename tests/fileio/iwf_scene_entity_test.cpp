// The IWF entity chunk: its bytes, its maker tag, round trips through the shipped plug-ins and
// through test-built ones that save their own form or use the string layout, and hostile chunks.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "editor/editor_doc.h"
#include "iwf_scene_fixture.h"
#include "scene/entity.h"
#include "support/entity_plugins.h"

namespace
{

constexpr int kMakerA = 3;  // type 0x200, vendor "MakerA", saves its own form
constexpr int kMakerB = 4;  // the same type from "MakerB"
constexpr int kString = 5;  // type 0x31, a 400-byte block

class IwfEntityTest : public IwfSceneTest
{
protected:
    void TearDown() override
    {
        if (loaded)
            loaded->Clear(IWFSAVE_ALL);
        loaded.reset();
        doc.reset();
        IwfSceneTest::TearDown();
    }

    CZNEntity *Place(int plugin, const char *name = nullptr, D3DXVECTOR3 at = {1, 2, 3})
    {
        CZNEntity *entity = doc->NewEntity(plugin, at.x, at.y, at.z);
        if (entity && name)
            entity->SetName(name);
        return entity;
    }

    static IwfBytes Save(const std::vector<CZNEntity *> &entities, const std::vector<ZNBRUSH *> &list = {})
    {
        std::vector<ZNSELECTIONENTRY> entries = Entries(list);
        for (CZNEntity *e : entities) {
            ZNSELECTIONENTRY entry;
            entry.Type = ZNSELECT_ENTITY;
            entry.Object = reinterpret_cast<uintptr_t>(e);
            entries.push_back(entry);
        }
        CZNMemoryStreamIO stream;
        stream.Open(nullptr, 0, ZNSTREAM_WRITE, false);
        CZNIWFScene scene;
        scene.SaveObjects(stream, entries, IWFSAVE_ALL, nullptr);
        return IwfStreamBytes(stream);
    }

    // Loads into a new scene kept until the test ends; the code thrown, or 0.
    LONG Reload(const IwfBytes &bytes)
    {
        if (loaded)
            loaded->Clear(IWFSAVE_ALL);
        loaded = std::make_unique<CZNIWFScene>();
        return Load(*loaded, bytes, true);
    }

    static std::vector<const IwfNode *> EntityChunks(const std::vector<IwfNode> &level)
    {
        std::vector<const IwfNode *> out;
        for (const IwfNode &n : level)
            if (n.id == 0x80)
                out.push_back(&n);
        return out;
    }

    // The one entity chunk of a save of entity.
    IwfNode ChunkOf(CZNEntity *entity)
    {
        auto top = IwfParse(Save({entity}));
        auto chunks = EntityChunks(top);
        EXPECT_EQ(chunks.size(), 1u);
        return chunks.empty() ? IwfNode{} : *chunks[0];
    }

    static std::vector<BYTE> Block(const CZNEntity *entity, size_t size)
    {
        return std::vector<BYTE>(entity->GetData(), entity->GetData() + size);
    }

    // A body of chunk 0x80 with a given name length field and data length field.
    static IwfBytes Body(uint16_t type, const std::string &name, uint32_t flags, const IwfBytes &data,
                         uint32_t statedLength)
    {
        IwfBody b;
        b.U16(type).U8(static_cast<uint8_t>(name.size())).Str(name).U32(flags);
        D3DXMATRIX head;
        D3DXMatrixIdentity(&head);
        head._41 = 7;
        for (const auto &row : head.m)
            for (float v : row)
                b.F32(v);
        b.U32(statedLength);
        b.bytes.insert(b.bytes.end(), data.begin(), data.end());
        return b.bytes;
    }

    ZnEntityPlugins plugins{{"ent_io_a", "ent_io_b", "ent_string"}};
    std::unique_ptr<CZNEDITORDoc> doc = std::make_unique<CZNEDITORDoc>();
    std::unique_ptr<CZNIWFScene> loaded;
};

} // namespace

TEST_F(IwfEntityTest, BodyOfANamedHiddenLightByteForByte)
{
    CZNEntity *light = Place(ZnEntityPlugins::kLight, "Lamp", {10, 20, 30});
    light->m_Flags = 1;
    const IwfNode chunk = ChunkOf(light);
    EXPECT_EQ(chunk.author, "");
    const uint32_t dataLength = 144 - 64;
    ASSERT_EQ(chunk.data.size(), 75u + 4 + dataLength);
    EXPECT_EQ(IwfGet16(chunk.data, 0), 0x10);
    EXPECT_EQ(chunk.data[2], 4);
    EXPECT_EQ(std::string(chunk.data.begin() + 3, chunk.data.begin() + 7), "Lamp");
    EXPECT_EQ(IwfGet32(chunk.data, 7), 1u);
    EXPECT_EQ(std::vector<BYTE>(chunk.data.begin() + 11, chunk.data.begin() + 75), Block(light, 64));
    EXPECT_EQ(IwfGetF(chunk.data, 11 + 48), 10.0f);
    EXPECT_EQ(IwfGet32(chunk.data, 75), dataLength);
    EXPECT_EQ(std::vector<BYTE>(chunk.data.begin() + 79, chunk.data.end()),
              std::vector<BYTE>(light->GetData() + 64, light->GetData() + 144));

    // Unnamed and visible: no name bytes, flags 0.
    const IwfNode plain = ChunkOf(Place(ZnEntityPlugins::kLight));
    EXPECT_EQ(plain.data[2], 7); // NewEntity named it "Light02"
    CZNEntity *unnamed = Place(ZnEntityPlugins::kLight);
    unnamed->SetName(nullptr);
    const IwfNode bare = ChunkOf(unnamed);
    EXPECT_EQ(bare.data[2], 0);
    EXPECT_EQ(IwfGet32(bare.data, 3), 0u);
    EXPECT_EQ(bare.data.size(), 75u + dataLength);
}

TEST_F(IwfEntityTest, AuthorIdFollowsTheTypeCodeAtTheTopAndInGroups)
{
    CZNEntity *light = Place(ZnEntityPlugins::kLight);
    CZNEntity *fog = Place(ZnEntityPlugins::kFog);
    CZNEntity *reference = Place(ZnEntityPlugins::kReference);
    CZNEntity *stored = Place(kMakerA);
    stored->GetData()[64] = 3;
    CZNEntity *grouped = Place(ZnEntityPlugins::kLight);
    CZNGROUP *group = Group("G");
    group->AddChild(grouped);
    group->AddChild(Place(ZnEntityPlugins::kReference));
    auto top = IwfParse(Save({light, fog, reference, stored, grouped}));
    auto chunks = EntityChunks(top);
    ASSERT_EQ(chunks.size(), 4u);
    EXPECT_EQ(chunks[0]->author, "");
    EXPECT_EQ(chunks[1]->author, "Tovra");
    EXPECT_EQ(chunks[2]->author, "TOVRA");
    EXPECT_EQ(chunks[3]->author, "MakerA");
    const IwfNode *groupChunk = nullptr;
    for (const IwfNode &n : top)
        if (n.id == 0x10)
            groupChunk = &n;
    ASSERT_TRUE(groupChunk);
    auto inner = EntityChunks(groupChunk->children);
    ASSERT_EQ(inner.size(), 2u);
    EXPECT_EQ(inner[0]->author, "");
    EXPECT_EQ(inner[1]->author, "TOVRA");
    // The chunks after an entity keep the scene's own author id.
    EXPECT_EQ(top.back().id, 0x2004);
    EXPECT_EQ(top.back().author, "TOVRA");
    group->Clear();
}

TEST_F(IwfEntityTest, EveryShippedKindRoundTrips)
{
    CZNEntity *light = Place(ZnEntityPlugins::kLight, "Sun", {5, -6, 7});
    const float range = 123.5f;
    std::memcpy(light->GetData() + 116, &range, 4);
    CZNEntity *fog = Place(ZnEntityPlugins::kFog);
    fog->m_Flags = 1;
    CZNEntity *reference = Place(ZnEntityPlugins::kReference, nullptr, {-1, 0, 1});
    std::strcpy(reinterpret_cast<char *>(reference->GetData() + 84), "Cube01");
    const std::vector<CZNEntity *> saved{light, fog, reference};
    const std::vector<size_t> blocks{144, 64, 340};

    ASSERT_EQ(Reload(Save(saved)), 0);
    ASSERT_EQ(loaded->m_Entities.size(), 3u);
    for (size_t i = 0; i < saved.size(); ++i) {
        const CZNEntity *back = loaded->m_Entities[i];
        SCOPED_TRACE(saved[i]->GetName());
        EXPECT_EQ(back->GetType(), saved[i]->GetType());
        EXPECT_EQ(back->GetDataSize(), saved[i]->GetDataSize());
        EXPECT_STREQ(back->GetName(), saved[i]->GetName());
        EXPECT_EQ(back->m_Flags, saved[i]->m_Flags);
        EXPECT_EQ(Block(back, blocks[i]), Block(saved[i], blocks[i]));
    }
}

TEST_F(IwfEntityTest, PluginsOwnFormGoesThroughItsWriteAndReadCalls)
{
    CZNEntity *stored = Place(kMakerA, "Box");
    BYTE *data = stored->GetData();
    data[64] = 5;
    std::memcpy(data + 65, "abcde", 5);
    const IwfNode chunk = ChunkOf(stored);
    ASSERT_EQ(IwfGet32(chunk.data, 3 + 3 + 4 + 64), 5u);
    EXPECT_EQ(chunk.data.back(), 'e' ^ 0x5A);

    ASSERT_EQ(Reload(Save({stored})), 0);
    ASSERT_EQ(loaded->m_Entities.size(), 1u);
    EXPECT_EQ(*ZnEntityPlugins::Variable<uint32_t>("ent_io_a", "g_LastReadSize"), 5u);
    EXPECT_EQ(Block(loaded->m_Entities[0], 128), Block(stored, 128));

    // Nothing to save: no chunk at all.
    data[64] = 0;
    EXPECT_TRUE(EntityChunks(IwfParse(Save({stored}))).empty());
}

TEST_F(IwfEntityTest, AnEntityOfAnotherMakerIsDroppedAndTheRestLoads)
{
    CZNEntity *stored = Place(kMakerB);
    stored->GetData()[64] = 1;
    CZNEntity *light = Place(ZnEntityPlugins::kLight);
    auto top = IwfParse(Save({stored, light}, {Cube()}));
    auto chunks = EntityChunks(top);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0]->author, "MakerB");
    ASSERT_EQ(Reload(IwfBuild(top)), 0);
    ASSERT_EQ(loaded->m_Entities.size(), 2u);
    EXPECT_EQ(loaded->m_Entities[0]->GetType(), kMakerB); // not MakerA's plug-in of the same code

    for (IwfNode &n : top)
        if (n.id == 0x80 && n.author == "MakerB")
            n.author = "MakerC";
    ASSERT_EQ(Reload(IwfBuild(top)), 0);
    ASSERT_EQ(loaded->m_Entities.size(), 1u);
    EXPECT_EQ(loaded->m_Entities[0]->GetType(), ZnEntityPlugins::kLight);
    EXPECT_EQ(loaded->m_Brushes.size(), 1u);
}

TEST_F(IwfEntityTest, UnderAMeshWithAMatrixTheHeadIsMultipliedButAFogHeadIsNot)
{
    CZNEntity *light = Place(ZnEntityPlugins::kLight, nullptr, {1, 2, 3});
    CZNEntity *fog = Place(ZnEntityPlugins::kFog);
    const auto top = IwfParse(Save({light, fog}));
    auto chunks = EntityChunks(top);
    ASSERT_EQ(chunks.size(), 2u);
    D3DXMATRIX matrix;
    D3DXMatrixTranslation(&matrix, 100, 0, -50);
    IwfBody mesh;
    mesh.U8(0).Zeros(8).U32(0x01);
    for (const auto &row : matrix.m)
        for (float v : row)
            mesh.F32(v);
    IwfBytes image = IwfBuild({IwfSignature(), IwfChunk(0x20, mesh.bytes, {*chunks[0], *chunks[1]})});
    ASSERT_EQ(Reload(image), 0);
    ASSERT_EQ(loaded->m_Entities.size(), 2u);
    D3DXVECTOR3 position;
    loaded->m_Entities[0]->GetPosition(&position);
    EXPECT_EQ(position, D3DXVECTOR3(101, 2, -47));
    EXPECT_EQ(Block(loaded->m_Entities[1], 64), Block(fog, 64));
}

TEST_F(IwfEntityTest, InAGroupTheEntityJoinsIt)
{
    CZNEntity *light = Place(ZnEntityPlugins::kLight, "InGroup");
    CZNGROUP *group = Group("Lights");
    group->AddChild(light);
    ASSERT_EQ(Reload(Save({light})), 0);
    ASSERT_EQ(loaded->m_Groups.size(), 1u);
    ASSERT_EQ(loaded->m_Entities.size(), 1u);
    EXPECT_EQ(loaded->m_Entities[0]->GetGroup(), loaded->m_Groups[0]);
    EXPECT_EQ(loaded->m_Groups[0]->GetChild(0), loaded->m_Entities[0]);
    group->Clear();
}

TEST_F(IwfEntityTest, StringTypeRoundTripsEmptyAndWithAStringAndARemainder)
{
    CZNEntity *empty = Place(kString);
    BYTE *data = empty->GetData();
    for (int i = 321; i < 400; ++i)
        data[i] = static_cast<BYTE>(i);
    IwfNode chunk = ChunkOf(empty);
    const size_t at = 3 + std::strlen(empty->GetName()) + 4 + 64; // the data length B
    EXPECT_EQ(IwfGet32(chunk.data, at), 1u + 79);
    EXPECT_EQ(chunk.data[at + 4], 0);
    EXPECT_EQ(chunk.data.size(), at + 4 + 1 + 79);
    ASSERT_EQ(Reload(Save({empty})), 0);
    ASSERT_EQ(loaded->m_Entities.size(), 1u);
    std::vector<BYTE> expected = Block(empty, 400);
    expected[64] = 1; // the reader marks the string present
    EXPECT_EQ(Block(loaded->m_Entities[0], 400), expected);

    CZNEntity *named = Place(kString);
    data = named->GetData();
    data[64] = 1;
    std::strcpy(reinterpret_cast<char *>(data + 65), "target");
    data[399] = 0x77;
    chunk = ChunkOf(named);
    EXPECT_EQ(IwfGet32(chunk.data, at), 1u + 1 + 6 + 79);
    ASSERT_EQ(Reload(Save({named})), 0);
    ASSERT_EQ(loaded->m_Entities.size(), 1u);
    EXPECT_EQ(Block(loaded->m_Entities[0], 400), Block(named, 400));
}

TEST_F(IwfEntityTest, HostileNameAndDataLengths)
{
    const IwfBytes lightData(80, 0x42);
    struct Case {
        const char *name;
        IwfBytes body;
        LONG code;
    };
    IwfBytes longName = Body(0x10, "Abc", 0, lightData, 80);
    longName[2] = 200; // the name runs past the body
    IwfBytes longData = Body(0x10, "", 0, lightData, 81);
    IwfBytes stringPastData = Body(0x31, "", 0, {1, 200, 'x'}, 3);
    const std::vector<Case> cases{
        {"NamePastTheBody", longName, static_cast<LONG>(ZNERR_IWF_BAD_LENGTHS)},
        {"DataPastTheBody", longData, static_cast<LONG>(ZNERR_IWF_BAD_LENGTHS)},
        {"StringPastItsData", stringPastData, static_cast<LONG>(ZNERR_IWF_BAD_LENGTHS)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Reload(IwfBuild({IwfSignature(), IwfChunk(0x80, c.body)})), c.code);
        EXPECT_TRUE(loaded->m_Entities.empty());
    }

    // More data than the block holds: what fits is read, the rest skipped, the next chunk loads.
    IwfBytes big(400);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<BYTE>(i);
    ASSERT_EQ(Reload(IwfBuild({IwfSignature(), IwfChunk(0x80, Body(0x10, "Big", 1, big, 400)),
                               IwfChunk(0x80, Body(0x31, "S", 0, big, 400))})),
              0);
    ASSERT_EQ(loaded->m_Entities.size(), 2u);
    const CZNEntity *light = loaded->m_Entities[0];
    EXPECT_STREQ(light->GetName(), "Big");
    EXPECT_EQ(light->m_Flags, 1u);
    EXPECT_EQ(Block(light, 144), [&] {
        std::vector<BYTE> b = Block(light, 64);
        b.insert(b.end(), big.begin(), big.begin() + 80);
        return b;
    }());
    // Type 0x31: flag 0 then the remainder, of which the block holds 79 bytes.
    const CZNEntity *text = loaded->m_Entities[1];
    EXPECT_EQ(text->GetData()[64], 1);
    EXPECT_EQ(text->GetData()[65], 0);
    EXPECT_EQ(Block(text, 400).back(), big[1 + 78]);
}

TEST_F(IwfEntityTest, AnEntityUnderAChunkThatCannotHoldItIsDeletedAndRefused)
{
    IwfBytes image = IwfBuild({IwfSignature(), IwfChunk(0x90, IwfBody().U32(0).bytes,
                                                       {IwfChunk(0x80, Body(0x10, "L", 0, {}, 0))})});
    EXPECT_EQ(Reload(image), static_cast<LONG>(ZNERR_IWF_NO_CHUNK));
    EXPECT_TRUE(loaded->m_Entities.empty()); // LeakSanitizer checks it went
}
