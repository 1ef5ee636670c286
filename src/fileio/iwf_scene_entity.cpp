// The entity chunk of the IWF scene: an entity's type code, name, hidden flag, head and its
// plug-in's data, tagged with the plug-in's maker for type codes from 0x200 on. The plug-in is
// reached through the application's entity plug-in manager.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "fileio/iwf_body_reader.h"
#include "fileio/iwf_scene.h"
#include "scene/entity.h"
#include "scene/entity_plugin_table.h"
#include "scene/group.h"

namespace
{

constexpr WORD kMakerScopedTypes = 0x200; // type codes from here on belong to one maker
constexpr WORD kStringType = 0x31;        // the type whose data the editor lays out itself
constexpr DWORD kHeadSize = 64;
constexpr DWORD kStringField = 256;                          // the zero-terminated string after the flag byte
constexpr DWORD kStringBlock = kHeadSize + 1 + kStringField; // 321: where the remainder starts

// The plug-in a stored entity names: type code and maker as stored. Type codes below 0x200 are
// stored without a maker and match on the code alone.
int FindEntityPlugin(WORD type, const BYTE *author, BYTE authorLength)
{
    CZNEntityPluginTable *plugins = CZNEntityPluginTable::GetLoaded();
    if (!plugins)
        return -1;
    if (type < kMakerScopedTypes && authorLength == 0) {
        for (int i = 0; i < plugins->GetPluginCount(); ++i)
            if (plugins->GetPlugin(i)->Info.TypeId == type)
                return i;
        return -1;
    }
    return plugins->FindPlugin(type, authorLength ? author : nullptr, authorLength);
}

} // namespace

void CZNIWFScene::WriteEntity(CZNEntity *entity)
{
    CZNEntityPluginTable *plugins = CZNEntityPluginTable::GetLoaded();
    ENTITYPLUGINRECORD *record = plugins ? plugins->GetPlugin(entity->GetType()) : nullptr;
    BYTE *block = entity->GetData();
    if (!record || !block)
        return;
    const ENTITYPLUGININFO &info = record->Info;

    std::unique_ptr<BYTE[]> buffer;
    const BYTE *data = block + kHeadSize;
    DWORD size = entity->GetDataSize() > kHeadSize ? entity->GetDataSize() - kHeadSize : 0;
    if (record->GetWriteDataSize && record->GetWriteData) {
        size = record->GetWriteDataSize(block);
        if (size == 0)
            return; // the plug-in saves nothing for this entity
        buffer.reset(new (std::nothrow) BYTE[size]);
        if (!buffer)
            Throw(ZNERR_OUT_OF_MEMORY);
        record->GetWriteData(block, buffer.get());
        data = buffer.get();
    }

    const char *name = entity->GetName();
    const BYTE nameLength = name ? static_cast<BYTE>(strnlen(name, 255)) : 0;
    m_Out.U16(info.TypeId);
    m_Out.U8(nameLength);
    m_Out.Bytes(name, nameLength);
    m_Out.U32(entity->m_Flags & 1u);
    m_Out.Bytes(block, kHeadSize);
    if (info.TypeId == kStringType) {
        const DWORD room = size > 1 ? std::min<DWORD>(size - 1, 255) : 0;
        const BYTE stringLength = static_cast<BYTE>(strnlen(reinterpret_cast<const char *>(data) + 1, room));
        const DWORD remainder = size > kStringField + 1 ? size - kStringField - 1 : 0;
        m_Out.U32(1 + (stringLength ? 1u + stringLength : 0u) + remainder);
        m_Out.U8(stringLength ? 1 : 0);
        if (stringLength) {
            m_Out.U8(stringLength);
            m_Out.Bytes(data + 1, stringLength);
        }
        m_Out.Bytes(data + kStringField + 1, remainder);
    } else {
        m_Out.U32(size);
        m_Out.Bytes(data, size);
    }

    // The chunk carries the plug-in's maker; the chunks after it carry the scene's own again.
    const BYTE savedLength = m_AuthorIdLength;
    BYTE saved[sizeof m_AuthorId];
    std::memcpy(saved, m_AuthorId, sizeof saved);
    if (info.TypeId >= kMakerScopedTypes && info.VendorId)
        SetAuthorId(info.VendorId, info.VendorIdLength);
    else
        SetAuthorId(nullptr, 0);
    BeginChunk(CHUNK_ENTITY);
    SetAuthorId(saved, savedLength);
    FlushBody();
    EndChunk();
}

