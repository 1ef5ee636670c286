#pragma once

// The JPEG format of CZNImage, decoded by libjpeg through a data source over the stream.
class CZNImage;
class CZNStreamIO;

// The stream position is kept.
bool ZnValidJPG(CZNStreamIO &stream);
// Reads the picture at the stream's position as a 24-bit image; on failure the image is released.
bool ZnLoadJPG(CZNStreamIO &stream, CZNImage &image);
