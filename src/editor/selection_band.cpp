#include "editor/selection_band.h"

#include <algorithm>

#include "app/editor_app.h"
#include "editor/doc_shell.h"
#include "editor/editor_doc.h"
#include "editor/undo_level.h"
#include "platform/gdi/brush.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/font.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "render/view/2d_view.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/entity.h"
#include "scene/face.h"
#include "scene/group.h"
#include "scene/object_type.h"
#include "scene/overlay.h"

namespace
{

constexpr COLORREF kBandColour = RGB(175, 175, 0);

ZNBRUSH *BrushOf(uintptr_t word)
{
    void *object = reinterpret_cast<void *>(word);
    return object && GetObjectType(object) == ZNOBJECT_BRUSH ? static_cast<ZNBRUSH *>(object) : nullptr;
}

CZNCAMERA *CameraOf(uintptr_t word)
{
    void *object = reinterpret_cast<void *>(word);
    return object && GetObjectType(object) == ZNOBJECT_CAMERA ? static_cast<CZNCAMERA *>(object) : nullptr;
}

CZNOverlay *OverlayOf(uintptr_t word)
{
    void *object = reinterpret_cast<void *>(word);
    return object && GetObjectType(object) == ZNOBJECT_OVERLAY ? static_cast<CZNOverlay *>(object) : nullptr;
}

CZNEntity *EntityOf(uintptr_t word)
{
    void *object = reinterpret_cast<void *>(word);
    return object && GetObjectType(object) == ZNOBJECT_ENTITY ? static_cast<CZNEntity *>(object) : nullptr;
}

// The outermost group of a grouped brush, entity or overlay; null for anything else.
CZNGROUP *RootGroupOf(const ZNSELECTIONENTRY &entry)
{
    CZNGROUP *group = nullptr;
    if (entry.Type == ZNSELECT_BRUSH) {
        if (ZNBRUSH *brush = BrushOf(entry.Object))
            group = brush->GetParent();
    } else if (entry.Type == ZNSELECT_OVERLAY) {
        if (CZNOverlay *overlay = OverlayOf(entry.Object))
            group = overlay->GetGroup();
    } else if (entry.Type == ZNSELECT_ENTITY) {
        if (CZNEntity *entity = EntityOf(entry.Object))
            group = entity->GetGroup();
    }
    return group ? group->GetRootGroup() : nullptr;
}

// The generated face an overlay-face entry names; null when there is none.
ZNFACE *OverlayFaceOf(const ZNSELECTIONENTRY &entry)
{
    CZNOverlay *overlay = OverlayOf(entry.Object);
    return overlay ? overlay->GetFace(static_cast<DWORD>(entry.Face)) : nullptr;
}

ZNFACE *FaceOf(const ZNSELECTIONENTRY &entry)
{
    ZNBRUSH *brush = BrushOf(entry.Object);
    return brush ? brush->GetFace(static_cast<DWORD>(entry.Face)) : nullptr;
}

// The vertex index of a vertex entry: the low 16 bits of its word.
short VertexIndexOf(const ZNSELECTIONENTRY &entry)
{
    return static_cast<short>(entry.Vertex & 0xFFFF);
}

bool SameEntry(const ZNSELECTIONENTRY &a, const ZNSELECTIONENTRY &b)
{
    return a.Type == b.Type && a.Object == b.Object && a.Face == b.Face && a.Vertex == b.Vertex;
}

} // namespace

CZNSelectionBand::CZNSelectionBand()
    : m_Centre(0, 0, 0), m_Look(0, 0, 1), m_Up(0, 1, 0), m_Right(1, 0, 0),
      m_HalfExtents(kDefaultHalfExtent, kDefaultHalfExtent, kDefaultHalfExtent), m_Pivot(0, 0, 0),
      m_PivotStart(0, 0, 0), m_PlacementOrigin(0, 0, 0), m_PlacementOriginStart(0, 0, 0), m_Active(0), m_ShowHandles(0),
      m_BoxLocked(0), m_Handle(0), m_Pen(PS_DOT, 1, kBandColour), m_HandleMode(ZNHANDLE_SCALE),
      m_BandMode(ZNBAND_EMPTY), m_MoveTotal(0, 0, 0), m_FirstStep(1), m_Dragged(0), m_ClickConsumed(0)
{
    for (auto &set : m_Handles)
        for (auto &p : set)
            p = D3DXVECTOR3(0, 0, 0);
    for (auto &c : m_Corners)
        c = D3DXVECTOR3(0, 0, 0);
}

