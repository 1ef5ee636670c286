// The entity model: the head's move, rotate and scale with the saved copy of a drag, the type,
// the bounds with and without the plug-in's, the plug-in told once before the block goes, a
// missing block, a fog entity's head left alone, and leaving a group.
#include <gtest/gtest.h>

#include <cmath>

#include "scene/entity_fixture.h"
#include "scene/group.h"

namespace
{

::testing::AssertionResult Near(const D3DXVECTOR3 &got, const D3DXVECTOR3 &want)
{
    if (std::fabs(got.x - want.x) < 1e-4f && std::fabs(got.y - want.y) < 1e-4f && std::fabs(got.z - want.z) < 1e-4f)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.x << ", " << got.y << ", " << got.z << ") is not (" << want.x
                                         << ", " << want.y << ", " << want.z << ")";
}

D3DXVECTOR3 Row(const D3DXMATRIX &m, int r)
{
    return D3DXVECTOR3(m.m[r][0], m.m[r][1], m.m[r][2]);
}

bool AllFinite(const D3DXMATRIX &m)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!std::isfinite(m.m[r][c]))
                return false;
    return true;
}

using EntityModelTest = ZnEntityPluginTest;

TEST_F(EntityModelTest, MoveFromSavedStartsEveryStepAgainAtTheSnapshot)
{
    CZNEntity *entity = Make("light", D3DXVECTOR3(10, 20, 30));
    const D3DXVECTOR3 d1(5, 0, 0), d2(0, -7, 2);
    entity->Move(&d1, 1);
    EXPECT_TRUE(entity->HasSavedData());
    entity->Move(&d2, 1);
    D3DXVECTOR3 position;
    entity->GetPosition(&position);
    EXPECT_EQ(position, D3DXVECTOR3(10, 13, 32));
    entity->FreeSavedData();
    EXPECT_FALSE(entity->HasSavedData());

    // Without the saved head the steps add up; only the position row changes.
    const D3DXMATRIX before = Head(entity);
    entity->Move(&d1, 0);
    entity->Move(&d1, 0);
    entity->GetPosition(&position);
    EXPECT_EQ(position, D3DXVECTOR3(20, 13, 32));
    const D3DXMATRIX after = Head(entity);
    EXPECT_EQ(std::memcmp(&before, &after, 48), 0);
}

TEST_F(EntityModelTest, RotateTurnsTheRowsAndThePositionAboutTheCentre)
{
    CZNEntity *entity = Make("light", D3DXVECTOR3(10, 0, 0));
    const D3DXMATRIX start = Head(entity);
    entity->Rotate(0, 0, 0, nullptr, 0);
    const D3DXMATRIX unchanged = Head(entity);
    EXPECT_EQ(std::memcmp(&start, &unchanged, sizeof(start)), 0);

    // 90 degrees about y with no centre: the place stays, the direction turns from +z to +x.
    entity->Rotate(0, 90, 0, nullptr, 0);
    D3DXMATRIX head = Head(entity);
    EXPECT_TRUE(Near(Row(head, 3), D3DXVECTOR3(10, 0, 0)));
    EXPECT_TRUE(Near(Row(head, 2), D3DXVECTOR3(1, 0, 0)));
    EXPECT_TRUE(Near(Row(head, 0), D3DXVECTOR3(0, 0, -1)));
    EXPECT_TRUE(Near(Row(head, 1), D3DXVECTOR3(0, 1, 0)));

    // About the origin, from the saved head: the second step replaces the first.
    const D3DXVECTOR3 origin(0, 0, 0);
    entity->Rotate(0, 45, 0, &origin, 1);
    entity->Rotate(0, 90, 0, &origin, 1);
    head = Head(entity);
    EXPECT_TRUE(Near(Row(head, 3), D3DXVECTOR3(0, 0, -10)));
    EXPECT_TRUE(Near(Row(head, 2), D3DXVECTOR3(0, 0, -1)));
}

struct ScaleCase {
    const char *name;
    ZNBBOX oldBox, newBox;
    D3DXVECTOR3 start, end;
    float rightX; // row 0's x after the scale
};

class EntityScaleTest : public ZnEntityPluginTest, public ::testing::WithParamInterface<ScaleCase>
{
};

