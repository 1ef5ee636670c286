#include <gtest/gtest.h>
#include <zlib.h>

#include <QImage>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "image_fixtures.h"
#include "platform/d3d9/direct3d9.h"
#include "platform/d3d9/direct3d_texture9.h"
#include "platform/d3d9/pixel_format.h"
#include "platform/d3dx/d3dx_texture.h"
#include "platform/gdi/dc.h"
#include "render/image/image.h"
#include "render/texture.h"
#include "support/temp_dir.h"
#include "wrapper_fixture.h"
#include "zip_fixtures.h"

TEST(Texture, NameAndReferenceCount)
{
    CZNTexture texture;
    EXPECT_STREQ(texture.GetTextureName(), "");
    texture.SetTextureName("stone/wall01");
    EXPECT_STREQ(texture.GetTextureName(), "stone/wall01");
    std::string longName(2000, 'n');
    texture.SetTextureName(longName.c_str());
    EXPECT_EQ(std::strlen(texture.GetTextureName()), 1023u);
    texture.SetTextureName(nullptr);
    EXPECT_STREQ(texture.GetTextureName(), "");

    texture.IncreaseRefCount();
    texture.IncreaseRefCount();
    EXPECT_EQ(texture.GetRefCount(), 2);
    texture.DecreaseRefCount();
    texture.DecreaseRefCount();
    texture.DecreaseRefCount();
    EXPECT_EQ(texture.GetRefCount(), 0);
    EXPECT_EQ(texture.GetTextureDimensions(nullptr, nullptr), 0);

    texture.SetTextureName("gone");
    texture.Release();
    EXPECT_STREQ(texture.GetTextureName(), "");
}

// ---------------------------------------------------------------------------------------------
// Textures read from files and packages

namespace
{

// The picture's bytes in the order the texture CRC covers them: alpha, red, green, blue planes
// (those present), then the palette.
uint32_t PlaneCrc(const std::string &path)
{
    CZNImage image;
    EXPECT_TRUE(image.LoadImageFile(path.c_str()));
    uLong crc = crc32(0, nullptr, 0);
    for (const BYTE *plane : {image.GetAlphaPlane(), image.GetRedPlane(), image.GetGreenPlane(), image.GetBluePlane()})
        if (plane)
            crc = crc32(crc, plane, image.GetPlaneSize());
    if (image.GetPalette())
        crc = crc32(crc, reinterpret_cast<const Bytef *>(image.GetPalette()), 256 * sizeof(RGBQUAD));
    return static_cast<uint32_t>(crc);
}

std::string Written(const ZnTempDir &dir, const std::string &name, const std::string &bytes)
{
    const std::string path = dir.File(name);
    ZnWriteFile(path, bytes);
    return path;
}

std::string PathOf(const CZNTexture &texture)
{
    char *path = texture.GetPathAndFileName();
    std::string result = path ? path : "<null>";
    std::free(path);
    return result;
}

void ExpectEmpty(CZNTexture &texture)
{
    EXPECT_EQ(texture.IsLoaded(), 0);
    EXPECT_EQ(texture.GetCRC(), 0u);
    EXPECT_EQ(texture.GetPathAndFileName(), nullptr);
    EXPECT_EQ(texture.GetPreviewImage(), nullptr);
    EXPECT_EQ(static_cast<CZNImage *>(texture), nullptr);
    EXPECT_EQ(texture.IsInPackage(), 0u);
    EXPECT_EQ(texture.GetPackagePath(), nullptr);
    EXPECT_STREQ(texture.GetTextureName(), "");
}

} // namespace

