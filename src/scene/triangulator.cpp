#include "scene/triangulator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <set>
#include <vector>

#include "scene/face.h"

namespace
{

constexpr float kParallel = 0.999999f;
// How close to a cut triangle another vertex may come before it counts as inside it.
constexpr float kInsideTolerance = 1e-4f;
// The least turn (the sine of the angle between its edges) at which a corner whose edges count
// as parallel is still convex.
constexpr float kLeastTurn = 1e-6f;

constexpr double kPi = 3.14159265358979323846;
// Directions stored leaning more than kLeaning out of the face's plane are kept apart and read by
// every search. The others are searched by their angle in the plane, for any direction leaning
// at most kLeaningSearch (past that none of them can be parallel to it): two directions within
// kParallel of each other, neither leaning more than 0.6, differ in the plane by under 0.0023
// radians, so the search looks kAngleWindow either side.
constexpr double kLeaning = 0.5;
constexpr double kLeaningSearch = 0.6;
constexpr double kAngleWindow = 0.01;

inline float Dot(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline int Parallel(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b)
{
    return std::fabs(Dot(a, b)) > kParallel ? 1 : 0;
}

// An orthonormal frame in double precision: u and v span the face's plane, w is the winding.
struct PlaneFrame {
    double u[3], v[3], w[3];

    static double Along(const double axis[3], const D3DXVECTOR3 &p)
    {
        return axis[0] * p.x + axis[1] * p.y + axis[2] * p.z;
    }
};

// Unit directions grouped by their exact bits, so that edges or closing edges running the same
// way are counted once, and found by their angle in the face's plane (modulo half a turn), so
// that a search for the directions parallel to one reads only those near it.
class DirectionGroups
{
public:
    struct Group {
        D3DXVECTOR3 direction;
        int count = 0;                     // edges, or corners, that run this way
        int parallel = 0;                  // for closing edges: the remaining edges parallel to it
        std::vector<int> ready;            // for closing edges: corners that may be cut ...
        std::vector<int> readyOwnParallel; // ... and those whose own edges are parallel to it
        int readySlot = -1;
        bool leaning = false;
        std::multimap<double, int>::iterator at;
    };

    explicit DirectionGroups(const PlaneFrame &frame) : m_Frame(frame) {}

    Group &operator[](int id) { return m_Groups[id]; }
    const Group &operator[](int id) const { return m_Groups[id]; }

    // The group of a direction; made, empty, when there is none.
    int Get(const D3DXVECTOR3 &direction, bool &made)
    {
        const std::array<uint32_t, 3> bits = Bits(direction);
        const auto found = m_ByBits.find(bits);
        made = found == m_ByBits.end();
        if (!made)
            return found->second;
        int id;
        if (!m_Free.empty()) {
            id = m_Free.back();
            m_Free.pop_back();
        } else {
            id = static_cast<int>(m_Groups.size());
            m_Groups.emplace_back();
        }
        Group &group = m_Groups[id];
        group = Group();
        group.direction = direction;
        group.leaning = Leaning(direction) > kLeaning;
        if (group.leaning)
            m_Leaning.insert(id);
        else
            group.at = m_ByAngle.emplace(Angle(direction), id);
        m_ByBits.emplace(bits, id);
        return id;
    }

    // Forgets a group whose count has fallen to zero.
    void Drop(int id)
    {
        Group &group = m_Groups[id];
        m_ByBits.erase(Bits(group.direction));
        if (group.leaning)
            m_Leaning.erase(id);
        else
            m_ByAngle.erase(group.at);
        group = Group();
        m_Free.push_back(id);
    }

    // Calls f with every group that may run parallel to the direction; f checks.
    template <class F> void ForEachNear(const D3DXVECTOR3 &direction, F f) const
    {
        if (Leaning(direction) <= kLeaningSearch) {
            const double angle = Angle(direction);
            Visit(std::max(0.0, angle - kAngleWindow), std::min(kPi, angle + kAngleWindow), f);
            if (angle - kAngleWindow < 0.0)
                Visit(angle - kAngleWindow + kPi, kPi, f);
            if (angle + kAngleWindow > kPi)
                Visit(0.0, angle + kAngleWindow - kPi, f);
        }
        for (const int id : m_Leaning)
            f(id);
    }

private:
    static std::array<uint32_t, 3> Bits(const D3DXVECTOR3 &d)
    {
        std::array<uint32_t, 3> bits;
        std::memcpy(&bits[0], &d.x, 4);
        std::memcpy(&bits[1], &d.y, 4);
        std::memcpy(&bits[2], &d.z, 4);
        return bits;
    }

    double Leaning(const D3DXVECTOR3 &d) const { return std::fabs(PlaneFrame::Along(m_Frame.w, d)); }

    // 0 <= angle < pi.
    double Angle(const D3DXVECTOR3 &d) const
    {
        double angle = std::atan2(PlaneFrame::Along(m_Frame.v, d), PlaneFrame::Along(m_Frame.u, d));
        if (angle < 0.0)
            angle += kPi;
        if (angle >= kPi)
            angle -= kPi;
        return angle;
    }

    template <class F> void Visit(double from, double to, F &f) const
    {
        for (auto it = m_ByAngle.lower_bound(from); it != m_ByAngle.end() && it->first <= to; ++it)
            f(it->second);
    }

    const PlaneFrame &m_Frame;
    std::vector<Group> m_Groups;
    std::vector<int> m_Free;
    std::map<std::array<uint32_t, 3>, int> m_ByBits;
    std::multimap<double, int> m_ByAngle;
    std::set<int> m_Leaning;
};

// What may be done with a corner, by the shape of its two edges alone.
enum class CornerShape : unsigned char {
    Refused,        // concave, straight, or with an edge of no length
    Convex,         // may be cut when its triangle holds no other vertex
    NearlyStraight, // convex, but its edges count as parallel: cut only when nothing else can be
};

// The ring of a triangulation in progress.
//
// A corner may be cut when its triangle holds no other remaining vertex. The vertices sit in the
// leaves of a tree of boxes in the face's plane; a corner reads the leaves in order, passing over
// boxes its triangle misses or whose vertices are all gone, and stops at the first vertex inside
// (its witness). The leaves it passed stay clear while the corner keeps its neighbours, so when
// the witness is cut the corner reads on from there: a corner enters each box at most once.
//
// Whether a closing edge runs parallel to another edge is kept as a count per closing direction,
// updated by every edge that comes or goes. A cut measures its two neighbours again, so a ring of
// n vertices is cut up in O(n^2) at worst, and much faster when the corners' triangles are small
// or slender beside the ring, as on a comb.
class TriangulationRing
{
public:
    TriangulationRing(const D3DXVECTOR3 *points, const ZNTRIEDGE *edges, int count, const D3DXVECTOR3 &winding)
        : m_Points(points), m_Winding(winding), m_Corners(static_cast<size_t>(count)), m_WaitHead(count, -1),
          m_Edges(m_Frame), m_Closings(m_Frame), m_Remaining(count)
    {
        MakeFrame();
        BuildTree(count);
        for (int v = 0; v < count; ++v) {
            Corner &corner = m_Corners[v];
            corner.prev = (v + count - 1) % count;
            corner.next = (v + 1) % count;
            corner.out = edges[v].direction;
        }
        for (int v = 0; v < count; ++v)
            EdgeComes(m_Corners[v].out);
        for (int v = 0; v < count; ++v)
            Measure(v);
    }

    int Remaining() const { return m_Remaining; }
    int Prev(int v) const { return m_Corners[v].prev; }
    int Next(int v) const { return m_Corners[v].next; }

    // The corner to cut next, looking from a place drawn from random (0..32767): one that may be
    // cut freely, else one whose closing edge runs parallel to another edge, else the nearly
    // straight one that turns most; -1 when no corner may be cut.
    int Choose(int random) const
    {
        int fallback = -1;
        const int groups = static_cast<int>(m_ReadyGroups.size());
        const int start = groups > 0 ? random * (groups - 1) / 32767 : 0;
        for (int k = 0; k < groups; ++k) {
            const DirectionGroups::Group &group = m_Closings[m_ReadyGroups[(start + k) % groups]];
            const std::vector<int> &some = group.ready.empty() ? group.readyOwnParallel : group.ready;
            if (m_Remaining <= 3 || group.parallel == 0)
                return some[random % some.size()];
            for (const int v : group.readyOwnParallel) {
                if (m_Corners[v].ownParallel == group.parallel)
                    return v;
            }
            if (fallback < 0)
                fallback = some[random % some.size()];
        }
        if (fallback >= 0)
            return fallback;
        // Of the nearly straight corners, the one that turns most: a run of vertices in a line
        // turns a little at its ends, and at its inner vertices only by rounding.
        int straight = -1;
        for (const int v : m_ReadyStraight) {
            if (straight < 0 || m_Corners[v].turn > m_Corners[straight].turn)
                straight = v;
        }
        return straight;
    }

    // Removes vertex b and closes the ring over it.
    void Cut(int b)
    {
        Corner &cut = m_Corners[b];
        const int a = cut.prev;
        const int c = cut.next;
        SetReady(b, false);
        LeaveGroup(b);
        cut.alive = false;
        ++cut.version;
        for (int node = m_Position[b] + m_Size; node >= 1; node >>= 1)
            --m_Count[node];
        --m_Remaining;

        EdgeGoes(m_Corners[a].out);
        EdgeGoes(cut.out);
        const D3DXVECTOR3 closing = ZnNormalized(m_Points[c] - m_Points[a]);
        m_Corners[a].next = c;
        m_Corners[a].out = closing;
        m_Corners[c].prev = a;
        EdgeComes(closing);

        // The corners b held up read on past it.
        for (int w = m_WaitHead[b]; w >= 0;) {
            const Waiter waiter = m_Waiters[w];
            m_FreeWaiters.push_back(w);
            w = waiter.next;
            const Corner &corner = m_Corners[waiter.corner];
            if (corner.alive && corner.version == waiter.version && waiter.corner != a && waiter.corner != c)
                ReadOn(waiter.corner);
        }
        m_WaitHead[b] = -1;

        if (m_Remaining >= 3) {
            Measure(a);
            Measure(c);
        }
    }

private:
    struct Box {
        double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
    };
    // Where a corner's triangle may hold a vertex, in plane coordinates: inside the lines
    // n . q >= d (its sides moved out by the tolerance and a margin for rounding) and, when those
    // meet in a triangle, inside its bounds.
    struct Footprint {
        double nx[3], ny[3], d[3];
        Box bounds;
        bool bounded;
    };
    struct Corner {
        int prev = 0, next = 0;
        D3DXVECTOR3 out; // direction of the edge to next
        int version = 0; // grows whenever the corner is measured again or cut
        bool alive = true;
        CornerShape shape = CornerShape::Refused;
        float turn = 0;             // sine of the angle between the edges, towards the winding
        D3DXVECTOR3 sideNormals[3]; // winding x side, pointing into the triangle
        Footprint footprint;
        int scan = 0;        // the box to read on from for a vertex inside the triangle, 0 none
        int group = -1;      // closing direction, for convex corners
        int ownParallel = 0; // own edges parallel to the closing edge
        int readySlot = -1;  // place in a list of corners that may be cut
    };
    struct Waiter {
        int corner, version, next;
    };

    double X(const D3DXVECTOR3 &p) const { return PlaneFrame::Along(m_Frame.u, p); }
    double Y(const D3DXVECTOR3 &p) const { return PlaneFrame::Along(m_Frame.v, p); }

    void MakeFrame()
    {
        double *w = m_Frame.w;
        w[0] = m_Winding.x;
        w[1] = m_Winding.y;
        w[2] = m_Winding.z;
        double helper[3] = {0, 0, 0};
        helper[std::fabs(w[0]) < 0.6 ? 0 : 1] = 1;
        const double along = helper[0] * w[0] + helper[1] * w[1] + helper[2] * w[2];
        double *u = m_Frame.u;
        for (int i = 0; i < 3; ++i)
            u[i] = helper[i] - along * w[i];
        const double length = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
        for (int i = 0; i < 3; ++i)
            u[i] /= length;
        double *v = m_Frame.v;
        v[0] = w[1] * u[2] - w[2] * u[1];
        v[1] = w[2] * u[0] - w[0] * u[2];
        v[2] = w[0] * u[1] - w[1] * u[0];
    }

    // Leaves in a complete binary tree, each box bounding the vertices of the leaves below it.
    void BuildTree(int count)
    {
        m_Size = 1;
        while (m_Size < count)
            m_Size *= 2;
        m_Leaf.assign(static_cast<size_t>(m_Size), -1);
        m_Position.assign(static_cast<size_t>(count), 0);
        m_Boxes.assign(static_cast<size_t>(m_Size) * 2, Box());
        m_Count.assign(static_cast<size_t>(m_Size) * 2, 0);
        std::vector<int> items(static_cast<size_t>(count));
        std::vector<double> xs(static_cast<size_t>(count)), ys(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            items[i] = i;
            xs[i] = X(m_Points[i]);
            ys[i] = Y(m_Points[i]);
            m_Reach = std::max({m_Reach, std::fabs(xs[i]), std::fabs(ys[i])});
        }
        Build(1, 0, m_Size, items.data(), count, xs, ys);
    }

    // Puts count vertices into the span of leaves from first, halving along the longer side.
    void Build(int node, int first, int span, int *items, int count, const std::vector<double> &xs,
               const std::vector<double> &ys)
    {
        if (count == 0)
            return;
        m_Count[node] = count;
        Box &box = m_Boxes[node];
        for (int i = 0; i < count; ++i) {
            box.x0 = std::min(box.x0, xs[items[i]]);
            box.x1 = std::max(box.x1, xs[items[i]]);
            box.y0 = std::min(box.y0, ys[items[i]]);
            box.y1 = std::max(box.y1, ys[items[i]]);
        }
        if (span == 1) {
            m_Leaf[first] = items[0];
            m_Position[items[0]] = first;
            return;
        }
        const int half = span / 2;
        const int left = std::min(count, half);
        if (left < count) {
            const std::vector<double> &key = box.x1 - box.x0 >= box.y1 - box.y0 ? xs : ys;
            std::nth_element(items, items + left, items + count,
                             [&key](int a, int b) { return key[a] < key[b] || (key[a] == key[b] && a < b); });
        }
        Build(node * 2, first, half, items, left, xs, ys);
        Build(node * 2 + 1, first + half, half, items + left, count - left, xs, ys);
    }

    static bool MayHold(const Footprint &f, const Box &box)
    {
        if (f.bounded && (box.x1 < f.bounds.x0 || box.x0 > f.bounds.x1 || box.y1 < f.bounds.y0 || box.y0 > f.bounds.y1))
            return false;
        for (int k = 0; k < 3; ++k) {
            const double farthest =
                f.nx[k] * (f.nx[k] > 0 ? box.x1 : box.x0) + f.ny[k] * (f.ny[k] > 0 ? box.y1 : box.y0);
            if (farthest < f.d[k])
                return false;
        }
        return true;
    }

    // Whether p lies in the triangle of corner v or on its sides, within the tolerance.
    bool Holds(int v, const D3DXVECTOR3 &p) const
    {
        const Corner &corner = m_Corners[v];
        const D3DXVECTOR3 *points[3] = {&m_Points[corner.prev], &m_Points[v], &m_Points[corner.next]};
        for (int k = 0; k < 3; ++k) {
            if (Dot(p - *points[k], corner.sideNormals[k]) < -kInsideTolerance)
                return false;
        }
        return true;
    }

    // The box after the given one in the order of the leaves, or 0 past the last leaf.
    static int After(int node)
    {
        while (node & 1)
            node >>= 1;
        return node == 0 ? 0 : node + 1;
    }

    // The first leaf, from the given box on, whose vertex remains and lies inside corner v's
    // triangle, or 0. Boxes the triangle misses or whose vertices are all gone are passed over.
    int FindInside(int v, int node) const
    {
        const Corner &corner = m_Corners[v];
        while (node != 0) {
            if (m_Count[node] > 0 && MayHold(corner.footprint, m_Boxes[node])) {
                if (node < m_Size) {
                    node *= 2;
                    continue;
                }
                const int u = m_Leaf[node - m_Size];
                if (u != corner.prev && u != v && u != corner.next && Holds(v, m_Points[u]))
                    return node;
            }
            node = After(node);
        }
        return 0;
    }

    void MakeFootprint(int v)
    {
        Corner &corner = m_Corners[v];
        Footprint &f = corner.footprint;
        const D3DXVECTOR3 *points[3] = {&m_Points[corner.prev], &m_Points[v], &m_Points[corner.next]};
        // The sides' normals carry float rounding of about 1e-7 of the distances involved.
        const double margin = 2.0 * kInsideTolerance + 1e-6 * m_Reach;
        for (int k = 0; k < 3; ++k) {
            f.nx[k] = PlaneFrame::Along(m_Frame.u, corner.sideNormals[k]);
            f.ny[k] = PlaneFrame::Along(m_Frame.v, corner.sideNormals[k]);
            f.d[k] = f.nx[k] * X(*points[k]) + f.ny[k] * Y(*points[k]) - margin;
        }
        // The corner between sides i and j of the moved triangle; the bounds hold only when each
        // such corner lies within the third side.
        f.bounded = false;
        f.bounds = Box();
        for (int j = 0; j < 3; ++j) {
            const int i = (j + 2) % 3, other = (j + 1) % 3;
            const double det = f.nx[i] * f.ny[j] - f.ny[i] * f.nx[j];
            if (!(std::fabs(det) > 1e-12))
                return;
            const double x = (f.d[i] * f.ny[j] - f.ny[i] * f.d[j]) / det;
            const double y = (f.nx[i] * f.d[j] - f.d[i] * f.nx[j]) / det;
            if (!(f.nx[other] * x + f.ny[other] * y >= f.d[other] - margin))
                return;
            f.bounds.x0 = std::min(f.bounds.x0, x);
            f.bounds.x1 = std::max(f.bounds.x1, x);
            f.bounds.y0 = std::min(f.bounds.y0, y);
            f.bounds.y1 = std::max(f.bounds.y1, y);
        }
        f.bounds.x0 -= margin;
        f.bounds.x1 += margin;
        f.bounds.y0 -= margin;
        f.bounds.y1 += margin;
        f.bounded = true;
    }

    void EdgeComes(const D3DXVECTOR3 &direction)
    {
        bool made;
        const int id = m_Edges.Get(direction, made);
        ++m_Edges[id].count;
        m_Closings.ForEachNear(direction, [&](int closing) {
            m_Closings[closing].parallel += Parallel(m_Closings[closing].direction, direction);
        });
    }

    void EdgeGoes(const D3DXVECTOR3 &direction)
    {
        bool made;
        const int id = m_Edges.Get(direction, made);
        if (--m_Edges[id].count == 0)
            m_Edges.Drop(id);
        m_Closings.ForEachNear(direction, [&](int closing) {
            m_Closings[closing].parallel -= Parallel(m_Closings[closing].direction, direction);
        });
    }

    void JoinGroup(int v, const D3DXVECTOR3 &closing)
    {
        bool made;
        const int id = m_Closings.Get(closing, made);
        if (made) {
            int parallel = 0;
            m_Edges.ForEachNear(closing, [&](int edge) {
                if (Parallel(m_Edges[edge].direction, closing))
                    parallel += m_Edges[edge].count;
            });
            m_Closings[id].parallel = parallel;
        }
        ++m_Closings[id].count;
        Corner &corner = m_Corners[v];
        corner.group = id;
        corner.ownParallel = Parallel(closing, m_Corners[corner.prev].out) + Parallel(closing, corner.out);
    }

    void LeaveGroup(int v)
    {
        Corner &corner = m_Corners[v];
        if (corner.group < 0)
            return;
        if (--m_Closings[corner.group].count == 0)
            m_Closings.Drop(corner.group);
        corner.group = -1;
    }

    // Puts corner v in, or takes it out of, the lists of corners that may be cut.
    void SetReady(int v, bool ready)
    {
        Corner &corner = m_Corners[v];
        if (ready == (corner.readySlot >= 0))
            return;
        DirectionGroups::Group *group = corner.group >= 0 ? &m_Closings[corner.group] : nullptr;
        std::vector<int> &list = !group                   ? m_ReadyStraight
                                 : corner.ownParallel > 0 ? group->readyOwnParallel
                                                          : group->ready;
        const size_t before = group ? group->ready.size() + group->readyOwnParallel.size() : 0;
        if (ready) {
            corner.readySlot = static_cast<int>(list.size());
            list.push_back(v);
        } else {
            const int moved = list.back();
            list[corner.readySlot] = moved;
            m_Corners[moved].readySlot = corner.readySlot;
            list.pop_back();
            corner.readySlot = -1;
        }
        if (!group)
            return;
        if (before == 0) {
            group->readySlot = static_cast<int>(m_ReadyGroups.size());
            m_ReadyGroups.push_back(corner.group);
        } else if (group->ready.empty() && group->readyOwnParallel.empty()) {
            const int moved = m_ReadyGroups.back();
            m_ReadyGroups[group->readySlot] = moved;
            m_Closings[moved].readySlot = group->readySlot;
            m_ReadyGroups.pop_back();
            group->readySlot = -1;
        }
    }

    // Reads on for a remaining vertex inside corner v's triangle: waits for the first found to
    // go, or makes the corner one that may be cut.
    void ReadOn(int v)
    {
        Corner &corner = m_Corners[v];
        const int found = FindInside(v, corner.scan);
        if (found == 0) {
            corner.scan = 0;
            SetReady(v, true);
            return;
        }
        corner.scan = After(found);
        const int witness = m_Leaf[found - m_Size];
        int w;
        if (!m_FreeWaiters.empty()) {
            w = m_FreeWaiters.back();
            m_FreeWaiters.pop_back();
        } else {
            w = static_cast<int>(m_Waiters.size());
            m_Waiters.emplace_back();
        }
        m_Waiters[w] = Waiter{v, corner.version, m_WaitHead[witness]};
        m_WaitHead[witness] = w;
    }

    // The shape of corner v and, when it may be cut, its closing direction and whether its
    // triangle is empty.
    void Measure(int v)
    {
        Corner &corner = m_Corners[v];
        SetReady(v, false);
        LeaveGroup(v);
        ++corner.version;
        corner.shape = CornerShape::Refused;
        const int a = corner.prev;
        const int c = corner.next;
        const D3DXVECTOR3 &in = m_Corners[a].out;
        const float turn = ZnDot(ZnCross(in, corner.out), m_Winding);
        corner.turn = turn;
        if (turn <= 0.0f)
            return;
        if (std::fabs(Dot(in, corner.out)) > kParallel) {
            // On a long run of vertices in a line every triangle that reaches the run has such
            // a corner, so they are cut rather than refused, but last.
            if (turn <= kLeastTurn)
                return;
            corner.shape = CornerShape::NearlyStraight;
        } else {
            corner.shape = CornerShape::Convex;
        }

        const D3DXVECTOR3 points[3] = {m_Points[a], m_Points[v], m_Points[c]};
        for (int k = 0; k < 3; ++k)
            corner.sideNormals[k] = ZnCross(m_Winding, ZnNormalized(points[(k + 1) % 3] - points[k]));
        MakeFootprint(v);
        corner.scan = 1;
        if (corner.shape == CornerShape::Convex)
            JoinGroup(v, ZnNormalized(m_Points[c] - m_Points[a]));
        ReadOn(v);
    }

    const D3DXVECTOR3 *m_Points;
    D3DXVECTOR3 m_Winding;
    PlaneFrame m_Frame{};
    double m_Reach = 0;            // the largest plane coordinate of a vertex
    std::vector<Corner> m_Corners; // by vertex index
    int m_Size = 1;                // leaves, a power of two
    std::vector<int> m_Leaf;       // vertex of each leaf, -1 for none
    std::vector<int> m_Position;   // leaf of each vertex
    std::vector<Box> m_Boxes;      // by tree node, 1 the root, 2n and 2n+1 the children of n
    std::vector<int> m_Count;      // remaining vertices below each node
    std::vector<int> m_WaitHead;   // by vertex: the corners waiting for it to go
    std::vector<Waiter> m_Waiters;
    std::vector<int> m_FreeWaiters;
    DirectionGroups m_Edges;          // the remaining edges
    DirectionGroups m_Closings;       // the closing edges of convex corners
    std::vector<int> m_ReadyGroups;   // closing groups with corners that may be cut
    std::vector<int> m_ReadyStraight; // nearly straight corners that may be cut
    int m_Remaining;
};

bool Finite(const D3DXVECTOR3 &p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

} // namespace

CZNTriangulator::CZNTriangulator()
    : m_Indices(nullptr), m_TriangleCount(0), m_OwnsIndices(0), m_IndexCount(0), m_Points(nullptr), m_PointCount(0),
      m_Edges(nullptr), m_EdgeCount(0), m_EdgeCapacity(0), m_Normal(0, 0, 0), m_Winding(0, 0, 0), m_RandomState(1)
{
}

CZNTriangulator::~CZNTriangulator()
{
    Reset();
}

void CZNTriangulator::Reset()
{
    std::free(m_Points);
    std::free(m_Edges);
    if (m_OwnsIndices)
        std::free(m_Indices);
    m_Points = nullptr;
    m_Edges = nullptr;
    m_Indices = nullptr;
    m_OwnsIndices = 0;
    m_TriangleCount = 0;
    m_IndexCount = 0;
    m_PointCount = 0;
    m_EdgeCount = 0;
    m_EdgeCapacity = 0;
}

int CZNTriangulator::NextRandom()
{
    m_RandomState = m_RandomState * 214013u + 2531011u;
    return static_cast<int>((m_RandomState >> 16) & 0x7FFF);
}

bool CZNTriangulator::Init(ZNFACE *face)
{
    if (!face || face->GetVertexCount() < 3 || !face->GetVertices())
        return false;
    Reset();

    const int count = face->GetVertexCount();
    const ZNVERTEX *vertices = face->GetVertices();
    m_Normal = face->m_Normal;
    m_Points = static_cast<D3DXVECTOR3 *>(std::malloc(sizeof(D3DXVECTOR3) * count));
    if (!m_Points) {
        Reset();
        return false;
    }
    m_PointCount = static_cast<DWORD>(count);

    D3DXVECTOR3 lo(1e8f, 1e8f, 1e8f), hi(-1e8f, -1e8f, -1e8f);
    for (int i = 0; i < count; ++i) {
        m_Points[i] = D3DXVECTOR3(vertices[i].x, vertices[i].y, vertices[i].z);
        D3DXVec3Minimize(&lo, &lo, &m_Points[i]);
        D3DXVec3Maximize(&hi, &hi, &m_Points[i]);
    }
    const D3DXVECTOR3 centre = (lo + hi) * 0.5f;
    for (int i = 0; i < count; ++i)
        m_Points[i] -= centre;

    // The ring's orientation from the area it encloses, so that convex corners are known even
    // when the stored normal was taken at a concave corner.
    D3DXVECTOR3 winding(0, 0, 0);
    for (int i = 0; i < count; ++i)
        winding += ZnCross(m_Points[i], m_Points[(i + 1) % count]);
    if (D3DXVec3Length(&winding) <= 1e-12f)
        winding = m_Normal;
    if (D3DXVec3Length(&winding) <= 1e-12f) {
        Reset();
        return false;
    }
    m_Winding = ZnNormalized(winding);

    for (int i = 0; i < count; ++i) {
        if (!AddEdge(static_cast<WORD>(i), static_cast<WORD>((i + 1) % count))) {
            Reset();
            return false;
        }
    }

    m_Indices = static_cast<WORD *>(std::calloc(static_cast<size_t>(count - 2) * 3, sizeof(WORD)));
    if (!m_Indices) {
        Reset();
        return false;
    }
    m_OwnsIndices = 1;
    return true;
}

bool CZNTriangulator::AddEdge(WORD start, WORD end)
{
    if (start >= m_PointCount || end >= m_PointCount)
        return false;
    if (m_EdgeCount >= m_EdgeCapacity) {
        if (m_EdgeCapacity > 0xFFFF - 10)
            return false;
        void *grown = std::realloc(m_Edges, sizeof(ZNTRIEDGE) * (m_EdgeCapacity + 10));
        if (!grown)
            return false;
        m_Edges = static_cast<ZNTRIEDGE *>(grown);
        m_EdgeCapacity = static_cast<WORD>(m_EdgeCapacity + 10);
    }
    ZNTRIEDGE &edge = m_Edges[m_EdgeCount++];
    edge.start = start;
    edge.end = end;
    edge.direction = ZnNormalized(m_Points[end] - m_Points[start]);
    return true;
}

void CZNTriangulator::RemoveEdge(WORD index)
{
    if (index >= m_EdgeCount)
        return;
    std::memmove(&m_Edges[index], &m_Edges[index + 1], sizeof(ZNTRIEDGE) * (m_EdgeCount - index - 1));
    --m_EdgeCount;
}

bool CZNTriangulator::Triangulate(ZNFACE *face)
{
    if (!face || face->GetVertexCount() < 3)
        return false;
    if (!Init(face))
        return false;
    // A point at infinity or not a number leaves nothing to measure.
    bool finite = Finite(m_Winding);
    for (DWORD i = 0; i < m_PointCount && finite; ++i)
        finite = Finite(m_Points[i]);
    if (!finite) {
        Reset();
        return false;
    }

    const int target = face->GetVertexCount() - 2;
    try {
        TriangulationRing ring(m_Points, m_Edges, static_cast<int>(m_PointCount), m_Winding);
        while (m_TriangleCount < target) {
            const int b = ring.Choose(NextRandom());
            if (b < 0) {
                Reset();
                return false;
            }
            m_Indices[m_IndexCount++] = static_cast<WORD>(ring.Prev(b));
            m_Indices[m_IndexCount++] = static_cast<WORD>(b);
            m_Indices[m_IndexCount++] = static_cast<WORD>(ring.Next(b));
            ++m_TriangleCount;
            ring.Cut(b);
        }
    } catch (const std::bad_alloc &) {
        Reset();
        return false;
    }
    m_OwnsIndices = 0;
    return true;
}
