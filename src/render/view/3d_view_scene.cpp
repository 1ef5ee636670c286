// CZN3DView's work on its source's scene: a frame of the entities, brushes, overlays and render
// batches, and the pick of the brushes, entities or overlays into the plug-ins' pick record.
#include <algorithm>
#include <cstring>

#include "app/editor_app.h"
#include "platform/cpu/prefetch.h"
#include "platform/d3d9/direct3d_device9.h"
#include "platform/d3d9/direct3d_texture9.h"
#include "platform/os/window.h"
#include "render/direct3d.h"
#include "render/render_batch.h"
#include "render/texture.h"
#include "render/view/3d_view.h"
#include "render/view/view_source.h"
#include "scene/brush.h"
#include "scene/entity.h"
#include "scene/material.h"
#include "scene/object_type.h"
#include "scene/overlay.h"
#include "sdk/override_data.h"
#include "sdk/pick3d_info.h"

namespace
{
constexpr DWORD kPlainMaterial = 0;
constexpr DWORD kHighlightMaterial = 1;
constexpr D3DCOLOR kUnlitColour = 0xFFFFFFFF;
constexpr D3DCOLOR kUnlitHighlight = 0xFFFF5555;
// Depth bias of overlay faces per layer, taken off the projection's third-row, third-column term.
constexpr float kLayerBias = 0.00003f;
constexpr float kPickLength = 50000.0f;
// Depth bias of the overlay pass (its wireframe), taken off the same projection term.
constexpr float kOverlayPassBias = 0.004f;

void SetWorld(IDirect3DDevice9 *device, const D3DXMATRIX *world)
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, world ? world : &identity);
}

IDirect3DBaseTexture9 *FaceTexture(const ZNFACE &face)
{
    return face.m_Texture ? face.m_Texture->GetD3DTexture() : nullptr;
}

bool TwoSided(const ZNFACE &face)
{
    return (face.m_Style & ZNFACESTYLE_TWOSIDED) != 0;
}

// The brush loop of a frame asks the cache for the brushes a few steps ahead, one level of
// pointers per step: a brush, then its face table, then its faces, then their vertices, each
// kPrefetchSpacing steps after the level before. A level's pointers are read only once the
// step before has fetched them, so that neither this nor the frame's own reads of a brush wait
// on memory (the brushes, faces and vertex arrays are separate allocations).
constexpr int kPrefetchSpacing = 1;
constexpr int kPrefetchDepth = 4 * kPrefetchSpacing;

// Draws a face's own vertices: its triangle list when it has one, else a fan.
void DrawFaceGeometry(CZN3D *d3d, const void *vertices, const ZNFACE &face)
{
    const auto count = static_cast<DWORD>(face.GetVertexCount());
    if (face.m_TriIndices)
        d3d->DrawIndexedTriangles(vertices, count, face.m_TriIndices, count - 2);
    else
        d3d->DrawPrimitive(vertices, count);
}
} // namespace

