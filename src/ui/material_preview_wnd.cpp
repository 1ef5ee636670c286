#include "ui/material_preview_wnd.h"

#include "app/editor_app.h"
#include "render/material_preview.h"

CZNMaterialPreviewWnd::CZNMaterialPreviewWnd(QWidget *parent) : CZNSpherePreviewWnd(parent)
{
    setObjectName(QStringLiteral("MaterialPreview"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
}

bool CZNMaterialPreviewWnd::RenderPreview(CZN3D *d3d)
{
    return CZNMaterialPreview::DrawAsIs(d3d, GetEditorApp()->GetMaterialPreviewBrush());
}
