// The reference entity (type 0x203, vendor "TOVRA"): shows another scene object, named in its
// block, at the entity's place. Drawing, bounds and picking go through the host's object calls
// with the entity's head as the matrix and an override naming the entity's own block, so that a
// reference never reaches itself again through a group. Its control edits the referenced name of
// every block handed to it.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "common/control_rows.h"
#include "platform/export.h"
#include "scene/container.h"
#include "sdk/entity_plugin.h"
#include "sdk/host_api.h"

namespace
{

struct REFERENCEDATA {
    D3DXMATRIX Head;      // 0
    uint8_t Reserved[20]; // 64
    char Name[256];       // 84: the referenced object, terminated
};
static_assert(sizeof(REFERENCEDATA) == 340, "the reference block is 340 bytes");
static_assert(offsetof(REFERENCEDATA, Name) == 84, "the name starts at byte 84");

const uint8_t kVendor[] = {'T', 'O', 'V', 'R', 'A'};
CZNCONTAINER *g_Blocks = nullptr;

constexpr WORD kNameId = 1;
QPointer<QLineEdit> g_Name;

// The referenced name, or null when the block names nothing.
const char *ReferencedName(void *data, REFERENCEDATA **block)
{
    if (!data)
        return nullptr;
    *block = static_cast<REFERENCEDATA *>(data);
    (*block)->Name[sizeof((*block)->Name) - 1] = '\0';
    return (*block)->Name[0] ? (*block)->Name : nullptr;
}

OVERRIDEDATA OwnOverride(void *data)
{
    OVERRIDEDATA over{};
    over.Kind = 1;
    over.EntityData = data;
    over.DrawOwnSymbol = 1;
    return over;
}

} // namespace

extern "C" {

ZN_API uint32_t InitEntityPlugin(void *)
{
    return ZN_ENTITY_PLUGIN_VERSION;
}

ZN_API void GetEntityPluginInfo(ENTITYPLUGININFO *info)
{
    info->Flags2D = ZN_ENTITY_DRAWS_2D;
    info->Flags3D = ZN_ENTITY_DRAWS_3D;
    info->BlockSize = sizeof(REFERENCEDATA);
    info->DataSize = sizeof(REFERENCEDATA);
    info->TypeName = "Reference";
    info->VendorIdLength = sizeof(kVendor);
    info->VendorId = kVendor;
    info->TypeId = 0x203;
    info->Bitmap = "Reference";
    info->Description = "Shows another object of the scene, by name, at this place.";
}

ZN_API void SetDataPointer(CZNCONTAINER *blocks)
{
    g_Blocks = blocks;
}

ZN_API void SetDefaultData(void *data)
{
    REFERENCEDATA block{};
    D3DXMatrixIdentity(&block.Head);
    std::memcpy(data, &block, sizeof(block));
}

ZN_API void Render3D(void *data, void *, OVERRIDEDATA *)
{
    REFERENCEDATA *block;
    const char *name = ReferencedName(data, &block);
    if (!name)
        return;
    OVERRIDEDATA over = OwnOverride(data);
    TOVRA_DrawObject3D(name, &block->Head, &over);
}

ZN_API void Render2D(void *data, RENDERINFO2D *info, OVERRIDEDATA *)
{
    REFERENCEDATA *block;
    const char *name = ReferencedName(data, &block);
    if (!name || !info)
        return;
    OVERRIDEDATA over = OwnOverride(data);
    TOVRA_DrawObject2D(name, info, &block->Head, &over);
}

ZN_API int32_t GetEntityBounds(void *data, ZNBBOX *box, void *)
{
    REFERENCEDATA *block;
    const char *name = ReferencedName(data, &block);
    if (!name || !box)
        return 0;
    OVERRIDEDATA over = OwnOverride(data);
    return TOVRA_GetObjectBounds(name, box, &block->Head, &over) ? 1 : 0;
}

ZN_API int32_t PickEntity3D(void *data, const D3DXVECTOR3 *origin, const D3DXVECTOR3 *direction, float maxDistance,
                            PICK3DINFO *pick, int32_t, int32_t)
{
    REFERENCEDATA *block;
    const char *name = ReferencedName(data, &block);
    if (!name || !origin || !direction || !pick)
        return 0;
    OVERRIDEDATA over = OwnOverride(data);
    float distance = 0.0f;
    D3DXVECTOR3 hit;
    if (!TOVRA_IntersectObject(name, &block->Head, origin, direction, &distance, &hit, &over))
        return 0;
    if (distance > maxDistance || distance >= pick->Distance)
        return 0;
    pick->Distance = distance;
    pick->Point = hit;
    return 1;
}
}

extern "C" {

ZN_API int32_t CreateControls(QWidget *host, void *, CZNFont *)
{
    zn_controls::CZNControlRows rows(host);
    g_Name = rows.Edit("Object", kNameId);
    g_Name->setMaxLength(static_cast<int>(sizeof(REFERENCEDATA::Name)) - 1);
    return rows.Height();
}

ZN_API void DestroyControls()
{
    zn_controls::Destroy(g_Name);
}

// The control shows the first block's name.
ZN_API void DataUpdated()
{
    if (!g_Blocks || g_Blocks->GetElementCount() == 0)
        return;
    REFERENCEDATA *block = static_cast<REFERENCEDATA *>(g_Blocks->GetElement(0));
    block->Name[sizeof(block->Name) - 1] = '\0';
    zn_controls::Fill(g_Name, [&](QLineEdit *e) { e->setText(QString::fromLatin1(block->Name)); });
}

// The typed name goes into every block (Latin-1, at most 255 bytes), and the views are redrawn.
ZN_API int32_t Command(WPARAM wParam, LPARAM, int32_t *redraw)
{
    if (LOWORD(static_cast<DWORD>(wParam)) != kNameId || !g_Name || !g_Blocks)
        return 0;
    const QByteArray name = g_Name->text().toLatin1();
    const size_t length = std::min(static_cast<size_t>(name.size()), sizeof(REFERENCEDATA::Name) - 1);
    for (DWORD i = 0; i < g_Blocks->GetElementCount(); ++i) {
        auto *block = static_cast<REFERENCEDATA *>(g_Blocks->GetElement(i));
        if (!block)
            continue;
        std::memcpy(block->Name, name.constData(), length);
        block->Name[length] = '\0';
    }
    if (redraw)
        *redraw = 1;
    return 1;
}
}
