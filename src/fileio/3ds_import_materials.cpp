// The material chunks of a 3DS file: each becomes a material record (reconciled with the shared
// material list unless silent), each texture map a texture record matched by file name, and the
// face groups of a mesh give its faces their material, texture, two-sided style and blending.
#include <strings.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "app/editor_app.h"
#include "fileio/3ds_import.h"
#include "fileio/material_names.h"
#include "fileio/stream_io.h"
#include "render/direct3d.h"
#include "render/texture_manager.h"
#include "scene/container.h"
#include "scene/material.h"

namespace
{

constexpr WORD kMaterialName = 0xA000;
constexpr WORD kAmbient = 0xA010;
constexpr WORD kDiffuse = 0xA020;
constexpr WORD kSpecular = 0xA030;
constexpr WORD kShininess = 0xA040;
constexpr WORD kTransparency = 0xA050;
constexpr WORD kTwoSided = 0xA081;
constexpr WORD kSelfIllumination = 0xA084;
constexpr WORD kTextureMap = 0xA200;
constexpr WORD kMapFile = 0xA300;
constexpr WORD kColorFloat = 0x0010;
constexpr WORD kColorBytes = 0x0011;
constexpr WORD kPercentInt = 0x0030;
constexpr WORD kPercentFloat = 0x0031;
constexpr WORD kFaceGroup = 0x4130;
constexpr WORD kFaces = 0x4120;
constexpr DWORD kNameLength = 254;
constexpr const char *kCaption = "TOVRA";

// 1/255 and 1/100 as the file's readers have always rounded them.
float FloatFromBits(DWORD bits)
{
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}
const float kByteScale = FloatFromBits(0x3B808081);
const float kPercentScale = FloatFromBits(0x3C23D70A);

D3DMATERIAL9 DefaultMaterial()
{
    D3DMATERIAL9 m{};
    m.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    m.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};
    m.Specular = {1.0f, 1.0f, 1.0f, 1.0f};
    m.Emissive = {0.0f, 0.0f, 0.0f, 0.0f};
    m.Power = 0.0f;
    return m;
}

void SetRgb(D3DCOLORVALUE &colour, const float *rgb)
{
    colour.r = rgb[0];
    colour.g = rgb[1];
    colour.b = rgb[2];
}

} // namespace

void CZN3DSImport::ReadColorChunkFloat(float *rgb)
{
    if (!NextChunk(nullptr, true))
        return;
    // Only the first child counts; the rest are skipped.
    if (m_TopChunk->ChunkId == kColorFloat) {
        for (int i = 0; i < 3; ++i)
            rgb[i] = ReadF32();
    } else if (m_TopChunk->ChunkId == kColorBytes) {
        BYTE bytes[3];
        ReadBytes(bytes, 3);
        for (int i = 0; i < 3; ++i)
            rgb[i] = static_cast<float>(bytes[i]) * kByteScale;
    }
    while (NextChunk(nullptr, false)) {
    }
}

void CZN3DSImport::ReadPercentageValue(float *value, WORD chunkId)
{
    if (chunkId == kPercentInt)
        *value = static_cast<float>(static_cast<int16_t>(ReadU16())) * kPercentScale;
    else if (chunkId == kPercentFloat)
        *value = ReadF32();
}

void CZN3DSImport::ReadPercentageChunk(float *value)
{
    *value = 0.0f;
    if (!NextChunk(nullptr, true))
        return;
    ReadPercentageValue(value, m_TopChunk->ChunkId);
    while (NextChunk(nullptr, false)) {
    }
}

