#pragma once

// Marks the classes and functions that libzncore.so exports: the surface the editor's shell, the
// plug-ins and the tests use. The library is built with hidden visibility, so nothing else
// leaves it.
#define ZN_API __attribute__((visibility("default")))
