// CZNSelectionBand: grouping, ungrouping and deleting the selected objects.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "app/editor_app.h"
#include "editor/doc_shell.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_level.h"
#include "editor/undo_record.h"
#include "platform/os/reporter.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/entity.h"
#include "scene/group.h"
#include "scene/object_type.h"
#include "scene/overlay.h"

namespace
{

constexpr const char *kCaption = "TOVRA";
constexpr const char *kCameraInGroup = "Error: Can Not Group whilst Camera is in Current Selection";

// The group an object belongs to directly; null for ungrouped objects and other kinds (a
// group's own parent is not asked for here).
CZNGROUP *ParentOf(void *object)
{
    if (!object || GetObjectType(object) == ZNOBJECT_GROUP)
        return nullptr;
    return CZNGROUP::GetChildParent(object);
}

CZNGROUP *RootOf(void *object)
{
    CZNGROUP *parent = ParentOf(object);
    return parent ? parent->GetRootGroup() : nullptr;
}

bool Groupable(void *object)
{
    const BYTE type = object ? GetObjectType(object) : 0;
    return type == ZNOBJECT_BRUSH || type == ZNOBJECT_ENTITY || type == ZNOBJECT_OVERLAY;
}

// What a new group over the objects would hold: each object's outermost group, or the object,
// once each, in object order.
std::vector<void *> GroupChildren(CZNCONTAINER *objects)
{
    std::vector<void *> children;
    for (DWORD i = 0; objects && i < objects->GetElementCount(); ++i) {
        void *object = objects->GetElement(i);
        if (!Groupable(object))
            continue;
        CZNGROUP *root = RootOf(object);
        void *child = root ? static_cast<void *>(root) : object;
        if (std::find(children.begin(), children.end(), child) == children.end())
            children.push_back(child);
    }
    return children;
}

// The distinct outermost groups of the objects, in object order.
std::vector<CZNGROUP *> OuterGroups(CZNCONTAINER *objects)
{
    std::vector<CZNGROUP *> roots;
    for (DWORD i = 0; objects && i < objects->GetElementCount(); ++i)
        if (CZNGROUP *root = RootOf(objects->GetElement(i)))
            if (std::find(roots.begin(), roots.end(), root) == roots.end())
                roots.push_back(root);
    return roots;
}

CZNEDITORDoc *Document()
{
    return GetEditorApp()->GetDocument();
}

bool CameraSelected()
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    return d3d && d3d->GetCamera()->IsSelected();
}

} // namespace

int CZNSelectionBand::GroupObjects(CZNCONTAINER *objects)
{
    const std::vector<void *> children = GroupChildren(objects);
    // Objects already sharing one outermost group, or a single object, make no group.
    if (children.size() < 2)
        return 0;
    auto *group = new (std::nothrow) CZNGROUP;
    if (!group)
        return 0;
    for (void *child : children)
        group->AddChild(child);
    if (group->GetChildCount() < 2) {
        group->Clear();
        delete group;
        return 0;
    }
    char name[32];
    CZNEDITORDoc *doc = Document();
    for (int number = 1;; ++number) {
        std::snprintf(name, sizeof(name), "Group%02i", number);
        if (!doc || !doc->FindObjectByName(name))
            break;
    }
    char *copy = new (std::nothrow) char[std::strlen(name) + 1];
    if (copy) {
        std::strcpy(copy, name);
        group->SetName(copy);
    }
    return 1;
}

int CZNSelectionBand::UngroupObjects(CZNCONTAINER *objects)
{
    for (CZNGROUP *root : OuterGroups(objects)) {
        // Nested groups lose their parent and become outermost themselves.
        root->Clear();
        delete root;
    }
    return 1;
}

int CZNSelectionBand::GroupSelection()
{
    if (m_Entries.size() < 2 || m_BandMode != ZNBAND_OBJECTS)
        return 0;
    if (CameraSelected()) {
        GetEditorApp()->GetReporter()->Message(kCameraInGroup, kCaption, MB_OK);
        return 0;
    }
    CZNCONTAINER objects;
    if (!AddSelectedToContainer(&objects))
        return 0;
    // Only a selection that will be grouped writes its level: regrouping a shared group is no
    // edit.
    if (GroupChildren(&objects).size() < 2)
        return 0;
    CZNEDITORDoc *doc = Document();
    CZNUndoLevel level(doc, "Group Objects");
    if (level.RecordSelection(ZNUNDO_GROUP, 0))
        doc->SetModifiedFlag(TRUE);
    const int grouped = GroupObjects(&objects);
    level.Commit();
    return grouped;
}

int CZNSelectionBand::UngroupSelection()
{
    if (m_Entries.size() < 2 || m_BandMode != ZNBAND_OBJECTS)
        return 0;
    CZNCONTAINER objects;
    if (!AddSelectedToContainer(&objects))
        return 0;
    CZNEDITORDoc *doc = Document();
    // One record per group, each naming the group's selected members, so that undo builds
    // every group again on its own.
    CZNUndoLevel level(doc, "Ungroup Objects");
    for (CZNGROUP *root : OuterGroups(&objects)) {
        std::vector<ZNSELECTIONENTRY> members;
        for (const ZNSELECTIONENTRY &e : m_Entries)
            if (e.Type != ZNSELECT_CAMERA && RootOf(reinterpret_cast<void *>(e.Object)) == root)
                members.push_back(e);
        level.Record(ZNUNDO_UNGROUP, members, 0);
    }
    if (level.IsBegun())
        doc->SetModifiedFlag(TRUE);
    UngroupObjects(&objects);
    level.Commit();
    return 1;
}

int CZNSelectionBand::DeleteSelected()
{
    if (m_Entries.empty() || m_BandMode != ZNBAND_OBJECTS)
        return 0;
    CZNEDITORDoc *doc = Document();
    const std::vector<ZNSELECTIONENTRY> entries = m_Entries;
    for (const ZNSELECTIONENTRY &e : entries) {
        void *object = reinterpret_cast<void *>(e.Object);
        if (!object)
            continue;
        switch (GetObjectType(object)) {
        case ZNOBJECT_BRUSH:
            if (doc)
                doc->DeleteBrush(static_cast<ZNBRUSH *>(object));
            break;
        case ZNOBJECT_OVERLAY:
            if (doc)
                doc->DeleteOverlay(static_cast<CZNOverlay *>(object));
            break;
        case ZNOBJECT_ENTITY:
            if (doc)
                doc->DeleteEntity(static_cast<CZNEntity *>(object));
            break;
        case ZNOBJECT_CAMERA: {
            // The camera stays in the scene; it leaves the selection with the rest.
            auto *camera = static_cast<CZNCAMERA *>(object);
            camera->Select(0);
            camera->ClearCache();
            break;
        }
        default:
            break;
        }
    }
    Clear(0, 0);
    if (doc)
        doc->RefillEntityContainers();
    if (IZNDocShell *shell = CZNEDITORDoc::GetCurrentShell())
        shell->RefreshActivePage();
    return 1;
}
