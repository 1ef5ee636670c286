#pragma once

// The Scene page's model of the document: the rows of its object tree, whether an object counts
// as selected, what checking an object's box does to the selection, and renaming. Free functions
// over the document and the application's selection band; the page only shows the rows.
#include <string>
#include <vector>

#include "platform/export.h"

class CZNEDITORDoc;

// The images of the tree's rows.
enum ZNSCENEIMAGE : int {
    ZNSCENEIMG_GROUP = 0, // groups and the root; 1 is their selected image
    ZNSCENEIMG_GROUP_SELECTED = 1,
    ZNSCENEIMG_BRUSH = 2,
    ZNSCENEIMG_ENTITY = 3,
    ZNSCENEIMG_OVERLAY = 4,
    ZNSCENEIMG_HIDDEN_BRUSH = 5,
    ZNSCENEIMG_HIDDEN_ENTITY = 6,
    ZNSCENEIMG_HIDDEN_OVERLAY = 7,
    ZNSCENEIMG_COUNT = 8,
};

// One row: its depth below the root (the root "Scene" is depth 0 with no object), its label (the
// object's name bytes, or "Brush", "Entity", "Overlay", "Group" for an object without a name),
// its image and the object it stands for.
struct ZNSCENETREEROW {
    int Depth = 0;
    std::string Label;
    int Image = ZNSCENEIMG_GROUP;
    void *Object = nullptr;
};

// The root, then the outermost groups in the document's group order, each with its members in
// order (nested groups recursively), then the brushes, entities and overlays of no group in list
// order. Hidden objects of no group get the hidden images; group members always the plain ones.
ZN_API std::vector<ZNSCENETREEROW> CollectSceneTreeRows(const CZNEDITORDoc &document);
// A brush, entity or overlay: its selected flag; a group: any member selected; else false.
ZN_API bool IsSceneObjectSelected(const void *object);
// The user checked (or unchecked) an object's box: in brush edit mode only, the object joins (or
// leaves) the selection; a group's whole outermost group does. Every view is redrawn. False when
// nothing was done (another edit mode, the root, an unknown object).
ZN_API bool CheckSceneObject(CZNEDITORDoc *document, void *object, bool checked);
// Replaces the object's name by a copy of name (an empty name is stored empty); the root (null)
// is refused with false. The document counts as modified; an entity's name is drawn in the
// views, so they are redrawn.
ZN_API bool RenameSceneObject(CZNEDITORDoc *document, void *object, const std::string &name);
