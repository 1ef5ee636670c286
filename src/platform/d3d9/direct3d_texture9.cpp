#include "platform/d3d9/direct3d_texture9.h"

#include <algorithm>

#include "platform/d3d9/direct3d_surface9.h"
#include "platform/d3d9/gl_api.h"
#include "platform/d3d9/pixel_format.h"

IDirect3DTexture9::IDirect3DTexture9(IDirect3DDevice9 *device, UINT width, UINT height, UINT levels, D3DFORMAT format,
                                     D3DPOOL pool)
    : IDirect3DBaseTexture9(device)
{
    glGenTextures(1, &m_glTexture);
    glBindTexture(GL_TEXTURE_2D, m_glTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels) - 1);
    if (!ZNFormatHasAlpha(format))
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    for (UINT i = 0; i < levels; ++i) {
        D3DSURFACE_DESC desc = {format,
                                D3DRTYPE_SURFACE,
                                0,
                                pool,
                                D3DMULTISAMPLE_NONE,
                                0,
                                std::max(1u, width >> i),
                                std::max(1u, height >> i)};
        auto *surface = new IDirect3DSurface9(device, IDirect3DSurface9::Kind::TextureLevel, desc);
        surface->m_container = this;
        surface->m_level = i;
        m_levels.push_back(surface);
    }
    m_uploaded.assign(levels, false);
    m_notUploaded = levels;
}

IDirect3DTexture9::~IDirect3DTexture9()
{
    for (IDirect3DSurface9 *surface : m_levels) {
        surface->m_container = nullptr;
        surface->Release();
    }
    glDeleteTextures(1, &m_glTexture);
}

HRESULT IDirect3DTexture9::GetLevelDesc(UINT level, D3DSURFACE_DESC *desc)
{
    if (level >= m_levels.size())
        return D3DERR_INVALIDCALL;
    return m_levels[level]->GetDesc(desc);
}

HRESULT IDirect3DTexture9::GetSurfaceLevel(UINT level, IDirect3DSurface9 **surface)
{
    if (!surface || level >= m_levels.size())
        return D3DERR_INVALIDCALL;
    *surface = m_levels[level];
    AddRef();
    return D3D_OK;
}

HRESULT IDirect3DTexture9::LockRect(UINT level, D3DLOCKED_RECT *locked, const RECT *rect, DWORD flags)
{
    if (level >= m_levels.size())
        return D3DERR_INVALIDCALL;
    return m_levels[level]->LockRect(locked, rect, flags);
}

HRESULT IDirect3DTexture9::UnlockRect(UINT level)
{
    if (level >= m_levels.size())
        return D3DERR_INVALIDCALL;
    return m_levels[level]->UnlockRect();
}

void IDirect3DTexture9::UploadLevel(UINT level)
{
    const IDirect3DSurface9 *surface = m_levels[level];
    const D3DSURFACE_DESC &desc = surface->m_desc;
    const BYTE *pixels = surface->m_bits.data();
    std::vector<BYTE> converted;
    if (desc.Format != D3DFMT_A8R8G8B8 && desc.Format != D3DFMT_X8R8G8B8) {
        // 16-bit formats go up as 32-bit pixels.
        UINT bpp = ZNFormatBytesPerPixel(desc.Format);
        converted.resize(static_cast<size_t>(desc.Width) * desc.Height * 4);
        for (size_t i = 0; i < static_cast<size_t>(desc.Width) * desc.Height; ++i)
            ZNWritePixel(D3DFMT_A8R8G8B8, &converted[i * 4], ZNReadPixel(desc.Format, pixels + i * bpp));
        pixels = converted.data();
    }
    glBindTexture(GL_TEXTURE_2D, m_glTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA8, static_cast<GLsizei>(desc.Width),
                 static_cast<GLsizei>(desc.Height), 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    if (!m_uploaded[level]) {
        m_uploaded[level] = true;
        --m_notUploaded;
    }
}

void IDirect3DTexture9::BindForDrawing(const DWORD *samplerStates)
{
    for (UINT level = 0; m_notUploaded > 0 && level < m_levels.size(); ++level)
        if (!m_uploaded[level])
            UploadLevel(level);
    glBindTexture(GL_TEXTURE_2D, m_glTexture);
    bool minLinear = samplerStates[D3DSAMP_MINFILTER] == D3DTEXF_LINEAR;
    GLint minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
    if (samplerStates[D3DSAMP_MIPFILTER] == D3DTEXF_POINT)
        minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    else if (samplerStates[D3DSAMP_MIPFILTER] == D3DTEXF_LINEAR)
        minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    GLint magFilter = samplerStates[D3DSAMP_MAGFILTER] == D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST;
    auto wrap = [](DWORD address) -> GLint {
        switch (address) {
        case D3DTADDRESS_MIRROR:
            return GL_MIRRORED_REPEAT;
        case D3DTADDRESS_CLAMP:
            return GL_CLAMP_TO_EDGE;
        default:
            return GL_REPEAT;
        }
    };
    const int params[4] = {minFilter, magFilter, wrap(samplerStates[D3DSAMP_ADDRESSU]),
                           wrap(samplerStates[D3DSAMP_ADDRESSV])};
    static const GLenum names[4] = {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T};
    for (int i = 0; i < 4; ++i) {
        if (m_glParams[i] != params[i]) {
            glTexParameteri(GL_TEXTURE_2D, names[i], params[i]);
            m_glParams[i] = params[i];
        }
    }
}
