#pragma once

// The folder scans of the managers: a folder's entries matching a "*.*"-style wildcard (letter
// case ignored), sorted by name so that every machine scans in the same order.
#include <string>
#include <vector>

#include "platform/export.h"

struct ZNFOLDERENTRY {
    std::string Name;
    bool Directory;
    bool RegularFile;
};

// '*' any run of characters, '?' one character, letter case ignored; "*.*" (or an empty
// pattern) matches every name, with or without a dot.
ZN_API bool ZnMatchPattern(const char *pattern, const char *name);
// The entries of folder ("." when empty) that match pattern, sorted by name; "." and ".." are
// not listed. False (and no entries) when the folder cannot be read.
ZN_API bool ZnListFolder(const std::string &folder, const char *pattern, std::vector<ZNFOLDERENTRY> &entries);