TEST_P(EntityScaleTest, RefitsTheHead)
{
    const ScaleCase &c = GetParam();
    CZNEntity *entity = Make("light", c.start);
    entity->Scale(&c.newBox, &c.oldBox, 1);
    const D3DXMATRIX head = Head(entity);
    EXPECT_TRUE(AllFinite(head));
    EXPECT_TRUE(Near(Row(head, 3), c.end));
    EXPECT_FLOAT_EQ(head._11, c.rightX);
    EXPECT_FLOAT_EQ(head._22, 1.0f);
    EXPECT_FLOAT_EQ(head._33, 1.0f);
    // A second step from the saved head gives the same.
    entity->Scale(&c.newBox, &c.oldBox, 1);
    EXPECT_TRUE(Near(Row(Head(entity), 3), c.end));
    EXPECT_FLOAT_EQ(Head(entity)._11, c.rightX);
}

const ZNBBOX kBox{D3DXVECTOR3(-10, -10, -10), D3DXVECTOR3(10, 10, 10)};

INSTANTIATE_TEST_SUITE_P(
    Boxes, EntityScaleTest,
    ::testing::Values(
        ScaleCase{"SameBox", kBox, ZNBBOX{D3DXVECTOR3(-10.005f, -10, -10), D3DXVECTOR3(10, 10.005f, 10)},
                  D3DXVECTOR3(5, 5, 5), D3DXVECTOR3(5, 5, 5), 1.0f},
        ScaleCase{"MaxSideMoved", ZNBBOX{D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(10, 10, 10)},
                  ZNBBOX{D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(20, 10, 10)}, D3DXVECTOR3(5, 5, 5), D3DXVECTOR3(10, 5, 5),
                  2.0f},
        // Both sides move: the head is scaled once and t comes from the position before the axis.
        ScaleCase{"BothSidesMoved", kBox, ZNBBOX{D3DXVECTOR3(-20, -10, -10), D3DXVECTOR3(20, 10, 10)},
                  D3DXVECTOR3(5, 0, 0), D3DXVECTOR3(10, 0, 0), 2.0f},
        // A flat old box is not divided: the entity goes with the side that moved.
        ScaleCase{"FlatAxisMaxMoved", ZNBBOX{D3DXVECTOR3(0, -10, -10), D3DXVECTOR3(0, 10, 10)},
                  ZNBBOX{D3DXVECTOR3(0, -10, -10), D3DXVECTOR3(10, 10, 10)}, D3DXVECTOR3(0, 0, 0),
                  D3DXVECTOR3(10, 0, 0), 1.0f},
        ScaleCase{"FlatAxisMinMoved", ZNBBOX{D3DXVECTOR3(0, -10, -10), D3DXVECTOR3(0.005f, 10, 10)},
                  ZNBBOX{D3DXVECTOR3(-8, -10, -10), D3DXVECTOR3(0.005f, 10, 10)}, D3DXVECTOR3(0, 0, 0),
                  D3DXVECTOR3(-8, 0, 0), 1.0f}),
    [](const ::testing::TestParamInfo<ScaleCase> &info) { return std::string(info.param.name); });

TEST_F(EntityModelTest, SetTypeStoresNegativeValuesAsZero)
{
    CZNEntity entity;
    EXPECT_EQ(entity.GetType(), -1);
    entity.SetType(-5);
    EXPECT_EQ(entity.GetType(), 0);
    entity.SetType(3);
    EXPECT_EQ(entity.GetType(), 3);
    entity.DetachFromPlugin();
}

TEST_F(EntityModelTest, BoundsAreThePluginsBoxOrThePointBox)
{
    const D3DXVECTOR3 p(1, 2, 3);
    CZNEntity *light = Make("light", p); // no GetEntityBounds
    ZNBBOX box = light->GetBounds(0, nullptr);
    EXPECT_EQ(box.Min, p);
    EXPECT_EQ(box.Max, p);

    CZNEntity *probe = Make("ent_protocol", p);
    box = probe->GetBounds(0, nullptr); // the plug-in answers 0
    EXPECT_EQ(box.Min, p);
    EXPECT_EQ(box.Max, p);
    const ZNBBOX own{D3DXVECTOR3(-4, -5, -6), D3DXVECTOR3(7, 8, 9)};
    Put<int32_t>(probe, 144, 1);
    Put(probe, 148, own);
    box = probe->GetBounds(0, nullptr);
    EXPECT_EQ(box.Min, own.Min);
    EXPECT_EQ(box.Max, own.Max);
    box = probe->GetBounds(1, nullptr); // position only
    EXPECT_EQ(box.Min, p);
    EXPECT_EQ(box.Max, p);
}

