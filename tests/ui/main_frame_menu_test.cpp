// Every menu item, toolbar-only button and accelerator of the main window in one table: the
// built menus hold exactly the table's items in its order (text, command id, shortcut, status
// prompt and tooltip), and each item follows its update rule when its menu opens and does what
// it says when triggered through the window (its shortcut when it has one), shown by its effect
// on the document, the selection, the modes and the views, or by its message. Modal dialogs are
// closed from inside their runs; file dialogs, the export dialogs, the help page opener, the
// clipboard and the message boxes are answered by test doubles.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "fileio/iwf_export_options.h"
#include "fileio/prefab_manager.h"
#include "platform/os/clipboard.h"
#include "platform/os/command_ids.h"
#include "platform/os/memory_clipboard.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "render/view/2d_view.h"
#include "render/view/3d_view.h"
#include "scene/brush.h"
#include "scene/group.h"
#include "ui/main_frame.h"
#include "ui/main_frame_fixture.h"
#include "ui/options_bar.h"
#include "ui/options_sheet.h"

namespace
{

namespace fs = std::filesystem;

// One row: the menu path it sits in ("/" between levels; "(toolbar)" for a button without a
// menu item, "(key)" for an accelerator alone), its text ("-" a separator; a sub-menu has id
// 0), the command id, the shortcut, the prompt, and what it does.
struct MenuRow {
    const char *menu;
    const char *text;
    UINT id;
    const char *keys;
    const char *prompt;
    std::function<void(const MenuRow &)> effect;
};

class MenuTableTest : public ZnShownFrameTest
{
protected:
    void SetOptions() override
    {
        CZN3D *d3d = GetEditorApp()->Get3D();
        const CZNCAMERA *camera = d3d->GetCamera();
        saved3D = {d3d->GetRenderMode(), d3d->IsDefaultLighting(), d3d->GetAmbientLight(), camera->GetPosition(),
                   camera->GetLook(),    camera->GetUp(),          camera->GetRight()};
        savedGrid = GetEditorApp()->GetGridSize();
        ZnShownFrameTest::SetOptions();
        savedProgramDir = GetEditorApp()->GetProgramDirectory();
        GetEditorApp()->SetProgramDirectory(dir.Path().string() + "/");
        helpPage = dir.Path() / "Help" / "TovraReference" / "legalinfo.html";
        fs::create_directories(helpPage.parent_path());
        std::ofstream(helpPage) << "<html><body>Help</body></html>";
        fs::create_directories(dir.Path() / "Prefabs");
        SetClipboard(&clipboard);
    }
    void SetUp() override
    {
        ZnShownFrameTest::SetUp();
        frame->SetFileDialog([this](ZNFILEDIALOG kind, std::string *path) {
            asked.push_back(kind);
            *path = answer;
            return !answer.empty();
        });
        frame->SetExportDialog([this](std::string *path, int *type) {
            *path = answer;
            *type = 1;
            return true;
        });
        frame->SetExportOptionsDialog([](IWFEXPORTOPTIONS *) { return true; });
        frame->SetUrlOpener([this](const QUrl &url) {
            opened.push_back(url);
            return true;
        });
        CollectMenus(frame->menuBar()->actions(), "");
    }
    void TearDown() override
    {
        GetEditorApp()->Get3D()->GetCamera()->Select(0);
        ZnShownFrameTest::TearDown();
    }
    void ResetApp() override
    {
        ZnShownFrameTest::ResetApp();
        SetClipboard(nullptr);
        CZN3D *d3d = GetEditorApp()->Get3D();
        d3d->SetRenderMode(saved3D.renderMode);
        d3d->SetDefaultLighting(saved3D.defaultLighting);
        d3d->SetAmbientLight(saved3D.ambient);
        d3d->GetCamera()->SetPositionAndAxes(&saved3D.position, &saved3D.look, &saved3D.up, &saved3D.right, 0);
        GetEditorApp()->SetGridSize(savedGrid);
        GetEditorApp()->SetRightButtonMode(ZNRBUTTON_PAN);
        GetEditorApp()->SetProgramDirectory(savedProgramDir);
    }

    // The built menus as rows of path and action, in order.
    struct Built {
        std::string menu;
        QAction *action;
        QMenu *parent;
    };
    void CollectMenus(const QList<QAction *> &actions, const std::string &path, QMenu *parent = nullptr)
    {
        for (QAction *action : actions) {
            if (path.empty()) {
                CollectMenus(action->menu()->actions(), action->text().toStdString(), action->menu());
                continue;
            }
            built.push_back({path, action, parent});
            if (action->menu())
                CollectMenus(action->menu()->actions(), path + "/" + action->text().toStdString(), action->menu());
        }
    }
    QMenu *MenuOf(UINT id) const
    {
        for (const Built &b : built)
            if (b.action->data().toUInt() == id && !b.action->menu())
                return b.parent;
        return nullptr;
    }

