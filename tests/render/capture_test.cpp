#include <gtest/gtest.h>

#include <memory>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/dc.h"
#include "render/direct3d.h"
#include "render/image/image.h"
#include "scene/face.h"
#include "wrapper_fixture.h"

namespace
{
class CaptureTest : public ZnWrapperTest
{
protected:
    // A frame with something in it: a dark blue background and a red and a yellow triangle,
    // both wound clockwise on the screen.
    void RenderFrame(CZN3D &d3d)
    {
        d3d.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF102040, 1.0f);
        d3d.BeginScene();
        d3d.SetPrimitiveType(D3DPT_TRIANGLELIST);
        ZNVERTEX red[3] = {
            {-6, 4, 10, 0, 0, -1, 0, 0, 0, 0}, {1, 3, 10, 0, 0, -1, 0, 0, 0, 0}, {-5, -4, 10, 0, 0, -1, 0, 0, 0, 0}};
        ZNVERTEX yellow[3] = {
            {0, -1, 8, 0, 0, -1, 0, 0, 0, 0}, {6, 4, 12, 0, 0, -1, 0, 0, 0, 0}, {4, -5, 9, 0, 0, -1, 0, 0, 0, 0}};
        d3d.SetDefaultMaterial(1);
        d3d.DrawPrimitive(red, 3);
        d3d.SetDefaultMaterial(2);
        d3d.DrawPrimitive(yellow, 3);
        d3d.EndScene();
    }
    // The back-buffer pixel as 0xRRGGBB.
    D3DCOLOR Drawn(const std::vector<D3DCOLOR> &pixels, UINT pitch, UINT x, UINT y)
    {
        return pixels[static_cast<size_t>(y) * pitch + x] & 0xFFFFFF;
    }
};
} // namespace

TEST_F(CaptureTest, ImageHoldsTheViewportOfTheBackBuffer)
{
    CZN3D &d3d = Start(120, 90);
    RECT thumbnail = {0, 0, 200, 150};
    ASSERT_EQ(d3d.ResetDevice(&thumbnail), 1);
    d3d.SetupViewport(&thumbnail);
    RenderFrame(d3d);
    UINT width = 0;
    std::vector<D3DCOLOR> pixels = BackBuffer(&width);

    std::unique_ptr<CZNImage> image(d3d.CaptureToImage());
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->GetWidth(), 200u);
    ASSERT_EQ(image->GetHeight(), 150u);
    EXPECT_EQ(image->GetBitsPerPixel(), 24);
    int differences = 0, colours = 0;
    for (UINT y = 0; y < 150; ++y) {
        for (UINT x = 0; x < 200; ++x) {
            const size_t i = static_cast<size_t>(y) * 200 + x;
            const D3DCOLOR captured = (DWORD(image->GetRedPlane()[i]) << 16) | (DWORD(image->GetGreenPlane()[i]) << 8) |
                                      image->GetBluePlane()[i];
            differences += captured != Drawn(pixels, width, x, y);
            colours += captured == 0xFF0000 || captured == 0xFFFF00;
        }
    }
    EXPECT_EQ(differences, 0);
    EXPECT_GT(colours, 1000); // the triangles are in the picture
}

TEST_F(CaptureTest, BitmapHoldsThePaddedBottomUpRows)
{
    CZN3D &d3d = Start(101, 40);
    RenderFrame(d3d);
    UINT width = 0;
    std::vector<D3DCOLOR> pixels = BackBuffer(&width);

    HDC dc = d3d.CaptureToBitmap();
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(d3d.CaptureToBitmap(), nullptr); // one capture at a time
    EXPECT_EQ(d3d.CaptureToImage(), nullptr);

    // Look at the section through the context, then put it back.
    CZNBitmap *section = dc->SelectObject(CZNBitmap::GetStock());
    ASSERT_NE(section, nullptr);
    ASSERT_TRUE(section->IsDIBSection());
    EXPECT_EQ(section->GetWidth(), 101);
    EXPECT_EQ(section->GetHeight(), 40);
    EXPECT_EQ(section->GetPitch(), 304);
    const BYTE *bits = static_cast<const BYTE *>(section->GetBits());
    int differences = 0;
    for (UINT y = 0; y < 40; ++y) {
        const BYTE *row = bits + static_cast<size_t>(39 - y) * 304; // bottom-up
        for (UINT x = 0; x < 101; ++x) {
            const BYTE *p = row + x * 3;
            const D3DCOLOR captured = (DWORD(p[2]) << 16) | (DWORD(p[1]) << 8) | p[0];
            differences += captured != Drawn(pixels, width, x, y);
        }
    }
    EXPECT_EQ(differences, 0);
    dc->SelectObject(section);

    // What a dialog copies out of the context is the frame.
    QImage shown = dc->GetImage();
    ASSERT_EQ(shown.width(), 101);
    EXPECT_EQ(shown.pixel(50, 20) & 0xFFFFFF, Drawn(pixels, width, 50, 20));

    d3d.ReleaseCapture();
    HDC again = d3d.CaptureToBitmap();
    EXPECT_NE(again, nullptr);
    d3d.ReleaseCapture();
    std::unique_ptr<CZNImage> image(d3d.CaptureToImage());
    EXPECT_NE(image, nullptr);
}

TEST_F(CaptureTest, ThumbnailRenderedThroughAnotherWindowAndBack)
{
    CZN3D &d3d = Start(120, 90);
    D3DXVECTOR3 eye(0, 0, -5), target(0, 0, 10), up(0, 1, 0);
    d3d.GetCamera()->LookAt(&eye, &target, &up, 1);

    d3d.PushState();
    ZnRecordingWindow thumbnail(64, 48);
    d3d.SetTargetWindow(&thumbnail);
    RECT size = {0, 0, 64, 48};
    ASSERT_EQ(d3d.ResetDevice(&size), 1);
    RenderFrame(d3d);
    std::unique_ptr<CZNImage> image(d3d.CaptureToImage());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 64u);
    EXPECT_EQ(image->GetHeight(), 48u);
    d3d.PopState();
    ASSERT_EQ(d3d.ResetDevice(nullptr), 1);

    UINT width = 0, height = 0;
    BackBuffer(&width, &height);
    EXPECT_EQ(width, 200u);
    EXPECT_EQ(height, 200u);
    D3DVIEWPORT9 viewport = {};
    Device()->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 120u);
    EXPECT_EQ(viewport.Height, 90u);
    EXPECT_EQ(d3d.GetCamera()->GetPosition(), eye);
    EXPECT_EQ(RenderState(D3DRS_AMBIENT), 0xFF4C4C4Cu);
}
