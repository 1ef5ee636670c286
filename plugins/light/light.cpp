// The light entity: a Direct3D light described by its data block (type 0x10, no vendor id). The
// block is the entity head followed by the light's kind, colours, range, attenuations and cone
// angles. In the 2D views it draws its range and, for a spot light, its cone while light
// influences are shown. Its controls edit the kind, the diffuse colour, the range and, for a spot
// light, the cone angles (shown in degrees) of every block handed to it.
#include <cmath>
#include <cstddef>
#include <cstring>

#include "common/control_rows.h"
#include "platform/export.h"
#include "platform/gdi/dc.h"
#include "scene/container.h"
#include "sdk/entity_plugin.h"
#include "sdk/host_api.h"

namespace
{

struct LIGHTDATA {
    D3DXMATRIX Head;                                // 0: rows right, up, direction, position
    int32_t Kind;                                   // 64: 0 point, 1 spot, 2 directional, 3 ambient
    float Diffuse[4];                               // 68
    float Specular[4];                              // 84
    float Ambient[4];                               // 100
    float Range;                                    // 116
    float Falloff;                                  // 120
    float Attenuation0, Attenuation1, Attenuation2; // 124, 128, 132
    float Theta;                                    // 136: inner cone angle, radians
    float Phi;                                      // 140: outer cone angle, radians
};
static_assert(sizeof(LIGHTDATA) == 144, "the light block is 144 bytes");
static_assert(offsetof(LIGHTDATA, Range) == 116 && offsetof(LIGHTDATA, Phi) == 140, "light field offsets");

CZNCONTAINER *g_Blocks = nullptr;

// Control ids.
enum : WORD { kKindId = 1, kRedId, kGreenId, kBlueId, kRangeId, kThetaId, kPhiId };
constexpr float kDegrees = 180.0f / 3.14159265f;

QPointer<QComboBox> g_Kind;
QPointer<QSpinBox> g_Colour[3];
QPointer<QLineEdit> g_Range, g_Theta, g_Phi;

LIGHTDATA *Block(DWORD index)
{
    return static_cast<LIGHTDATA *>(g_Blocks->GetElement(index));
}

// Applies change to every block handed to the plug-in.
template <typename Change> void ForEachBlock(Change change)
{
    zn_controls::ForEachBlock<LIGHTDATA>(g_Blocks, change);
}

void EnableCone(int kind)
{
    for (QLineEdit *edit : {g_Theta.data(), g_Phi.data()})
        if (edit)
            edit->setEnabled(kind == 1);
}

} // namespace

extern "C" {

ZN_API uint32_t InitEntityPlugin(void *)
{
    return ZN_ENTITY_PLUGIN_VERSION;
}

ZN_API void GetEntityPluginInfo(ENTITYPLUGININFO *info)
{
    info->Flags2D = ZN_ENTITY_DRAWS_2D;
    info->Flags3D = 0;
    info->BlockSize = sizeof(LIGHTDATA);
    info->DataSize = sizeof(LIGHTDATA);
    info->TypeName = "Light";
    info->VendorIdLength = 0;
    info->VendorId = nullptr;
    info->TypeId = 0x10;
    info->Bitmap = "Light";
    info->Description = "A point, spot, directional or ambient light.";
}

ZN_API void SetDataPointer(CZNCONTAINER *blocks)
{
    g_Blocks = blocks;
}

// A white point light of range 300 at the entity's place, facing +z.
ZN_API void SetDefaultData(void *data)
{
    LIGHTDATA light{};
    D3DXMatrixIdentity(&light.Head);
    light.Kind = 0;
    for (int i = 0; i < 4; ++i) {
        light.Diffuse[i] = 1.0f;
        light.Specular[i] = 1.0f;
    }
    light.Ambient[3] = 1.0f;
    light.Range = 300.0f;
    light.Falloff = 1.0f;
    light.Attenuation0 = 1.0f;
    light.Theta = 0.5f;
    light.Phi = 1.0f;
    std::memcpy(data, &light, sizeof(light));
}

ZN_API void Render2D(void *data, RENDERINFO2D *info, OVERRIDEDATA *)
{
    if (!data || !info || !info->Dc || !IsRenderingLightInfluences())
        return;
    LIGHTDATA light;
    std::memcpy(&light, data, sizeof(light));
    if (light.Kind != 0 && light.Kind != 1)
        return;
    const D3DXVECTOR3 position(light.Head._41, light.Head._42, light.Head._43);
    int32_t cx, cy;
    ZnRenderInfoWorldToPixel(info, position, &cx, &cy);
    const float radius = std::fabs(light.Range) * info->Zoom;
    const int32_t r = radius < 1.0e6f ? static_cast<int32_t>(radius) : 1000000;
    CZNDC *dc = info->Dc;
    CZNGdiObject *previous = dc->SelectStockObject(NULL_BRUSH);
    if (light.Kind == 0) {
        dc->Ellipse(cx - r, cy - r, cx + r + 1, cy + r + 1);
    } else {
        // The outer cone: two edges from the light along its direction, opened by phi.
        D3DXVECTOR3 direction(light.Head._31, light.Head._32, light.Head._33);
        D3DXVec3Normalize(&direction, &direction);
        D3DXVECTOR3 up(0, 1, 0), side;
        if (std::fabs(D3DXVec3Dot(&direction, &up)) > 0.99f)
            up = D3DXVECTOR3(1, 0, 0);
        D3DXVec3Cross(&side, &up, &direction);
        D3DXVec3Normalize(&side, &side);
        const float half = light.Phi * 0.5f;
        for (float sign : {-1.0f, 1.0f}) {
            D3DXVECTOR3 edge = (direction * std::cos(half) + side * (sign * std::sin(half))) * light.Range;
            int32_t ex, ey;
            ZnRenderInfoWorldToPixel(info, position + edge, &ex, &ey);
            dc->MoveTo(cx, cy);
            dc->LineTo(ex, ey);
        }
    }
    if (previous)
        dc->SelectObject(previous);
}
}

