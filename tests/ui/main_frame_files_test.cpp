// The main window's File commands as a designer meets them: Open of a damaged copy keeps the level
// that is loaded, and an Import that replaces the scene leaves the document without a file name.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>

#include <memory>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "fileio/3ds_import_fixture.h"
#include "render/direct3d.h"
#include "scene/brush.h"
#include "scene/face.h"
#include "scene/material.h"
#include "support/shapes.h"
#include "support/temp_dir.h"
#include "ui/2d_view_widget.h"
#include "ui/main_frame.h"
#include "ui/main_frame_fixture.h"

namespace
{

constexpr UINT kNew = 57600, kOpen = 57601, kSave = 57603, kSaveAs = 57604, kImport = 32837;

class MainFrameFilesTest : public ZnMainFrameTest
{
protected:
    void SetOptions() override
    {
        GetEditorApp()->Options().m_DrawCamera2D = 0;
        // Started up: the views draw the scene.
        GetEditorApp()->Options().m_Initialized = 1;
    }
    void SetUp() override
    {
        ZnMainFrameTest::SetUp();
        // The file dialogs answer from a queue of paths; an empty path cancels.
        frame->SetFileDialog([this](ZNFILEDIALOG kind, std::string *path) {
            asked.push_back(kind);
            if (answers.empty())
                return false;
            *path = answers.front();
            answers.erase(answers.begin());
            return !path->empty();
        });
        frame->show();
    }
    void ResetApp() override
    {
        GetEditorApp()->Options().m_Initialized = 0;
        GetEditorApp()->Get3D()->TrimMaterialList();
    }

    // A level of two cubes, one of them with a material of its own, saved as level.iwf.
    void SaveLevel()
    {
        CZN3D *d3d = GetEditorApp()->Get3D();
        const int rust = d3d->AddMaterial();
        ASSERT_GE(rust, 0);
        D3DMATERIAL9 value = {};
        value.Diffuse = {0.6f, 0.3f, 0.1f, 1.0f};
        d3d->GetMaterialRecord(static_cast<DWORD>(rust))->SetD3DMaterial(&value);
        d3d->GetMaterialRecord(static_cast<DWORD>(rust))->SetName("Rust");
        ZnBuildBox(*doc->NewBrush(), {-64, -64, -64}, {0, 0, 0});
        ZNBRUSH *rusty = doc->NewBrush();
        ZnBuildBox(*rusty, {32, 0, 16}, {96, 48, 80});
        for (DWORD f = 0; f < rusty->GetFaceCount(); ++f)
            rusty->GetFace(f)->SetMaterial(rust);
        doc->SetModifiedFlag(TRUE);
        answers = {level};
        frame->RunCommand(kSaveAs);
        ASSERT_EQ(doc->GetPathName(), level);
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> out;
        for (const auto &entry : reporter.Entries())
            out.push_back(entry.text);
        return out;
    }
    std::vector<ZNBBOX> Boxes() const
    {
        std::vector<ZNBBOX> out;
        for (ZNBRUSH *b = doc->GetBrushList(); b; b = b->m_Next)
            out.push_back(b->GetBoundingBox(1));
        return out;
    }
    // What the Top view's pane shows now.
    QImage TopPane()
    {
        doc->RedrawAllViews(nullptr, 0);
        QCoreApplication::processEvents();
        for (CZN2DViewWidget *widget : frame->findChildren<CZN2DViewWidget *>())
            if (widget->GetView() == frame->Get2DView(0))
                return widget->grab().toImage();
        ADD_FAILURE() << "no Top pane";
        return {};
    }

