// CZNSelectionBand: the CSG commands on the selected brushes. The geometry is the BSP trees';
// this file chooses which trees clip which, what becomes of the brushes, and the undo records.
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_level.h"
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

// The records of one command, in one undo level.
class CommandRecords
{
public:
    explicit CommandRecords(CZNEDITORDoc *doc) : m_Doc(doc), m_Level(doc, nullptr) {}
    void Write(DWORD type, std::vector<ZNSELECTIONENTRY> entries, int withGroups)
    {
        m_Level.Record(type, entries, withGroups);
    }
    void Write(DWORD type, ZNBRUSH *brush, int withGroups) { Write(type, {EntryOf(brush)}, withGroups); }
    // Validation within the level, the band, then the description (only on a level this command
    // began), the cap and the views.
    void Finish(CZNSelectionBand *band, const char *description)
    {
        m_Doc->ValidateBrushes(m_Level);
        // Brushes validation deleted leave the band too.
        std::vector<ZNSELECTIONENTRY> gone;
        for (const ZNSELECTIONENTRY &e : band->Entries())
            if (BrushOf(e.Object) && m_Doc->GetObjectIndex(ZNSELECT_BRUSH, reinterpret_cast<void *>(e.Object)) < 0)
                gone.push_back(e);
        for (const ZNSELECTIONENTRY &e : gone)
            band->RemoveMatchingEntry(&e);
        if (!gone.empty() && band->GetEntryCount() == 0)
            band->Clear(0, 1);
        band->Update();
        m_Level.Commit(description);
    }

private:
    CZNEDITORDoc *m_Doc;
    CZNUndoLevel m_Level;
};

using BrushPtr = std::unique_ptr<ZNBRUSH>;

// A brush outside the document made of the polygons of a tree, with the flags of model; null
// when it cannot be allocated. Polygons without vertices make no face.
BrushPtr LoosePiece(const ZNBRUSH &model, CZNBSPTREE &faces)
{
    BrushPtr piece(new (std::nothrow) ZNBRUSH);
    if (!piece)
        return nullptr;
    piece->m_Flags = model.m_Flags;
    if (faces.m_PolygonCount > 0)
        piece->BuildBrushFromBSPTree(&faces, 0);
    return piece;
}

// The same made of the polygons of a list.
BrushPtr LoosePiece(const ZNBRUSH &model, const CZNBSPPOLYGON *list)
{
    CZNBSPTREE faces;
    for (const CZNBSPPOLYGON *p = list; p; p = p->m_Next)
        if (!faces.AddPolygonCopy(nullptr, p))
            return nullptr;
    return LoosePiece(model, faces);
}

// A loose copy of a brush's faces (their geometry and drawing properties, not their selection).
BrushPtr LooseCopy(ZNBRUSH &brush)
{
    CZNBSPTREE faces;
    for (DWORD f = 0; f < brush.GetFaceCount(); ++f) {
        const ZNFACE *face = brush.GetFace(f);
        if (face->GetVertexCount() < 3 || !face->m_Vertices)
            continue; // bounds nothing
        CZNBSPPOLYGON polygon;
        polygon.CopyFaceProperties(*face);
        polygon.m_SurfaceTag = face->m_SurfaceTag;
        if (!polygon.SetVertices(face->m_Vertices, face->GetVertexCount()) || !faces.AddPolygonCopy(nullptr, &polygon))
            return nullptr;
    }
    return LoosePiece(brush, faces);
}

// Where a brush lies against a plane as a whole: ZNPLANE_FRONT, ZNPLANE_BACK or, when it has
// parts on both sides, ZNPLANE_SPANNING. A face in the plane goes with the rest of the brush,
// as ClipBrush puts it.
int SideOf(ZNBRUSH &brush, const ZNBSPPLANE &plane)
{
    bool front = false, back = false;
    for (DWORD f = 0; f < brush.GetFaceCount(); ++f) {
        const ZNFACE *face = brush.GetFace(f);
        const int side = plane.Classify(face->m_Vertices, face->GetVertexCount());
        front = front || side == ZNPLANE_FRONT || side == ZNPLANE_SPANNING;
        back = back || side == ZNPLANE_BACK || side == ZNPLANE_SPANNING;
    }
    return front && back ? ZNPLANE_SPANNING : back ? ZNPLANE_BACK : ZNPLANE_FRONT;
}

