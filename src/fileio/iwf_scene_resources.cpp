// The resource chunks of the IWF scene: thumbnail, signature, editor options, the texture table
// with its CRCs and the material table with its lights, ids and textures; and the matching of
// read textures and materials against those the editor has loaded.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <strings.h>

#include "app/editor_app.h"
#include "fileio/iwf_body_reader.h"
#include "fileio/iwf_scene.h"
#include "fileio/material_names.h"
#include "fileio/memory_stream_io.h"
#include "render/direct3d.h"
#include "render/image/image.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "scene/container.h"
#include "scene/material.h"
#include "scene/path_utils.h"

namespace
{

constexpr char kSignature[8] = {'-', 'Z', 'N', '_', 'S', 'I', 'G', '-'};
constexpr DWORD kMaterialRecordMin = 69; // name length byte, four colours, power
constexpr DWORD kTextureRecordMin = 8;   // kind, name length, reserved byte, embedded length
constexpr DWORD kExtraMaterialRecord = 112;
constexpr DWORD kLightWords = 26;
constexpr DWORD kEditorOptionsSize = 76;
constexpr const char *kCaption = "TOVRA";

static_assert(sizeof(D3DLIGHT9) == kLightWords * 4, "a light is 26 32-bit words");
static_assert(sizeof(D3DMATERIAL9) == 17 * 4, "a material value is 17 floats");

std::string Format(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    return text;
}

std::string TextureFileName(const CZNTexture *texture)
{
    char *path = texture->GetPathAndFileName();
    char *name = path ? GetFileNameFromPath(path) : nullptr;
    std::string result = name ? name : "";
    std::free(name);
    std::free(path);
    return result;
}

void PutColour(CZNIWFBodyWriter &out, const D3DCOLORVALUE &c)
{
    out.F32(c.r);
    out.F32(c.g);
    out.F32(c.b);
    out.F32(c.a);
}

D3DCOLORVALUE GetColour(CZNIWFBodyReader &in)
{
    D3DCOLORVALUE c;
    c.r = in.F32();
    c.g = in.F32();
    c.b = in.F32();
    c.a = in.F32();
    return c;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Writers

void CZNIWFScene::WriteThumbnail()
{
    CZNImage *image = m_Thumbnail;
    if (!image)
        Throw(ZNERR_INVALID_ARGS);
    // The stored depth follows the image: palette images as 8 bits, images with alpha as 32
    // bits (the fourth byte stays 0), the rest as 24 bits.
    const BYTE bits = image->GetBitsPerPixel() == 8 ? 8 : image->HasAlpha() ? 32 : 24;
    if (image->GetWidth() > 0xFFFF || image->GetHeight() > 0xFFFF)
        Throw(ZNERR_INVALID_ARGS);
    _RAWOPTIONS options{};
    options.Width = image->GetWidth();
    options.Height = image->GetHeight();
    options.BitsPerPixel = bits;
    options.Alpha = false;
    options.Planes = 1;
    options.AlphaIndex = 0;
    options.RedIndex = bits == 32 ? 1 : 0;
    options.GreenIndex = bits == 32 ? 2 : bits == 24 ? 1 : 0;
    options.BlueIndex = bits == 32 ? 3 : bits == 24 ? 2 : 0;

    DWORD size = 0;
    RGBQUAD *rawPalette = nullptr;
    std::unique_ptr<BYTE[]> pixels(image->CompileRawData(options, size, bits == 8 ? &rawPalette : nullptr));
    std::unique_ptr<RGBQUAD[]> palette(rawPalette);
    if (!pixels || (bits == 8 && !palette))
        Throw(ZNERR_OUT_OF_MEMORY);

    m_Out.U16(static_cast<WORD>(options.Width));
    m_Out.U16(static_cast<WORD>(options.Height));
    m_Out.U16(bits);
    if (bits == 8) {
        for (int i = 0; i < 256; ++i) {
            m_Out.U8(palette[i].rgbRed);
            m_Out.U8(palette[i].rgbGreen);
            m_Out.U8(palette[i].rgbBlue);
        }
    }
    FlushBody();
    WriteBytes(pixels.get(), size);
}

void CZNIWFScene::WriteTextures()
{
    m_Out.U32(static_cast<DWORD>(m_TextureRefs.size()));
    for (const ZNTEXTUREREF &ref : m_TextureRefs) {
        const WORD length = static_cast<WORD>(strnlen(ref.Name, sizeof ref.Name - 1));
        m_Out.U8(1);
        m_Out.U16(length);
        m_Out.Bytes(ref.Name, length);
        m_Out.U8(0);
        m_Out.U32(0);
    }
    FlushBody();
    if (m_SaveFlags & IWFSAVE_EXTRA_TEXTURE_INFO) {
        BeginChunk(CHUNK_EXTRA_TEXTURE_INFO);
        for (const ZNTEXTUREREF &ref : m_TextureRefs)
            m_Out.U32(ref.CRC);
        FlushBody();
        EndChunk();
    }
}

void CZNIWFScene::WriteMaterials()
{
    m_Out.U32(static_cast<DWORD>(m_MaterialRefs.size()));
    for (const ZNMATERIALREF &ref : m_MaterialRefs) {
        const char *name = ref.Material->GetName();
        const BYTE length = static_cast<BYTE>(strnlen(name, 255));
        m_Out.U8(length);
        m_Out.Bytes(name, length);
        const D3DMATERIAL9 value = ref.Material->GetD3DMaterial();
        PutColour(m_Out, value.Diffuse);
        PutColour(m_Out, value.Ambient);
        PutColour(m_Out, value.Emissive);
        PutColour(m_Out, value.Specular);
        m_Out.F32(value.Power);
    }
    FlushBody();
    if (m_SaveFlags & IWFSAVE_EXTRA_MATERIAL_INFO) {
        BeginChunk(CHUNK_EXTRA_MATERIAL_INFO);
        WriteExtraMaterialInfo();
        EndChunk();
    }
}

void CZNIWFScene::WriteExtraMaterialInfo()
{
    for (const ZNMATERIALREF &ref : m_MaterialRefs) {
        const D3DLIGHT9 light = ref.Material->GetLight();
        DWORD words[kLightWords];
        std::memcpy(words, &light, sizeof words);
        for (DWORD word : words)
            m_Out.U32(word);
        m_Out.U32(ref.Material->GetID());
        m_Out.U32(static_cast<DWORD>(FindTextureRecord(ref.Material->GetTexture())));
    }
    FlushBody();
}

void CZNIWFScene::WriteEditorOptions()
{
    const ZNEDITOROPTIONS &o = m_EditorOptions;
    m_Out.U32(o.Flags);
    m_Out.U32(0);
    for (const D3DXVECTOR3 *v : {&o.CameraPosition, &o.CameraLook, &o.CameraUp}) {
        m_Out.F32(v->x);
        m_Out.F32(v->y);
        m_Out.F32(v->z);
    }
    m_Out.U32(o.CameraSelected);
    m_Out.U32(o.OptionWord21);
    m_Out.U32(o.OptionWord20);
    static constexpr BYTE kReserved[kEditorOptionsSize - 56] = {};
    m_Out.Bytes(kReserved, sizeof kReserved);
    FlushBody();
}

LONG CZNIWFScene::FindTextureRecord(const CZNTexture *texture) const
{
    if (!texture)
        return -1;
    for (size_t i = 0; i < m_TextureRefs.size(); ++i)
        if (m_TextureRefs[i].Texture == texture)
            return static_cast<LONG>(i);
    return -1;
}

// ---------------------------------------------------------------------------------------------
// Readers

void CZNIWFScene::ReadThumbnail(IWFCHUNK *, IWFPARENTCONTEXT *)
{
    if (!m_Thumbnail)
        return;
    CZNIWFBodyReader in = ReadBody();
    const DWORD width = in.U16();
    const DWORD height = in.U16();
    const DWORD bits = in.U16();
    if (bits != 8 && bits != 24 && bits != 32)
        Throw(ZNERR_IWF_BAD_LENGTHS);
    RGBQUAD palette[256] = {};
    if (bits == 8) {
        for (RGBQUAD &entry : palette) {
            entry.rgbRed = in.U8();
            entry.rgbGreen = in.U8();
            entry.rgbBlue = in.U8();
        }
    }
    const uint64_t size = static_cast<uint64_t>(width) * height * (bits / 8);
    in.CheckCount(size, 1);
    if (size == 0)
        return; // nothing to decode
    const BYTE *pixels = in.Take(size);

    _RAWOPTIONS options{};
    options.Width = width;
    options.Height = height;
    options.BitsPerPixel = static_cast<BYTE>(bits);
    options.Planes = 1;
    options.RedIndex = bits == 32 ? 1 : 0;
    options.GreenIndex = bits == 32 ? 2 : bits == 24 ? 1 : 0;
    options.BlueIndex = bits == 32 ? 3 : bits == 24 ? 2 : 0;
    CZNMemoryStreamIO raw(const_cast<BYTE *>(pixels), static_cast<DWORD>(size), ZNSTREAM_READ, false);
    if (!raw.IsOpen() || !m_Thumbnail->LoadRawImage(raw, options))
        Throw(ZNERR_OUT_OF_MEMORY);
    if (bits == 8 && m_Thumbnail->GetPalette())
        std::memcpy(m_Thumbnail->GetPalette(), palette, sizeof palette);
    m_ThumbnailDecoded = true;
}

void CZNIWFScene::ReadSignature(IWFCHUNK *, IWFPARENTCONTEXT *)
{
    CZNIWFBodyReader in = ReadBody();
    if (in.Left() < sizeof kSignature || std::memcmp(in.Take(sizeof kSignature), kSignature, sizeof kSignature) != 0)
        Throw(ZNERR_IWF_INVALID_FILE);
}

void CZNIWFScene::ReadEditorOptions(IWFCHUNK *, IWFPARENTCONTEXT *)
{
    CZNIWFBodyReader in = ReadBody();
    ZNEDITOROPTIONS o;
    o.Flags = in.U32();
    o.Reserved = in.U32();
    for (D3DXVECTOR3 *v : {&o.CameraPosition, &o.CameraLook, &o.CameraUp}) {
        v->x = in.F32();
        v->y = in.F32();
        v->z = in.F32();
    }
    o.CameraSelected = in.U32();
    o.OptionWord21 = in.U32();
    o.OptionWord20 = in.U32();
    // The 20 reserved bytes after the block are left to the framing.
    m_EditorOptions = o;
    m_EditorOptionsPresent = true;
}

void CZNIWFScene::ReadTextures(IWFCHUNK *chunk, IWFPARENTCONTEXT *context)
{
    if (chunk->ChunkId == CHUNK_EXTRA_TEXTURE_INFO) {
        // The CRCs of the records of the enclosing table; elsewhere the chunk means nothing.
        if (!context || context->ParentId != CHUNK_TEXTURES)
            return;
        CZNIWFBodyReader in = ReadBody();
        const uint64_t count = std::min<uint64_t>(context->Count, in.Left() / 4);
        for (uint64_t i = 0; i < count; ++i)
            m_TextureRefs[context->First + i].CRC = in.U32();
        return;
    }

    CZNIWFBodyReader in = ReadBody();
    const DWORD count = in.U32();
    in.CheckCount(count, kTextureRecordMin);
    const size_t first = m_TextureRefs.size();
    try {
        m_TextureRefs.reserve(first + count);
    } catch (const std::bad_alloc &) {
        Throw(ZNERR_OUT_OF_MEMORY);
    }
    for (DWORD i = 0; i < count; ++i) {
        ZNTEXTUREREF ref;
        in.U8(); // source kind
        const WORD length = in.U16();
        // Names longer than the record's field are cut; the rest is skipped.
        const WORD kept = std::min<WORD>(length, sizeof ref.Name - 1);
        in.Bytes(ref.Name, kept);
        in.Skip(length - kept);
        in.U8();           // reserved
        in.Skip(in.U32()); // embedded data
        m_TextureRefs.push_back(ref);
    }

    IWFPARENTCONTEXT children;
    children.ParentId = CHUNK_TEXTURES;
    children.Count = count;
    children.First = static_cast<DWORD>(first);
    ReadChunks(&children);
    MatchTextures(first, count);
}

void CZNIWFScene::MatchTextures(size_t first, size_t count)
{
    CZNTextureManager *manager = GetEditorApp()->GetTextureManager();
    IZNReporter *reporter = GetEditorApp()->GetReporter();
    for (size_t i = first; i < first + count; ++i) {
        ZNTEXTUREREF &ref = m_TextureRefs[i];
        // A CRC of 0 means "absent" and never matches.
        CZNTexture *byData = ref.CRC ? manager->FindMatchByCRC(ref.CRC) : nullptr;
        CZNTexture *byName = manager->FindMatchByFileName(ref.Name);
        if (byData) {
            if (byName != byData && !m_Silent)
                reporter->Message(Format("Warning : A match for the texture '%s' could not be found when searching by "
                                         "name, however the image '%s' was matched by image data and has been used "
                                         "in it's place.",
                                         ref.Name, TextureFileName(byData).c_str()),
                                  kCaption, MB_OK | MB_ICONEXCLAMATION);
            ref.Texture = byData;
        } else if (byName && !m_Silent) {
            const int answer = reporter->Message(
                Format("Warning : The texture named '%s' could not be matched based on the image data, however the "
                       "image was matched by name.\r\n\r\nWould you still like to use this matching texture ?",
                       ref.Name),
                kCaption, MB_YESNO | MB_ICONEXCLAMATION);
            if (answer == IDYES)
                ref.Texture = byName;
        }
    }
    if (m_Silent)
        return;
    std::vector<std::string> missing;
    for (const ZNTEXTUREREF &ref : m_TextureRefs)
        if (!ref.Texture)
            missing.emplace_back(ref.Name);
    if (!missing.empty())
        reporter->ShowMissingResources(missing);
}

void CZNIWFScene::ReadMaterials(IWFCHUNK *, IWFPARENTCONTEXT *)
{
    CZNIWFBodyReader in = ReadBody();
    const DWORD count = in.U32();
    in.CheckCount(count, kMaterialRecordMin);
    const size_t first = m_MaterialRefs.size();
    try {
        m_MaterialRefs.reserve(first + count);
    } catch (const std::bad_alloc &) {
        Throw(ZNERR_OUT_OF_MEMORY);
    }
    CZNCONTAINER *list = GetEditorApp()->Get3D()->GetMaterialList();
    IZNReporter *reporter = GetEditorApp()->GetReporter();

    for (DWORD i = 0; i < count; ++i) {
        char name[CZNMATERIAL::kNameLength] = {};
        const BYTE length = in.U8();
        in.Bytes(name, length);
        D3DMATERIAL9 value;
        value.Diffuse = GetColour(in);
        value.Ambient = GetColour(in);
        value.Emissive = GetColour(in);
        value.Specular = GetColour(in);
        value.Power = in.F32();

        ZNMATERIALREF ref;
        std::string addName = name;
        bool take = false;
        if (!m_Silent) {
            // The first material of that name; from it on, the first with the same values.
            LONG byName = -1, byValue = -1;
            for (DWORD k = 0; k < list->GetElementCount() && byValue < 0; ++k) {
                auto *material = static_cast<CZNMATERIAL *>(list->GetElement(k));
                if (!material)
                    continue;
                if (byName < 0 && strcasecmp(material->GetName(), name) == 0)
                    byName = static_cast<LONG>(k);
                if (byName >= 0) {
                    const D3DMATERIAL9 listed = material->GetD3DMaterial();
                    if (std::memcmp(&listed, &value, sizeof value) == 0)
                        byValue = static_cast<LONG>(k);
                }
            }
            if (byName >= 0 && byValue == byName) {
                take = true;
            } else if (byName >= 0) {
                const int answer = reporter->Message(
                    Format("Warning : The material named '%s' could not be matched based on the material data, "
                           "however the material was matched by name.\r\n\r\nWould you like to use this material "
                           "bearing the same name, or restore the original to the material database?\r\n\r\nPress "
                           "YES to use the material matched by name alone.\r\nPress NO to add the original material "
                           "to the database.",
                           name),
                    kCaption, MB_YESNO | MB_ICONEXCLAMATION);
                if (answer == IDYES)
                    take = true;
                else
                    addName = ZnNumberedMaterialName(list, name);
            }
            if (take) {
                ref.Material = static_cast<CZNMATERIAL *>(list->GetElement(static_cast<DWORD>(byName)));
                ref.Index = static_cast<DWORD>(byName);
            }
        }

        if (!take) {
            std::unique_ptr<CZNMATERIAL> material(new (std::nothrow) CZNMATERIAL);
            if (!material)
                Throw(ZNERR_OUT_OF_MEMORY);
            material->SetName(addName.c_str());
            material->SetTexture(nullptr);
            material->SetD3DMaterial(&value);
            ref.Created = 1;
            if (m_Silent) {
                // Kept out of the shared list; faces name it by its place in these records.
                ref.Owned = 1;
                ref.Index = static_cast<DWORD>(m_MaterialRefs.size());
            } else {
                // The shared list owns it from here on, so a Clear never deletes it.
                const DWORD listed = list->GetElementCount();
                if (list->AddElement(material.get()) != listed + 1)
                    Throw(ZNERR_OUT_OF_MEMORY);
                ref.Owned = 0;
                ref.Index = listed;
            }
            ref.Material = material.release();
        }
        m_MaterialRefs.push_back(ref);
    }

    IWFPARENTCONTEXT children;
    children.ParentId = CHUNK_MATERIALS;
    children.Count = count;
    children.First = static_cast<DWORD>(first);
    ReadChunks(&children);
}

void CZNIWFScene::ReadExtraMaterialInfo(IWFCHUNK *, IWFPARENTCONTEXT *context)
{
    if (!context || context->ParentId != CHUNK_MATERIALS)
        Throw(ZNERR_IWF_NO_CHUNK);
    CZNIWFBodyReader in = ReadBody();
    in.CheckCount(context->Count, kExtraMaterialRecord);
    for (DWORD i = 0; i < context->Count; ++i) {
        DWORD words[kLightWords];
        for (DWORD &word : words)
            word = in.U32();
        D3DLIGHT9 light;
        std::memcpy(&light, words, sizeof light);
        const DWORD id = in.U32();
        const LONG textureIndex = static_cast<LONG>(in.U32());
        ZNMATERIALREF &ref = m_MaterialRefs[context->First + i];
        if (!ref.Created)
            continue;
        CZNTexture *texture = nullptr;
        if (textureIndex >= 0 && static_cast<size_t>(textureIndex) < m_TextureRefs.size())
            texture = m_TextureRefs[static_cast<size_t>(textureIndex)].Texture;
        ref.Material->SetLight(&light);
        ref.Material->SetID(id);
        ref.Material->SetTexture(texture);
    }
}
