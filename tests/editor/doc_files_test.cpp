// The document's file commands on real scenes and real files: New, Save As, Open, the failure
// texts, atomic saves and the editor options a scene carries.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/doc_shell.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "fileio/file_stream_io.h"
#include "fileio/iwf_image.h"
#include "fileio/iwf_scene.h"
#include "fileio/x_scene.h"
#include "platform/os/recording_reporter.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "render/image/image.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "render/thumbnail_renderer.h"
#include "scene/brush.h"
#include "scene/face.h"
#include "scene/material.h"
#include "scene/selection_entry.h"
#include "support/file_size_limit.h"
#include "support/shapes.h"
#include "support/temp_dir.h"

namespace
{

// The window around the document: dialogs answered from a queue of paths ("" cancels).
class FakeShell : public IZNDocShell
{
public:
    bool AskFilePath(ZNFILEDIALOG kind, std::string *path) override
    {
        asked.push_back(kind);
        if (answers.empty() || answers.front().empty()) {
            if (!answers.empty())
                answers.erase(answers.begin());
            return false;
        }
        *path = answers.front();
        answers.erase(answers.begin());
        return true;
    }
    void BeginWaitCursor() override { ++waitDepth; }
    void EndWaitCursor() override { --waitDepth; }
    void UpdateStatusBar() override {}
    void RebuildSceneTree() override {}
    void RefreshMaterialList() override {}
    void RefreshActivePage() override {}
    void RefreshPrefabs() override {}
    void CheckRenderModeButton(UINT id) override { checked.push_back(id); }
    void DocumentChanged() override {}
    void AddRecentFile(const std::string &path) override { recent.push_back(path); }

    // As File: the export dialog answers from exports (path, type; an empty path cancels) and
    // notes the type it preselected; the options dialog runs editOptions.
    bool AskExportPath(std::string *path, int *fileType) override
    {
        preselected.push_back(*fileType);
        if (exports.empty() || exports.front().first.empty())
            return false;
        *path = exports.front().first;
        *fileType = exports.front().second;
        exports.erase(exports.begin());
        return true;
    }
    bool EditExportOptions(IWFEXPORTOPTIONS *options) override
    {
        ++optionsShown;
        return editOptions ? editOptions(options) : true;
    }

    std::vector<std::pair<std::string, int>> exports;
    std::vector<int> preselected;
    std::function<bool(IWFEXPORTOPTIONS *)> editOptions;
    int optionsShown = 0;
    std::vector<std::string> answers;
    std::vector<ZNFILEDIALOG> asked;
    std::vector<UINT> checked;
    std::vector<std::string> recent;
    int waitDepth = 0;
};

// A 640 x 640 capture: a dark square on white, as the 3D view would give one cube.
class SquareRenderer : public IZNThumbnailRenderer
{
public:
    CZNImage *CaptureThumbnail() override
    {
        auto *image = new CZNImage;
        image->AllocImageMem(640, 640, 24, false);
        for (DWORD i = 0; i < 640 * 640; ++i) {
            const bool dark = (i % 640) < 320 && (i / 640) < 320;
            image->GetRedPlane()[i] = image->GetGreenPlane()[i] = image->GetBluePlane()[i] = dark ? 40 : 255;
        }
        return image;
    }
};

std::vector<ZNBBOX> Boxes(const CZNEDITORDoc &doc)
{
    std::vector<ZNBBOX> out;
    for (ZNBRUSH *b = doc.GetBrushList(); b; b = b->m_Next)
        out.push_back(b->GetBoundingBox(1));
    return out;
}

class DocFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GetEditorApp()->SetReporter(&reporter);
        GetEditorApp()->SetDefaultOptions();
        doc.SetShell(&shell);
        doc.OnNewDocument();
    }
    void TearDown() override
    {
        doc.DeleteContents();
        GetEditorApp()->SetThumbnailRenderer(nullptr);
        GetEditorApp()->SetReporter(nullptr);
    }

    void AddCube(const D3DXVECTOR3 &lo, const D3DXVECTOR3 &hi)
    {
        ZNBRUSH *brush = doc.NewBrush();
        ZnBuildBox(*brush, lo, hi);
        doc.SetModifiedFlag(TRUE);
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> out;
        for (const auto &entry : reporter.Entries())
            out.push_back(entry.text);
        return out;
    }

    CZNRecordingReporter reporter;
    FakeShell shell;
    CZNEDITORDoc doc;
    ZnTempDir dir;
};

