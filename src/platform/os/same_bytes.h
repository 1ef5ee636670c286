#pragma once

// Whether two records of one type hold the same bytes. The words are folded into one difference
// that stays in registers, which for the small state records compared on every draw is cheaper
// than a call to memcmp. The record's size must be a multiple of 4.
#include <cstddef>
#include <cstdint>
#include <cstring>

template <class T> inline bool ZnSameBytes(const T &a, const T &b)
{
    static_assert(sizeof(T) % 4 == 0, "compared as 4- and 8-byte words");
    const auto *x = reinterpret_cast<const unsigned char *>(&a);
    const auto *y = reinterpret_cast<const unsigned char *>(&b);
    uint64_t difference = 0;
    size_t i = 0;
    for (; i + 8 <= sizeof(T); i += 8) {
        uint64_t u, v;
        std::memcpy(&u, x + i, 8);
        std::memcpy(&v, y + i, 8);
        difference |= u ^ v;
    }
    if (i < sizeof(T)) {
        uint32_t u, v;
        std::memcpy(&u, x + i, 4);
        std::memcpy(&v, y + i, 4);
        difference |= u ^ v;
    }
    return difference == 0;
}
