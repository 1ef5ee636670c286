// Frames per second of 100,000 textured, lit triangles through the device, drawn one face (a fan
// of 4 vertices) per call and 1,000 faces per call, against the same triangles drawn from one
// static vertex buffer with a trivial shader. Each device figure is also given as a fraction of
// the static one ("vs_static"), the figure that matters.
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "platform/d3d9/direct3d9.h"
#include "platform/d3d9/direct3d_device9.h"
#include "platform/d3d9/direct3d_texture9.h"
#include "platform/d3d9/gl_api.h"
#include "platform/d3d9/offscreen_gl_context.h"

namespace
{
constexpr UINT kWidth = 640, kHeight = 480;
constexpr int kColumns = 250, kRows = 200; // 50,000 quads, 100,000 triangles

struct Vertex {
    float x, y, z, nx, ny, nz, u, v, u2, v2;
};

double g_staticFps = 0.0;

CZNOffscreenGLContext &Context()
{
    static CZNOffscreenGLContext context;
    static bool created = context.Create();
    (void)created;
    return context;
}

// The quads of a grid over the screen, four vertices each, in screen coordinates.
std::vector<Vertex> Quads()
{
    std::vector<Vertex> v;
    const float w = float(kWidth) / kColumns, h = float(kHeight) / kRows;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            float x = c * w, y = r * h;
            v.push_back({x, y, 0.5f, 0, 0, -1, 0, 0, 0, 0});
            v.push_back({x + w, y, 0.5f, 0, 0, -1, 1, 0, 0, 0});
            v.push_back({x + w, y + h, 0.5f, 0, 0, -1, 1, 1, 0, 0});
            v.push_back({x, y + h, 0.5f, 0, 0, -1, 0, 1, 0, 0});
        }
    return v;
}

struct DeviceScene {
    IDirect3D9 *d3d = nullptr;
    IDirect3DDevice9 *device = nullptr;
    IDirect3DTexture9 *texture = nullptr;

    bool Create()
    {
        if (!Context().MakeCurrent())
            return false;
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS p = {};
        p.BackBufferWidth = kWidth;
        p.BackBufferHeight = kHeight;
        p.BackBufferFormat = D3DFMT_X8R8G8B8;
        p.SwapEffect = D3DSWAPEFFECT_COPY;
        p.Windowed = TRUE;
        p.EnableAutoDepthStencil = TRUE;
        p.AutoDepthStencilFormat = D3DFMT_D24X8;
        if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device)))
            return false;
        device->CreateTexture(64, 64, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
        D3DLOCKED_RECT locked;
        texture->LockRect(0, &locked, nullptr, 0);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                static_cast<DWORD *>(locked.pBits)[y * 64 + x] = ((x ^ y) & 8) ? 0xFFFFFFFF : 0xFF808080;
        texture->UnlockRect(0);

        D3DMATRIX identity, projection;
        D3DXMatrixIdentity(&identity);
        D3DXMatrixOrthoOffCenterLH(&projection, 0.0f, float(kWidth), float(kHeight), 0.0f, 0.0f, 1.0f);
        device->SetTransform(D3DTS_WORLD, &identity);
        device->SetTransform(D3DTS_VIEW, &identity);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        D3DLIGHT9 light = {};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {1, 1, 1, 1};
        light.Direction = {0.3f, -0.4f, 0.866f};
        device->SetLight(0, &light);
        device->LightEnable(0, TRUE);
        const D3DMATERIAL9 material = {{1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}, 0};
        device->SetMaterial(&material);
        device->SetRenderState(D3DRS_AMBIENT, 0xFF4C4C4C);
        device->SetRenderState(D3DRS_FOGENABLE, FALSE);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        device->SetTexture(0, texture);
        device->SetFVF(0x212);
        return true;
    }
    ~DeviceScene()
    {
        if (device)
            device->SetTexture(0, nullptr);
        if (texture)
            texture->Release();
        if (device)
            device->Release();
        if (d3d)
            d3d->Release();
    }
};

// Frames per second over the timed loop, and for the device runs their share of the static rate.
double ReportFps(benchmark::State &state, std::chrono::steady_clock::time_point start, bool relative)
{
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double fps = seconds > 0.0 ? double(state.iterations()) / seconds : 0.0;
    state.counters["fps"] = fps;
    state.counters["triangles"] = 2.0 * kColumns * kRows;
    if (relative && g_staticFps > 0.0)
        state.counters["vs_static"] = fps / g_staticFps;
    return fps;
}

void StaticBufferTrivialShader(benchmark::State &state)
{
    if (!Context().MakeCurrent()) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    const char *vs = "#version 330 core\nlayout(location = 0) in vec3 p; layout(location = 1) in vec2 uv;\n"
                     "out vec2 t; void main() { gl_Position = vec4(p.x / 320.0 - 1.0, 1.0 - p.y / 240.0, p.z, 1.0);"
                     " t = uv; }\n";
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
    // Triangle lists of the same quads.
    std::vector<Vertex> quads = Quads(), triangles;
    for (size_t q = 0; q < quads.size(); q += 4)
        for (size_t i : {0, 1, 2, 0, 2, 3})
            triangles.push_back(quads[q + i]);
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
        texels[i] = (((i % 64) ^ (i / 64)) & 8) ? 0xFFFFFFFF : 0xFF808080;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &vbo);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(triangles.size() * sizeof(Vertex)), triangles.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void *>(24));
    glViewport(0, 0, kWidth, kHeight);
    glEnable(GL_DEPTH_TEST);
    glUseProgram(program);
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

void DeviceOneFacePerCall(benchmark::State &state)
{
    DeviceScene scene;
    if (!scene.Create()) {
        state.SkipWithError("no device");
        return;
    }
    const std::vector<Vertex> quads = Quads();
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        scene.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        scene.device->BeginScene();
        for (size_t q = 0; q < quads.size(); q += 4)
            scene.device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, &quads[q], sizeof(Vertex));
        scene.device->EndScene();
        glFinish();
    }
    ReportFps(state, start, true);
}
BENCHMARK(DeviceOneFacePerCall)->Unit(benchmark::kMillisecond)->UseRealTime();

void DeviceThousandFacesPerCall(benchmark::State &state)
{
    DeviceScene scene;
    if (!scene.Create()) {
        state.SkipWithError("no device");
        return;
    }
    const std::vector<Vertex> quads = Quads();
    constexpr size_t kFaces = 1000;
    std::vector<uint16_t> indices;
    for (uint16_t f = 0; f < kFaces; ++f)
        for (uint16_t i : {0, 1, 2, 0, 2, 3})
            indices.push_back(static_cast<uint16_t>(f * 4 + i));
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        scene.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        scene.device->BeginScene();
        for (size_t q = 0; q < quads.size(); q += kFaces * 4)
            scene.device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, kFaces * 4, kFaces * 2, indices.data(),
                                                 D3DFMT_INDEX16, &quads[q], sizeof(Vertex));
        scene.device->EndScene();
        glFinish();
    }
    ReportFps(state, start, true);
}
BENCHMARK(DeviceThousandFacesPerCall)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace
