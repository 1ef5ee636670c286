#include "platform/d3d9/offscreen_gl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <string_view>

namespace
{
EGLDisplay OpenDisplay()
{
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    const char *extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLint major = 0, minor = 0;
    if (getPlatformDisplay && extensions &&
        std::string_view(extensions).find("EGL_MESA_platform_surfaceless") != std::string_view::npos) {
        display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display != EGL_NO_DISPLAY && eglInitialize(display, &major, &minor))
            return display;
    }
    display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    if (display != EGL_NO_DISPLAY && eglInitialize(display, &major, &minor))
        return display;
    return EGL_NO_DISPLAY;
}
} // namespace

CZNOffscreenGLContext::~CZNOffscreenGLContext()
{
    if (m_context) {
        if (eglGetCurrentContext() == m_context)
            eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(m_display, m_context);
    }
    // The display stays initialised: EGL shares it with every other user in the process.
}

bool CZNOffscreenGLContext::Create()
{
    if (m_context)
        return MakeCurrent();
    EGLDisplay display = OpenDisplay();
    if (display == EGL_NO_DISPLAY)
        return false;
    m_display = display;
    if (!eglBindAPI(EGL_OPENGL_API))
        return false;
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count < 1)
        config = nullptr;
    const EGLint contextAttributes[] = {
        EGL_CONTEXT_MAJOR_VERSION,           3,       EGL_CONTEXT_MINOR_VERSION, 3, EGL_CONTEXT_OPENGL_PROFILE_MASK,
        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT)
        return false;
    m_context = context;
    return MakeCurrent();
}

bool CZNOffscreenGLContext::MakeCurrent()
{
    return m_context && eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, m_context);
}

void CZNOffscreenGLContext::DoneCurrent()
{
    if (m_display)
        eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}
