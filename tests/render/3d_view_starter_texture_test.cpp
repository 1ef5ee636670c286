// The starter textures the build puts into the program folder's Textures/: they load, and a cube
// imported from a 3DS or .X file that names one of them in other letter case shows its picture in
// the 3D view.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "fileio/3ds_import_fixture.h"
#include "render/texture_manager.h"
#include "render/view3d_fixture.h"
#include "scene/face.h"

namespace
{

const std::string kTextures = std::string(ZN_PROGRAM_DIR) + "/Textures";

// The textures the test added to the application's manager, taken out again at the end.
class StarterTextureTest : public ZnView3DTest
{
protected:
    void SetUp() override
    {
        ZnView3DTest::SetUp();
        if (HasFatalFailure())
            return;
        CZNTextureManager *manager = GetEditorApp()->GetTextureManager();
        std::set<CZNTexture *> before;
        for (CZNTexture *t = manager->GetFirstTexture(); t; t = t->GetNext())
            before.insert(t);
        manager->CacheTextures(nullptr, kTextures.c_str(), "*.*", true);
        for (CZNTexture *t = manager->GetFirstTexture(); t; t = t->GetNext())
            if (!before.count(t))
                starters.push_back(t);
    }
    void TearDown() override
    {
        // The document's faces hold references on the textures.
        document.reset();
        for (CZNTexture *t : starters) {
            GetEditorApp()->GetTextureManager()->DetachTexture(t);
            delete t;
        }
        D3D().TrimMaterialList();
        ZnView3DTest::TearDown();
    }

