// Text drawn by the font lands in the device's frame exactly where Qt rasterises it.
#include "device_fixture.h"

#include <QPainter>

#include "platform/d3dx/d3dx_font.h"
#include "platform/gdi/font.h"
#include "support/gui_app.h"

class ZnD3DXFontTest : public ZnDeviceTest
{
protected:
    void SetUp() override
    {
        ZnGuiApp();
        ZnDeviceTest::SetUp();
        CreateDevice(96, 48);
        logFont = {};
        logFont.lfHeight = -20;
        logFont.lfQuality = NONANTIALIASED_QUALITY;
        std::strcpy(logFont.lfFaceName, "tahoma\n");
        ASSERT_EQ(D3DXCreateFontIndirect(device, &logFont, &font), D3D_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    }
    void TearDown() override
    {
        if (font)
            font->Release();
        ZnDeviceTest::TearDown();
    }
    // Where Qt puts the glyphs of a line drawn at (x, y) top left: a mask of the back buffer's size.
    std::vector<bool> Expected(const char *text, int x, int y, const QRect &clip)
    {
        QImage image(96, 48, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        QFont qfont = CZNFont::MakeQFont(logFont);
        painter.setFont(qfont);
        painter.setPen(Qt::white);
        painter.setClipRect(clip);
        painter.drawText(QPoint(x, y + QFontMetrics(qfont).ascent()), QString::fromLatin1(text));
        painter.end();
        std::vector<bool> mask;
        for (int py = 0; py < 48; ++py)
            for (int px = 0; px < 96; ++px)
                mask.push_back(qAlpha(image.pixel(px, py)) == 255);
        return mask;
    }
    LOGFONT logFont = {};
    ID3DXFont *font = nullptr;
};

TEST_F(ZnD3DXFontTest, TextLandsWhereQtDrawsIt)
{
    RECT rect = {6, 4, 1600, 2350};
    const QFontMetrics metrics(CZNFont::MakeQFont(logFont));
    EXPECT_EQ(font->DrawTextA("+ Light01", -1, &rect, 0, 0xFF00FF00), metrics.height());
    std::vector<D3DCOLOR> pixels = ReadBackBuffer();
    std::vector<bool> expected = Expected("+ Light01", 6, 4, QRect(0, 0, 96, 48));
    size_t lit = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        ASSERT_EQ(pixels[i], expected[i] ? 0xFF00FF00u : 0xFF000000u) << "pixel " << i % 96 << "," << i / 96;
        lit += expected[i];
    }
    EXPECT_GT(lit, 20u);
}

TEST_F(ZnD3DXFontTest, ClippedToTheRectangleAndStatesKept)
{
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetFVF(0x212);
    RECT rect = {10, 10, 22, 20};
    font->DrawTextA("HHHH\nHHHH", -1, &rect, 0, 0xFFFFFFFF);
    std::vector<D3DCOLOR> pixels = ReadBackBuffer();
    std::vector<bool> expected = Expected("HHHH", 10, 10, QRect(10, 10, 12, 10));
    for (size_t i = 0; i < pixels.size(); ++i)
        ASSERT_EQ(pixels[i], expected[i] ? 0xFFFFFFFFu : 0xFF000000u) << "pixel " << i % 96 << "," << i / 96;
    DWORD v = 0;
    device->GetRenderState(D3DRS_FOGENABLE, &v);
    EXPECT_EQ(v, TRUE);
    device->GetRenderState(D3DRS_ZENABLE, &v);
    EXPECT_EQ(v, D3DZB_TRUE);
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &v);
    EXPECT_EQ(v, FALSE);
    device->GetFVF(&v);
    EXPECT_EQ(v, 0x212u);
    IDirect3DBaseTexture9 *texture = nullptr;
    device->GetTexture(0, &texture);
    EXPECT_EQ(texture, nullptr);
}

TEST_F(ZnD3DXFontTest, HeightCountsTheLines)
{
    const QFontMetrics metrics(CZNFont::MakeQFont(logFont));
    RECT rect = {0, 0, 96, 48};
    EXPECT_EQ(font->DrawTextA("a\nb\nc", -1, &rect, 0, 0xFFFFFFFF), 3 * metrics.height());
    EXPECT_EQ(font->DrawTextA("a\nb\nc", 3, &rect, 0, 0xFFFFFFFF), 2 * metrics.height());
    EXPECT_EQ(font->DrawTextA(nullptr, -1, &rect, 0, 0xFFFFFFFF), 0);
    LOGFONT read = {};
    ASSERT_EQ(font->GetLogFont(&read), D3D_OK);
    EXPECT_EQ(read.lfHeight, -20);
    EXPECT_STREQ(read.lfFaceName, "tahoma\n");
}
