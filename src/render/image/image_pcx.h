#pragma once

// The PCX format of CZNImage: run-length encoded, 8 bits per plane, 1, 3 or 4 planes.
#include "platform/export.h"

class CZNImage;
class CZNStreamIO;

// Accepts exactly the headers the reader reads; the stream position is kept.
ZN_API bool ZnValidPCX(CZNStreamIO &stream);
// Reads the picture at the stream's position; on failure the image is released.
ZN_API bool ZnLoadPCX(CZNStreamIO &stream, CZNImage &image);
