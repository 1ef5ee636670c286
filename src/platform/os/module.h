#pragma once

// Shared libraries loaded at run time (the plug-ins). A library is loaded with every symbol
// bound at once and its exports kept to itself: one that names a missing host function fails to
// load instead of failing later, and plug-ins never bind to each other's exports.
#include <string>

using HMODULE = void *;

// The loaded library, or null with the loader's reason in error (when error is not null).
HMODULE ZnLoadLibrary(const char *path, std::string *error);
// The named export; null when the library or the name is null or the library has no such export.
void *ZnGetProcAddress(HMODULE module, const char *name);
// Null is ignored.
void ZnFreeLibrary(HMODULE module);
