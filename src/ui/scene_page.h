#pragma once

// CZNScenePage: the options panel's Scene page: the document's objects as a tree (the root
// "Scene", the outermost groups with their members, then the brushes, entities and overlays of
// no group), each item with a check box that shows, and in brush edit mode sets, whether its
// object is selected, and a label that renames the object when edited (a click on the selected
// item, or F2). Labels are the names' bytes read as Latin-1; a typed character outside Latin-1 is
// stored as '?'. The tree is rebuilt at every activation and by RebuildSceneTree while the page is
// active; nothing happens before the page's first activation.
#include <QIcon>
#include <QPersistentModelIndex>

#include <vector>

#include "scene/pair_list.h"
#include "ui/options_page.h"

class QTreeWidget;
class QTreeWidgetItem;

class CZNScenePage : public CZNOptionsPage
{
    Q_OBJECT

public:
    // The data role holding an item's image number (ZNSCENEIMAGE); Qt::UserRole holds its object.
    static constexpr int kImageRole = Qt::UserRole + 1;

    explicit CZNScenePage(QWidget *parent = nullptr);

    void OnInitDialog() override;
    void OnSetActive() override;

    // The whole tree again from the document, then the check boxes.
    void BuildTree();
    // Every object item's check box from its object's selected state.
    void UpdateTree();
    QTreeWidget *GetTree() const { return m_Tree; }
    bool IsBuilt() const { return m_Built; }
    // The object an item stands for, through the item map; null for the root or an unknown item.
    void *FindObject(const QTreeWidgetItem *item) const;

private:
    // A check box changed by the user: the selection follows once the tree's event is over.
    void OnItemChanged(QTreeWidgetItem *item, int column);
    void OnCheckClicked(const QPersistentModelIndex &index);
    void OnEndLabelEdit(const QModelIndex &index, const QString &text);

    QTreeWidget *m_Tree;
    std::vector<QIcon> m_Images; // by ZNSCENEIMAGE, loaded at the first activation
    CZNPairList m_Items;         // (tree item, object)
    bool m_Built = false;
};
