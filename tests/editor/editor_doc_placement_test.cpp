// The document's placements without a view: a Cube of the shipped primitive plug-in, an overlay,
// a light of the shipped entity plug-in and a prefab file, each named with the first free number
// and kept as one undo level; and placements that fail, which leave the scene and the undo list
// as they were.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <fstream>
#include <functional>
#include <string>

#include "app/editor_app.h"
#include "app/primitive_plugin_manager.h"
#include "scene/brush.h"
#include "scene/entity.h"
#include "scene/overlay.h"
#include "support/entity_plugins.h"
#include "support/temp_dir.h"
#include "undo_fixture.h"

namespace
{

// The shipped Cube plug-in loaded as the application's active primitive plug-in for one test.
class ZnCubePlugin
{
public:
    ZnCubePlugin()
    {
        // The manager's log goes nowhere: no test shares a log file.
        const std::string saved = GetEditorApp()->GetProgramDirectory();
        GetEditorApp()->SetProgramDirectory(std::string(ZN_TEST_TMP_DIR) + "/no such folder/");
        Manager()->UnloadPlugins();
        Manager()->LoadPlugins(nullptr, (std::string(ZN_SHIPPED_PLUGIN_DIR) + "/Primitives/").c_str(), "cube.so");
        GetEditorApp()->SetProgramDirectory(saved);
    }
    ~ZnCubePlugin() { Manager()->UnloadPlugins(); }
    ZnCubePlugin(const ZnCubePlugin &) = delete;
    ZnCubePlugin &operator=(const ZnCubePlugin &) = delete;

    static CZNPrimitivePluginManager *Manager() { return GetEditorApp()->GetPrimitivePluginManager(); }
    static PFNBUILDBRUSH Build() { return Manager()->m_BuildBrush; }
    static const char *Name()
    {
        const PRIMITIVEPLUGINRECORD *record = Manager()->GetPlugin(Manager()->GetActivePlugin());
        return record ? record->Info.Name : nullptr;
    }
};

// A test-built primitive plug-in's BuildBrush, opened by the test: "prim_good" builds an empty
// brush, which fails validation; "prim_null_brush" builds none.
class ZnTestPrimitive
{
public:
    explicit ZnTestPrimitive(const char *name)
        : m_Handle(dlopen((std::string(ZN_TEST_PLUGIN_DIR) + "/" + name + ".so").c_str(), RTLD_NOW | RTLD_LOCAL))
    {
    }
    ~ZnTestPrimitive()
    {
        if (m_Handle)
            dlclose(m_Handle);
    }
    ZnTestPrimitive(const ZnTestPrimitive &) = delete;
    ZnTestPrimitive &operator=(const ZnTestPrimitive &) = delete;

    PFNBUILDBRUSH Build() const
    {
        return m_Handle ? reinterpret_cast<PFNBUILDBRUSH>(dlsym(m_Handle, "BuildBrush")) : nullptr;
    }

private:
    void *m_Handle;
};

// What a placement leaves: the object counts of the three lists and the newest undo record.
struct SceneState {
    int brushes = 0, overlays = 0, entities = 0;
    ZNUNDORECORD *newestUndo = nullptr;
    bool operator==(const SceneState &) const = default;
};

template <class T> int Count(T *first)
{
    int n = 0;
    for (T *o = first; o; o = o->m_Next)
        ++n;
    return n;
}

class PlacementTest : public UndoTest
{
protected:
    void SetUp() override
    {
        UndoTest::SetUp();
        ASSERT_NE(ZnCubePlugin::Build(), nullptr);
        ASSERT_STREQ(ZnCubePlugin::Name(), "Cube");
        ASSERT_NE(emptyBrush.Build(), nullptr);
        ASSERT_NE(noBrush.Build(), nullptr);
    }

    SceneState State() const
    {
        return {Count(doc->GetBrushList()), Count(doc->GetOverlayList()), Count(doc->GetEntityList()),
                doc->GetUndoList()};
    }
    // Undo levels: records that begin one.
    int LevelCount() const
    {
        int n = 0;
        for (ZNUNDORECORD *r = doc->GetUndoList(); r; r = r->Next)
            n += r->Continuation == 0;
        return n;
    }
    // A prefab file of one 32-unit cube named "Crate01" beside the test's other files.
    std::string CratePrefab()
    {
        ZNBRUSH *crate = Box({0, 0, 0}, {32, 32, 32});
        crate->m_Name = new char[8];
        std::strcpy(crate->m_Name, "Crate01");
        const std::string path = dir.File("crate.iwf");
        EXPECT_TRUE(doc->OnSaveDocument(path.c_str()));
        doc->DeleteContents();
        return path;
    }

