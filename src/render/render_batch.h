#pragma once

// ZNRENDERBATCH: the faces that the 3D drawing of brushes and overlays puts aside during one
// frame of the 3D view, to be drawn after all opaque geometry, each with the world matrix it was
// filed under. It points at faces it does not own and keeps whole matrices. Add returns 0 and
// leaves the batch as it was when memory runs out; emptying keeps the storage for the next frame.
#include <cstdint>
#include <vector>

#include "platform/export.h"
#include "platform/math/d3dx_math.h"

class ZNFACE;

struct ZN_API ZNRENDERBATCH {
    std::vector<ZNFACE *> Faces;
    std::vector<D3DXMATRIX> Matrices;
    std::vector<int32_t> MatrixIndices; // per face: its matrix in Matrices, -1 for the identity

    // Files a face under a world matrix; null stands for the identity and stores no matrix.
    int Add(ZNFACE *face, const D3DXMATRIX *world);
    void Empty();
    size_t GetCount() const { return Faces.size(); }
    // The world matrix of face i; null for the identity or an index past the end.
    const D3DXMATRIX *GetMatrix(size_t i) const;
};
