#include "app/splash_counters.h"

void CZNSplashCounters::SetTask(int steps)
{
    m_Range = steps > 0 ? steps : 0;
    m_Position = 0;
    m_DrawnPixel = 0;
}

bool CZNSplashCounters::Step(int barWidth)
{
    // Without steps the filled width is undefined (a division by zero): the bar stays empty.
    if (m_Range == 0)
        return false;
    if (m_Position < m_Range)
        ++m_Position;
    m_BarWidth = barWidth;
    const int pixel = static_cast<int>(static_cast<double>(m_BarWidth) / m_Range * m_Position);
    if (pixel == m_DrawnPixel)
        return false;
    m_DrawnPixel = pixel;
    return true;
}
