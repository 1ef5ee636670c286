#include "platform/os/memory_clipboard.h"

UINT CZNMemoryClipboard::RegisterFormat(const char *name)
{
    CZNSystemClipboard system;
    return system.RegisterFormat(name);
}

bool CZNMemoryClipboard::IsFormatAvailable(UINT format)
{
    return Holds(format);
}

bool CZNMemoryClipboard::Open()
{
    if (m_FailOpen || m_Open)
        return false;
    m_Open = true;
    ++m_Opens;
    return true;
}

bool CZNMemoryClipboard::Empty()
{
    if (!m_Open || m_FailEmpty)
        return false;
    m_Data.clear();
    return true;
}

bool CZNMemoryClipboard::SetData(UINT format, const std::vector<BYTE> &data)
{
    if (!m_Open || m_FailSet)
        return false;
    m_Data[format] = data;
    return true;
}

bool CZNMemoryClipboard::GetData(UINT format, std::vector<BYTE> *data)
{
    if (!m_Open || m_FailGet || !data || !Holds(format))
        return false;
    *data = m_Data[format];
    return true;
}

void CZNMemoryClipboard::Close()
{
    if (m_Open)
        ++m_Closes;
    m_Open = false;
}

std::vector<BYTE> CZNMemoryClipboard::Get(UINT format) const
{
    const auto found = m_Data.find(format);
    return found == m_Data.end() ? std::vector<BYTE>() : found->second;
}
