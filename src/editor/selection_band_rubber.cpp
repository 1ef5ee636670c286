// The rubber band of the select tool: a rectangle dragged from empty space in a 2D view that,
// at the release, selects (Shift adds, Ctrl removes) what the edit mode takes inside it through
// the whole depth of the view.
#include <cmath>

#include "app/editor_app.h"
#include "editor/doc_shell.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "platform/gdi/dc.h"
#include "platform/os/input.h"
#include "render/view/2d_view.h"
#include "scene/brush.h"
#include "scene/entity.h"
#include "scene/face.h"
#include "scene/geometry.h"
#include "scene/object_type.h"
#include "scene/overlay.h"

void CZNSelectionBand::BeginRubberBand(CZN2DView *view, UINT, int, int)
{
    m_RubberActive = 1;
    m_RubberMoved = 0;
    m_RubberCorner = m_RubberStart;
    m_RubberView = view;
}

void CZNSelectionBand::DetachView(CZN2DView *view)
{
    if (view && view == m_RubberView) {
        m_RubberActive = 0;
        m_RubberView = nullptr;
    }
}

void CZNSelectionBand::TrackRubberBand(UINT, int x, int y)
{
    if (!m_RubberActive || !m_RubberView)
        return;
    m_RubberView->ScreenToWorld(&m_RubberCorner, static_cast<float>(x), static_cast<float>(y), FALSE);
    m_RubberView->QuickRefresh();
    m_RubberMoved = 1;
}

void CZNSelectionBand::DrawRubberBand(CZN2DView *view, CDC *dc)
{
    if (!m_RubberActive || !view || view != m_RubberView || !dc)
        return;
    CZNPen *oldPen = dc->SelectObject(&m_Pen);
    POINT a, b;
    view->WorldToScreen(&a, &m_RubberStart);
    view->WorldToScreen(&b, &m_RubberCorner);
    dc->MoveTo(a.x, a.y);
    dc->LineTo(b.x, a.y);
    dc->LineTo(b.x, b.y);
    dc->LineTo(a.x, b.y);
    dc->LineTo(a.x, a.y);
    dc->SelectObject(oldPen);
}

