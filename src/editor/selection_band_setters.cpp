// The selection band's queries and setters for the options pages: what the pages show of the
// selection, and one value written onto every selected object, face or vertex.
#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_level.h"
#include "editor/undo_record.h"
#include "render/view/view.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/entity.h"
#include "scene/face.h"
#include "scene/group.h"
#include "scene/object_type.h"
#include "scene/overlay.h"

namespace
{

template <typename T> T *ObjectOf(uintptr_t word, BYTE type)
{
    void *object = reinterpret_cast<void *>(word);
    return object && GetObjectType(object) == type ? static_cast<T *>(object) : nullptr;
}

ZNBRUSH *BrushOf(uintptr_t word)
{
    return ObjectOf<ZNBRUSH>(word, ZNOBJECT_BRUSH);
}

CZNOverlay *OverlayOf(uintptr_t word)
{
    return ObjectOf<CZNOverlay>(word, ZNOBJECT_OVERLAY);
}

CZNEntity *EntityOf(uintptr_t word)
{
    return ObjectOf<CZNEntity>(word, ZNOBJECT_ENTITY);
}

bool IsLocked(const ZNFACE *face)
{
    return (face->m_Style & ZNFACESTYLE_LOCKUV) != 0;
}

// The 3D view of the document redraws.
void Redraw3D()
{
    if (CZNEDITORDoc *doc = GetEditorApp()->GetDocument())
        for (CZNView *view : doc->GetViews())
            if (view->GetViewType() == ZNVIEWTYPE_3D)
                view->RedrawForDocument(0);
}

void RedrawAll()
{
    if (CZNEDITORDoc *doc = GetEditorApp()->GetDocument())
        doc->RedrawAllViews(nullptr, 0);
}

// Brush faces and vertices of the entries of a brush-only setter (texture coordinates, mapping
// origin): every face of each selected brush, the entry's face, or the entry's one vertex (-1:
// every vertex of the face). False for bands these setters leave alone.
template <typename F> bool ForEachBrushVertexSet(const std::vector<ZNSELECTIONENTRY> &entries, DWORD mode, F f)
{
    if (mode < ZNBAND_OBJECTS || mode > ZNBAND_VERTICES)
        return false;
    for (const ZNSELECTIONENTRY &e : entries) {
        ZNBRUSH *brush = BrushOf(e.Object);
        if (!brush)
            continue;
        if (mode == ZNBAND_OBJECTS) {
            for (DWORD i = 0; i < brush->GetFaceCount(); ++i)
                f(brush, i, -1);
        } else if (e.Type != ZNSELECT_BRUSH && brush->GetFace(static_cast<DWORD>(e.Face))) {
            f(brush, static_cast<DWORD>(e.Face), mode == ZNBAND_VERTICES ? static_cast<int>(e.Vertex & 0xFFFF) : -1);
        }
    }
    return true;
}

void SetTexCoord(const std::vector<ZNSELECTIONENTRY> &entries, DWORD mode, int which, float value)
{
    const bool any = ForEachBrushVertexSet(entries, mode, [which, value](ZNBRUSH *brush, DWORD f, int vertex) {
        ZNFACE *face = brush->GetFace(f);
        if (IsLocked(face))
            return;
        for (short v = 0; v < face->GetVertexCount(); ++v) {
            if (vertex >= 0 && v != vertex)
                continue;
            ZNVERTEX &record = face->GetVertices()[v];
            (which == 0 ? record.tu : record.tv) = value;
        }
    });
    if (any)
        Redraw3D();
}

} // namespace

template <typename BrushFace, typename OverlayFace>
bool CZNSelectionBand::ForEachSelectedFace(BrushFace brushFace, OverlayFace overlayFace) const
{
    switch (m_BandMode) {
    case ZNBAND_OBJECTS:
        for (const ZNSELECTIONENTRY &e : m_Entries) {
            if (ZNBRUSH *brush = BrushOf(e.Object)) {
                for (DWORD i = 0; i < brush->GetFaceCount(); ++i)
                    brushFace(brush, i);
            } else if (CZNOverlay *overlay = OverlayOf(e.Object)) {
                for (DWORD i = 0; i < overlay->GetFaceCount(); ++i)
                    overlayFace(overlay, i);
            }
        }
        return true;
    case ZNBAND_FACES:
    case ZNBAND_VERTICES:
        for (const ZNSELECTIONENTRY &e : m_Entries)
            if (ZNBRUSH *brush = BrushOf(e.Object); brush && e.Type != ZNSELECT_BRUSH)
                brushFace(brush, static_cast<DWORD>(e.Face));
        return true;
    case ZNBAND_OVERLAYFACES:
        for (const ZNSELECTIONENTRY &e : m_Entries)
            if (CZNOverlay *overlay = OverlayOf(e.Object))
                overlayFace(overlay, static_cast<DWORD>(e.Face));
        return true;
    default:
        return false;
    }
}

