#include "render/texture.h"

#include <cstring>

CZNTexture::CZNTexture() : m_RefCount(0), m_Width(0), m_Height(0)
{
    m_Name[0] = '\0';
}

CZNTexture::~CZNTexture()
{
    Release();
}

void CZNTexture::Release()
{
    ReleaseTexture();
    m_Name[0] = '\0';
}

void CZNTexture::ReleaseTexture()
{
    m_Width = 0;
    m_Height = 0;
}

void CZNTexture::IncreaseRefCount()
{
    ++m_RefCount;
}

void CZNTexture::DecreaseRefCount()
{
    if (m_RefCount <= 0)
        return;
    if (--m_RefCount == 0)
        ReleaseTexture();
}

void CZNTexture::SetTextureName(const char *name)
{
    if (!name) {
        m_Name[0] = '\0';
        return;
    }
    // memmove: the name may be this record's own buffer.
    size_t length = strnlen(name, sizeof(m_Name) - 1);
    std::memmove(m_Name, name, length);
    m_Name[length] = '\0';
}

int CZNTexture::GetTextureDimensions(unsigned short *width, unsigned short *height) const
{
    if (m_Width == 0 || m_Height == 0)
        return 0;
    if (width)
        *width = m_Width;
    if (height)
        *height = m_Height;
    return 1;
}
