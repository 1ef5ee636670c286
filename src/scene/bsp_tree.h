#pragma once

// CZNBSPTREE: one brush compiled into a solid-leaf BSP tree. The brush's faces become polygons;
// at every node one polygon's plane splits the others. Front children that hold no further
// splitter are leaves (empty space); a back child of -1 is solid space. The CSG operations build
// a tree per brush, clip the polygons of one tree against the solid of another, split a brush
// along a plane, and rebuild brushes from the polygons that survive. A tree is a temporary:
// built, used by one operation and released.
#include "platform/export.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/win_types.h"
#include "scene/bbox.h"
#include "scene/bsp_polygon.h"

class ZNBRUSH;

// A splitting plane: a point on it and its normal.
struct ZN_API ZNBSPPLANE {
    D3DXVECTOR3 Point;
    D3DXVECTOR3 Normal;

    // ZNPLANE_FRONT, _BACK, _ON or _SPANNING for a ring of vertices, a vertex within 0.01 of the
    // plane counting as on it: on when every vertex is, behind when every vertex is behind or
    // on, in front likewise, else spanning. A ring without vertices is on the plane.
    int Classify(const ZNVERTEX *vertices, int count) const;
    // True when a normal faces the same way as the plane's (their dot product is positive).
    bool FacesSameWay(const D3DXVECTOR3 &normal) const
    {
        return Normal.x * normal.x + Normal.y * normal.y + Normal.z * normal.z > 0.0f;
    }
};

// A node: the plane, the front child (a leaf index when FrontIsLeaf is set) and the back child
// (a node index, or -1 for solid space).
struct ZNBSPNODE {
    BYTE FrontIsLeaf;
    LONG Plane;
    LONG Front;
    LONG Back;
};
static_assert(sizeof(ZNBSPNODE) == 16, "a node record is 16 bytes");

// A leaf of empty space: the source face indices of the polygons that bound it.
struct ZNBSPLEAF {
    LONG PolygonCount;
    LONG *PolygonIndices; // malloc
};

class ZN_API CZNBSPTREE
{
public:
    CZNBSPTREE();
    ~CZNBSPTREE();
    CZNBSPTREE(const CZNBSPTREE &) = delete;
    CZNBSPTREE &operator=(const CZNBSPTREE &) = delete;

    // Frees the nodes, planes, leaves and every polygon; the tree is empty again.
    void Release();
    // Builds the tree of a brush; 0 (tree empty) for a null brush or one without faces.
    int BuildFromBrush(ZNBRUSH *brush);
    // Appends n empty polygons; the index of the first, or -1 when n < 1 or memory runs out.
    LONG AllocatePolygons(LONG n);
    // ZNPLANE_FRONT, _BACK, _ON or _SPANNING with the 0.01 tolerance; a polygon without vertices
    // is on the plane.
    int ClassifyPolygon(const ZNBSPPLANE *plane, const CZNBSPPOLYGON *polygon) const;
    // Splits a polygon by a plane into the two given records (their old vertices are replaced).
    // A polygon wholly on one side is copied to that side and the other piece left empty.
    // 0 when an argument is null or memory runs out.
    int SplitPolygon(const CZNBSPPOLYGON *polygon, const ZNBSPPLANE *plane, CZNBSPPOLYGON *front, CZNBSPPOLYGON *back);
    // A new record equal to polygon with its own copy of the vertices; null when memory runs out.
    CZNBSPPOLYGON *CopyPolygon(const CZNBSPPOLYGON *polygon);
    // A deep copy of the whole tree; null when memory runs out.
    CZNBSPTREE *Clone() const;
    // Turns every polygon over (the solid inside out).
    void InvertPolygons();
    // Appends a copy of polygon to the array and links it after previous (when not null);
    // returns the copy, or null.
    CZNBSPPOLYGON *AddPolygonCopy(CZNBSPPOLYGON *previous, const CZNBSPPOLYGON *polygon);
    // Debugging aids, nothing calls them in normal operation; they reach the application and the
    // 3D device, so they live in bsp_tree_draw.cpp.
    // Writes every polygon to "Debug Logs/BSP Debug.log" under the program folder.
    void WriteDebugReport();
    // Draws the deleted polygons with the 3D device and presents the frame.
    void DrawDeletedPolygons();

    // Clipping. ClipTree flags as deleted the polygons of other that lie inside this tree's
    // solid (removeInside 1) or outside it (removeInside 0), splitting those that cross. A
    // polygon in a node's plane facing the same way counts as outside unless coplanarToBack is
    // set; facing the other way (the solids touch there) it is removed in both modes. Call it
    // with the root node and a null list; 0 when either tree has no polygons.
    int ClipTree(LONG node, CZNBSPPOLYGON *list, CZNBSPTREE *other, int removeInside, int coplanarToBack);
    // Splits the polygons along a plane into m_FrontResult and m_BackResult, each closed by a cap.
    void ClipBrush(const D3DXVECTOR3 *point, const D3DXVECTOR3 *normal);
    // Pushes the list (which it consumes) down from node and appends the parts inside the solid
    // (keepOutside 0) or outside it (keepOutside 1) to m_WorkingList.
    void ClipPolygonsToTree(LONG node, CZNBSPPOLYGON *list, int keepOutside);
    // A square polygon on the plane large enough to cover the box; null when memory runs out.
    CZNBSPPOLYGON *CreatePolygonOnPlane(const D3DXVECTOR3 *normal, const D3DXVECTOR3 *point, const ZNBBOX *box);
    // Puts back every split polygon whose two fragments both survived.
    void MergeSplitFragments();
    // True when a part of any polygon of other lies inside this tree's solid.
    bool AnyPolygonInside(CZNBSPTREE *other);
    // True when a part of polygon lies in solid space below node; with deleteWhenDone the
    // polygon is freed at the end.
    bool PolygonInside(CZNBSPPOLYGON *polygon, LONG node, int deleteWhenDone);

    // Frees a list linked through m_Next.
    static void FreePolygonList(CZNBSPPOLYGON *list);

    CZNBSPPOLYGON **m_Polygons; // realloc; null when there are none
    ZNBRUSH *m_SourceBrush;
    DWORD m_PolygonCount;
    LONG m_RootNode; // -1 when empty
    CZNBSPPOLYGON *m_WorkingList;
    ZNBSPPLANE *m_Planes;
    ZNBSPNODE *m_Nodes;
    ZNBSPLEAF *m_Leaves;
    DWORD m_NodeCount, m_PlaneCount, m_LeafCount;
    DWORD m_BuiltPolygonCount;    // one per face, right after the build
    CZNBSPPOLYGON *m_FrontResult; // the pieces of ClipBrush; owned by the tree
    CZNBSPPOLYGON *m_BackResult;

private:
    LONG AllocateNode();
    LONG AllocatePlane(const ZNBSPPLANE &plane);
    LONG AllocateLeaf(CZNBSPPOLYGON *list);
    // Picks the splitter of a list (among its first five unused polygons); null when none.
    CZNBSPPOLYGON *ChooseSplitter(CZNBSPPOLYGON *list) const;
    bool BuildNode(LONG node, CZNBSPPOLYGON *list);
    // A polygon made from a face of the brush; null when memory runs out.
    CZNBSPPOLYGON *PolygonFromFace(ZNBRUSH *brush, DWORD faceIndex) const;
    // Writes the polygon report to the file at path; nothing when it cannot be opened.
    void WriteDebugReportTo(const char *path);
    bool ValidNode(LONG node) const { return node >= 0 && static_cast<DWORD>(node) < m_NodeCount; }
};
