#pragma once

// RENDERINFO2D: what a 2D view hands to an entity's Render2D and the plug-in hands back to the
// host's 2D drawing. The view fills it for one paint; nothing in it is owned.
#include <cmath>
#include <cstdint>

#include "platform/gdi/gdi_types.h"
#include "platform/math/d3dx_math.h"

struct RENDERINFO2D {
    HDC Dc;         // 0: the drawing context of the view's paint
    int32_t Width;  // 1: client width in pixels
    int32_t Height; // 2: client height in pixels
    float Zoom;     // 3: pixels per world unit
    float CentreU;  // 4: world coordinate of the view's centre on its horizontal axis
    float CentreV;  // 5: world coordinate of the view's centre on its vertical axis
    int32_t View;   // 6: 0 top (x, z), 1 right (z, y), 2 front (x, y)
};

// The pixel of a world point in the view the record describes, as the 2D views place it. The
// vertical axis grows upwards in the world and downwards on the screen.
inline void ZnRenderInfoWorldToPixel(const RENDERINFO2D *info, const D3DXVECTOR3 &world, int32_t *x, int32_t *y)
{
    const float u = info->View == 1 ? world.z : world.x;
    const float v = info->View == 0 ? world.z : world.y;
    const float px = (u - info->CentreU) * info->Zoom + static_cast<float>(info->Width / 2);
    const float py = (info->CentreV - v) * info->Zoom + static_cast<float>(info->Height / 2);
    auto toPixel = [](float value) {
        constexpr float kLimit = 1073741824.0f;
        if (std::isnan(value))
            return int32_t{0};
        return static_cast<int32_t>(std::fmax(-kLimit, std::fmin(kLimit, value)));
    };
    *x = toPixel(px);
    *y = toPixel(py);
}
