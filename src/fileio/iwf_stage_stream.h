#pragma once

// CZNIWFStageStream: a save on its way to the caller's stream. The chunk layer seeks back to
// patch lengths and footers only inside the chunks still open and in the footer of the last
// finished top-level chunk, so only the image from that footer on is kept here; the bytes before
// it are final and go to the caller's stream in pieces of a few hundred KiB. A large scene is
// thus never held whole in memory, and the caller's stream sees few large writes.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "fileio/in_place_stream.h"
#include "platform/os/win_types.h"

class CZNIWFStageStream final : public CZNInPlaceStream
{
public:
    static constexpr size_t kPassSize = size_t{256} << 10;

    explicit CZNIWFStageStream(CZNStreamIO &target) : m_Target(target) {}

    void Close() override {}
    DWORD Read(void *, DWORD) override { return 0; }
    bool Write(const void *src, DWORD count) override;
    bool IsEOF() override { return m_Position >= GetLength(); }
    int64_t Tell() override { return m_Position; }
    // Only positions inside the kept tail: the bytes before it have been handed on.
    bool SeekTo(int64_t position) override;
    int64_t GetLength() override { return m_Base + static_cast<int64_t>(m_Size); }
    bool SetLength(int64_t) override { return false; }
    const char *GetName() override { return "IWF Save Buffer"; }

    // Hands the bytes before position to the caller's stream when at least kPassSize of them
    // have gathered, or all of them when all is set; false when the caller's stream fails.
    bool Pass(int64_t position, bool all);

private:
    bool Grow(size_t needed);

    CZNStreamIO &m_Target;
    std::unique_ptr<BYTE[]> m_Block; // the image from m_Base on
    size_t m_Capacity = 0;
    size_t m_Size = 0;
    int64_t m_Base = 0;     // image position of the block's first byte
    int64_t m_Position = 0; // image position
};