CZNOverlay *CZNSelectionBand::GetActiveOverlay() const
{
    CZNOverlay *found = nullptr;
    if (m_BandMode == ZNBAND_OBJECTS) {
        for (const ZNSELECTIONENTRY &e : m_Entries)
            if ((found = OverlayOf(e.Object)) != nullptr)
                break;
    } else if (m_BandMode == ZNBAND_FACES || m_BandMode == ZNBAND_OVERLAYFACES) {
        for (void *object : m_Touched)
            if ((found = OverlayOf(reinterpret_cast<uintptr_t>(object))) != nullptr)
                break;
    }
    return found ? found : GetEditorApp()->GetDefaultOverlay();
}

void *CZNSelectionBand::GetFirstGroup() const
{
    if (m_BandMode != ZNBAND_OBJECTS)
        return nullptr;
    for (const ZNSELECTIONENTRY &e : m_Entries) {
        CZNGROUP *group = nullptr;
        void *object = reinterpret_cast<void *>(e.Object);
        if (ZNBRUSH *brush = BrushOf(e.Object))
            group = brush->GetParent();
        else if (CZNEntity *entity = EntityOf(e.Object))
            group = entity->GetGroup();
        else if (CZNOverlay *overlay = OverlayOf(e.Object))
            group = overlay->GetGroup();
        else
            continue;
        return group ? group->GetRootGroup() : object;
    }
    return nullptr;
}

ZNBRUSH *CZNSelectionBand::GetFirstBrush() const
{
    if (m_BandMode == ZNBAND_OBJECTS)
        for (const ZNSELECTIONENTRY &e : m_Entries)
            if (ZNBRUSH *brush = BrushOf(e.Object))
                return brush;
    return nullptr;
}

CZNEntity *CZNSelectionBand::GetFirstEntity() const
{
    if (m_BandMode == ZNBAND_OBJECTS)
        for (const ZNSELECTIONENTRY &e : m_Entries)
            if (CZNEntity *entity = EntityOf(e.Object))
                return entity;
    return nullptr;
}

CZNOverlay *CZNSelectionBand::GetFirstOverlay() const
{
    if (m_BandMode == ZNBAND_OBJECTS)
        for (const ZNSELECTIONENTRY &e : m_Entries)
            if (CZNOverlay *overlay = OverlayOf(e.Object))
                return overlay;
    return nullptr;
}

ZNFACE *CZNSelectionBand::GetFirstFaceInfo(int *faceIndex, int *vertexIndex) const
{
    if (faceIndex)
        *faceIndex = -1;
    if (vertexIndex)
        *vertexIndex = -1;
    const bool single = m_Entries.size() == 1;
    switch (m_BandMode) {
    case ZNBAND_OBJECTS:
        for (const ZNSELECTIONENTRY &e : m_Entries) {
            if (e.Type == ZNSELECT_ENTITY || e.Type == ZNSELECT_CAMERA)
                continue;
            if (CZNOverlay *overlay = OverlayOf(e.Object)) {
                if (ZNFACE *face = overlay->GetFace(0))
                    return face;
                continue;
            }
            ZNBRUSH *brush = BrushOf(e.Object);
            return brush ? brush->GetFace(0) : nullptr;
        }
        return nullptr;
    case ZNBAND_FACES:
    case ZNBAND_VERTICES:
    case ZNBAND_OVERLAYFACES:
        for (const ZNSELECTIONENTRY &e : m_Entries) {
            ZNFACE *face = nullptr;
            if (m_BandMode == ZNBAND_OVERLAYFACES) {
                if (CZNOverlay *overlay = OverlayOf(e.Object))
                    face = overlay->GetFace(static_cast<DWORD>(e.Face));
            } else if (ZNBRUSH *brush = BrushOf(e.Object); brush && e.Type != ZNSELECT_BRUSH) {
                face = brush->GetFace(static_cast<DWORD>(e.Face));
            }
            // In vertex mode the first entry decides alone.
            if (!face && m_BandMode != ZNBAND_VERTICES)
                continue;
            if (face && single) {
                if (faceIndex)
                    *faceIndex = static_cast<int>(e.Face);
                if (vertexIndex && m_BandMode == ZNBAND_VERTICES)
                    *vertexIndex = static_cast<int>(e.Vertex & 0xFFFF);
            }
            return face;
        }
        return nullptr;
    default:
        return nullptr;
    }
}

void CZNSelectionBand::GetSelectedEntities(CZNCONTAINER *container) const
{
    if (!container || m_BandMode != ZNBAND_OBJECTS)
        return;
    for (const ZNSELECTIONENTRY &e : m_Entries)
        if (CZNEntity *entity = EntityOf(e.Object))
            container->AddElement(entity);
}