void CZN3DView::Render(int, int selectedOnly, int present)
{
    CZNEDITORApp *app = GetEditorApp();
    if (!app->IsInitialized())
        return;
    CZN3D *d3d = app->Get3D();
    IDirect3DDevice9 *device = d3d ? d3d->GetDevice() : nullptr;
    // Without a device the window shows only its background and label.
    if (!device)
        return;
    const DWORD faceMode = app->GetEditMode() == ZNEDITMODE_FACE ? 1 : 0;
    IZNViewSource *source = m_Source;

    D3DXMATRIX projection;
    d3d->GetProjection(&projection);
    if (source) {
        source->EmptyRenderBatches();
        // Brushes and overlays file their blended and unlit faces where the wrapper says.
        d3d->SetFrameBatches(&source->GetBlendedBatch(), &source->GetUnlitBatch());
    }

    d3d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, m_Background, 1.0f);
    d3d->BeginScene();
    d3d->CaptureStateBlock();
    CZNEntity *fog = ApplyEntities(source ? source->GetEntityList() : nullptr, selectedOnly);
    d3d->ApplyStateBlock();
    ApplyFog(fog);
    d3d->SetTexture(0, nullptr);

    if (source) {
        const CZNCAMERA *camera = d3d->GetCamera();
        if (m_Batching)
            d3d->BeginBatch();
        // ahead[k] is the brush k + 1 steps after the one drawn. The next farthest brush is read
        // from the farthest one a step after that one was fetched.
        ZNBRUSH *ahead[kPrefetchDepth] = {};
        ZNBRUSH *walk = source->GetBrushList();
        for (ZNBRUSH *&slot : ahead) {
            slot = walk;
            walk = walk ? walk->m_Next : nullptr;
        }
        for (ZNBRUSH *brush = source->GetBrushList(); brush; brush = brush->m_Next) {
            ZNBRUSH *farthest = ahead[kPrefetchDepth - 1] ? ahead[kPrefetchDepth - 1]->m_Next : nullptr;
            std::copy(ahead + 1, ahead + kPrefetchDepth, ahead);
            ahead[kPrefetchDepth - 1] = farthest;
            if (const ZNBRUSH *b = ahead[kPrefetchSpacing - 1])
                for (DWORD i = 0; i < b->m_FaceCount; ++i) {
                    const ZNFACE *face = b->m_Faces[i];
                    if (face->m_Vertices && face->m_VertexCount > 0)
                        ZnPrefetchLines(face->m_Vertices, sizeof(ZNVERTEX) * face->m_VertexCount);
                }
            if (const ZNBRUSH *b = ahead[2 * kPrefetchSpacing - 1])
                for (DWORD i = 0; i < b->m_FaceCount; ++i)
                    ZnPrefetchLines(b->m_Faces[i], sizeof(ZNFACE));
            if (const ZNBRUSH *b = ahead[3 * kPrefetchSpacing - 1]; b && b->m_Faces)
                ZnPrefetchLine(reinterpret_cast<const char *>(b->m_Faces));
            if (const ZNBRUSH *b = ahead[4 * kPrefetchSpacing - 1])
                ZnPrefetchLines(b, sizeof(ZNBRUSH));
            const ZNBBOX box = brush->GetBoundingBox(1);
            if (!camera->IsBoxInFrustum(&box.Min, &box.Max))
                continue;
            if (m_FastFrame && (brush->m_Flags & ZNBRUSH_DETAIL)) {
                brush->DrawBBOX3D(d3d, selectedOnly);
                m_BoxesDrawn = 1;
            } else {
                brush->Draw3D(d3d, faceMode, 1, selectedOnly, m_BrushDrawOption, nullptr);
            }
        }
        d3d->FlushBatch();
        // Overlay boxes, then overlay surfaces with a depth bias so they show over the brushes.
        for (CZNOverlay *overlay = source->GetOverlayList(); overlay; overlay = overlay->m_Next) {
            if (selectedOnly && !overlay->IsSelected())
                continue;
            const ZNBBOX box = overlay->GetBounds(0);
            if (camera->IsBoxInFrustum(&box.Min, &box.Max))
                overlay->DrawBox3D(d3d, selectedOnly, nullptr);
        }
        D3DXMATRIX biased = projection;
        biased._33 -= kOverlayPassBias;
        d3d->SetProjection(&biased);
        for (CZNOverlay *overlay = source->GetOverlayList(); overlay; overlay = overlay->m_Next) {
            if (selectedOnly && !overlay->IsSelected())
                continue;
            const ZNBBOX box = overlay->GetBounds(0);
            if (camera->IsBoxInFrustum(&box.Min, &box.Max))
                overlay->DrawFaces3D(d3d, selectedOnly);
        }
        d3d->SetProjection(&projection);
        d3d->CaptureStateBlock();
        DrawEntities(source->GetEntityList(), selectedOnly);
        d3d->ApplyStateBlock();
        d3d->SetTexture(0, nullptr);
        DrawUnlitFaces();
        DrawTransparentFaces();
        // The batches point at faces that may go before the next frame.
        d3d->SetFrameBatches(nullptr, nullptr);
        source->EmptyRenderBatches();
    }
    d3d->SetProjection(&projection);
    d3d->EndScene();
    if (!selectedOnly && present)
        d3d->Present(nullptr);
}

void CZN3DView::DrawUnlitFaces()
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    IDirect3DDevice9 *device = d3d ? d3d->GetDevice() : nullptr;
    if (!m_Source || !device || m_Source->GetUnlitBatch().GetCount() == 0)
        return;
    const ZNRENDERBATCH &batch = m_Source->GetUnlitBatch();
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    d3d->SetVertexFormat(0x242, sizeof(UnlitVertex));
    if (m_Batching)
        d3d->BeginBatch();
    for (size_t i = 0; i < batch.GetCount(); ++i) {
        const ZNFACE &face = *batch.Faces[i];
        const short count = face.GetVertexCount();
        if (count < 3 || !face.m_Vertices)
            continue;
        SetWorld(device, batch.GetMatrix(i));
        // The face's vertices in the unlit format; the array grows with the largest face.
        const D3DCOLOR colour = face.m_BatchHighlight ? kUnlitHighlight : kUnlitColour;
        m_UnlitVertices.resize(static_cast<size_t>(count));
        for (short k = 0; k < count; ++k) {
            const ZNVERTEX &v = face.m_Vertices[k];
            m_UnlitVertices[static_cast<size_t>(k)] = {v.x, v.y, v.z, colour, v.tu, v.tv, 0.0f, 0.0f};
        }
        d3d->SetTexture(0, FaceTexture(face));
        if (TwoSided(face))
            d3d->SetCullMode(D3DCULL_NONE);
        DrawFaceGeometry(d3d, m_UnlitVertices.data(), face);
        if (TwoSided(face))
            d3d->SetCullMode(D3DCULL_CCW);
    }
    d3d->FlushBatch();
    d3d->SetVertexFormat(0x212, sizeof(ZNVERTEX));
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    SetWorld(device, nullptr);
}