void CZNIWFScene::ReadEntity(IWFCHUNK *chunk, IWFPARENTCONTEXT *context)
{
    CZNIWFBodyReader in = ReadBody();
    std::unique_ptr<CZNEntity> entity(new (std::nothrow) CZNEntity);
    if (!entity)
        Throw(ZNERR_OUT_OF_MEMORY);
    const WORD type = in.U16();
    const int index = FindEntityPlugin(type, chunk->AuthorId, chunk->AuthorIdLength);
    CZNEntityPluginTable *plugins = CZNEntityPluginTable::GetLoaded();
    ENTITYPLUGINRECORD *record = plugins ? plugins->GetPlugin(index) : nullptr;
    if (!record)
        return; // no plug-in of this maker: the entity is dropped, the rest loads
    const ENTITYPLUGININFO &info = record->Info;
    const DWORD blockSize = std::max<DWORD>(info.BlockSize, kHeadSize);
    BYTE *block = entity->AllocData(blockSize);
    if (!block)
        Throw(ZNERR_OUT_OF_MEMORY);
    entity->SetDataSize(info.DataSize);
    entity->SetType(index);

    const BYTE nameLength = in.U8();
    const BYTE *name = in.Take(nameLength);
    if (nameLength)
        entity->SetName(std::string(reinterpret_cast<const char *>(name), nameLength).c_str());
    if (in.U32() & 1u)
        entity->m_Flags = 1;

    D3DXMATRIX head;
    in.Bytes(&head, kHeadSize);
    // A fog entity keeps its fog values where the head's last rows would be.
    if (context && context->Matrix && !entity->IsBuiltInKindC())
        D3DXMatrixMultiply(&head, &head, context->Matrix);
    std::memcpy(block, &head, kHeadSize);

    const DWORD length = in.U32();
    CZNIWFBodyReader data(in.Take(length), length);
    const DWORD room = blockSize - kHeadSize;
    if (length > 0 && type == kStringType) {
        // Flag byte, the string of at most 255 bytes, and the remainder from byte 321 on.
        if (blockSize >= kStringBlock) {
            block[kHeadSize] = 1;
            std::memset(block + kHeadSize + 1, 0, kStringField);
            if (data.U8() >= 1) {
                const BYTE stringLength = data.U8();
                data.Bytes(block + kHeadSize + 1, stringLength);
            }
            const DWORD remainder = static_cast<DWORD>(std::min<uint64_t>(data.Left(), blockSize - kStringBlock));
            data.Bytes(block + kStringBlock, remainder);
        }
    } else if (length > 0 && !record->SetReadData) {
        data.Bytes(block + kHeadSize, std::min<DWORD>(length, room));
    } else if (length > 0) {
        std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[length]);
        if (!buffer)
            Throw(ZNERR_OUT_OF_MEMORY);
        data.Bytes(buffer.get(), length);
        record->SetReadData(block, buffer.get(), length);
    }

    if (context) {
        switch (context->ParentId) {
        case CHUNK_GROUP:
            if (!static_cast<CZNGROUP *>(context->Object)->AddChild(entity.get()))
                Throw(ZNERR_OUT_OF_MEMORY);
            break;
        case CHUNK_MESH:
        case CHUNK_DECALMESH:
            break;
        default:
            Throw(ZNERR_IWF_NO_CHUNK); // the entity goes before the code is thrown
        }
    }
    try {
        m_Entities.push_back(entity.get());
    } catch (...) {
        entity->FreeFromParent();
        throw;
    }
    entity.release();
}
