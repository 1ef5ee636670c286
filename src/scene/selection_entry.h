#pragma once

// ZNSELECTIONENTRY: one entry of the editor's selection and of the object lists handed to the
// scene writers: the object's category and three pointer-wide words naming the object, a face
// and a vertex. Only the category and the object word are read by the writers.
#include <cstdint>

#include "platform/os/win_types.h"

// Categories (the numbers the document's lists and undo records use).
enum ZNSELECTIONTYPE : BYTE {
    ZNSELECT_BRUSH = 1,
    ZNSELECT_ENTITY = 2,
    ZNSELECT_FACE = 3,
    ZNSELECT_CAMERA = 4,
    ZNSELECT_OVERLAY = 5,
    ZNSELECT_OVERLAYFACE = 6,
    ZNSELECT_VERTEX = 7,
    ZNSELECT_GROUP = 8,
};

struct ZNSELECTIONENTRY {
    BYTE Type = 0;        // ZNSELECTIONTYPE
    uintptr_t Object = 0; // the object's pointer
    uintptr_t Face = 0;   // face index, where the category has one
    uintptr_t Vertex = 0; // vertex index, where the category has one
};
