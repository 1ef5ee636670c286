// The scale tool of the selection band: the grabbed box sides follow the mouse, the objects,
// faces or vertices are mapped from the box at the press onto the new box, and the pivot and the
// placement origin are carried along.
#include <cmath>

#include "app/editor_app.h"
#include "editor/band_entry_objects.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "render/view/2d_view.h"
#include "scene/geometry.h"

namespace
{

constexpr float kFlat = 0.01f;
constexpr UINT kShift = 4;
constexpr UINT kCtrl = 8;

bool IsFlat(float size)
{
    return std::fabs(size) <= kFlat;
}

// The sides a box handle moves on the view's horizontal and vertical axes, by handle code from
// ZNHIT_CORNER_LOWER_LEFT: 0 minimum, 1 maximum, -1 none (vertical grows up the screen).
struct HandleSides {
    int h, v;
};
constexpr HandleSides kHandleSides[8] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, -1}, {-1, 1}, {1, -1}, {-1, 0}};

// Maps a point given at the press from the old box onto the new one. Only a side that moved adds
// to the point, so a flat axis (which never moves) never divides by its size.
D3DXVECTOR3 RescalePoint(const D3DXVECTOR3 &start, const ZNBBOX &newBox, const ZNBBOX &oldBox)
{
    D3DXVECTOR3 out = start;
    for (int a = 0; a < 3; ++a) {
        const float oldMin = oldBox.Min[a], oldMax = oldBox.Max[a];
        const bool maxMoved = std::fabs(newBox.Max[a] - oldMax) > kFlat;
        const bool minMoved = std::fabs(newBox.Min[a] - oldMin) > kFlat;
        if (!maxMoved && !minMoved)
            continue;
        const float t = (start[a] - oldMin) / (oldMax - oldMin);
        float offset = 0.0f;
        if (maxMoved)
            offset += t * (newBox.Max[a] - oldMax);
        if (minMoved)
            offset += (1.0f - t) * (newBox.Min[a] - oldMin);
        out[a] = start[a] + offset;
    }
    return out;
}

} // namespace

void CZNSelectionBand::RescalePivot(const ZNBBOX *newBox, const ZNBBOX *oldBox)
{
    if (newBox && oldBox)
        m_Pivot = RescalePoint(m_PivotStart, *newBox, *oldBox);
}

void CZNSelectionBand::RescalePlacementOrigin(const ZNBBOX *newBox, const ZNBBOX *oldBox)
{
    if (newBox && oldBox)
        m_PlacementOrigin = RescalePoint(m_PlacementOriginStart, *newBox, *oldBox);
}

