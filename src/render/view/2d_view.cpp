#include "render/view/2d_view.h"

#include <cmath>

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

} // namespace

CZN2DView::CZN2DView()
    : CZNView(ZN2DVIEW_TOP), m_ClientWidth(0), m_ClientHeight(0), m_Centre(0.0f, 0.0f), m_Zoom(1.0f)
{
}

CZN2DView::~CZN2DView() = default;

D3DXVECTOR2 CZN2DView::WorldToView(const D3DXVECTOR3 &p) const
{
    switch (m_ViewType) {
    case ZN2DVIEW_TOP:
        return D3DXVECTOR2(p.x, -p.z);
    case ZN2DVIEW_RIGHT:
        return D3DXVECTOR2(p.z, -p.y);
    default:
        return D3DXVECTOR2(p.x, -p.y);
    }
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
