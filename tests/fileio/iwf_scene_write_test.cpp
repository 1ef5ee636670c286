// The IWF scene writer: exact bytes of the chunks it writes, their order, and which objects,
// groups, materials and textures a save takes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "iwf_scene_fixture.h"
#include "render/camera.h"
#include "render/thumbnail_renderer.h"

namespace
{

using WriterTest = IwfSceneTest;

const IwfNode *Find(const std::vector<IwfNode> &level, uint16_t id)
{
    for (const IwfNode &n : level)
        if (n.id == id)
            return &n;
    return nullptr;
}

// Own and total length as the chunk header states them.
std::pair<size_t, uint32_t> Sizes(const IwfNode &n)
{
    return {n.data.size(), n.total};
}

TEST_F(WriterTest, EmptySelectionWithEverythingIsHeaderSignatureAndOptions)
{
    IwfBytes bytes = SaveObjects({}, IWFSAVE_ALL);
    EXPECT_EQ(bytes.size(), 160u);
    auto top = IwfParse(bytes);
    EXPECT_EQ(IwfIds(top), (std::vector<uint16_t>{0x2000, 0x2004}));
    EXPECT_EQ(top[0].author, "TOVRA");
    EXPECT_EQ(std::string(top[0].data.begin(), top[0].data.end()), "-ZN_SIG-");
    EXPECT_EQ(top[0].endCode, 0xF000);
    EXPECT_EQ(top[1].endCode, 0xF001);
    EXPECT_EQ(top[1].data.size(), 76u);
}

TEST_F(WriterTest, TopLevelOrderOfEveryChunk)
{
    CZNTexture *texture = AddTexture("stone.bmp", 1);
    LONG material = AddMaterial("Stone", 0.75f);
    ZNBRUSH *loose = Cube();
    ZNBRUSH *grouped = Cube({2, 0, 0}, {3, 1, 1});
    Group("G")->AddChild(grouped);
    loose->GetFace(0)->SetTexture(texture);
    loose->GetFace(1)->SetMaterial(material);
    CZNImage thumbnail;
    thumbnail.AllocImageMem(4, 4, 24, false);

    // The selection lists the grouped brush first; groups still come before loose brushes.
    auto top = IwfParse(SaveObjects({grouped, loose}, IWFSAVE_ALL, &thumbnail));
    EXPECT_EQ(IwfIds(top), (std::vector<uint16_t>{0x03, 0x2000, 0xA0, 0x90, 0x10, 0x20, 0x2004}));
    EXPECT_EQ(IwfIds(Find(top, 0xA0)->children), std::vector<uint16_t>{0x2005});
    EXPECT_EQ(IwfIds(Find(top, 0x90)->children), std::vector<uint16_t>{0x2002});
    EXPECT_EQ(IwfIds(Find(top, 0x10)->children), std::vector<uint16_t>{0x20});
    for (size_t i = 0; i < top.size(); ++i)
        EXPECT_EQ(top[i].endCode, i + 1 == top.size() ? 0xF001 : 0xF000);
}

TEST_F(WriterTest, UnitCubeChunkSizesAndFaceRecord)
{
    ZNBRUSH *cube = Cube();
    auto top = IwfParse(SaveObjects({cube}, IWFSAVE_ALL));
    const IwfNode *mesh = Find(top, 0x20);
    ASSERT_TRUE(mesh);
    EXPECT_EQ(Sizes(*mesh), std::make_pair(size_t{41}, 1417u));
    EXPECT_EQ(mesh->data[0], 0);              // no name
    EXPECT_EQ(IwfGet32(mesh->data, 9), 6u);   // bounds and style
    EXPECT_EQ(IwfGetF(mesh->data, 25), 1.0f); // maximum x
    ASSERT_EQ(mesh->children.size(), 1u);
    const IwfNode &surface = mesh->children[0];
    EXPECT_EQ(Sizes(surface), std::make_pair(size_t{166}, 1355u));
    EXPECT_EQ(IwfIds(surface.children), (std::vector<uint16_t>{0x2001, 0x50, 0x40}));
    EXPECT_EQ(surface.children[0].data.size(), 270u);
    EXPECT_EQ(surface.children[0].author, "TOVRA");
    EXPECT_EQ(surface.children[1].data.size(), 819u);
    EXPECT_EQ(surface.children[1].author, "");
    const IwfBytes &indices = surface.children[2].data;
    ASSERT_EQ(indices.size(), 32u);
    EXPECT_EQ(IwfGet32(indices, 0), 36u);
    EXPECT_EQ(IwfGet32(indices, 4), 6u);
    for (size_t k = 8; k < 32; ++k)
        EXPECT_EQ(indices[k], 0) << k;

    // Face 0 (-x): mask, normal, style, one channel, no texture, no material, no blending.
    const IwfBytes &s = surface.data;
    EXPECT_EQ(IwfGet32(s, 0), 6u);
    const size_t f = 4;
    EXPECT_EQ(IwfGet32(s, f + 0), 0xB9u);
    EXPECT_EQ(IwfGetF(s, f + 4), -1.0f);
    EXPECT_EQ(IwfGetF(s, f + 8), 0.0f);
    EXPECT_EQ(IwfGet32(s, f + 16), 0u);
    EXPECT_EQ(s[f + 20], 1);
    EXPECT_EQ(IwfGet16(s, f + 21), 0xFFFF);
    EXPECT_EQ(IwfGet16(s, f + 23), 0xFFFF);
    EXPECT_EQ(s[f + 25], 0);
    EXPECT_EQ(s[f + 26], 0);
    EXPECT_EQ(IwfGet32(s, f + 27), 0xB9u); // the next record follows at once

    // The vertex block: tag, count, mask, then 32-byte vertices.
    const IwfBytes &v = surface.children[1].data;
    EXPECT_EQ(v[0], 1);
    EXPECT_EQ(IwfGet32(v, 1), 24u);
    EXPECT_EQ(IwfGet32(v, 5), 6u);
    EXPECT_EQ(v[9], 16);
    EXPECT_EQ(IwfGet16(v, 10), 4u);
    EXPECT_EQ(IwfGet32(v, 12), 0x45u);
    EXPECT_EQ(IwfGetF(v, 16), cube->GetFace(0)->m_Vertices[0].x);
    EXPECT_EQ(IwfGetF(v, 16 + 28), cube->GetFace(0)->m_Vertices[0].nz);
}

struct StyleCase {
    const char *name;
    DWORD face;
    DWORD file;
};

class StyleRemapTest : public IwfSceneTest, public ::testing::WithParamInterface<StyleCase>
{
};

TEST_P(StyleRemapTest, WritesFileBitAndReadsFaceBit)
{
    ZNBRUSH *cube = Cube();
    cube->GetFace(2)->m_Style = GetParam().face;
    IwfBytes bytes = SaveObjects({cube}, IWFSAVE_BRUSHES);
    auto top = IwfParse(bytes);
    const IwfNode &surface = top[1].children[0];
    EXPECT_EQ(IwfGet32(surface.data, 4 + 2 * 27 + 16), GetParam().file);

    CZNIWFScene scene;
    ASSERT_EQ(Load(scene, bytes, true), 0);
    ASSERT_EQ(scene.m_Brushes.size(), 1u);
    EXPECT_EQ(scene.m_Brushes[0]->GetFace(2)->m_Style, GetParam().face);
    scene.Clear(IWFSAVE_ALL);
}

INSTANTIATE_TEST_SUITE_P(Styles, StyleRemapTest,
                         ::testing::Values(StyleCase{"Invisible", 0x01, 0x01}, StyleCase{"SkyBox", 0x02, 0x04},
                                           StyleCase{"FullBright", 0x04, 0x02}, StyleCase{"LockUV", 0x08, 0x10},
                                           StyleCase{"TwoSided", 0x10, 0x08}, StyleCase{"All", 0x1F, 0x1F}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(WriterTest, TextureMaterialAndExtraRecords)
{
    CZNTexture *stone = AddTexture("stone.bmp", 1);
    CZNTexture *grass = AddTexture("grass_long_name.bmp", 2);
    // New faces name material 0, so Brick is used by every face and Unused by none.
    LONG material = AddMaterial("Brick", 0.75f, 12.5f);
    AddMaterial("Unused", 0.1f);
    CZNMATERIAL *record = GetEditorApp()->Get3D()->GetMaterialRecord(material);
    record->SetTexture(grass);
    record->SetID(77);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_POINT;
    light.Range = 42.0f;
    record->SetLight(&light);
    ZNBRUSH *cube = Cube();
    cube->GetFace(0)->SetTexture(stone);
    cube->GetFace(3)->SetMaterial(material);
    cube->GetFace(3)->m_SrcBlend = 4;
    cube->GetFace(3)->m_DestBlend = 9;

    auto top = IwfParse(SaveObjects({cube}, IWFSAVE_ALL));
    // Textures: the face's texture, then the material's.
    const IwfBytes &t = Find(top, 0xA0)->data;
    EXPECT_EQ(t.size(), 4u + (8 + 9) + (8 + 19));
    EXPECT_EQ(IwfGet32(t, 0), 2u);
    EXPECT_EQ(t[4], 1);
    EXPECT_EQ(IwfGet16(t, 5), 9u);
    EXPECT_EQ(std::string(t.begin() + 7, t.begin() + 16), "stone.bmp");
    EXPECT_EQ(t[16], 0);
    EXPECT_EQ(IwfGet32(t, 17), 0u);
    const IwfBytes &crcs = Find(top, 0xA0)->children[0].data;
    ASSERT_EQ(crcs.size(), 8u);
    EXPECT_EQ(IwfGet32(crcs, 0), stone->GetCRC());
    EXPECT_EQ(IwfGet32(crcs, 4), grass->GetCRC());

    // Materials: only the used one; colours diffuse, ambient, emissive, specular; power.
    const IwfBytes &m = Find(top, 0x90)->data;
    EXPECT_EQ(m.size(), 4u + 69 + 5);
    EXPECT_EQ(IwfGet32(m, 0), 1u);
    EXPECT_EQ(m[4], 5);
    EXPECT_EQ(std::string(m.begin() + 5, m.begin() + 10), "Brick");
    EXPECT_EQ(IwfGetF(m, 10), 0.75f);       // diffuse red
    EXPECT_EQ(IwfGetF(m, 10 + 16), 0.1f);   // ambient red
    EXPECT_EQ(IwfGetF(m, 10 + 32), 0.9f);   // emissive red
    EXPECT_EQ(IwfGetF(m, 10 + 48), 0.5f);   // specular red
    EXPECT_EQ(IwfGetF(m, 10 + 64), 12.5f);  // power
    const IwfBytes &extra = Find(top, 0x90)->children[0].data;
    ASSERT_EQ(extra.size(), 112u);
    EXPECT_EQ(IwfGet32(extra, 0), 1u);              // light type
    EXPECT_EQ(IwfGetF(extra, 4 + 48 + 24), 42.0f); // range
    EXPECT_EQ(IwfGet32(extra, 104), 77u);
    EXPECT_EQ(IwfGet32(extra, 108), 1u); // grass is texture record 1

    // The faces name the records.
    const IwfBytes &s = Find(top, 0x20)->children[0].data;
    EXPECT_EQ(IwfGet16(s, 4 + 21), 0u);
    EXPECT_EQ(IwfGet16(s, 4 + 3 * 27 + 23), 0u);
    EXPECT_EQ(s[4 + 3 * 27 + 25], 5);
    EXPECT_EQ(s[4 + 3 * 27 + 26], 10);
}

TEST_F(WriterTest, EightBitThumbnailIs12010BytesWithPaletteInRedGreenBlueOrder)
{
    CZNImage thumbnail;
    ASSERT_TRUE(thumbnail.AllocImageMem(106, 106, 8, false));
    thumbnail.GetPalette()[3] = {30, 20, 10, 0}; // blue, green, red
    thumbnail.GetRedPlane()[0] = 3;
    auto top = IwfParse(SaveObjects({}, 0, &thumbnail));
    ASSERT_EQ(top[0].id, 0x03);
    const IwfBytes &t = top[0].data;
    ASSERT_EQ(t.size(), 12010u);
    EXPECT_EQ(IwfGet16(t, 0), 106);
    EXPECT_EQ(IwfGet16(t, 2), 106);
    EXPECT_EQ(IwfGet16(t, 4), 8);
    EXPECT_EQ(t[6 + 9], 10);
    EXPECT_EQ(t[6 + 10], 20);
    EXPECT_EQ(t[6 + 11], 30);
    EXPECT_EQ(t[774], 3);
}

TEST_F(WriterTest, EditorOptionsBlock)
{
    CZNEDITORApp *app = GetEditorApp();
    ZNAPPOPTIONS saved = app->Options();
    app->Options() = ZNAPPOPTIONS{};
    app->Options().m_GridSize = 16.0f;
    app->Options().m_SecondGrid = 2.5f;
    app->Options().m_CameraMode = 1;
    CZNCAMERA *camera = app->Get3D()->GetCamera();
    camera->Select(1);
    const D3DXVECTOR3 position = camera->GetPosition();
    auto top = IwfParse(SaveObjects({}, IWFSAVE_EDITOR_OPTIONS));
    app->Options() = saved;
    camera->Select(0);

    const IwfBytes &o = Find(top, 0x2004)->data;
    ASSERT_EQ(o.size(), 76u);
    // Render mode 4 and default lighting are the wrapper's start values; camera mode 1.
    EXPECT_EQ(IwfGet32(o, 0), 0x01000000u | 0x20u | 0x04000000u);
    EXPECT_EQ(IwfGet32(o, 4), 0u);
    EXPECT_EQ(IwfGetF(o, 8), position.x);
    EXPECT_EQ(IwfGet32(o, 44), 1u);
    EXPECT_EQ(IwfGetF(o, 48), 16.0f);
    EXPECT_EQ(IwfGetF(o, 52), 2.5f);
    for (size_t k = 56; k < 76; ++k)
        EXPECT_EQ(o[k], 0);
}

struct OptionBit {
    int word;
    DWORD bit;
};

class OptionBitTest : public IwfSceneTest, public ::testing::WithParamInterface<OptionBit>
{
};

TEST_P(OptionBitTest, EachOptionFlagSetsItsBit)
{
    CZNEDITORApp *app = GetEditorApp();
    ZNAPPOPTIONS saved = app->Options();
    app->Options() = ZNAPPOPTIONS{};
    app->Options().m_CameraMode = 2; // neither camera-mode bit
    CZNIWFScene scene;
    scene.GatherEditorOptions();
    const DWORD base = scene.m_EditorOptions.Flags;
    app->SetOptionWord(GetParam().word, 1);
    scene.GatherEditorOptions();
    app->Options() = saved;
    EXPECT_EQ(scene.m_EditorOptions.Flags ^ base, GetParam().bit);
}

INSTANTIATE_TEST_SUITE_P(
    Bits, OptionBitTest,
    ::testing::Values(OptionBit{0, 0x00001000}, OptionBit{1, 0x00000040}, OptionBit{2, 0x00002000},
                      OptionBit{3, 0x00010000}, OptionBit{4, 0x00000400}, OptionBit{5, 0x00000001},
                      OptionBit{6, 0x00000002}, OptionBit{7, 0x00800000}, OptionBit{8, 0}, OptionBit{9, 0x00020000},
                      OptionBit{10, 0x00100000}, OptionBit{11, 0x00080000}, OptionBit{12, 0x00040000},
                      OptionBit{13, 0x00200000}, OptionBit{14, 0x00400000}, OptionBit{15, 0x00008000},
                      OptionBit{16, 0x00004000}, OptionBit{17, 0x00000100}, OptionBit{18, 0x00000080},
                      OptionBit{19, 0x00000200}, OptionBit{24, 0x10000000}, OptionBit{25, 0x08000000}),
    [](const auto &info) { return "Word" + std::to_string(info.param.word); });

TEST_F(WriterTest, RenderModeAndCameraModeBits)
{
    CZN3D *wrapper = GetEditorApp()->Get3D();
    const DWORD mode = wrapper->GetRenderMode();
    const int32_t cameraMode = GetEditorApp()->Options().m_CameraMode;
    const DWORD kModeBits[] = {0, 0x10, 0x08, 0x04, 0x01000000};
    for (DWORD m = 1; m <= 4; ++m) {
        wrapper->SetRenderMode(m);
        GetEditorApp()->Options().m_CameraMode = 0;
        CZNIWFScene scene;
        scene.GatherEditorOptions();
        EXPECT_EQ(scene.m_EditorOptions.Flags & 0x0100001C, kModeBits[m]) << m;
        EXPECT_TRUE(scene.m_EditorOptions.Flags & 0x02000000);
        EXPECT_TRUE(scene.m_EditorOptionsPresent);
    }
    wrapper->SetRenderMode(mode);
    GetEditorApp()->Options().m_CameraMode = cameraMode;
}

TEST_F(WriterTest, GroupedBrushWithoutGroupFlagIsWrittenAtTopLevel)
{
    ZNBRUSH *brush = Cube();
    Group("G")->AddChild(brush);
    auto top = IwfParse(SaveObjects({brush}, IWFSAVE_BRUSHES));
    EXPECT_EQ(IwfIds(top), (std::vector<uint16_t>{0x2000, 0x20}));
}

TEST_F(WriterTest, SavingOneMemberWritesItsWholeRootGroupOnce)
{
    // outer { inner { a }, b, empty {} } and a loose brush c.
    CZNGROUP *outer = Group("Outer");
    CZNGROUP *inner = Group();
    CZNGROUP *empty = Group();
    ZNBRUSH *a = Cube();
    ZNBRUSH *b = Cube({2, 0, 0}, {3, 1, 1});
    ZNBRUSH *c = Cube({4, 0, 0}, {5, 1, 1});
    outer->AddChild(inner);
    inner->AddChild(a);
    outer->AddChild(b);
    outer->AddChild(empty);

    auto top = IwfParse(SaveObjects({a, c}, IWFSAVE_BRUSHES | IWFSAVE_GROUPS));
    ASSERT_EQ(IwfIds(top), (std::vector<uint16_t>{0x2000, 0x10, 0x20}));
    const IwfNode &g = top[1];
    EXPECT_EQ(g.data, (IwfBytes{5, 'O', 'u', 't', 'e', 'r'}));
    ASSERT_EQ(IwfIds(g.children), (std::vector<uint16_t>{0x10, 0x20, 0x10}));
    EXPECT_EQ(g.children[0].data, IwfBytes{0});
    EXPECT_EQ(IwfIds(g.children[0].children), std::vector<uint16_t>{0x20});
    EXPECT_EQ(g.children[2].data, IwfBytes{0});
    EXPECT_TRUE(g.children[2].children.empty());
    EXPECT_EQ(g.children[2].total, 1u);
}

TEST_F(WriterTest, SaveObjectsTakesUsedMaterialsOnly)
{
    AddMaterial("A", 0.1f);
    LONG used = AddMaterial("B", 0.2f);
    AddMaterial("C", 0.3f);
    ZNBRUSH *cube = Cube();
    for (DWORD i = 0; i < cube->GetFaceCount(); ++i)
        cube->GetFace(i)->SetMaterial(used);
    auto top = IwfParse(SaveObjects({cube}, IWFSAVE_BRUSHES | IWFSAVE_MATERIALS));
    const IwfNode *materials = Find(top, 0x90);
    ASSERT_TRUE(materials);
    EXPECT_EQ(IwfGet32(materials->data, 0), 1u);
    EXPECT_EQ(materials->data[5], 'B');
}

TEST_F(WriterTest, LongNamesAreCutTo255Bytes)
{
    ZNBRUSH *cube = Cube();
    std::string name(300, 'n');
    cube->m_Name = new char[name.size() + 1];
    std::strcpy(cube->m_Name, name.c_str());
    auto top = IwfParse(SaveObjects({cube}, IWFSAVE_BRUSHES));
    const IwfNode *mesh = Find(top, 0x20);
    ASSERT_TRUE(mesh);
    EXPECT_EQ(mesh->data[0], 255);
    EXPECT_EQ(mesh->data.size(), 41u + 255);
}

TEST_F(WriterTest, ConcaveFaceListIsWrittenAndAnOverlongListIsLeftOut)
{
    ZNBRUSH *brush = Own(new ZNBRUSH);
    // An L-shaped face (concave) gets a triangle list; a face too large for a 16-bit count
    // keeps its list in memory but is written without it.
    ZNFACE *l = brush->AddFace(6);
    const D3DXVECTOR3 corners[] = {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}};
    for (short i = 0; i < 6; ++i)
        l->SetVertex(i, corners[i]);
    brush->CalculateFaceNormals();
    l->BuildTriIndices();
    ASSERT_TRUE(l->m_TriIndices);
    const short huge = 21848; // 3 * 21848 - 6 > 65535
    ZNFACE *big = brush->AddFace(huge);
    big->m_TriIndices = static_cast<WORD *>(std::calloc(3 * huge - 6, sizeof(WORD)));

    auto top = IwfParse(SaveObjects({brush}, IWFSAVE_BRUSHES | IWFSAVE_INDICES));
    const IwfNode &surface = Find(top, 0x20)->children[0];
    const IwfNode *indices = Find(surface.children, 0x40);
    ASSERT_TRUE(indices);
    const IwfBytes &d = indices->data;
    EXPECT_EQ(IwfGet32(d, 0), 12u + 3u * (huge - 2));
    EXPECT_EQ(IwfGet16(d, 8), 12u);
    EXPECT_EQ(d[10], 0x09);
    EXPECT_EQ(d[11], 1);
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(IwfGet16(d, 12 + 2 * k), l->m_TriIndices[k]);
    EXPECT_EQ(d.size(), 12u + 24 + 4);
    EXPECT_EQ(IwfGet16(d, 36), 0u);
    EXPECT_EQ(d[38], 0);
}

TEST_F(WriterTest, ExportFromSceneCopiesListsAndLeavesTheThumbnailToOptionZero)
{
    CZNIWFScene source;
    ZNBRUSH *cube = Cube();
    source.m_Brushes.push_back(cube);
    LONG index = AddMaterial("M", 0.5f);
    ZNMATERIALREF ref;
    ref.Material = GetEditorApp()->Get3D()->GetMaterialRecord(index);
    ref.Owned = 1;
    ref.Index = static_cast<DWORD>(index);
    source.m_MaterialRefs.push_back(ref);
    CZNImage thumbnail;
    thumbnail.AllocImageMem(2, 2, 24, false);

    IWFEXPORTOPTIONS options;
    for (DWORD &o : options.Option)
        o = 1;
    options.Option[IWFOPT_THUMBNAIL] = 0;
    CZNMemoryStreamIO stream;
    stream.Open(nullptr, 0, ZNSTREAM_WRITE, false);
    CZNIWFScene exporter;
    exporter.ExportFromScene(stream, source, options, &thumbnail);
    EXPECT_EQ(exporter.m_MaterialRefs[0].Owned, 0);
    EXPECT_EQ(IwfIds(IwfParse(IwfStreamBytes(stream))), (std::vector<uint16_t>{0x2000, 0x90, 0x20, 0x2004}));
    source.m_MaterialRefs.clear(); // the list owns the material
}

// Stands in for the 3D view: a capture of the given size, white with a dark square.
class CaptureRenderer : public IZNThumbnailRenderer
{
public:
    CZNImage *CaptureThumbnail() override
    {
        ++calls;
        auto *image = new CZNImage;
        image->AllocImageMem(640, 640, 24, false);
        for (DWORD i = 0; i < 640 * 640; ++i) {
            const bool dark = (i % 640) < 320 && (i / 640) < 320;
            image->GetRedPlane()[i] = image->GetGreenPlane()[i] = image->GetBluePlane()[i] = dark ? 40 : 255;
        }
        return image;
    }
    int calls = 0;
};

TEST_F(WriterTest, ThumbnailOptionRendersAnEightBitThumbnail)
{
    CaptureRenderer renderer;
    GetEditorApp()->SetThumbnailRenderer(&renderer);
    IWFEXPORTOPTIONS options;
    options.Option[IWFOPT_THUMBNAIL] = 1;
    options.Option[IWFOPT_MESH] = 1;
    CZNMemoryStreamIO stream;
    stream.Open(nullptr, 0, ZNSTREAM_WRITE, false);
    CZNIWFScene scene;
    scene.SaveObjectsWithOptions(stream, Entries({Cube()}), options, nullptr);
    GetEditorApp()->SetThumbnailRenderer(nullptr);
    EXPECT_EQ(renderer.calls, 1);
    auto top = IwfParse(IwfStreamBytes(stream));
    ASSERT_EQ(IwfIds(top), (std::vector<uint16_t>{0x03, 0x2000, 0x20}));
    EXPECT_EQ(top[0].data.size(), 12010u);
    EXPECT_EQ(IwfGet16(top[0].data, 4), 8);

    // A given image is used as it is, without rendering.
    CZNImage given;
    given.AllocImageMem(3, 3, 24, false);
    CZNMemoryStreamIO again;
    again.Open(nullptr, 0, ZNSTREAM_WRITE, false);
    GetEditorApp()->SetThumbnailRenderer(&renderer);
    CZNIWFScene second;
    second.SaveObjectsWithOptions(again, {}, options, &given);
    GetEditorApp()->SetThumbnailRenderer(nullptr);
    EXPECT_EQ(renderer.calls, 1);
    EXPECT_EQ(IwfParse(IwfStreamBytes(again))[0].data.size(), 6u + 27);
}

TEST_F(WriterTest, ThumbnailOptionWithoutRendererWritesNoThumbnail)
{
    IWFEXPORTOPTIONS options;
    options.Option[IWFOPT_THUMBNAIL] = 1;
    CZNMemoryStreamIO stream;
    stream.Open(nullptr, 0, ZNSTREAM_WRITE, false);
    CZNIWFScene scene;
    scene.SaveObjectsWithOptions(stream, {}, options, nullptr);
    EXPECT_EQ(IwfIds(IwfParse(IwfStreamBytes(stream))), std::vector<uint16_t>{0x2000});
}

} // namespace
