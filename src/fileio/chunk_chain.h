#pragma once

// The open chunks of a chunk file form a chain from the innermost (top) to the outermost
// through their Outer and Inner links. Both chunk readers keep their chains with these.
#include "platform/os/win_types.h"

template <class Chunk> void ZnPushChunk(Chunk *&top, DWORD &depth, Chunk *chunk)
{
    if (!chunk)
        return;
    chunk->Outer = top;
    chunk->Inner = nullptr;
    if (top)
        top->Inner = chunk;
    top = chunk;
    ++depth;
}

template <class Chunk> void ZnPopChunk(Chunk *&top, DWORD &depth, Chunk *chunk)
{
    if (!chunk)
        return;
    if (chunk->Inner)
        chunk->Inner->Outer = chunk->Outer;
    if (chunk->Outer)
        chunk->Outer->Inner = chunk->Inner;
    if (chunk == top)
        top = chunk->Outer;
    chunk->Inner = chunk->Outer = nullptr;
    if (depth)
        --depth;
}

template <class Chunk> Chunk *ZnOutermostChunk(Chunk *top)
{
    Chunk *chunk = top;
    while (chunk && chunk->Outer)
        chunk = chunk->Outer;
    return chunk;
}
