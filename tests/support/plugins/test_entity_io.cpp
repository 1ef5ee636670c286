// An entity plug-in for the tests of the IWF entity chunk: its type id, vendor id and block size
// come from the build. With ZN_TEST_SERIALISE it saves its own form: GetWriteDataSize gives the
// block's byte 64 (0: nothing is saved), GetWriteData writes that many bytes from byte 65, each
// xor 0x5A, and SetReadData undoes it and records the size it got.
#include <cstring>

#include "platform/export.h"
#include "scene/container.h"
#include "sdk/entity_plugin.h"

#ifndef ZN_TEST_TYPE
#define ZN_TEST_TYPE 0x200
#endif
#ifndef ZN_TEST_VENDOR
#define ZN_TEST_VENDOR "MakerA"
#endif
#ifndef ZN_TEST_BLOCK
#define ZN_TEST_BLOCK 128
#endif

namespace
{
const char kVendor[] = ZN_TEST_VENDOR;
}

extern "C" {

ZN_API int g_ReadCalls = 0;
ZN_API uint32_t g_LastReadSize = 0;

ZN_API uint32_t InitEntityPlugin(void *)
{
    return ZN_ENTITY_PLUGIN_VERSION;
}

ZN_API void GetEntityPluginInfo(ENTITYPLUGININFO *info)
{
    info->TypeName = "Stored";
    info->BlockSize = ZN_TEST_BLOCK;
    info->DataSize = ZN_TEST_BLOCK;
    info->VendorIdLength = static_cast<uint8_t>(sizeof(kVendor) - 1);
    info->VendorId = sizeof(kVendor) > 1 ? reinterpret_cast<const uint8_t *>(kVendor) : nullptr;
    info->TypeId = ZN_TEST_TYPE;
}

ZN_API void SetDataPointer(CZNCONTAINER *) {}

#ifdef ZN_TEST_SERIALISE
ZN_API uint32_t GetWriteDataSize(void *data)
{
    return static_cast<unsigned char *>(data)[64];
}

ZN_API void GetWriteData(void *data, void *buffer)
{
    const unsigned char *block = static_cast<unsigned char *>(data);
    for (unsigned i = 0; i < block[64]; ++i)
        static_cast<unsigned char *>(buffer)[i] = block[65 + i] ^ 0x5A;
}

ZN_API void SetReadData(void *data, const void *buffer, uint32_t size)
{
    ++g_ReadCalls;
    g_LastReadSize = size;
    unsigned char *block = static_cast<unsigned char *>(data);
    const uint32_t fits = size < ZN_TEST_BLOCK - 65 ? size : ZN_TEST_BLOCK - 65;
    block[64] = static_cast<unsigned char>(fits);
    for (uint32_t i = 0; i < fits; ++i)
        block[65 + i] = static_cast<const unsigned char *>(buffer)[i] ^ 0x5A;
}
#endif
}
