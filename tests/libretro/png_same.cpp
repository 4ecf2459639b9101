// png_same A.png B.png: exit 0 when the two pictures have the same size and
// pixels, 1 (naming the box of the pixels that differ) when not, 2 when one
// cannot be read. Scripts compare screenshots that different encoders wrote.
#include <algorithm>
#include <cstdio>
#include <string>

#include "tests/host/png_reader.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: png_same A.png B.png\n");
        return 2;
    }
    PngPicture pictures[2];
    for (int i = 0; i < 2; i++) {
        std::string error;
        if (!PngRead(PngLoadFile(argv[1 + i]), pictures[i], error)) {
            fprintf(stderr, "png_same: %s: %s\n", argv[1 + i], error.c_str());
            return 2;
        }
    }
    const PngPicture &a = pictures[0], &b = pictures[1];
    if (a.width != b.width || a.height != b.height) {
        printf("%dx%d against %dx%d\n", a.width, a.height, b.width, b.height);
        return 1;
    }
    int left = a.width, top = a.height, right = -1, bottom = -1;
    for (int y = 0; y < a.height; y++)
        for (int x = 0; x < a.width; x++)
            if (a.pixels[size_t(y) * a.width + x] != b.pixels[size_t(y) * a.width + x]) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = y;
            }
    if (right < 0) return 0;
    printf("the pixels differ from (%d,%d) to (%d,%d)\n", left, top, right, bottom);
    return 1;
}
