#include "fileio/x_scene.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <strings.h>

#include "app/editor_app.h"
#include "fileio/file_errors.h"
#include "fileio/material_names.h"
#include "fileio/stream_io.h"
#include "platform/d3dx/d3dx_mesh.h"
#include "render/direct3d.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/face.h"
#include "scene/material.h"
#include "scene/path_utils.h"
#include "scene/selection_entry.h"

namespace
{

constexpr DWORD kLoadOptions = D3DXMESH_32BIT | D3DXMESH_SYSTEMMEM;
constexpr DWORD kBrushFlag = 0x02;
constexpr DWORD kFaceStyle = 0x08;
constexpr DWORD kBrushFVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2; // ZNVERTEX
constexpr DWORD kExportFVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
constexpr float kWeldEpsilon = 0.001f;

[[noreturn]] void Throw(DWORD code)
{
    throw ZnErrorAsThrown(code);
}

[[noreturn]] void ThrowFor(HRESULT hr)
{
    Throw(hr == E_OUTOFMEMORY ? ZNERR_OUT_OF_MEMORY : ZNERR_XFILE_FAILED);
}

struct ReleaseMesh {
    void operator()(ID3DXMesh *mesh) const { mesh->Release(); }
};
struct ReleaseBuffer {
    void operator()(ID3DXBuffer *buffer) const { buffer->Release(); }
};
using MeshPtr = std::unique_ptr<ID3DXMesh, ReleaseMesh>;
using BufferPtr = std::unique_ptr<ID3DXBuffer, ReleaseBuffer>;

// The file name without folders (either separator), empty for none.
std::string FileNamePart(const char *path)
{
    char *name = path ? GetFileNameFromPath(path) : nullptr;
    std::string result = name ? name : "";
    std::free(name);
    return result;
}

void CopyName(char (&field)[256], const std::string &name)
{
    const size_t length = std::min(name.size(), sizeof field - 1);
    std::memcpy(field, name.data(), length);
    field[length] = '\0';
}

} // namespace

CZNXScene::CZNXScene() : m_ExportFlags(0) {}

CZNXScene::~CZNXScene()
{
    Clear(0);
}

void CZNXScene::Clear(DWORD flags)
{
    if (flags & XSCENE_CLEAR_BRUSHES) {
        for (ZNBRUSH *brush : m_Brushes)
            delete brush;
        m_Brushes.clear();
    }
    // The records never took a texture reference, so there is none to give back.
    if (flags & XSCENE_CLEAR_TEXTURES)
        m_TextureRefs.clear();
}

std::vector<BYTE> CZNXScene::ReadRest(CZNStreamIO &stream)
{
    const int64_t start = stream.Tell();
    const int64_t length = stream.GetLength();
    if (start < 0 || length < 0) {
        const DWORD code = stream.GetLastErrorCode();
        Throw(code ? code : ZNERR_STREAM_FAILURE);
    }
    const uint64_t size = length > start ? static_cast<uint64_t>(length - start) : 0;
    if (size > 0xFFFFFFFFu)
        Throw(ZNERR_XFILE_FAILED);
    std::vector<BYTE> bytes;
    try {
        bytes.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc &) {
        Throw(ZNERR_OUT_OF_MEMORY);
    }
    if (size && stream.Read(bytes.data(), static_cast<DWORD>(size)) != size) {
        const DWORD code = stream.GetLastErrorCode();
        Throw(code ? code : ZNERR_STREAM_FAILURE);
    }
    return bytes;
}

bool CZNXScene::IsXHeader(const char *header)
{
    const std::string_view h(header, 16), version = h.substr(4, 4), format = h.substr(8, 4), floats = h.substr(12, 4);
    return h.substr(0, 4) == "xof " && (version == "0302" || version == "0303") &&
           (format == "txt " || format == "bin " || format == "tzip" || format == "bzip") &&
           (floats == "0032" || floats == "0064");
}

