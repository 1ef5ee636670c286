#pragma once

// PNG and JPEG files written with libpng and libjpeg into memory, for tests and benchmarks.
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

// PNG written by libpng: rows hold the packed samples of each row.
struct ZnPngPicture {
    uint32_t Width;
    uint32_t Height;
    int ColourType;
    int Depth;
    bool Interlaced;
    std::vector<std::string> Rows;
    std::vector<uint8_t> Palette;      // red, green, blue triplets
    std::vector<uint8_t> Transparency; // tRNS bytes for palette images
};

namespace zn_picture_writers
{
inline void PngWrite(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<std::string *>(png_get_io_ptr(png))->append(reinterpret_cast<const char *>(data), length);
}
inline void PngFlush(png_structp) {}
} // namespace zn_picture_writers

inline std::string ZnWritePng(const ZnPngPicture &picture)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, zn_picture_writers::PngWrite, zn_picture_writers::PngFlush);
    png_set_IHDR(png, info, picture.Width, picture.Height, picture.Depth, picture.ColourType,
                 picture.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (size_t i = 0; i + 2 < picture.Palette.size(); i += 3)
        palette.push_back(png_color{picture.Palette[i], picture.Palette[i + 1], picture.Palette[i + 2]});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (!picture.Transparency.empty())
        png_set_tRNS(png, info, picture.Transparency.data(), static_cast<int>(picture.Transparency.size()), nullptr);
    png_write_info(png, info);
    std::vector<png_bytep> rows;
    for (const std::string &row : picture.Rows)
        rows.push_back(reinterpret_cast<png_bytep>(const_cast<char *>(row.data())));
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// JPEG at quality 95: samples are RGB triplets or grey bytes.
inline std::string ZnWriteJpeg(uint32_t width, uint32_t height, int components, const std::vector<uint8_t> &samples)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = components;
    info.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + size_t{info.next_scanline} * width * components);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::string out(reinterpret_cast<const char *>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

// An 8-bit RGB PNG of packed RGB samples, top row first.
inline std::string ZnWriteRgbPng(uint32_t width, uint32_t height, const std::vector<uint8_t> &rgb)
{
    ZnPngPicture picture{width, height, PNG_COLOR_TYPE_RGB, 8, false, {}, {}, {}};
    for (uint32_t y = 0; y < height; ++y)
        picture.Rows.emplace_back(reinterpret_cast<const char *>(&rgb[size_t{y} * width * 3]), size_t{width} * 3);
    return ZnWritePng(picture);
}
