#include "png_reader.h"

#include <cstdio>
#include <cstring>

static uint32_t ReadBig32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

static uint32_t BitwiseCrc(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < size; i++) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; bit++)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

static bool Fail(std::string& error, const std::string& what) {
    error = what;
    return false;
}

// Inflates a zlib stream made only of stored blocks.
static bool InflateStored(const std::vector<uint8_t>& z, std::vector<uint8_t>& out,
                          std::string& error) {
    if (z.size() < 6) return Fail(error, "zlib stream too short");
    if ((z[0] & 0x0F) != 8 || (z[0] >> 4) > 7) return Fail(error, "zlib method is not deflate");
    if ((z[0] * 256 + z[1]) % 31 != 0) return Fail(error, "zlib header check fails");
    if (z[1] & 0x20) return Fail(error, "zlib stream asks for a preset dictionary");
    size_t at = 2;
    bool final = false;
    while (!final) {
        if (at + 5 > z.size()) return Fail(error, "deflate block header runs past the end");
        final = z[at] & 1;
        if ((z[at] >> 1 & 3) != 0) return Fail(error, "deflate block is not a stored block");
        unsigned length = z[at + 1] | z[at + 2] << 8;
        unsigned complement = z[at + 3] | z[at + 4] << 8;
        if ((length ^ 0xFFFF) != complement) return Fail(error, "stored length check fails");
        at += 5;
        if (at + length > z.size()) return Fail(error, "stored block runs past the end");
        out.insert(out.end(), z.begin() + at, z.begin() + at + length);
        at += length;
    }
    if (at + 4 != z.size()) return Fail(error, "zlib stream does not end with its Adler-32");
    uint32_t a = 1, b = 0;
    for (uint8_t byte : out) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    if (ReadBig32(&z[at]) != (b << 16 | a)) return Fail(error, "Adler-32 mismatch");
    return true;
}

bool PngRead(const std::vector<uint8_t>& file, PngPicture& picture, std::string& error) {
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 8 || memcmp(file.data(), signature, 8) != 0)
        return Fail(error, "no PNG signature");
    size_t at = 8;
    std::vector<uint8_t> compressed;
    bool header = false, ended = false;
    while (!ended) {
        if (at + 12 > file.size()) return Fail(error, "chunk runs past the end of the file");
        uint32_t length = ReadBig32(&file[at]);
        if (length > file.size() - at - 12) return Fail(error, "chunk length past the end");
        std::string type(reinterpret_cast<const char*>(&file[at + 4]), 4);
        const uint8_t* data = &file[at + 8];
        if (ReadBig32(data + length) != BitwiseCrc(&file[at + 4], length + 4))
            return Fail(error, "CRC mismatch in " + type);
        if (!header && type != "IHDR") return Fail(error, "first chunk is " + type);
        if (type == "IHDR") {
            if (header || length != 13) return Fail(error, "bad IHDR");
            picture.width = static_cast<int>(ReadBig32(data));
            picture.height = static_cast<int>(ReadBig32(data + 4));
            if (data[8] != 8 || data[9] != 2 || data[10] || data[11] || data[12])
                return Fail(error, "not 8-bit RGB, deflate, filter 0, no interlace");
            header = true;
        } else if (type == "IDAT") {
            compressed.insert(compressed.end(), data, data + length);
        } else if (type == "IEND") {
            if (length != 0) return Fail(error, "IEND has data");
            ended = true;
        }
        at += 12 + length;
    }
    if (at != file.size()) return Fail(error, "bytes after IEND");
    std::vector<uint8_t> raw;
    if (!InflateStored(compressed, raw, error)) return false;
    size_t row = 1 + 3 * static_cast<size_t>(picture.width);
    if (raw.size() != row * static_cast<size_t>(picture.height))
        return Fail(error, "image data has " + std::to_string(raw.size()) + " bytes");
    picture.pixels.clear();
    for (int y = 0; y < picture.height; y++) {
        const uint8_t* line = &raw[y * row];
        if (line[0] != 0) return Fail(error, "row " + std::to_string(y) + " uses a filter");
        for (int x = 0; x < picture.width; x++) {
            const uint8_t* p = line + 1 + 3 * x;
            picture.pixels.push_back(uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
        }
    }
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
