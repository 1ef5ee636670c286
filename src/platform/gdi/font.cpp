#include "platform/gdi/font.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <cstring>

BOOL CZNFont::CreateFontIndirect(const LOGFONT *logFont)
{
    if (IsCreated() || !logFont)
        return FALSE;
    m_LogFont = *logFont;
    m_LogFont.lfFaceName[LF_FACESIZE - 1] = '\0';
    MarkCreated();
    return TRUE;
}

BOOL CZNFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                         BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                         BYTE quality, BYTE pitchAndFamily, const char *faceName)
{
    LOGFONT lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfUnderline = underline;
    lf.lfStrikeOut = strikeOut;
    lf.lfCharSet = charSet;
    lf.lfOutPrecision = outPrecision;
    lf.lfClipPrecision = clipPrecision;
    lf.lfQuality = quality;
    lf.lfPitchAndFamily = pitchAndFamily;
    if (faceName)
        std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

BOOL CZNFont::Attach(HFONT font)
{
    if (IsCreated() || !font || font == this || !font->IsCreated())
        return FALSE;
    LOGFONT lf = font->m_LogFont;
    if (font->IsOwnedByHandle() && !font->IsSelected())
        delete font;
    return CreateFontIndirect(&lf);
}

int CZNFont::GetLogFont(LOGFONT *logFont) const
{
    if (!IsCreated() || !logFont)
        return 0;
    *logFont = m_LogFont;
    return static_cast<int>(sizeof(LOGFONT));
}

QFont CZNFont::GetQFont() const
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_QFont)
        m_QFont = MakeQFont(m_LogFont);
    return *m_QFont;
}

QFont CZNFont::MakeQFont(const LOGFONT &lf)
{
    char face[LF_FACESIZE + 1] = {};
    std::memcpy(face, lf.lfFaceName, LF_FACESIZE);
    QFont font(face[0] ? QString::fromLatin1(face) : QStringLiteral("Sans"));
    font.setStyleHint(QFont::SansSerif);
    LONG weight = lf.lfWeight == FW_DONTCARE ? FW_NORMAL : std::clamp<LONG>(lf.lfWeight, 1, 1000);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    if (lf.lfQuality == NONANTIALIASED_QUALITY)
        font.setStyleStrategy(QFont::NoAntialias);
    else if (lf.lfQuality == ANTIALIASED_QUALITY)
        font.setStyleStrategy(QFont::PreferAntialias);

    if (lf.lfHeight < 0) {
        font.setPixelSize(std::clamp<LONG>(-lf.lfHeight, 1, 4096));
    } else {
        // A cell height: scale the character height so that ascent plus descent matches it.
        const int cell = lf.lfHeight == 0 ? 16 : std::clamp<LONG>(lf.lfHeight, 1, 4096);
        font.setPixelSize(cell);
        const double height = QFontMetricsF(font).height();
        if (height > 0.0)
            font.setPixelSize(std::max(1, static_cast<int>(std::lround(cell * cell / height))));
    }
    return font;
}

void CZNFont::FreeResources()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_QFont.reset();
    m_LogFont = LOGFONT{};
}

namespace
{

struct StockFont : CZNFont {
    StockFont(LONG height, LONG weight)
    {
        CreateFont(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                   DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Sans");
        MarkStock();
    }
};

} // namespace

CZNFont *CZNFont::GetStock(int id)
{
    // Stock objects are never destroyed: contexts may still hold them while the program exits.
    static StockFont *const system = new StockFont(16, FW_BOLD);
    static StockFont *const gui = new StockFont(-11, FW_NORMAL);
    switch (id) {
    case SYSTEM_FONT:
        return system;
    case DEFAULT_GUI_FONT:
        return gui;
    default:
        return nullptr;
    }
}
