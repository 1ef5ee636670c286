#include "render/texture.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "app/editor_app.h"
#include "fileio/memory_stream_io.h"
#include "platform/d3d9/direct3d_device9.h"
#include "platform/d3d9/direct3d_surface9.h"
#include "platform/d3d9/direct3d_texture9.h"
#include "platform/d3d9/pixel_format.h"
#include "platform/d3dx/d3dx_texture.h"
#include "platform/gdi/gdi_api.h"
#include "render/direct3d.h"
#include "render/image/image.h"
#include "render/texture_package.h"
#include "scene/crc32.h"
#include "scene/path_utils.h"

namespace
{

constexpr const char *kMessageCaption = "TOVRA";

void Report(const char *text)
{
    GetEditorApp()->GetReporter()->Message(text, kMessageCaption, MB_OK);
}

bool Readable(const char *path)
{
    return access(path, R_OK) == 0; // a file that does not exist cannot be read either
}

// The preview size of a w x h picture: the longer side brought to 64 when above it, to 32 when
// below 32, the other side scaled with it (truncated, at least 1 pixel).
void PreviewSize(DWORD width, DWORD height, DWORD *previewWidth, DWORD *previewHeight)
{
    const DWORD longer = std::max(width, height);
    DWORD target = longer;
    if (longer > CZNTexture::kPreviewMax)
        target = CZNTexture::kPreviewMax;
    else if (longer < CZNTexture::kPreviewMin)
        target = CZNTexture::kPreviewMin;
    *previewWidth = width;
    *previewHeight = height;
    if (target == longer)
        return;
    const double scale = double(target) / double(longer);
    if (width >= height) {
        *previewWidth = target;
        *previewHeight = std::max<DWORD>(1, static_cast<DWORD>(height * scale));
    } else {
        *previewHeight = target;
        *previewWidth = std::max<DWORD>(1, static_cast<DWORD>(width * scale));
    }
}

// Writes the picture into a surface of its size in the surface's format, in one pass over the
// planes (through the palette for 8-bit pictures): blue, green, red and alpha bytes for 32-bit
// formats, otherwise each pixel through the format's packing. Pictures without alpha are opaque.
bool WriteLevel(IDirect3DSurface9 *surface, const CZNImage &picture)
{
    D3DSURFACE_DESC desc;
    D3DLOCKED_RECT locked;
    if (FAILED(surface->GetDesc(&desc)) || FAILED(surface->LockRect(&locked, nullptr, 0)))
        return false;
    const UINT bytes = ZNFormatBytesPerPixel(desc.Format);
    const bool wide = desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_X8R8G8B8;
    const bool keepAlpha = ZNFormatHasAlpha(desc.Format);
    const RGBQUAD *palette = picture.GetBitsPerPixel() == 8 ? picture.GetPalette() : nullptr;
    const DWORD width = picture.GetWidth();
    for (DWORD y = 0; y < picture.GetHeight(); ++y) {
        const size_t at = size_t{y} * width;
        const BYTE *red = picture.GetRedPlane() + at;
        const BYTE *green = palette ? nullptr : picture.GetGreenPlane() + at;
        const BYTE *blue = palette ? nullptr : picture.GetBluePlane() + at;
        const BYTE *alpha = picture.GetAlphaPlane() ? picture.GetAlphaPlane() + at : nullptr;
        BYTE *row = static_cast<BYTE *>(locked.pBits) + size_t{y} * static_cast<size_t>(locked.Pitch);
        for (DWORD x = 0; x < width; ++x) {
            const BYTE r = palette ? palette[red[x]].rgbRed : red[x];
            const BYTE g = palette ? palette[red[x]].rgbGreen : green[x];
            const BYTE b = palette ? palette[red[x]].rgbBlue : blue[x];
            const BYTE a = alpha && keepAlpha ? alpha[x] : 0xFF;
            if (wide) {
                BYTE *pixel = row + size_t{x} * 4;
                pixel[0] = b;
                pixel[1] = g;
                pixel[2] = r;
                pixel[3] = a;
            } else {
                ZNWritePixel(desc.Format, row + size_t{x} * bytes, D3DCOLOR_ARGB(a, r, g, b));
            }
        }
    }
    return SUCCEEDED(surface->UnlockRect());
}

// Fills a surface of another size with the picture, scaled by the loader: the picture packed as
// interleaved 24-bit rows (blue, green, red and, with alpha, alpha) and loaded with the linear
// filter. Failures are reported to the user.
bool LoadScaledLevel(IDirect3DSurface9 *surface, CZNImage &picture)
{
    const bool alpha = picture.HasAlpha();
    _RAWOPTIONS options = ZnBgrRawOptions(picture.GetWidth(), picture.GetHeight(), alpha);
    DWORD size = 0;
    BYTE *data = picture.CompileRawData(options, size, nullptr);
    if (!data) {
        Report(" Compile Raw Data FAILED");
        return false;
    }
    const RECT source = {0, 0, static_cast<LONG>(picture.GetWidth()), static_cast<LONG>(picture.GetHeight())};
    const D3DFORMAT sourceFormat = alpha ? D3DFMT_A8R8G8B8 : D3DFMT_R8G8B8;
    const UINT pitch = picture.GetWidth() * (alpha ? 4 : 3);
    const HRESULT loaded = D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, data, sourceFormat, pitch, nullptr,
                                                     &source, D3DX_FILTER_LINEAR, 0);
    delete[] data;
    if (FAILED(loaded)) {
        Report(" D3DXLoadSurfaceFromMemory FAILED");
        return false;
    }
    return true;
}

} // namespace

