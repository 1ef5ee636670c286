#include "fileio/iwf_file.h"

#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "fileio/chunk_chain.h"
#include "fileio/stream_io.h"
#include "platform/os/byte_order.h"

CZNIWFFile::CZNIWFFile()
    : m_Mode(IWF_MODE_CLOSED), m_Stream(nullptr), m_TopChunk(nullptr), m_Depth(0), m_AuthorIdLength(0), m_AuthorId{},
      m_BasePos(0), m_LastFooterPos(0)
{
}

CZNIWFFile::CZNIWFFile(CZNStreamIO &stream, DWORD mode) : CZNIWFFile()
{
    Open(stream, mode);
}

CZNIWFFile::~CZNIWFFile()
{
    CZNIWFFile::Close();
    FreeLists();
}

void CZNIWFFile::Throw(DWORD code)
{
    throw ZnErrorAsThrown(code);
}

void CZNIWFFile::ThrowStream(DWORD fallback)
{
    DWORD code = m_Stream ? m_Stream->GetLastErrorCode() : 0;
    Throw(code ? code : fallback);
}

void CZNIWFFile::WriteBytes(const void *data, DWORD count)
{
    if (!m_Stream->Write(data, count))
        ThrowStream(ZNERR_STREAM_FAILURE);
}

void CZNIWFFile::ReadBytes(void *data, DWORD count)
{
    // A short read is a cut-off header or footer, whether or not the stream saw an error.
    if (m_Stream->Read(data, count) != count)
        ThrowStream(ZNERR_IWF_BAD_TAG);
}

void CZNIWFFile::SeekToOrThrow(int64_t position)
{
    if (!m_Stream->SeekTo(position))
        ThrowStream(ZNERR_SEEK_FAILED);
}

int64_t CZNIWFFile::TellOrThrow()
{
    int64_t position = m_Stream->Tell();
    if (position < 0)
        ThrowStream(ZNERR_STREAM_FAILURE);
    return position;
}

bool CZNIWFFile::IsValidFile(CZNStreamIO &stream)
{
    if (!stream.IsOpen())
        return false;
    int64_t position = stream.Tell();
    if (position < 0)
        return false;
    BYTE words[16];
    bool complete = true;
    for (int i = 0; i < 4 && complete; ++i)
        complete = stream.Read(words + 4 * i, 4) == 4;
    stream.SeekTo(position);
    return complete && ZnGetU32LE(words) == IWF_SIGNATURE && ZnGetU32LE(words + 4) == IWF_VERSION;
}

void CZNIWFFile::Open(CZNStreamIO &stream, DWORD mode)
{
    if (mode != IWF_MODE_READ && mode != IWF_MODE_WRITE)
        Throw(ZNERR_INVALID_ARGS);
    if (!stream.IsOpen())
        Throw(ZNERR_NOT_OPEN);
    // A reopened object starts from a clean state.
    if (m_Mode != IWF_MODE_CLOSED || m_TopChunk)
        Close();
    m_Stream = &stream;
    m_BasePos = TellOrThrow();
    m_Mode = mode;
    m_LastFooterPos = 0;
    if (mode == IWF_MODE_READ) {
        if (!IsValidFile(stream))
            Throw(ZNERR_IWF_INVALID_FILE);
        return;
    }
    const DWORD header[6] = {IWF_SIGNATURE, IWF_VERSION, 0, 0, 0, 0};
    for (DWORD word : header) {
        BYTE bytes[4];
        ZnPutU32LE(bytes, word);
        WriteBytes(bytes, 4);
    }
}

void CZNIWFFile::FreeChunks()
{
    while (m_TopChunk) {
        IWFCHUNK *chunk = m_TopChunk;
        PopChunk(chunk);
        delete chunk;
    }
    m_Depth = 0;
}

void CZNIWFFile::Close()
{
    FreeChunks();
    m_AuthorIdLength = 0;
    std::memset(m_AuthorId, 0, sizeof m_AuthorId);
    m_Mode = IWF_MODE_CLOSED;
    m_Stream = nullptr;
    m_BasePos = 0;
    m_LastFooterPos = 0;
}

void CZNIWFFile::ProcessChunk(IWFCHUNK *, void *)
{
    if (m_Mode != IWF_MODE_READ)
        Throw(ZNERR_IWF_WRONG_MODE);
}

void CZNIWFFile::SetAuthorId(const void *bytes, BYTE length)
{
    std::memset(m_AuthorId, 0, sizeof m_AuthorId);
    if (!bytes) {
        m_AuthorIdLength = 0;
        return;
    }
    m_AuthorIdLength = length;
    if (length)
        std::memcpy(m_AuthorId, bytes, length);
}