TEST_F(DocFilesTest, NewSaveAsNewOpenBringsTheSceneAndItsSettingsBack)
{
    SquareRenderer renderer;
    GetEditorApp()->SetThumbnailRenderer(&renderer);
    AddCube({0, 0, 0}, {64, 64, 64});
    AddCube({100, -32, 8}, {132, 0, 40});
    const std::vector<ZNBBOX> before = Boxes(doc);

    CZNEDITORApp *app = GetEditorApp();
    CZN3D *d3d = app->Get3D();
    d3d->SetRenderMode(2);
    d3d->SetDefaultLighting(0);
    app->Options().m_DrawCamera2D = 0;
    app->Options().m_SnapToGrid = 1;
    app->SetGridSize(16.0f);
    app->Options().m_CameraMode = 1;
    const D3DXVECTOR3 eye(10, 200, -300), target(10, 0, 0), up(0, 1, 0);
    d3d->GetCamera()->LookAt(&eye, &target, &up, 0);
    const D3DXVECTOR3 look = d3d->GetCamera()->GetLook();

    shell.answers = {dir.File("scene")};
    ASSERT_TRUE(doc.DoFileSave());
    EXPECT_EQ(doc.GetPathName(), dir.File("scene.iwf"));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetFrameTitle(), "scene.iwf - TOVRA v1.5");
    EXPECT_EQ(shell.waitDepth, 0);

    // New, with everything the file restores changed.
    ASSERT_TRUE(doc.DoFileNew());
    EXPECT_EQ(doc.GetBrushList(), nullptr);
    EXPECT_EQ(doc.GetFrameTitle(), "Untitled - TOVRA v1.5");
    d3d->SetRenderMode(4);
    app->SetDefaultOptions();
    d3d->GetCamera()->ResetOrientation();

    shell.answers = {dir.File("scene.iwf")};
    ASSERT_TRUE(doc.OnFileOpen());
    EXPECT_TRUE(reporter.Entries().empty()) << reporter.Entries()[0].text;
    const std::vector<ZNBBOX> after = Boxes(doc);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_NEAR(after[i].Min.x, before[i].Min.x, 1e-4);
        EXPECT_NEAR(after[i].Min.y, before[i].Min.y, 1e-4);
        EXPECT_NEAR(after[i].Max.z, before[i].Max.z, 1e-4);
    }
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetFrameTitle(), "scene.iwf - TOVRA v1.5");
    EXPECT_EQ(shell.recent, (std::vector<std::string>{dir.File("scene.iwf"), dir.File("scene.iwf")}));
    EXPECT_EQ(shell.asked, (std::vector<ZNFILEDIALOG>{ZNFILEDLG_SAVE_AS, ZNFILEDLG_OPEN}));

    EXPECT_EQ(d3d->GetRenderMode(), 2u);
    EXPECT_EQ(shell.checked, (std::vector<UINT>{32835}));
    EXPECT_EQ(d3d->IsDefaultLighting(), 0u);
    EXPECT_EQ(app->Options().m_DrawCamera2D, 0);
    EXPECT_EQ(app->Options().m_SnapToGrid, 1);
    EXPECT_FLOAT_EQ(app->GetGridSize(), 16.0f);
    EXPECT_EQ(app->Options().m_CameraMode, 1);
    const CZNCAMERA *camera = d3d->GetCamera();
    EXPECT_NEAR(camera->GetPosition().y, 200.0f, 1e-3);
    EXPECT_NEAR(camera->GetLook().y, look.y, 1e-5);
    // The look points down: a positive pitch, the angle below the horizon.
    EXPECT_NEAR(camera->GetPitchTotal(), std::asin(-look.y) * 180.0 / 3.14159265358979, 1e-3);
    EXPECT_GT(camera->GetPitchTotal(), 30.0f);

    CZNFileStreamIO stream(dir.File("scene.iwf").c_str(), ZNSTREAM_READ);
    CZNIWFScene scene;
    CZNImage thumbnail;
    ASSERT_TRUE(scene.LoadThumbnail(stream, &thumbnail));
    EXPECT_EQ(thumbnail.GetWidth(), 106u);
    EXPECT_EQ(thumbnail.GetHeight(), 106u);
}

