#pragma once

// Name lookups in the shared material list that every scene reader uses when it matches the
// materials of a file against those already loaded. Null entries are passed over.
#include <string>

#include "platform/os/win_types.h"

class CZNCONTAINER;

// The list's index of the first material named name (letter case ignored), or -1.
LONG ZnFindMaterialByName(CZNCONTAINER *list, const char *name);
// "name #n" with the first n from 1 that no material of the list bears; the base is shortened
// so that the whole name fits the 255 characters of a material name.
std::string ZnNumberedMaterialName(CZNCONTAINER *list, const char *name);
