#pragma once

// CZNTexture: one named texture of the editor. Faces hold pointers to textures and count
// their references; the device texture exists only while a reference is held.
#include "platform/export.h"
#include "platform/os/win_types.h"

class ZN_API CZNTexture
{
public:
    CZNTexture();
    ~CZNTexture();
    CZNTexture(const CZNTexture &) = delete;
    CZNTexture &operator=(const CZNTexture &) = delete;

    // Frees the texture's data (the device texture and the name); the reference count stays.
    void Release();
    // Frees the device texture; width and height become 0.
    void ReleaseTexture();

    void IncreaseRefCount();
    // One reference less; the last one frees the device texture. Never goes below 0.
    void DecreaseRefCount();
    LONG GetRefCount() const { return m_RefCount; }

    // Copies the name, cut to the 1023 characters the field holds; null clears it.
    void SetTextureName(const char *name);
    char *GetTextureName() { return m_Name; }

    // 0 without a device texture; otherwise its width and height and 1.
    int GetTextureDimensions(unsigned short *width, unsigned short *height) const;

protected:
    char m_Name[1024];
    LONG m_RefCount;
    WORD m_Width;
    WORD m_Height;
};