TEST_F(DocFilesTest, AModifiedDocumentAsksBeforeNew)
{
    AddCube({0, 0, 0}, {8, 8, 8});
    reporter.QueueAnswer(IDCANCEL);
    EXPECT_FALSE(doc.DoFileNew());
    EXPECT_NE(doc.GetBrushList(), nullptr);
    reporter.QueueAnswer(IDNO);
    EXPECT_TRUE(doc.DoFileNew());
    EXPECT_EQ(doc.GetBrushList(), nullptr);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Save changes to Untitled?", "Save changes to Untitled?"}));
    EXPECT_EQ(reporter.Entries()[0].type, unsigned(MB_YESNOCANCEL | MB_ICONEXCLAMATION));
}

struct OpenFailure {
    const char *name;
    const char *file;     // written into the folder first unless null
    const char *contents;
    const char *text;
};

class OpenFailureTest : public DocFilesTest, public ::testing::WithParamInterface<OpenFailure>
{
};

TEST_P(OpenFailureTest, LeavesTheSceneUnchanged)
{
    AddCube({0, 0, 0}, {8, 8, 8});
    const OpenFailure &c = GetParam();
    std::string path = dir.File("missing.iwf");
    if (c.file) {
        path = dir.File(c.file);
        std::ofstream(path, std::ios::binary) << c.contents;
    }
    reporter.QueueAnswer(IDNO); // do not save changes
    EXPECT_FALSE(doc.OpenDocumentFile(path.c_str()));
    ASSERT_EQ(reporter.Entries().size(), 2u);
    EXPECT_EQ(reporter.Entries()[1].text, c.text);
    EXPECT_EQ(reporter.Entries()[1].type, unsigned(MB_OK));
    EXPECT_EQ(Boxes(doc).size(), 1u);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.GetPathName().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, OpenFailureTest,
    ::testing::Values(
        OpenFailure{"Missing", nullptr, nullptr,
                    "Cannot open file for reading, either the file does not exist or access has been denied."},
        OpenFailure{"NotAScene", "notes.iwf", "these are plain words, not a scene file",
                    "The specified file is not of a valid or currently supported type."},
        OpenFailure{"Empty", "empty.iwf", "", "The specified file is not of a valid or currently supported type."}),
    [](const auto &info) { return std::string(info.param.name); });

// A save that fails keeps the old file byte for byte, leaves no temporary file and the
// document modified.
class FailedSaveTest : public DocFilesTest
{
protected:
    void WriteOldFile()
    {
        AddCube({0, 0, 0}, {8, 8, 8});
        ASSERT_TRUE(doc.OnSaveDocument(target.c_str()));
        old = ZnReadFile(target);
        ASSERT_FALSE(old.empty());
        for (int i = 0; i < 40; ++i)
            AddCube({i * 20.0f, 0, 0}, {i * 20.0f + 10, 10, 10});
        reporter.Clear();
    }
    void ExpectOldFileKept(const char *text)
    {
        EXPECT_EQ(Texts(), (std::vector<std::string>{text}));
        EXPECT_EQ(ZnReadFile(target), old);
        EXPECT_TRUE(doc.IsModified());
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(dir.Path()))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(names, (std::vector<std::string>{"old.iwf"}));
    }

    std::string target = dir.File("old.iwf");
    std::string old;
};

TEST_F(FailedSaveTest, AFolderWithoutWritePermission)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes whatever the permissions say";
    WriteOldFile();
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
    EXPECT_FALSE(doc.OnSaveDocument(target.c_str()));
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    ExpectOldFileKept("Cannot open file for writing, access has been denied.");
}