CZNSelectionBand::~CZNSelectionBand()
{
    Clear(1, 0);
}

void CZNSelectionBand::SetFirstStep(BYTE first)
{
    if (first)
        CommitDragLevel();
    m_FirstStep = first ? 1 : 0;
}

void CZNSelectionBand::DropDragLevel(const CZNEDITORDoc *doc)
{
    if (m_DragLevel && m_DragLevel->GetDocument() == doc)
        m_DragLevel.reset();
}

CZNUndoLevel &CZNSelectionBand::DragLevel()
{
    CZNEDITORDoc *doc = GetEditorApp()->GetDocument();
    if (m_DragLevel && (m_DragLevel->GetDocument() != doc || !m_DragLevel->IsOpen()))
        CommitDragLevel();
    if (!m_DragLevel)
        m_DragLevel = std::make_unique<CZNUndoLevel>(doc, nullptr);
    return *m_DragLevel;
}

void CZNSelectionBand::CommitDragLevel()
{
    if (m_DragLevel)
        m_DragLevel->Commit();
    m_DragLevel.reset();
}

void CZNSelectionBand::ResetPivotAndOrigin()
{
    m_Pivot = m_Centre;
    m_PlacementOrigin = m_Centre - m_Up * m_HalfExtents.y;
}

void CZNSelectionBand::RedrawViews()
{
    if (CZNEDITORDoc *doc = GetEditorApp()->GetDocument())
        doc->RedrawAllViews(nullptr, 0);
}

int CZNSelectionBand::AppendEntry(const ZNSELECTIONENTRY *entry)
{
    if (!entry)
        return 0;
    ZNSELECTIONENTRY e = *entry;
    if (e.Type == ZNSELECT_BRUSH || e.Type == ZNSELECT_ENTITY || e.Type == ZNSELECT_CAMERA ||
        (e.Type == ZNSELECT_OVERLAY && m_BandMode == ZNBAND_OBJECTS))
        e.Face = 0;
    if (e.Type != ZNSELECT_VERTEX)
        e.Vertex = 0;
    m_Entries.push_back(e);
    return 1;
}

int CZNSelectionBand::FindEntry(const ZNSELECTIONENTRY *entry) const
{
    if (!entry)
        return 0;
    for (const ZNSELECTIONENTRY &e : m_Entries)
        if (SameEntry(e, *entry))
            return 1;
    return 0;
}

int CZNSelectionBand::RemoveMatchingEntry(const ZNSELECTIONENTRY *entry)
{
    if (!entry)
        return 0;
    for (auto it = m_Entries.begin(); it != m_Entries.end(); ++it) {
        if (SameEntry(*it, *entry)) {
            m_Entries.erase(it);
            return 1;
        }
    }
    return 0;
}

void CZNSelectionBand::AddTouchedBrush(void *object)
{
    if (object && std::find(m_Touched.begin(), m_Touched.end(), object) == m_Touched.end())
        m_Touched.push_back(object);
}

void CZNSelectionBand::RemoveTouchedBrush(void *object)
{
    m_Touched.erase(std::remove(m_Touched.begin(), m_Touched.end(), object), m_Touched.end());
}

