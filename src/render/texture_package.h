#pragma once

// CZNTexturePackage: read access to a zip archive of textures. It tells whether a file is a zip
// archive, lists the entries with their names split into folder, file name and upper-case
// extension, and extracts one entry whole into memory. Nothing is ever written into an archive.
#include <vector>

#include "platform/export.h"
#include "platform/os/win_types.h"

// One entry of an archive, zero-filled before it is set.
struct CZNTexturePackageEntry {
    char FullName[512]; // the name as stored, folders separated by '/'
    char FileName[512]; // the part after the last '/'
    char Folder[512];   // the part up to and including the last '/', empty without one
    char Extension[20]; // after the last '.' of the file name, upper case; empty without one
    DWORD Directory;    // 1 when the full name ends with '/'
    DWORD CompressedSize;
    DWORD UncompressedSize;
    DWORD CRC32;
};

class ZN_API CZNTexturePackage
{
public:
    // Entries larger than this are never extracted: a declared size is not trusted beyond it.
    static constexpr DWORD kMaxEntrySize = 256u << 20;

    CZNTexturePackage();
    ~CZNTexturePackage();
    CZNTexturePackage(const CZNTexturePackage &) = delete;
    CZNTexturePackage &operator=(const CZNTexturePackage &) = delete;

    // 1 when the file opens as a zip archive.
    static int IsPackage(const char *path);
    // Closes, then opens the archive; the entry table is not read. 0 when it is no zip archive.
    int Open(const char *path);
    // Closes the archive; the entry table stays.
    void Close();
    bool IsOpen() const { return m_Archive != nullptr; }
    const char *GetPath() const { return m_Path; }

    // Rebuilds the entry table from the open archive; 0 when closed or unreadable.
    int ReadEntries();
    int GetEntryCount() const { return static_cast<int>(m_Entries.size()); }
    // The entry at index, or null outside the table.
    const CZNTexturePackageEntry *GetEntry(int index) const;

    // 1 when the open archive holds an entry of this name.
    int Contains(const char *name);
    // The whole entry in a new buffer (delete[] by the caller); size receives its length. Null
    // when closed, not found, empty, too large, unreadable, shorter than declared or failing its
    // CRC check.
    unsigned char *ExtractToMemory(const char *name, DWORD *size);
    // Extracts the entry and writes it to the file at path; 1 on success.
    int ExtractToFile(const char *name, const char *path);

private:
    char *m_Path;
    std::vector<CZNTexturePackageEntry> m_Entries;
    void *m_Archive; // unzFile
};