bool CZNXScene::IsValidFile(CZNStreamIO &stream)
{
    const int64_t start = stream.Tell();
    bool valid = false;
    try {
        // The 16-byte header first: a file of another kind costs only its first bytes.
        char header[16];
        if (stream.Read(header, sizeof(header)) != sizeof(header) || !IsXHeader(header)) {
            if (start >= 0)
                stream.SeekTo(start);
            return false;
        }
        stream.SeekTo(start);
        const std::vector<BYTE> bytes = ReadRest(stream);
        ID3DXMesh *mesh = nullptr;
        if (SUCCEEDED(D3DXLoadMeshFromXInMemory(bytes.data(), static_cast<DWORD>(bytes.size()), kLoadOptions, nullptr,
                                                nullptr, nullptr, nullptr, nullptr, &mesh))) {
            mesh->Release();
            valid = true;
        }
    } catch (LONG) {
    }
    if (start >= 0)
        stream.SeekTo(start);
    return valid;
}

void CZNXScene::Load(CZNStreamIO &stream, bool)
{
    const std::vector<BYTE> bytes = ReadRest(stream);
    ID3DXMesh *loaded = nullptr;
    ID3DXBuffer *adjacencyBlock = nullptr;
    ID3DXBuffer *materialBlock = nullptr;
    DWORD materialCount = 0;
    const HRESULT hr = D3DXLoadMeshFromXInMemory(bytes.data(), static_cast<DWORD>(bytes.size()), kLoadOptions, nullptr,
                                                 &adjacencyBlock, &materialBlock, nullptr, &materialCount, &loaded);
    if (FAILED(hr))
        ThrowFor(hr);
    MeshPtr mesh(loaded);
    BufferPtr adjacency(adjacencyBlock);
    BufferPtr materials(materialBlock);
    auto *adjacencyWords = adjacency ? static_cast<DWORD *>(adjacency->GetBufferPointer()) : nullptr;

    HRESULT step = mesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT, adjacencyWords, adjacencyWords,
                                         nullptr, nullptr);
    if (FAILED(step))
        ThrowFor(step);
    DWORD rangeCount = 0;
    mesh->GetAttributeTable(nullptr, &rangeCount);
    std::vector<D3DXATTRIBUTERANGE> ranges;
    try {
        ranges.resize(rangeCount);
    } catch (const std::bad_alloc &) {
        Throw(ZNERR_OUT_OF_MEMORY);
    }
    mesh->GetAttributeTable(ranges.data(), &rangeCount);

    const DWORD faceCount = mesh->GetNumFaces();
    if (!faceCount)
        Throw(ZNERR_XFILE_FAILED);
    std::unique_ptr<ZNBRUSH> brush(new (std::nothrow) ZNBRUSH);
    if (!brush || brush->AddFaces(faceCount, 3) < 0)
        Throw(ZNERR_OUT_OF_MEMORY);
    brush->m_Flags |= kBrushFlag;

    // 32-bit indices: a mesh of more than 65535 vertices is copied like any other.
    ID3DXMesh *cloned = nullptr;
    step = mesh->CloneMeshFVF(kLoadOptions, kBrushFVF, nullptr, &cloned);
    if (FAILED(step))
        ThrowFor(step);
    MeshPtr clone(cloned);
    mesh.reset();
    static_assert(sizeof(ZNVERTEX) == 40, "the brush vertex is the clone's vertex");
    void *vertices = nullptr;
    clone->LockVertexBuffer(0, &vertices);
    bool anyNormal = false;
    for (DWORD f = 0; f < faceCount; ++f) {
        ZNVERTEX *corners = brush->GetFace(f)->GetVertices();
        for (DWORD c = 0; c < 3; ++c) {
            const DWORD index = clone->GetIndex(3 * f + c);
            std::memcpy(&corners[c], static_cast<const BYTE *>(vertices) + static_cast<size_t>(index) * 40, 40);
            anyNormal = anyNormal || corners[c].nx != 0.0f || corners[c].ny != 0.0f || corners[c].nz != 0.0f;
        }
    }
    clone->UnlockVertexBuffer();
    clone.reset();

    ZNBRUSH *made = brush.get();
    try {
        m_Brushes.push_back(made);
    } catch (const std::bad_alloc &) {
        Throw(ZNERR_OUT_OF_MEMORY);
    }
    brush.release();

    // Materials: the first identical material of the shared list, else a new one named
    // "Material #n"; record i and texture record i belong to attribute i.
    const size_t firstRecord = m_MaterialRefs.size();
    CZNCONTAINER *list = GetEditorApp()->Get3D()->GetMaterialList();
    CZNTextureManager *manager = GetEditorApp()->GetTextureManager();
    const auto *records = materials ? static_cast<const D3DXMATERIAL *>(materials->GetBufferPointer()) : nullptr;
    for (DWORD i = 0; records && i < materialCount; ++i) {
        const D3DMATERIAL9 value = records[i].MatD3D;
        ZNMATERIALREF ref;
        for (DWORD k = 0; k < list->GetElementCount(); ++k) {
            auto *material = static_cast<CZNMATERIAL *>(list->GetElement(k));
            if (!material)
                continue;
            const D3DMATERIAL9 listed = material->GetD3DMaterial();
            if (std::memcmp(&listed, &value, sizeof value) == 0) {
                ref.Material = material;
                ref.Index = k;
                break;
            }
        }
        if (!ref.Material) {
            std::unique_ptr<CZNMATERIAL> material(new (std::nothrow) CZNMATERIAL);
            if (!material)
                Throw(ZNERR_OUT_OF_MEMORY);
            material->SetD3DMaterial(&value);
            material->SetTexture(nullptr);
            material->SetName(ZnNumberedMaterialName(list, "Material").c_str());
            // The list grows on the UI thread, which draws from it (a batch load runs on a worker).
            DWORD listed = 0;
            bool added = false;
            GetEditorApp()->RunOnUIThread([&] {
                listed = list->GetElementCount();
                added = list->AddElement(material.get()) == listed + 1;
            });
            if (!added)
                Throw(ZNERR_OUT_OF_MEMORY);
            // The shared list owns it from here on.
            ref.Material = material.release();
            ref.Index = listed;
            ref.Created = 1;
        }
        ref.Owned = 0;
        ZNTEXTUREREF texture;
        const std::string name = FileNamePart(records[i].pTextureFilename);
        CopyName(texture.Name, name);
        texture.Texture = name.empty() ? nullptr : manager->FindMatchByFileName(texture.Name);
        try {
            m_MaterialRefs.push_back(ref);
            m_TextureRefs.push_back(texture);
        } catch (const std::bad_alloc &) {
            Throw(ZNERR_OUT_OF_MEMORY);
        }
    }

    for (const D3DXATTRIBUTERANGE &range : ranges) {
        const bool recorded = range.AttribId < materialCount;
        for (DWORD f = range.FaceStart; f < range.FaceStart + range.FaceCount && f < faceCount; ++f) {
            ZNFACE *face = made->GetFace(f);
            if (recorded) {
                face->SetMaterial(static_cast<LONG>(m_MaterialRefs[firstRecord + range.AttribId].Index));
                face->SetTexture(m_TextureRefs[firstRecord + range.AttribId].Texture);
            } else {
                face->SetMaterial(0);
            }
            face->m_Style |= kFaceStyle;
        }
    }

    made->UpdateBoundingBox();
    made->UpdateSharedFaceInfo();
    made->CalculateFaceNormals();
    // A file without normals would draw black: the brush's own vertex normals stand in.
    if (!anyNormal)
        made->CalculateVertexNormals(1);
    made->CalculateFaceCenterPoints();
}

