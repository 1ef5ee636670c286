// CZNSelectionBand: the CSG commands on the selected brushes. The geometry is the BSP trees';
// this file chooses which trees clip which, what becomes of the brushes, and the undo records.
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "platform/os/reporter.h"
#include "scene/brush.h"
#include "scene/bsp_carve.h"
#include "scene/bsp_tree.h"
#include "scene/group.h"
#include "scene/object_type.h"

namespace
{

constexpr const char *kCaption = "TOVRA";
constexpr const char *kNoBrushes =
    "Tovra can not perform the Intersect Opertion. There are no Brushes in the Selection band";
constexpr const char *kOneBrush =
    "You have Selected to perform INTERSECT with only ONE Brush selected. Proceeding will intersect this Brush "
    "with ANY Brush in the scene that its Bounding Box intersects. \n Are you SURE you wish to proceed.";
constexpr const char *kUnionCount = "To Perform Union of Brushes you must have Two or more brushes Selected";

using TreePtr = std::unique_ptr<CZNBSPTREE>;

TreePtr NewTree()
{
    return TreePtr(new (std::nothrow) CZNBSPTREE);
}

ZNBRUSH *BrushOf(uintptr_t word)
{
    void *object = reinterpret_cast<void *>(word);
    return object && GetObjectType(object) == ZNOBJECT_BRUSH ? static_cast<ZNBRUSH *>(object) : nullptr;
}

bool IsDetail(const ZNBRUSH *brush)
{
    return (brush->m_Flags & ZNBRUSH_DETAIL) != 0;
}

// Boxes that overlap or touch on every axis.
bool BoxesMeet(const ZNBBOX &a, const ZNBBOX &b)
{
    return a.Min.x <= b.Max.x && a.Max.x >= b.Min.x && a.Min.y <= b.Max.y && a.Max.y >= b.Min.y && a.Min.z <= b.Max.z &&
           a.Max.z >= b.Min.z;
}

// True when some polygon of the tree would become a face.
bool HasSurvivors(const CZNBSPTREE &tree)
{
    for (DWORD i = 0; i < tree.m_PolygonCount; ++i) {
        const CZNBSPPOLYGON *p = tree.m_Polygons[i];
        if (p && !p->m_Deleted && p->m_VertexCount > 0 && p->m_Vertices)
            return true;
    }
    return false;
}

// What a brush computes after its faces were rebuilt.
void RebuildDerived(ZNBRUSH *brush)
{
    brush->RemoveTJunctions();
    brush->BuildTriIndices();
    brush->CalculateFaceNormals();
    brush->UpdateSharedFaceInfo();
    brush->CalculateVertexNormals(1);
    brush->CalculateFaceCenterPoints();
    brush->CalculateWorldTextureCoords();
}

ZNSELECTIONENTRY EntryOf(ZNBRUSH *brush)
{
    ZNSELECTIONENTRY e;
    e.Type = ZNSELECT_BRUSH;
    e.Object = reinterpret_cast<uintptr_t>(brush);
    return e;
}

// The records of one command: the first starts the undo level, the others continue it.
class CommandRecords
{
public:
    explicit CommandRecords(CZNEDITORDoc *doc) : m_Doc(doc) {}
    void Write(DWORD type, std::vector<ZNSELECTIONENTRY> entries, int withGroups)
    {
        if (m_Doc->WriteUndoData(type, entries, m_Written ? 1 : 0, withGroups))
            m_Written = true;
    }
    void Write(DWORD type, ZNBRUSH *brush, int withGroups) { Write(type, {EntryOf(brush)}, withGroups); }
    // Validation, the description (only on a level this command began), band, views, cap.
    void Finish(CZNSelectionBand *band, const char *description)
    {
        m_Doc->ValidateBrushes();
        // Brushes validation deleted leave the band too.
        std::vector<ZNSELECTIONENTRY> gone;
        for (const ZNSELECTIONENTRY &e : band->Entries())
            if (BrushOf(e.Object) && m_Doc->GetObjectIndex(ZNSELECT_BRUSH, reinterpret_cast<void *>(e.Object)) < 0)
                gone.push_back(e);
        for (const ZNSELECTIONENTRY &e : gone)
            band->RemoveMatchingEntry(&e);
        if (!gone.empty() && band->GetEntryCount() == 0)
            band->Clear(0, 1);
        if (m_Written)
            m_Doc->SetUndoDescription(description);
        band->Update();
        m_Doc->RedrawAllViews(nullptr, 0);
        m_Doc->TrimUndoBuffer();
    }

private:
    CZNEDITORDoc *m_Doc;
    bool m_Written = false;
};

// A new brush of the document made of the polygons of a list, with the flags of model; null
// when it cannot be made.
ZNBRUSH *PieceOf(CZNEDITORDoc *doc, const ZNBRUSH *model, const CZNBSPPOLYGON *list)
{
    CZNBSPTREE faces;
    for (const CZNBSPPOLYGON *p = list; p; p = p->m_Next)
        if (!faces.AddPolygonCopy(nullptr, p))
            return nullptr;
    ZNBRUSH *piece = doc->NewBrush();
    if (!piece)
        return nullptr;
    piece->m_Flags = model->m_Flags;
    piece->BuildBrushFromBSPTree(&faces, 0);
    return piece;
}

// A brush the carvers may cut: the requested one (any, when null), neither selected nor a
// detail brush.
bool CarveTarget(ZNBRUSH *brush, const ZNBRUSH *only)
{
    return (!only || brush == only) && !brush->IsBrushSelected() && !IsDetail(brush);
}

// The carvers of a carve command: every selected brush that is not a detail brush, with its tree
// built once for the whole command, in band order. A carver whose tree cannot be allocated makes
// the command's result 0; one whose tree cannot be built is passed over.
class Carvers
{
public:
    explicit Carvers(const std::vector<ZNSELECTIONENTRY> &entries)
    {
        for (const ZNSELECTIONENTRY &entry : entries) {
            ZNBRUSH *carver = BrushOf(entry.Object);
            if (!carver || IsDetail(carver))
                continue;
            TreePtr tree = NewTree();
            if (!tree) {
                m_Result = 0;
                continue;
            }
            if (!tree->BuildFromBrush(carver))
                continue;
            m_Brushes.push_back(carver);
            m_Tools.push_back({tree.get(), carver->GetBoundingBox(1)});
            m_Trees.push_back(std::move(tree));
        }
    }
    int Result() const { return m_Result; }
    size_t Count() const { return m_Tools.size(); }
    ZNBRUSH *Brush(size_t i) const { return m_Brushes[i]; }
    const ZNBSPCARVER &Tool(size_t i) const { return m_Tools[i]; }
    // The carvers whose solids meet the brush's (tree, box): its boxes meet theirs, and a part of
    // one lies in the other. A brush that reaches no carver's solid only touches them at most, and
    // one wholly inside a carver has a box inside the carver's.
    std::vector<ZNBSPCARVER> Meeting(CZNBSPTREE &tree, const ZNBBOX &box) const
    {
        std::vector<ZNBSPCARVER> meeting;
        for (const ZNBSPCARVER &tool : m_Tools) {
            if (!BoxesMeet(tool.Box, box))
                continue;
            if (tree.AnyPolygonInside(tool.Tree) || (Inside(box, tool.Box) && tool.Tree->AnyPolygonInside(&tree)))
                meeting.push_back(tool);
        }
        return meeting;
    }
    // True when a brush's box meets some carver's box.
    bool Reach(const ZNBBOX &box) const
    {
        for (const ZNBSPCARVER &tool : m_Tools)
            if (BoxesMeet(tool.Box, box))
                return true;
        return false;
    }

private:
    // A box inside another, give or take the tolerance within which the trees take a point to
    // lie on a plane.
    static bool Inside(const ZNBBOX &inner, const ZNBBOX &outer)
    {
        constexpr float kSlack = 0.02f;
        return inner.Min.x >= outer.Min.x - kSlack && inner.Min.y >= outer.Min.y - kSlack &&
               inner.Min.z >= outer.Min.z - kSlack && inner.Max.x <= outer.Max.x + kSlack &&
               inner.Max.y <= outer.Max.y + kSlack && inner.Max.z <= outer.Max.z + kSlack;
    }

