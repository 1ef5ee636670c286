#pragma once

// CZNIWFWindowStream: the rest of a stream walked by a load, read through a window of its bytes
// held in memory: the walk's many seeks cost no calls on the stream, and a large scene is
// neither read twice nor held whole. Positions count from where the rest begins. Span gives
// bytes in place; they stay valid until the next read or span moves the window.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "fileio/in_place_stream.h"
#include "platform/os/win_types.h"

class CZNIWFWindowStream final : public CZNInPlaceStream
{
public:
    static constexpr size_t kWindow = size_t{1} << 20;

    CZNIWFWindowStream(CZNStreamIO &source, int64_t start, int64_t length)
        : m_Source(source), m_Start(start), m_SourcePosition(start), m_Length(length)
    {
    }

    void Close() override {}
    DWORD Read(void *dest, DWORD count) override;
    bool Write(const void *, DWORD) override { return false; }
    bool IsEOF() override { return m_Position >= m_Length; }
    int64_t Tell() override { return m_Position; }
    bool SeekTo(int64_t position) override;
    int64_t GetLength() override { return m_Length; }
    bool SetLength(int64_t) override { return false; }
    const char *GetName() override { return m_Source.GetName(); }

    // The count bytes from the position on, in place, and the position moved past them; null
    // when they are not all there or the stream fails (its code is recorded).
    const BYTE *Span(size_t count);

private:
    // Reads the window from the position on: at least count bytes, up to kWindow or the end.
    bool Fill(size_t count);
    void Fail();

    CZNStreamIO &m_Source;
    const int64_t m_Start;    // source position of position 0
    int64_t m_SourcePosition; // where the source stands, -1 when unknown
    const int64_t m_Length;
    int64_t m_Position = 0;
    std::unique_ptr<BYTE[]> m_Block; // the window
    size_t m_Capacity = 0;
    int64_t m_WindowStart = 0;
    int64_t m_WindowSize = 0;
};
