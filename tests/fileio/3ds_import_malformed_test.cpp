// 3DS import of hostile files: each ends in a thrown code or a clean import, never a crash, a
// read outside its chunk or a leak (the tests run under ASan and LSan).
#include <cmath>
#include <functional>

#include "3ds_import_fixture.h"
#include "scene/face_index_list.h"
#include "scene/face_list_container.h"

using namespace zn3ds;

namespace
{

constexpr LONG kShortRead = static_cast<LONG>(0x896703E8);
constexpr LONG kInvalid = static_cast<LONG>(0x89671F40);

} // namespace

TEST_F(Import3dsTest, EveryTruncationOfTheSamplesFails)
{
    for (const char *name : {"test1.3ds", "cube_with_diffuse_texture.3DS"}) {
        const Bytes file = ReadData(name);
        ASSERT_EQ(Import(file, true), 0) << name;
        for (size_t size = 0; size < file.size(); ++size) {
            const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
            // Every 101st cut also interactively, with its questions and reports.
            const bool silent = size % 101 != 0;
            const LONG code = Import(cut, silent);
            ASSERT_NE(code, 0) << name << " cut to " << size;
            importer.reset();
            GetEditorApp()->Get3D()->TrimMaterialList();
        }
    }
}

struct HostileCase {
    const char *name;
    Bytes file;
    LONG code; // 0: a clean import
};

class Import3dsHostileTest : public Import3dsTest, public ::testing::WithParamInterface<HostileCase>
{
};

TEST_P(Import3dsHostileTest, EndsInItsCode)
{
    EXPECT_EQ(Import(GetParam().file, GetParam().name[0] == 'I'), GetParam().code);
}

Bytes DeepChain(int depth)
{
    Bytes nodes;
    // Appended in place: the cases are built at every start of the test program.
    for (int i = 0; i < depth; ++i) {
        const Bytes node = Node("N" + std::to_string(i), static_cast<WORD>(i), i ? static_cast<WORD>(i - 1) : 0xFFFF);
        nodes.insert(nodes.end(), node.begin(), node.end());
    }
    return File(Triangle("N0"), nodes);
}

Bytes HugeCount(WORD id, size_t recordSize)
{
    Bytes body = Cat({U16(0xFFFF), Bytes(recordSize, 0)});
    return File(Object("H", Chunk(id, body)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Import3dsHostileTest,
    ::testing::Values(
        HostileCase{"HugePointCount", HugeCount(0x4110, 12), kShortRead},
        HostileCase{"HugeFaceCount", HugeCount(0x4120, 8), kShortRead},
        HostileCase{"HugeCoordinateCount", HugeCount(0x4140, 8), kShortRead},
        HostileCase{"HugeFaceGroupCount",
                    File(Cat({Material("M"), Object("H", Cat({Points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}),
                                                              Faces({{0, 1, 2}}, Chunk(0x4130, Cat({Str("M"), U16(0xFFFF)})))}))})),
                    kShortRead},
        HostileCase{"InteractiveHugeFaceGroupCount",
                    File(Cat({Material("M"), Object("H", Faces({{0, 1, 2}}, Chunk(0x4130, Cat({Str("M"), U16(900)}))))})),
                    kShortRead},
        HostileCase{"FaceGroupIndexBeyondFaces",
                    File(Cat({Material("M"), Object("H", Cat({Points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}),
                                                              Faces({{0, 1, 2}}, FaceGroup("M", {0, 1, 65535}))}))})),
                    0},
        HostileCase{"PointIndexOutOfRange", File(Object("P", Cat({Points({{0, 0, 0}}), Faces({{0, 1, 65535}})}))), 0},
        HostileCase{"NameWithoutZero", File(Chunk(0x4000, Bytes{'a', 'b', 'c'})), kShortRead},
        HostileCase{"ShortMeshMatrix", File(Triangle("T", Chunk(0x4160, F32({1, 2, 3})))), kShortRead},
        HostileCase{"LengthBelowHeader", File(Cat({Bytes{0x00, 0x40, 3, 0, 0, 0}})), kInvalid},
        HostileCase{"ChildLongerThanParent",
                    File(Cat({Object("L", Cat({Points({{0, 0, 0}}), Bytes{0x20, 0x41, 0xFF, 0xFF, 0, 0}}))})),
                    kShortRead},
        HostileCase{"InteractiveDeepNodeChainRefused", DeepChain(10000), kInvalid},
        HostileCase{"ChainOf256Levels", DeepChain(256), 0},
        HostileCase{"NotA3dsFile", Chunk(0x4D4C, {}), kInvalid}),
    [](const auto &info) { return std::string(info.param.name); });