CZNTexture::CZNTexture()
    : m_pNext(nullptr), m_pTexture(nullptr), m_pPackagePath(nullptr), m_pFilePath(nullptr), m_InPackage(0), m_CRC(0),
      m_RefCount(0), m_pPreview(nullptr), m_MipLevels(1), m_Format(D3DFMT_R5G6B5), m_pDevice(nullptr), m_Width(0),
      m_Height(0)
{
    m_Name[0] = '\0';
}

CZNTexture::CZNTexture(const char *path, const char *package) : CZNTexture()
{
    LoadTexture(path, package);
}

CZNTexture::~CZNTexture()
{
    Release();
}

void CZNTexture::Release()
{
    delete m_pPreview;
    m_pPreview = nullptr;
    ReleaseTexture();
    std::free(m_pPackagePath);
    m_pPackagePath = nullptr;
    std::free(m_pFilePath);
    m_pFilePath = nullptr;
    m_Name[0] = '\0';
    m_InPackage = 0;
    m_CRC = 0;
}

void CZNTexture::ReleaseTexture()
{
    if (m_pTexture) {
        m_pTexture->Release();
        m_pTexture = nullptr;
    }
    m_Width = 0;
    m_Height = 0;
}

void CZNTexture::IncreaseRefCount()
{
    LONG old = m_RefCount.load();
    while (!m_RefCount.compare_exchange_weak(old, old <= 0 ? 1 : old + 1)) {
    }
    if (old <= 0 && GetEditorApp()->IsUIThread())
        GenerateTexture();
}

void CZNTexture::DecreaseRefCount()
{
    LONG old = m_RefCount.load();
    do {
        if (old <= 0)
            return;
    } while (!m_RefCount.compare_exchange_weak(old, old - 1));
    if (old == 1 && GetEditorApp()->IsUIThread())
        ReleaseTexture();
}

void CZNTexture::SyncDeviceTexture()
{
    if (!GetEditorApp()->IsUIThread())
        return;
    if (m_RefCount.load() > 0 && !m_pTexture)
        GenerateTexture();
    else if (m_RefCount.load() <= 0 && m_pTexture)
        ReleaseTexture();
}

