#include "ui/scene_page.h"

#include <QBitmap>
#include <QHeaderView>
#include <QIcon>
#include <QPixmap>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <vector>

#include "app/editor_app.h"
#include "editor/scene_tree.h"
#include "ui/scene_label_delegate.h"

namespace
{

constexpr int kContentHeight = 485;
constexpr int kImageWidth = 19;

// The tree's eight images from Resources/bitmap402.png, 19 pixels each with 0xC0C0C0 transparent;
// groups and the root show image 1 while selected. Empty icons when the picture is missing.
std::vector<QIcon> LoadSceneImages()
{
    std::vector<QIcon> icons(ZNSCENEIMG_COUNT);
    QPixmap strip(QString::fromStdString(GetEditorApp()->GetProgramDirectory() + "Resources/bitmap402.png"));
    if (strip.isNull())
        return icons;
    strip.setMask(strip.createMaskFromColor(QColor(0xC0, 0xC0, 0xC0)));
    std::vector<QPixmap> images;
    for (int i = 0; i < ZNSCENEIMG_COUNT; ++i)
        images.push_back(strip.copy(i * kImageWidth, 0, kImageWidth, strip.height()));
    for (size_t i = 0; i < icons.size(); ++i) {
        icons[i].addPixmap(images[i], QIcon::Normal);
        icons[i].addPixmap(images[i == ZNSCENEIMG_GROUP ? size_t{ZNSCENEIMG_GROUP_SELECTED} : i], QIcon::Selected);
    }
    return icons;
}

} // namespace

CZNScenePage::CZNScenePage(QWidget *parent)
    : CZNOptionsPage(QStringLiteral("Scene"), kContentHeight, parent), m_Tree(new QTreeWidget(GetContent()))
{
    m_Tree->setObjectName(QStringLiteral("SceneTree"));
    m_Tree->setHeaderHidden(true);
    m_Tree->setColumnCount(1);
    m_Tree->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    m_Tree->setIconSize(QSize(kImageWidth, 16));
    m_Tree->setIndentation(12);
    // Long labels and deep groups scroll sideways rather than being cut.
    m_Tree->header()->setStretchLastSection(false);
    m_Tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_Tree->setCursor(Qt::ArrowCursor);
    m_Tree->setItemDelegate(new CZNSceneLabelDelegate(
        [this](const QModelIndex &index, const QString &text) { OnEndLabelEdit(index, text); }, m_Tree));
    auto *layout = new QVBoxLayout(GetContent());
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_Tree);
    connect(m_Tree, &QTreeWidget::itemChanged, this, &CZNScenePage::OnItemChanged);
}

void CZNScenePage::OnInitDialog()
{
    const bool edits = SetEditsEnabled(false);
    m_Images = LoadSceneImages();
    m_Built = true;
    BuildTree();
    SetEditsEnabled(edits);
}

void CZNScenePage::OnSetActive()
{
    CZNOptionsPage::OnSetActive();
    const bool edits = SetEditsEnabled(false);
    BuildTree();
    SetEditsEnabled(edits);
}

void CZNScenePage::BuildTree()
{
    if (!m_Built)
        return;
    const bool edits = SetEditsEnabled(false);
    m_Tree->setUpdatesEnabled(false);
    m_Tree->clear();
    m_Items.Clear();
    CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    const std::vector<ZNSCENETREEROW> rows =
        document ? CollectSceneTreeRows(*document) : std::vector<ZNSCENETREEROW>{{0, "Scene", 0, nullptr}};
    std::vector<QTreeWidgetItem *> parents;
    for (const ZNSCENETREEROW &row : rows) {
        const size_t depth = static_cast<size_t>(row.Depth);
        if (depth > parents.size())
            continue;
        auto *item = depth == 0 ? new QTreeWidgetItem(m_Tree) : new QTreeWidgetItem(parents[depth - 1]);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEditable);
        item->setText(0, QString::fromLatin1(row.Label.data(), static_cast<qsizetype>(row.Label.size())));
        item->setIcon(0, m_Images[static_cast<size_t>(row.Image)]);
        item->setData(0, kImageRole, row.Image);
        item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(row.Object)));
        item->setCheckState(0, Qt::Unchecked);
        parents.resize(depth + 1);
        parents[depth] = item;
        if (row.Object)
            m_Items.Add(item, row.Object);
    }
    if (!parents.empty())
        parents[0]->setExpanded(true);
    m_Tree->setUpdatesEnabled(true);
    UpdateTree();
    SetEditsEnabled(edits);
}

void CZNScenePage::UpdateTree()
{
    if (!m_Built)
        return;
    const bool edits = SetEditsEnabled(false);
    for (DWORD i = 0; i < m_Items.GetCount(); ++i) {
        const ZNPAIR *pair = m_Items.GetPair(i);
        static_cast<QTreeWidgetItem *>(pair->first)
            ->setCheckState(0, IsSceneObjectSelected(pair->second) ? Qt::Checked : Qt::Unchecked);
    }
    SetEditsEnabled(edits);
}

void *CZNScenePage::FindObject(const QTreeWidgetItem *item) const
{
    for (DWORD i = 0; i < m_Items.GetCount(); ++i)
        if (const ZNPAIR *pair = m_Items.GetPair(i); pair->first == item)
            return pair->second;
    return nullptr;
}

void CZNScenePage::OnItemChanged(QTreeWidgetItem *item, int column)
{
    // The page's own changes come with edits off; with edits on only a box the user toggled
    // changes an item. The selection follows after the tree has finished with the click.
    if (!m_Built || !AreEditsEnabled() || column != 0)
        return;
    const QPersistentModelIndex index(m_Tree->indexFromItem(item));
    QMetaObject::invokeMethod(
        this, [this, index] { OnCheckClicked(index); }, Qt::QueuedConnection);
}

void CZNScenePage::OnCheckClicked(const QPersistentModelIndex &index)
{
    if (!m_Built || !AreEditsEnabled() || !index.isValid())
        return;
    // An item a rebuild removed in the meantime is no longer in the map.
    QTreeWidgetItem *item = m_Tree->itemFromIndex(index);
    void *object = item ? FindObject(item) : nullptr;
    if (!object)
        return;
    if (CheckSceneObject(GetEditorApp()->GetDocument(), object, item->checkState(0) == Qt::Checked))
        UpdateTree();
}

void CZNScenePage::OnEndLabelEdit(const QModelIndex &index, const QString &text)
{
    QTreeWidgetItem *item = m_Tree->itemFromIndex(index);
    void *object = item ? FindObject(item) : nullptr;
    // The root keeps its label.
    const QByteArray name = text.toLatin1();
    if (!object || !RenameSceneObject(GetEditorApp()->GetDocument(), object, name.toStdString()))
        return;
    const bool edits = SetEditsEnabled(false);
    item->setText(0, QString::fromLatin1(name));
    SetEditsEnabled(edits);
}
