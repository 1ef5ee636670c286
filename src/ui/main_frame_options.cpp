// CZNMainFrame: the options panel's entry points and the placement commands' pages.
#include "platform/os/command_ids.h"
#include "ui/faces_page.h"
#include "ui/main_frame.h"
#include "ui/options_bar.h"
#include "ui/options_sheet.h"

void CZNMainFrame::RebuildSceneTree()
{
    m_OptionsBar->RebuildSceneTree();
    ScheduleCommandUpdate();
}

void CZNMainFrame::RefreshActivePage()
{
    m_OptionsBar->RefreshActivePage();
    ScheduleCommandUpdate();
}

void CZNMainFrame::RefreshMaterialList()
{
    m_OptionsBar->GetSheet()->GetFacesPage()->RefreshMaterialList();
    ScheduleCommandUpdate();
}

void CZNMainFrame::RefreshPrefabs()
{
    m_OptionsBar->RefreshPrefabs();
    ScheduleCommandUpdate();
}

void CZNMainFrame::UpdateSceneTree()
{
    m_OptionsBar->UpdateSceneTree();
    ScheduleCommandUpdate();
}

void CZNMainFrame::SwitchPlacementPage(UINT id)
{
    CZNOptionsSheet *sheet = m_OptionsBar->GetSheet();
    if (id == ZNCMD_PLACE_SELECT) {
        if (m_SavedPage >= 0)
            sheet->SetActivePage(m_SavedPage);
        m_SavedPage = -1;
        return;
    }
    int page = CZNOptionsSheet::PAGE_PRIMITIVES;
    if (id == ZNCMD_PLACE_ENTITY)
        page = CZNOptionsSheet::PAGE_ENTITIES;
    else if (id == ZNCMD_PLACE_OVERLAY)
        page = CZNOptionsSheet::PAGE_OVERLAYS;
    else if (id == ZNCMD_PLACE_PREFAB)
        page = CZNOptionsSheet::PAGE_PREFABS;
    // The page before placement began stays saved while placement commands follow.
    if (m_SavedPage < 0)
        m_SavedPage = sheet->GetActiveIndex();
    sheet->SetActivePage(page);
}
