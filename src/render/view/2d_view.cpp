#include "render/view/2d_view.h"

#include <algorithm>
#include <cmath>

#include "app/editor_app.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/brush.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen.h"
#include "platform/os/input.h"
#include "platform/os/view_window.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "render/view/view_input.h"
#include "render/view/view_source.h"
#include "scene/bbox.h"
#include "scene/brush.h"
#include "scene/entity.h"
#include "scene/face.h"
#include "scene/geometry.h"
#include "scene/overlay.h"

class QImage;

namespace
{

// Pixel coordinates are held within this range before they become integers.
constexpr float kPixelLimit = 1073741824.0f;

LONG ToPixel(float value)
{
    if (std::isnan(value))
        return 0;
    if (value > kPixelLimit)
        value = kPixelLimit;
    else if (value < -kPixelLimit)
        value = -kPixelLimit;
    return static_cast<LONG>(value);
}

float ClampZoom(float zoom)
{
    if (!(zoom >= CZN2DView::kMinZoom)) // NaN too
        return CZN2DView::kMinZoom;
    return std::min(zoom, CZN2DView::kMaxZoom);
}

// The brushes and pens shared by the three views, made once.
CBrush &InactiveBrush()
{
    static CBrush brush(RGB(0, 0, 0));
    return brush;
}
CBrush &ActiveBrush()
{
    static CBrush brush(RGB(30, 30, 30));
    return brush;
}
CPen &MinorGridPen()
{
    static CPen pen(PS_SOLID, 1, RGB(70, 70, 70));
    return pen;
}
CPen &MajorGridPen()
{
    static CPen pen(PS_SOLID, 1, RGB(120, 120, 120));
    return pen;
}
CPen &AxesPen()
{
    static CPen pen(PS_SOLID, 1, RGB(155, 50, 50));
    return pen;
}
CPen &CursorPen()
{
    static CPen pen(PS_DOT, 1, RGB(35, 35, 200));
    return pen;
}

CZNCAMERA *Camera()
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    return d3d ? d3d->GetCamera() : nullptr;
}

// A context drawing on the window's own picture; false without a window or a picture.
bool AttachWindowDC(IZNViewWindow *window, CDC &dc)
{
    if (!window)
        return false;
    QImage *image = window->GetWindowImage();
    return image && dc.AttachImage(image);
}

// One pass of grid lines from the origin outwards: line n lies at origin + n * step (n counted
// from 1) and is drawn while it lies before the far edge (step > 0: limit; step < 0: -1).
// Positions are computed from n rather than summed, so that a far origin neither drifts nor
// stalls; lines before the near edge are skipped without drawing, and a pass never draws more
// lines than fit across the window.
template <class DrawLine> void GridPass(double origin, double step, double limit, bool minorLines, DrawLine drawLine)
{
    const double nearEdge = step > 0 ? -1.0 : limit;
    double first = std::floor((nearEdge - origin) / step);
    if (!(first > 1.0))
        first = 1.0;
    const double most = std::ceil((limit + 2.0) / std::fabs(step)) + 2.0;
    for (double k = 0.0; k < most; k += 1.0) {
        const double n = first + k;
        const double p = origin + n * step;
        if (!(step > 0 ? p < limit : p > -1.0))
            break;
        if (step > 0 ? p <= -1.0 : p >= limit)
            continue;
        const bool major = std::fmod(n, 10.0) == 0.0;
        if (major || minorLines)
            drawLine(static_cast<int>(p), major);
    }
}

} // namespace

CZN2DView::CZN2DView()
    : CZNView(ZN2DVIEW_TOP), m_Active(0), m_ClientWidth(0), m_ClientHeight(0), m_BackBufferWidth(0),
      m_BackBufferHeight(0), m_Name(nullptr), m_BackgroundBrush(&InactiveBrush()), m_Centre(0.0f, 0.0f),
      m_Zoom(1.0f), m_LastCursor{0, 0}, m_PreviousBitmap(nullptr), m_AxisGrabMask(0), m_FastPaint(0), m_FastPainted(0),
      m_Window(nullptr), m_CursorId(ZNCURSOR_ARROW)
{
}