char *CZNTexture::GetPathAndFileName() const
{
    if (!IsLoaded() || !m_pFilePath)
        return nullptr;
    return strdup(m_pFilePath);
}

void CZNTexture::SetTextureName(const char *name)
{
    if (!name) {
        m_Name[0] = '\0';
        return;
    }
    // memmove: the name may be this texture's own buffer.
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

int CZNTexture::LoadImageA(CZNImage *image, const char *path, const char *package)
{
    if (!image || !path)
        return 0;
    if (!package || !*package) // opening the file checks that it exists and can be read
        return image->LoadImageFile(path) ? 1 : 0;
    if (!Readable(package) || !CZNTexturePackage::IsPackage(package))
        return 0;
    CZNTexturePackage archive;
    if (!archive.Open(package) || !archive.Contains(path))
        return 0;
    DWORD size = 0;
    unsigned char *buffer = archive.ExtractToMemory(path, &size);
    if (!buffer)
        return 0;
    bool loaded = false;
    {
        // The stream reads the buffer in place.
        CZNMemoryStreamIO stream(buffer, size, ZNSTREAM_READ, false);
        loaded = stream.IsOpen() && image->LoadImageFile(stream);
    }
    delete[] buffer;
    archive.Close();
    return loaded ? 1 : 0;
}

int CZNTexture::LoadTexture(const char *path, const char *package)
{
    // Copies first: the arguments may be this texture's own paths, which Release frees.
    const bool inPackage = package && *package;
    char *file = path ? strdup(path) : nullptr;
    char *archive = inPackage ? strdup(package) : nullptr;
    const bool copied = (!path || file) && (!inPackage || archive);
    Release();
    m_pFilePath = file;
    m_pPackagePath = archive;
    m_InPackage = archive ? 1 : 0;
    if (!copied) {
        Release();
        return 0;
    }

    m_pPreview = new (std::nothrow) CZNImage();
    bool ok = m_pPreview && LoadImageA(m_pPreview, m_pFilePath, m_pPackagePath);
    if (ok) {
        m_CRC = CalculateTextureCRC(m_pPreview);
        const DWORD width = m_pPreview->GetWidth(), height = m_pPreview->GetHeight();
        DWORD previewWidth, previewHeight;
        PreviewSize(width, height, &previewWidth, &previewHeight);
        ok = m_pPreview->MergeAlphaChannel(SwapRedBlue(GetSysColor(COLOR_WINDOW)));
        if (ok && (previewWidth != width || previewHeight != height))
            ok = m_pPreview->Resize(INTERP_PIXEL, previewWidth, previewHeight);
        // A failed depth change leaves no picture, so it fails the load too.
        ok = ok && m_pPreview->ChangeColorDepth(8, false);
    }
    if (ok && m_RefCount > 0)
        ok = GenerateTexture() != 0;
    if (!ok) {
        Release();
        return 0;
    }
    return 1;
}

int CZNTexture::GenerateTexture()
{
    m_pDevice = GetEditorApp()->Get3D()->GetDevice();
    if (!m_pDevice || !IsLoaded())
        return 0;

    CZNImage picture;
    if (!LoadImageA(&picture, m_pFilePath, m_pPackagePath))
        return 0;
    const bool alpha = picture.HasAlpha();
    const D3DFORMAT format = GetEditorApp()->Get3D()->FindTextureFormat(alpha ? 1 : 0);
    if (format == D3DFMT_UNKNOWN)
        return 0;
    m_Format = format;
    ReleaseTexture();

    D3DCAPS9 caps;
    if (FAILED(m_pDevice->GetDeviceCaps(&caps)))
        return 0;
    DWORD width = std::min<DWORD>(picture.GetWidth(), caps.MaxTextureWidth);
    DWORD height = std::min<DWORD>(picture.GetHeight(), caps.MaxTextureHeight);
    ZnRoundToDevicePowersOfTwo(caps, width, height);
    if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY)
        width = height = std::max(width, height);
    // The dimension fields hold 16 bits.
    if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF)
        return 0;

    if (FAILED(D3DXCreateTexture(m_pDevice, width, height, m_MipLevels, 0, format, D3DPOOL_MANAGED, &m_pTexture)) ||
        !m_pTexture) {
        m_pTexture = nullptr;
        return 0;
    }
    IDirect3DSurface9 *surface = nullptr;
    if (FAILED(m_pTexture->GetSurfaceLevel(0, &surface)) || !surface) {
        ReleaseTexture();
        return 0;
    }
    // A picture of the texture's size goes into it as it is, converted once and uploaded once;
    // only one of another size is scaled.
    D3DSURFACE_DESC desc;
    bool filled;
    if (SUCCEEDED(surface->GetDesc(&desc)) && desc.Width == picture.GetWidth() && desc.Height == picture.GetHeight()) {
        filled = WriteLevel(surface, picture);
        if (!filled)
            Report(" D3DXLoadSurfaceFromMemory FAILED");
    } else {
        filled = LoadScaledLevel(surface, picture);
    }
    surface->Release();
    if (!filled) {
        ReleaseTexture();
        return 0;
    }
    if (m_MipLevels != 1 && FAILED(D3DXFilterTexture(m_pTexture, nullptr, 0, D3DX_FILTER_LINEAR))) {
        Report("D3DXFilterTexture FAILED");
        ReleaseTexture();
        return 0;
    }
    m_Width = static_cast<WORD>(width);
    m_Height = static_cast<WORD>(height);
    return 1;
}

