// Boots the machine as the page does, then prints the page driver's two
// speed figures, measured natively:
//
//   web_bench ROM_DIR WALL_MS FRAMES  ->  mhz=M draw_ms=D
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "web/web_machine.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: %s ROM_DIR WALL_MS FRAMES\n", argv[0]);
        return 2;
    }
    std::filesystem::current_path(argv[1]);
    if (!WebStart()) return 1;
    for (int i = 0; i < 120; i++)
        WebAdvance(16);
    double mhz = WebMeasureMhz(atof(argv[2]));
    double drawMs = WebMeasureDrawMs(atoi(argv[3]));
    printf("mhz=%.3f draw_ms=%.4f\n", mhz, drawMs);
    return 0;
}
