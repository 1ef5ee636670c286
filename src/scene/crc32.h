#pragma once

// CRC-32 with the reflected polynomial 0xEDB88320, used to recognise identical texture images.
#include <cstddef>

#include "platform/export.h"
#include "platform/os/win_types.h"

// Builds the 256-entry table. The table also starts out built, so early callers get right values.
ZN_API void CRC32_InitTable();
ZN_API DWORD CRC32_Update(const void *bytes, size_t length, DWORD value);
// 0xFFFFFFFF for a null buffer; with start 0 the standard CRC-32 of the bytes.
ZN_API DWORD CRC32_Buffer(const void *bytes, size_t length, DWORD start);
// CRC-32 of a file's contents; 0xFFFFFFFF when it cannot be opened.
ZN_API DWORD CRC32_File(const char *path);
