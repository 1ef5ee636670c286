#include "device_fixture.h"

CZNOffscreenGLContext *ZnDeviceTest::s_context = nullptr;
