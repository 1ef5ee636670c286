#pragma once

// A brush: a solid colour, or the null (hollow) brush that fills nothing.
#include "platform/gdi/gdi_object.h"

class ZN_API CZNBrush : public CZNGdiObject
{
public:
    CZNBrush() : CZNGdiObject(Kind::Brush) {}
    explicit CZNBrush(COLORREF color);

    BOOL CreateSolidBrush(COLORREF color);

    static CZNBrush *FromHandle(HBRUSH brush) { return brush; }
    operator HBRUSH() { return IsCreated() ? this : nullptr; }

    UINT GetStyle() const { return m_Style; }
    bool IsNull() const { return m_Style == BS_NULL; }
    COLORREF GetColor() const { return m_Color; }

    // The brushes that exist from the start (WHITE_BRUSH .. NULL_BRUSH), null for another id.
    static CZNBrush *GetStock(int id);

protected:
    void SetNull() { m_Style = BS_NULL; }

private:
    UINT m_Style = BS_SOLID;
    COLORREF m_Color = 0;
};
