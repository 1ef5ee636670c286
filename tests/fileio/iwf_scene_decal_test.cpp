// Overlays through IWF: the decal mesh body and its extra overlay information as written, round
// trips of real decals, placement in groups and meshes, and damaged decal chunks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "editor/editor_doc.h"
#include "fileio/file_errors.h"
#include "iwf_scene_fixture.h"
#include "scene/object_type.h"
#include "scene/overlay.h"

namespace
{

// The first chunk of that id on the level, as a copy (id 0 when there is none).
IwfNode Find(const std::vector<IwfNode> &level, uint16_t id)
{
    for (const IwfNode &n : level)
        if (n.id == id)
            return n;
    return IwfNode{};
}

char *NewName(const std::string &text)
{
    char *name = new char[text.size() + 1];
    std::memcpy(name, text.c_str(), text.size() + 1);
    return name;
}

IwfBody DecalBody(uint32_t mask, const std::string &name = "")
{
    IwfBody b;
    b.U8(static_cast<uint8_t>(name.size())).Str(name).U32(0).U32(0).U32(mask);
    return b;
}

void ExpectNear(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, float tolerance = 1e-4f)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

// A document with the cube (-64, -128, -64)-(64, 0, 64) and overlays built over it.
class DecalTest : public IwfSceneTest
{
protected:
    void SetUp() override
    {
        IwfSceneTest::SetUp();
        ZnBuildBox(*document.NewBrush(), {-64, -128, -64}, {64, 0, 64});
    }
    void TearDown() override
    {
        document.DeleteContents();
        IwfSceneTest::TearDown();
    }
    static IwfBytes Save(const std::vector<CZNOverlay *> &overlays, DWORD flags)
    {
        std::vector<ZNSELECTIONENTRY> entries;
        for (CZNOverlay *o : overlays) {
            ZNSELECTIONENTRY e;
            e.Type = ZNSELECT_OVERLAY;
            e.Object = reinterpret_cast<uintptr_t>(o);
            entries.push_back(e);
        }
        CZNMemoryStreamIO stream;
        stream.Open(nullptr, 0, ZNSTREAM_WRITE, false);
        CZNIWFScene scene;
        scene.SaveObjects(stream, entries, flags, nullptr);
        return IwfStreamBytes(stream);
    }
    CZNEDITORDoc document;
};

} // namespace

TEST_F(DecalTest, TheBodyOfADefaultBoxByteForByte)
{
    CZNOverlay *overlay = document.NewOverlay({5, 6, 7});
    overlay->m_Name = NewName("Decal");
    overlay->m_Flags |= ZNOVERLAY_HIDDEN;
    overlay->m_AutoRebuild = 1;
    overlay->m_SurfacesOff = 2;
    const IwfBytes bytes = Save({overlay}, IWFSAVE_ALL);
    const IwfNode found = Find(IwfParse(bytes), 0x21);
    const IwfNode *decal = &found;
    ASSERT_EQ(decal->id, 0x21);
    EXPECT_TRUE(decal->author.empty());

    IwfBody expected;
    expected.U8(5).Str("Decal").U32(0).U32(0).U32(7);
    const float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
    for (float v : matrix)
        expected.F32(v);
    expected.F32(-30).F32(-30).F32(-30).F32(30).F32(30).F32(30).U32(0x08);
    EXPECT_EQ(decal->data.size(), 105u + 5u);
    EXPECT_EQ(decal->data, expected.bytes);

    // No faces: the extra information is the only child.
    ASSERT_EQ(IwfIds(decal->children), (std::vector<uint16_t>{0x2003}));
    EXPECT_EQ(decal->children[0].author, "TOVRA");
    EXPECT_EQ(decal->children[0].data, (IwfBytes{1, 2}));

    // A visible overlay has no style bit; without the extra flag there is no child.
    overlay->m_Flags = 0;
    const IwfNode plainNode = Find(IwfParse(Save({overlay}, IWFSAVE_ALL & ~IWFSAVE_EXTRA_OVERLAY_INFO)), 0x21);
    const IwfNode *plain = &plainNode;
    ASSERT_EQ(plain->id, 0x21);
    EXPECT_EQ(IwfGet32(plain->data, 101 + 5), 0u);
    EXPECT_TRUE(plain->children.empty());
}

