#include "ui/slider_metrics.h"

void CZNSliderMetrics::SetPos(float value)
{
    if (value < m_Min)
        value = m_Min;
    if (value > m_Max - m_Page)
        value = m_Max - m_Page;
    m_Pos = value;
}

void CZNSliderMetrics::SetRange(float minimum, float maximum)
{
    m_Min = minimum;
    m_Max = maximum;
    if (m_Page > m_Max - m_Min)
        m_Page = m_Max - m_Min;
    SetPos(m_Pos);
}

void CZNSliderMetrics::SetPage(float page)
{
    m_Page = page > m_Max - m_Min ? m_Max - m_Min : page;
    SetPos(m_Pos);
}

float CZNSliderMetrics::ValueToPixels(float value, bool inverse, int clientHeight) const
{
    const float span = m_Max - m_Min;
    // A slider without a span or without pixels has nothing to map.
    if (!(span > 0.0f) || clientHeight <= 0)
        return 0.0f;
    const float height = static_cast<float>(clientHeight);
    return inverse ? value / (height / span) : value * height / span;
}

RECT CZNSliderMetrics::GetThumbRect(const RECT &client) const
{
    const int height = client.bottom - client.top;
    const int top = static_cast<int>(ValueToPixels(m_Pos, false, height));
    RECT thumb;
    thumb.left = client.left - 1;
    thumb.top = top - 1;
    thumb.right = client.right;
    thumb.bottom = static_cast<int>(static_cast<float>(top) + ValueToPixels(m_Page, false, height) + 0.5f);
    return thumb;
}

bool CZNSliderMetrics::DragTo(int y, int *lastY, int clientHeight)
{
    if (!(m_Max - m_Min > m_Page))
        return false;
    m_Pos += ValueToPixels(static_cast<float>(y - *lastY), true, clientHeight);
    if (m_Pos < m_Min)
        m_Pos = m_Min;
    else if (m_Pos > m_Max - m_Page)
        m_Pos = m_Max - m_Page;
    else
        *lastY = y;
    return true;
}
