#include "scene/entity_plugin_table.h"

#include <cstring>

namespace
{
CZNEntityPluginTable *g_Loaded = nullptr;
} // namespace

CZNEntityPluginTable::CZNEntityPluginTable() : m_PluginCount(0) {}

CZNEntityPluginTable::~CZNEntityPluginTable()
{
    if (g_Loaded == this)
        g_Loaded = nullptr;
}

void CZNEntityPluginTable::SetLoaded(CZNEntityPluginTable *table)
{
    g_Loaded = table;
}

CZNEntityPluginTable *CZNEntityPluginTable::GetLoaded()
{
    return g_Loaded;
}

int CZNEntityPluginTable::FindPlugin(uint16_t typeId, const uint8_t *vendorId, uint8_t vendorIdLength) const
{
    for (int i = 0; i < m_PluginCount; ++i) {
        const ENTITYPLUGININFO &info = m_Records[i].Info;
        if (info.TypeId != typeId || info.VendorIdLength != vendorIdLength)
            continue;
        if (vendorIdLength == 0)
            return i;
        if (!info.VendorId || !vendorId) {
            if (!info.VendorId && !vendorId)
                return i;
            continue;
        }
        if (std::memcmp(info.VendorId, vendorId, vendorIdLength) == 0)
            return i;
    }
    return -1;
}

ENTITYPLUGINRECORD *CZNEntityPluginTable::GetPlugin(int index)
{
    return index >= 0 && index < m_PluginCount ? &m_Records[index] : nullptr;
}
