// Frame time of the perspective view on a scene of about 100,000 lit, textured triangles (a grid
// of boxes in front of the camera, 8 textures, 4 materials, the lighting and fog of start-up,
// 640 x 480), against the same triangles drawn from one static vertex buffer with a trivial
// shader (same positions, texture coordinates, camera, culling and depth test). Every frame ends
// in glFinish; one untimed frame goes first. "vs_static" is the view's frame rate as a share of the
// static one: 1 / 1.5 = 0.67 is the target. The read-back of a presented frame is measured on its
// own.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QImage>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "platform/d3d9/direct3d_device9.h"
#include "platform/d3d9/gl_api.h"
#include "platform/d3d9/offscreen_gl_context.h"
#include "platform/os/window.h"
#include "render/direct3d.h"
#include "render/texture.h"
#include "render/view/3d_view.h"
#include "scene/brush.h"
#include "scene/material.h"
#include "support/picture_writers.h"
#include "support/shapes.h"

namespace
{
constexpr LONG kWidth = 640, kHeight = 480;
constexpr int kColumns = 100, kRows = 84; // 8,400 boxes, 100,800 triangles
constexpr float kSpacing = 1.5f, kDepth = 120.0f;

double g_staticFps = 0.0;

class DiscardingWindow : public CZNWindow
{
public:
    void GetClientRect(RECT *rect) const override { *rect = {0, 0, kWidth, kHeight}; }
    void PresentFrame(const QImage &frame, const RECT *) override { last = frame; }
    QImage last;
};

CZNOffscreenGLContext &Context()
{
    static CZNOffscreenGLContext context;
    static bool created = context.Create();
    (void)created;
    return context;
}

// The scene, built once: the application's wrapper on a 640 x 480 window, a document of boxes.
struct Scene {
    DiscardingWindow window;
    std::unique_ptr<CZNEDITORDoc> document;
    std::vector<std::unique_ptr<CZNTexture>> textures;
    std::filesystem::path folder;
    CZN3DView view;
    bool ok = false;

