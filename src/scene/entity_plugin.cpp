// An entity reaches its plug-in through the loaded entity plug-in table: the calls of
// the plug-in protocol (destroy, bounds, pick, 2D and 3D drawing) and the kinds the editor
// recognises by the plug-in's type and vendor ids.
#include <cstring>

#include "scene/entity.h"
#include "scene/entity_plugin_table.h"
#include "sdk/pick3d_info.h"

namespace
{
constexpr uint16_t kLightTypeId = 0x10;
constexpr uint16_t kBuiltInKindB = 514;
constexpr uint16_t kBuiltInKindC = 516;
const uint8_t kBuiltInVendor[5] = {'T', 'o', 'v', 'r', 'a'};

bool IsBuiltInVendor(const ENTITYPLUGININFO &info)
{
    return info.VendorIdLength == sizeof(kBuiltInVendor) && info.VendorId &&
           std::memcmp(info.VendorId, kBuiltInVendor, sizeof(kBuiltInVendor)) == 0;
}
} // namespace

ENTITYPLUGINRECORD *CZNEntity::PluginRecord() const
{
    if (m_Type < 0)
        return nullptr;
    CZNEntityPluginTable *plugins = CZNEntityPluginTable::GetLoaded();
    return plugins ? plugins->GetPlugin(m_Type) : nullptr;
}

void CZNEntity::NotifyPluginDestroy()
{
    ENTITYPLUGINRECORD *record = PluginRecord();
    if (record && record->DestroyEntity)
        record->DestroyEntity(m_Data);
}

void CZNEntity::LeavePluginContainer()
{
    ENTITYPLUGINRECORD *record = PluginRecord();
    if (!record || !m_Data)
        return;
    for (DWORD count = record->DataContainer.GetElementCount();;) {
        record->DataContainer.RemoveElement(m_Data);
        const DWORD after = record->DataContainer.GetElementCount();
        if (after == count)
            break;
        count = after;
    }
}

ZNBBOX CZNEntity::GetBounds(int positionOnly, void *context) const
{
    ZNBBOX box;
    if (positionOnly != 1 && m_Data && m_BlockSize >= 64) {
        ENTITYPLUGINRECORD *record = PluginRecord();
        if (record && record->GetEntityBounds && record->GetEntityBounds(m_Data, &box, context) != 0)
            return box;
    }
    GetPosition(&box.Min);
    box.Max = box.Min;
    return box;
}

int CZNEntity::Pick3D(const D3DXVECTOR3 *origin, const D3DXVECTOR3 *direction, float length, PICK3DINFO *info, int mode,
                      int flag)
{
    if (IsHidden() || !info || !m_Data || m_BlockSize < 64)
        return 0;
    ENTITYPLUGINRECORD *record = PluginRecord();
    if (!record || !record->PickEntity3D)
        return 0;
    PICK3DINFO copy = *info;
    if (record->PickEntity3D(m_Data, origin, direction, length, &copy, mode, flag) == 0 ||
        !(copy.Distance < info->Distance))
        return 0;
    info->Object = this;
    info->Face = copy.Face;
    info->Point = copy.Point;
    info->Distance = copy.Distance;
    return 1;
}

int CZNEntity::IsBuiltInKindB() const
{
    const ENTITYPLUGINRECORD *record = PluginRecord();
    return record && record->Info.TypeId == kBuiltInKindB && IsBuiltInVendor(record->Info) ? 1 : 0;
}

int CZNEntity::IsBuiltInKindC() const
{
    const ENTITYPLUGINRECORD *record = PluginRecord();
    return record && record->Info.TypeId == kBuiltInKindC && IsBuiltInVendor(record->Info) ? 1 : 0;
}

bool CZNEntity::IsLightEntity() const
{
    const ENTITYPLUGINRECORD *record = PluginRecord();
    return record && record->Info.TypeId == kLightTypeId;
}

void CZNEntity::CallRender2D(RENDERINFO2D *info, OVERRIDEDATA *over)
{
    ENTITYPLUGINRECORD *record = PluginRecord();
    if (record && record->Render2D && (record->Info.Flags2D & ZN_ENTITY_DRAWS_2D) && m_Data)
        record->Render2D(m_Data, info, over);
}

void CZNEntity::CallRender3D(OVERRIDEDATA *over)
{
    ENTITYPLUGINRECORD *record = PluginRecord();
    if (record && record->Render3D && (record->Info.Flags3D & ZN_ENTITY_DRAWS_3D) && m_Data)
        record->Render3D(m_Data, nullptr, over);
}
