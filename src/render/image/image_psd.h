#pragma once

// The PSD format of CZNImage: the composite picture of an 8-bit RGB document, raw or PackBits.
#include "platform/export.h"

class CZNImage;
class CZNStreamIO;

// The stream position is kept.
ZN_API bool ZnValidPSD(CZNStreamIO &stream);
// Reads the picture at the stream's position; on failure the image is released.
ZN_API bool ZnLoadPSD(CZNStreamIO &stream, CZNImage &image);