// ---------------------------------------------------------------------------------------------
// Export

void CZNXScene::ExportSelection(const char *path, const std::vector<ZNSELECTIONENTRY> &entries, DWORD flags)
{
    FreeLists();
    m_ExportFlags = flags;
    for (const ZNSELECTIONENTRY &entry : entries) {
        if (entry.Type == ZNSELECT_BRUSH && (flags & XEXPORT_BRUSHES) && entry.Object)
            m_Brushes.push_back(reinterpret_cast<ZNBRUSH *>(entry.Object));
        else if (entry.Type == ZNSELECT_ENTITY && (flags & XEXPORT_ENTITIES) && entry.Object)
            m_Entities.push_back(reinterpret_cast<CZNEntity *>(entry.Object));
        // Overlays are gathered once the scene model has them.
    }
    if (flags & XEXPORT_MATERIALS)
        BuildMaterialTable();
    if (flags & XEXPORT_TEXTURES)
        BuildTextureTable();
    WriteMesh(path);
}

void CZNXScene::ExportFromScene(const char *path, CZNSceneFile &source, DWORD flags)
{
    FreeLists();
    m_ExportFlags = flags;
    if (flags & XEXPORT_BRUSHES)
        m_Brushes = source.m_Brushes;
    if (flags & XEXPORT_ENTITIES)
        m_Entities = source.m_Entities;
    if (flags & XEXPORT_MATERIALS)
        for (const ZNMATERIALREF &ref : source.m_MaterialRefs) {
            ZNMATERIALREF copy = ref;
            copy.Owned = 0; // the source keeps what it owns
            m_MaterialRefs.push_back(copy);
        }
    if (flags & XEXPORT_TEXTURES)
        BuildTextureTable();
    WriteMesh(path);
}

