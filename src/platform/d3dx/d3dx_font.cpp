#include "platform/d3dx/d3dx_font.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d9/direct3d_state_block9.h"
#include "platform/d3d9/direct3d_texture9.h"
#include "platform/gdi/font.h"

namespace
{
struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
constexpr DWORD kScreenVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
} // namespace

HRESULT D3DXCreateFontIndirect(IDirect3DDevice9 *device, const LOGFONT *logFont, ID3DXFont **font)
{
    if (!device || !logFont || !font)
        return D3DERR_INVALIDCALL;
    *font = new ID3DXFont(device, *logFont);
    return D3D_OK;
}

ID3DXFont::ID3DXFont(IDirect3DDevice9 *device, const LOGFONT &logFont) : m_device(device), m_logFont(logFont)
{
    m_logFont.lfFaceName[LF_FACESIZE - 1] = '\0';
    m_device->AddRef();
}

ID3DXFont::~ID3DXFont()
{
    m_device->Release();
}

ULONG ID3DXFont::AddRef()
{
    return ++m_refs;
}

ULONG ID3DXFont::Release()
{
    ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

HRESULT ID3DXFont::GetDevice(IDirect3DDevice9 **device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = m_device;
    m_device->AddRef();
    return D3D_OK;
}

HRESULT ID3DXFont::GetLogFont(LOGFONT *logFont)
{
    if (!logFont)
        return D3DERR_INVALIDCALL;
    *logFont = m_logFont;
    return D3D_OK;
}

INT ID3DXFont::DrawTextA(const char *text, INT count, RECT *rect, DWORD format, D3DCOLOR color)
{
    if (!text || !rect || !qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return 0;
    size_t length = count < 0 ? std::strlen(text) : std::min(static_cast<size_t>(count), std::strlen(text));
    std::vector<QString> lines;
    if (format & DT_SINGLELINE)
        lines.push_back(QString::fromLatin1(text, static_cast<qsizetype>(length)).remove(QLatin1Char('\n')));
    else
        for (const QString &line : QString::fromLatin1(text, static_cast<qsizetype>(length)).split(QLatin1Char('\n')))
            lines.push_back(line);

    const QFont font = CZNFont::MakeQFont(m_logFont);
    const QFontMetrics metrics(font);
    const int lineHeight = metrics.height();
    const int total = lineHeight * static_cast<int>(lines.size());
    int top = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            top = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            top = rect->bottom - lineHeight;
    }
    std::vector<int> lefts;
    int minLeft = rect->left, maxRight = rect->left;
    for (const QString &line : lines) {
        int width = metrics.horizontalAdvance(line);
        int left = rect->left;
        if (format & DT_CENTER)
            left = rect->left + (rect->right - rect->left - width) / 2;
        else if (format & DT_RIGHT)
            left = rect->right - width;
        lefts.push_back(left);
        minLeft = std::min(minLeft, left);
        maxRight = std::max(maxRight, left + width + metrics.maxWidth());
    }

    // The area drawn: the rectangle (or the text's extent without clipping) within the viewport.
    D3DVIEWPORT9 vp;
    m_device->GetViewport(&vp);
    RECT area = (format & DT_NOCLIP) ? RECT{minLeft, top, maxRight, top + total} : *rect;
    area.left = std::max<LONG>(area.left, static_cast<LONG>(vp.X));
    area.top = std::max<LONG>(area.top, static_cast<LONG>(vp.Y));
    area.right = std::min<LONG>(area.right, static_cast<LONG>(vp.X + vp.Width));
    area.bottom = std::min<LONG>(area.bottom, static_cast<LONG>(vp.Y + vp.Height));
    if (area.left >= area.right || area.top >= area.bottom || lines.empty())
        return total;
    const int width = area.right - area.left, height = area.bottom - area.top;

    // Coverage of the glyphs as alpha over white.
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::white);
        for (size_t i = 0; i < lines.size(); ++i)
            painter.drawText(
                QPoint(lefts[i] - area.left, top - area.top + static_cast<int>(i) * lineHeight + metrics.ascent()),
                lines[i]);
    }
    IDirect3DTexture9 *texture = nullptr;
    if (FAILED(m_device->CreateTexture(static_cast<UINT>(width), static_cast<UINT>(height), 1, 0, D3DFMT_A8R8G8B8,
                                       D3DPOOL_MANAGED, &texture, nullptr)))
        return 0;
    D3DLOCKED_RECT locked;
    if (SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0))) {
        for (int y = 0; y < height; ++y) {
            const auto *src = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            auto *dst = reinterpret_cast<DWORD *>(static_cast<BYTE *>(locked.pBits) + y * locked.Pitch);
            for (int x = 0; x < width; ++x)
                dst[x] = (static_cast<DWORD>(qAlpha(src[x])) << 24) | 0x00FFFFFF;
        }
        texture->UnlockRect(0);
    }

    // Draw with states of its own, then put the caller's back.
    IDirect3DStateBlock9 *saved = nullptr;
    if (FAILED(m_device->CreateStateBlock(D3DSBT_ALL, &saved))) {
        texture->Release();
        return 0;
    }
    m_device->SetFVF(kScreenVertexFormat);
    m_device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    m_device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    m_device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    m_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    m_device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    m_device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    m_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    m_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    m_device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    m_device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    m_device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    m_device->SetTexture(0, texture);
    // Pixel centres lie on whole coordinates: the rectangle's edges half a pixel before them.
    const float l = static_cast<float>(area.left) - 0.5f, t = static_cast<float>(area.top) - 0.5f;
    const float r = l + static_cast<float>(width), b = t + static_cast<float>(height);
    const ScreenVertex quad[4] = {{l, t, 0.0f, 1.0f, color, 0.0f, 0.0f},
                                  {r, t, 0.0f, 1.0f, color, 1.0f, 0.0f},
                                  {r, b, 0.0f, 1.0f, color, 1.0f, 1.0f},
                                  {l, b, 0.0f, 1.0f, color, 0.0f, 1.0f}};
    m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex));
    saved->Apply();
    saved->Release();
    texture->Release();
    return total;
}
