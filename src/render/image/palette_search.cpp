#include "render/image/palette_search.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <iterator>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "platform/cpu/processor.h"

namespace
{

using Table = CZNPaletteSearch::Table;

constexpr int kMaxSum = 3 * 255;

inline int Distance(const RGBQUAD &e, int red, int green, int blue)
{
    return std::abs(e.rgbRed - red) + std::abs(e.rgbGreen - green) + std::abs(e.rgbBlue - blue);
}

// A search key: the distance, kept under 255, above the entry's index, so that the least key is
// the nearest entry and, among equally near ones, the lowest index. A least key of 255 << 8 or
// more says the nearest distance is 255 or more, which keys cannot order.
inline int Key(int distance, int index)
{
    return (std::min(distance, 255) << 8) | index;
}

// The least key of the sorted entries [first, last). The vector kernel takes whole blocks of 32
// from first on: more entries than asked do no harm, each being a real entry or a copy of the last.
struct PortableKernel {
    static int LeastKey(const Table &t, int first, int last, int red, int green, int blue)
    {
        int best = INT_MAX;
        for (int i = first; i < last; ++i) {
            const int distance = std::abs(t.Red[i] - red) + std::abs(t.Green[i] - green) + std::abs(t.Blue[i] - blue);
            best = std::min(best, Key(distance, t.Index[i]));
        }
        return best;
    }
};

#if defined(__x86_64__) || defined(__i386__)
struct Avx2Kernel {
    // The entries [i, i + 32) compared with the colour as bytes: each |a - b| as the larger of the
    // two saturated differences, their sum saturated at 255, then the distance above the index as
    // a 16-bit key, the least kept.
    __attribute__((target("avx2"), always_inline)) static inline __m256i Block(const Table &t, int i, __m256i r,
                                                                               __m256i g, __m256i b, __m256i best)
    {
        const __m256i reds = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(t.Red + i));
        const __m256i greens = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(t.Green + i));
        const __m256i blues = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(t.Blue + i));
        const __m256i indices = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(t.Index + i));
        __m256i d = _mm256_or_si256(_mm256_subs_epu8(reds, r), _mm256_subs_epu8(r, reds));
        d = _mm256_adds_epu8(d, _mm256_or_si256(_mm256_subs_epu8(greens, g), _mm256_subs_epu8(g, greens)));
        d = _mm256_adds_epu8(d, _mm256_or_si256(_mm256_subs_epu8(blues, b), _mm256_subs_epu8(b, blues)));
        best = _mm256_min_epu16(best, _mm256_unpacklo_epi8(indices, d));
        return _mm256_min_epu16(best, _mm256_unpackhi_epi8(indices, d));
    }

    __attribute__((target("avx2"))) static int LeastKey(const Table &t, int first, int last, int red, int green,
                                                        int blue)
    {
        const __m256i r = _mm256_set1_epi8(static_cast<char>(red));
        const __m256i g = _mm256_set1_epi8(static_cast<char>(green));
        const __m256i b = _mm256_set1_epi8(static_cast<char>(blue));
        __m256i best = Block(t, first, r, g, b, _mm256_set1_epi16(-1));
        for (int i = first + 32; i < last; i += 32)
            best = Block(t, i, r, g, b, best);
        const __m128i m =
            _mm_minpos_epu16(_mm_min_epu16(_mm256_castsi256_si128(best), _mm256_extracti128_si256(best, 1)));
        return _mm_cvtsi128_si32(m) & 0xFFFF;
    }
};
#endif

