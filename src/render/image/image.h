#pragma once

// CZNImage: the editor's in-memory image. Separate 8-bit planes (alpha, red or palette index,
// green, blue), each width x height bytes, top row first, no row padding; a 256-entry palette
// for 8-bit images. The image owns its planes, held in one block (so a picture loaded after
// another reuses the room the last one freed), and its palette. Loaders recognise texture
// pictures by content; the operations bring a picture into the form a consumer wants (resize,
// colour depth, blur, alpha merge, raw layouts).
#include <cstdint>

#include "platform/export.h"
#include "platform/os/win_types.h"

class CZNStreamIO;

// Interpolation of CZNImage::Resize. Pixel replication is the only kind.
enum INTERPTYPE : int32_t {
    INTERP_PIXEL = 0,
};

// A raw pixel layout: how CompileRawData packs an image and LoadRawImage reads one.
struct _RAWOPTIONS {
    DWORD Width;       // pixels, > 0
    DWORD Height;      // pixels, > 0
    BYTE BitsPerPixel; // 8, 24 or 32
    bool Alpha;        // the image carries an alpha plane
    BYTE Planes;       // 1 = interleaved samples, else the number of planes stored one after another
    BYTE AlphaIndex;   // slot of alpha: byte in a pixel when interleaved, plane number when planar
    BYTE RedIndex;     // slot of red (of the palette index in 8-bit data)
    BYTE GreenIndex;   // slot of green
    BYTE BlueIndex;    // slot of blue
    DWORD DataOffset;  // bytes before the first sample
    DWORD RowPadding;  // bytes after every row of every plane
    bool BottomUp;     // rows stored from the bottom row upward
};

// Blue, green and red interleaved (then alpha, when alpha is set), top row first, no offset and no
// padding: the layout the device's surfaces are filled from and read back into.
inline _RAWOPTIONS ZnBgrRawOptions(DWORD width, DWORD height, bool alpha)
{
    _RAWOPTIONS options = {};
    options.Width = width;
    options.Height = height;
    options.BitsPerPixel = 24;
    options.Alpha = alpha;
    options.Planes = 1;
    options.BlueIndex = 0;
    options.GreenIndex = 1;
    options.RedIndex = 2;
    options.AlphaIndex = 3;
    options.DataOffset = 0;
    options.RowPadding = 0;
    options.BottomUp = false;
    return options;
}

class ZN_API CZNImage
{
public:
    // The largest plane an image may have, and the most its planes may take together;
    // larger pictures are refused.
    static constexpr uint64_t kMaxPlaneSize = 1ull << 30;
    static constexpr uint64_t kMaxImageSize = 1ull << 30;

    CZNImage();
    CZNImage(const CZNImage &image);
    ~CZNImage();
    CZNImage &operator=(const CZNImage &image);

    // Frees the planes and the palette and clears the sizes.
    void Release();

    DWORD GetPlaneSize() const { return m_Width * m_Height; }
    // Bytes of one DWORD-aligned scan line of width pixels at bits per pixel.
    static DWORD TransformDIBBpl(DWORD width, BYTE bits);

    // Allocates zeroed planes (and a zeroed palette for 8 bits) for an image of this size and
    // depth, 8 or 24 bits. False, with no planes, for another depth, an empty or too large size,
    // or no memory.
    bool AllocImageMem(DWORD width, DWORD height, BYTE bits, bool alpha);
    // The same, but the planes hold whatever the memory held: for a reader that writes every sample.
    bool AllocUnclearedImageMem(DWORD width, DWORD height, BYTE bits, bool alpha);

    // Type INTERP_PIXEL resizes by nearest pixel; any other type fails. A failure leaves the image.
    bool Resize(INTERPTYPE type, DWORD width, DWORD height);
    // Converts between 8 and 24 bits and adds or drops the alpha plane. A failure releases the image.
    bool ChangeColorDepth(BYTE bits, bool alpha);
    // 3x3 box blur of every plane present.
    void Blur();
    // Blends colour (0x00RRGGBB) in by transparency, then drops the alpha plane.
    bool MergeAlphaChannel(DWORD colour);

