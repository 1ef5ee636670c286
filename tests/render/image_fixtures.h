#pragma once

// Small pictures of every format, built byte by byte (or with libpng and libjpeg) for the
// image tests.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/win_types.h"
#include "support/picture_writers.h"

class CZNImage;

// Appends little- and big-endian fields.
struct ZnBytes {
    std::string Data;
    ZnBytes &U8(unsigned v)
    {
        Data.push_back(static_cast<char>(v & 0xFF));
        return *this;
    }
    ZnBytes &U16(unsigned v) { return U8(v).U8(v >> 8); }
    ZnBytes &U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    ZnBytes &U16BE(unsigned v) { return U8(v >> 8).U8(v); }
    ZnBytes &U32BE(uint32_t v) { return U16BE(v >> 16).U16BE(v & 0xFFFF); }
    ZnBytes &Raw(const std::string &s)
    {
        Data += s;
        return *this;
    }
    ZnBytes &Fill(size_t count, unsigned v)
    {
        Data.append(count, static_cast<char>(v));
        return *this;
    }
};

// Reads bytes through a memory stream with CZNImage::LoadImageFile.
bool ZnLoadImageBytes(CZNImage &image, const std::string &bytes);

// The pixel (x, y) as 0xAARRGGBB (alpha 0 without an alpha plane), through the palette for 8 bits.
uint32_t ZnPixel(const CZNImage &image, uint32_t x, uint32_t y);

// One valid fixture per format the system decodes itself, each a few pixels large.
std::string ZnSampleBMP8();
std::string ZnSamplePCX8();
std::string ZnSamplePCX32();
std::string ZnSampleTGARLE();
std::string ZnSamplePSDRLE();