DWORD CZNTexture::CalculateTextureCRC(const CZNImage *image)
{
    if (!image)
        return 0;
    // The standard CRC-32 of the planes one after another, then of the palette.
    const size_t planeSize = image->GetPlaneSize();
    DWORD crc = 0;
    for (const BYTE *plane :
         {image->GetAlphaPlane(), image->GetRedPlane(), image->GetGreenPlane(), image->GetBluePlane()})
        if (plane)
            crc = CRC32_Buffer(plane, planeSize, crc);
    if (image->GetPalette())
        crc = CRC32_Buffer(image->GetPalette(), 256 * sizeof(RGBQUAD), crc);
    return crc;
}

int CZNTexture::DrawPreview(HDC dc, int x, int y, int w, int h)
{
    if (!dc || !m_pPreview || m_pPreview->GetWidth() == 0)
        return 0;
    if (w <= 0)
        w = static_cast<int>(m_pPreview->GetWidth());
    if (h <= 0)
        h = static_cast<int>(m_pPreview->GetHeight());

    _RAWOPTIONS options = {};
    options.Width = static_cast<DWORD>(w);
    options.Height = static_cast<DWORD>(h);
    options.BitsPerPixel = 8;
    options.Alpha = false;
    options.Planes = 1;
    options.RedIndex = 0;
    options.RowPadding = CZNImage::TransformDIBBpl(options.Width, 8) - options.Width;
    options.BottomUp = true;
    DWORD size = 0;
    RGBQUAD *palette = nullptr;
    BYTE *data = m_pPreview->CompileRawData(options, size, &palette);
    if (!data || !palette) {
        delete[] data;
        delete[] palette;
        return 0;
    }

    // The header followed by the 256 colours.
    std::vector<BYTE> infoBlock(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto *info = reinterpret_cast<BITMAPINFO *>(infoBlock.data());
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = w;
    info->bmiHeader.biHeight = h;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = 8;
    info->bmiHeader.biCompression = BI_RGB;
    std::memcpy(infoBlock.data() + sizeof(BITMAPINFOHEADER), palette, 256 * sizeof(RGBQUAD));
    StretchDIBits(dc, x, y, w, h, 0, 0, w, h, data, info, DIB_RGB_COLORS, SRCCOPY);
    delete[] data;
    delete[] palette;
    return 1;
}
