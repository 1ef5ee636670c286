#pragma once

// The editor started in this process through the Qt shell, with the shipped plug-ins, the
// material preview picture and a texture folder of four small pictures, for the tests of the
// Faces and Textures pages. Helpers build a cube, select its faces, activate a page through its
// tab button and read the document's undo levels.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QImage>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "platform/os/recording_reporter.h"
#include "render/direct3d.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "scene/brush.h"
#include "scene/face.h"
#include "scene/selection_entry.h"
#include "support/shapes.h"
#include "support/temp_dir.h"
#include "support/widget_app.h"
#include "ui/main_frame.h"
#include "ui/options_bar.h"
#include "ui/options_sheet.h"
#include "ui/qt_app_shell.h"

class ZnMaterialPagesTest : public ::testing::Test
{
protected:
    // The pictures of the texture folder: name and colour, 64 x 64 except grass (32 x 32).
    void SetUp() override
    {
        namespace fs = std::filesystem;
        setenv("XDG_CONFIG_HOME", (dir.Path() / "config").c_str(), 1);
        ZnWidgetApp();
        const fs::path built(ZN_PROGRAM_DIR), program = dir.Path() / "program";
        fs::create_directories(program / "Debug Logs");
        fs::create_directories(program / "Textures");
        fs::copy(built / "Plugins", program / "Plugins", fs::copy_options::recursive);
        fs::copy_file(built / "Material.sys", program / "Material.sys");
        fs::copy(built / "Resources", program / "Resources", fs::copy_options::recursive);
        WritePicture(program / "Textures" / "brick.png", 64, QColor(180, 60, 40));
        WritePicture(program / "Textures" / "grass.png", 32, QColor(40, 160, 40));
        WritePicture(program / "Textures" / "Stone.png", 64, QColor(128, 128, 128));
        WritePicture(program / "Textures" / "white.png", 64, QColor(255, 255, 255));
        GetEditorApp()->SetProgramDirectory(program.string());
        GetEditorApp()->SetReporter(&reporter);
        const char *argv[] = {"zneditor", nullptr};
        ASSERT_TRUE(GetEditorApp()->InitInstance(&shell, 1, argv));
        frame = shell.GetMainFrame();
        frame->setWindowState(Qt::WindowNoState);
        frame->resize(1024, 768);
        QCoreApplication::processEvents();
        doc = GetEditorApp()->GetDocument();
    }
    void TearDown() override
    {
        if (frame)
            Band()->Clear(1, 0);
        shell.DestroyWindows();
        GetEditorApp()->ReleaseInstance();
        GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH);
        GetEditorApp()->SetReporter(nullptr);
    }

    static void WritePicture(const std::filesystem::path &path, int side, QColor colour)
    {
        QImage image(side, side, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(QString::fromStdString(path.string())));
    }

    static CZNSelectionBand *Band() { return GetEditorApp()->GetSelectionBand(); }
    static CZNTextureManager *Textures() { return GetEditorApp()->GetTextureManager(); }
    CZNOptionsSheet *Sheet() const { return frame->GetOptionsBar()->GetSheet(); }

    // Shows the page as a click on its tab does.
    void Activate(int page)
    {
        QTest::mouseClick(Sheet()->GetTabButton(page), Qt::LeftButton);
        QCoreApplication::processEvents();
        ASSERT_EQ(Sheet()->GetActiveIndex(), page);
    }

    ZNBRUSH *Cube()
    {
        ZNBRUSH *brush = doc->NewBrush();
        ZnBuildBox(*brush, D3DXVECTOR3(-32, -32, -32), D3DXVECTOR3(32, 32, 32));
        return brush;
    }
    // Face edit mode with these faces of the brush selected, and the active page refreshed.
    void SelectFaces(ZNBRUSH *brush, std::vector<DWORD> faces)
    {
        GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
        Band()->Clear(1, 0);
        for (DWORD face : faces) {
            ZNSELECTIONENTRY e;
            e.Type = ZNSELECT_FACE;
            e.Object = reinterpret_cast<uintptr_t>(brush);
            e.Face = face;
            ASSERT_EQ(Band()->AddToSelection(&e, 1, 0), 1);
        }
        Sheet()->RefreshActivePage();
    }

    // The descriptions of the document's undo levels, newest first.
    std::vector<std::string> UndoLevels() const
    {
        std::vector<std::string> levels;
        for (const ZNUNDORECORD *r = doc->GetUndoList(); r; r = r->Next)
            if (!r->Continuation)
                levels.push_back(r->Description ? r->Description : "");
        return levels;
    }
    const ZNUNDORECORD *Newest() const { return doc->GetUndoList(); }

    CZNTexture *FindTexture(const char *name) const
    {
        for (CZNTexture *t = Textures()->GetFirstTexture(); t; t = t->GetNext())
            if (std::string(t->GetTextureName()) == name)
                return t;
        return nullptr;
    }

    static std::string ScratchPath(const char *name) { return std::string(ZN_TEST_TMP_DIR) + "/" + name; }

    ZnTempDir dir;
    CZNRecordingReporter reporter;
    CZNQtAppShell shell{nullptr};
    CZNMainFrame *frame = nullptr;
    CZNEDITORDoc *doc = nullptr;
};
