// ZNBRUSH's face settings and texture mapping: the setters of the options panel, the selection
// band and the plug-ins, and the texture coordinates generated from the vertex positions. The
// mapping reads the size of the face's device texture, so this file reaches into the render layer.
#include "app/editor_app.h"
#include "render/texture.h"
#include "scene/brush.h"
#include "scene/face_mapping.h"
#include "scene/face_settings.h"

int ZNBRUSH::CalculateWorldTextureCoords(DWORD faceIndex)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face || ZnIsFaceLocked(face) || !face->m_Texture)
        return 0;
    unsigned short width = 0, height = 0;
    if (!face->m_Texture->GetTextureDimensions(&width, &height))
        return 0;
    const BYTE mode = face->m_MappingMode;
    if (mode >= 2 && mode <= 6) {
        // Modes 4 to 6 take the extents of the stored box, every mode the box recomputed now.
        const ZNBBOX stored = m_Bounds;
        const ZNBBOX box = GetBoundingBox(1);
        ZnMapFaceTexture(face, static_cast<float>(width), static_cast<float>(height), stored, box);
    } else {
        ZnMapFaceTexture(face, static_cast<float>(width), static_cast<float>(height), m_Bounds, m_Bounds);
    }
    return 1;
}

int ZNBRUSH::CalculateWorldTextureCoords()
{
    ZnRemapFaces(m_Faces, m_FaceCount, GetEditorApp()->GetBandDragFlag() != 0,
                 [this](DWORD i) { CalculateWorldTextureCoords(i); });
    return 1;
}

int ZNBRUSH::SetFaceTextureUPos(DWORD faceIndex, float value)
{
    return ZnStoreFaceSetting(
        GetFace(faceIndex), [&](ZNFACE &f) { f.m_UPos = value; }, [&] { CalculateWorldTextureCoords(faceIndex); });
}

int ZNBRUSH::SetFaceTextureVPos(DWORD faceIndex, float value)
{
    return ZnStoreFaceSetting(
        GetFace(faceIndex), [&](ZNFACE &f) { f.m_VPos = value; }, [&] { CalculateWorldTextureCoords(faceIndex); });
}

int ZNBRUSH::SetFaceTextureUWrap(DWORD faceIndex, float value)
{
    return ZnStoreFaceSetting(
        GetFace(faceIndex), [&](ZNFACE &f) { f.m_UWrap = value; }, [&] { CalculateWorldTextureCoords(faceIndex); });
}

int ZNBRUSH::SetFaceTextureVWrap(DWORD faceIndex, float value)
{
    return ZnStoreFaceSetting(
        GetFace(faceIndex), [&](ZNFACE &f) { f.m_VWrap = value; }, [&] { CalculateWorldTextureCoords(faceIndex); });
}

int ZNBRUSH::SetFaceTextureRotate(DWORD faceIndex, D3DXVECTOR4 rotation)
{
    return ZnSetFaceRotation(GetFace(faceIndex), rotation, [&] { CalculateWorldTextureCoords(faceIndex); });
}

int ZNBRUSH::SetFaceMappingMode(DWORD faceIndex, BYTE mode)
{
    return ZnSetFaceMappingMode(GetFace(faceIndex), mode, [&] { CalculateWorldTextureCoords(faceIndex); });
}

int ZNBRUSH::SetFaceAlphaBlend(DWORD faceIndex, int8_t source, int8_t destination)
{
    return ZnSetFaceAlphaBlend(GetFace(faceIndex), source, destination);
}

int ZNBRUSH::SetFaceStyle(DWORD faceIndex, DWORD style)
{
    return ZnSetFaceStyle(GetFace(faceIndex), style);
}

int ZNBRUSH::SetTexture(DWORD faceIndex, CZNTexture *texture, int calculate)
{
    return ZnSetFaceTexture(GetFace(faceIndex), texture, calculate, [&] { CalculateWorldTextureCoords(faceIndex); });
}

int ZNBRUSH::SetTexture(CZNTexture *texture, int calculate)
{
    for (DWORD i = 0; i < m_FaceCount; ++i)
        if (!ZnIsFaceLocked(m_Faces[i]))
            SetTexture(i, texture, calculate);
    return 1;
}

void ZNBRUSH::SetMaterial(LONG material)
{
    for (DWORD i = 0; i < m_FaceCount; ++i)
        m_Faces[i]->SetMaterial(material);
}
