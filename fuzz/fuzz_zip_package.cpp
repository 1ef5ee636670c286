// Feeds arbitrary bytes to the zip texture package reader: opening, listing every entry and
// extracting the entries, then reading the extracted pictures as a texture scan would.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fileio/memory_stream_io.h"
#include "render/image/image.h"
#include "render/texture_package.h"

namespace
{

void RemoveScratch();

// The package reads files, so every input goes through one scratch file of this process,
// removed at exit.
const std::string &ScratchPath()
{
    static const std::string path = [] {
        const char *folder = std::getenv("TMPDIR");
        std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/zn_fuzz_zip_XXXXXX";
        int fd = mkstemp(pattern.data());
        if (fd >= 0)
            close(fd);
        return pattern;
    }();
    static const bool registered = std::atexit(RemoveScratch) == 0;
    (void)registered;
    return path;
}

void RemoveScratch()
{
    std::remove(ScratchPath().c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string &path = ScratchPath();
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    CZNTexturePackage::IsPackage(path.c_str());
    CZNTexturePackage package;
    if (!package.Open(path.c_str()))
        return 0;
    package.ReadEntries();
    // Keep the work per input small: the first entries only.
    for (int i = 0; i < package.GetEntryCount() && i < 16; ++i) {
        const CZNTexturePackageEntry *entry = package.GetEntry(i);
        package.Contains(entry->FullName);
        DWORD length = 0;
        unsigned char *buffer = package.ExtractToMemory(entry->FullName, &length);
        if (buffer && length <= (1u << 20)) {
            CZNMemoryStreamIO stream(buffer, length, ZNSTREAM_READ, false);
            CZNImage image;
            if (stream.IsOpen())
                image.LoadImageFile(stream);
        }
        delete[] buffer;
    }
    return 0;
}
