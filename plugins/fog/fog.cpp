// The fog entity (type 516, vendor "Tovra"): the device's fog states, stored where the entity
// head's last two rows would be. The defaults are the 3D view's own fog.
#include <cstring>

#include "platform/d3d9/d3d9_types.h"
#include "platform/export.h"
#include "scene/container.h"
#include "sdk/entity_plugin.h"

namespace
{

struct FOGDATA {
    uint8_t Head[36];    // 0: the entity head's first rows
    uint32_t Flags;      // 36: bit 0 table fog (and range fog), else vertex fog
    uint32_t Colour;     // 40: D3DCOLOR
    uint32_t TableMode;  // 44: D3DFOGMODE
    uint32_t VertexMode; // 48: D3DFOGMODE
    float Start;         // 52
    float End;           // 56
    float Density;       // 60
};
static_assert(sizeof(FOGDATA) == 64, "the fog block is the 64 bytes of an entity head");

const uint8_t kVendor[] = {'T', 'o', 'v', 'r', 'a'};
CZNCONTAINER *g_Blocks = nullptr;

} // namespace

extern "C" {

ZN_API uint32_t InitEntityPlugin(void *)
{
    return ZN_ENTITY_PLUGIN_VERSION;
}

ZN_API void GetEntityPluginInfo(ENTITYPLUGININFO *info)
{
    info->Flags2D = 0;
    info->Flags3D = 0;
    info->BlockSize = sizeof(FOGDATA);
    info->DataSize = sizeof(FOGDATA);
    info->TypeName = "Fog";
    info->VendorIdLength = sizeof(kVendor);
    info->VendorId = kVendor;
    info->TypeId = 516;
    info->Bitmap = "Fog";
    info->Description = "The scene's fog: colour, mode, start, end and density.";
}

ZN_API void SetDataPointer(CZNCONTAINER *blocks)
{
    g_Blocks = blocks;
}

// Linear vertex fog, black, from 2000 to 9900.
ZN_API void SetDefaultData(void *data)
{
    FOGDATA fog{};
    fog.Flags = 0;
    fog.Colour = 0;
    fog.TableMode = D3DFOG_NONE;
    fog.VertexMode = D3DFOG_LINEAR;
    fog.Start = 2000.0f;
    fog.End = 9900.0f;
    fog.Density = 1.0f;
    std::memcpy(data, &fog, sizeof(fog));
}
}