CZN2DView::~CZN2DView()
{
    if (m_Input)
        m_Input->ForgetView(this);
    ReleaseBackBuffer();
}

bool CZN2DView::GetSourceCursorPoint(D3DXVECTOR3 *point) const
{
    if (!m_Source)
        return false;
    *point = m_Source->GetCursorPoint();
    return true;
}

ZNBRUSH *CZN2DView::SourceBrushes() const
{
    return m_Source ? m_Source->GetBrushList() : nullptr;
}

CZNOverlay *CZN2DView::SourceOverlays() const
{
    return m_Source ? m_Source->GetOverlayList() : nullptr;
}

CZNEntity *CZN2DView::SourceEntities() const
{
    return m_Source ? m_Source->GetEntityList() : nullptr;
}

void CZN2DView::RedrawSourceViews()
{
    if (m_Source)
        m_Source->RedrawAllViews(nullptr, 0);
}

void CZN2DView::DrawSourceOverlay(CDC *dc)
{
    if (m_Source)
        m_Source->DrawOverlay2D(dc, this);
}

int CZN2DView::GetHorizontalAxis() const
{
    return m_ViewType == ZN2DVIEW_RIGHT ? 2 : 0;
}

int CZN2DView::GetVerticalAxis() const
{
    return m_ViewType == ZN2DVIEW_TOP ? 2 : 1;
}

int CZN2DView::GetDepthAxis() const
{
    return 3 - GetHorizontalAxis() - GetVerticalAxis();
}

D3DXVECTOR2 CZN2DView::WorldToView(const D3DXVECTOR3 &p) const
{
    const float *c = &p.x;
    return D3DXVECTOR2(c[GetHorizontalAxis()], -c[GetVerticalAxis()]);
}

POINT *CZN2DView::WorldToScreen(POINT *out, const D3DXVECTOR3 *p) const
{
    if (!out || !p)
        return out;
    const D3DXVECTOR2 view = WorldToView(*p);
    const int halfWidth = m_ClientWidth / 2;
    const int halfHeight = m_ClientHeight / 2;
    out->x = ToPixel((view.x - m_Centre.x) * m_Zoom + static_cast<float>(halfWidth));
    out->y = ToPixel((view.y - m_Centre.y) * m_Zoom + static_cast<float>(halfHeight));
    return out;
}

LONG CZN2DView::WorldToScreenX(float u) const
{
    return ToPixel((u - m_Centre.x) * m_Zoom + static_cast<float>(m_ClientWidth / 2));
}

LONG CZN2DView::WorldToScreenY(float w) const
{
    return ToPixel((-w - m_Centre.y) * m_Zoom + static_cast<float>(m_ClientHeight / 2));
}

D3DXVECTOR3 *CZN2DView::ScreenToWorld(D3DXVECTOR3 *out, float x, float y, BOOL depthFromCursor) const
{
    if (!out)
        return out;
    float *c = &out->x;
    const int depth = GetDepthAxis();
    D3DXVECTOR3 cursor;
    c[depth] = depthFromCursor && GetSourceCursorPoint(&cursor) ? (&cursor.x)[depth] : 0.0f;
    c[GetHorizontalAxis()] = (x - static_cast<float>(m_ClientWidth / 2)) / m_Zoom + m_Centre.x;
    c[GetVerticalAxis()] = -((y - static_cast<float>(m_ClientHeight / 2)) / m_Zoom + m_Centre.y);
    return out;
}

void CZN2DView::ZoomToBox(const ZNBBOX *box, BOOL zoomToo)
{
    if (!box)
        return;
    const D3DXVECTOR3 centre = (box->Min + box->Max) * 0.5f;
    const D3DXVECTOR3 size = box->Max - box->Min;
    const float *c = &centre.x;
    const float *s = &size.x;
    const int h = GetHorizontalAxis(), v = GetVerticalAxis();
    m_Centre = D3DXVECTOR2(c[h], -c[v]);
    if (!zoomToo || m_ClientWidth <= 0 || m_ClientHeight <= 0)
        return;
    const float rh = s[h] / static_cast<float>(m_ClientWidth);
    const float rv = s[v] / static_cast<float>(m_ClientHeight);
    float length = std::sqrt(rh * rh + rv * rv);
    if (length < 0.0001f)
        length = 0.1f;
    m_Zoom = ClampZoom(1.0f / length);
}

