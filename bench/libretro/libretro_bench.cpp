// The libretro core's cost per emulated second beside a native host's: the
// core driven frame by frame through its libretro functions, as a frontend
// drives it (the frames and samples taken and dropped), and the headless
// host running paced on its threads, each on the built-in system ROM, idle
// at BASIC's prompt, running a BASIC loop and printing without end (the
// screen scrolling every frame). Printed: host CPU milliseconds
// per emulated second (a tenth of it is the percentage of one core each
// takes at the machine's own speed), and their ratio.
//
//   libretro_bench HEADLESS [SECONDS]
//
// HEADLESS is the headless host (build/bin/z80home-headless of a build with
// hosts); SECONDS the emulated seconds of each run (default 10).
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "libretro/libretro.h"

namespace {

constexpr double kFramesPerSecond = 62.5;
constexpr double kCyclesPerSecond = 1906250; // a paced slice budget 62.5 times
constexpr const char* kBusy = "10 A=A-1\n20 GOTO 10\nRUN\n";
constexpr const char* kPrinting = "10 PRINT A;\n20 A=A+1\n30 GOTO 10\nRUN\n";

struct Core {
    void (*run)(void);
    bool (*loadGame)(const retro_game_info*);
    retro_keyboard_event_t keyboard;
};
Core core;

bool RETRO_CALLCONV Environment(unsigned command, void* data) {
    if (command == RETRO_ENVIRONMENT_SET_KEYBOARD_CALLBACK)
        core.keyboard = static_cast<retro_keyboard_callback*>(data)->callback;
    return command == RETRO_ENVIRONMENT_SET_PIXEL_FORMAT ||
           command == RETRO_ENVIRONMENT_SET_KEYBOARD_CALLBACK;
}
void RETRO_CALLCONV Video(const void*, unsigned, unsigned, size_t) {}
size_t RETRO_CALLCONV Audio(const int16_t*, size_t pairs) {
    return pairs;
}
void RETRO_CALLCONV Poll(void) {}
int16_t RETRO_CALLCONV State(unsigned, unsigned, unsigned, unsigned) {
    return 0;
}

template <typename F> F* Find(void* library, const char* name) {
    void* function = dlsym(library, name);
    if (!function) {
        fprintf(stderr, "the core has no %s\n", name);
        exit(1);
    }
    return reinterpret_cast<F*>(function);
}

double CpuSeconds(void) {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

// Loads the core, boots it, types text (if any) a key every six frames, and
// returns the CPU seconds of `seconds` emulated seconds from the load on.
double CoreRun(double seconds, const std::string& text) {
    core.loadGame(nullptr);
    int frames = static_cast<int>(seconds * kFramesPerSecond);
    double start = CpuSeconds();
    int frame = 0;
    for (; frame < 60; frame++)
        core.run();
    for (char c : text) {
        unsigned keycode = c == '\n' ? unsigned{RETROK_RETURN} : unsigned(std::tolower(c));
        core.keyboard(true, keycode, 0, 0);
        for (int i = 0; i < 3; i++, frame++)
            core.run();
        core.keyboard(false, keycode, 0, 0);
        for (int i = 0; i < 3; i++, frame++)
            core.run();
    }
    for (; frame < frames; frame++)
        core.run();
    return CpuSeconds() - start;
}

// The headless host's CPU seconds (user and system, all its threads) for
// `seconds` emulated seconds, paced, pasting text (if any) once booted.
double HeadlessRun(const char* headless, double seconds, const std::string& text) {
    std::filesystem::path paste = std::filesystem::temp_directory_path() / "z80home-bench.bas";
    std::ofstream(paste) << text;
    std::string cycles = std::to_string(static_cast<long long>(seconds * kCyclesPerSecond));
    pid_t child = fork();
    if (child == 0) {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (text.empty())
            execl(headless, headless, "--until-cycles", cycles.c_str(), "--timeout", "600000",
                  nullptr);
        else
            execl(headless, headless, "--until-cycles", cycles.c_str(), "--timeout", "600000",
                  "--paste", paste.c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "%s failed (status %d)\n", headless, status);
        exit(1);
    }
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: libretro_bench HEADLESS [SECONDS]\n");
        return 2;
    }
    const char* headless = argv[1];
    double seconds = argc > 2 ? atof(argv[2]) : 10.0;
    void* library = dlopen(Z80HOME_LIBRETRO_CORE, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    Find<void(retro_environment_t)>(library, "retro_set_environment")(Environment);
    Find<void(retro_video_refresh_t)>(library, "retro_set_video_refresh")(Video);
    Find<void(retro_audio_sample_batch_t)>(library, "retro_set_audio_sample_batch")(Audio);
    Find<void(retro_input_poll_t)>(library, "retro_set_input_poll")(Poll);
    Find<void(retro_input_state_t)>(library, "retro_set_input_state")(State);
    Find<void(void)>(library, "retro_init")();
    core.run = Find<void(void)>(library, "retro_run");
    core.loadGame = Find<bool(const retro_game_info*)>(library, "retro_load_game");
    auto unload = Find<void(void)>(library, "retro_unload_game");

    printf("host CPU ms per emulated second, %.0f emulated seconds each\n", seconds);
    printf("%-28s %10s %10s %8s\n", "", "core", "headless", "ratio");
    const std::pair<const char*, std::string> runs[] = {{"idle at BASIC's prompt", ""},
                                                        {"a BASIC loop running", kBusy},
                                                        {"a BASIC loop printing", kPrinting}};
    for (const auto& [name, text] : runs) {
        double coreMs = 1000 * CoreRun(seconds, text) / seconds;
        unload();
        double hostMs = 1000 * HeadlessRun(headless, seconds, text) / seconds;
        printf("%-28s %10.1f %10.1f %8.2f\n", name, coreMs, hostMs, coreMs / hostMs);
    }
    return 0;
}
