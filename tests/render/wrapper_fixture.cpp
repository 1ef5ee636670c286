#include "wrapper_fixture.h"

CZNOffscreenGLContext *ZnWrapperTest::s_context = nullptr;
