#include "sdk/host_api.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/app_shell.h"
#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "platform/d3d9/direct3d_device9.h"
#include "render/direct3d.h"
#include "render/view/2d_view.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/entity.h"
#include "scene/group.h"
#include "scene/object_type.h"
#include "scene/overlay.h"
#include "sdk/pick3d_info.h"

namespace
{

constexpr float kNoHit = 9999999.0f;
constexpr float kEmptyBox = 10000000.0f;
constexpr int kMaxNesting = 32;

// The entity whose data block the running call was made for; skipped by drawing and ray tests.
void *g_ExcludedEntity = nullptr;
int g_Nesting = 0;

// Saves the excluded entity on entry and restores it on return; refuses calls nested too deep.
class CallScope
{
public:
    explicit CallScope(OVERRIDEDATA *over) : m_Saved(g_ExcludedEntity), m_Entered(g_Nesting < kMaxNesting)
    {
        if (!m_Entered)
            return;
        ++g_Nesting;
        if (over && !over->Matrix && over->Kind == 1)
            g_ExcludedEntity = over->EntityData;
    }
    ~CallScope()
    {
        if (!m_Entered)
            return;
        --g_Nesting;
        g_ExcludedEntity = m_Saved;
    }
    bool Entered() const { return m_Entered; }

private:
    void *m_Saved;
    bool m_Entered;
};

ZNBBOX EmptyBox()
{
    return ZNBBOX{D3DXVECTOR3(kEmptyBox, kEmptyBox, kEmptyBox), D3DXVECTOR3(-kEmptyBox, -kEmptyBox, -kEmptyBox)};
}

void GrowByPoint(ZNBBOX &box, const D3DXVECTOR3 &p)
{
    box.Min.x = std::min(box.Min.x, p.x);
    box.Min.y = std::min(box.Min.y, p.y);
    box.Min.z = std::min(box.Min.z, p.z);
    box.Max.x = std::max(box.Max.x, p.x);
    box.Max.y = std::max(box.Max.y, p.y);
    box.Max.z = std::max(box.Max.z, p.z);
}

// The entity whose data block the running call was made for.
bool IsExcluded(const CZNEntity *entity)
{
    return g_ExcludedEntity && entity->GetData() == g_ExcludedEntity;
}

// Grows box by the eight corners of own under m (null: as they are).
void GrowByBox(ZNBBOX &box, const ZNBBOX &own, const D3DXMATRIX *m)
{
    for (int i = 0; i < 8; ++i) {
        D3DXVECTOR3 corner(i & 1 ? own.Max.x : own.Min.x, i & 2 ? own.Max.y : own.Min.y, i & 4 ? own.Max.z : own.Min.z);
        if (m)
            D3DXVec3TransformCoord(&corner, &corner, m);
        GrowByPoint(box, corner);
    }
}

// Grows box by the object's box corners under m (null: as they are).
void GrowByObject(ZNBBOX &box, void *object, const D3DXMATRIX *m)
{
    switch (GetObjectType(object)) {
    case ZNOBJECT_BRUSH: {
        const ZNBBOX own = static_cast<ZNBRUSH *>(object)->m_Bounds;
        GrowByBox(box, own, m);
        break;
    }
    case ZNOBJECT_GROUP: {
        const CZNGROUP *group = static_cast<CZNGROUP *>(object);
        for (DWORD i = 0; i < group->GetChildCount(); ++i)
            GrowByObject(box, group->GetChild(i), m);
        break;
    }
    case ZNOBJECT_ENTITY: {
        const CZNEntity *entity = static_cast<CZNEntity *>(object);
        // The calling entity's own bounds would ask for this box again.
        if (IsExcluded(entity))
            break;
        const ZNBBOX own = entity->GetBounds(0, nullptr);
        GrowByBox(box, own, m);
        break;
    }
    default:
        break;
    }
}

// The named object with its placement: M = T(-centre of its own box) x matrix x the override's
// matrix. While it lives, the override's matrix points to M; the caller's value comes back after.
class Placement
{
public:
    Placement(const char *name, const D3DXMATRIX *matrix, OVERRIDEDATA *over) : m_Over(over)
    {
        CZNEDITORDoc *document = GetEditorApp()->GetDocument();
        m_Object = document && name ? document->FindObjectByName(name) : nullptr;
        if (!m_Object)
            return;
        ZNBBOX own = EmptyBox();
        GrowByObject(own, m_Object, nullptr);
        const D3DXVECTOR3 centre = (own.Min + own.Max) * 0.5f;
        D3DXMATRIX world;
        if (matrix)
            world = *matrix;
        else
            D3DXMatrixIdentity(&world);
        if (over && over->Matrix)
            D3DXMatrixMultiply(&world, &world, over->Matrix);
        D3DXMATRIX toCentre;
        D3DXMatrixTranslation(&toCentre, -centre.x, -centre.y, -centre.z);
        D3DXMatrixMultiply(&m_Matrix, &toCentre, &world);
        if (over) {
            m_SavedMatrix = over->Matrix;
            over->Matrix = &m_Matrix;
        }
    }
    ~Placement()
    {
        if (m_Object && m_Over)
            m_Over->Matrix = m_SavedMatrix;
    }
    void *Object() const { return m_Object; }
    const D3DXMATRIX &Matrix() const { return m_Matrix; }

private:
    OVERRIDEDATA *m_Over;
    void *m_Object = nullptr;
    D3DXMATRIX m_Matrix;
    D3DXMATRIX *m_SavedMatrix = nullptr;
};

void Draw3DObject(CZN3D *d3d, void *object, const D3DXMATRIX &m, OVERRIDEDATA *over)
{
    switch (GetObjectType(object)) {
    case ZNOBJECT_BRUSH:
        d3d->GetDevice()->SetTransform(D3DTS_WORLD, &m);
        static_cast<ZNBRUSH *>(object)->Draw3D(d3d, 0, 1, 0, 0, over);
        break;
    case ZNOBJECT_GROUP: {
        const CZNGROUP *group = static_cast<CZNGROUP *>(object);
        for (DWORD i = 0; i < group->GetChildCount(); ++i)
            Draw3DObject(d3d, group->GetChild(i), m, over);
        break;
    }
    case ZNOBJECT_ENTITY: {
        // Lights and the built-in kind B are not shown through another object.
        CZNEntity *entity = static_cast<CZNEntity *>(object);
        if (IsExcluded(entity) || !GetEditorApp()->Options().m_DrawEntities3D || entity->GetLightIndex() != -1 ||
            entity->IsBuiltInKindB())
            break;
        d3d->GetDevice()->SetTransform(D3DTS_WORLD, &m);
        entity->Draw3D(d3d, 0, over);
        break;
    }
    default:
        break;
    }
}

void Draw2DObject(CZN2DView *view, CDC *dc, void *object, const D3DXMATRIX &m, OVERRIDEDATA *over)
{
    switch (GetObjectType(object)) {
    case ZNOBJECT_BRUSH:
        static_cast<ZNBRUSH *>(object)->Draw2D(view, dc, &m, over);
        break;
    case ZNOBJECT_GROUP: {
        const CZNGROUP *group = static_cast<CZNGROUP *>(object);
        for (DWORD i = 0; i < group->GetChildCount(); ++i)
            Draw2DObject(view, dc, group->GetChild(i), m, over);
        break;
    }
    case ZNOBJECT_ENTITY: {
        CZNEntity *entity = static_cast<CZNEntity *>(object);
        if (!IsExcluded(entity))
            entity->Draw2D(view, dc, over);
        break;
    }
    default:
        break;
    }
}

bool PickObject(void *object, const D3DXMATRIX &inverse, const D3DXVECTOR3 &origin, const D3DXVECTOR3 &direction,
                PICK3DINFO *pick, OVERRIDEDATA *over)
{
    switch (GetObjectType(object)) {
    case ZNOBJECT_BRUSH: {
        D3DXVECTOR3 o, d;
        D3DXVec3TransformCoord(&o, &origin, &inverse);
        D3DXVec3TransformNormal(&d, &direction, &inverse);
        return static_cast<ZNBRUSH *>(object)->Pick3D(&o, &d, kNoHit, pick, 0, over) != 0;
    }
    case ZNOBJECT_GROUP: {
        const CZNGROUP *group = static_cast<CZNGROUP *>(object);
        bool hit = false;
        for (DWORD i = 0; i < group->GetChildCount(); ++i)
            hit = PickObject(group->GetChild(i), inverse, origin, direction, pick, over) || hit;
        return hit;
    }
    case ZNOBJECT_ENTITY: {
        CZNEntity *entity = static_cast<CZNEntity *>(object);
        if (IsExcluded(entity))
            return false;
        D3DXVECTOR3 o, d;
        D3DXVec3TransformCoord(&o, &origin, &inverse);
        D3DXVec3TransformNormal(&d, &direction, &inverse);
        return entity->Pick3D(&o, &d, kNoHit, pick, 0, 0) != 0;
    }
    default:
        return false;
    }
}

// Every group of the scene, each root group followed by its nested groups, depth first.
void CollectGroupTree(CZNGROUP *group, std::vector<CZNGROUP *> &out)
{
    out.push_back(group);
    for (DWORD i = 0; i < group->GetChildCount(); ++i) {
        void *child = group->GetChild(i);
        if (child && GetObjectType(child) == ZNOBJECT_GROUP)
            CollectGroupTree(static_cast<CZNGROUP *>(child), out);
    }
}

std::vector<CZNGROUP *> AllGroups()
{
    std::vector<CZNGROUP *> groups;
    CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    if (!document)
        return groups;
    CZNCONTAINER roots;
    document->CollectGroups(&roots);
    for (DWORD i = 0; i < roots.GetElementCount(); ++i)
        CollectGroupTree(static_cast<CZNGROUP *>(roots.GetElement(i)), groups);
    return groups;
}

bool CopyName(const char *name, char *buffer, uint32_t length)
{
    if (!name || !buffer)
        return false;
    buffer[0] = '\0';
    const size_t size = std::strlen(name);
    const size_t copied = size >= length ? length : size;
    std::memcpy(buffer, name, copied);
    buffer[copied] = '\0';
    return true;
}

} // namespace

