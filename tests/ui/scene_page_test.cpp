// The options panel's Scene page in the editor's main window, on the test run's platform: the
// object tree of a scene, check boxes clicked at their indicators, renames typed into labels,
// and the panel's entry points while the page is or is not active.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTreeWidget>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "editor/scene_tree.h"
#include "platform/os/command_ids.h"
#include "scene/entity.h"
#include "scene/group.h"
#include "scene/overlay.h"
#include "support/fake_view_window.h"
#include "ui/options_panel_fixture.h"

namespace
{

char *Copy(const char *text)
{
    char *copy = new char[std::strlen(text) + 1];
    std::strcpy(copy, text);
    return copy;
}

// A scene of every kind of row: a group "Room" holding a hidden brush "Wall" and an unnamed
// group with a brush "Pillar"; an unnamed group holding an entity; at top level a brush "Floor",
// an unnamed brush, a hidden unnamed brush, an entity "Light01", a hidden unnamed entity, an
// overlay "Decal" and a hidden unnamed overlay.
class ScenePageTest : public ZnOptionsPanelTest
{
protected:
    void SetUp() override
    {
        ZnOptionsPanelTest::SetUp();
        floor = Named(Box({0, 0, 0}, {40, 10, 40}), "Floor");
        wall = Named(Box({100, 0, 0}, {140, 10, 40}), "Wall");
        wall->m_Flags |= ZNBRUSH_HIDDEN;
        pillar = Named(Box({200, 0, 0}, {240, 10, 40}), "Pillar");
        plain = Box({300, 0, 0}, {340, 10, 40});
        hidden = Box({400, 0, 0}, {440, 10, 40});
        hidden->m_Flags |= ZNBRUSH_HIDDEN;
        light = NewEntity("Light01");
        grouped = NewEntity(nullptr);
        ghost = NewEntity(nullptr);
        ghost->m_Flags |= 1;
        decal = doc->NewOverlay(D3DXVECTOR3(0, 0, 300));
        decal->m_Name = Copy("Decal");
        veil = doc->NewOverlay(D3DXVECTOR3(0, 0, 500));
        veil->m_Flags |= ZNOVERLAY_HIDDEN;

        room = new CZNGROUP();
        room->SetName(Copy("Room"));
        room->AddChild(wall);
        inner = new CZNGROUP();
        inner->AddChild(pillar);
        room->AddChild(inner);
        other = new CZNGROUP();
        other->AddChild(grouped);
    }

    ZNBRUSH *Named(ZNBRUSH *brush, const char *name)
    {
        brush->m_Name = Copy(name);
        return brush;
    }
    CZNEntity *NewEntity(const char *name)
    {
        auto *entity = new CZNEntity();
        entity->SetName(name);
        doc->AppendEntity(entity);
        return entity;
    }

    QTreeWidget *Tree() const { return Scene()->GetTree(); }
    void ShowScene()
    {
        Sheet()->SetActivePage(CZNOptionsSheet::PAGE_SCENE);
        QCoreApplication::processEvents();
    }
    // The item standing for the object; null when there is none.
    QTreeWidgetItem *ItemOf(const void *object) const
    {
        for (QTreeWidgetItemIterator it(Tree()); *it; ++it)
            if (Scene()->FindObject(*it) == object)
                return *it;
        return nullptr;
    }
    // A click at the item's check indicator; the queued handler runs when asked.
    void ClickBox(QTreeWidgetItem *item, bool handle = true)
    {
        Tree()->scrollToItem(item);
        QStyleOptionViewItem option;
        option.initFrom(Tree()->viewport());
        option.rect = Tree()->visualItemRect(item);
        option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration |
                          QStyleOptionViewItem::HasDisplay;
        option.decorationSize = Tree()->iconSize();
        const QRect box = Tree()->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, Tree());
        QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, box.center());
        if (handle)
            QCoreApplication::processEvents();
    }
    // Types text into the item's label: F2, the text, then Enter (or Escape).
    void Rename(QTreeWidgetItem *item, const QString &text, Qt::Key end = Qt::Key_Return)
    {
        Tree()->setCurrentItem(item);
        Tree()->setFocus();
        QTest::keyClick(Tree(), Qt::Key_F2);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        // The test library types ASCII only; other characters arrive as an input method's.
        bool ascii = true;
        for (QChar c : text)
            ascii = ascii && c.unicode() < 128;
        if (text.isEmpty())
            QTest::keyClick(editor, Qt::Key_Delete);
        else if (ascii)
            QTest::keyClicks(editor, text);
        else
            editor->insert(text);
        QTest::keyClick(editor, end);
        QCoreApplication::processEvents();
    }
    std::vector<std::tuple<int, std::string, int>> Rows() const
    {
        std::vector<std::tuple<int, std::string, int>> rows;
        for (QTreeWidgetItemIterator it(Tree()); *it; ++it) {
            int depth = 0;
            for (QTreeWidgetItem *p = (*it)->parent(); p; p = p->parent())
                ++depth;
            rows.emplace_back(depth, (*it)->text(0).toStdString(), (*it)->data(0, CZNScenePage::kImageRole).toInt());
        }
        return rows;
    }

    ZNBRUSH *floor = nullptr, *wall = nullptr, *pillar = nullptr, *plain = nullptr, *hidden = nullptr;
    CZNEntity *light = nullptr, *grouped = nullptr, *ghost = nullptr;
    CZNOverlay *decal = nullptr, *veil = nullptr;
    CZNGROUP *room = nullptr, *inner = nullptr, *other = nullptr;
};

