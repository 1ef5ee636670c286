#pragma once

// ZnPeekStream: runs check from the stream's position and puts the position back, as the image
// formats' recognisers do, so that the loader chosen next starts where the recogniser did.
// False, with nothing read, when the position cannot be told.
#include <cstdint>

#include "fileio/stream_io.h"

template <typename Check> bool ZnPeekStream(CZNStreamIO &stream, Check check)
{
    const int64_t start = stream.Tell();
    if (start < 0)
        return false;
    const bool ok = check();
    stream.SeekTo(start);
    return ok;
}