ZNBRUSH *AllocNewBrush()
{
    CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    return document ? document->NewBrush() : nullptr;
}

int32_t IsRenderingLights2D()
{
    return GetEditorApp()->Options().m_DrawLights2D;
}
int32_t IsRenderingLights3D()
{
    return GetEditorApp()->Options().m_DrawLights3D;
}
int32_t IsRenderingLightInfluences()
{
    return GetEditorApp()->Options().m_DrawLightInfluences;
}
int32_t IsRenderingEntities2D()
{
    return GetEditorApp()->Options().m_DrawEntities2D;
}
int32_t IsRenderingEntities3D()
{
    return GetEditorApp()->Options().m_DrawEntities3D;
}

uint32_t TOVRA_GetVersion()
{
    return 0x01050000u;
}

void TOVRA_UpdateSelectionBand()
{
    if (CZNSelectionBand *band = GetEditorApp()->GetSelectionBand())
        band->Update();
}

IDirect3DDevice9 *TOVRA_GetD3DDevice()
{
    return GetEditorApp()->Get3D()->GetDevice();
}

bool TOVRA_GetHardwareTnL()
{
    IDirect3DDevice9 *device = TOVRA_GetD3DDevice();
    D3DDEVICE_CREATION_PARAMETERS parameters{};
    if (!device || device->GetCreationParameters(&parameters) != D3D_OK)
        return false;
    return (parameters.BehaviorFlags & D3DCREATE_HARDWARE_VERTEXPROCESSING) != 0;
}

