// z80home as a libretro core. The frontend calls retro_run once a frame, and a
// frame is one slice of the machine: 16 ms of its time, so 62.5 frames a
// second, the rate at which the threads run slices. The slice is run as the
// eight tick periods it holds; after each the beeper follows beepOn and that
// period's samples are mixed, so a sound is heard to the tick. DrawScreen
// then draws the frame the frontend gets. Nothing runs between two calls:
// the core has no threads of its own.
//
// A save state is the core's own few fields (where the sound, the blink and
// the keys typed at start stand) followed by the machine's state file,
// padded to the size it had at load, so the frontend sees one size for the
// session.
#include "libretro/libretro.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "core/machine.h"
#include "core/run_control.h"
#include "core/z80home.h"
#include "input/input.h"
#include "devices/beeper.h"
#include "devices/cassette.h"
#include "host/host_file.h"
#include "host/host_input.h"
#include "host/host_options.h"
#include "core/builtin_roms.h"
#include "libretro/retro_keys.h"
#include "libretro/retro_window.h"
#include "plus/save_state.h"
#include "plus/z80home_plus.h"
#include "state/machine_state.h"
#include "state/state_io.h"
#include "video/screen.h"

namespace {

// A tick period is an eighth of a slice: the core's unit of time for sound.
constexpr uint32_t kRetroPeriodsPerSecond = kTicksPerSlice * 1000 / kShortestSliceMs;
constexpr double kRetroFramesPerSecond = 1000.0 / kShortestSliceMs;
// The most samples one frame mixes: a slice's share of a second, rounded up.
constexpr size_t kRetroMostFrameSamples = kTicksPerSlice * (kBeepRate / kRetroPeriodsPerSecond + 1);
// Each pointer axis runs from -0x7FFF to 0x7FFF across the picture.
constexpr int kRetroPointerSpan = 2 * 0x7FFF + 1;
// How long the frontend shows a refused content's message: ten seconds.
constexpr unsigned kRetroMessageFrames = 625;
// The subfolder of the frontend's system folder that may hold ROM images.
constexpr const char* kRetroRomFolder = "z80home";
// What a state may grow by after the content is loaded: the keys on their
// way into the matrix and a paste under way.
constexpr size_t kRetroInputRoom = 64 << 10;

constexpr const char* kOptionGreen = "z80home_green";
constexpr const char* kOptionPcg = "z80home_pcg";
constexpr const char* kOptionTapeWritable = "z80home_tape_writable";
constexpr const char* kOptionTapeStart = "z80home_tape_start";
constexpr const char* kOptionListingRun = "z80home_listing_run";

const retro_variable kRetroVariables[] = {
    {kOptionGreen, "Green monitor; off|on"},
    {kOptionPcg, "Character generator; off|on"},
    {kOptionTapeWritable, "Saves reach the tape file (when content loads); off|on"},
    {kOptionTapeStart, "Typed once a tape has booted; LOAD and RUN|LOAD|nothing"},
    {kOptionListingRun, "RUN after a listing (when content loads); on|off"},
    {nullptr, nullptr},
};

struct RetroCore {
    retro_environment_t environment = nullptr;
    retro_video_refresh_t video = nullptr;
    retro_audio_sample_batch_t audio = nullptr;
    retro_input_poll_t inputPoll = nullptr;
    retro_input_state_t inputState = nullptr;
    retro_log_printf_t log = nullptr;

    HWND window = nullptr;
    bool started = false; // MachineStart has run; later content powers the machine on
    bool loaded = false;
    size_t stateSize = 0;

    // The period within the second, which sets how many samples the period
    // gets, and the samples of the frame.
    uint32_t period = 0;
    std::vector<int16_t> samples;

    bool penDown = false;
    int penX = 0, penY = 0;

