// Feeds arbitrary bytes to the PSD header test and reader.
#include "image_format_fuzz.h"
#include "render/image/image_psd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return ZnFuzzImageFormat(data, size, ZnValidPSD, ZnLoadPSD);
}
