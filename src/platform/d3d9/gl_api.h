#pragma once

// The OpenGL 3.3 core entry points, called directly: the GL dispatch library resolves them for
// whatever context is current (the 3D view's or an offscreen one).
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>