    int m_Result = 1;
    std::vector<ZNBRUSH *> m_Brushes;
    std::vector<ZNBSPCARVER> m_Tools;
    std::vector<TreePtr> m_Trees;
};

} // namespace

int CZNSelectionBand::UnionOrIntersect(int unionFlag)
{
    CZNEDITORDoc *doc = GetEditorApp()->GetDocument();
    if (!doc || m_Entries.empty() || m_BandMode != ZNBAND_OBJECTS)
        return 0;
    IZNReporter *reporter = GetEditorApp()->GetReporter();
    DWORD brushes = 0;
    for (const ZNSELECTIONENTRY &e : m_Entries)
        brushes += BrushOf(e.Object) ? 1 : 0;
    if (!unionFlag && brushes == 0) {
        reporter->Message(kNoBrushes, kCaption, MB_ICONINFORMATION);
        return 1;
    }
    if (!unionFlag && brushes == 1)
        return reporter->Message(kOneBrush, kCaption, MB_YESNO | MB_ICONWARNING) == IDYES ? IntersectWithScene() : 1;
    if (unionFlag && brushes < 2) {
        reporter->Message(kUnionCount, kCaption, MB_ICONINFORMATION);
        return 1;
    }

    ZNBRUSH *result = doc->NewBrush();
    if (!result)
        return 0;
    const size_t n = m_Entries.size();
    std::vector<TreePtr> trees(n);
    std::vector<ZNBBOX> boxes(n);
    std::vector<ZNBRUSH *> inputs; // the selected brushes that are not detail brushes
    size_t base = n;               // intersect: the first entry with a tree
    for (size_t i = 0; i < n; ++i) {
        ZNBRUSH *brush = BrushOf(m_Entries[i].Object);
        if (!brush || IsDetail(brush))
            continue;
        trees[i] = NewTree();
        if (!trees[i] || !trees[i]->BuildFromBrush(brush)) {
            doc->DeleteBrush(result);
            return 0;
        }
        boxes[i] = brush->GetBoundingBox(1);
        inputs.push_back(brush);
        if (base == n)
            base = i;
    }

    const int keepOutside = unionFlag ? 1 : 0;
    std::vector<bool> done(n, false);
    for (size_t i = 0; i < n; ++i) {
        if (!trees[i] || (!unionFlag && i != base))
            continue;
        CZNBSPTREE &a = *trees[i];
        for (size_t j = 0; j < n; ++j) {
            if (j == i || !trees[j] || done[j])
                continue;
            CZNBSPTREE &b = *trees[j];
            // A pair of the union meets in the solid: either brush reaching into the other, so
            // that one wholly inside the other is paired too.
            if (unionFlag && !(BoxesMeet(boxes[i], boxes[j]) && (b.AnyPolygonInside(&a) || a.AnyPolygonInside(&b))))
                continue;
            if (a.m_PolygonCount == 0)
                continue;
            a.ClipTree(a.m_RootNode, nullptr, &b, keepOutside, 0);
            b.ClipTree(b.m_RootNode, nullptr, &a, keepOutside, 1);
            a.MergeSplitFragments();
            b.MergeSplitFragments();
            if (!unionFlag) {
                result->ReleaseFaces();
                result->BuildBrushFromBSPTree(&a, 0);
                result->BuildBrushFromBSPTree(&b, 1);
                if (j + 1 != n) {
                    // The next brush meets the running result.
                    a.Release();
                    a.BuildFromBrush(result);
                }
            }
        }
        if (unionFlag)
            result->BuildBrushFromBSPTree(&a, 1);
        done[i] = true;
    }
    trees.clear();

    CommandRecords records(doc);
    std::vector<ZNSELECTIONENTRY> removed;
    for (ZNBRUSH *brush : inputs)
        removed.push_back(EntryOf(brush));
    if (!removed.empty())
        records.Write(ZNUNDO_REMOVE, removed, 1);
    for (ZNBRUSH *brush : inputs) {
        const ZNSELECTIONENTRY e = EntryOf(brush);
        for (DWORD k = 0; k < m_Entries.size(); ++k)
            if (m_Entries[k].Type == e.Type && m_Entries[k].Object == e.Object) {
                RemoveEntry(k, 1);
                break;
            }
    }

    if (result->GetFaceCount() == 0) {
        doc->DeleteBrush(result);
    } else {
        const ZNSELECTIONENTRY e = EntryOf(result);
        AddToSelection(&e, 1, 0);
        RebuildDerived(result);
        records.Write(ZNUNDO_ADD, result, 0);
    }
    records.Finish(this, unionFlag ? "Union Selected" : "Intersect Selected");
    return 1;
}

