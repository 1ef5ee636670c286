// The batch job's worker reads .X and 3DS files, growing the shared material list and taking
// references on the texture manager's pictures, while this thread, the UI thread, keeps drawing
// the document's textured faces through the 3D view and serves the worker's calls (thumbnails
// on). Built with the tsan preset, ThreadSanitizer watches every hand-over; in any build the
// device asserts when a call comes from another thread.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "fileio/batch_host.h"
#include "fileio/batch_job.h"
#include "fileio/iwf_export_options.h"
#include "render/texture_manager.h"
#include "render/view3d_fixture.h"
#include "scene/container.h"
#include "support/gui_app.h"
#include "support/shapes.h"

namespace
{
namespace fs = std::filesystem;

class EndRecordingHost : public IZNBatchHost
{
public:
    void Log(const std::string &text) override
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Log += text;
    }
    void ShowCount(int, int) override {}
    void SetProgressRange(int) override {}
    void SetProgress(int) override {}
    void EnableClose(BOOL enable) override
    {
        if (enable)
            ended.store(true);
    }
    bool IsAbortRequested() const override { return false; }
    std::string LogText()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Log;
    }
    std::atomic<bool> ended{false};

private:
    std::mutex m_Mutex;
    std::string m_Log;
};

class BatchJobDrawingTest : public ZnView3DTest
{
protected:
    void SetUp() override
    {
        ZnGuiApp();
        ZnView3DTest::SetUp();
    }
    void TearDown() override
    {
        document.reset();
        CZNTextureManager *manager = GetEditorApp()->GetTextureManager();
        for (CZNTexture *t : pictures) {
            manager->DetachTexture(t);
            delete t;
        }
        D3D().TrimMaterialList();
        ZnView3DTest::TearDown();
    }
    // A picture of the 3DS samples in the texture manager, where the 3DS reader finds it.
    CZNTexture *Picture(const char *name)
    {
        auto *texture = new CZNTexture((fs::path(ZN_TEST_DATA_DIR) / "3ds" / name).c_str(), nullptr);
        EXPECT_TRUE(texture->IsLoaded()) << name;
        GetEditorApp()->GetTextureManager()->AddTexture(texture);
        pictures.push_back(texture);
        return texture;
    }

    std::vector<CZNTexture *> pictures;
};

TEST_F(BatchJobDrawingTest, TheJobConvertsWhileTheUIThreadDrawsTexturedFaces)
{
    CZNTexture *image1 = Picture("IMAGE1.jpg");
    CZNTexture *image2 = Picture("IMAGE2.jpg");
    CZNTexture *wall = Picture("CWALL02.jpg");
    // The document's faces show the first picture; the other two only the worker's reads use.
    for (int column = -1; column <= 1; ++column) {
        ZNBRUSH *brush = Brush();
        const float x = column * 4.0f;
        ZnBuildBox(*brush, {x - 1.5f, -1.5f, 12.0f}, {x + 1.5f, 1.5f, 15.0f});
        brush->SetTexture(image1, 0);
        brush->SetMaterial(Material(0x80C0FF));
    }

    fs::create_directories(dir.Path() / "in");
    fs::create_directories(dir.Path() / "out");
    ZNBATCHSETTINGS settings;
    settings.InputFolder = (dir.Path() / "in").string() + "/";
    settings.OutputFolder = (dir.Path() / "out").string() + "/";
    ParseIWFExportOptions(IWF_EXPORT_OPTIONS_DEFAULT, &settings.Options);
    const std::pair<const char *, const char *> samples[] = {{"models/x/test_cube_text.x", ".x"},
                                                             {"models/x/test_cube_binary.x", ".x"},
                                                             {"3ds/test1.3ds", ".3ds"},
                                                             {"3ds/cube_with_diffuse_texture.3DS", ".3ds"}};
    for (const auto &[sample, extension] : samples) {
        const fs::path target = dir.Path() / "in" / ("f" + std::to_string(settings.Selection.size()) + extension);
        fs::copy_file(fs::path(ZN_TEST_DATA_DIR) / sample, target);
        settings.Selection.push_back(target.string());
    }

    EndRecordingHost host;
    CZNBatchJob job(settings, &host);
    job.Start();
    int frames = 0;
    while (!host.ended.load()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        view.Render(0, 0, 1);
        ++frames;
        CZNCONTAINER *list = D3D().GetMaterialList();
        for (DWORD k = 0; k < list->GetElementCount(); ++k)
            ASSERT_NE(list->GetElement(k), nullptr);
    }
    job.Join();

    const std::string log = host.LogText();
    EXPECT_EQ(log.substr(log.rfind("Conversion process")),
              "Conversion process completed.\r\nConverted 4 of 4 file(s) successfully.");
    EXPECT_EQ(log.find("Warning"), std::string::npos) << "every file got its thumbnail";
    EXPECT_GT(frames, 0);
    // The worker's references are gone and so are the device textures only it needed; the
    // document's picture keeps its own.
    EXPECT_EQ(image2->GetRefCount(), 0);
    EXPECT_EQ(wall->GetRefCount(), 0);
    EXPECT_EQ(image2->GetD3DTexture(), nullptr);
    EXPECT_EQ(wall->GetD3DTexture(), nullptr);
    EXPECT_GT(image1->GetRefCount(), 0);
    EXPECT_NE(image1->GetD3DTexture(), nullptr);
}
} // namespace
