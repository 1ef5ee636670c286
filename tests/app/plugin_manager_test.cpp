#include <gtest/gtest.h>

#include <cstring>

#include "app/entity_plugin_manager.h"
#include "app/primitive_plugin_manager.h"
#include "platform/os/combo_box.h"
#include "plugin_fixture.h"

namespace
{

// The combo box the pages fill, as a list.
class ListCombo : public IZNComboBox
{
public:
    int GetCount() const override { return static_cast<int>(rows.size()); }
    int InsertString(int row, const char *text) override
    {
        row = std::max(0, std::min(row, GetCount()));
        rows.insert(rows.begin() + row, {text ? text : "", -1});
        return row;
    }
    int AddString(const char *text) override
    {
        rows.push_back({text ? text : "", -1});
        return GetCount() - 1;
    }
    void SetItemData(int row, intptr_t data) override { rows[row].second = data; }
    intptr_t GetItemData(int row) const override { return row >= 0 && row < GetCount() ? rows[row].second : -1; }
    void SetCurSel(int row) override { selected = row; }
    std::vector<std::pair<std::string, intptr_t>> rows;
    int selected = -2;
};

const char *kPrimitiveLog = "Privimtive Plugins (Debug Info).txt";
const char *kEntityLog = "Entity Plugins (Debug Info).txt";

const uint8_t kTovra[] = {'T', 'o', 'v', 'r', 'a'};
const uint8_t kTOVRA[] = {'T', 'O', 'V', 'R', 'A', 'X'};

} // namespace

using PluginManagers = PluginFolderTest;

TEST_F(PluginManagers, ShippedPluginsLoadInNameOrderWithCubeActive)
{
    Copy(Shipped("Primitives", "cube.so"), Primitives() / "cube.so");
    for (const char *file : {"reference.so", "light.so", "fog.so"})
        Copy(Shipped("Entities", file), Entities() / file);
    // A second copy of the reference: lookups must give the first.
    Copy(Shipped("Entities", "reference.so"), Entities() / "z_reference.so");

    CZNPrimitivePluginManager primitives;
    ASSERT_EQ(primitives.LoadPlugins(nullptr, Folder(Primitives()).c_str(), "*.SO"), 1);
    ASSERT_EQ(primitives.GetPluginCount(), 1);
    EXPECT_STREQ(primitives.GetPlugin(0)->Info.Name, "Cube");
    EXPECT_EQ(primitives.GetPlugin(0)->FileName, Folder(Primitives()) + "cube.so");
    EXPECT_NE(primitives.m_BuildBrush, nullptr);
    ListCombo primitiveBox;
    primitives.FillComboBox(&primitiveBox);
    ASSERT_EQ(primitiveBox.rows.size(), 1u);
    EXPECT_EQ(primitiveBox.rows[0].first, "Cube");
    EXPECT_EQ(primitiveBox.selected, 0);
    EXPECT_TRUE(HasLine(LogLines(kPrimitiveLog), "Primitive Plugins Loaded and initialized successfully"));

    CZNEntityPluginManager entities;
    ASSERT_EQ(entities.LoadPlugins(nullptr, Folder(Entities()).c_str(), "*.so"), 1);
    ASSERT_EQ(entities.GetPluginCount(), 4);
    const char *order[] = {"Fog", "Light", "Reference", "Reference"};
    for (int i = 0; i < 4; ++i)
        EXPECT_STREQ(entities.GetPlugin(i)->Info.TypeName, order[i]) << i;
    EXPECT_EQ(entities.GetActivePlugin(), 0);
    ListCombo entityBox;
    entities.FillComboBox(&entityBox);
    ASSERT_EQ(entityBox.rows.size(), 4u);
    EXPECT_EQ(entityBox.rows[0].first, "Light"); // the light first, the rest in load order
    EXPECT_EQ(entityBox.rows[1].first, "Fog");
    EXPECT_EQ(entities.GetActivePlugin(), 1);
    EXPECT_EQ(entityBox.selected, 0);
    EXPECT_EQ(entities.GetActiveComboIndex(&entityBox), 0);

    struct Lookup {
        const char *what;
        uint16_t type;
        const uint8_t *vendor;
        uint8_t length;
        int expected;
    } lookups[] = {
        {"light, empty id", 0x10, nullptr, 0, 1},
        {"light, empty id with a pointer", 0x10, kTovra, 0, 1},
        {"fog as Tovra", 516, kTovra, 5, 0},
        {"reference as TOVRA, first copy", 0x203, kTOVRA, 5, 2},
        {"reference as Tovra", 0x203, kTovra, 5, -1},
        {"vendor a prefix of the other, shorter", 0x203, kTOVRA, 4, -1},
        {"vendor a prefix of the other, longer", 0x203, kTOVRA, 6, -1},
        {"null vendor of length 5", 0x203, nullptr, 5, -1},
        {"unknown type", 0x999, nullptr, 0, -1},
    };
    for (const Lookup &l : lookups)
        EXPECT_EQ(entities.FindPlugin(l.type, l.vendor, l.length), l.expected) << l.what;

    // Template blocks: sizes and defaults.
    const ENTITYPLUGINRECORD *fog = entities.GetPlugin(0), *light = entities.GetPlugin(1),
                             *reference = entities.GetPlugin(2);
    EXPECT_EQ(fog->TemplateEntity.GetDataSize(), 64u);
    EXPECT_EQ(light->TemplateEntity.GetDataSize(), 144u);
    EXPECT_EQ(reference->TemplateEntity.GetDataSize(), 340u);
    EXPECT_EQ(light->TemplateEntity.GetType(), 1);
    float f;
    uint32_t u;
    const BYTE *fogData = fog->TemplateEntity.GetData();
    std::memcpy(&u, fogData + 48, 4);
    EXPECT_EQ(u, 3u); // linear vertex fog
    std::memcpy(&f, fogData + 52, 4);
    EXPECT_EQ(f, 2000.0f);
    std::memcpy(&f, fogData + 56, 4);
    EXPECT_EQ(f, 9900.0f);
    const BYTE *lightData = light->TemplateEntity.GetData();
    int32_t kind;
    std::memcpy(&kind, lightData + 64, 4);
    EXPECT_EQ(kind, 0);
    std::memcpy(&f, lightData + 68, 4);
    EXPECT_EQ(f, 1.0f); // white
    std::memcpy(&f, lightData + 116, 4);
    EXPECT_GT(f, 0.0f); // a range
    EXPECT_EQ(reference->TemplateEntity.GetData()[84], 0); // names nothing yet
}

