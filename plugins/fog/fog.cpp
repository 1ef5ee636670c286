// The fog entity (type 516, vendor "Tovra"): the device's fog states, stored where the entity
// head's last two rows would be. The defaults are the 3D view's own fog. Its controls edit the
// colour, start, end, density and table fog of every block handed to it.
#include <cstring>

#include "common/control_rows.h"

#include "platform/d3d9/d3d9_types.h"
#include "platform/export.h"
#include "scene/container.h"
#include "sdk/entity_plugin.h"

namespace
{

struct FOGDATA {
    uint8_t Head[36];    // 0: the entity head's first rows
    uint32_t Flags;      // 36: bit 0 table fog (and range fog), else vertex fog
    uint32_t Colour;     // 40: D3DCOLOR
    uint32_t TableMode;  // 44: D3DFOGMODE
    uint32_t VertexMode; // 48: D3DFOGMODE
    float Start;         // 52
    float End;           // 56
    float Density;       // 60
};
static_assert(sizeof(FOGDATA) == 64, "the fog block is the 64 bytes of an entity head");

const uint8_t kVendor[] = {'T', 'o', 'v', 'r', 'a'};
CZNCONTAINER *g_Blocks = nullptr;

// Control ids.
enum : WORD { kRedId = 1, kGreenId, kBlueId, kStartId, kEndId, kDensityId, kTableId };

QPointer<QSpinBox> g_Colour[3];
QPointer<QLineEdit> g_Start, g_End, g_Density;
QPointer<QCheckBox> g_Table;

FOGDATA *Block(DWORD index)
{
    return static_cast<FOGDATA *>(g_Blocks->GetElement(index));
}

// Applies change to every block handed to the plug-in.
template <typename Change> void ForEachBlock(Change change)
{
    zn_controls::ForEachBlock<FOGDATA>(g_Blocks, change);
}

// The shift of a colour component in a D3DCOLOR: red 16, green 8, blue 0.
int Shift(int component)
{
    return 16 - 8 * component;
}

} // namespace

extern "C" {

ZN_API uint32_t InitEntityPlugin(void *)
{
    return ZN_ENTITY_PLUGIN_VERSION;
}

ZN_API void GetEntityPluginInfo(ENTITYPLUGININFO *info)
{
    info->Flags2D = 0;
    info->Flags3D = 0;
    info->BlockSize = sizeof(FOGDATA);
    info->DataSize = sizeof(FOGDATA);
    info->TypeName = "Fog";
    info->VendorIdLength = sizeof(kVendor);
    info->VendorId = kVendor;
    info->TypeId = 516;
    info->Bitmap = "Fog";
    info->Description = "The scene's fog: colour, mode, start, end and density.";
}

ZN_API void SetDataPointer(CZNCONTAINER *blocks)
{
    g_Blocks = blocks;
}

// Linear vertex fog, black, from 2000 to 9900.
ZN_API void SetDefaultData(void *data)
{
    FOGDATA fog{};
    fog.Flags = 0;
    fog.Colour = 0;
    fog.TableMode = D3DFOG_NONE;
    fog.VertexMode = D3DFOG_LINEAR;
    fog.Start = 2000.0f;
    fog.End = 9900.0f;
    fog.Density = 1.0f;
    std::memcpy(data, &fog, sizeof(fog));
}
}

extern "C" {

ZN_API int32_t CreateControls(QWidget *host, void *, CZNFont *)
{
    zn_controls::CZNControlRows rows(host);
    g_Colour[0] = rows.Spin("Red", kRedId, 0, 255);
    g_Colour[1] = rows.Spin("Green", kGreenId, 0, 255);
    g_Colour[2] = rows.Spin("Blue", kBlueId, 0, 255);
    g_Start = rows.Edit("Start", kStartId);
    g_End = rows.Edit("End", kEndId);
    g_Density = rows.Edit("Density", kDensityId);
    g_Table = rows.Check("Table Fog", kTableId);
    return rows.Height();
}

ZN_API void DestroyControls()
{
    for (QPointer<QSpinBox> &spin : g_Colour)
        zn_controls::Destroy(spin);
    zn_controls::Destroy(g_Start);
    zn_controls::Destroy(g_End);
    zn_controls::Destroy(g_Density);
    zn_controls::Destroy(g_Table);
}

// The controls show the first block.
ZN_API void DataUpdated()
{
    if (!g_Blocks || g_Blocks->GetElementCount() == 0)
        return;
    const FOGDATA fog = *Block(0);
    for (int i = 0; i < 3; ++i)
        zn_controls::Fill(g_Colour[i],
                          [&](QSpinBox *s) { s->setValue(static_cast<int>((fog.Colour >> Shift(i)) & 0xFF)); });
    zn_controls::Fill(g_Start, [&](QLineEdit *e) { e->setText(QString::number(fog.Start)); });
    zn_controls::Fill(g_End, [&](QLineEdit *e) { e->setText(QString::number(fog.End)); });
    zn_controls::Fill(g_Density, [&](QLineEdit *e) { e->setText(QString::number(fog.Density)); });
    zn_controls::Fill(g_Table, [&](QCheckBox *c) { c->setChecked((fog.Flags & 1u) != 0); });
}

// A control changed: its value goes into every block, and the views are redrawn.
ZN_API int32_t Command(WPARAM wParam, LPARAM, int32_t *redraw)
{
    const WORD id = LOWORD(static_cast<DWORD>(wParam));
    float value = 0.0f;
    switch (id) {
    case kRedId:
    case kGreenId:
    case kBlueId: {
        const int c = id - kRedId;
        if (!g_Colour[c])
            return 0;
        const uint32_t v = static_cast<uint32_t>(g_Colour[c]->value()) & 0xFFu;
        ForEachBlock(
            [shift = Shift(c), v](FOGDATA &fog) { fog.Colour = (fog.Colour & ~(0xFFu << shift)) | (v << shift); });
        break;
    }
    case kStartId:
    case kEndId:
    case kDensityId: {
        const QPointer<QLineEdit> &edit = id == kStartId ? g_Start : id == kEndId ? g_End : g_Density;
        if (!zn_controls::TypedFloat(edit, &value))
            return 0;
        ForEachBlock([id, value](FOGDATA &fog) {
            (id == kStartId ? fog.Start : id == kEndId ? fog.End : fog.Density) = value;
        });
        break;
    }
    case kTableId:
        if (!g_Table)
            return 0;
        ForEachBlock(
            [on = g_Table->isChecked()](FOGDATA &fog) { fog.Flags = on ? (fog.Flags | 1u) : (fog.Flags & ~1u); });
        break;
    default:
        return 0;
    }
    if (redraw)
        *redraw = 1;
    return 1;
}
}
