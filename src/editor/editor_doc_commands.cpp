// The document's view commands: hide and unhide, the weld of the selected brushes, the scene
// and selection statistics, and their enable rules.
#include <cmath>
#include <cstdio>
#include <vector>

#include "app/editor_app.h"
#include "editor/doc_shell.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_level.h"
#include "editor/undo_record.h"
#include "platform/os/command_ids.h"
#include "render/view/2d_view.h"
#include "render/view/3d_view.h"
#include "scene/bbox.h"
#include "scene/brush.h"
#include "scene/entity.h"
#include "scene/face.h"
#include "scene/overlay.h"
#include "scene/selection_entry.h"

namespace
{

constexpr const char *kCaption = "TOVRA";

enum HideScope { kAll, kSelected, kDeselected };

// Within 0.01 on every axis, exclusive.
bool Near(const ZNVERTEX &a, const ZNVERTEX &b)
{
    return std::fabs(a.x - b.x) < 0.01f && std::fabs(a.y - b.y) < 0.01f && std::fabs(a.z - b.z) < 0.01f;
}

// Sets or clears the hidden bit of a brush, an entity or an overlay entry; other entries are
// skipped.
void SetHidden(const ZNSELECTIONENTRY &e, bool hide)
{
    DWORD *flags = nullptr;
    DWORD bit = 0;
    if (e.Type == ZNSELECT_BRUSH) {
        flags = &reinterpret_cast<ZNBRUSH *>(e.Object)->m_Flags;
        bit = ZNBRUSH_HIDDEN;
    } else if (e.Type == ZNSELECT_ENTITY) {
        flags = &reinterpret_cast<CZNEntity *>(e.Object)->m_Flags;
        bit = 1;
    } else if (e.Type == ZNSELECT_OVERLAY) {
        flags = &reinterpret_cast<CZNOverlay *>(e.Object)->m_Flags;
        bit = ZNOVERLAY_HIDDEN;
    }
    if (!flags)
        return;
    if (hide)
        *flags |= bit;
    else
        *flags &= ~bit;
}

template <typename T> ZNSELECTIONENTRY EntryOf(T *object)
{
    ZNSELECTIONENTRY e;
    e.Type = MapObjectTypeToCategory(object->m_ObjectType);
    e.Object = reinterpret_cast<uintptr_t>(object);
    return e;
}

// Vertex snapping, duplicate and degenerate face removal, then the derived data.
void Weld(ZNBRUSH *brush)
{
    brush->RemoveTJunctions();
    const DWORD faces = brush->GetFaceCount();
    for (DWORD a = 0; a < faces; ++a) {
        ZNFACE *fa = brush->GetFace(a);
        for (short i = 0; i < fa->GetVertexCount(); ++i) {
            const ZNVERTEX &va = fa->GetVertices()[i];
            for (DWORD b = 0; b < faces; ++b) {
                if (b == a)
                    continue;
                ZNFACE *fb = brush->GetFace(b);
                for (short j = 0; j < fb->GetVertexCount(); ++j) {
                    ZNVERTEX &vb = fb->GetVertices()[j];
                    if (Near(va, vb)) {
                        vb.x = va.x;
                        vb.y = va.y;
                        vb.z = va.z;
                    }
                }
            }
        }
    }
    for (DWORD f = 0; f < brush->GetFaceCount(); ++f) {
        ZNFACE *face = brush->GetFace(f);
        for (short i = 0; i < face->GetVertexCount();) {
            bool duplicate = false;
            for (short j = 0; j < face->GetVertexCount() && !duplicate; ++j)
                duplicate = j != i && Near(face->GetVertices()[i], face->GetVertices()[j]);
            if (duplicate && face->DeleteVertex(i))
                continue; // the next vertex has moved into this place
            ++i;
        }
    }
    for (DWORD f = 0; f < brush->GetFaceCount();) {
        ZNFACE *face = brush->GetFace(f);
        if ((face->GetVertexCount() < 3 || face->CalculateArea() <= 0.01f) && brush->DeleteFace(face))
            continue;
        ++f;
    }
    brush->UpdateSharedFaceInfo();
    brush->UpdateBoundingBox();
    brush->CalculateFaceCenterPoints();
    brush->CalculateFaceNormals();
    brush->CalculateVertexNormals(1);
    brush->CalculateWorldTextureCoords();
    // Faces that gained or lost corners dropped their triangle lists; drawing, saving and a later
    // undo all expect one.
    brush->BuildTriIndices();
}

struct Statistics {
    int brushes = 0, faces = 0, vertices = 0;
    int overlays = 0, surfaces = 0, overlayVertices = 0;
    int entities = 0;
    uint64_t entityBytes = 0;
    void Add(ZNBRUSH *brush)
    {
        ++brushes;
        faces += static_cast<int>(brush->GetFaceCount());
        for (DWORD i = 0; i < brush->GetFaceCount(); ++i)
            vertices += brush->GetFace(i)->GetVertexCount();
    }
    void Add(const CZNOverlay *overlay)
    {
        ++overlays;
        surfaces += static_cast<int>(overlay->GetFaceCount());
        for (DWORD i = 0; i < overlay->GetFaceCount(); ++i)
            overlayVertices += overlay->GetFace(i)->GetVertexCount();
    }
    void Add(const CZNEntity *entity)
    {
        ++entities;
        entityBytes += entity->GetDataSize();
    }
    // A brush, overlay or entity entry; other entries are not counted.
    void Add(const ZNSELECTIONENTRY &e)
    {
        if (!e.Object)
            return;
        if (e.Type == ZNSELECT_BRUSH)
            Add(reinterpret_cast<ZNBRUSH *>(e.Object));
        else if (e.Type == ZNSELECT_OVERLAY)
            Add(reinterpret_cast<const CZNOverlay *>(e.Object));
        else if (e.Type == ZNSELECT_ENTITY)
            Add(reinterpret_cast<const CZNEntity *>(e.Object));
    }
};

void ShowStatistics(const char *format, const Statistics &s)
{
    char text[1024];
    std::snprintf(text, sizeof(text), format, s.brushes, s.faces, s.vertices, s.overlays, s.surfaces, s.overlayVertices,
                  s.entities, static_cast<int>(s.entityBytes >> 10));
    GetEditorApp()->GetReporter()->Message(text, kCaption, MB_ICONINFORMATION);
}

} // namespace

