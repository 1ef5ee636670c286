// The keyframer section of a 3DS file: one node per object, turned after the parse into groups
// holding the imported brushes; meshes whose node has a pivot are moved into their local frame.
#include <cstring>
#include <memory>
#include <new>

#include "fileio/3ds_import.h"
#include "fileio/iwf_scene.h"
#include "fileio/stream_io.h"
#include "scene/brush.h"
#include "scene/face.h"
#include "scene/group.h"

namespace
{

constexpr WORD kHeader = 0xB00A;
constexpr WORD kAmbientNode = 0xB001;
constexpr WORD kObjectNode = 0xB002;
constexpr WORD kNodeHeader = 0xB010;
constexpr WORD kInstanceName = 0xB011;
constexpr WORD kPivot = 0xB013;
constexpr WORD kNodeId = 0xB030;
constexpr WORD kNoParent = 0xFFFF;
constexpr DWORD kNodeNameLength = 64;
constexpr DWORD kHeaderNameLength = 12;

// Puts node into the list at head, after every entry whose name is not greater.
void InsertByName(KFNODE3DS *&head, KFNODE3DS *node)
{
    KFNODE3DS **link = &head;
    while (*link && std::strcmp((*link)->Name, node->Name) <= 0)
        link = &(*link)->Next;
    node->Next = *link;
    *link = node;
}

// A group being built; when the build fails it goes with the groups nested in it.
struct GroupTreeDeleter {
    void operator()(CZNGROUP *group) const { CZNIWFScene::DeleteGroupTree(group); }
};
using GroupPtr = std::unique_ptr<CZNGROUP, GroupTreeDeleter>;

char *CopyName(const char *a, const char *b)
{
    const size_t la = std::strlen(a), lb = b ? std::strlen(b) : 0;
    char *name = new (std::nothrow) char[la + lb + 2];
    if (!name)
        return nullptr;
    std::memcpy(name, a, la);
    size_t at = la;
    if (b) {
        name[at++] = '.';
        std::memcpy(name + at, b, lb);
        at += lb;
    }
    name[at] = '\0';
    return name;
}

} // namespace

void CZN3DSImport::ReadKeyframer(CHUNK3DS *chunk, ZN3DSCONTEXT *)
{
    ZN3DSCONTEXT context;
    context.ParentId = chunk->ChunkId;
    ForEachChild([&] {
        switch (m_TopChunk->ChunkId) {
        case kHeader: {
            char name[kHeaderNameLength + 1];
            ReadU16();
            ReadName(name, kHeaderNameLength);
            ReadU16();
            break;
        }
        case kAmbientNode:
        case kObjectNode:
            ReadKeyframerNode(m_TopChunk, &context);
            break;
        default:
            break;
        }
    });
}

void CZN3DSImport::ReadKeyframerNode(CHUNK3DS *chunk, ZN3DSCONTEXT *)
{
    std::unique_ptr<KFNODE3DS> node(new (std::nothrow) KFNODE3DS);
    // A record that cannot be made leaves the node out.
    if (!node)
        return;
    const bool object = chunk->ChunkId == kObjectNode;
    node->Kind = object ? 1 : 0;
    ForEachChild([&] {
        switch (m_TopChunk->ChunkId) {
        case kNodeHeader:
            ReadName(node->Name, kNodeNameLength);
            ReadU16();
            ReadU16();
            node->ParentId = ReadU16();
            break;
        case kInstanceName:
            if (object)
                ReadName(node->InstanceName, kNodeNameLength);
            break;
        case kPivot:
            if (object) {
                const float x = ReadF32(), y = ReadF32(), z = ReadF32();
                node->Pivot = D3DXVECTOR3(x, z, y);
            }
            break;
        case kNodeId:
            node->NodeId = ReadU16();
            break;
        default:
            break;
        }
    });
    try {
        m_Nodes.push_back(std::move(node));
    } catch (const std::bad_alloc &) {
    }
}

KFNODE3DS *CZN3DSImport::FindNodeById(WORD id) const
{
    for (const auto &node : m_Nodes)
        if (node->NodeId == id)
            return node.get();
    return nullptr;
}

