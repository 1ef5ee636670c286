#pragma once

// The TGA format of CZNImage: true-colour pictures of 16, 24 or 32 bits, raw or run-length encoded,
// stored in any row and column order. Pictures whose alpha holds nothing load opaque.
#include "platform/export.h"

class CZNImage;
class CZNStreamIO;

// The stream position is kept.
ZN_API bool ZnValidTGA(CZNStreamIO &stream);
// Reads the picture at the stream's position; on failure the image is released.
ZN_API bool ZnLoadTGA(CZNStreamIO &stream, CZNImage &image);
