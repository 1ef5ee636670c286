#include "ui/color_swatch.h"

#include <QPainter>

namespace
{
constexpr float kByteScale = 0.003921569f; // 1 / 255

BYTE ChannelByte(float value)
{
    // Cut to an integer, as the stored colours always were; below 0 (and NaN) is 0, above 255 is 255.
    const float scaled = value * 255.0f;
    if (!(scaled > 0.0f))
        return 0;
    if (scaled >= 255.0f)
        return 255;
    return static_cast<BYTE>(scaled);
}
} // namespace

CZNColorSwatch::CZNColorSwatch(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
}

void CZNColorSwatch::SetColor(COLORREF colour)
{
    m_Colour = colour;
    update();
}

COLORREF CZNColorSwatch::ToColorRef(const D3DCOLORVALUE &value)
{
    return RGB(ChannelByte(value.r), ChannelByte(value.g), ChannelByte(value.b));
}

void CZNColorSwatch::WriteColor(COLORREF colour, D3DCOLORVALUE *value)
{
    value->r = GetRValue(colour) * kByteScale;
    value->g = GetGValue(colour) * kByteScale;
    value->b = GetBValue(colour) * kByteScale;
}

void CZNColorSwatch::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.fillRect(contentsRect(), QColor(GetRValue(m_Colour), GetGValue(m_Colour), GetBValue(m_Colour)));
}
