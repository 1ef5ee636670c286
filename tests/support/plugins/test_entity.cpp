// An entity plug-in for the tests: type 0x300, vendor "Test", recording every call it gets, with
// one fault switched on by the build.
#include <cstring>

#include "platform/export.h"
#include "scene/container.h"
#include "sdk/entity_plugin.h"

#ifndef ZN_TEST_VERSION
#define ZN_TEST_VERSION ZN_ENTITY_PLUGIN_VERSION
#endif
#ifndef ZN_TEST_BLOCK
#define ZN_TEST_BLOCK 96
#endif
#ifndef ZN_TEST_DATA
#define ZN_TEST_DATA ZN_TEST_BLOCK
#endif

#ifdef ZN_TEST_MISSING_HOST
extern "C" void TOVRA_NoSuchFunction();
#endif

namespace
{
const uint8_t kVendor[] = {'T', 'e', 's', 't'};
}

extern "C" {

// What the plug-in has seen; read by the tests through their own handle on the library.
ZN_API int g_Calls = 0;
ZN_API int g_SetDataPointerCalls = 0;
ZN_API int g_DestroyCalls = 0;
ZN_API int g_InitializeCalls = 0;
ZN_API int g_DataUpdatedCalls = 0;
ZN_API CZNCONTAINER *g_Container = nullptr;
ZN_API void *g_FirstBlock = nullptr;

ZN_API uint32_t InitEntityPlugin(void *)
{
    ++g_Calls;
#ifdef ZN_TEST_MISSING_HOST
    TOVRA_NoSuchFunction();
#endif
    return ZN_TEST_VERSION;
}

ZN_API void GetEntityPluginInfo(ENTITYPLUGININFO *info)
{
    ++g_Calls;
#ifdef ZN_TEST_NULL_NAME
    info->TypeName = nullptr;
#else
    info->TypeName = "Probe";
#endif
    info->BlockSize = ZN_TEST_BLOCK;
    info->DataSize = ZN_TEST_DATA;
    info->VendorIdLength = sizeof(kVendor);
    info->VendorId = kVendor;
    info->TypeId = 0x300;
}

#ifndef ZN_TEST_NO_SETDATAPOINTER
ZN_API void SetDataPointer(CZNCONTAINER *blocks)
{
    ++g_Calls;
    ++g_SetDataPointerCalls;
    g_Container = blocks;
    g_FirstBlock = blocks && blocks->GetElementCount() ? blocks->GetElement(0) : nullptr;
}
#endif

ZN_API void SetDefaultData(void *data)
{
    ++g_Calls;
    constexpr int kTail = ZN_TEST_BLOCK > 64 ? ZN_TEST_BLOCK - 64 : 0;
    if (kTail > 0)
        std::memset(static_cast<char *>(data) + 64, 0x5A, kTail);
}

// Marks the head and the last byte of the block, so that a test sees what came after it.
ZN_API void InitializeEntity(void *data)
{
    ++g_Calls;
    ++g_InitializeCalls;
    std::memset(data, 0x11, 64);
    static_cast<unsigned char *>(data)[ZN_TEST_BLOCK - 1] = 0x33;
}

ZN_API void DestroyEntity(void *)
{
    ++g_Calls;
    ++g_DestroyCalls;
}

ZN_API void DataUpdated()
{
    ++g_Calls;
    ++g_DataUpdatedCalls;
}
}
