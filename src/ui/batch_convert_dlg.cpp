#include "ui/batch_convert_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/editor_app.h"
#include "fileio/batch_job.h"
#include "fileio/iwf_export_options.h"
#include "platform/os/reporter.h"
#include "platform/os/settings.h"
#include "ui/convert_progress_dlg.h"
#include "ui/folder_browser.h"
#include "ui/iwf_export_options_dlg.h"

namespace
{
constexpr char kSection[] = "IWF Export Config";
constexpr char kCaption[] = "TOVRA";

struct ZNFILTER {
    const char *name;
    QStringList patterns;
};
const std::vector<ZNFILTER> &Filters()
{
    static const std::vector<ZNFILTER> filters = {
        {"All Supported Formats", {QStringLiteral("*.3DS"), QStringLiteral("*.IWF"), QStringLiteral("*.X")}},
        {"Interchangable World Format (*.iwf)", {QStringLiteral("*.IWF")}},
        {"3D Studio (*.3ds)", {QStringLiteral("*.3DS")}},
        {"DirectX Mesh File (*.x)", {QStringLiteral("*.X")}},
        {"All Files (*.*)", {QStringLiteral("*")}},
    };
    return filters;
}

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

bool IsFolder(const std::string &path)
{
    return QFileInfo(QString::fromStdString(path)).isDir();
}
} // namespace

CZNBatchConvertDlg::CZNBatchConvertDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Batch Conversion"));
    const std::string program = GetEditorApp()->GetProgramDirectory();
    CZNSettings settings;
    m_OutputFolder = settings.GetProfileString(kSection, "Last Output Dir", program.c_str());
    m_InputFolder = settings.GetProfileString(kSection, "Last Input Dir", program.c_str());
    LoadIWFExportOptions(&m_Options);

    m_Model = new QFileSystemModel(this);
    m_Model->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    m_Model->setNameFilterDisables(false);
    m_Model->setReadOnly(true);
    m_View = new QListView(this);
    m_View->setModel(m_Model);
    m_View->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_View->setViewMode(QListView::ListMode);
    m_Folder = new QLabel(this);
    auto *up = new QPushButton(QStringLiteral("Up"), this);
    m_Name = new QLineEdit(this);
    m_Filter = new QComboBox(this);
    for (const ZNFILTER &filter : Filters())
        m_Filter->addItem(QString::fromLatin1(filter.name));

    m_Output = new QLineEdit(QString::fromStdString(m_OutputFolder), this);
    auto *browse = new QPushButton(QStringLiteral("&Browse"), this);
    m_Type = new QComboBox(this);
    m_Type->addItem(QStringLiteral("Interchangable World Format (*.iwf)"));
    m_Type->addItem(QStringLiteral("DirectX Mesh File (*.x)"));
    m_Stop = new QCheckBox(QStringLiteral("Sto&p on Errors"), this);
    m_OptionsButton = new QPushButton(QStringLiteral("&Options..."), this);
    m_SelectFolders = new QCheckBox(QStringLiteral("Select Folders"), this);
    auto *selectAll = new QPushButton(QStringLiteral("Select &All"), this);
    m_Convert = new QPushButton(QStringLiteral("&Convert"), this);
    auto *close = new QPushButton(QStringLiteral("C&lose"), this);
    m_Convert->setDefault(true);

    auto *top = new QHBoxLayout;
    top->addWidget(m_Folder, 1);
    top->addWidget(up);
    auto *names = new QFormLayout;
    names->addRow(QStringLiteral("File &name:"), m_Name);
    names->addRow(QStringLiteral("Files of &type:"), m_Filter);
    auto *output = new QGroupBox(QStringLiteral("Output Settings"), this);
    auto *outputLayout = new QFormLayout(output);
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(m_Output, 1);
    folderRow->addWidget(browse);
    outputLayout->addRow(QStringLiteral("Output Folder"), folderRow);
    auto *typeRow = new QHBoxLayout;
    typeRow->addWidget(m_Type, 1);
    typeRow->addWidget(m_OptionsButton);
    auto *typeLabel = new QLabel(QStringLiteral("Typ&e:"), this);
    typeLabel->setBuddy(m_Type);
    outputLayout->addRow(typeLabel, typeRow);
    auto *checks = new QHBoxLayout;
    checks->addWidget(m_Stop);
    checks->addWidget(m_SelectFolders);
    checks->addWidget(selectAll);
    outputLayout->addRow(checks);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_Convert);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_View, 1);
    layout->addLayout(names);
    layout->addWidget(output);
    layout->addLayout(buttons);
    resize(640, 520);

    connect(m_Type, &QComboBox::currentIndexChanged, this, &CZNBatchConvertDlg::OnSelChangeType);
    connect(m_OptionsButton, &QPushButton::clicked, this, &CZNBatchConvertDlg::OnOptions);
    connect(browse, &QPushButton::clicked, this, &CZNBatchConvertDlg::OnBrowse);
    connect(selectAll, &QPushButton::clicked, this, &CZNBatchConvertDlg::OnSelectAll);
    connect(m_Convert, &QPushButton::clicked, this, &CZNBatchConvertDlg::OnConvert);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(up, &QPushButton::clicked, this, [this] {
        QDir folder(GetCurrentFolder());
        if (folder.cdUp())
            SetCurrentFolder(folder.absolutePath());
    });
    connect(m_Filter, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && index < static_cast<int>(Filters().size()))
            m_Model->setNameFilters(Filters()[static_cast<size_t>(index)].patterns);
    });
    connect(m_View, &QListView::doubleClicked, this, [this](const QModelIndex &index) {
        if (m_Model->isDir(index))
            SetCurrentFolder(m_Model->filePath(index));
        else
            OnConvert();
    });
    connect(m_View->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CZNBatchConvertDlg::OnFileNameChange);
    connect(m_SelectFolders, &QCheckBox::toggled, this, &CZNBatchConvertDlg::OnFileNameChange);

    m_Model->setNameFilters(Filters()[0].patterns);
    SetCurrentFolder(QString::fromStdString(m_InputFolder));
}