template <class Kernel>
inline __attribute__((always_inline)) int Search(const Table &t, int red, int green, int blue, int guess, int other)
{
    // |dR| + |dG| + |dB| >= |sum - entry sum|, and an entry answered before is some distance away:
    // no entry whose sum differs by more than that distance can be nearer.
    const int sum = red + green + blue;
    int reach = guess >= 0 ? Distance(t.Palette[guess], red, green, blue) : kMaxSum;
    if (other >= 0)
        reach = std::min(reach, Distance(t.Palette[other], red, green, blue));
    const int first = t.FirstWithSum[std::max(0, sum - reach)];
    const int last = t.FirstWithSum[std::min(kMaxSum + 1, sum + reach + 1)];
    const int key = Kernel::LeastKey(t, first, last, red, green, blue);
    if ((key >> 8) < 255)
        return key & 0xFF;
    // Nothing within 254: every entry, as rarely as such a distant colour comes.
    int best = 0;
    for (int i = 1; i < t.Count; ++i)
        if (Distance(t.Palette[i], red, green, blue) < Distance(t.Palette[best], red, green, blue))
            best = i;
    return best;
}

// The answer from the table of answers, or searched and remembered there; hits counts the former.
template <class Kernel>
inline __attribute__((always_inline)) int Answer(Table &t, BYTE red, BYTE green, BYTE blue, int guess, int other,
                                                 size_t &hits)
{
    const uint32_t colour = (1u << 24) | (uint32_t{red} << 16) | (uint32_t{green} << 8) | blue;
    const uint32_t slot = (colour * 2654435761u) >> 22; // the top 10 bits of a multiplicative hash
    if (t.CachedColour[slot] != colour) {
        t.CachedColour[slot] = colour;
        t.CachedIndex[slot] = static_cast<int16_t>(Search<Kernel>(t, red, green, blue, guess, other));
    } else {
        ++hits;
    }
    return t.CachedIndex[slot];
}

template <class Kernel> inline __attribute__((always_inline)) int Nearest(Table &t, BYTE red, BYTE green, BYTE blue)
{
    size_t hits = 0;
    return t.Last = Answer<Kernel>(t, red, green, blue, t.Last, -1, hits);
}

// Colours [begin, end), through the table of answers or not; returns the table's hits.
// Each colour is bounded by the answer four colours back and, in rows, by the answer above it:
// neighbours are near alike, and colours four apart are searched independently of each other, so
// the processor overlaps their searches.
template <class Kernel, bool kRemembered>
inline __attribute__((always_inline)) size_t NearestRun(Table &t, const BYTE *red, const BYTE *green, const BYTE *blue,
                                                        BYTE *indices, size_t begin, size_t end, size_t rowLength,
                                                        int (&last)[4])
{
    size_t hits = 0;
    for (size_t i = begin; i < end; ++i) {
        const int above = rowLength && i >= rowLength ? indices[i - rowLength] : -1;
        int &guess = last[i % 4];
        guess = kRemembered ? Answer<Kernel>(t, red[i], green[i], blue[i], guess, above, hits)
                            : Search<Kernel>(t, red[i], green[i], blue[i], guess, above);
        indices[i] = static_cast<BYTE>(guess);
    }
    return hits;
}

// Pictures of many distinct colours (noise, gradients) seldom meet a colour twice: the table of
// answers is left out for stretches where it answered less than one colour in eight, and tried
// again every eighth stretch.
template <class Kernel>
inline __attribute__((always_inline)) void NearestAll(Table &t, const BYTE *red, const BYTE *green, const BYTE *blue,
                                                      BYTE *indices, size_t count, size_t rowLength)
{
    constexpr size_t kStretch = 512;
    int last[4] = {t.Last, t.Last, t.Last, t.Last};
    bool remembered = true;
    for (size_t begin = 0, stretch = 0; begin < count; begin += kStretch, ++stretch) {
        const size_t end = std::min(count, begin + kStretch);
        if (remembered) {
            const size_t hits = NearestRun<Kernel, true>(t, red, green, blue, indices, begin, end, rowLength, last);
            remembered = hits * 8 >= end - begin;
        } else {
            NearestRun<Kernel, false>(t, red, green, blue, indices, begin, end, rowLength, last);
            remembered = stretch % 8 == 7;
        }
    }
    if (count > 0)
        t.Last = last[(count - 1) % 4];
}

