#pragma once

// Functions the editor exports to plug-ins. They run inside a call the editor made into the
// plug-in, on the user-interface thread, and keep no state between calls. Names are looked up in
// the current document: groups first, then brushes, letter case ignored. Unknown names and null
// arguments make the draw functions do nothing and the others return false or 0.
#include <cstdint>

#include "platform/export.h"
#include "platform/math/bbox.h"
#include "platform/math/d3dx_math.h"
#include "sdk/override_data.h"
#include "sdk/plugin_types.h"
#include "sdk/render_info_2d.h"

class IDirect3DDevice9;
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

// 0x01050000.
ZN_API uint32_t TOVRA_GetVersion();
// The 3D device; null before it exists.
ZN_API IDirect3DDevice9 *TOVRA_GetD3DDevice();
// True when the device was created with hardware vertex processing; false without a device.
ZN_API bool TOVRA_GetHardwareTnL();
ZN_API D3DXVECTOR3 TOVRA_Get3DCameraPos();
// The 3D view's render mode.
ZN_API uint32_t TOVRA_GetRenderMode();

// The next four place the named object with its box centre at the origin of matrix (times the
// override's matrix when it has one). An override of kind 1 names the calling entity's data
// block, which is then skipped, so an entity never reaches itself through a group; nesting of
// such calls stops at 32 levels.
// Draws into the 3D view's current frame when the placed box is in the camera's frustum.
ZN_API void TOVRA_DrawObject3D(const char *name, const D3DXMATRIX *matrix, OVERRIDEDATA *over);
// Draws into info's drawing context, through the view info names.
ZN_API void TOVRA_DrawObject2D(const char *name, RENDERINFO2D *info, const D3DXMATRIX *matrix, OVERRIDEDATA *over);
// The placed object's box.
ZN_API bool TOVRA_GetObjectBounds(const char *name, ZNBBOX *box, const D3DXMATRIX *matrix, OVERRIDEDATA *over);
// Tests the ray (origin + t * direction) against the placed object. distance receives the hit's
// distance or 9999999.0, hitPoint the hit in world space; either may be null. A matrix that
// cannot be inverted gives no hit.
ZN_API bool TOVRA_IntersectObject(const char *name, const D3DXMATRIX *matrix, const D3DXVECTOR3 *origin,
                                  const D3DXVECTOR3 *direction, float *distance, D3DXVECTOR3 *hitPoint,
                                  OVERRIDEDATA *over);

// Recomputes the selection band from the selection.
ZN_API void TOVRA_UpdateSelectionBand();
// The selected flag of the entity with this data block; false when none has it.
ZN_API bool TOVRA_IsEntitySelected(void *data);

ZN_API uint32_t TOVRA_GetBrushCount();
ZN_API uint32_t TOVRA_GetEntityCount();
ZN_API uint32_t TOVRA_GetOverlayCount();
// Every group of the scene: the root groups and, recursively, the groups within them.
ZN_API uint32_t TOVRA_GetGroupCount();
// Name copies of the index-th object (groups depth first, each root group before the next).
// False, buffer untouched, past the end or for an object without a name. Otherwise at most
// length characters and a terminating zero are written: the buffer must hold length + 1 bytes.
ZN_API bool TOVRA_GetBrushName(uint32_t index, char *buffer, uint32_t length);
ZN_API bool TOVRA_GetEntityName(uint32_t index, char *buffer, uint32_t length);
ZN_API bool TOVRA_GetOverlayName(uint32_t index, char *buffer, uint32_t length);
ZN_API bool TOVRA_GetGroupName(uint32_t index, char *buffer, uint32_t length);

// Does nothing: false.
ZN_API bool TOVRA_ImportFile(char *fileName, bool flag, D3DXVECTOR3 *position);

// For a plug-in's widget signals: runs the command in the host holding control (a widget the
// plug-in made in CreateControls, or one of its children) and returns the plug-in's Command
// result. The primitive host calls Command; the entity host takes the selected entities' lights
// out, calls Command and puts them back, then redraws the views when the plug-in asked. 0 for a
// widget in no host or a plug-in without Command.
ZN_API LRESULT TOVRA_HostCommand(QWidget *control, WPARAM wParam, LPARAM lParam);
}