TEST_F(ScenePageTest, TheTreeListsGroupsFirstThenTheListsInOrder)
{
    ShowScene();
    const std::vector<std::tuple<int, std::string, int>> expected = {
        {0, "Scene", ZNSCENEIMG_GROUP},
        {1, "Room", ZNSCENEIMG_GROUP},
        {2, "Wall", ZNSCENEIMG_BRUSH}, // hidden, but inside a group
        {2, "Group", ZNSCENEIMG_GROUP},
        {3, "Pillar", ZNSCENEIMG_BRUSH},
        {1, "Group", ZNSCENEIMG_GROUP},
        {2, "Entity", ZNSCENEIMG_ENTITY},
        {1, "Floor", ZNSCENEIMG_BRUSH},
        {1, "Brush", ZNSCENEIMG_BRUSH},
        {1, "Brush", ZNSCENEIMG_HIDDEN_BRUSH},
        {1, "Light01", ZNSCENEIMG_ENTITY},
        {1, "Entity", ZNSCENEIMG_HIDDEN_ENTITY},
        {1, "Decal", ZNSCENEIMG_OVERLAY},
        {1, "Overlay", ZNSCENEIMG_HIDDEN_OVERLAY},
    };
    EXPECT_EQ(Rows(), expected);
    EXPECT_TRUE(Tree()->topLevelItem(0)->isExpanded());
    EXPECT_FALSE(ItemOf(room)->isExpanded());
    // Every row but the root stands for its object; the root for none.
    EXPECT_EQ(Scene()->FindObject(Tree()->topLevelItem(0)), nullptr);
    EXPECT_EQ(ItemOf(wall)->parent(), ItemOf(room));
    // The tree's images come from the program's picture.
    EXPECT_FALSE(ItemOf(floor)->icon(0).isNull());
}

TEST_F(ScenePageTest, ChecksFollowTheSelectionAndSetItInBrushMode)
{
    ShowScene();
    // A brush joins the band.
    ClickBox(ItemOf(floor));
    EXPECT_EQ(floor->IsBrushSelected(), 1);
    EXPECT_EQ(Band()->GetEntryCount(), 1u);
    EXPECT_EQ(ItemOf(floor)->checkState(0), Qt::Checked);
    ClickBox(ItemOf(floor));
    EXPECT_EQ(floor->IsBrushSelected(), 0);
    EXPECT_EQ(Band()->GetEntryCount(), 0u);

    // A nested member's group takes the whole outermost group, in objects mode.
    ClickBox(ItemOf(inner));
    EXPECT_EQ(Band()->GetBandMode(), static_cast<DWORD>(ZNBAND_OBJECTS));
    EXPECT_EQ(wall->IsBrushSelected(), 1);
    EXPECT_EQ(pillar->IsBrushSelected(), 1);
    EXPECT_EQ(Band()->GetEntryCount(), 2u);
    EXPECT_TRUE(Band()->HasSelection());
    EXPECT_EQ(ItemOf(room)->checkState(0), Qt::Checked);
    EXPECT_EQ(ItemOf(wall)->checkState(0), Qt::Checked);
    ClickBox(ItemOf(inner));
    EXPECT_EQ(wall->IsBrushSelected(), 0);
    EXPECT_EQ(pillar->IsBrushSelected(), 0);
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
    EXPECT_EQ(ItemOf(room)->checkState(0), Qt::Unchecked);

    // An entity and an overlay.
    ClickBox(ItemOf(light));
    ClickBox(ItemOf(decal));
    EXPECT_TRUE(light->IsSelected());
    EXPECT_EQ(decal->IsSelected(), 1);
    EXPECT_EQ(Band()->GetEntryCount(), 2u);
}

TEST_F(ScenePageTest, InFaceModeABoxChangesNothingUntilTheNextUpdateRestoresIt)
{
    ShowScene();
    frame->RunCommand(ZNCMD_EDITMODE_FACE);
    ClickBox(ItemOf(floor));
    EXPECT_EQ(floor->IsBrushSelected(), 0);
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
    EXPECT_EQ(ItemOf(floor)->checkState(0), Qt::Checked);
    frame->UpdateSceneTree();
    EXPECT_EQ(ItemOf(floor)->checkState(0), Qt::Unchecked);
}