TEST_F(FailedSaveTest, AWriteFailingPartWay)
{
    WriteOldFile();
    const BOOL result = ZnWithFileSizeLimit(1024, [&] { return doc.OnSaveDocument(target.c_str()); });
    EXPECT_FALSE(result);
    ExpectOldFileKept("Unable to write scene to the specified file.");
}

TEST_F(DocFilesTest, SavingThroughALinkReplacesTheFileItNames)
{
    AddCube({0, 0, 0}, {8, 8, 8});
    std::filesystem::create_directory(dir.Path() / "real");
    const std::string real = (dir.Path() / "real" / "scene.iwf").string();
    std::ofstream(real) << "old";
    std::filesystem::create_symlink(real, dir.File("link.iwf"));
    ASSERT_TRUE(doc.OnSaveDocument(dir.File("link.iwf").c_str()));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.iwf")));
    EXPECT_NE(ZnReadFile(real), "old");
    EXPECT_EQ(ZnReadFile(real).substr(0, 4), ZnReadFile(dir.File("link.iwf")).substr(0, 4));
}

TEST_F(DocFilesTest, LightingColourFollowsDefaultLighting)
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    d3d->SetDefaultLighting(1);
    doc.ApplySceneLightColour();
    EXPECT_EQ(d3d->GetAmbientLight(), 0xFF4C4C4Cu);
    d3d->SetDefaultLighting(0);
    doc.ApplySceneLightColour();
    EXPECT_EQ(d3d->GetAmbientLight(), 0u);
}

} // namespace

namespace
{

TEST_F(DocFilesTest, DirectXExportOpensAgainAsTheThirdFormat)
{
    AddCube({0, 0, 0}, {64, 32, 16});
    const std::string path = dir.File("scene.x");
    ASSERT_EQ(doc.ExportScene(path.c_str(), nullptr, nullptr, 2), 1);
    ASSERT_TRUE(std::filesystem::exists(path));

    doc.SetModifiedFlag(FALSE);
    ASSERT_TRUE(doc.DoFileNew());
    shell.answers = {path};
    ASSERT_TRUE(doc.OnFileOpen());
    EXPECT_TRUE(reporter.Entries().empty()) << reporter.Entries()[0].text;
    ASSERT_NE(doc.GetBrushList(), nullptr);
    const ZNBBOX box = doc.GetBrushList()->GetBoundingBox(1);
    EXPECT_NEAR(box.Min.x, 0.0f, 1e-4f);
    EXPECT_NEAR(box.Max.x, 64.0f, 1e-4f);
    EXPECT_NEAR(box.Max.y, 32.0f, 1e-4f);
    EXPECT_NEAR(box.Max.z, 16.0f, 1e-4f);

    // A folder that does not exist cannot take the export.
    EXPECT_EQ(doc.ExportScene(dir.File("missing/scene.x").c_str(), nullptr, nullptr, 2), 0);
    EXPECT_EQ(Texts().back(), "Unable to write scene to the specified file.");
}

} // namespace

// Export Selected As File: the band's objects through the export dialog and the options dialog.
class AsFileTest : public DocFilesTest
{
protected:
    void SetUp() override
    {
        DocFilesTest::SetUp();
        AddCube({0, 0, 0}, {16, 16, 16});
        ZNSELECTIONENTRY e{};
        e.Type = ZNSELECT_BRUSH;
        e.Object = reinterpret_cast<uintptr_t>(doc.GetBrushList());
        ASSERT_EQ(GetEditorApp()->GetSelectionBand()->AddToSelection(&e, 0, 0), 1);
        GetEditorApp()->SetThumbnailRenderer(&renderer);
    }
    void TearDown() override
    {
        GetEditorApp()->GetSelectionBand()->Clear(1, 0);
        DocFilesTest::TearDown();
    }
    static std::vector<uint16_t> TopIds(const std::string &path)
    {
        const std::string bytes = ZnReadFile(path);
        return IwfIds(IwfParse(IwfBytes(bytes.begin(), bytes.end())));
    }
    static bool Has(const std::vector<uint16_t> &ids, uint16_t id)
    {
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    }
    // The texture index of every brush face stored in a file: the surface chunks' face records
    // (count, then per face mask, normal, style, channel count, texture, ...).
    static std::vector<int16_t> FaceTextureIndices(const std::string &path)
    {
        const std::string bytes = ZnReadFile(path);
        std::vector<int16_t> indices;
        std::function<void(const std::vector<IwfNode> &)> walk = [&](const std::vector<IwfNode> &level) {
            for (const IwfNode &node : level) {
                if (node.id == CHUNK_SURFACE && node.data.size() >= 4) {
                    const uint32_t count = IwfGet32(node.data, 0);
                    for (uint32_t i = 0; i < count && 4 + (i + 1) * 27 <= node.data.size(); ++i)
                        indices.push_back(static_cast<int16_t>(IwfGet16(node.data, 4 + i * 27 + 21)));
                }
                walk(node.children);
            }
        };
        walk(IwfParse(IwfBytes(bytes.begin(), bytes.end())));
        return indices;
    }

