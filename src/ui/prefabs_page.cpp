#include "ui/prefabs_page.h"

#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QPushButton>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "app/editor_app.h"
#include "fileio/prefab.h"
#include "fileio/prefab_manager.h"
#include "platform/os/reporter.h"
#include "ui/name_category_dlg.h"
#include "ui/prefab_list_box.h"

namespace
{
constexpr int kContentHeight = 480;
constexpr int kComboListHeight = 200;
constexpr char kCaption[] = "TOVRA";
constexpr char kGeneral[] = "<General>";

constexpr char kNotValid[] = "The category name is not valid.";
constexpr char kExists[] = "A prefab category with this name already exists.";
constexpr char kNoFolder[] = "The prefabs directory could not be located!.";
constexpr char kDeleteQuestion[] = "Are you sure you wish to delete the category '%s'?\r\n\r\nNote: Continuing to do "
                                   "so will also delete any prefabs stored within that category.";
constexpr char kDeleteFailed[] = "Unable to delete the specified category. Certain files may have been in use.\r\n\r\n"
                                 "Some or all of the prefabs stored within this category may not have been deleted.";
constexpr char kFolderGone[] = "The specified category is no longer valid and could not be freed.";
constexpr char kGeneralRename[] = "The '<General>' category cannot be renamed.";
constexpr char kRenameFailed[] = "Unable to rename the specified category, category no longer exists or is in use.";

int Report(const std::string &text, unsigned type)
{
    IZNReporter *reporter = GetEditorApp()->GetReporter();
    return reporter ? reporter->Message(text, kCaption, type) : DefaultAnswer(type);
}

// A name that makes one folder directly below "Prefabs/".
bool IsValidCategoryName(const std::string &name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
}

CZNPrefabManager *Prefabs()
{
    return GetEditorApp()->GetPrefabManager();
}

QPushButton *Button(const char *text, QWidget *parent, int x, int y, int width, int height)
{
    auto *button = new QPushButton(QString::fromLatin1(text), parent);
    button->setGeometry(x, y, width, height);
    return button;
}
} // namespace

CZNPrefabsPage::CZNPrefabsPage(QWidget *parent) : CZNOptionsPage(QStringLiteral("Prefabs"), kContentHeight, parent)
{
    QWidget *content = GetContent();
    const int width = 146;
    // The page's controls in an 8-point font, as the page's dialog template has them.
    QFont font = content->font();
    font.setPointSize(8);
    content->setFont(font);

    m_Group = new QGroupBox(QStringLiteral("Category"), content);
    m_Group->setGeometry(4, 4, width, 76);
    m_Categories = new QComboBox(m_Group);
    m_Categories->setObjectName(QStringLiteral("PrefabCategory"));
    m_Categories->setGeometry(8, 18, width - 16, 22);
    m_Categories->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    m_Add = Button("&Add", m_Group, 8, 46, 34, 22);
    m_Delete = Button("&Delete", m_Group, 44, 46, 44, 22);
    m_Rename = Button("&Rename", m_Group, 90, 46, 48, 22);
    m_List = new CZNPrefabListBox(content);
    m_List->setGeometry(4, 86, width, 360);
    m_Refresh = Button("Refresh", content, 4, 452, width, 24);

    m_AskName = [](QWidget *owner, char *buffer) {
        CZNNameCategoryDlg dialog(buffer, owner);
        return dialog.DoModal() == IDOK;
    };

    connect(m_Categories, &QComboBox::activated, this, &CZNPrefabsPage::OnCategoryChosen);
    connect(m_List, &QListWidget::currentRowChanged, this, &CZNPrefabsPage::OnPrefabChosen);
    connect(m_Add, &QPushButton::clicked, this, &CZNPrefabsPage::OnAdd);
    connect(m_Delete, &QPushButton::clicked, this, &CZNPrefabsPage::OnDelete);
    connect(m_Rename, &QPushButton::clicked, this, &CZNPrefabsPage::OnRename);
    connect(m_Refresh, &QPushButton::clicked, this, &CZNPrefabsPage::Refresh);
}