TEST_F(ScenePageTest, ABrushSelectedInTheTopViewGetsItsBoxChecked)
{
    ShowScene();
    Click(Pixel(0, 20));
    ASSERT_EQ(floor->IsBrushSelected(), 1);
    EXPECT_EQ(ItemOf(floor)->checkState(0), Qt::Checked);
    EXPECT_EQ(ItemOf(plain)->checkState(0), Qt::Unchecked);
}

TEST_F(ScenePageTest, RenamesTypedIntoLabels)
{
    ShowScene();
    Rename(ItemOf(floor), QStringLiteral("Ground"));
    EXPECT_STREQ(floor->m_Name, "Ground");
    EXPECT_EQ(ItemOf(floor)->text(0), QStringLiteral("Ground"));
    EXPECT_TRUE(doc->IsModified());

    // An empty text is an empty name, not none: the label stays empty after a rebuild.
    Rename(ItemOf(plain), QString());
    ASSERT_NE(plain->m_Name, nullptr);
    EXPECT_STREQ(plain->m_Name, "");
    frame->RebuildSceneTree();
    EXPECT_EQ(ItemOf(plain)->text(0), QString());

    // Escape keeps the name.
    Rename(ItemOf(floor), QStringLiteral("Other"), Qt::Key_Escape);
    EXPECT_STREQ(floor->m_Name, "Ground");
    EXPECT_EQ(ItemOf(floor)->text(0), QStringLiteral("Ground"));

    // The root is refused.
    Rename(Tree()->topLevelItem(0), QStringLiteral("World"));
    EXPECT_EQ(Tree()->topLevelItem(0)->text(0), QStringLiteral("Scene"));

    // A group, an overlay; a character outside Latin-1 is stored as '?'.
    Rename(ItemOf(inner), QStringLiteral("Columns"));
    EXPECT_STREQ(inner->GetName(), "Columns");
    Rename(ItemOf(decal), QString::fromUtf8("Stra\xc3\x9f" "e \xe2\x82\xac"));
    EXPECT_STREQ(decal->m_Name, "Stra\xdf" "e ?");
    EXPECT_EQ(ItemOf(decal)->text(0), QString::fromUtf8("Stra\xc3\x9f" "e ?"));

    // An entity's name is drawn in the views: they are redrawn.
    ZnFakeViewWindow window(64, 64);
    CZN2DView watcher;
    watcher.SetWindow(&window);
    watcher.SetViewType(ZN2DVIEW_TOP);
    doc->AddView(&watcher);
    const int shows = window.shows;
    Rename(ItemOf(light), QStringLiteral("Sun"));
    EXPECT_STREQ(light->GetName(), "Sun");
    EXPECT_GT(window.shows, shows);
    doc->RemoveView(&watcher);
}

TEST_F(ScenePageTest, ACheckWhoseItemARebuildRemovedChangesNothing)
{
    ShowScene();
    ClickBox(ItemOf(floor), false);
    // The scene changes before the click's handler runs: the item goes.
    doc->DeleteBrush(plain);
    plain = nullptr;
    frame->RebuildSceneTree();
    QCoreApplication::processEvents();
    EXPECT_EQ(floor->IsBrushSelected(), 0);
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
    EXPECT_EQ(ItemOf(floor)->checkState(0), Qt::Unchecked);
}

TEST_F(ScenePageTest, RebuildWithAnotherPageActiveLeavesTheTreeUntilTheSceneIsShown)
{
    ShowScene();
    const int rows = static_cast<int>(Rows().size());
    Sheet()->SetActivePage(CZNOptionsSheet::PAGE_GENERAL);
    Box({500, 0, 0}, {540, 10, 40});
    frame->RebuildSceneTree();
    frame->UpdateSceneTree();
    EXPECT_EQ(static_cast<int>(Rows().size()), rows);
    ShowScene();
    EXPECT_EQ(static_cast<int>(Rows().size()), rows + 1);

    // Before its first activation the page has no tree at all.
    CZNMainFrame fresh(doc.get());
    fresh.RebuildSceneTree();
    EXPECT_FALSE(fresh.GetOptionsBar()->GetSheet()->GetScenePage()->IsBuilt());
    EXPECT_EQ(fresh.GetOptionsBar()->GetSheet()->GetScenePage()->GetTree()->topLevelItemCount(), 0);
    doc->SetShell(frame.get());
}

TEST_F(ScenePageTest, Screenshot)
{
    ShowScene();
    ClickBox(ItemOf(floor));
    Tree()->expandAll();
    QCoreApplication::processEvents();
    const QImage shot = frame->GetOptionsBar()->grab().toImage();
    EXPECT_TRUE(shot.save(QString::fromStdString(std::string(ZN_TEST_TMP_DIR) + "/scene_page_screenshot.png")));
    EXPECT_GE(shot.width(), 182);
}

} // namespace
