#include "zip_fixtures.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include <zip.h>

#include "image_fixtures.h"
#include "render/image/image.h"
#include "support/temp_dir.h"

bool ZnWriteZip(const std::string &path, const std::vector<ZnZipEntry> &entries)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool ok = true;
    for (const ZnZipEntry &entry : entries) {
        zip_fileinfo info = {};
        const int method = entry.Stored || entry.Name.back() == '/' ? 0 : Z_DEFLATED;
        if (zipOpenNewFileInZip(zip, entry.Name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                                Z_DEFAULT_COMPRESSION) != ZIP_OK) {
            ok = false;
            break;
        }
        if (!entry.Data.empty() &&
            zipWriteInFileInZip(zip, entry.Data.data(), static_cast<unsigned>(entry.Data.size())) != ZIP_OK)
            ok = false;
        if (zipCloseFileInZip(zip) != ZIP_OK)
            ok = false;
    }
    if (zipClose(zip, nullptr) != ZIP_OK)
        ok = false;
    return ok;
}

namespace
{

void Put32(std::string &bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t Get32(const std::string &bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

// A smooth picture with some structure, different for every seed, as RGB triplets.
std::vector<uint8_t> Pixels(uint32_t width, uint32_t height, uint32_t seed)
{
    std::vector<uint8_t> p(size_t{width} * height * 3);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t *px = &p[(size_t{y} * width + x) * 3];
            px[0] = static_cast<uint8_t>(seed * 37 + x * 4);
            px[1] = static_cast<uint8_t>(seed * 91 + y * 4);
            px[2] = static_cast<uint8_t>(seed * 13 + ((x ^ y) & 0x3F));
        }
    return p;
}

} // namespace

void ZnPatchZipSizes(std::string &zip, uint32_t size)
{
    for (size_t at = 0; at + 30 <= zip.size(); ++at) {
        const uint32_t signature = Get32(zip, at);
        if (signature == 0x04034b50u)
            Put32(zip, at + 22, size);
        else if (signature == 0x02014b50u && at + 46 <= zip.size())
            Put32(zip, at + 24, size);
    }
}

std::string ZnMakeBmp(uint32_t width, uint32_t height, uint32_t seed)
{
    CZNImage image;
    if (!image.AllocImageMem(width, height, 24, false))
        return {};
    std::vector<uint8_t> p = Pixels(width, height, seed);
    for (size_t i = 0; i < size_t{width} * height; ++i) {
        image.GetRedPlane()[i] = p[i * 3];
        image.GetGreenPlane()[i] = p[i * 3 + 1];
        image.GetBluePlane()[i] = p[i * 3 + 2];
    }
    // The image code writes files only; go through a scratch file of this process (tests run in
    // parallel processes).
    static int serial = 0;
    const std::string scratch = std::string(ZN_TEST_TMP_DIR) + "/zn_scratch_" + std::to_string(getpid()) + "_" +
                                std::to_string(++serial) + ".bmp";
    if (!image.SaveBMP(scratch.c_str()))
        return {};
    std::string bytes = ZnReadFile(scratch);
    std::remove(scratch.c_str());
    return bytes;
}

std::string ZnMakeTga(uint32_t width, uint32_t height, uint32_t seed)
{
    ZnBytes b;
    b.U8(0).U8(0).U8(2).U16(0).U16(0).U8(0).U16(0).U16(0).U16(width).U16(height).U8(24).U8(0x20);
    std::vector<uint8_t> p = Pixels(width, height, seed);
    for (size_t i = 0; i < size_t{width} * height; ++i)
        b.U8(p[i * 3 + 2]).U8(p[i * 3 + 1]).U8(p[i * 3]);
    return b.Data;
}

std::string ZnMakePng(uint32_t width, uint32_t height, uint32_t seed, bool alpha)
{
    ZnPngPicture picture{width, height, alpha ? 6 : 2, 8, false, {}, {}, {}};
    std::vector<uint8_t> p = Pixels(width, height, seed);
    for (uint32_t y = 0; y < height; ++y) {
        std::string row;
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t *px = &p[(size_t{y} * width + x) * 3];
            row.append(reinterpret_cast<const char *>(px), 3);
            if (alpha)
                row.push_back(static_cast<char>(x < width / 2 ? 0 : 255)); // left half transparent
        }
        picture.Rows.push_back(row);
    }
    return ZnWritePng(picture);
}

std::string ZnMakeJpeg(uint32_t width, uint32_t height, uint32_t seed)
{
    return ZnWriteJpeg(width, height, 3, Pixels(width, height, seed));
}
