// CZN3DView's camera work and input: zoom to a box, the back-to-front order of blended faces, the
// mouse drags and keys that navigate, and the calls handed on to the installed input. The frame
// and the pick, which walk the source's scene, are in 3d_view_scene.cpp.
#include "render/view/3d_view.h"

#include <cmath>
#include <utility>

#include "app/editor_app.h"
#include "platform/os/input.h"
#include "platform/os/pointer_host.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "render/view/view_input.h"
#include "render/view/view_source.h"
#include "scene/face.h"

namespace
{
CZNCAMERA *AppCamera()
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    return d3d ? d3d->GetCamera() : nullptr;
}

// Degrees of turn per pixel of drag.
constexpr float kTurnPerPixel = 0.1f;
} // namespace

CZN3DView::CZN3DView() : CZNView(ZNVIEWTYPE_3D) {}

CZN3DView::~CZN3DView() = default;

void CZN3DView::Redraw(int selectedOnly, BYTE flags, int present)
{
    m_FastFrame = ((flags & 1) && GetEditorApp()->Options().m_FastDraw3D) ? 1 : 0;
    Render(0, selectedOnly, present);
}

void CZN3DView::ZoomCameraToBounds(const ZNBBOX *box, int useBoxSize)
{
    CZNCAMERA *camera = AppCamera();
    if (!box || !camera)
        return;
    const D3DXVECTOR3 centre = (box->Min + box->Max) * 0.5f;
    float distance;
    if (useBoxSize) {
        distance = ZnLength(box->Max - box->Min);
        if (distance < 0.1f)
            distance = 10.0f;
    } else {
        distance = ZnLength(camera->GetPosition() - centre);
    }
    const D3DXVECTOR3 position = centre - camera->GetLook() * distance;
    const D3DXVECTOR3 look = camera->GetLook(), up = camera->GetUp(), right = camera->GetRight();
    camera->SetPositionAndAxes(&position, &look, &up, &right, 1);
}

int CZN3DView::CompareFaceDistance(const ZNFACE *a, const ZNFACE *b, const D3DXMATRIX *ma, const D3DXMATRIX *mb)
{
    const CZNCAMERA *camera = AppCamera();
    const D3DXVECTOR3 eye = camera ? camera->GetPosition() : D3DXVECTOR3(0, 0, 0);
    auto distance = [&eye](const ZNFACE *face, const D3DXMATRIX *matrix) {
        D3DXVECTOR3 centre = face->m_CenterPoint;
        if (matrix)
            D3DXVec3TransformCoord(&centre, &centre, matrix);
        const D3DXVECTOR3 d = centre - eye;
        return ZnDot(d, d);
    };
    const float da = distance(a, ma), db = distance(b, mb);
    if (da < db)
        return 1;
    if (da > db)
        return -1;
    return 0;
}

void CZN3DView::SortFacesBackToFront(ZNFACE **faces, int low, int high, const D3DXMATRIX **matrices)
{
    if (!faces || !matrices)
        return;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        ZNFACE *pivot = faces[middle];
        const D3DXMATRIX *pivotMatrix = matrices[middle];
        int i = low, j = high;
        while (i <= j) {
            while (i < high && CompareFaceDistance(faces[i], pivot, matrices[i], pivotMatrix) < 0)
                ++i;
            while (j > low && CompareFaceDistance(pivot, faces[j], pivotMatrix, matrices[j]) < 0)
                --j;
            if (i <= j) {
                std::swap(faces[i], faces[j]);
                std::swap(matrices[i], matrices[j]);
                ++i;
                --j;
            }
        }
        if (low < j)
            SortFacesBackToFront(faces, low, j, matrices);
        low = i;
    }
}

// ---------------------------------------------------------------------------------------------
// Input

void CZN3DView::UpdateCursor()
{
    if (m_Host)
        m_Host->SetCursorShape(ZNCURSOR_ARROW);
    if (m_Input)
        m_Input->UpdateCursor(this, 0, m_LastCursor);
}

void CZN3DView::OnLButtonDown(UINT flags, CPoint point)
{
    if (flags & MK_RBUTTON)
        return;
    if (m_Host)
        m_Host->SetCapture();
    m_Anchor = point;
    m_LastCursor = point;
    if (m_Input)
        m_Input->OnLButtonDown(this, flags, point);
}

void CZN3DView::OnRButtonDown(UINT flags, CPoint point)
{
    if (flags & MK_LBUTTON)
        return;
    m_Anchor = point;
    m_LastCursor = point;
    if (m_Host)
        m_Host->SetCapture();
    if (m_Input)
        m_Input->OnRButtonDown(this, flags, point);
}

