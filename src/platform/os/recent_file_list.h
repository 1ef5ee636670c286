#pragma once

// CZNRecentFileList: the most recently used files, newest first, at most GetSize() of them,
// stored in the settings under a section as the entries "File1", "File2", ... Reading skips
// empty entries; writing stores the list and removes the entries past its end. Adding a file
// already on the list moves it to the front; the oldest falls off a full list.
#include <string>
#include <vector>

#include "platform/export.h"

class ZN_API CZNRecentFileList
{
public:
    CZNRecentFileList(const char *section, int size);

    void ReadList();
    void WriteList() const;
    // Puts path at the front; empty paths are ignored.
    void Add(const std::string &path);
    // Removes the entry; out-of-range indices are ignored.
    void Remove(int index);

    int GetSize() const { return m_Size; }
    int GetCount() const { return static_cast<int>(m_Files.size()); }
    // The entry, or an empty string out of range.
    std::string Get(int index) const;

private:
    std::string m_Section;
    int m_Size;
    std::vector<std::string> m_Files;
};
