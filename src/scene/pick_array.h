#pragma once

// Growth by one element of the parallel arrays of the 2D pick lists.
#include <cstdlib>

#include "platform/os/win_types.h"

// Gives array room for count + 1 elements; false (array unchanged) when the block cannot grow.
// An array grown while a later one fails keeps its spare slot, which the count never covers.
template <class T> bool ZnGrowPickArray(T *&array, DWORD count)
{
    void *block = std::realloc(array, sizeof(T) * (static_cast<size_t>(count) + 1));
    if (!block)
        return false;
    array = static_cast<T *>(block);
    return true;
}
