// z80home._machine: the machine for Python, driven by its own time. The
// module holds the emulator's objects and runs them on the caller's thread
// with no thread of its own, as the libretro core does: between two calls
// nothing runs, and a run ends at the machine cycle the caller asked for
// (SetStopCycle), or at the end of the first slice at which a condition
// holds (SetStopText, or the prompt). The package's __init__.py wraps these
// functions in the Machine class, its documentation and its exceptions.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>
#include <winshim_host.h>

#include "bus/bus.h"
#include "core/builtin_roms.h"
#include "core/machine.h"
#include "core/run_control.h"
#include "core/z80home.h"
#include "devices/beeper.h"
#include "host/host_input.h"
#include "plus/z80home_plus.h"
#include "record/z80home_record.h"
#include "state/machine_state.h"
#include "video/screen.h"
#include "z80/z80.h"

namespace py = pybind11;

namespace {

// A run checks for Ctrl+C once in this many steps (a few ms of host time).
constexpr int kStepsBetweenSignalChecks = 64;

struct PyMachine {
    HWND window = nullptr;
    bool open = false;
    // The sound, when asked for: the samples of the ticks run since they
    // were last taken.
    bool sound = false;
    uint64_t soundTicks = 0;
    std::vector<int16_t> samples;
};

PyMachine pm;

// After each step: the samples of each tick it completed, 88 or 89 of them
// (44,100 a second over 500 ticks), when they are kept. A beep that starts
// and stops within a tick is heard for the tick.
void PySoundFollow(void) {
    BeepMixFollow();
    uint64_t ticks = Get(machine.ticksRun);
    if (!pm.sound) pm.soundTicks = ticks;
    constexpr uint64_t kTicksPerSecond = 1000 / (kShortestSliceMs / kTicksPerSlice);
    for (; pm.soundTicks < ticks; pm.soundTicks++) {
        uint64_t from = pm.soundTicks * kBeepRate / kTicksPerSecond;
        uint64_t to = (pm.soundTicks + 1) * kBeepRate / kTicksPerSecond;
        size_t at = pm.samples.size();
        pm.samples.resize(at + (to - from));
        BeepMixSamples(pm.samples.data() + at, static_cast<uint32_t>(to - from));
    }
}

std::string PyScreenText(void) {
    std::string text(static_cast<size_t>(GetScreenText(nullptr, 0)) + 1, '\0');
    text.resize(static_cast<size_t>(GetScreenText(text.data(), static_cast<int>(text.size()))));
    return text;
}

// The machine as it stands at the prompt: "Ok" alone on the row above the
// cursor, the cursor at the start of its row, and nothing pasted left to
// type.
bool PyAtPrompt(void) {
    int row = Get(machine.cursorY);
    if (Get(machine.pasteLeft) != 0 || Get(machine.cursorX) != 0 || row < 1) return false;
    std::string text = PyScreenText();
    size_t start = 0;
    for (int r = 0; r < row - 1 && start != std::string::npos; r++) {
        start = text.find('\n', start);
        if (start != std::string::npos) start++;
    }
    return start != std::string::npos && text.compare(start, 3, "Ok\n") == 0;
}

// Runs until a stop: the cycle limit, or the slice-end condition set before
// the call, which is cleared however the run ends (Ctrl+C included). The
// machine pauses itself at a stop; it is let go here so that the beeper
// sounds while it runs.
void PyRunToStop(uint64_t limit) {
    struct Condition {
        ~Condition() {
            SetStopText(nullptr);
            SetStopCycle(kNoStopCycle);
        }
    } clearedAtTheEnd;
    SetStopCycle(limit);
    RunControlSetPaused(false);
    for (int steps = 1; !GetStopReached(); steps++) {
        CpuRunSliceUpTo(RunControlTickCycles());
        PySoundFollow();
        if (steps % kStepsBetweenSignalChecks == 0 && PyErr_CheckSignals() != 0) {
            RunControlSetPaused(true);
            throw py::error_already_set();
        }
    }
}

void PyOpen(py::object basicRom, py::object fontRom, bool sound) {
    if (pm.open) throw std::runtime_error("the machine is open already");
    // The tone goes to the samples, never to an audio device.
    beepOutput = BeepMixOutput;
    if (!pm.window) {
        HWND window = ShimCreateWindow(kFrameWidth, kFrameHeight);
        if (!window || !MachineStart(window, GetDC(window)))
            throw std::runtime_error("no frame could be had for the machine");
        pm.window = window;
    } else {
        MachinePowerOn();
    }
    auto load = [](py::object image, uint8_t* rom, const uint8_t* builtin, size_t size) {
        std::memset(rom, 0, size);
        if (image.is_none()) {
            std::memcpy(rom, builtin, size);
        } else {
            std::string bytes = image.cast<std::string>();
            std::memcpy(rom, bytes.data(), std::min(size, bytes.size()));
        }
    };
    load(basicRom, machine.basicRom, kBuiltinBasicRom, kBasicRomSize);
    load(fontRom, machine.fontRom, kBuiltinFontRom, kFontRomSize);
    RunControlSetPaused(true);
    pm.sound = sound;
    pm.samples.clear();
    BeepMixReset();
    pm.soundTicks = Get(machine.ticksRun);
    pm.open = true;
}

void PyClose(void) {
    if (!pm.open) return;
    if (GetRecording()) StopRecording();
    SetStopText(nullptr);
    CancelPaste();
    pm.open = false;
}

py::dict PyRegisters(void) {
    Z80Regs r;
    Z80GetRegs(&r);
    py::dict d;
    for (auto [name, value] :
         std::initializer_list<std::pair<const char*, int>>{{"af", r.af},
                                                            {"bc", r.bc},
                                                            {"de", r.de},
                                                            {"hl", r.hl},
                                                            {"af_", r.af2},
                                                            {"bc_", r.bc2},
                                                            {"de_", r.de2},
                                                            {"hl_", r.hl2},
                                                            {"ix", r.ix},
                                                            {"iy", r.iy},
                                                            {"sp", r.sp},
                                                            {"pc", r.pc},
                                                            {"i", r.i},
                                                            {"r", r.r},
                                                            {"iff1", r.iff1},
                                                            {"iff2", r.iff2},
                                                            {"im", r.im},
                                                            {"halted", r.halted}})
        d[name] = value;
    return d;
}

// Each register by its name in PyRegisters, with its width.
void PySetRegisters(const std::map<std::string, int>& values) {
    Z80Regs r;
    Z80GetRegs(&r);
    const std::map<std::string, std::pair<void*, int>> fields = {
        {"af", {&r.af, 16}},    {"bc", {&r.bc, 16}},   {"de", {&r.de, 16}},
        {"hl", {&r.hl, 16}},    {"af_", {&r.af2, 16}}, {"bc_", {&r.bc2, 16}},
        {"de_", {&r.de2, 16}},  {"hl_", {&r.hl2, 16}}, {"ix", {&r.ix, 16}},
        {"iy", {&r.iy, 16}},    {"sp", {&r.sp, 16}},   {"pc", {&r.pc, 16}},
        {"i", {&r.i, 8}},       {"r", {&r.r, 8}},      {"iff1", {&r.iff1, 1}},
        {"iff2", {&r.iff2, 1}}, {"im", {&r.im, 2}},    {"halted", {&r.halted, 1}}};
    for (const auto& [name, value] : values) {
        auto field = fields.find(name);
        if (field == fields.end()) throw py::key_error("no register named " + name);
        auto [place, bits] = field->second;
        if (value < 0 || value >= (1 << bits) || (name == "im" && value > 2))
            throw py::value_error(name + " takes 0 to " +
                                  std::to_string(name == "im" ? 2 : (1 << bits) - 1) + ", not " +
                                  std::to_string(value));
        if (bits == 16)
            *static_cast<unsigned short*>(place) = static_cast<unsigned short>(value);
        else
            *static_cast<unsigned char*>(place) = static_cast<unsigned char>(value);
    }
    Z80SetRegs(&r);
}

py::dict PyPorts(void) {
    py::dict d;
    d["columns80"] = Get(machine.columns80);
    d["rows25"] = Get(machine.rows25);
    d["mono"] = Get(machine.monoMode);
    d["background"] = Get(machine.bgColor);
    d["display_on"] = Get(machine.displayOn);
    d["beep_on"] = Get(machine.beepOn);
    d["interrupt_mask"] = Get(machine.interruptMask);
    d["ram_select"] = Get(machine.ramSelect);
    d["pcg_enabled"] = Get(machine.pcgEnabled);
    d["cursor"] = py::make_tuple(Get(machine.cursorX), Get(machine.cursorY));
    py::list matrix, addresses, counts;
    for (auto& row : machine.keyMatrix)
        matrix.append(Get(row));
    for (int channel = 0; channel < 4; channel++) {
        addresses.append(Get(machine.dmaAddress[channel]));
        counts.append(Get(machine.dmaCount[channel]));
    }
    d["key_matrix"] = matrix;
    d["dma_address"] = addresses;
    d["dma_count"] = counts;
    return d;
}

// The frame as DrawScreen leaves it, rows of RGB bytes.
py::array_t<uint8_t> PyFrame(void) {
    DrawScreen();
    py::array_t<uint8_t> out({kFrameHeight, kFrameWidth, 3});
    uint8_t* to = out.mutable_data();
    for (int i = 0; i < kFrameWidth * kFrameHeight; i++) {
        uint32_t pixel = machine.framePixels[i];
        *to++ = static_cast<uint8_t>(pixel >> 16);
        *to++ = static_cast<uint8_t>(pixel >> 8);
        *to++ = static_cast<uint8_t>(pixel);
    }
    return out;
}

// A key by its script name (RETURN, F1, ...) or a character it types, with
// the SHIFT that character takes.
std::pair<int, bool> PyKey(const std::string& key) {
    uint8_t virtualKey = 0;
    bool shift = false;
    if (key.size() == 1 && HostCharKey(key[0], &virtualKey, &shift)) return {virtualKey, shift};
    if (key.size() > 1 && HostKeyByName(key, &virtualKey)) return {virtualKey, false};
    throw py::value_error("no key named \"" + key + "\"");
}

} // namespace