void CZNXScene::BuildMaterialTable()
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    for (ZNBRUSH *brush : m_Brushes)
        for (DWORD f = 0; f < brush->GetFaceCount(); ++f) {
            const LONG index = brush->GetFace(f)->GetMaterial();
            CZNMATERIAL *material = index >= 0 ? d3d->GetMaterialRecord(static_cast<DWORD>(index)) : nullptr;
            if (!material)
                continue;
            bool known = false;
            for (const ZNMATERIALREF &ref : m_MaterialRefs)
                known = known || ref.Material == material;
            if (known)
                continue;
            ZNMATERIALREF ref;
            ref.Material = material;
            ref.Owned = 0;
            ref.Index = static_cast<DWORD>(index);
            m_MaterialRefs.push_back(ref);
        }
}

void CZNXScene::BuildTextureTable()
{
    auto add = [this](CZNTexture *texture) {
        if (!texture)
            return;
        for (const ZNTEXTUREREF &ref : m_TextureRefs)
            if (ref.Texture == texture)
                return;
        ZNTEXTUREREF ref;
        ref.Texture = texture;
        char *path = texture->GetPathAndFileName();
        CopyName(ref.Name, FileNamePart(path));
        std::free(path);
        ref.CRC = texture->GetCRC();
        m_TextureRefs.push_back(ref);
    };
    for (ZNBRUSH *brush : m_Brushes)
        for (DWORD f = 0; f < brush->GetFaceCount(); ++f)
            add(brush->GetFace(f)->GetTexture());
    for (const ZNMATERIALREF &ref : m_MaterialRefs)
        add(ref.Material ? ref.Material->GetTexture() : nullptr);
}

DWORD CZNXScene::FaceEntry(ZNFACE *face, std::vector<ZNXEXPORTENTRY> &entries) const
{
    ZNXEXPORTENTRY entry;
    if (CZNTexture *texture = face->GetTexture())
        for (const ZNTEXTUREREF &ref : m_TextureRefs)
            if (ref.Texture == texture) {
                entry.HasName = true;
                entry.Name = ref.Name;
                break;
            }
    const ZNMATERIALREF *record = nullptr;
    for (const ZNMATERIALREF &ref : m_MaterialRefs)
        if (face->GetMaterial() >= 0 && ref.Index == static_cast<DWORD>(face->GetMaterial()) && ref.Material) {
            record = &ref;
            break;
        }
    if (!record)
        return 0;
    entry.Material = record->Material->GetD3DMaterial();
    for (size_t i = 0; i < entries.size(); ++i) {
        const ZNXEXPORTENTRY &known = entries[i];
        if (std::memcmp(&known.Material, &entry.Material, sizeof entry.Material) == 0 &&
            known.HasName == entry.HasName &&
            (!entry.HasName || strcasecmp(known.Name.c_str(), entry.Name.c_str()) == 0))
            return static_cast<DWORD>(i);
    }
    entries.push_back(std::move(entry));
    return static_cast<DWORD>(entries.size() - 1);
}

