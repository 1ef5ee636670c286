#include "editor/scene_tree.h"

#include <cstring>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/entity.h"
#include "scene/group.h"
#include "scene/object_type.h"
#include "scene/overlay.h"
#include "scene/selection_entry.h"

namespace
{

const char *LabelOf(const char *name, const char *fallback)
{
    return name ? name : fallback;
}

void AddGroupRows(std::vector<ZNSCENETREEROW> &rows, CZNGROUP *group, int depth)
{
    rows.push_back({depth, LabelOf(group->GetName(), "Group"), ZNSCENEIMG_GROUP, group});
    for (DWORD i = 0; i < group->GetChildCount(); ++i) {
        void *child = group->GetChild(i);
        if (!child)
            continue;
        switch (GetObjectType(child)) {
        case ZNOBJECT_BRUSH:
            rows.push_back(
                {depth + 1, LabelOf(static_cast<ZNBRUSH *>(child)->m_Name, "Brush"), ZNSCENEIMG_BRUSH, child});
            break;
        case ZNOBJECT_ENTITY:
            rows.push_back(
                {depth + 1, LabelOf(static_cast<CZNEntity *>(child)->GetName(), "Entity"), ZNSCENEIMG_ENTITY, child});
            break;
        case ZNOBJECT_OVERLAY:
            rows.push_back(
                {depth + 1, LabelOf(static_cast<CZNOverlay *>(child)->m_Name, "Overlay"), ZNSCENEIMG_OVERLAY, child});
            break;
        case ZNOBJECT_GROUP:
            AddGroupRows(rows, static_cast<CZNGROUP *>(child), depth + 1);
            break;
        default:
            break;
        }
    }
}

char *HeapCopy(const std::string &text)
{
    char *copy = new char[text.size() + 1];
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

} // namespace

std::vector<ZNSCENETREEROW> CollectSceneTreeRows(const CZNEDITORDoc &document)
{
    std::vector<ZNSCENETREEROW> rows;
    rows.push_back({0, "Scene", ZNSCENEIMG_GROUP, nullptr});
    CZNCONTAINER groups;
    document.CollectGroups(&groups);
    for (DWORD i = 0; i < groups.GetElementCount(); ++i)
        if (auto *group = static_cast<CZNGROUP *>(groups.GetElement(i)))
            AddGroupRows(rows, group, 1);
    for (ZNBRUSH *b = document.GetBrushList(); b; b = b->m_Next)
        if (!b->GetParent())
            rows.push_back({1, LabelOf(b->m_Name, "Brush"),
                            (b->m_Flags & ZNBRUSH_HIDDEN) ? ZNSCENEIMG_HIDDEN_BRUSH : ZNSCENEIMG_BRUSH, b});
    for (CZNEntity *e = document.GetEntityList(); e; e = e->m_Next)
        if (!e->GetGroup())
            rows.push_back(
                {1, LabelOf(e->GetName(), "Entity"), e->IsHidden() ? ZNSCENEIMG_HIDDEN_ENTITY : ZNSCENEIMG_ENTITY, e});
    for (CZNOverlay *o = document.GetOverlayList(); o; o = o->m_Next)
        if (!o->GetGroup())
            rows.push_back(
                {1, LabelOf(o->m_Name, "Overlay"), o->IsHidden() ? ZNSCENEIMG_HIDDEN_OVERLAY : ZNSCENEIMG_OVERLAY, o});
    return rows;
}

bool IsSceneObjectSelected(const void *object)
{
    if (!object)
        return false;
    switch (GetObjectType(object)) {
    case ZNOBJECT_BRUSH:
        return static_cast<const ZNBRUSH *>(object)->IsBrushSelected() != 0;
    case ZNOBJECT_GROUP:
        return static_cast<const CZNGROUP *>(object)->IsSelected() != 0;
    case ZNOBJECT_ENTITY:
        return static_cast<const CZNEntity *>(object)->IsSelected();
    case ZNOBJECT_OVERLAY:
        return static_cast<const CZNOverlay *>(object)->IsSelected() != 0;
    default:
        return false;
    }
}

bool CheckSceneObject(CZNEDITORDoc *document, void *object, bool checked)
{
    CZNEDITORApp *app = GetEditorApp();
    if (!object || app->GetEditMode() != ZNEDITMODE_BRUSH)
        return false;
    CZNSelectionBand *band = app->GetSelectionBand();
    const BYTE type = GetObjectType(object);
    BYTE category = 0;
    switch (type) {
    case ZNOBJECT_BRUSH:
        category = ZNSELECT_BRUSH;
        break;
    case ZNOBJECT_ENTITY:
        category = ZNSELECT_ENTITY;
        break;
    case ZNOBJECT_OVERLAY:
        category = ZNSELECT_OVERLAY;
        break;
    case ZNOBJECT_GROUP:
        break;
    default:
        return false;
    }
    bool reset = !checked;
    if (type == ZNOBJECT_GROUP) {
        CZNGROUP *root = static_cast<CZNGROUP *>(object)->GetRootGroup();
        if (checked)
            band->SelectGroupMembers(root);
        else
            band->RemoveGroupMembers(root);
        reset = true;
    } else if (checked) {
        ZNSELECTIONENTRY entry;
        entry.Type = category;
        entry.Object = reinterpret_cast<uintptr_t>(object);
        band->AddToSelection(&entry, 1, 0);
    } else {
        band->RemoveObject(object, type);
    }
    if (reset)
        band->ResetPivotAndOrigin();
    if (document)
        document->RedrawAllViews(nullptr, 0);
    return true;
}

bool RenameSceneObject(CZNEDITORDoc *document, void *object, const std::string &name)
{
    if (!object)
        return false;
    switch (GetObjectType(object)) {
    case ZNOBJECT_BRUSH: {
        auto *brush = static_cast<ZNBRUSH *>(object);
        delete[] brush->m_Name;
        brush->m_Name = HeapCopy(name);
        break;
    }
    case ZNOBJECT_GROUP:
        static_cast<CZNGROUP *>(object)->SetName(HeapCopy(name));
        break;
    case ZNOBJECT_ENTITY:
        static_cast<CZNEntity *>(object)->SetName(name.c_str());
        if (document)
            document->RedrawAllViews(nullptr, 0);
        break;
    case ZNOBJECT_OVERLAY: {
        auto *overlay = static_cast<CZNOverlay *>(object);
        delete[] overlay->m_Name;
        overlay->m_Name = HeapCopy(name);
        break;
    }
    default:
        return false;
    }
    // The name is saved with the scene: closing asks to save it.
    if (document)
        document->SetModifiedFlag(TRUE);
    return true;
}
