#include "editor/material_faces.h"

#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "scene/brush.h"
#include "scene/face.h"
#include "scene/overlay.h"
#include "scene/selection_entry.h"

int ZnReplaceMaterialTexture(CZNEDITORDoc *doc, LONG material, CZNTexture *texture)
{
    if (!doc)
        return 0;
    int changed = 0;
    for (ZNBRUSH *brush = doc->GetBrushList(); brush; brush = brush->m_Next)
        for (DWORD i = 0; i < brush->GetFaceCount(); ++i) {
            ZNFACE *face = brush->GetFace(i);
            if (!face || face->GetMaterial() != material)
                continue;
            face->SetTexture(texture);
            brush->CalculateWorldTextureCoords(i);
            ++changed;
        }
    for (CZNOverlay *overlay = doc->GetOverlayList(); overlay; overlay = overlay->m_Next)
        for (DWORD i = 0; i < overlay->GetFaceCount(); ++i) {
            ZNFACE *face = overlay->GetFace(i);
            if (!face || face->GetMaterial() != material)
                continue;
            face->SetTexture(texture);
            overlay->CalculateFaceTextureCoords(i);
            ++changed;
        }
    return changed;
}

int ZnSelectMaterialFaces(CZNEDITORDoc *doc, CZNSelectionBand *band, LONG material, ZNEDITMODE mode)
{
    if (!doc || !band)
        return 0;
    band->Clear(1, 1);
    int added = 0;
    auto add = [band, &added](BYTE type, void *object, DWORD face) {
        ZNSELECTIONENTRY entry;
        entry.Type = type;
        entry.Object = reinterpret_cast<uintptr_t>(object);
        entry.Face = face;
        added += band->AddToSelection(&entry, 1, 0);
    };
    if (mode == ZNEDITMODE_FACE) {
        for (ZNBRUSH *brush = doc->GetBrushList(); brush; brush = brush->m_Next)
            for (DWORD i = 0; i < brush->GetFaceCount(); ++i)
                if (const ZNFACE *face = brush->GetFace(i); face && face->GetMaterial() == material)
                    add(ZNSELECT_FACE, brush, i);
    } else if (mode == ZNEDITMODE_OVERLAY) {
        for (CZNOverlay *overlay = doc->GetOverlayList(); overlay; overlay = overlay->m_Next)
            for (DWORD i = 0; i < overlay->GetFaceCount(); ++i)
                if (const ZNFACE *face = overlay->GetFace(i); face && face->GetMaterial() == material)
                    add(ZNSELECT_OVERLAYFACE, overlay, i);
    }
    band->Update();
    return added;
}
