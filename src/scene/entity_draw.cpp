// CZNEntity in the views: its plug-in's drawing and the editor's own symbol (a cross with a
// facing line and the name in a 2D view, a small wire cube and a label in the 3D view), and the
// 2D click test.
#include <cstdio>
#include <cstring>

#include "app/editor_app.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/font.h"
#include "platform/gdi/pen.h"
#include "render/direct3d.h"
#include "render/view/2d_view.h"
#include "scene/entity.h"
#include "scene/geometry.h"
#include "sdk/override_data.h"
#include "sdk/render_info_2d.h"

namespace
{
constexpr float kFacingPixels = 30.0f;
constexpr float kCubeHalf = 2.0f;
// Built-in materials of the wrapper: selected, entity, light.
constexpr DWORD kSelectedMaterial = 1;
constexpr DWORD kEntityMaterial = 2;
constexpr DWORD kLightMaterial = 3;

// The pens of every entity, made once.
CPen &SelectedPen()
{
    static CPen pen(PS_SOLID, 1, RGB(255, 0, 0));
    return pen;
}
CPen &EntityPen()
{
    static CPen pen(PS_SOLID, 1, RGB(255, 255, 0));
    return pen;
}
CPen &LightPen()
{
    static CPen pen(PS_SOLID, 1, RGB(0, 255, 255));
    return pen;
}
CPen &FacingPen()
{
    static CPen pen(PS_SOLID, 1, RGB(255, 35, 200));
    return pen;
}

// The state an entity is drawn with: false when it is not drawn at all.
bool DrawnState(const OVERRIDEDATA *over, bool hidden, bool ownSelected, bool *selected)
{
    if (over) {
        if (over->Skip == 1)
            return false;
        *selected = over->Selected != 0;
        return true;
    }
    if (hidden)
        return false;
    *selected = ownSelected;
    return true;
}
} // namespace

void CZNEntity::Draw2D(CZN2DView *view, CDC *dc, OVERRIDEDATA *over)
{
    bool selected = false;
    if (!view || !dc || !m_Data || m_BlockSize < 64 || !DrawnState(over, IsHidden(), IsSelected(), &selected))
        return;
    RENDERINFO2D info;
    info.Dc = dc;
    info.Width = view->GetClientWidth();
    info.Height = view->GetClientHeight();
    info.Zoom = view->GetZoom();
    info.CentreU = view->GetCentre().x;
    info.CentreV = -view->GetCentre().y; // view space grows downwards, the world upwards
    info.View = view->GetViewType();
    CallRender2D(&info, over);
    if (over && over->DrawOwnSymbol == 0)
        return;

    CPen *previous = dc->SelectObject(selected ? &SelectedPen() : (m_LightIndex == -1 ? &EntityPen() : &LightPen()));
    D3DXVECTOR3 position;
    GetPosition(&position);
    POINT p;
    view->WorldToScreen(&p, &position);
    dc->MoveTo(p.x, p.y - 5);
    dc->LineTo(p.x, p.y + 6);
    dc->MoveTo(p.x - 5, p.y);
    dc->LineTo(p.x + 6, p.y);

    // The facing line is 30 pixels long at every zoom.
    D3DXVECTOR3 direction(0, 0, 0);
    std::memcpy(&direction, m_Data + 32, sizeof(direction));
    D3DXVec3Normalize(&direction, &direction);
    const D3DXVECTOR3 ahead = position + direction * (kFacingPixels / view->GetZoom());
    POINT q;
    view->WorldToScreen(&q, &ahead);
    dc->SelectObject(&FacingPen());
    dc->MoveTo(p);
    dc->LineTo(q);

    if (m_Name) {
        CFont *font = GetEditorApp()->GetLabelFont();
        CFont *previousFont = font ? dc->SelectObject(font) : nullptr;
        dc->SetTextColor(selected ? RGB(255, 0, 0) : RGB(255, 255, 255));
        dc->SetBkMode(TRANSPARENT);
        dc->TextOut(p.x + 5, p.y + 5, m_Name, -1);
        dc->SetBkMode(OPAQUE);
        if (previousFont)
            dc->SelectObject(previousFont);
    }
    if (previous)
        dc->SelectObject(previous);
}

void CZNEntity::Draw3D(CZN3D *d3d, int selectedPass, OVERRIDEDATA *over)
{
    bool selected = false;
    if (!d3d || !d3d->GetDevice() || !m_Data || m_BlockSize < 64 ||
        !DrawnState(over, IsHidden(), IsSelected(), &selected))
        return;
    if (selectedPass && !selected)
        return;
    CallRender3D(over);
    if (over && over->DrawOwnSymbol == 0)
        return;

    D3DXVECTOR3 c;
    GetPosition(&c);
    const float h = kCubeHalf;
    auto corner = [&](float dx, float dy, float dz) { return D3DXVECTOR3(c.x + dx, c.y + dy, c.z + dz); };
    const float square[4][2] = {{-h, -h}, {h, -h}, {h, h}, {-h, h}}; // (x, z) around the square
    ZNVERTEX lines[24];
    int n = 0;
    for (int i = 0; i < 4; ++i) {
        const float *a = square[i], *b = square[(i + 1) % 4];
        lines[n++] = MakeVertex(corner(a[0], h, a[1]), 0.0f, 1.0f, 0.0f);
        lines[n++] = MakeVertex(corner(b[0], h, b[1]), 0.0f, 1.0f, 0.0f);
    }
    for (int i = 0; i < 4; ++i) {
        const float *a = square[i], *b = square[(i + 1) % 4];
        lines[n++] = MakeVertex(corner(a[0], -h, a[1]), 0.0f, -1.0f, 0.0f);
        lines[n++] = MakeVertex(corner(b[0], -h, b[1]), 0.0f, -1.0f, 0.0f);
    }
    for (int i = 0; i < 4; ++i) {
        const float *a = square[i];
        const float nx = a[0] < 0.0f ? -1.0f : 1.0f;
        lines[n++] = MakeVertex(corner(a[0], h, a[1]), nx, 0.0f, 0.0f);
        lines[n++] = MakeVertex(corner(a[0], -h, a[1]), nx, 0.0f, 0.0f);
    }

    D3DMATERIAL9 saved;
    d3d->GetMaterial(&saved);
    if (selected && !selectedPass)
        d3d->SetDefaultMaterial(kSelectedMaterial);
    else
        d3d->SetDefaultMaterial(m_LightIndex == -1 ? kEntityMaterial : kLightMaterial);
    d3d->SetPrimitiveType(D3DPT_LINELIST);
    d3d->DrawPrimitive(lines, 24);
    d3d->SetPrimitiveType(D3DPT_TRIANGLEFAN);
    d3d->SetMaterial(&saved);

    if (m_Name) {
        char label[288];
        std::snprintf(label, sizeof label, "+ %s", m_Name);
        d3d->DrawText3D(&c, label, 0xFFFFFFFFu);
    }
}

int CZNEntity::HitTest2D(CZN2DView *view, int x, int y) const
{
    if (!view || IsHidden())
        return 0;
    D3DXVECTOR3 position;
    GetPosition(&position);
    POINT p;
    view->WorldToScreen(&p, &position);
    const int64_t px = p.x, py = p.y;
    return px - 6 < x && x < px + 6 && py - 6 < y && y < py + 6 ? 1 : 0;
}
