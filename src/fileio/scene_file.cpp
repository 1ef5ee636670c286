#include "fileio/scene_file.h"

#include "scene/brush.h"
#include "scene/group.h"
#include "scene/material.h"

CZNSceneFile::CZNSceneFile() : m_EditorOptionsPresent(false) {}

CZNSceneFile::~CZNSceneFile()
{
    FreeLists();
}

bool CZNSceneFile::LoadThumbnail(CZNStreamIO &, CZNImage *)
{
    return false;
}

void CZNSceneFile::SaveObjects(CZNStreamIO &, const std::vector<ZNSELECTIONENTRY> &, DWORD, CZNImage *) {}

void CZNSceneFile::SaveScene(CZNStreamIO &, DWORD, CZNImage *) {}

void CZNSceneFile::FreeLists()
{
    std::vector<CZNGROUP *>().swap(m_Groups);
    std::vector<ZNBRUSH *>().swap(m_Brushes);
    std::vector<CZNOverlay *>().swap(m_Overlays);
    std::vector<CZNEntity *>().swap(m_Entities);
    std::vector<ZNMATERIALREF>().swap(m_MaterialRefs);
    std::vector<ZNTEXTUREREF>().swap(m_TextureRefs);
}

void CZNSceneFile::DeleteListedBrushes()
{
    for (ZNBRUSH *brush : m_Brushes) {
        if (!brush)
            continue;
        // A group that is kept must not point at a deleted member.
        if (CZNGROUP *parent = brush->GetParent())
            parent->RemoveChild(brush);
        delete brush;
    }
    m_Brushes.clear();
}

void CZNSceneFile::DeleteMaterialRefs()
{
    for (ZNMATERIALREF &ref : m_MaterialRefs)
        if (ref.Owned)
            delete ref.Material;
    m_MaterialRefs.clear();
}
