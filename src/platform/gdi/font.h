#pragma once

// A font described by a LOGFONT. The matching Qt font is made on first use, when text is drawn or
// measured; that needs a running QGuiApplication.
#include <QFont>
#include <mutex>
#include <optional>

#include "platform/gdi/gdi_object.h"

class ZN_API CZNFont : public CZNGdiObject
{
public:
    CZNFont() : CZNGdiObject(Kind::Font) {}

    BOOL CreateFontIndirect(const LOGFONT *logFont);
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                    BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                    BYTE pitchAndFamily, const char *faceName);
    // Takes over the font of another handle; a handle made by the free creation functions is freed.
    BOOL Attach(HFONT font);

    static CZNFont *FromHandle(HFONT font) { return font; }
    operator HFONT() { return IsCreated() ? this : nullptr; }

    // Copies the description; returns the number of bytes copied (0 for an uncreated font).
    int GetLogFont(LOGFONT *logFont) const;
    const LOGFONT &GetDescription() const { return m_LogFont; }

    // The Qt font drawing this font's text (pixel sized).
    QFont GetQFont() const;
    // The Qt font for a description: a negative height is the character height in pixels, a positive
    // one the cell height (ascent plus descent), 0 a default size.
    static QFont MakeQFont(const LOGFONT &logFont);

    // The fonts that exist from the start (SYSTEM_FONT, DEFAULT_GUI_FONT), null for another id.
    static CZNFont *GetStock(int id);

protected:
    void FreeResources() override;

private:
    LOGFONT m_LogFont{};
    mutable std::mutex m_Mutex;
    mutable std::optional<QFont> m_QFont;
};