TEST_F(DecalTest, FacesAreStoredRelativeToTheBoxCentre)
{
    CZNOverlay *overlay = document.NewOverlay({5, 0, 7});
    overlay->Rebuild();
    ASSERT_EQ(overlay->GetFaceCount(), 1u);
    const IwfNode found = Find(IwfParse(Save({overlay}, IWFSAVE_ALL)), 0x21);
    const IwfNode *decal = &found;
    ASSERT_EQ(IwfIds(decal->children), (std::vector<uint16_t>{0x2003, 0x30}));
    const IwfNode vertexNode = Find(decal->children[1].children, 0x50);
    const IwfNode *vertices = &vertexNode;
    ASSERT_EQ(vertices->id, 0x50);
    // Vertex block: format, total, blocks, then tag, count, mask and per vertex position first.
    const size_t first = 1 + 4 + 4 + 1 + 2 + 4;
    const D3DXVECTOR3 stored(IwfGetF(vertices->data, first), IwfGetF(vertices->data, first + 4),
                             IwfGetF(vertices->data, first + 8));
    ExpectNear(stored + D3DXVECTOR3(5, 0, 7), overlay->GetFace(0)->GetVector(0));
    EXPECT_NEAR(stored.y, 0.0f, 1e-5f);
}

TEST_F(DecalTest, ARotatedBoxRoundTripsCornersFacesAndFaceFlags)
{
    CZNOverlay *overlay = document.NewOverlay({3, 0, -4});
    overlay->m_Name = NewName("Turned");
    overlay->Rotate(20, 35, 10, nullptr, 0);
    overlay->Rebuild();
    ASSERT_GT(overlay->GetFaceCount(), 0u);
    overlay->SetFaceFlag(5);
    overlay->GetFace(0)->m_FaceFlag = 9;
    const IwfBytes bytes = Save({overlay}, IWFSAVE_ALL);

    CZNIWFScene scene;
    ASSERT_EQ(Load(scene, bytes, true), 0);
    ASSERT_EQ(scene.m_Overlays.size(), 1u);
    CZNOverlay *read = scene.m_Overlays[0];
    EXPECT_STREQ(read->m_Name, "Turned");
    EXPECT_EQ(read->GetFaceFlag(), 1); // the overlay's own flag is not stored
    for (int k = 0; k < 8; ++k)
        ExpectNear(read->GetCorner(k), overlay->GetCorner(k));
    ASSERT_EQ(read->GetFaceCount(), overlay->GetFaceCount());
    for (DWORD i = 0; i < read->GetFaceCount(); ++i) {
        const ZNFACE *a = overlay->GetFace(i);
        const ZNFACE *b = read->GetFace(i);
        EXPECT_EQ(b->m_ObjectType, ZNOBJECT_OVERLAYFACE);
        EXPECT_EQ(b->m_FaceFlag, i == 0 ? 9 : 5);
        ExpectNear(b->m_Normal, a->m_Normal);
        ASSERT_EQ(b->GetVertexCount(), a->GetVertexCount());
        for (short k = 0; k < a->GetVertexCount(); ++k)
            ExpectNear(b->GetVector(k), a->GetVector(k));
    }
    scene.Clear(IWFSAVE_ALL);
}

TEST_F(DecalTest, AReadOverlayKeepsItsStoredFaces)
{
    CZNOverlay *overlay = document.NewOverlay({0, 0, 0});
    overlay->SetAutoRebuildFlag(1);
    ASSERT_EQ(overlay->GetFaceCount(), 1u);
    const IwfBytes bytes = Save({overlay}, IWFSAVE_ALL);
    const IwfBytes withoutExtra = Save({overlay}, IWFSAVE_ALL & ~IWFSAVE_EXTRA_OVERLAY_INFO);

    // The brushes change before the load; the read overlay is not built again.
    document.DeleteContents();
    ZnBuildBox(*document.NewBrush(), {-10, -10, -10}, {10, 10, 10});
    CZNIWFScene scene;
    ASSERT_EQ(Load(scene, bytes, true), 0);
    CZNOverlay *read = scene.m_Overlays.at(0);
    EXPECT_EQ(read->GetAutoRebuildFlag(), 1);
    EXPECT_EQ(read->m_SurfacesOff, 0);
    ASSERT_EQ(read->GetFaceCount(), 1u);
    ExpectNear(read->GetExtents().Min, D3DXVECTOR3(-30, 0, -30));
    ExpectNear(read->GetFace(0)->GetVertexNormal(0), D3DXVECTOR3(0, 1, 0));
    scene.Clear(IWFSAVE_ALL);

    // Without the extra information both bytes stay 0.
    CZNIWFScene bare;
    ASSERT_EQ(Load(bare, withoutExtra, true), 0);
    EXPECT_EQ(bare.m_Overlays.at(0)->GetAutoRebuildFlag(), 0);
    EXPECT_EQ(bare.m_Overlays.at(0)->m_SurfacesOff, 0);
    bare.Clear(IWFSAVE_ALL);
}

