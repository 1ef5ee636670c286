#include "editor/editor_doc.h"

#include <algorithm>

#include <strings.h>

#include <new>
#include <vector>

#include "app/editor_app.h"
#include "editor/object_list.h"
#include "editor/selection_band.h"
#include "editor/undo_level.h"
#include "editor/undo_record.h"
#include "render/direct3d.h"
#include "render/view/view.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/entity.h"
#include "scene/group.h"
#include "scene/object_type.h"
#include "scene/overlay.h"

namespace
{

constexpr BYTE kBrushCategory = 1;
constexpr BYTE kEntityCategory = 2;
constexpr BYTE kOverlayCategory = 5;

bool NameIs(const char *objectName, const char *name)
{
    return objectName && strcasecmp(objectName, name) == 0;
}

} // namespace

BYTE MapObjectTypeToCategory(BYTE objectType)
{
    switch (objectType) {
    case 1:
        return 1;
    case 4:
        return 2;
    case 3:
        return 3;
    case 9:
        return 4;
    case 6:
        return 5;
    case 8:
        return 6;
    case 5:
        return 7;
    case 2:
        return 8;
    default:
        return 0;
    }
}

CZNEDITORDoc::CZNEDITORDoc() : m_BrushList(nullptr), m_Modified(FALSE)
{
    GetEditorApp()->SetDocument(this);
}

CZNEDITORDoc::~CZNEDITORDoc()
{
    // The band must not keep naming objects about to go.
    GetEditorApp()->GetSelectionBand()->DropDragLevel(this);
    if (GetEditorApp()->GetDocument() == this)
        GetEditorApp()->GetSelectionBand()->Clear(0, 0);
    FreePickLists();
    DeleteAllBrushes();
    DeleteAllEntities();
    FreeUndoList();
    DeleteAllOverlays();
    if (GetEditorApp()->GetDocument() == this)
        GetEditorApp()->SetDocument(nullptr);
}

IZNDocShell *CZNEDITORDoc::GetCurrentShell()
{
    const CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    return document ? document->m_Shell : nullptr;
}

ZNBRUSH *CZNEDITORDoc::NewBrush()
{
    ZNBRUSH *brush = new (std::nothrow) ZNBRUSH;
    if (brush)
        AppendBrush(brush);
    return brush;
}

void CZNEDITORDoc::AppendBrush(ZNBRUSH *brush)
{
    if (!brush || m_BrushIndex.count(brush))
        return; // linking a listed brush again would close the list into a ring
    InsertBrushAt(brush, static_cast<DWORD>(m_Brushes.size()));
    SetModifiedFlag(TRUE);
}

void CZNEDITORDoc::InsertBrushAt(ZNBRUSH *brush, DWORD index)
{
    if (index > m_Brushes.size())
        index = static_cast<DWORD>(m_Brushes.size());
    brush->m_Next = index < m_Brushes.size() ? m_Brushes[index] : nullptr;
    if (index > 0)
        m_Brushes[index - 1]->m_Next = brush;
    else
        m_BrushList = brush;
    m_Brushes.insert(m_Brushes.begin() + index, brush);
    for (DWORD i = index; i < m_Brushes.size(); ++i)
        m_BrushIndex[m_Brushes[i]] = i;
}

ZNBRUSH *CZNEDITORDoc::GetLastBrush() const
{
    return m_Brushes.empty() ? nullptr : m_Brushes.back();
}

int CZNEDITORDoc::DeleteBrush(ZNBRUSH *brush)
{
    if (GetObjectIndex(kBrushCategory, brush) < 0)
        return 0;
    brush->FreeFromParent();
    Unlink(brush);
    delete brush;
    SetModifiedFlag(TRUE);
    return 1;
}

namespace
{

template <typename T> int IndexInList(T *list, const void *object)
{
    int index = 0;
    for (T *o = list; o; o = o->m_Next, ++index)
        if (o == object)
            return index;
    return -1;
}

template <typename T> T *AtIndex(T *list, DWORD index)
{
    T *o = list;
    for (DWORD i = 0; o && i < index; ++i)
        o = o->m_Next;
    return o;
}

} // namespace