int CZNSelectionBand::IntersectWithScene()
{
    CZNEDITORDoc *doc = GetEditorApp()->GetDocument();
    if (!doc || m_Entries.empty() || m_BandMode != ZNBAND_OBJECTS)
        return 0;
    TreePtr a = NewTree(), b = NewTree();
    if (!a || !b)
        return 0;
    ZNBRUSH *tool = nullptr;
    for (const ZNSELECTIONENTRY &e : m_Entries)
        if ((tool = BrushOf(e.Object)) != nullptr)
            break;
    if (!tool)
        return 0;
    if (IsDetail(tool))
        return 1;

    int result = 1;
    CommandRecords records(doc);
    const ZNBBOX toolBox = tool->GetBoundingBox(1);
    ZNBRUSH *last = doc->GetLastBrush();
    for (ZNBRUSH *brush = doc->GetBrushList(), *next = nullptr; brush; brush = next) {
        next = brush == last ? nullptr : brush->m_Next;
        if (brush == tool || IsDetail(brush) || !BoxesMeet(toolBox, brush->GetBoundingBox(1)))
            continue;
        a->Release();
        b->Release();
        if (!a->BuildFromBrush(tool) || !b->BuildFromBrush(brush)) {
            result = 0;
            continue;
        }
        a->ClipTree(a->m_RootNode, nullptr, b.get(), 0, 0);
        b->ClipTree(b->m_RootNode, nullptr, a.get(), 0, 1);
        a->MergeSplitFragments();
        b->MergeSplitFragments();
        if (!HasSurvivors(*a) && !HasSurvivors(*b)) {
            // Nothing of the brush lies inside: it goes whole, and no faceless brush is recorded.
            records.Write(ZNUNDO_REMOVE, brush, 0);
            doc->DeleteBrush(brush);
            continue;
        }
        records.Write(ZNUNDO_CSGINPLACE, brush, 0);
        brush->BuildBrushFromBSPTree(a.get(), 0);
        brush->BuildBrushFromBSPTree(b.get(), 1);
        RebuildDerived(brush);
        const ZNSELECTIONENTRY e = EntryOf(brush);
        AddToSelection(&e, 1, 0);
    }
    a.reset();
    b.reset();

    records.Write(ZNUNDO_REMOVE, tool, 1);
    const ZNSELECTIONENTRY e = EntryOf(tool);
    tool->SelectBrush(0);
    tool->ClearCache();
    RemoveMatchingEntry(&e);
    if (m_Entries.empty())
        Clear(0, 1);
    doc->DeleteBrush(tool);
    records.Finish(this, "Scene Intersection");
    return result;
}

