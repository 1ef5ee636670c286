#pragma once

// CZNEntityPluginTable: the loaded entity plug-ins in load order, at most kMaxPlugins of them, as
// entities, the scene files and the editor look them up. The plug-in manager of the application
// fills it; the application hands its table to the scene once at start-up with SetLoaded.
#include <cstdint>

#include "platform/export.h"
#include "scene/entity_plugin_record.h"

class ZN_API CZNEntityPluginTable
{
public:
    static constexpr int kMaxPlugins = 100;

    CZNEntityPluginTable();
    ~CZNEntityPluginTable();
    CZNEntityPluginTable(const CZNEntityPluginTable &) = delete;
    CZNEntityPluginTable &operator=(const CZNEntityPluginTable &) = delete;

    // The first plug-in in load order with this type id and vendor id. Ids of length 0 match
    // whatever their pointers; otherwise two null ids match, a null and a non-null id never do,
    // and the bytes are compared over the length. -1 when none matches.
    int FindPlugin(uint16_t typeId, const uint8_t *vendorId, uint8_t vendorIdLength) const;
    int GetPluginCount() const { return m_PluginCount; }
    // Null when index is not in [0, count).
    ENTITYPLUGINRECORD *GetPlugin(int index);

    // The table entities and files reach their plug-ins through; null until one is handed over,
    // and again once that table is destroyed.
    static void SetLoaded(CZNEntityPluginTable *table);
    static CZNEntityPluginTable *GetLoaded();

protected:
    ENTITYPLUGINRECORD m_Records[kMaxPlugins];
    int m_PluginCount;
};
