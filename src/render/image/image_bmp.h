#pragma once

// The BMP format of CZNImage: header test, reader and writer.
#include "platform/export.h"
#include "platform/os/win_types.h"

class CZNImage;
class CZNStreamIO;

// Uncompressed Windows bitmaps of 1, 4, 8 or 24 bits; the stream position is kept.
ZN_API bool ZnValidBMP(CZNStreamIO &stream);
// Reads the bitmap at the stream's position into image; on failure the image is released.
ZN_API bool ZnLoadBMP(CZNStreamIO &stream, CZNImage &image);
// Writes image as an uncompressed 8- or 24-bit file; the image is never changed.
bool ZnSaveBMP(const CZNImage &image, const char *path);