    std::vector<CZNTexture *> starters;
};

std::string FileOf(const CZNTexture *texture)
{
    char *path = texture->GetPathAndFileName();
    const std::string out = path ? path : "";
    std::free(path);
    return out;
}

TEST_F(StarterTextureTest, TheProgramFolderHoldsTheStarterSet)
{
    std::vector<std::string> names;
    for (CZNTexture *t : starters)
        names.push_back(t->GetTextureName());
    EXPECT_EQ(names, (std::vector<std::string>{"blue", "brick", "checker", "concrete", "grass", "green", "metal",
                                               "planks", "red", "stone", "tiles", "white", "yellow"}));
}

// A cube of edge 8 around the origin in the file's axes: four corners of its own per side, so
// that every side carries the whole picture; the sides as triangle pairs.
struct Cube {
    std::vector<D3DXVECTOR3> points;
    std::vector<D3DXVECTOR2> uvs;
    std::vector<WORD> triangles; // three corner indexes each
};

Cube MakeCube()
{
    struct Side {
        D3DXVECTOR3 centre, u, v; // u × v points inward, so the corners go clockwise seen from outside
    };
    const Side sides[] = {{{0, 0, -4}, {4, 0, 0}, {0, 4, 0}},  {{0, 0, 4}, {-4, 0, 0}, {0, 4, 0}},
                          {{4, 0, 0}, {0, 0, 4}, {0, 4, 0}},   {{-4, 0, 0}, {0, 0, -4}, {0, 4, 0}},
                          {{0, 4, 0}, {4, 0, 0}, {0, 0, 4}},   {{0, -4, 0}, {4, 0, 0}, {0, 0, -4}}};
    Cube cube;
    for (const Side &s : sides) {
        const WORD first = static_cast<WORD>(cube.points.size());
        cube.points.insert(cube.points.end(),
                           {s.centre - s.u - s.v, s.centre - s.u + s.v, s.centre + s.u + s.v, s.centre + s.u - s.v});
        cube.uvs.insert(cube.uvs.end(), {{0, 1}, {0, 0}, {1, 0}, {1, 1}});
        cube.triangles.insert(cube.triangles.end(), {first, static_cast<WORD>(first + 1), static_cast<WORD>(first + 2),
                                                     first, static_cast<WORD>(first + 2), static_cast<WORD>(first + 3)});
    }
    return cube;
}

// The cube in a 3DS file whose one material maps the picture texture.
std::string Cube3ds(const std::string &texture)
{
    using namespace zn3ds;
    const Cube cube = MakeCube();
    std::vector<Face> faces;
    std::vector<WORD> all;
    for (size_t i = 0; i < cube.triangles.size(); i += 3) {
        faces.push_back({cube.triangles[i], cube.triangles[i + 1], cube.triangles[i + 2]});
        all.push_back(static_cast<WORD>(i / 3));
    }
    const Bytes bytes = File(
        Cat({Material("Starter", Cat({ColourBytes(0xA020, 255, 255, 255), TextureMap(texture, 100)})),
             Object("Cube", Cat({Points(cube.points), Faces(faces, FaceGroup("Starter", all)), TexCoords(cube.uvs)}))}));
    return std::string(bytes.begin(), bytes.end());
}

// The cube in a text .X file whose one material names the picture texture.
std::string CubeX(const std::string &texture)
{
    const Cube cube = MakeCube();
    auto number = [](float f) { return std::to_string(f); };
    std::string points, uvs, faces, materials;
    for (size_t i = 0; i < cube.points.size(); ++i) {
        const char *end = i + 1 < cube.points.size() ? ",\n" : ";\n";
        points += number(cube.points[i].x) + ";" + number(cube.points[i].y) + ";" + number(cube.points[i].z) + ";" + end;
        uvs += number(cube.uvs[i].x) + ";" + number(cube.uvs[i].y) + ";" + end;
    }
    const size_t count = cube.triangles.size() / 3;
    for (size_t i = 0; i < count; ++i) {
        const char *end = i + 1 < count ? ",\n" : ";\n";
        faces += "3;" + std::to_string(cube.triangles[3 * i]) + "," + std::to_string(cube.triangles[3 * i + 1]) + "," +
                 std::to_string(cube.triangles[3 * i + 2]) + ";" + end;
        materials += std::string("0") + (i + 1 < count ? "," : ";;");
    }
    return "xof 0303txt 0032\nMesh Cube {\n" + std::to_string(cube.points.size()) + ";\n" + points +
           std::to_string(count) + ";\n" + faces + "MeshMaterialList {\n1;\n" + std::to_string(count) + ";\n" +
           materials + "\nMaterial {\n1.0;1.0;1.0;1.0;;\n0.0;\n0.0;0.0;0.0;;\n0.0;0.0;0.0;;\nTextureFilename { \"" +
           texture + "\"; }\n}\n}\nMeshTextureCoords {\n" + std::to_string(cube.uvs.size()) + ";\n" + uvs + "}\n}\n";
}

struct NamedCase {
    const char *name;
    const char *file;
    std::string (*bytes)(const std::string &texture);
    const char *texture; // as the file names it
};

class ImportedCubeTest : public StarterTextureTest, public ::testing::WithParamInterface<NamedCase>
{
};

// Pixels of a picture that look like brick (red well above green and blue) and like mortar
// (grey), by the ratios of their channels, which lighting leaves alone.
struct Tally {
    int brick = 0, mortar = 0, all = 0;
    std::set<D3DCOLOR> colours;
};

Tally Count(const std::vector<D3DCOLOR> &frame, LONG width, RECT area)
{
    Tally tally;
    for (LONG y = area.top; y < area.bottom; ++y)
        for (LONG x = area.left; x < area.right; ++x) {
            const D3DCOLOR c = frame[static_cast<size_t>(y * width + x)];
            const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            const int most = std::max({r, g, b}), least = std::min({r, g, b});
            tally.brick += r > 0 && 3 * r > 5 * g && 3 * r > 5 * b;
            tally.mortar += most > 30 && 5 * (most - least) < most;
            ++tally.all;
            tally.colours.insert(c);
        }
    return tally;
}

// The file names "BRICK.PNG" where the program folder has brick.png, as files written on a
// system whose names ignore case do: the import finds the starter texture, and the cube in front
// of the camera shows the brick picture, where solid mode shows one flat colour.
TEST_P(ImportedCubeTest, ShowsTheStarterTextureItNamesInOtherCase)
{
    const NamedCase &c = GetParam();
    CZNTexture *brick = GetEditorApp()->GetTextureManager()->FindMatchByFileName("brick.png");
    ASSERT_NE(brick, nullptr);
    ASSERT_EQ(FileOf(brick), kTextures + "/brick.png");

    const std::string path = dir.File(c.file);
    ZnWriteFile(path, c.bytes(c.texture));
    const D3DXVECTOR3 at(0, 0, 14);
    ASSERT_EQ(document->ImportScene(path.c_str(), &at, TRUE), 1);
    EXPECT_TRUE(reporter.Entries().empty()) << reporter.Entries()[0].text;
    ZNBRUSH *cube = document->GetBrushList();
    ASSERT_NE(cube, nullptr);
    ASSERT_EQ(cube->m_Next, nullptr);
    ASSERT_GT(cube->GetFaceCount(), 0u);
    for (DWORD f = 0; f < cube->GetFaceCount(); ++f)
        EXPECT_EQ(cube->GetFace(f)->GetTexture(), brick) << "face " << f;

    // The side facing the camera spans x and y -4..4 at depth 10; its middle half is measured.
    const ZNBBOX box = cube->GetBoundingBox(1);
    ASSERT_NEAR(box.Min.z, 10.0f, 1e-3f);
    const POINT lo = Pixel(-2, 2, 10), hi = Pixel(2, -2, 10);
    const RECT area = {lo.x, lo.y, hi.x, hi.y};

    view.Render(0, 0, 1);
    const std::vector<D3DCOLOR> textured = Presented();
    const std::string png = std::string(ZN_TEST_TMP_DIR) + "/3d_view_starter_brick_" + c.name + ".png";
    EXPECT_TRUE(window->lastFrame.save(QString::fromStdString(png), "PNG"));
    const Tally shown = Count(textured, kWidth, area);
    EXPECT_GT(shown.brick, shown.all / 2) << png;
    EXPECT_GT(shown.mortar, shown.all / 20) << png;
    EXPECT_GT(shown.colours.size(), 20u) << png;

    D3D().SetRenderMode(3);
    view.Render(0, 0, 1);
    const Tally flat = Count(Presented(), kWidth, area);
    EXPECT_EQ(flat.colours.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Formats, ImportedCubeTest,
                         ::testing::Values(NamedCase{"Studio", "cube.3ds", Cube3ds, "BRICK.PNG"},
                                           NamedCase{"DirectX", "cube.x", CubeX, "textures\\\\Brick.PNG"}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
