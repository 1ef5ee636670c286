#include "render/texture_manager.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

#include "app/editor_app.h"
#include "platform/os/folder_listing.h"
#include "platform/os/splash_progress.h"
#include "render/image/image.h"
#include "render/texture.h"
#include "render/texture_package.h"
#include "scene/debug_log.h"
#include "scene/path_utils.h"

namespace
{

// Extensions of package entries that are tried as pictures, upper case, in this order.
const char *const kPackageExtensions[] = {"TGA", "BMP", "JPG", "PCX", "PNG", "PSD"};

CZNDebugLog &ScanLog()
{
    static CZNDebugLog log;
    return log;
}

void OpenScanLog()
{
    static bool registered = false;
    if (ScanLog().IsOpen())
        return;
    std::string path = GetEditorApp()->GetProgramDirectory() + "Debug Logs/Texture Manager.log";
    ScanLog().Open(path.c_str());
    if (!registered) {
        registered = true;
        std::atexit(CZNTextureManager::CloseLog);
    }
}

void Step(IZNSplashProgress *progress)
{
    if (progress)
        progress->StepCurrent();
}

// The folder's entries matching pattern, sorted; a folder that does not exist gives none.
std::vector<ZNFOLDERENTRY> ListFolder(const std::string &folder, const char *pattern)
{
    std::vector<ZNFOLDERENTRY> entries;
    ZnListFolder(folder, pattern, entries);
    return entries;
}

std::string FolderWithSeparator(const char *folder)
{
    std::string result = folder ? folder : "";
    if (!result.empty() && result.back() != '/' && result.back() != '\\')
        result += '/';
    return result;
}

std::string RealPath(const std::string &folder)
{
    std::error_code ec;
    std::filesystem::path real = std::filesystem::canonical(folder.empty() ? std::string(".") : folder, ec);
    return ec ? folder : real.string();
}

// Pushes the folder's real path onto the chain of folders being scanned, unless it is already
// there: a link back to a folder being scanned would recurse without end.
bool EnterFolder(const std::string &folder, std::vector<std::string> &chain)
{
    std::string real = RealPath(folder);
    if (std::find(chain.begin(), chain.end(), real) != chain.end())
        return false;
    chain.push_back(std::move(real));
    return true;
}

bool SupportedExtension(const char *extension)
{
    for (const char *supported : kPackageExtensions)
        if (std::strcmp(extension, supported) == 0)
            return true;
    return false;
}

} // namespace

CZNTextureManager::CZNTextureManager() : m_pHead(nullptr), m_Count(0), m_pCurrentTexture(nullptr) {}

CZNTextureManager::~CZNTextureManager()
{
    CZNTexture *texture = m_pHead;
    while (texture) {
        CZNTexture *next = texture->GetNext();
        delete texture;
        texture = next;
    }
    m_pHead = nullptr;
    m_Count = 0;
    m_pCurrentTexture = nullptr;
}

void CZNTextureManager::CloseLog()
{
    ScanLog().Close();
}

struct CZNTextureManager::ScanState {
    std::vector<std::string> Chain;
    std::unordered_set<DWORD> Crcs;
    CZNTexture *Last = nullptr;
};

void CZNTextureManager::AppendScanned(CZNTexture *texture, ScanState &state)
{
    texture->SetNext(nullptr);
    if (state.Last)
        state.Last->SetNext(texture);
    else
        m_pHead = texture;
    ++m_Count;
    state.Last = texture;
    state.Crcs.insert(texture->GetCRC());
}

DWORD CZNTextureManager::CacheTextures(IZNSplashProgress *progress, const char *folder, const char *pattern,
                                       bool recurse)
{
    OpenScanLog();
    const std::string base = FolderWithSeparator(folder);
    ScanState state;
    state.Chain.push_back(RealPath(base));
    for (CZNTexture *texture = m_pHead; texture; texture = texture->GetNext()) {
        state.Crcs.insert(texture->GetCRC());
        state.Last = texture;
    }
    ScanFolder(progress, base, pattern ? pattern : "*.*", recurse, state);
    m_pCurrentTexture = nullptr;
    return m_Count;
}

