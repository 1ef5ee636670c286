#include "fileio/prefab_manager.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "app/editor_app.h"
#include "fileio/file_stream_io.h"
#include "fileio/iwf_scene.h"
#include "fileio/prefab.h"
#include "platform/os/folder_listing.h"
#include "platform/os/splash_progress.h"
#include "scene/debug_log.h"
#include "scene/path_utils.h"

namespace
{

CZNDebugLog &ScanLog()
{
    static CZNDebugLog log;
    return log;
}

// Opened the first time a scan runs, and kept until the program ends.
void OpenScanLog()
{
    static bool opened = false;
    if (opened)
        return;
    opened = true;
    const std::string path = GetEditorApp()->GetProgramDirectory() + "Debug Logs/PrefabsManager.log";
    ScanLog().Open(path.c_str());
    std::atexit(CZNPrefabManager::CloseLog);
}

void Step(IZNSplashProgress *progress)
{
    if (progress)
        progress->StepCurrent();
}

std::string WithSeparator(const char *folder)
{
    std::string result = folder ? folder : "";
    if (!result.empty() && result.back() != '/' && result.back() != '\\')
        result += '/';
    return result;
}

// The file name without folders and without its extension; a name without a dot stays whole.
std::string PrefabName(const std::string &fileName)
{
    char *stripped = StripExtension(fileName.c_str());
    std::string name = stripped ? stripped : fileName;
    std::free(stripped);
    return name;
}

void CopyCut(char *dest, size_t size, const char *text)
{
    const size_t length = text ? std::min(std::strlen(text), size - 1) : 0;
    std::memcpy(dest, text ? text : "", length);
    dest[length] = '\0';
}

} // namespace

CZNPrefabManager::CZNPrefabManager()
    : m_First(nullptr), m_Count(0), m_Current(nullptr), m_CurrentName{}, m_CategoryCount(0), m_Categories{}
{
}

CZNPrefabManager::~CZNPrefabManager()
{
    Release();
}

void CZNPrefabManager::CloseLog()
{
    ScanLog().Close();
}

void CZNPrefabManager::Release()
{
    CZNPrefab *prefab = m_First;
    while (prefab) {
        CZNPrefab *next = prefab->GetNext();
        delete prefab;
        prefab = next;
    }
    m_First = nullptr;
    m_Count = 0;
    m_Current = nullptr;
    m_CategoryCount = 0;
}

void CZNPrefabManager::SetCurrent(CZNPrefab *prefab)
{
    m_Current = prefab;
    if (prefab)
        CopyCut(m_CurrentName, sizeof m_CurrentName, prefab->GetName());
}

void CZNPrefabManager::SetCurrentName(const char *name)
{
    CopyCut(m_CurrentName, sizeof m_CurrentName, name);
}

const char *CZNPrefabManager::GetCategoryName(DWORD index) const
{
    return index < m_CategoryCount ? m_Categories[index] : nullptr;
}

CZNPrefab *CZNPrefabManager::GetTail() const
{
    CZNPrefab *prefab = m_First;
    while (prefab && prefab->GetNext())
        prefab = prefab->GetNext();
    return prefab;
}

void CZNPrefabManager::Append(CZNPrefab *prefab)
{
    if (!prefab)
        return;
    prefab->SetNext(nullptr);
    if (CZNPrefab *tail = GetTail())
        tail->SetNext(prefab);
    else
        m_First = prefab;
    ++m_Count;
}

DWORD CZNPrefabManager::ScanFolder(IZNSplashProgress *progress, const char *folder, const char *pattern,
                                   const char *category, bool recurse)
{
    OpenScanLog();
    ScanOne(progress, WithSeparator(folder), pattern ? pattern : "*.*", category, recurse);
    ScanLog().Printf("%d Prefabs were located and loaded ", static_cast<int>(m_Count));
    if (m_First)
        SetCurrent(m_First);
    return m_Count;
}

DWORD CZNPrefabManager::ScanOne(IZNSplashProgress *progress, const std::string &folder, const char *pattern,
                                const char *category, bool recurse)
{
    CZNDebugLog &log = ScanLog();
    log.Printf("Initializing Prefab Manager in folder - %s%s", folder.c_str(), pattern);
    // The table is full: the folder is skipped.
    if (m_CategoryCount >= kMaxCategories)
        return m_Count;
    const BYTE index = static_cast<BYTE>(m_CategoryCount);
    CopyCut(m_Categories[index], kCategoryLength, category);
    ++m_CategoryCount;

    std::vector<ZNFOLDERENTRY> entries;
    // A folder always holds "." and ".." where the pattern takes them, so only a folder that
    // cannot be read, or a pattern that matches nothing, finds nothing.
    if (!ZnListFolder(folder, pattern, entries) || (entries.empty() && !ZnMatchPattern(pattern, "."))) {
        log.Printf(" WARNING: No Prefab files were located!!!");
        return m_Count;
    }

    for (const ZNFOLDERENTRY &entry : entries) {
        const std::string full = folder + entry.Name;
        const char *path = full.c_str();
        if (entry.Directory) {
            if (entry.Name[0] != '.' && recurse && m_CategoryCount < kMaxCategories)
                ScanOne(progress, full + "/", pattern, entry.Name.c_str(), false);
            continue;
        }
        log.Printf("File %s Found", path);
        {
            CZNFileStreamIO stream(path, ZNSTREAM_READ);
            if (!entry.RegularFile || !stream.IsOpen()) {
                Step(progress);
                log.Printf("WARNING : File %s could not be opened for reading", path);
                continue;
            }
            CZNIWFScene scene;
            if (!scene.IsValidFile(stream)) {
                Step(progress);
                log.Printf("WARNING : File %s is NOT a valid IWF file", path);
                continue;
            }
        }
        log.Printf("File %s Successfully Validated is a Valid IWF file", path);
        CZNPrefab *prefab = new (std::nothrow) CZNPrefab;
        if (!prefab) {
            Step(progress);
            log.Printf("ERROR : File %s could not have its prefab memory allocated", path);
            continue;
        }
        prefab->SetPath(path);
        prefab->SetCategory(index);
        prefab->SetName(PrefabName(entry.Name).c_str());
        Append(prefab);
        Step(progress);
        log.Printf("Prefab %s was successfully created", prefab->GetName());
    }
    return m_Count;
}

DWORD CZNPrefabManager::CountFiles(const char *folder, const char *pattern, bool recurse)
{
    const std::string base = WithSeparator(folder);
    if (!pattern)
        pattern = "*.*";
    std::vector<ZNFOLDERENTRY> entries;
    if (!ZnListFolder(base, pattern, entries))
        return 0;
    // "." and ".." count as entries, as a folder scan meets them.
    DWORD count = ZnMatchPattern(pattern, ".") ? 2 : 0;
    for (const ZNFOLDERENTRY &entry : entries) {
        ++count;
        if (entry.Directory && entry.Name[0] != '.' && recurse)
            count += CountFiles((base + entry.Name + "/").c_str(), pattern, false);
    }
    return count;
}

void CZNPrefabManager::NumberDuplicateNames()
{
    for (CZNPrefab *p = m_First; p; p = p->GetNext()) {
        int k = 1;
        for (CZNPrefab *q = p->GetNext(); q; q = q->GetNext()) {
            if (std::strcmp(q->GetName(), p->GetName()) != 0)
                continue;
            ++k;
            char suffix[32];
            std::snprintf(suffix, sizeof suffix, k < 10 ? " |0%d| " : " |%d| ", k);
            q->AppendToName(suffix);
        }
        if (k > 1)
            p->AppendToName(" |01| ");
    }
}