std::string CZNPrefabsPage::PrefabsFolder()
{
    return GetEditorApp()->GetProgramDirectory() + "Prefabs/";
}

void CZNPrefabsPage::OnInitDialog()
{
    CZNOptionsPage::OnInitDialog();
    SetEditsEnabled(false);
    // The combo's list is 200 pixels tall, as far as its rows allow.
    m_Categories->setMaxVisibleItems(
        std::max(1, kComboListHeight / std::max(1, m_Categories->fontMetrics().height() + 4)));
    Refresh();
    SetEditsEnabled(true);
}

void CZNPrefabsPage::Refresh()
{
    CZNPrefabManager *manager = Prefabs();
    if (!manager)
        return;
    // The list lets the records go before the manager frees them.
    m_List->ResetContent();
    // The scan makes its first prefab current; the page chooses again by the name it had.
    const std::string name = manager->GetCurrentName();
    manager->Release();
    manager->ScanFolder(nullptr, PrefabsFolder().c_str(), "*.*", kGeneral, true);
    manager->SetCurrentName(name.c_str());
    FillList(-1);
}

void CZNPrefabsPage::FillList(int category)
{
    CZNPrefabManager *manager = Prefabs();
    if (!IsInitialized() || !manager)
        return;
    // Choosing rows here is not the user's choice.
    const bool edits = SetEditsEnabled(false);
    m_List->ResetContent();

    if (category < 0) {
        m_Categories->clear();
        int chosen = -1;
        for (DWORD i = 0; i < manager->GetCategoryTotal(); ++i) {
            const char *name = manager->GetCategoryName(i);
            m_Categories->addItem(QString::fromUtf8(name), QVariant::fromValue(i));
            if (chosen < 0 && manager->GetCurrentCategory() == name)
                chosen = static_cast<int>(i);
        }
        if (chosen < 0) {
            chosen = 0;
            const char *first = manager->GetCategoryName(0);
            manager->SetCurrentCategory(first ? first : "");
        }
        manager->SetCurrentCategoryIndex(static_cast<DWORD>(chosen));
        m_Categories->setCurrentIndex(m_Categories->count() ? chosen : -1);
    } else {
        const char *name = manager->GetCategoryName(static_cast<DWORD>(category));
        manager->SetCurrentCategoryIndex(static_cast<DWORD>(category));
        manager->SetCurrentCategory(name ? name : "");
    }

    // Without any prefab only the categories are filled.
    if (manager->GetCount() == 0) {
        manager->SetCurrent(nullptr);
        SetEditsEnabled(edits);
        return;
    }
    for (CZNPrefab *prefab = manager->GetFirst(); prefab; prefab = prefab->GetNext())
        if (prefab->GetCategory() == manager->GetCurrentCategoryIndex())
            m_List->AddPrefab(prefab);

    if (m_List->count() == 0) {
        manager->SetCurrent(nullptr);
        manager->SetCurrentName(nullptr);
    } else {
        // The row of the chosen name is current; without it the first row, and the name stays.
        const std::string name = manager->GetCurrentName();
        int row = m_List->FindStringExact(name.c_str());
        if (row < 0)
            row = 0;
        manager->SetCurrent(m_List->GetPrefab(row));
        manager->SetCurrentName(name.c_str());
        m_List->setCurrentRow(row);
    }
    SetEditsEnabled(edits);
}

void CZNPrefabsPage::OnCategoryChosen(int row)
{
    if (row >= 0)
        FillList(m_Categories->itemData(row).toInt());
}

void CZNPrefabsPage::OnPrefabChosen(int row)
{
    if (!AreEditsEnabled())
        return;
    if (CZNPrefab *prefab = m_List->GetPrefab(row))
        Prefabs()->SetCurrent(prefab);
}