void CZN3DView::OnMouseMove(UINT flags, CPoint point)
{
    TrackMove(flags, point);
    if (m_Input)
        m_Input->OnMouseMove(this, flags, point);
}

void CZN3DView::TrackMove(UINT flags, CPoint point)
{
    if (m_Host)
        m_Host->SetCursorShape(ZNCURSOR_ARROW);
    const LONG dx = m_LastCursor.x - point.x;
    const LONG dy = m_LastCursor.y - point.y;
    UpdateCursor();
    if (!(flags & (MK_LBUTTON | MK_RBUTTON))) {
        m_LastCursor = point;
        return;
    }
    if (dx == 0 && dy == 0)
        return;
    if (!m_CursorHidden) {
        m_CursorHidden = 1;
        if (m_Host)
            m_Host->ShowCursor(false);
    }
    Navigate(flags, dx, dy);
    // Back to the anchor where the platform lets the cursor be moved; else the next step counts
    // from here.
    m_LastCursor = (m_Host && m_Host->WarpCursor(m_Anchor)) ? m_Anchor : point;
    FollowCamera();
}

void CZN3DView::Navigate(UINT flags, LONG dx, LONG dy)
{
    CZNCAMERA *camera = AppCamera();
    if (!camera)
        return;
    const auto fx = static_cast<float>(dx), fy = static_cast<float>(dy);
    const bool left = (flags & MK_LBUTTON) != 0, right = (flags & MK_RBUTTON) != 0;
    // A selected camera is moved by the selection band, which comes with the selection tools.
    if (left && right) {
        if (camera->IsSelected())
            return;
        const D3DXVECTOR3 forward(0.0f, 0.0f, fy);
        camera->MoveLocal(&forward, 1, 0);
        camera->Turn(0.0f, 0.0f, fx * kTurnPerPixel, 1, 0);
    } else if (left) {
        if (camera->IsSelected())
            return;
        const D3DXVECTOR3 slide(-fx, fy, 0.0f);
        camera->MoveLocal(&slide, 1, 0);
    } else {
        camera->Turn(fy * -kTurnPerPixel, fx * -kTurnPerPixel, 0.0f, 1, 0);
    }
}

void CZN3DView::FollowCamera()
{
    if (GetEditorApp()->Options().m_DynamicUpdate && m_Source)
        m_Source->RefreshViews();
    else
        Redraw(0, 1, 1);
}

void CZN3DView::EndDrag()
{
    const ZNAPPOPTIONS &options = GetEditorApp()->Options();
    if (options.m_DynamicUpdate || !m_Source)
        return;
    if (options.m_KeepCameraInView)
        m_Source->RefreshViews();
    else
        m_Source->RedrawAllViews(nullptr, 0);
}

void CZN3DView::ShowCursorAgain()
{
    if (m_CursorHidden) {
        m_CursorHidden = 0;
        if (m_Host)
            m_Host->ShowCursor(true);
    }
    if (m_Host)
        m_Host->ReleaseCapture();
}

void CZN3DView::OnLButtonUp(UINT flags, CPoint point)
{
    if (flags & MK_RBUTTON)
        return;
    EndDrag();
    if (m_BoxesDrawn)
        Redraw(0, 0, 1);
    ShowCursorAgain();
    if (m_Input)
        m_Input->OnLButtonUp(this, flags, point);
}

void CZN3DView::OnRButtonUp(UINT flags, CPoint point)
{
    if (flags & MK_LBUTTON)
        return;
    EndDrag();
    if (m_BoxesDrawn)
        Redraw(0, 0, 1);
    m_BoxesDrawn = 0;
    ShowCursorAgain();
    if (m_Input)
        m_Input->OnRButtonUp(this, flags, point);
}

void CZN3DView::SetSpaceHeld(BYTE down)
{
    GetEditorApp()->SetSpaceDown(down);
    UpdateCursor();
    if (m_Source)
        m_Source->RedrawAllViews(nullptr, 0);
}

void CZN3DView::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    // Only the first press of Space counts, not its auto-repeat.
    if (key == VK_SPACE && !(flags & (KF_MENUMODE | KF_REPEAT)))
        SetSpaceHeld(1);
    if (m_Input)
        m_Input->OnKeyDown(this, key, repeat, flags);
}

void CZN3DView::OnKeyUp(UINT key, UINT repeat, UINT flags)
{
    if (key == VK_SPACE && !(flags & KF_MENUMODE) && (flags & KF_REPEAT))
        SetSpaceHeld(0);
    if (m_Input)
        m_Input->OnKeyUp(this, key, repeat, flags);
}
