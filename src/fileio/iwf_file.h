#pragma once

// CZNIWFFile: the IWF chunk container. It knows the 24-byte file header, the chunks bracketed
// by "HEAD" and "FOOT" with back-patched lengths, their nesting, the author id that tags one
// producer's chunks, and the walk that hands each chunk to the virtual ProcessChunk. Chunk
// bodies are read and written by derived classes directly through the stream.
//
// Failures are thrown as the error code (LONG, see file_errors.h); nothing is caught here.
// Reading faces hostile images: every length is checked against the enclosing chunk (or the
// stream) before it is used, and nesting is limited.
#include <cstdint>

#include "fileio/file_errors.h"
#include "fileio/scene_file.h"

class CZNStreamIO;

// Chunk ids.
constexpr WORD CHUNK_THUMBNAIL = 0x03;
constexpr WORD CHUNK_GROUP = 0x10;
constexpr WORD CHUNK_MESH = 0x20;
constexpr WORD CHUNK_DECALMESH = 0x21;
constexpr WORD CHUNK_SURFACE = 0x30;
constexpr WORD CHUNK_INDICES = 0x40;
constexpr WORD CHUNK_VERTEXCOMPONENTS = 0x50;
constexpr WORD CHUNK_ENTITY = 0x80;
constexpr WORD CHUNK_MATERIALS = 0x90;
constexpr WORD CHUNK_TEXTURES = 0xA0;
constexpr WORD CHUNK_SIGNATURE = 0x2000;
constexpr WORD CHUNK_EXTRA_FACE_INFO = 0x2001;
constexpr WORD CHUNK_EXTRA_MATERIAL_INFO = 0x2002;
constexpr WORD CHUNK_EXTRA_OVERLAY_INFO = 0x2003;
constexpr WORD CHUNK_EDITOR_OPTIONS = 0x2004;
constexpr WORD CHUNK_EXTRA_TEXTURE_INFO = 0x2005;

// Framing constants.
constexpr DWORD IWF_SIGNATURE = 0x46574949; // "IIWF"
constexpr DWORD IWF_VERSION = 0x02000000;   // 2.0.0
constexpr DWORD IWF_HEADER_SIZE = 24;
constexpr DWORD IWF_CHUNK_HEAD = 0x44414548; // "HEAD"
constexpr DWORD IWF_CHUNK_FOOT = 0x544F4F46; // "FOOT"
constexpr WORD IWF_CHUNK_BASE_SIZE = 15;     // chunk header without its author id
constexpr DWORD IWF_FOOTER_SIZE = 6;
constexpr WORD IWF_CHUNK_CONTINUE = 0xF000;    // another chunk of the same level follows
constexpr WORD IWF_CHUNK_LAST = 0xF001;        // the last chunk of its level
constexpr DWORD IWF_LENGTH_UNSET = 0xFFFFFFFF; // own-data length while no child has begun
constexpr DWORD IWF_MAX_DEPTH = 256;           // deepest nesting a reader accepts

// Open modes.
constexpr DWORD IWF_MODE_CLOSED = 0;
constexpr DWORD IWF_MODE_READ = 1;
constexpr DWORD IWF_MODE_WRITE = 2;

// The record of one open chunk; one per level of nesting, on a stack.
struct ZN_API IWFCHUNK {
    DWORD Tag = 0;
    WORD ChunkId = 0;
    DWORD Length = 0;     // total: own data and all children, without header and footer
    DWORD DataLength = 0; // own data; IWF_LENGTH_UNSET while written and no child has begun
    BYTE AuthorIdLength = 0;
    BYTE AuthorId[255] = {};
    int64_t StartPos = 0;           // where the chunk's "HEAD" begins
    int64_t LastChildFooterPos = 0; // footer of its most recently ended child (0 when none)
    IWFCHUNK *Outer = nullptr;      // the record below (the parent)
    IWFCHUNK *Inner = nullptr;      // the record above
};

class ZN_API CZNIWFFile : public CZNSceneFile
{
public:
    CZNIWFFile();
    // Opens at once; a failure throws from the constructor.
    CZNIWFFile(CZNStreamIO &stream, DWORD mode);
    ~CZNIWFFile() override;

    // The IWF header test: the next 16 bytes hold "IIWF" and version 2.0.0; nothing is consumed.
    bool IsValidFile(CZNStreamIO &stream) override;

    // Mode 1 reads (the header must be valid), mode 2 writes the 24-byte header.
    virtual void Open(CZNStreamIO &stream, DWORD mode);
    // The handler for one chunk of a walk. This layer's own only checks the mode.
    virtual void ProcessChunk(IWFCHUNK *chunk, void *context);
    // Frees the open chunk records (nothing is written) and returns to the closed state.
    virtual void Close();

    void SetAuthorId(const void *bytes, BYTE length);
    bool MatchAuthorId(const BYTE *bytes, BYTE length) const;

    // Write mode.
    void BeginChunk(WORD id);
    void EndChunk();
    void WriteSummary() {}

    // Read mode. ReadChunks walks the children of the current chunk (the top level when none is
    // open), handing each that passes the author filter (or has id 0x80) to ProcessChunk.
    void ReadFile(void *context);
    void ReadChunks(void *context);
    // Moves to the first child (descend) or to the next sibling of the current chunk and opens
    // it; false when the level is empty or has ended.
    bool ReadChunkHeader(IWFCHUNK *out, bool descend);

    // Body reading for derived readers: the bytes of the current chunk's own data left from the
    // stream position, a count check against them, and a read that stays inside them.
    int64_t GetChunkDataLeft();
    void CheckChunkDataCount(uint64_t count, uint64_t elementSize);
    void ReadChunkData(void *dest, DWORD count);

    static bool IsStandardChunkId(WORD id);
    static bool IsReservedChunkId(WORD id) { return id == 0x00 || id == 0x01; }
    static WORD GetChunkHeaderSize(const IWFCHUNK *chunk);

    void PushChunk(IWFCHUNK *chunk);
    void PopChunk(IWFCHUNK *chunk);
    IWFCHUNK *GetCurrentChunk() const { return m_TopChunk; }
    IWFCHUNK *GetLastChunk() const;

    DWORD GetMode() const { return m_Mode; }
    CZNStreamIO *GetStream() const { return m_Stream; }

protected:
    [[noreturn]] static void Throw(DWORD code);
    // Throws the stream's last error code, or the fallback when the stream recorded none.
    [[noreturn]] void ThrowStream(DWORD fallback);
    void WriteBytes(const void *data, DWORD count);
    // Writes whole top-level chunks framed by another writer (count bytes, the last chunk's
    // footer at lastFooter) after those written here, as if they had been written here: the
    // previous chunk's footer goes on to them and the last of them ends the level.
    void AppendChunks(const BYTE *bytes, DWORD count, DWORD lastFooter);
    void ReadBytes(void *data, DWORD count);
    void SeekToOrThrow(int64_t position);
    int64_t TellOrThrow();
    void FreeChunks();

    DWORD m_Mode;
    CZNStreamIO *m_Stream;
    IWFCHUNK *m_TopChunk;
    DWORD m_Depth;
    BYTE m_AuthorIdLength;
    BYTE m_AuthorId[255];
    int64_t m_BasePos;
    int64_t m_LastFooterPos;
};