void CZN2DView::FollowCamera()
{
    const ZNAPPOPTIONS &options = GetEditorApp()->Options();
    const CZNCAMERA *camera = Camera();
    if (camera && options.m_KeepCameraInView) {
        const D3DXVECTOR3 &p = camera->GetPosition();
        const float *c = &p.x;
        const int h = GetHorizontalAxis(), v = GetVerticalAxis();
        if (options.m_KeepCameraCentred) {
            m_Centre = D3DXVECTOR2(c[h], -c[v]);
            Redraw(FALSE);
            return;
        }
        POINT s;
        WorldToScreen(&s, &p);
        bool moved = false;
        if (s.x < 1 || s.x > m_ClientWidth) {
            m_Centre.x = c[h];
            moved = true;
        }
        if (s.y < 1 || s.y > m_ClientHeight) {
            m_Centre.y = -c[v];
            moved = true;
        }
        if (moved) {
            Redraw(FALSE);
            return;
        }
    }
    if (options.m_DoubleBuffer2D)
        QuickRefresh();
    else
        Redraw(FALSE);
}

void CZN2DView::Redraw(BOOL fastAllowed)
{
    m_FastPaint = fastAllowed && GetEditorApp()->Options().m_FastDraw2D ? 1 : 0;
    CDC dc;
    if (!AttachWindowDC(m_Window, dc))
        return;
    OnDraw(&dc);
    dc.DeleteDC();
    m_Window->ShowWindowImage();
}

void CZN2DView::QuickRefresh()
{
    if (!GetEditorApp()->IsInitialized())
        return;
    CDC dc;
    if (!AttachWindowDC(m_Window, dc))
        return;
    if (m_MemoryDC)
        dc.BitBlt(0, 0, m_BackBufferWidth, m_BackBufferHeight, m_MemoryDC.get(), 0, 0, SRCCOPY);
    DrawSourceOverlay(&dc);
    if (CZNCAMERA *camera = Camera())
        camera->Draw2D(this, &dc);
    dc.DeleteDC();
    m_Window->ShowWindowImage();
}

void CZN2DView::OnInitialUpdate()
{
    m_BackgroundBrush = &InactiveBrush();
    m_Active = 0;
    m_Centre = D3DXVECTOR2(0.0f, 0.0f);
    m_Zoom = 1.0f;
    m_AxisGrabMask = 0;
}

void CZN2DView::OnActivateView(BOOL activate)
{
    m_Active = activate;
    m_BackgroundBrush = activate ? &ActiveBrush() : &InactiveBrush();
    Redraw(FALSE);
}

void CZN2DView::ReleaseBackBuffer()
{
    if (m_MemoryDC) {
        m_MemoryDC->SelectObject(m_PreviousBitmap);
        m_MemoryDC.reset();
    }
    m_BackBufferBitmap.reset();
    m_PreviousBitmap = nullptr;
}

void CZN2DView::OnSize(UINT, int cx, int cy)
{
    cx = std::max(cx, 0);
    cy = std::max(cy, 0);
    m_ClientWidth = cx;
    m_ClientHeight = cy;
    if (cx == m_BackBufferWidth && cy == m_BackBufferHeight)
        return;
    ReleaseBackBuffer();
    m_BackBufferWidth = 0;
    m_BackBufferHeight = 0;
    auto dc = std::make_unique<CDC>();
    auto bitmap = std::make_unique<CBitmap>();
    if (!dc->CreateCompatibleDC(nullptr) || !bitmap->CreateCompatibleBitmap(dc.get(), cx, cy))
        return;
    m_PreviousBitmap = dc->SelectObject(bitmap.get());
    m_MemoryDC = std::move(dc);
    m_BackBufferBitmap = std::move(bitmap);
    m_BackBufferWidth = cx;
    m_BackBufferHeight = cy;
}

