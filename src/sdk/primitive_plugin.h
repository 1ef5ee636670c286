#pragma once

// What a primitive plug-in exports and the block it fills. The loader calls InitPrimitivePlugin
// (it must answer ZN_PRIMITIVE_PLUGIN_VERSION) and GetPrimitivePluginInfo once; BuildBrush is
// called whenever the user places the plug-in's primitive. The strings belong to the plug-in and
// stay valid while it is loaded.
#include <cstdint>

#include "platform/math/d3dx_math.h"
#include "sdk/plugin_types.h"

class ZNBRUSH;

constexpr uint32_t ZN_PRIMITIVE_PLUGIN_VERSION = 0x01000000u;

struct PRIMITIVEPLUGININFO {
    const char *Name;        // list entry and base of the names of the brushes it builds
    ZNPLUGINBITMAP Bitmap;   // picture on the Primitives page
    const char *Description; // text on the Primitives page
};

using PFNINITPRIMITIVEPLUGIN = uint32_t (*)();
using PFNGETPRIMITIVEPLUGININFO = void (*)(PRIMITIVEPLUGININFO *info);
// A brush made with AllocNewBrush at the position with the three sizes, or null.
using PFNBUILDBRUSH = ZNBRUSH *(*)(D3DXVECTOR3 position, float sizeX, float sizeY, float sizeZ);
using PFNPRIMITIVECOMMAND = int32_t (*)(WPARAM wParam, LPARAM lParam);
