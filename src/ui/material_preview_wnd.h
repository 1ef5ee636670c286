#pragma once

// CZNMaterialPreviewWnd: the material workshop's sunken preview: the material-preview sphere as it
// stands (the workshop's material on its face 0, the texture the workshop gave it) from straight
// in front, turned by the material's preview rotation, on black. Without a material record it
// shows black.
#include "ui/sphere_preview_wnd.h"

class CZNMaterialPreviewWnd : public CZNSpherePreviewWnd
{
public:
    explicit CZNMaterialPreviewWnd(QWidget *parent = nullptr);

protected:
    bool RenderPreview(CZN3D *d3d) override;
};
