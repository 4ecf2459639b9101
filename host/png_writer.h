// Screenshots as PNG files: 8-bit RGB, compressed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The PNG file of a width by height picture of 0x00RRGGBB pixels in
// top-down rows; empty when a side is 0 or the picture is too large to encode.
std::vector<uint8_t> PngEncode(const uint32_t* pixels, int width, int height);

// Writes PngEncode's file to path; false with error when it cannot.
bool PngWrite(const std::string& path, const uint32_t* pixels, int width, int height,
              std::string& error);
