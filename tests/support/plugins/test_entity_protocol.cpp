// An entity plug-in for the tests of the entity protocol: its type id and vendor id come from the
// build, and it exports every drawing, bounds and pick call, steered by fields of the block and
// recording what it got. Its block keeps a light's fields (so a light type id makes it a light):
//   144 i32 bounds: 1 fills the box from 148, else GetEntityBounds returns 0
//   148 float[6] the box
//   172 float the distance PickEntity3D reports (0 or less: a miss)
#include <cstring>

#include "platform/export.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen.h"
#include "scene/container.h"
#include "sdk/entity_plugin.h"

#ifndef ZN_TEST_TYPE
#define ZN_TEST_TYPE 0x301
#endif
#ifndef ZN_TEST_VENDOR
#define ZN_TEST_VENDOR "Test"
#endif

namespace
{
const char kVendor[] = ZN_TEST_VENDOR;
constexpr size_t kBlock = 176;
} // namespace

extern "C" {

ZN_API int g_DestroyCalls = 0;
ZN_API int g_DestroyedTail = -1; // the block's last byte as DestroyEntity last saw it
ZN_API int g_Render2DCalls = 0;
ZN_API int g_Render3DCalls = 0;
ZN_API RENDERINFO2D g_LastInfo = {};
ZN_API int g_PickCalls = 0;
ZN_API int g_LastPickMode = -1;
ZN_API int g_LastPickFlag = -1;
ZN_API float g_LastPickLength = 0.0f;
ZN_API PICK3DINFO g_LastPickIn = {};

ZN_API uint32_t InitEntityPlugin(void *)
{
    return ZN_ENTITY_PLUGIN_VERSION;
}

ZN_API void GetEntityPluginInfo(ENTITYPLUGININFO *info)
{
    info->Flags2D = ZN_ENTITY_DRAWS_2D;
    info->Flags3D = ZN_ENTITY_DRAWS_3D;
    info->BlockSize = kBlock;
    info->DataSize = kBlock;
    info->TypeName = "Protocol";
    info->VendorIdLength = sizeof(kVendor) - 1;
    info->VendorId = reinterpret_cast<const uint8_t *>(kVendor);
    info->TypeId = ZN_TEST_TYPE;
}

ZN_API void SetDataPointer(CZNCONTAINER *) {}

ZN_API void SetDefaultData(void *data)
{
    static_cast<unsigned char *>(data)[kBlock - 1] = 0x77;
}

ZN_API void DestroyEntity(void *data)
{
    ++g_DestroyCalls;
    g_DestroyedTail = static_cast<unsigned char *>(data)[kBlock - 1];
}

// A short green line from (1, 1) to (4, 1).
ZN_API void Render2D(void *, RENDERINFO2D *info, OVERRIDEDATA *)
{
    ++g_Render2DCalls;
    g_LastInfo = *info;
    CZNPen pen(PS_SOLID, 1, RGB(0, 255, 0));
    CZNDC *dc = info->Dc;
    CZNPen *previous = dc->SelectObject(&pen);
    dc->MoveTo(1, 1);
    dc->LineTo(5, 1);
    if (previous)
        dc->SelectObject(previous);
}

ZN_API void Render3D(void *, void *, OVERRIDEDATA *)
{
    ++g_Render3DCalls;
}

ZN_API int32_t GetEntityBounds(void *data, ZNBBOX *box, void *)
{
    const unsigned char *block = static_cast<unsigned char *>(data);
    int32_t mode;
    std::memcpy(&mode, block + 144, sizeof(mode));
    if (mode != 1)
        return 0;
    std::memcpy(box, block + 148, sizeof(ZNBBOX));
    return 1;
}

ZN_API int32_t PickEntity3D(void *data, const D3DXVECTOR3 *, const D3DXVECTOR3 *, float maxDistance, PICK3DINFO *pick,
                            int32_t mode, int32_t flag)
{
    ++g_PickCalls;
    g_LastPickMode = mode;
    g_LastPickFlag = flag;
    g_LastPickLength = maxDistance;
    g_LastPickIn = *pick;
    float distance;
    std::memcpy(&distance, static_cast<unsigned char *>(data) + 172, sizeof(distance));
    if (!(distance > 0.0f))
        return 0;
    pick->Distance = distance;
    pick->Face = 7;
    pick->Point = D3DXVECTOR3(distance, 0.0f, 0.0f);
    pick->Object = nullptr;
    return 1;
}
}
