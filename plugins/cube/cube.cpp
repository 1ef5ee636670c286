// The "Cube" primitive: a closed box centred on the placement point with the three sizes, each
// face wound so that its normal points out of the box.
#include <vector>

#include "platform/export.h"
#include "scene/brush.h"
#include "scene/face.h"
#include "sdk/host_api.h"
#include "sdk/primitive_plugin.h"

namespace
{

void AddOutwardFace(ZNBRUSH *brush, std::vector<D3DXVECTOR3> corners, const D3DXVECTOR3 &centre)
{
    D3DXVECTOR3 faceCentre(0, 0, 0);
    for (const D3DXVECTOR3 &p : corners)
        faceCentre += p;
    faceCentre /= static_cast<float>(corners.size());
    D3DXVECTOR3 e1 = corners[1] - corners[0], e2 = corners[2] - corners[0], normal;
    D3DXVec3Cross(&normal, &e1, &e2);
    D3DXVECTOR3 outwards = faceCentre - centre;
    if (D3DXVec3Dot(&normal, &outwards) < 0.0f)
        corners = std::vector<D3DXVECTOR3>(corners.rbegin(), corners.rend());
    ZNFACE *face = brush->AddFace(static_cast<short>(corners.size()));
    if (!face)
        return;
    for (short i = 0; i < static_cast<short>(corners.size()); ++i)
        face->SetVertex(i, corners[i]);
}

} // namespace

extern "C" {

ZN_API uint32_t InitPrimitivePlugin()
{
    return ZN_PRIMITIVE_PLUGIN_VERSION;
}

ZN_API void GetPrimitivePluginInfo(PRIMITIVEPLUGININFO *info)
{
    info->Name = "Cube";
    info->Bitmap = "Cube";
    info->Description = "A box centred on the point you click, sized by the grid.";
}

ZN_API ZNBRUSH *BuildBrush(D3DXVECTOR3 position, float sizeX, float sizeY, float sizeZ)
{
    ZNBRUSH *brush = AllocNewBrush();
    if (!brush)
        return nullptr;
    const D3DXVECTOR3 half(sizeX * 0.5f, sizeY * 0.5f, sizeZ * 0.5f);
    const D3DXVECTOR3 lo = position - half, hi = position + half;
    AddOutwardFace(brush, {{lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}, {lo.x, hi.y, hi.z}, {lo.x, lo.y, hi.z}}, position);
    AddOutwardFace(brush, {{hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {hi.x, lo.y, hi.z}}, position);
    AddOutwardFace(brush, {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z}}, position);
    AddOutwardFace(brush, {{lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}}, position);
    AddOutwardFace(brush, {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z}}, position);
    AddOutwardFace(brush, {{lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}}, position);
    return brush;
}
}
