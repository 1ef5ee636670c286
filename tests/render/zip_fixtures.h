#pragma once

// Zip archives written with minizip's writer for the package and texture tests, and small
// pictures in the formats the texture tree holds.
#include <cstdint>
#include <string>
#include <vector>

struct ZnZipEntry {
    std::string Name;
    std::string Data;
    bool Stored = false; // without compression
};

// Writes the entries in order; a name ending in '/' makes a directory entry. False on failure.
bool ZnWriteZip(const std::string &path, const std::vector<ZnZipEntry> &entries);

// Sets the uncompressed size of every entry, in the local and the central headers.
void ZnPatchZipSizes(std::string &zip, uint32_t size);

// A w x h picture with colours from seed, as 24-bit BMP written by the image code.
std::string ZnMakeBmp(uint32_t width, uint32_t height, uint32_t seed);
// The same kind of picture as an uncompressed 24-bit TGA, a PNG (with alpha when asked) and a JPEG.
std::string ZnMakeTga(uint32_t width, uint32_t height, uint32_t seed);
std::string ZnMakePng(uint32_t width, uint32_t height, uint32_t seed, bool alpha = false);
std::string ZnMakeJpeg(uint32_t width, uint32_t height, uint32_t seed);
