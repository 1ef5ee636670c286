// Placing the selection on the surface under the cursor in the 3D view: "Place Objects" moves
// the selection so that its placement origin lands on the nearest unselected brush or entity
// hit by the pick ray; "Reference Create && Place" makes a reference entity of every selected
// object where the object would land.
#include <algorithm>
#include <cfloat>
#include <cstring>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/band_entry_objects.h"
#include "editor/doc_shell.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_level.h"
#include "editor/undo_record.h"
#include "render/view/3d_view.h"
#include "scene/entity.h"
#include "scene/entity_plugin_table.h"
#include "scene/group.h"
#include "sdk/pick3d_info.h"

namespace
{

constexpr float kPickLength = 1e8f;
constexpr uint16_t kReferenceTypeId = 0x203;
constexpr uint8_t kReferenceVendor[] = {'T', 'O', 'V', 'R', 'A'};
// Where the reference's block keeps what it shows.
constexpr DWORD kPositionOffset = 48;
constexpr DWORD kWordOffset = 64;
constexpr DWORD kNameOffset = 84;
// The object's name passes through a buffer of 256 bytes.
constexpr size_t kNameLimit = 255;

PICK3DINFO EmptyPick()
{
    PICK3DINFO pick = {};
    pick.Distance = FLT_MAX;
    return pick;
}

bool IsHit(const PICK3DINFO &pick)
{
    return pick.Distance < FLT_MAX;
}

// The nearest surface of an unselected brush or entity under the client pixel. False when
// nothing is hit, or when a brush and an entity are hit at exactly the same distance.
bool FindSurfaceHit(CZNEDITORDoc *doc, CZN3DView *view, int x, int y, D3DXVECTOR3 *point)
{
    D3DXVECTOR3 origin, direction;
    if (!view || !view->GetPickRay(x, y, &origin, &direction))
        return false;
    // "Ignore Back Faces" of the options panel.
    const int backFaces = GetEditorApp()->Options().m_PlaceOnSurfaces;
    PICK3DINFO brushHit = EmptyPick();
    for (ZNBRUSH *brush = doc->GetBrushList(); brush; brush = brush->m_Next)
        if (!brush->IsBrushSelected())
            brush->Pick3D(&origin, &direction, kPickLength, &brushHit, backFaces, nullptr);
    PICK3DINFO entityHit = EmptyPick();
    for (CZNEntity *entity = doc->GetEntityList(); entity; entity = entity->m_Next)
        if (!entity->IsSelected())
            entity->Pick3D(&origin, &direction, kPickLength, &entityHit, backFaces, 0);

    if (IsHit(brushHit) && IsHit(entityHit)) {
        if (brushHit.Distance == entityHit.Distance)
            return false;
        *point = brushHit.Distance < entityHit.Distance ? brushHit.Point : entityHit.Point;
        return true;
    }
    if (IsHit(brushHit) || IsHit(entityHit)) {
        *point = IsHit(brushHit) ? brushHit.Point : entityHit.Point;
        return true;
    }
    return false;
}

// The box and name of an object a reference can show; false for anything else.
bool ReferencedObject(const ZNSELECTIONENTRY &e, ZNBBOX *box, const char **name)
{
    switch (e.Type) {
    case ZNSELECT_BRUSH:
        if (ZNBRUSH *brush = BandBrushOf(e.Object)) {
            *box = brush->GetBoundingBox(0);
            *name = brush->m_Name;
            return true;
        }
        break;
    case ZNSELECT_ENTITY:
        if (CZNEntity *entity = BandEntityOf(e.Object)) {
            *box = entity->GetBounds(0, nullptr);
            *name = entity->GetName();
            return true;
        }
        break;
    case ZNSELECT_OVERLAY:
        if (CZNOverlay *overlay = BandOverlayOf(e.Object)) {
            *box = overlay->GetBounds(0);
            *name = overlay->m_Name;
            return true;
        }
        break;
    case ZNSELECT_GROUP:
        if (CZNGROUP *group = BandObjectOf<CZNGROUP>(e.Object, ZNOBJECT_GROUP)) {
            group->GetBoundingBox(box, 0);
            *name = group->GetName();
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

// Writes the value into the block at offset when the block holds all of it.
void PutInBlock(CZNEntity *entity, DWORD offset, const void *value, size_t size)
{
    const DWORD held = entity->GetBlockSize();
    if (entity->GetData() && held >= offset && held - offset >= size)
        std::memcpy(entity->GetData() + offset, value, size);
}

// The object's name at the name offset, cut to the block and to the name buffer, terminated.
void PutNameInBlock(CZNEntity *entity, const char *name)
{
    const DWORD held = entity->GetBlockSize();
    if (!entity->GetData() || held <= kNameOffset)
        return;
    const size_t room = std::min<size_t>(held - kNameOffset - 1, kNameLimit);
    const size_t length = std::min(std::strlen(name), room);
    char *field = reinterpret_cast<char *>(entity->GetData() + kNameOffset);
    std::memcpy(field, name, length);
    field[length] = '\0';
}

// "<name>(Ref#<n>)" with the smallest n from 1 that no group, brush, entity or overlay bears.
std::string FreeReferenceName(const CZNEDITORDoc *doc, const char *name)
{
    for (int n = 1;; ++n) {
        std::string candidate = std::string(name) + "(Ref#" + std::to_string(n) + ")";
        if (!doc->FindObjectByName(candidate.c_str()))
            return candidate;
    }
}

} // namespace

bool CZNSelectionBand::IsPlaceArmed() const
{
    return HasSelection() && m_BandMode == ZNBAND_OBJECTS;
}

void CZNSelectionBand::PlaceObjects(int x, int y, CZN3DView *view)
{
    CZNEDITORDoc *doc = GetEditorApp()->GetDocument();
    D3DXVECTOR3 hit;
    if (!doc || !IsPlaceArmed() || !FindSurfaceHit(doc, view, x, y, &hit))
        return;
    m_MoveTotal = hit - m_PlacementOrigin;
    // The move record, then the overlays' record of the move as one step: one Undo takes the
    // placement back.
    SetFirstStep(1);
    DragLevel().RecordSelection(ZNUNDO_MOVE, 0, "Place Objects");
    SetRecordViewlessMove(1);
    Move(nullptr, &m_MoveTotal);
    SetRecordViewlessMove(0);
    // Self-building overlays follow the brushes, as after a drag.
    doc->RebuildDirtyOverlays();
    doc->SetModifiedFlag(TRUE);
    CommitDragLevel();
}

void CZNSelectionBand::CreateReference(int x, int y, CZN3DView *view)
{
    CZNEDITORDoc *doc = GetEditorApp()->GetDocument();
    if (!doc || !IsPlaceArmed())
        return;
    CZNEntityPluginTable *plugins = CZNEntityPluginTable::GetLoaded();
    const int type = plugins ? plugins->FindPlugin(kReferenceTypeId, kReferenceVendor, sizeof(kReferenceVendor)) : -1;
    D3DXVECTOR3 hit;
    if (type < 0 || !FindSurfaceHit(doc, view, x, y, &hit))
        return;
    const D3DXVECTOR3 offset = hit - m_PlacementOrigin;

    std::vector<ZNSELECTIONENTRY> objects;
    GetEntries(objects);
    CollapseToTopGroups(objects);
    std::vector<ZNSELECTIONENTRY> made;
    for (const ZNSELECTIONENTRY &e : objects) {
        ZNBBOX box;
        const char *name = nullptr;
        if (!ReferencedObject(e, &box, &name) || !name || !*name)
            continue;
        const D3DXVECTOR3 position = (box.Min + box.Max) * 0.5f + offset;
        CZNEntity *reference = doc->NewEntity(type, position.x, position.y, position.z);
        if (!reference)
            continue;
        PutInBlock(reference, kPositionOffset, &position, sizeof(position));
        const int32_t zero = 0;
        PutInBlock(reference, kWordOffset, &zero, sizeof(zero));
        PutNameInBlock(reference, name);
        reference->SetName(FreeReferenceName(doc, name).c_str());
        ZNSELECTIONENTRY entry;
        entry.Type = ZNSELECT_ENTITY;
        entry.Object = reinterpret_cast<uintptr_t>(reference);
        made.push_back(entry);
    }
    CZNUndoLevel level(doc, "Reference Create && Place");
    level.Record(ZNUNDO_ADD, made, 0);
    if (IZNDocShell *shell = doc->GetShell()) {
        shell->RefreshActivePage();
        shell->RebuildSceneTree();
    }
    doc->SetModifiedFlag(TRUE);
    level.Commit();
}
