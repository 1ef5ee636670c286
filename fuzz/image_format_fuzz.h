#pragma once

// The body shared by the fuzz targets of the single-format picture readers: the header test and
// the reader over a memory stream of the input, then a blur of small results.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fileio/memory_stream_io.h"
#include "render/image/image.h"

template <class Valid, class Load> int ZnFuzzImageFormat(const uint8_t *data, size_t size, Valid valid, Load load)
{
    std::vector<uint8_t> bytes(data, data + size);
    bytes.push_back(0); // never an empty block
    CZNMemoryStreamIO stream;
    if (!stream.Open(bytes.data(), static_cast<DWORD>(size), 1, false))
        return 0;
    valid(stream);
    CZNImage image;
    if (load(stream, image) && image.GetPlaneSize() <= 64 * 64)
        image.Blur();
    return 0;
}
