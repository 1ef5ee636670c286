#include "render/image/color_quantizer.h"

#include <cstdlib>
#include <cstring>

#include "render/image/image.h"

namespace
{
constexpr int kGrowStep = 50;
}

CZNColorQuantizer::~CZNColorQuantizer()
{
    Reset();
}

void CZNColorQuantizer::Reset()
{
    std::free(m_Nodes);
    m_Nodes = nullptr;
    m_FreeHead = -1;
    for (int32_t &head : m_ReducibleHeads)
        head = -1;
    m_LeafLevel = 0;
    m_NodeCount = 0;
    m_Capacity = 0;
    m_Used = 0;
    m_LeafCount = 0;
    m_Root = -1;
}

int CZNColorQuantizer::AllocNode()
{
    int index;
    if (m_FreeHead != -1) {
        index = m_FreeHead;
        m_FreeHead = m_Nodes[index].Next;
    } else {
        if (m_Used >= m_Capacity) {
            const int capacity = m_Capacity + kGrowStep;
            auto *nodes = static_cast<Node *>(std::realloc(m_Nodes, sizeof(Node) * static_cast<size_t>(capacity)));
            if (!nodes)
                return -1;
            m_Nodes = nodes;
            m_Capacity = capacity;
        }
        index = m_Used++;
    }
    Node &node = m_Nodes[index];
    std::memset(&node, 0, sizeof(node));
    for (int32_t &child : node.Children)
        child = -1;
    node.Next = -1;
    ++m_NodeCount;
    return index;
}

void CZNColorQuantizer::FreeNode(int index)
{
    Node &node = m_Nodes[index];
    node.Leaf = false; // a freed slot gives no palette entry
    node.Next = m_FreeHead;
    m_FreeHead = index;
    --m_NodeCount;
}

bool CZNColorQuantizer::Insert(BYTE red, BYTE green, BYTE blue, int maxColours)
{
    // Each level halves the colour box: mid = (min + max) / 2, a sample <= mid going to the lower
    // half. For the first eight levels that is the sample's bit 8 - level, taken directly.
    int minR = 0, minG = 0, minB = 0, maxR = 255, maxG = 255, maxB = 255;
    int node = m_Root;
    for (int level = 1;; ++level) {
        int slot;
        if (level <= 8) {
            const int shift = 8 - level;
            slot = ((red >> shift) & 1) | (((green >> shift) & 1) << 1) | (((blue >> shift) & 1) << 2);
        } else {
            if (level == 9) {
                // The boxes the first eight levels narrowed to.
                minR = red > 0 ? red - 1 : 0, maxR = red, minG = green > 0 ? green - 1 : 0, maxG = green;
                minB = blue > 0 ? blue - 1 : 0, maxB = blue;
            }
            slot = 0;
            int mid = (minR + maxR) / 2;
            if (red <= mid) {
                maxR = mid;
            } else {
                slot |= 1;
                minR = mid;
            }
            mid = (minG + maxG) / 2;
            if (green <= mid) {
                maxG = mid;
            } else {
                slot |= 2;
                minG = mid;
            }
            mid = (minB + maxB) / 2;
            if (blue <= mid) {
                maxB = mid;
            } else {
                slot |= 4;
                minB = mid;
            }
        }
        int child = m_Nodes[node].Children[slot];
        if (child == -1) {
            child = AllocNode(); // may move the table
            if (child == -1)
                return false;
            m_Nodes[node].Children[slot] = child;
            m_Nodes[node].ChildMask |= static_cast<uint8_t>(1u << slot);
            ++m_Nodes[node].Count;
            if (level >= m_LeafLevel) {
                m_Nodes[child].Leaf = true;
            } else if (level == m_LeafLevel - 1 && m_LeafCount >= maxColours) {
                // The leaf below this new node would take the count over the limit, and this node,
                // the newest of the deepest reducible level, would at once be reduced into a leaf
                // holding the pixel. Go there directly; the slot the leaf would have taken and
                // freed goes to the free list as it would have.
                if (m_FreeHead == -1) {
                    const int spare = AllocNode();
                    if (spare == -1)
                        return false;
                    FreeNode(spare);
                }
                Node &c = m_Nodes[child];
                c.InList = true;
                c.Leaf = true;
                ++m_LeafCount;
                ++c.Count;
                c.RedSum = red;
                c.GreenSum = green;
                c.BlueSum = blue;
                return true;
            }
        }
        Node &c = m_Nodes[child];
        if (c.Leaf) {
            if (c.Count == 0)
                ++m_LeafCount;
            ++c.Count;
            c.RedSum += red;
            c.GreenSum += green;
            c.BlueSum += blue;
            return true;
        }
        if (!c.InList) {
            c.InList = true;
            c.Next = m_ReducibleHeads[level];
            m_ReducibleHeads[level] = child;
        }
        node = child;
    }
}

