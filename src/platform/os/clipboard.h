#pragma once

// IZNClipboard: the system clipboard as the editor's commands use it. Private formats are
// registered by name; data is a block of bytes under a format. The commands open it, empty it
// and set data, or look for a format and get its data, and close it again. The system's
// clipboard stands on QClipboard with each format's data in a QMimeData under the format's name;
// tests and fuzz targets put a memory clipboard in its place (memory_clipboard.h).
//
// Failures: Open, Empty and SetData return false when they cannot; GetData returns false when
// the format is not offered or has no data. Empty and SetData need the clipboard open.
#include <string>
#include <vector>

#include "platform/export.h"
#include "platform/os/win_types.h"

class ZN_API IZNClipboard
{
public:
    virtual ~IZNClipboard() = default;

    // The id of a format name: the same id for the same name; never 0.
    virtual UINT RegisterFormat(const char *name) = 0;
    // True when the clipboard holds data in that format.
    virtual bool IsFormatAvailable(UINT format) = 0;
    virtual bool Open() = 0;
    // Drops whatever the clipboard holds.
    virtual bool Empty() = 0;
    virtual bool SetData(UINT format, const std::vector<BYTE> &data) = 0;
    virtual bool GetData(UINT format, std::vector<BYTE> *data) = 0;
    virtual void Close() = 0;
};

// The clipboard of the running program over QClipboard. Without a Qt GUI application object
// (tools, tests without a display) it cannot be opened and offers no format.
class CZNSystemClipboard : public IZNClipboard
{
public:
    UINT RegisterFormat(const char *name) override;
    bool IsFormatAvailable(UINT format) override;
    bool Open() override;
    bool Empty() override;
    bool SetData(UINT format, const std::vector<BYTE> &data) override;
    bool GetData(UINT format, std::vector<BYTE> *data) override;
    void Close() override;

    // The name a format id was registered under; empty for an unknown id.
    static std::string FormatName(UINT format);

private:
    bool m_Open = false;
};

// The clipboard the commands use: the one set last, else the system's. Never null.
IZNClipboard *GetClipboard();
// Puts a clipboard in place of the system's (null gives the system's back); not owned.
ZN_API void SetClipboard(IZNClipboard *clipboard);
