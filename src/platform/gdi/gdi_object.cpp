#include "platform/gdi/gdi_object.h"

#include <algorithm>

#include "platform/gdi/dc.h"

CZNGdiObject::~CZNGdiObject()
{
    // Contexts still holding this object fall back on their stock object of the same kind.
    std::vector<CZNDC *> holders;
    holders.swap(m_SelectedIn);
    for (CZNDC *dc : holders)
        dc->ObjectDestroyed(this);
}

BOOL CZNGdiObject::DeleteObject()
{
    if (!m_Created || m_Stock || !m_SelectedIn.empty())
        return FALSE;
    FreeResources();
    m_Created = false;
    return TRUE;
}

void CZNGdiObject::AddSelector(CZNDC *dc)
{
    if (!m_Stock)
        m_SelectedIn.push_back(dc);
}

void CZNGdiObject::RemoveSelector(CZNDC *dc)
{
    auto it = std::find(m_SelectedIn.begin(), m_SelectedIn.end(), dc);
    if (it != m_SelectedIn.end())
        m_SelectedIn.erase(it);
}
