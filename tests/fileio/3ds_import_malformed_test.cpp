// 3DS import of hostile files: each ends in a thrown code or a clean import, never a crash, a
// read outside its chunk or a leak (the tests run under ASan and LSan).
#include "3ds_import_fixture.h"

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
    // Appended in place: copying the growing chain each time makes test discovery time out.
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
