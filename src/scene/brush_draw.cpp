// ZNBRUSH's drawing: wireframe outlines through a 2D view's projection, and textured, lit faces
// through the Direct3D wrapper, with blended, sky-box and full-bright faces filed in the frame's
// render batches that the wrapper holds, for the 3D view to draw after the opaque geometry.
#include "platform/d3d9/direct3d_device9.h"
#include "platform/d3d9/direct3d_texture9.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen.h"
#include "render/direct3d.h"
#include "render/render_batch.h"
#include "render/texture.h"
#include "render/view/2d_view.h"
#include "scene/brush.h"
#include "scene/face_outline.h"
#include "scene/geometry.h"
#include "scene/material.h"
#include "sdk/override_data.h"

namespace
{

// Built-in materials of the wrapper used here.
constexpr DWORD kPlainMaterial = 0;
constexpr DWORD kHighlightMaterial = 1;
constexpr DWORD kBoxMaterial = 3;

// Corner k of a box: bit 0 picks the x side, bit 1 the y side, bit 2 the z side.
D3DXVECTOR3 Corner(const ZNBBOX &box, int k)
{
    return D3DXVECTOR3((k & 1) ? box.Max.x : box.Min.x, (k & 2) ? box.Max.y : box.Min.y,
                       (k & 4) ? box.Max.z : box.Min.z);
}

// The twelve edges of a box as corner pairs: the side at minimum z, the side at maximum z, and
// the edges joining them.
constexpr int kBoxEdges[12][2] = {{0, 1}, {1, 3}, {3, 2}, {2, 0}, {4, 5}, {5, 7},
                                  {7, 6}, {6, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

bool IsBlended(const ZNFACE &face)
{
    return face.m_SrcBlend != -1 && face.m_DestBlend != -1;
}

bool IsUnlit(const ZNFACE &face)
{
    return (face.m_Style & (ZNFACESTYLE_SKYBOX | ZNFACESTYLE_FULLBRIGHT)) != 0;
}

// Files a face in its batch of the frame being drawn; a blended face goes to the blended batch
// whatever its style, since only that batch is drawn with blending.
void FileInBatch(CZN3D *d3d, ZNFACE *face, BYTE highlighted, const D3DXMATRIX *world)
{
    face->m_BatchHighlight = highlighted;
    if (ZNRENDERBATCH *batch = IsBlended(*face) ? d3d->GetBlendedBatch() : d3d->GetUnlitBatch())
        batch->Add(face, world);
}

void SetFaceMaterial(CZN3D *d3d, const ZNFACE &face)
{
    const CZNMATERIAL *record =
        face.m_Material >= 0 ? d3d->GetMaterialRecord(static_cast<DWORD>(face.m_Material)) : nullptr;
    if (record) {
        const D3DMATERIAL9 material = record->GetD3DMaterial();
        d3d->SetMaterial(&material);
    } else {
        d3d->SetDefaultMaterial(kPlainMaterial);
    }
}

void SetFaceTexture(CZN3D *d3d, const ZNFACE &face)
{
    d3d->SetTexture(0, face.m_Texture ? face.m_Texture->GetD3DTexture() : nullptr);
}

void DrawFace(CZN3D *d3d, const ZNFACE &face)
{
    const short count = face.GetVertexCount();
    if (count < 3 || !face.m_Vertices)
        return;
    const bool twoSided = (face.m_Style & ZNFACESTYLE_TWOSIDED) != 0;
    if (twoSided)
        d3d->SetCullMode(D3DCULL_NONE);
    if (face.m_TriIndices)
        d3d->DrawIndexedTriangles(face.m_Vertices, static_cast<DWORD>(count), face.m_TriIndices,
                                  static_cast<DWORD>(count - 2));
    else
        d3d->DrawPrimitive(face.m_Vertices, static_cast<DWORD>(count));
    if (twoSided)
        d3d->SetCullMode(D3DCULL_CCW);
}

} // namespace

POINT ZnProjectToView(const CZN2DView &view, D3DXVECTOR3 p, const D3DXMATRIX *matrix)
{
    if (matrix)
        D3DXVec3TransformCoord(&p, &p, matrix);
    POINT pixel;
    view.WorldToScreen(&pixel, &p);
    return pixel;
}

// The closed outline of a face in the current pen.
void ZnDrawFaceOutline(const CZN2DView &view, CDC &dc, const ZNFACE &face, const D3DXMATRIX *matrix)
{
    const short count = face.GetVertexCount();
    if (count <= 0)
        return;
    dc.MoveTo(ZnProjectToView(view, face.GetVector(0), matrix));
    for (short i = 1; i < count; ++i)
        dc.LineTo(ZnProjectToView(view, face.GetVector(i), matrix));
    dc.LineTo(ZnProjectToView(view, face.GetVector(0), matrix));
}

void ZNBRUSH::Draw2D(void *view, DWORD faceIndex, CDC *dc)
{
    if (!view || !dc || faceIndex >= m_FaceCount || (m_Flags & ZNBRUSH_HIDDEN))
        return;
    ZnDrawFaceOutline(*static_cast<const CZN2DView *>(view), *dc, *m_Faces[faceIndex], nullptr);
}

void ZNBRUSH::Draw2D(void *view, CDC *dc, const D3DXMATRIX *matrix, OVERRIDEDATA *over)
{
    if (!view || !dc)
        return;
    CPen *previous = nullptr;
    if (over) {
        if (over->Skip == 1)
            return;
        if (over->Selected && over->Pen)
            previous = dc->SelectObject(over->Pen);
    } else if (m_Flags & ZNBRUSH_HIDDEN) {
        return;
    }
    const CZN2DView &projection = *static_cast<const CZN2DView *>(view);
    for (DWORD i = 0; i < m_FaceCount; ++i)
        ZnDrawFaceOutline(projection, *dc, *m_Faces[i], matrix);
    if (previous)
        dc->SelectObject(previous);
}

void ZNBRUSH::DrawBBOX2D(void *view, CDC *dc, const D3DXMATRIX *matrix)
{
    if (!view || !dc)
        return;
    const CZN2DView &projection = *static_cast<const CZN2DView *>(view);
    CPen pen(PS_SOLID, 1, RGB(0, 0, 255));
    CPen *oldPen = dc->SelectObject(&pen);
    CGdiObject *oldBrush = dc->SelectStockObject(NULL_BRUSH);
    POINT corners[8];
    for (int k = 0; k < 8; ++k)
        corners[k] = ZnProjectToView(projection, Corner(m_Bounds, k), matrix);
    for (const auto &edge : kBoxEdges) {
        dc->MoveTo(corners[edge[0]]);
        dc->LineTo(corners[edge[1]]);
    }
    if (oldPen)
        dc->SelectObject(oldPen);
    if (oldBrush)
        dc->SelectObject(oldBrush);
}

void ZNBRUSH::Draw3D(CZN3D *d3d, DWORD selectionMode, int materialFlag, int selectedOnly, int highlight,
                     OVERRIDEDATA *over)
{
    if (!d3d || !d3d->GetDevice())
        return;
    bool selected;
    if (over) {
        if (over->Skip == 1)
            return;
        selected = over->Selected != 0;
    } else {
        if (m_Flags & ZNBRUSH_HIDDEN)
            return;
        selected = m_Selected != 0;
    }
    D3DXMATRIX world;
    d3d->GetDevice()->GetTransform(D3DTS_WORLD, &world);
    const D3DXMATRIX *batchWorld = D3DXMatrixIsIdentity(&world) ? nullptr : &world;
    if (selectedOnly == 1)
        highlight = 0;

    if (selectionMode == 0) {
        if (!selected && selectedOnly)
            return;
        const bool highlighted = selected && highlight;
        if (highlighted) {
            if (over)
                d3d->SetMaterial(&over->Highlight);
            else
                d3d->SetDefaultMaterial(kHighlightMaterial);
        }
        for (DWORD i = 0; i < m_FaceCount; ++i) {
            ZNFACE *face = m_Faces[i];
            if (face->m_Style & ZNFACESTYLE_INVISIBLE)
                continue;
            if (IsBlended(*face) || IsUnlit(*face)) {
                FileInBatch(d3d, face, highlighted ? 1 : 0, batchWorld);
                continue;
            }
            if (materialFlag) {
                if (!highlighted)
                    SetFaceMaterial(d3d, *face);
                SetFaceTexture(d3d, *face);
            }
            DrawFace(d3d, *face);
        }
    } else if (selectionMode == 1) {
        for (DWORD i = 0; i < m_FaceCount; ++i) {
            ZNFACE *face = m_Faces[i];
            const bool faceSelected = face->IsFaceSelected() != 0;
            if (face->m_Style & ZNFACESTYLE_INVISIBLE)
                continue;
            if (IsBlended(*face) || IsUnlit(*face)) {
                if (highlight && selectedOnly && !faceSelected)
                    continue;
                FileInBatch(d3d, face, faceSelected && highlight ? 1 : 0, batchWorld);
                continue;
            }
            SetFaceTexture(d3d, *face);
            if (faceSelected && highlight)
                d3d->SetDefaultMaterial(kHighlightMaterial);
            else
                SetFaceMaterial(d3d, *face);
            DrawFace(d3d, *face);
        }
    }
}

void ZNBRUSH::DrawBBOX3D(CZN3D *d3d, int selectedOnly)
{
    if (!d3d || !d3d->GetDevice() || (selectedOnly && !m_Selected))
        return;
    D3DMATERIAL9 saved;
    d3d->GetMaterial(&saved);
    ZNVERTEX lines[24];
    for (int e = 0; e < 12; ++e) {
        lines[2 * e] = MakeVertex(Corner(m_Bounds, kBoxEdges[e][0]), 0.0f, 0.0f, 0.0f);
        lines[2 * e + 1] = MakeVertex(Corner(m_Bounds, kBoxEdges[e][1]), 0.0f, 0.0f, 0.0f);
    }
    d3d->SetDefaultMaterial(kBoxMaterial);
    d3d->SetPrimitiveType(D3DPT_LINELIST);
    d3d->DrawPrimitive(lines, 24);
    d3d->SetPrimitiveType(D3DPT_TRIANGLEFAN);
    d3d->SetMaterial(&saved);
}
