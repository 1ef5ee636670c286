// Batch conversion end to end: the editor started for real on the offscreen device, the batch
// dialog opened by the main window's command, a folder of real and broken scene files converted
// through the dialogs, and the outputs read back against their inputs. Every device call of the
// run is checked to come from the device's thread (a call from the worker would assert).
#include <gtest/gtest.h>

#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "fileio/file_stream_io.h"
#include "fileio/iwf_image.h"
#include "fileio/iwf_scene.h"
#include "fileio/scene_readers.h"
#include "fileio/x_scene.h"
#include "platform/os/command_ids.h"
#include "platform/os/recording_reporter.h"
#include "platform/os/settings.h"
#include "render/direct3d.h"
#include "render/image/image.h"
#include "render/lightmap_builder.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "scene/brush.h"
#include "scene/face.h"
#include "scene/group.h"
#include "scene/material.h"
#include "scene/selection_entry.h"
#include "support/shapes.h"
#include "support/temp_dir.h"
#include "support/widget_app.h"
#include "ui/batch_convert_dlg.h"
#include "ui/convert_progress_dlg.h"
#include "ui/main_frame.h"
#include "ui/program_folder.h"
#include "ui/qt_app_shell.h"

namespace
{
namespace fs = std::filesystem;

// Runs then on the first modal dialog of type T once it is up.
template <class T> void WhenModal(std::function<void(T *)> then)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, then] {
        if (auto *modal = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            then(modal);
        }
    });
    timer->start();
}

// What the progress dialog showed when its run ended; presses its OK then.
struct ZnRunShown {
    std::string log;
    QString label, caption;
    int bar = -1, barMaximum = -1;
};
void CloseProgressAtTheEnd(ZnRunShown *shown)
{
    WhenModal<CZNConvertProgressDlg>([shown](CZNConvertProgressDlg *progress) {
        auto *poll = new QTimer(progress);
        QObject::connect(poll, &QTimer::timeout, [shown, progress, poll] {
            if (!progress->GetOKButton()->isEnabled())
                return;
            poll->stop();
            shown->log = progress->GetLog()->toPlainText().toStdString();
            shown->label = progress->GetLabel()->text();
            shown->caption = progress->windowTitle();
            shown->bar = progress->GetProgressBar()->value();
            shown->barMaximum = progress->GetProgressBar()->maximum();
            progress->GetOKButton()->click();
        });
        poll->start(10);
    });
}

