#pragma once

// CZNTextureManager: owns every texture of the editor, in a singly linked list in the order of
// loading. At start-up it scans the texture tree (image files and zip packages, sub-folders
// included), keeps one texture per distinct picture (by content CRC) and numbers textures of
// equal names. Scene readers look textures up by file name and by CRC. Every step of a scan is
// written to "Debug Logs/Texture Manager.log".
#include <string>
#include <vector>

#include "platform/export.h"
#include "platform/os/win_types.h"

class CZNTexture;
class IZNSplashProgress;

class ZN_API CZNTextureManager
{
public:
    CZNTextureManager();
    // Deletes every texture of the list.
    ~CZNTextureManager();
    // The manager owns its textures: a copy would delete them twice.
    CZNTextureManager(const CZNTextureManager &) = delete;
    CZNTextureManager &operator=(const CZNTextureManager &) = delete;

    // Scans folder for names matching pattern (case-insensitive '*' and '?' wildcards), in
    // sorted order, into sub-folders when recurse is set, and loads every picture and every
    // picture inside a zip package. One progress step per entry and per package entry (progress
    // may be null). Returns the manager's texture count.
    DWORD CacheTextures(IZNSplashProgress *progress, const char *folder, const char *pattern, bool recurse);
    // The number of progress steps CacheTextures makes with the same arguments.
    int GetDirectoryEntries(const char *folder, const char *pattern, bool recurse);
    // RenameDuplicates for every texture, in list order.
    void CheckDuplicates();
    // Numbers the textures named exactly like texture: " |01| ", " |02| ", ... (" |10| " from
    // ten). 0 for a null texture.
    int RenameDuplicates(CZNTexture *texture);

    // The first texture whose CRC is crc, else null.
    CZNTexture *FindMatchByCRC(DWORD crc) const;
    // The first loaded texture whose file name equals that of name ignoring case; folders, with
    // either separator, are left out on both sides. Null for a null name or one without a file name.
    CZNTexture *FindMatchByFileName(const char *name) const;

    // Appends to the list and counts it; null is ignored.
    void AddTexture(CZNTexture *texture);
    // Unlinks the texture without deleting it; 1 when found. The count stays as it is.
    int DetachTexture(CZNTexture *texture);
    CZNTexture *GetLastTexture() const;
    CZNTexture *GetFirstTexture() const { return m_pHead; }
    DWORD GetTextureCount() const { return m_Count; }
    // Reloads every texture from its source, keeping its name; a failed one stays, not loaded.
    void ReloadTextures();

    // The texture chosen in the options panel; cleared at the end of every scan.
    CZNTexture *GetCurrentTexture() const { return m_pCurrentTexture; }
    void SetCurrentTexture(CZNTexture *texture) { m_pCurrentTexture = texture; }

    // Closes the scan log; the next scan opens it afresh. Runs at exit once a scan opened it.
    static void CloseLog();

private:
    // What a scan keeps at hand: the real paths of the folders being scanned (a link back to one
    // of them is not entered again), the CRCs of the listed textures and the last of them, so
    // that a picture is matched and appended without walking the list.
    struct ScanState;
    // The scan and the count of one folder; chain as in ScanState.
    void ScanFolder(IZNSplashProgress *progress, const std::string &folder, const char *pattern, bool recurse,
                    ScanState &state);
    void AppendScanned(CZNTexture *texture, ScanState &state);
    int CountFolder(const std::string &folder, const char *pattern, bool recurse, std::vector<std::string> &chain);
    void NameTexture(CZNTexture *texture);

    CZNTexture *m_pHead;
    DWORD m_Count;
    CZNTexture *m_pCurrentTexture;
};
