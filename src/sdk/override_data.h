#pragma once

// OVERRIDEDATA: the record with which the plug-in host and the editor draw or pick a scene object
// otherwise than its own state says. The caller owns it; the objects only read it. Fields are
// numbered as the plug-ins count them; pointer fields take a pointer's width, so the record is
// not a run of 32-bit words on 64-bit builds.
#include <cstdint>

#include "platform/d3d9/d3d9_types.h"
#include "platform/gdi/gdi_types.h"
#include "platform/math/d3dx_math.h"

struct OVERRIDEDATA {
    int32_t Kind;           // 0: 1 when the record belongs to the entity the host call is made for
    int32_t Reserved[4];    // 1-4: not read by the core
    void *EntityData;       // 5: that entity's data block
    int32_t Skip;           // 6: 1 not drawn; any non-zero value: not picked in 3D
    int32_t Selected;       // 7: drawn as selected, in place of the object's own state
    D3DMATERIAL9 Highlight; // 8-24: the material of a selected object in 3D
    HPEN Pen;               // 25: the 2D pen of a selected object; null keeps the current pen
    int32_t DrawOwnSymbol;  // 26: 0 means only the plug-in draws
    D3DXMATRIX *Matrix;     // 27: an extra world matrix of the host's drawing calls; null none
};