    Scene()
    {
        if (!Context().MakeCurrent())
            return;
        CZN3D *d3d = GetEditorApp()->Get3D();
        if (!d3d->Initialize(&window))
            return;
        GetEditorApp()->Options().m_Initialized = 1;
        view.SetWindow(&window);
        folder = std::filesystem::temp_directory_path() / "zn_bench_3d_view";
        std::filesystem::create_directories(folder);
        for (int t = 0; t < 8; ++t) {
            ZnPngPicture picture{64, 64, PNG_COLOR_TYPE_RGB, 8, false, {}, {}, {}};
            for (int y = 0; y < 64; ++y) {
                std::string row;
                for (int x = 0; x < 64; ++x) {
                    const bool dark = ((x ^ y) & 8) != 0;
                    row += {static_cast<char>(dark ? 40 * t : 255), static_cast<char>(dark ? 128 : 255 - 20 * t),
                            static_cast<char>(dark ? 255 - 30 * t : 200)};
                }
                picture.Rows.push_back(row);
            }
            const std::string path = (folder / ("t" + std::to_string(t) + ".png")).string();
            std::ofstream(path, std::ios::binary) << ZnWritePng(picture);
            textures.push_back(std::make_unique<CZNTexture>(path.c_str(), nullptr));
        }
        int materials[4];
        for (int m = 0; m < 4; ++m) {
            materials[m] = d3d->AddMaterial();
            D3DMATERIAL9 value = {{1.0f - 0.2f * m, 0.8f, 0.6f + 0.1f * m, 1}, {1, 1, 1, 1}, {}, {}, 0};
            d3d->GetMaterialRecord(static_cast<DWORD>(materials[m]))->SetD3DMaterial(&value);
        }
        document = std::make_unique<CZNEDITORDoc>();
        const float x0 = -(kColumns - 1) * kSpacing / 2, y0 = -(kRows - 1) * kSpacing / 2;
        int k = 0;
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kColumns; ++c, ++k) {
                ZNBRUSH *brush = document->NewBrush();
                const D3DXVECTOR3 centre(x0 + c * kSpacing, y0 + r * kSpacing, kDepth + (k % 7) * 0.5f);
                ZnBuildBox(*brush, centre - D3DXVECTOR3(0.5f, 0.5f, 0.5f), centre + D3DXVECTOR3(0.5f, 0.5f, 0.5f));
                brush->SetTexture(textures[static_cast<size_t>(k % 8)].get(), 0);
                brush->SetMaterial(materials[(k / 8) % 4]);
                for (DWORD f = 0; f < brush->m_FaceCount; ++f) {
                    ZNFACE *face = brush->GetFace(f);
                    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
                    for (short v = 0; v < face->GetVertexCount(); ++v) {
                        face->m_Vertices[v].tu = uv[v % 4][0];
                        face->m_Vertices[v].tv = uv[v % 4][1];
                    }
                }
            }
        ok = true;
    }
    ~Scene()
    {
        document.reset();
        textures.clear();
        GetEditorApp()->Get3D()->Shutdown();
        GetEditorApp()->Options().m_Initialized = 0;
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

Scene &TheScene()
{
    static Scene scene;
    return scene;
}

double ReportFps(benchmark::State &state, std::chrono::steady_clock::time_point start, bool relative)
{
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double fps = seconds > 0.0 ? double(state.iterations()) / seconds : 0.0;
    state.counters["fps"] = fps;
    if (relative && g_staticFps > 0.0)
        state.counters["vs_static"] = fps / g_staticFps;
    return fps;
}

struct StaticVertex {
    float x, y, z, u, v;
};

void StaticBufferTrivialShader(benchmark::State &state)
{
    Scene &scene = TheScene();
    if (!scene.ok) {
        state.SkipWithError("no device");
        return;
    }
    // The triangles of the scene's faces, as the view's fans make them.
    std::vector<StaticVertex> triangles;
    for (ZNBRUSH *brush = scene.document->GetBrushList(); brush; brush = brush->m_Next)
        for (DWORD f = 0; f < brush->m_FaceCount; ++f) {
            const ZNFACE *face = brush->GetFace(f);
            for (short i = 1; i + 1 < face->GetVertexCount(); ++i)
                for (short k : {short(0), i, short(i + 1)}) {
                    const ZNVERTEX &v = face->m_Vertices[k];
                    triangles.push_back({v.x, v.y, v.z, v.tu, v.tv});
                }
        }
    state.counters["triangles"] = double(triangles.size() / 3);
    CZN3D *d3d = GetEditorApp()->Get3D();
    D3DXMATRIX view, projection, viewProjection;
    d3d->GetView(&view);
    d3d->GetProjection(&projection);
    D3DXMatrixMultiply(&viewProjection, &view, &projection);

    // The device's clip-space conventions: rows top down, depth 0..1.
    const char *vs = "#version 330 core\nlayout(location = 0) in vec3 p; layout(location = 1) in vec2 uv;\n"
                     "uniform mat4 m; out vec2 t;\n"
                     "void main() { vec4 c = m * vec4(p, 1.0); c.y = -c.y; c.z = 2.0 * c.z - c.w;"
                     " gl_Position = c; t = uv; }\n";
    const char *fs = "#version 330 core\nuniform sampler2D s; in vec2 t; out vec4 c;\n"
                     "void main() { c = texture(s, t); }\n";
    GLuint program = glCreateProgram();
    for (auto [type, source] : {std::pair{GL_VERTEX_SHADER, vs}, std::pair{GL_FRAGMENT_SHADER, fs}}) {
        GLuint shader = glCreateShader(type);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
        glDeleteShader(shader);
    }
    glLinkProgram(program);
    GLuint fbo, color, depth, vao, vbo, texture;
    glGenFramebuffers(1, &fbo);
    glGenTextures(1, &color);
    glBindTexture(GL_TEXTURE_2D, color);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kWidth, kHeight, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, kWidth, kHeight);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth);
    std::vector<DWORD> texels(64 * 64);
    for (int i = 0; i < 64 * 64; ++i)
        texels[static_cast<size_t>(i)] = (((i % 64) ^ (i / 64)) & 8) ? 0xFFFFFFFF : 0xFF808080;
    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &vbo);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(triangles.size() * sizeof(StaticVertex)), triangles.data(),
                 GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(StaticVertex), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(StaticVertex), reinterpret_cast<void *>(12));
    glViewport(0, 0, kWidth, kHeight);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glDisable(GL_BLEND);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glUseProgram(program);
    glUniformMatrix4fv(glGetUniformLocation(program, "m"), 1, GL_FALSE, viewProjection);
    glUniform1i(glGetUniformLocation(program, "s"), 0);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    // One untimed frame, so that compiling the program for the draw is not counted.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(triangles.size()));
    glFinish();
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDrawArrays(GL_TRIANGLES, 0, GLsizei(triangles.size()));
        glFinish();
    }
    g_staticFps = ReportFps(state, start, false);
    glBindVertexArray(0);
    glDeleteBuffers(1, &vbo);
    glDeleteVertexArrays(1, &vao);
    glDeleteTextures(1, &texture);
    glDeleteTextures(1, &color);
    glDeleteRenderbuffers(1, &depth);
    glDeleteFramebuffers(1, &fbo);
    glDeleteProgram(program);
}
BENCHMARK(StaticBufferTrivialShader)->Unit(benchmark::kMillisecond)->UseRealTime();

void ViewRender(benchmark::State &state, bool batching)
{
    Scene &scene = TheScene();
    if (!scene.ok) {
        state.SkipWithError("no device");
        return;
    }
    scene.view.SetBatching(batching);
    // One untimed frame, so that compiling the device's programs for its states is not counted.
    scene.view.Render(0, 0, 0);
    glFinish();
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        scene.view.Render(0, 0, 0);
        glFinish();
    }
    ReportFps(state, start, true);
    scene.view.SetBatching(true);
}

void ViewRenderBatched(benchmark::State &state)
{
    ViewRender(state, true);
}
BENCHMARK(ViewRenderBatched)->Unit(benchmark::kMillisecond)->UseRealTime();

void ViewRenderFaceByFace(benchmark::State &state)
{
    ViewRender(state, false);
}
BENCHMARK(ViewRenderFaceByFace)->Unit(benchmark::kMillisecond)->UseRealTime();

// What presenting adds to a frame: reading the 640 x 480 back buffer and handing it over.
void PresentReadBack(benchmark::State &state)
{
    Scene &scene = TheScene();
    if (!scene.ok) {
        state.SkipWithError("no device");
        return;
    }
    CZN3D *d3d = GetEditorApp()->Get3D();
    scene.view.Render(0, 0, 0);
    glFinish();
    for (auto _ : state) {
        d3d->Present(nullptr);
        benchmark::DoNotOptimize(scene.window.last.constBits());
    }
}
BENCHMARK(PresentReadBack)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace
