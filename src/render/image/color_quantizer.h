#pragma once

// CZNColorQuantizer: octree colour quantizer that picks the palette of a 24-bit image reduced to
// 8 bits. Nodes live in one table grown 50 at a time; freed nodes are recycled through a free list.
#include <cstdint>

#include "platform/export.h"
#include "platform/os/win_types.h"

class CZNImage;

class ZN_API CZNColorQuantizer
{
public:
    static constexpr int kMaxLevels = 20;

    CZNColorQuantizer() = default;
    ~CZNColorQuantizer();
    CZNColorQuantizer(const CZNColorQuantizer &) = delete;
    CZNColorQuantizer &operator=(const CZNColorQuantizer &) = delete;

    // Builds the tree from every pixel of a 24-bit image, reducing it to at most maxColours leaves.
    // Returns the number of colours, or -1 (and the quantizer is reset) on failure.
    int Build(const CZNImage *image, int maxColours, int leafLevel);
    // Writes one entry per leaf (the mean colour of its pixels); returns the number written (<= 256).
    int FillPalette(RGBQUAD *palette) const;
    int GetColorCount() const { return m_LeafCount; }
    void Reset();

    // Index of the palette entry nearest to a colour (sum of absolute differences, lower index on
    // ties), -1 when count < 1.
    static int NearestColor(const RGBQUAD *palette, int count, BYTE red, BYTE green, BYTE blue);

private:
    struct Node {
        int64_t RedSum; // 64-bit: a large image overflows 32-bit sums
        int64_t GreenSum;
        int64_t BlueSum;
        int32_t Count; // pixels absorbed; for an inner node the number of children created
        bool Leaf;
        bool InList;
        uint8_t ChildMask; // bit s set while Children[s] is a node
        int32_t Children[8];
        int32_t Next; // next node of its reducible list or of the free list
    };

    int AllocNode();
    void FreeNode(int index);
    // Adds one pixel; maxColours lets it skip a reduction that would follow at once.
    bool Insert(BYTE red, BYTE green, BYTE blue, int maxColours);
    bool Reduce();

    Node *m_Nodes = nullptr;
    int32_t m_FreeHead = -1;
    int32_t m_ReducibleHeads[kMaxLevels] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                            -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    int m_LeafLevel = 0;
    int m_NodeCount = 0; // live nodes
    int m_Capacity = 0;  // nodes the table holds
    int m_Used = 0;      // table slots ever handed out
    int m_LeafCount = 0;
    int m_Root = -1;
};