bool CZNColorQuantizer::Reduce()
{
    int level = m_LeafLevel;
    while (level >= 1 && m_ReducibleHeads[level] == -1)
        --level;
    if (level < 1)
        return false;
    const int index = m_ReducibleHeads[level];
    Node &node = m_Nodes[index];
    m_ReducibleHeads[level] = node.Next;
    node.Next = -1;
    // The node's count held its number of children; from here on it counts pixels only.
    node.Count = 0;
    // The children in slot order, found through the mask rather than by testing every slot.
    for (unsigned mask = node.ChildMask; mask; mask &= mask - 1) {
        int32_t &child = node.Children[__builtin_ctz(mask)];
        const Node &c = m_Nodes[child];
        node.RedSum += c.RedSum;
        node.GreenSum += c.GreenSum;
        node.BlueSum += c.BlueSum;
        node.Count += c.Count;
        if (c.Leaf)
            --m_LeafCount;
        FreeNode(child);
        child = -1;
    }
    node.ChildMask = 0;
    node.Leaf = true;
    ++m_LeafCount;
    return true;
}

int CZNColorQuantizer::Build(const CZNImage *image, int maxColours, int leafLevel)
{
    Reset();
    if (!image || !image->GetRedPlane() || !image->GetGreenPlane() || !image->GetBluePlane() || maxColours < 1 ||
        leafLevel < 1 || leafLevel >= kMaxLevels)
        return -1;
    m_LeafLevel = leafLevel;
    m_Root = AllocNode();
    if (m_Root == -1) {
        Reset();
        return -1;
    }
    const BYTE *r = image->GetRedPlane();
    const BYTE *g = image->GetGreenPlane();
    const BYTE *b = image->GetBluePlane();
    const DWORD size = image->GetPlaneSize();
    for (DWORD i = 0; i < size; ++i) {
        if (!Insert(r[i], g[i], b[i], maxColours)) {
            Reset();
            return -1;
        }
        while (m_LeafCount > maxColours) {
            if (!Reduce()) {
                Reset();
                return -1;
            }
        }
    }
    return m_LeafCount;
}

int CZNColorQuantizer::FillPalette(RGBQUAD *palette) const
{
    // Every slot ever handed out is visited: after reductions live leaves may sit beyond the
    // live node count. Freed slots are not leaves.
    int filled = 0;
    for (int i = 0; i < m_Used && filled < 256; ++i) {
        const Node &node = m_Nodes[i];
        if (!node.Leaf || node.Count <= 0)
            continue;
        palette[filled].rgbRed = static_cast<BYTE>(node.RedSum / node.Count);
        palette[filled].rgbGreen = static_cast<BYTE>(node.GreenSum / node.Count);
        palette[filled].rgbBlue = static_cast<BYTE>(node.BlueSum / node.Count);
        ++filled;
    }
    return filled;
}

int CZNColorQuantizer::NearestColor(const RGBQUAD *palette, int count, BYTE red, BYTE green, BYTE blue)
{
    if (count < 1)
        return -1;
    int best = -1;
    int bestDistance = 1000;
    for (int i = 0; i < count; ++i) {
        const RGBQUAD &e = palette[i];
        if (e.rgbRed == red && e.rgbGreen == green && e.rgbBlue == blue)
            return i;
        const int distance = std::abs(e.rgbRed - red) + std::abs(e.rgbGreen - green) + std::abs(e.rgbBlue - blue);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}
