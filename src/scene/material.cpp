#include "scene/material.h"

#include <atomic>
#include <cstring>

CZNMATERIAL::CZNMATERIAL() : m_Material{}, m_RefCount(0), m_Light{}, m_Texture(nullptr), m_ID(0), m_PreviewRotation(0)
{
    m_Material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    m_Material.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};

    m_Light.Type = D3DLIGHT_DIRECTIONAL;
    m_Light.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    m_Light.Specular = {1.0f, 1.0f, 1.0f, 1.0f};
    m_Light.Ambient = {0.0f, 0.0f, 0.0f, 1.0f};
    m_Light.Direction = {-1.0f, -0.3f, 0.4f};

    std::memset(m_Name, 0, sizeof(m_Name));
    SetName("New Material");
}

void CZNMATERIAL::SetD3DMaterial(const D3DMATERIAL9 *material)
{
    if (material)
        m_Material = *material;
}

void CZNMATERIAL::SetLight(const D3DLIGHT9 *light)
{
    if (light)
        m_Light = *light;
}

void CZNMATERIAL::SetName(const char *name)
{
    if (!name)
        return;
    // memmove: the name may be this record's own buffer.
    size_t length = strnlen(name, sizeof(m_Name) - 1);
    std::memmove(m_Name, name, length);
    m_Name[length] = '\0';
}

// References are counted atomically: a batch conversion's reader takes and drops them on its
// worker thread while the UI thread draws.
LONG CZNMATERIAL::AddReference()
{
    return ++std::atomic_ref<LONG>(m_RefCount);
}

LONG CZNMATERIAL::ReleaseReference()
{
    std::atomic_ref<LONG> count(m_RefCount);
    LONG old = count.load();
    while (old > 0 && !count.compare_exchange_weak(old, old - 1)) {
    }
    if (old <= 0) {
        count.store(0);
        return 0;
    }
    return old - 1;
}

LONG CZNMATERIAL::GetReferenceCount() const
{
    return std::atomic_ref<LONG>(const_cast<LONG &>(m_RefCount)).load();
}
