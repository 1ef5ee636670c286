#include "scene/crc32.h"

#include <array>
#include <cstdio>

namespace {

constexpr std::array<DWORD, 256> BuildTable()
{
    std::array<DWORD, 256> table{};
    for (DWORD i = 0; i < 256; ++i) {
        DWORD value = i;
        for (int step = 0; step < 8; ++step)
            value = (value & 1u) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        table[i] = value;
    }
    return table;
}

std::array<DWORD, 256> g_CRCTable = BuildTable();

} // namespace

void CRC32_InitTable()
{
    g_CRCTable = BuildTable();
}

DWORD CRC32_Update(const void *bytes, size_t length, DWORD value)
{
    const BYTE *p = static_cast<const BYTE *>(bytes);
    for (size_t i = 0; i < length; ++i)
        value = (value >> 8) ^ g_CRCTable[(value ^ p[i]) & 0xFFu];
    return value;
}

DWORD CRC32_Buffer(const void *bytes, size_t length, DWORD start)
{
    if (!bytes)
        return 0xFFFFFFFFu;
    return ~CRC32_Update(bytes, length, ~start);
}

DWORD CRC32_File(const char *path)
{
    if (!path)
        return 0xFFFFFFFFu;
    std::FILE *file = std::fopen(path, "rb");
    if (!file)
        return 0xFFFFFFFFu;
    DWORD value = 0xFFFFFFFFu;
    BYTE block[512];
    size_t got;
    while ((got = std::fread(block, 1, sizeof(block), file)) > 0)
        value = CRC32_Update(block, got, value);
    std::fclose(file);
    return ~value;
}
