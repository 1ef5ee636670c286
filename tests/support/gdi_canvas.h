#pragma once

// A memory device context over a small colour bitmap, for tests that check drawn pixels.
#include <QImage>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/brush.h"
#include "platform/gdi/dc.h"

class ZnCanvas
{
public:
    ZnCanvas(int width, int height, COLORREF background = RGB(0, 0, 0)) : m_Background(background)
    {
        EXPECT_TRUE(m_Dc.CreateCompatibleDC(nullptr));
        EXPECT_TRUE(m_Bitmap.CreateCompatibleBitmap(&m_Dc, width, height));
        m_OldBitmap = m_Dc.SelectObject(&m_Bitmap);
        EXPECT_NE(m_OldBitmap, nullptr);
        CZNBrush brush(background);
        RECT all{0, 0, width, height};
        m_Dc.FillRect(&all, &brush);
    }
    ~ZnCanvas() { m_Dc.SelectObject(m_OldBitmap); }

    CZNDC &Dc() { return m_Dc; }
    CZNBitmap &Bitmap() { return m_Bitmap; }
    int Width() const { return m_Bitmap.GetWidth(); }
    int Height() const { return m_Bitmap.GetHeight(); }
    COLORREF Background() const { return m_Background; }

    COLORREF At(int x, int y) const
    {
        const QRgb c = m_Bitmap.GetImage().pixel(x, y);
        return RGB(static_cast<BYTE>(qRed(c)), static_cast<BYTE>(qGreen(c)), static_cast<BYTE>(qBlue(c)));
    }

    // Compares every pixel with expected(x, y); reports up to a few differences.
    void ExpectPixels(const std::function<COLORREF(int, int)> &expected) const
    {
        int failures = 0;
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x) {
                const COLORREF want = expected(x, y);
                const COLORREF got = At(x, y);
                if (got != want && ++failures <= 8)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << "): got 0x" << std::hex << got << ", want 0x"
                                  << want << std::dec;
            }
        EXPECT_EQ(failures, 0) << "\n" << Dump();
    }

    // The picture as text, one character per pixel: '.' background, 'a', 'b', ... the other colours
    // in order of first appearance.
    std::string Dump() const
    {
        std::string out;
        std::vector<COLORREF> seen;
        for (int y = 0; y < Height(); ++y) {
            for (int x = 0; x < Width(); ++x) {
                const COLORREF c = At(x, y);
                if (c == m_Background) {
                    out += '.';
                    continue;
                }
                size_t i = 0;
                while (i < seen.size() && seen[i] != c)
                    ++i;
                if (i == seen.size())
                    seen.push_back(c);
                out += static_cast<char>('a' + i % 26);
            }
            out += '\n';
        }
        return out;
    }

private:
    COLORREF m_Background;
    CZNDC m_Dc;
    CZNBitmap m_Bitmap;
    CZNBitmap *m_OldBitmap = nullptr;
};
