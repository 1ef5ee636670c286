#include "platform/gdi/bitmap.h"

#include <cstring>
#include <new>

namespace
{

// Largest bitmap side accepted; keeps every size computation inside 32-bit and 64-bit ranges.
constexpr int kMaxSide = 32767;
constexpr int64_t kMaxPixels = int64_t(1) << 28;

bool SizeAcceptable(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

} // namespace

BOOL CZNBitmap::CreateCompatibleBitmap(CZNDC *, int width, int height)
{
    if (IsCreated() || !SizeAcceptable(width, height))
        return FALSE;
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return FALSE;
    image.fill(qRgb(0, 0, 0));
    m_Image = image;
    m_Width = width;
    m_Height = height;
    MarkCreated();
    return TRUE;
}

BOOL CZNBitmap::CreateDIBSection(const BITMAPINFO *info, void **bits)
{
    if (bits)
        *bits = nullptr;
    if (IsCreated() || !info)
        return FALSE;
    const BITMAPINFOHEADER &h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || h.biBitCount != 24 || h.biCompression != BI_RGB)
        return FALSE;
    const int64_t width = h.biWidth;
    const int64_t height = h.biHeight < 0 ? -int64_t(h.biHeight) : int64_t(h.biHeight);
    if (!SizeAcceptable(width, height))
        return FALSE;
    const int64_t pitch = DibPitch(width, 24);
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[static_cast<size_t>(pitch * height)]());
    if (!data)
        return FALSE;
    m_DibBits = std::move(data);
    m_DibPitch = static_cast<int>(pitch);
    m_DibBottomUp = h.biHeight > 0;
    m_Width = static_cast<int>(width);
    m_Height = static_cast<int>(height);
    if (bits)
        *bits = m_DibBits.get();
    MarkCreated();
    return TRUE;
}

int64_t CZNBitmap::DibPitch(int64_t width, int bitCount)
{
    if (width < 0 || width > kMaxSide ||
        (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32))
        return -1;
    return ((width * bitCount + 31) / 32) * 4;
}

QImage CZNBitmap::GetImage() const
{
    if (!IsCreated())
        return QImage();
    if (!m_DibBits)
        return m_Image;
    QImage image(m_Width, m_Height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    for (int y = 0; y < m_Height; ++y) {
        const int row = m_DibBottomUp ? m_Height - 1 - y : y;
        const uint8_t *src = m_DibBits.get() + static_cast<size_t>(row) * m_DibPitch;
        auto *dst = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < m_Width; ++x, src += 3)
            dst[x] = qRgb(src[2], src[1], src[0]);
    }
    return image;
}

QImage *CZNBitmap::BeginPaint()
{
    if (!IsCreated() || IsStock())
        return nullptr;
    if (!m_DibBits)
        return &m_Image;
    m_Scratch = GetImage();
    return m_Scratch.isNull() ? nullptr : &m_Scratch;
}

void CZNBitmap::EndPaint()
{
    if (!m_DibBits || m_Scratch.isNull())
        return;
    for (int y = 0; y < m_Height; ++y) {
        const int row = m_DibBottomUp ? m_Height - 1 - y : y;
        uint8_t *dst = m_DibBits.get() + static_cast<size_t>(row) * m_DibPitch;
        const auto *src = reinterpret_cast<const QRgb *>(m_Scratch.constScanLine(y));
        for (int x = 0; x < m_Width; ++x, dst += 3) {
            dst[0] = static_cast<uint8_t>(qBlue(src[x]));
            dst[1] = static_cast<uint8_t>(qGreen(src[x]));
            dst[2] = static_cast<uint8_t>(qRed(src[x]));
        }
    }
    m_Scratch = QImage();
}

void CZNBitmap::FreeResources()
{
    m_Image = QImage();
    m_Scratch = QImage();
    m_DibBits.reset();
    m_DibPitch = 0;
    m_Width = 0;
    m_Height = 0;
}

namespace
{

struct StockBitmap : CZNBitmap {
    StockBitmap()
    {
        CreateCompatibleBitmap(nullptr, 1, 1);
        MarkStock();
    }
};

} // namespace

CZNBitmap *CZNBitmap::GetStock()
{
    // Never destroyed: contexts may still hold it while the program exits.
    static StockBitmap *const stock = new StockBitmap();
    return stock;
}
