#pragma once

// Arrays of owned pointers in blocks of malloc, as brushes, overlays and face list containers keep
// them: the array and its count are fields of records whose layout plug-ins rely on, so no
// container class can stand in for them. An empty array is null.
#include <cstddef>
#include <cstdlib>

#include "platform/os/win_types.h"

// Deletes every element, frees the block and leaves the array empty.
template <typename T> void ZnDeletePointerArray(T **&items, DWORD &count)
{
    for (DWORD i = 0; i < count; ++i)
        delete items[i];
    std::free(items);
    items = nullptr;
    count = 0;
}

// Appends item, the block growing by one; false, with the array as it was, when it cannot grow.
template <typename T> bool ZnAppendToPointerArray(T **&items, DWORD &count, T *item)
{
    if (count == 0xFFFFFFFFu)
        return false;
    void *grown = std::realloc(items, sizeof(T *) * (static_cast<size_t>(count) + 1));
    if (!grown)
        return false;
    items = static_cast<T **>(grown);
    items[count++] = item;
    return true;
}

// Shrinks the block to its first count entries (the caller has dealt with the rest); at 0 the
// block is freed. A shrink that cannot move keeps the larger block.
template <typename T> void ZnShrinkPointerArray(T **&items, DWORD count)
{
    if (count == 0) {
        std::free(items);
        items = nullptr;
    } else if (void *shrunk = std::realloc(items, sizeof(T *) * count)) {
        items = static_cast<T **>(shrunk);
    }
}