TEST_F(PluginManagers, SetDataPointerGetsExactlyTheTemplateBlockAndUnloadCallsNothing)
{
    Copy(TestBuilt("ent_good"), Entities() / "probe.so");
    LibraryProbe probe(Entities() / "probe.so");
    ASSERT_TRUE(probe.Loaded());
    {
        CZNEntityPluginManager entities;
        ASSERT_EQ(entities.LoadPlugins(nullptr, Folder(Entities()).c_str(), "*.so"), 1);
        ENTITYPLUGINRECORD *record = entities.GetPlugin(0);
        EXPECT_EQ(*probe.Symbol<int>("g_SetDataPointerCalls"), 1);
        EXPECT_EQ(*probe.Symbol<CZNCONTAINER *>("g_Container"), &record->DataContainer);
        EXPECT_EQ(record->DataContainer.GetElementCount(), 1u);
        EXPECT_EQ(*probe.Symbol<void *>("g_FirstBlock"), record->TemplateEntity.GetData());
        EXPECT_EQ(record->TemplateEntity.GetData()[95], 0x5A); // the defaults were written
        EXPECT_EQ(record->TemplateEntity.GetData()[63], 0);
        const int before = *probe.Symbol<int>("g_Calls");
        entities.UnloadPlugins();
        EXPECT_EQ(entities.GetPluginCount(), 0);
        EXPECT_EQ(entities.GetPlugin(0), nullptr);
        EXPECT_EQ(*probe.Symbol<int>("g_Calls"), before);
    }
    EXPECT_EQ(*probe.Symbol<int>("g_DestroyCalls"), 0);
}