void CZNSelectionBand::AddGroupMembers(CZNGROUP *group)
{
    if (m_BandMode != ZNBAND_OBJECTS || !group || group->GetChildCount() == 0)
        return;
    // A member already listed is not listed twice.
    auto list = [this](BYTE type, void *member) {
        ZNSELECTIONENTRY e;
        e.Type = type;
        e.Object = reinterpret_cast<uintptr_t>(member);
        if (!FindEntry(&e))
            AppendEntry(&e);
    };
    for (DWORD i = 0; i < group->GetChildCount(); ++i) {
        void *child = group->GetChild(i);
        if (!child)
            continue;
        switch (GetObjectType(child)) {
        case ZNOBJECT_BRUSH:
            static_cast<ZNBRUSH *>(child)->SelectBrush(1);
            list(ZNSELECT_BRUSH, child);
            break;
        case ZNOBJECT_OVERLAY:
            static_cast<CZNOverlay *>(child)->SetSelected(1);
            list(ZNSELECT_OVERLAY, child);
            break;
        case ZNOBJECT_ENTITY:
            static_cast<CZNEntity *>(child)->SetSelected(1);
            list(ZNSELECT_ENTITY, child);
            break;
        case ZNOBJECT_GROUP:
            AddGroupMembers(static_cast<CZNGROUP *>(child));
            break;
        default:
            break;
        }
    }
}