PYBIND11_MODULE(_machine, m) {
    m.doc() = "The machine's functions; z80home.Machine is their interface.";
    m.def("open", &PyOpen);
    m.def("close", &PyClose);
    m.def("is_open", [] { return pm.open; });
    m.def("cycles", [] { return GetCycles(); });
    m.def("ticks", [] { return Get(machine.ticksRun); });
    m.def("cycles_per_ms", [] {
        return static_cast<double>(Get(machine.displayOn) ? kSliceBudgetDisplayOn
                                                          : kSliceBudgetDisplayOff) /
               kShortestSliceMs;
    });
    m.def("run_to", [](uint64_t cycle) { PyRunToStop(cycle); });
    m.def("run_until_text", [](const std::string& text, uint64_t limit) {
        SetStopText(text.c_str());
        PyRunToStop(limit);
        return Get(machine.pasteLeft) == 0 && PyScreenText().find(text) != std::string::npos;
    });
    m.def("run_until_prompt", [](uint64_t limit) {
        Put(machine.stopReached, 0);
        Put(machineSliceEndHook, PyAtPrompt);
        PyRunToStop(limit);
        return PyAtPrompt();
    });
    m.def("paste", [](const std::string& text) { return PasteText(text.c_str()); });
    m.def("paste_left", [] { return GetPasteLeft(); });
    m.def("cancel_paste", [] { CancelPaste(); });
    m.def("key", &PyKey);
    m.def("send_key", [](int virtualKey, bool down, bool shift, bool control) {
        SendKey(static_cast<uint32_t>(virtualKey), down ? 1 : 0,
                static_cast<unsigned char>((shift ? kKeyShift : 0) | (control ? kKeyControl : 0)));
    });
    // The light pen: the mouse's left button on the 640 by 480 picture.
    m.def("pen", [](bool down, bool held, int x, int y) {
        CtlEmulator(!down  ? WM_LBUTTONUP
                    : held ? WM_MOUSEMOVE
                           : WM_LBUTTONDOWN,
                    0, HostMouseLParam(x, y));
    });
    m.def("screen_text", &PyScreenText);
    m.def("frame", &PyFrame);
    m.def("registers", &PyRegisters);
    m.def("set_registers", &PySetRegisters);
    m.def("peek", [](int address, int length) {
        std::string bytes;
        for (int i = 0; i < length; i++)
            bytes += static_cast<char>(BusPeek((address + i) & 0xFFFF));
        return py::bytes(bytes);
    });
    m.def("poke", [](int address, const std::string& bytes) {
        for (size_t i = 0; i < bytes.size(); i++)
            BusDecode(static_cast<int>((address + i) & 0xFFFF), static_cast<uint8_t>(bytes[i]),
                      MemWrite);
    });
    m.def("ports", &PyPorts);
    m.def("take_sound", [] {
        py::array_t<int16_t> out(static_cast<py::ssize_t>(pm.samples.size()));
        std::copy(pm.samples.begin(), pm.samples.end(), out.mutable_data());
        pm.samples.clear();
        return out;
    });
    m.def("sound_rate", [] { return kBeepRate; });
    m.def("sound_kept", [] { return pm.sound; });
    m.def("reset", [] { ResetEmu(); });
    m.def("set_green", [](bool on) { SetGreenDisplay(on ? 1 : 0); });
    m.def("green", [] { return GetGreenDisplay() != 0; });
    m.def("set_pcg", [](bool on) { SetPCG(on ? 1 : 0); });
    m.def("pcg", [] { return GetPCG() != 0; });
    // False when the name is refused (too long to keep whole).
    m.def("set_tape", [](const std::string& path) {
        SetCMTFile(path.c_str());
        return path == GetCMTFile();
    });
    m.def("tape", [] { return std::string(GetCMTFile()); });
    m.def("save_state", [](const std::string& path) { return SaveState(path.c_str()); });
    m.def("load_state", [](const std::string& path) { return LoadState(path.c_str()); });
    m.def("state_message", [](int code) { return std::string(GetStateMessage(code)); });
    m.def("start_recording", [](const std::string& path) { return StartRecording(path.c_str()); });
    m.def("stop_recording", [] { return StopRecording(); });
    m.def("recording", [] { return GetRecording() != 0; });
    m.def("replay", [](const std::string& path) { return ReplayRecording(path.c_str()); });
    m.def("replay_end", [] { return GetReplayEnd(); });
    m.def("recording_message", [](int code) { return std::string(GetRecordingMessage(code)); });
}