void CZNSelectionBand::SetTextureUPos(float value)
{
    if (ForEachSelectedFace([value](ZNBRUSH *b, DWORD i) { b->SetFaceTextureUPos(i, value); },
                            [value](CZNOverlay *o, DWORD i) { o->SetFaceTextureUPos(i, value); }))
        Redraw3D();
}

void CZNSelectionBand::SetTextureVPos(float value)
{
    if (ForEachSelectedFace([value](ZNBRUSH *b, DWORD i) { b->SetFaceTextureVPos(i, value); },
                            [value](CZNOverlay *o, DWORD i) { o->SetFaceTextureVPos(i, value); }))
        Redraw3D();
}

void CZNSelectionBand::SetTextureUWrap(float value)
{
    if (ForEachSelectedFace([value](ZNBRUSH *b, DWORD i) { b->SetFaceTextureUWrap(i, value); },
                            [value](CZNOverlay *o, DWORD i) { o->SetFaceTextureUWrap(i, value); }))
        Redraw3D();
}

void CZNSelectionBand::SetTextureVWrap(float value)
{
    if (ForEachSelectedFace([value](ZNBRUSH *b, DWORD i) { b->SetFaceTextureVWrap(i, value); },
                            [value](CZNOverlay *o, DWORD i) { o->SetFaceTextureVWrap(i, value); }))
        Redraw3D();
}

void CZNSelectionBand::SetTextureRotate(const D3DXVECTOR4 &r)
{
    if (ForEachSelectedFace([&r](ZNBRUSH *b, DWORD i) { b->SetFaceTextureRotate(i, r); },
                            [&r](CZNOverlay *o, DWORD i) { o->SetFaceTextureRotate(i, r.x, r.y, r.z, r.w); }))
        Redraw3D();
}

void CZNSelectionBand::SetFaceStyle(DWORD style)
{
    if (ForEachSelectedFace([style](ZNBRUSH *b, DWORD i) { b->SetFaceStyle(i, style); },
                            [style](CZNOverlay *o, DWORD i) { o->SetFaceStyle(i, style); }))
        Redraw3D();
}

void CZNSelectionBand::SetMappingMode(BYTE mode)
{
    if (ForEachSelectedFace([mode](ZNBRUSH *b, DWORD i) { b->SetFaceMappingMode(i, mode); },
                            [mode](CZNOverlay *o, DWORD i) { o->SetFaceMappingMode(i, mode); }))
        Redraw3D();
}

void CZNSelectionBand::SetAlphaBlend(int8_t source, int8_t destination)
{
    // Face centres decide the drawing order of blended faces; overlay faces keep theirs.
    const bool overlayCentres = m_BandMode == ZNBAND_OBJECTS;
    if (ForEachSelectedFace(
            [=](ZNBRUSH *b, DWORD i) {
                b->SetFaceAlphaBlend(i, source, destination);
                b->CalculateFaceCenterPoints();
            },
            [=](CZNOverlay *o, DWORD i) {
                o->SetFaceAlphaBlend(i, source, destination);
                if (overlayCentres)
                    o->CalculateFaceCenterPoints();
            }))
        Redraw3D();
}

void CZNSelectionBand::SetTexture(CZNTexture *texture)
{
    bool any = true;
    if (m_BandMode == ZNBAND_OBJECTS) {
        for (const ZNSELECTIONENTRY &e : m_Entries) {
            if (ZNBRUSH *brush = BrushOf(e.Object))
                brush->SetTexture(texture, 1);
            else if (CZNOverlay *overlay = OverlayOf(e.Object))
                overlay->SetTexture(texture, 1);
        }
    } else {
        any = ForEachSelectedFace([texture](ZNBRUSH *b, DWORD i) { b->SetTexture(i, texture, 1); },
                                  [texture](CZNOverlay *o, DWORD i) { o->SetFaceTexture(i, texture, 1); });
    }
    if (any)
        Redraw3D();
}

void CZNSelectionBand::SetMaterial(LONG material)
{
    bool any = true;
    if (m_BandMode == ZNBAND_OBJECTS) {
        for (const ZNSELECTIONENTRY &e : m_Entries) {
            if (ZNBRUSH *brush = BrushOf(e.Object))
                brush->SetMaterial(material);
            else if (CZNOverlay *overlay = OverlayOf(e.Object))
                overlay->SetMaterial(material);
        }
    } else {
        auto set = [material](ZNFACE *face) {
            if (face)
                face->SetMaterial(material);
        };
        any = ForEachSelectedFace([&set](ZNBRUSH *b, DWORD i) { set(b->GetFace(i)); },
                                  [&set](CZNOverlay *o, DWORD i) { set(o->GetFace(i)); });
    }
    if (any)
        Redraw3D();
}

void CZNSelectionBand::SetTexCoordU(float value)
{
    SetTexCoord(m_Entries, m_BandMode, 0, value);
}