struct BrokenCase {
    const char *name;
    bool entity;
    const char *library; // test-built library; null for a text file named .so
    const char *line;    // the log line, exact when exact is set, else its start
    bool exact;
};

class BrokenPlugins : public PluginFolderTest, public ::testing::WithParamInterface<BrokenCase>
{
};

TEST_P(BrokenPlugins, AreSkippedAndTheNextFileTakesTheirRecord)
{
    const BrokenCase &c = GetParam();
    const fs::path folder = c.entity ? Entities() : Primitives();
    const fs::path broken = folder / "a_broken.so";
    if (c.library) {
        Copy(TestBuilt(c.library), broken);
    } else {
        std::ofstream(broken) << "not a library\n";
    }
    Copy(TestBuilt(c.entity ? "ent_good" : "prim_good"), folder / "b_good.so");

    std::vector<std::string> lines;
    if (c.entity) {
        CZNEntityPluginManager entities;
        ASSERT_EQ(entities.LoadPlugins(nullptr, Folder(folder).c_str(), "*.so"), 1);
        ASSERT_EQ(entities.GetPluginCount(), 1);
        EXPECT_EQ(entities.GetPlugin(0)->FileName, Folder(folder) + "b_good.so");
        EXPECT_EQ(entities.GetPlugin(0)->TemplateEntity.GetType(), 0);
        lines = LogLines(kEntityLog);
    } else {
        CZNPrimitivePluginManager primitives;
        ASSERT_EQ(primitives.LoadPlugins(nullptr, Folder(folder).c_str(), "*.so"), 1);
        ASSERT_EQ(primitives.GetPluginCount(), 1);
        EXPECT_EQ(primitives.GetPlugin(0)->FileName, Folder(folder) + "b_good.so");
        lines = LogLines(kPrimitiveLog);
    }
    if (c.exact)
        EXPECT_TRUE(HasLine(lines, c.line)) << c.line;
    else
        EXPECT_TRUE(HasLineStarting(lines, c.line)) << c.line;
    EXPECT_TRUE(m_Reporter.Entries().empty());
}

const char kVersionWarning[] = "*** WARNING *** Plugin 'a_broken.so' returned incorrect version number..... Load Failed";

INSTANTIATE_TEST_SUITE_P(
    Table, BrokenPlugins,
    ::testing::Values(
        BrokenCase{"PrimitiveTextFile", false, nullptr, "Plugin 'a_broken.so' could not be loaded: ", false},
        BrokenCase{"EntityTextFile", true, nullptr, "Plugin 'a_broken.so' could not be loaded: ", false},
        BrokenCase{"PrimitiveWithEntityVersion", false, "prim_entity_version", kVersionWarning, true},
        BrokenCase{"EntityWithPrimitiveVersion", true, "ent_primitive_version", kVersionWarning, true},
        BrokenCase{"PrimitiveWithoutBuildBrush", false, "prim_no_buildbrush",
                   "Plugin 'a_broken.so' has no BuildBrush. Load Failed", true},
        BrokenCase{"EntityWithoutSetDataPointer", true, "ent_no_setdatapointer",
                   "SetDataPointer function was not found. Unloading DLL", true},
        BrokenCase{"PrimitiveCallingMissingHostFunction", false, "prim_missing_host",
                   "Plugin 'a_broken.so' could not be loaded: ", false},
        BrokenCase{"EntityCallingMissingHostFunction", true, "ent_missing_host",
                   "Plugin 'a_broken.so' could not be loaded: ", false},
        BrokenCase{"PrimitiveWithNullName", false, "prim_null_name", "Plugin 'a_broken.so' gave no name. Load Failed",
                   true},
        BrokenCase{"EntityWithNullName", true, "ent_null_name", "Plugin 'a_broken.so' gave no type name. Load Failed",
                   true},
        BrokenCase{"EntityBlockBelowHead", true, "ent_small_block",
                   "Plugin 'a_broken.so' declares a data block of 32 bytes, below the 64-byte entity head. Load Failed",
                   true},
        BrokenCase{"EntityDataAboveBlock", true, "ent_data_above",
                   "Plugin 'a_broken.so' declares 80 bytes of data in a block of 64 bytes. Load Failed", true}),
    [](const ::testing::TestParamInfo<BrokenCase> &info) { return std::string(info.param.name); });

