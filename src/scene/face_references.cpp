// The face's counted references to its texture and its material record. Materials live in the
// Direct3D wrapper's list and textures in the texture manager, so this is the face's one reach
// into the render layer.
#include "app/editor_app.h"
#include "render/direct3d.h"
#include "render/texture.h"
#include "scene/face.h"
#include "scene/material.h"

namespace
{

CZNMATERIAL *MaterialRecord(LONG index)
{
    if (index < 0)
        return nullptr;
    return GetEditorApp()->Get3D()->GetMaterialRecord(static_cast<DWORD>(index));
}

} // namespace

int ZNFACE::SetTexture(CZNTexture *texture)
{
    // The new reference is taken first, so that setting the texture a face already has never
    // lets its count touch 0.
    if (texture)
        texture->IncreaseRefCount();
    if (m_Texture)
        m_Texture->DecreaseRefCount();
    m_Texture = texture;
    return 1;
}

void ZNFACE::SetMaterial(LONG material)
{
    CZNMATERIAL *newRecord = MaterialRecord(material);
    if (newRecord)
        newRecord->AddReference();
    if (CZNMATERIAL *old = MaterialRecord(m_Material))
        old->ReleaseReference();
    m_Material = material;
}
