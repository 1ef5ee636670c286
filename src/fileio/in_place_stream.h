#pragma once

// CZNInPlaceStream: what the IWF scene's stage and window streams share: no text, nothing to
// flush, always open, and seeks from an origin turned into positions.
#include <cstdint>

#include "fileio/stream_io.h"
#include "platform/os/win_types.h"

class CZNInPlaceStream : public CZNStreamIO
{
public:
    bool ReadString(char *, DWORD) override { return false; }
    bool WriteString(const char *) override { return false; }
    int64_t Seek(int64_t offset, DWORD origin) override
    {
        const int64_t base = origin == ZNSEEK_SET ? 0 : origin == ZNSEEK_CUR ? Tell() : GetLength();
        return SeekTo(base + offset) ? Tell() : -1;
    }
    bool Flush() override { return true; }
    bool IsOpen() override { return true; }
};
