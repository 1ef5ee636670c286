#include "scene/path_utils.h"

#include <cstdlib>
#include <cstring>

namespace
{

constexpr size_t kPathBuffer = 256;

const char *LastSeparator(const char *path)
{
    const char *last = nullptr;
    for (const char *p = path; *p; ++p)
        if (*p == '\\' || *p == '/')
            last = p;
    return last;
}

char *CopyToPathBuffer(const char *text, size_t length)
{
    char *buffer = static_cast<char *>(std::malloc(kPathBuffer));
    if (!buffer)
        return nullptr;
    if (length > kPathBuffer - 1)
        length = kPathBuffer - 1;
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    return buffer;
}

} // namespace

char *GetFileNameFromPath(const char *path)
{
    if (!path)
        return nullptr;
    const char *separator = LastSeparator(path);
    const char *name = separator ? separator + 1 : path;
    if (!*name)
        return nullptr;
    return CopyToPathBuffer(name, std::strlen(name));
}

char *GetDirectoryFromPath(const char *path)
{
    if (!path)
        return nullptr;
    const char *separator = LastSeparator(path);
    size_t length = separator ? static_cast<size_t>(separator - path) + 1 : 0;
    char *buffer = static_cast<char *>(std::malloc(length + 1));
    if (!buffer)
        return nullptr;
    std::memcpy(buffer, path, length);
    buffer[length] = '\0';
    return buffer;
}

char *StripExtension(const char *path)
{
    if (!path)
        return nullptr;
    const char *separator = LastSeparator(path);
    const char *dot = std::strchr(separator ? separator + 1 : path, '.');
    if (!dot || dot == path)
        return nullptr;
    return CopyToPathBuffer(path, static_cast<size_t>(dot - path));
}

DWORD SwapRedBlue(DWORD colour)
{
    return (colour & 0xFF00FF00u) | ((colour & 0xFFu) << 16) | ((colour >> 16) & 0xFFu);
}
