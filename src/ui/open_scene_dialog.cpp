#include "ui/open_scene_dialog.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRegularExpression>
#include <QShowEvent>
#include <QVBoxLayout>

#include <string>

#include "app/editor_app.h"
#include "platform/os/settings.h"
#include "ui/scene_preview_wnd.h"

namespace
{
constexpr char kSection[] = "IWF Export Config";
constexpr char kLastInputDir[] = "Last Input Dir";

// The patterns of a name filter: the words between its last parentheses, or the whole text.
QStringList FilterPatterns(const QString &filter)
{
    QString patterns = filter;
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = filter.lastIndexOf(QLatin1Char(')'));
    if (open >= 0 && close > open)
        patterns = filter.mid(open + 1, close - open - 1);
    return patterns.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}
} // namespace

CZNOpenSceneDialog::CZNOpenSceneDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("OpenSceneDialog"));
    setWindowTitle(QStringLiteral("Open Scene File"));
    const std::string stored = CZNSettings().GetProfileString(kSection, kLastInputDir);
    m_StartFolder = QString::fromStdString(stored.empty() ? GetEditorApp()->GetProgramDirectory() : stored);

    m_FileDialog = new QFileDialog(this);
    m_FileDialog->setWindowFlags(Qt::Widget);
    m_FileDialog->setOption(QFileDialog::DontUseNativeDialog);
    m_FileDialog->setAcceptMode(QFileDialog::AcceptOpen);
    m_FileDialog->setFileMode(QFileDialog::ExistingFile);
    m_FileDialog->setNameFilters(
        {QStringLiteral("Interchangable World Format (*.iwf *.IWF)"), QStringLiteral("All Files (*)")});
    m_FileDialog->setDirectory(m_StartFolder);

    m_PreviewBox = new QGroupBox(QStringLiteral("Preview"), this);
    m_PreviewBox->setFixedWidth(kPreviewWidth);
    m_Preview = new CZNScenePreviewWnd(m_PreviewBox);
    auto *boxLayout = new QVBoxLayout(m_PreviewBox);
    boxLayout->addWidget(m_Preview);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_FileDialog, 1);
    layout->addWidget(m_PreviewBox);

    connect(m_FileDialog, &QFileDialog::directoryEntered, this, &CZNOpenSceneDialog::OnFolderChange);
    // A folder typed into the name box is shown without that signal; the file dialog's model
    // still tells, so the list never keeps another folder's files.
    if (auto *model = m_FileDialog->findChild<QFileSystemModel *>())
        connect(model, &QFileSystemModel::rootPathChanged, this, &CZNOpenSceneDialog::OnFolderChange);
    connect(m_FileDialog, &QFileDialog::currentChanged, this, &CZNOpenSceneDialog::OnFileNameChange);
    connect(m_FileDialog, &QFileDialog::filterSelected, this, &CZNOpenSceneDialog::OnTypeChange);
    connect(m_FileDialog, &QDialog::accepted, this, &CZNOpenSceneDialog::OnFileNameOK);
    connect(m_FileDialog, &QDialog::rejected, this, &QDialog::reject);
    connect(m_Preview->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { OnListSelChange(current); });
    connect(m_Preview, &QAbstractItemView::doubleClicked, this, &CZNOpenSceneDialog::OnListDblClk);
    resize(860, 460);
}

QLineEdit *CZNOpenSceneDialog::GetFileNameEdit() const
{
    return m_FileDialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
}

void CZNOpenSceneDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        OnFolderChange(m_FileDialog->directory().absolutePath());
}

void CZNOpenSceneDialog::OnFolderChange(const QString &folder)
{
    m_Preview->FillFromFolder(folder, FilterPatterns(m_FileDialog->selectedNameFilter()));
}

void CZNOpenSceneDialog::OnFileNameChange(const QString &path)
{
    const int row = m_Preview->FindRow(path);
    if (m_Following || row < 0)
        return;
    m_Following = true;
    m_Preview->selectionModel()->setCurrentIndex(m_Preview->model()->index(row, 0),
                                                 QItemSelectionModel::ClearAndSelect);
    m_Following = false;
}

void CZNOpenSceneDialog::OnTypeChange(const QString &filter)
{
    // The file view's selection goes too: the dialog would write the selected names back.
    for (auto *view : m_FileDialog->findChildren<QAbstractItemView *>())
        if (view->selectionModel())
            view->selectionModel()->clearSelection();
    if (QLineEdit *name = GetFileNameEdit())
        name->clear();
    m_Preview->FillFromFolder(m_FileDialog->directory().absolutePath(), FilterPatterns(filter));
}

void CZNOpenSceneDialog::OnFileNameOK()
{
    const QStringList files = m_FileDialog->selectedFiles();
    if (files.isEmpty()) {
        reject();
        return;
    }
    m_PathName = QFileInfo(files.first()).absoluteFilePath();
    CZNSettings().WriteProfileString(kSection, kLastInputDir,
                                     m_FileDialog->directory().absolutePath().toUtf8().constData());
    accept();
}

void CZNOpenSceneDialog::OnListSelChange(const QModelIndex &current)
{
    if (m_Following || !current.isValid())
        return;
    m_Following = true;
    m_FileDialog->selectFile(m_Preview->GetRowName(current.row()));
    m_Following = false;
}

void CZNOpenSceneDialog::OnListDblClk(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    m_Following = true;
    m_FileDialog->selectFile(m_Preview->GetRowName(index.row()));
    m_Following = false;
    // As the dialog's Open button does (the file dialog's accept is not public).
    QMetaObject::invokeMethod(m_FileDialog, "accept");
}