D3DXVECTOR3 TOVRA_Get3DCameraPos()
{
    return GetEditorApp()->Get3D()->GetCamera()->GetPosition();
}

uint32_t TOVRA_GetRenderMode()
{
    return GetEditorApp()->Get3D()->GetRenderMode();
}

void TOVRA_DrawObject3D(const char *name, const D3DXMATRIX *matrix, OVERRIDEDATA *over)
{
    CallScope scope(over);
    CZN3D *d3d = GetEditorApp()->Get3D();
    if (!scope.Entered() || !d3d->GetDevice())
        return;
    Placement placement(name, matrix, over);
    if (!placement.Object())
        return;
    ZNBBOX box = EmptyBox();
    GrowByObject(box, placement.Object(), &placement.Matrix());
    if (!d3d->GetCamera()->IsBoxInFrustum(&box.Min, &box.Max))
        return;
    Draw3DObject(d3d, placement.Object(), placement.Matrix(), over);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    d3d->GetDevice()->SetTransform(D3DTS_WORLD, &identity);
}

void TOVRA_DrawObject2D(const char *name, RENDERINFO2D *info, const D3DXMATRIX *matrix, OVERRIDEDATA *over)
{
    CallScope scope(over);
    if (!scope.Entered() || !info || !info->Dc || info->View < 0 || info->View > 2)
        return;
    Placement placement(name, matrix, over);
    if (!placement.Object())
        return;
    // A view with the record's projection, drawing into the record's context.
    CZN2DView view;
    view.SetViewType(static_cast<WORD>(info->View));
    view.SetClientSize(info->Width, info->Height);
    view.SetZoom(info->Zoom);
    view.SetCentre(info->CentreU, -info->CentreV);
    Draw2DObject(&view, info->Dc, placement.Object(), placement.Matrix(), over);
}