TEST(Texture, PreviewKeepsItsLongerSideBetween32And64)
{
    ZnTempDir dir;
    struct Case {
        uint32_t width, height, previewWidth, previewHeight;
    };
    const Case cases[] = {
        {20, 10, 32, 16}, {40, 20, 40, 20}, {10, 20, 16, 32}, {128, 128, 64, 64}, {100, 30, 64, 19},
        {31, 31, 32, 32}, {64, 8, 64, 8},   {65, 65, 64, 64}, {32, 1, 32, 1},     {1000, 10, 64, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const std::string path = Written(dir, "picture.bmp", ZnMakeBmp(c.width, c.height, 3));
        CZNTexture texture(path.c_str(), nullptr);
        ASSERT_EQ(texture.IsLoaded(), 1);
        CZNImage *preview = texture.GetPreviewImage();
        EXPECT_EQ(static_cast<CZNImage *>(texture), preview);
        EXPECT_EQ(preview->GetWidth(), c.previewWidth);
        EXPECT_EQ(preview->GetHeight(), c.previewHeight);
        EXPECT_EQ(preview->GetBitsPerPixel(), 8);
        EXPECT_FALSE(preview->HasAlpha());
        EXPECT_NE(preview->GetPalette(), nullptr);
        EXPECT_EQ(PathOf(texture), path);
        EXPECT_EQ(texture.IsInPackage(), 0u);
        EXPECT_EQ(texture.GetRefCount(), 0);
        EXPECT_EQ(texture.GetMipLevels(), 1);
        EXPECT_EQ(texture.GetFormat(), D3DFMT_R5G6B5);
        EXPECT_EQ(texture.GetTextureDimensions(nullptr, nullptr), 0);
    }
}

TEST(Texture, CRCCoversThePlanesAndThePaletteOfTheUnconvertedPicture)
{
    ZnTempDir dir;
    // An 8-bit BMP made by the image code from a 24-bit picture.
    CZNImage eight;
    ASSERT_TRUE(eight.LoadImageFile(Written(dir, "source.bmp", ZnMakeBmp(12, 9, 4)).c_str()));
    ASSERT_TRUE(eight.ChangeColorDepth(8, false));
    ASSERT_TRUE(eight.SaveBMP(dir.File("eight.bmp").c_str()));

    const std::string files[] = {
        Written(dir, "plain.bmp", ZnMakeBmp(12, 9, 5)),
        Written(dir, "alpha.png", ZnMakePng(12, 9, 5, true)),
        dir.File("eight.bmp"),
        Written(dir, "plain.tga", ZnMakeTga(12, 9, 5)),
        Written(dir, "other.tga", ZnMakeTga(12, 9, 6)),
    };
    std::vector<DWORD> crcs;
    for (const std::string &file : files) {
        SCOPED_TRACE(file);
        CZNTexture texture(file.c_str(), nullptr);
        ASSERT_EQ(texture.IsLoaded(), 1);
        EXPECT_EQ(texture.GetCRC(), PlaneCrc(file));
        crcs.push_back(texture.GetCRC());
    }
    // The same pixels in two formats are the same picture; other pixels or alpha are not.
    EXPECT_EQ(crcs[0], crcs[3]);
    EXPECT_NE(crcs[0], crcs[1]);
    EXPECT_NE(crcs[0], crcs[4]);
    EXPECT_NE(crcs[0], crcs[2]);
}

TEST(Texture, TransparentPartsOfThePreviewTakeTheWindowColour)
{
    ZnTempDir dir;
    const std::string path = Written(dir, "alpha.png", ZnMakePng(8, 4, 7, true));
    CZNTexture texture(path.c_str(), nullptr);
    ASSERT_EQ(texture.IsLoaded(), 1);
    CZNImage *preview = texture.GetPreviewImage();
    ASSERT_EQ(preview->GetWidth(), 32u);
    ASSERT_EQ(preview->GetHeight(), 16u);
    // The left half of the picture is transparent: (nearly) white, the window background.
    auto whitish = [](uint32_t c) {
        return (c & 0xFF) >= 0xF0 && ((c >> 8) & 0xFF) >= 0xF0 && ((c >> 16) & 0xFF) >= 0xF0;
    };
    for (uint32_t y = 0; y < 16; ++y)
        EXPECT_TRUE(whitish(ZnPixel(*preview, 3, y))) << y;
    EXPECT_FALSE(whitish(ZnPixel(*preview, 30, 8)));
}

TEST(Texture, FailedLoadsLeaveTheTextureEmpty)
{
    ZnTempDir dir;
    const std::string good = Written(dir, "good.bmp", ZnMakeBmp(8, 8, 1));
    const std::string text = Written(dir, "notes.txt", "not a picture at all, just some words");
    const std::string empty = Written(dir, "empty.bmp", "");
    const std::string zip = dir.File("pack.zip");
    std::string bmp = ZnMakeBmp(8, 8, 2);
    ASSERT_TRUE(ZnWriteZip(zip, {{"good.bmp", bmp}, {"cut.bmp", bmp.substr(0, 60)}, {"notes.txt", "words"}}));
    struct Case {
        const char *name;
        const char *path;
        const char *package;
    };
    const Case cases[] = {
        {"missing file", "missing.bmp", nullptr},
        {"no picture", text.c_str(), nullptr},
        {"empty file", empty.c_str(), nullptr},
        {"a folder", dir.Path().c_str(), nullptr},
        {"null path", nullptr, nullptr},
        {"missing package", "good.bmp", "missing.zip"},
        {"package is no zip", "good.bmp", good.c_str()},
        {"missing entry", "other.bmp", zip.c_str()},
        {"cut entry", "cut.bmp", zip.c_str()},
        {"text entry", "notes.txt", zip.c_str()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CZNTexture texture;
        texture.SetTextureName("kept?");
        EXPECT_EQ(texture.LoadTexture(c.path, c.package), 0);
        ExpectEmpty(texture);
        // A failed reload empties a loaded texture as well.
        CZNTexture loaded(good.c_str(), nullptr);
        ASSERT_EQ(loaded.IsLoaded(), 1);
        EXPECT_EQ(loaded.LoadTexture(c.path, c.package), 0);
        ExpectEmpty(loaded);
    }
}

TEST(Texture, LoadsAPackageEntryLikeTheFile)
{
    ZnTempDir dir;
    const std::string tga = ZnMakeTga(16, 8, 9);
    const std::string file = Written(dir, "wall.tga", tga);
    const std::string zip = dir.File("pack.zip");
    ASSERT_TRUE(ZnWriteZip(zip, {{"walls/", ""}, {"walls/wall.tga", tga}}));

    CZNTexture plain(file.c_str(), "");
    ASSERT_EQ(plain.IsLoaded(), 1);
    EXPECT_EQ(plain.IsInPackage(), 0u);
    EXPECT_EQ(plain.GetPackagePath(), nullptr);

    CZNTexture packed("walls/wall.tga", zip.c_str());
    ASSERT_EQ(packed.IsLoaded(), 1);
    EXPECT_EQ(packed.IsInPackage(), 1u);
    EXPECT_STREQ(packed.GetPackagePath(), zip.c_str());
    EXPECT_EQ(PathOf(packed), "walls/wall.tga");
    EXPECT_EQ(packed.GetCRC(), plain.GetCRC());
    EXPECT_EQ(packed.GetPreviewImage()->GetWidth(), 32u);

    // Reloading from the texture's own paths.
    char *own = packed.GetPathAndFileName();
    EXPECT_EQ(packed.LoadTexture(own, packed.GetPackagePath()), 1);
    std::free(own);
    EXPECT_STREQ(packed.GetPackagePath(), zip.c_str());
    EXPECT_EQ(packed.GetCRC(), plain.GetCRC());
}

TEST(Texture, ReleaseKeepsTheCountAndTheMipLevels)
{
    ZnTempDir dir;
    CZNTexture texture(Written(dir, "a.bmp", ZnMakeBmp(8, 8, 1)).c_str(), nullptr);
    ASSERT_EQ(texture.IsLoaded(), 1);
    texture.SetTextureName("a");
    texture.SetMipLevels(3);
    texture.IncreaseRefCount(); // no device: counted, nothing built
    EXPECT_EQ(texture.GetD3DTexture(), nullptr);
    texture.Release();
    ExpectEmpty(texture);
    EXPECT_EQ(texture.GetRefCount(), 1);
    EXPECT_EQ(texture.GetMipLevels(), 3);
}

TEST(Texture, DrawsThePreviewIntoADeviceContext)
{
    ZnTempDir dir;
    CZNTexture texture(Written(dir, "a.bmp", ZnMakeBmp(20, 10, 2)).c_str(), nullptr);
    ASSERT_EQ(texture.IsLoaded(), 1);
    QImage surface(80, 40, QImage::Format_RGB32);
    surface.fill(0xFF123456);
    CZNDC dc;
    ASSERT_TRUE(dc.AttachImage(&surface));
    EXPECT_EQ(texture.DrawPreview(nullptr, 0, 0, 0, 0), 0);
    CZNTexture empty;
    EXPECT_EQ(empty.DrawPreview(dc.GetSafeHdc(), 0, 0, 0, 0), 0);

    // At its own size (32 x 16) at (2, 3).
    ASSERT_EQ(texture.DrawPreview(dc.GetSafeHdc(), 2, 3, 0, 0), 1);
    const CZNImage &preview = *texture.GetPreviewImage();
    for (uint32_t y = 0; y < 16; y += 5)
        for (uint32_t x = 0; x < 32; x += 7)
            EXPECT_EQ(surface.pixel(2 + x, 3 + y) & 0xFFFFFF, ZnPixel(preview, x, y)) << x << "," << y;
    EXPECT_EQ(surface.pixel(1, 3) & 0xFFFFFF, 0x123456u);
    EXPECT_EQ(surface.pixel(34, 3) & 0xFFFFFF, 0x123456u);

    // Another size: the preview replicated to it.
    ASSERT_EQ(texture.DrawPreview(dc.GetSafeHdc(), 40, 0, 64, 32), 1);
    CZNImage larger(preview);
    ASSERT_TRUE(larger.Resize(INTERP_PIXEL, 64, 32));
    for (uint32_t y = 0; y < 32; y += 3)
        for (uint32_t x = 0; x < 40; x += 3)
            EXPECT_EQ(surface.pixel(40 + x, y) & 0xFFFFFF, ZnPixel(larger, x, y)) << x << "," << y;
}

// ---------------------------------------------------------------------------------------------
// Device textures, made on the application's device wrapper

class TextureDeviceTest : public ZnWrapperTest
{
protected:
    void TearDown() override
    {
        GetEditorApp()->Get3D()->Shutdown();
        ZnWrapperTest::TearDown();
    }
    CZN3D &StartApp3D()
    {
        window = std::make_unique<ZnRecordingWindow>(64, 64);
        EXPECT_EQ(GetEditorApp()->Get3D()->Initialize(window.get()), 1);
        return *GetEditorApp()->Get3D();
    }
    // Level 0 of a device texture as 0xAARRGGBB values.
    static std::vector<D3DCOLOR> Level0(IDirect3DTexture9 *texture, UINT *width, UINT *height, D3DFORMAT *format)
    {
        D3DSURFACE_DESC desc;
        EXPECT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
        *width = desc.Width;
        *height = desc.Height;
        *format = desc.Format;
        std::vector<D3DCOLOR> pixels;
        D3DLOCKED_RECT locked;
        if (texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK)
            return pixels;
        pixels.resize(size_t{desc.Width} * desc.Height);
        for (UINT y = 0; y < desc.Height; ++y)
            std::memcpy(&pixels[y * desc.Width], static_cast<BYTE *>(locked.pBits) + y * locked.Pitch, desc.Width * 4);
        texture->UnlockRect(0);
        return pixels;
    }
    ZnTempDir dir;
};

TEST_F(TextureDeviceTest, TheFirstReferenceBuildsTheDeviceTextureAndTheLastFreesIt)
{
    CZN3D &d3d = StartApp3D();
    const std::string path = Written(dir, "wall.bmp", ZnMakeBmp(16, 8, 4));
    CZNImage picture;
    ASSERT_TRUE(picture.LoadImageFile(path.c_str()));
    CZNTexture texture(path.c_str(), nullptr);
    ASSERT_EQ(texture.IsLoaded(), 1);
    EXPECT_EQ(texture.GetD3DTexture(), nullptr);

    texture.IncreaseRefCount();
    IDirect3DTexture9 *made = texture.GetD3DTexture();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(static_cast<IDirect3DTexture9 *>(texture), made);
    unsigned short w = 0, h = 0;
    EXPECT_EQ(texture.GetTextureDimensions(&w, &h), 1);
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 8);
    EXPECT_EQ(texture.GetFormat(), d3d.FindTextureFormat(0));
    UINT width, height;
    D3DFORMAT format;
    std::vector<D3DCOLOR> pixels = Level0(made, &width, &height, &format);
    EXPECT_EQ(format, d3d.FindTextureFormat(0));
    ASSERT_EQ(pixels.size(), 16u * 8u);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 16; ++x)
            EXPECT_EQ(pixels[y * 16 + x] & 0xFFFFFF, ZnPixel(picture, x, y)) << x << "," << y;
    EXPECT_EQ(made->GetLevelCount(), 1u);

    texture.IncreaseRefCount();
    EXPECT_EQ(texture.GetD3DTexture(), made);
    texture.DecreaseRefCount();
    EXPECT_EQ(texture.GetD3DTexture(), made);
    texture.DecreaseRefCount();
    EXPECT_EQ(texture.GetD3DTexture(), nullptr);
    EXPECT_EQ(texture.GetTextureDimensions(&w, &h), 0);
    EXPECT_EQ(texture.IsLoaded(), 1);
    EXPECT_TRUE(reporter.Entries().empty());
}

