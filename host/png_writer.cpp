// The file: signature, IHDR, one IDAT holding a zlib stream of stored
// deflate blocks, IEND. Each chunk ends with the CRC-32 of its type and data;
// the zlib stream ends with the Adler-32 of the raw image rows, each row led
// by filter byte 0 (none).
#include "host/png_writer.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

constexpr uint32_t kPngCrcPolynomial = 0xEDB88320;
constexpr uint32_t kPngAdlerModulus = 65521;
constexpr size_t kPngStoredBlockMax = 65535;
// Keeps every chunk length, and all arithmetic on it, well inside 31 bits.
constexpr uint64_t kPngLargestRaw = 0x40000000;

static const std::array<uint32_t, 256> kPngCrcTable = [] {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int k = 0; k < 8; k++)
            c = (c & 1) ? kPngCrcPolynomial ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

static uint32_t PngCrc(const uint8_t* data, size_t size) {
    uint32_t c = 0xFFFFFFFF;
    for (size_t i = 0; i < size; i++)
        c = kPngCrcTable[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFF;
}

static uint32_t PngAdler(const std::vector<uint8_t>& data) {
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % kPngAdlerModulus;
        b = (b + a) % kPngAdlerModulus;
    }
    return b << 16 | a;
}

static void PngPut32(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value >> 24));
    out.push_back(static_cast<uint8_t>(value >> 16));
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

static void PngChunk(std::vector<uint8_t>& out, const char* type,
                     const std::vector<uint8_t>& data) {
    PngPut32(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PngPut32(out, PngCrc(out.data() + start, out.size() - start));
}

// zlib header for deflate with a 32K window and no preset dictionary (the
// header's 16 bits are a multiple of 31), stored blocks of at most 65,535
// bytes each with its length and the length's complement, then Adler-32.
static std::vector<uint8_t> PngZlibStored(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t offset = 0;
    do {
        size_t size = std::min(kPngStoredBlockMax, raw.size() - offset);
        bool last = offset + size == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<uint8_t>(size));
        out.push_back(static_cast<uint8_t>(size >> 8));
        out.push_back(static_cast<uint8_t>(~size));
        out.push_back(static_cast<uint8_t>(~size >> 8));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
                   raw.begin() + static_cast<std::ptrdiff_t>(offset + size));
        offset += size;
    } while (offset < raw.size());
    PngPut32(out, PngAdler(raw));
    return out;
}

std::vector<uint8_t> PngEncode(const uint32_t* pixels, int width, int height) {
    if (width <= 0 || height <= 0) return {};
    uint64_t rowBytes = 1 + 3 * static_cast<uint64_t>(width);
    if (rowBytes * static_cast<uint64_t>(height) > kPngLargestRaw) return {};

    std::vector<uint8_t> raw;
    raw.reserve(rowBytes * static_cast<uint64_t>(height));
    for (int y = 0; y < height; y++) {
        raw.push_back(0);
        for (int x = 0; x < width; x++) {
            uint32_t pixel = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + x];
            raw.push_back(static_cast<uint8_t>(pixel >> 16));
            raw.push_back(static_cast<uint8_t>(pixel >> 8));
            raw.push_back(static_cast<uint8_t>(pixel));
        }
    }

    std::vector<uint8_t> header;
    PngPut32(header, static_cast<uint32_t>(width));
    PngPut32(header, static_cast<uint32_t>(height));
    // 8 bits per sample, truecolour, deflate, adaptive filtering, no interlace.
    header.insert(header.end(), {8, 2, 0, 0, 0});

    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PngChunk(file, "IHDR", header);
    PngChunk(file, "IDAT", PngZlibStored(raw));
    PngChunk(file, "IEND", {});
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