BOOL CZN2DView::OnMouseWheel(UINT, short delta, CPoint)
{
    const int notches = delta / 120;
    float zoom = static_cast<float>(static_cast<double>(m_Zoom) * (1.0 + 0.07 * notches));
    if (zoom > 0.94f && zoom < 1.02f)
        zoom = 1.0f;
    m_Zoom = ClampZoom(zoom);
    Redraw(FALSE);
    return TRUE;
}

void CZN2DView::ReadClientSize()
{
    if (!m_Window)
        return;
    RECT client{0, 0, 0, 0};
    m_Window->GetClientRect(&client);
    m_ClientWidth = client.right - client.left;
    m_ClientHeight = client.bottom - client.top;
}

void CZN2DView::OnDraw(CDC *dc)
{
    if (!dc)
        return;
    CZNEDITORApp *app = GetEditorApp();
    const ZNAPPOPTIONS &options = app->Options();
    const bool doubleBuffer = options.m_DoubleBuffer2D && m_MemoryDC;
    CDC *target = doubleBuffer ? m_MemoryDC.get() : dc;
    ReadClientSize();
    const RECT client{0, 0, m_ClientWidth, m_ClientHeight};
    target->FillRect(&client, m_BackgroundBrush);
    DrawGrid(target, app->GetGridSize());
    DrawCursor(target);
    if (!app->IsInitialized())
        return;
    DrawScene(target);
    if (m_Name) {
        target->SetBkColor(RGB(0, 0, 0));
        target->SetTextColor(RGB(255, 255, 255));
        target->TextOut(5, 5, m_Name, -1);
        target->SetBkColor(RGB(255, 255, 255));
    }
    if (doubleBuffer)
        dc->BitBlt(0, 0, m_BackBufferWidth, m_BackBufferHeight, m_MemoryDC.get(), 0, 0, SRCCOPY);
    DrawSourceOverlay(dc);
    if (options.m_DrawCamera2D)
        if (CZNCAMERA *camera = Camera())
            camera->Draw2D(this, dc);
}

void CZN2DView::DrawGrid(CDC *dc, float gridSize)
{
    if (!dc)
        return;
    CPen *previous = dc->SelectObject(&MinorGridPen());
    ReadClientSize();
    const int width = m_ClientWidth, height = m_ClientHeight;
    const float step = gridSize * m_Zoom;
    if (std::isfinite(step) && step >= 0.01f) {
        const bool minorLines = m_Zoom > 0.4f;
        auto vertical = [&](int x, bool major) {
            if (major)
                dc->SelectObject(&MajorGridPen());
            dc->MoveTo(x, 0);
            dc->LineTo(x, height);
            if (major)
                dc->SelectObject(&MinorGridPen());
        };
        auto horizontal = [&](int y, bool major) {
            if (major)
                dc->SelectObject(&MajorGridPen());
            dc->MoveTo(0, y);
            dc->LineTo(width, y);
            if (major)
                dc->SelectObject(&MinorGridPen());
        };
        const double originX = -static_cast<double>(m_Centre.x) * m_Zoom + width / 2;
        const double originY = -static_cast<double>(m_Centre.y) * m_Zoom + height / 2;
        GridPass(originX, step, width, minorLines, vertical);
        GridPass(originX, -step, width, minorLines, vertical);
        GridPass(originY, step, height, minorLines, horizontal);
        GridPass(originY, -step, height, minorLines, horizontal);
    }
    dc->SelectObject(&AxesPen());
    const LONG axisX = ToPixel(-m_Centre.x * m_Zoom + static_cast<float>(width / 2));
    const LONG axisY = ToPixel(-m_Centre.y * m_Zoom + static_cast<float>(height / 2));
    dc->MoveTo(axisX, 0);
    dc->LineTo(axisX, height);
    dc->MoveTo(0, axisY);
    dc->LineTo(width, axisY);
    if (previous)
        dc->SelectObject(previous);
}

