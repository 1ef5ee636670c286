#include "editor/editor_doc.h"

#include <algorithm>

#include <strings.h>

#include <new>
#include <vector>

#include "app/editor_app.h"
#include "render/direct3d.h"
#include "render/view/view.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/group.h"
#include "scene/object_type.h"

namespace
{

constexpr BYTE kBrushCategory = 1;

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
    DeleteAllBrushes();
    if (GetEditorApp()->GetDocument() == this)
        GetEditorApp()->SetDocument(nullptr);
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
    if (!brush)
        return;
    ZNBRUSH *last = nullptr;
    for (ZNBRUSH *b = m_BrushList; b; b = b->m_Next) {
        if (b == brush)
            return; // linking it again would close the list into a ring
        last = b;
    }
    // The new brush ends the list, whatever link it carried before.
    brush->m_Next = nullptr;
    if (last)
        last->m_Next = brush;
    else
        m_BrushList = brush;
    SetModifiedFlag(TRUE);
}

ZNBRUSH *CZNEDITORDoc::GetLastBrush() const
{
    ZNBRUSH *last = m_BrushList;
    while (last && last->m_Next)
        last = last->m_Next;
    return last;
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

int CZNEDITORDoc::GetObjectIndex(BYTE category, void *object) const
{
    if (category != kBrushCategory || !object)
        return -1;
    int index = 0;
    for (ZNBRUSH *b = m_BrushList; b; b = b->m_Next, ++index)
        if (b == object)
            return index;
    return -1;
}

void *CZNEDITORDoc::GetObjectByIndex(BYTE category, DWORD index) const
{
    if (category != kBrushCategory)
        return nullptr;
    ZNBRUSH *b = m_BrushList;
    for (DWORD i = 0; b && i < index; ++i)
        b = b->m_Next;
    return b;
}

void *CZNEDITORDoc::FindObjectByName(const char *name) const
{
    if (!name)
        return nullptr;
    for (ZNBRUSH *b = m_BrushList; b; b = b->m_Next)
        for (CZNGROUP *g = b->GetParent(); g; g = g->GetParent())
            if (NameIs(g->GetName(), name))
                return g;
    for (ZNBRUSH *b = m_BrushList; b; b = b->m_Next)
        if (NameIs(b->m_Name, name))
            return b;
    return nullptr;
}

int CZNEDITORDoc::CollectGroups(CZNCONTAINER *groups) const
{
    if (!groups)
        return 0;
    for (ZNBRUSH *b = m_BrushList; b; b = b->m_Next)
        if (CZNGROUP *g = b->GetParent())
            groups->AddElementUnique(g->GetRootGroup());
    return 1;
}

void CZNEDITORDoc::ValidateBrushes()
{
    std::vector<ZNBRUSH *> invalid;
    for (ZNBRUSH *b = m_BrushList; b; b = b->m_Next)
        if (!b->Validate())
            invalid.push_back(b);
    // Removing them is part of the edit that produced them: the modified flag stays as it is.
    for (ZNBRUSH *brush : invalid) {
        brush->FreeFromParent();
        Unlink(brush);
        delete brush;
    }
}

void CZNEDITORDoc::Unlink(ZNBRUSH *brush)
{
    if (m_BrushList == brush) {
        m_BrushList = brush->m_Next;
        return;
    }
    for (ZNBRUSH *b = m_BrushList; b; b = b->m_Next) {
        if (b->m_Next == brush) {
            b->m_Next = brush->m_Next;
            return;
        }
    }
}

void CZNEDITORDoc::DeleteAllBrushes()
{
    while (m_BrushList) {
        ZNBRUSH *b = m_BrushList;
        m_BrushList = b->m_Next;
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
    // The batches point at faces of the objects about to go.
    EmptyRenderBatches();
    DeleteAllBrushes();
    CZN3D *d3d = GetEditorApp()->Get3D();
    d3d->TrimMaterialList();
    d3d->SetDefaultLighting(1);
}

void CZNEDITORDoc::AddView(CZNView *view)
{
    if (view && std::find(m_Views.begin(), m_Views.end(), view) == m_Views.end())
        m_Views.push_back(view);
}

void CZNEDITORDoc::RemoveView(CZNView *view)
{
    m_Views.erase(std::remove(m_Views.begin(), m_Views.end(), view), m_Views.end());
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
