#pragma once

// CZNSharedFacePass: the shared-face pass of brushes and overlays. For each face vertex in face
// order whose face-list slot is still -1 it opens a list of the other faces whose first vertex
// lies within 0.01 of it on every axis, in face order, then the opening face, and points those
// vertices and itself at the list (a later list may take a vertex over).
//
// The pass costs O(n log n) in the vertices whatever their positions: a vertex with a NaN or
// infinite coordinate matches nothing (its list holds its own face), and where more vertices than
// a small number crowd the cells around a position (coincident or nearly coincident
// points), the first vertex there takes every vertex near it not yet listed into one list that
// names each face once. With positions that are apart or shared by one vertex per face, both
// ways give the same lists.
#include "platform/os/win_types.h"

class ZNFACE;
class ZNFACELISTCONTAINER;

class CZNSharedFacePass
{
public:
    // Fills the emptied container from the faces and sets every vertex's face-list slot; false,
    // with the container empty and every slot -1, when memory runs out.
    static bool Build(ZNFACE *const *faces, DWORD count, ZNFACELISTCONTAINER &container);
};