void CZNSelectionBand::SetTexCoordV(float value)
{
    SetTexCoord(m_Entries, m_BandMode, 1, value);
}

void CZNSelectionBand::CalculateWorldTextureCoords(int useOrigin)
{
    const D3DXVECTOR3 origin =
        useOrigin ? m_Pivot : D3DXVECTOR3(ZN_NO_MAPPING_ORIGIN, ZN_NO_MAPPING_ORIGIN, ZN_NO_MAPPING_ORIGIN);
    const bool any = ForEachBrushVertexSet(m_Entries, m_BandMode, [&origin](ZNBRUSH *brush, DWORD f, int) {
        ZNFACE *face = brush->GetFace(f);
        if (IsLocked(face))
            return;
        face->m_MappingOrigin = origin;
        brush->CalculateWorldTextureCoords(f);
    });
    if (any)
        Redraw3D();
}

void CZNSelectionBand::SetFlagWord(BYTE category, DWORD flags, DWORD mask)
{
    auto apply = [flags, mask](DWORD &word) { word = (word & ~mask) | (flags & mask); };
    for (const ZNSELECTIONENTRY &e : m_Entries) {
        switch (category) {
        case ZNSELECT_BRUSH:
            // A selected brush, or the brush of a selected face or vertex.
            if (ZNBRUSH *brush = BrushOf(e.Object);
                brush && (e.Type == ZNSELECT_BRUSH || e.Type == ZNSELECT_FACE || e.Type == ZNSELECT_VERTEX))
                apply(brush->m_Flags);
            break;
        case ZNSELECT_ENTITY:
            if (CZNEntity *entity = EntityOf(e.Object); entity && e.Type == ZNSELECT_ENTITY)
                apply(entity->m_Flags);
            break;
        case ZNSELECT_OVERLAY:
            // A selected overlay, or the overlay of a selected overlay face; not an overlay
            // taken whole in face mode.
            if (CZNOverlay *overlay = OverlayOf(e.Object);
                overlay &&
                ((e.Type == ZNSELECT_OVERLAY && m_BandMode == ZNBAND_OBJECTS) || e.Type == ZNSELECT_OVERLAYFACE))
                apply(overlay->m_Flags);
            break;
        default:
            break;
        }
    }
    Redraw3D();
}

void CZNSelectionBand::SetBrushProperty(DWORD flags, DWORD mask)
{
    SetFlagWord(ZNSELECT_BRUSH, flags, mask);
}

void CZNSelectionBand::SetEntityProperty(DWORD flags, DWORD mask)
{
    SetFlagWord(ZNSELECT_ENTITY, flags, mask);
}

void CZNSelectionBand::SetOverlayProperty(DWORD flags, DWORD mask)
{
    SetFlagWord(ZNSELECT_OVERLAY, flags, mask);
}

void CZNSelectionBand::SetOverlayLocked(int flag)
{
    bool any = false;
    if (m_BandMode == ZNBAND_OBJECTS) {
        for (const ZNSELECTIONENTRY &e : m_Entries) {
            if (CZNOverlay *overlay = OverlayOf(e.Object)) {
                overlay->SetAutoRebuildFlag(flag);
                any = true;
            }
        }
    }
    if (!any)
        GetEditorApp()->GetDefaultOverlay()->SetAutoRebuildFlag(flag);
    RedrawAll();
}

void CZNSelectionBand::SetOverlayZBias(BYTE value)
{
    bool any = false;
    if (m_BandMode == ZNBAND_OBJECTS || m_BandMode == ZNBAND_OVERLAYFACES) {
        for (const ZNSELECTIONENTRY &e : m_Entries) {
            CZNOverlay *overlay = OverlayOf(e.Object);
            if (!overlay)
                continue;
            if (m_BandMode == ZNBAND_OBJECTS) {
                overlay->SetFaceFlag(value);
            } else if (ZNFACE *face = overlay->GetFace(static_cast<DWORD>(e.Face))) {
                face->m_FaceFlag = value;
            }
            any = true;
        }
    }
    if (!any)
        GetEditorApp()->GetDefaultOverlay()->SetFaceFlag(value);
    Redraw3D();
}

void CZNSelectionBand::RebuildSurfaces(int rebuild)
{
    CZNUndoLevel level(GetEditorApp()->GetDocument(), "Rebuild Surfaces");
    level.RecordSelection(ZNUNDO_REBUILDSURFACES, 0);
    if (m_BandMode == ZNBAND_OBJECTS) {
        for (const ZNSELECTIONENTRY &e : m_Entries) {
            if (CZNOverlay *overlay = OverlayOf(e.Object)) {
                if (rebuild)
                    overlay->Rebuild();
                else
                    overlay->ClearFaces();
            }
        }
    }
    level.Commit();
}