ZNBRUSH *CZNSelectionBand::CarveBrush(ZNBRUSH *brush, CZNBSPTREE *tree, int carve, LONG node, int lastBrush,
                                      std::vector<ZNBRUSH *> *pieces)
{
    CZNEDITORDoc *doc = GetEditorApp()->GetDocument();
    if (!doc || !brush || !tree || node < 0 || static_cast<DWORD>(node) >= tree->m_NodeCount)
        return nullptr;
    TreePtr x = NewTree();
    if (!x || !x->BuildFromBrush(brush))
        return nullptr;
    const ZNBSPNODE split = tree->m_Nodes[node];
    if (split.Plane < 0 || static_cast<DWORD>(split.Plane) >= tree->m_PlaneCount)
        return nullptr;
    const ZNBSPPLANE plane = tree->m_Planes[split.Plane];
    x->ClipBrush(&plane.Point, &plane.Normal);

    // A piece that could not be cut further stays whole and is kept with the others.
    auto carveOn = [&](ZNBRUSH *piece, LONG child) {
        CarveBrush(piece, tree, carve, child, 0, pieces);
        if (pieces && doc->GetObjectIndex(ZNSELECT_BRUSH, piece) >= 0)
            pieces->push_back(piece);
    };
    if (x->m_FrontResult) {
        if (ZNBRUSH *front = PieceOf(doc, brush, x->m_FrontResult)) {
            if (split.FrontIsLeaf) {
                if (pieces)
                    pieces->push_back(front); // outside the carver
            } else {
                carveOn(front, split.Front);
            }
        }
    }
    // What lies in the carver's solid goes.
    if (x->m_BackResult && split.Back != -1)
        if (ZNBRUSH *back = PieceOf(doc, brush, x->m_BackResult))
            carveOn(back, split.Back);
    x.reset();

    ZNBRUSH *next = lastBrush ? brush->m_Next : nullptr;
    doc->DeleteBrush(brush);
    return next;
}

