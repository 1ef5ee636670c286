// The geometry chunks of the IWF scene: groups, meshes (one brush each), decal meshes (one
// overlay each, its faces stored in the frame of its box) with their extra overlay information,
// the surface holding a brush's or an overlay's faces, and the surface's extra face information,
// vertex components and triangle index lists.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "fileio/iwf_body_reader.h"
#include "fileio/iwf_scene.h"
#include "fileio/mesh_finisher.h"
#include "render/texture.h"
#include "scene/brush.h"
#include "scene/entity.h"
#include "scene/face.h"
#include "scene/group.h"
#include "scene/object_type.h"
#include "scene/overlay.h"

namespace
{

constexpr DWORD kMeshMaskWritten = 0x06;   // bounds and style flags
constexpr DWORD kBrushFaceMask = 0xB9;     // normal, style, texture, material, blend
constexpr DWORD kOverlayFaceMask = 0xBB;   // the same and the face flag
constexpr DWORD kVertexMaskWritten = 0x45; // position, normal, texture coordinates
constexpr BYTE kVertexBlockTag = 16;
constexpr DWORD kFaceRecordMin = 4; // the component mask
constexpr DWORD kExtraFaceRecord = 45;
constexpr DWORD kVertexBlockMin = 7; // tag, vertex count, vertex mask
constexpr DWORD kIndexBlockMin = 4;  // index count, flags, kind
constexpr DWORD kMeshStyleDetail = 0x01;
constexpr DWORD kMeshStyleHidden = 0x08;
constexpr DWORD kMaxFaceVertices = 0x7FFF;
constexpr DWORD kDecalMaskWritten = 0x07;   // matrix, extents and style flags
constexpr float kDefaultHalfExtent = 30.0f; // a decal mesh without extents gets the default box
// Corner k of an overlay's box in the box's own frame, as signs of the half extents.
constexpr float kCornerSigns[8][3] = {{-1, 1, 1},  {1, 1, 1},  {1, -1, 1},  {-1, -1, 1},
                                      {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}, {-1, -1, -1}};

void PutName(CZNIWFBodyWriter &out, const char *name)
{
    const BYTE length = name ? static_cast<BYTE>(strnlen(name, 255)) : 0;
    out.U8(length);
    out.Bytes(name, length);
}

// A name field read into a new zero-terminated block (null for an empty name).
char *TakeName(CZNIWFBodyReader &in)
{
    const BYTE length = in.U8();
    const BYTE *bytes = in.Take(length);
    if (!length)
        return nullptr;
    char *name = new (std::nothrow) char[length + 1];
    if (!name)
        throw ZnErrorAsThrown(ZNERR_OUT_OF_MEMORY);
    std::memcpy(name, bytes, length);
    name[length] = '\0';
    return name;
}

void PutVector(CZNIWFBodyWriter &out, const D3DXVECTOR3 &v)
{
    out.F32(v.x);
    out.F32(v.y);
    out.F32(v.z);
}

float FloatAt(const BYTE *at)
{
    const DWORD bits = ZnGetU32LE(at);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

D3DXVECTOR3 VectorAt(const BYTE *at)
{
    return D3DXVECTOR3(FloatAt(at), FloatAt(at + 4), FloatAt(at + 8));
}

D3DXVECTOR3 GetVector(CZNIWFBodyReader &in)
{
    D3DXVECTOR3 v;
    v.x = in.F32();
    v.y = in.F32();
    v.z = in.F32();
    return v;
}

// The matrix of a mesh or decal mesh: its own (mask bit 0x01) followed by the inherited one, or
// the inherited one alone; false when there is neither.
bool ReadPlacement(CZNIWFBodyReader &in, DWORD mask, const IWFPARENTCONTEXT *context, D3DXMATRIX &matrix)
{
    const D3DXMATRIX *inherited = context ? context->Matrix : nullptr;
    if (mask & 0x01) {
        D3DXMATRIX own;
        for (auto &row : own.m)
            for (float &value : row)
                value = in.F32();
        // A point goes through the mesh's own matrix first, then through the inherited one.
        if (inherited)
            D3DXMatrixMultiply(&matrix, &own, inherited);
        else
            matrix = own;
        return true;
    }
    if (inherited) {
        matrix = *inherited;
        return true;
    }
    return false;
}

// The children of a surface need its face array (none is needed for an empty surface).
bool IsSurfaceContext(const IWFPARENTCONTEXT *context)
{
    return context && context->ParentId == CHUNK_SURFACE && (context->Object || context->Count == 0);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Writers

void CZNIWFScene::WriteGroup(CZNGROUP *group)
{
    PutName(m_Out, group->GetName());
    FlushBody();
    for (DWORD i = 0; i < group->GetChildCount(); ++i) {
        void *child = group->GetChild(i);
        if (!child)
            continue;
        switch (GetObjectType(child)) {
        case ZNOBJECT_ENTITY:
            WriteEntity(static_cast<CZNEntity *>(child));
            break;
        case ZNOBJECT_OVERLAY:
            BeginChunk(CHUNK_DECALMESH);
            WriteDecalMesh(static_cast<CZNOverlay *>(child));
            EndChunk();
            break;
        case ZNOBJECT_BRUSH:
            BeginChunk(CHUNK_MESH);
            WriteMesh(static_cast<ZNBRUSH *>(child));
            EndChunk();
            break;
        case ZNOBJECT_GROUP:
            BeginChunk(CHUNK_GROUP);
            WriteGroup(static_cast<CZNGROUP *>(child));
            EndChunk();
            break;
        default:
            break;
        }
    }
}

void CZNIWFScene::WriteMesh(ZNBRUSH *brush)
{
    PutName(m_Out, brush->m_Name);
    m_Out.U32(0);
    m_Out.U32(0);
    m_Out.U32(kMeshMaskWritten);
    const ZNBBOX box = brush->GetBoundingBox(1);
    PutVector(m_Out, box.Min);
    PutVector(m_Out, box.Max);
    DWORD style = 0;
    if (brush->m_Flags & ZNBRUSH_DETAIL)
        style |= kMeshStyleDetail;
    if (brush->m_Flags & ZNBRUSH_HIDDEN)
        style |= kMeshStyleHidden;
    m_Out.U32(style);
    FlushBody();
    if (brush->GetFaceCount()) {
        BeginChunk(CHUNK_SURFACE);
        WriteSurface(brush->GetFaces(), brush->GetFaceCount(), 0, nullptr);
        EndChunk();
    }
}

void CZNIWFScene::WriteDecalMesh(CZNOverlay *overlay)
{
    PutName(m_Out, overlay->m_Name);
    m_Out.U32(0);
    m_Out.U32(0);
    m_Out.U32(kDecalMaskWritten);
    // The box frame spans from corner 7; its centre is that of the bounds as they are now.
    const ZNBBOX bounds = overlay->GetBounds(1);
    const D3DXVECTOR3 centre = (bounds.Min + bounds.Max) * 0.5f;
    const D3DXVECTOR3 &origin = overlay->GetCorner(7);
    D3DXVECTOR3 axes[3] = {overlay->GetCorner(6) - origin, overlay->GetCorner(4) - origin,
                           overlay->GetCorner(3) - origin};
    D3DXVECTOR3 half;
    half.x = ZnLength(axes[0]) * 0.5f;
    half.y = ZnLength(axes[1]) * 0.5f;
    half.z = ZnLength(axes[2]) * 0.5f;
    D3DXMATRIX box;
    D3DXMatrixIdentity(&box);
    for (int a = 0; a < 3; ++a) {
        D3DXVec3Normalize(&axes[a], &axes[a]);
        box.m[a][0] = axes[a].x;
        box.m[a][1] = axes[a].y;
        box.m[a][2] = axes[a].z;
        box.m[a][3] = 0.0f;
    }
    box.m[3][0] = centre.x;
    box.m[3][1] = centre.y;
    box.m[3][2] = centre.z;
    box.m[3][3] = 1.0f;
    for (const auto &row : box.m)
        for (float value : row)
            m_Out.F32(value);
    PutVector(m_Out, -half);
    PutVector(m_Out, half);
    m_Out.U32(overlay->IsHidden() ? kMeshStyleHidden : 0);
    FlushBody();
    if (m_SaveFlags & IWFSAVE_EXTRA_OVERLAY_INFO) {
        BeginChunk(CHUNK_EXTRA_OVERLAY_INFO);
        m_Out.U8(overlay->m_AutoRebuild);
        m_Out.U8(overlay->m_SurfacesOff);
        FlushBody();
        EndChunk();
    }
    if (!overlay->GetFaceCount())
        return;
    // A box with an edge of no length has no inverse: its faces are then stored relative to its
    // centre.
    D3DXMATRIX inverse;
    if (half.x <= 0.0f || half.y <= 0.0f || half.z <= 0.0f || !D3DXMatrixInverse(&inverse, nullptr, &box))
        D3DXMatrixTranslation(&inverse, -centre.x, -centre.y, -centre.z);
    BeginChunk(CHUNK_SURFACE);
    WriteSurface(overlay->m_Faces, overlay->GetFaceCount(), 1, &inverse);
    EndChunk();
}

void CZNIWFScene::WriteSurface(ZNFACE **faces, DWORD count, BYTE overlayFaces, const D3DXMATRIX *matrix)
{
    uint64_t vertexTotal = 0, indexTotal = 0;
    m_Out.U32(count);
    for (DWORD i = 0; i < count; ++i) {
        const ZNFACE *face = faces[i];
        m_Out.U32(overlayFaces ? kOverlayFaceMask : kBrushFaceMask);
        D3DXVECTOR3 normal = face->m_Normal;
        if (matrix)
            D3DXVec3TransformNormal(&normal, &normal, matrix);
        PutVector(m_Out, normal);
        if (overlayFaces)
            m_Out.U8(face->m_FaceFlag);
        m_Out.U32(FaceStyleToFile(face->m_Style));
        m_Out.U8(1); // one channel
        LONG texture = FindTextureRecord(face->GetTexture());
        m_Out.U16(static_cast<WORD>(texture <= 0x7FFF ? texture : -1));
        LONG material = -1;
        for (size_t k = 0; k < m_MaterialRefs.size() && k <= 0x7FFF; ++k) {
            if (static_cast<LONG>(m_MaterialRefs[k].Index) == face->GetMaterial()) {
                material = static_cast<LONG>(k);
                break;
            }
        }
        m_Out.U16(static_cast<WORD>(material));
        m_Out.U8(static_cast<BYTE>(face->m_SrcBlend + 1));
        m_Out.U8(static_cast<BYTE>(face->m_DestBlend + 1));
        const int vertices = face->GetVertexCount();
        vertexTotal += static_cast<uint64_t>(vertices);
        if (vertices > 2)
            indexTotal += 3u * static_cast<uint64_t>(vertices - 2);
    }
    FlushBody();
    if (m_SaveFlags & IWFSAVE_EXTRA_FACE_INFO) {
        BeginChunk(CHUNK_EXTRA_FACE_INFO);
        WriteExtraFaceInfo(faces, count);
        EndChunk();
    }
    if (vertexTotal > 0) {
        BeginChunk(CHUNK_VERTEXCOMPONENTS);
        WriteVertexComponents(faces, count, static_cast<DWORD>(vertexTotal), matrix);
        EndChunk();
    }
    if ((m_SaveFlags & IWFSAVE_INDICES) && indexTotal > 0) {
        BeginChunk(CHUNK_INDICES);
        WriteIndices(faces, count, static_cast<DWORD>(indexTotal));
        EndChunk();
    }
}

void CZNIWFScene::WriteExtraFaceInfo(ZNFACE **faces, DWORD count)
{
    for (DWORD i = 0; i < count; ++i) {
        const ZNFACE *face = faces[i];
        m_Out.U8(face->m_MappingMode);
        m_Out.F32(face->m_UPos);
        m_Out.F32(face->m_VPos);
        m_Out.F32(face->m_UWrap);
        m_Out.F32(face->m_VWrap);
        m_Out.F32(face->m_Rotation.x);
        m_Out.F32(face->m_Rotation.y);
        m_Out.F32(face->m_Rotation.z);
        m_Out.F32(face->m_Rotation.w);
        PutVector(m_Out, face->m_MappingOrigin);
    }
    FlushBody();
}

void CZNIWFScene::WriteVertexComponents(ZNFACE **faces, DWORD count, DWORD vertexTotal, const D3DXMATRIX *matrix)
{
    m_Out.U8(1);
    m_Out.U32(vertexTotal);
    m_Out.U32(count);
    for (DWORD i = 0; i < count; ++i) {
        ZNFACE *face = faces[i];
        const short vertices = face->GetVertexCount();
        m_Out.U8(kVertexBlockTag);
        m_Out.U16(static_cast<WORD>(vertices));
        m_Out.U32(kVertexMaskWritten);
        const ZNVERTEX *v = face->GetVertices();
        for (short j = 0; j < vertices; ++j) {
            D3DXVECTOR3 position(v[j].x, v[j].y, v[j].z);
            D3DXVECTOR3 normal(v[j].nx, v[j].ny, v[j].nz);
            if (matrix) {
                D3DXVec3TransformCoord(&position, &position, matrix);
                D3DXVec3TransformNormal(&normal, &normal, matrix);
            }
            PutVector(m_Out, position);
            PutVector(m_Out, normal);
            m_Out.F32(v[j].tu);
            m_Out.F32(v[j].tv);
        }
    }
    FlushBody();
}

void CZNIWFScene::WriteIndices(ZNFACE **faces, DWORD count, DWORD indexTotal)
{
    m_Out.U32(indexTotal);
    m_Out.U32(count);
    for (DWORD i = 0; i < count; ++i) {
        const ZNFACE *face = faces[i];
        const int vertices = face->GetVertexCount();
        const int indices = 3 * vertices - 6;
        // A list whose length does not fit the 16-bit count is left out; the reader rebuilds it.
        if (!face->m_TriIndices || vertices < 3 || indices > 0xFFFF) {
            m_Out.U16(0);
            m_Out.U8(0);
            m_Out.U8(0);
            continue;
        }
        m_Out.U16(static_cast<WORD>(indices));
        m_Out.U8(0x09);
        m_Out.U8(1);
        for (int k = 0; k < indices; ++k)
            m_Out.U16(face->m_TriIndices[k]);
    }
    FlushBody();
}

// ---------------------------------------------------------------------------------------------
// Readers

void CZNIWFScene::ReadGroup(IWFCHUNK *, IWFPARENTCONTEXT *context)
{
    if (context && context->ParentId != CHUNK_GROUP)
        Throw(ZNERR_IWF_NO_CHUNK);
    CZNIWFBodyReader in = ReadBody();
    std::unique_ptr<CZNGROUP> group(new (std::nothrow) CZNGROUP);
    if (!group)
        Throw(ZNERR_OUT_OF_MEMORY);
    group->SetName(TakeName(in));
    if (context) {
        // Nested groups are reached through their parents.
        if (!static_cast<CZNGROUP *>(context->Object)->AddChild(group.get()))
            Throw(ZNERR_OUT_OF_MEMORY);
    } else {
        m_Groups.push_back(group.get());
    }
    CZNGROUP *created = group.release();

    IWFPARENTCONTEXT children;
    children.ParentId = CHUNK_GROUP;
    children.Object = created;
    children.Matrix = context ? context->Matrix : nullptr;
    ReadChunks(&children);
}

void CZNIWFScene::ReadMesh(IWFCHUNK *, IWFPARENTCONTEXT *context)
{
    if (context && context->ParentId != CHUNK_GROUP && context->ParentId != CHUNK_MESH)
        Throw(ZNERR_IWF_NO_CHUNK);
    CZNIWFBodyReader in = ReadBody();
    std::unique_ptr<ZNBRUSH> made(new (std::nothrow) ZNBRUSH);
    if (!made)
        Throw(ZNERR_OUT_OF_MEMORY);
    // The brush is listed before it joins a group, so whatever fails later, Clear finds it.
    made->m_Name = TakeName(in);
    m_Brushes.push_back(made.get());
    ZNBRUSH *brush = made.release();
    if (context && context->ParentId == CHUNK_GROUP && !static_cast<CZNGROUP *>(context->Object)->AddChild(brush))
        Throw(ZNERR_OUT_OF_MEMORY);

    in.Skip(8);
    const DWORD mask = in.U32();
    D3DXMATRIX matrix;
    const bool hasMatrix = ReadPlacement(in, mask, context, matrix);
    if (mask & 0x02)
        in.Skip(24); // bounds: recomputed from the vertices
    if (mask & 0x04) {
        const DWORD style = in.U32();
        brush->m_Flags = 0;
        if (style & kMeshStyleDetail)
            brush->m_Flags |= ZNBRUSH_DETAIL;
        if (style & kMeshStyleHidden)
            brush->m_Flags |= ZNBRUSH_HIDDEN;
    }
    if (mask & 0x08)
        in.Skip(in.U16());

    ZNMESHREADSTATE state;
    IWFPARENTCONTEXT children;
    children.ParentId = CHUNK_MESH;
    children.Object = brush;
    children.Matrix = hasMatrix ? &matrix : nullptr;
    children.ReadState = &state;
    ReadChunks(&children);

    if (m_Finisher)
        m_Finisher->Add(brush, state);
    else
        CZNMeshFinisher::Finish(brush, state);
}

void CZNIWFScene::ReadDecalMesh(IWFCHUNK *, IWFPARENTCONTEXT *context)
{
    CZNIWFBodyReader in = ReadBody();
    CZNOverlay *overlay = new (std::nothrow) CZNOverlay;
    if (!overlay)
        Throw(ZNERR_OUT_OF_MEMORY);
    CZNGROUP *group = nullptr;
    try {
        if (context) {
            switch (context->ParentId) {
            case CHUNK_GROUP:
                group = static_cast<CZNGROUP *>(context->Object);
                if (!group->AddChild(overlay)) {
                    group = nullptr;
                    Throw(ZNERR_OUT_OF_MEMORY);
                }
                break;
            case CHUNK_MESH:
            case CHUNK_DECALMESH:
                break;
            default:
                Throw(ZNERR_IWF_NO_CHUNK);
            }
        }
        overlay->m_Name = TakeName(in);
        m_Overlays.push_back(overlay);
    } catch (...) {
        // Not listed yet: the overlay leaves the group it joined and goes.
        if (group)
            group->RemoveChild(overlay);
        delete overlay;
        throw;
    }

    in.Skip(8);
    const DWORD mask = in.U32();
    D3DXMATRIX matrix;
    const bool hasMatrix = ReadPlacement(in, mask, context, matrix);
    if (!hasMatrix)
        D3DXMatrixIdentity(&matrix);
    D3DXVECTOR3 half(kDefaultHalfExtent, kDefaultHalfExtent, kDefaultHalfExtent);
    if (mask & 0x02) {
        const D3DXVECTOR3 lo = GetVector(in);
        const D3DXVECTOR3 hi = GetVector(in);
        half = (hi - lo) * 0.5f;
    }
    if (mask & 0x04) {
        if (in.U32() & kMeshStyleHidden)
            overlay->m_Flags |= ZNOVERLAY_HIDDEN;
    }
    for (int k = 0; k < 8; ++k) {
        D3DXVECTOR3 p(kCornerSigns[k][0] * half.x, kCornerSigns[k][1] * half.y, kCornerSigns[k][2] * half.z);
        D3DXVec3TransformCoord(&p, &p, &matrix);
        overlay->SetCorner(k, p);
    }
    if (mask & 0x08)
        in.Skip(in.U16());

    ZNMESHREADSTATE state;
    IWFPARENTCONTEXT children;
    children.ParentId = CHUNK_DECALMESH;
    children.Object = overlay;
    children.Matrix = hasMatrix ? &matrix : nullptr;
    children.ReadState = &state;
    ReadChunks(&children);

    // The faces are taken as stored; the overlay is not built again from the brushes.
    overlay->GetBounds(1);
    overlay->UpdateSharedFaceInfo();
    overlay->CalculateFaceCenterPoints();
    for (DWORD i = 0; i < overlay->GetFaceCount(); ++i)
        if (!state.IndicesLoaded || !overlay->GetFace(i)->m_TriIndices)
            overlay->GetFace(i)->BuildTriIndices();
    if (!state.NormalsPresent)
        overlay->SmoothVertexNormals();
    if (!state.TexCoordsPresent)
        overlay->CalculateWorldTextureCoords();
}

void CZNIWFScene::ReadExtraOverlayInfo(IWFCHUNK *, IWFPARENTCONTEXT *context)
{
    if (!context || context->ParentId != CHUNK_DECALMESH || !context->Object)
        Throw(ZNERR_IWF_NO_CHUNK);
    CZNIWFBodyReader in = ReadBody();
    CZNOverlay *overlay = static_cast<CZNOverlay *>(context->Object);
    // Stored as they stand: the setter would build the overlay from the document mid-load.
    overlay->m_AutoRebuild = in.U8();
    overlay->m_SurfacesOff = in.U8();
}

void CZNIWFScene::ReadSurface(IWFCHUNK *, IWFPARENTCONTEXT *context)
{
    if (!context || !context->Object || (context->ParentId != CHUNK_MESH && context->ParentId != CHUNK_DECALMESH))
        Throw(ZNERR_IWF_NO_CHUNK);
    const bool decal = context->ParentId == CHUNK_DECALMESH;
    ZNBRUSH *brush = decal ? nullptr : static_cast<ZNBRUSH *>(context->Object);
    CZNOverlay *overlay = decal ? static_cast<CZNOverlay *>(context->Object) : nullptr;
    CZNIWFBodyReader in = ReadBody();
    const DWORD count = in.U32();
    in.CheckCount(count, kFaceRecordMin);
    // A second surface in the same mesh appends its own faces. A brush makes its faces in one
    // block; an overlay's are made one by one as their records are read.
    const DWORD first = decal ? overlay->GetFaceCount() : brush->GetFaceCount();
    if (!decal && count && brush->AddFaces(count, 0) < 0)
        Throw(ZNERR_OUT_OF_MEMORY);
    const D3DXMATRIX *matrix = context->Matrix;

    for (DWORD i = 0; i < count; ++i) {
        ZNFACE *face = nullptr;
        if (decal) {
            face = new (std::nothrow) ZNFACE;
            if (!face)
                Throw(ZNERR_OUT_OF_MEMORY);
            face->m_ObjectType = ZNOBJECT_OVERLAYFACE;
            face->m_FaceFlag = 1;
            if (!overlay->AppendFace(face)) {
                delete face;
                Throw(ZNERR_OUT_OF_MEMORY);
            }
        } else {
            face = brush->GetFace(first + i);
        }
        const DWORD mask = in.U32();
        if (mask & 0x01) {
            D3DXVECTOR3 normal = GetVector(in);
            if (matrix)
                D3DXVec3TransformNormal(&normal, &normal, matrix);
            face->m_Normal = normal;
        }
        if (mask & 0x02) {
            const BYTE flag = in.U8(); // the face flag of overlay faces
            if (decal)
                face->m_FaceFlag = flag;
        }
        if (mask & 0x08)
            face->m_Style = FileStyleToFace(in.U32());
        if (mask & 0x04) {
            in.U8();
            in.Skip(in.U16());
        }
        LONG texture = -1, material = -1;
        BYTE srcBlend = 0, destBlend = 0;
        if (mask & 0xF0) {
            // A channel count of 0 means the arrays are empty.
            const DWORD channels = in.U8();
            const DWORD rest = channels ? channels - 1 : 0;
            if (mask & 0x10) {
                if (channels)
                    texture = static_cast<SHORT>(in.U16());
                in.Skip(2 * rest);
            }
            if (mask & 0x20) {
                if (channels)
                    material = static_cast<SHORT>(in.U16());
                in.Skip(2 * rest);
            }
            if (mask & 0x40)
                in.Skip(2 * channels);
            if (mask & 0x80) {
                if (channels) {
                    srcBlend = in.U8();
                    destBlend = in.U8();
                }
                in.Skip(2 * rest);
            }
        }
        if (mask & 0x100)
            in.Skip(in.U16());

        CZNTexture *resolved = nullptr;
        if (texture >= 0 && static_cast<size_t>(texture) < m_TextureRefs.size())
            resolved = m_TextureRefs[static_cast<size_t>(texture)].Texture;
        face->SetTexture(resolved);
        LONG index = 0;
        if (material >= 0)
            index = static_cast<size_t>(material) < m_MaterialRefs.size()
                        ? static_cast<LONG>(m_MaterialRefs[static_cast<size_t>(material)].Index)
                        : material;
        face->SetMaterial(index);
        // Factors beyond the last blend factor mean none.
        face->m_SrcBlend = static_cast<signed char>(srcBlend <= 10 ? srcBlend - 1 : -1);
        face->m_DestBlend = static_cast<signed char>(destBlend <= 10 ? destBlend - 1 : -1);
    }

    IWFPARENTCONTEXT children;
    children.ParentId = CHUNK_SURFACE;
    ZNFACE **faces = decal ? overlay->m_Faces : brush->GetFaces();
    children.Object = count ? faces + first : nullptr;
    children.Count = count;
    children.Matrix = context->Matrix;
    children.ReadState = context->ReadState;
    ReadChunks(&children);
}

void CZNIWFScene::ReadExtraFaceInfo(IWFCHUNK *, IWFPARENTCONTEXT *context)
{
    if (!IsSurfaceContext(context))
        Throw(ZNERR_IWF_NO_CHUNK);
    CZNIWFBodyReader in = ReadBody();
    in.CheckCount(context->Count, kExtraFaceRecord);
    ZNFACE **faces = static_cast<ZNFACE **>(context->Object);
    for (DWORD i = 0; i < context->Count; ++i) {
        ZNFACE *face = faces[i];
        face->m_MappingMode = in.U8();
        face->m_UPos = in.F32();
        face->m_VPos = in.F32();
        face->m_UWrap = in.F32();
        face->m_VWrap = in.F32();
        face->m_Rotation.x = in.F32();
        face->m_Rotation.y = in.F32();
        face->m_Rotation.z = in.F32();
        face->m_Rotation.w = in.F32();
        face->m_MappingOrigin = GetVector(in);
    }
}

void CZNIWFScene::ReadVertexComponents(IWFCHUNK *, IWFPARENTCONTEXT *context)
{
    if (!IsSurfaceContext(context))
        Throw(ZNERR_IWF_NO_CHUNK);
    CZNIWFBodyReader in = ReadBody();
    if (in.U8() != 1)
        return; // another vertex format: the chunk is ignored
    in.Skip(4);
    const DWORD blocks = in.U32();
    in.CheckCount(blocks, kVertexBlockMin);
    ZNFACE **faces = static_cast<ZNFACE **>(context->Object);
    const D3DXMATRIX *matrix = context->Matrix;
    ZNMESHREADSTATE *state = context->ReadState;

    // Blocks beyond the surface's faces have no face to go to.
    const DWORD applied = std::min(blocks, context->Count);
    for (DWORD b = 0; b < applied; ++b) {
        ZNFACE *face = faces[b];
        in.U8(); // block tag
        const DWORD count = in.U16();
        const DWORD mask = in.U32();
        BYTE setSizes[255] = {2};
        DWORD sets = 1;
        if (mask & 0x80) {
            sets = in.U8();
            in.Bytes(setSizes, sets);
        }
        if (state) {
            state->NormalsPresent = 0;
            if (!(mask & 0x40))
                state->TexCoordsPresent = 0;
        }
        uint64_t coordinates = 0;
        for (DWORD s = 0; s < sets; ++s)
            coordinates += setSizes[s];
        const uint64_t vertexSize = ((mask & 0x01) ? 12 : 0) + ((mask & 0x04) ? 12 : 0) + ((mask & 0x08) ? 4 : 0) +
                                    ((mask & 0x10) ? 4 : 0) + ((mask & 0x20) ? 4 : 0) +
                                    ((mask & 0x40) ? 4 * coordinates : 0);
        if (count + static_cast<DWORD>(face->GetVertexCount()) > kMaxFaceVertices)
            Throw(ZNERR_IWF_BAD_LENGTHS);
        in.CheckCount(count, vertexSize);
        if (!count)
            continue;
        short firstVertex = 0;
        if (!face->AddVertices(static_cast<short>(count), &firstVertex))
            Throw(ZNERR_OUT_OF_MEMORY);
        ZNVERTEX *vertices = face->GetVertices() + firstVertex;
        // Each vertex record is taken whole (the count was checked against the body above) and
        // its fields read at their offsets within it.
        const size_t extra = ((mask & 0x08) ? 4 : 0) + ((mask & 0x10) ? 4 : 0) + ((mask & 0x20) ? 4 : 0);
        const bool firstPair = (mask & 0x40) && sets > 0 && setSizes[0] == 2;
        for (DWORD j = 0; j < count; ++j) {
            ZNVERTEX &v = vertices[j];
            const BYTE *at = in.Take(vertexSize);
            if (mask & 0x01) {
                D3DXVECTOR3 p = VectorAt(at);
                if (matrix)
                    D3DXVec3TransformCoord(&p, &p, matrix);
                v.x = p.x;
                v.y = p.y;
                v.z = p.z;
                at += 12;
            }
            if (mask & 0x04) {
                D3DXVECTOR3 n = VectorAt(at);
                if (matrix)
                    D3DXVec3TransformNormal(&n, &n, matrix);
                v.nx = n.x;
                v.ny = n.y;
                v.nz = n.z;
                at += 12;
            }
            at += extra;
            // Of the texture coordinate sets only a first set of two is kept.
            if (firstPair) {
                v.tu = FloatAt(at);
                v.tv = FloatAt(at + 4);
            }
        }
    }
}

void CZNIWFScene::ReadIndices(IWFCHUNK *, IWFPARENTCONTEXT *context)
{
    if (!IsSurfaceContext(context))
        Throw(ZNERR_IWF_NO_CHUNK);
    CZNIWFBodyReader in = ReadBody();
    in.Skip(8);
    in.CheckCount(context->Count, kIndexBlockMin);
    ZNFACE **faces = static_cast<ZNFACE **>(context->Object);
    for (DWORD i = 0; i < context->Count; ++i) {
        ZNFACE *face = faces[i];
        const DWORD count = in.U16();
        const BYTE flags = in.U8();
        const BYTE kind = in.U8();
        if (!count)
            continue;
        if (kind != 1 || !(flags & 0x08)) {
            in.Skip(static_cast<uint64_t>(count) * ((flags & 0x02) ? 4 : 2));
            continue;
        }
        const bool shortIndices = flags & 0x01;
        in.CheckCount(count, shortIndices ? 2 : 4);
        WORD *list = static_cast<WORD *>(std::malloc(sizeof(WORD) * count));
        if (!list)
            Throw(ZNERR_OUT_OF_MEMORY);
        // Only a list of 3(V - 2) indices below V fits the face; another is dropped and the
        // face gets a new one when its mesh is finished.
        const DWORD vertices = static_cast<DWORD>(std::max<int>(face->GetVertexCount(), 0));
        bool fits = vertices >= 3 && count == 3 * (vertices - 2);
        for (DWORD k = 0; k < count; ++k) {
            list[k] = static_cast<WORD>(shortIndices ? in.U16() : in.U32());
            if (list[k] >= vertices)
                fits = false;
        }
        if (!fits) {
            std::free(list);
            continue;
        }
        std::free(face->m_TriIndices);
        face->m_TriIndices = list;
        if (context->ReadState)
            context->ReadState->IndicesLoaded = 1;
    }
}
