#pragma once

// CZNEntity: a typed scene object whose data block belongs to the entity plug-in its type
// names (the plug-in's index in the entity plug-in manager). The entity owns its data block, its
// saved head and its name. Its first 64 bytes are the entity's world matrix; the rest is the
// plug-in's. The destructor tells the plug-in (DestroyEntity) before the block is freed; a type
// that names no loaded plug-in, or a plug-in without that export, is simply not told.
#include <cstdint>

#include "platform/export.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/win_types.h"

class CZNGROUP;

class ZN_API CZNEntity
{
public:
    CZNEntity();
    ~CZNEntity();
    CZNEntity(const CZNEntity &) = delete;
    CZNEntity &operator=(const CZNEntity &) = delete;

    int32_t GetType() const { return m_Type; }
    // Negative values are stored as 0.
    void SetType(int32_t type) { m_Type = type < 0 ? 0 : type; }
    // Leaves the plug-in without telling it: the entity no longer names any plug-in (type -1).
    // The plug-in manager does this to its templates before it unloads.
    void DetachFromPlugin() { m_Type = -1; }
    // A zero-filled block of size bytes, owned by the entity; a block already present is freed.
    // Null when it cannot be allocated (the old block is then kept).
    BYTE *AllocData(DWORD size);
    // Frees the block without telling the plug-in.
    void FreeData();
    BYTE *GetData() const { return m_Data; }
    DWORD GetDataSize() const { return m_DataSize; }
    void SetDataSize(DWORD size) { m_DataSize = size; }
    bool IsSelected() const { return m_Selected != 0; }
    void SetSelected(int selected) { m_Selected = selected ? 1 : 0; }
    CZNGROUP *GetGroup() const { return m_Group; }
    void SetGroup(CZNGROUP *group) { m_Group = group; }
    int32_t GetLightIndex() const { return m_LightIndex; }
    void SetLightIndex(int32_t index) { m_LightIndex = index; }
    // Row 3 of the head; the origin without a block of at least 64 bytes.
    void GetPosition(D3DXVECTOR3 *position) const;
    const char *GetName() const { return m_Name; }
    // Takes a copy of name; null clears it.
    void SetName(const char *name);

    // Fields, in the order of the record.
    BYTE m_ObjectType; // ZNOBJECT_ENTITY
    CZNEntity *m_Next; // the document's entity list; null when unlinked
    DWORD m_Flags;     // bit 0 hidden
    int32_t m_Type;    // plug-in index; -1 for none
    DWORD m_DataSize;
    BYTE *m_Data;
    CZNGROUP *m_Group;
    BYTE *m_SavedHead; // copy of the first 64 bytes while a transform is dragged; null when none
    BYTE m_Selected;
    int32_t m_LightIndex; // the Direct3D light this entity owns; -1 for none
    char *m_Name;

private:
    // Calls the plug-in's DestroyEntity with the block (entity_plugin.cpp).
    void NotifyPluginDestroy();
    DWORD m_BlockSize = 0;
};
