// Selecting in the 3D view: a Shift-press adds what the view's pick ray hits first, a Ctrl-press
// takes it out again, each as the edit mode names it.
#include "app/editor_app.h"
#include "editor/band_entry_objects.h"
#include "editor/doc_shell.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "platform/os/input.h"
#include "render/view/3d_view.h"

bool CZNSelectionBand::PickSelect3D(int x, int y, UINT flags, CZN3DView *view)
{
    if (!view)
        return false;
    const ZNEDITMODE mode = GetEditorApp()->GetEditMode();
    DWORD face = 0;
    void *object = view->PickObject(x, y, mode == ZNEDITMODE_OVERLAY ? 1 : 0, &face);
    if (!object)
        return false;
    const auto word = reinterpret_cast<uintptr_t>(object);
    // The entry a Shift-press adds, and the item with its type byte that a Ctrl-press removes.
    ZNSELECTIONENTRY entry;
    void *item = nullptr;
    BYTE itemType = 0;
    if (mode == ZNEDITMODE_BRUSH && (BandBrushOf(word) || BandEntityOf(word))) {
        itemType = GetObjectType(object);
        entry.Type = MapObjectTypeToCategory(itemType);
        item = object;
    } else if (mode == ZNEDITMODE_FACE && BandBrushOf(word)) {
        entry.Type = ZNSELECT_FACE;
        entry.Face = face;
        item = BandBrushOf(word)->GetFace(face);
        itemType = ZNOBJECT_FACE;
    } else if (mode == ZNEDITMODE_OVERLAY && BandOverlayOf(word)) {
        entry.Type = ZNSELECT_OVERLAYFACE;
        entry.Face = face;
        item = BandOverlayOf(word)->GetFace(face);
        itemType = ZNOBJECT_OVERLAYFACE;
    }
    if (!item)
        return true;
    entry.Object = word;
    // With both keys held the press adds, as a 2D Ctrl-click deselects only without Shift.
    if (flags & MK_SHIFT)
        AddToSelection(&entry, 1, 0);
    else
        RemoveObject(item, itemType);
    RedrawViews();
    if (IZNDocShell *shell = CZNEDITORDoc::GetCurrentShell()) {
        shell->RefreshActivePage();
        shell->UpdateSceneTree();
    }
    return true;
}
