// The whole-document save of the IWF scene. It reads the document's lists, so it is the one
// part of the scene file that reaches into the editor layer.
#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "fileio/iwf_scene.h"
#include "render/direct3d.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/entity.h"
#include "scene/overlay.h"

void CZNIWFScene::SaveScene(CZNStreamIO &stream, DWORD flags, CZNImage *thumbnail)
{
    BeginSave(stream);
    if (CZNEDITORDoc *document = GetEditorApp()->GetDocument()) {
        if (flags & IWFSAVE_BRUSHES)
            for (ZNBRUSH *brush = document->GetBrushList(); brush; brush = brush->m_Next)
                m_Brushes.push_back(brush);
        if (flags & IWFSAVE_OVERLAYS)
            for (CZNOverlay *overlay = document->GetOverlayList(); overlay; overlay = overlay->m_Next)
                m_Overlays.push_back(overlay);
        if (flags & IWFSAVE_ENTITIES)
            for (CZNEntity *entity = document->GetEntityList(); entity; entity = entity->m_Next)
                m_Entities.push_back(entity);
    }
    if (flags & IWFSAVE_GROUPS)
        CollectGroups();
    if (flags & IWFSAVE_MATERIALS) {
        // Every material of the shared list, used or not.
        CZNCONTAINER *list = GetEditorApp()->Get3D()->GetMaterialList();
        for (DWORD i = 0; i < list->GetElementCount(); ++i) {
            ZNMATERIALREF ref;
            ref.Material = static_cast<CZNMATERIAL *>(list->GetElement(i));
            ref.Owned = 0;
            ref.Index = i;
            if (ref.Material)
                m_MaterialRefs.push_back(ref);
        }
    }
    if (flags & IWFSAVE_TEXTURES)
        BuildTextureTable();
    m_EditorOptionsPresent = false;
    if (flags & IWFSAVE_EDITOR_OPTIONS)
        GatherEditorOptions();
    m_Thumbnail = (flags & IWFSAVE_THUMBNAIL) ? thumbnail : nullptr;
    m_SaveFlags = flags;
    WriteFile();
    EndSave();
}
