// Selecting in the perspective view's widget on Qt's offscreen platform: a Shift-click adds what
// lies under the cursor to the selection and a Ctrl-click takes it out, as the edit mode names it
// (a brush, a brush's face, an overlay's face), with the views redrawn and the options panel
// asked to follow.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <memory>

#include "editor/selection_band.h"
#include "editor/doc_shell.h"
#include "editor/editor_doc.h"
#include "render/view3d_fixture.h"
#include "scene/overlay.h"
#include "support/shapes.h"
#include "support/widget_app.h"
#include "ui/3d_view_widget.h"

namespace
{

// The options panel's side of the shell: counts what the editor asks of it.
class RecordingHooks : public IZNDocShell
{
public:
    bool AskFilePath(ZNFILEDIALOG, std::string *) override { return false; }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void UpdateStatusBar() override {}
    void RefreshActivePage() override { ++pageRefreshes; }
    void RebuildSceneTree() override { ++treeRebuilds; }
    void RefreshMaterialList() override {}
    void RefreshPrefabs() override {}
    void CheckRenderModeButton(UINT) override {}
    void DocumentChanged() override {}
    void AddRecentFile(const std::string &) override {}

    int pageRefreshes = 0;
    int treeRebuilds = 0;
};

constexpr D3DCOLOR kCubeColour = 0x00C000;

class View3DSelectTest : public ZnView3DTest
{
protected:
    void SetUp() override
    {
        ZnWidgetApp();
        ZnView3DTest::SetUp();
        if (HasFatalFailure())
            return;
        m_Options = GetEditorApp()->Options();
        GetEditorApp()->Options().m_DrawOverlays3D = 1;
        GetEditorApp()->SetPlacementMode(ZNPLACE_SELECT);
        m_Hooks = document->GetShell();
        document->SetShell(&hooks);
        widget = std::make_unique<CZN3DViewWidget>(&view);
        widget->resize(kWidth, kHeight);
        D3D().SetTargetWindow(widget.get());
        document->AddView(&view);
        cube = Cube({-5, -5, 20}, {5, 5, 30});
    }
    void TearDown() override
    {
        Band()->Clear(1, 0);
        document->RemoveView(&view);
        widget.reset();
        document->SetShell(m_Hooks);
        GetEditorApp()->Options() = m_Options;
        ZnView3DTest::TearDown();
    }

    static CZNSelectionBand *Band() { return GetEditorApp()->GetSelectionBand(); }

    // A cube of one plain colour in the document.
    ZNBRUSH *Cube(const D3DXVECTOR3 &lo, const D3DXVECTOR3 &hi)
    {
        ZNBRUSH *brush = Brush();
        ZnBuildBox(*brush, lo, hi);
        const int material = Material(kCubeColour);
        for (DWORD i = 0; i < brush->m_FaceCount; ++i)
            brush->GetFace(i)->SetMaterial(material);
        return brush;
    }

    // A press and release of the left button with the keys given.
    void Click(Qt::KeyboardModifiers keys, QPoint at)
    {
        const QPointF global(widget->mapToGlobal(at));
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton, Qt::LeftButton, keys);
        QApplication::sendEvent(widget.get(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton, Qt::NoButton, keys);
        QApplication::sendEvent(widget.get(), &release);
    }

    // The colour the widget shows at a pixel.
    D3DCOLOR Shown(QPoint at) const
    {
        return widget->grab().toImage().convertToFormat(QImage::Format_RGB32).pixel(at) & 0xFFFFFF;
    }