    QAction *Action(UINT id) const { return frame->GetAction(id); }
    // The states as the user sees them on opening the item's menu (or, for a button, at once).
    void Open(const MenuRow &row)
    {
        if (QMenu *menu = MenuOf(row.id))
            emit menu->aboutToShow();
        else
            frame->UpdateCommandUI();
    }
    bool On(UINT id) const { return Action(id)->isEnabled(); }
    bool Checked(UINT id) const { return Action(id)->isChecked(); }
    // The item's shortcut when it has one, else a click on its item or button.
    void Fire(const MenuRow &row)
    {
        if (*row.keys)
            QTest::keySequence(frame.get(), QKeySequence(QString::fromUtf8(row.keys)));
        else
            Action(row.id)->trigger();
        QCoreApplication::processEvents();
    }
    // The next modal dialog is closed as soon as it shows; its title is kept.
    void CloseNextModal()
    {
        QTimer::singleShot(10, frame.get(), [this] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                modalTitles.push_back(modal->windowTitle().toStdString());
                modal->close();
            } else {
                CloseNextModal();
            }
        });
    }

    // An empty scene, nothing selected, no messages or dialog answers.
    void Fresh()
    {
        Band()->Clear(1, 0);
        GetEditorApp()->Get3D()->GetCamera()->Select(0);
        GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH);
        doc->DeleteContents();
        doc->SetModifiedFlag(FALSE);
        reporter.Clear();
        asked.clear();
        answer.clear();
        frame->UpdateCommandUI();
    }
    int BrushCount() const
    {
        int n = 0;
        for (const ZNBRUSH *b = doc->GetBrushList(); b; b = b->m_Next)
            ++n;
        return n;
    }
    std::string NewestUndo() const
    {
        const ZNUNDORECORD *newest = doc->GetUndoList();
        return newest && newest->Description ? newest->Description : "";
    }
    std::string LastMessage() const
    {
        return reporter.Entries().empty() ? std::string() : reporter.Entries().back().text;
    }
    // Two overlapping cubes, both selected as objects.
    std::vector<ZNBRUSH *> TwoSelected()
    {
        std::vector<ZNBRUSH *> cubes = {Box({0, 0, 0}, {40, 40, 40}), Box({20, 0, 0}, {60, 40, 40})};
        for (ZNBRUSH *b : cubes)
            Add(ZNSELECT_BRUSH, b);
        return cubes;
    }
    std::string SavedScene(const char *name)
    {
        Box({0, 0, 0}, {32, 32, 32});
        const std::string path = (dir.Path() / name).string();
        EXPECT_EQ(doc->ExportScene(path.c_str(), nullptr, nullptr, 1), 1);
        Fresh();
        return path;
    }

    // A radio item: enabled, and after it ran its value is current and it is checked.
    std::function<void(const MenuRow &)> Radio(std::function<int()> current, int value)
    {
        return [this, current, value](const MenuRow &row) {
            Open(row);
            EXPECT_TRUE(On(row.id));
            Fire(row);
            EXPECT_EQ(current(), value);
            Open(row);
            EXPECT_TRUE(Checked(row.id));
        };
    }
    // A toggle of an option word: the check follows the word, which the item inverts and
    // inverts back. enable first sets what the item needs to be enabled; disable then sets a
    // state in which the item is greyed and keeps its check and its word.
    using OptionsStep = std::function<void(ZNAPPOPTIONS &)>;
    std::function<void(const MenuRow &)> Toggle(int32_t ZNAPPOPTIONS::*flag, OptionsStep disable = nullptr,
                                                OptionsStep enable = nullptr)
    {
        return [this, flag, disable, enable](const MenuRow &row) {
            ZNAPPOPTIONS &o = GetEditorApp()->Options();
            const ZNAPPOPTIONS start = o;
            if (enable)
                enable(o);
            const int32_t before = o.*flag;
            Open(row);
            EXPECT_TRUE(On(row.id));
            EXPECT_EQ(Checked(row.id), before != 0);
            Fire(row);
            EXPECT_EQ(o.*flag, before ? 0 : 1);
            Open(row);
            EXPECT_EQ(Checked(row.id), before == 0);
            Fire(row);
            EXPECT_EQ(o.*flag, before);
            Open(row);
            if (disable) {
                disable(o);
                Open(row);
                EXPECT_FALSE(On(row.id));
                EXPECT_EQ(Checked(row.id), before != 0);
                EXPECT_EQ(o.*flag, before);
            }
            o = start;
            Open(row);
        };
    }
    // A Toolbars item: the bar (or the options dock) hides and shows again, the check following.
    std::function<void(const MenuRow &)> Shows(std::function<QWidget *()> bar)
    {
        return [this, bar](const MenuRow &row) {
            ASSERT_TRUE(bar()->isVisible());
            Open(row);
            EXPECT_TRUE(Checked(row.id));
            Fire(row);
            EXPECT_FALSE(bar()->isVisible());
            Open(row);
            EXPECT_FALSE(Checked(row.id));
            Fire(row);
            EXPECT_TRUE(bar()->isVisible());
            Open(row);
            EXPECT_TRUE(Checked(row.id));
        };
    }
    std::function<void(const MenuRow &)> Background(D3DCOLOR colour)
    {
        return [this, colour](const MenuRow &row) {
            frame->Get3DView()->SetBackground(0x12345678);
            Open(row);
            EXPECT_TRUE(On(row.id));
            Fire(row);
            EXPECT_EQ(frame->Get3DView()->GetBackground(), colour);
        };
    }
    // A command on the selected objects: greyed without them, then run on two cubes, leaving
    // the newest undo level so named.
    std::function<void(const MenuRow &)> OnObjects(const char *undo)
    {
        return [this, undo](const MenuRow &row) {
            Fresh();
            Box({0, 0, 0}, {40, 40, 40});
            Open(row);
            EXPECT_FALSE(On(row.id));
            Fresh();
            TwoSelected();
            Open(row);
            EXPECT_TRUE(On(row.id));
            Fire(row);
            EXPECT_EQ(NewestUndo(), undo);
            EXPECT_TRUE(reporter.Entries().empty()) << LastMessage();
        };
    }
    // A hiding command, with the states that enable it: empty scene, two cubes, the first
    // selected ('+' enabled), and the hidden flags it leaves on the two cubes.
    std::function<void(const MenuRow &)> Hiding(const char *enabled, bool startHidden, bool first, bool second)
    {
        return [this, enabled, startHidden, first, second](const MenuRow &row) {
            Fresh();
            Open(row);
            EXPECT_EQ(On(row.id), enabled[0] == '+');
            ZNBRUSH *a = Box({0, 0, 0}, {40, 10, 40});
            ZNBRUSH *b = Box({80, 0, 0}, {120, 10, 40});
            Open(row);
            EXPECT_EQ(On(row.id), enabled[1] == '+');
            Add(ZNSELECT_BRUSH, a);
            Open(row);
            EXPECT_EQ(On(row.id), enabled[2] == '+');
            for (ZNBRUSH *cube : {a, b})
                if (startHidden)
                    cube->m_Flags |= ZNBRUSH_HIDDEN;
            Fire(row);
            EXPECT_EQ((a->m_Flags & ZNBRUSH_HIDDEN) != 0, first);
            EXPECT_EQ((b->m_Flags & ZNBRUSH_HIDDEN) != 0, second);
        };
    }
    std::function<void(const MenuRow &)> Help()
    {
        return [this](const MenuRow &row) {
            opened.clear();
            Open(row);
            EXPECT_TRUE(On(row.id));
            Fire(row);
            ASSERT_EQ(opened.size(), 1u);
            EXPECT_EQ(opened[0], QUrl::fromLocalFile(QString::fromStdString(helpPage.string())));
            EXPECT_TRUE(reporter.Entries().empty()) << LastMessage();
        };
    }
    std::function<void(const MenuRow &)> Modal(const char *title)
    {
        return [this, title](const MenuRow &row) {
            modalTitles.clear();
            Open(row);
            EXPECT_TRUE(On(row.id));
            CloseNextModal();
            Fire(row);
            EXPECT_EQ(modalTitles, std::vector<std::string>{title});
            // The offscreen platform leaves no window active after a dialog.
            frame->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        };
    }

    // An edit mode: the band lets go of what it held; the mode and its check follow.
    std::function<void(const MenuRow &)> EditMode(int value)
    {
        return [this, value](const MenuRow &row) {
            Add(ZNSELECT_BRUSH, Box({0, 0, 0}, {40, 40, 40}));
            Open(row);
            EXPECT_TRUE(On(row.id));
            Fire(row);
            EXPECT_EQ(static_cast<int>(GetEditorApp()->GetEditMode()), value);
            EXPECT_EQ(Band()->GetEntryCount(), 0u);
            Open(row);
            EXPECT_TRUE(Checked(row.id));
        };
    }
    // A placement mode from the Faces page: its mode and check, its page; Select goes back.
    std::function<void(const MenuRow &)> Placement(int value, int pageIndex)
    {
        return [this, value, pageIndex](const MenuRow &row) {
            Sheet()->SetActivePage(CZNOptionsSheet::PAGE_FACES);
            Open(row);
            EXPECT_TRUE(On(row.id));
            Fire(row);
            EXPECT_EQ(static_cast<int>(GetEditorApp()->GetPlacementMode()), value);
            EXPECT_EQ(Sheet()->GetActiveIndex(), pageIndex);
            Open(row);
            EXPECT_TRUE(Checked(row.id));
            Action(ZNCMD_PLACE_SELECT)->trigger();
            EXPECT_EQ(Sheet()->GetActiveIndex(), static_cast<int>(CZNOptionsSheet::PAGE_FACES));
        };
    }
    CZNOptionsSheet *Sheet() const { return frame->GetOptionsBar()->GetSheet(); }
    // Statistics and Sanitize: enabled in the states empty scene, two cubes, the first selected
    // ('+'), and then the message shown holds the text.
    std::function<void(const MenuRow &)> Reports(const char *enabled, const char *text)
    {
        return [this, enabled, text](const MenuRow &row) {
            Open(row);
            EXPECT_EQ(On(row.id), enabled[0] == '+');
            ZNBRUSH *a = Box({0, 0, 0}, {40, 10, 40});
            Box({80, 0, 0}, {120, 10, 40});
            Open(row);
            EXPECT_EQ(On(row.id), enabled[1] == '+');
            Add(ZNSELECT_BRUSH, a);
            Open(row);
            EXPECT_EQ(On(row.id), enabled[2] == '+');
            Fire(row);
            EXPECT_NE(LastMessage().find(text), std::string::npos) << LastMessage();
        };
    }

    std::vector<Built> built;
    CZNMemoryClipboard clipboard;
    std::vector<ZNFILEDIALOG> asked;
    std::string answer;
    std::vector<QUrl> opened;
    std::vector<std::string> modalTitles;
    fs::path helpPage;
    std::string savedProgramDir;
    // The wrapper's state the commands change, put back after the test.
    struct {
        DWORD renderMode;
        DWORD defaultLighting;
        D3DCOLOR ambient;
        D3DXVECTOR3 position, look, up, right;
    } saved3D{};
    float savedGrid = 10.0f;
};

