#pragma once

// Texture coordinates of a face from its positions and mapping mode, shared by brushes and
// overlays. Mode 1 follows the face's plane and the texture's pixel size; modes 2 and 3 wrap
// round the centre of box (spherical, cylindrical); modes 4 to 6 project box along an axis, with
// the extents taken from sizeBox (an extent below 0.01 counts as 1). Mode 7 keeps the coordinates.
// A repeat value of 0 is set to 1 first.
#include "scene/bbox.h"
#include "scene/face.h"

// A face whose style has ZNFACESTYLE_LOCKUV keeps its texture coordinates.
inline bool ZnIsFaceLocked(const ZNFACE *face)
{
    return (face->m_Style & ZNFACESTYLE_LOCKUV) != 0;
}

// A texture rotation angle held within 0 to 6.28; NaN becomes 0.
inline float ZnClampRotation(float angle)
{
    if (!(angle >= 0.0f)) // negative or NaN
        return 0.0f;
    return angle > 6.28f ? 6.28f : angle;
}

void ZnMapFaceTexture(ZNFACE *face, float width, float height, const ZNBBOX &sizeBox, const ZNBBOX &box);
