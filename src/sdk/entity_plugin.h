#pragma once

// What an entity plug-in exports and the block it fills. The loader calls InitEntityPlugin (it
// must answer ZN_ENTITY_PLUGIN_VERSION), GetEntityPluginInfo, SetDefaultData on the template's
// block and SetDataPointer once. Every data block starts with the entity's world matrix (64
// bytes); the rest is the plug-in's. The strings and the vendor id belong to the plug-in and stay
// valid while it is loaded.
#include <cstdint>

#include "platform/math/bbox.h"
#include "platform/math/d3dx_math.h"
#include "sdk/override_data.h"
#include "sdk/pick3d_info.h"
#include "sdk/plugin_types.h"
#include "sdk/render_info_2d.h"

class CZNCONTAINER;

constexpr uint32_t ZN_ENTITY_PLUGIN_VERSION = 0x01050000u;
// The smallest block the loader accepts: the world matrix.
constexpr uint32_t ZN_ENTITY_HEAD_SIZE = 64u;

// Info flags.
constexpr uint32_t ZN_ENTITY_DRAWS_2D = 0x10u; // Flags2D: Render2D is called
constexpr uint32_t ZN_ENTITY_DRAWS_3D = 0x20u; // Flags3D: Render3D is called

struct ENTITYPLUGININFO {
    uint32_t Flags2D;
    uint32_t Flags3D;
    uint32_t BlockSize;      // bytes allocated for every entity's block
    uint32_t DataSize;       // bytes copied from the template into a new entity
    const char *TypeName;    // list entry, base of entity names, log
    uint32_t Reserved20;     // not read by the editor
    uint8_t VendorIdLength;  // bytes of VendorId
    const uint8_t *VendorId; // not terminated; may be null
    uint16_t TypeId;         // 0x10 light, 0x203 with "TOVRA" reference, ...
    ZNPLUGINBITMAP Bitmap;   // picture on the Entities page
    const char *Description; // text on the Entities page
    uint8_t Reserved44[16];  // not read by the editor
};

using PFNINITENTITYPLUGIN = uint32_t (*)(void *module);
using PFNGETENTITYPLUGININFO = void (*)(ENTITYPLUGININFO *info);
using PFNSETDATAPOINTER = void (*)(CZNCONTAINER *blocks);
using PFNENTITYDATA = void (*)(void *data); // SetDefaultData, InitializeEntity, DestroyEntity
using PFNDATAUPDATED = void (*)();
using PFNGETRENDERTEXT = const char *(*)(void *data);
using PFNRENDER2D = void (*)(void *data, RENDERINFO2D *info, OVERRIDEDATA *over);
using PFNRENDER3D = void (*)(void *data, void *reserved, OVERRIDEDATA *over);
using PFNGETWRITEDATASIZE = uint32_t (*)(void *data);
using PFNGETWRITEDATA = void (*)(void *data, void *buffer);
using PFNSETREADDATA = void (*)(void *data, const void *buffer, uint32_t size);
// Non-zero on a hit nearer than maxDistance, written into pick (a copy of the caller's record).
// mode is the caller's pick setting (the 3D view passes option word 26), flag is 0.
using PFNPICKENTITY3D = int32_t (*)(void *data, const D3DXVECTOR3 *origin, const D3DXVECTOR3 *direction,
                                    float maxDistance, PICK3DINFO *pick, int32_t mode, int32_t flag);
// Non-zero when the plug-in filled the box.
using PFNGETENTITYBOUNDS = int32_t (*)(void *data, ZNBBOX *box, void *context);
using PFNENTITYCOMMAND = int32_t (*)(WPARAM wParam, LPARAM lParam, int32_t *redraw);
