#pragma once

// CZNMemoryClipboard: a clipboard held in memory, for tests and fuzz targets. Formats are
// registered in the same table as the system's. Each step can be made to fail (open, empty,
// set, and get while the format is still offered) to reach every failure of the commands; it
// counts how often it was opened and closed.
#include <map>

#include "platform/os/clipboard.h"

class ZN_API CZNMemoryClipboard : public IZNClipboard
{
public:
    UINT RegisterFormat(const char *name) override;
    bool IsFormatAvailable(UINT format) override;
    bool Open() override;
    bool Empty() override;
    bool SetData(UINT format, const std::vector<BYTE> &data) override;
    bool GetData(UINT format, std::vector<BYTE> *data) override;
    void Close() override;

    // Puts data under a format directly, without opening.
    void Put(UINT format, const std::vector<BYTE> &data) { m_Data[format] = data; }
    // The data under a format; empty when there is none.
    std::vector<BYTE> Get(UINT format) const;
    bool Holds(UINT format) const { return m_Data.count(format) != 0; }

    bool m_FailOpen = false;
    bool m_FailEmpty = false;
    bool m_FailSet = false;
    bool m_FailGet = false; // the format stays offered, but its data cannot be had
    int m_Opens = 0;
    int m_Closes = 0;
    bool IsOpen() const { return m_Open; }

private:
    std::map<UINT, std::vector<BYTE>> m_Data;
    bool m_Open = false;
};
