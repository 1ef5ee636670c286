#pragma once

// Path and colour helpers. Paths split on both '/' and '\\'. Results are allocated with
// malloc and freed by the caller with free.
#include "platform/export.h"
#include "platform/os/win_types.h"

// The part after the last separator (the whole path when there is none), in a 256-byte
// buffer, cut to 255 characters; null when the part after the last separator is empty.
ZN_API char *GetFileNameFromPath(const char *path);
// The part up to and including the last separator; an empty string when there is none.
ZN_API char *GetDirectoryFromPath(const char *path);
// The path up to the first '.' of its last component, in a 256-byte buffer, cut to 255
// characters; null when the last component has no '.' or nothing stands before the dot.
ZN_API char *StripExtension(const char *path);
// Exchanges the lowest and the third byte of a 32-bit colour.
ZN_API DWORD SwapRedBlue(DWORD colour);