bool CZNIWFFile::MatchAuthorId(const BYTE *bytes, BYTE length) const
{
    if (length == 0)
        return true;
    if (length != m_AuthorIdLength || !bytes)
        return false;
    return std::memcmp(bytes, m_AuthorId, length) == 0;
}

bool CZNIWFFile::IsStandardChunkId(WORD id)
{
    switch (id) {
    case 0x00:
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x10:
    case 0x20:
    case 0x21:
    case 0x30:
    case 0x40:
    case 0x50:
    case 0x61:
    case 0x62:
    case 0x63:
    case 0x64:
    case 0x80:
    case 0x90:
    case 0xA0:
    case 0xB0:
    case 0xC0:
        return true;
    default:
        return false;
    }
}

WORD CZNIWFFile::GetChunkHeaderSize(const IWFCHUNK *chunk)
{
    return chunk ? static_cast<WORD>(IWF_CHUNK_BASE_SIZE + chunk->AuthorIdLength) : 0;
}

void CZNIWFFile::PushChunk(IWFCHUNK *chunk)
{
    ZnPushChunk(m_TopChunk, m_Depth, chunk);
}

void CZNIWFFile::PopChunk(IWFCHUNK *chunk)
{
    ZnPopChunk(m_TopChunk, m_Depth, chunk);
}

IWFCHUNK *CZNIWFFile::GetLastChunk() const
{
    return ZnOutermostChunk(m_TopChunk);
}

void CZNIWFFile::BeginChunk(WORD id)
{
    if (m_Mode != IWF_MODE_WRITE)
        Throw(ZNERR_IWF_WRONG_MODE);
    if (IsReservedChunkId(id))
        Throw(ZNERR_IWF_RESERVED_ID);

    std::unique_ptr<IWFCHUNK> chunk(new (std::nothrow) IWFCHUNK());
    if (!chunk)
        Throw(ZNERR_OUT_OF_MEMORY);
    chunk->Tag = IWF_CHUNK_HEAD;
    chunk->ChunkId = id;
    chunk->Length = 0;
    chunk->DataLength = IWF_LENGTH_UNSET;
    chunk->StartPos = TellOrThrow();
    if (!IsStandardChunkId(id) || id == CHUNK_ENTITY) {
        chunk->AuthorIdLength = m_AuthorIdLength;
        std::memcpy(chunk->AuthorId, m_AuthorId, m_AuthorIdLength);
    }

    BYTE header[IWF_CHUNK_BASE_SIZE + 255];
    ZnPutU32LE(header, IWF_CHUNK_HEAD);
    ZnPutU16LE(header + 4, id);
    ZnPutU32LE(header + 6, 0);
    ZnPutU32LE(header + 10, IWF_LENGTH_UNSET);
    header[14] = chunk->AuthorIdLength;
    std::memcpy(header + 15, chunk->AuthorId, chunk->AuthorIdLength);
    WriteBytes(header, GetChunkHeaderSize(chunk.get()));

    // The parent's own data end where its first child begins.
    IWFCHUNK *parent = m_TopChunk;
    if (parent && parent->DataLength == IWF_LENGTH_UNSET) {
        int64_t own = chunk->StartPos - parent->StartPos - GetChunkHeaderSize(parent);
        if (own < 0 || own >= IWF_LENGTH_UNSET)
            Throw(ZNERR_IWF_BAD_LENGTHS);
        parent->DataLength = static_cast<DWORD>(own);
    }
    PushChunk(chunk.release());
}

void CZNIWFFile::EndChunk()
{
    if (m_Mode != IWF_MODE_WRITE)
        Throw(ZNERR_IWF_WRONG_MODE);
    IWFCHUNK *chunk = m_TopChunk;
    if (!chunk)
        Throw(ZNERR_IWF_NO_CHUNK);

    int64_t end = TellOrThrow();
    int64_t total = end - chunk->StartPos - GetChunkHeaderSize(chunk);
    // Lengths are 32-bit; a chunk of 4 GiB or more (or a stream moved back before the header)
    // cannot be framed.
    if (total < 0 || total >= IWF_LENGTH_UNSET)
        Throw(ZNERR_IWF_BAD_LENGTHS);
    chunk->Length = static_cast<DWORD>(total);
    if (chunk->DataLength == IWF_LENGTH_UNSET)
        chunk->DataLength = chunk->Length;

    BYTE lengths[8];
    ZnPutU32LE(lengths, chunk->Length);
    ZnPutU32LE(lengths + 4, chunk->DataLength);
    SeekToOrThrow(chunk->StartPos + 6);
    WriteBytes(lengths, 8);

    // The previous chunk of this level is no longer the last one.
    IWFCHUNK *parent = chunk->Outer;
    int64_t previous = parent ? parent->LastChildFooterPos : m_LastFooterPos;
    if (previous > 0) {
        BYTE code[2];
        ZnPutU16LE(code, IWF_CHUNK_CONTINUE);
        SeekToOrThrow(previous + 4);
        WriteBytes(code, 2);
    }

    BYTE footer[IWF_FOOTER_SIZE];
    ZnPutU32LE(footer, IWF_CHUNK_FOOT);
    ZnPutU16LE(footer + 4, IWF_CHUNK_LAST);
    SeekToOrThrow(end);
    WriteBytes(footer, IWF_FOOTER_SIZE);

    PopChunk(chunk);
    delete chunk;
    if (parent)
        parent->LastChildFooterPos = end;
    else
        m_LastFooterPos = end;
}