CZNBatchConvertDlg::~CZNBatchConvertDlg()
{
    // The worker ends before its host goes.
    if (m_Job)
        m_Job->Join();
}

void CZNBatchConvertDlg::SetCurrentFolder(const QString &folder)
{
    const QString path = QDir(folder).absolutePath();
    m_View->setRootIndex(m_Model->setRootPath(path));
    m_Folder->setText(path);
    m_Name->clear();
}

QString CZNBatchConvertDlg::GetCurrentFolder() const
{
    return m_Model->rootPath();
}

void CZNBatchConvertDlg::OnSelChangeType(int index)
{
    m_OptionsButton->setEnabled(index == 0);
}

void CZNBatchConvertDlg::OnOptions()
{
    IWFEXPORTOPTIONS copy = m_Options;
    CZNIWFExportOptionsDlg dialog(&copy, this);
    if (dialog.exec() == QDialog::Accepted)
        m_Options = copy;
}

void CZNBatchConvertDlg::OnBrowse()
{
    m_OutputFolder = m_Output->text().toStdString();
    CZNFolderBrowser browser(m_OutputFolder.c_str(), 1, this, nullptr);
    if (browser.Browse() == 1)
        m_Output->setText(browser.GetFolder());
}

void CZNBatchConvertDlg::OnSelectAll()
{
    m_View->selectAll();
}

void CZNBatchConvertDlg::OnFileNameChange()
{
    QStringList names;
    // One index per item: the model's other columns (size, type, date) are not names.
    for (const QModelIndex &index : m_View->selectionModel()->selectedIndexes())
        if (index.column() == 0 && (m_SelectFolders->isChecked() || !m_Model->isDir(index)))
            names << m_Model->fileName(index);
    names.sort();
    if (names.size() == 1)
        m_Name->setText(names.first());
    else if (!names.isEmpty())
        m_Name->setText(QLatin1Char('"') + names.join(QStringLiteral("\" \"")) + QLatin1Char('"'));
}