int CZNSelectionBand::CarveSplit(ZNBRUSH *only)
{
    CZNEDITORDoc *doc = GetEditorApp()->GetDocument();
    if (!doc || m_Entries.empty() || m_BandMode != ZNBAND_OBJECTS)
        return 0;
    CommandRecords records(doc);
    const Carvers carvers(m_Entries);
    for (size_t c = 0; c < carvers.Count(); ++c) {
        const ZNBSPCARVER &tool = carvers.Tool(c);
        // Only the brushes that were there when the walk began; the pieces come after them.
        ZNBRUSH *last = doc->GetLastBrush();
        std::vector<ZNBRUSH *> pieces;
        for (ZNBRUSH *brush = doc->GetBrushList(), *next = nullptr; brush; brush = next) {
            next = brush == last ? nullptr : brush->m_Next;
            if (!CarveTarget(brush, only) || !BoxesMeet(tool.Box, brush->GetBoundingBox(1)))
                continue;
            records.Write(ZNUNDO_REMOVE, brush, 0);
            CarveBrush(brush, tool.Tree, 1, tool.Tree->m_RootNode, brush == last, &pieces);
        }
        if (pieces.empty())
            continue;
        auto *group = new (std::nothrow) CZNGROUP;
        std::vector<ZNSELECTIONENTRY> added;
        for (ZNBRUSH *piece : pieces) {
            RebuildDerived(piece);
            if (group)
                group->AddChild(piece);
            added.push_back(EntryOf(piece));
        }
        records.Write(ZNUNDO_ADD, added, 0);
    }
    records.Finish(this, "Carve Objects");
    return carvers.Result();
}

int CZNSelectionBand::CarveInPlace(ZNBRUSH *only)
{
    CZNEDITORDoc *doc = GetEditorApp()->GetDocument();
    if (!doc || m_Entries.empty() || m_BandMode != ZNBAND_OBJECTS)
        return 0;
    CommandRecords records(doc);
    const Carvers carvers(m_Entries);
    int result = carvers.Result();
    // Each brush is carved by all the carvers that meet it at once, and rebuilt and recorded once.
    for (ZNBRUSH *brush = doc->GetBrushList(), *next = nullptr; brush && carvers.Count() > 0; brush = next) {
        next = brush->m_Next;
        if (!CarveTarget(brush, only))
            continue;
        const ZNBBOX box = brush->GetBoundingBox(1);
        if (!carvers.Reach(box))
            continue;
        TreePtr target = NewTree();
        if (!target || !target->BuildFromBrush(brush)) {
            result = 0;
            continue;
        }
        // Left alone unless the solids meet.
        const std::vector<ZNBSPCARVER> meeting = carvers.Meeting(*target, box);
        if (meeting.empty())
            continue;
        // The brush's polygons inside the carvers go; the carvers' polygons inside the brush
        // come in turned over, facing into the hole. A carver that fails (memory) leaves the
        // brush as the others carved it.
        CZNBSPCARVE cut(target.get(), box);
        if (cut.Carve(meeting) != static_cast<int>(meeting.size()))
            result = 0;
        if (!HasSurvivors(*target)) {
            // Nothing of the brush is left outside the carvers.
            records.Write(ZNUNDO_REMOVE, brush, 0);
            doc->DeleteBrush(brush);
            continue;
        }
        records.Write(ZNUNDO_CSGINPLACE, brush, 0);
        brush->BuildBrushFromBSPTree(target.get(), 0);
        RebuildDerived(brush);
    }
    records.Finish(this, "Carve Objects");
    return result;
}

int CZNSelectionBand::Hollow()
{
    return 1;
}