void CZN3DView::DrawTransparentFaces()
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    IDirect3DDevice9 *device = d3d ? d3d->GetDevice() : nullptr;
    if (!m_Source || !device || m_Source->GetBlendedBatch().GetCount() == 0)
        return;
    const ZNRENDERBATCH &batch = m_Source->GetBlendedBatch();
    D3DXMATRIX projection;
    d3d->GetProjection(&projection);
    m_SortFaces.assign(batch.Faces.begin(), batch.Faces.end());
    m_SortMatrices.resize(batch.GetCount());
    for (size_t i = 0; i < batch.GetCount(); ++i)
        m_SortMatrices[i] = batch.GetMatrix(i);
    if (m_SortFaces.size() > 1)
        SortFacesBackToFront(m_SortFaces.data(), 0, static_cast<int>(m_SortFaces.size()) - 1, m_SortMatrices.data());

    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    BYTE layer = 0;
    for (size_t i = 0; i < m_SortFaces.size(); ++i) {
        const ZNFACE &face = *m_SortFaces[i];
        if (face.GetVertexCount() < 3 || !face.m_Vertices)
            continue;
        SetWorld(device, m_SortMatrices[i]);
        if (face.m_ObjectType == ZNOBJECT_OVERLAYFACE) {
            if (face.m_FaceFlag != layer) {
                D3DXMATRIX biased = projection;
                biased._33 -= static_cast<float>(face.m_FaceFlag) * kLayerBias;
                d3d->SetProjection(&biased);
                layer = face.m_FaceFlag;
            }
        } else if (layer != 0) {
            d3d->SetProjection(&projection);
            layer = 0;
        }
        d3d->SetTexture(0, FaceTexture(face));
        // A face without a usable material record draws with the plain built-in material.
        const CZNMATERIAL *record =
            face.m_Material >= 0 ? d3d->GetMaterialRecord(static_cast<DWORD>(face.m_Material)) : nullptr;
        if (face.m_BatchHighlight) {
            d3d->SetDefaultMaterial(kHighlightMaterial);
        } else if (record) {
            const D3DMATERIAL9 material = record->GetD3DMaterial();
            d3d->SetMaterial(&material);
        } else {
            d3d->SetDefaultMaterial(kPlainMaterial);
        }
        if (face.m_SrcBlend == -1 || face.m_DestBlend == -1)
            d3d->SetBlendMode(1, 0);
        else
            d3d->SetBlendMode(face.m_SrcBlend, face.m_DestBlend);
        if (TwoSided(face))
            d3d->SetCullMode(D3DCULL_NONE);
        DrawFaceGeometry(d3d, face.m_Vertices, face);
        if (TwoSided(face))
            d3d->SetCullMode(D3DCULL_CCW);
    }
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    d3d->SetProjection(&projection);
    d3d->SetTexture(0, nullptr);
    SetWorld(device, nullptr);
}

bool CZN3DView::GetPickRay(int x, int y, D3DXVECTOR3 *origin, D3DXVECTOR3 *direction) const
{
    RECT client = {0, 0, 0, 0};
    CZN3D *d3d = GetEditorApp()->Get3D();
    if (!origin || !direction || !d3d || !d3d->GetDevice() || !GetClientRect(m_Window, &client))
        return false;
    const LONG width = client.right - client.left, height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return false;
    D3DXMATRIX inverseView, projection;
    d3d->GetInverseView(&inverseView);
    d3d->GetProjection(&projection);
    const D3DXVECTOR3 inView((2.0f * static_cast<float>(x) / static_cast<float>(width) - 1.0f) / projection._11,
                             -(2.0f * static_cast<float>(y) / static_cast<float>(height) - 1.0f) / projection._22,
                             1.0f);
    D3DXVec3TransformNormal(direction, &inView, &inverseView);
    D3DXVec3Normalize(direction, direction);
    *origin = D3DXVECTOR3(inverseView._41, inverseView._42, inverseView._43);
    return true;
}

