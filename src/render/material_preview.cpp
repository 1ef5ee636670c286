#include "render/material_preview.h"

#include "app/editor_app.h"
#include "platform/d3d9/direct3d_device9.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "scene/brush.h"
#include "scene/face.h"
#include "scene/material.h"

namespace
{
// Where the preview camera looks from, before its turn about the sphere's centre.
const D3DXVECTOR3 kEye(1.0f, -2.0f, -70.0f);
} // namespace

CZNTexture *CZNMaterialPreview::GetPreviewTexture(const CZNMATERIAL *material)
{
    if (!material)
        return nullptr;
    return material->GetTexture() ? material->GetTexture() : GetEditorApp()->GetMaterialPreviewTexture();
}

bool CZNMaterialPreview::Draw(CZN3D *d3d, ZNBRUSH *sphere, LONG material, COLORREF background)
{
    IDirect3DDevice9 *device = d3d ? d3d->GetDevice() : nullptr;
    const CZNMATERIAL *record = material >= 0 && d3d ? d3d->GetMaterialRecord(static_cast<DWORD>(material)) : nullptr;
    if (!device || !sphere || !record)
        return false;

    // A COLORREF holds blue in its high byte, a Direct3D colour red.
    const D3DCOLOR clear = D3DCOLOR_XRGB(GetRValue(background), GetGValue(background), GetBValue(background));
    sphere->SetMaterial(material);
    sphere->SetTexture(GetPreviewTexture(record), 1);
    DrawSphere(d3d, sphere, record, kEye, clear);
    return true;
}

bool CZNMaterialPreview::DrawAsIs(CZN3D *d3d, ZNBRUSH *sphere)
{
    const ZNFACE *face = sphere ? sphere->GetFace(0) : nullptr;
    const LONG material = face ? face->GetMaterial() : -1;
    const CZNMATERIAL *record = material >= 0 && d3d ? d3d->GetMaterialRecord(static_cast<DWORD>(material)) : nullptr;
    if (!d3d || !d3d->GetDevice() || !record)
        return false;
    DrawSphere(d3d, sphere, record, D3DXVECTOR3(0.0f, 0.0f, -70.0f), D3DCOLOR_XRGB(0, 0, 0));
    return true;
}

void CZNMaterialPreview::DrawSphere(CZN3D *d3d, ZNBRUSH *sphere, const CZNMATERIAL *record, const D3DXVECTOR3 &eye,
                                    D3DCOLOR clear)
{
    IDirect3DDevice9 *device = d3d->GetDevice();
    const D3DXVECTOR3 origin(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    CZNCAMERA *camera = d3d->GetCamera();
    camera->LookAt(&eye, &origin, &up, 1);
    camera->Rotate(&origin, 0.0f, static_cast<float>(record->GetPreviewRotation()), 0.0f, 1, 0);
    d3d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clear, 1.0f);

    d3d->SetDefaultLighting(1);
    const D3DLIGHT9 light = record->GetLight();
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    device->LightEnable(1, FALSE);

    d3d->BeginScene();
    sphere->Draw3D(d3d, 0, 1, 0, 0, nullptr);
    d3d->EndScene();
}
