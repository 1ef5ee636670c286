// CZNOverlay's face settings and texture mapping: the per-face setters of the options panel, the
// selection band and the plug-ins, with the brush's rules, and coordinates generated against the
// box of all generated faces. The mapping reads the size of the face's device texture, so this
// file reaches into the render layer.
#include <cmath>

#include "app/editor_app.h"
#include "render/texture.h"
#include "scene/face_mapping.h"
#include "scene/face_settings.h"
#include "scene/overlay.h"

int CZNOverlay::CalculateFaceTextureCoords(DWORD i)
{
    ZNFACE *face = GetFace(i);
    if (!face || ZnIsFaceLocked(face) || !face->m_Texture)
        return 0;
    unsigned short width = 0, height = 0;
    if (!face->m_Texture->GetTextureDimensions(&width, &height))
        return 0;
    const ZNBBOX extents = GetExtents();
    ZnMapFaceTexture(face, static_cast<float>(width), static_cast<float>(height), extents, extents);
    return 1;
}

int CZNOverlay::CalculateWorldTextureCoords()
{
    ZnRemapFaces(m_Faces, m_FaceCount, GetEditorApp()->GetBandDragFlag() != 0,
                 [this](DWORD i) { CalculateFaceTextureCoords(i); });
    return 1;
}

int CZNOverlay::SetFaceMappingMode(DWORD i, DWORD mode)
{
    return ZnSetFaceMappingMode(GetFace(i), static_cast<BYTE>(mode & 0xFF), [&] { CalculateFaceTextureCoords(i); });
}

int CZNOverlay::SetFaceTextureUPos(DWORD i, float value)
{
    return ZnStoreFaceSetting(
        GetFace(i), [&](ZNFACE &f) { f.m_UPos = value; }, [&] { CalculateFaceTextureCoords(i); });
}

int CZNOverlay::SetFaceTextureVPos(DWORD i, float value)
{
    return ZnStoreFaceSetting(
        GetFace(i), [&](ZNFACE &f) { f.m_VPos = value; }, [&] { CalculateFaceTextureCoords(i); });
}

int CZNOverlay::SetFaceTextureUWrap(DWORD i, float value)
{
    return ZnStoreFaceSetting(
        GetFace(i), [&](ZNFACE &f) { f.m_UWrap = value; }, [&] { CalculateFaceTextureCoords(i); });
}

int CZNOverlay::SetFaceTextureVWrap(DWORD i, float value)
{
    return ZnStoreFaceSetting(
        GetFace(i), [&](ZNFACE &f) { f.m_VWrap = value; }, [&] { CalculateFaceTextureCoords(i); });
}

int CZNOverlay::SetFaceTextureRotate(DWORD i, float a, float b, float c, float d)
{
    return ZnSetFaceRotation(GetFace(i), D3DXVECTOR4(a, b, c, d), [&] { CalculateFaceTextureCoords(i); });
}

int CZNOverlay::SetFaceStyle(DWORD i, DWORD style)
{
    return ZnSetFaceStyle(GetFace(i), style);
}

int CZNOverlay::SetFaceAlphaBlend(DWORD i, int8_t source, int8_t destination)
{
    return ZnSetFaceAlphaBlend(GetFace(i), source, destination);
}

int CZNOverlay::SetFaceTexture(DWORD i, CZNTexture *texture, int recalc)
{
    return ZnSetFaceTexture(GetFace(i), texture, recalc, [&] { CalculateFaceTextureCoords(i); });
}

int CZNOverlay::SetTexture(CZNTexture *texture, int recalc)
{
    for (DWORD i = 0; i < m_FaceCount; ++i)
        if (!ZnIsFaceLocked(m_Faces[i]))
            SetFaceTexture(i, texture, recalc);
    return 1;
}

void CZNOverlay::SetMaterial(LONG material)
{
    for (DWORD i = 0; i < m_FaceCount; ++i)
        m_Faces[i]->SetMaterial(material);
}

void CZNOverlay::CalculateFacePlanes()
{
    for (DWORD f = 0; f < m_FaceCount; ++f) {
        ZNFACE *face = m_Faces[f];
        const short count = face->GetVertexCount();
        if (count < 3)
            continue; // no triangle: the face keeps its normal
        float best = 99999.0f;
        D3DXVECTOR3 normal = face->m_Normal;
        auto consider = [&](int a, int b, int c) {
            if (a >= count || b >= count || c >= count)
                return;
            const D3DXVECTOR3 p0 = face->GetVector(static_cast<short>(a));
            const D3DXVECTOR3 e1 = ZnNormalized(face->GetVector(static_cast<short>(b)) - p0);
            const D3DXVECTOR3 e2 = ZnNormalized(face->GetVector(static_cast<short>(c)) - p0);
            const float score = std::fabs(ZnDot(e1, e2));
            if (score < best) {
                best = score;
                normal = ZnNormalized(ZnCross(e1, e2));
            }
        };
        for (int k = 0; k + 2 < count; ++k) {
            if (face->m_TriIndices)
                consider(face->m_TriIndices[3 * k], face->m_TriIndices[3 * k + 1], face->m_TriIndices[3 * k + 2]);
            else
                consider(0, k + 1, k + 2);
        }
        face->m_Normal = normal;
    }
}