void CZN3DSImport::ReadMaterialBlock(CHUNK3DS *chunk, ZN3DSCONTEXT *)
{
    ZNMATERIALREF ref;
    ref.TextureRef = -1;
    D3DMATERIAL9 value = DefaultMaterial();

    ZN3DSCONTEXT context;
    context.ParentId = chunk->ChunkId;
    context.Material = &ref;
    context.D3DMaterial = &value;
    ForEachChild([&] {
        float rgb[3];
        float percent = 0.0f;
        switch (m_TopChunk->ChunkId) {
        case kMaterialName:
            ReadName(ref.Name, kNameLength);
            break;
        case kAmbient:
        case kDiffuse:
        case kSpecular: {
            D3DCOLORVALUE &colour = m_TopChunk->ChunkId == kAmbient   ? value.Ambient
                                    : m_TopChunk->ChunkId == kDiffuse ? value.Diffuse
                                                                      : value.Specular;
            rgb[0] = colour.r;
            rgb[1] = colour.g;
            rgb[2] = colour.b;
            ReadColorChunkFloat(rgb);
            SetRgb(colour, rgb);
            break;
        }
        case kShininess:
            ReadPercentageChunk(&percent);
            value.Power = percent * 100.0f;
            break;
        case kTransparency:
            ReadPercentageChunk(&percent);
            value.Diffuse.a = 1.0f - percent;
            break;
        case kTwoSided:
            ref.TwoSided = 1;
            break;
        case kSelfIllumination:
            ReadPercentageChunk(&ref.SelfIllumination);
            break;
        case kTextureMap:
            ReadTextureMap(m_TopChunk, &context);
            break;
        default:
            break;
        }
    });

    // A texture map lightens the diffuse colour toward white by its amount.
    if (ref.MapAmount > 0.0f) {
        value.Diffuse.r += (1.0f - value.Diffuse.r) * ref.MapAmount;
        value.Diffuse.g += (1.0f - value.Diffuse.g) * ref.MapAmount;
        value.Diffuse.b += (1.0f - value.Diffuse.b) * ref.MapAmount;
    }
    if (ref.SelfIllumination > 0.0f) {
        value.Emissive.r = ref.SelfIllumination * value.Diffuse.r;
        value.Emissive.g = ref.SelfIllumination * value.Diffuse.g;
        value.Emissive.b = ref.SelfIllumination * value.Diffuse.b;
        value.Emissive.a = 1.0f;
    }

    CZNCONTAINER *list = GetEditorApp()->Get3D()->GetMaterialList();
    std::string addName = ref.Name;
    bool take = false;
    if (!m_Silent) {
        // The first material of that name is reused when its values are the same bit for bit;
        // an equal material under another name does not count.
        const LONG byName = ZnFindMaterialByName(list, ref.Name);
        if (byName >= 0) {
            auto *named = static_cast<CZNMATERIAL *>(list->GetElement(static_cast<DWORD>(byName)));
            const D3DMATERIAL9 listed = named->GetD3DMaterial();
            if (std::memcmp(&listed, &value, sizeof value) == 0) {
                take = true;
            } else {
                const int answer = GetEditorApp()->GetReporter()->Message(
                    std::string("Warning : The material named '") + ref.Name +
                        "' could not be matched based on the material data, however the material was matched by "
                        "name.\r\n\r\nWould you like to use this material bearing the same name, or restore the "
                        "original to the material database?\r\n\r\nPress YES to use the material matched by name "
                        "alone.\r\nPress NO to add the original material to the database.",
                    kCaption, MB_YESNO | MB_ICONEXCLAMATION);
                if (answer == IDYES)
                    take = true;
                else
                    addName = ZnNumberedMaterialName(list, ref.Name);
            }
            if (take) {
                ref.Material = named;
                ref.Index = static_cast<DWORD>(byName);
                ref.Owned = 0;
            }
        }
    }

    try {
        m_MaterialRefs.reserve(m_MaterialRefs.size() + 1);
    } catch (const std::bad_alloc &) {
        Throw(ZNERR_OUT_OF_MEMORY);
    }
    if (!take) {
        std::unique_ptr<CZNMATERIAL> material(new (std::nothrow) CZNMATERIAL);
        if (!material)
            Throw(ZNERR_OUT_OF_MEMORY);
        material->SetName(addName.c_str());
        material->SetD3DMaterial(&value);
        material->SetTexture(nullptr);
        if (ref.TextureRef >= 0)
            material->SetTexture(m_TextureRefs[static_cast<size_t>(ref.TextureRef)].Texture);
        ref.Created = 1;
        if (m_Silent) {
            ref.Owned = 1;
            ref.Index = static_cast<DWORD>(m_MaterialRefs.size());
        } else {
            // The shared list owns it from here on.
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

void CZN3DSImport::ReadTextureMap(CHUNK3DS *, ZN3DSCONTEXT *context)
{
    if (!context || !context->Material)
        Throw(ZNERR_3DS_NO_CHUNK);
    ZNTEXTUREREF texture;
    ForEachChild([&] {
        const WORD id = m_TopChunk->ChunkId;
        if (id == kPercentInt || id == kPercentFloat)
            ReadPercentageValue(&context->Material->MapAmount, id);
        else if (id == kMapFile)
            ReadName(texture.Name, kNameLength);
    });
    texture.Texture = GetEditorApp()->GetTextureManager()->FindMatchByFileName(texture.Name);
    try {
        m_TextureRefs.push_back(texture);
    } catch (const std::bad_alloc &) {
        Throw(ZNERR_OUT_OF_MEMORY);
    }
    context->Material->TextureRef = static_cast<LONG>(m_TextureRefs.size() - 1);
}

void CZN3DSImport::ApplyFaceMaterials(CHUNK3DS *chunk, ZN3DSCONTEXT *context)
{
    if (!context || !context->Brush || !context->Faces || !chunk || chunk->ChunkId != kFaces)
        Throw(ZNERR_3DS_NO_CHUNK);
    std::vector<ZN3DSFACEMATERIAL> &faces = *context->Faces;
    ForEachChild([&] {
        if (m_TopChunk->ChunkId != kFaceGroup)
            return;
        char name[kNameLength + 1];
        ReadName(name, kNameLength);
        const WORD count = ReadU16();
        CheckCount(count, 2);
        const ZNMATERIALREF *record = nullptr;
        for (const ZNMATERIALREF &ref : m_MaterialRefs)
            if (strcasecmp(ref.Name, name) == 0) {
                record = &ref;
                break;
            }
        if (!record)
            return;
        for (WORD i = 0; i < count; ++i) {
            const WORD f = ReadU16();
            // Indices beyond the face list are skipped.
            if (f >= faces.size())
                continue;
            ZN3DSFACEMATERIAL &face = faces[f];
            face.Set = true;
            face.Material = static_cast<LONG>(record->Index);
            face.Texture = record->Material ? record->Material->GetTexture() : nullptr;
            if (record->TwoSided)
                face.TwoSided = true;
            if (record->Material && record->Material->GetD3DMaterial().Diffuse.a < 1.0f)
                face.Blend = true;
        }
    });
}