TEST_F(MenuTableTest, EveryItemIsBuiltFollowsItsRuleAndDoesWhatItSays)
{
    CZNEDITORApp *app = GetEditorApp();
    ZNAPPOPTIONS &o = app->Options();
    CZN3D *d3d = app->Get3D();
    auto renderMode = [d3d] { return static_cast<int>(d3d->GetRenderMode()); };
    auto rightButton = [app] { return static_cast<int>(app->GetRightButtonMode()); };
    auto toolBar = [this](int index) { return [this, index]() -> QWidget * { return frame->GetToolBars()[index]; }; };
    auto off = [](int32_t ZNAPPOPTIONS::*flag) { return [flag](ZNAPPOPTIONS &options) { options.*flag = 0; }; };
    auto on = [](std::vector<int32_t ZNAPPOPTIONS::*> flags) {
        return [flags](ZNAPPOPTIONS &options) {
            for (auto flag : flags)
                options.*flag = 1;
        };
    };
    // A camera mode: the mode, its check, and the camera looking down +z again.
    auto cameraMode = [&](int value) {
        return [&, value](const MenuRow &row) {
            const D3DXVECTOR3 position(0, 0, 0), look(1, 0, 0), up(0, 1, 0), right(0, 0, -1);
            d3d->GetCamera()->SetPositionAndAxes(&position, &look, &up, &right, 0);
            Open(row);
            EXPECT_TRUE(On(row.id));
            Fire(row);
            EXPECT_EQ(o.m_CameraMode, value);
            EXPECT_EQ(d3d->GetCamera()->GetLook(), D3DXVECTOR3(0, 0, 1));
            Open(row);
            EXPECT_TRUE(Checked(row.id));
        };
    };
    // Centre and Zoom: greyed without a selection; on the selected cube the Top view centres.
    auto centres = [&](bool zooms) {
        return [this, zooms](const MenuRow &row) {
            ZNBRUSH *cube = Box({0, 0, 0}, {40, 10, 40});
            Open(row);
            EXPECT_FALSE(On(row.id));
            Add(ZNSELECT_BRUSH, cube);
            Open(row);
            EXPECT_TRUE(On(row.id));
            Top()->SetCentre(500, 500);
            Top()->SetZoom(1);
            Fire(row);
            const D3DXVECTOR3 centre(20, 5, 20);
            POINT p;
            Top()->WorldToScreen(&p, &centre);
            EXPECT_NEAR(p.x, Top()->GetClientWidth() / 2, 1);
            EXPECT_NEAR(p.y, Top()->GetClientHeight() / 2, 1);
            EXPECT_EQ(Top()->GetZoom() > 1.0f, zooms);
        };
    };
    const std::string scene = SavedScene("scene.iwf");
    const std::string saved = (dir.Path() / "saved.iwf").string();
    const std::string savedAs = (dir.Path() / "saved as.iwf").string();

    // clang-format off
    const std::vector<MenuRow> rows = {
        {"&File", "&New\tCtrl+N", 57600, "Ctrl+N", "Create a new document\nNew", [&](const MenuRow &row) {
            Box({0, 0, 0}, {32, 32, 32});
            doc->SetModifiedFlag(TRUE);
            reporter.QueueAnswer(IDNO);
            Open(row);
            EXPECT_TRUE(On(row.id));
            Fire(row);
            EXPECT_EQ(LastMessage(), "Save changes to Untitled?");
            EXPECT_EQ(doc->GetBrushList(), nullptr);
            EXPECT_FALSE(doc->IsModified());
        }},
        {"&File", "&Open...\tCtrl+O", 57601, "Ctrl+O", "Open an existing document\nOpen", [&](const MenuRow &row) {
            answer = scene;
            Fire(row);
            EXPECT_EQ(asked, std::vector<ZNFILEDIALOG>{ZNFILEDLG_OPEN});
            EXPECT_EQ(BrushCount(), 1);
            EXPECT_EQ(frame->windowTitle().toStdString(), "scene.iwf[*] - TOVRA v1.5");
        }},
        {"&File", "&Save\tCtrl+S", 57603, "Ctrl+S", "Save the active document\nSave", [&](const MenuRow &row) {
            doc->DoFileNew();
            Box({0, 0, 0}, {32, 32, 32});
            doc->SetModifiedFlag(TRUE);
            answer = saved;
            Fire(row);
            EXPECT_EQ(asked, std::vector<ZNFILEDIALOG>{ZNFILEDLG_SAVE_AS});
            EXPECT_GT(fs::file_size(saved), 0u);
            EXPECT_FALSE(doc->IsModified());
        }},
        {"&File", "Save &As...", 57604, "", "Save the active document with a new name\nSave As", [&](const MenuRow &row) {
            Box({0, 0, 0}, {32, 32, 32});
            answer = savedAs;
            Fire(row);
            EXPECT_EQ(asked, std::vector<ZNFILEDIALOG>{ZNFILEDLG_SAVE_AS});
            EXPECT_GT(fs::file_size(savedAs), 0u);
        }},
        {"&File", "-", 0, "", "", nullptr},
        {"&File", "&Import", 32837, "", "Import a support scene or model file into the scene.", [&](const MenuRow &row) {
            Box({100, 0, 0}, {132, 32, 32});
            answer = scene;
            Open(row);
            EXPECT_TRUE(On(row.id));
            reporter.QueueAnswer(IDNO);
            Fire(row);
            EXPECT_EQ(LastMessage(), "Do you wish to clear the currently loaded scene?");
            EXPECT_EQ(asked, std::vector<ZNFILEDIALOG>{ZNFILEDLG_IMPORT});
            EXPECT_EQ(BrushCount(), 2);
        }},
        {"&File", "&Export Selected...", 0, "", "", nullptr},
        {"&File/&Export Selected...", "As &File", 32838, "", "Save the Current Select as an IWF.", [&](const MenuRow &row) {
            ZNBRUSH *cube = Box({0, 0, 0}, {32, 32, 32});
            Open(row);
            EXPECT_FALSE(On(row.id));
            Add(ZNSELECT_BRUSH, cube);
            Open(row);
            EXPECT_TRUE(On(row.id));
            answer = (dir.Path() / "selection.iwf").string();
            Fire(row);
            EXPECT_GT(fs::file_size(answer), 0u);
        }},
        {"&File/&Export Selected...", "As &Prefab", 32839, "", "Save Current Selection as a Prefab", [&](const MenuRow &row) {
            ZNBRUSH *cube = Box({0, 0, 0}, {32, 32, 32});
            Open(row);
            EXPECT_FALSE(On(row.id));
            Add(ZNSELECT_BRUSH, cube);
            Open(row);
            EXPECT_TRUE(On(row.id));
            answer = (dir.Path() / "Prefabs" / "Cube.iwf").string();
            Fire(row);
            EXPECT_EQ(asked, std::vector<ZNFILEDIALOG>{ZNFILEDLG_PREFAB});
            EXPECT_GT(fs::file_size(answer), 0u);
        }},
        {"&File", "&Batch Conversion", 32860, "", "Batch convert files from one format to another.", Modal("Batch Conversion")},
        {"&File", "-", 0, "", "", nullptr},
        // The file Save As wrote heads the list; its entry opens it.
        {"&File", "Recent File", 0, "", "", [&](const MenuRow &) {
            QMenu *recent = nullptr;
            for (const Built &b : built)
                if (b.action->menu() && b.action->text() == QStringLiteral("Recent File"))
                    recent = b.action->menu();
            ASSERT_NE(recent, nullptr);
            EXPECT_TRUE(recent->isEnabled());
            ASSERT_FALSE(recent->actions().isEmpty());
            EXPECT_EQ(recent->actions()[0]->text().toStdString(), "&1 " + savedAs);
            recent->actions()[0]->trigger();
            EXPECT_EQ(frame->windowTitle().toStdString(), "saved as.iwf[*] - TOVRA v1.5");
            EXPECT_EQ(BrushCount(), 1);
        }},
        {"&File", "-", 0, "", "", nullptr},
        {"&File", "E&xit", 57665, "", "Quit the application; prompts to save documents\nExit", [&](const MenuRow &row) {
            Fire(row);
            EXPECT_FALSE(frame->isVisible());
            frame->show();
            frame->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        }},
        {"&Edit", "&Undo\tCtrl+Z", 57643, "Ctrl+Z", "Undo the last action\nUndo", [&](const MenuRow &row) {
            Open(row);
            EXPECT_FALSE(On(row.id));
            TwoSelected();
            frame->UpdateCommandUI();
            Action(ZNCMD_GROUP_SELECTED)->trigger();
            Open(row);
            EXPECT_TRUE(On(row.id));
            EXPECT_EQ(Action(row.id)->text().toStdString(), "&Undo Group Objects\tCtrl + Z");
            Fire(row);
            EXPECT_EQ(doc->GetBrushList()->GetParent(), nullptr);
            Open(row);
            EXPECT_FALSE(On(row.id));
            EXPECT_EQ(Action(row.id)->text().toStdString(), "&Undo\tCtrl+Z");
        }},
        {"&Edit", "-", 0, "", "", nullptr},
        {"&Edit", "Cu&t\tCtrl+X", 57635, "Ctrl+X", "Cut the selection and put it on the Clipboard\nCut", [&](const MenuRow &row) {
            ZNBRUSH *cube = Box({0, 0, 0}, {32, 32, 32});
            Open(row);
            EXPECT_FALSE(On(row.id));
            Add(ZNSELECT_BRUSH, cube);
            Open(row);
            EXPECT_TRUE(On(row.id));
            Fire(row);
            EXPECT_EQ(doc->GetBrushList(), nullptr);
            Open(row);
            EXPECT_TRUE(On(ZNCMD_EDIT_PASTE));
        }},
        {"&Edit", "&Copy\tCtrl+C", 57634, "Ctrl+C", "Copy the selection and put it on the Clipboard\nCopy", [&](const MenuRow &row) {
            ASSERT_TRUE(clipboard.Open());
            clipboard.Empty();
            clipboard.Close();
            Add(ZNSELECT_BRUSH, Box({0, 0, 0}, {32, 32, 32}));
            Open(row);
            EXPECT_TRUE(On(row.id));
            EXPECT_FALSE(On(ZNCMD_EDIT_PASTE));
            Fire(row);
            EXPECT_EQ(BrushCount(), 1);
            Open(row);
            EXPECT_TRUE(On(ZNCMD_EDIT_PASTE));
        }},
        // The copy made above is still on the clipboard.
        {"&Edit", "&Paste\tCtrl+V", 57637, "Ctrl+V", "Insert Clipboard contents\nPaste", [&](const MenuRow &row) {
            Box({0, 0, 0}, {32, 32, 32});
            Open(row);
            EXPECT_TRUE(On(row.id));
            Fire(row);
            EXPECT_EQ(BrushCount(), 2);
        }},
        {"&Edit", "Delete\tCtrl+Del", 32784, "Ctrl+Del", "Deletes all selected BRUSHES from the scene", [&](const MenuRow &row) {
            ZNBRUSH *cube = Box({0, 0, 0}, {32, 32, 32});
            Open(row);
            EXPECT_FALSE(On(row.id));
            Add(ZNSELECT_BRUSH, cube);
            Open(row);
            EXPECT_TRUE(On(row.id));
            reporter.QueueAnswer(IDNO);
            Fire(row);
            EXPECT_EQ(LastMessage(), " This will permenantly REMOVE the selected brushes from the scene.\n Are you sure you wish to continue");
            EXPECT_EQ(BrushCount(), 1);
            EXPECT_EQ(doc->GetUndoList(), nullptr);
            reporter.QueueAnswer(IDYES);
            Fire(row);
            EXPECT_EQ(BrushCount(), 0);
            EXPECT_EQ(NewestUndo(), "Delete Objects");
        }},
        {"&Edit", "-", 0, "", "", nullptr},
        {"&Edit", "Select &All\tCtrl+A", 57642, "Ctrl+A", "Select the entire document\nSelect All", [&](const MenuRow &row) {
            Box({0, 0, 0}, {32, 32, 32});
            Box({64, 0, 0}, {96, 32, 32});
            Open(row);
            EXPECT_TRUE(On(row.id));
            Fire(row);
            EXPECT_EQ(Band()->GetEntryCount(), 2u);
        }},
        {"&Tools", "Persistant &CSG Ops", 0, "", "", nullptr},
        {"&Tools/Persistant &CSG Ops", "&Carve", 32788, "", "Carve the Scene with Selected Brushes\nDifference / Carve", [&](const MenuRow &row) {
            ZNBRUSH *cutter = Box({10, 10, 10}, {30, 30, 30});
            Box({0, 0, 0}, {40, 40, 40});
            Open(row);
            EXPECT_FALSE(On(row.id));
            Add(ZNSELECT_BRUSH, cutter);
            Open(row);
            EXPECT_TRUE(On(row.id));
            Fire(row);
            EXPECT_EQ(NewestUndo(), "Carve Objects");
            EXPECT_TRUE(reporter.Entries().empty()) << LastMessage();
        }},
        {"&Tools/Persistant &CSG Ops", "&Union", 32789, "", "Perform Union on Selected Brushes\nUnion", OnObjects("Union Selected")},
        {"&Tools/Persistant &CSG Ops", "&Intersection", 32790, "", "Perform Intersection on Selected brushes\nIntersection", OnObjects("Intersect Selected")},
        {"&Tools", "&Grouping", 0, "", "", nullptr},
        {"&Tools/&Grouping", "&Group Selected Objects\tCtrl+G", 32795, "Ctrl+G", "Group all Objects/Groups in the Selection band together\nGroup", [&](const MenuRow &row) {
            OnObjects("Group Objects")(row);
            EXPECT_NE(doc->GetBrushList()->GetParent(), nullptr);
            // Not while the camera is selected as well.
            d3d->GetCamera()->Select(1);
            Open(row);
            EXPECT_FALSE(On(row.id));
        }},
        {"&Tools/&Grouping", "&UnGroup Selected Objects\tCtrl+U", 32796, "Ctrl+U", "UnGroup selected items into seperate Brushes / Subgroups\nUngroup", [&](const MenuRow &row) {
            TwoSelected();
            frame->UpdateCommandUI();
            Action(ZNCMD_GROUP_SELECTED)->trigger();
            ASSERT_NE(doc->GetBrushList()->GetParent(), nullptr);
            d3d->GetCamera()->Select(1);
            Open(row);
            EXPECT_FALSE(On(row.id));
            d3d->GetCamera()->Select(0);
            Open(row);
            EXPECT_TRUE(On(row.id));
            Fire(row);
            EXPECT_EQ(NewestUndo(), "Ungroup Objects");
            EXPECT_EQ(doc->GetBrushList()->GetParent(), nullptr);
        }},
        {"&Tools", "Hiding", 0, "", "", nullptr},
        {"&Tools/Hiding", "Hide &All", 32869, "", "Hide all scene objects.", Hiding("-++", false, true, true)},
        {"&Tools/Hiding", "&Hide Selected\tCtrl+H", 32870, "Ctrl+H", "Hide only those scene objects currently selected.", Hiding("--+", false, true, false)},
        {"&Tools/Hiding", "Hide &Deselected", 32875, "", "", Hiding("-++", false, false, true)},
        {"&Tools/Hiding", "-", 0, "", "", nullptr},
        {"&Tools/Hiding", "&Unhide All\tCtrl+L", 32872, "Ctrl+L", "Unhide all scene objects.", Hiding("-++", true, false, false)},
        {"&Tools/Hiding", "Unhide &Selected", 32873, "", "Unhide only those scene objects currently selected.", Hiding("--+", true, false, true)},
        {"&Tools/Hiding", "Unhide Des&elected", 32876, "", "", Hiding("-++", true, true, false)},
        {"&Tools", "&Editing Mode", 0, "", "", nullptr},
        {"&Tools/&Editing Mode", "&Brush", 10001, "", "Select / Edit / Move Brushes in the Scene\nBrush Edit Mode", EditMode(ZNEDITMODE_BRUSH)},
        {"&Tools/&Editing Mode", "&Faces", 10002, "", "Select / Edit / Move individual Faces in the Scene\nFace Edit Mode", EditMode(ZNEDITMODE_FACE)},
        {"&Tools/&Editing Mode", "&Vertices", 10003, "", "Select / Edit / Move individual Vertices in the Scene\nVertex Edit Mode", EditMode(ZNEDITMODE_VERTEX)},
        {"&Tools/&Editing Mode", "&Overlay Surfaces", 32824, "", "Select and Edit Overlay Surfaces\nOverlay Edit Mode", EditMode(ZNEDITMODE_OVERLAY)},
        {"&Tools", "&Placement Mode", 0, "", "", nullptr},
        {"&Tools/&Placement Mode", "&Selection", 32777, "", "In this mode Left Button selectes Brushes / Faces and Vertices\nSelect", [&](const MenuRow &row) {
            Sheet()->SetActivePage(CZNOptionsSheet::PAGE_SCENE);
            Action(ZNCMD_PLACE_PRIMITIVE)->trigger();
            Action(ZNCMD_PLACE_OVERLAY)->trigger();
            Open(row);
            EXPECT_TRUE(On(row.id));
            Fire(row);
            EXPECT_EQ(app->GetPlacementMode(), ZNPLACE_SELECT);
            EXPECT_EQ(Sheet()->GetActiveIndex(), static_cast<int>(CZNOptionsSheet::PAGE_SCENE));
            Open(row);
            EXPECT_TRUE(Checked(row.id));
        }},
        {"&Tools/&Placement Mode", "&Primitives", 32778, "", "In this mode Left Button places a Primitive generated by the currently selected Primitive plugin\nPlace Primitive", Placement(ZNPLACE_PRIMITIVE, CZNOptionsSheet::PAGE_PRIMITIVES)},
        // Enabled with no entity plug-in loaded.
        {"&Tools/&Placement Mode", "&Entities", 32779, "", "In this mode Left Button places an Entity generated by the currently selected Entity plugin\nPlace Entity", Placement(ZNPLACE_ENTITY, CZNOptionsSheet::PAGE_ENTITIES)},
        {"&Tools/&Placement Mode", "&Overlays", 32825, "", "In this mode Left Button places an Overlay Generator in the Scene\nPlace Overlay Generator", Placement(ZNPLACE_OVERLAY, CZNOptionsSheet::PAGE_OVERLAYS)},
        // No prefab chosen: greyed, and a click does nothing. The prefab As Prefab saved above
        // became the Prefabs page's current one, so the choice is taken back first.
        {"&Tools/&Placement Mode", "&Prefabs", 32847, "", "Places a copy of the currently selected prefab into the scene\nPlace Prefab", [&](const MenuRow &row) {
            app->GetPrefabManager()->SetCurrent(nullptr);
            Open(row);
            EXPECT_FALSE(On(row.id));
            Fire(row);
            EXPECT_EQ(app->GetPlacementMode(), ZNPLACE_SELECT);
        }},
        {"&Tools", "&Alignment Aids", 0, "", "", nullptr},
        {"&Tools/&Alignment Aids", "Snap &Translation to Grid", 32815, "", "Movement of the Selection Band is snapped to the Grid\nSnap Translation", [&](const MenuRow &row) {
            Toggle(&ZNAPPOPTIONS::m_SnapToGrid)(row);
            Fire(row);
            EXPECT_EQ(frame->GetStatusText(2).toStdString(), "Snap : Pos");
            Fire(row);
            EXPECT_EQ(frame->GetStatusText(2).toStdString(), "Snap : None");
        }},
        {"&Tools/&Alignment Aids", "Snap &Rotation to Intervals", 32816, "", "Rotation of the Selection Band is snapped to intervals\nSnap Rotation", [&](const MenuRow &row) {
            Toggle(&ZNAPPOPTIONS::m_SnapRotation)(row);
            Fire(row);
            EXPECT_EQ(frame->GetStatusText(2).toStdString(), "Snap : Rot");
            Fire(row);
            EXPECT_EQ(frame->GetStatusText(2).toStdString(), "Snap : None");
        }},
        // The keypad keys are read by the window, wherever the focus is.
        {"&Tools/&Alignment Aids", "&Increase Grid Size\tNumpad +", 32854, "", "Increase the size of the alignment grid.", [&](const MenuRow &row) {
            app->SetGridSize(10.0f);
            Open(row);
            EXPECT_TRUE(On(row.id));
            QTest::keyClick(frame.get(), Qt::Key_Plus, Qt::KeypadModifier);
            EXPECT_FLOAT_EQ(app->GetGridSize(), 11.0f);
            Fire(row);
            EXPECT_FLOAT_EQ(app->GetGridSize(), 12.0f);
            EXPECT_EQ(frame->GetStatusText(1).toStdString(), "Grid : 12");
        }},
        {"&Tools/&Alignment Aids", "&Decrease Grid Size\tNumpad -", 32855, "", "Decrease the size of the alignment grid.", [&](const MenuRow &row) {
            app->SetGridSize(2.5f);
            Open(row);
            EXPECT_TRUE(On(row.id));
            QTest::keyClick(frame.get(), Qt::Key_Minus, Qt::KeypadModifier);
            EXPECT_FLOAT_EQ(app->GetGridSize(), 1.5f);
            Fire(row);
            EXPECT_FLOAT_EQ(app->GetGridSize(), 1.0f);
            Fire(row);
            EXPECT_FLOAT_EQ(app->GetGridSize(), 1.0f);
            EXPECT_EQ(frame->GetStatusText(1).toStdString(), "Grid : 1");
        }},
        {"&Tools", "Right &Mouse Move / Zoom", 0, "", "", nullptr},
        {"&Tools/Right &Mouse Move / Zoom", "&Scroll", 32775, "", "In this mode the Right mouse button + Movement moves the grid around\nPan 2D Views", [&](const MenuRow &row) {
            app->SetRightButtonMode(ZNRBUTTON_ZOOM);
            Radio(rightButton, ZNRBUTTON_PAN)(row);
        }},
        {"&Tools/Right &Mouse Move / Zoom", "&Zoom", 32776, "", "In this mode the right mouse button + movement zooms the 2D views in and out\nZoom 2D Views", Radio(rightButton, ZNRBUTTON_ZOOM)},
        {"&Tools", "&Sanitize Selected Brushes", 32868, "", "Weld the vertices of the selected brushes.", Reports("--+", "Sanitization process completed successfully.")},
        {"&Tools", "-", 0, "", "", nullptr},
        {"&Tools", "Scene &Statistics", 0, "", "", nullptr},
        {"&Tools/Scene &Statistics", "&Entire Scene", 32866, "", "View the statistics for the entire scene.", Reports("-++", "Brushes : 2\r\nFaces : 12\r\n")},
        {"&Tools/Scene &Statistics", "&Selected Objects", 32867, "", "View the statistics for the currently selected objects.", Reports("--+", "Brushes : 1\r\nFaces : 6\r\n")},
        {"&View", "&3D View", 0, "", "", nullptr},
        {"&View/&3D View", "Render &Mode", 0, "", "", nullptr},
        {"&View/&3D View/Render &Mode", "&Textured", 32859, "", "Render the scene in Textured mode\nTextured", Radio(renderMode, 4)},
        {"&View/&3D View/Render &Mode", "&Solid", 32834, "", "Renders the scene in Solid mode\nSolid", Radio(renderMode, 3)},
        {"&View/&3D View/Render &Mode", "&Wireframe", 32835, "", "Render the scene in WireFrame mode\nWireframe", Radio(renderMode, 2)},
        {"&View/&3D View/Render &Mode", "&Point", 32836, "", "Renders the scene as Points (vertices only)\nPoint", Radio(renderMode, 1)},
        {"&View/&3D View", "&Lights", 0, "", "", nullptr},
        {"&View/&3D View/&Lights", "Use Default Lighting\tCtrl+D", 32812, "Ctrl+D", "Disables Light Entities from influencing the 3D rendered scene. Tovra uses its own internal lighting", [&](const MenuRow &row) {
            d3d->SetDefaultLighting(1);
            Open(row);
            EXPECT_TRUE(Checked(row.id));
            Fire(row);
            EXPECT_EQ(d3d->IsDefaultLighting(), 0);
            EXPECT_EQ(d3d->GetAmbientLight(), 0u); // no ambient light in the scene
            Open(row);
            EXPECT_FALSE(Checked(row.id));
            Fire(row);
            EXPECT_NE(d3d->IsDefaultLighting(), 0);
            EXPECT_EQ(d3d->GetAmbientLight(), 0xFF4C4C4Cu);
            Open(row);
            EXPECT_TRUE(Checked(row.id));
        }},
        {"&View/&3D View/&Lights", "Render Lights", 32813, "", "Toggles On/Off rendering of the Light Label and Bounding Box in the 3D scene", Toggle(&ZNAPPOPTIONS::m_DrawLights3D)},
        {"&View/&3D View", "&Overlays", 0, "", "", nullptr},
        {"&View/&3D View/&Overlays", "Render Boxes", 32826, "", "Enables / Disables Rendering of  Wireframe Boxes to Display Overlays Influence", Toggle(&ZNAPPOPTIONS::m_DrawOverlayBoxes3D)},
        {"&View/&3D View/&Overlays", "Render Surfaces", 32827, "", "Enables / Disables Rendering of the Actual Overlay Surfaces", Toggle(&ZNAPPOPTIONS::m_DrawOverlays3D)},
        {"&View/&3D View/&Overlays", "Render Wireframe Selection", 32828, "", "Enables / Disables Wireframe Rendering of Overlay Surfaces", Toggle(&ZNAPPOPTIONS::m_DrawOverlayWireframe3D)},
        {"&View/&3D View", "&Background Color", 0, "", "", nullptr},
        {"&View/&3D View/&Background Color", "&1\tBlack", 32877, "", "Switch the background color of the 3D view.", Background(0xFF000000)},
        {"&View/&3D View/&Background Color", "&2\tBlue", 32878, "", "Switch the background color of the 3D view.", Background(0xFF0000FF)},
        {"&View/&3D View/&Background Color", "&3\tWhite", 32879, "", "Switch the background color of the 3D view.", Background(0xFFFFFFFF)},
        {"&View/&3D View/&Background Color", "&4\tGray", 32880, "", "Switch the background color of the 3D view.", Background(0xFFAAAAAA)},
        {"&View/&3D View", "Render &Entities", 32811, "", "", Toggle(&ZNAPPOPTIONS::m_DrawEntities3D)},
        {"&View/&3D View", "&Fast-Draw Detail Objects", 32864, "", "Fast-Draw all detail objects using simple bounding boxes when panning or manipulating.", Toggle(&ZNAPPOPTIONS::m_FastDraw3D)},
        {"&View", "&2D View", 0, "", "", nullptr},
        {"&View/&2D View", "Lights", 0, "", "", nullptr},
        {"&View/&2D View/Lights", "Render Lights", 32808, "", "Toggles On/Off rendering of Lights in 2D Views", Toggle(&ZNAPPOPTIONS::m_DrawLights2D)},
        {"&View/&2D View/Lights", "Render Light Influences", 32809, "", "Toggles On/Off rendering of Light influences for Spot lights and Point lights in the 2D views", Toggle(&ZNAPPOPTIONS::m_DrawLightInfluences, off(&ZNAPPOPTIONS::m_DrawLights2D))},
        {"&View/&2D View", "Overlays", 0, "", "", nullptr},
        {"&View/&2D View/Overlays", "Render Boxes", 32832, "", "Enables / Disables Rendering of  Wireframe Boxes to Display Overlays Influence", Toggle(&ZNAPPOPTIONS::m_DrawOverlayBoxes2D)},
        {"&View/&2D View/Overlays", "Render Surfaces", 32833, "", "Enables / Disables Rendering of the Actual Overlay Surfaces", Toggle(&ZNAPPOPTIONS::m_DrawOverlays2D)},
        {"&View/&2D View", "Camera", 0, "", "", nullptr},
        {"&View/&2D View/Camera", "Render Camera", 32820, "", "Enable the rendering of the Camera in the 2D views", Toggle(&ZNAPPOPTIONS::m_DrawCamera2D)},
        {"&View/&2D View/Camera", "Enable Camera Selection", 32821, "", "Enables the Camera to be selected and moved in the 2D views", Toggle(&ZNAPPOPTIONS::m_CameraSelectable, off(&ZNAPPOPTIONS::m_DrawCamera2D))},
        {"&View/&2D View/Camera", "Dynamic Update From 3D View", 32819, "", "Camera Movement in the 3D window causes all 2D views to be redrawn with updated camera position (slow)", Toggle(&ZNAPPOPTIONS::m_DynamicUpdate, off(&ZNAPPOPTIONS::m_DrawCamera2D))},
        {"&View/&2D View/Camera", "Keep Camera In View", 32822, "", "Adjusts and Redraws the a 2D View to Keep the Camera in view when the camera is moved in the 3d view", Toggle(&ZNAPPOPTIONS::m_KeepCameraInView, off(&ZNAPPOPTIONS::m_DynamicUpdate), on({&ZNAPPOPTIONS::m_DynamicUpdate}))},
        {"&View/&2D View/Camera", "Keep Camera Centered", 32823, "", "Adjusts and Redraws the a 2D view to keep the camera in center of view when the camera is moved in the 3D view", [&](const MenuRow &row) {
            Toggle(&ZNAPPOPTIONS::m_KeepCameraCentred, off(&ZNAPPOPTIONS::m_KeepCameraInView), on({&ZNAPPOPTIONS::m_DynamicUpdate, &ZNAPPOPTIONS::m_KeepCameraInView}))(row);
            Toggle(&ZNAPPOPTIONS::m_KeepCameraCentred, off(&ZNAPPOPTIONS::m_DynamicUpdate), on({&ZNAPPOPTIONS::m_DynamicUpdate, &ZNAPPOPTIONS::m_KeepCameraInView}))(row);
        }},
        {"&View/&2D View", "Render Entities", 32810, "", "Toggles On/Off rendering of Entities in 2D views", Toggle(&ZNAPPOPTIONS::m_DrawEntities2D)},
        {"&View/&2D View", "&Fast-Draw Detail Objects", 32865, "", "Fast-Draw all detail objects using simple bounding boxes when panning or manipulating.", Toggle(&ZNAPPOPTIONS::m_FastDraw2D)},
        {"Tool&bars", "Display &Options Property Sheet\tCtrl+1", 32783, "Ctrl+1", "Brings up the Options Property Sheet\nProperties", Shows([this]() -> QWidget * { return frame->GetOptionsBar(); })},
        {"Tool&bars", "Object &Placement Toolbar\tCtrl+2", 32840, "Ctrl+2", "", Shows(toolBar(2))},
        {"Tool&bars", "&Edit Mode Toolbar\tCtrl+3", 32841, "Ctrl+3", "", Shows(toolBar(1))},
        {"Tool&bars", "&CSG Toolbar\tCtrl+4", 32842, "Ctrl+4", "", Shows(toolBar(3))},
        {"Tool&bars", "&File / 2D View Toolbar\tCtrl+5", 32843, "Ctrl+5", "", Shows(toolBar(0))},
        {"Tool&bars", "&3D View Toolbar\tCtrl+6", 32844, "Ctrl+6", "", Shows(toolBar(6))},
        {"Tool&bars", "&Groups Toolbar\tCtrl+7", 32845, "Ctrl+7", "", Shows(toolBar(4))},
        {"Tool&bars", "&Snap Toolbar\tCtrl+8", 32846, "Ctrl+8", "", Shows(toolBar(5))},
        {"&Help", "&Contents\tF1", 32857, "F1", "", Help()},
        {"&Help", "&Search", 57667, "", "", Help()},
        {"&Help", "&Index", 57666, "", "", Help()},
        {"&Help", "-", 0, "", "", nullptr},
        {"&Help", "&About Tovra...", 57664, "", "Display program information, version number and copyright\nAbout", Modal("About Tovra")},
        // Buttons without a menu item.
        {"(toolbar)", "Centre on Selected", 32858, "", "Centre viewports on the currently active selection.\nCentre on Selected", centres(false)},
        {"(toolbar)", "Zoom into Selected", 32861, "", "Centre & Zoom viewports onto the currently active selection.\nZoom into Selected", centres(true)},
        {"(toolbar)", "Fly Camera", 32862, "", "Navigate via the 3D View using the fly camera mode.\nFly Camera Mode", cameraMode(0)},
        {"(toolbar)", "First Person Camera", 32863, "", "Navigate via the 3D View using the first person style camera mode.\nFirst Person Style Camera Mode", cameraMode(1)},
        // Accelerators without an item: the focus goes round the four panes.
        {"(key)", "Next Pane", 57680, "F6", "", [&](const MenuRow &row) {
            frame->GetSplitter()->GetPane(1, 1)->setFocus();
            Fire(row);
            EXPECT_EQ(frame->GetActivePane(), frame->GetSplitter()->GetPane(0, 0));
            EXPECT_EQ(QApplication::focusWidget(), frame->GetSplitter()->GetPane(0, 0));
        }},
        {"(key)", "Previous Pane", 57681, "Shift+F6", "", [&](const MenuRow &row) {
            frame->GetSplitter()->GetPane(0, 0)->setFocus();
            Fire(row);
            EXPECT_EQ(frame->GetActivePane(), frame->GetSplitter()->GetPane(1, 1));
            EXPECT_EQ(QApplication::focusWidget(), frame->GetSplitter()->GetPane(1, 1));
        }},
        // Commands with neither item, button nor key.
        {"(none)", "Double Buffering", 32818, "", "Enables / Disables Double Buffering in the 2D views. This reduces flicker at a performance cost", nullptr},
        {"(none)", "Build Lighting", 32856, "", "", nullptr},
        {"(none)", "Hollow", 32793, "", "Hollows the Selected Brushes by the thickness set in the General properties Tag. If Brush splitting is set, the hollow will create multiple brushes.", nullptr},
    };
    // clang-format on

    // The menus hold the table's rows, in order.
    std::vector<std::string> expected, actual;
    for (const MenuRow &row : rows)
        if (row.menu[0] != '(')
            expected.push_back(std::string(row.menu) + " | " + row.text + " | " + std::to_string(row.id));
    for (const Built &b : built)
        actual.push_back(b.menu + " | " +
                         (b.action->isSeparator() ? std::string("-") : b.action->text().toStdString()) + " | " +
                         std::to_string(b.action->menu() ? 0u : b.action->data().toUInt()));
    EXPECT_EQ(actual, expected);

    // Each command's action: text, shortcut, prompt and tooltip; where its button is.
    std::map<QAction *, int> onToolBars;
    for (QToolBar *bar : frame->GetToolBars())
        for (QAction *action : bar->actions())
            ++onToolBars[action];
    for (const MenuRow &row : rows) {
        if (!row.id)
            continue;
        SCOPED_TRACE(row.text);
        QAction *action = Action(row.id);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text().toStdString(), row.text);
        EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromUtf8(row.keys)));
        const std::string prompt = row.prompt;
        const size_t split = prompt.find('\n');
        EXPECT_EQ(action->statusTip().toStdString(), prompt.substr(0, split));
        if (split != std::string::npos) {
            EXPECT_EQ(action->toolTip().toStdString(), prompt.substr(split + 1));
        }
        const std::string where = row.menu;
        if (where == "(toolbar)") {
            EXPECT_EQ(onToolBars[action], 1);
        } else if (where == "(none)" || where == "(key)") {
            EXPECT_EQ(onToolBars[action], 0);
        }
    }

    // What each does, from a fresh scene.
    for (const MenuRow &row : rows) {
        if (!row.effect)
            continue;
        SCOPED_TRACE(std::string(row.menu) + " " + row.text);
        Fresh();
        row.effect(row);
    }
}

} // namespace
