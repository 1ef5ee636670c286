#pragma once

// CZNMaterialPreview: the picture the Faces page's material list and brush preview draw: the
// application's material-preview sphere with one material of the wrapper's list, lit by that
// material's own preview light and seen from a fixed point turned by its preview rotation. The
// callers save the wrapper's state around it and choose the viewport and render target; this
// draws into the back buffer only. Nothing is drawn without a device, a sphere or a record.
#include "platform/d3d9/d3d9_types.h"
#include "platform/export.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/win_types.h"

class CZN3D;
class CZNMATERIAL;
class CZNTexture;
class ZNBRUSH;

class ZN_API CZNMaterialPreview
{
public:
    // The texture a material is previewed with: its own, else the application's "Material.sys"
    // texture (null when that did not load: no texture). Null for a null record.
    static CZNTexture *GetPreviewTexture(const CZNMATERIAL *material);

    // Camera, clear to the background (a COLORREF), the material's light as light 0 with light 1
    // off, and the sphere given the material and its preview texture, drawn in one scene.
    // False when nothing was drawn.
    static bool Draw(CZN3D *d3d, ZNBRUSH *sphere, LONG material, COLORREF background);

    // The material workshop's picture: the sphere as it stands (the material on its face 0, its
    // texture untouched), seen from (0, 0, -70) turned by that material's preview rotation, lit by
    // its preview light, on black. False when nothing was drawn.
    static bool DrawAsIs(CZN3D *d3d, ZNBRUSH *sphere);

private:
    // Camera, clear, light and the sphere drawn in one scene.
    static void DrawSphere(CZN3D *d3d, ZNBRUSH *sphere, const CZNMATERIAL *record, const D3DXVECTOR3 &eye,
                           D3DCOLOR clear);
};