std::set<std::string> Names(const fs::path &folder)
{
    std::set<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

IwfBytes Bytes(const fs::path &path)
{
    const std::string text = ZnReadFile(path.string());
    return IwfBytes(text.begin(), text.end());
}

// The data of the top-level thumbnail chunk of an IWF file; empty without one.
IwfBytes ThumbnailChunk(const fs::path &path)
{
    for (const IwfNode &node : IwfParse(Bytes(path)))
        if (node.id == CHUNK_THUMBNAIL)
            return node.data;
    return {};
}

// A scene file read with the first reader that takes it; null when none does.
std::unique_ptr<CZNSceneFile> Read(const fs::path &path)
{
    CZNFileStreamIO stream(path.c_str(), ZNSTREAM_READ);
    std::unique_ptr<CZNSceneFile> scene = ZnPickSceneReader(stream);
    if (scene)
        scene->Load(stream, true);
    return scene;
}
void Free(std::unique_ptr<CZNSceneFile> &scene)
{
    if (!scene)
        return;
    scene->Clear(IWFSAVE_ALL);
    scene->FreeLists();
    scene.reset();
}

// The material a face stores, as the writers look it up; null for none.
const CZNMATERIAL *MaterialOf(const CZNSceneFile &scene, const ZNFACE &face)
{
    for (const ZNMATERIALREF &ref : scene.m_MaterialRefs)
        if (ref.Material && face.m_Material >= 0 && ref.Index == static_cast<DWORD>(face.m_Material))
            return ref.Material;
    return nullptr;
}

// The output holds the input's brushes, faces, positions and texture coordinates, material
// values and textures.
void ExpectSameScene(const CZNSceneFile &input, const CZNSceneFile &output, const std::string &name)
{
    SCOPED_TRACE(name);
    ASSERT_EQ(output.m_Brushes.size(), input.m_Brushes.size());
    for (size_t b = 0; b < input.m_Brushes.size(); ++b) {
        const ZNBRUSH *in = input.m_Brushes[b], *out = output.m_Brushes[b];
        ASSERT_EQ(out->GetFaceCount(), in->GetFaceCount()) << "brush " << b;
        for (DWORD f = 0; f < in->GetFaceCount(); ++f) {
            const ZNFACE *fi = in->GetFace(f), *fo = out->GetFace(f);
            ASSERT_EQ(fo->GetVertexCount(), fi->GetVertexCount()) << "brush " << b << " face " << f;
            for (short v = 0; v < fi->GetVertexCount(); ++v) {
                const ZNVERTEX &a = fi->m_Vertices[v], &c = fo->m_Vertices[v];
                EXPECT_NEAR(c.x, a.x, 1e-5f);
                EXPECT_NEAR(c.y, a.y, 1e-5f);
                EXPECT_NEAR(c.z, a.z, 1e-5f);
                EXPECT_NEAR(c.tu, a.tu, 1e-5f);
                EXPECT_NEAR(c.tv, a.tv, 1e-5f);
            }
            EXPECT_EQ(fo->GetTexture(), fi->GetTexture()) << "brush " << b << " face " << f;
            const CZNMATERIAL *mi = MaterialOf(input, *fi), *mo = MaterialOf(output, *fo);
            ASSERT_EQ(mo != nullptr, mi != nullptr) << "brush " << b << " face " << f;
            if (mi) {
                const D3DMATERIAL9 vi = mi->GetD3DMaterial(), vo = mo->GetD3DMaterial();
                EXPECT_EQ(std::memcmp(&vi, &vo, sizeof(vi)), 0) << "brush " << b << " face " << f;
            }
        }
    }
}

int Triangles(const CZNSceneFile &scene)
{
    int triangles = 0;
    for (const ZNBRUSH *brush : scene.m_Brushes)
        for (DWORD f = 0; f < brush->GetFaceCount(); ++f)
            triangles += std::max(0, brush->GetFace(f)->GetVertexCount() - 2);
    return triangles;
}

class BatchEndToEndTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", (dir.Path() / "config").c_str(), 1);
        ZnWidgetApp();
        CZNSettings::SetUserFolder((dir.Path() / "config").c_str());
        ZnMakeProgramFolder(dir.Path() / "program", false);
        GetEditorApp()->SetProgramDirectory((dir.Path() / "program").string());
        GetEditorApp()->SetReporter(&reporter);
        const char *argv[] = {"zneditor", nullptr};
        ASSERT_TRUE(GetEditorApp()->InitInstance(&shell, 1, argv));
        frame = shell.GetMainFrame();
        ASSERT_NE(frame, nullptr);
        ASSERT_NE(GetEditorApp()->Get3D()->GetDevice(), nullptr);
        root = dir.Path() / "root";
        in = root / "in";
        out = dir.Path() / "out";
        fs::create_directories(in / "sub");
        fs::create_directories(out);
    }
    void TearDown() override
    {
        shell.DestroyWindows();
        GetEditorApp()->ReleaseInstance();
        GetEditorApp()->SetReporter(nullptr);
    }

    static void CopyData(const std::string &data, const fs::path &target)
    {
        fs::copy_file(fs::path(ZN_TEST_DATA_DIR) / data, target);
    }
    // A picture of the 3DS samples, or one written here, in the texture manager.
    static CZNTexture *AddTexture(const fs::path &picture)
    {
        auto *texture = new CZNTexture(picture.c_str(), nullptr);
        EXPECT_TRUE(texture->IsLoaded()) << picture;
        GetEditorApp()->GetTextureManager()->AddTexture(texture);
        return texture;
    }
    static CZNTexture *WrittenTexture(const fs::path &picture, int seed)
    {
        CZNImage image;
        image.AllocImageMem(8, 8, 24, false);
        for (DWORD i = 0; i < 64; ++i) {
            image.GetRedPlane()[i] = static_cast<BYTE>(seed * 37 + i);
            image.GetGreenPlane()[i] = static_cast<BYTE>(seed * 11 + 3 * i);
            image.GetBluePlane()[i] = static_cast<BYTE>(seed * 5 + 7 * i);
        }
        EXPECT_TRUE(image.SaveBMP(picture.c_str()));
        return AddTexture(picture);
    }
    static LONG AddMaterial(const char *name, float red, CZNTexture *texture)
    {
        CZN3D *d3d = GetEditorApp()->Get3D();
        const int index = d3d->AddMaterial();
        CZNMATERIAL *m = d3d->GetMaterialRecord(static_cast<DWORD>(index));
        m->SetName(name);
        D3DMATERIAL9 value{};
        value.Diffuse = {red, 0.5f, 0.25f, 1.0f};
        value.Ambient = {0.1f, 0.2f, 0.3f, 0.4f};
        value.Specular = {0.5f, 0.6f, 0.7f, 0.8f};
        value.Power = 4.0f;
        m->SetD3DMaterial(&value);
        if (texture)
            m->SetTexture(texture);
        return index;
    }
    static void Save(const fs::path &path, const std::vector<ZNBRUSH *> &brushes, CZNImage *thumbnail)
    {
        std::vector<ZNSELECTIONENTRY> entries;
        for (ZNBRUSH *b : brushes) {
            ZNSELECTIONENTRY e{};
            e.Type = ZNSELECT_BRUSH;
            e.Object = reinterpret_cast<uintptr_t>(b);
            entries.push_back(e);
        }
        CZNFileStreamIO stream(path.c_str(), ZNSTREAM_WRITE | ZNSTREAM_CREATE);
        CZNIWFScene writer;
        writer.SaveObjects(stream, entries, thumbnail ? IWFSAVE_ALL : IWFSAVE_ALL & ~IWFSAVE_THUMBNAIL, thumbnail);
        writer.FreeLists();
        stream.Close();
    }

    // Two IWF scenes: a box with a thumbnail of its own, and a scene of nested groups, list
    // materials, textures and a prism with a concave (L-shaped) cap.
    void WriteIwfScenes()
    {
        ZNBRUSH box;
        ZnBuildBox(box, {0, 0, 0}, {32, 16, 8});
        CZNImage thumbnail;
        thumbnail.AllocImageMem(16, 16, 24, false);
        for (DWORD i = 0; i < 256; ++i) {
            thumbnail.GetRedPlane()[i] = static_cast<BYTE>(i);
            thumbnail.GetGreenPlane()[i] = static_cast<BYTE>(255 - i);
            thumbnail.GetBluePlane()[i] = static_cast<BYTE>(i * 7);
        }
        Save(in / "thumb.iwf", {&box}, &thumbnail);

        CZNTexture *stone = WrittenTexture(root / "stone.bmp", 1), *grass = WrittenTexture(root / "grass.bmp", 2);
        const LONG plain = AddMaterial("Plain", 1.0f, nullptr), brick = AddMaterial("Brick", 0.5f, grass);
        // The groups outlive the brushes, which leave them first.
        CZNGROUP outer, inner;
        ZNBRUSH cube, wedge, prism;
        ZnBuildBox(cube, {0, 0, 0}, {16, 16, 16});
        ZnBuildWedge(wedge, {20, 0, 0}, {40, 16, 16});
        const ZnPolygon ell = {{0, 0, 30}, {20, 0, 30}, {20, 0, 40}, {10, 0, 40}, {10, 0, 50}, {0, 0, 50}};
        const D3DXVECTOR3 inside(5, 5, 35);
        ZnPolygon top;
        for (const D3DXVECTOR3 &p : ell)
            top.push_back(p + D3DXVECTOR3(0, 10, 0));
        ZnAddPolygon(prism, ell, inside);
        ZnAddPolygon(prism, top, inside);
        for (size_t i = 0; i < ell.size(); ++i) {
            const size_t j = (i + 1) % ell.size();
            ZnAddPolygon(prism, {ell[i], ell[j], top[j], top[i]}, inside);
        }
        ZnFinishBrush(prism);
        prism.BuildTriIndices();
        ASSERT_NE(prism.GetFace(0)->m_TriIndices, nullptr);
        cube.GetFace(0)->SetTexture(stone);
        cube.GetFace(1)->SetMaterial(brick);
        cube.GetFace(2)->SetMaterial(plain);
        cube.GetFace(3)->m_Vertices[1].tu = 0.5f;
        cube.GetFace(3)->m_Vertices[1].tv = -2.0f;
        wedge.GetFace(2)->SetTexture(grass);
        prism.GetFace(0)->SetMaterial(brick);
        outer.AddChild(&inner);
        inner.AddChild(&wedge);
        outer.AddChild(&prism);
        Save(in / "sub" / "groups.iwf", {&cube, &wedge, &prism}, nullptr);
        inner.Clear();
        outer.Clear();
    }

    // The input folder: the samples, the IWF scenes and files that are not scenes.
    void FillInputFolder()
    {
        for (const char *picture : {"IMAGE1.jpg", "IMAGE2.jpg", "CWALL02.jpg"})
            AddTexture(fs::path(ZN_TEST_DATA_DIR) / "3ds" / picture);
        CopyData("3ds/test1.3ds", in / "test1.3ds");
        CopyData("3ds/cube_with_diffuse_texture.3DS", in / "sub" / "cube_with_diffuse_texture.3DS");
        CopyData("3ds/test1.3ds", in / "sub" / "noext");
        CopyData("models/x/test_cube_binary.x", in / "test_cube_binary.x");
        CopyData("models/x/test_cube_text.x", in / "test_cube_text.x");
        CopyData("models/x/test_cube_compressed.x", in / "sub" / "test_cube_compressed.x");
        WriteIwfScenes();
        CopyData("3ds/test.png", in / "picture.png");
        // Cut inside the point list of the sample's sixth box.
        const std::string whole = ZnReadFile((fs::path(ZN_TEST_DATA_DIR) / "3ds/test1.3ds").string());
        ZnWriteFile((in / "truncated.3ds").string(), whole.substr(0, 5500));
        ZnWriteFile((in / "empty.iwf").string(), "");
        if (::geteuid() != 0) {
            CopyData("3ds/test1.3ds", in / "locked.3ds");
            fs::permissions(in / "locked.3ds", fs::perms::all, fs::perm_options::remove);
        }
    }

    // Opens the batch dialog through the main window and runs then on it.
    void RunBatchDialog(std::function<void(CZNBatchConvertDlg *)> then)
    {
        WhenModal<CZNBatchConvertDlg>([then](CZNBatchConvertDlg *batch) {
            then(batch);
            batch->reject();
        });
        frame->GetAction(ZNCMD_FILE_BATCH_CONVERSION)->trigger();
    }
    // Convert in the batch dialog with the name box text given; what the progress dialog showed.
    ZnRunShown Convert(CZNBatchConvertDlg *batch, const QString &names)
    {
        ZnRunShown shown;
        batch->GetNameBox()->setText(names);
        CloseProgressAtTheEnd(&shown);
        batch->GetConvertButton()->click();
        return shown;
    }

    ZnTempDir dir;
    CZNRecordingReporter reporter;
    CZNQtAppShell shell{nullptr};
    CZNMainFrame *frame = nullptr;
    fs::path root, in, out;
};

