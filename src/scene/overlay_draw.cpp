// CZNOverlay's drawing: box and face outlines through a 2D view's projection, the box as lines
// and the faces filed in the frame's blended batch that the Direct3D wrapper holds, and the
// faces' wireframe. Each part follows its drawing option of the application.
#include "app/editor_app.h"
#include "platform/d3d9/direct3d_device9.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen.h"
#include "render/direct3d.h"
#include "render/render_batch.h"
#include "render/view/2d_view.h"
#include "scene/face_outline.h"
#include "scene/geometry.h"
#include "scene/overlay.h"
#include "sdk/override_data.h"

namespace
{

// Built-in materials of the wrapper used here.
constexpr DWORD kHighlightMaterial = 1;
constexpr DWORD kOverlayMaterial = 4;

constexpr int kBoxEdges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                  {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

void DrawBoxEdges(const CZN2DView &view, CDC &dc, const D3DXVECTOR3 *corners, const D3DXMATRIX *transform)
{
    for (const auto &edge : kBoxEdges) {
        dc.MoveTo(ZnProjectToView(view, corners[edge[0]], transform));
        dc.LineTo(ZnProjectToView(view, corners[edge[1]], transform));
    }
}

bool IsIdentity(const D3DXMATRIX &m)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m.m[r][c] != (r == c ? 1.0f : 0.0f))
                return false;
    return true;
}

} // namespace

void CZNOverlay::DrawBox2D(void *view, CDC *dc) const
{
    if (!view || !dc || !GetEditorApp()->Options().m_DrawOverlayBoxes2D)
        return;
    DrawBoxEdges(*static_cast<const CZN2DView *>(view), *dc, m_Corners, nullptr);
}

void CZNOverlay::DrawFace2D(void *view, CDC *dc, DWORD i) const
{
    if (!view || !dc || i >= m_FaceCount || !GetEditorApp()->Options().m_DrawOverlays2D)
        return;
    ZnDrawFaceOutline(*static_cast<const CZN2DView *>(view), *dc, *m_Faces[i], nullptr);
}

void CZNOverlay::DrawFaces2D(void *view, CDC *dc, const D3DXMATRIX *transform, OVERRIDEDATA *over) const
{
    if (!view || !dc)
        return;
    CPen *previous = nullptr;
    if (over) {
        if (over->Skip != 0)
            return;
        if (over->Selected && over->Pen)
            previous = dc->SelectObject(over->Pen);
    } else if (IsHidden()) {
        return;
    }
    const CZN2DView &projection = *static_cast<const CZN2DView *>(view);
    if (GetEditorApp()->Options().m_DrawOverlayBoxes2D)
        DrawBoxEdges(projection, *dc, m_Corners, transform);
    for (DWORD i = 0; i < m_FaceCount; ++i)
        ZnDrawFaceOutline(projection, *dc, *m_Faces[i], transform);
    if (previous)
        dc->SelectObject(previous);
}

void CZNOverlay::DrawBox3D(CZN3D *d3d, int selectedPass, OVERRIDEDATA *over) const
{
    if (!d3d || !d3d->GetDevice())
        return;
    bool selected;
    if (over) {
        if (over->Skip != 0)
            return;
        selected = over->Selected != 0;
    } else {
        if (IsHidden())
            return;
        selected = m_Selected != 0;
    }
    if (selectedPass && !selected)
        return;
    if (!GetEditorApp()->Options().m_DrawOverlayBoxes3D)
        return;
    D3DMATERIAL9 saved;
    d3d->GetMaterial(&saved);
    ZNVERTEX lines[24];
    for (int e = 0; e < 12; ++e) {
        lines[2 * e] = MakeVertex(m_Corners[kBoxEdges[e][0]], 0.0f, 0.0f, 0.0f);
        lines[2 * e + 1] = MakeVertex(m_Corners[kBoxEdges[e][1]], 0.0f, 0.0f, 0.0f);
    }
    if (selected && !selectedPass) {
        if (over)
            d3d->SetMaterial(&over->Highlight);
        else
            d3d->SetDefaultMaterial(kHighlightMaterial);
    } else {
        d3d->SetDefaultMaterial(kOverlayMaterial);
    }
    d3d->SetPrimitiveType(D3DPT_LINELIST);
    d3d->DrawPrimitive(lines, 24);
    d3d->SetPrimitiveType(D3DPT_TRIANGLEFAN);
    d3d->SetMaterial(&saved);
}

void CZNOverlay::DrawFaces3D(CZN3D *d3d, int selectedPass)
{
    if (!d3d || !d3d->GetDevice() || IsHidden())
        return;
    (void)selectedPass; // the selection band's face mode would skip unselected overlays here
    D3DXMATRIX world;
    d3d->GetDevice()->GetTransform(D3DTS_WORLD, &world);
    const bool identity = IsIdentity(world);
    D3DMATERIAL9 saved;
    d3d->GetMaterial(&saved);
    const ZNAPPOPTIONS &options = GetEditorApp()->Options();
    ZNRENDERBATCH *blended = d3d->GetBlendedBatch();
    if (options.m_DrawOverlays3D && blended) {
        for (DWORD i = 0; i < m_FaceCount; ++i) {
            ZNFACE *face = m_Faces[i];
            if (face->m_Style == ZNFACESTYLE_INVISIBLE)
                continue;
            face->m_BatchHighlight = static_cast<BYTE>(face->IsFaceSelected());
            blended->Add(face, identity ? nullptr : &world);
        }
    }
    if (options.m_DrawOverlayWireframe3D) {
        d3d->SetDefaultMaterial(kOverlayMaterial);
        d3d->SetPrimitiveType(D3DPT_LINELIST);
        for (DWORD i = 0; i < m_FaceCount; ++i) {
            const ZNFACE *face = m_Faces[i];
            const short count = face->GetVertexCount();
            if (count < 2 || !face->m_Vertices)
                continue;
            const bool twoSided = (face->m_Style & ZNFACESTYLE_TWOSIDED) != 0;
            if (twoSided)
                d3d->SetCullMode(D3DCULL_NONE);
            for (short k = 0; k + 1 < count; ++k)
                d3d->DrawPrimitive(&face->m_Vertices[k], 2);
            if (twoSided)
                d3d->SetCullMode(D3DCULL_CCW);
            const ZNVERTEX closing[2] = {face->m_Vertices[count - 1], face->m_Vertices[0]};
            d3d->DrawPrimitive(closing, 2);
        }
        d3d->SetPrimitiveType(D3DPT_TRIANGLEFAN);
        d3d->SetMaterial(&saved);
    }
}