    RecordingHooks hooks;
    std::unique_ptr<CZN3DViewWidget> widget;
    ZNBRUSH *cube = nullptr;
    const QPoint centre{kWidth / 2, kHeight / 2};

private:
    ZNAPPOPTIONS m_Options{};
    IZNDocShell *m_Hooks = nullptr;
};

// What a Shift-click on the cube's front face selects in one edit mode.
struct PickCase {
    const char *name;
    ZNEDITMODE mode;
    BYTE category;  // of the band's one entry; 0 when nothing is selected
    bool onOverlay; // the entry names the overlay over the cube, else the cube
    bool namesFace; // the entry names the face under the cursor
};

void PrintTo(const PickCase &c, std::ostream *os)
{
    *os << c.name;
}

const PickCase kPickCases[] = {
    {"Objects", ZNEDITMODE_BRUSH, ZNSELECT_BRUSH, false, false},
    {"Faces", ZNEDITMODE_FACE, ZNSELECT_FACE, false, true},
    {"OverlayFaces", ZNEDITMODE_OVERLAY, ZNSELECT_OVERLAYFACE, true, true},
    {"Vertices", ZNEDITMODE_VERTEX, 0, false, false},
};

class View3DPickTest : public View3DSelectTest, public ::testing::WithParamInterface<PickCase>
{
};

TEST_P(View3DPickTest, ShiftClickAddsWhatIsUnderTheCursorAndCtrlClickRemovesIt)
{
    const PickCase &c = GetParam();
    // For overlay faces, an overlay over the whole cube, built from its faces.
    CZNOverlay *overlay = nullptr;
    if (c.onOverlay) {
        overlay = document->NewOverlay(D3DXVECTOR3(0, 0, 20));
        ASSERT_NE(overlay, nullptr);
        overlay->Rebuild();
        ASSERT_GT(overlay->GetFaceCount(), 0u);
    }
    GetEditorApp()->SetEditMode(c.mode);
    // The face under the cursor: the one facing the camera at z = 20 (the cube's -z face).
    DWORD front = 0;
    ZNFACE *face = nullptr;
    const DWORD count = c.onOverlay ? overlay->GetFaceCount() : cube->m_FaceCount;
    for (DWORD i = 0; i < count && !face; ++i) {
        ZNFACE *candidate = c.onOverlay ? overlay->GetFace(i) : cube->GetFace(i);
        if (candidate->m_Normal.z < -0.5f && candidate->m_CenterPoint.z < 20.5f) {
            front = i;
            face = candidate;
        }
    }
    ASSERT_NE(face, nullptr);
    view.Render(0, 0, 1);
    const D3DCOLOR plain = Shown(centre);
    if (!c.onOverlay) {
        EXPECT_EQ(plain, kCubeColour);
    }

    Click(Qt::ShiftModifier, centre);
    if (c.category == 0) {
        EXPECT_EQ(Band()->GetEntryCount(), 0u);
    } else {
        ASSERT_EQ(Band()->GetEntryCount(), 1u);
        const ZNSELECTIONENTRY &entry = Band()->Entries()[0];
        EXPECT_EQ(entry.Type, c.category);
        EXPECT_EQ(entry.Object, c.onOverlay ? reinterpret_cast<uintptr_t>(overlay) : reinterpret_cast<uintptr_t>(cube));
        EXPECT_EQ(entry.Face, c.namesFace ? front : 0u);
        EXPECT_EQ(c.namesFace ? face->IsFaceSelected() : cube->IsBrushSelected(), 1);
        EXPECT_GE(hooks.pageRefreshes, 1);
    }
    const int refreshes = hooks.pageRefreshes;
    // Every press that hits something rebuilds the scene tree.
    EXPECT_EQ(hooks.treeRebuilds, 1);
    // The views were redrawn with the selection: what was picked shows in the highlight colour.
    if (c.category != 0) {
        EXPECT_NE(Shown(centre), plain);
    }

    Click(Qt::ControlModifier, centre);
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
    EXPECT_EQ(Band()->GetBandMode(), static_cast<DWORD>(ZNBAND_EMPTY));
    EXPECT_EQ(face->IsFaceSelected(), 0);
    EXPECT_EQ(cube->IsBrushSelected(), 0);
    if (c.category == 0) {
        EXPECT_EQ(hooks.pageRefreshes, 0);
    } else {
        EXPECT_GT(hooks.pageRefreshes, refreshes);
    }
    EXPECT_EQ(hooks.treeRebuilds, 2);
    EXPECT_EQ(Shown(centre), plain);
}

INSTANTIATE_TEST_SUITE_P(EditModes, View3DPickTest, ::testing::ValuesIn(kPickCases),
                         [](const ::testing::TestParamInfo<PickCase> &info) { return std::string(info.param.name); });

TEST_F(View3DSelectTest, ShiftClicksAddToTheSelectionAndAClickOnNothingChangesNothing)
{
    ZNBRUSH *left = Cube({-25, -5, 40}, {-15, 5, 50});
    const POINT onLeft = Pixel(-20, 0, 40);
    const QPoint leftPixel(onLeft.x, onLeft.y);

    Click(Qt::ShiftModifier, centre);
    Click(Qt::ShiftModifier, leftPixel);
    ASSERT_EQ(Band()->GetEntryCount(), 2u);
    EXPECT_EQ(cube->IsBrushSelected(), 1);
    EXPECT_EQ(left->IsBrushSelected(), 1);

    // Beside both cubes: no pick, so neither the selection nor the panel changes.
    const QPoint nothing(5, kHeight - 5);
    Click(Qt::ShiftModifier, nothing);
    Click(Qt::ControlModifier, nothing);
    EXPECT_EQ(Band()->GetEntryCount(), 2u);
    EXPECT_EQ(hooks.pageRefreshes, 2);
    EXPECT_EQ(hooks.treeRebuilds, 2);

    // A plain click selects nothing; a Ctrl-click takes out only the cube under the cursor.
    Click(Qt::NoModifier, centre);
    EXPECT_EQ(Band()->GetEntryCount(), 2u);
    Click(Qt::ControlModifier, leftPixel);
    ASSERT_EQ(Band()->GetEntryCount(), 1u);
    EXPECT_EQ(Band()->Entries()[0].Object, reinterpret_cast<uintptr_t>(cube));
    EXPECT_EQ(left->IsBrushSelected(), 0);

    // While a placement tool is active the view's presses select nothing.
    GetEditorApp()->SetPlacementMode(ZNPLACE_PRIMITIVE);
    Click(Qt::ShiftModifier, leftPixel);
    EXPECT_EQ(Band()->GetEntryCount(), 1u);
    GetEditorApp()->SetPlacementMode(ZNPLACE_SELECT);
}

} // namespace