void CZNTextureManager::ScanFolder(IZNSplashProgress *progress, const std::string &base, const char *mask, bool recurse,
                                   ScanState &state)
{
    CZNDebugLog &log = ScanLog();
    log.Printf("Initializing Texture Manager in folder - %s%s", base.c_str(), mask);

    for (const ZNFOLDERENTRY &entry : ListFolder(base, mask)) {
        const std::string full = base + entry.Name;
        const char *path = full.c_str();
        if (entry.Directory && entry.Name[0] != '.' && recurse && EnterFolder(full, state.Chain)) {
            ScanFolder(progress, full + "/", mask, recurse, state);
            state.Chain.pop_back();
        }

        // Only regular files are opened: a directory or a device never holds a picture.
        if (entry.RegularFile && CZNImage::ValidImageFile(path)) {
            log.Printf("%s is a valid image file                   ", path);
            CZNTexture *texture = new (std::nothrow) CZNTexture(path, nullptr);
            if (!texture) {
                log.Printf("ERROR : %s could not be constructed", path);
            } else if (!texture->IsLoaded()) {
                log.Printf("ERROR : %s could not be Loaded", path);
                delete texture;
            } else if (state.Crcs.count(texture->GetCRC())) {
                log.Printf("\nWARNING:Image %s already Matched the CRC of an already loaded Texture. It will NOT be "
                           "loaded \n  ",
                           path);
                delete texture;
            } else {
                AppendScanned(texture, state);
                log.Printf("%s Was Successfully Loaded.      ", path);
                NameTexture(texture);
            }
            Step(progress);
            continue;
        }

        CZNTexturePackage package;
        if (entry.RegularFile && package.Open(path)) {
            log.Printf("\n%s is a valid Package file . Searching for Valid Images inside       \n ", path);
            package.ReadEntries();
            package.Close();
            for (int i = 0; i < package.GetEntryCount(); ++i) {
                const CZNTexturePackageEntry *item = package.GetEntry(i);
                Step(progress);
                if (!SupportedExtension(item->Extension))
                    continue;
                log.Printf("%s extension matches supported Types. Attempting to Load...        ", item->FullName);
                CZNTexture *texture = new (std::nothrow) CZNTexture(item->FullName, path);
                if (!texture) {
                    log.Printf("WARNING: Memory for %s could not be allocated. Construction failed. Texture will NOT "
                               "be loaded        ",
                               item->FullName);
                } else if (!texture->IsLoaded()) {
                    log.Printf("WARNING: %s could NOT be loaded.      ", item->FullName);
                    delete texture;
                } else if (state.Crcs.count(texture->GetCRC())) {
                    log.Printf("\nWARNING:Image %s already Matched the CRC of an already loaded Texture. It will NOT "
                               "be loaded \n  ",
                               item->FullName);
                    delete texture;
                } else {
                    AppendScanned(texture, state);
                    log.Printf("%s In Package %s Was Successfully Loaded.      ", item->FullName, path);
                    NameTexture(texture);
                }
            }
            continue;
        }

        Step(progress);
        log.Printf(" WARNING :%s is an invalid image file                 ", path);
    }

    log.Printf("Leaving Directory");
    m_pCurrentTexture = nullptr;
}

int CZNTextureManager::GetDirectoryEntries(const char *folder, const char *pattern, bool recurse)
{
    const std::string base = FolderWithSeparator(folder);
    std::vector<std::string> chain{RealPath(base)};
    return CountFolder(base, pattern ? pattern : "*.*", recurse, chain);
}

int CZNTextureManager::CountFolder(const std::string &base, const char *mask, bool recurse,
                                   std::vector<std::string> &chain)
{
    int count = 0;
    for (const ZNFOLDERENTRY &entry : ListFolder(base, mask)) {
        const std::string full = base + entry.Name;
        if (entry.Directory && entry.Name[0] != '.' && recurse && EnterFolder(full, chain)) {
            count += CountFolder(full + "/", mask, recurse, chain);
            chain.pop_back();
        }
        // The same tests in the same order as the scan, so that both agree.
        CZNTexturePackage package;
        if (entry.RegularFile && !CZNImage::ValidImageFile(full.c_str()) && package.Open(full.c_str())) {
            package.ReadEntries();
            count += package.GetEntryCount();
        } else {
            count += 1;
        }
    }
    return count;
}