void CZNEDITORDoc::Hide(int which, bool hide)
{
    CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
    const char *description = hide ? "Hide Object(s)" : "Unhide Object(s)";
    std::vector<ZNSELECTIONENTRY> targets;
    CZNUndoLevel level(this, description);
    if (which == kSelected) {
        level.RecordSelection(ZNUNDO_FLAGS, 0);
        targets = band->Entries();
    } else {
        const bool all = which == kAll;
        for (ZNBRUSH *b : m_Brushes)
            if (all || !b->IsBrushSelected())
                targets.push_back(EntryOf(b));
        for (CZNOverlay *o = m_OverlayList; o; o = o->m_Next)
            if (all || !o->IsSelected())
                targets.push_back(EntryOf(o));
        for (CZNEntity *e = m_EntityList; e; e = e->m_Next)
            if (all || !e->IsSelected())
                targets.push_back(EntryOf(e));
        if (targets.empty())
            return;
        level.Record(ZNUNDO_FLAGS, targets, 0);
    }
    for (const ZNSELECTIONENTRY &e : targets)
        SetHidden(e, hide);
    if (m_Shell) {
        m_Shell->RebuildSceneTree();
        m_Shell->RefreshActivePage();
    }
    level.Commit();
    SetModifiedFlag(TRUE);
}

void CZNEDITORDoc::OnHideAll()
{
    Hide(kAll, true);
}

void CZNEDITORDoc::OnHideSelected()
{
    Hide(kSelected, true);
}

void CZNEDITORDoc::OnHideDeselected()
{
    Hide(kDeselected, true);
}

void CZNEDITORDoc::OnUnhideAll()
{
    Hide(kAll, false);
}

void CZNEDITORDoc::OnUnhideSelected()
{
    Hide(kSelected, false);
}

void CZNEDITORDoc::OnUnhideDeselected()
{
    Hide(kDeselected, false);
}