TEST_F(PluginManagers, OnlyBrokenPrimitivesIsFatal)
{
    Copy(TestBuilt("prim_entity_version"), Primitives() / "a.so");
    Copy(TestBuilt("prim_null_name"), Primitives() / "b.so");
    CZNPrimitivePluginManager primitives;
    EXPECT_EQ(primitives.LoadPlugins(nullptr, Folder(Primitives()).c_str(), "*.so"), 0);
    EXPECT_EQ(primitives.GetPluginCount(), 0);
    EXPECT_EQ(primitives.GetActivePlugin(), -1);
    ASSERT_EQ(m_Reporter.Entries().size(), 1u);
    EXPECT_EQ(m_Reporter.Entries()[0].text,
              "FATAL ERROR:\n\n Tovra is unable to find any Primitive plugins. Tovra can not operate without at least "
              "one primitive type.\n\n Click OK to Abort this Application.");
    EXPECT_TRUE(HasLine(LogLines(kPrimitiveLog), "PLUGIN ERROR : No Primitive Plugins could be located!!!"));
}

TEST_F(PluginManagers, AHundredAndOneCopiesLoadAHundred)
{
    for (int i = 0; i <= 100; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "probe%03d.so", i);
        Copy(TestBuilt("ent_good"), Entities() / name);
    }
    CZNEntityPluginManager entities;
    ASSERT_EQ(entities.LoadPlugins(nullptr, Folder(Entities()).c_str(), "*.so"), 1);
    EXPECT_EQ(entities.GetPluginCount(), 100);
    EXPECT_EQ(entities.GetPlugin(99)->FileName, Folder(Entities()) + "probe099.so");
    EXPECT_TRUE(HasLine(LogLines(kEntityLog), "Only 100 plugins are loaded: 'probe100.so' and the files after it are skipped"));
}

TEST_F(PluginManagers, ActivePluginChanges)
{
    Copy(TestBuilt("prim_good"), Primitives() / "a.so");
    Copy(Shipped("Primitives", "cube.so"), Primitives() / "b.so");
    CZNPrimitivePluginManager primitives;
    ASSERT_EQ(primitives.LoadPlugins(nullptr, Folder(Primitives()).c_str(), "*.so"), 1);
    EXPECT_EQ(primitives.GetActivePlugin(), 0);
    EXPECT_EQ(primitives.SetActivePlugin(-1), 0);
    EXPECT_EQ(primitives.SetActivePlugin(2), 0);
    EXPECT_EQ(primitives.GetActivePlugin(), 0);
    EXPECT_EQ(primitives.SetActivePlugin(0), 1);
    ListCombo box;
    primitives.FillComboBox(&box);
    ASSERT_EQ(box.rows.size(), 2u);
    EXPECT_EQ(box.rows[0].first, "Cube"); // loaded last, listed first and active
    EXPECT_EQ(box.rows[0].second, 1);
    EXPECT_EQ(primitives.GetActivePlugin(), 1);
    EXPECT_EQ(box.selected, 0);
}

TEST(EntityRecord, SetTypeAndAllocData)
{
    CZNEntity entity;
    EXPECT_EQ(entity.GetType(), -1);
    EXPECT_EQ(entity.GetLightIndex(), -1);
    entity.SetType(-5);
    EXPECT_EQ(entity.GetType(), 0);
    BYTE *block = entity.AllocData(80);
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 80; ++i)
        ASSERT_EQ(block[i], 0);
    float position[3] = {1.0f, 2.0f, 3.0f};
    std::memcpy(block + 48, position, sizeof(position));
    D3DXVECTOR3 p;
    entity.GetPosition(&p);
    EXPECT_EQ(p, D3DXVECTOR3(1.0f, 2.0f, 3.0f));
    entity.DetachFromPlugin(); // no plug-in at index 0 is told anything
}