int CZNEDITORDoc::GetObjectIndex(BYTE category, void *object) const
{
    if (!object)
        return -1;
    if (category == kBrushCategory) {
        const auto it = m_BrushIndex.find(object);
        return it == m_BrushIndex.end() ? -1 : static_cast<int>(it->second);
    }
    if (category == kEntityCategory)
        return IndexInList(m_EntityList, object);
    if (category == kOverlayCategory)
        return IndexInList(m_OverlayList, object);
    return -1;
}

void *CZNEDITORDoc::GetObjectByIndex(BYTE category, DWORD index) const
{
    if (category == kBrushCategory)
        return index < m_Brushes.size() ? m_Brushes[index] : nullptr;
    if (category == kEntityCategory)
        return AtIndex(m_EntityList, index);
    if (category == kOverlayCategory)
        return AtIndex(m_OverlayList, index);
    return nullptr;
}

CZNOverlay *CZNEDITORDoc::NewOverlay(const D3DXVECTOR3 &point)
{
    CZNOverlay *overlay = new (std::nothrow) CZNOverlay(&point);
    if (overlay)
        AppendOverlay(overlay);
    return overlay;
}

void CZNEDITORDoc::AppendOverlay(CZNOverlay *overlay)
{
    if (overlay && ZnAppendToList(m_OverlayList, overlay))
        SetModifiedFlag(TRUE);
}

CZNOverlay *CZNEDITORDoc::GetLastOverlay() const
{
    return ZnLastInList(m_OverlayList);
}

int CZNEDITORDoc::DeleteOverlay(CZNOverlay *overlay)
{
    if (GetObjectIndex(kOverlayCategory, overlay) < 0)
        return 0;
    overlay->FreeFromParent();
    Unlink(overlay);
    delete overlay;
    SetModifiedFlag(TRUE);
    return 1;
}

void CZNEDITORDoc::Unlink(CZNOverlay *overlay)
{
    ZnUnlinkFromList(m_OverlayList, overlay);
}

void CZNEDITORDoc::DeleteAllOverlays()
{
    while (m_OverlayList) {
        CZNOverlay *o = m_OverlayList;
        m_OverlayList = o->m_Next;
        o->FreeFromParent();
        delete o;
    }
}

void CZNEDITORDoc::RebuildDirtyOverlays()
{
    for (CZNOverlay *overlay = m_OverlayList; overlay; overlay = overlay->m_Next)
        if (overlay->IsDirty())
            overlay->Rebuild();
}

void *CZNEDITORDoc::FindObjectByName(const char *name) const
{
    if (!name)
        return nullptr;
    for (ZNBRUSH *b = m_BrushList; b; b = b->m_Next)
        for (CZNGROUP *g = b->GetParent(); g; g = g->GetParent())
            if (NameIs(g->GetName(), name))
                return g;
    for (CZNOverlay *o = m_OverlayList; o; o = o->m_Next)
        for (CZNGROUP *g = o->GetGroup(); g; g = g->GetParent())
            if (NameIs(g->GetName(), name))
                return g;
    for (CZNEntity *e = m_EntityList; e; e = e->m_Next)
        for (CZNGROUP *g = e->GetGroup(); g; g = g->GetParent())
            if (NameIs(g->GetName(), name))
                return g;
    for (ZNBRUSH *b = m_BrushList; b; b = b->m_Next)
        if (NameIs(b->m_Name, name))
            return b;
    for (CZNOverlay *o = m_OverlayList; o; o = o->m_Next)
        if (NameIs(o->m_Name, name))
            return o;
    for (CZNEntity *e = m_EntityList; e; e = e->m_Next)
        if (NameIs(e->GetName(), name))
            return e;
    return nullptr;
}

int CZNEDITORDoc::CollectGroups(CZNCONTAINER *groups) const
{
    if (!groups)
        return 0;
    for (ZNBRUSH *b = m_BrushList; b; b = b->m_Next)
        if (CZNGROUP *g = b->GetParent())
            groups->AddElementUnique(g->GetRootGroup());
    for (CZNEntity *e = m_EntityList; e; e = e->m_Next)
        if (CZNGROUP *g = e->GetGroup())
            groups->AddElementUnique(g->GetRootGroup());
    for (CZNOverlay *o = m_OverlayList; o; o = o->m_Next)
        if (CZNGROUP *g = o->GetGroup())
            groups->AddElementUnique(g->GetRootGroup());
    return 1;
}

