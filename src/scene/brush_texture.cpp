// ZNBRUSH's face settings and texture mapping: the setters of the options panel, the selection
// band and the plug-ins, and the texture coordinates generated from the vertex positions. The
// mapping reads the size of the face's device texture, so this file reaches into the render layer.
#include "app/editor_app.h"
#include "render/texture.h"
#include "scene/brush.h"
#include "scene/face_mapping.h"

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
    // While the selection band drags, only face-aligned mapping follows the geometry.
    const bool dragging = GetEditorApp()->GetBandDragFlag() != 0;
    for (DWORD i = 0; i < m_FaceCount; ++i) {
        const ZNFACE *face = m_Faces[i];
        if (ZnIsFaceLocked(face) || (dragging && face->m_MappingMode != 1))
            continue;
        CalculateWorldTextureCoords(i);
    }
    return 1;
}

int ZNBRUSH::SetFaceTextureUPos(DWORD faceIndex, float value)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face)
        return 0;
    face->m_UPos = value;
    if (ZnIsFaceLocked(face))
        return 0;
    CalculateWorldTextureCoords(faceIndex);
    return 1;
}

int ZNBRUSH::SetFaceTextureVPos(DWORD faceIndex, float value)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face)
        return 0;
    face->m_VPos = value;
    if (ZnIsFaceLocked(face))
        return 0;
    CalculateWorldTextureCoords(faceIndex);
    return 1;
}

int ZNBRUSH::SetFaceTextureUWrap(DWORD faceIndex, float value)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face)
        return 0;
    face->m_UWrap = value;
    if (ZnIsFaceLocked(face))
        return 0;
    CalculateWorldTextureCoords(faceIndex);
    return 1;
}

int ZNBRUSH::SetFaceTextureVWrap(DWORD faceIndex, float value)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face)
        return 0;
    face->m_VWrap = value;
    if (ZnIsFaceLocked(face))
        return 0;
    CalculateWorldTextureCoords(faceIndex);
    return 1;
}

int ZNBRUSH::SetFaceTextureRotate(DWORD faceIndex, D3DXVECTOR4 rotation)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face || ZnIsFaceLocked(face))
        return 0;
    face->m_Rotation = D3DXVECTOR4(ZnClampRotation(rotation.x), ZnClampRotation(rotation.y),
                                   ZnClampRotation(rotation.z), ZnClampRotation(rotation.w));
    CalculateWorldTextureCoords(faceIndex);
    return 1;
}

int ZNBRUSH::SetFaceMappingMode(DWORD faceIndex, BYTE mode)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face || mode < 1 || mode > 7 || ZnIsFaceLocked(face))
        return 0;
    face->m_MappingMode = mode;
    CalculateWorldTextureCoords(faceIndex);
    return 1;
}

int ZNBRUSH::SetFaceAlphaBlend(DWORD faceIndex, int8_t source, int8_t destination)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face)
        return 0;
    if (source >= 0 && source <= 9 && destination >= 0 && destination <= 9) {
        face->m_SrcBlend = source;
        face->m_DestBlend = destination;
        return 1;
    }
    face->m_SrcBlend = -1;
    face->m_DestBlend = -1;
    return 0;
}

int ZNBRUSH::SetFaceStyle(DWORD faceIndex, DWORD style)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face)
        return 0;
    face->m_Style = style;
    return 1;
}

int ZNBRUSH::SetTexture(DWORD faceIndex, CZNTexture *texture, int calculate)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face || ZnIsFaceLocked(face))
        return 0;
    face->SetTexture(texture);
    if (calculate)
        CalculateWorldTextureCoords(faceIndex);
    return 1;
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
