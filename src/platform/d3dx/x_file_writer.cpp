#include "platform/d3dx/x_file_writer.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/d3dx/d3dx_mesh.h"
#include "platform/os/byte_order.h"

namespace
{

enum : WORD {
    kName = 1,
    kString = 2,
    kIntegerList = 6,
    kFloatList = 7,
    kOpenBrace = 10,
    kCloseBrace = 11,
    kSemicolon = 20,
};

} // namespace

CZNXFileWriter::CZNXFileWriter()
{
    static constexpr char kHeader[] = "xof 0303bin 0032";
    m_Bytes.assign(kHeader, kHeader + 16);
}

void CZNXFileWriter::Token(WORD token)
{
    BYTE bytes[2];
    ZnPutU16LE(bytes, token);
    m_Bytes.insert(m_Bytes.end(), bytes, bytes + 2);
}

void CZNXFileWriter::U32(DWORD value)
{
    BYTE bytes[4];
    ZnPutU32LE(bytes, value);
    m_Bytes.insert(m_Bytes.end(), bytes, bytes + 4);
}

void CZNXFileWriter::Name(std::string_view name)
{
    Token(kName);
    U32(static_cast<DWORD>(name.size()));
    m_Bytes.insert(m_Bytes.end(), name.begin(), name.end());
}

void CZNXFileWriter::Open(std::string_view type, std::string_view name)
{
    Name(type);
    if (!name.empty())
        Name(name);
    Token(kOpenBrace);
}

void CZNXFileWriter::Close()
{
    Token(kCloseBrace);
}

void CZNXFileWriter::Integers(const std::vector<DWORD> &values)
{
    Token(kIntegerList);
    U32(static_cast<DWORD>(values.size()));
    for (DWORD v : values)
        U32(v);
}

void CZNXFileWriter::Floats(const std::vector<float> &values)
{
    Token(kFloatList);
    U32(static_cast<DWORD>(values.size()));
    for (float f : values) {
        DWORD bits;
        std::memcpy(&bits, &f, 4);
        U32(bits);
    }
}

void CZNXFileWriter::String(std::string_view text)
{
    Token(kString);
    U32(static_cast<DWORD>(text.size()));
    m_Bytes.insert(m_Bytes.end(), text.begin(), text.end());
    Token(kSemicolon);
}

HRESULT D3DXSaveMeshToXInMemory(ID3DXMesh *mesh, const D3DXMATERIAL *materials, DWORD numMaterials,
                                std::vector<BYTE> *bytes)
{
    if (!mesh || !bytes || (numMaterials && !materials))
        return D3DERR_INVALIDCALL;
    const DWORD fvf = mesh->GetFVF();
    const DWORD stride = mesh->GetNumBytesPerVertex();
    const DWORD vertexCount = mesh->GetNumVertices();
    const DWORD faceCount = mesh->GetNumFaces();
    const bool hasNormals = (fvf & D3DFVF_NORMAL) != 0;
    const bool hasUV = ((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT) >= 1;
    try {
        void *rawVertices = nullptr;
        DWORD *attributes = nullptr;
        mesh->LockVertexBuffer(0, &rawVertices);
        mesh->LockAttributeBuffer(0, &attributes);
        const BYTE *vertices = static_cast<const BYTE *>(rawVertices);
        auto take = [&](DWORD offset, DWORD floats) {
            std::vector<float> out(static_cast<size_t>(vertexCount) * floats);
            for (DWORD v = 0; v < vertexCount; ++v)
                std::memcpy(&out[static_cast<size_t>(v) * floats], vertices + static_cast<size_t>(v) * stride + offset,
                            4 * floats);
            return out;
        };
        std::vector<DWORD> faces;
        faces.reserve(1 + 4 * static_cast<size_t>(faceCount));
        faces.push_back(faceCount);
        for (DWORD f = 0; f < faceCount; ++f) {
            faces.push_back(3);
            for (DWORD c = 0; c < 3; ++c) {
                const DWORD index = mesh->GetIndex(3 * f + c);
                if (index >= vertexCount)
                    return D3DERR_INVALIDCALL;
                faces.push_back(index);
            }
        }

        CZNXFileWriter out;
        out.Open("Mesh");
        out.Integers({vertexCount});
        out.Floats(take(0, 3));
        out.Integers(faces);
        if (hasNormals) {
            out.Open("MeshNormals");
            out.Integers({vertexCount});
            out.Floats(take(12, 3));
            out.Integers(faces);
            out.Close();
        }
        if (hasUV) {
            out.Open("MeshTextureCoords");
            out.Integers({vertexCount});
            out.Floats(take(hasNormals ? 24 : 12, 2));
            out.Close();
        }
        if (numMaterials) {
            out.Open("MeshMaterialList");
            std::vector<DWORD> list{numMaterials, faceCount};
            list.insert(list.end(), attributes, attributes + faceCount);
            out.Integers(list);
            for (DWORD i = 0; i < numMaterials; ++i) {
                const D3DMATERIAL9 &m = materials[i].MatD3D;
                out.Open("Material");
                out.Floats({m.Diffuse.r, m.Diffuse.g, m.Diffuse.b, m.Diffuse.a, m.Power, m.Specular.r, m.Specular.g,
                            m.Specular.b, m.Emissive.r, m.Emissive.g, m.Emissive.b});
                if (materials[i].pTextureFilename) {
                    out.Open("TextureFilename");
                    out.String(materials[i].pTextureFilename);
                    out.Close();
                }
                out.Close();
            }
            out.Close();
        }
        out.Close();
        *bytes = out.Bytes();
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

HRESULT D3DXSaveMeshToX(const char *path, ID3DXMesh *mesh, const DWORD *, const D3DXMATERIAL *materials, const void *,
                        DWORD numMaterials, DWORD format)
{
    if (!path || format != D3DXF_FILEFORMAT_BINARY)
        return D3DERR_INVALIDCALL;
    std::vector<BYTE> bytes;
    const HRESULT hr = D3DXSaveMeshToXInMemory(mesh, materials, numMaterials, &bytes);
    if (FAILED(hr))
        return hr;
    std::FILE *file = std::fopen(path, "wb");
    if (!file)
        return E_FAIL;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool flushed = std::fflush(file) == 0;
    const bool closed = std::fclose(file) == 0;
    return written && flushed && closed ? D3D_OK : E_FAIL;
}
