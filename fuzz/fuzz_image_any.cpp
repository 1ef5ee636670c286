// Feeds arbitrary bytes to the picture loader that recognises the format by content, then
// runs the operations a texture applies to what it loaded.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fileio/memory_stream_io.h"
#include "render/image/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    bytes.push_back(0); // never an empty block
    CZNMemoryStreamIO stream;
    if (!stream.Open(bytes.data(), static_cast<DWORD>(size), 1, false))
        return 0;
    CZNImage::ValidImageFile(stream);
    CZNImage image;
    if (!image.LoadImageFile(stream))
        return 0;
    // Keep the work per input small: operations only on small pictures.
    if (image.GetPlaneSize() <= 64 * 64) {
        image.MergeAlphaChannel(0xFF00FF);
        image.Resize(INTERP_PIXEL, 8, 8);
        image.ChangeColorDepth(8, false);
    }
    return 0;
}
