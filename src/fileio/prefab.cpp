#include "fileio/prefab.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_types.h"
#include "render/image/image.h"

namespace
{

void CopyCut(char *dest, size_t size, const char *text)
{
    const size_t length = text ? std::min(std::strlen(text), size - 1) : 0;
    if (length)
        std::memcpy(dest, text, length);
    dest[length] = '\0';
}

} // namespace

CZNPrefab::CZNPrefab() : m_Name{}, m_Path{}, m_Category(0), m_Thumbnail(nullptr), m_Next(nullptr) {}

CZNPrefab::~CZNPrefab()
{
    Release();
}

void CZNPrefab::Release()
{
    delete m_Thumbnail;
    m_Thumbnail = nullptr;
    m_Next = nullptr;
}

void CZNPrefab::SetName(const char *name)
{
    CopyCut(m_Name, sizeof m_Name, name);
}

void CZNPrefab::AppendToName(const char *text)
{
    const size_t used = std::strlen(m_Name);
    CopyCut(m_Name + used, sizeof m_Name - used, text);
}

void CZNPrefab::SetPath(const char *path)
{
    CopyCut(m_Path, sizeof m_Path, path);
}

void CZNPrefab::SetThumbnail(CZNImage *image)
{
    if (image == m_Thumbnail)
        return;
    delete m_Thumbnail;
    m_Thumbnail = image;
}

bool CZNPrefab::DrawThumbnail(CZNDC *dc, int x, int y, int width, int height)
{
    if (!dc || !m_Thumbnail)
        return false;
    if (width == 0 || height == 0) {
        width = static_cast<int>(m_Thumbnail->GetWidth());
        height = static_cast<int>(m_Thumbnail->GetHeight());
    }
    if (width <= 0 || height <= 0)
        return false;

    _RAWOPTIONS options{};
    options.Width = static_cast<DWORD>(width);
    options.Height = static_cast<DWORD>(height);
    options.BitsPerPixel = 8;
    options.Alpha = false;
    options.Planes = 1;
    options.RowPadding = (4 - options.Width % 4) % 4;
    options.BottomUp = true;
    DWORD size = 0;
    RGBQUAD *palette = nullptr;
    BYTE *pixels = m_Thumbnail->CompileRawData(options, size, &palette);
    if (!pixels) {
        delete[] palette;
        return false;
    }

    // The header and a table of 256 colours in one block.
    std::vector<BYTE> block(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto *info = reinterpret_cast<BITMAPINFO *>(block.data());
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = width;
    info->bmiHeader.biHeight = height;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = 8;
    info->bmiHeader.biCompression = BI_RGB;
    info->bmiHeader.biClrUsed = 256;
    if (palette)
        std::memcpy(block.data() + sizeof(BITMAPINFOHEADER), palette, 256 * sizeof(RGBQUAD));
    dc->StretchDIBits(x, y, width, height, 0, 0, width, height, pixels, info, DIB_RGB_COLORS, SRCCOPY);
    delete[] pixels;
    delete[] palette;
    return true;
}