// A mesh of 60 × 60 squares, two triangles each (7200 faces), with its points through place.
Bytes GridMesh(const std::function<D3DXVECTOR3(int index, const D3DXVECTOR3 &p)> &place)
{
    constexpr int kSide = 60;
    std::vector<D3DXVECTOR3> points;
    for (int r = 0; r <= kSide; ++r)
        for (int c = 0; c <= kSide; ++c)
            points.push_back(place(static_cast<int>(points.size()), D3DXVECTOR3(float(c), float(r), 0)));
    std::vector<Face> faces;
    for (int r = 0; r < kSide; ++r)
        for (int c = 0; c < kSide; ++c) {
            const WORD a = static_cast<WORD>(r * (kSide + 1) + c), d = static_cast<WORD>(a + kSide + 1);
            faces.push_back({a, static_cast<WORD>(a + 1), d});
            faces.push_back({static_cast<WORD>(a + 1), static_cast<WORD>(d + 1), d});
        }
    return File(Object("Grid", Cat({Points(points), Faces(faces)})));
}

// Meshes that once cost faces² in the shared-face pass: one NaN point, and every point on one
// spot. Both import in full; the NaN corner shares with no face, and the collapsed mesh's
// corners all name one list of every face.
struct DegenerateMeshCase {
    const char *name;
    Bytes file;
    bool collapsed;
};

class Import3dsDegenerateMeshTest : public Import3dsTest, public ::testing::WithParamInterface<DegenerateMeshCase>
{
};

TEST_P(Import3dsDegenerateMeshTest, ImportsWithBoundedSharedLists)
{
    ASSERT_EQ(Import(GetParam().file, true), 0);
    ZNBRUSH *brush = Brush(0);
    ASSERT_EQ(brush->GetFaceCount(), 7200u);
    const ZNFACELISTCONTAINER &lists = brush->m_SharedFaceInfo;
    if (GetParam().collapsed) {
        ASSERT_EQ(lists.GetFaceIndexListCount(), 1u);
        EXPECT_EQ(lists.GetFaceIndexList(0)->GetIndexCount(), 7200u);
        return;
    }
    int nanCorners = 0;
    for (DWORD f = 0; f < brush->GetFaceCount(); ++f)
        for (short j = 0; j < 3; ++j) {
            const D3DXVECTOR3 p = brush->GetFace(f)->GetVector(j);
            if (!std::isnan(p.x) && !std::isnan(p.y) && !std::isnan(p.z))
                continue;
            ++nanCorners;
            const LONG index = brush->GetFace(f)->m_VertexFaceListIndices[j];
            ASSERT_GE(index, 0);
            EXPECT_EQ(lists.GetFaceIndexList(static_cast<DWORD>(index))->GetIndexCount(), 1u);
        }
    EXPECT_EQ(nanCorners, 6); // an inner point of the grid is a corner of six triangles
}

INSTANTIATE_TEST_SUITE_P(
    Meshes, Import3dsDegenerateMeshTest,
    ::testing::Values(DegenerateMeshCase{"OneNaNPoint",
                                         GridMesh([](int index, const D3DXVECTOR3 &p) {
                                             return index == 30 * 61 + 30 ? D3DXVECTOR3(std::nanf(""), p.y, p.z) : p;
                                         }),
                                         false},
                      DegenerateMeshCase{"CollapsedToAPoint",
                                         GridMesh([](int, const D3DXVECTOR3 &) { return D3DXVECTOR3(1, 2, 3); }), true}),
    [](const auto &info) { return std::string(info.param.name); });
