// A small libretro frontend of the tests' own: it loads the core with dlopen,
// answers the environment calls the core makes, keeps the last frame and
// every sample, types through the core's keyboard callback and plays the
// pointer. One core per process: the core is one machine.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "libretro/libretro.h"

struct RetroFrontend {
    // The core's functions, looked up by name.
    void (*init)(void);
    void (*deinit)(void);
    void (*setEnvironment)(retro_environment_t);
    void (*setVideo)(retro_video_refresh_t);
    void (*setAudioBatch)(retro_audio_sample_batch_t);
    void (*setInputPoll)(retro_input_poll_t);
    void (*setInputState)(retro_input_state_t);
    void (*getSystemInfo)(retro_system_info*);
    void (*getAvInfo)(retro_system_av_info*);
    bool (*loadGame)(const retro_game_info*);
    void (*unloadGame)(void);
    void (*run)(void);
    void (*reset)(void);
    size_t (*serializeSize)(void);
    bool (*serialize)(void*, size_t);
    bool (*unserialize)(const void*, size_t);

    // What the frontend tells the core.
    std::string systemFolder;
    std::map<std::string, std::string> options;
    bool optionsChanged = false;
    int16_t pointerX = 0, pointerY = 0;
    bool pointerDown = false;

    // What the core tells the frontend.
    retro_keyboard_event_t keyboard = nullptr;
    bool xrgb8888 = false;
    std::vector<uint32_t> frame; // the last frame, 0x00RRGGBB, rows packed
    unsigned frameWidth = 0, frameHeight = 0;
    std::vector<int16_t> samples;   // every stereo pair since the last Clear
    std::vector<size_t> framePairs; // the pairs each frame brought
};

// The frontend the callbacks reach (one per process, like the core).
extern RetroFrontend frontend;

// Loads the core and hands it the callbacks; false with a test failure when
// the library or a function is missing.
bool RetroOpen(void);
// Loads content (a path, or none) and starts the core.
bool RetroLoad(const char* path);
void RetroFrames(int n);
// Presses and releases keys through the keyboard callback: each character of
// text on a US keyboard (SHIFT for the second legends; '\n' is RETURN), each
// key held three frames and left up three.
void RetroType(const std::string& text);
