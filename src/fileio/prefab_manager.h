#pragma once

// CZNPrefabManager: finds the prefabs (valid IWF files) below a folder. The root folder is
// category 0, each sub-folder one more category (at most 256; further sub-folders are skipped,
// deeper folders are not visited). It owns its prefabs; the current prefab and the names the
// Prefabs page keeps (current prefab name, current category name) survive Release.
//
// Nothing fails loudly: files that cannot be opened, are not IWF images or cannot be allocated
// are skipped with a line in "Debug Logs/PrefabsManager.log" below the program folder (opened
// once per process).
#include <string>

#include "platform/export.h"
#include "platform/os/win_types.h"

class CZNPrefab;
class IZNSplashProgress;

class ZN_API CZNPrefabManager
{
public:
    static constexpr DWORD kMaxCategories = 256;
    static constexpr size_t kCategoryLength = 254; // 253 characters and the zero
    static constexpr size_t kNameLength = 1024;

    CZNPrefabManager();
    ~CZNPrefabManager();
    CZNPrefabManager(const CZNPrefabManager &) = delete;
    CZNPrefabManager &operator=(const CZNPrefabManager &) = delete;

    // Scans folder (with or without a trailing '/') for files matching pattern; the folder
    // becomes a new category named category; its sub-folders become categories when recurse is
    // set. progress (may be null) steps once per file examined. Returns the prefab count.
    DWORD ScanFolder(IZNSplashProgress *progress, const char *folder, const char *pattern, const char *category,
                     bool recurse);
    // The entries ScanFolder meets with the same arguments, "." and ".." of each folder included.
    DWORD CountFiles(const char *folder, const char *pattern, bool recurse);
    // Gives equal names (letter case counts) the suffixes " |01| ", " |02| ", ... in list order.
    void NumberDuplicateNames();
    // Frees every prefab and empties the list and the category table.
    void Release();
    // Appends prefab (null is ignored) and takes ownership.
    void Append(CZNPrefab *prefab);
    CZNPrefab *GetTail() const;

    CZNPrefab *GetFirst() const { return m_First; }
    DWORD GetCount() const { return m_Count; }
    CZNPrefab *GetCurrent() const { return m_Current; }
    // The prefab becomes current; a prefab's name is copied to the current name, null keeps it.
    void SetCurrent(CZNPrefab *prefab);
    const char *GetCurrentName() const { return m_CurrentName; }
    // Replaces the current name (cut to its field); null empties it.
    void SetCurrentName(const char *name);
    BYTE GetCategoryCount() const { return static_cast<BYTE>(m_CategoryCount); }
    DWORD GetCategoryTotal() const { return m_CategoryCount; }
    // The category's name, or null beyond the table.
    const char *GetCategoryName(DWORD index) const;
    const std::string &GetCurrentCategory() const { return m_CurrentCategory; }
    void SetCurrentCategory(const std::string &name) { m_CurrentCategory = name; }
    // The index in the category table of the current category, kept with its name.
    DWORD GetCurrentCategoryIndex() const { return m_CurrentCategoryIndex; }
    void SetCurrentCategoryIndex(DWORD index) { m_CurrentCategoryIndex = index; }

    static void CloseLog();

private:
    DWORD ScanOne(IZNSplashProgress *progress, const std::string &folder, const char *pattern, const char *category,
                  bool recurse);

    CZNPrefab *m_First;
    DWORD m_Count;
    CZNPrefab *m_Current;
    char m_CurrentName[kNameLength];
    DWORD m_CategoryCount; // 0 .. 256
    char m_Categories[kMaxCategories][kCategoryLength];
    std::string m_CurrentCategory;
    DWORD m_CurrentCategoryIndex = 0;
};
