#pragma once

// The PNG format of CZNImage, decoded by libpng reading through the stream.
class CZNImage;
class CZNStreamIO;

// The stream position is kept.
bool ZnValidPNG(CZNStreamIO &stream);
// Reads the picture at the stream's position; on failure the image is released.
bool ZnLoadPNG(CZNStreamIO &stream, CZNImage &image);
