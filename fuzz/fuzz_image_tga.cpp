// Feeds arbitrary bytes to the TGA header test and reader.
#include "image_format_fuzz.h"
#include "render/image/image_tga.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return ZnFuzzImageFormat(data, size, ZnValidTGA, ZnLoadTGA);
}
