#pragma once

// What the words of a selection band entry name, checked by the object's type byte; null when
// the word names something else. Shared by the band's tools.
#include <cstdint>

#include "render/camera.h"
#include "scene/brush.h"
#include "scene/entity.h"
#include "scene/object_type.h"
#include "scene/overlay.h"
#include "scene/selection_entry.h"

template <typename T> T *BandObjectOf(uintptr_t word, BYTE type)
{
    void *object = reinterpret_cast<void *>(word);
    return object && GetObjectType(object) == type ? static_cast<T *>(object) : nullptr;
}

inline ZNBRUSH *BandBrushOf(uintptr_t word)
{
    return BandObjectOf<ZNBRUSH>(word, ZNOBJECT_BRUSH);
}

inline CZNOverlay *BandOverlayOf(uintptr_t word)
{
    return BandObjectOf<CZNOverlay>(word, ZNOBJECT_OVERLAY);
}

inline CZNEntity *BandEntityOf(uintptr_t word)
{
    return BandObjectOf<CZNEntity>(word, ZNOBJECT_ENTITY);
}

inline CZNCAMERA *BandCameraOf(uintptr_t word)
{
    return BandObjectOf<CZNCAMERA>(word, ZNOBJECT_CAMERA);
}

// The vertex index of a vertex entry: the low 16 bits of its word.
inline DWORD BandVertexIndexOf(const ZNSELECTIONENTRY &entry)
{
    return static_cast<DWORD>(entry.Vertex & 0xFFFF);
}
