#pragma once

// The PSD format of CZNImage: the composite picture of an 8-bit RGB document, raw or PackBits.
class CZNImage;
class CZNStreamIO;

// The stream position is kept.
bool ZnValidPSD(CZNStreamIO &stream);
// Reads the picture at the stream's position; on failure the image is released.
bool ZnLoadPSD(CZNStreamIO &stream, CZNImage &image);