TEST_F(TextureDeviceTest, PicturesWithAlphaGetAnAlphaFormat)
{
    CZN3D &d3d = StartApp3D();
    const std::string zip = dir.File("pack.zip");
    ASSERT_TRUE(ZnWriteZip(zip, {{"glass.png", ZnMakePng(8, 4, 3, true)}}));
    CZNTexture texture("glass.png", zip.c_str());
    ASSERT_EQ(texture.IsLoaded(), 1);
    texture.IncreaseRefCount();
    ASSERT_NE(texture.GetD3DTexture(), nullptr);
    EXPECT_EQ(texture.GetFormat(), d3d.FindTextureFormat(1));
    UINT width, height;
    D3DFORMAT format;
    std::vector<D3DCOLOR> pixels = Level0(texture.GetD3DTexture(), &width, &height, &format);
    EXPECT_EQ(format, D3DFMT_A8R8G8B8);
    ASSERT_EQ(pixels.size(), 32u);
    EXPECT_EQ(pixels[0] >> 24, 0u);    // left half transparent
    EXPECT_EQ(pixels[7] >> 24, 0xFFu); // right half opaque
    texture.DecreaseRefCount();
}

TEST_F(TextureDeviceTest, SizesFollowTheDeviceRulesAndMipLevelsTakeEffectOnTheNextBuild)
{
    D3DCAPS9 caps = {};
    {
        IDirect3D9 *d3d = Direct3DCreate9(31);
        ASSERT_NE(d3d, nullptr);
        ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
        d3d->Release();
    }
    struct Case {
        const char *name;
        DWORD textureCaps;
        DWORD maxSide;
        uint32_t width, height;
        unsigned short expectedWidth, expectedHeight;
    };
    const Case cases[] = {
        {"any size", 0, 4096, 20, 10, 20, 10},
        {"powers of two", D3DPTEXTURECAPS_POW2, 4096, 20, 10, 32, 16},
        {"square", D3DPTEXTURECAPS_SQUAREONLY, 4096, 20, 10, 20, 20},
        {"both", D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY, 4096, 20, 10, 32, 32},
        {"limited", 0, 16, 40, 20, 16, 16},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        D3DCAPS9 adapter = caps;
        adapter.TextureCaps = (caps.TextureCaps & ~(D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY)) | c.textureCaps;
        adapter.MaxTextureWidth = adapter.MaxTextureHeight = c.maxSide;
        IDirect3D9::SetAdapterCapsForTesting(&adapter, 1);
        StartApp3D();
        {
            CZNTexture texture(Written(dir, "p.bmp", ZnMakeBmp(c.width, c.height, 1)).c_str(), nullptr);
            texture.IncreaseRefCount();
            unsigned short w = 0, h = 0;
            EXPECT_EQ(texture.GetTextureDimensions(&w, &h), 1);
            EXPECT_EQ(w, c.expectedWidth);
            EXPECT_EQ(h, c.expectedHeight);
            texture.DecreaseRefCount();
        }
        GetEditorApp()->Get3D()->Shutdown();
    }
    IDirect3D9::SetAdapterCapsForTesting(nullptr, 0);

    // Mip levels: set while built, they count from the next build on; a reload of a texture in
    // use builds at once.
    StartApp3D();
    CZNTexture texture(Written(dir, "m.bmp", ZnMakeBmp(16, 16, 2)).c_str(), nullptr);
    texture.IncreaseRefCount();
    ASSERT_NE(texture.GetD3DTexture(), nullptr);
    EXPECT_EQ(texture.GetD3DTexture()->GetLevelCount(), 1u);
    texture.SetMipLevels(3);
    EXPECT_EQ(texture.GetD3DTexture()->GetLevelCount(), 1u);
    const std::string bigger = Written(dir, "n.bmp", ZnMakeBmp(32, 8, 3));
    ASSERT_EQ(texture.LoadTexture(bigger.c_str(), nullptr), 1);
    ASSERT_NE(texture.GetD3DTexture(), nullptr);
    EXPECT_EQ(texture.GetD3DTexture()->GetLevelCount(), 3u);
    unsigned short w = 0, h = 0;
    EXPECT_EQ(texture.GetTextureDimensions(&w, &h), 1);
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 8);
    EXPECT_EQ(texture.GetRefCount(), 1);
    texture.DecreaseRefCount();
}