    SquareRenderer renderer;
};

TEST_F(AsFileTest, OptionZeroAloneDecidesTheThumbnail)
{
    ASSERT_TRUE(doc.IsCommandEnabled(ZNCMD_FILE_EXPORT_FILE));
    // The cube's first face carries a texture.
    CZNImage picture;
    picture.AllocImageMem(4, 4, 24, false);
    const std::string picturePath = dir.File("stone.bmp");
    ASSERT_TRUE(picture.SaveBMP(picturePath.c_str()));
    auto texture = std::make_unique<CZNTexture>(picturePath.c_str(), nullptr);
    GetEditorApp()->GetTextureManager()->AddTexture(texture.get());
    ZNFACE *textured = doc.GetBrushList()->GetFace(0);
    textured->SetTexture(texture.get());
    const std::string with = dir.File("with.iwf"), without = dir.File("without.iwf");
    shell.exports = {{with, 1}, {without, 1}};
    shell.editOptions = [](IWFEXPORTOPTIONS *) { return true; };
    ASSERT_EQ(doc.OnSaveSelectionAsIWF(), 1);
    EXPECT_TRUE(Has(TopIds(with), CHUNK_THUMBNAIL));
    EXPECT_TRUE(Has(TopIds(with), CHUNK_TEXTURES));
    EXPECT_EQ(FaceTextureIndices(with), (std::vector<int16_t>{0, -1, -1, -1, -1, -1}));
    shell.editOptions = [](IWFEXPORTOPTIONS *o) {
        o->Option[IWFOPT_THUMBNAIL] = 0;
        o->Option[IWFOPT_TEXTURES] = 0;
        return true;
    };
    ASSERT_EQ(doc.OnSaveSelectionAsIWF(), 1);
    const std::vector<uint16_t> ids = TopIds(without);
    EXPECT_FALSE(Has(ids, CHUNK_THUMBNAIL));
    EXPECT_FALSE(Has(ids, CHUNK_TEXTURES));
    EXPECT_EQ(FaceTextureIndices(without), std::vector<int16_t>(6, -1));
    EXPECT_EQ(shell.optionsShown, 2);
    EXPECT_TRUE(reporter.Entries().empty());
    textured->SetTexture(nullptr);
    GetEditorApp()->GetTextureManager()->DetachTexture(texture.get());
}

TEST_F(AsFileTest, DirectXSkipsTheOptionsAndIsPreselectedNextTime)
{
    const std::string x = dir.File("sel.x"), iwf = dir.File("sel.iwf");
    shell.exports = {{x, 2}, {iwf, 1}};
    ASSERT_EQ(doc.OnSaveSelectionAsIWF(), 1);
    EXPECT_EQ(shell.optionsShown, 0);
    CZNXScene scene;
    CZNFileStreamIO stream(x.c_str(), ZNSTREAM_READ);
    EXPECT_TRUE(scene.IsValidFile(stream));
    // The next dialog opens on DirectX; choosing IWF again puts the run back as it was.
    ASSERT_EQ(doc.OnSaveSelectionAsIWF(), 1);
    ASSERT_EQ(shell.preselected.size(), 2u);
    EXPECT_EQ(shell.preselected[1], 2);
    EXPECT_EQ(shell.optionsShown, 1);
    EXPECT_TRUE(std::filesystem::exists(iwf));
}