ID3DXMesh *CZNXScene::BuildExportMesh(std::vector<ZNXEXPORTENTRY> &entries)
{
    entries.clear();
    uint64_t triangles = 0;
    for (ZNBRUSH *brush : m_Brushes)
        for (DWORD f = 0; f < brush->GetFaceCount(); ++f)
            if (brush->GetFace(f)->GetVertexCount() >= 3)
                triangles += static_cast<uint64_t>(brush->GetFace(f)->GetVertexCount() - 2);
    if (!triangles)
        return nullptr;
    if (triangles > 0xFFFFFFFFu / 3)
        Throw(ZNERR_OUT_OF_MEMORY);
    ID3DXMesh *created = nullptr;
    const HRESULT hr = D3DXCreateMeshFVF(static_cast<DWORD>(triangles), static_cast<DWORD>(3 * triangles), kLoadOptions,
                                         kExportFVF, nullptr, &created);
    if (FAILED(hr))
        ThrowFor(hr);
    MeshPtr mesh(created);
    void *rawVertices = nullptr;
    DWORD *attributes = nullptr;
    mesh->LockVertexBuffer(0, &rawVertices);
    mesh->LockAttributeBuffer(0, &attributes);
    auto *out = static_cast<float *>(rawVertices);
    DWORD t = 0;
    for (ZNBRUSH *brush : m_Brushes)
        for (DWORD f = 0; f < brush->GetFaceCount(); ++f) {
            ZNFACE *face = brush->GetFace(f);
            const SHORT n = face->GetVertexCount();
            if (n < 3)
                continue;
            const ZNVERTEX *v = face->GetVertices();
            const DWORD entry = FaceEntry(face, entries);
            for (SHORT k = 0; k + 2 < n; ++k, ++t) {
                SHORT corner[3] = {0, static_cast<SHORT>(k + 1), static_cast<SHORT>(k + 2)};
                if (const WORD *list = face->m_TriIndices) {
                    const bool fits = list[3 * k] < n && list[3 * k + 1] < n && list[3 * k + 2] < n;
                    if (fits)
                        for (int c = 0; c < 3; ++c)
                            corner[c] = static_cast<SHORT>(list[3 * k + c]);
                }
                for (int c = 0; c < 3; ++c) {
                    const ZNVERTEX &src = v[corner[c]];
                    const float values[8] = {src.x, src.y, src.z, src.nx, src.ny, src.nz, src.tu, src.tv};
                    std::memcpy(out + (3 * static_cast<size_t>(t) + c) * 8, values, sizeof values);
                    mesh->SetIndex(3 * t + c, 3 * t + c);
                }
                attributes[t] = entry;
            }
        }
    mesh->UnlockVertexBuffer();
    mesh->UnlockAttributeBuffer();
    return mesh.release();
}

void CZNXScene::WriteMesh(const char *path)
{
    std::vector<ZNXEXPORTENTRY> entries;
    MeshPtr mesh(BuildExportMesh(entries));
    if (!mesh)
        Throw(ZNERR_XFILE_FAILED);
    D3DXWELDEPSILONS epsilons;
    float *all = reinterpret_cast<float *>(&epsilons);
    std::fill(all, all + 17, kWeldEpsilon);
    HRESULT hr = D3DXWeldVertices(mesh.get(), 0, &epsilons, nullptr, nullptr, nullptr, nullptr);
    if (SUCCEEDED(hr))
        hr = mesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr);
    if (FAILED(hr))
        ThrowFor(hr);
    std::vector<D3DXMATERIAL> table(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        table[i].MatD3D = entries[i].Material;
        table[i].pTextureFilename = entries[i].HasName ? entries[i].Name.data() : nullptr;
    }
    // A save that fails is reported: the caller would otherwise announce a file that is not there.
    hr = D3DXSaveMeshToX(path, mesh.get(), nullptr, table.data(), nullptr, static_cast<DWORD>(table.size()),
                         D3DXF_FILEFORMAT_BINARY);
    if (FAILED(hr))
        ThrowFor(hr);
}