void CZN2DView::DrawCursor(CDC *dc)
{
    D3DXVECTOR3 cursor;
    if (!dc || !GetSourceCursorPoint(&cursor))
        return;
    const float *c = &cursor.x;
    CPen *previous = dc->SelectObject(&CursorPen());
    const LONG x = WorldToScreenX(c[GetHorizontalAxis()]);
    const LONG y = WorldToScreenY(c[GetVerticalAxis()]);
    dc->MoveTo(x, 0);
    dc->LineTo(x, m_ClientHeight);
    dc->MoveTo(0, y);
    dc->LineTo(m_ClientWidth, y);
    if (previous)
        dc->SelectObject(previous);
}

BOOL CZN2DView::IsBoxVisible(const ZNBBOX *box) const
{
    if (!box)
        return FALSE;
    POINT a, b;
    WorldToScreen(&a, &box->Min);
    WorldToScreen(&b, &box->Max);
    const LONG left = std::min(a.x, b.x), right = std::max(a.x, b.x);
    const LONG top = std::min(a.y, b.y), bottom = std::max(a.y, b.y);
    // Both ends of each projected interval are drawn pixels.
    return right >= 0 && left < m_BackBufferWidth && bottom >= 0 && top < m_BackBufferHeight;
}

void CZN2DView::DrawBrushes(CDC *dc, CPen *unselected, CPen *selected, bool boxesAllowed)
{
    int current = 0;
    for (ZNBRUSH *brush = SourceBrushes(); brush; brush = brush->m_Next) {
        if (!IsBoxVisible(&brush->m_Bounds))
            continue;
        const int isSelected = brush->IsBrushSelected();
        if (isSelected != current) {
            dc->SelectObject(isSelected ? selected : unselected);
            current = isSelected;
        }
        if (boxesAllowed && m_FastPaint && (brush->m_Flags & ZNBRUSH_DETAIL)) {
            brush->DrawBBOX2D(this, dc, nullptr);
            m_FastPainted = 1;
        } else {
            brush->Draw2D(this, dc, nullptr, nullptr);
        }
    }
}

void CZN2DView::DrawOverlays(CDC *dc, CPen *unselected, CPen *selected, bool overlayMode)
{
    if (!overlayMode) {
        int current = 0;
        for (CZNOverlay *overlay = SourceOverlays(); overlay; overlay = overlay->m_Next) {
            if (overlay->IsHidden() || !IsBoxVisible(&overlay->m_Bounds))
                continue;
            const int isSelected = overlay->IsSelected();
            if (isSelected != current) {
                dc->SelectObject(isSelected ? selected : unselected);
                current = isSelected;
            }
            for (DWORD i = 0; i < overlay->GetFaceCount(); ++i)
                overlay->DrawFace2D(this, dc, i);
        }
        return;
    }
    for (int pass = 0; pass < 2; ++pass) {
        dc->SelectObject(pass ? selected : unselected);
        for (CZNOverlay *overlay = SourceOverlays(); overlay; overlay = overlay->m_Next) {
            if (overlay->IsHidden() || !IsBoxVisible(&overlay->m_Bounds))
                continue;
            if (!pass)
                overlay->DrawBox2D(this, dc);
            for (DWORD i = 0; i < overlay->GetFaceCount(); ++i)
                if (overlay->GetFace(i)->IsFaceSelected() == pass)
                    overlay->DrawFace2D(this, dc, i);
        }
    }
}

