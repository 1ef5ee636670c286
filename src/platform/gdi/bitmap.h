#pragma once

// A bitmap that a memory device context draws into: either a colour bitmap compatible with the
// display, or a DIB section whose 24-bit pixel rows the program also reads and writes directly.
#include <QImage>
#include <cstdint>
#include <memory>

#include "platform/gdi/gdi_object.h"

class ZN_API CZNBitmap : public CZNGdiObject
{
public:
    CZNBitmap() : CZNGdiObject(Kind::Bitmap) {}

    // A colour bitmap of width x height pixels, black at first.
    BOOL CreateCompatibleBitmap(CZNDC *dc, int width, int height);
    // A DIB section described by info (24 bits, BI_RGB; a positive height stores rows bottom-up);
    // rows are padded to 4 bytes. The pixel rows are zeroed and returned through bits.
    BOOL CreateDIBSection(const BITMAPINFO *info, void **bits);

    static CZNBitmap *FromHandle(HBITMAP bitmap) { return bitmap; }
    operator HBITMAP() { return IsCreated() ? this : nullptr; }

    int GetWidth() const { return m_Width; }
    int GetHeight() const { return m_Height; }
    bool IsDIBSection() const { return m_DibBits != nullptr; }
    // The pixel rows of a DIB section, null for other bitmaps.
    void *GetBits() const { return m_DibBits.get(); }
    int GetPitch() const { return m_DibPitch; }

    // The pixels as a 32-bit image (a copy for a DIB section, shared data otherwise).
    QImage GetImage() const;

    // The bitmap a new memory device context holds (1 x 1 pixel; drawing into it does nothing).
    static CZNBitmap *GetStock();

    // Bytes of one DIB row of the given width and bit count, padded to 4 bytes; -1 when too large.
    static int64_t DibPitch(int64_t width, int bitCount);

protected:
    void FreeResources() override;

private:
    friend class CZNDC;
    // The image the context paints on, null when the bitmap cannot be drawn into. For a DIB section
    // this is a working copy of its rows, written back by EndPaint.
    QImage *BeginPaint();
    void EndPaint();

    int m_Width = 0;
    int m_Height = 0;
    QImage m_Image;
    std::unique_ptr<uint8_t[]> m_DibBits;
    int m_DibPitch = 0;
    bool m_DibBottomUp = true;
    QImage m_Scratch;
};
