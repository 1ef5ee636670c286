#pragma once

// CZNFacesPreviewWnd: the Faces page's sunken brush preview: the material-preview sphere with the
// material on its face 0 (and that material's texture, or "Material.sys") on black. When the
// sphere has no face it shows black.
#include "ui/sphere_preview_wnd.h"

class CZNFacesPreviewWnd : public CZNSpherePreviewWnd
{
public:
    explicit CZNFacesPreviewWnd(QWidget *parent = nullptr);

protected:
    bool RenderPreview(CZN3D *d3d) override;
};