namespace
{
struct PictureCase {
    const char *Name;
    std::string File;
    std::string Bytes;
};
} // namespace

// A picture that keeps its size goes into level 0 exactly as the surface loader puts the packed
// picture there (every depth, palettes and alpha included), and the levels below are filtered
// from it.
TEST_F(TextureDeviceTest, LevelZeroHoldsThePictureAsTheLoaderPutsIt)
{
    IDirect3DDevice9 *device = StartApp3D().GetDevice();
    ZnPngPicture grey{5, 3, PNG_COLOR_TYPE_GRAY, 8, false, {"\x01\x40\x80\xC0\xFF", "abcde", "ABCDE"}, {}, {}};
    const std::vector<PictureCase> cases = {
        {"rgb", "rgb.bmp", ZnMakeBmp(12, 7, 5)},    {"indexed", "indexed.bmp", ZnSampleBMP8()},
        {"grey", "grey.png", ZnWritePng(grey)},     {"alpha", "alpha.png", ZnMakePng(9, 6, 4, true)},
        {"tga", "plain.tga", ZnMakeTga(16, 16, 6)},
    };
    for (const PictureCase &c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = Written(dir, c.File, c.Bytes);
        CZNImage picture;
        ASSERT_TRUE(picture.LoadImageFile(path.c_str()));
        CZNTexture texture(path.c_str(), nullptr);
        texture.SetMipLevels(2);
        texture.IncreaseRefCount();
        IDirect3DTexture9 *made = texture.GetD3DTexture();
        ASSERT_NE(made, nullptr);
        UINT width, height;
        D3DFORMAT format;
        const std::vector<D3DCOLOR> level0 = Level0(made, &width, &height, &format);
        ASSERT_EQ(width, picture.GetWidth());
        ASSERT_EQ(height, picture.GetHeight());

        // What the loader makes of the packed picture on a surface of the same format.
        _RAWOPTIONS options = {
            picture.GetWidth(), picture.GetHeight(), 24, picture.HasAlpha(), 1, 3, 2, 1, 0, 0, 0, false};
        DWORD size = 0;
        std::unique_ptr<BYTE[]> packed(picture.CompileRawData(options, size, nullptr));
        ASSERT_NE(packed, nullptr);
        IDirect3DSurface9 *expected = nullptr;
        ASSERT_EQ(device->CreateOffscreenPlainSurface(width, height, format, D3DPOOL_SCRATCH, &expected, nullptr),
                  D3D_OK);
        const RECT source = {0, 0, LONG(width), LONG(height)};
        ASSERT_EQ(D3DXLoadSurfaceFromMemory(
                      expected, nullptr, nullptr, packed.get(), picture.HasAlpha() ? D3DFMT_A8R8G8B8 : D3DFMT_R8G8B8,
                      width * (picture.HasAlpha() ? 4 : 3), nullptr, &source, D3DX_FILTER_LINEAR, 0),
                  D3D_OK);
        D3DLOCKED_RECT locked;
        ASSERT_EQ(expected->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        for (UINT y = 0; y < height; ++y)
            for (UINT x = 0; x < width; ++x)
                ASSERT_EQ(level0[y * width + x],
                          ZNReadPixel(format, static_cast<BYTE *>(locked.pBits) + y * locked.Pitch + x * 4))
                    << x << "," << y;
        expected->UnlockRect();
        expected->Release();

        // Level 1 is level 0 reduced.
        ASSERT_EQ(made->GetLevelCount(), 2u);
        IDirect3DSurface9 *top = nullptr, *below = nullptr, *reduced = nullptr;
        made->GetSurfaceLevel(0, &top);
        made->GetSurfaceLevel(1, &below);
        D3DSURFACE_DESC desc;
        below->GetDesc(&desc);
        ASSERT_EQ(
            device->CreateOffscreenPlainSurface(desc.Width, desc.Height, format, D3DPOOL_SCRATCH, &reduced, nullptr),
            D3D_OK);
        ASSERT_EQ(D3DXLoadSurfaceFromSurface(reduced, nullptr, nullptr, top, nullptr, nullptr, D3DX_FILTER_LINEAR, 0),
                  D3D_OK);
        D3DLOCKED_RECT a, b;
        ASSERT_EQ(below->LockRect(&a, nullptr, D3DLOCK_READONLY), D3D_OK);
        ASSERT_EQ(reduced->LockRect(&b, nullptr, D3DLOCK_READONLY), D3D_OK);
        for (UINT y = 0; y < desc.Height; ++y)
            EXPECT_EQ(std::memcmp(static_cast<BYTE *>(a.pBits) + y * a.Pitch,
                                  static_cast<BYTE *>(b.pBits) + y * b.Pitch, desc.Width * 4),
                      0);
        below->UnlockRect();
        reduced->UnlockRect();
        reduced->Release();
        below->Release();
        top->Release();
        texture.DecreaseRefCount();
    }
    EXPECT_TRUE(reporter.Entries().empty());
}
