// A strict reader for the PNG files the hosts write: every chunk's CRC, the
// zlib header, stored deflate blocks and their lengths, the Adler-32 and the
// row filters are checked, so a file that passes is one any viewer opens.
// Its CRC is computed bit by bit, independently of the writer's table.
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
