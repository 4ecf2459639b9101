// mkfont: turns the character set's text source into the 2,048-byte character
// ROM image. Usage: mkfont font.txt font.rom
//
// Source format: lines starting with ';' and blank lines between glyphs are
// comments. A glyph is a header line "0xNN name" (the code in two hex digits,
// the name free text) followed by exactly eight rows of exactly eight dots,
// '#' lit and '.' dark, top row first. Every code from 0x00 to 0xFF appears
// once. The image holds dot row l of code c at byte c * 8 + l, the leftmost
// dot in bit 7.
//
// A plain single-file program on purpose: a cross build compiles it with the
// build machine's compiler.
#include <cstdio>
#include <fstream>
#include <string>

namespace {

constexpr int kCodes = 256;
constexpr int kRows = 8;

bool Fail(const char* path, int line, const std::string& message) {
    if (line > 0) {
        std::fprintf(stderr, "%s:%d: %s\n", path, line, message.c_str());
    } else {
        std::fprintf(stderr, "%s: %s\n", path, message.c_str());
    }
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The code of a header line "0xNN ...", or -1 when the line is not one.
int HeaderCode(const std::string& line) {
    if (line.size() < 4 || line[0] != '0' || (line[1] != 'x' && line[1] != 'X')) return -1;
    int high = HexDigit(line[2]);
    int low = HexDigit(line[3]);
    if (high < 0 || low < 0) return -1;
    if (line.size() > 4 && line[4] != ' ' && line[4] != '\t') return -1;
    return high * 16 + low;
}

bool ReadFont(const char* path, unsigned char (&image)[kCodes * kRows]) {
    std::ifstream in(path);
    if (!in) return Fail(path, 0, "cannot open");
    bool defined[kCodes] = {};
    std::string line;
    int lineNumber = 0;
    int code = -1;    // glyph being read, -1 between glyphs
    int rowsRead = 0; // dot rows of that glyph so far
    while (std::getline(in, line)) {
        ++lineNumber;
        while (!line.empty() &&
               (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
            line.pop_back();
        }
        if (code < 0) {
            if (line.empty() || line[0] == ';') continue;
            code = HeaderCode(line);
            if (code < 0) return Fail(path, lineNumber, "expected a glyph header \"0xNN name\"");
            if (defined[code])
                return Fail(path, lineNumber, "code " + line.substr(0, 4) + " defined twice");
            defined[code] = true;
            rowsRead = 0;
            continue;
        }
        if (line.size() != kRows) {
            return Fail(path, lineNumber, "a dot row needs exactly 8 dots of '#' or '.'");
        }
        unsigned char bits = 0;
        for (char dot : line) {
            if (dot != '#' && dot != '.') {
                return Fail(path, lineNumber, "a dot row holds only '#' and '.'");
            }
            bits = static_cast<unsigned char>(bits << 1 | (dot == '#' ? 1 : 0));
        }
        image[code * kRows + rowsRead] = bits;
        if (++rowsRead == kRows) code = -1;
    }
    if (code >= 0) return Fail(path, lineNumber, "the last glyph has fewer than 8 dot rows");
    for (int c = 0; c < kCodes; ++c) {
        if (!defined[c]) {
            char name[8];
            std::snprintf(name, sizeof name, "0x%02X", c);
            return Fail(path, 0, std::string("code ") + name + " is missing");
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkfont font.txt font.rom\n");
        return 2;
    }
    static unsigned char image[kCodes * kRows];
    if (!ReadFont(argv[1], image)) return 1;
    std::FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "%s: cannot create\n", argv[2]);
        return 1;
    }
    bool written = std::fwrite(image, 1, sizeof image, out) == sizeof image;
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "%s: write failed\n", argv[2]);
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
