// CZN2DView's reach into the document: the 3D cursor it draws and drags, the brushes it paints,
// the redraw of every view after a crosshair drag or a key, and the selection band it shows.
#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "render/view/2d_view.h"

bool CZN2DView::GetDocumentCursorPoint(D3DXVECTOR3 *point)
{
    const CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    if (!document)
        return false;
    *point = document->GetCursorPoint();
    return true;
}

void CZN2DView::SetDocumentCursorPoint(const D3DXVECTOR3 &point)
{
    if (CZNEDITORDoc *document = GetEditorApp()->GetDocument())
        document->SetCursorPoint(point);
}

ZNBRUSH *CZN2DView::DocumentBrushes()
{
    const CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    return document ? document->GetBrushList() : nullptr;
}

void CZN2DView::RedrawDocumentViews()
{
    if (CZNEDITORDoc *document = GetEditorApp()->GetDocument())
        document->RedrawAllViews(nullptr, 0);
}

void CZN2DView::DrawSelectionBand(CDC *dc)
{
    GetEditorApp()->GetSelectionBand()->Draw2D(dc, this);
}