void CZNSelectionBand::EndRubberBand(UINT flags)
{
    if (!m_RubberActive || !m_RubberView)
        return;
    CZN2DView *view = m_RubberView;
    m_RubberActive = 0;
    view->QuickRefresh();
    const D3DXVECTOR3 d = m_RubberCorner - m_RubberStart;
    if (!m_RubberMoved || (std::fabs(d.x) <= 0.001f && std::fabs(d.y) <= 0.001f && std::fabs(d.z) <= 0.001f)) {
        m_RubberView = nullptr;
        return;
    }

    // The rectangle through the whole depth of the view.
    const int depth = view->GetDepthAxis();
    ZNBBOX box;
    const float *s = &m_RubberStart.x, *c = &m_RubberCorner.x;
    float *lo = &box.Min.x, *hi = &box.Max.x;
    for (int a = 0; a < 3; ++a) {
        lo[a] = a == depth ? -9999999.0f : std::fmin(s[a], c[a]);
        hi[a] = a == depth ? 9999999.0f : std::fmax(s[a], c[a]);
    }
    static const D3DXVECTOR3 kViewDirections[3] = {{0, -1, 0}, {-1, 0, 0}, {0, 0, 1}};
    const WORD type = view->GetViewType() < 3 ? view->GetViewType() : 2;
    const D3DXVECTOR3 &direction = kViewDirections[type];

    CZNEDITORApp *app = GetEditorApp();
    const bool ignoreBackFaces = app->Options().m_PlaceOnSurfaces != 0;
    const bool remove = (flags & MK_CONTROL) != 0;
    if (!(flags & (MK_SHIFT | MK_CONTROL)))
        Clear(1, 0);
    const ZNEDITMODE mode = app->GetEditMode();
    auto facing = [&](const ZNFACE *face) {
        return !ignoreBackFaces || D3DXVec3Dot(&face->m_Normal, &direction) < 0.0f;
    };
    auto take = [this, remove](ZNSELECTIONENTRY entry, void *object, BYTE type) {
        if (remove)
            RemoveObject(object, type);
        else
            AddToSelection(&entry, 1, 0);
    };

    CZNEDITORDoc *document = app->GetDocument();
    for (ZNBRUSH *brush = document ? document->GetBrushList() : nullptr; brush; brush = brush->m_Next) {
        if ((brush->m_Flags & ZNBRUSH_HIDDEN) || !BoxesIntersect(brush->m_Bounds, box))
            continue;
        for (DWORD f = 0; f < brush->m_FaceCount; ++f) {
            ZNFACE *face = brush->m_Faces[f];
            if (!facing(face))
                continue;
            ZNSELECTIONENTRY e;
            e.Object = reinterpret_cast<uintptr_t>(brush);
            if (mode == ZNEDITMODE_BRUSH) {
                if (FaceIntersectsBox(box, face, 0)) {
                    e.Type = ZNSELECT_BRUSH;
                    take(e, brush, ZNOBJECT_BRUSH);
                    break;
                }
            } else if (mode == ZNEDITMODE_FACE) {
                if (FaceIntersectsBox(box, face, 0)) {
                    e.Type = ZNSELECT_FACE;
                    e.Face = f;
                    take(e, face, ZNOBJECT_FACE);
                }
            } else if (mode == ZNEDITMODE_VERTEX) {
                for (short k = 0; k < face->GetVertexCount(); ++k) {
                    if (!PointInBoxTolerance(face->GetVector(k), box, 0, 0, 0, 4.0f, 4.0f, 4.0f))
                        continue;
                    e.Type = ZNSELECT_VERTEX;
                    e.Face = f;
                    e.Vertex = static_cast<uintptr_t>(k);
                    take(e, face->GetVertices() + k, ZNOBJECT_VERTEX);
                }
            }
        }
    }
    if (mode == ZNEDITMODE_BRUSH || mode == ZNEDITMODE_OVERLAY) {
        for (CZNOverlay *overlay = document ? document->GetOverlayList() : nullptr; overlay;
             overlay = overlay->m_Next) {
            if (overlay->IsHidden() || !BoxesIntersect(overlay->GetBounds(0), box))
                continue;
            for (DWORD f = 0; f < overlay->GetFaceCount(); ++f) {
                ZNFACE *face = overlay->GetFace(f);
                if (!facing(face) || !FaceIntersectsBox(box, face, 0))
                    continue;
                ZNSELECTIONENTRY e;
                e.Object = reinterpret_cast<uintptr_t>(overlay);
                if (mode == ZNEDITMODE_BRUSH) {
                    e.Type = ZNSELECT_OVERLAY;
                    take(e, overlay, ZNOBJECT_OVERLAY);
                    break;
                }
                e.Type = ZNSELECT_OVERLAYFACE;
                e.Face = f;
                take(e, face, ZNOBJECT_OVERLAYFACE);
            }
        }
    }

    // Entities by their bounds, in objects mode only; the camera is never taken here.
    if (mode == ZNEDITMODE_BRUSH) {
        for (CZNEntity *entity = document ? document->GetEntityList() : nullptr; entity; entity = entity->m_Next) {
            if (entity->IsHidden() || !BoxesIntersect(entity->GetBounds(0, nullptr), box))
                continue;
            ZNSELECTIONENTRY e;
            e.Type = ZNSELECT_ENTITY;
            e.Object = reinterpret_cast<uintptr_t>(entity);
            take(e, entity, ZNOBJECT_ENTITY);
        }
    }
    Update();
    if (IZNDocShell *shell = CZNEDITORDoc::GetCurrentShell()) {
        shell->RefreshActivePage();
        shell->UpdateSceneTree();
    }
    view->Redraw(FALSE);
    RedrawViews();
    m_RubberView = nullptr;
}