    // Packs the image into a new buffer laid out as options say (freed by the caller with
    // delete[]); size receives its length. When palette is given and the packed image has one,
    // a copy of it (256 entries, delete[]) is returned there. Null on failure.
    BYTE *CompileRawData(_RAWOPTIONS &options, DWORD &size, RGBQUAD **palette);
    // Reads raw pixels laid out as options say from the start of the stream.
    bool LoadRawImage(CZNStreamIO &stream, const _RAWOPTIONS &options);
    bool LoadRawImage(const char *path, const _RAWOPTIONS &options);

    // Reads a picture by its content: BMP, JPEG, PNG, PCX, PSD or TGA.
    bool LoadImageFile(const char *path);
    bool LoadImageFile(CZNStreamIO &stream);
    // Whether a picture format recognises the data; the stream position is kept.
    static bool ValidImageFile(const char *path);
    static bool ValidImageFile(CZNStreamIO &stream);
    // Writes an uncompressed BMP file: 24-bit for 24-bit images, else 8-bit with the palette.
    bool SaveBMP(const char *path);

    // Loads one of the program's bitmap resources as a 106 x 106 8-bit image.
    bool LoadResourceImage(const char *name);

    DWORD GetWidth() const { return m_Width; }
    DWORD GetHeight() const { return m_Height; }
    BYTE GetBitsPerPixel() const { return m_BitsPerPixel; }
    bool HasAlpha() const { return m_bAlpha; }
    BYTE *GetAlphaPlane() const { return m_pAlpha; }
    BYTE *GetRedPlane() const { return m_pRed; }
    BYTE *GetGreenPlane() const { return m_pGreen; }
    BYTE *GetBluePlane() const { return m_pBlue; }
    RGBQUAD *GetPalette() const { return m_pPalette; }

private:
    bool AllocImage(DWORD width, DWORD height, BYTE bits, bool alpha, bool cleared);
    // One block for the planes of an image of this size and depth: red (its pointer owns the
    // block), then green and blue for 24 bits, then alpha. Planes not present are null.
    static bool AllocPlanes(BYTE *(&planes)[4], DWORD width, DWORD height, BYTE bits, bool alpha, bool cleared);
    // Moves the planes into a new block laid out for bits and alpha; planes new to it are left
    // for the caller to fill. A failure leaves the image as it was.
    bool MovePlanes(BYTE bits, bool alpha);
    bool CopyFromImage(const CZNImage *image);
    bool PixelResize(DWORD width, DWORD height);
    void BlurPlane(BYTE *plane);
    static bool ValidRAW(const _RAWOPTIONS &options);

    static bool ValidBMP(CZNStreamIO &stream);
    static bool ValidJPG(CZNStreamIO &stream);
    static bool ValidPNG(CZNStreamIO &stream);
    static bool ValidPCX(CZNStreamIO &stream);
    static bool ValidPSD(CZNStreamIO &stream);
    static bool ValidTGA(CZNStreamIO &stream);
    bool LoadBMP(CZNStreamIO &stream);
    bool LoadJPG(CZNStreamIO &stream);
    bool LoadPNG(CZNStreamIO &stream);
    bool LoadPCX(CZNStreamIO &stream);
    bool LoadPSD(CZNStreamIO &stream);
    bool LoadTGA(CZNStreamIO &stream);

    BYTE *m_pAlpha = nullptr;
    BYTE *m_pRed = nullptr;
    BYTE *m_pGreen = nullptr;
    BYTE *m_pBlue = nullptr;
    RGBQUAD *m_pPalette = nullptr;
    DWORD m_Width = 0;
    DWORD m_Height = 0;
    BYTE m_BitsPerPixel = 0;
    bool m_bAlpha = false;
};