void CZN2DView::DrawScene(CDC *dc)
{
    if (!dc || (!SourceBrushes() && !SourceOverlays() && !SourceEntities()))
        return;
    CPen unselected(PS_SOLID, 1, RGB(255, 255, 255));
    CPen selected(PS_SOLID, 1, RGB(255, 100, 100));
    CPen vertexPen(PS_SOLID, 1, RGB(255, 128, 100));
    CPen *previous = dc->SelectObject(&unselected);
    const ZNEDITMODE mode = GetEditorApp()->GetEditMode();
    switch (mode) {
    case ZNEDITMODE_BRUSH:
        DrawBrushes(dc, &unselected, &selected, true);
        break;
    case ZNEDITMODE_FACE:
    case ZNEDITMODE_VERTEX: {
        for (ZNBRUSH *brush = SourceBrushes(); brush; brush = brush->m_Next) {
            if (!IsBoxVisible(&brush->m_Bounds))
                continue;
            for (DWORD i = 0; i < brush->m_FaceCount; ++i)
                if (!brush->m_Faces[i]->IsFaceSelected())
                    brush->Draw2D(this, i, dc);
        }
        dc->SelectObject(&selected);
        for (ZNBRUSH *brush = SourceBrushes(); brush; brush = brush->m_Next) {
            if (!IsBoxVisible(&brush->m_Bounds))
                continue;
            for (DWORD i = 0; i < brush->m_FaceCount; ++i) {
                ZNFACE *face = brush->m_Faces[i];
                if (!face->IsFaceSelected())
                    continue;
                brush->Draw2D(this, i, dc);
                if (mode != ZNEDITMODE_VERTEX)
                    continue;
                dc->SelectObject(&vertexPen);
                for (short k = 0; k < face->GetVertexCount(); ++k) {
                    if (!face->IsVertexSelected(k))
                        continue;
                    const D3DXVECTOR3 p = face->GetVector(k);
                    POINT s;
                    WorldToScreen(&s, &p);
                    dc->Ellipse(s.x - 3, s.y - 3, s.x + 3, s.y + 3);
                }
                dc->SelectObject(&selected);
            }
        }
        break;
    }
    case ZNEDITMODE_OVERLAY:
        DrawBrushes(dc, &unselected, &selected, false);
        break;
    }
    // Overlays in dotted pens, after the brushes.
    if (previous)
        dc->SelectObject(previous);
    CPen overlayUnselected(PS_DOT, 1, RGB(0, 155, 0));
    CPen overlaySelected(PS_DOT, 1, RGB(255, 100, 100));
    dc->SelectObject(&overlayUnselected);
    DrawOverlays(dc, &overlayUnselected, &overlaySelected, mode == ZNEDITMODE_OVERLAY);
    if (previous)
        dc->SelectObject(previous);
    DrawEntities(dc, SourceEntities());
}

void CZN2DView::DrawEntities(CDC *dc, CZNEntity *first)
{
    if (!dc)
        return;
    const ZNAPPOPTIONS &options = GetEditorApp()->Options();
    for (CZNEntity *entity = first; entity; entity = entity->m_Next) {
        const bool light = entity->GetLightIndex() != -1;
        if (light ? options.m_DrawLights2D : options.m_DrawEntities2D)
            entity->Draw2D(this, dc, nullptr);
    }
}

void CZN2DView::DrawVertexHints(CPoint point)
{
    CZNEDITORApp *app = GetEditorApp();
    if (app->GetEditMode() != ZNEDITMODE_VERTEX || !app->Options().m_DoubleBuffer2D || !m_MemoryDC)
        return;
    CDC memory;
    CBitmap bitmap;
    if (!memory.CreateCompatibleDC(nullptr) || !bitmap.CreateCompatibleBitmap(&memory, m_ClientWidth, m_ClientHeight))
        return;
    CBitmap *previousBitmap = memory.SelectObject(&bitmap);
    memory.BitBlt(0, 0, m_BackBufferWidth, m_BackBufferHeight, m_MemoryDC.get(), 0, 0, SRCCOPY);
    DrawSourceOverlay(&memory);
    if (app->Options().m_DrawCamera2D)
        if (CZNCAMERA *camera = Camera())
            camera->Draw2D(this, &memory);
    CPen pen(PS_SOLID, 1, RGB(100, 100, 255));
    CPen *previousPen = memory.SelectObject(&pen);
    const double reach = static_cast<double>(m_Zoom) * 20.0;
    for (ZNBRUSH *brush = SourceBrushes(); brush; brush = brush->m_Next) {
        if (!IsBoxVisible(&brush->m_Bounds))
            continue;
        for (DWORD i = 0; i < brush->m_FaceCount; ++i) {
            const ZNFACE *face = brush->m_Faces[i];
            for (short k = 0; k < face->GetVertexCount(); ++k) {
                if (face->IsVertexSelected(k))
                    continue;
                const D3DXVECTOR3 p = face->GetVector(k);
                POINT s;
                WorldToScreen(&s, &p);
                const double dx = double(s.x) - point.x, dy = double(s.y) - point.y;
                if (dx * dx + dy * dy < reach * reach)
                    memory.Rectangle(s.x - 3, s.y - 3, s.x + 3, s.y + 3);
            }
        }
    }
    CDC dc;
    if (AttachWindowDC(m_Window, dc)) {
        dc.BitBlt(0, 0, m_ClientWidth, m_ClientHeight, &memory, 0, 0, SRCCOPY);
        dc.DeleteDC();
        m_Window->ShowWindowImage();
    }
    memory.SelectObject(previousPen);
    memory.SelectObject(previousBitmap);
}

