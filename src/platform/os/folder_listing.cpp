#include "platform/os/folder_listing.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

bool ZnMatchPattern(const char *pattern, const char *name)
{
    if (!pattern || !*pattern || std::strcmp(pattern, "*.*") == 0)
        return true;
    const char *p = pattern, *n = name;
    const char *star = nullptr, *resume = nullptr;
    while (*n) {
        if (*p == '?' ||
            (*p && *p != '*' &&
             std::tolower(static_cast<unsigned char>(*p)) == std::tolower(static_cast<unsigned char>(*n)))) {
            ++p;
            ++n;
        } else if (*p == '*') {
            star = p++;
            resume = n;
        } else if (star) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (*p == '*')
        ++p;
    return *p == '\0';
}

bool ZnListFolder(const std::string &folder, const char *pattern, std::vector<ZNFOLDERENTRY> &entries)
{
    entries.clear();
    std::error_code ec;
    std::filesystem::directory_iterator it(folder.empty() ? std::string(".") : folder, ec), end;
    if (ec)
        return false;
    for (; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!ZnMatchPattern(pattern, name.c_str()))
            continue;
        std::error_code typeError;
        bool directory = it->is_directory(typeError);
        bool regular = !directory && it->is_regular_file(typeError);
        entries.push_back({std::move(name), directory, regular});
    }
    std::sort(entries.begin(), entries.end(),
              [](const ZNFOLDERENTRY &a, const ZNFOLDERENTRY &b) { return a.Name < b.Name; });
    return true;
}
