#pragma once

// ZNOBJECTTYPE: the first byte of every scene object. Code that walks mixed lists (groups,
// pick lists, hide and unhide, undo) tells objects apart by it.
#include "platform/os/win_types.h"

enum ZNOBJECTTYPE : BYTE {
    ZNOBJECT_BRUSH = 1,
    ZNOBJECT_GROUP = 2,
    ZNOBJECT_FACE = 3,
    ZNOBJECT_ENTITY = 4,
    ZNOBJECT_VERTEX = 5, // names a face's vertex record in pick and band lookups
    ZNOBJECT_OVERLAY = 6,
    ZNOBJECT_OVERLAYFACE = 8,
    ZNOBJECT_CAMERA = 9,
};

// The type byte of any scene object.
inline BYTE GetObjectType(const void *object)
{
    return *static_cast<const BYTE *>(object);
}