TEST_F(DecalTest, AGroupedOverlayIsWrittenInsideItsGroupAndJoinsIt)
{
    CZNOverlay *overlay = document.NewOverlay({0, 0, 0});
    CZNGROUP *group = Group("Signs");
    group->AddChild(overlay);
    const IwfBytes bytes = Save({overlay}, IWFSAVE_ALL);
    const std::vector<IwfNode> top = IwfParse(bytes);
    EXPECT_EQ(Find(top, 0x21).id, 0);
    const IwfNode groupNode = Find(top, 0x10);
    const IwfNode *written = &groupNode;
    ASSERT_EQ(written->id, 0x10);
    EXPECT_EQ(IwfIds(written->children), (std::vector<uint16_t>{0x21}));

    CZNIWFScene scene;
    ASSERT_EQ(Load(scene, bytes, true), 0);
    ASSERT_EQ(scene.m_Groups.size(), 1u);
    ASSERT_EQ(scene.m_Overlays.size(), 1u);
    EXPECT_EQ(scene.m_Overlays[0]->GetGroup(), scene.m_Groups[0]);
    EXPECT_EQ(scene.m_Groups[0]->GetChild(0), scene.m_Overlays[0]);
    scene.Clear(IWFSAVE_ALL);
    overlay->FreeFromParent();
    groups.clear(); // deleted with the overlay's leaving
}

struct PlacementCase {
    const char *name;
    uint16_t parent;
    LONG code;
    bool grouped;
};

class DecalPlacementTest : public IwfSceneTest, public ::testing::WithParamInterface<PlacementCase>
{
};

TEST_P(DecalPlacementTest, JoinsOnlyAGroup)
{
    const PlacementCase &c = GetParam();
    IwfBody box = DecalBody(0x02, "Inner");
    box.F32(-1).F32(-1).F32(-1).F32(1).F32(1).F32(1);
    const IwfNode decal = IwfChunk(0x21, box.bytes);
    IwfBytes parentBody = c.parent == 0x10 ? IwfBody().U8(0).bytes
                          : c.parent == 0x21 ? DecalBody(0).bytes
                                             : IwfBody().U8(0).U32(0).U32(0).U32(0).bytes;
    if (c.parent == 0x30)
        parentBody = IwfBody().U32(0).bytes;
    IwfNode parent = IwfChunk(c.parent, parentBody, {decal});
    if (c.parent == 0x30)
        parent = IwfChunk(0x20, IwfBody().U8(0).U32(0).U32(0).U32(0).bytes, {parent});
    CZNIWFScene scene;
    EXPECT_EQ(Load(scene, IwfBuild({IwfSignature(), parent}), true), c.code);
    if (c.code == 0) {
        CZNOverlay *inner = nullptr;
        for (CZNOverlay *o : scene.m_Overlays)
            if (o->m_Name && std::strcmp(o->m_Name, "Inner") == 0)
                inner = o;
        ASSERT_NE(inner, nullptr);
        EXPECT_EQ(inner->GetGroup() != nullptr, c.grouped);
        ExpectNear(inner->GetCorner(1), D3DXVECTOR3(1, 1, 1));
    }
    scene.Clear(IWFSAVE_ALL);
}