PICK3DINFO CZN3DView::Pick3D(int x, int y, int overlayMode)
{
    PICK3DINFO result = {};
    result.Distance = kNoHit;
    D3DXVECTOR3 origin, direction;
    if (!GetPickRay(x, y, &origin, &direction))
        return result;

    IZNViewSource *source = m_Source;
    if (overlayMode == 0 && source) {
        // Hidden brushes neither take the click nor block it.
        OVERRIDEDATA visibleOnly = {};
        for (ZNBRUSH *brush = source->GetBrushList(); brush; brush = brush->m_Next) {
            brush->Pick3D(&origin, &direction, kPickLength, &result, 0, &visibleOnly);
        }
        if (GetEditorApp()->GetEditMode() == ZNEDITMODE_BRUSH)
            PickEntities(source->GetEntityList(), origin, direction, &result);
    }
    if (overlayMode != 0 && source && GetEditorApp()->Options().m_DrawOverlays3D) {
        // Hidden overlays are skipped as hidden brushes are.
        OVERRIDEDATA visibleOnly = {};
        for (CZNOverlay *overlay = source->GetOverlayList(); overlay; overlay = overlay->m_Next)
            overlay->Pick3D(&origin, &direction, kPickLength, &result, &visibleOnly);
    }
    return result;
}

void *CZN3DView::PickObject(int x, int y, int overlayMode, DWORD *face)
{
    const PICK3DINFO hit = Pick3D(x, y, overlayMode);
    if (hit.Object && face)
        *face = hit.Face;
    return hit.Object;
}

CZNEntity *CZN3DView::ApplyEntities(CZNEntity *first, int selectedOnly)
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    const ZNAPPOPTIONS &options = GetEditorApp()->Options();
    CZNEntity *fog = nullptr;
    for (CZNEntity *entity = first; entity; entity = entity->m_Next) {
        if (entity->IsHidden()) {
            entity->ApplyLight(0);
        } else {
            entity->ApplyLight(1);
            const int light = entity->GetLightIndex();
            if (light != -1 && entity->GetData()) {
                const BYTE *data = entity->GetData();
                D3DXVECTOR3 position, direction;
                std::memcpy(&position, data + 48, sizeof(position));
                std::memcpy(&direction, data + 32, sizeof(direction));
                d3d->SetLightPosition(static_cast<WORD>(light), &position, &direction);
            }
        }
        // Only the built-in fog, vendor and all: another maker's 516 leaves the view's own fog.
        if (entity->IsBuiltInKindC())
            fog = entity;
        if (entity->IsBuiltInKindB() && (!selectedOnly || entity->IsSelected()) && options.m_DrawEntities3D &&
            entity->GetLightIndex() == -1)
            entity->Draw3D(d3d, selectedOnly, nullptr);
    }
    return fog;
}

void CZN3DView::ApplyFog(CZNEntity *fog)
{
    if (fog && !fog->IsHidden()) {
        fog->ApplyFog();
        return;
    }
    IDirect3DDevice9 *device = GetEditorApp()->Get3D()->GetDevice();
    if (!device)
        return;
    device->SetRenderState(D3DRS_FOGCOLOR, 0);
    device->SetRenderState(D3DRS_FOGSTART, ZNFloatToDWORD(2000.0f));
    device->SetRenderState(D3DRS_FOGEND, ZNFloatToDWORD(9900.0f));
    device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
    device->SetRenderState(D3DRS_RANGEFOGENABLE, FALSE);
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
}

void CZN3DView::DrawEntities(CZNEntity *first, int selectedOnly)
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    const ZNAPPOPTIONS &options = GetEditorApp()->Options();
    for (CZNEntity *entity = first; entity; entity = entity->m_Next) {
        if (entity->IsBuiltInKindB() || (selectedOnly && !entity->IsSelected()))
            continue;
        const bool light = entity->GetLightIndex() != -1;
        if ((options.m_DrawEntities3D && !light) || (options.m_DrawLights3D && light))
            entity->Draw3D(d3d, selectedOnly, nullptr);
    }
}

void CZN3DView::PickEntities(CZNEntity *first, const D3DXVECTOR3 &origin, const D3DXVECTOR3 &direction,
                             PICK3DINFO *result)
{
    PICK3DINFO nearest = {};
    nearest.Distance = kNoHit;
    const int mode = GetEditorApp()->Options().m_PlaceOnSurfaces;
    for (CZNEntity *entity = first; entity; entity = entity->m_Next)
        entity->Pick3D(&origin, &direction, kPickLength, &nearest, mode, 0);
    if (!(nearest.Distance < result->Distance))
        return;
    *result = nearest;
    result->Face = 0;
}