void CZNEDITORDoc::OnSanitizeSelectedBrushes()
{
    CZNUndoLevel level(this, "Sanitize selected objects");
    level.RecordSelection(ZNUNDO_MOVEVERTICES, 0);
    bool welded = false;
    for (const ZNSELECTIONENTRY &e : GetEditorApp()->GetSelectionBand()->Entries()) {
        if (e.Type != ZNSELECT_BRUSH || !e.Object)
            continue;
        Weld(reinterpret_cast<ZNBRUSH *>(e.Object));
        welded = true;
    }
    if (welded) {
        // The weld is an edit like any other: saved on close and shown at once.
        GetEditorApp()->GetSelectionBand()->Update();
        SetModifiedFlag(TRUE);
    }
    level.Commit();
    GetEditorApp()->GetReporter()->Message("Sanitization process completed successfully.", kCaption,
                                           MB_ICONINFORMATION);
}

void CZNEDITORDoc::OnSceneStatistics()
{
    Statistics s;
    for (ZNBRUSH *b : m_Brushes)
        s.Add(b);
    for (const CZNOverlay *o = m_OverlayList; o; o = o->m_Next)
        s.Add(o);
    for (const CZNEntity *e = m_EntityList; e; e = e->m_Next)
        s.Add(e);
    ShowStatistics("The currently loaded scene is made up of\r\nthe following items:\r\n\r\nBrushes : %i\r\nFaces : "
                   "%i\r\nVertices : %i\r\n\r\nOverlays : %i\r\nOverlay Surfaces : %i\r\nOverlay Vertices : "
                   "%i\r\n\r\nEntities : %i\r\nEntity Data Size : %ikb",
                   s);
}

void CZNEDITORDoc::OnSelectionStatistics()
{
    Statistics s;
    for (const ZNSELECTIONENTRY &e : GetEditorApp()->GetSelectionBand()->Entries())
        s.Add(e);
    ShowStatistics("The currently selected portion of the scene is made\r\nup of the following items:\r\n\r\nBrushes "
                   ": %i\r\nFaces : %i\r\nVertices : %i\r\n\r\nOverlays : %i\r\nOverlay Surfaces : %i\r\nOverlay "
                   "Vertices : %i\r\n\r\nEntities : %i\r\nEntity Data Size : %ikb",
                   s);
}

void CZNEDITORDoc::CentreOnSelection(bool zoom)
{
    const CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
    ZNBBOX box;
    box.Min = band->GetCentre() - band->GetHalfExtents();
    box.Max = band->GetCentre() + band->GetHalfExtents();
    const std::vector<CZNView *> views = m_Views;
    for (CZNView *view : views) {
        if (view->GetViewType() == ZNVIEWTYPE_3D) {
            CZN3DView::ZoomCameraToBounds(&box, zoom ? 1 : 0);
            view->RedrawForDocument(0);
        }
    }
    for (CZNView *view : views) {
        if (view->GetViewType() != ZNVIEWTYPE_3D) {
            static_cast<CZN2DView *>(view)->ZoomToBox(&box, zoom ? TRUE : FALSE);
            view->RedrawForDocument(0);
        }
    }
}

void CZNEDITORDoc::OnCentreOnSelected()
{
    CentreOnSelection(false);
}

void CZNEDITORDoc::OnZoomIntoSelected()
{
    CentreOnSelection(true);
}

bool CZNEDITORDoc::IsCommandEnabled(UINT id) const
{
    const bool objectMode = GetEditorApp()->GetEditMode() == ZNEDITMODE_BRUSH;
    const bool selection = GetEditorApp()->GetSelectionBand()->HasSelection();
    const bool anyObject = !m_Brushes.empty() || m_OverlayList || m_EntityList;
    switch (id) {
    case ZNCMD_HIDE_ALL:
    case ZNCMD_HIDE_DESELECTED:
    case ZNCMD_UNHIDE_ALL:
    case ZNCMD_UNHIDE_DESELECTED:
        return objectMode && anyObject;
    case ZNCMD_HIDE_SELECTED:
    case ZNCMD_UNHIDE_SELECTED:
    case ZNCMD_SANITIZE_SELECTED:
    case ZNCMD_STATISTICS_SELECTED:
        return objectMode && selection;
    case ZNCMD_STATISTICS_SCENE:
        return anyObject;
    case ZNCMD_CENTRE_ON_SELECTED:
    case ZNCMD_ZOOM_INTO_SELECTED:
        return selection;
    case ZNCMD_FILE_EXPORT_PREFAB:
    case ZNCMD_FILE_EXPORT_FILE:
        return GetEditorApp()->GetSelectionBand()->GetBandMode() == ZNBAND_OBJECTS;
    default:
        return false;
    }
}
