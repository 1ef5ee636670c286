#pragma once

// Real brush shapes for tests: boxes, wedges and n-sided cylinders built face by face the way
// a primitive plug-in builds them. Every face winds so that its computed normal points out of
// the solid; the derived data (normals, shared positions, vertex normals, bounds, centres) is
// computed as the editor does after building a brush.
#include <cmath>
#include <vector>

#include "platform/math/d3dx_math.h"
#include "scene/brush.h"
#include "scene/face.h"

using ZnPolygon = std::vector<D3DXVECTOR3>;

// Adds one face with the given corner positions; reverses the winding when the computed
// normal would point towards inside (a point known to lie inside the solid).
inline ZNFACE *ZnAddPolygon(ZNBRUSH &brush, ZnPolygon corners, const D3DXVECTOR3 &inside)
{
    D3DXVECTOR3 centre(0, 0, 0);
    for (const D3DXVECTOR3 &p : corners)
        centre += p;
    centre /= static_cast<float>(corners.size());
    D3DXVECTOR3 e1 = corners[1] - corners[0], e2 = corners[2] - corners[0], n;
    D3DXVec3Cross(&n, &e1, &e2);
    D3DXVECTOR3 out = centre - inside;
    if (D3DXVec3Dot(&n, &out) < 0.0f)
        corners = ZnPolygon(corners.rbegin(), corners.rend());
    ZNFACE *face = brush.AddFace(static_cast<short>(corners.size()));
    if (!face)
        return nullptr;
    for (short i = 0; i < static_cast<short>(corners.size()); ++i)
        face->SetVertex(i, corners[i]);
    return face;
}

// What the editor computes after a brush is built.
inline void ZnFinishBrush(ZNBRUSH &brush)
{
    brush.CalculateFaceNormals();
    brush.UpdateSharedFaceInfo();
    brush.CalculateVertexNormals(1);
    brush.UpdateBoundingBox();
    brush.CalculateFaceCenterPoints();
}

// An axis-aligned box; faces in the order -x, +x, -y, +y, -z, +z.
inline void ZnBuildBox(ZNBRUSH &brush, const D3DXVECTOR3 &lo, const D3DXVECTOR3 &hi)
{
    const D3DXVECTOR3 inside = (lo + hi) * 0.5f;
    ZnAddPolygon(brush, {{lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}, {lo.x, hi.y, hi.z}, {lo.x, lo.y, hi.z}}, inside);
    ZnAddPolygon(brush, {{hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {hi.x, lo.y, hi.z}}, inside);
    ZnAddPolygon(brush, {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z}}, inside);
    ZnAddPolygon(brush, {{lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}}, inside);
    ZnAddPolygon(brush, {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z}}, inside);
    ZnAddPolygon(brush, {{lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}}, inside);
    ZnFinishBrush(brush);
}

// A wedge over the box lo..hi: full height at x = lo.x falling to nothing at x = hi.x.
// Faces in the order: bottom (-y), back (-x), slope, the triangles at -z and +z.
inline void ZnBuildWedge(ZNBRUSH &brush, const D3DXVECTOR3 &lo, const D3DXVECTOR3 &hi)
{
    const D3DXVECTOR3 inside(lo.x + (hi.x - lo.x) * 0.25f, lo.y + (hi.y - lo.y) * 0.25f, (lo.z + hi.z) * 0.5f);
    ZnAddPolygon(brush, {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z}}, inside);
    ZnAddPolygon(brush, {{lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}, {lo.x, hi.y, hi.z}, {lo.x, lo.y, hi.z}}, inside);
    ZnAddPolygon(brush, {{lo.x, hi.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {lo.x, hi.y, hi.z}}, inside);
    ZnAddPolygon(brush, {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}}, inside);
    ZnAddPolygon(brush, {{lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {lo.x, hi.y, hi.z}}, inside);
    ZnFinishBrush(brush);
}

// An upright cylinder (axis along y) of `sides` sides around the base centre. Faces in the
// order: the side quads (side i spans the angles i and i + 1, starting on +x), the bottom cap,
// the top cap.
inline void ZnBuildCylinder(ZNBRUSH &brush, const D3DXVECTOR3 &base, float radius, float height, int sides = 16)
{
    const D3DXVECTOR3 inside = base + D3DXVECTOR3(0, height * 0.5f, 0);
    auto corner = [&](int i, float y) {
        const double a = 2.0 * 3.14159265358979323846 * (i % sides) / sides;
        return D3DXVECTOR3(base.x + radius * static_cast<float>(std::cos(a)), base.y + y,
                           base.z + radius * static_cast<float>(std::sin(a)));
    };
    for (int i = 0; i < sides; ++i)
        ZnAddPolygon(brush, {corner(i, 0), corner(i + 1, 0), corner(i + 1, height), corner(i, height)}, inside);
    ZnPolygon bottom, top;
    for (int i = 0; i < sides; ++i) {
        bottom.push_back(corner(i, 0));
        top.push_back(corner(i, height));
    }
    ZnAddPolygon(brush, bottom, inside);
    ZnAddPolygon(brush, top, inside);
    ZnFinishBrush(brush);
}

// A flat grid of cols × rows unit squares in the plane y = 0, each split into two triangles
// (2 × cols × rows faces, square by square): the positions only, without the derived data.
inline void ZnAddTriangleGrid(ZNBRUSH &brush, int cols, int rows)
{
    const DWORD first = brush.GetFaceCount();
    brush.AddFaces(static_cast<DWORD>(2 * cols * rows), 3);
    DWORD f = first;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const float x = static_cast<float>(c), z = static_cast<float>(r);
            const D3DXVECTOR3 a(x, 0, z), b(x + 1, 0, z), d(x, 0, z + 1), e(x + 1, 0, z + 1);
            ZNFACE *lower = brush.GetFace(f++);
            lower->SetVertex(0, a);
            lower->SetVertex(1, d);
            lower->SetVertex(2, b);
            ZNFACE *upper = brush.GetFace(f++);
            upper->SetVertex(0, b);
            upper->SetVertex(1, d);
            upper->SetVertex(2, e);
        }
}

// One of three 2-unit shapes at lo, by n: a box, a wedge or an eight-sided cylinder (the mixed
// scenes of the benchmarks).
inline void ZnBuildMixedShape(ZNBRUSH &brush, int n, const D3DXVECTOR3 &lo)
{
    if (n % 3 == 0)
        ZnBuildBox(brush, lo, lo + D3DXVECTOR3(2, 2, 2));
    else if (n % 3 == 1)
        ZnBuildWedge(brush, lo, lo + D3DXVECTOR3(2, 2, 2));
    else
        ZnBuildCylinder(brush, lo, 1.0f, 2.0f, 8);
}
