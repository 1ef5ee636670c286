#pragma once

// CZNSplashCounters: the counters behind one progress bar of the start-up splash: the task's
// step count, the steps taken (never above the count) and the filled width last shown, so that
// the bar is only sent a position when the filled width changes by a whole pixel. It owns
// nothing. A task of 0 steps stays at 0 and never sends.
#include "platform/export.h"

class ZN_API CZNSplashCounters
{
public:
    // A new task: range = steps (negative counts as 0), position and drawn pixel back to 0.
    void SetTask(int steps);
    // One step with the bar's current width in pixels; true when the bar must be sent the
    // new position.
    bool Step(int barWidth);

    int GetRange() const { return m_Range; }
    int GetPosition() const { return m_Position; }
    int GetDrawnPixel() const { return m_DrawnPixel; }

private:
    int m_Range = 0;
    int m_Position = 0;
    int m_BarWidth = 0;
    int m_DrawnPixel = 0;
};
