#pragma once

// CZNMATERIAL: one record of the scene's material list (kept by CZN3D). Faces name a record by
// its index and count their references on it, atomically (a reader on a worker thread counts too).
#include "platform/d3d9/d3d9_types.h"
#include "platform/export.h"
#include "platform/os/win_types.h"

class CZNTexture;

class ZN_API CZNMATERIAL
{
public:
    static constexpr int kNameLength = 256;

    CZNMATERIAL();

    D3DMATERIAL9 GetD3DMaterial() const { return m_Material; }
    // A null argument is ignored.
    void SetD3DMaterial(const D3DMATERIAL9 *material);
    D3DLIGHT9 GetLight() const { return m_Light; }
    // A null argument is ignored.
    void SetLight(const D3DLIGHT9 *light);
    // The material's own texture; the record does not count a reference on it.
    CZNTexture *GetTexture() const { return m_Texture; }
    void SetTexture(CZNTexture *texture) { m_Texture = texture; }
    char *GetName() { return m_Name; }
    // Copies a name in, cut to the 255 characters the field holds; a null argument is ignored.
    void SetName(const char *name);
    // The preview camera's turn about the sphere, in whole degrees (0 to 359 as the workshop
    // writes it); 0 for a new record. Scene files do not store it.
    int GetPreviewRotation() const { return m_PreviewRotation; }
    void SetPreviewRotation(int degrees) { m_PreviewRotation = degrees; }
    DWORD GetID() const { return m_ID; }
    void SetID(DWORD id) { m_ID = id; }

    LONG AddReference();
    // Never goes below 0.
    LONG ReleaseReference();
    LONG GetReferenceCount() const;

private:
    D3DMATERIAL9 m_Material;
    LONG m_RefCount;
    D3DLIGHT9 m_Light;
    CZNTexture *m_Texture;
    char m_Name[kNameLength];
    DWORD m_ID;
    int m_PreviewRotation;
};