std::string Block(const std::string &input, const std::string &output)
{
    return "Importing from file '" + input + "'....  Success\nExporting to file '" + output +
           "'....  Success\nCleaning up redundant items....  Completed\n\n";
}
const std::string kNoReader = "FAILURE\nThe specified file is not of a valid or currently supported type.\n\n";

TEST_F(BatchEndToEndTest, AFolderOfScenesAndBrokenFilesToIWFThenToDirectX)
{
    FillInputFolder();
    const bool asRoot = ::geteuid() == 0;
    // The inputs that convert, in the order of the walk, with their outputs' names.
    const std::vector<std::pair<fs::path, std::string>> good = {
        {in / "sub" / "cube_with_diffuse_texture.3DS", "cube_with_diffuse_texture"},
        {in / "sub" / "groups.iwf", "groups"},
        {in / "sub" / "noext", "noext"},
        {in / "sub" / "test_cube_compressed.x", "test_cube_compressed"},
        {in / "test1.3ds", "test1"},
        {in / "test_cube_binary.x", "test_cube_binary"},
        {in / "test_cube_text.x", "test_cube_text"},
        {in / "thumb.iwf", "thumb"}};
    const int total = asRoot ? 11 : 12;

    ZnRunShown iwf, x;
    std::set<std::string> afterIwf;
    RunBatchDialog([&](CZNBatchConvertDlg *batch) {
        batch->SetCurrentFolder(QString::fromStdString(root.string()));
        batch->GetOutputEdit()->setText(QString::fromStdString(out.string()));
        batch->GetSelectFolders()->setChecked(true);
        reporter.QueueAnswer(IDYES); // sub-folders
        iwf = Convert(batch, QStringLiteral("in"));
        afterIwf = Names(out);
        batch->GetTypeCombo()->setCurrentIndex(1);
        reporter.QueueAnswer(IDYES);
        x = Convert(batch, QStringLiteral("in"));
    });

    // IWF: the whole log, one block per file in the walk's order.
    std::string expected = "Tovra Batch Conversion Processor\n-----------------------------------------\n"
                           "Batch Import Path:\n        " +
                           root.string() + "/\n\nBatch Export Path:\n        " + out.string() +
                           "/\n\nBeginning batch conversion process....\n\n";
    expected += "Importing from file 'empty.iwf'....  " + kNoReader;
    if (!asRoot)
        expected += "Importing from file 'locked.3ds'....  FAILURE\nUnable to open the specified file. File was not "
                    "converted.\n\n";
    expected += "Importing from file 'picture.png'....  " + kNoReader;
    for (const auto &[path, name] : good)
        expected += Block(path.filename().string(), name + ".iwf");
    expected += "Importing from file 'truncated.3ds'....  FAILURE\nAn error occured whilst importing the specified "
                "file. File was not converted.\nCleaning up redundant items....  Completed\n\n";
    expected += "Conversion process completed.\nConverted 8 of " + std::to_string(total) + " file(s) successfully.";
    EXPECT_EQ(iwf.log, expected);
    EXPECT_EQ(iwf.caption.toStdString(), "8 of " + std::to_string(total) + " File(s) successfully converted.");
    EXPECT_EQ(iwf.label.toStdString(), "8 File(s) of " + std::to_string(total) + " successfully converted.");
    EXPECT_EQ(iwf.bar, total);
    EXPECT_EQ(iwf.barMaximum, total);

    // Each output reads back as its input read directly; the IWF input's thumbnail is kept as
    // it was, every other output has a rendered one.
    std::set<std::string> expectedNames;
    for (const auto &[path, name] : good) {
        const fs::path output = out / (name + ".iwf");
        expectedNames.insert(name + ".iwf");
        std::unique_ptr<CZNSceneFile> input = Read(path), written = Read(output);
        ASSERT_NE(input, nullptr) << path;
        ASSERT_NE(dynamic_cast<CZNIWFScene *>(written.get()), nullptr) << output;
        ExpectSameScene(*input, *written, name);
        Free(input);
        Free(written);
        if (name == "thumb") {
            EXPECT_EQ(ThumbnailChunk(output), ThumbnailChunk(path));
            continue;
        }
        CZNIWFScene reader;
        CZNFileStreamIO stream(output.c_str(), ZNSTREAM_READ);
        CZNImage thumbnail;
        ASSERT_TRUE(reader.LoadThumbnail(stream, &thumbnail)) << name;
        EXPECT_EQ(thumbnail.GetWidth(), 106u);
        EXPECT_EQ(thumbnail.GetHeight(), 106u);
        ASSERT_EQ(thumbnail.GetBitsPerPixel(), 8) << name;
        int drawn = 0;
        for (DWORD i = 0; i < 106 * 106; ++i) {
            const RGBQUAD c = thumbnail.GetPalette()[thumbnail.GetRedPlane()[i]];
            drawn += c.rgbRed < 200 || c.rgbGreen < 200 || c.rgbBlue < 200;
        }
        EXPECT_GT(drawn, 106 * 106 / 50) << name << ": the scene shows on the white background";
    }
    EXPECT_EQ(afterIwf, expectedNames);

    // DirectX: each output holds its input's triangles; no thumbnail is made or missed.
    EXPECT_NE(x.log.find("Conversion process completed.\nConverted 8 of " + std::to_string(total)), std::string::npos)
        << x.log;
    EXPECT_EQ(x.log.find("Warning"), std::string::npos);
    for (const auto &[path, name] : good) {
        std::unique_ptr<CZNSceneFile> input = Read(path);
        ASSERT_NE(input, nullptr);
        CZNXScene written;
        CZNFileStreamIO stream((out / (name + ".x")).c_str(), ZNSTREAM_READ);
        ASSERT_TRUE(written.IsValidFile(stream)) << name;
        written.Load(stream, true);
        EXPECT_EQ(Triangles(written), Triangles(*input)) << name;
        written.Clear(XSCENE_CLEAR_BRUSHES | XSCENE_CLEAR_TEXTURES);
        written.FreeLists();
        Free(input);
        expectedNames.insert(name + ".x");
    }
    EXPECT_EQ(Names(out), expectedNames);
    // Both runs asked about the sub-folders and nothing else.
    ASSERT_EQ(reporter.Entries().size(), 2u);
}