void CZNIWFFile::AppendChunks(const BYTE *bytes, DWORD count, DWORD lastFooter)
{
    if (m_Mode != IWF_MODE_WRITE)
        Throw(ZNERR_IWF_WRONG_MODE);
    if (m_TopChunk)
        Throw(ZNERR_IWF_BAD_LENGTHS);
    if (!count)
        return;
    if (static_cast<uint64_t>(lastFooter) + IWF_FOOTER_SIZE > count)
        Throw(ZNERR_IWF_BAD_LENGTHS);
    const int64_t at = TellOrThrow();
    WriteBytes(bytes, count);
    if (m_LastFooterPos > 0) {
        BYTE code[2];
        ZnPutU16LE(code, IWF_CHUNK_CONTINUE);
        SeekToOrThrow(m_LastFooterPos + 4);
        WriteBytes(code, 2);
        SeekToOrThrow(at + count);
    }
    m_LastFooterPos = at + lastFooter;
}

void CZNIWFFile::ReadFile(void *context)
{
    if (m_Mode != IWF_MODE_READ)
        Throw(ZNERR_IWF_WRONG_MODE);
    if (!m_Stream || !m_Stream->IsOpen())
        Throw(ZNERR_NOT_OPEN);
    ReadChunks(context);
}

void CZNIWFFile::ReadChunks(void *context)
{
    if (m_Mode != IWF_MODE_READ)
        Throw(ZNERR_IWF_WRONG_MODE);
    if (!m_Stream || !m_Stream->IsOpen())
        Throw(ZNERR_NOT_OPEN);
    if (!ReadChunkHeader(nullptr, true))
        return;
    do {
        IWFCHUNK *chunk = m_TopChunk;
        if (chunk->ChunkId == CHUNK_ENTITY || MatchAuthorId(chunk->AuthorId, chunk->AuthorIdLength))
            ProcessChunk(chunk, context);
        // A handler must leave the chunk it was given open, or the walk would lose its place.
        if (m_TopChunk != chunk)
            Throw(ZNERR_IWF_NO_CHUNK);
    } while (ReadChunkHeader(nullptr, false));
}

