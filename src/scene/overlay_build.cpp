// CZNOverlay's face generation: every face of the current document's brushes is copied, clipped
// to the overlay's box, and what remains becomes a generated face with smoothed vertex normals.
// The brushes come from the document, so this file reaches into the editor layer.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "scene/brush.h"
#include "scene/face_index_list.h"
#include "scene/geometry.h"
#include "scene/object_type.h"
#include "scene/overlay.h"
#include "scene/shared_face_pass.h"

namespace
{

// Vertex normals average the faces around a position within this angle.
constexpr float kSmoothingDegrees = 80.0f;
constexpr float kRadiansToDegrees = 57.29578f;

void ReportBuildFailure()
{
    GetEditorApp()->GetReporter()->Message("An overlay build operation failed. Possible due to lack of memory", "TOVRA",
                                           MB_OK | MB_ICONEXCLAMATION);
}

} // namespace

void CZNOverlay::Rebuild()
{
    ClearFaces();
    // The lists of an earlier build must never be read against the new faces.
    m_SharedFaceInfo.Reset();
    CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    CalculateBoxPlanes();
    if (!m_SurfacesOff && document) {
        for (ZNBRUSH *brush = document->GetBrushList(); brush; brush = brush->m_Next) {
            const ZNBBOX box = brush->GetBoundingBox(1);
            if (!TouchesBox(&box))
                continue;
            for (DWORD f = 0; f < brush->GetFaceCount(); ++f) {
                ZNFACE *face = CopyBrushFace(brush->GetFace(f));
                if (!face) {
                    ReportBuildFailure();
                    return;
                }
                if (!ClipFaceToBox(face))
                    continue;
                face->BuildTriIndices();
                if (!AppendFace(face)) {
                    delete face;
                    ReportBuildFailure();
                    return;
                }
            }
        }
    }
    BuildTriIndices();
    UpdateSharedFaceInfo();
    SmoothVertexNormals();
}

int CZNOverlay::TouchesBox(const ZNBBOX *box) const
{
    if (!box)
        return 0;
    for (int i = 0; i < 2; ++i) {
        const D3DXVECTOR3 &n = m_BoxPlanes[i].Normal;
        // The corner of the box furthest against the normal.
        const D3DXVECTOR3 corner(n.x > 0.0f ? box->Min.x : box->Max.x, n.y > 0.0f ? box->Min.y : box->Max.y,
                                 n.z > 0.0f ? box->Min.z : box->Max.z);
        if (ClassifyPointPlane(corner, n, m_BoxPlanes[i].Point) == ZNPLANE_FRONT)
            return 0;
    }
    return 1;
}

ZNFACE *CZNOverlay::CopyBrushFace(const ZNFACE *source) const
{
    if (!source)
        return nullptr;
    ZNFACE *face = new (std::nothrow) ZNFACE;
    if (!face)
        return nullptr;
    face->m_ObjectType = ZNOBJECT_OVERLAYFACE;
    face->m_Normal = source->m_Normal;
    const short count = source->GetVertexCount();
    if (count > 0) {
        short first = 0;
        if (!face->AddVertices(count, &first)) {
            delete face;
            return nullptr;
        }
        std::memcpy(face->m_Vertices, source->m_Vertices, sizeof(ZNVERTEX) * static_cast<size_t>(count));
        std::memcpy(face->m_VertexSelected, source->m_VertexSelected, static_cast<size_t>(count));
        std::memcpy(face->m_VertexFaceListIndices, source->m_VertexFaceListIndices,
                    sizeof(LONG) * static_cast<size_t>(count));
        if (source->m_TriIndices && count >= 3) {
            const size_t n = static_cast<size_t>(count - 2) * 3;
            face->m_TriIndices = static_cast<WORD *>(std::malloc(n * sizeof(WORD)));
            if (!face->m_TriIndices) {
                delete face;
                return nullptr;
            }
            std::memcpy(face->m_TriIndices, source->m_TriIndices, n * sizeof(WORD));
        }
    }
    face->m_FaceFlag = m_FaceFlag;
    return face;
}

int CZNOverlay::ClipFaceToBox(ZNFACE *face)
{
    if (!face)
        return 0;
    for (ZNOVERLAYPLANE &plane : m_BoxPlanes) {
        face->ClipToPlane(&plane.Normal, &plane.Point, 0);
        if (face->GetVertexCount() == 0) {
            delete face;
            return 0;
        }
    }
    return 1;
}

void CZNOverlay::BuildTriIndices()
{
    for (DWORD i = 0; i < m_FaceCount; ++i)
        m_Faces[i]->BuildTriIndices();
}

void CZNOverlay::UpdateSharedFaceInfo()
{
    // Reset on every call, so a lone face never follows a list of an earlier build or of the brush
    // it was copied from.
    m_SharedFaceInfo.Reset();
    for (DWORD i = 0; i < m_FaceCount; ++i)
        for (short k = 0; k < m_Faces[i]->GetVertexCount(); ++k)
            m_Faces[i]->m_VertexFaceListIndices[k] = -1;
    if (m_FaceCount < 2)
        return;
    CZNSharedFacePass::Build(m_Faces, m_FaceCount, m_SharedFaceInfo);
}

void CZNOverlay::SmoothVertexNormals()
{
    for (DWORD i = 0; i < m_FaceCount; ++i) {
        ZNFACE *face = m_Faces[i];
        for (short k = 0; k < face->GetVertexCount(); ++k) {
            const LONG index = face->m_VertexFaceListIndices[k];
            ZNFACEINDEXLIST *list = index >= 0 ? m_SharedFaceInfo.GetFaceIndexList(static_cast<DWORD>(index)) : nullptr;
            if (!list) {
                face->SetVertexNormal(k, face->m_Normal);
                continue;
            }
            D3DXVECTOR3 sum(0, 0, 0);
            for (DWORD e = 0; e < list->GetIndexCount(); ++e) {
                const LONG g = list->GetIndex(e);
                if (g < 0 || static_cast<DWORD>(g) >= m_FaceCount)
                    continue;
                const D3DXVECTOR3 &n = m_Faces[g]->m_Normal;
                const float dot = std::clamp(ZnDot(face->m_Normal, n), -1.0f, 1.0f);
                if (std::acos(dot) * kRadiansToDegrees < kSmoothingDegrees)
                    sum += n;
            }
            D3DXVec3Normalize(&sum, &sum);
            face->SetVertexNormal(k, sum);
        }
    }
}

void CZNOverlay::CalculateFaceCenterPoints()
{
    for (DWORD i = 0; i < m_FaceCount; ++i)
        m_Faces[i]->CalculateFaceCenterPoint();
}
