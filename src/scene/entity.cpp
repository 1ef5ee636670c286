#include "scene/entity.h"

#include <cstring>
#include <new>

#include "scene/object_type.h"

CZNEntity::CZNEntity()
    : m_ObjectType(ZNOBJECT_ENTITY), m_Next(nullptr), m_Flags(0), m_Type(-1), m_DataSize(0), m_Data(nullptr),
      m_Group(nullptr), m_SavedHead(nullptr), m_Selected(0), m_LightIndex(-1), m_Name(nullptr)
{
}

CZNEntity::~CZNEntity()
{
    if (m_Data) {
        // The block leaves the plug-in's working blocks first, so no call of it sees it freed.
        LeavePluginContainer();
        NotifyPluginDestroy();
    }
    ApplyLight(0);
    delete[] m_Data;
    delete[] m_SavedHead;
    delete[] m_Name;
}

BYTE *CZNEntity::AllocData(DWORD size)
{
    BYTE *block = new (std::nothrow) BYTE[size == 0 ? 1 : size]();
    if (!block)
        return nullptr;
    if (m_Data)
        LeavePluginContainer();
    delete[] m_Data;
    m_Data = block;
    m_BlockSize = size;
    return block;
}

void CZNEntity::FreeData()
{
    if (m_Data)
        LeavePluginContainer();
    delete[] m_Data;
    m_Data = nullptr;
    m_BlockSize = 0;
}

void CZNEntity::GetPosition(D3DXVECTOR3 *position) const
{
    if (!position)
        return;
    if (!m_Data || m_BlockSize < 64) {
        *position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        return;
    }
    std::memcpy(position, m_Data + 48, sizeof(D3DXVECTOR3));
}

void CZNEntity::SetName(const char *name)
{
    delete[] m_Name;
    m_Name = nullptr;
    if (!name)
        return;
    const size_t length = std::strlen(name);
    m_Name = new char[length + 1];
    std::memcpy(m_Name, name, length + 1);
}
