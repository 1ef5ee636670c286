#pragma once

// ZnPrefetchLines: asks the cache for every line of an object, its last byte included (objects
// may straddle lines). Walks over scenes use it to fetch the brushes, faces and vertices a few
// steps ahead, as they are separate allocations.
#include <cstddef>

inline void ZnPrefetchLine(const char *at)
{
    // A loop of nothing but __builtin_prefetch counts as having no effect, and GCC deletes it.
#if defined(__x86_64__) || defined(__i386__)
    asm volatile("prefetcht0 %0" : : "m"(*at));
#else
    __builtin_prefetch(at);
#endif
}

inline void ZnPrefetchLines(const void *at, size_t size)
{
    const auto *bytes = static_cast<const char *>(at);
    for (size_t offset = 0; offset < size; offset += 64)
        ZnPrefetchLine(bytes + offset);
    ZnPrefetchLine(bytes + size - 1);
}
