#pragma once

// CZN3DSFile: the reader base of the 3DS chunk format (6-byte chunk headers: u16 id, u32 length
// counting the header, own data and children). It keeps a stack of open chunks and moves to a
// chunk's first child or next sibling; the importer built on it parses the chunks.
//
// Failures are thrown as the error code (LONG). Lengths come from hostile files: a length below
// the header's size is refused, a chunk is cut to the end of its parent (or of the stream), and
// nesting is limited, so a walk never goes backward, loops or leaves the stream.
#include <cstdint>

#include "fileio/file_errors.h"
#include "fileio/scene_file.h"

constexpr DWORD ZNERR_3DS_INVALID_FILE = 0x89671F40; // not a 3DS file, or a malformed chunk
constexpr DWORD ZNERR_3DS_WRONG_MODE = 0x89671F41;   // not open for reading
constexpr DWORD ZNERR_3DS_NO_CHUNK = 0x89671F42;     // no current chunk

constexpr WORD CHUNK3DS_MAIN = 0x4D4D;
constexpr DWORD CHUNK3DS_HEADER_SIZE = 6;
constexpr DWORD CHUNK3DS_MAX_DEPTH = 256;

// One open 3DS chunk.
struct ZN_API CHUNK3DS {
    WORD ChunkId = 0;
    DWORD DataLength = 0; // bytes after the 6-byte header, children included
    int64_t Position = 0; // stream position of the chunk's header
    CHUNK3DS *Outer = nullptr;
    CHUNK3DS *Inner = nullptr;
};

class ZN_API CZN3DSFile : public CZNSceneFile
{
public:
    CZN3DSFile();
    // Opens at once; a failure throws from the constructor.
    CZN3DSFile(CZNStreamIO &stream, DWORD mode);
    ~CZN3DSFile() override;

    // True when the next chunk id is 0x4D4D; nothing is consumed.
    bool IsValidFile(CZNStreamIO &stream) override;

    // Only mode 1 (read).
    virtual void Open(CZNStreamIO &stream, DWORD mode);
    virtual void ProcessChunk(CHUNK3DS *chunk, void *context);
    virtual void Close();

    // Reads a chunk header at the stream position: id, and the length minus 6 as data length.
    void ReadChunkHeader(CHUNK3DS *out);
    // Descend: opens the chunk at the stream position (the first child of the current one).
    // Otherwise: skips to the current chunk's end, closes it and opens the next sibling; false
    // when the level (or the file) has ended.
    bool NextChunk(CHUNK3DS *out, bool descend);
    void ReadChunks(void *context);
    // Opens each child of the current chunk in turn and calls visit() while that child is the
    // current chunk; nothing when the current chunk has no children.
    template <typename Visit> void ForEachChild(Visit visit)
    {
        if (!NextChunk(nullptr, true))
            return;
        do
            visit();
        while (NextChunk(nullptr, false));
    }
    void ReadFile(void *context);

    CHUNK3DS *GetCurrentChunk() const { return m_TopChunk; }
    CHUNK3DS *GetLastChunk() const;
    void PushChunk(CHUNK3DS *chunk);
    void PopChunk(CHUNK3DS *chunk);

    DWORD GetMode() const { return m_Mode; }
    CZNStreamIO *GetStream() const { return m_Stream; }

protected:
    [[noreturn]] static void Throw(DWORD code);
    [[noreturn]] void ThrowStream(DWORD fallback);
    int64_t TellOrThrow();
    void FreeChunks();

    DWORD m_Mode;
    CZNStreamIO *m_Stream;
    CHUNK3DS *m_TopChunk;
    DWORD m_Depth;
    int64_t m_StartPos;
};
