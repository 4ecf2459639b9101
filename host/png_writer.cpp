// PNG through Debian's stb_image_write (header only, so the Windows build has
// it too): 8-bit RGB rows, deflate-compressed.
#include "host/png_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

// stb works in ints: a picture whose RGB rows exceed that is refused.
constexpr long long kPngLargestRaw = 0x40000000;

std::vector<uint8_t> PngEncode(const uint32_t* pixels, int width, int height) {
    if (width <= 0 || height <= 0 || 3LL * width * height > kPngLargestRaw) return {};
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < rgb.size() / 3; i++) {
        rgb[3 * i] = static_cast<uint8_t>(pixels[i] >> 16);
        rgb[3 * i + 1] = static_cast<uint8_t>(pixels[i] >> 8);
        rgb[3 * i + 2] = static_cast<uint8_t>(pixels[i]);
    }
    int length = 0;
    unsigned char* png = stbi_write_png_to_mem(rgb.data(), width * 3, width, height, 3, &length);
    if (!png) return {};
    std::vector<uint8_t> file(png, png + length);
    STBIW_FREE(png);
    return file;
}

bool PngWrite(const std::string& path, const uint32_t* pixels, int width, int height,
              std::string& error) {
    std::vector<uint8_t> file = PngEncode(pixels, width, height);
    if (file.empty()) {
        error =
            "cannot encode a " + std::to_string(width) + "x" + std::to_string(height) + " picture";
        return false;
    }
    FILE* out = fopen(path.c_str(), "wb");
    if (!out) {
        error = "cannot write " + path + ": " + strerror(errno);
        return false;
    }
    bool written = fwrite(file.data(), 1, file.size(), out) == file.size();
    int writeErrno = errno;
    bool closed = fclose(out) == 0;
    if (!written || !closed) {
        error = "cannot write " + path + ": " + strerror(written ? errno : writeErrno);
        return false;
    }
    return true;
}
