#pragma once

// An OpenGL 3.3 core context without any window or display, on Mesa's surfaceless EGL platform
// (falling back to the default EGL display). For tests and for rendering without a window.
#include "platform/export.h"

class ZN_API CZNOffscreenGLContext
{
public:
    CZNOffscreenGLContext() = default;
    ~CZNOffscreenGLContext();
    CZNOffscreenGLContext(const CZNOffscreenGLContext &) = delete;
    CZNOffscreenGLContext &operator=(const CZNOffscreenGLContext &) = delete;

    // Creates the context and makes it current on this thread.
    bool Create();
    bool MakeCurrent();
    void DoneCurrent();
    bool IsValid() const { return m_context != nullptr; }

private:
    void *m_display = nullptr;
    void *m_context = nullptr;
};
