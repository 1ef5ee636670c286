// The rotate tool of the selection band: the cursor's angle about the pivot turns the selection
// about the axis out of the 2D view, and the band's picture turns with it during the drag.
#include <cmath>

#include "app/editor_app.h"
#include "editor/band_entry_objects.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "render/view/2d_view.h"
#include "scene/geometry.h"

namespace
{

constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kRadiansToDegrees = 57.29578f;
constexpr float kRotationSnap = 5.0f;

} // namespace

float CZNSelectionBand::GetCursorAngle(CZN2DView *view, int x, int y) const
{
    if (!view)
        return 0.0f;
    POINT p;
    view->WorldToScreen(&p, &m_Pivot);
    const D3DXVECTOR2 d(static_cast<float>(x - p.x), static_cast<float>(y - p.y));
    D3DXVECTOR2 n(0.0f, 0.0f);
    if (d.x != 0.0f || d.y != 0.0f)
        D3DXVec2Normalize(&n, &d);
    // Screen y grows downward, so straight above the pivot is 0 and straight below 180.
    float angle = std::acos(std::fmax(-1.0f, std::fmin(1.0f, -n.y))) * kRadiansToDegrees;
    if (x < p.x)
        angle = -angle;
    return SnapToGrid(angle, kRotationSnap, GetEditorApp()->Options().m_SnapRotation);
}

void CZNSelectionBand::RotateDragStep(CZN2DView *view, int x, int y)
{
    if (!view)
        return;
    const float angle = GetCursorAngle(view, x, y) - m_StartAngle;
    switch (view->GetViewType()) {
    case ZN2DVIEW_TOP:
        Rotate(0.0f, angle, 0.0f);
        break;
    case ZN2DVIEW_RIGHT:
        Rotate(angle, 0.0f, 0.0f);
        break;
    default:
        Rotate(0.0f, 0.0f, angle);
        break;
    }
}

void CZNSelectionBand::ResetRotationPicture()
{
    m_Look = D3DXVECTOR3(0, 0, 1);
    m_Up = D3DXVECTOR3(0, 1, 0);
    m_Right = D3DXVECTOR3(1, 0, 0);
}

void CZNSelectionBand::Rotate(float x, float y, float z)
{
    // The objects turn by (x, y, -z): in the front view a turn to the right of the cursor is a
    // negative turn about the world Z axis.
    const float angles[3] = {x, y, -z};

    // The picture starts again from the box of the first step on the world axes, turned about
    // the pivot as the objects are. Update builds the corners through a look-at (view) matrix,
    // which applies the inverse of the axes' turn, so the axes take the inverse turn and the
    // corners come out turned like the objects.
    if (m_FirstStep)
        m_SavedCentre = m_Centre;
    m_Centre = m_SavedCentre;
    ResetRotationPicture();
    D3DXVECTOR3 *axes[3] = {&m_Right, &m_Up, &m_Look};
    for (int i = 0; i < 3; ++i) {
        if (angles[i] == 0.0f)
            continue;
        const D3DXVECTOR3 axis = *axes[i];
        D3DXMATRIX turn, inverse;
        D3DXMatrixRotationAxis(&turn, &axis, angles[i] * kDegreesToRadians);
        D3DXMatrixRotationAxis(&inverse, &axis, -angles[i] * kDegreesToRadians);
        for (int j = 0; j < 3; ++j)
            if (j != i)
                D3DXVec3TransformNormal(axes[j], axes[j], &inverse);
        D3DXVECTOR3 fromPivot = m_Centre - m_Pivot;
        D3DXVec3TransformCoord(&fromPivot, &fromPivot, &turn);
        m_Centre = m_Pivot + fromPivot;
    }
    Update();

    D3DXVECTOR3 pivot = m_Pivot;
    switch (m_BandMode) {
    case ZNBAND_OBJECTS:
        WriteEntriesUndo(ZNUNDO_ROTATE, "Rotate Objects");
        for (const ZNSELECTIONENTRY &e : m_Entries) {
            if (ZNBRUSH *brush = BandBrushOf(e.Object)) {
                brush->Rotate(angles[0], angles[1], angles[2], &pivot, 1);
                brush->CalculateFaceNormals();
                brush->CalculateWorldTextureCoords();
                brush->CalculateFaceCenterPoints();
            } else if (CZNOverlay *overlay = BandOverlayOf(e.Object)) {
                overlay->Rotate(angles[0], angles[1], angles[2], &pivot, 1);
                overlay->CalculateFacePlanes();
                overlay->CalculateWorldTextureCoords();
                overlay->CalculateFaceCenterPoints();
            } else if (CZNEntity *entity = BandEntityOf(e.Object)) {
                entity->Rotate(angles[0], angles[1], angles[2], &pivot, 1);
            } else if (CZNCAMERA *camera = BandCameraOf(e.Object)) {
                camera->Rotate(&pivot, angles[0], angles[1], angles[2], 1, 1);
            }
        }
        break;
    case ZNBAND_FACES:
        WriteTouchedUndo(ZNUNDO_ROTATEFACES, "Rotate Faces");
        RestoreTouched(ZNCACHE_ROTATE, 1);
        for (const ZNSELECTIONENTRY &e : m_Entries) {
            if (e.Type == ZNSELECT_FACE) {
                if (ZNBRUSH *brush = BandBrushOf(e.Object))
                    brush->RotateFace(static_cast<DWORD>(e.Face), angles[0], angles[1], angles[2], &pivot, 0);
            } else if (CZNOverlay *overlay = BandOverlayOf(e.Object)) {
                overlay->Rotate(angles[0], angles[1], angles[2], &pivot, 0);
            }
        }
        FinishTouched(true);
        break;
    case ZNBAND_VERTICES:
        WriteTouchedUndo(ZNUNDO_ROTATEVERTICES, "Rotate Vertices");
        RestoreTouched(ZNCACHE_ROTATE, 1);
        for (const ZNSELECTIONENTRY &e : m_Entries)
            if (ZNBRUSH *brush = BandBrushOf(e.Object))
                brush->RotateVertex(static_cast<DWORD>(e.Face), BandVertexIndexOf(e), angles[0], angles[1], angles[2],
                                    &pivot, 0);
        FinishTouched(true);
        break;
    default:
        break;
    }
}