bool CZNBatchConvertDlg::SplitNames(const QString &text, std::vector<QString> *names)
{
    names->clear();
    const QString trimmed = text.trimmed();
    if (trimmed.count(QLatin1Char('"')) % 2)
        return false;
    if (!trimmed.contains(QLatin1Char('"'))) {
        if (!trimmed.isEmpty())
            names->push_back(trimmed);
        return true;
    }
    for (qsizetype open = trimmed.indexOf(QLatin1Char('"')); open >= 0;) {
        const qsizetype close = trimmed.indexOf(QLatin1Char('"'), open + 1);
        const QString name = trimmed.mid(open + 1, close - open - 1);
        if (!name.isEmpty())
            names->push_back(name);
        open = trimmed.indexOf(QLatin1Char('"'), close + 1);
    }
    return true;
}

void CZNBatchConvertDlg::Warn(const char *text, unsigned type)
{
    GetEditorApp()->GetReporter()->Message(text, kCaption, type);
}

bool CZNBatchConvertDlg::OnConvert()
{
    std::vector<QString> names;
    if (!SplitNames(m_Name->text(), &names)) {
        Warn("Error : Invalid selection string, missing a closing quotation mark", MB_OK | MB_ICONERROR);
        return false;
    }
    const QDir folder(GetCurrentFolder());
    ZNBATCHSETTINGS settings;
    const bool selectFolders = m_SelectFolders->isChecked();
    for (const QString &name : names) {
        const QString path = QDir::cleanPath(folder.absoluteFilePath(name));
        const QFileInfo info(path);
        if (info.isDir() && !selectFolders) {
            // Without "Select Folders" a folder's name opens it, as in a file dialog.
            SetCurrentFolder(path);
            return false;
        }
        if (info.exists())
            settings.Selection.push_back(path.toStdString());
    }
    if (settings.Selection.empty())
        return false;

    m_OutputFolder = WithSlash(m_Output->text().toStdString());
    m_InputFolder = WithSlash(QFileInfo(QString::fromStdString(settings.Selection.front())).path().toStdString());
    if (!IsFolder(m_InputFolder)) {
        Warn("The input directory specified by the dialog is invalid.\r\n\r\nPlease specify an existing folder for "
             "import.",
             MB_OK | MB_ICONWARNING);
        return false;
    }
    CZNSettings stored;
    if (!IsFolder(m_OutputFolder)) {
        Warn("The output directory specified by the dialog is invalid.\r\n\r\nPlease specify an existing folder for "
             "export.",
             MB_OK | MB_ICONWARNING);
        m_OutputFolder =
            stored.GetProfileString(kSection, "Last Output Dir", GetEditorApp()->GetProgramDirectory().c_str());
        m_Output->setText(QString::fromStdString(m_OutputFolder));
        return false;
    }
    stored.WriteProfileString(kSection, "Last Output Dir", m_OutputFolder.c_str());
    stored.WriteProfileString(kSection, "Last Input Dir", m_InputFolder.c_str());

    settings.InputFolder = m_InputFolder;
    settings.OutputFolder = m_OutputFolder;
    settings.Options = m_Options;
    settings.OutputType = static_cast<DWORD>(m_Type->currentIndex() + 1);
    settings.StopOnErrors = m_Stop->isChecked() ? 1 : 0;
    settings.SelectFolders = selectFolders ? 1 : 0;

    // The previous run's worker has ended (its OK closed the dialog); it is joined before it goes.
    m_Job.reset();
    m_Progress = std::make_unique<CZNConvertProgressDlg>(this);
    m_Job = std::make_unique<CZNBatchJob>(settings, m_Progress.get());
    m_Progress->SetJob(m_Job.get());
    m_Progress->exec();
    m_Job->Join();
    return true;
}
