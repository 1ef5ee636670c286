#pragma once

// CZNSliderMetrics: the arithmetic of the options panel's slider, free of any widget: a float
// range, page (the thumb's length) and position, their mapping to pixels of a client height, the
// thumb's rectangle and one step of a thumb drag. Invariants after every setter: page <= maximum
// - minimum and minimum <= position <= maximum - page (the upper bound wins when both cannot
// hold). A zero span or a client height of 0 maps everything to 0 pixels.
#include "platform/os/rect.h"

class CZNSliderMetrics
{
public:
    // Clamps to the minimum, then to maximum - page.
    void SetPos(float value);
    // Stores both; a page longer than the new span is cut to it; the position is clamped again.
    void SetRange(float minimum, float maximum);
    // Stores the page, cut to the span; the position is clamped again.
    void SetPage(float page);
    float GetPos() const { return m_Pos; }
    float GetPage() const { return m_Page; }
    float GetMin() const { return m_Min; }
    float GetMax() const { return m_Max; }

    // value * clientHeight / span, or with inverse pixels / (clientHeight / span).
    float ValueToPixels(float value, bool inverse, int clientHeight) const;
    // The thumb in client coordinates: one pixel left of and above the client's left edge and
    // the position's pixel, down to the end of the page, right to the client's right edge.
    RECT GetThumbRect(const RECT &client) const;

    // One move of a thumb drag to y: false (nothing moves) unless the span exceeds the page.
    // The position moves by the pixels since lastY; at either end it stops there and lastY is
    // kept, so the pointer must come back before the thumb moves again; otherwise lastY := y.
    bool DragTo(int y, int *lastY, int clientHeight);

private:
    float m_Pos = 0.0f;
    float m_Page = 10.0f;
    float m_Min = 0.0f;
    float m_Max = 100.0f;
};
