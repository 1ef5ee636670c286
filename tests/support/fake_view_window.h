#pragma once

// A stand-in for the shell's 2D view widget: a client picture of a given size placed at an origin
// on a desktop of a given size, a mouse the test moves, and records of what the view asked for.
#include <QImage>

#include "platform/os/view_window.h"

class ZnFakeViewWindow : public IZNViewWindow
{
public:
    ZnFakeViewWindow(int width, int height) : m_Image(width, height, QImage::Format_RGB32) { m_Image.fill(0xFF808080); }

    void GetClientRect(RECT *rect) const override { *rect = RECT{0, 0, m_Image.width(), m_Image.height()}; }
    QImage *GetWindowImage() override { return m_Image.isNull() ? nullptr : &m_Image; }
    void ShowWindowImage() override { ++shows; }
    void SetCursorById(int id) override { cursor = id; }
    POINT GetCursorPos() const override { return mouse; }
    POINT ScreenToClient(POINT screen) const override { return POINT{screen.x - origin.x, screen.y - origin.y}; }
    BOOL SetCursorPos(int x, int y) override
    {
        if (!canWarp)
            return FALSE;
        mouse = POINT{x, y};
        ++warps;
        return TRUE;
    }
    SIZE GetDesktopSize() const override { return desktop; }
    void ShowStatusPosition(const D3DXVECTOR3 &position) override { status = position; }

    // Puts the mouse over a client pixel.
    POINT MoveMouse(int x, int y)
    {
        mouse = POINT{origin.x + x, origin.y + y};
        return mouse;
    }
    const QImage &Image() const { return m_Image; }

    POINT origin{100, 50};
    POINT mouse{0, 0};
    SIZE desktop{1280, 1024};
    bool canWarp = true;
    int shows = 0;
    int warps = 0;
    int cursor = -1;
    D3DXVECTOR3 status{0, 0, 0};

private:
    QImage m_Image;
};