bool CZNIWFFile::ReadChunkHeader(IWFCHUNK *out, bool descend)
{
    if (m_Mode != IWF_MODE_READ)
        Throw(ZNERR_IWF_WRONG_MODE);
    if (!m_Stream || !m_Stream->IsOpen())
        Throw(ZNERR_NOT_OPEN);

    IWFCHUNK *current = m_TopChunk;
    int64_t limit;                   // the end of the level the next chunk belongs to
    std::unique_ptr<IWFCHUNK> spare; // a closed sibling's record, taken for the next one

    if (descend && !current) {
        // The first top-level chunk, right after the file header.
        limit = m_Stream->GetLength();
        if (limit < 0)
            ThrowStream(ZNERR_STREAM_FAILURE);
        int64_t first = m_BasePos + IWF_HEADER_SIZE;
        if (limit < first)
            Throw(ZNERR_IWF_BAD_TAG);
        SeekToOrThrow(first);
        if (limit - first < 4)
            return false; // an image without chunks: nothing, or too little to hold a tag
        BYTE tag[4];
        ReadBytes(tag, 4);
        SeekToOrThrow(first);
        if (ZnGetU32LE(tag) != IWF_CHUNK_HEAD)
            return false;
    } else if (descend) {
        // The first child begins where the current chunk's own data end.
        if (current->DataLength >= current->Length)
            return false; // no children
        int64_t restore = TellOrThrow();
        int64_t headerEnd = current->StartPos + GetChunkHeaderSize(current);
        int64_t first = headerEnd + current->DataLength;
        limit = headerEnd + current->Length;
        SeekToOrThrow(first);
        // Within the chunk: its footer follows, so these 4 bytes are inside what was checked.
        BYTE tag[4];
        ReadBytes(tag, 4);
        if (ZnGetU32LE(tag) != IWF_CHUNK_HEAD) {
            SeekToOrThrow(restore);
            return false;
        }
        SeekToOrThrow(first);
    } else {
        if (!current)
            Throw(ZNERR_IWF_NO_CHUNK);
        // Skip to the current chunk's footer, close it and see whether a sibling follows.
        SeekToOrThrow(current->StartPos + GetChunkHeaderSize(current) + current->Length);
        BYTE footer[IWF_FOOTER_SIZE];
        ReadBytes(footer, IWF_FOOTER_SIZE);
        if (ZnGetU32LE(footer) != IWF_CHUNK_FOOT)
            Throw(ZNERR_IWF_BAD_TAG);
        IWFCHUNK *parent = current->Outer;
        PopChunk(current);
        spare.reset(current);
        if (ZnGetU16LE(footer + 4) == IWF_CHUNK_LAST)
            return false;
        if (parent) {
            limit = parent->StartPos + GetChunkHeaderSize(parent) + parent->Length;
        } else {
            limit = m_Stream->GetLength();
            if (limit < 0)
                ThrowStream(ZNERR_STREAM_FAILURE);
        }
    }

    if (m_Depth >= IWF_MAX_DEPTH)
        Throw(ZNERR_IWF_TOO_DEEP);

    int64_t start = TellOrThrow();
    if (start + IWF_CHUNK_BASE_SIZE > limit)
        Throw(ZNERR_IWF_BAD_TAG);
    BYTE header[IWF_CHUNK_BASE_SIZE];
    ReadBytes(header, IWF_CHUNK_BASE_SIZE);
    if (ZnGetU32LE(header) != IWF_CHUNK_HEAD)
        Throw(ZNERR_IWF_BAD_TAG);

    std::unique_ptr<IWFCHUNK> chunk;
    if (spare) {
        chunk = std::move(spare);
        *chunk = IWFCHUNK();
    } else {
        chunk.reset(new (std::nothrow) IWFCHUNK());
        if (!chunk)
            Throw(ZNERR_OUT_OF_MEMORY);
    }
    chunk->Tag = IWF_CHUNK_HEAD;
    chunk->ChunkId = ZnGetU16LE(header + 4);
    chunk->Length = ZnGetU32LE(header + 6);
    chunk->DataLength = ZnGetU32LE(header + 10);
    chunk->AuthorIdLength = header[14];
    chunk->StartPos = start;
    if (chunk->AuthorIdLength) {
        if (start + IWF_CHUNK_BASE_SIZE + chunk->AuthorIdLength > limit)
            Throw(ZNERR_IWF_BAD_LENGTHS);
        ReadBytes(chunk->AuthorId, chunk->AuthorIdLength);
    }

    // The chunk, footer included, must lie inside its parent (or the stream), and its own data
    // inside its total.
    if (chunk->DataLength > chunk->Length)
        Throw(ZNERR_IWF_BAD_LENGTHS);
    int64_t end = start + GetChunkHeaderSize(chunk.get()) + static_cast<int64_t>(chunk->Length) + IWF_FOOTER_SIZE;
    if (end > limit)
        Throw(ZNERR_IWF_BAD_LENGTHS);

    if (out) {
        *out = *chunk;
        out->Outer = out->Inner = nullptr;
    }
    PushChunk(chunk.release());
    return true;
}

int64_t CZNIWFFile::GetChunkDataLeft()
{
    IWFCHUNK *chunk = m_TopChunk;
    if (!chunk || !m_Stream || chunk->DataLength == IWF_LENGTH_UNSET)
        return 0;
    int64_t position = m_Stream->Tell();
    int64_t begin = chunk->StartPos + GetChunkHeaderSize(chunk);
    int64_t end = begin + chunk->DataLength;
    if (position < begin || position > end)
        return 0;
    return end - position;
}

void CZNIWFFile::CheckChunkDataCount(uint64_t count, uint64_t elementSize)
{
    uint64_t left = static_cast<uint64_t>(GetChunkDataLeft());
    if (elementSize && count > left / elementSize)
        Throw(ZNERR_IWF_BAD_LENGTHS);
}

void CZNIWFFile::ReadChunkData(void *dest, DWORD count)
{
    if (m_Mode != IWF_MODE_READ)
        Throw(ZNERR_IWF_WRONG_MODE);
    if (!m_TopChunk)
        Throw(ZNERR_IWF_NO_CHUNK);
    if (!count)
        return;
    if (static_cast<uint64_t>(count) > static_cast<uint64_t>(GetChunkDataLeft()))
        Throw(ZNERR_IWF_BAD_LENGTHS);
    if (m_Stream->Read(dest, count) != count)
        ThrowStream(ZNERR_IWF_BAD_LENGTHS);
}