TEST_F(AsFileTest, CancellingTheOptionsWritesNothing)
{
    const std::string path = dir.File("cancelled.iwf");
    shell.exports = {{path, 1}};
    shell.editOptions = [](IWFEXPORTOPTIONS *o) {
        o->Option[IWFOPT_MESH] = 0; // edited, then cancelled
        return false;
    };
    EXPECT_EQ(doc.OnSaveSelectionAsIWF(), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(reporter.Entries().empty());
    // An empty band does nothing.
    GetEditorApp()->GetSelectionBand()->Clear(1, 0);
    EXPECT_FALSE(doc.IsCommandEnabled(ZNCMD_FILE_EXPORT_FILE));
    EXPECT_EQ(doc.OnSaveSelectionAsIWF(), 0);
    EXPECT_EQ(shell.preselected.size(), 1u);
}

TEST_F(AsFileTest, AWriteFailingPartWayKeepsTheOldFile)
{
    const std::string path = dir.File("old.iwf");
    ZnWriteFile(path, "old bytes");
    for (int i = 0; i < 40; ++i)
        AddCube({i * 20.0f, 0, 0}, {i * 20.0f + 10, 10, 10});
    std::vector<ZNSELECTIONENTRY> all;
    for (ZNBRUSH *b = doc.GetBrushList(); b; b = b->m_Next) {
        ZNSELECTIONENTRY e{};
        e.Type = ZNSELECT_BRUSH;
        e.Object = reinterpret_cast<uintptr_t>(b);
        all.push_back(e);
    }
    for (int type : {1, 2}) {
        shell.exports = {{path, type}};
        const int result = ZnWithFileSizeLimit(1024, [&] { return doc.ExportScene(nullptr, &all, nullptr, 1); });
        EXPECT_EQ(result, 0) << type;
        EXPECT_EQ(ZnReadFile(path), "old bytes") << type;
        EXPECT_EQ(Texts().back(), "Unable to write scene to the specified file.") << type;
    }
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"old.iwf"}));
    shell.exports = {{dir.File("other.iwf"), 1}};
    ASSERT_EQ(doc.OnSaveSelectionAsIWF(), 1); // back to IWF for the rest of the run
}

// Import asks whether to clear the scene: Yes replaces it without a record, No appends the
// file's objects unselected as one "Import Objects" level, Cancel changes nothing.
TEST_F(DocFilesTest, ImportReplacesOrAppendsAsOneUndoLevel)
{
    const std::string path = dir.File("two.iwf");
    AddCube({0, 0, 0}, {8, 8, 8});
    AddCube({20, 0, 0}, {28, 8, 8});
    ASSERT_TRUE(doc.OnSaveDocument(path.c_str()));
    doc.DeleteContents();
    AddCube({-50, 0, 0}, {-40, 8, 8});
    ASSERT_EQ(Boxes(doc).size(), 1u);

    reporter.QueueAnswer(IDCANCEL);
    doc.OnFileImport();
    EXPECT_EQ(Boxes(doc).size(), 1u);
    EXPECT_TRUE(shell.asked.empty()) << "Cancel asks for no file";

    shell.answers = {path};
    reporter.QueueAnswer(IDNO);
    doc.OnFileImport();
    ASSERT_EQ(Boxes(doc).size(), 3u);
    for (ZNBRUSH *b = doc.GetBrushList(); b; b = b->m_Next)
        EXPECT_FALSE(b->IsBrushSelected());
    ASSERT_NE(doc.GetUndoList(), nullptr);
    EXPECT_STREQ(doc.GetUndoList()->Description, "Import Objects");
    EXPECT_TRUE(doc.OnEditUndo());
    EXPECT_EQ(Boxes(doc).size(), 1u);
    EXPECT_EQ(doc.GetUndoList(), nullptr) << "the import was one level";

    shell.answers = {path};
    reporter.QueueAnswer(IDYES);
    doc.OnFileImport();
    const std::vector<ZNBBOX> boxes = Boxes(doc);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_FLOAT_EQ(boxes[0].Min.x, 0.0f);
    EXPECT_FLOAT_EQ(boxes[1].Min.x, 20.0f);
    EXPECT_EQ(doc.GetUndoList(), nullptr) << "replacing the scene records nothing";
}