LONG CZN3DSImport::FindBrushByName(const char *name) const
{
    if (!name)
        return -1;
    for (size_t i = 0; i < m_Brushes.size(); ++i)
        if (m_Brushes[i] && m_Brushes[i]->m_Name && std::strcmp(m_Brushes[i]->m_Name, name) == 0)
            return static_cast<LONG>(i);
    return -1;
}

void CZN3DSImport::BuildNodeTree()
{
    m_RootNodes = nullptr;
    for (const auto &node : m_Nodes) {
        node->Children = nullptr;
        node->Parent = nullptr;
        node->Next = nullptr;
    }
    for (const auto &node : m_Nodes) {
        KFNODE3DS *parent = node->ParentId != kNoParent ? FindNodeById(node->ParentId) : nullptr;
        node->Parent = parent;
        InsertByName(parent ? parent->Children : m_RootNodes, node.get());
    }
}

void CZN3DSImport::BuildHierarchy()
{
    BuildNodeTree();
    for (KFNODE3DS *node = m_RootNodes; node; node = node->Next)
        ApplyNode(node, nullptr, 1);
}

void CZN3DSImport::ApplyNode(KFNODE3DS *node, CZNGROUP *parent, DWORD depth)
{
    if (depth > kMaxNodeDepth)
        Throw(ZNERR_3DS_INVALID_FILE);

    GroupPtr group;
    for (KFNODE3DS *child = node->Children; child; child = child->Next) {
        if (!group) {
            group.reset(new (std::nothrow) CZNGROUP);
            if (!group)
                Throw(ZNERR_OUT_OF_MEMORY);
            const bool dummy = std::strcmp(node->Name, "$$$DUMMY") == 0;
            if (!dummy || node->InstanceName[0]) {
                char *name = dummy ? CopyName(node->InstanceName, nullptr) : CopyName(node->Name, node->InstanceName);
                if (!name)
                    Throw(ZNERR_OUT_OF_MEMORY);
                group->SetName(name);
            }
        }
        ApplyNode(child, group.get(), depth + 1);
        if (group->GetChildCount() == 0)
            group.reset();
    }
    if (group) {
        if (parent) {
            parent->AddChild(group.release());
        } else {
            try {
                m_Groups.push_back(group.get());
            } catch (const std::bad_alloc &) {
                Throw(ZNERR_OUT_OF_MEMORY);
            }
            group.release();
        }
    }

    const LONG index = FindBrushByName(node->Name);
    if (index < 0)
        return;
    ZNBRUSH *brush = m_Brushes[static_cast<size_t>(index)];
    const D3DXMATRIX &matrix = m_MeshMatrices[static_cast<size_t>(index)];

    // Compared as a number: the (-0, -0, -0) that files store moves nothing.
    const D3DXVECTOR3 pivot = node->Pivot;
    if (pivot.x != 0.0f || pivot.y != 0.0f || pivot.z != 0.0f) {
        D3DXMATRIX inverse;
        // A matrix without an inverse counts as no pivot.
        if (D3DXMatrixInverse(&inverse, nullptr, &matrix)) {
            for (DWORD f = 0; f < brush->GetFaceCount(); ++f) {
                ZNFACE *face = brush->GetFace(f);
                ZNVERTEX *vertices = face->GetVertices();
                for (short v = 0; v < face->GetVertexCount(); ++v) {
                    D3DXVECTOR3 p(vertices[v].x, vertices[v].y, vertices[v].z);
                    D3DXVec3TransformCoord(&p, &p, &inverse);
                    p -= pivot;
                    if (m_MasterScale != 1.0f)
                        p *= m_MasterScale;
                    D3DXVec3TransformCoord(&p, &p, &matrix);
                    vertices[v].x = p.x;
                    vertices[v].y = p.y;
                    vertices[v].z = p.z;
                }
            }
            // Placement centres on the brushes' boxes: keep them and the face centres true.
            brush->UpdateBoundingBox();
            brush->CalculateFaceCenterPoints();
        }
    }
    if (parent)
        parent->AddChild(brush);
}