    // The tape: the content file itself when writable, else a copy of it
    // (or an empty file) in a scratch folder removed at unload. A session is
    // one loaded content, told apart by a random number its states carry.
    std::string tape;
    std::filesystem::path scratch;
    uint32_t session = 0;
    // The frames run since the content loaded: the core's clock. Keys typed
    // at start are strokes due on it, after the boot; typed counts those
    // delivered. Both travel in the state, so a restored machine and its
    // typing stay in step (a frontend running ahead restores every frame).
    uint32_t frames = 0;
    HostInput typing;
    uint32_t typed = 0;
    bool green = false, pcg = false;
    // A listing as content, kept, and whether it waits for BASIC's prompt:
    // that travels in the state, so a restore to before the listing went to
    // the paste (run-ahead, rewind) has it wait again. listingHeld: the plus
    // library holds it waiting, handed over by PollListing.
    std::string listing;
    bool listingRun = false;
    uint8_t listingWaits = 0;
    bool listingHeld = false;
};

RetroCore retro;

// Through the frontend's log, when it has one.
void RetroLog(retro_log_level level, const char* format, ...) {
    if (!retro.log) return;
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    retro.log(level, "%s\n", text);
}

const char* RetroOption(const char* key) {
    retro_variable variable{key, nullptr};
    if (!retro.environment || !retro.environment(RETRO_ENVIRONMENT_GET_VARIABLE, &variable))
        return "";
    return variable.value ? variable.value : "";
}

bool RetroOptionOn(const char* key) {
    return std::strcmp(RetroOption(key), "on") == 0;
}

// The two display options take effect when they change, and only then: a
// machine loaded from a state keeps the options it was saved with.
void RetroApplyOptions(bool force) {
    bool green = RetroOptionOn(kOptionGreen);
    bool pcg = RetroOptionOn(kOptionPcg);
    if (force || green != retro.green) SetGreenDisplay(green ? 1 : 0);
    if (force || pcg != retro.pcg) SetPCG(pcg ? 1 : 0);
    retro.green = green;
    retro.pcg = pcg;
}

// ---- Sound ----

// Mixes the samples of the tick period just run, after the beeper has
// followed it; 16-bit, the same on both channels.
void RetroMixPeriod(void) {
    BeepMixFollow();
    uint32_t from = retro.period * kBeepRate / kRetroPeriodsPerSecond;
    uint32_t to = (retro.period + 1) * kBeepRate / kRetroPeriodsPerSecond;
    retro.period = (retro.period + 1) % kRetroPeriodsPerSecond;
    int16_t mono[kBeepRate / kRetroPeriodsPerSecond + 1];
    BeepMixSamples(mono, to - from);
    for (uint32_t i = 0; i < to - from; i++) {
        retro.samples.push_back(mono[i]);
        retro.samples.push_back(mono[i]);
    }
}

// ---- Input ----

// A key with the SHIFT and CTRL the frontend says it was typed with: one
// change on the machine, whatever order the frontend hands keys over in.
void RETRO_CALLCONV RetroKeyEvent(bool down, unsigned keycode, uint32_t, uint16_t modifiers) {
    uint8_t virtualKey = RetroVirtualKey(keycode);
    if (virtualKey)
        SendKey(virtualKey, down ? 1 : 0,
                static_cast<unsigned char>((modifiers & RETROKMOD_SHIFT ? kKeyShift : 0) |
                                           (modifiers & RETROKMOD_CTRL ? kKeyControl : 0)));
}

int RetroPointerAxis(int16_t value, int size) {
    int at = (static_cast<int>(value) + 0x7FFF) * size / kRetroPointerSpan;
    return std::clamp(at, 0, size - 1);
}

// The pointer (a mouse on the picture, or a touch) is the light pen: the
// button pressed, moved while pressed, and released.
void RetroLightPen(void) {
    bool down = retro.inputState(0, RETRO_DEVICE_POINTER, 0, RETRO_DEVICE_ID_POINTER_PRESSED) != 0;
    int x = RetroPointerAxis(
        retro.inputState(0, RETRO_DEVICE_POINTER, 0, RETRO_DEVICE_ID_POINTER_X), kFrameWidth);
    int y = RetroPointerAxis(
        retro.inputState(0, RETRO_DEVICE_POINTER, 0, RETRO_DEVICE_ID_POINTER_Y), kFrameHeight);
    if (down && !retro.penDown)
        CtlEmulator(WM_LBUTTONDOWN, 0, HostMouseLParam(x, y));
    else if (down && (x != retro.penX || y != retro.penY))
        CtlEmulator(WM_MOUSEMOVE, 0, HostMouseLParam(x, y));
    else if (!down && retro.penDown)
        CtlEmulator(WM_LBUTTONUP, 0, HostMouseLParam(x, y));
    retro.penDown = down;
    retro.penX = x;
    retro.penY = y;
}

// ---- ROM images and the tape ----

// An image from the system folder's z80home/ when it is there and not empty
// (a short one is padded with zeros), else the built-in one.
void RetroLoadRom(const char* name, uint8_t* image, const uint8_t* builtin, size_t size) {
    const char* system = nullptr;
    if (retro.environment(RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY, &system) && system) {
        std::filesystem::path path = std::filesystem::path(system) / kRetroRomFolder / name;
        if (FILE* file = fopen(path.string().c_str(), "rb")) {
            std::vector<uint8_t> bytes(size);
            size_t got = fread(bytes.data(), 1, size, file);
            fclose(file);
            if (got > 0) {
                std::memcpy(image, bytes.data(), size);
                RetroLog(RETRO_LOG_INFO, "%s from %s", name, path.string().c_str());
                return;
            }
        }
    }
    std::memcpy(image, builtin, size);
}

void RetroRemoveScratch(void) {
    if (retro.scratch.empty()) return;
    std::error_code failed;
    std::filesystem::remove_all(retro.scratch, failed);
    retro.scratch.clear();
}

// A folder of its own under the system's temporary folder for the tape the
// machine may write: the content's copy, or an empty tape without content.
bool RetroScratchTape(const char* content) {
    std::error_code failed;
    std::filesystem::path temporary = std::filesystem::temp_directory_path(failed);
    if (failed) return false;
    std::random_device random;
    for (int attempt = 0; attempt < 100 && retro.scratch.empty(); attempt++) {
        std::filesystem::path folder = temporary / ("z80home-tape-" + std::to_string(random()));
        if (std::filesystem::create_directory(folder, failed)) retro.scratch = folder;
    }
    if (retro.scratch.empty()) return false;
    std::filesystem::path name = content ? std::filesystem::path(content).filename() : "tape.cas";
    std::filesystem::path copy = retro.scratch / name;
    if (content) {
        std::filesystem::copy_file(content, copy, failed);
        if (failed) return false;
    } else if (FILE* file = fopen(copy.string().c_str(), "wb")) {
        fclose(file);
    } else {
        return false;
    }
    retro.tape = copy.string();
    return true;
}

// Content that is a BASIC listing waits to be typed (retro.listingWaits),
// with no tape; other content is the tape. False, with the reason in the log
// and on the frontend's screen, when it cannot be read or is refused (a .bas
// or .txt that is not text, a listing too long).
bool RetroOpenContent(const char* content) {
    retro.listingWaits = 0;
    retro.listing.clear();
    if (!content) return true;
    std::string bytes, message;
    if (HostReadFile(content, bytes, message)) {
        retro.listingRun = std::strcmp(RetroOption(kOptionListingRun), "off") != 0;
        int code = OpenListing(content, bytes.data(), static_cast<uint32_t>(bytes.size()),
                               retro.listingRun);
        retro.listingWaits = retro.listingHeld = code == kListingTyped;
        if (retro.listingWaits) retro.listing = std::move(bytes);
        if (code == kListingTyped || code == kListingTape) return true;
        message = std::string(content) + ": " + GetListingMessage(code);
    }
    RetroLog(RETRO_LOG_ERROR, "%s", message.c_str());
    retro_message shown{message.c_str(), kRetroMessageFrames};
    retro.environment(RETRO_ENVIRONMENT_SET_MESSAGE, &shown);
    return false;
}

bool RetroChooseTape(const char* content) {
    if (content && RetroOptionOn(kOptionTapeWritable)) {
        retro.tape = content;
    } else if (!RetroScratchTape(content)) {
        RetroLog(RETRO_LOG_ERROR, "no scratch copy of the tape could be made");
        return false;
    }
    if (retro.tape.size() > kCmtFileNameLongest) {
        RetroLog(RETRO_LOG_ERROR, "the tape's path is longer than %zu characters: %s",
                 kCmtFileNameLongest, retro.tape.c_str());
        return false;
    }
    SetCMTFile(retro.tape.c_str());
    return true;
}

// Delivers the strokes typed at start that are due by this frame: the
// boot's wait, as the headless host waits for its scripted input, then each
// at its time.
void RetroTypeDue(void) {
    uint64_t nowMs = uint64_t{retro.frames} * kShortestSliceMs;
    while (retro.typed < retro.typing.events.size()) {
        const HostEvent& event = retro.typing.events[retro.typed];
        if (kHeadlessBootMs + uint64_t{event.atMs} > nowMs) break;
        CtlEmulator(event.message, event.wParam, event.lParam);
        retro.typed++;
    }
}

// ---- States ----

// What a state says of the tape beyond the machine's own fields: the session
// it was taken in and the tape file's length then (kRetroNoLength when it
// could not be measured).
struct RetroTapeMark {
    uint32_t session;
    uint64_t length;
};
constexpr uint64_t kRetroNoLength = UINT64_MAX;

uint64_t RetroTapeLength(void) {
    std::error_code failed;
    uint64_t length = std::filesystem::file_size(retro.tape, failed);
    return failed ? kRetroNoLength : length;
}

// The core's own fields: they travel little-endian through the machine's
// state functions, and a copy that could not have been saved is refused.
void RetroCoreFields(StateIo& io, RetroTapeMark& mark) {
    io.Value(retro.period);
    io.Require(io.Last() < kRetroPeriodsPerSecond);
    io.Value(beepMix.playing);
    io.Require(io.Last() <= 1);
    io.Value(beepMix.position);
    io.Require(io.Last() < machine.beepHeader.dwBufferLength);
    io.Value(machine.cursorBlinkPhase);
    io.Require(io.Last() <= 1);
    io.Value(machine.attrBlinkPhase);
    io.Require(io.Last() <= 1);
    io.Value(machine.blinkCounter);
    io.Require(io.Last() <= 2 * 0xFF);
    io.Value(retro.frames);
    io.Value(retro.typed);
    io.Require(io.Last() <= retro.typing.events.size());
    io.Value(retro.listingWaits);
    io.Require(io.Last() <= 1);
    io.Value(mark.session);
    io.Value(mark.length);
}

// The core's fields, the machine's state file, then what input holds (keys
// on their way into the matrix, a paste under way), so that a state the
// frontend rewinds or runs ahead from goes on exactly as the machine did.
std::vector<uint8_t> RetroCapture(void) {
    std::vector<uint8_t> bytes;
    StateIo io{StateMode::kSave, &bytes, nullptr, 0, 0};
    RetroTapeMark mark{retro.session, RetroTapeLength()};
    RetroCoreFields(io, mark);
    std::vector<uint8_t> file = StateCapture();
    bytes.insert(bytes.end(), file.begin(), file.end());
    InputState(io, Get(machine.cyclesRun), true);
    return bytes;
}

// The tape as the state found it. Bytes the machine saved after a state of
// this session was taken are cut off again, or a rewound or run-ahead SAVE
// would append its record twice; a state of another session leaves the file
// alone. Its tape is this session's, where the state stood (a copy it named
// may be gone, or another instance's).
void RetroRestoreTape(const RetroTapeMark& mark) {
    if (mark.session == retro.session && mark.length != kRetroNoLength &&
        RetroTapeLength() != kRetroNoLength && RetroTapeLength() > mark.length) {
        std::error_code failed;
        std::filesystem::resize_file(retro.tape, mark.length, failed);
    }
    CassetteRename(retro.tape.c_str());
}

} // namespace

