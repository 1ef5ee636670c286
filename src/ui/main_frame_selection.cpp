// CZNMainFrame: the commands on the selected objects: Delete, the CSG commands and grouping,
// with their update rules.
#include <QAction>

#include <cstdio>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_level.h"
#include "editor/undo_record.h"
#include "platform/os/command_ids.h"
#include "platform/os/reporter.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "ui/main_frame.h"

namespace
{

constexpr const char *kCaption = "TOVRA";
constexpr const char *kDeleteQuestion =
    " This will permenantly REMOVE the selected brushes from the scene.\n Are you sure you wish to continue";

// The message of a CSG command that failed, by command id.
const char *CsgFailure(UINT id)
{
    switch (id) {
    case ZNCMD_CSG_CARVE:
        return " CSG ERROR:\n An Error occurred during the Carve Operation and the results may not be as expected.\n"
               "This could be due to Insufficient Memory or Illegal Geometry in one or more Brushes";
    case ZNCMD_CSG_UNION:
        return " CSG ERROR:\n An Error occurred during the Union Operation and the results may not be as expected.\n"
               "This could be due to Insufficient Memory or Illegal Geometry in one or more Brushes";
    case ZNCMD_CSG_INTERSECTION:
        return " CSG ERROR:\n An Error occurred during the Intersection Operation and the results may not be as "
               "expected.\nThis could be due to Insufficient Memory or Illegal Geometry in one or more Brushes";
    default:
        return " HOLLOW ERROR:\n An Error occurred during the Hollow Operation. One or more brushes could not be "
               "Hollowed.\nThis could be due to Insufficient Memory, A Brush already having been Hollowed or "
               "Illegal Geometry in one or more Brushes";
    }
}

} // namespace

bool CZNMainFrame::RunSelectionCommand(UINT id)
{
    CZNEDITORApp *app = GetEditorApp();
    CZNSelectionBand *band = app->GetSelectionBand();
    IZNReporter *reporter = app->GetReporter();
    switch (id) {
    case ZNCMD_EDIT_DELETE: {
        if (reporter->Message(kDeleteQuestion, kCaption, MB_YESNO) != IDYES)
            return true;
        std::vector<ZNSELECTIONENTRY> entries;
        band->GetEntries(entries);
        CZNUndoLevel level(m_Document, "Delete Objects");
        if (!level.RecordSelection(ZNUNDO_REMOVE, 1) && m_Document && !entries.empty())
            std::fprintf(stderr, "Delete Objects: no undo level could be written; the objects were deleted.\n");
        band->DeleteSelected();
        level.Commit();
        if (m_Document)
            RebuildSceneTree();
        return true;
    }
    case ZNCMD_CSG_CARVE:
    case ZNCMD_CSG_UNION:
    case ZNCMD_CSG_INTERSECTION:
    case ZNCMD_CSG_HOLLOW: {
        int result = 1;
        if (id == ZNCMD_CSG_CARVE)
            result = app->Options().m_CarveMode ? band->CarveSplit(nullptr) : band->CarveInPlace(nullptr);
        else if (id == ZNCMD_CSG_HOLLOW)
            result = band->Hollow();
        else
            result = band->UnionOrIntersect(id == ZNCMD_CSG_UNION ? 1 : 0);
        if (!result)
            reporter->Message(CsgFailure(id), kCaption, MB_ICONERROR);
        if (id != ZNCMD_CSG_HOLLOW)
            RebuildSceneTree();
        return true;
    }
    case ZNCMD_GROUP_SELECTED:
    case ZNCMD_UNGROUP_SELECTED:
        if (id == ZNCMD_GROUP_SELECTED)
            band->GroupSelection();
        else
            band->UngroupSelection();
        RebuildSceneTree();
        return true;
    default:
        return false;
    }
}

void CZNMainFrame::UpdateSelectionCommandUI()
{
    CZNEDITORApp *app = GetEditorApp();
    const bool objects = app->GetSelectionBand()->GetBandMode() == ZNBAND_OBJECTS;
    const bool camera = app->Get3D()->GetCamera()->IsSelected() != 0;
    for (UINT id : {ZNCMD_EDIT_DELETE, ZNCMD_CSG_CARVE, ZNCMD_CSG_UNION, ZNCMD_CSG_INTERSECTION, ZNCMD_CSG_HOLLOW})
        m_Actions[id]->setEnabled(objects);
    for (UINT id : {ZNCMD_GROUP_SELECTED, ZNCMD_UNGROUP_SELECTED})
        m_Actions[id]->setEnabled(objects && !camera);
}
