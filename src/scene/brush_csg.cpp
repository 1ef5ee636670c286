// ZNBRUSH operations that build or repair a brush as a whole: extrusion of a face into a new
// brush, T-junction removal and the rebuild from the polygons of a BSP tree.
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "platform/os/reporter.h"
#include "scene/brush.h"
#include "scene/bsp_tree.h"

namespace
{

// Positions closer than this are the same position.
constexpr float kTolerance = 0.01f;


// True when p lies inside the edge a-b: its projection at least kTolerance from both ends and
// its distance from the line below kTolerance.
bool InsideEdge(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, const D3DXVECTOR3 &p)
{
    D3DXVECTOR3 direction = b - a;
    const float length = D3DXVec3Length(&direction);
    if (length < 2.0f * kTolerance)
        return false;
    direction /= length;
    const D3DXVECTOR3 toPoint = p - a;
    const float t = D3DXVec3Dot(&toPoint, &direction);
    if (t < kTolerance || t > length - kTolerance)
        return false;
    const D3DXVECTOR3 off = toPoint - direction * t;
    return D3DXVec3Length(&off) < kTolerance;
}

} // namespace

ZNBRUSH *ZNBRUSH::ExtrudeFace(D3DXVECTOR3 *offset, DWORD faceIndex, DWORD *outIndex)
{
    if (!offset || faceIndex >= m_FaceCount || m_Faces[faceIndex]->GetVertexCount() < 3)
        return nullptr;
    const D3DXVECTOR3 d = *offset;
    if (std::fabs(d.x) < kTolerance && std::fabs(d.y) < kTolerance && std::fabs(d.z) < kTolerance)
        return nullptr;
    CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    ZNBRUSH *brush = document ? document->NewBrush() : nullptr;
    if (!brush)
        return nullptr;

    ZNFACE *source = m_Faces[faceIndex];
    const int n = source->GetVertexCount();
    auto moved = [&d](ZNVERTEX v) {
        v.x += d.x;
        v.y += d.y;
        v.z += d.z;
        return v;
    };
    // New faces start deselected; the shared-position lists of the source brush mean nothing here.
    auto deselect = [](ZNFACE *face) {
        face->SelectFace(0);
        face->SelectAllVertices(0);
        for (int i = 0; i < face->GetVertexCount(); ++i)
            face->m_VertexFaceListIndices[i] = -1;
    };

    bool ok = true;
    // The far cap: the face moved by the offset.
    if (ZNFACE *farCap = brush->AddFace(source)) {
        deselect(farCap);
        for (int i = 0; i < n; ++i)
            farCap->m_Vertices[i] = moved(farCap->m_Vertices[i]);
    } else {
        ok = false;
    }
    // The near cap: the face turned over, vertex 0 kept in place.
    if (ZNFACE *nearCap = ok ? brush->AddFace(source) : nullptr) {
        deselect(nearCap);
        for (int i = 1, j = n - 1; i < j; ++i, --j)
            std::swap(nearCap->m_Vertices[i], nearCap->m_Vertices[j]);
        nearCap->m_Normal = -nearCap->m_Normal;
    } else {
        ok = false;
    }
    // One quad per edge.
    for (int j = 1; ok && j <= n; ++j) {
        const int k = j == n ? 0 : j;
        ZNFACE *side = brush->AddFace(static_cast<short>(4));
        if (!side) {
            ok = false;
            break;
        }
        side->CopyFaceProperties(source);
        deselect(side);
        side->m_Vertices[0] = moved(source->m_Vertices[k]);
        side->m_Vertices[1] = moved(source->m_Vertices[j - 1]);
        side->m_Vertices[2] = source->m_Vertices[j - 1];
        side->m_Vertices[3] = source->m_Vertices[k];
    }
    if (!ok) {
        document->DeleteBrush(brush);
        return nullptr;
    }
    if (outIndex)
        *outIndex = 0;
    brush->UpdateBoundingBox();
    return brush;
}

void ZNBRUSH::RemoveTJunctions()
{
    for (DWORD f = 0; f < m_FaceCount; ++f) {
        ZNFACE *face = m_Faces[f];
        for (DWORD g = 0; g < m_FaceCount; ++g) {
            if (g == f)
                continue;
            const ZNFACE *other = m_Faces[g];
            // Each edge in turn; an inserted vertex shortens the edge being tested, and the walk
            // goes on with the edge that starts at it.
            for (int k = 0; k < face->GetVertexCount(); ++k) {
                const int count = face->GetVertexCount();
                const D3DXVECTOR3 a = Position(face->m_Vertices[k]);
                D3DXVECTOR3 b = Position(face->m_Vertices[(k + 1) % count]);
                for (int j = 0; j < other->GetVertexCount(); ++j) {
                    const D3DXVECTOR3 p = Position(other->m_Vertices[j]);
                    if (!InsideEdge(a, b, p))
                        continue;
                    // After vertex k; on the closing edge that is the end of the ring.
                    ZNVERTEX *inserted = face->InsertVertex(static_cast<short>(k + 1));
                    if (!inserted)
                        return;
                    inserted->x = p.x;
                    inserted->y = p.y;
                    inserted->z = p.z;
                    b = p;
                }
            }
        }
    }
}

int ZNBRUSH::BuildBrushFromBSPTree(void *tree, int append)
{
    CZNBSPTREE *bsp = static_cast<CZNBSPTREE *>(tree);
    if (!bsp || bsp->m_PolygonCount == 0 || !bsp->m_Polygons)
        return 0;
    if (!append)
        ReleaseFaces();

    bool countMissing = false, arrayMissing = false;
    for (DWORD i = 0; i < bsp->m_PolygonCount; ++i) {
        const CZNBSPPOLYGON *p = bsp->m_Polygons[i];
        if (!p || p->m_Deleted)
            continue;
        // A polygon without vertices never becomes a face.
        if (p->m_VertexCount <= 0) {
            countMissing = true;
            continue;
        }
        if (!p->m_Vertices) {
            arrayMissing = true;
            continue;
        }
        ZNFACE *face = new (std::nothrow) ZNFACE;
        if (!face)
            continue;
        face->SetTexture(p->m_Texture);
        face->SetMaterial(p->m_Material);
        ZnCopySurfaceAttributes(*face, *p);
        face->m_SurfaceTag = p->m_SurfaceTag;
        if (!face->AddVertices(p->m_VertexCount, nullptr)) {
            delete face;
            continue;
        }
        std::memcpy(face->m_Vertices, p->m_Vertices, sizeof(ZNVERTEX) * p->m_VertexCount);
        face->m_Normal = p->m_Normal;
        if (AttachFace(face) < 0)
            delete face;
    }

    // Reported once per rebuild; the answer is not used.
    IZNReporter *reporter = GetEditorApp()->GetReporter();
    if (countMissing)
        reporter->Message("A Vertex Count was NULL", "TOVRA", MB_YESNO | MB_ICONEXCLAMATION);
    if (arrayMissing)
        reporter->Message("A Vertex Array was NULL", "TOVRA", MB_YESNO | MB_ICONEXCLAMATION);

    D3DXMatrixIdentity(&m_Transform);
    GetBoundingBox(1);
    return 1;
}
