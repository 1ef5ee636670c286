#pragma once

// CZNPrefabsPage: the options panel's Prefabs page. It chooses the prefab manager's current
// prefab, which Place Prefab puts into the scene: a combo of categories (the folders below the
// program's "Prefabs/", and "<General>" for the folder itself), the owner-drawn list of the current
// category's prefabs, the buttons that add, delete and rename category folders, and "Refresh",
// which rescans the folder. After every change on disk the folder is rescanned, and the category
// and prefab chosen before stay chosen while their names exist.
//
// Category names are asked through a replaceable asker (the Name Category dialog by default) and
// refused when empty, "." or "..", or holding '/' or '\'. Deleting a category never follows a
// symbolic link: a link is removed as a link. A rename onto an existing name fails and changes
// nothing. Every failure is a message box; nothing is thrown. The list operations do nothing
// before the page's first activation.
#include <functional>
#include <string>

#include "platform/os/win_types.h"
#include "ui/options_page.h"

class CZNPrefabListBox;
class QComboBox;
class QGroupBox;
class QPushButton;

class CZNPrefabsPage : public CZNOptionsPage
{
    Q_OBJECT

public:
    // Asks for a category name into buffer (CZNNameCategoryDlg::kBufferSize bytes, starting with
    // the proposed text); true for OK.
    using NameAsker = std::function<bool(QWidget *owner, char *buffer)>;

    explicit CZNPrefabsPage(QWidget *parent = nullptr);

    void OnInitDialog() override;

    // Rescans the program's "Prefabs/" folder and fills the page again.
    void Refresh();
    // Fills the list with the category's prefabs; -1 refills the combo first and chooses the
    // current category by name (the first when it is gone).
    void FillList(int category);
    // Removes the entries of path (a folder) and, unless filesOnly, the folder itself; true when
    // that succeeded. Sub-folders go with everything in them (with filesOnly they stay), except
    // those whose names begin with '.'; links are removed as links. root: the first call, which
    // reports a folder that cannot be read.
    BOOL DeleteFolder(const char *path, BOOL root, BOOL filesOnly);

    void SetNameAsker(NameAsker asker) { m_AskName = std::move(asker); }

    QComboBox *GetCategoryCombo() const { return m_Categories; }
    CZNPrefabListBox *GetPrefabList() const { return m_List; }
    QPushButton *GetAddButton() const { return m_Add; }
    QPushButton *GetDeleteButton() const { return m_Delete; }
    QPushButton *GetRenameButton() const { return m_Rename; }
    QPushButton *GetRefreshButton() const { return m_Refresh; }

private:
    void OnCategoryChosen(int row);
    void OnPrefabChosen(int row);
    void OnAdd();
    void OnDelete();
    void OnRename();
    // The program's "Prefabs/" folder, with its separator.
    static std::string PrefabsFolder();

    NameAsker m_AskName;
    QGroupBox *m_Group;
    QComboBox *m_Categories;
    QPushButton *m_Add;
    QPushButton *m_Delete;
    QPushButton *m_Rename;
    CZNPrefabListBox *m_List;
    QPushButton *m_Refresh;
};