TEST_F(EntityModelTest, DestroyEntityIsCalledOnceBeforeTheBlockIsFreed)
{
    auto probe = Probe("ent_protocol");
    int *calls = probe->Symbol<int>("g_DestroyCalls");
    int *tail = probe->Symbol<int>("g_DestroyedTail");
    ASSERT_NE(calls, nullptr);
    ASSERT_NE(tail, nullptr);
    const int before = *calls;
    CZNEntity *entity = Make("ent_protocol");
    ENTITYPLUGINRECORD *record = Manager()->GetPlugin(Plugin("ent_protocol"));
    // The block is among the plug-in's working blocks, as the Entities page hands them over.
    record->DataContainer.AddElement(entity->GetData());
    entity->SaveData(); // a drag that never ended
    entities.clear();
    EXPECT_EQ(*calls, before + 1);
    EXPECT_EQ(*tail, 0x77); // the plug-in saw the block's own bytes
    ASSERT_EQ(record->DataContainer.GetElementCount(), 1u);
    EXPECT_EQ(record->DataContainer.GetElement(0), record->TemplateEntity.GetData());

    // An entity without a block is not told.
    entities.push_back(std::make_unique<CZNEntity>());
    entities.back()->SetType(Plugin("ent_protocol"));
    entities.clear();
    EXPECT_EQ(*calls, before + 1);
}

TEST_F(EntityModelTest, AMissingBlockIsTolerated)
{
    CZNEntity entity;
    entity.SetType(Plugin("ent_protocol"));
    const D3DXVECTOR3 d(1, 1, 1);
    const ZNBBOX a{D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1)}, b{D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(2, 2, 2)};
    entity.Move(&d, 1);
    entity.Rotate(10, 20, 30, nullptr, 1);
    entity.Scale(&b, &a, 1);
    entity.RestoreSavedData();
    entity.FreeSavedData();
    D3DXVECTOR3 position(9, 9, 9);
    entity.GetPosition(&position);
    EXPECT_EQ(position, D3DXVECTOR3(0, 0, 0));
    const ZNBBOX box = entity.GetBounds(0, nullptr);
    EXPECT_EQ(box.Min, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(box.Max, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(entity.GetData(), nullptr);
}

TEST_F(EntityModelTest, AFogEntitysHeadIsNeverWritten)
{
    CZNEntity *fog = Make("fog");
    ASSERT_EQ(fog->IsBuiltInKindC(), 1);
    BYTE before[64];
    std::memcpy(before, fog->GetData(), 64);
    const D3DXVECTOR3 d(100, 50, -25);
    const ZNBBOX a{D3DXVECTOR3(-10, -10, -10), D3DXVECTOR3(10, 10, 10)}, b{D3DXVECTOR3(-30, -10, -10), D3DXVECTOR3(30, 10, 10)};
    fog->Move(&d, 1);
    fog->Move(&d, 0);
    fog->Rotate(0, 90, 45, nullptr, 1);
    fog->Scale(&b, &a, 0);
    EXPECT_EQ(std::memcmp(before, fog->GetData(), 64), 0);
    EXPECT_FLOAT_EQ(*reinterpret_cast<const float *>(fog->GetData() + 52), 2000.0f);
}

TEST_F(EntityModelTest, LeavingItsGroupDeletesAnEmptyRoot)
{
    CZNEntity *entity = Make("light");
    CZNEntity *other = Make("light");
    auto *root = new CZNGROUP();
    auto *inner = new CZNGROUP();
    root->AddChild(inner);
    inner->AddChild(entity);
    root->AddChild(other);
    entity->SetGroup(inner);
    other->SetGroup(root);
    entity->FreeFromParent();
    EXPECT_EQ(entity->GetGroup(), nullptr);
    EXPECT_EQ(root->GetChildCount(), 1u); // the empty inner group went
    other->FreeFromParent();              // and now the root goes too
    EXPECT_EQ(other->GetGroup(), nullptr);
}

} // namespace
