// A primitive plug-in for the tests: named "Prism", builds an empty brush, with
// one fault switched on by the build.
#include "platform/export.h"
#include "sdk/host_api.h"
#include "sdk/primitive_plugin.h"

#ifndef ZN_TEST_VERSION
#define ZN_TEST_VERSION ZN_PRIMITIVE_PLUGIN_VERSION
#endif

#ifdef ZN_TEST_MISSING_HOST
extern "C" void TOVRA_NoSuchFunction();
#endif

extern "C" {

ZN_API int g_BuildCalls = 0;

ZN_API uint32_t InitPrimitivePlugin()
{
#ifdef ZN_TEST_MISSING_HOST
    TOVRA_NoSuchFunction();
#endif
    return ZN_TEST_VERSION;
}

ZN_API void GetPrimitivePluginInfo(PRIMITIVEPLUGININFO *info)
{
#ifdef ZN_TEST_NULL_NAME
    info->Name = nullptr;
#else
    info->Name = "Prism";
#endif
    info->Bitmap = nullptr;
    info->Description = "test";
}

#ifndef ZN_TEST_NO_BUILDBRUSH
ZN_API ZNBRUSH *BuildBrush(D3DXVECTOR3, float, float, float)
{
    ++g_BuildCalls;
#ifdef ZN_TEST_NULL_BRUSH
    return nullptr;
#else
    return AllocNewBrush();
#endif
}
#endif
}