void CZNTextureManager::NameTexture(CZNTexture *texture)
{
    char *path = texture->GetPathAndFileName();
    char *fileName = path ? GetFileNameFromPath(path) : nullptr;
    char *name = fileName ? StripExtension(fileName) : nullptr;
    texture->SetTextureName(name);
    if (GetEditorApp()->Options().m_SupportsMipMaps)
        texture->SetMipLevels(3);
    std::free(name);
    std::free(fileName);
    std::free(path);
}

void CZNTextureManager::CheckDuplicates()
{
    for (CZNTexture *texture = m_pHead; texture; texture = texture->GetNext())
        RenameDuplicates(texture);
}

int CZNTextureManager::RenameDuplicates(CZNTexture *texture)
{
    if (!texture)
        return 0;
    const std::string name = texture->GetTextureName();
    int n = 1;
    char suffix[32];
    for (CZNTexture *other = texture->GetNext(); other; other = other->GetNext()) {
        if (name != other->GetTextureName())
            continue;
        ++n;
        std::snprintf(suffix, sizeof(suffix), n < 10 ? " |0%d| " : " |%d| ", n);
        other->SetTextureName((std::string(other->GetTextureName()) + suffix).c_str());
    }
    if (n >= 2) {
        std::snprintf(suffix, sizeof(suffix), " |0%d| ", 1);
        texture->SetTextureName((name + suffix).c_str());
    }
    return 1;
}

CZNTexture *CZNTextureManager::FindMatchByCRC(DWORD crc) const
{
    for (CZNTexture *texture = m_pHead; texture; texture = texture->GetNext())
        if (texture->GetCRC() == crc)
            return texture;
    return nullptr;
}

CZNTexture *CZNTextureManager::FindMatchByFileName(const char *name) const
{
    // Stored names may carry the folders of a package entry ("walls/rock.bmp"): the bare file
    // names are compared on both sides; a name without one matches nothing.
    char *wanted = GetFileNameFromPath(name);
    if (!wanted)
        return nullptr;
    CZNTexture *found = nullptr;
    for (CZNTexture *texture = m_pHead; texture && !found; texture = texture->GetNext()) {
        char *path = texture->GetPathAndFileName();
        char *fileName = GetFileNameFromPath(path);
        if (fileName && strcasecmp(fileName, wanted) == 0)
            found = texture;
        std::free(fileName);
        std::free(path);
    }
    std::free(wanted);
    return found;
}

void CZNTextureManager::AddTexture(CZNTexture *texture)
{
    if (!texture)
        return;
    texture->SetNext(nullptr);
    if (CZNTexture *last = GetLastTexture())
        last->SetNext(texture);
    else
        m_pHead = texture;
    ++m_Count;
}

int CZNTextureManager::DetachTexture(CZNTexture *texture)
{
    if (!texture)
        return 0;
    CZNTexture *previous = nullptr;
    for (CZNTexture *current = m_pHead; current; previous = current, current = current->GetNext()) {
        if (current != texture)
            continue;
        if (previous)
            previous->SetNext(current->GetNext());
        else
            m_pHead = current->GetNext();
        current->SetNext(nullptr);
        return 1;
    }
    return 0;
}

CZNTexture *CZNTextureManager::GetLastTexture() const
{
    CZNTexture *texture = m_pHead;
    while (texture && texture->GetNext())
        texture = texture->GetNext();
    return texture;
}

void CZNTextureManager::ReloadTextures()
{
    for (CZNTexture *texture = m_pHead; texture; texture = texture->GetNext()) {
        char *path = texture->GetPathAndFileName();
        const std::string file = path ? path : "";
        std::free(path);
        const std::string package = texture->GetPackagePath() ? texture->GetPackagePath() : "";
        const std::string name = texture->GetTextureName();
        texture->LoadTexture(file.c_str(), package.empty() ? nullptr : package.c_str());
        texture->SetTextureName(name.c_str());
    }
}
