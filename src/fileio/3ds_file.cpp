#include "fileio/3ds_file.h"

#include <memory>
#include <new>

#include "fileio/chunk_chain.h"
#include "fileio/stream_io.h"
#include "platform/os/byte_order.h"

namespace
{

int64_t ChunkEnd(const CHUNK3DS *chunk)
{
    return chunk->Position + CHUNK3DS_HEADER_SIZE + chunk->DataLength;
}

} // namespace

CZN3DSFile::CZN3DSFile() : m_Mode(0), m_Stream(nullptr), m_TopChunk(nullptr), m_Depth(0), m_StartPos(0) {}

CZN3DSFile::CZN3DSFile(CZNStreamIO &stream, DWORD mode) : CZN3DSFile()
{
    Open(stream, mode);
}

CZN3DSFile::~CZN3DSFile()
{
    CZN3DSFile::Close();
    FreeLists();
}

void CZN3DSFile::Throw(DWORD code)
{
    throw ZnErrorAsThrown(code);
}

void CZN3DSFile::ThrowStream(DWORD fallback)
{
    DWORD code = m_Stream ? m_Stream->GetLastErrorCode() : 0;
    Throw(code ? code : fallback);
}

int64_t CZN3DSFile::TellOrThrow()
{
    int64_t position = m_Stream->Tell();
    if (position < 0)
        ThrowStream(ZNERR_STREAM_FAILURE);
    return position;
}

bool CZN3DSFile::IsValidFile(CZNStreamIO &stream)
{
    if (!stream.IsOpen())
        return false;
    int64_t position = stream.Tell();
    if (position < 0)
        return false;
    BYTE id[2];
    BYTE length[4];
    bool complete = stream.Read(id, 2) == 2 && stream.Read(length, 4) == 4;
    stream.SeekTo(position);
    return complete && ZnGetU16LE(id) == CHUNK3DS_MAIN;
}

void CZN3DSFile::Open(CZNStreamIO &stream, DWORD mode)
{
    if (mode != 1)
        Throw(ZNERR_INVALID_ARGS);
    if (!stream.IsOpen())
        Throw(ZNERR_NOT_OPEN);
    if (m_Mode || m_TopChunk)
        Close();
    m_Stream = &stream;
    m_StartPos = TellOrThrow();
    m_Mode = 1;
    if (!IsValidFile(stream))
        Throw(ZNERR_3DS_INVALID_FILE);
}

void CZN3DSFile::FreeChunks()
{
    while (m_TopChunk) {
        CHUNK3DS *chunk = m_TopChunk;
        PopChunk(chunk);
        delete chunk;
    }
    m_Depth = 0;
}

void CZN3DSFile::Close()
{
    FreeChunks();
    m_Mode = 0;
    m_Stream = nullptr;
    m_StartPos = 0;
}

void CZN3DSFile::ProcessChunk(CHUNK3DS *, void *)
{
    if (m_Mode != 1)
        Throw(ZNERR_3DS_WRONG_MODE);
}

void CZN3DSFile::PushChunk(CHUNK3DS *chunk)
{
    ZnPushChunk(m_TopChunk, m_Depth, chunk);
}

void CZN3DSFile::PopChunk(CHUNK3DS *chunk)
{
    ZnPopChunk(m_TopChunk, m_Depth, chunk);
}

CHUNK3DS *CZN3DSFile::GetLastChunk() const
{
    return ZnOutermostChunk(m_TopChunk);
}

void CZN3DSFile::ReadChunkHeader(CHUNK3DS *out)
{
    if (m_Mode != 1)
        Throw(ZNERR_3DS_WRONG_MODE);
    BYTE id[2];
    BYTE length[4];
    // A header cut short by the end of the stream is no header.
    if (m_Stream->Read(id, 2) != 2)
        ThrowStream(ZNERR_3DS_INVALID_FILE);
    if (m_Stream->Read(length, 4) != 4)
        ThrowStream(ZNERR_3DS_INVALID_FILE);
    DWORD total = ZnGetU32LE(length);
    if (total < CHUNK3DS_HEADER_SIZE)
        Throw(ZNERR_3DS_INVALID_FILE);
    if (out) {
        out->ChunkId = ZnGetU16LE(id);
        out->DataLength = total - CHUNK3DS_HEADER_SIZE;
    }
}

bool CZN3DSFile::NextChunk(CHUNK3DS *out, bool descend)
{
    if (m_Mode != 1)
        Throw(ZNERR_3DS_WRONG_MODE);

    if (!descend) {
        CHUNK3DS *current = m_TopChunk;
        if (!current)
            Throw(ZNERR_3DS_NO_CHUNK);
        if (!m_Stream->SeekTo(ChunkEnd(current)))
            ThrowStream(ZNERR_SEEK_FAILED);
        PopChunk(current);
        delete current;
        int64_t position = TellOrThrow();
        if (m_TopChunk) {
            if (position >= ChunkEnd(m_TopChunk))
                return false;
        } else {
            int64_t length = m_Stream->GetLength();
            if (length < 0)
                ThrowStream(ZNERR_STREAM_FAILURE);
            if (position >= length)
                return false;
        }
    }

    // The chunk ends no later than what encloses it, so every step moves forward inside it.
    int64_t limit;
    if (m_TopChunk) {
        limit = ChunkEnd(m_TopChunk);
    } else {
        limit = m_Stream->GetLength();
        if (limit < 0)
            ThrowStream(ZNERR_STREAM_FAILURE);
    }
    int64_t start = TellOrThrow();
    // Descending into a chunk without children (or past the end of the file) finds nothing.
    if (descend && start >= limit)
        return false;
    // A few bytes trailing the last top-level chunk are no chunk: the file ends there.
    if (!descend && !m_TopChunk && start + static_cast<int64_t>(CHUNK3DS_HEADER_SIZE) > limit)
        return false;
    if (start + static_cast<int64_t>(CHUNK3DS_HEADER_SIZE) > limit)
        Throw(ZNERR_3DS_INVALID_FILE);
    if (m_Depth >= CHUNK3DS_MAX_DEPTH)
        Throw(ZNERR_3DS_INVALID_FILE);

    std::unique_ptr<CHUNK3DS> chunk(new (std::nothrow) CHUNK3DS());
    if (!chunk)
        Throw(ZNERR_OUT_OF_MEMORY);
    chunk->Position = start;
    ReadChunkHeader(chunk.get());
    if (ChunkEnd(chunk.get()) > limit)
        chunk->DataLength = static_cast<DWORD>(limit - chunk->Position - CHUNK3DS_HEADER_SIZE);

    if (out) {
        out->ChunkId = chunk->ChunkId;
        out->DataLength = chunk->DataLength;
    }
    PushChunk(chunk.release());
    return true;
}

void CZN3DSFile::ReadChunks(void *context)
{
    if (m_Mode != 1)
        Throw(ZNERR_3DS_WRONG_MODE);
    if (!m_Stream || !m_Stream->IsOpen())
        Throw(ZNERR_NOT_OPEN);
    ForEachChild([&] {
        CHUNK3DS *chunk = m_TopChunk;
        ProcessChunk(chunk, context);
        // A handler must leave the chunk it was given open, or the walk would lose its place.
        if (m_TopChunk != chunk)
            Throw(ZNERR_3DS_NO_CHUNK);
    });
}

void CZN3DSFile::ReadFile(void *context)
{
    if (m_Mode != 1)
        Throw(ZNERR_3DS_WRONG_MODE);
    if (!m_Stream || !m_Stream->IsOpen())
        Throw(ZNERR_NOT_OPEN);
    ReadChunks(context);
}