extern "C" {

ZN_API int32_t CreateControls(QWidget *host, void *, CZNFont *)
{
    zn_controls::CZNControlRows rows(host);
    g_Kind = rows.Combo(
        "Type", kKindId,
        {QStringLiteral("Point"), QStringLiteral("Spot"), QStringLiteral("Directional"), QStringLiteral("Ambient")});
    g_Colour[0] = rows.Spin("Red", kRedId, 0, 255);
    g_Colour[1] = rows.Spin("Green", kGreenId, 0, 255);
    g_Colour[2] = rows.Spin("Blue", kBlueId, 0, 255);
    g_Range = rows.Edit("Range", kRangeId);
    g_Theta = rows.Edit("Inner", kThetaId);
    g_Phi = rows.Edit("Outer", kPhiId);
    return rows.Height();
}

ZN_API void DestroyControls()
{
    zn_controls::Destroy(g_Kind);
    for (QPointer<QSpinBox> &spin : g_Colour)
        zn_controls::Destroy(spin);
    zn_controls::Destroy(g_Range);
    zn_controls::Destroy(g_Theta);
    zn_controls::Destroy(g_Phi);
}

// The controls show the first block.
ZN_API void DataUpdated()
{
    if (!g_Blocks || g_Blocks->GetElementCount() == 0)
        return;
    const LIGHTDATA light = *Block(0);
    zn_controls::Fill(g_Kind,
                      [&](QComboBox *c) { c->setCurrentIndex(light.Kind >= 0 && light.Kind <= 3 ? light.Kind : -1); });
    for (int i = 0; i < 3; ++i)
        zn_controls::Fill(g_Colour[i], [&](QSpinBox *s) {
            const float v = light.Diffuse[i] * 255.0f;
            s->setValue(v > 0.0f ? static_cast<int>(std::lround(std::fmin(v, 255.0f))) : 0);
        });
    zn_controls::Fill(g_Range, [&](QLineEdit *e) { e->setText(QString::number(light.Range)); });
    zn_controls::Fill(g_Theta, [&](QLineEdit *e) { e->setText(QString::number(light.Theta * kDegrees, 'g', 4)); });
    zn_controls::Fill(g_Phi, [&](QLineEdit *e) { e->setText(QString::number(light.Phi * kDegrees, 'g', 4)); });
    EnableCone(light.Kind);
}

// A control changed: its value goes into every block, and the views are redrawn.
ZN_API int32_t Command(WPARAM wParam, LPARAM, int32_t *redraw)
{
    const WORD id = LOWORD(static_cast<DWORD>(wParam));
    float value = 0.0f;
    switch (id) {
    case kKindId:
        if (!g_Kind || g_Kind->currentIndex() < 0)
            return 0;
        ForEachBlock([kind = g_Kind->currentIndex()](LIGHTDATA &light) { light.Kind = kind; });
        EnableCone(g_Kind->currentIndex());
        break;
    case kRedId:
    case kGreenId:
    case kBlueId: {
        const int c = id - kRedId;
        if (!g_Colour[c])
            return 0;
        ForEachBlock([c, v = g_Colour[c]->value() / 255.0f](LIGHTDATA &light) { light.Diffuse[c] = v; });
        break;
    }
    case kRangeId:
        if (!zn_controls::TypedFloat(g_Range, &value))
            return 0;
        ForEachBlock([value](LIGHTDATA &light) { light.Range = value; });
        break;
    case kThetaId:
    case kPhiId:
        if (!zn_controls::TypedFloat(id == kThetaId ? g_Theta : g_Phi, &value))
            return 0;
        ForEachBlock([id, radians = value / kDegrees](LIGHTDATA &light) {
            (id == kThetaId ? light.Theta : light.Phi) = radians;
        });
        break;
    default:
        return 0;
    }
    if (redraw)
        *redraw = 1;
    return 1;
}
}
