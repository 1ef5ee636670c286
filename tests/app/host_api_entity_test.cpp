// The host API's entity rows: counts, names and the selected flag by data block, and entities
// inside a named group for bounds and ray tests, the calling entity skipped.
#include <gtest/gtest.h>

#include <cstring>

#include "editor/editor_doc.h"
#include "scene/brush.h"
#include "scene/entity_fixture.h"
#include "scene/group.h"
#include "sdk/host_api.h"
#include "support/shapes.h"

namespace
{

class HostApiEntityTest : public ZnEntityPluginTest
{
protected:
    void TearDown() override
    {
        doc.reset();
        ZnEntityPluginTest::TearDown();
    }
    std::unique_ptr<CZNEDITORDoc> doc = std::make_unique<CZNEDITORDoc>();
};

TEST_F(HostApiEntityTest, CountsNamesAndSelection)
{
    EXPECT_EQ(TOVRA_GetEntityCount(), 0u);
    CZNEntity *light = doc->NewEntity(Plugin("light"), 0, 0, 0);
    CZNEntity *probe = doc->NewEntity(Plugin("ent_protocol"), 0, 0, 0);
    ASSERT_NE(light, nullptr);
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(TOVRA_GetEntityCount(), 2u);
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_TRUE(TOVRA_GetEntityName(1, buffer, 4));
    EXPECT_STREQ(buffer, "Prot");
    EXPECT_TRUE(TOVRA_GetEntityName(0, buffer, 10));
    EXPECT_STREQ(buffer, light->GetName());
    EXPECT_FALSE(TOVRA_GetEntityName(2, buffer, 10));

    probe->SetSelected(1);
    EXPECT_TRUE(TOVRA_IsEntitySelected(probe->GetData()));
    EXPECT_FALSE(TOVRA_IsEntitySelected(light->GetData()));
    EXPECT_FALSE(TOVRA_IsEntitySelected(buffer));
    EXPECT_FALSE(TOVRA_IsEntitySelected(nullptr));
}

TEST_F(HostApiEntityTest, EntitiesInAGroupCountForBoundsAndRaysButNeverTheCaller)
{
    ZNBRUSH *crate = doc->NewBrush();
    ZnBuildBox(*crate, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(10, 10, 10));
    CZNEntity *probe = doc->NewEntity(Plugin("ent_protocol"), 0, 0, 0);
    ASSERT_NE(probe, nullptr);
    // The entity's own box reaches to x = 30; its ray test hits at 25.
    const ZNBBOX own{D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(30, 10, 10)};
    Put<int32_t>(probe, 144, 1);
    Put(probe, 148, own);
    Put(probe, 172, 25.0f);
    auto *group = new CZNGROUP;
    char *name = new char[7];
    std::strcpy(name, "Holder");
    group->SetName(name);
    group->AddChild(crate);
    group->AddChild(probe);
    probe->SetGroup(group);

    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    ZNBBOX box;
    ASSERT_TRUE(TOVRA_GetObjectBounds("Holder", &box, &identity, nullptr));
    EXPECT_FLOAT_EQ(box.Max.x - box.Min.x, 30.0f); // centred: -15 to 15

    const D3DXVECTOR3 direction(1, 0, 0);
    float distance = 0;
    D3DXVECTOR3 hit;
    // A ray past the crate: only the entity's pick answers.
    const D3DXVECTOR3 high(-100, 100, 0);
    EXPECT_TRUE(TOVRA_IntersectObject("Holder", &identity, &high, &direction, &distance, &hit, nullptr));
    EXPECT_FLOAT_EQ(distance, 25.0f);

    // Called on behalf of that entity, it is left out.
    OVERRIDEDATA over{};
    over.Kind = 1;
    over.EntityData = probe->GetData();
    EXPECT_FALSE(TOVRA_IntersectObject("Holder", &identity, &high, &direction, &distance, &hit, &over));
    ASSERT_TRUE(TOVRA_GetObjectBounds("Holder", &box, &identity, &over));
    EXPECT_FLOAT_EQ(box.Max.x - box.Min.x, 10.0f);

    probe->FreeFromParent();
    crate->FreeFromParent();
}

} // namespace
