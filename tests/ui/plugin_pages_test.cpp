// The Primitives and Entities pages with the plug-ins' own controls in their hosts: the test-built
// plug-ins with controls (a primitive 600 pixels tall, one 100 pixels tall with a picture, a light
// entity recording its calls), the shipped ones, and the editor closed in-process with them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/entity_plugin_manager.h"
#include "app/primitive_plugin_manager.h"
#include "platform/os/recording_reporter.h"
#include "render/direct3d.h"
#include "scene/entity.h"
#include "sdk/host_api.h"
#include "support/entity_plugins.h"
#include "support/temp_dir.h"
#include "support/widget_app.h"
#include "ui/entities_page.h"
#include "ui/options_panel_fixture.h"
#include "ui/plugin_host.h"
#include "ui/primitives_page.h"
#include "ui/qt_app_shell.h"

namespace fs = std::filesystem;

namespace
{

constexpr int kHostHeight = 238; // the host's client height inside its sunken edge
constexpr float kRecorderDefaultRange = 100.0f;
constexpr int kLightRange = 116; // byte offset of a light block's range
constexpr int kLightKind = 64;

float RangeOf(const void *block)
{
    float range;
    std::memcpy(&range, static_cast<const char *>(block) + kLightRange, sizeof(range));
    return range;
}

int32_t KindOf(const void *block)
{
    int32_t kind;
    std::memcpy(&kind, static_cast<const char *>(block) + kLightKind, sizeof(kind));
    return kind;
}

QImage Pixels(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

QImage ProgramPicture(const std::string &name)
{
    return QImage(QString::fromStdString(std::string(ZN_PROGRAM_DIR) + "/Resources/" + name))
        .convertToFormat(QImage::Format_RGB32);
}

// A variable of a loaded test-built plug-in, by its path.
template <typename T> T *PluginVariable(const std::string &path, const char *name)
{
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return nullptr;
    void *symbol = dlsym(handle, name);
    dlclose(handle);
    return static_cast<T *>(symbol);
}

std::string TestPlugin(const std::string &name)
{
    return std::string(ZN_TEST_PLUGIN_DIR) + "/" + name + ".so";
}

// The row of the list with that text chosen, as a click in the drop-down list does.
void ChooseRow(QComboBox *combo, const QString &text)
{
    const int row = combo->findText(text);
    ASSERT_GE(row, 0) << text.toStdString();
    combo->setCurrentIndex(row);
    emit combo->activated(row);
}

} // namespace

// The main window with the Qt shell routing plug-in commands; primitive plug-ins loaded by the
// test, entity plug-ins held until the window has gone (their widgets' code is theirs).
class PluginPagesTest : public ZnOptionsPanelTest
{
protected:
    void SetUp() override
    {
        ZnOptionsPanelTest::SetUp();
        GetEditorApp()->SetShell(&shell);
    }
    void TearDown() override
    {
        GetEditorApp()->SetShell(nullptr);
        ZnOptionsPanelTest::TearDown();
        entities.reset();
        Primitives()->UnloadPlugins();
    }

    static CZNPrimitivePluginManager *Primitives() { return GetEditorApp()->GetPrimitivePluginManager(); }
    static CZNEntityPluginManager *Entities() { return GetEditorApp()->GetEntityPluginManager(); }
    // Loads the libraries of folder matching mask after those loaded already; the log goes nowhere.
    static void LoadPrimitives(const std::string &folder, const std::string &mask)
    {
        const std::string saved = GetEditorApp()->GetProgramDirectory();
        GetEditorApp()->SetProgramDirectory(std::string(ZN_TEST_TMP_DIR) + "/no such folder/");
        Primitives()->LoadPlugins(nullptr, (folder + "/").c_str(), mask.c_str());
        GetEditorApp()->SetProgramDirectory(saved);
    }
    void LoadEntities(const std::vector<std::string> &testBuilt = {}) { entities.emplace(testBuilt); }