    ZnEntityPlugins entities; // outlive the document
    ZnCubePlugin cube;

public:
    ZnTempDir dir;
    ZnTestPrimitive emptyBrush{"prim_good"}, noBrush{"prim_null_brush"};
};

// One kind of placement: where its objects are listed, how it places one at a point (returning the
// object, or for a prefab the newest brush), and the name of what the second placement adds.
struct PlaceCase {
    const char *name;
    std::function<void *(PlacementTest &, CZNEDITORDoc &, const D3DXVECTOR3 &)> place;
    std::function<const char *(void *)> nameOf;
    const char *description;
    const char *first, *second;
};

void PrintTo(const PlaceCase &c, std::ostream *os)
{
    *os << c.name;
}

class PlaceKindTest : public PlacementTest, public ::testing::WithParamInterface<PlaceCase>
{
};

TEST_P(PlaceKindTest, NamesTheFirstFreeNumberAsOneUndoLevelThatUndoTakesBack)
{
    const PlaceCase &c = GetParam();
    CratePrefab();
    const SceneState empty = State();
    ASSERT_EQ(empty.newestUndo, nullptr);

    void *first = c.place(*this, *doc, D3DXVECTOR3(0, 0, 0));
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(c.nameOf(first), c.first);
    ASSERT_NE(doc->GetUndoList(), nullptr);
    EXPECT_STREQ(doc->GetUndoList()->Description, c.description);
    EXPECT_EQ(LevelCount(), 1);
    const SceneState once = State();

    void *second = c.place(*this, *doc, D3DXVECTOR3(200, 0, 0));
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_STREQ(c.nameOf(second), c.second);
    EXPECT_EQ(LevelCount(), 2);

    // Each Undo takes one placement back.
    EXPECT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(State(), once);
    EXPECT_STREQ(c.nameOf(first), c.first);
    EXPECT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(State(), empty);
}

const char *BrushName(void *o)
{
    return static_cast<ZNBRUSH *>(o)->m_Name;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PlaceKindTest,
    ::testing::Values(
        PlaceCase{"Primitive",
                  [](PlacementTest &, CZNEDITORDoc &d, const D3DXVECTOR3 &p) -> void * {
                      return d.PlacePrimitive(ZnCubePlugin::Build(), ZnCubePlugin::Name(), p, 60.0f);
                  },
                  BrushName, "Add Primitive", "Cube01", "Cube02"},
        PlaceCase{"Overlay",
                  [](PlacementTest &, CZNEDITORDoc &d, const D3DXVECTOR3 &p) -> void * { return d.PlaceOverlay(p); },
                  [](void *o) -> const char * { return static_cast<CZNOverlay *>(o)->m_Name; }, "Add Overlay",
                  "Overlay01", "Overlay02"},
        PlaceCase{"Entity",
                  [](PlacementTest &, CZNEDITORDoc &d, const D3DXVECTOR3 &p) -> void * {
                      return d.PlaceEntity(ZnEntityPlugins::kLight, p);
                  },
                  [](void *o) { return static_cast<CZNEntity *>(o)->GetName(); }, "Add Entity", "Light01", "Light02"},
        // A prefab's objects keep the names its file gives them.
        PlaceCase{"Prefab",
                  [](PlacementTest &t, CZNEDITORDoc &d, const D3DXVECTOR3 &p) -> void * {
                      return d.PlacePrefab(t.dir.File("crate.iwf").c_str(), p) ? d.GetLastBrush() : nullptr;
                  },
                  BrushName, "Import Objects", "Crate01", "Crate01"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(PlacementTest, APrimitiveLandsCentredOnThePointWithTheSizeGiven)
{
    ZNBRUSH *brush = doc->PlacePrimitive(ZnCubePlugin::Build(), ZnCubePlugin::Name(), D3DXVECTOR3(10, 50, -20), 60.0f);
    ASSERT_NE(brush, nullptr);
    const ZNBBOX box = brush->GetBoundingBox(1);
    EXPECT_EQ(box.Min, D3DXVECTOR3(-20, 20, -50));
    EXPECT_EQ(box.Max, D3DXVECTOR3(40, 80, 10));
}

TEST_F(PlacementTest, APrefabLandsCentredOnThePoint)
{
    const std::string prefab = CratePrefab();
    ASSERT_EQ(doc->PlacePrefab(prefab.c_str(), D3DXVECTOR3(100, 0, 0)), 1);
    const ZNBBOX box = doc->GetBrushList()->GetBoundingBox(1);
    EXPECT_EQ(box.Min, D3DXVECTOR3(84, -16, -16));
    EXPECT_EQ(box.Max, D3DXVECTOR3(116, 16, 16));
}

// A plug-in name longer than any fixed buffer still numbers on instead of repeating one name.
TEST_F(PlacementTest, LongNamesCountOnLikeShortOnes)
{
    const std::string base(400, 'W');
    ZNBRUSH *a = doc->PlacePrimitive(ZnCubePlugin::Build(), base.c_str(), D3DXVECTOR3(0, 0, 0), 60.0f);
    ZNBRUSH *b = doc->PlacePrimitive(ZnCubePlugin::Build(), base.c_str(), D3DXVECTOR3(0, 0, 0), 60.0f);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(std::string(a->m_Name), base + "01");
    EXPECT_EQ(std::string(b->m_Name), base + "02");
}

struct FailCase {
    const char *name;
    std::function<void(PlacementTest &, CZNEDITORDoc &)> place;
};

void PrintTo(const FailCase &c, std::ostream *os)
{
    *os << c.name;
}

class PlaceFailTest : public PlacementTest, public ::testing::WithParamInterface<FailCase>
{
};

TEST_P(PlaceFailTest, LeavesTheListsAndTheUndoListAsTheyWere)
{
    // A scene with one of each kind and one undo level already.
    ASSERT_NE(doc->PlacePrimitive(ZnCubePlugin::Build(), ZnCubePlugin::Name(), D3DXVECTOR3(0, 0, 0), 60.0f), nullptr);
    ASSERT_NE(doc->PlaceOverlay(D3DXVECTOR3(0, 0, 0)), nullptr);
    ASSERT_NE(doc->PlaceEntity(ZnEntityPlugins::kLight, D3DXVECTOR3(0, 0, 0)), nullptr);
    const SceneState before = State();
    GetParam().place(*this, *doc);
    EXPECT_EQ(State(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, PlaceFailTest,
    ::testing::Values(
        // A brush without faces fails validation and is deleted again.
        FailCase{"BrushFailingValidation",
                 [](PlacementTest &t, CZNEDITORDoc &d) {
                     EXPECT_EQ(d.PlacePrimitive(t.emptyBrush.Build(), "Prism", D3DXVECTOR3(0, 0, 0), 60.0f), nullptr);
                 }},
        FailCase{"NoBrushBuilt",
                 [](PlacementTest &t, CZNEDITORDoc &d) {
                     EXPECT_EQ(d.PlacePrimitive(t.noBrush.Build(), "Prism", D3DXVECTOR3(0, 0, 0), 60.0f), nullptr);
                 }},
        FailCase{"NoBuildEntryPoint",
                 [](PlacementTest &, CZNEDITORDoc &d) {
                     EXPECT_EQ(d.PlacePrimitive(nullptr, "Cube", D3DXVECTOR3(0, 0, 0), 60.0f), nullptr);
                 }},
        FailCase{"NoPrimitiveName",
                 [](PlacementTest &, CZNEDITORDoc &d) {
                     EXPECT_EQ(d.PlacePrimitive(ZnCubePlugin::Build(), nullptr, D3DXVECTOR3(0, 0, 0), 60.0f), nullptr);
                 }},
        // The plug-in builds into the current document; another document places nothing.
        FailCase{"DocumentNotCurrent",
                 [](PlacementTest &, CZNEDITORDoc &d) {
                     {
                         CZNEDITORDoc other;
                         EXPECT_EQ(d.PlacePrimitive(ZnCubePlugin::Build(), "Cube", D3DXVECTOR3(0, 0, 0), 60.0f),
                                   nullptr);
                         EXPECT_EQ(other.GetBrushList(), nullptr);
                     }
                     GetEditorApp()->SetDocument(&d);
                 }},
        FailCase{"EntityOfNoPlugin",
                 [](PlacementTest &, CZNEDITORDoc &d) {
                     EXPECT_EQ(d.PlaceEntity(99, D3DXVECTOR3(0, 0, 0)), nullptr);
                     EXPECT_EQ(d.PlaceEntity(-1, D3DXVECTOR3(0, 0, 0)), nullptr);
                 }},
        FailCase{"PrefabFileMissing",
                 [](PlacementTest &t, CZNEDITORDoc &d) {
                     EXPECT_EQ(d.PlacePrefab(t.dir.File("gone.iwf").c_str(), D3DXVECTOR3(0, 0, 0)), 0);
                 }},
        FailCase{"PrefabNotAScene",
                 [](PlacementTest &t, CZNEDITORDoc &d) {
                     const std::string path = t.dir.File("noise.iwf");
                     std::ofstream(path, std::ios::binary) << "this is not a scene file at all";
                     EXPECT_EQ(d.PlacePrefab(path.c_str(), D3DXVECTOR3(0, 0, 0)), 0);
                 }},
        FailCase{"PrefabWithoutPath",
                 [](PlacementTest &, CZNEDITORDoc &d) { EXPECT_EQ(d.PlacePrefab(nullptr, D3DXVECTOR3(0, 0, 0)), 0); }}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
