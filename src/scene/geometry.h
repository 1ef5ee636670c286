#pragma once

// Free functions on points, boxes, planes, segments, vertices and the grid, shared by faces,
// brushes, overlays, the BSP tree, the views and the selection tools. Planes are given as a
// normal and a point on the plane. All arithmetic is in 32-bit floats.
#include "platform/export.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/win_types.h"
#include "scene/bbox.h"
#include "scene/face.h"

// Distance from p to its projection on the segment a-b; 99999.0 when the projection lies
// within 0.01 of either end or beyond it.
ZN_API float DistancePointToSegment(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, const D3DXVECTOR3 &p);

// 1 when p lies strictly inside the box widened by the tolerances on every axis not skipped.
ZN_API int PointInBoxTolerance(const D3DXVECTOR3 &p, const ZNBBOX &box, BYTE skipX, BYTE skipY, BYTE skipZ, float tx,
                               float ty, float tz);

// 1 when |a - b| < t on each of the three axes.
ZN_API int PointsNear(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, float t);

// 1 when |a - b| <= 0.01.
ZN_API int FloatsEqual(float a, float b);

// 1 when the boxes overlap or touch on all three axes.
ZN_API int BoxesIntersect(const ZNBBOX &a, const ZNBBOX &b);

// 1 when the ray meets the box; the entry point (the origin when it is inside) goes to hit
// when hit is not null.
ZN_API int IntersectRayBox(const ZNBBOX &box, const D3DXVECTOR3 &origin, const D3DXVECTOR3 &direction, D3DXVECTOR3 *hit,
                           const D3DXVECTOR3 &tolerance);

// 1 when the face meets the box. Mode 0 clips a copy of the face by the six box planes; other
// modes test the vertices and the edges against the box.
ZN_API int FaceIntersectsBox(const ZNBBOX &box, const ZNFACE *face, int mode);

// 1 with the crossing point a + t(b - a) and t when the segment meets the plane at 0 <= t <= 1.
// point and t may be null.
ZN_API int IntersectSegmentPlane(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, const D3DXVECTOR3 &q, const D3DXVECTOR3 &n,
                                 D3DXVECTOR3 *point, float *t);

// The same test in the x-y plane: the line through q with normal n (x and y used).
ZN_API int IntersectSegmentLine2D(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, const D3DXVECTOR3 &q,
                                  const D3DXVECTOR3 &n, D3DXVECTOR2 *point, float *t);

// The nearest multiple of the grid size; exact halves go to the lower multiple on both sides of
// zero. The value is returned unchanged when snapping is off or the grid size is not positive.
ZN_API float SnapToGrid(float v, float grid, int snap);
ZN_API int SnapIntToGrid(int v, int step, int snap);
ZN_API D3DXVECTOR3 SnapVectorToGrid(float x, float y, float z, float grid, int snap);
// Mode 0 snaps x and z, mode 1 y and z, mode 2 x and y; other modes snap nothing.
ZN_API D3DXVECTOR3 SnapVectorToGridAxes(float x, float y, float z, float grid, int snap, int mode);

ZN_API ZNBBOX MergeBounds(const ZNBBOX &a, const ZNBBOX &b);
ZN_API ZNBBOX MergeBoundsPoint(const D3DXVECTOR3 &p, const ZNBBOX &box);

ZN_API ZNVERTEX MakeVertexFromFloats(float x, float y, float z, float nx, float ny, float nz);
ZN_API ZNVERTEX MakeVertex(const D3DXVECTOR3 &p, float nx, float ny, float nz);

// Normalised (Q - P) x (R - P).
ZN_API D3DXVECTOR3 ComputeTriangleNormal(ZNVERTEX p, ZNVERTEX q, ZNVERTEX r);

// With d = (q - p) . n: ZNPLANE_FRONT when d < -0.01, ZNPLANE_ON when |d| <= 0.01, else ZNPLANE_BACK.
ZN_API int ClassifyPointPlane(const D3DXVECTOR3 &p, const D3DXVECTOR3 &n, const D3DXVECTOR3 &q);