// Cuts a brush down a tree from a node: each node's plane splits the pieces that reach it, and
// only those it crosses are cut. The pieces that end in solid space (inside) or in the leaves
// of empty space (not inside) are appended to kept; the others go. False when memory runs out
// or the tree is damaged.
bool CutDown(BrushPtr brush, const CZNBSPTREE &tree, LONG from, bool inside, std::vector<BrushPtr> &kept)
{
    std::vector<std::pair<BrushPtr, LONG>> stack;
    stack.emplace_back(std::move(brush), from);
    while (!stack.empty()) {
        BrushPtr piece = std::move(stack.back().first);
        const LONG node = stack.back().second;
        stack.pop_back();
        if (node < 0 || static_cast<DWORD>(node) >= tree.m_NodeCount)
            return false;
        const ZNBSPNODE &split = tree.m_Nodes[node];
        if (split.Plane < 0 || static_cast<DWORD>(split.Plane) >= tree.m_PlaneCount)
            return false;
        const ZNBSPPLANE &plane = tree.m_Planes[split.Plane];
        // A piece on one side goes on whole; the front side's leaves are empty space, a back
        // child of -1 is solid.
        auto onward = [&](BrushPtr part, bool toFront) {
            if (toFront ? split.FrontIsLeaf != 0 : split.Back == -1) {
                if (toFront != inside)
                    kept.push_back(std::move(part));
                return;
            }
            stack.emplace_back(std::move(part), toFront ? split.Front : split.Back);
        };
        const int side = SideOf(*piece, plane);
        if (side != ZNPLANE_SPANNING) {
            onward(std::move(piece), side == ZNPLANE_FRONT);
            continue;
        }
        TreePtr x = NewTree();
        if (!x || !x->BuildFromBrush(piece.get()))
            return false;
        x->ClipBrush(&plane.Point, &plane.Normal);
        for (const bool toFront : {true, false}) {
            const CZNBSPPOLYGON *list = toFront ? x->m_FrontResult : x->m_BackResult;
            if (!list)
                continue;
            BrushPtr part = LoosePiece(*piece, list);
            if (!part)
                return false;
            if (part->GetFaceCount() > 0)
                onward(std::move(part), toFront);
        }
    }
    return true;
}

// The convex pieces of what a carve left of a brush (the surviving polygons of its carved
// tree): the brush cut down the tree of that shape, the pieces inside it kept. Each piece keeps
// the faces it took from the brush, and its other faces lie on the carvers' walls. False when
// memory runs out.
bool ConvexPieces(ZNBRUSH &brush, CZNBSPTREE &carved, std::vector<BrushPtr> &pieces)
{
    ZNBRUSH shape;
    CZNBSPTREE tree;
    if (!shape.BuildBrushFromBSPTree(&carved, 0) || !tree.BuildFromBrush(&shape))
        return false;
    BrushPtr whole = LooseCopy(brush);
    return whole && whole->GetFaceCount() > 0 && CutDown(std::move(whole), tree, tree.m_RootNode, true, pieces);
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
    // The tree of what the carvers leave of a brush, carved by all that meet its solid at once:
    // its polygons inside the carvers go, and the carvers' polygons inside it come in turned
    // over, facing into the hole. Null when no carver meets it, or when its tree cannot be built
    // (result set to 0). A carver that fails (memory) leaves the brush as the others carved it,
    // and sets result to 0.
    TreePtr Carve(ZNBRUSH *brush, int &result) const
    {
        const ZNBBOX box = brush->GetBoundingBox(1);
        if (!Reach(box))
            return nullptr;
        TreePtr target = NewTree();
        if (!target || !target->BuildFromBrush(brush)) {
            result = 0;
            return nullptr;
        }
        // Left alone unless the solids meet.
        const std::vector<ZNBSPCARVER> meeting = Meeting(*target, box);
        if (meeting.empty())
            return nullptr;
        CZNBSPCARVE cut(target.get(), box);
        if (cut.Carve(meeting) != static_cast<int>(meeting.size()))
            result = 0;
        return target;
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
    (void)carve; // always 1: the pieces outside the carver are kept
    CZNEDITORDoc *doc = GetEditorApp()->GetDocument();
    if (!doc || !brush || !tree || node < 0 || static_cast<DWORD>(node) >= tree->m_NodeCount)
        return nullptr;
    BrushPtr whole = LooseCopy(*brush);
    std::vector<BrushPtr> outside;
    if (!whole || !CutDown(std::move(whole), *tree, node, false, outside))
        return nullptr;
    for (BrushPtr &owned : outside) {
        ZNBRUSH *piece = owned.release();
        doc->AppendBrush(piece);
        if (pieces)
            pieces->push_back(piece);
    }
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
    int result = carvers.Result();
    // Each brush is carved by all the carvers that meet it at once, as in place, and what is left
    // is cut into convex pieces. The cut brushes go in one record, the pieces come in another,
    // after the brushes that were there, in one new group.
    std::vector<ZNSELECTIONENTRY> cut;
    std::vector<BrushPtr> pieces;
    for (ZNBRUSH *brush = doc->GetBrushList(); brush && carvers.Count() > 0; brush = brush->m_Next) {
        if (!CarveTarget(brush, only))
            continue;
        const TreePtr carved = carvers.Carve(brush, result);
        if (!carved)
            continue;
        std::vector<BrushPtr> made;
        if (HasSurvivors(*carved) && !ConvexPieces(*brush, *carved, made)) {
            // The brush stays whole.
            result = 0;
            continue;
        }
        cut.push_back(EntryOf(brush));
        for (BrushPtr &piece : made)
            pieces.push_back(std::move(piece));
    }
    if (!cut.empty())
        records.Write(ZNUNDO_REMOVE, cut, 0);
    for (const ZNSELECTIONENTRY &e : cut)
        doc->DeleteBrush(BrushOf(e.Object));
    if (!pieces.empty()) {
        auto *group = new (std::nothrow) CZNGROUP;
        std::vector<ZNSELECTIONENTRY> added;
        for (BrushPtr &owned : pieces) {
            ZNBRUSH *piece = owned.release();
            doc->AppendBrush(piece);
            RebuildDerived(piece);
            if (group)
                group->AddChild(piece);
            added.push_back(EntryOf(piece));
        }
        records.Write(ZNUNDO_ADD, added, 0);
    }
    records.Finish(this, "Carve Objects");
    return result;
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
        const TreePtr target = carvers.Carve(brush, result);
        if (!target)
            continue;
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