void CZNEDITORDoc::ValidateBrushes(CZNUndoLevel &level)
{
    std::vector<ZNSELECTIONENTRY> entries;
    for (ZNBRUSH *b : m_Brushes) {
        if (!b->Validate()) {
            ZNSELECTIONENTRY e;
            e.Type = MapObjectTypeToCategory(b->m_ObjectType);
            e.Object = reinterpret_cast<uintptr_t>(b);
            entries.push_back(e);
        }
    }
    if (entries.empty())
        return;
    // The removal joins the undo level of the command that produced the brushes.
    level.Record(ZNUNDO_REMOVE, entries, 0);
    // Removing them is part of that edit: the modified flag stays as it is.
    for (const ZNSELECTIONENTRY &e : entries) {
        ZNBRUSH *brush = reinterpret_cast<ZNBRUSH *>(e.Object);
        brush->FreeFromParent();
        Unlink(brush);
        delete brush;
    }
}

void CZNEDITORDoc::ValidateBrushes()
{
    CZNUndoLevel joined(this, CZNUndoLevel::JoinNewest{});
    ValidateBrushes(joined);
    joined.Commit();
}

void CZNEDITORDoc::Unlink(ZNBRUSH *brush)
{
    const auto it = m_BrushIndex.find(brush);
    if (it == m_BrushIndex.end())
        return;
    const DWORD index = it->second;
    m_BrushIndex.erase(it);
    if (index > 0)
        m_Brushes[index - 1]->m_Next = brush->m_Next;
    else
        m_BrushList = brush->m_Next;
    brush->m_Next = nullptr;
    m_Brushes.erase(m_Brushes.begin() + index);
    for (DWORD i = index; i < m_Brushes.size(); ++i)
        m_BrushIndex[m_Brushes[i]] = i;
}

void CZNEDITORDoc::DeleteAllBrushes()
{
    std::vector<ZNBRUSH *> brushes;
    brushes.swap(m_Brushes);
    m_BrushIndex.clear();
    m_BrushList = nullptr;
    for (ZNBRUSH *b : brushes) {
        b->FreeFromParent();
        delete b;
    }
}

void CZNEDITORDoc::EmptyRenderBatches()
{
    m_BlendedBatch.Empty();
    m_UnlitBatch.Empty();
}

void CZNEDITORDoc::DeleteContents()
{
    GetEditorApp()->GetSelectionBand()->DropDragLevel(this);
    GetEditorApp()->GetSelectionBand()->Clear(1, 1);
    FreePickLists();
    // The batches point at faces of the objects about to go.
    EmptyRenderBatches();
    DeleteAllBrushes();
    DeleteAllEntities();
    FreeUndoList();
    DeleteAllOverlays();
    CZN3D *d3d = GetEditorApp()->Get3D();
    d3d->TrimMaterialList();
    d3d->SetDefaultLighting(1);
    RefillEntityContainers();
}

void CZNEDITORDoc::AddView(CZNView *view)
{
    if (view && std::find(m_Views.begin(), m_Views.end(), view) == m_Views.end()) {
        m_Views.push_back(view);
        view->SetSource(this);
    }
}

void CZNEDITORDoc::RemoveView(CZNView *view)
{
    const auto listed = std::find(m_Views.begin(), m_Views.end(), view);
    if (listed == m_Views.end())
        return;
    m_Views.erase(listed);
    view->SetSource(nullptr);
}

void CZNEDITORDoc::DrawOverlay2D(CDC *dc, CZN2DView *view)
{
    GetEditorApp()->GetSelectionBand()->Draw2D(dc, view);
}

void CZNEDITORDoc::RedrawAllViews(CZNView *skip, int flag)
{
    // A copy, so a view may leave the list while it redraws.
    const std::vector<CZNView *> views = m_Views;
    for (CZNView *view : views)
        if (view != skip)
            view->RedrawForDocument(flag);
}

void CZNEDITORDoc::RefreshViews()
{
    const std::vector<CZNView *> views = m_Views;
    for (CZNView *view : views)
        view->RefreshForDocument();
}