    CZNPrimitivesPage *PrimitivesPage() const { return Sheet()->GetPrimitivesPage(); }
    CZNEntitiesPage *EntitiesPage() const { return Sheet()->GetEntitiesPage(); }
    static void Choose(QComboBox *combo, const QString &text) { ChooseRow(combo, text); }
    CZNEntity *PlaceLight(int plugin, const D3DXVECTOR3 &at)
    {
        CZNEntity *entity = doc->NewEntity(plugin, at.x, at.y, at.z);
        return entity;
    }
    // The entity selected, and the page refreshed as a click in a view does.
    void Select(CZNEntity *entity)
    {
        Add(ZNSELECT_ENTITY, entity);
        Sheet()->RefreshActivePage();
    }
    template <typename T> static T *Recorded(const char *name)
    {
        return PluginVariable<T>(TestPlugin("ent_recorder"), name);
    }

    CZNQtAppShell shell{nullptr};
    std::optional<ZnEntityPlugins> entities;
};

TEST_F(PluginPagesTest, TheHostSliderCoversTheControlsAndScrollsTallOnesOnly)
{
    LoadPrimitives(ZN_TEST_PLUGIN_DIR, "prim_short.so");
    LoadPrimitives(ZN_TEST_PLUGIN_DIR, "prim_tall.so");
    CZNPrimitivesPage *page = PrimitivesPage();
    Sheet()->SetActivePage(CZNOptionsSheet::PAGE_PRIMITIVES);
    struct Case {
        const char *name;
        int height;
    };
    for (const Case c : {Case{"Short", 100}, Case{"Tall", 600}}) {
        SCOPED_TRACE(c.name);
        Choose(page->GetCombo(), QString::fromLatin1(c.name));
        CZNPluginHost *host = page->GetHost();
        ASSERT_NE(host, nullptr);
        EXPECT_EQ(host->height(), kHostHeight);
        QWidget *panel = host->findChild<QWidget *>(QStringLiteral("ProbePanel"));
        ASSERT_NE(panel, nullptr);
        CZNSliderCtrl *slider = page->GetHostSlider();
        EXPECT_EQ(slider->Metrics().GetMax(), std::max(c.height, kHostHeight));
        EXPECT_EQ(slider->Metrics().GetPage(), kHostHeight);
        EXPECT_EQ(slider->Metrics().GetPos(), 0);

        const QPoint grab = slider->GetThumbWidgetRect().center();
        QTest::mousePress(slider, Qt::LeftButton, {}, grab);
        QTest::mouseMove(slider, grab + QPoint(0, 40));
        const int position = static_cast<int>(slider->Metrics().GetPos());
        QTest::mouseRelease(slider, Qt::LeftButton, {}, grab + QPoint(0, 40));
        if (c.height > kHostHeight)
            EXPECT_GT(position, 0);
        else
            EXPECT_EQ(position, 0);
        EXPECT_EQ(page->GetHostOffset(), -position);
        EXPECT_EQ(panel->y(), -position);
    }
}

TEST_F(PluginPagesTest, AButtonClickReachesThePrimitivesCommandAndAPluginWithoutHooksGetsAnEmptyHost)
{
    LoadPrimitives(ZN_TEST_PLUGIN_DIR, "prim_tall.so");
    LoadPrimitives(ZN_TEST_PLUGIN_DIR, "prim_good.so");
    CZNPrimitivesPage *page = PrimitivesPage();
    Sheet()->SetActivePage(CZNOptionsSheet::PAGE_PRIMITIVES);
    Choose(page->GetCombo(), QStringLiteral("Tall"));
    auto *button = page->GetHost()->findChild<QPushButton *>(QStringLiteral("ProbeButton"));
    ASSERT_NE(button, nullptr);
    // The library may stay loaded from an earlier test: its counts are read as differences.
    const std::string tall = TestPlugin("prim_tall");
    const int commands = *PluginVariable<int>(tall, "g_CommandCalls");
    const int destroyed = *PluginVariable<int>(tall, "g_DestroyCalls");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(*PluginVariable<int>(tall, "g_CommandCalls"), commands + 1);
    EXPECT_EQ(*PluginVariable<WPARAM>(tall, "g_LastWParam"), MAKEWPARAM(7, BN_CLICKED));
    EXPECT_EQ(*PluginVariable<LPARAM>(tall, "g_LastLParam"), reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(TOVRA_HostCommand(button, MAKEWPARAM(7, BN_CLICKED), 0), 3);
    // A widget in no host.
    QPushButton loose;
    EXPECT_EQ(TOVRA_HostCommand(&loose, MAKEWPARAM(7, BN_CLICKED), 0), 0);

    // "Prism" exports no control hooks: nothing in its host, and its commands give 0.
    Choose(page->GetCombo(), QStringLiteral("Prism"));
    EXPECT_EQ(*PluginVariable<int>(tall, "g_DestroyCalls"), destroyed + 1);
    CZNPluginHost *host = page->GetHost();
    EXPECT_TRUE(host->findChildren<QWidget *>().isEmpty());
    EXPECT_EQ(page->GetHostSlider()->Metrics().GetMax(), kHostHeight);
    auto *stray = new QPushButton(host);
    EXPECT_EQ(TOVRA_HostCommand(stray, MAKEWPARAM(7, BN_CLICKED), 0), 0);
    EXPECT_EQ(*PluginVariable<int>(tall, "g_CommandCalls"), commands + 2);
}

TEST_F(PluginPagesTest, TheEntityHostRebuildsTheSelectedLightsAroundTheCommandAndRedrawsOnlyWhenAsked)
{
    LoadEntities({"ent_recorder"});
    const int recorder = 3;
    Sheet()->SetActivePage(CZNOptionsSheet::PAGE_ENTITIES);
    CZNEntitiesPage *page = EntitiesPage();
    Choose(page->GetCombo(), QStringLiteral("Recorder"));
    ASSERT_EQ(Entities()->GetActivePlugin(), recorder);
    auto *button = page->GetHost()->findChild<QPushButton *>(QStringLiteral("ProbeButton"));
    ASSERT_NE(button, nullptr);

    // Nothing selected: the command still runs, on the template.
    *Recorded<float>("g_WriteValue") = 40.0f;
    const int commands = *Recorded<int>("g_CommandCalls");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(*Recorded<int>("g_CommandCalls"), commands + 1);
    EXPECT_EQ(*Recorded<uint32_t>("g_BlocksAtCommand"), 1u);
    EXPECT_EQ(RangeOf(ZnEntityPlugins::Record(recorder)->TemplateEntity.GetData()), 40.0f);

    CZNEntity *light = PlaceLight(recorder, {0, 0, 0});
    ASSERT_NE(light, nullptr);
    light->ApplyLight(1);
    Select(light);
    ASSERT_NE(light->GetLightIndex(), -1);
    // The views draw (start-up has finished), and the focus is on the button from the start, so
    // that no view redraws for losing it.
    GetEditorApp()->Options().m_Initialized = 1;
    button->setFocus();
    QCoreApplication::processEvents();
    doc->RedrawAllViews(nullptr, 0);
    // A brush the views do not show until they are redrawn.
    Box({-30, 0, -30}, {30, 10, 30});

    struct Case {
        int32_t redraw;
        float range;
    };
    for (const Case c : {Case{0, 250.0f}, Case{1, 320.0f}}) {
        SCOPED_TRACE(c.redraw);
        const QImage before = TopPane()->grab().toImage();
        *Recorded<int32_t>("g_SetRedraw") = c.redraw;
        *Recorded<float>("g_WriteValue") = c.range;
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(*Recorded<WPARAM>("g_LastWParam"), MAKEWPARAM(7, BN_CLICKED));
        EXPECT_EQ(*Recorded<LPARAM>("g_LastLParam"), reinterpret_cast<LPARAM>(button));
        EXPECT_EQ(RangeOf(light->GetData()), c.range);
        const D3DLIGHT9 *shown =
            GetEditorApp()->Get3D()->GetLightRecord(static_cast<DWORD>(light->GetLightIndex() + 2));
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->Range, c.range);
        EXPECT_EQ(TopPane()->grab().toImage() != before, c.redraw != 0);
    }
    EXPECT_EQ(TOVRA_HostCommand(button, MAKEWPARAM(7, BN_CLICKED), 0), 5);
}

TEST_F(PluginPagesTest, AnotherEntityPluginGetsItsTemplateAndTheSameRowBuildsTheControlsAgain)
{
    LoadEntities({"ent_recorder"});
    const int recorder = 3;
    CZNEntity *light = PlaceLight(ZnEntityPlugins::kLight, {0, 0, 0});
    Add(ZNSELECT_ENTITY, light);
    Sheet()->SetActivePage(CZNOptionsSheet::PAGE_ENTITIES);
    CZNEntitiesPage *page = EntitiesPage();
    Choose(page->GetCombo(), QStringLiteral("Light"));
    ENTITYPLUGINRECORD *shipped = ZnEntityPlugins::Record(ZnEntityPlugins::kLight);
    ASSERT_EQ(shipped->DataContainer.GetElementCount(), 1u);
    EXPECT_EQ(shipped->DataContainer.GetElement(0), light->GetData());

    const int created = *Recorded<int>("g_CreateCalls");
    Choose(page->GetCombo(), QStringLiteral("Recorder"));
    ENTITYPLUGINRECORD *record = ZnEntityPlugins::Record(recorder);
    ASSERT_EQ(record->DataContainer.GetElementCount(), 1u);
    EXPECT_EQ(record->DataContainer.GetElement(0), record->TemplateEntity.GetData());
    EXPECT_EQ(*Recorded<int>("g_CreateCalls"), created + 1);
    EXPECT_EQ(*Recorded<QWidget *>("g_LastHost"), page->GetHost());
    const int destroyed = *Recorded<int>("g_DestroyCalls");
    const int updated = *Recorded<int>("g_DataUpdatedCalls");
    Choose(page->GetCombo(), QStringLiteral("Recorder"));
    EXPECT_EQ(*Recorded<int>("g_DestroyCalls"), destroyed + 1);
    EXPECT_EQ(*Recorded<int>("g_CreateCalls"), created + 2);
    EXPECT_EQ(*Recorded<int>("g_DataUpdatedCalls"), updated + 1);
    EXPECT_EQ(page->GetHost()->findChildren<QPushButton *>().size(), 1);
    // Built again one pixel higher.
    EXPECT_EQ(page->GetHostFrame()->geometry(), QRect(QPoint(5, 238), QPoint(135, 477)));
}

TEST_F(PluginPagesTest, APluginsPictureComesFromItsResourcesFolderAndBitmap155StandsInForNone)
{
    // A program folder of the test's own: "Tall" with no picture, the short one with its own.
    const fs::path folder = dir.Path() / "Plugins" / "Primitives";
    fs::create_directories(folder / "Resources");
    fs::copy_file(TestPlugin("prim_tall"), folder / "a_tall.so");
    fs::copy_file(TestPlugin("prim_short"), folder / "b_short.so");
    QImage probe(64, 64, QImage::Format_RGB32);
    probe.fill(QColor(30, 160, 90));
    for (int i = 0; i < 64; ++i)
        probe.setPixel(i, i, qRgb(250, 250, 0));
    ASSERT_TRUE(probe.save(QString::fromStdString((folder / "Resources" / "Probe.png").string())));
    LoadPrimitives(folder.string(), "*.so");
    ASSERT_EQ(Primitives()->GetPluginCount(), 2);

    CZNPrimitivesPage *page = PrimitivesPage();
    Sheet()->SetActivePage(CZNOptionsSheet::PAGE_PRIMITIVES);
    const QImage bitmap155 = ProgramPicture("bitmap155.png");
    ASSERT_FALSE(bitmap155.isNull());
    Choose(page->GetCombo(), QStringLiteral("Tall"));
    EXPECT_EQ(Pixels(page->GetBitmapLabel()->pixmap()), bitmap155);
    EXPECT_EQ(page->GetNameLabel()->text(), QStringLiteral("Tall"));
    EXPECT_EQ(page->GetCreditLabel()->text(), QStringLiteral("Controls taller than the host."));
    Choose(page->GetCombo(), QStringLiteral("Short"));
    EXPECT_EQ(Pixels(page->GetBitmapLabel()->pixmap()), probe);
    EXPECT_EQ(page->GetNameLabel()->text(), QStringLiteral("Short"));
}

TEST_F(PluginPagesTest, WithoutEntityPluginsTheEntitiesPageShowsBitmap155AndAnEmptyHost)
{
    Entities()->UnloadPlugins();
    Sheet()->SetActivePage(CZNOptionsSheet::PAGE_ENTITIES);
    CZNEntitiesPage *page = EntitiesPage();
    EXPECT_EQ(page->GetCombo()->count(), 0);
    EXPECT_EQ(Pixels(page->GetBitmapLabel()->pixmap()), ProgramPicture("bitmap155.png"));
    EXPECT_TRUE(page->GetNameLabel()->text().isEmpty());
    EXPECT_TRUE(page->GetCreditLabel()->text().isEmpty());
    ASSERT_NE(page->GetHost(), nullptr);
    EXPECT_TRUE(page->GetHost()->findChildren<QWidget *>().isEmpty());
    Sheet()->RefreshActivePage();
    Sheet()->SetActivePage(CZNOptionsSheet::PAGE_SCENE);
    Sheet()->SetActivePage(CZNOptionsSheet::PAGE_ENTITIES);
    EXPECT_EQ(Sheet()->GetActiveIndex(), CZNOptionsSheet::PAGE_ENTITIES);
}

// The shipped entity plug-ins' controls found by their labels' names; the light chosen first.
class ShippedEntityTest : public PluginPagesTest
{
protected:
    void SetUp() override
    {
        PluginPagesTest::SetUp();
        LoadEntities();
        Sheet()->SetActivePage(CZNOptionsSheet::PAGE_ENTITIES);
        Choose(EntitiesPage()->GetCombo(), QStringLiteral("Light"));
    }
    template <typename T> T *Control(const char *name) const
    {
        T *control = EntitiesPage()->GetHost()->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    // Replaces the edit's text by typing, as the user does.
    static void Type(QLineEdit *edit, const char *text)
    {
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClick(edit, Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClicks(edit, QString::fromLatin1(text));
    }
    static void *LightTemplate() { return ZnEntityPlugins::Record(ZnEntityPlugins::kLight)->TemplateEntity.GetData(); }
};

TEST_F(ShippedEntityTest, ASelectedLightSetToSpotWithRange250KeepsThemInItsBlock)
{
    CZNEntity *light = PlaceLight(ZnEntityPlugins::kLight, {0, 0, 0});
    Select(light);
    EXPECT_EQ(Control<QLineEdit>("Range")->text(), QStringLiteral("300"));
    EXPECT_FALSE(Control<QLineEdit>("Outer")->isEnabled());
    Choose(Control<QComboBox>("Type"), QStringLiteral("Spot"));
    Type(Control<QLineEdit>("Range"), "250");
    EXPECT_EQ(KindOf(light->GetData()), 1);
    EXPECT_EQ(RangeOf(light->GetData()), 250.0f);
    EXPECT_TRUE(Control<QLineEdit>("Outer")->isEnabled());
    EXPECT_EQ(RangeOf(LightTemplate()), 300.0f);

    // Nothing selected: the template changes, and the next light placed has its range.
    Band()->Clear(1, 1);
    EXPECT_EQ(Control<QLineEdit>("Range")->text(), QStringLiteral("300"));
    Type(Control<QLineEdit>("Range"), "250");
    EXPECT_EQ(RangeOf(LightTemplate()), 250.0f);
    EXPECT_EQ(RangeOf(light->GetData()), 250.0f);
    CZNEntity *next = doc->PlaceEntity(ZnEntityPlugins::kLight, D3DXVECTOR3(100, 0, 0));
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(RangeOf(next->GetData()), 250.0f);
    EXPECT_EQ(KindOf(next->GetData()), 0);
}

TEST_F(ShippedEntityTest, TypingIntoTheRangeAfterTheSelectedLightWentChangesTheTemplate)
{
    struct Case {
        const char *name;
        UINT command;
    };
    for (const Case c : {Case{"File New", ZNCMD_FILE_NEW}, Case{"Undo of the placement", ZNCMD_EDIT_UNDO}}) {
        SCOPED_TRACE(c.name);
        CZNEntity *light = doc->PlaceEntity(ZnEntityPlugins::kLight, D3DXVECTOR3(0, 0, 0));
        ASSERT_NE(light, nullptr);
        Select(light);
        ASSERT_EQ(ZnEntityPlugins::Record(ZnEntityPlugins::kLight)->DataContainer.GetElement(0), light->GetData());
        doc->SetModifiedFlag(FALSE);
        frame->RunCommand(c.command);
        ASSERT_EQ(doc->GetEntityList(), nullptr);
        const std::string typed = std::to_string(400 + static_cast<int>(c.command % 7));
        Type(Control<QLineEdit>("Range"), typed.c_str());
        EXPECT_EQ(RangeOf(LightTemplate()), std::stof(typed));
    }
}

TEST_F(PluginPagesTest, ScreenshotsOfThePrimitivesPageWithTheCubeAndTheEntitiesPageWithTheLight)
{
    LoadPrimitives(std::string(ZN_SHIPPED_PLUGIN_DIR) + "/Primitives", "*.so");
    LoadEntities();
    const QString scratch = QString::fromLatin1(ZN_TEST_TMP_DIR);
    const std::string shipped = std::string(ZN_SHIPPED_PLUGIN_DIR);

    Sheet()->SetActivePage(CZNOptionsSheet::PAGE_PRIMITIVES);
    CZNPrimitivesPage *primitives = PrimitivesPage();
    EXPECT_EQ(primitives->GetCombo()->currentText(), QStringLiteral("Cube"));
    EXPECT_EQ(primitives->GetNameLabel()->text(), QStringLiteral("Cube"));
    const QImage cube(QString::fromStdString(shipped + "/Primitives/Resources/Cube.png"));
    ASSERT_FALSE(cube.isNull());
    EXPECT_EQ(Pixels(primitives->GetBitmapLabel()->pixmap()), cube.convertToFormat(QImage::Format_RGB32));
    EXPECT_TRUE(primitives->GetHost()->findChildren<QWidget *>().isEmpty()); // the Cube has no controls
    QCoreApplication::processEvents();
    EXPECT_TRUE(Sheet()->grab().save(scratch + QStringLiteral("/primitives_page.png")));

    Sheet()->SetActivePage(CZNOptionsSheet::PAGE_ENTITIES);
    CZNEntitiesPage *page = EntitiesPage();
    EXPECT_EQ(page->GetCombo()->currentText(), QStringLiteral("Light")); // listed first, active
    EXPECT_EQ(page->GetCombo()->itemText(0), QStringLiteral("Light"));
    const QImage light(QString::fromStdString(shipped + "/Entities/Resources/Light.png"));
    ASSERT_FALSE(light.isNull());
    EXPECT_EQ(Pixels(page->GetBitmapLabel()->pixmap()), light.convertToFormat(QImage::Format_RGB32));
    for (const char *name : {"Type", "Red", "Green", "Blue", "Range", "Inner", "Outer"}) {
        QWidget *control = page->GetHost()->findChild<QWidget *>(QString::fromLatin1(name));
        ASSERT_NE(control, nullptr) << name;
        EXPECT_TRUE(control->isVisible()) << name;
        EXPECT_TRUE(page->GetHost()->rect().contains(control->geometry())) << name;
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(Sheet()->grab().save(scratch + QStringLiteral("/entities_page.png")));
}

// The editor started and closed in this process with test-built plug-ins whose widgets are
// their own QWidget class with lambdas: the main window and pages, with those widgets, go before
// the libraries are unloaded, and no DestroyControls runs at exit.
TEST(PluginShutdownTest, ClosingTheEditorDestroysThePluginWidgetsBeforeTheirLibrariesGo)
{
    ZnTempDir dir;
    setenv("XDG_CONFIG_HOME", (dir.Path() / "config").c_str(), 1);
    ZnWidgetApp();
    const fs::path program = dir.Path() / "program", built(ZN_PROGRAM_DIR);
    fs::create_directories(program / "Debug Logs");
    fs::copy(built / "Plugins", program / "Plugins", fs::copy_options::recursive);
    fs::copy(built / "Resources", program / "Resources", fs::copy_options::recursive);
    fs::copy_file(built / "Material.sys", program / "Material.sys");
    const fs::path recorder = program / "Plugins" / "Entities" / "recorder.so";
    const fs::path tall = program / "Plugins" / "Primitives" / "tall.so";
    fs::copy_file(TestPlugin("ent_recorder"), recorder);
    fs::copy_file(TestPlugin("prim_tall"), tall);

    CZNRecordingReporter reporter;
    const std::string savedDirectory = GetEditorApp()->GetProgramDirectory();
    const ZNAPPOPTIONS savedOptions = GetEditorApp()->Options();
    GetEditorApp()->SetProgramDirectory(program.string());
    GetEditorApp()->SetReporter(&reporter);
    {
        CZNQtAppShell shell(nullptr);
        const char *argv[] = {"zneditor", nullptr};
        ASSERT_TRUE(GetEditorApp()->InitInstance(&shell, 1, argv));
        CZNOptionsSheet *sheet = shell.GetMainFrame()->GetOptionsBar()->GetSheet();
        std::vector<QPointer<QWidget>> panels;
        for (const auto &[index, name] : {std::pair{CZNOptionsSheet::PAGE_PRIMITIVES, "Tall"},
                                          std::pair{CZNOptionsSheet::PAGE_ENTITIES, "Recorder"}}) {
            sheet->SetActivePage(index);
            auto *page = static_cast<CZNPluginPage *>(sheet->GetPage(index));
            ChooseRow(page->GetCombo(), QString::fromLatin1(name));
            panels.emplace_back(page->GetHost()->findChild<QWidget *>(QStringLiteral("ProbePanel")));
            ASSERT_FALSE(panels.back().isNull()) << name;
        }
        QTest::mouseClick(panels.back()->findChild<QPushButton *>(), Qt::LeftButton);
        EXPECT_EQ(*PluginVariable<int>(recorder.string(), "g_CommandCalls"), 1);
        const int destroyed = *PluginVariable<int>(recorder.string(), "g_DestroyCalls");

        shell.DestroyWindows();
        for (const QPointer<QWidget> &panel : panels)
            EXPECT_TRUE(panel.isNull());
        EXPECT_EQ(*PluginVariable<int>(recorder.string(), "g_DestroyCalls"), destroyed);
        GetEditorApp()->ReleaseInstance();
        EXPECT_EQ(PluginVariable<int>(recorder.string(), "g_DestroyCalls"), nullptr); // unloaded
        EXPECT_EQ(PluginVariable<int>(tall.string(), "g_CreateCalls"), nullptr);
    }
    GetEditorApp()->SetReporter(nullptr);
    GetEditorApp()->SetProgramDirectory(savedDirectory);
    GetEditorApp()->Options() = savedOptions;
}

TEST_F(ShippedEntityTest, FogAndReferenceControlsWriteEverySelectedBlock)
{
    CZNEntity *fogs[2] = {PlaceLight(ZnEntityPlugins::kFog, {0, 0, 0}), PlaceLight(ZnEntityPlugins::kFog, {50, 0, 0})};
    for (CZNEntity *fog : fogs)
        Select(fog);
    Choose(EntitiesPage()->GetCombo(), QStringLiteral("Fog"));
    EXPECT_EQ(Control<QLineEdit>("Start")->text(), QStringLiteral("2000"));
    Type(Control<QLineEdit>("Start"), "150");
    QTest::mouseClick(Control<QCheckBox>("Table Fog"), Qt::LeftButton);
    for (CZNEntity *fog : fogs) {
        float start;
        uint32_t flags;
        std::memcpy(&start, fog->GetData() + 52, sizeof(start));
        std::memcpy(&flags, fog->GetData() + 36, sizeof(flags));
        EXPECT_EQ(start, 150.0f);
        EXPECT_EQ(flags & 1u, 1u);
    }

    Band()->Clear(1, 0);
    CZNEntity *reference = PlaceLight(ZnEntityPlugins::kReference, {0, 0, 0});
    Select(reference);
    Choose(EntitiesPage()->GetCombo(), QStringLiteral("Reference"));
    Type(Control<QLineEdit>("Object"), "Cube01");
    EXPECT_STREQ(reinterpret_cast<const char *>(reference->GetData() + 84), "Cube01");
}
