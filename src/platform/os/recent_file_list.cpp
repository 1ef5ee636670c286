#include "platform/os/recent_file_list.h"

#include <algorithm>

#include "platform/os/settings.h"

namespace
{
std::string EntryName(int index)
{
    return "File" + std::to_string(index + 1);
}
} // namespace

CZNRecentFileList::CZNRecentFileList(const char *section, int size)
    : m_Section(section ? section : ""), m_Size(size < 0 ? 0 : size)
{
}

void CZNRecentFileList::ReadList()
{
    m_Files.clear();
    CZNSettings settings;
    for (int i = 0; i < m_Size; ++i) {
        std::string path = settings.GetProfileString(m_Section.c_str(), EntryName(i).c_str(), "");
        if (!path.empty())
            m_Files.push_back(std::move(path));
    }
}

void CZNRecentFileList::WriteList() const
{
    CZNSettings settings;
    for (int i = 0; i < m_Size; ++i) {
        if (i < GetCount())
            settings.WriteProfileString(m_Section.c_str(), EntryName(i).c_str(), m_Files[i].c_str());
        else
            settings.RemoveProfileEntry(m_Section.c_str(), EntryName(i).c_str());
    }
    settings.Flush();
}

void CZNRecentFileList::Add(const std::string &path)
{
    if (path.empty() || m_Size == 0)
        return;
    m_Files.erase(std::remove(m_Files.begin(), m_Files.end(), path), m_Files.end());
    m_Files.insert(m_Files.begin(), path);
    if (GetCount() > m_Size)
        m_Files.resize(m_Size);
}

void CZNRecentFileList::Remove(int index)
{
    if (index >= 0 && index < GetCount())
        m_Files.erase(m_Files.begin() + index);
}

std::string CZNRecentFileList::Get(int index) const
{
    return index >= 0 && index < GetCount() ? m_Files[index] : std::string();
}
