// CZNMainFrame: the commands on the selected objects: Delete, the CSG commands and grouping,
// with their update rules.
#include <QAction>

#include <cstdio>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
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
    case 32788:
        return " CSG ERROR:\n An Error occurred during the Carve Operation and the results may not be as expected.\n"
               "This could be due to Insufficient Memory or Illegal Geometry in one or more Brushes";
    case 32789:
        return " CSG ERROR:\n An Error occurred during the Union Operation and the results may not be as expected.\n"
               "This could be due to Insufficient Memory or Illegal Geometry in one or more Brushes";
    case 32790:
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
    case 32784: {
        if (reporter->Message(kDeleteQuestion, kCaption, MB_YESNO) != IDYES)
            return true;
        std::vector<ZNSELECTIONENTRY> entries;
        band->GetEntries(entries);
        if (m_Document && m_Document->CreateUndoLevel(ZNUNDO_REMOVE, 0, 1))
            m_Document->SetUndoDescription("Delete Objects");
        else if (!entries.empty())
            std::fprintf(stderr, "Delete Objects: no undo level could be written; the objects were deleted.\n");
        band->DeleteSelected();
        if (m_Document) {
            m_Document->RedrawAllViews(nullptr, 0);
            RebuildSceneTree();
            m_Document->TrimUndoBuffer();
        }
        return true;
    }
    case 32788:
    case 32789:
    case 32790:
    case 32793: {
        int result = 1;
        if (id == 32788)
            result = app->Options().m_CarveMode ? band->CarveSplit(nullptr) : band->CarveInPlace(nullptr);
        else if (id == 32793)
            result = band->Hollow();
        else
            result = band->UnionOrIntersect(id == 32789 ? 1 : 0);
        if (!result)
            reporter->Message(CsgFailure(id), kCaption, MB_ICONERROR);
        if (id != 32793)
            RebuildSceneTree();
        return true;
    }
    case 32795:
    case 32796:
        if (id == 32795)
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
    for (UINT id : {32784u, 32788u, 32789u, 32790u, 32793u})
        m_Actions[id]->setEnabled(objects);
    for (UINT id : {32795u, 32796u})
        m_Actions[id]->setEnabled(objects && !camera);
}
