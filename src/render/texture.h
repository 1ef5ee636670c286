#pragma once

// CZNTexture: one named texture of the editor. Its picture comes from an image file or from an
// entry of a zip texture package; it keeps a small 8-bit preview for the user interface and a
// CRC of the picture that identifies it by content. Faces hold pointers to textures and count
// their references; the device texture exists only while a reference is held: the first
// reference builds it from the full-size picture, read again from its source, and the last one
// frees it. References are counted atomically: one taken or dropped off the UI thread (a batch
// conversion's reader) only counts, and SyncDeviceTexture on the UI thread catches up.
#include <atomic>

#include "platform/d3d9/d3d9_types.h"
#include "platform/export.h"
#include "platform/gdi/gdi_types.h"
#include "platform/os/win_types.h"

class CZNImage;
class IDirect3DDevice9;
class IDirect3DTexture9;

class ZN_API CZNTexture
{
public:
    // Preview sizes: the longer side is brought into this range.
    static constexpr DWORD kPreviewMin = 32;
    static constexpr DWORD kPreviewMax = 64;

    CZNTexture();
    CZNTexture(const char *path, const char *package);
    ~CZNTexture();
    // Textures share nothing: a copy would free its blocks twice.
    CZNTexture(const CZNTexture &) = delete;
    CZNTexture &operator=(const CZNTexture &) = delete;

    // Reads the picture from the file at path, or from the entry path of the zip package when
    // package is given and not empty, and builds the preview and the CRC. 1 on success; a
    // failure leaves the texture empty.
    int LoadTexture(const char *path, const char *package);
    // Frees the texture's data: preview, device texture, paths, name and CRC. The reference
    // count, mip levels and format stay.
    void Release();
    // Frees the device texture; width and height become 0.
    void ReleaseTexture();
    IDirect3DTexture9 *GetD3DTexture() const { return m_pTexture; }

    // The first reference builds the device texture (a failure still counts the reference).
    void IncreaseRefCount();
    // One reference less; the last one frees the device texture. Never goes below 0.
    void DecreaseRefCount();
    LONG GetRefCount() const { return m_RefCount.load(); }
    // On the UI thread: builds the device texture a referenced texture lacks and frees the one of
    // a texture without references.
    void SyncDeviceTexture();

    // 1 when the preview exists.
    int IsLoaded() const { return m_pPreview ? 1 : 0; }
    // The CRC of the picture, 0 when not loaded.
    DWORD GetCRC() const { return IsLoaded() ? m_CRC : 0; }
    // A copy of the file path (or the entry's name in its package), freed by the caller with
    // free; null when not loaded.
    char *GetPathAndFileName() const;
    // The package path, null for a plain file.
    const char *GetPackagePath() const { return m_pPackagePath; }
    DWORD IsInPackage() const { return m_InPackage; }

    // Copies the name, cut to the 1023 characters the field holds; null clears it.
    void SetTextureName(const char *name);
    char *GetTextureName() { return m_Name; }

    CZNImage *GetPreviewImage() const { return m_pPreview; }
    // 0 without a device texture; otherwise its width and height and 1.
    int GetTextureDimensions(unsigned short *width, unsigned short *height) const;
    // Draws the preview at (x, y) at w x h pixels (0: the preview's own size); 1 when drawn.
    int DrawPreview(HDC dc, int x, int y, int w, int h);

    // The mip-level count the next device texture gets; a present one keeps its levels.
    void SetMipLevels(unsigned char levels) { m_MipLevels = levels; }
    BYTE GetMipLevels() const { return m_MipLevels; }
    D3DFORMAT GetFormat() const { return m_Format; }

    CZNTexture *GetNext() const { return m_pNext; }
    void SetNext(CZNTexture *next) { m_pNext = next; }

    operator IDirect3DTexture9 *() const { return m_pTexture; }
    operator CZNImage *() const { return m_pPreview; }

private:
    int LoadImageA(CZNImage *image, const char *path, const char *package);
    // Builds the device texture from the picture, read again. A picture the device takes at its
    // size is converted once into level 0; each level is uploaded once. 0 on failure.
    int GenerateTexture();
    static DWORD CalculateTextureCRC(const CZNImage *image);

protected:
    CZNTexture *m_pNext;           // link of the manager's list
    IDirect3DTexture9 *m_pTexture; // null while no reference is held
    char *m_pPackagePath;          // malloc'd; null for a plain file
    char *m_pFilePath;             // malloc'd; the file, or the entry's name in the package
    DWORD m_InPackage;
    char m_Name[1024];
    DWORD m_CRC;
    std::atomic<LONG> m_RefCount;
    CZNImage *m_pPreview; // owned; null when not loaded
    BYTE m_MipLevels;
    D3DFORMAT m_Format;
    IDirect3DDevice9 *m_pDevice; // the device the texture was made on
    WORD m_Width;                // of the device texture, 0 without one
    WORD m_Height;
};