    const std::string level = dir.File("level.iwf");
    std::vector<std::string> answers;
    std::vector<ZNFILEDIALOG> asked;
};

// Open a level, then a copy of it cut in half: the error is shown, and the level, its name and
// its modified flag stay; the views still show it, and Save writes the level's own bytes again.
TEST_F(MainFrameFilesTest, OpeningADamagedCopyKeepsTheLevel)
{
    SaveLevel();
    const std::string saved = ZnReadFile(level);
    ASSERT_FALSE(saved.empty());
    frame->RunCommand(kNew);
    answers = {level};
    frame->RunCommand(kOpen);
    ASSERT_EQ(doc->GetPathName(), level);
    ASSERT_FALSE(doc->IsModified());
    const std::vector<ZNBBOX> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    const QImage shown = TopPane();

    const std::string half = dir.File("half.iwf");
    ZnWriteFile(half, saved.substr(0, saved.size() / 2));
    answers = {half};
    frame->RunCommand(kOpen);
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "Unable to read scene from the specified file. The file may not be of a valid type."}));
    EXPECT_EQ(doc->GetPathName(), level);
    EXPECT_TRUE(frame->windowTitle().startsWith(QStringLiteral("level.iwf")))
        << frame->windowTitle().toStdString();
    EXPECT_FALSE(doc->IsModified());
    const std::vector<ZNBBOX> after = Boxes();
    ASSERT_EQ(after.size(), boxes.size());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].Min, boxes[i].Min);
        EXPECT_EQ(after[i].Max, boxes[i].Max);
    }
    // The second cube's faces still name the level's material.
    const LONG material = doc->GetLastBrush()->GetFace(0)->GetMaterial();
    ASSERT_NE(GetEditorApp()->Get3D()->GetMaterialRecord(static_cast<DWORD>(material)), nullptr);
    EXPECT_STREQ(GetEditorApp()->Get3D()->GetMaterialRecord(static_cast<DWORD>(material))->GetName(), "Rust");
    EXPECT_EQ(TopPane(), shown);

    asked.clear();
    frame->RunCommand(kSave);
    EXPECT_TRUE(asked.empty()) << "the level keeps its name";
    EXPECT_EQ(ZnReadFile(level), saved);

    // The picture compared above is the level's: an empty scene shows another.
    frame->RunCommand(kNew);
    EXPECT_NE(TopPane(), shown);
}

// A 3DS model: one triangle.
std::string Model()
{
    using namespace zn3ds;
    const Bytes bytes = File(Triangle("Tri"));
    return std::string(bytes.begin(), bytes.end());
}

struct ImportCase {
    const char *name;
    int answer;        // to "Do you wish to clear the currently loaded scene?"
    size_t brushes;    // afterwards
    bool keepsName;
};

class ImportNameTest : public MainFrameFilesTest, public ::testing::WithParamInterface<ImportCase>
{
};

// Replacing the scene with a model leaves the document untitled, so Save asks for a name rather
// than write the model over the level; adding the model to the level keeps the level's name.
TEST_P(ImportNameTest, OnlyAnImportThatAddsKeepsTheFileName)
{
    const ImportCase &c = GetParam();
    SaveLevel();
    const std::string saved = ZnReadFile(level);
    const std::string model = dir.File("model.3ds");
    ZnWriteFile(model, Model());

    reporter.QueueAnswer(c.answer);
    answers = {model};
    frame->RunCommand(kImport);
    ASSERT_EQ(Texts(), (std::vector<std::string>{"Do you wish to clear the currently loaded scene?"}));
    EXPECT_EQ(Boxes().size(), c.brushes);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->GetPathName(), c.keepsName ? level : std::string());
    EXPECT_TRUE(frame->windowTitle().startsWith(QString::fromStdString(c.keepsName ? "level.iwf" : "Untitled")))
        << frame->windowTitle().toStdString();

    asked.clear();
    answers = {""};
    frame->RunCommand(kSave);
    if (c.keepsName) {
        EXPECT_TRUE(asked.empty());
        EXPECT_NE(ZnReadFile(level), saved);
        EXPECT_FALSE(doc->IsModified());
    } else {
        EXPECT_EQ(asked, (std::vector<ZNFILEDIALOG>{ZNFILEDLG_SAVE_AS}));
        EXPECT_EQ(ZnReadFile(level), saved);
        EXPECT_TRUE(doc->IsModified());
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, ImportNameTest,
                         ::testing::Values(ImportCase{"ReplaceLeavesItUntitled", IDYES, 1, false},
                                           ImportCase{"AddKeepsTheName", IDNO, 3, true}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
