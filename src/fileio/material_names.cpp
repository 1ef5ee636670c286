#include "fileio/material_names.h"

#include <strings.h>

#include <cstdio>

#include "scene/container.h"
#include "scene/material.h"

LONG ZnFindMaterialByName(CZNCONTAINER *list, const char *name)
{
    for (DWORD i = 0; i < list->GetElementCount(); ++i) {
        auto *material = static_cast<CZNMATERIAL *>(list->GetElement(i));
        if (material && strcasecmp(material->GetName(), name) == 0)
            return static_cast<LONG>(i);
    }
    return -1;
}

std::string ZnNumberedMaterialName(CZNCONTAINER *list, const char *name)
{
    const DWORD limit = list->GetElementCount() + 1;
    for (DWORD n = 1;; ++n) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, " #%u", n);
        const size_t room = CZNMATERIAL::kNameLength - 1 - std::string(suffix).size();
        std::string candidate = std::string(name).substr(0, room) + suffix;
        // Among count materials at most count numbers are taken, so this ends by count + 1.
        if (ZnFindMaterialByName(list, candidate.c_str()) < 0 || n >= limit)
            return candidate;
    }
}
