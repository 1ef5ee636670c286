#pragma once

// Geometric checks for the CSG tests: a surface is a set of polygons (the faces of a brush, the
// surviving polygons of a BSP tree, a list of pieces), each wound so that (v1 - v0) x (v2 - v0)
// points out of the solid. A surface is closed when every edge is used once in each direction;
// with T-junctions allowed, an edge that has corners of other polygons inside it counts as the
// chain of its pieces. The volume comes from the divergence theorem.
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/math/d3dx_math.h"
#include "scene/brush.h"
#include "scene/bsp_tree.h"
#include "support/shapes.h"

using ZnSurface = std::vector<ZnPolygon>;

inline ZnPolygon PolygonOf(const ZNVERTEX *v, int count)
{
    ZnPolygon p;
    for (int i = 0; i < count; ++i)
        p.emplace_back(v[i].x, v[i].y, v[i].z);
    return p;
}

inline ZnSurface SurfaceOf(ZNBRUSH &brush)
{
    ZnSurface s;
    for (DWORD i = 0; i < brush.GetFaceCount(); ++i)
        s.push_back(PolygonOf(brush.GetFace(i)->m_Vertices, brush.GetFace(i)->GetVertexCount()));
    return s;
}

// The polygons of the tree that are not deleted.
inline ZnSurface SurfaceOf(const CZNBSPTREE &tree)
{
    ZnSurface s;
    for (DWORD i = 0; i < tree.m_PolygonCount; ++i)
        if (!tree.m_Polygons[i]->m_Deleted)
            s.push_back(PolygonOf(tree.m_Polygons[i]->m_Vertices, tree.m_Polygons[i]->m_VertexCount));
    return s;
}

inline ZnSurface SurfaceOfList(const CZNBSPPOLYGON *list)
{
    ZnSurface s;
    for (const CZNBSPPOLYGON *p = list; p; p = p->m_Next)
        s.push_back(PolygonOf(p->m_Vertices, p->m_VertexCount));
    return s;
}

inline ZnSurface Join(ZnSurface a, const ZnSurface &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline double SurfaceVolume(const ZnSurface &surface)
{
    double volume = 0.0;
    for (const ZnPolygon &p : surface)
        for (size_t i = 1; i + 1 < p.size(); ++i) {
            const double ax = p[0].x, ay = p[0].y, az = p[0].z;
            const double bx = p[i].x, by = p[i].y, bz = p[i].z;
            const double cx = p[i + 1].x, cy = p[i + 1].y, cz = p[i + 1].z;
            volume += ax * (by * cz - bz * cy) - ay * (bx * cz - bz * cx) + az * (bx * cy - by * cx);
        }
    return volume / 6.0;
}

// Empty when the surface is closed; otherwise a description of the first open edge.
inline std::string OpenEdges(const ZnSurface &surface, bool allowTJunctions, float tolerance = 0.02f)
{
    // Weld positions closer than the tolerance.
    std::vector<D3DXVECTOR3> points;
    auto idOf = [&](const D3DXVECTOR3 &p) {
        for (size_t i = 0; i < points.size(); ++i) {
            const D3DXVECTOR3 d = points[i] - p;
            if (D3DXVec3Length(&d) < tolerance)
                return static_cast<int>(i);
        }
        points.push_back(p);
        return static_cast<int>(points.size() - 1);
    };
    std::vector<std::vector<int>> rings;
    for (const ZnPolygon &polygon : surface) {
        std::vector<int> ring;
        for (const D3DXVECTOR3 &p : polygon) {
            const int id = idOf(p);
            if (ring.empty() || ring.back() != id)
                ring.push_back(id);
        }
        while (ring.size() > 1 && ring.front() == ring.back())
            ring.pop_back();
        if (ring.size() >= 3)
            rings.push_back(ring);
    }

    std::map<std::pair<int, int>, int> directed;
    for (const std::vector<int> &ring : rings) {
        for (size_t k = 0; k < ring.size(); ++k) {
            const int a = ring[k], b = ring[(k + 1) % ring.size()];
            std::vector<std::pair<float, int>> chain = {{0.0f, a}};
            if (allowTJunctions) {
                D3DXVECTOR3 dir = points[b] - points[a];
                const float length = D3DXVec3Length(&dir);
                dir /= length;
                for (size_t i = 0; i < points.size(); ++i) {
                    if (static_cast<int>(i) == a || static_cast<int>(i) == b)
                        continue;
                    const D3DXVECTOR3 to = points[i] - points[a];
                    const float t = D3DXVec3Dot(&to, &dir);
                    const D3DXVECTOR3 off = to - dir * t;
                    if (t > tolerance && t < length - tolerance && D3DXVec3Length(&off) < tolerance)
                        chain.emplace_back(t, static_cast<int>(i));
                }
                std::sort(chain.begin(), chain.end());
            }
            chain.emplace_back(1e30f, b);
            for (size_t i = 0; i + 1 < chain.size(); ++i)
                ++directed[{chain[i].second, chain[i + 1].second}];
        }
    }
    for (const auto &[edge, count] : directed) {
        auto reverse = directed.find({edge.second, edge.first});
        const int back = reverse == directed.end() ? 0 : reverse->second;
        if (count != 1 || back != 1) {
            const D3DXVECTOR3 &a = points[edge.first], &b = points[edge.second];
            return "edge (" + std::to_string(a.x) + "," + std::to_string(a.y) + "," + std::to_string(a.z) + ")-(" +
                   std::to_string(b.x) + "," + std::to_string(b.y) + "," + std::to_string(b.z) + ") used " +
                   std::to_string(count) + " times forward and " + std::to_string(back) + " backward";
        }
    }
    return "";
}

inline std::unique_ptr<ZNBRUSH> MakeBox(const D3DXVECTOR3 &lo, const D3DXVECTOR3 &hi)
{
    auto brush = std::make_unique<ZNBRUSH>();
    ZnBuildBox(*brush, lo, hi);
    return brush;
}

inline std::unique_ptr<ZNBRUSH> MakeWedge(const D3DXVECTOR3 &lo, const D3DXVECTOR3 &hi)
{
    auto brush = std::make_unique<ZNBRUSH>();
    ZnBuildWedge(*brush, lo, hi);
    return brush;
}

inline std::unique_ptr<ZNBRUSH> MakeCylinder(const D3DXVECTOR3 &base, float radius, float height, int sides = 16)
{
    auto brush = std::make_unique<ZNBRUSH>();
    ZnBuildCylinder(*brush, base, radius, height, sides);
    return brush;
}

// Turns the brush about its centre by the angles (degrees) and recomputes its derived data.
inline std::unique_ptr<ZNBRUSH> Rotated(std::unique_ptr<ZNBRUSH> brush, float x, float y, float z)
{
    brush->UpdateBoundingBox();
    brush->Rotate(x, y, z, nullptr, 0);
    ZnFinishBrush(*brush);
    return brush;
}
