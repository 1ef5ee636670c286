#include "scene/geometry.h"

#include <cmath>
#include <cstdint>
#include <cstring>

float DistancePointToSegment(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, const D3DXVECTOR3 &p)
{
    D3DXVECTOR3 w = b - a;
    float length = D3DXVec3Length(&w);
    D3DXVec3Normalize(&w, &w);
    D3DXVECTOR3 ap = p - a;
    float t = D3DXVec3Dot(&ap, &w);
    if (t < 0.01f || length - 0.01f < t)
        return 99999.0f;
    D3DXVECTOR3 d = p - (a + w * t);
    return D3DXVec3Length(&d);
}

int PointInBoxTolerance(const D3DXVECTOR3 &p, const ZNBBOX &box, BYTE skipX, BYTE skipY, BYTE skipZ, float tx, float ty,
                        float tz)
{
    if (!skipX && !(box.Min.x - tx < p.x && p.x < box.Max.x + tx))
        return 0;
    if (!skipY && !(box.Min.y - ty < p.y && p.y < box.Max.y + ty))
        return 0;
    if (!skipZ && !(box.Min.z - tz < p.z && p.z < box.Max.z + tz))
        return 0;
    return 1;
}

int PointsNear(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, float t)
{
    return (std::fabs(a.x - b.x) < t && std::fabs(a.y - b.y) < t && std::fabs(a.z - b.z) < t) ? 1 : 0;
}

int FloatsEqual(float a, float b)
{
    return std::fabs(a - b) <= 0.01f ? 1 : 0;
}

int BoxesIntersect(const ZNBBOX &a, const ZNBBOX &b)
{
    return (a.Min.x <= b.Max.x && a.Max.x >= b.Min.x && a.Min.y <= b.Max.y && a.Max.y >= b.Min.y &&
            a.Min.z <= b.Max.z && a.Max.z >= b.Min.z)
               ? 1
               : 0;
}

int IntersectRayBox(const ZNBBOX &box, const D3DXVECTOR3 &origin, const D3DXVECTOR3 &direction, D3DXVECTOR3 *hit,
                    const D3DXVECTOR3 &tolerance)
{
    const float *o = origin;
    const float *d = direction;
    const float *lo = box.Min;
    const float *hi = box.Max;
    const float *tol = tolerance;

    bool inside = true;
    float plane[3] = {0, 0, 0};
    bool candidate[3] = {false, false, false};
    for (int i = 0; i < 3; ++i) {
        if (o[i] < lo[i]) {
            plane[i] = lo[i];
            candidate[i] = true;
            inside = false;
        } else if (o[i] > hi[i]) {
            plane[i] = hi[i];
            candidate[i] = true;
            inside = false;
        }
    }
    if (inside) {
        if (hit)
            *hit = origin;
        return 1;
    }

    float distance[3] = {-1.0f, -1.0f, -1.0f};
    for (int i = 0; i < 3; ++i)
        if (candidate[i] && d[i] != 0.0f)
            distance[i] = (plane[i] - o[i]) / d[i];

    int axis = 0;
    for (int i = 1; i < 3; ++i)
        if (distance[i] > distance[axis])
            axis = i;
    if (distance[axis] < 0.0f)
        return 0;

    float point[3];
    for (int i = 0; i < 3; ++i) {
        point[i] = o[i] + d[i] * distance[axis];
        if (i == axis)
            continue;
        if (lo[i] - tol[i] > point[i] || point[i] > hi[i] + tol[i])
            return 0;
    }
    if (hit)
        *hit = D3DXVECTOR3(point[0], point[1], point[2]);
    return 1;
}

int FaceIntersectsBox(const ZNBBOX &box, const ZNFACE *face, int mode)
{
    if (!face)
        return 0;

    if (mode == 0) {
        static const D3DXVECTOR3 normals[6] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}};
        // Only the positions matter here: the copy takes no texture reference.
        ZNFACE copy;
        const short count = face->GetVertexCount();
        if (count > 0 && face->m_Vertices && copy.AddVertices(count, nullptr))
            std::memcpy(copy.m_Vertices, face->m_Vertices, sizeof(ZNVERTEX) * count);
        for (int i = 0; i < 6; ++i) {
            D3DXVECTOR3 normal = normals[i];
            D3DXVECTOR3 point = (i % 2 == 0) ? box.Min : box.Max;
            int side = copy.Classify(&normal, &point);
            if (side == ZNPLANE_FRONT)
                return 0;
            if (side == ZNPLANE_SPANNING)
                copy.ClipToPlane(&normal, &point, 0);
        }
        return 1;
    }

    const short count = face->GetVertexCount();
    if (count <= 0 || !face->m_Vertices)
        return 0;
    static const D3DXVECTOR3 normals[6] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (short i = 0; i < count; ++i) {
        D3DXVECTOR3 a = face->GetVector(i);
        if (PointInBoxTolerance(a, box, 0, 0, 0, 0.001f, 0.001f, 0.001f))
            return 1;
        D3DXVECTOR3 b = face->GetVector(static_cast<short>((i + 1) % count));
        for (int k = 0; k < 6; ++k) {
            D3DXVECTOR3 point = (k < 3) ? box.Min : box.Max;
            D3DXVECTOR3 crossing;
            if (IntersectSegmentPlane(a, b, point, normals[k], &crossing, nullptr) &&
                PointInBoxTolerance(crossing, box, 0, 0, 0, 0.001f, 0.001f, 0.001f))
                return 1;
        }
    }
    return 0;
}