bool TOVRA_GetObjectBounds(const char *name, ZNBBOX *box, const D3DXMATRIX *matrix, OVERRIDEDATA *over)
{
    CallScope scope(over);
    if (!scope.Entered() || !box)
        return false;
    Placement placement(name, matrix, over);
    if (!placement.Object())
        return false;
    *box = EmptyBox();
    GrowByObject(*box, placement.Object(), &placement.Matrix());
    return true;
}

bool TOVRA_IntersectObject(const char *name, const D3DXMATRIX *matrix, const D3DXVECTOR3 *origin,
                           const D3DXVECTOR3 *direction, float *distance, D3DXVECTOR3 *hitPoint, OVERRIDEDATA *over)
{
    CallScope scope(over);
    if (!scope.Entered() || !origin || !direction)
        return false;
    Placement placement(name, matrix, over);
    if (!placement.Object())
        return false;
    PICK3DINFO pick{};
    pick.Distance = kNoHit;
    D3DXMATRIX inverse;
    bool hit = false;
    if (D3DXMatrixInverse(&inverse, nullptr, &placement.Matrix()))
        hit = PickObject(placement.Object(), inverse, *origin, *direction, &pick, over);
    if (distance)
        *distance = hit ? pick.Distance : kNoHit;
    if (hitPoint && hit)
        D3DXVec3TransformCoord(hitPoint, &pick.Point, &placement.Matrix());
    return hit;
}

bool TOVRA_IsEntitySelected(void *data)
{
    CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    for (CZNEntity *entity = document ? document->GetEntityList() : nullptr; entity; entity = entity->m_Next)
        if (data && entity->GetData() == data)
            return entity->IsSelected();
    return false;
}

uint32_t TOVRA_GetBrushCount()
{
    CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    uint32_t count = 0;
    for (ZNBRUSH *brush = document ? document->GetBrushList() : nullptr; brush; brush = brush->m_Next)
        ++count;
    return count;
}

uint32_t TOVRA_GetEntityCount()
{
    CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    uint32_t count = 0;
    for (CZNEntity *entity = document ? document->GetEntityList() : nullptr; entity; entity = entity->m_Next)
        ++count;
    return count;
}
uint32_t TOVRA_GetOverlayCount()
{
    CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    uint32_t count = 0;
    for (CZNOverlay *overlay = document ? document->GetOverlayList() : nullptr; overlay; overlay = overlay->m_Next)
        ++count;
    return count;
}

uint32_t TOVRA_GetGroupCount()
{
    return static_cast<uint32_t>(AllGroups().size());
}

bool TOVRA_GetBrushName(uint32_t index, char *buffer, uint32_t length)
{
    CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    ZNBRUSH *brush = document ? document->GetBrushList() : nullptr;
    for (; brush && index > 0; --index)
        brush = brush->m_Next;
    return brush && CopyName(brush->m_Name, buffer, length);
}

bool TOVRA_GetEntityName(uint32_t index, char *buffer, uint32_t length)
{
    CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    CZNEntity *entity = document ? document->GetEntityList() : nullptr;
    for (; entity && index > 0; --index)
        entity = entity->m_Next;
    return entity && CopyName(entity->GetName(), buffer, length);
}

bool TOVRA_GetOverlayName(uint32_t index, char *buffer, uint32_t length)
{
    CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    CZNOverlay *overlay = document ? document->GetOverlayList() : nullptr;
    for (; overlay && index > 0; --index)
        overlay = overlay->m_Next;
    return overlay && CopyName(overlay->m_Name, buffer, length);
}

bool TOVRA_GetGroupName(uint32_t index, char *buffer, uint32_t length)
{
    const std::vector<CZNGROUP *> groups = AllGroups();
    return index < groups.size() && CopyName(groups[index]->GetName(), buffer, length);
}

bool TOVRA_ImportFile(char *, bool, D3DXVECTOR3 *)
{
    return false;
}

LRESULT TOVRA_HostCommand(QWidget *control, WPARAM wParam, LPARAM lParam)
{
    // The hosts are widgets of the shell; the core only hands the command over.
    IZNAppShell *shell = GetEditorApp()->GetShell();
    return shell && control ? shell->HostCommand(control, wParam, lParam) : 0;
}
