#pragma once

// Shared set-up of the 3DS import tests: a small chunk writer for files built in the test, a
// recording reporter, and the shared material list and texture manager left as found.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "fileio/3ds_import.h"
#include "fileio/memory_stream_io.h"
#include "platform/os/recording_reporter.h"
#include "render/direct3d.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/face.h"
#include "scene/group.h"
#include "scene/material.h"
#include "support/temp_dir.h"

namespace zn3ds
{

using Bytes = std::vector<BYTE>;

inline Bytes Chunk(WORD id, const Bytes &body)
{
    const DWORD length = static_cast<DWORD>(body.size() + 6);
    Bytes out = {static_cast<BYTE>(id),          static_cast<BYTE>(id >> 8),      static_cast<BYTE>(length),
                 static_cast<BYTE>(length >> 8), static_cast<BYTE>(length >> 16), static_cast<BYTE>(length >> 24)};
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

inline Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes U16(WORD v)
{
    return {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8)};
}

inline Bytes F32(std::initializer_list<float> values)
{
    Bytes out;
    for (float f : values) {
        DWORD bits;
        std::memcpy(&bits, &f, 4);
        out.insert(out.end(), {static_cast<BYTE>(bits), static_cast<BYTE>(bits >> 8), static_cast<BYTE>(bits >> 16),
                               static_cast<BYTE>(bits >> 24)});
    }
    return out;
}

inline Bytes Str(const std::string &s)
{
    Bytes out(s.begin(), s.end());
    out.push_back(0);
    return out;
}

struct Face {
    WORD a, b, c;
};

// A triangle mesh chunk from points, faces (with optional face-group children) and more.
inline Bytes Points(const std::vector<D3DXVECTOR3> &points)
{
    Bytes body = U16(static_cast<WORD>(points.size()));
    for (const D3DXVECTOR3 &p : points)
        body = Cat({body, F32({p.x, p.y, p.z})});
    return Chunk(0x4110, body);
}

inline Bytes Faces(const std::vector<Face> &faces, const Bytes &children = {})
{
    Bytes body = U16(static_cast<WORD>(faces.size()));
    for (const Face &f : faces)
        body = Cat({body, U16(f.a), U16(f.b), U16(f.c), U16(7)});
    return Chunk(0x4120, Cat({body, children}));
}

inline Bytes FaceGroup(const std::string &material, const std::vector<WORD> &faces)
{
    Bytes body = Cat({Str(material), U16(static_cast<WORD>(faces.size()))});
    for (WORD f : faces)
        body = Cat({body, U16(f)});
    return Chunk(0x4130, body);
}

inline Bytes TexCoords(const std::vector<D3DXVECTOR2> &uvs)
{
    Bytes body = U16(static_cast<WORD>(uvs.size()));
    for (const D3DXVECTOR2 &uv : uvs)
        body = Cat({body, F32({uv.x, uv.y})});
    return Chunk(0x4140, body);
}

inline Bytes Object(const std::string &name, const Bytes &meshChildren)
{
    return Chunk(0x4000, Cat({Str(name), Chunk(0x4100, meshChildren)}));
}

// One triangle (0, 0, 0), (1, 0, 0), (0, 1, 0) in file axes.
inline Bytes Triangle(const std::string &name, const Bytes &more = {})
{
    return Object(name, Cat({Points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}), Faces({{0, 1, 2}}), more}));
}

inline Bytes Percent(WORD id, int16_t value)
{
    return Chunk(id, Chunk(0x0030, U16(static_cast<WORD>(value))));
}

inline Bytes ColourBytes(WORD id, BYTE r, BYTE g, BYTE b)
{
    return Chunk(id, Chunk(0x0011, {r, g, b}));
}

inline Bytes ColourFloats(WORD id, float r, float g, float b)
{
    return Chunk(id, Chunk(0x0010, F32({r, g, b})));
}

inline Bytes Material(const std::string &name, const Bytes &more = {})
{
    return Chunk(0xAFFF, Cat({Chunk(0xA000, Str(name)), more}));
}