BOOL CZN2DView::HitTestCursor(UINT, int x, int y)
{
    m_AxisGrabMask = 0;
    D3DXVECTOR3 cursor;
    if (!GetSourceCursorPoint(&cursor))
        return FALSE;
    const float *c = &cursor.x;
    const int h = GetHorizontalAxis(), v = GetVerticalAxis();
    const int64_t sx = WorldToScreenX(c[h]);
    const int64_t sy = WorldToScreenY(c[v]);
    if (sy - 3 < y && y < sy + 3)
        m_AxisGrabMask |= static_cast<BYTE>(1 << v);
    if (sx - 3 < x && x < sx + 3)
        m_AxisGrabMask |= static_cast<BYTE>(1 << h);
    return m_AxisGrabMask != 0;
}

void CZN2DView::SetCursorId(int id)
{
    m_CursorId = id;
    if (m_Window)
        m_Window->SetCursorById(id);
}

void CZN2DView::OnLButtonDown(UINT flags, CPoint point)
{
    if (m_Input)
        m_Input->OnLButtonDown(this, flags, point);
    else
        HitTestCursor(flags, point.x, point.y);
}

void CZN2DView::OnLButtonUp(UINT flags, CPoint point)
{
    if (!m_AxisGrabMask && m_Input)
        m_Input->OnLButtonUp(this, flags, point);
    m_AxisGrabMask = 0;
}

void CZN2DView::OnRButtonDown(UINT flags, CPoint point)
{
    m_LastCursor = m_Window ? m_Window->GetCursorPos() : POINT(point);
    if (m_Input)
        m_Input->OnRButtonDown(this, flags, point);
}

void CZN2DView::OnRButtonUp(UINT flags, CPoint point)
{
    if (!(flags & MK_LBUTTON)) {
        if (m_FastPainted)
            Redraw(FALSE);
        m_FastPainted = 0;
    }
    if (m_Input)
        m_Input->OnRButtonUp(this, flags, point);
}

void CZN2DView::UpdateCursor(UINT flags, CPoint point)
{
    if (m_Input)
        m_Input->UpdateCursor(this, flags, point);
    else
        SetCursorOverAxes(flags, point.x, point.y);
}

int CZN2DView::GetCursorOverAxes(int x, int y) const
{
    D3DXVECTOR3 cursor;
    if (!GetSourceCursorPoint(&cursor))
        return ZNCURSOR_ARROW;
    const float *c = &cursor.x;
    const int64_t sx = WorldToScreenX(c[GetHorizontalAxis()]);
    const int64_t sy = WorldToScreenY(c[GetVerticalAxis()]);
    const bool overVertical = sx - 3 < x && x < sx + 3;
    const bool overHorizontal = sy - 3 < y && y < sy + 3;
    if (overVertical && overHorizontal)
        return ZNCURSOR_SIZEALL;
    if (overVertical)
        return ZNCURSOR_SIZEWE;
    if (overHorizontal)
        return ZNCURSOR_SIZENS;
    return ZNCURSOR_ARROW;
}

void CZN2DView::SetCursorOverAxes(UINT, int x, int y)
{
    SetCursorId(GetCursorOverAxes(x, y));
}

