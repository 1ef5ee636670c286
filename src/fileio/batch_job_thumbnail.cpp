// The batch job's thumbnail: a scene file's brushes drawn on white from a fixed direction with
// the editor's device, captured and brought to the stored form.
#include <algorithm>
#include <memory>

#include "app/editor_app.h"
#include "fileio/batch_job.h"
#include "fileio/iwf_scene.h"
#include "fileio/scene_file.h"
#include "platform/d3d9/direct3d_device9.h"
#include "platform/d3d9/direct3d_texture9.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "render/image/image.h"
#include "render/texture.h"
#include "render/view/3d_view.h"
#include "scene/bbox.h"
#include "scene/brush.h"
#include "scene/face.h"
#include "scene/material.h"

namespace
{
// The material of a face as the writers look it up: the record whose index is the face's.
D3DMATERIAL9 FaceMaterial(const CZNSceneFile &scene, const CZN3D &d3d, const ZNFACE &face)
{
    if (face.m_Material >= 0)
        for (const ZNMATERIALREF &ref : scene.m_MaterialRefs)
            if (ref.Material && ref.Index == static_cast<DWORD>(face.m_Material))
                return ref.Material->GetD3DMaterial();
    return *d3d.GetBuiltInMaterial(0);
}
} // namespace

bool CZNBatchJob::BuildThumbnail(CZNSceneFile &scene, CZNImage *image)
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    IDirect3DDevice9 *device = d3d ? d3d->GetDevice() : nullptr;
    if (!image || !device || scene.m_Brushes.empty())
        return false;

    ZNBBOX box{{1e30f, 1e30f, 1e30f}, {-1e30f, -1e30f, -1e30f}};
    for (ZNBRUSH *brush : scene.m_Brushes) {
        const ZNBBOX b = brush->GetBoundingBox(1);
        box.Min = D3DXVECTOR3(std::min(box.Min.x, b.Min.x), std::min(box.Min.y, b.Min.y), std::min(box.Min.z, b.Min.z));
        box.Max = D3DXVECTOR3(std::max(box.Max.x, b.Max.x), std::max(box.Max.y, b.Max.y), std::max(box.Max.z, b.Max.z));
    }

    CZNCAMERA *camera = d3d->GetCamera();
    camera->Cache();
    const D3DXVECTOR3 right(-0.684256f, -0.533823f, 0.496816f), up(-0.42703f, 0.845566f, 0.320411f),
        look(0.591134f, -0.007088f, 0.806543f), position = camera->GetPosition();
    camera->SetPositionAndAxes(&position, &look, &up, &right, 1);
    CZN3DView::ZoomCameraToBounds(&box, 1);

    RECT area{0, 0, 640, 640};
    d3d->SetupViewport(&area);
    d3d->ResetDevice(&area);
    d3d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFFFF, 1.0f);
    const DWORD lighting = d3d->IsDefaultLighting();
    if (!lighting)
        d3d->SetDefaultLighting(1);
    DWORD fog = 0;
    device->GetRenderState(D3DRS_FOGENABLE, &fog);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    d3d->BeginScene();
    for (ZNBRUSH *brush : scene.m_Brushes) {
        for (DWORD i = 0; i < brush->GetFaceCount(); ++i) {
            ZNFACE *face = brush->GetFace(i);
            const short count = face ? face->GetVertexCount() : 0;
            if (count < 3 || !face->m_Vertices || (face->m_Style & ZNFACESTYLE_INVISIBLE))
                continue;
            const D3DMATERIAL9 material = FaceMaterial(scene, *d3d, *face);
            d3d->SetMaterial(&material);
            CZNTexture *texture = face->GetTexture();
            if (texture)
                texture->SyncDeviceTexture();
            d3d->SetTexture(0, texture ? texture->GetD3DTexture() : nullptr);
            const bool twoSided = (face->m_Style & ZNFACESTYLE_TWOSIDED) != 0;
            if (twoSided)
                d3d->SetCullMode(D3DCULL_NONE);
            if (face->m_TriIndices)
                d3d->DrawIndexedTriangles(face->m_Vertices, static_cast<DWORD>(count), face->m_TriIndices,
                                          static_cast<DWORD>(count - 2));
            else
                d3d->DrawPrimitive(face->m_Vertices, static_cast<DWORD>(count));
            if (twoSided)
                d3d->SetCullMode(D3DCULL_CCW);
        }
    }
    d3d->SetTexture(0, nullptr);
    d3d->EndScene();
    device->SetRenderState(D3DRS_FOGENABLE, fog);
    std::unique_ptr<CZNImage> captured(d3d->CaptureToImage());

    d3d->ResetDevice(nullptr);
    d3d->SetupViewport(nullptr);
    camera->RestoreFromCache();
    camera->ClearCache();
    camera->UpdateViewMatrix();
    if (!lighting)
        d3d->SetDefaultLighting(0);

    if (!captured || !CZNIWFScene::FinishThumbnail(captured.get()))
        return false;
    *image = *captured;
    return true;
}