int NearestPortable(Table &t, BYTE red, BYTE green, BYTE blue)
{
    return Nearest<PortableKernel>(t, red, green, blue);
}

void NearestAllPortable(Table &t, const BYTE *red, const BYTE *green, const BYTE *blue, BYTE *indices, size_t count,
                        size_t rowLength)
{
    NearestAll<PortableKernel>(t, red, green, blue, indices, count, rowLength);
}

struct Functions {
    int (*Nearest)(Table &, BYTE, BYTE, BYTE);
    void (*NearestAll)(Table &, const BYTE *, const BYTE *, const BYTE *, BYTE *, size_t, size_t);
};

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) int NearestAvx2(Table &t, BYTE red, BYTE green, BYTE blue)
{
    return Nearest<Avx2Kernel>(t, red, green, blue);
}

__attribute__((target("avx2"))) void NearestAllAvx2(Table &t, const BYTE *red, const BYTE *green, const BYTE *blue,
                                                    BYTE *indices, size_t count, size_t rowLength)
{
    NearestAll<Avx2Kernel>(t, red, green, blue, indices, count, rowLength);
}
#endif

const Functions &Choose()
{
    static const Functions portable = {NearestPortable, NearestAllPortable};
#if defined(__x86_64__) || defined(__i386__)
    static const Functions avx2 = {NearestAvx2, NearestAllAvx2};
    if (ZnHasAvx2())
        return avx2;
#endif
    return portable;
}

const Functions &Chosen()
{
    static const Functions &functions = Choose();
    return functions;
}

} // namespace

CZNPaletteSearch::CZNPaletteSearch(const RGBQUAD *palette, int count)
{
    Table &t = m_Table;
    t.Count = palette ? std::clamp(count, 0, 256) : 0;
    t.Last = -1;
    std::copy(palette, palette + t.Count, t.Palette);
    // Sorted by sum with a counting sort: equal sums keep the order of their indices.
    auto sum = [&](int i) { return t.Palette[i].rgbRed + t.Palette[i].rgbGreen + t.Palette[i].rgbBlue; };
    int next[kMaxSum + 2] = {};
    for (int i = 0; i < t.Count; ++i)
        ++next[sum(i) + 1];
    for (int s = 1; s <= kMaxSum + 1; ++s)
        next[s] += next[s - 1];
    for (int s = 0; s <= kMaxSum + 1; ++s)
        t.FirstWithSum[s] = static_cast<int16_t>(next[s]);
    int order[256];
    for (int i = 0; i < t.Count; ++i)
        order[next[sum(i)]++] = i;
    // Blocks read past the last entry see copies of it, which cannot change an answer.
    for (int i = 0; i < 256 + 64; ++i) {
        const int entry = t.Count > 0 ? order[std::min(i, t.Count - 1)] : -1;
        t.Red[i] = entry >= 0 ? t.Palette[entry].rgbRed : 0;
        t.Green[i] = entry >= 0 ? t.Palette[entry].rgbGreen : 0;
        t.Blue[i] = entry >= 0 ? t.Palette[entry].rgbBlue : 0;
        t.Index[i] = static_cast<uint8_t>(entry >= 0 ? entry : 0);
    }
    std::fill(std::begin(t.CachedColour), std::end(t.CachedColour), 0u);
}

int CZNPaletteSearch::Nearest(BYTE red, BYTE green, BYTE blue)
{
    return m_Table.Count < 1 ? -1 : Chosen().Nearest(m_Table, red, green, blue);
}

void CZNPaletteSearch::NearestAll(const BYTE *red, const BYTE *green, const BYTE *blue, BYTE *indices, size_t count,
                                  size_t rowLength)
{
    if (m_Table.Count >= 1)
        Chosen().NearestAll(m_Table, red, green, blue, indices, count, rowLength);
}
