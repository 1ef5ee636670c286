// CZNCAMERA in the 2D views: its pixel through the view's projection, drawn and picked there.
#include <algorithm>

#include "app/editor_app.h"
#include "platform/gdi/brush.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/font.h"
#include "platform/gdi/pen.h"
#include "render/camera.h"
#include "render/view/2d_view.h"

bool CZNCAMERA::Pick2D(CZN2DView *view, int x, int y) const
{
    if (!view)
        return false;
    POINT s;
    view->WorldToScreen(&s, &m_Position);
    const int64_t sx = s.x, sy = s.y;
    return sx - 6 < x && x < sx + 6 && sy - 6 < y && y < sy + 6;
}

void CZNCAMERA::Draw2D(CZN2DView *view, CDC *dc) const
{
    if (!view || !dc)
        return;
    const COLORREF colour = m_Selected ? RGB(255, 0, 0) : RGB(255, 255, 255);
    const float zoom = view->GetZoom();
    const int half = static_cast<int>(std::clamp(zoom, 0.5f, 1.0f) * 5.0f);
    POINT s;
    view->WorldToScreen(&s, &m_Position);

    CBrush brush(colour);
    const RECT square{s.x - half, s.y - half, s.x + half, s.y + half};
    dc->FillRect(&square, &brush);

    CPen pen(PS_SOLID, 1, colour);
    CPen *previousPen = dc->SelectObject(&pen);
    const D3DXVECTOR3 ahead = m_Position + m_Look * (50.0f * zoom);
    POINT e;
    view->WorldToScreen(&e, &ahead);
    e.x = std::clamp<LONG>(e.x, s.x - 40, s.x + 40);
    e.y = std::clamp<LONG>(e.y, s.y - 40, s.y + 40);
    dc->MoveTo(s);
    dc->LineTo(e);

    CFont *labelFont = GetEditorApp()->GetLabelFont();
    CFont *previousFont = labelFont ? dc->SelectObject(labelFont) : nullptr;
    dc->SetTextColor(colour);
    const int previousMode = dc->SetBkMode(TRANSPARENT);
    dc->TextOut(s.x + 5, s.y + 5, "Camera", -1);
    dc->SetBkMode(previousMode);
    if (previousFont)
        dc->SelectObject(previousFont);
    if (previousPen)
        dc->SelectObject(previousPen);
}
