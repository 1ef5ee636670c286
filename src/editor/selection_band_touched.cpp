// The steps that the face and vertex transforms of the selection band share: the undo record
// of the touched brushes and overlays, the snapshot of each drag step and the derived data after.
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_level.h"
#include "scene/brush.h"
#include "scene/object_type.h"
#include "scene/overlay.h"

namespace
{

ZNBRUSH *AsBrush(void *object)
{
    return object && GetObjectType(object) == ZNOBJECT_BRUSH ? static_cast<ZNBRUSH *>(object) : nullptr;
}

CZNOverlay *AsOverlay(void *object)
{
    return object && GetObjectType(object) == ZNOBJECT_OVERLAY ? static_cast<CZNOverlay *>(object) : nullptr;
}

} // namespace

void CZNSelectionBand::WriteEntriesUndo(DWORD type, const char *description)
{
    if (m_FirstStep)
        DragLevel().RecordSelection(type, 0, description);
}

void CZNSelectionBand::WriteTouchedUndo(DWORD type, const char *description)
{
    if (!m_FirstStep)
        return;
    std::vector<ZNSELECTIONENTRY> entries;
    for (void *object : m_Touched) {
        if (!AsBrush(object) && !AsOverlay(object))
            continue;
        ZNSELECTIONENTRY e;
        e.Type = MapObjectTypeToCategory(GetObjectType(object));
        e.Object = reinterpret_cast<uintptr_t>(object);
        entries.push_back(e);
    }
    DragLevel().Record(type, entries, 0, description);
}

void CZNSelectionBand::RestoreTouched(DWORD brushPart, DWORD overlayMode)
{
    for (void *object : m_Touched) {
        if (ZNBRUSH *brush = AsBrush(object)) {
            if (brush->IsCached())
                brush->RestoreFromCache(brushPart);
            else
                brush->Cache(ZNCACHE_FULL);
        } else if (CZNOverlay *overlay = AsOverlay(object)) {
            if (overlay->IsCached())
                overlay->RestoreFromCache(overlayMode);
            else
                overlay->Cache();
        }
    }
}

void CZNSelectionBand::FinishTouched(bool brushNormals)
{
    for (void *object : m_Touched) {
        if (ZNBRUSH *brush = AsBrush(object)) {
            if (brushNormals)
                brush->CalculateFaceNormals();
            brush->CalculateWorldTextureCoords();
            brush->CalculateFaceCenterPoints();
        } else if (CZNOverlay *overlay = AsOverlay(object)) {
            overlay->CalculateFacePlanes();
            overlay->CalculateWorldTextureCoords();
            overlay->CalculateFaceCenterPoints();
        }
    }
}
