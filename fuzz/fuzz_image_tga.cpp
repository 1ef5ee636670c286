// Feeds arbitrary bytes to the TGA header test and reader.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fileio/memory_stream_io.h"
#include "render/image.h"
#include "render/image_tga.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    bytes.push_back(0); // never an empty block
    CZNMemoryStreamIO stream;
    if (!stream.Open(bytes.data(), static_cast<DWORD>(size), 1, false))
        return 0;
    ZnValidTGA(stream);
    CZNImage image;
    if (ZnLoadTGA(stream, image) && image.GetPlaneSize() <= 64 * 64)
        image.Blur();
    return 0;
}
