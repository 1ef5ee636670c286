#pragma once

// CZNEntity: a typed scene object whose data block belongs to the entity plug-in its type
// names (the plug-in's index in the entity plug-in manager). The entity owns its data block, its
// saved head and its name. Its first 64 bytes are the entity's world matrix (the head: rows
// right, up, direction, position); the rest is the plug-in's. The destructor tells the plug-in
// (DestroyEntity, once) and takes the block out of the plug-in's data container before the block
// is freed, then gives up its Direct3D light. A type that names no loaded plug-in, or a plug-in
// without an export, skips the plug-in's part of a call. A missing block (or one below 64 bytes)
// is tolerated everywhere: nothing is drawn or picked, the position is the origin, transforms do
// nothing. The editor never writes a fog entity's head: its plug-in keeps its fog values there.
#include <cstdint>

#include "platform/d3d9/d3d9_types.h"
#include "platform/export.h"
#include "platform/gdi/gdi_types.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/win_types.h"
#include "scene/bbox.h"

class CZN2DView;
class CZN3D;
class CZNGROUP;
struct ENTITYPLUGINRECORD;
struct OVERRIDEDATA;
struct PICK3DINFO;
struct RENDERINFO2D;

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
    // The bytes the block really holds (at least the plug-in's block size, the head included).
    DWORD GetBlockSize() const { return m_BlockSize; }
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
    bool IsHidden() const { return (m_Flags & 1u) != 0; }

    // The saved head of a drag (entity_transform.cpp). SaveData copies the first 64 bytes (a
    // zeroed copy without a block); RestoreSavedData copies them back when both exist.
    void SaveData();
    bool HasSavedData() const { return m_SavedHead != nullptr; }
    void RestoreSavedData();
    void FreeSavedData();
    // Transforms of the head. With fromSaved non-zero the saved head is restored first (or taken
    // when there is none), so a drag passes the total since it began. Nothing without a block,
    // and nothing for a fog entity.
    void Move(const D3DXVECTOR3 *delta, int fromSaved);
    // Degrees about x, then y, then z, about centre (the position when null).
    void Rotate(float xDegrees, float yDegrees, float zDegrees, const D3DXVECTOR3 *centre, int fromSaved);
    // Refits the head from oldBox to newBox: a side counts as moved beyond 0.01. An axis whose
    // old extent is 0.01 or less is not divided: the position follows the side that moved.
    void Scale(const ZNBBOX *newBox, const ZNBBOX *oldBox, int fromSaved);
    // Takes the entity out of its group and clears its group; a root group left empty is deleted.
    void FreeFromParent();

    // The plug-in's box when positionOnly is not 1 and it fills one, else the point box at the
    // position (entity_plugin.cpp).
    ZNBBOX GetBounds(int positionOnly, void *context) const;
    // The plug-in's ray test with a copy of info; a strictly nearer hit is written into info
    // (object, face, point, distance) and gives 1. Hidden entities and plug-ins without the test
    // give 0.
    int Pick3D(const D3DXVECTOR3 *origin, const D3DXVECTOR3 *direction, float length, PICK3DINFO *info, int mode,
               int flag);
    // The plug-in's vendor "Tovra" (5 bytes, case counts) with type id 514 (B) or 516 (C, fog).
    int IsBuiltInKindB() const;
    int IsBuiltInKindC() const;
    // A light: the plug-in's type id is 0x10, whatever its vendor.
    bool IsLightEntity() const;

    // Drawing and picking in the views (entity_draw.cpp). over may be null: the entity's own
    // hidden and selected state count; with it, word 6 = 1 skips, word 7 is the selected state and
    // word 26 = 0 leaves only the plug-in's drawing.
    void Draw2D(CZN2DView *view, CDC *dc, OVERRIDEDATA *over);
    void Draw3D(CZN3D *d3d, int selectedPass, OVERRIDEDATA *over);
    // 1 when (x, y) lies strictly within 6 pixels of the projected position on both axes.
    int HitTest2D(CZN2DView *view, int x, int y) const;

    // Lights and fog (entity_light.cpp). ApplyLight creates, updates or (enable 0) removes the
    // light of a light entity; an ambient kind sets the wrapper's ambient colour instead; an
    // unknown kind adds no light, removes any held, and is reported once until it is valid again.
    void ApplyLight(int enable);
    // The device's fog states from a fog entity's fields.
    void ApplyFog();
    // A light entity of the ambient kind gives its ambient colour: each component × 255, held
    // within 0..255, alpha highest. False for every other entity.
    bool GetAmbientColour(D3DCOLOR *colour) const;

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
    // Takes the block out of the plug-in's data container before it is freed.
    void LeavePluginContainer();
    // The plug-in's record; null when the type names none.
    ENTITYPLUGINRECORD *PluginRecord() const;
    // The plug-in's Render2D and Render3D, when it has them and its info asks for them.
    void CallRender2D(RENDERINFO2D *info, OVERRIDEDATA *over);
    void CallRender3D(OVERRIDEDATA *over);
    // The head as a matrix (false without a block of at least 64 bytes).
    bool ReadHead(D3DXMATRIX *head) const;
    void WriteHead(const D3DXMATRIX &head);
    // The from-saved rule of the transforms.
    void BeginDragStep(int fromSaved);
    DWORD m_BlockSize = 0;
    BYTE m_LightErrorShown = 0; // "Light Error: Unkown Type" was reported since the kind was valid
};
