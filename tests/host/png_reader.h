// Reading back the PNG files the hosts write, through stb_image (which checks
// the zlib stream's Adler-32; stb does not check the chunks' CRCs).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PngPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB, top-down rows
};

// Decodes file into picture; on a fault returns false with error naming it.
bool PngRead(const std::vector<uint8_t>& file, PngPicture& picture, std::string& error);

// The whole file at path; empty when it cannot be read.
std::vector<uint8_t> PngLoadFile(const std::string& path);
