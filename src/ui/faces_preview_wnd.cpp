#include "ui/faces_preview_wnd.h"

#include "app/editor_app.h"
#include "render/direct3d.h"
#include "render/material_preview.h"
#include "scene/brush.h"
#include "scene/face.h"

CZNFacesPreviewWnd::CZNFacesPreviewWnd(QWidget *parent) : CZNSpherePreviewWnd(parent)
{
    setObjectName(QStringLiteral("BrushPreview"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
}

bool CZNFacesPreviewWnd::RenderPreview(CZN3D *d3d)
{
    ZNBRUSH *sphere = GetEditorApp()->GetMaterialPreviewBrush();
    const ZNFACE *face = sphere ? sphere->GetFace(0) : nullptr;
    return face && CZNMaterialPreview::Draw(d3d, sphere, face->GetMaterial(), RGB(0, 0, 0));
}
