#pragma once

// Functions the editor exports to plug-ins.
#include <cstdint>

#include "platform/export.h"

class ZNBRUSH;

extern "C" {
// A new empty brush appended to the current document's brush list, which owns it; null when
// there is no document or no memory.
ZN_API ZNBRUSH *AllocNewBrush();

// The render options plug-ins ask before drawing lights and entities.
ZN_API int32_t IsRenderingLights2D();
ZN_API int32_t IsRenderingLights3D();
ZN_API int32_t IsRenderingLightInfluences();
ZN_API int32_t IsRenderingEntities2D();
ZN_API int32_t IsRenderingEntities3D();
}
