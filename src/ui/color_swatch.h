#pragma once

// CZNColorSwatch: a small sunken frame filled with one colour (a COLORREF), repainted whenever
// the colour is set. The material workshop shows each material and preview-light colour in one.
// The conversions between a colour value of the material (float channels, which may lie beyond
// 0..1) and the swatch's bytes live here too.
#include <QFrame>

#include "platform/d3d9/d3d9_types.h"
#include "platform/os/win_types.h"

class CZNColorSwatch : public QFrame
{
public:
    explicit CZNColorSwatch(QWidget *parent = nullptr);

    void SetColor(COLORREF colour);
    COLORREF GetColor() const { return m_Colour; }

    // Each channel times 255 cut to an integer and held within 0..255: a value above 1.0 shows
    // full, it does not spill into the next channel.
    static COLORREF ToColorRef(const D3DCOLORVALUE &value);
    // Red, green and blue from the bytes (byte / 255); alpha kept.
    static void WriteColor(COLORREF colour, D3DCOLORVALUE *value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    COLORREF m_Colour = 0;
};
