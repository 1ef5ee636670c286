#pragma once

// ZNBBOX: an axis-aligned box, minimum corner then maximum corner (six floats).
#include "platform/math/d3dx_math.h"

struct ZNBBOX {
    D3DXVECTOR3 Min;
    D3DXVECTOR3 Max;
};

static_assert(sizeof(ZNBBOX) == 24, "a box is six floats");
