// The document's placements: a primitive, an overlay, an entity or a prefab put at a world point as
// one undo level, whoever asked for it.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/undo_level.h"
#include "editor/undo_record.h"
#include "scene/brush.h"
#include "scene/entity.h"
#include "scene/overlay.h"

namespace
{

// One undo level that adds the new object; committing it redraws every view.
void RecordAdded(CZNEDITORDoc *document, ZNSELECTIONTYPE type, void *object, const char *description)
{
    std::vector<ZNSELECTIONENTRY> entries(1);
    entries[0].Type = type;
    entries[0].Object = reinterpret_cast<uintptr_t>(object);
    CZNUndoLevel level(document, description);
    level.Record(ZNUNDO_ADD, entries, 0);
    level.Commit();
}

} // namespace

std::string CZNEDITORDoc::FirstFreeName(const char *base) const
{
    const std::string stem = base ? base : "";
    for (int n = 1;; ++n) {
        char number[16];
        std::snprintf(number, sizeof number, "%02i", n);
        std::string name = stem + number;
        if (!FindObjectByName(name.c_str()))
            return name;
    }
}

ZNBRUSH *CZNEDITORDoc::PlacePrimitive(PFNBUILDBRUSH build, const char *name, const D3DXVECTOR3 &point, float size)
{
    // The plug-in builds into the application's current document.
    if (!build || !name || GetEditorApp()->GetDocument() != this)
        return nullptr;
    ZNBRUSH *brush = build(point, size, size, size);
    if (!brush)
        return nullptr;
    if (!brush->Validate()) {
        DeleteBrush(brush);
        return nullptr;
    }
    brush->UpdateBoundingBox();
    brush->CalculateFaceNormals();
    brush->UpdateSharedFaceInfo();
    brush->CalculateVertexNormals(1);

    const std::string free = FirstFreeName(name);
    delete[] brush->m_Name;
    brush->m_Name = new char[free.size() + 1];
    std::strcpy(brush->m_Name, free.c_str());
    RecordAdded(this, ZNSELECT_BRUSH, brush, "Add Primitive");
    return brush;
}

CZNOverlay *CZNEDITORDoc::PlaceOverlay(const D3DXVECTOR3 &point)
{
    CZNOverlay *overlay = NewOverlay(point);
    if (!overlay)
        return nullptr;
    // The face flag first, so that a build started by auto rebuild gives its faces that flag.
    const CZNOverlay *defaults = GetEditorApp()->GetDefaultOverlay();
    overlay->SetFaceFlag(defaults->GetFaceFlag());
    overlay->SetAutoRebuildFlag(defaults->GetAutoRebuildFlag());
    const std::string name = FirstFreeName("Overlay");
    overlay->m_Name = new char[name.size() + 1];
    std::strcpy(overlay->m_Name, name.c_str());
    RecordAdded(this, ZNSELECT_OVERLAY, overlay, "Add Overlay");
    return overlay;
}

CZNEntity *CZNEDITORDoc::PlaceEntity(int pluginIndex, const D3DXVECTOR3 &point)
{
    CZNEntity *entity = NewEntity(pluginIndex, point.x, point.y, point.z);
    if (entity)
        RecordAdded(this, ZNSELECT_ENTITY, entity, "Add Entity");
    return entity;
}

int CZNEDITORDoc::PlacePrefab(const char *path, const D3DXVECTOR3 &point)
{
    if (!path)
        return 0;
    // The import writes its own undo level and reports its own failures.
    const int placed = ImportScene(path, &point, TRUE);
    RedrawAllViews(nullptr, 0);
    return placed;
}