int IntersectSegmentPlane(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, const D3DXVECTOR3 &q, const D3DXVECTOR3 &n,
                          D3DXVECTOR3 *point, float *t)
{
    D3DXVECTOR3 ab = b - a;
    float denominator = D3DXVec3Dot(&ab, &n);
    if (std::fabs(denominator) < 0.0001f)
        return 0;
    D3DXVECTOR3 aq = q - a;
    float fraction = D3DXVec3Dot(&aq, &n) / denominator;
    if (fraction < 0.0f || fraction > 1.0f)
        return 0;
    if (point)
        *point = a + ab * fraction;
    if (t)
        *t = fraction;
    return 1;
}

int IntersectSegmentLine2D(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, const D3DXVECTOR3 &q, const D3DXVECTOR3 &n,
                           D3DXVECTOR2 *point, float *t)
{
    float abx = b.x - a.x, aby = b.y - a.y;
    float denominator = abx * n.x + aby * n.y;
    if (std::fabs(denominator) < 0.0001f)
        return 0;
    float fraction = ((q.x - a.x) * n.x + (q.y - a.y) * n.y) / denominator;
    if (fraction < 0.0f || fraction > 1.0f)
        return 0;
    if (point)
        *point = D3DXVECTOR2(a.x + abx * fraction, a.y + aby * fraction);
    if (t)
        *t = fraction;
    return 1;
}

float SnapToGrid(float v, float grid, int snap)
{
    if (!snap || !(grid > 0.0f))
        return v;
    float a = std::fabs(v);
    float r = a - std::trunc(a / grid) * grid;
    float half = grid * 0.5f;
    if (v >= 0.0f)
        return (r > half) ? v + (grid - r) : v - r;
    return (r < half) ? v + r : v - (grid - r);
}

int SnapIntToGrid(int v, int step, int snap)
{
    if (!snap || step <= 0)
        return v;
    // In 64 bits so that values near the ends of the range cannot overflow.
    long long value = v;
    long long r = (value < 0 ? -value : value) % step;
    long long h = step / 2;
    long long result;
    if (value >= 0)
        result = (r <= h) ? value - r : value + (step - r);
    else
        result = (r >= h) ? value + (r - step) : value + r;
    if (result > INT32_MAX || result < INT32_MIN)
        return v;
    return static_cast<int>(result);
}

D3DXVECTOR3 SnapVectorToGrid(float x, float y, float z, float grid, int snap)
{
    return D3DXVECTOR3(SnapToGrid(x, grid, snap), SnapToGrid(y, grid, snap), SnapToGrid(z, grid, snap));
}

D3DXVECTOR3 SnapVectorToGridAxes(float x, float y, float z, float grid, int snap, int mode)
{
    switch (mode) {
    case 0:
        return D3DXVECTOR3(SnapToGrid(x, grid, snap), y, SnapToGrid(z, grid, snap));
    case 1:
        return D3DXVECTOR3(x, SnapToGrid(y, grid, snap), SnapToGrid(z, grid, snap));
    case 2:
        return D3DXVECTOR3(SnapToGrid(x, grid, snap), SnapToGrid(y, grid, snap), z);
    default:
        return D3DXVECTOR3(x, y, z);
    }
}

ZNBBOX MergeBounds(const ZNBBOX &a, const ZNBBOX &b)
{
    ZNBBOX out;
    D3DXVec3Minimize(&out.Min, &a.Min, &b.Min);
    D3DXVec3Maximize(&out.Max, &a.Max, &b.Max);
    return out;
}

ZNBBOX MergeBoundsPoint(const D3DXVECTOR3 &p, const ZNBBOX &box)
{
    ZNBBOX out;
    D3DXVec3Minimize(&out.Min, &box.Min, &p);
    D3DXVec3Maximize(&out.Max, &box.Max, &p);
    return out;
}

ZNVERTEX MakeVertexFromFloats(float x, float y, float z, float nx, float ny, float nz)
{
    ZNVERTEX v{};
    v.x = x;
    v.y = y;
    v.z = z;
    v.nx = nx;
    v.ny = ny;
    v.nz = nz;
    return v;
}

ZNVERTEX MakeVertex(const D3DXVECTOR3 &p, float nx, float ny, float nz)
{
    return MakeVertexFromFloats(p.x, p.y, p.z, nx, ny, nz);
}

D3DXVECTOR3 ComputeTriangleNormal(ZNVERTEX p, ZNVERTEX q, ZNVERTEX r)
{
    D3DXVECTOR3 pq(q.x - p.x, q.y - p.y, q.z - p.z);
    D3DXVECTOR3 pr(r.x - p.x, r.y - p.y, r.z - p.z);
    D3DXVECTOR3 n;
    D3DXVec3Cross(&n, &pq, &pr);
    D3DXVec3Normalize(&n, &n);
    return n;
}

int ClassifyPointPlane(const D3DXVECTOR3 &p, const D3DXVECTOR3 &n, const D3DXVECTOR3 &q)
{
    D3DXVECTOR3 pq = q - p;
    float d = D3DXVec3Dot(&pq, &n);
    if (d < -0.01f)
        return ZNPLANE_FRONT;
    if (d <= 0.01f)
        return ZNPLANE_ON;
    return ZNPLANE_BACK;
}
