#include "png_reader.h"

#include <cstdio>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#include <stb_image.h>

bool PngRead(const std::vector<uint8_t>& file, PngPicture& picture, std::string& error) {
    int width = 0, height = 0, channels = 0;
    unsigned char* rgb = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &width,
                                               &height, &channels, 3);
    if (!rgb) {
        error = stbi_failure_reason();
        return false;
    }
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < picture.pixels.size(); i++)
        picture.pixels[i] =
            uint32_t(rgb[3 * i]) << 16 | uint32_t(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
    stbi_image_free(rgb);
    return true;
}

std::vector<uint8_t> PngLoadFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return bytes;
    uint8_t buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    fclose(file);
    return bytes;
}