// ---- The libretro interface ----

extern "C" {

RETRO_API unsigned retro_api_version(void) {
    return RETRO_API_VERSION;
}

RETRO_API void retro_set_environment(retro_environment_t environment) {
    retro.environment = environment;
    bool noContent = true;
    environment(RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME, &noContent);
    environment(RETRO_ENVIRONMENT_SET_VARIABLES, const_cast<retro_variable*>(kRetroVariables));
    retro_log_callback log{};
    retro.log = environment(RETRO_ENVIRONMENT_GET_LOG_INTERFACE, &log) ? log.log : nullptr;
}

RETRO_API void retro_set_video_refresh(retro_video_refresh_t video) {
    retro.video = video;
}

RETRO_API void retro_set_audio_sample(retro_audio_sample_t) {}

RETRO_API void retro_set_audio_sample_batch(retro_audio_sample_batch_t audio) {
    retro.audio = audio;
}

RETRO_API void retro_set_input_poll(retro_input_poll_t poll) {
    retro.inputPoll = poll;
}

RETRO_API void retro_set_input_state(retro_input_state_t state) {
    retro.inputState = state;
}

RETRO_API void retro_set_controller_port_device(unsigned, unsigned) {}

RETRO_API void retro_init(void) {
    beepOutput = BeepMixOutput;
    retro.samples.reserve(2 * kRetroMostFrameSamples);
}

RETRO_API void retro_deinit(void) {
    RetroRemoveScratch();
}

RETRO_API void retro_get_system_info(retro_system_info* info) {
    *info = retro_system_info{};
    info->library_name = "z80home";
    info->library_version = Z80HOME_VERSION;
    info->valid_extensions = "cas|cmt|bin|bas|txt";
    // The machine reads the tape by its name, a byte at a time.
    info->need_fullpath = true;
}

RETRO_API void retro_get_system_av_info(retro_system_av_info* info) {
    *info = retro_system_av_info{};
    info->geometry.base_width = info->geometry.max_width = kFrameWidth;
    info->geometry.base_height = info->geometry.max_height = kFrameHeight;
    info->geometry.aspect_ratio = 4.0f / 3.0f;
    info->timing.fps = kRetroFramesPerSecond;
    info->timing.sample_rate = kBeepRate;
}

RETRO_API bool retro_load_game(const retro_game_info* game) {
    if (retro.loaded) return false;
    retro_pixel_format format = RETRO_PIXEL_FORMAT_XRGB8888;
    if (!retro.environment(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &format)) return false;
    if (!retro.started) {
        retro.window = RetroCreateWindow(kFrameWidth, kFrameHeight);
        if (!retro.window || !MachineStart(retro.window, GetDC(retro.window))) return false;
        // Nothing erases the window nobody sees: it need only be given new
        // pictures, as a host that forwards WM_PAINT is.
        CtlEmulator(WM_PAINT, 0, 0);
        retro.started = true;
    } else {
        MachinePowerOn();
    }
    RetroLoadRom("n80basic.rom", machine.basicRom, kBuiltinBasicRom, kBasicRomSize);
    RetroLoadRom("font.rom", machine.fontRom, kBuiltinFontRom, kFontRomSize);
    const char* content = game && game->path ? game->path : nullptr;
    if (!RetroOpenContent(content)) return false;
    if (retro.listingWaits) content = nullptr;
    if (!RetroChooseTape(content)) {
        RetroRemoveScratch();
        return false;
    }
    const char* start = RetroOption(kOptionTapeStart);
    std::string error;
    retro.typing = HostInput{};
    HostTypeText(retro.typing,
                 !content || !std::strcmp(start, "nothing") ? ""
                 : !std::strcmp(start, "LOAD")              ? "LOAD\n"
                                                            : "LOAD\nRUN\n",
                 error);
    retro.frames = retro.typed = 0;
    retro.session = std::random_device{}();
    RetroApplyOptions(true);
    // The sound starts silent, in the beeper's record of it too.
    BeepMixReset();
    retro.period = 0;
    retro.penDown = false;
    retro_keyboard_callback keyboard{RetroKeyEvent};
    retro.environment(RETRO_ENVIRONMENT_SET_KEYBOARD_CALLBACK, &keyboard);
    // Room for keys on their way in and a typed listing, beyond the size now:
    // a key of the paste takes two bytes, and a listing has no more keys
    // than bytes but for NEW and RUN.
    retro.stateSize = RetroCapture().size() + kRetroInputRoom + 2 * retro.listing.size();
    retro.loaded = true;
    return true;
}

RETRO_API bool retro_load_game_special(unsigned, const retro_game_info*, size_t) {
    return false;
}

RETRO_API void retro_unload_game(void) {
    RetroRemoveScratch();
    retro.tape.clear();
    retro.loaded = false;
    retro.listingWaits = 0;
    retro.listingHeld = false;
    retro.listing.clear();
}

RETRO_API unsigned retro_get_region(void) {
    return RETRO_REGION_NTSC;
}

RETRO_API void retro_reset(void) {
    ResetEmu();
}

RETRO_API void retro_run(void) {
    bool updated = false;
    if (retro.environment(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &updated) && updated)
        RetroApplyOptions(false);
    retro.inputPoll();
    RetroLightPen();
    RetroTypeDue();
    if (retro.listingWaits && !PollListing()) retro.listingWaits = retro.listingHeld = false;
    retro.samples.clear();
    for (int i = 0; i < kTicksPerSlice; i++) {
        CpuRunSliceUpTo(RunControlTickCycles());
        RetroMixPeriod();
    }
    DrawScreen();
    retro.video(machine.framePixels, kFrameWidth, kFrameHeight, kFrameWidth * sizeof(uint32_t));
    retro.audio(retro.samples.data(), retro.samples.size() / 2);
    retro.frames++;
}

RETRO_API size_t retro_serialize_size(void) {
    return retro.stateSize;
}

RETRO_API bool retro_serialize(void* data, size_t size) {
    std::vector<uint8_t> bytes = RetroCapture();
    if (!data || size < retro.stateSize || bytes.size() > size) return false;
    std::memcpy(data, bytes.data(), bytes.size());
    std::memset(static_cast<uint8_t*>(data) + bytes.size(), 0, size - bytes.size());
    return true;
}

// Everything is checked before anything is loaded: a refused state leaves
// the machine as it was.
RETRO_API bool retro_unserialize(const void* data, size_t size) {
    if (!data) return false;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    StateIo fields{StateMode::kCheck, nullptr, bytes, 0, size};
    RetroTapeMark mark{};
    RetroCoreFields(fields, mark);
    if (!fields.ok) return false;
    const uint8_t* file = bytes + fields.at;
    size_t length = StateFileLength(file, size - fields.at);
    if (!length || StateCheck(file, length) != kStateOk) return false;
    size_t inputAt = fields.at + length;
    StateIo input{StateMode::kCheck, nullptr, bytes + inputAt, 0, size - inputAt};
    InputState(input, 0, true);
    if (!input.ok) return false;
    fields.mode = StateMode::kLoad;
    fields.at = 0;
    RetroCoreFields(fields, mark);
    // The beeper's record of the tone follows the tone restored.
    machine.beepPlaying = beepMix.playing;
    StateApply(file, length, true);
    input = StateIo{StateMode::kLoad, nullptr, bytes + inputAt, 0, size - inputAt};
    InputState(input, Get(machine.cyclesRun), true);
    beepMix.changes = Get(machine.beepChanges);
    RetroRestoreTape(mark);
    // A listing waits only in the session of its content.
    if (retro.listing.empty()) retro.listingWaits = 0;
    if (retro.listingWaits && !retro.listingHeld)
        retro.listingHeld =
            OpenListing("", retro.listing.data(), static_cast<uint32_t>(retro.listing.size()),
                        retro.listingRun) == kListingTyped;
    return true;
}

RETRO_API void retro_cheat_reset(void) {}

RETRO_API void retro_cheat_set(unsigned, bool, const char*) {}

RETRO_API void* retro_get_memory_data(unsigned) {
    return nullptr;
}

RETRO_API size_t retro_get_memory_size(unsigned) {
    return 0;
}

} // extern "C"
