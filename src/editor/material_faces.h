#pragma once

// The faces of the document that use one record of the wrapper's material list: the brush faces
// and the overlays' generated faces whose material index is that record's. The material workshop
// gives them one texture and selects them. Null documents and bands do nothing.
#include "app/editor_app.h"
#include "platform/export.h"
#include "platform/os/win_types.h"

class CZNEDITORDoc;
class CZNSelectionBand;
class CZNTexture;

// Gives every such face the texture (null: none) and maps it again, brush faces by their brush's
// world mapping, overlay faces by their overlay's. No undo level. Returns how many faces changed.
ZN_API int ZnReplaceMaterialTexture(CZNEDITORDoc *doc, LONG material, CZNTexture *texture);

// Clears the band (deselecting, panel refreshed) and appends the material's brush faces in face
// edit mode or its overlay faces in overlay edit mode; other modes select nothing. Ends with the
// band's Update. Returns how many entries were added.
ZN_API int ZnSelectMaterialFaces(CZNEDITORDoc *doc, CZNSelectionBand *band, LONG material, ZNEDITMODE mode);