inline Bytes TextureMap(const std::string &file, int16_t amount)
{
    return Chunk(0xA200, Cat({Chunk(0x0030, U16(static_cast<WORD>(amount))), Chunk(0xA300, Str(file))}));
}

// Keyframer object node.
inline Bytes Node(const std::string &name, WORD id, WORD parent, const std::string &instance = "",
                  const D3DXVECTOR3 *pivot = nullptr, bool withId = true)
{
    Bytes body;
    if (withId)
        body = Chunk(0xB030, U16(id));
    body = Cat({body, Chunk(0xB010, Cat({Str(name), U16(0), U16(0), U16(parent)}))});
    if (!instance.empty())
        body = Cat({body, Chunk(0xB011, Str(instance))});
    if (pivot)
        body = Cat({body, Chunk(0xB013, F32({pivot->x, pivot->y, pivot->z}))});
    return Chunk(0xB002, body);
}

inline Bytes File(const Bytes &editorChildren, const Bytes &keyframer = {})
{
    Bytes main = Cat({Chunk(0x0002, {3, 0, 0, 0}), Chunk(0x3D3D, editorChildren)});
    if (!keyframer.empty())
        main = Cat({main, Chunk(0xB000, keyframer)});
    return Chunk(0x4D4D, main);
}

// A copy of bytes the stream reads from.
inline std::unique_ptr<CZNMemoryStreamIO> Stream(const Bytes &bytes)
{
    static BYTE empty = 0;
    return std::make_unique<CZNMemoryStreamIO>(bytes.empty() ? &empty : const_cast<BYTE *>(bytes.data()),
                                               static_cast<DWORD>(bytes.size()), ZNSTREAM_READ, true);
}

} // namespace zn3ds

class Import3dsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GetEditorApp()->SetReporter(&reporter);
        builtIn = Materials()->GetElementCount();
    }

    void TearDown() override
    {
        // Objects first: their faces hold references on materials and textures.
        importer.reset();
        GetEditorApp()->Get3D()->TrimMaterialList();
        CZNTextureManager *manager = GetEditorApp()->GetTextureManager();
        for (CZNTexture *t : textures) {
            manager->DetachTexture(t);
            delete t;
        }
        GetEditorApp()->SetReporter(nullptr);
    }

    CZNCONTAINER *Materials() { return GetEditorApp()->Get3D()->GetMaterialList(); }

    // A picture of tests/data/3ds loaded into the texture manager.
    CZNTexture *LoadTexture(const std::string &file)
    {
        const std::string path = std::string(ZN_TEST_DATA_DIR) + "/3ds/" + file;
        auto *texture = new CZNTexture(path.c_str(), nullptr);
        EXPECT_TRUE(texture->IsLoaded()) << path;
        GetEditorApp()->GetTextureManager()->AddTexture(texture);
        textures.push_back(texture);
        return texture;
    }

    static zn3ds::Bytes ReadData(const std::string &file)
    {
        const std::string text = ZnReadFile(std::string(ZN_TEST_DATA_DIR) + "/3ds/" + file);
        return zn3ds::Bytes(text.begin(), text.end());
    }

    // Imports bytes with a fresh importer, which frees everything it made when the test ends;
    // the thrown code, or 0.
    LONG Import(const zn3ds::Bytes &bytes, bool silent)
    {
        importer = std::make_unique<Owner>();
        auto stream = zn3ds::Stream(bytes);
        try {
            importer->Load(*stream, silent);
        } catch (LONG code) {
            return code;
        }
        return 0;
    }

    CZN3DSImport &Scene() { return *importer; }
    ZNBRUSH *Brush(size_t i) { return importer->m_Brushes.at(i); }

    // An importer that deletes what it listed, as a caller that drops the import does.
    struct Owner : CZN3DSImport {
        ~Owner() override { Clear(0x7FFF); }
    };

    CZNRecordingReporter reporter;
    std::unique_ptr<Owner> importer;
    std::vector<CZNTexture *> textures;
    DWORD builtIn = 0;
};
