#include "fileio/prefab.h"

#include <algorithm>
#include <cstring>

#include "render/image/draw_paletted_image.h"
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
    return DrawPalettedImage(dc, m_Thumbnail, x, y, width, height, false) != FALSE;
}
