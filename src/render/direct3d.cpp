#include "render/direct3d.h"

#include <new>

#include "scene/material.h"

CZN3D::CZN3D() : m_BuiltInMaterialCount(0) {}

CZN3D::~CZN3D()
{
    m_BuiltInMaterialCount = 0;
    TrimMaterialList();
}

int CZN3D::AddMaterial()
{
    CZNMATERIAL *material = new (std::nothrow) CZNMATERIAL;
    if (!material)
        return -1;
    DWORD count = m_MaterialList.GetElementCount();
    if (m_MaterialList.AddElement(material) != count + 1) {
        delete material;
        return -1;
    }
    return static_cast<int>(count);
}

CZNMATERIAL *CZN3D::GetMaterialRecord(DWORD index) const
{
    return static_cast<CZNMATERIAL *>(m_MaterialList.GetElement(index));
}

DWORD CZN3D::TrimMaterialList()
{
    DWORD count = m_MaterialList.GetElementCount();
    if (count <= m_BuiltInMaterialCount)
        return count;
    for (DWORD i = m_BuiltInMaterialCount; i < count; ++i)
        delete GetMaterialRecord(i);
    // Keep the built-in records in their places and drop the rest.
    CZNCONTAINER kept;
    for (DWORD i = 0; i < m_BuiltInMaterialCount; ++i)
        kept.AddElement(m_MaterialList.GetElement(i));
    m_MaterialList.EmptyContainer();
    for (DWORD i = 0; i < kept.GetElementCount(); ++i)
        m_MaterialList.AddElement(kept.GetElement(i));
    return m_MaterialList.GetElementCount();
}
