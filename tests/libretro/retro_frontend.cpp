#include "tests/libretro/retro_frontend.h"

#include <cctype>
#include <cstring>
#include <dlfcn.h>
#include <gtest/gtest.h>

RetroFrontend frontend;

namespace {

bool RETRO_CALLCONV Environment(unsigned command, void* data) {
    switch (command) {
    case RETRO_ENVIRONMENT_SET_PIXEL_FORMAT:
        frontend.xrgb8888 = *static_cast<retro_pixel_format*>(data) == RETRO_PIXEL_FORMAT_XRGB8888;
        return frontend.xrgb8888;
    case RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY:
        *static_cast<const char**>(data) =
            frontend.systemFolder.empty() ? nullptr : frontend.systemFolder.c_str();
        return true;
    case RETRO_ENVIRONMENT_GET_VARIABLE: {
        auto* variable = static_cast<retro_variable*>(data);
        auto found = frontend.options.find(variable->key);
        variable->value = found == frontend.options.end() ? nullptr : found->second.c_str();
        return true;
    }
    case RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE:
        *static_cast<bool*>(data) = frontend.optionsChanged;
        frontend.optionsChanged = false;
        return true;
    case RETRO_ENVIRONMENT_SET_KEYBOARD_CALLBACK:
        frontend.keyboard = static_cast<retro_keyboard_callback*>(data)->callback;
        return true;
    case RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME:
    case RETRO_ENVIRONMENT_SET_VARIABLES: return true;
    default: return false;
    }
}

void RETRO_CALLCONV Video(const void* data, unsigned width, unsigned height, size_t pitch) {
    if (!data) return;
    frontend.frameWidth = width;
    frontend.frameHeight = height;
    frontend.frame.resize(size_t{width} * height);
    for (unsigned y = 0; y < height; y++)
        std::memcpy(&frontend.frame[size_t{y} * width],
                    static_cast<const uint8_t*>(data) + y * pitch, width * sizeof(uint32_t));
}

size_t RETRO_CALLCONV AudioBatch(const int16_t* data, size_t pairs) {
    frontend.samples.insert(frontend.samples.end(), data, data + 2 * pairs);
    frontend.framePairs.push_back(pairs);
    return pairs;
}

void RETRO_CALLCONV InputPoll(void) {}

int16_t RETRO_CALLCONV InputState(unsigned port, unsigned device, unsigned, unsigned id) {
    if (port != 0 || device != RETRO_DEVICE_POINTER) return 0;
    switch (id) {
    case RETRO_DEVICE_ID_POINTER_X: return frontend.pointerX;
    case RETRO_DEVICE_ID_POINTER_Y: return frontend.pointerY;
    case RETRO_DEVICE_ID_POINTER_PRESSED: return frontend.pointerDown ? 1 : 0;
    default: return 0;
    }
}

template <typename F> bool Find(void* core, const char* name, F*& function) {
    function = reinterpret_cast<F*>(dlsym(core, name));
    EXPECT_NE(reinterpret_cast<void*>(function), nullptr) << name;
    return function != nullptr;
}

// The unshifted key that types a character with SHIFT on a US keyboard.
const char kShifted[] = "!@#$%^&*()_+{}|:\"<>?~";
const char kUnshifted[] = "1234567890-=[]\\;',./`";

// As a frontend does, each key goes with the modifiers held at the time.
void Key(unsigned keycode, bool down) {
    static uint16_t modifiers = 0;
    if (keycode == RETROK_LSHIFT)
        modifiers = static_cast<uint16_t>(down ? modifiers | RETROKMOD_SHIFT
                                               : modifiers & ~RETROKMOD_SHIFT);
    frontend.keyboard(down, keycode, 0, modifiers);
}

} // namespace

bool RetroOpen(void) {
    void* core = dlopen(Z80HOME_LIBRETRO_CORE, RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(core, nullptr) << dlerror();
    if (!core) return false;
    RetroFrontend& f = frontend;
    bool found = Find(core, "retro_init", f.init) && Find(core, "retro_deinit", f.deinit) &&
                 Find(core, "retro_set_environment", f.setEnvironment) &&
                 Find(core, "retro_set_video_refresh", f.setVideo) &&
                 Find(core, "retro_set_audio_sample_batch", f.setAudioBatch) &&
                 Find(core, "retro_set_input_poll", f.setInputPoll) &&
                 Find(core, "retro_set_input_state", f.setInputState) &&
                 Find(core, "retro_get_system_info", f.getSystemInfo) &&
                 Find(core, "retro_get_system_av_info", f.getAvInfo) &&
                 Find(core, "retro_load_game", f.loadGame) &&
                 Find(core, "retro_unload_game", f.unloadGame) && Find(core, "retro_run", f.run) &&
                 Find(core, "retro_reset", f.reset) &&
                 Find(core, "retro_serialize_size", f.serializeSize) &&
                 Find(core, "retro_serialize", f.serialize) &&
                 Find(core, "retro_unserialize", f.unserialize);
    if (!found) return false;
    f.setEnvironment(Environment);
    f.setVideo(Video);
    f.setAudioBatch(AudioBatch);
    f.setInputPoll(InputPoll);
    f.setInputState(InputState);
    f.init();
    return true;
}

bool RetroLoad(const char* path) {
    retro_game_info game{path, nullptr, 0, nullptr};
    if (!frontend.loadGame(path ? &game : nullptr)) return false;
    EXPECT_TRUE(frontend.xrgb8888);
    EXPECT_NE(frontend.keyboard, nullptr);
    return frontend.xrgb8888 && frontend.keyboard;
}

void RetroFrames(int n) {
    for (int i = 0; i < n; i++)
        frontend.run();
}

void RetroType(const std::string& text) {
    for (char c : text) {
        const char* shifted = c ? std::strchr(kShifted, c) : nullptr;
        unsigned keycode = c == '\n' ? unsigned{RETROK_RETURN}
                           : shifted ? static_cast<unsigned>(kUnshifted[shifted - kShifted])
                                     : static_cast<unsigned>(std::tolower(c));
        if (shifted) Key(RETROK_LSHIFT, true);
        Key(keycode, true);
        RetroFrames(3);
        Key(keycode, false);
        if (shifted) Key(RETROK_LSHIFT, false);
        RetroFrames(3);
    }
}
