#include "platform/gdi/dc.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/brush.h"
#include "platform/gdi/font.h"
#include "platform/gdi/pen.h"

namespace
{

QRgb ToRgb(COLORREF c)
{
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

QColor ToColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

bool IsDrawableFormat(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

// Text needs Qt's font database, which exists only with a QGuiApplication.
bool HasFonts()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

void PutPixel(QImage &image, int x, int y, QRgb color)
{
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return;
    reinterpret_cast<QRgb *>(image.scanLine(y))[x] = color;
}

// Fills the pixels x0 .. x1 - 1 of row y.
void FillSpan(QImage &image, int x0, int x1, int y, QRgb color)
{
    if (y < 0 || y >= image.height())
        return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, image.width());
    if (x0 >= x1)
        return;
    QRgb *row = reinterpret_cast<QRgb *>(image.scanLine(y));
    std::fill(row + x0, row + x1, color);
}

void FillBox(QImage &image, int left, int top, int right, int bottom, QRgb color)
{
    top = std::max(top, 0);
    bottom = std::min(bottom, image.height());
    for (int y = top; y < bottom; ++y)
        FillSpan(image, left, right, y, color);
}

// a / b rounded to the nearest integer, halves away from zero; b > 0. Wide enough for products of
// two 33-bit coordinate differences.
int64_t RoundDiv(__int128 a, __int128 b)
{
    return static_cast<int64_t>(a >= 0 ? (2 * a + b) / (2 * b) : -((-2 * a + b) / (2 * b)));
}

// The first i in [lo, hi) for which pred(i) holds, pred being false then true along the range; hi
// when it never holds.
template <typename Pred> int64_t FirstTrue(int64_t lo, int64_t hi, Pred pred)
{
    while (lo < hi) {
        const int64_t mid = lo + (hi - lo) / 2;
        if (pred(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

// Whether pixel number `phase` along a line of the given pen style is drawn (cosmetic patterns).
bool StyleOn(int style, int phase)
{
    switch (style) {
    case PS_DOT:
        return phase % 6 < 3;
    case PS_DASH:
        return phase % 24 < 18;
    default:
        return true;
    }
}

// Pixel spans of an ellipse filling the pixels left .. right - 1 and top .. bottom - 1: for a row,
// the first and one past the last pixel. The rows nearest the centre reach the full width and the
// middle column the full height, so the figure touches all four sides of its box.
class EllipseSpans
{
public:
    EllipseSpans(int left, int top, int right, int bottom)
        : m_Left(left), m_Top(top), m_Right(right), m_Bottom(bottom), m_Cx((double(left) + right) / 2.0),
          m_Cy((double(top) + bottom) / 2.0), m_Rx((double(right) - left) / 2.0), m_Ry((double(bottom) - top) / 2.0)
    {
    }

    // Empty (first == last) for a row outside the box.
    std::pair<int, int> Row(int y) const
    {
        if (y < m_Top || y >= m_Bottom)
            return {0, 0};
        // Distance from the centre to the nearer edge of this row.
        const double dy = std::max(0.0, std::fabs(y + 0.5 - m_Cy) - 0.5) / m_Ry;
        const double half = m_Rx * std::sqrt(std::max(0.0, 1.0 - dy * dy)) + 1e-9;
        // Pixels whose centres lie within half of the centre line.
        const double first = std::ceil(m_Cx - half - 0.5);
        const double last = std::floor(m_Cx + half - 0.5) + 1;
        int x0 = static_cast<int>(std::max(first, double(m_Left)));
        int x1 = static_cast<int>(std::min(last, double(m_Right)));
        if (x0 >= x1) {
            // Keep the middle pixel (two for an even width) so that no row is empty.
            const int64_t width = int64_t(m_Right) - m_Left;
            x0 = static_cast<int>(m_Left + (width - 1) / 2);
            x1 = static_cast<int>(m_Left + width / 2 + 1);
        }
        return {x0, x1};
    }

private:
    int m_Left, m_Top, m_Right, m_Bottom;
    double m_Cx, m_Cy, m_Rx, m_Ry;
};

// Puts a rectangle's corners in order: left <= right, top <= bottom.
void OrderCorners(int &left, int &top, int &right, int &bottom)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
}

} // namespace

CZNDC::CZNDC() = default;

CZNDC::~CZNDC()
{
    ReleaseObjects();
}

BOOL CZNDC::CreateCompatibleDC(CZNDC *)
{
    if (m_Type != Type::None)
        return FALSE;
    m_Type = Type::Memory;
    m_Pen = CZNPen::GetStock(BLACK_PEN);
    m_Brush = CZNBrush::GetStock(WHITE_BRUSH);
    m_Font = CZNFont::GetStock(SYSTEM_FONT);
    m_Bitmap = CZNBitmap::GetStock();
    return TRUE;
}

BOOL CZNDC::AttachImage(QImage *surface)
{
    if (m_Type != Type::None || !surface || surface->isNull() || !IsDrawableFormat(surface->format()))
        return FALSE;
    m_Type = Type::Image;
    m_Surface = surface;
    m_Pen = CZNPen::GetStock(BLACK_PEN);
    m_Brush = CZNBrush::GetStock(WHITE_BRUSH);
    m_Font = CZNFont::GetStock(SYSTEM_FONT);
    return TRUE;
}

BOOL CZNDC::DeleteDC()
{
    if (m_Type == Type::None)
        return FALSE;
    ReleaseObjects();
    m_Type = Type::None;
    m_Surface = nullptr;
    m_Position = POINT{0, 0};
    m_StylePhase = 0;
    m_TextColor = 0;
    m_BkColor = 0x00FFFFFF;
    m_BkMode = OPAQUE;
    return TRUE;
}

void CZNDC::ReleaseObjects()
{
    Track(m_Pen, nullptr);
    Track(m_Brush, nullptr);
    Track(m_Font, nullptr);
    Track(m_Bitmap, nullptr);
    m_Pen = nullptr;
    m_Brush = nullptr;
    m_Font = nullptr;
    m_Bitmap = nullptr;
}

void CZNDC::Track(CZNGdiObject *previous, CZNGdiObject *next)
{
    if (previous == next)
        return;
    if (previous && !previous->IsStock())
        previous->RemoveSelector(this);
    if (next)
        next->AddSelector(this);
}

void CZNDC::ObjectDestroyed(CZNGdiObject *object)
{
    // The object is going away: fall back on the stock object without touching it further.
    if (object == m_Pen)
        m_Pen = CZNPen::GetStock(BLACK_PEN);
    else if (object == m_Brush)
        m_Brush = CZNBrush::GetStock(WHITE_BRUSH);
    else if (object == m_Font)
        m_Font = CZNFont::GetStock(SYSTEM_FONT);
    else if (object == m_Bitmap)
        m_Bitmap = CZNBitmap::GetStock();
}

CZNPen *CZNDC::SelectObject(CZNPen *pen)
{
    if (m_Type == Type::None || !pen || !pen->IsCreated())
        return nullptr;
    return Replace(m_Pen, pen);
}

CZNBrush *CZNDC::SelectObject(CZNBrush *brush)
{
    if (m_Type == Type::None || !brush || !brush->IsCreated())
        return nullptr;
    return Replace(m_Brush, brush);
}

CZNFont *CZNDC::SelectObject(CZNFont *font)
{
    if (m_Type == Type::None || !font || !font->IsCreated())
        return nullptr;
    return Replace(m_Font, font);
}

CZNBitmap *CZNDC::SelectObject(CZNBitmap *bitmap)
{
    if (m_Type != Type::Memory || !bitmap || !bitmap->IsCreated())
        return nullptr;
    // A bitmap is drawn on by one context at a time.
    if (bitmap != m_Bitmap && bitmap->IsSelected())
        return nullptr;
    return Replace(m_Bitmap, bitmap);
}

CZNGdiObject *CZNDC::SelectObject(CZNGdiObject *object)
{
    if (!object)
        return nullptr;
    switch (object->GetKind()) {
    case CZNGdiObject::Kind::Pen:
        return SelectObject(static_cast<CZNPen *>(object));
    case CZNGdiObject::Kind::Brush:
        return SelectObject(static_cast<CZNBrush *>(object));
    case CZNGdiObject::Kind::Font:
        return SelectObject(static_cast<CZNFont *>(object));
    case CZNGdiObject::Kind::Bitmap:
        return SelectObject(static_cast<CZNBitmap *>(object));
    }
    return nullptr;
}

CZNGdiObject *CZNDC::SelectStockObject(int id)
{
    if (CZNPen *pen = CZNPen::GetStock(id))
        return SelectObject(pen);
    if (CZNBrush *brush = CZNBrush::GetStock(id))
        return SelectObject(brush);
    if (CZNFont *font = CZNFont::GetStock(id))
        return SelectObject(font);
    return nullptr;
}

QImage *CZNDC::BeginPaint()
{
    if (m_Type == Type::Image)
        return m_Surface;
    if (m_Type == Type::Memory && m_Bitmap)
        return m_Bitmap->BeginPaint();
    return nullptr;
}

void CZNDC::EndPaint()
{
    if (m_Type == Type::Memory && m_Bitmap)
        m_Bitmap->EndPaint();
}

QImage CZNDC::GetImage() const
{
    if (m_Type == Type::Image && m_Surface)
        return m_Surface->format() == QImage::Format_RGB32 ? *m_Surface
                                                           : m_Surface->convertToFormat(QImage::Format_RGB32);
    if (m_Type == Type::Memory && m_Bitmap)
        return m_Bitmap->GetImage();
    return QImage();
}

POINT CZNDC::MoveTo(int x, int y)
{
    const POINT previous = m_Position;
    m_Position = POINT{x, y};
    m_StylePhase = 0;
    return previous;
}

BOOL CZNDC::LineTo(int x, int y)
{
    if (m_Type == Type::None)
        return FALSE;
    if (QImage *image = BeginPaint()) {
        DrawLine(*image, m_Position.x, m_Position.y, x, y, m_StylePhase);
        EndPaint();
    }
    m_Position = POINT{x, y};
    return TRUE;
}

void CZNDC::DrawLine(QImage &image, int x0, int y0, int x1, int y1, int &phase)
{
    if (!m_Pen || m_Pen->GetStyle() == PS_NULL)
        return;
    const QRgb color = ToRgb(m_Pen->GetColor());
    if (m_Pen->GetWidth() > 1) {
        // Wide pens are drawn solid with round ends, centred on the pixel path.
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(QColor(color), m_Pen->GetWidth(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawLine(QPointF(x0 + 0.5, y0 + 0.5), QPointF(x1 + 0.5, y1 + 0.5));
        return;
    }
    // One-pixel lines: every pixel from the start up to, not including, the end. Pixel i lies i steps
    // along the major axis, rounded on the minor one; only the steps inside the image are walked.
    const int64_t dx = int64_t(x1) - x0;
    const int64_t dy = int64_t(y1) - y0;
    const int64_t adx = std::llabs(dx);
    const int64_t ady = std::llabs(dy);
    const int64_t steps = std::max(adx, ady);
    const bool xMajor = adx >= ady;
    // A minor coordinate that does not change needs no division.
    auto pixelX = [&](int64_t i) {
        return xMajor ? x0 + (dx > 0 ? i : -i) : dx == 0 ? int64_t(x0) : x0 + RoundDiv(__int128(i) * dx, ady);
    };
    auto pixelY = [&](int64_t i) {
        return !xMajor ? y0 + (dy > 0 ? i : -i) : dy == 0 ? int64_t(y0) : y0 + RoundDiv(__int128(i) * dy, adx);
    };
    // Each coordinate moves monotonically with i, so the steps inside [0, size) form one range.
    auto inside = [](int64_t &lo, int64_t &hi, int64_t delta, int64_t size, auto coord) {
        if (delta >= 0) {
            lo = FirstTrue(lo, hi, [&](int64_t i) { return coord(i) >= 0; });
            hi = FirstTrue(lo, hi, [&](int64_t i) { return coord(i) >= size; });
        } else {
            lo = FirstTrue(lo, hi, [&](int64_t i) { return coord(i) < size; });
            hi = FirstTrue(lo, hi, [&](int64_t i) { return coord(i) < 0; });
        }
    };
    int64_t first = 0, end = steps;
    inside(first, end, dx, image.width(), pixelX);
    inside(first, end, dy, image.height(), pixelY);

    const int style = m_Pen->GetStyle();
    const bool opaqueGaps = m_BkMode == OPAQUE;
    const QRgb gap = ToRgb(m_BkColor);
    if (first < end) {
        // The rows are reached without a detach check per pixel.
        uchar *bits = image.bits();
        const qsizetype stride = image.bytesPerLine();
        const int64_t width = image.width(), height = image.height();
        const bool solid = style == PS_SOLID;
        for (int64_t i = first; i < end; ++i) {
            const int64_t x = pixelX(i);
            const int64_t y = pixelY(i);
            if (x < 0 || y < 0 || x >= width || y >= height)
                continue;
            QRgb *pixel = reinterpret_cast<QRgb *>(bits + y * stride) + x;
            if (solid || StyleOn(style, static_cast<int>((phase + i) % 24)))
                *pixel = color;
            else if (opaqueGaps)
                *pixel = gap;
        }
    }
    phase = static_cast<int>((phase + steps) % 24);
}

BOOL CZNDC::Rectangle(int left, int top, int right, int bottom)
{
    if (m_Type == Type::None)
        return FALSE;
    OrderCorners(left, top, right, bottom);
    QImage *image = BeginPaint();
    if (!image)
        return TRUE;
    const bool hasPen = m_Pen && m_Pen->GetStyle() != PS_NULL;
    const bool hasBrush = m_Brush && !m_Brush->IsNull();
    if (!hasPen) {
        if (hasBrush)
            FillBox(*image, left, top, right - 1, bottom - 1, ToRgb(m_Brush->GetColor()));
    } else if (right > left && bottom > top) {
        if (hasBrush)
            FillBox(*image, left + 1, top + 1, right - 1, bottom - 1, ToRgb(m_Brush->GetColor()));
        if (m_Pen->GetWidth() > 1) {
            QPainter painter(image);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(
                QPen(ToColor(m_Pen->GetColor()), m_Pen->GetWidth(), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1));
        } else {
            // The outline is the closed path through the four corner pixels.
            int phase = 0;
            DrawLine(*image, left, top, right - 1, top, phase);
            DrawLine(*image, right - 1, top, right - 1, bottom - 1, phase);
            DrawLine(*image, right - 1, bottom - 1, left, bottom - 1, phase);
            DrawLine(*image, left, bottom - 1, left, top, phase);
        }
    }
    EndPaint();
    return TRUE;
}

BOOL CZNDC::Rectangle(const RECT *rect)
{
    return rect ? Rectangle(rect->left, rect->top, rect->right, rect->bottom) : FALSE;
}

BOOL CZNDC::Ellipse(int left, int top, int right, int bottom)
{
    if (m_Type == Type::None)
        return FALSE;
    OrderCorners(left, top, right, bottom);
    if (right - left < 1 || bottom - top < 1)
        return TRUE;
    QImage *image = BeginPaint();
    if (!image)
        return TRUE;
    const bool hasPen = m_Pen && m_Pen->GetStyle() != PS_NULL;
    const bool hasBrush = m_Brush && !m_Brush->IsNull();
    if (hasPen && m_Pen->GetWidth() > 1) {
        QPainter painter(image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(ToColor(m_Pen->GetColor()), m_Pen->GetWidth()));
        painter.setBrush(hasBrush ? QBrush(ToColor(m_Brush->GetColor())) : QBrush(Qt::NoBrush));
        painter.drawEllipse(QRectF(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1));
    } else {
        const EllipseSpans spans(left, top, right, bottom);
        const QRgb penColor = hasPen ? ToRgb(m_Pen->GetColor()) : 0;
        const QRgb brushColor = hasBrush ? ToRgb(m_Brush->GetColor()) : 0;
        // Only the rows inside the image are walked.
        const int firstRow = std::max(top, 0);
        const int endRow = std::min(bottom, image->height());
        for (int y = firstRow; y < endRow; ++y) {
            const auto [x0, x1] = spans.Row(y);
            const auto [above0, above1] = spans.Row(y - 1);
            const auto [below0, below1] = spans.Row(y + 1);
            const int from = std::max(x0, 0);
            const int to = std::min(x1, image->width());
            for (int x = from; x < to; ++x) {
                // Outline: pixels of the figure with a neighbour outside it.
                const bool edge = x == x0 || x == x1 - 1 || x < above0 || x >= above1 || x < below0 || x >= below1;
                if (edge && hasPen)
                    PutPixel(*image, x, y, penColor);
                else if (hasBrush)
                    PutPixel(*image, x, y, brushColor);
            }
        }
    }
    EndPaint();
    return TRUE;
}

BOOL CZNDC::Ellipse(const RECT *rect)
{
    return rect ? Ellipse(rect->left, rect->top, rect->right, rect->bottom) : FALSE;
}

void CZNDC::FillRect(const RECT *rect, CZNBrush *brush)
{
    if (m_Type == Type::None || !rect || !brush || !brush->IsCreated() || brush->IsNull())
        return;
    if (QImage *image = BeginPaint()) {
        FillBox(*image, rect->left, rect->top, rect->right, rect->bottom, ToRgb(brush->GetColor()));
        EndPaint();
    }
}

void CZNDC::DrawFocusRect(const RECT *rect)
{
    if (m_Type == Type::None || !rect || rect->right <= rect->left || rect->bottom <= rect->top)
        return;
    QImage *image = BeginPaint();
    if (!image)
        return;
    // The dots sit where x + y is even, so that the corners are drawn and the pattern runs on
    // around the frame.
    const auto invert = [image](int x, int y) {
        if (((x + y) & 1) != 0 || x < 0 || y < 0 || x >= image->width() || y >= image->height())
            return;
        QRgb &pixel = reinterpret_cast<QRgb *>(image->scanLine(y))[x];
        pixel = (pixel & 0xFF000000u) | (~pixel & 0x00FFFFFFu);
    };
    const int left = std::max(rect->left, -1), right = std::min(rect->right, image->width() + 1);
    const int top = std::max(rect->top, -1), bottom = std::min(rect->bottom, image->height() + 1);
    for (int x = left; x < right; ++x) {
        invert(x, rect->top);
        if (rect->bottom - 1 != rect->top)
            invert(x, rect->bottom - 1);
    }
    for (int y = top; y < bottom; ++y) {
        if (y == rect->top || y == rect->bottom - 1)
            continue;
        invert(rect->left, y);
        if (rect->right - 1 != rect->left)
            invert(rect->right - 1, y);
    }
    EndPaint();
}

COLORREF CZNDC::SetTextColor(COLORREF color)
{
    const COLORREF previous = m_TextColor;
    m_TextColor = color & 0x00FFFFFF;
    return previous;
}

COLORREF CZNDC::SetBkColor(COLORREF color)
{
    const COLORREF previous = m_BkColor;
    m_BkColor = color & 0x00FFFFFF;
    return previous;
}

int CZNDC::SetBkMode(int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    const int previous = m_BkMode;
    m_BkMode = mode;
    return previous;
}

SIZE CZNDC::GetTextExtent(const char *text, int count) const
{
    if (m_Type == Type::None || !m_Font || !text || !HasFonts())
        return SIZE{0, 0};
    if (count < 0)
        count = static_cast<int>(std::strlen(text));
    const QFontMetrics metrics(m_Font->GetQFont());
    return SIZE{metrics.horizontalAdvance(QString::fromLatin1(text, count)), metrics.height()};
}

void CZNDC::DrawTextLine(QImage &image, int x, int y, const char *text, int count, const QRect *clip)
{
    const QFont font = m_Font->GetQFont();
    const QFontMetrics metrics(font);
    const QString line = QString::fromLatin1(text, count);
    QPainter painter(&image);
    if (clip)
        painter.setClipRect(*clip);
    if (m_BkMode == OPAQUE)
        painter.fillRect(QRect(x, y, metrics.horizontalAdvance(line), metrics.height()), ToColor(m_BkColor));
    painter.setFont(font);
    painter.setPen(ToColor(m_TextColor));
    painter.drawText(QPoint(x, y + metrics.ascent()), line);
}

BOOL CZNDC::TextOut(int x, int y, const char *text, int count)
{
    if (m_Type == Type::None || !m_Font || !text || !HasFonts())
        return FALSE;
    if (count < 0)
        count = static_cast<int>(std::strlen(text));
    if (QImage *image = BeginPaint()) {
        DrawTextLine(*image, x, y, text, count, nullptr);
        EndPaint();
    }
    return TRUE;
}

int CZNDC::DrawText(const char *text, int count, RECT *rect, UINT format)
{
    if (m_Type == Type::None || !m_Font || !text || !rect || !HasFonts())
        return 0;
    if (count < 0)
        count = static_cast<int>(std::strlen(text));
    // Lines: the whole text on one line, or split at line feeds (a carriage return before one is dropped).
    std::vector<std::pair<int, int>> lines;
    if (format & DT_SINGLELINE) {
        lines.emplace_back(0, count);
    } else {
        int start = 0;
        for (int i = 0; i <= count; ++i) {
            if (i == count || text[i] == '\n') {
                int end = i;
                if (end > start && text[end - 1] == '\r')
                    --end;
                lines.emplace_back(start, end - start);
                start = i + 1;
            }
        }
    }
    const QFontMetrics metrics(m_Font->GetQFont());
    const int lineHeight = metrics.height();
    const int total = lineHeight * static_cast<int>(lines.size());
    int y = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            y = rect->bottom - lineHeight;
    }
    QImage *image = BeginPaint();
    if (!image)
        return total;
    const QRect clip(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    const bool clipped = !(format & DT_NOCLIP);
    for (const auto &[start, length] : lines) {
        const int width = metrics.horizontalAdvance(QString::fromLatin1(text + start, length));
        int x = rect->left;
        if (format & DT_CENTER)
            x = rect->left + (rect->right - rect->left - width) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - width;
        DrawTextLine(*image, x, y, text + start, length, clipped ? &clip : nullptr);
        y += lineHeight;
    }
    EndPaint();
    return total;
}

BOOL CZNDC::BitBlt(int x, int y, int width, int height, CZNDC *src, int xSrc, int ySrc, DWORD rop)
{
    if (m_Type == Type::None || !src || src->m_Type == Type::None || rop != SRCCOPY)
        return FALSE;
    if (width <= 0 || height <= 0)
        return TRUE;
    // Taken before painting so that a copy within one context reads the pixels as they were.
    const QImage source = src->GetImage();
    if (source.isNull())
        return FALSE;
    QImage *image = BeginPaint();
    if (!image)
        return TRUE;
    // Clip the block to the source and to the destination.
    int64_t sx = xSrc, sy = ySrc, dx = x, dy = y, w = width, h = height;
    auto clipStart = [](int64_t &a, int64_t &b, int64_t &len) {
        if (a < 0) {
            b -= a;
            len += a;
            a = 0;
        }
    };
    clipStart(sx, dx, w);
    clipStart(sy, dy, h);
    clipStart(dx, sx, w);
    clipStart(dy, sy, h);
    w = std::min({w, int64_t(source.width()) - sx, int64_t(image->width()) - dx});
    h = std::min({h, int64_t(source.height()) - sy, int64_t(image->height()) - dy});
    for (int64_t row = 0; row < h; ++row) {
        const QRgb *from = reinterpret_cast<const QRgb *>(source.constScanLine(int(sy + row))) + sx;
        QRgb *to = reinterpret_cast<QRgb *>(image->scanLine(int(dy + row))) + dx;
        for (int64_t i = 0; i < w; ++i)
            to[i] = from[i] | 0xFF000000u;
    }
    EndPaint();
    return TRUE;
}

int CZNDC::StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                         int srcHeight, const void *bits, const BITMAPINFO *info, UINT usage, DWORD rop)
{
    if (m_Type == Type::None || !bits || !info || usage != DIB_RGB_COLORS || rop != SRCCOPY)
        return 0;
    const BITMAPINFOHEADER &header = info->bmiHeader;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > 4096 || header.biPlanes != 1 ||
        header.biCompression != BI_RGB || (header.biBitCount != 8 && header.biBitCount != 24))
        return 0;
    const int64_t imageWidth = header.biWidth;
    const int64_t imageHeight = header.biHeight < 0 ? -int64_t(header.biHeight) : int64_t(header.biHeight);
    const bool bottomUp = header.biHeight > 0;
    const int64_t pitch = CZNBitmap::DibPitch(imageWidth, header.biBitCount);
    if (imageWidth <= 0 || imageHeight <= 0 || imageHeight > 32767 || pitch <= 0)
        return 0;
    if (destWidth <= 0 || destHeight <= 0 || srcWidth <= 0 || srcHeight <= 0)
        return 0;
    uint32_t colours = 0;
    const RGBQUAD *palette = nullptr;
    if (header.biBitCount == 8) {
        colours = header.biClrUsed == 0 ? 256 : header.biClrUsed;
        if (colours > 256)
            return 0;
        palette = reinterpret_cast<const RGBQUAD *>(reinterpret_cast<const uint8_t *>(info) + header.biSize);
    }
    QImage *image = BeginPaint();
    if (!image)
        return srcHeight;
    // Top row of the source rectangle, counted from the top of the image.
    const int64_t srcTop = bottomUp ? imageHeight - int64_t(ySrc) - srcHeight : int64_t(ySrc);
    const auto *data = static_cast<const uint8_t *>(bits);
    // Only the destination pixels inside the image are walked.
    const int64_t firstRow = std::max<int64_t>(0, -int64_t(yDest));
    const int64_t endRow = std::min<int64_t>(destHeight, int64_t(image->height()) - yDest);
    const int64_t firstColumn = std::max<int64_t>(0, -int64_t(xDest));
    const int64_t endColumn = std::min<int64_t>(destWidth, int64_t(image->width()) - xDest);
    for (int64_t j = firstRow; j < endRow; ++j) {
        const int64_t outY = int64_t(yDest) + j;
        const int64_t srcY = srcTop + j * srcHeight / destHeight;
        if (srcY < 0 || srcY >= imageHeight)
            continue;
        const int64_t memoryRow = bottomUp ? imageHeight - 1 - srcY : srcY;
        const uint8_t *row = data + memoryRow * pitch;
        QRgb *out = reinterpret_cast<QRgb *>(image->scanLine(int(outY)));
        for (int64_t i = firstColumn; i < endColumn; ++i) {
            const int64_t outX = int64_t(xDest) + i;
            const int64_t srcX = int64_t(xSrc) + i * srcWidth / destWidth;
            if (srcX < 0 || srcX >= imageWidth)
                continue;
            if (palette) {
                const uint8_t index = row[srcX];
                const RGBQUAD c = index < colours ? palette[index] : RGBQUAD{0, 0, 0, 0};
                out[outX] = qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue);
            } else {
                const uint8_t *p = row + srcX * 3;
                out[outX] = qRgb(p[2], p[1], p[0]);
            }
        }
    }
    EndPaint();
    return srcHeight;
}

int CZNDC::GetDeviceCaps(int index) const
{
    switch (index) {
    case HORZRES:
        return m_Type == Type::Image ? m_Surface->width() : (m_Bitmap ? m_Bitmap->GetWidth() : 0);
    case VERTRES:
        return m_Type == Type::Image ? m_Surface->height() : (m_Bitmap ? m_Bitmap->GetHeight() : 0);
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return 96;
    default:
        return 0;
    }
}
