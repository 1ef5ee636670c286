#include "scene/crc32.h"

#include <array>
#include <cstdint>
#include <cstdio>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "platform/cpu/processor.h"

namespace
{

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

DWORD UpdateByTable(const BYTE *p, size_t length, DWORD value)
{
    for (size_t i = 0; i < length; ++i)
        value = (value >> 8) ^ g_CRCTable[(value ^ p[i]) & 0xFFu];
    return value;
}

#if defined(__x86_64__) || defined(__i386__)
// Carry-less multiplication folds 64 bytes at a time into four 128-bit remainders, then those into
// one, then Barrett-reduces it to the 32-bit value: the same value as the table, many times faster
// on long buffers. The constants are x^k mod P (bit-reflected) for the folding distances.
#define ZN_FOLDING __attribute__((target("pclmul,sse4.1")))

ZN_FOLDING inline __m128i Load(const BYTE *at)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
}

// x carried forward over the distance k stands for, added to the next block.
ZN_FOLDING inline __m128i Fold(__m128i x, __m128i k, __m128i next)
{
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next);
}

// The last 16-byte remainder Barrett-reduced to the 32-bit value.
ZN_FOLDING DWORD Reduce(__m128i x1)
{
    const __m128i fold1 = _mm_set_epi64x(0x0ccaa009e, 0x1751997d0);
    const __m128i fold32 = _mm_set_epi64x(0, 0x163cd6124);
    const __m128i barrett = _mm_set_epi64x(0x1f7011641, 0x1db710641);
    const __m128i low32 = _mm_set_epi32(0, 0, 0, -1);
    // 128 bits to 64, then to 32 more, then the reduction.
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(x1, fold1, 0x10), _mm_srli_si128(x1, 8));
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), fold32, 0x00), _mm_srli_si128(x1, 4));
    __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), barrett, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), barrett, 0x00);
    return static_cast<DWORD>(_mm_extract_epi32(_mm_xor_si128(x1, t), 1));
}

// Four consecutive 16-byte remainders and the blocks after them, folded into the value.
ZN_FOLDING DWORD Finish(__m128i x1, __m128i x2, __m128i x3, __m128i x4, const BYTE *p, size_t blocks)
{
    const __m128i fold1 = _mm_set_epi64x(0x0ccaa009e, 0x1751997d0);
    x1 = Fold(x1, fold1, x2);
    x1 = Fold(x1, fold1, x3);
    x1 = Fold(x1, fold1, x4);
    for (; blocks > 0; --blocks, p += 16)
        x1 = Fold(x1, fold1, Load(p));
    return Reduce(x1);
}

ZN_FOLDING DWORD UpdateByFolding(const BYTE *p, size_t blocks, DWORD value)
{
    const __m128i fold4 = _mm_set_epi64x(0x1c6e41596, 0x154442bd4);
    // blocks >= 4 sixteen-byte blocks.
    __m128i x1 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(static_cast<int>(value)));
    __m128i x2 = Load(p + 16), x3 = Load(p + 32), x4 = Load(p + 48);
    p += 64;
    blocks -= 4;
    for (; blocks >= 4; blocks -= 4, p += 64) {
        x1 = Fold(x1, fold4, Load(p));
        x2 = Fold(x2, fold4, Load(p + 16));
        x3 = Fold(x3, fold4, Load(p + 32));
        x4 = Fold(x4, fold4, Load(p + 48));
    }
    return Finish(x1, x2, x3, x4, p, blocks);
}

// The same folding four times as wide where the processor multiplies in 512-bit registers: four
// registers of four 16-byte lanes carried 256 bytes forward at a time, then folded into one
// register 64 bytes at a time, whose lanes go on as above.
#define ZN_WIDE_FOLDING __attribute__((target("avx512f,vpclmulqdq,pclmul,sse4.1")))

ZN_WIDE_FOLDING inline __m512i Fold512(__m512i x, __m512i k, __m512i next)
{
    return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(x, k, 0x00), _mm512_clmulepi64_epi128(x, k, 0x11), next,
                                     0x96);
}

ZN_WIDE_FOLDING DWORD UpdateByWideFolding(const BYTE *p, size_t blocks, DWORD value)
{
    const __m512i fold16 = _mm512_set_epi64(0x1322d1430, 0x11542778a, 0x1322d1430, 0x11542778a, 0x1322d1430,
                                            0x11542778a, 0x1322d1430, 0x11542778a);
    const __m512i fold4 = _mm512_set_epi64(0x1c6e41596, 0x154442bd4, 0x1c6e41596, 0x154442bd4, 0x1c6e41596, 0x154442bd4,
                                           0x1c6e41596, 0x154442bd4);
    // blocks >= 16 sixteen-byte blocks.
    __m512i x1 = _mm512_xor_si512(_mm512_loadu_si512(p), _mm512_maskz_set1_epi32(1, static_cast<int>(value)));
    __m512i x2 = _mm512_loadu_si512(p + 64), x3 = _mm512_loadu_si512(p + 128), x4 = _mm512_loadu_si512(p + 192);
    p += 256;
    blocks -= 16;
    for (; blocks >= 16; blocks -= 16, p += 256) {
        x1 = Fold512(x1, fold16, _mm512_loadu_si512(p));
        x2 = Fold512(x2, fold16, _mm512_loadu_si512(p + 64));
        x3 = Fold512(x3, fold16, _mm512_loadu_si512(p + 128));
        x4 = Fold512(x4, fold16, _mm512_loadu_si512(p + 192));
    }
    x1 = Fold512(x1, fold4, x2);
    x1 = Fold512(x1, fold4, x3);
    x1 = Fold512(x1, fold4, x4);
    alignas(64) __m128i lanes[4];
    _mm512_store_si512(lanes, x1);
    return Finish(lanes[0], lanes[1], lanes[2], lanes[3], p, blocks);
}

#undef ZN_WIDE_FOLDING
#undef ZN_FOLDING
#endif

} // namespace

void CRC32_InitTable()
{
    g_CRCTable = BuildTable();
}

DWORD CRC32_Update(const void *bytes, size_t length, DWORD value)
{
    const BYTE *p = static_cast<const BYTE *>(bytes);
#if defined(__x86_64__) || defined(__i386__)
    if (length >= 64 && ZnHasCarrylessMultiply()) {
        const size_t folded = length & ~size_t{15};
        value = length >= 512 && ZnHasWideCarrylessMultiply() ? UpdateByWideFolding(p, folded / 16, value)
                                                              : UpdateByFolding(p, folded / 16, value);
        p += folded;
        length -= folded;
    }
#endif
    return UpdateByTable(p, length, value);
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
