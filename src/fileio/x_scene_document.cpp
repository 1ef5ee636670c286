// The whole-document export of the .X scene. It reads the document's brush list, so it is the
// one part of the .X scene that reaches into the editor layer.
#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "fileio/x_scene.h"
#include "render/direct3d.h"
#include "scene/brush.h"
#include "scene/container.h"

void CZNXScene::ExportScene(const char *path, DWORD flags)
{
    FreeLists();
    m_ExportFlags = flags;
    if (CZNEDITORDoc *document = GetEditorApp()->GetDocument()) {
        if (flags & XEXPORT_BRUSHES)
            for (ZNBRUSH *brush = document->GetBrushList(); brush; brush = brush->m_Next)
                m_Brushes.push_back(brush);
        // The document lists no overlays or entities yet.
    }
    if (flags & XEXPORT_MATERIALS) {
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
    if (flags & XEXPORT_TEXTURES)
        BuildTextureTable();
    WriteMesh(path);
}