// Abort pressed while the first thumbnail is drawn: the worker waits for that call on the UI
// thread, so the press comes exactly then. That file completes and no other starts.
class AbortAtTheFirstCall : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The worker's calls to the UI thread are queued on the application object; the
        // progress dialog's own updates are queued on the dialog.
        if (event->type() == QEvent::MetaCall && watched == QCoreApplication::instance() && batch && !pressed) {
            if (CZNConvertProgressDlg *progress = batch->GetProgressDlg()) {
                pressed = true;
                progress->GetAbortButton()->click();
            }
        }
        return QObject::eventFilter(watched, event);
    }
    CZNBatchConvertDlg *batch = nullptr;
    bool pressed = false;
};

TEST_F(BatchEndToEndTest, AbortDuringTheFirstThumbnailFinishesThatFileOnly)
{
    for (const char *name : {"a.3ds", "b.3ds"})
        CopyData("3ds/test1.3ds", in / name);
    CopyData("models/x/test_cube_text.x", in / "c.x");
    AbortAtTheFirstCall filter;
    QCoreApplication::instance()->installEventFilter(&filter);
    ZnRunShown shown;
    RunBatchDialog([&](CZNBatchConvertDlg *batch) {
        batch->SetCurrentFolder(QString::fromStdString(in.string()));
        batch->GetOutputEdit()->setText(QString::fromStdString(out.string()));
        filter.batch = batch;
        shown = Convert(batch, QStringLiteral("\"a.3ds\" \"b.3ds\" \"c.x\""));
        filter.batch = nullptr;
    });
    QCoreApplication::instance()->removeEventFilter(&filter);
    EXPECT_TRUE(filter.pressed);
    EXPECT_NE(shown.log.find(Block("a.3ds", "a.iwf")), std::string::npos) << shown.log;
    EXPECT_EQ(shown.log.find("'b.3ds'"), std::string::npos);
    EXPECT_EQ(shown.log.substr(shown.log.rfind("Conversion process")),
              "Conversion process aborted by user.\nConverted 1 of 3 file(s) successfully.");
    EXPECT_EQ(shown.bar, 1);
    EXPECT_EQ(Names(out), std::set<std::string>{"a.iwf"});
    std::unique_ptr<CZNSceneFile> input = Read(in / "a.3ds"), written = Read(out / "a.iwf");
    ASSERT_NE(written, nullptr);
    ExpectSameScene(*input, *written, "a");
    Free(input);
    Free(written);
}

