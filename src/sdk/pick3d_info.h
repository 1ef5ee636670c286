#pragma once

// PICK3DINFO: the nearest hit of a 3D pick. The caller owns it, clears it and starts the distance
// above any pick length; each object asked writes all four fields when it finds a strictly
// nearer hit and leaves the record alone otherwise, so one record passed to every object ends
// with the nearest hit of the scene.
#include "platform/math/d3dx_math.h"
#include "platform/os/win_types.h"

struct PICK3DINFO {
    void *Object;      // the object of the nearest hit so far
    DWORD Face;        // index of the hit face within that object
    D3DXVECTOR3 Point; // the hit in world space
    float Distance;    // from the ray origin
};