// A placement point centres what is imported on it (the prefab click's path).
TEST_F(DocFilesTest, ImportWithAPlacementPointCentresTheObjects)
{
    const std::string path = dir.File("one.iwf");
    AddCube({0, 0, 0}, {10, 20, 30});
    ASSERT_TRUE(doc.OnSaveDocument(path.c_str()));
    doc.DeleteContents();
    const D3DXVECTOR3 at(100, 50, -40);
    ASSERT_EQ(doc.ImportScene(path.c_str(), &at, TRUE), 1);
    const std::vector<ZNBBOX> boxes = Boxes(doc);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_FLOAT_EQ(boxes[0].Min.x, 95.0f);
    EXPECT_FLOAT_EQ(boxes[0].Max.y, 60.0f);
    EXPECT_FLOAT_EQ(boxes[0].Min.z, -55.0f);
}

// A damaged file, read in place of the scene or added to it, leaves the scene's material
// records in their places, their references as they were and none of the file's behind; a sound
// file read in place of the scene then brings its own records in place of the scene's.
TEST_F(DocFilesTest, MaterialRecordsFollowOnlyAReadThatSucceeds)
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    const DWORD builtIn = d3d->GetBuiltInMaterialCount();
    auto material = [&](const char *name) {
        const int index = d3d->AddMaterial();
        d3d->GetMaterialRecord(static_cast<DWORD>(index))->SetName(name);
        return index;
    };
    auto cubes = [&](int count, int index) {
        for (int i = 0; i < count; ++i) {
            ZNBRUSH *brush = doc.NewBrush();
            ZnBuildBox(*brush, {i * 20.0f, 0, 0}, {i * 20.0f + 10, 10, 10});
            for (DWORD f = 0; f < brush->GetFaceCount(); ++f)
                brush->GetFace(f)->SetMaterial(index);
        }
    };
    const std::string stone = dir.File("stone.iwf"), half = dir.File("half.iwf");
    cubes(20, material("Stone"));
    ASSERT_TRUE(doc.OnSaveDocument(stone.c_str()));
    const std::string bytes = ZnReadFile(stone);
    ZnWriteFile(half, bytes.substr(0, bytes.size() / 2));
    doc.DeleteContents();

    const int rust = material("Rust");
    cubes(2, rust);
    const DWORD listed = d3d->GetMaterialList()->GetElementCount();
    CZNMATERIAL *record = d3d->GetMaterialRecord(static_cast<DWORD>(rust));
    const LONG references = record->GetReferenceCount();
    for (BOOL import : {FALSE, TRUE}) {
        SCOPED_TRACE(import ? "added" : "in place");
        EXPECT_EQ(doc.ImportScene(half.c_str(), nullptr, import), 0);
        EXPECT_EQ(d3d->GetMaterialList()->GetElementCount(), listed);
        EXPECT_EQ(d3d->GetMaterialRecord(static_cast<DWORD>(rust)), record);
        EXPECT_EQ(record->GetReferenceCount(), references);
        EXPECT_EQ(Boxes(doc).size(), 2u);
        EXPECT_EQ(doc.GetBrushList()->GetFace(0)->GetMaterial(), rust);
    }
    EXPECT_EQ(Texts(), std::vector<std::string>(2, "Unable to read scene from the specified file. The file may not "
                                                   "be of a valid type."));

    ASSERT_EQ(doc.ImportScene(stone.c_str(), nullptr, FALSE), 1);
    EXPECT_EQ(Boxes(doc).size(), 20u);
    EXPECT_EQ(d3d->GetMaterialList()->GetElementCount(), builtIn + 1);
    const LONG read = doc.GetBrushList()->GetFace(0)->GetMaterial();
    EXPECT_EQ(read, static_cast<LONG>(builtIn));
    EXPECT_STREQ(d3d->GetMaterialRecord(static_cast<DWORD>(read))->GetName(), "Stone");
    EXPECT_EQ(d3d->GetMaterialRecord(static_cast<DWORD>(read))->GetReferenceCount(), 20 * 6);
}