// Build Lighting fills the application's light-map builder with device textures; shutting the
// editor down frees them before the device goes (ASan and LSan watch the process).
TEST_F(BatchEndToEndTest, ShutDownAfterALightingBuild)
{
    CZNEDITORDoc *doc = GetEditorApp()->GetDocument();
    ASSERT_NE(doc, nullptr);
    ZNBRUSH *brush = doc->NewBrush();
    ZnBuildBox(*brush, {0, 0, 0}, {48, 24, 24});
    ZNSELECTIONENTRY e{};
    e.Type = ZNSELECT_BRUSH;
    e.Object = reinterpret_cast<uintptr_t>(brush);
    ASSERT_EQ(GetEditorApp()->GetSelectionBand()->AddToSelection(&e, 1, 0), 1);
    frame->GetAction(ZNCMD_3D_BUILD_LIGHTMAPS)->trigger();
    CZNLightmapBuilder *builder = GetEditorApp()->GetLightmapBuilder();
    ASSERT_EQ(builder->GetLightMapCount(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_NE(builder->GetLightMap(i)->Texture, nullptr);
    GetEditorApp()->GetSelectionBand()->Clear(1, 0);
    shell.DestroyWindows();
    GetEditorApp()->ReleaseInstance();
    EXPECT_EQ(builder->GetLightMapCount(), 0);
    EXPECT_EQ(GetEditorApp()->Get3D()->GetDevice(), nullptr);
}
} // namespace
