#pragma once

// .X files for the tests, made independently of the classes under test: the samples, a binary
// file widened to 64-bit floats, a text or binary body packed into the compressed form with
// zlib, and the fields of a saved binary file.
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

#include "support/temp_dir.h"

inline std::string XSample(const std::string &name)
{
    return ZnReadFile(std::string(ZN_TEST_DATA_DIR) + "/models/x/" + name);
}

inline uint32_t XU32(const std::string &s, size_t at)
{
    uint32_t v;
    std::memcpy(&v, s.data() + at, 4);
    return v;
}

inline uint16_t XU16(const std::string &s, size_t at)
{
    uint16_t v;
    std::memcpy(&v, s.data() + at, 2);
    return v;
}

// The binary file with every float list widened to 8-byte values and the header saying so.
inline std::string XWidenTo64(const std::string &file)
{
    std::string out = file.substr(0, 12) + "0064";
    size_t i = 16;
    while (i < file.size()) {
        const uint16_t token = XU16(file, i);
        out.append(file, i, 2);
        i += 2;
        size_t payload = 0;
        switch (token) {
        case 1:
        case 2:
            payload = 4 + XU32(file, i);
            break;
        case 3:
            payload = 4;
            break;
        case 5:
            payload = 16;
            break;
        case 6:
            payload = 4 + 4 * size_t{XU32(file, i)};
            break;
        case 7: {
            const uint32_t count = XU32(file, i);
            out.append(file, i, 4);
            i += 4;
            for (uint32_t k = 0; k < count; ++k, i += 4) {
                float f;
                std::memcpy(&f, file.data() + i, 4);
                const double d = f;
                out.append(reinterpret_cast<const char *>(&d), 8);
            }
            continue;
        }
        default:
            break;
        }
        out.append(file, i, payload);
        i += payload;
    }
    return out;
}

// header (16 bytes, its format field replaced by format) + the body deflated into blocks of at
// most blockSize bytes, each block using the previous one as its dictionary.
inline std::string XCompress(const std::string &file, const char *format, size_t blockSize = 32768)
{
    const std::string body = file.substr(16);
    std::string out = file.substr(0, 8) + format + file.substr(12, 4);
    const uint32_t total = static_cast<uint32_t>(16 + body.size());
    out.append(reinterpret_cast<const char *>(&total), 4);
    for (size_t at = 0; at < body.size(); at += blockSize) {
        const size_t size = std::min(blockSize, body.size() - at);
        z_stream z{};
        if (deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::runtime_error("deflateInit2");
        if (at > 0)
            deflateSetDictionary(&z, reinterpret_cast<const Bytef *>(body.data() + at - blockSize),
                                 static_cast<uInt>(blockSize));
        std::string packed(deflateBound(&z, static_cast<uLong>(size)), '\0');
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(body.data() + at));
        z.avail_in = static_cast<uInt>(size);
        z.next_out = reinterpret_cast<Bytef *>(packed.data());
        z.avail_out = static_cast<uInt>(packed.size());
        if (deflate(&z, Z_FINISH) != Z_STREAM_END)
            throw std::runtime_error("deflate");
        packed.resize(z.total_out);
        deflateEnd(&z);
        const uint16_t sizes[2] = {static_cast<uint16_t>(size), static_cast<uint16_t>(packed.size() + 2)};
        out.append(reinterpret_cast<const char *>(sizes), 4);
        out += "CK" + packed;
    }
    return out;
}
