#include "ui/page_undo_step.h"

#include "app/editor_app.h"
#include "editor/undo_level.h"

void ZnPageUndoStep(DWORD kind, const char *text, const std::function<void(CZNSelectionBand *)> &change)
{
    CZNEDITORApp *app = GetEditorApp();
    CZNUndoLevel level(app->GetDocument(), text);
    level.RecordSelection(kind, 0);
    change(app->GetSelectionBand());
    level.Commit();
}