void CZN2DView::DragCursorPoint(int x, int y)
{
    D3DXVECTOR3 point;
    if (!GetSourceCursorPoint(&point))
        return;
    CZNEDITORApp *app = GetEditorApp();
    const float grid = app->GetGridSize();
    const int snap = app->Options().m_SnapToGrid;
    float *c = &point.x;
    const int h = GetHorizontalAxis(), v = GetVerticalAxis();
    if (m_AxisGrabMask & (1 << h))
        c[h] = SnapToGrid((static_cast<float>(x) - static_cast<float>(m_ClientWidth / 2)) / m_Zoom + m_Centre.x, grid,
                          snap);
    if (m_AxisGrabMask & (1 << v))
        c[v] = SnapToGrid(-((static_cast<float>(y) - static_cast<float>(m_ClientHeight / 2)) / m_Zoom + m_Centre.y),
                          grid, snap);
    m_Source->SetCursorPoint(point);
}

void CZN2DView::DragView(POINT screen)
{
    const LONG dx = screen.x - m_LastCursor.x;
    const LONG dy = screen.y - m_LastCursor.y;
    if (GetEditorApp()->GetRightButtonMode() == ZNRBUTTON_ZOOM) {
        const float before = m_Zoom;
        float zoom = ClampZoom(static_cast<float>(static_cast<double>(before) - dy * 0.0025));
        const bool wasNearOne = before > 0.99f && before < 1.01f;
        if (!wasNearOne && zoom > 0.99f && zoom < 1.01f)
            zoom = 1.0f;
        m_Zoom = zoom;
    } else {
        m_Centre.x -= static_cast<float>(dx) / m_Zoom;
        m_Centre.y -= static_cast<float>(dy) / m_Zoom;
    }
}

void CZN2DView::WrapCursor(POINT screen)
{
    if (!m_Window)
        return;
    const SIZE desktop = m_Window->GetDesktopSize();
    POINT at = screen;
    auto wrap = [](LONG value, LONG extent, LONG *out) {
        if (value < 1)
            *out = extent - 2;
        else if (value >= extent - 1)
            *out = 1;
        else
            return false;
        return true;
    };
    LONG x = 0, y = 0;
    // The last cursor follows only a move the platform made, so a drag never jumps.
    if (wrap(at.x, desktop.cx, &x) && m_Window->SetCursorPos(x, at.y)) {
        at.x = x;
        m_LastCursor.x = x;
    }
    if (wrap(at.y, desktop.cy, &y) && m_Window->SetCursorPos(at.x, y))
        m_LastCursor.y = y;
}

void CZN2DView::OnMouseMove(UINT flags, CPoint point)
{
    const POINT screen = m_Window ? m_Window->GetCursorPos() : POINT(point);
    D3DXVECTOR3 world;
    ScreenToWorld(&world, static_cast<float>(point.x), static_cast<float>(point.y), TRUE);
    if (m_Window)
        m_Window->ShowStatusPosition(world);
    if (m_AxisGrabMask) {
        DragCursorPoint(point.x, point.y);
        m_LastCursor = screen;
        RedrawSourceViews();
        return;
    }
    if (m_Input)
        m_Input->OnMouseMove(this, flags, point);
    UpdateCursor(flags, point);
    if (flags & MK_RBUTTON) {
        DragView(screen);
        m_LastCursor = screen;
        Redraw(TRUE);
        WrapCursor(screen);
    } else {
        DrawVertexHints(point);
    }
}

void CZN2DView::UpdateCursorAtMouse()
{
    UpdateCursor(0, m_Window ? CPoint(m_Window->ScreenToClient(m_Window->GetCursorPos())) : CPoint());
}

void CZN2DView::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (key == VK_SPACE && !(flags & (KF_REPEAT | KF_MENUMODE))) {
        GetEditorApp()->SetSpaceDown(1);
        UpdateCursorAtMouse();
        RedrawSourceViews();
    }
    if (m_Input)
        m_Input->OnKeyDown(this, key, repeat, flags);
}

void CZN2DView::OnKeyUp(UINT key, UINT repeat, UINT flags)
{
    // A release counts only with the previous-state bit.
    if (key == VK_SPACE && !(flags & KF_MENUMODE) && (flags & KF_REPEAT)) {
        GetEditorApp()->SetSpaceDown(0);
        UpdateCursorAtMouse();
        RedrawSourceViews();
    }
    if (m_Input)
        m_Input->OnKeyUp(this, key, repeat, flags);
}