int CZNSelectionBand::RemoveGroupMembers(CZNGROUP *group)
{
    if (m_BandMode != ZNBAND_OBJECTS || !group)
        return 0;
    for (size_t i = 0; i < m_Entries.size();) {
        if (RootGroupOf(m_Entries[i]) == group) {
            DeselectEntry(m_Entries[i]);
            m_Entries.erase(m_Entries.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    if (m_Entries.empty()) {
        // The group was the whole selection: the band is empty again, not an objects band
        // without entries.
        Clear(0, 1);
        m_ClickConsumed = 1;
        RedrawViews();
        return 1;
    }
    m_Active = 1;
    m_ShowHandles = 1;
    Update();
    m_ClickConsumed = 1;
    RedrawViews();
    return 1;
}

int CZNSelectionBand::SelectGroupMembers(CZNGROUP *group)
{
    if (!group || (m_BandMode != ZNBAND_EMPTY && m_BandMode != ZNBAND_OBJECTS))
        return 0;
    const DWORD mode = m_BandMode;
    m_BandMode = ZNBAND_OBJECTS;
    AddGroupMembers(group);
    if (m_Entries.empty()) {
        m_BandMode = mode;
        return 0;
    }
    m_Active = 1;
    m_ShowHandles = 1;
    Update();
    return 1;
}

int CZNSelectionBand::AddToSelection(const ZNSELECTIONENTRY *entry, int append, int redraw)
{
    m_Dragged = 1;
    m_BoxLocked = 0;
    if (!entry || entry->Type == 0 || entry->Type > ZNSELECT_VERTEX || FindEntry(entry))
        return 0;
    if (!append)
        Clear(1, 0);

    // What the entry names, checked before anything is selected.
    ZNBRUSH *brush = BrushOf(entry->Object);
    CZNOverlay *overlay = OverlayOf(entry->Object);
    CZNEntity *entity = EntityOf(entry->Object);
    ZNFACE *face = nullptr;
    switch (entry->Type) {
    case ZNSELECT_BRUSH:
        if (!brush)
            return 0;
        break;
    case ZNSELECT_OVERLAY:
        if (!overlay)
            return 0;
        break;
    case ZNSELECT_OVERLAYFACE:
        face = OverlayFaceOf(*entry);
        if (!face)
            return 0;
        break;
    case ZNSELECT_CAMERA:
        if (!CameraOf(entry->Object))
            return 0;
        break;
    case ZNSELECT_ENTITY:
        if (!entity)
            return 0;
        break;
    case ZNSELECT_FACE:
        face = FaceOf(*entry);
        if (!face)
            return 0;
        break;
    case ZNSELECT_VERTEX:
        face = FaceOf(*entry);
        if (!face || VertexIndexOf(*entry) < 0 || VertexIndexOf(*entry) >= face->GetVertexCount())
            return 0;
        break;
    default:
        return 0;
    }

    DWORD mode = m_BandMode;
    if (mode == ZNBAND_EMPTY) {
        switch (GetEditorApp()->GetEditMode()) {
        case ZNEDITMODE_BRUSH:
            mode = ZNBAND_OBJECTS;
            break;
        case ZNEDITMODE_FACE:
            mode = ZNBAND_FACES;
            break;
        case ZNEDITMODE_VERTEX:
            mode = ZNBAND_VERTICES;
            break;
        case ZNEDITMODE_OVERLAY:
            mode = ZNBAND_OVERLAYFACES;
            break;
        default:
            return 0;
        }
    }
    switch (mode) {
    case ZNBAND_OBJECTS:
        if (entry->Type != ZNSELECT_BRUSH && entry->Type != ZNSELECT_CAMERA && entry->Type != ZNSELECT_OVERLAY &&
            entry->Type != ZNSELECT_ENTITY)
            return 0;
        m_BandMode = mode;
        // Selecting an ambient light shows its colour in the 3D view.
        if (D3DCOLOR ambient = 0; entity && entity->GetAmbientColour(&ambient))
            if (CZN3D *d3d = GetEditorApp()->Get3D())
                d3d->SetAmbientLight(ambient);
        if (CZNGROUP *root = RootGroupOf(*entry)) {
            AddGroupMembers(root);
            m_Active = 1;
            m_ShowHandles = 1;
            Update();
            ResetPivotAndOrigin();
            m_ClickConsumed = 1;
            if (redraw)
                RedrawViews();
            return 1;
        }
        if (brush)
            brush->SelectBrush(1);
        else if (overlay)
            overlay->SetSelected(1);
        else if (entity)
            entity->SetSelected(1);
        else
            CameraOf(entry->Object)->Select(1);
        break;
    case ZNBAND_FACES:
        if (entry->Type == ZNSELECT_OVERLAY) {
            // An overlay is taken whole in face mode.
            m_BandMode = mode;
            overlay->SetSelected(1);
            AddTouchedBrush(overlay);
            break;
        }
        if (entry->Type != ZNSELECT_FACE)
            return 0;
        m_BandMode = mode;
        face->SelectFace(1);
        brush->SelectBrush(1);
        AddTouchedBrush(brush);
        break;
    case ZNBAND_VERTICES:
        if (entry->Type != ZNSELECT_VERTEX)
            return 0;
        m_BandMode = mode;
        face->SelectVertex(VertexIndexOf(*entry), 1);
        face->SelectFace(1);
        brush->SelectBrush(1);
        AddTouchedBrush(brush);
        break;
    case ZNBAND_OVERLAYFACES:
        if (entry->Type != ZNSELECT_OVERLAYFACE)
            return 0;
        m_BandMode = mode;
        face->SelectFace(1);
        AddTouchedBrush(overlay);
        break;
    default:
        return 0;
    }

    AppendEntry(entry);
    m_Active = 1;
    m_ShowHandles = 1;
    Update();
    ResetPivotAndOrigin();
    if (redraw) {
        m_ClickConsumed = 1;
        RedrawViews();
    }
    return 1;
}

void CZNSelectionBand::DeselectEntry(const ZNSELECTIONENTRY &entry)
{
    ZNBRUSH *brush = BrushOf(entry.Object);
    CZNOverlay *overlay = OverlayOf(entry.Object);
    if (overlay && entry.Type == ZNSELECT_OVERLAY) {
        overlay->SetSelected(0);
        overlay->ClearCache();
        return;
    }
    switch (m_BandMode) {
    case ZNBAND_OBJECTS:
        if (brush) {
            brush->SelectBrush(0);
            brush->ClearCache();
        } else if (CZNEntity *entity = EntityOf(entry.Object)) {
            entity->SetSelected(0);
            entity->FreeSavedData();
        } else if (CZNCAMERA *camera = CameraOf(entry.Object)) {
            camera->Select(0);
            camera->ClearCache();
        }
        break;
    case ZNBAND_FACES:
    case ZNBAND_VERTICES:
        if (ZNFACE *face = FaceOf(entry)) {
            if (m_BandMode == ZNBAND_VERTICES)
                face->SelectVertex(VertexIndexOf(entry), 0);
            face->SelectFace(0);
        }
        if (brush) {
            brush->SelectBrush(0);
            brush->ClearCache();
        }
        break;
    case ZNBAND_OVERLAYFACES:
        // The overlay's own selected flag is left.
        if (ZNFACE *face = OverlayFaceOf(entry))
            face->SelectFace(0);
        if (overlay)
            overlay->ClearCache();
        break;
    default:
        break;
    }
}

void CZNSelectionBand::Clear(int deselect, int refreshPanel)
{
    if (deselect)
        for (const ZNSELECTIONENTRY &e : m_Entries)
            DeselectEntry(e);
    std::vector<ZNSELECTIONENTRY>().swap(m_Entries);
    std::vector<void *>().swap(m_Touched);
    m_Centre = m_Pivot = m_PlacementOrigin = D3DXVECTOR3(0, 0, 0);
    m_Look = D3DXVECTOR3(0, 0, 1);
    m_Up = D3DXVECTOR3(0, 1, 0);
    m_Right = D3DXVECTOR3(1, 0, 0);
    m_HalfExtents = D3DXVECTOR3(kDefaultHalfExtent, kDefaultHalfExtent, kDefaultHalfExtent);
    m_Active = m_ShowHandles = m_BoxLocked = m_ClickConsumed = 0;
    m_Handle = ZNHIT_NONE;
    m_PivotStart = m_PlacementOriginStart = D3DXVECTOR3(0, 0, 0);
    m_HandleMode = ZNHANDLE_SCALE;
    m_BandMode = ZNBAND_EMPTY;
    if (refreshPanel)
        if (IZNDocShell *shell = CZNEDITORDoc::GetCurrentShell())
            shell->RefreshActivePage();
}

bool CZNSelectionBand::OtherEntryNames(DWORD skip, uintptr_t object, uintptr_t face, bool sameFace) const
{
    for (DWORD i = 0; i < m_Entries.size(); ++i)
        if (i != skip && m_Entries[i].Object == object && (!sameFace || m_Entries[i].Face == face))
            return true;
    return false;
}

void CZNSelectionBand::RemoveEntry(DWORD index, int deleteFlag)
{
    if (m_BandMode == ZNBAND_EMPTY || index >= m_Entries.size())
        return;
    if (m_Entries.size() == 1) {
        if (deleteFlag)
            DeleteSelected();
        else
            Clear(1, 1);
        return;
    }
    const ZNSELECTIONENTRY entry = m_Entries[index];
    ZNBRUSH *brush = BrushOf(entry.Object);
    switch (m_BandMode) {
    case ZNBAND_OBJECTS:
        if (CZNGROUP *root = RootGroupOf(entry); root && !deleteFlag) {
            RemoveGroupMembers(root);
            if (!m_Entries.empty())
                ResetPivotAndOrigin();
            return;
        }
        DeselectEntry(entry);
        if (CZNEDITORDoc *doc = GetEditorApp()->GetDocument(); doc && deleteFlag) {
            if (brush)
                doc->DeleteBrush(brush);
            else if (CZNOverlay *overlay = OverlayOf(entry.Object))
                doc->DeleteOverlay(overlay);
            else if (CZNEntity *entity = EntityOf(entry.Object))
                doc->DeleteEntity(entity);
        }
        break;
    case ZNBAND_FACES:
        if (entry.Type == ZNSELECT_OVERLAY) {
            DeselectEntry(entry);
            RemoveTouchedBrush(OverlayOf(entry.Object));
            break;
        }
        if (ZNFACE *face = FaceOf(entry))
            face->SelectFace(0);
        if (brush && !OtherEntryNames(index, entry.Object, 0, false)) {
            brush->SelectBrush(0);
            brush->ClearCache();
            RemoveTouchedBrush(brush);
        }
        break;
    case ZNBAND_VERTICES:
        if (ZNFACE *face = FaceOf(entry)) {
            face->SelectVertex(VertexIndexOf(entry), 0);
            if (!OtherEntryNames(index, entry.Object, entry.Face, true))
                face->SelectFace(0);
        }
        if (brush && !OtherEntryNames(index, entry.Object, 0, false)) {
            brush->SelectBrush(0);
            brush->ClearCache();
            RemoveTouchedBrush(brush);
        }
        break;
    case ZNBAND_OVERLAYFACES:
        if (ZNFACE *face = OverlayFaceOf(entry))
            face->SelectFace(0);
        if (CZNOverlay *overlay = OverlayOf(entry.Object); overlay && !OtherEntryNames(index, entry.Object, 0, false)) {
            overlay->SetSelected(0);
            overlay->ClearCache();
            RemoveTouchedBrush(overlay);
        }
        break;
    default:
        break;
    }
    m_Entries.erase(m_Entries.begin() + index);
    Update();
    ResetPivotAndOrigin();
    if (CZNEDITORDoc *doc = GetEditorApp()->GetDocument(); doc && deleteFlag)
        doc->RefillEntityContainers();
}

void CZNSelectionBand::RemoveObject(void *object, BYTE type)
{
    if (!object)
        return;
    for (DWORD i = 0; i < m_Entries.size(); ++i) {
        const ZNSELECTIONENTRY &e = m_Entries[i];
        bool match = false;
        if (m_BandMode == ZNBAND_OBJECTS &&
            (type == ZNOBJECT_BRUSH || type == ZNOBJECT_CAMERA || type == ZNOBJECT_OVERLAY || type == ZNOBJECT_ENTITY))
            match = e.Object == reinterpret_cast<uintptr_t>(object);
        else if (m_BandMode == ZNBAND_FACES && type == ZNOBJECT_FACE)
            match = e.Type == ZNSELECT_FACE && FaceOf(e) == object;
        else if (m_BandMode == ZNBAND_FACES && type == ZNOBJECT_OVERLAY)
            match = e.Type == ZNSELECT_OVERLAY && e.Object == reinterpret_cast<uintptr_t>(object);
        else if (m_BandMode == ZNBAND_OVERLAYFACES && type == ZNOBJECT_OVERLAYFACE)
            match = OverlayFaceOf(e) == object;
        else if (m_BandMode == ZNBAND_VERTICES && type == ZNOBJECT_VERTEX) {
            ZNFACE *face = FaceOf(e);
            match = face && face->GetVertices() + VertexIndexOf(e) == object;
        }
        if (match) {
            RemoveEntry(i, 0);
            return;
        }
    }
}

void CZNSelectionBand::CalculateBounds()
{
    if (m_Entries.empty())
        return;
    D3DXVECTOR3 lo(1e6f, 1e6f, 1e6f), hi(-1e6f, -1e6f, -1e6f);
    auto merge = [&lo, &hi](const D3DXVECTOR3 &a, const D3DXVECTOR3 &b) {
        lo = D3DXVECTOR3(std::min(lo.x, a.x), std::min(lo.y, a.y), std::min(lo.z, a.z));
        hi = D3DXVECTOR3(std::max(hi.x, b.x), std::max(hi.y, b.y), std::max(hi.z, b.z));
    };
    for (const ZNSELECTIONENTRY &e : m_Entries) {
        ZNBRUSH *brush = BrushOf(e.Object);
        if (CZNOverlay *overlay = OverlayOf(e.Object)) {
            const ZNBBOX box = e.Type == ZNSELECT_OVERLAYFACE ? overlay->GetFaceExtents(static_cast<DWORD>(e.Face))
                                                              : overlay->GetBounds(1);
            merge(box.Min, box.Max);
        } else if (m_BandMode == ZNBAND_OBJECTS) {
            if (brush) {
                // Recomputed from the vertices: moves leave the stored box behind.
                const ZNBBOX box = brush->GetBoundingBox(1);
                merge(box.Min, box.Max);
            } else if (CZNEntity *entity = EntityOf(e.Object)) {
                const ZNBBOX box = entity->GetBounds(0, nullptr);
                merge(box.Min, box.Max);
            } else if (CZNCAMERA *camera = CameraOf(e.Object)) {
                const ZNBBOX box = camera->GetBoundingBox();
                merge(box.Min, box.Max);
            }
        } else if (m_BandMode == ZNBAND_FACES && e.Type == ZNSELECT_FACE && brush) {
            const ZNBBOX box = brush->GetBoundingBox(static_cast<DWORD>(e.Face));
            merge(box.Min, box.Max);
        } else if (m_BandMode == ZNBAND_VERTICES && e.Type == ZNSELECT_VERTEX) {
            if (ZNFACE *face = FaceOf(e)) {
                const D3DXVECTOR3 p = face->GetVector(VertexIndexOf(e));
                merge(p, p);
            }
        }
    }
    m_Centre = (lo + hi) * 0.5f;
    m_HalfExtents = (hi - lo) * 0.5f;
}

void CZNSelectionBand::Update()
{
    if (!(m_BoxLocked && m_HandleMode == ZNHANDLE_ROTATE))
        CalculateBounds();
    D3DXMATRIX m;
    const D3DXVECTOR3 eye(0, 0, 0);
    D3DXMatrixLookAtLH(&m, &eye, &m_Look, &m_Up);
    const float hx = m_HalfExtents.x, hy = m_HalfExtents.y, hz = m_HalfExtents.z;
    const D3DXVECTOR3 local[8] = {{-hx, hy, -hz},  {-hx, hy, hz},  {hx, hy, hz},  {hx, hy, -hz},
                                  {-hx, -hy, -hz}, {-hx, -hy, hz}, {hx, -hy, hz}, {hx, -hy, -hz}};
    for (int i = 0; i < 8; ++i) {
        D3DXVec3TransformCoord(&m_Corners[i], &local[i], &m);
        m_Corners[i] += m_Centre;
    }
    static constexpr int kCornerOrder[3][4] = {{1, 2, 3, 0}, {3, 2, 6, 7}, {0, 3, 7, 4}};
    for (int view = 0; view < 3; ++view) {
        D3DXVECTOR3 *set = m_Handles[view];
        for (int i = 0; i < 4; ++i)
            set[i] = m_Corners[kCornerOrder[view][i]];
        for (int i = 0; i < 4; ++i)
            set[4 + i] = (set[i] + set[(i + 1) % 4]) * 0.5f;
    }
}

int CZNSelectionBand::GetEntries(std::vector<ZNSELECTIONENTRY> &list) const
{
    if (m_Entries.empty())
        return 0;
    for (const ZNSELECTIONENTRY &e : m_Entries)
        if (e.Type != ZNSELECT_CAMERA)
            list.push_back(e);
    return 1;
}

int CZNSelectionBand::CollapseToTopGroups(std::vector<ZNSELECTIONENTRY> &list)
{
    const size_t originalEnd = list.size();
    size_t end = originalEnd;
    for (size_t i = 0; i < end;) {
        CZNGROUP *root = RootGroupOf(list[i]);
        if (!root) {
            ++i;
            continue;
        }
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
        --end;
        const uintptr_t word = reinterpret_cast<uintptr_t>(root);
        const bool listed = std::any_of(list.begin(), list.end(), [word](const ZNSELECTIONENTRY &e) {
            return e.Type == ZNSELECT_GROUP && e.Object == word;
        });
        if (!listed) {
            ZNSELECTIONENTRY group;
            group.Type = ZNSELECT_GROUP;
            group.Object = word;
            list.push_back(group);
        }
    }
    return 1;
}

int CZNSelectionBand::AddSelectedToContainer(CZNCONTAINER *container) const
{
    if (!container || m_Entries.empty() || m_BandMode != ZNBAND_OBJECTS)
        return 0;
    for (const ZNSELECTIONENTRY &e : m_Entries)
        container->AddElement(reinterpret_cast<void *>(e.Object));
    return 1;
}

void CZNSelectionBand::Draw2D(CDC *dc, CZN2DView *view)
{
    if (!dc || !view)
        return;
    DrawRubberBand(view, dc);
    if (!m_Active || m_Entries.empty())
        return;
    const WORD type = view->GetViewType() < 3 ? view->GetViewType() : 2;
    POINT p[8];
    ProjectHandles2D(view, p);

    POINT c[8];
    for (int i = 0; i < 8; ++i)
        view->WorldToScreen(&c[i], &m_Corners[i]);
    CZNPen *oldPen = dc->SelectObject(&m_Pen);
    CZNBrush *oldBrush = dc->GetCurrentBrush();
    auto ring = [dc](const POINT &a, const POINT &b, const POINT &cc, const POINT &d) {
        dc->MoveTo(a);
        dc->LineTo(b);
        dc->LineTo(cc);
        dc->LineTo(d);
        dc->LineTo(a);
    };
    ring(c[0], c[1], c[2], c[3]);
    ring(c[4], c[5], c[6], c[7]);
    for (int i = 0; i < 4; ++i) {
        dc->MoveTo(c[i]);
        dc->LineTo(c[i + 4]);
    }

    CZNPen black(PS_SOLID, 1, RGB(0, 0, 0));
    dc->SelectObject(&black);
    if (m_ShowHandles) {
        const RECT squares[8] = {
            {p[0].x - 9, p[0].y - 9, p[0].x - 1, p[0].y - 1}, {p[1].x + 1, p[1].y - 9, p[1].x + 9, p[1].y - 1},
            {p[2].x + 1, p[2].y + 1, p[2].x + 9, p[2].y + 9}, {p[3].x - 9, p[3].y + 1, p[3].x - 1, p[3].y + 9},
            {p[4].x - 4, p[4].y - 9, p[4].x + 4, p[4].y - 1}, {p[5].x + 1, p[5].y - 4, p[5].x + 9, p[5].y + 4},
            {p[6].x - 4, p[6].y + 1, p[6].x + 4, p[6].y + 9}, {p[7].x - 9, p[7].y - 4, p[7].x - 1, p[7].y + 4}};
        if (m_HandleMode == ZNHANDLE_ROTATE) {
            for (int i = 0; i < 4; ++i)
                dc->Ellipse(&squares[i]);
        } else {
            for (const RECT &r : squares)
                dc->Rectangle(&r);
        }
    }

    // The marker needs room: both half extents shown in this view at least 4 units.
    const float extentU = type == ZN2DVIEW_RIGHT ? m_HalfExtents.z : m_HalfExtents.x;
    const float extentV = type == ZN2DVIEW_TOP ? m_HalfExtents.z : m_HalfExtents.y;
    if (m_BandMode != ZNBAND_OVERLAYFACES && extentU >= 4.0f && extentV >= 4.0f) {
        const bool space = GetEditorApp()->IsSpaceDown() != 0;
        const D3DXVECTOR3 at = space ? m_PlacementOrigin : m_Pivot;
        POINT m;
        view->WorldToScreen(&m, &at);
        CZNPen ring(PS_SOLID, 1, RGB(200, 200, 200));
        CZNPen cross(PS_SOLID, 1, space ? RGB(255, 0, 0) : RGB(0, 0, 255));
        dc->SelectObject(&ring);
        dc->SelectStockObject(NULL_BRUSH);
        dc->Ellipse(m.x - 4, m.y - 4, m.x + 5, m.y + 5);
        dc->SelectObject(&cross);
        dc->MoveTo(m.x - 3, m.y - 3);
        dc->LineTo(m.x + 3, m.y + 3);
        dc->MoveTo(m.x + 3, m.y - 3);
        dc->LineTo(m.x - 3, m.y + 3);
        if (space) {
            // The application's label font; the default GUI font until the shell sets one.
            CZNFont *oldFont = dc->GetCurrentFont();
            if (CZNFont *font = GetEditorApp()->GetLabelFont())
                dc->SelectObject(font);
            else
                dc->SelectStockObject(DEFAULT_GUI_FONT);
            const int oldMode = dc->SetBkMode(TRANSPARENT);
            const COLORREF oldColour = dc->SetTextColor(RGB(255, 180, 0));
            dc->TextOut(m.x - 23, m.y - 18, "Placement", 9);
            dc->TextOut(m.x - 12, m.y + 5, "Origin", 6);
            dc->SetTextColor(oldColour);
            dc->SetBkMode(oldMode);
            if (oldFont)
                dc->SelectObject(oldFont);
        }
        dc->SelectObject(&black);
    }
    dc->SelectObject(oldPen);
    if (oldBrush)
        dc->SelectObject(oldBrush);
}