// The view is not needed: overlays scale in world space.
void CZNSelectionBand::Scale(CZN2DView *, float x, float y, float z, int sideX, int sideY, int sideZ, int mode)
{
    ZNBBOX start = m_StartBox;
    ZNBBOX box = start;
    const D3DXVECTOR3 size = start.Max - start.Min;
    const D3DXVECTOR3 centre = (start.Min + start.Max) * 0.5f;

    if (mode == 2) {
        float factor = x;
        for (int a = 0; a < 3; ++a)
            if (!IsFlat(size[a]) && size[a] * factor < 1.0f)
                factor = 1.0f / size[a];
        for (int a = 0; a < 3; ++a) {
            if (IsFlat(size[a]))
                continue;
            box.Min[a] = (start.Min[a] - m_Pivot[a]) * factor + m_Pivot[a];
            box.Max[a] = (start.Max[a] - m_Pivot[a]) * factor + m_Pivot[a];
        }
    } else {
        const float offsets[3] = {x, y, z};
        const int sides[3] = {sideX, sideY, sideZ};
        for (int a = 0; a < 3; ++a) {
            const float d = offsets[a];
            if (d == 0.0f || IsFlat(size[a]))
                continue;
            const float lo = start.Min[a], hi = start.Max[a], c = centre[a];
            float &newLo = box.Min[a];
            float &newHi = box.Max[a];
            if (sides[a] == 0) {
                newLo = lo + d;
                if (mode == 0) {
                    if (newLo >= hi - 1.0f)
                        newLo = hi - 1.0f;
                } else if (newLo >= c - 1.0f) {
                    newLo = c - 1.0f;
                    newHi = c + 1.0f;
                } else {
                    newHi = hi - d;
                }
            } else {
                newHi = hi + d;
                if (mode == 0) {
                    if (newHi <= lo + 1.0f)
                        newHi = lo + 1.0f;
                } else if (newHi <= c + 1.0f) {
                    newLo = c - 1.0f;
                    newHi = c + 1.0f;
                } else {
                    newLo = lo - d;
                }
            }
        }
    }

    switch (m_BandMode) {
    case ZNBAND_OBJECTS:
        WriteEntriesUndo(ZNUNDO_SCALE, "Scale Objects");
        for (const ZNSELECTIONENTRY &e : m_Entries) {
            if (ZNBRUSH *brush = BandBrushOf(e.Object)) {
                brush->ScaleBrushToBounding(&box, &start, 1);
                brush->CalculateWorldTextureCoords();
                brush->CalculateFaceCenterPoints();
            } else if (CZNOverlay *overlay = BandOverlayOf(e.Object)) {
                overlay->ScaleToBox(&box, &start, 1);
                overlay->CalculateWorldTextureCoords();
                overlay->CalculateFaceCenterPoints();
            } else if (CZNEntity *entity = BandEntityOf(e.Object)) {
                entity->Scale(&box, &start, 1);
            }
        }
        break;
    case ZNBAND_FACES:
        WriteTouchedUndo(ZNUNDO_SCALEFACES, "Scale Faces");
        RestoreTouched(ZNCACHE_SCALE, 4);
        for (const ZNSELECTIONENTRY &e : m_Entries) {
            if (e.Type == ZNSELECT_FACE) {
                if (ZNBRUSH *brush = BandBrushOf(e.Object))
                    brush->ScaleFaceToBounding(static_cast<DWORD>(e.Face), &box, &start, 0);
            } else if (CZNOverlay *overlay = BandOverlayOf(e.Object)) {
                overlay->ScaleToBox(&box, &start, 0);
            }
        }
        FinishTouched(false);
        break;
    case ZNBAND_VERTICES:
        WriteTouchedUndo(ZNUNDO_SCALEVERTICES, "Scale Vertices");
        RestoreTouched(ZNCACHE_SCALE, 4);
        for (const ZNSELECTIONENTRY &e : m_Entries)
            if (ZNBRUSH *brush = BandBrushOf(e.Object))
                brush->ScaleVertexToBounding(static_cast<DWORD>(e.Face), BandVertexIndexOf(e), &box, &start, 0);
        FinishTouched(true);
        break;
    default:
        break;
    }

    Update();
    if (mode != 2) {
        RescalePivot(&box, &start);
        RescalePlacementOrigin(&box, &start);
    }
}

void CZNSelectionBand::ScaleDragStep(CZN2DView *view, UINT flags, int x, int y)
{
    if (!view || m_Handle < ZNHIT_CORNER_LOWER_LEFT || m_Handle > ZNHIT_EDGE_BOTTOM || !(view->GetZoom() > 0.0f))
        return;
    const int mode = (flags & kShift) ? ((flags & kCtrl) ? 2 : 1) : 0;
    const float zoom = view->GetZoom();
    const float dxw = std::trunc(static_cast<float>(x - m_LastMouse.x) / zoom);
    const float dyw = std::trunc(static_cast<float>(y - m_LastMouse.y) / zoom);
    const ZNBBOX &start = m_StartBox;

    if (mode == 2) {
        const D3DXVECTOR3 size = start.Max - start.Min;
        float factor = 0.0f;
        for (int a = 0; a < 3; ++a) {
            if (!IsFlat(size[a])) {
                factor = (2.0f * dxw + size[a]) / size[a];
                break;
            }
        }
        Scale(view, factor, 0.0f, 0.0f, 0, 0, 0, 2);
        return;
    }

    const float grid = GetEditorApp()->GetGridSize();
    const int snap = GetEditorApp()->Options().m_SnapToGrid;
    const HandleSides sides = kHandleSides[m_Handle - 1];
    float offsets[3] = {0.0f, 0.0f, 0.0f};
    int sideFlags[3] = {0, 0, 0};
    if (sides.h >= 0) {
        const int a = view->GetHorizontalAxis();
        const float edge = sides.h ? start.Max[a] : start.Min[a];
        offsets[a] = SnapToGrid(dxw, grid, snap) - (edge - SnapToGrid(edge, grid, snap));
        sideFlags[a] = sides.h;
    }
    if (sides.v >= 0) {
        const int a = view->GetVerticalAxis();
        const float edge = sides.v ? start.Max[a] : start.Min[a];
        offsets[a] = -SnapToGrid(dyw, grid, snap) - (edge - SnapToGrid(edge, grid, snap));
        sideFlags[a] = sides.v;
    }
    Scale(view, offsets[0], offsets[1], offsets[2], sideFlags[0], sideFlags[1], sideFlags[2], mode);
}