void CZNPrefabsPage::OnAdd()
{
    if (!IsInitialized())
        return;
    char buffer[CZNNameCategoryDlg::kBufferSize] = {};
    if (!m_AskName || !m_AskName(window(), buffer))
        return;
    const std::string name = buffer;
    if (!IsValidCategoryName(name)) {
        Report(kNotValid, MB_ICONEXCLAMATION);
        return;
    }
    if (::mkdir((PrefabsFolder() + name).c_str(), 0777) == 0) {
        Refresh();
        return;
    }
    if (errno == EEXIST)
        Report(kExists, MB_ICONEXCLAMATION);
    else if (errno == ENOENT)
        Report(kNoFolder, MB_ICONERROR);
    else
        Refresh();
}

void CZNPrefabsPage::OnDelete()
{
    if (!IsInitialized())
        return;
    const std::string current = Prefabs()->GetCurrentCategory();
    std::vector<char> question(sizeof kDeleteQuestion + current.size());
    std::snprintf(question.data(), question.size(), kDeleteQuestion, current.c_str());
    if (Report(question.data(), MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    if (current == kGeneral) {
        DeleteFolder(PrefabsFolder().c_str(), TRUE, TRUE);
    } else if (!IsValidCategoryName(current) || !DeleteFolder((PrefabsFolder() + current + "/").c_str(), TRUE, FALSE)) {
        Report(kDeleteFailed, MB_ICONERROR);
    }
    Refresh();
}

BOOL CZNPrefabsPage::DeleteFolder(const char *path, BOOL root, BOOL filesOnly)
{
    namespace fs = std::filesystem;
    if (!path)
        return FALSE;
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    std::error_code ec;
    // A category that is itself a link goes as a link; what it points to stays.
    if (root && !filesOnly && fs::is_symlink(fs::symlink_status(folder, ec)))
        return fs::remove(folder, ec) ? TRUE : FALSE;

    // The entries first, then the removals, so that the listing does not change under its walk.
    std::vector<fs::directory_entry> entries;
    fs::directory_iterator it(folder, ec), end;
    if (ec) {
        Report(kFolderGone, MB_ICONEXCLAMATION);
        return FALSE;
    }
    for (; !ec && it != end; it.increment(ec))
        entries.push_back(*it);

    for (const fs::directory_entry &entry : entries) {
        const std::string name = entry.path().filename().string();
        std::error_code typeError;
        const fs::file_status own = entry.symlink_status(typeError);
        if (fs::is_symlink(own)) {
            // With files only, a link to a folder is a category and stays; any other link goes as
            // a link.
            if (filesOnly && entry.is_directory(typeError))
                continue;
            fs::remove(entry.path(), typeError);
        } else if (fs::is_directory(own)) {
            if (filesOnly || name[0] == '.')
                continue;
            if (!DeleteFolder((entry.path().string() + "/").c_str(), FALSE, FALSE))
                return FALSE;
        } else {
            fs::remove(entry.path(), typeError);
        }
    }
    if (filesOnly)
        return TRUE;
    return fs::remove(folder, ec) && !ec ? TRUE : FALSE;
}

void CZNPrefabsPage::OnRename()
{
    if (!IsInitialized())
        return;
    CZNPrefabManager *manager = Prefabs();
    const std::string current = manager->GetCurrentCategory();
    if (current == kGeneral) {
        Report(kGeneralRename, MB_ICONEXCLAMATION);
        return;
    }
    char buffer[CZNNameCategoryDlg::kBufferSize] = {};
    std::strncpy(buffer, current.c_str(), CZNNameCategoryDlg::kMaxLength);
    if (!m_AskName || !m_AskName(window(), buffer))
        return;
    const std::string name = buffer;
    if (!IsValidCategoryName(name)) {
        Report(kNotValid, MB_ICONEXCLAMATION);
        return;
    }
    // Renaming onto an existing name fails: rename() would replace an empty folder.
    namespace fs = std::filesystem;
    const std::string from = PrefabsFolder() + current, to = PrefabsFolder() + name;
    std::error_code ec;
    if (!IsValidCategoryName(current) || fs::exists(fs::symlink_status(to, ec)) ||
        std::rename(from.c_str(), to.c_str()) != 0) {
        Report(kRenameFailed, MB_ICONEXCLAMATION);
        return;
    }
    manager->SetCurrentCategory(name);
    Refresh();
}
