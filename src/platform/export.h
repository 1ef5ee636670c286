#pragma once

// Marks the classes and functions that libzncore.so exports to the editor and to plug-ins.
#define ZN_API __attribute__((visibility("default")))