INSTANTIATE_TEST_SUITE_P(Parents, DecalPlacementTest,
                         ::testing::Values(PlacementCase{"Group", 0x10, 0, true}, PlacementCase{"Mesh", 0x20, 0, false},
                                           PlacementCase{"DecalMesh", 0x21, 0, false},
                                           PlacementCase{"Surface", 0x30, static_cast<LONG>(ZNERR_IWF_NO_CHUNK), false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(DecalTest, ExtraInformationOutsideADecalIsOutOfPlace)
{
    const IwfNode extra = IwfChunk(0x2003, IwfBody().U8(1).U8(1).bytes, {}, "TOVRA");
    CZNIWFScene top;
    EXPECT_EQ(Load(top, IwfBuild({IwfSignature(), extra}), true), static_cast<LONG>(ZNERR_IWF_NO_CHUNK));
    top.Clear(IWFSAVE_ALL);
    CZNIWFScene inMesh;
    EXPECT_EQ(Load(inMesh, IwfBuild({IwfSignature(), IwfChunk(0x20, IwfBody().U8(0).U32(0).U32(0).U32(0).bytes, {extra})}),
                   true),
              static_cast<LONG>(ZNERR_IWF_NO_CHUNK));
    inMesh.Clear(IWFSAVE_ALL);
    // Cut short: one byte of two.
    CZNIWFScene shortBody;
    EXPECT_EQ(Load(shortBody, IwfBuild({IwfSignature(), IwfChunk(0x21, DecalBody(0).bytes,
                                                                 {IwfChunk(0x2003, IwfBody().U8(1).bytes, {}, "TOVRA")})}),
                   true),
              static_cast<LONG>(ZNERR_IWF_BAD_LENGTHS));
    shortBody.Clear(IWFSAVE_ALL);
}

TEST_F(DecalTest, AFlatBoxSavesAndLoadsWithoutHarm)
{
    // A box of no height has no inverse: its faces are stored relative to its centre.
    CZNOverlay *overlay = document.NewOverlay({0, 0, 0});
    overlay->Rebuild();
    ASSERT_EQ(overlay->GetFaceCount(), 1u);
    for (int k = 0; k < 8; ++k) {
        D3DXVECTOR3 c = overlay->GetCorner(k);
        c.y = 0;
        overlay->SetCorner(k, c);
    }
    const IwfBytes bytes = Save({overlay}, IWFSAVE_ALL);
    CZNIWFScene scene;
    ASSERT_EQ(Load(scene, bytes, true), 0);
    CZNOverlay *read = scene.m_Overlays.at(0);
    ASSERT_EQ(read->GetFaceCount(), 1u);
    for (short k = 0; k < read->GetFace(0)->GetVertexCount(); ++k) {
        const D3DXVECTOR3 p = read->GetFace(0)->GetVector(k);
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
    }
    for (int k = 0; k < 8; ++k)
        EXPECT_TRUE(std::isfinite(read->GetCorner(k).x));
    scene.Clear(IWFSAVE_ALL);
}

TEST_F(DecalTest, ADecalWithoutExtentsGetsTheDefaultBox)
{
    IwfBody body = DecalBody(0x01);
    D3DXMATRIX move;
    D3DXMatrixTranslation(&move, 100, 0, 0);
    for (auto &row : move.m)
        for (float v : row)
            body.F32(v);
    CZNIWFScene scene;
    ASSERT_EQ(Load(scene, IwfBuild({IwfSignature(), IwfChunk(0x21, body.bytes)}), true), 0);
    const ZNBBOX bounds = scene.m_Overlays.at(0)->GetBounds(0);
    ExpectNear(bounds.Min, D3DXVECTOR3(70, -30, -30));
    ExpectNear(bounds.Max, D3DXVECTOR3(130, 30, 30));
    scene.Clear(IWFSAVE_ALL);
}

TEST_F(DecalTest, ANameLongerThanTheBodyFailsCleanly)
{
    // The name claims 255 bytes of a 3-byte body; in a group the overlay must leave it again.
    IwfBody body;
    body.U8(255).Str("abc");
    for (bool grouped : {false, true}) {
        const IwfNode decal = IwfChunk(0x21, body.bytes);
        const IwfNode top = grouped ? IwfChunk(0x10, IwfBody().U8(0).bytes, {decal}) : decal;
        CZNIWFScene scene;
        EXPECT_EQ(Load(scene, IwfBuild({IwfSignature(), top}), true), static_cast<LONG>(ZNERR_IWF_BAD_LENGTHS));
        EXPECT_TRUE(scene.m_Overlays.empty());
        if (grouped) {
            ASSERT_EQ(scene.m_Groups.size(), 1u);
            EXPECT_EQ(scene.m_Groups[0]->GetChildCount(), 0u);
        }
        scene.Clear(IWFSAVE_ALL);
    }
}

TEST_F(DecalTest, TheWholeDocumentSaveWritesOverlays)
{
    CZNOverlay *overlay = document.NewOverlay({0, 0, 0});
    overlay->Rebuild();
    CZNMemoryStreamIO stream;
    stream.Open(nullptr, 0, ZNSTREAM_WRITE, false);
    CZNIWFScene scene;
    scene.SaveScene(stream, IWFSAVE_ALL & ~IWFSAVE_THUMBNAIL, nullptr);
    const std::vector<IwfNode> top = IwfParse(IwfStreamBytes(stream));
    const std::vector<uint16_t> ids = IwfIds(top);
    // Overlays follow the brushes.
    const auto mesh = std::find(ids.begin(), ids.end(), 0x20);
    const auto decal = std::find(ids.begin(), ids.end(), 0x21);
    ASSERT_NE(mesh, ids.end());
    ASSERT_NE(decal, ids.end());
    EXPECT_LT(mesh, decal);
}
