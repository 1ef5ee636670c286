#include "render/image/draw_paletted_image.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_api.h"
#include "platform/gdi/gdi_types.h"
#include "render/image/image.h"

namespace
{

// value + (target - value) * 127 / 256 rounded down, for differences of either sign.
BYTE HighlightChannel(BYTE value, BYTE target)
{
    const int step = (int(target) - int(value)) * 127;
    const int floored = step >= 0 ? step / 256 : -((-step + 255) / 256);
    return static_cast<BYTE>(int(value) + floored);
}

} // namespace

BOOL DrawPalettedImage(CZNDC *dc, CZNImage *image, int x, int y, int width, int height, bool highlighted)
{
    if (!dc || !image)
        return FALSE;
    const DWORD imageWidth = image->GetWidth(), imageHeight = image->GetHeight();
    if (imageWidth == 0 || imageHeight == 0)
        return FALSE;
    if (width == 0)
        width = static_cast<int>(imageWidth);
    if (height == 0)
        height = static_cast<int>(imageHeight);

    _RAWOPTIONS options{};
    options.Width = imageWidth;
    options.Height = imageHeight;
    options.BitsPerPixel = 8;
    options.Alpha = false;
    options.Planes = 1;
    options.RowPadding = CZNImage::TransformDIBBpl(imageWidth, 8) - imageWidth;
    options.BottomUp = true;
    DWORD size = 0;
    RGBQUAD *palette = nullptr;
    std::unique_ptr<BYTE[]> pixels(image->CompileRawData(options, size, &palette));
    std::unique_ptr<RGBQUAD[]> colours(palette);
    if (!pixels || !colours)
        return FALSE;

    // The header and a table of 256 colours in one block.
    std::vector<BYTE> block(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto *info = reinterpret_cast<BITMAPINFO *>(block.data());
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = static_cast<LONG>(imageWidth);
    info->bmiHeader.biHeight = static_cast<LONG>(imageHeight);
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = 8;
    info->bmiHeader.biCompression = BI_RGB;
    info->bmiHeader.biClrUsed = 256;
    auto *table = reinterpret_cast<RGBQUAD *>(block.data() + sizeof(BITMAPINFOHEADER));
    std::memcpy(table, colours.get(), 256 * sizeof(RGBQUAD));
    if (highlighted) {
        const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
        for (int i = 0; i < 256; ++i) {
            table[i].rgbRed = HighlightChannel(table[i].rgbRed, GetRValue(highlight));
            table[i].rgbGreen = HighlightChannel(table[i].rgbGreen, GetGValue(highlight));
            table[i].rgbBlue = HighlightChannel(table[i].rgbBlue, GetBValue(highlight));
        }
    }
    dc->StretchDIBits(x, y, width, height, 0, 0, static_cast<int>(imageWidth), static_cast<int>(imageHeight),
                      pixels.get(), info, DIB_RGB_COLORS, SRCCOPY);
    return TRUE;
}
