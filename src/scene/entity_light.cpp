// Light and fog entities: a light entity's block becomes a light of the Direct3D wrapper or its
// ambient colour, a fog entity's block the device's fog states.
#include <cmath>
#include <cstring>

#include "app/editor_app.h"
#include "platform/d3d9/direct3d_device9.h"
#include "platform/os/reporter.h"
#include "render/direct3d.h"
#include "scene/entity.h"

namespace
{
constexpr const char *kCaption = "TOVRA";
constexpr DWORD kLightBlockSize = 144;
// The ambient colour alone needs the block up to byte 115 (its four floats start at byte 100).
constexpr DWORD kAmbientBlockSize = 116;
constexpr DWORD kFogBlockSize = 64;

enum : int32_t { kPoint = 0, kSpot = 1, kDirectional = 2, kAmbient = 3 };

float FloatAt(const BYTE *data, size_t offset)
{
    float value;
    std::memcpy(&value, data + offset, sizeof(value));
    return value;
}

DWORD WordAt(const BYTE *data, size_t offset)
{
    DWORD value;
    std::memcpy(&value, data + offset, sizeof(value));
    return value;
}

D3DCOLORVALUE ColourAt(const BYTE *data, size_t offset)
{
    return {FloatAt(data, offset), FloatAt(data, offset + 4), FloatAt(data, offset + 8), FloatAt(data, offset + 12)};
}

D3DVECTOR VectorAt(const BYTE *data, size_t offset)
{
    return {FloatAt(data, offset), FloatAt(data, offset + 4), FloatAt(data, offset + 8)};
}

// One colour component: value × 255 truncated toward zero, held within 0..255 (NaN gives 0).
DWORD Component(float value)
{
    const float scaled = value * 255.0f;
    if (!(scaled > 0.0f))
        return 0;
    return scaled >= 255.0f ? 255u : static_cast<DWORD>(scaled);
}
} // namespace

void CZNEntity::ApplyLight(int enable)
{
    // Switching off an entity that holds no light changes nothing.
    if (!enable && m_LightIndex == -1)
        return;
    if (!IsLightEntity())
        return;
    CZN3D *d3d = GetEditorApp()->Get3D();
    auto removeLight = [&] {
        if (m_LightIndex != -1 && d3d)
            d3d->RemoveLight(static_cast<WORD>(m_LightIndex));
        m_LightIndex = -1;
    };
    if (!enable || !d3d || !m_Data || m_BlockSize < kLightBlockSize) {
        removeLight();
        return;
    }
    int32_t kind;
    std::memcpy(&kind, m_Data + 64, sizeof(kind));
    if (kind < kPoint || kind > kAmbient) {
        // Reported once until the kind is valid again, not on every frame.
        if (!m_LightErrorShown)
            GetEditorApp()->GetReporter()->Message("Light Error: Unkown Type", kCaption, MB_OK);
        m_LightErrorShown = 1;
        removeLight();
        return;
    }
    m_LightErrorShown = 0;
    if (kind == kAmbient) {
        // An ambient light makes no light of its own: it holds none.
        removeLight();
        if (d3d->IsDefaultLighting()) {
            d3d->SetAmbientLight(CZN3D::kDefaultAmbient);
            return;
        }
        D3DCOLOR colour = 0;
        GetAmbientColour(&colour);
        d3d->SetAmbientLight(colour);
        return;
    }
    D3DLIGHT9 light{};
    light.Type = kind == kPoint ? D3DLIGHT_POINT : (kind == kSpot ? D3DLIGHT_SPOT : D3DLIGHT_DIRECTIONAL);
    light.Diffuse = ColourAt(m_Data, 68);
    light.Specular = ColourAt(m_Data, 84);
    light.Ambient = ColourAt(m_Data, 100);
    light.Position = VectorAt(m_Data, 48);
    light.Direction = VectorAt(m_Data, 32);
    light.Range = FloatAt(m_Data, 116);
    light.Falloff = FloatAt(m_Data, 120);
    light.Attenuation0 = FloatAt(m_Data, 124);
    light.Attenuation1 = FloatAt(m_Data, 128);
    light.Attenuation2 = FloatAt(m_Data, 132);
    light.Theta = FloatAt(m_Data, 136);
    light.Phi = FloatAt(m_Data, 140);
    if (m_LightIndex != -1)
        d3d->SetLight(static_cast<WORD>(m_LightIndex), &light);
    else
        m_LightIndex = d3d->AddLight(&light);
}

bool CZNEntity::GetAmbientColour(D3DCOLOR *colour) const
{
    if (!colour || !m_Data || m_BlockSize < kAmbientBlockSize || !IsLightEntity())
        return false;
    int32_t kind;
    std::memcpy(&kind, m_Data + 64, sizeof(kind));
    if (kind != kAmbient)
        return false;
    const D3DCOLORVALUE a = ColourAt(m_Data, 100);
    *colour = (Component(a.a) << 24) | (Component(a.r) << 16) | (Component(a.g) << 8) | Component(a.b);
    return true;
}

void CZNEntity::ApplyFog()
{
    if (!IsBuiltInKindC() || !m_Data || m_BlockSize < kFogBlockSize)
        return;
    CZN3D *d3d = GetEditorApp()->Get3D();
    IDirect3DDevice9 *device = d3d ? d3d->GetDevice() : nullptr;
    if (!device)
        return;
    const DWORD flags = WordAt(m_Data, 36);
    device->SetRenderState(D3DRS_FOGCOLOR, WordAt(m_Data, 40));
    device->SetRenderState(D3DRS_FOGSTART, WordAt(m_Data, 52));
    device->SetRenderState(D3DRS_FOGEND, WordAt(m_Data, 56));
    device->SetRenderState(D3DRS_FOGDENSITY, WordAt(m_Data, 60));
    device->SetRenderState(D3DRS_RANGEFOGENABLE, flags & 1u);
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    if (flags & 1u) {
        device->SetRenderState(D3DRS_FOGTABLEMODE, WordAt(m_Data, 44));
        device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_NONE);
    } else {
        device->SetRenderState(D3DRS_FOGVERTEXMODE, WordAt(m_Data, 48));
        device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
    }
}
