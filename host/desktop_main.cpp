// z80home: the machine in a resizable desktop window. The picture keeps its
// 4:3 shape, centred between black bars. The emulator's window is a shim
// window the size of that picture; the host forwards WM_PAINT, so the
// emulator presents a frame only when the picture changed, and only then is
// the window drawn again (host/desktop_view.h). Keys travel to the machine
// as Windows virtual-key codes by their position on the keyboard, and the
// left mouse button plays the light pen. Keys the machine does not have (F6
// to F12, Page Down) and a few chords (Ctrl+Shift+V/C/S/L/H, Alt+Enter) work
// the host; kDesktopHelp lists them, over the running picture. What a host
// key did, and a SAVE that did not reach the tape, show in a line at the
// picture's foot for a few seconds as well as in the terminal. A file named
// on the command line or dropped on the window is typed in when it is a
// BASIC listing, becomes the tape when it is not text, and is loaded when it
// is a .state file (host/host_start.h's HostOpenFile). With --debug the
// terminal it was started from is the debugger's console.
#include <SDL.h>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>
#include <winshim_host.h>

#include "host/desktop_view.h"
#include "host/emu_library.h"
#include "host/host_debug.h"
#include "host/host_input.h"
#include "host/host_options.h"
#include "host/host_start.h"
#include "host/png_writer.h"

constexpr int kDesktopWidth = 640;
constexpr int kDesktopHeight = 480;
// How often the host looks whether saved bytes failed to reach the tape
// when nothing else wakes it, and whether the machine is ready for a paste
// or a listing that waits.
constexpr int kDesktopTapeCheckMs = 500;
constexpr int kDesktopTypingCheckMs = 50;

// The host's keys and the machine's, as the help over the picture
// (Ctrl+Shift+H) shows them: 30 lines of at most 78 characters.
static const char kDesktopHelp[] =
    "z80home keys                                        (any key closes this help)\n"
    "\n"
    "The host's keys\n"
    "  F6            pause / resume\n"
    "  F7            run one slice (16 ms) while paused\n"
    "  F8            warp on / off;  Page Down: warp while held\n"
    "  Page Up       rewind while held (up to 30 s of the machine's time)\n"
    "  F9            reset (RAM and the tape stay)\n"
    "  F10, F11      green monitor, character generator\n"
    "  F12           screenshot (PNG, in the folder z80home started in)\n"
    "  Ctrl+Shift+S  quick save of the state to z80home-quick.state;  +L loads it\n"
    "  Ctrl+Shift+V  type the clipboard's text;  +C copies the screen's text\n"
    "  Ctrl+Shift+R  start / stop recording the input (z80home-N.rec)\n"
    "  Alt+Enter     full screen\n"
    "  Ctrl+Shift+H  this help\n"
    "  Break, Ctrl+Shift+B   break into the debugger (with --debug)\n"
    "  Drop a file on the window: a listing is typed, a tape chosen, a state loaded\n"
    "\n"
    "The machine's keys\n"
    "  STOP          End\n"
    "  GRPH          Alt (left or right), or the Menu key\n"
    "  KANA          the Japanese keyboard's No-convert key\n"
    "  F1 to F5      F1 to F5 (F1 shares its place with TAB)\n"
    "  HOME, CLR     Home, Shift+Home\n"
    "  DEL           Delete or the keypad's point;  Backspace is BS\n"
    "  cursor keys   the arrow keys\n"
    "  ESC TAB RETURN SPACE CTRL SHIFT, the keypad: the same keys\n"
    "  \\ by SHIFT    the ISO and Japanese keyboards' key there\n"
    "  Every other key by its place on the keyboard, with US legends. A letter\n"
    "  alone types a capital, with SHIFT a small letter, as on the machine.";

struct Desktop {
    EmuLibrary emu;
    HWND shim;
    SDL_Window* window;
    DesktopView view;
    std::vector<uint32_t> pixels; // the window's picture for screenshots
    Uint32 presentEvent;          // pushed when the emulator has presented a frame
    SDL_atomic_t wakeSent;        // one such event waits in the queue
    bool held[256];
    bool dragging;
    std::string tape;
    std::string tapeProblem; // why nothing can be written to the tape, or empty
    uint32_t tapeFailures;   // the failed SAVEs reported so far
    bool tapeFailed;         // one since the tape was chosen
    std::string startFolder; // where F12 screenshots go
    bool warpToggled, warpHeld;
    bool rewinding, pausedBeforeRewind;
    Uint32 rewoundAt;      // SDL_GetTicks of the last step back
    std::string recording; // the file being recorded, or empty
    bool fullscreen;
    std::atomic<bool> debug; // Break and Ctrl+C break in
    bool run;                // a listing is followed by RUN
    bool listingWaits;       // a listing waits for BASIC's prompt
    bool pasteDue;           // --paste's text waits for the machine to boot
    std::string paste, pasteName;
};

// Ctrl+C in the debugger's console breaks into the machine.
static decltype(&::DebuggerBreak) desktopBreak;

static void DesktopInterrupt(int) {
    desktopBreak();
}

// One line from the console, however long: Windows hands a line longer
// than the buffer on over several reads. False at the end of the input.
static bool DesktopReadLine(std::string& line) {
    line.clear();
    while (line.empty() || line.back() != '\n') {
        char buffer[512];
        DWORD got = 0;
        if (!ReadConsoleA(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, nullptr) ||
            got == 0)
            return false;
        line.append(buffer, got);
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return true;
}

// The debugger's console: a command line at a time, with the console's
// editing and history; an empty line repeats the last command. A command
// that resumes the machine waits for its next stop. At the end of the
// input (Ctrl+D) the console is left and the machine runs on, its points
// deleted, as nothing could resume it from another stop; Break and Ctrl+C
// no longer break in.
static void DesktopConsole(Desktop* desktop) {
    EmuLibrary* emu = &desktop->emu;
    printf("z80home debugger: 'help' lists the commands, 'q' quits; Break or Ctrl+Shift+B in\n"
           "the window, or Ctrl+C here, breaks in.\n");
    fputs(HostDebugWaitStop(*emu, 5000).c_str(), stdout);
    std::string line, last;
    for (;;) {
        printf("debug> ");
        fflush(stdout);
        if (!DesktopReadLine(line)) {
            desktop->debug = false;
            std::signal(SIGINT, SIG_DFL);
            for (const char* command : {"del", "bi off", "bh off", "c"})
                HostDebugCommand(*emu, command);
            printf("\nend of input: the debugger is left and the machine runs on\n");
            fflush(stdout);
            return;
        }
        if (line.empty()) line = last;
        last = line;
        if (line == "q") {
            SDL_Event quit{};
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
            return;
        }
        std::string text = HostDebugCommand(*emu, line);
        fputs(text.c_str(), stdout);
        if (!HostDebugResumes(line) || text.rfind("error:", 0) == 0) continue;
        // A point's hits may come before the stop.
        for (std::string report; !HostDebugIsStop(report);) {
            report = HostDebugWaitStop(*emu, 1000);
            fputs(report.c_str(), stdout);
            fflush(stdout);
        }
    }
}

// The virtual-key code Windows gives the key at this position on a US or
// Japanese keyboard; 0 for a key with none the machine could use.
static uint8_t DesktopVirtualKey(SDL_Scancode code) {
    if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z)
        return static_cast<uint8_t>('A' + (code - SDL_SCANCODE_A));
    if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9)
        return static_cast<uint8_t>('1' + (code - SDL_SCANCODE_1));
    if (code >= SDL_SCANCODE_KP_1 && code <= SDL_SCANCODE_KP_9)
        return static_cast<uint8_t>(VK_NUMPAD1 + (code - SDL_SCANCODE_KP_1));
    if (code >= SDL_SCANCODE_F1 && code <= SDL_SCANCODE_F12)
        return static_cast<uint8_t>(VK_F1 + (code - SDL_SCANCODE_F1));
    switch (code) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_KP_0: return VK_NUMPAD0;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_MINUS: return VK_OEM_MINUS;
    case SDL_SCANCODE_EQUALS: return VK_OEM_PLUS;
    case SDL_SCANCODE_LEFTBRACKET: return VK_OEM_4;
    case SDL_SCANCODE_RIGHTBRACKET: return VK_OEM_6;
    case SDL_SCANCODE_BACKSLASH:
    case SDL_SCANCODE_NONUSHASH:
    case SDL_SCANCODE_INTERNATIONAL3: return VK_OEM_5;
    case SDL_SCANCODE_SEMICOLON: return VK_OEM_1;
    case SDL_SCANCODE_APOSTROPHE: return VK_OEM_7;
    case SDL_SCANCODE_GRAVE: return VK_OEM_3;
    case SDL_SCANCODE_COMMA: return VK_OEM_COMMA;
    case SDL_SCANCODE_PERIOD: return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH: return VK_OEM_2;
    case SDL_SCANCODE_NONUSBACKSLASH:
    case SDL_SCANCODE_INTERNATIONAL1: return VK_OEM_102;
    case SDL_SCANCODE_INTERNATIONAL5: return VK_NONCONVERT;
    case SDL_SCANCODE_HOME: return VK_HOME;
    case SDL_SCANCODE_END: return VK_END;
    case SDL_SCANCODE_DELETE: return VK_DELETE;
    case SDL_SCANCODE_UP: return VK_UP;
    case SDL_SCANCODE_DOWN: return VK_DOWN;
    case SDL_SCANCODE_LEFT: return VK_LEFT;
    case SDL_SCANCODE_RIGHT: return VK_RIGHT;
    case SDL_SCANCODE_KP_MULTIPLY: return VK_MULTIPLY;
    case SDL_SCANCODE_KP_PLUS: return VK_ADD;
    case SDL_SCANCODE_KP_COMMA: return VK_SEPARATOR;
    case SDL_SCANCODE_KP_MINUS: return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PERIOD: return VK_DECIMAL;
    case SDL_SCANCODE_KP_DIVIDE: return VK_DIVIDE;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT: return VK_SHIFT;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return VK_CONTROL;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT: return VK_MENU;
    case SDL_SCANCODE_APPLICATION: return VK_APPS;
    default: return 0;
    }
}

static void DesktopTitle(Desktop& desktop) {
    EmuLibrary& emu = desktop.emu;
    std::string title = "z80home";
    if (emu.plus && emu.GetPaused()) title += " - paused";
    if (emu.plus && emu.GetWarp()) title += " - warp";
    if (desktop.rewinding) title += " - rewinding";
    if (!desktop.recording.empty()) title += " - recording";
    if (emu.plus && emu.GetReplayEnd()) title += " - replaying";
    if (emu.GetGreenDisplay()) title += " - green";
    if (emu.GetPCG()) title += " - PCG";
    if (!desktop.tape.empty()) {
        // Quoted: a tape named "full" is not a full tape.
        title += " - tape \"" + std::filesystem::path(desktop.tape).filename().string() + "\"";
        if (!desktop.tapeProblem.empty()) title += " (cannot be written)";
    }
    if (desktop.tapeFailed) title += " - a SAVE failed";
    SDL_SetWindowTitle(desktop.window, title.c_str());
}

// Tells the user what a host key did, or why it did not: in the terminal
// (standard error for a failure) and at the foot of the picture.
static void DesktopSay(Desktop& desktop, const std::string& message, bool failure = false) {
    fprintf(failure ? stderr : stdout, "z80home: %s\n", message.c_str());
    fflush(failure ? stderr : stdout);
    DesktopViewSay(desktop.view, message, SDL_GetTicks());
}

// Says so for each SAVE whose bytes did not reach the tape.
static void DesktopCheckTape(Desktop& desktop) {
    std::vector<std::string> reports =
        HostTapeWriteReport(desktop.emu, desktop.tape, desktop.tapeFailures);
    if (reports.empty()) return;
    desktop.tapeFailed = true;
    for (const std::string& report : reports)
        DesktopSay(desktop, report, true);
    DesktopTitle(desktop);
}

// Chooses the tape and says when nothing could be written to it.
static void DesktopSetTape(Desktop& desktop, const std::string& name) {
    DesktopCheckTape(desktop);
    desktop.tape = name;
    desktop.tapeProblem = HostTapeProblem(name);
    desktop.tapeFailed = false;
    desktop.emu.SetCMTFile(name.c_str());
    if (desktop.tapeProblem.empty())
        DesktopSay(desktop, "tape " + name);
    else
        DesktopSay(desktop, "nothing can be saved to the tape " + name + ": " + desktop.tapeProblem,
                   true);
}

// Copies the shim window's client area into desktop.pixels; false while it
// is empty (a minimised window).
static bool DesktopReadPicture(Desktop& desktop, int* width, int* height) {
    for (;;) {
        int copied = ShimReadWindow(desktop.shim, desktop.pixels.data(),
                                    static_cast<int>(desktop.pixels.size()), width, height);
        if (*width <= 0 || *height <= 0) return false;
        if (copied > 0) return true;
        desktop.pixels.resize(static_cast<size_t>(*width) * static_cast<size_t>(*height));
    }
}

// The first of z80home-1, z80home-2 ... with the extension given that does
// not exist yet in the folder the host was started in.
static std::filesystem::path DesktopNewFile(const Desktop& desktop, const char* extension) {
    namespace fs = std::filesystem;
    std::error_code failed;
    fs::path path;
    for (int n = 1;; n++) {
        path = fs::path(desktop.startFolder) / ("z80home-" + std::to_string(n) + extension);
        if (!fs::exists(path, failed)) return path;
    }
}

static void DesktopScreenshot(Desktop& desktop) {
    int width = 0, height = 0;
    if (!DesktopReadPicture(desktop, &width, &height)) {
        DesktopSay(desktop, "no picture to take a screenshot of", true);
        return;
    }
    std::filesystem::path path = DesktopNewFile(desktop, ".png");
    std::string error;
    if (PngWrite(path.string(), desktop.pixels.data(), width, height, error))
        DesktopSay(desktop, "screenshot " + path.string());
    else
        DesktopSay(desktop, error, true);
}

static bool DesktopNeedsPlus(Desktop& desktop) {
    if (desktop.emu.plus) return true;
    DesktopSay(desktop, "that key needs the plus library, which did not load", true);
    return false;
}

static void DesktopPaste(Desktop& desktop) {
    char* text = SDL_GetClipboardText();
    if (!text || !*text) {
        DesktopSay(desktop, "the clipboard holds no text", true);
        SDL_free(text);
        return;
    }
    uint32_t overflow = desktop.emu.GetPasteOverflow();
    int skipped = desktop.emu.PasteText(text);
    SDL_free(text);
    uint32_t beyond = desktop.emu.GetPasteOverflow() - overflow;
    uint32_t noKey = static_cast<uint32_t>(skipped) - beyond;
    std::string message = "typing " + std::to_string(desktop.emu.GetPasteLeft()) + " characters";
    if (noKey) message += "; " + std::to_string(noKey) + " have no key";
    if (beyond)
        message += "; " + std::to_string(beyond) + " beyond the " + std::to_string(kPasteMostKeys) +
                   " that may wait are left out";
    DesktopSay(desktop, message, skipped != 0);
}

static void DesktopState(Desktop& desktop, bool save, const std::string& path) {
    int code = save ? desktop.emu.SaveState(path.c_str()) : desktop.emu.LoadState(path.c_str());
    if (code)
        DesktopSay(desktop, path + ": " + desktop.emu.GetStateMessage(code), true);
    else
        DesktopSay(desktop, std::string("state ") + (save ? "saved to " : "loaded from ") + path);
}

static std::string DesktopQuickState(const Desktop& desktop) {
    return (std::filesystem::path(desktop.startFolder) / "z80home-quick.state").string();
}

static void DesktopRecord(Desktop& desktop, const std::string& path) {
    EmuLibrary& emu = desktop.emu;
    int code = emu.StartRecording(path.c_str());
    if (code) {
        DesktopSay(desktop, path + ": " + emu.GetRecordingMessage(code), true);
        return;
    }
    desktop.recording = path;
    DesktopSay(desktop, "recording the input to " + path);
}

static void DesktopStopRecording(Desktop& desktop) {
    int code = desktop.emu.StopRecording();
    if (code)
        DesktopSay(desktop, desktop.recording + ": " + desktop.emu.GetRecordingMessage(code), true);
    else
        DesktopSay(desktop, "recording written to " + desktop.recording);
    desktop.recording.clear();
}

// Page Up held runs the machine back a tenth of a second of its time every
// kDesktopRewindStepMs; let go, the machine goes on from there (paused if
// it was paused before).
constexpr Uint32 kDesktopRewindStepMs = 40;
constexpr uint32_t kDesktopRewindSeconds = 30;

static void DesktopRewind(Desktop& desktop, bool held) {
    EmuLibrary& emu = desktop.emu;
    if (held == desktop.rewinding) return;
    desktop.rewinding = held;
    if (held) {
        desktop.pausedBeforeRewind = emu.GetPaused() != 0;
        desktop.rewoundAt = SDL_GetTicks() - kDesktopRewindStepMs;
        return;
    }
    if (!desktop.pausedBeforeRewind) emu.SetPaused(0);
    char left[64];
    snprintf(left, sizeof left, "rewound: %.1f s more can be rewound",
             emu.GetRewindDepth() / 1000.0);
    DesktopSay(desktop, left);
}

static void DesktopRewindStep(Desktop& desktop) {
    if (!desktop.rewinding || SDL_GetTicks() - desktop.rewoundAt < kDesktopRewindStepMs) return;
    desktop.rewoundAt = SDL_GetTicks();
    if (!desktop.emu.RewindStep()) DesktopSay(desktop, "nothing left to rewind");
}

static void DesktopCopy(Desktop& desktop) {
    std::string text(static_cast<size_t>(desktop.emu.GetScreenText(nullptr, 0)), '\0');
    desktop.emu.GetScreenText(text.data(), static_cast<int>(text.size()) + 1);
    if (SDL_SetClipboardText(text.c_str()) == 0)
        DesktopSay(desktop, "the screen's text is on the clipboard");
    else
        DesktopSay(desktop, std::string("cannot copy the screen's text: ") + SDL_GetError(), true);
}

// A chord's modifiers went to the machine before the chord was known: they
// are let go there, so none stays held or shifts what comes next.
static void DesktopReleaseChord(Desktop& desktop) {
    for (uint8_t modifier : HostChordModifiers(desktop.held))
        desktop.emu.CtlEmulator(WM_KEYUP, modifier, 0);
}

// A key or chord the host keeps for itself, pressed (down) or let go; true
// when it was one, so the machine never sees it.
static bool DesktopHotkey(Desktop& desktop, const SDL_KeyboardEvent& key) {
    EmuLibrary& emu = desktop.emu;
    SDL_Scancode code = key.keysym.scancode;
    bool down = key.type == SDL_KEYDOWN, first = down && !key.repeat;
    bool ctrlShift = (key.keysym.mod & KMOD_CTRL) && (key.keysym.mod & KMOD_SHIFT);
    bool enter = code == SDL_SCANCODE_RETURN || code == SDL_SCANCODE_KP_ENTER;
    if ((enter && (key.keysym.mod & KMOD_ALT)) || ctrlShift) DesktopReleaseChord(desktop);
    if (enter && (key.keysym.mod & KMOD_ALT)) {
        if (first) {
            desktop.fullscreen = !desktop.fullscreen;
            SDL_SetWindowFullscreen(desktop.window,
                                    desktop.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        }
        return true;
    }
    // Break, or Ctrl+Shift+B on keyboards without one, breaks into the
    // debugger.
    if (desktop.debug && (code == SDL_SCANCODE_PAUSE || (ctrlShift && code == SDL_SCANCODE_B))) {
        if (first) emu.DebuggerBreak();
        return true;
    }
    if (ctrlShift && (code == SDL_SCANCODE_V || code == SDL_SCANCODE_C || code == SDL_SCANCODE_H ||
                      code == SDL_SCANCODE_S || code == SDL_SCANCODE_L || code == SDL_SCANCODE_R)) {
        if (!first) return true;
        if (code == SDL_SCANCODE_H)
            DesktopViewShowHelp(desktop.view, !desktop.view.helpShown);
        else if (!DesktopNeedsPlus(desktop))
            return true;
        else if (code == SDL_SCANCODE_V)
            DesktopPaste(desktop);
        else if (code == SDL_SCANCODE_C)
            DesktopCopy(desktop);
        else if (code == SDL_SCANCODE_R && desktop.recording.empty())
            DesktopRecord(desktop, DesktopNewFile(desktop, ".rec").string());
        else if (code == SDL_SCANCODE_R)
            DesktopStopRecording(desktop);
        else
            DesktopState(desktop, code == SDL_SCANCODE_S, DesktopQuickState(desktop));
        DesktopTitle(desktop);
        return true;
    }
    if (code == SDL_SCANCODE_PAGEDOWN) {
        if (!key.repeat && DesktopNeedsPlus(desktop)) {
            desktop.warpHeld = down;
            emu.SetWarp(desktop.warpHeld || desktop.warpToggled ? 1 : 0);
        }
    } else if (code == SDL_SCANCODE_PAGEUP) {
        if (!key.repeat && DesktopNeedsPlus(desktop)) DesktopRewind(desktop, down);
    } else if (code >= SDL_SCANCODE_F6 && code <= SDL_SCANCODE_F12) {
        if (!first) return true;
        switch (code) {
        case SDL_SCANCODE_F6:
            if (DesktopNeedsPlus(desktop)) emu.SetPaused(emu.GetPaused() ? 0 : 1);
            break;
        case SDL_SCANCODE_F7:
            if (DesktopNeedsPlus(desktop)) emu.StepSlice();
            break;
        case SDL_SCANCODE_F8:
            if (DesktopNeedsPlus(desktop)) {
                desktop.warpToggled = !desktop.warpToggled;
                emu.SetWarp(desktop.warpHeld || desktop.warpToggled ? 1 : 0);
            }
            break;
        case SDL_SCANCODE_F9:
            // The reset clears the cassette's status; choosing the tape again
            // keeps SAVE in step with the title.
            emu.ResetEmu();
            if (!desktop.tape.empty()) emu.SetCMTFile(desktop.tape.c_str());
            break;
        case SDL_SCANCODE_F10: emu.SetGreenDisplay(emu.GetGreenDisplay() ? 0 : 1); break;
        case SDL_SCANCODE_F11: emu.SetPCG(emu.GetPCG() ? 0 : 1); break;
        default: DesktopScreenshot(desktop); break;
        }
    } else {
        return false;
    }
    DesktopTitle(desktop);
    return true;
}

static void DesktopKey(Desktop& desktop, const SDL_KeyboardEvent& key) {
    DesktopViewHelpKey(desktop.view, key);
    if (DesktopHotkey(desktop, key)) return;
    bool down = key.type == SDL_KEYDOWN;
    uint8_t virtualKey = DesktopVirtualKey(key.keysym.scancode);
    if (!virtualKey) return;
    desktop.held[virtualKey] = down;
    // The key goes with the SHIFT and CTRL it was typed with, as one change.
    EmuLibrary& emu = desktop.emu;
    if (emu.plus)
        emu.SendKey(virtualKey, down ? 1 : 0,
                    static_cast<unsigned char>((key.keysym.mod & KMOD_SHIFT ? kKeyShift : 0) |
                                               (key.keysym.mod & KMOD_CTRL ? kKeyControl : 0)));
    else
        emu.CtlEmulator(down ? WM_KEYDOWN : WM_KEYUP, virtualKey, 0);
}

// Keys and the button let go while another window has the focus never send
// their release here; release them all, so none sticks on the machine.
static void DesktopReleaseAll(Desktop& desktop) {
    for (int virtualKey = 0; virtualKey < 256; virtualKey++) {
        if (!desktop.held[virtualKey]) continue;
        desktop.held[virtualKey] = false;
        desktop.emu.CtlEmulator(WM_KEYUP, static_cast<uint32_t>(virtualKey), 0);
    }
    if (desktop.dragging) desktop.emu.CtlEmulator(WM_LBUTTONUP, 0, 0);
    desktop.dragging = false;
}

// A file dropped on the window or named on the command line.
static void DesktopOpen(Desktop& desktop, const std::string& name) {
    std::string message;
    switch (HostOpenFile(desktop.emu, name, desktop.run, message)) {
    case HostFileUse::kState: DesktopState(desktop, false, name); break;
    case HostFileUse::kListing:
        desktop.listingWaits = true;
        DesktopSay(desktop, message);
        break;
    case HostFileUse::kRefused: DesktopSay(desktop, message, true); break;
    case HostFileUse::kTape:
        if (name.size() > kCmtFileNameLongest)
            DesktopSay(desktop, "the name of " + name + " is too long for a tape", true);
        else
            DesktopSetTape(desktop, name);
        break;
    }
    DesktopTitle(desktop);
}

// Hands --paste's text to the machine once it has booted, and a listing to
// the paste once BASIC is at its prompt.
static void DesktopTyping(Desktop& desktop) {
    if (desktop.pasteDue && desktop.emu.GetCycles() >= kHostBootCycles) {
        desktop.pasteDue = false;
        std::string report = HostPaste(desktop.emu, desktop.paste, desktop.pasteName);
        if (!report.empty()) DesktopSay(desktop, report, true);
    }
    if (desktop.listingWaits) desktop.listingWaits = desktop.emu.PollListing();
}

// Handles one event; false when the window was closed.
static bool DesktopEvent(Desktop& desktop, const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT: return false;
    case SDL_KEYDOWN:
    case SDL_KEYUP: DesktopKey(desktop, event.key); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT) {
            desktop.dragging = event.type == SDL_MOUSEBUTTONDOWN;
            desktop.emu.CtlEmulator(desktop.dragging ? WM_LBUTTONDOWN : WM_LBUTTONUP, 0,
                                    HostMouseLParam(event.button.x - desktop.view.picture.x,
                                                    event.button.y - desktop.view.picture.y));
        }
        break;
    case SDL_MOUSEMOTION:
        desktop.emu.CtlEmulator(WM_MOUSEMOVE, 0,
                                HostMouseLParam(event.motion.x - desktop.view.picture.x,
                                                event.motion.y - desktop.view.picture.y));
        break;
    case SDL_DROPFILE:
        DesktopOpen(desktop, event.drop.file);
        SDL_free(event.drop.file);
        break;
    case SDL_WINDOWEVENT:
        DesktopViewWindowEvent(desktop.view, event.window);
        // The emulator repaints the cleared shim window, which screenshots read.
        if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            desktop.emu.CtlEmulator(WM_PAINT, 0, 0);
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) DesktopReleaseAll(desktop);
        break;
    default: break;
    }
    return true;
}

// Wakes the event loop when the emulator presents a frame, so the loop
// sleeps until there is a picture to show or an event to handle.
static int DesktopWaitPresents(void* data) {
    Desktop& desktop = *static_cast<Desktop*>(data);
    unsigned seen = 0;
    for (;;) {
        seen = ShimWaitPresent(desktop.shim, seen, -1);
        if (SDL_AtomicSet(&desktop.wakeSent, 1) != 0) continue;
        SDL_Event wake{};
        wake.type = desktop.presentEvent;
        SDL_PushEvent(&wake);
    }
}

// The window's renderer, scaling dot for dot. An OpenGL that rasterises in
// software spends several times the CPU of SDL's own software renderer on
// the same picture, so that one takes over unless the user chose a driver.
static SDL_Renderer* DesktopRenderer(SDL_Window* window) {
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0);
    SDL_RendererInfo info;
    if (!renderer || SDL_GetHint(SDL_HINT_RENDER_DRIVER) ||
        SDL_GetRendererInfo(renderer, &info) != 0 || std::strncmp(info.name, "opengl", 6) != 0)
        return renderer;
    constexpr unsigned kGlRenderer = 0x1F01; // glGetString's GL_RENDERER
    auto glGetString = reinterpret_cast<const char* (*)(unsigned)>(
        reinterpret_cast<uintptr_t>(SDL_GL_GetProcAddress("glGetString")));
    const char* name = glGetString ? glGetString(kGlRenderer) : nullptr;
    if (!name) return renderer;
    static const char* const kSoftwareRasterisers[] = {"llvmpipe", "softpipe", "Software"};
    for (const char* software : kSoftwareRasterisers) {
        if (!std::strstr(name, software)) continue;
        SDL_DestroyRenderer(renderer);
        // The window's own pixels, not a texture behind yet another renderer.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        return SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    }
    return renderer;
}

// The machine's character set, for the overlay's text: font.rom in the ROM
// folder (the working folder by then), as long as the machine would take
// it; empty when it cannot be read.
static std::vector<uint8_t> DesktopFont(void) {
    std::ifstream file("font.rom", std::ios::binary);
    std::vector<uint8_t> font(kOverlayFontSize, 0);
    file.read(reinterpret_cast<char*>(font.data()), kOverlayFontSize);
    if (file.gcount() <= 0) font.clear();
    return font;
}

// Exit statuses: 1 a failure, 2 a bad command line, 3 no display to open a
// window on (a script can then run the headless host).
constexpr int kDesktopNoDisplay = 3;

static int DesktopFail(const std::string& message, int status = 1) {
    fprintf(stderr, "z80home: %s\n", message.c_str());
    return status;
}

static int DesktopRun(int argc, char** argv) {
    if (HostVersionAsked(argc, argv)) {
        printf("%s\n", HostVersionText("z80home").c_str());
        return 0;
    }
    // No display is told first, whatever the options: a script then runs
    // the headless host with the same ones, some of which only it takes.
    bool help = false;
    for (int i = 1; i < argc; i++)
        help = help || std::string(argv[i]) == "--help";
    if (!help) {
        const char* x11 = getenv("DISPLAY");
        const char* wayland = getenv("WAYLAND_DISPLAY");
        if ((!x11 || !*x11) && (!wayland || !*wayland))
            return DesktopFail("no display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                               "z80home-headless runs the machine without one",
                               kDesktopNoDisplay);
        if (SDL_Init(SDL_INIT_VIDEO) != 0)
            return DesktopFail(std::string("no display: ") + SDL_GetError() +
                                   "; z80home-headless runs the machine without one",
                               kDesktopNoDisplay);
    }
    HostOptions options;
    std::string error;
    if (!HostParseArgs(argc, argv, false, options, error)) {
        fprintf(stderr, "z80home: %s\n%s", error.c_str(), HostUsage(argv[0], false).c_str());
        return 2;
    }
    if (options.help) {
        printf("%s", HostUsage(argv[0], false).c_str());
        return 0;
    }
    // The file named is opened on the window, as a dropped one is, so that
    // what becomes of it shows there.
    std::string file = options.file.empty() ? "" : HostAbsolute(options.file);
    options.file.clear();
    // Never freed: the thread that waits for frames outlives this function.
    Desktop& desktop = *new Desktop{};
    std::error_code failed;
    desktop.startFolder = std::filesystem::current_path(failed).string();
    if (!HostStart(argv[0], options, desktop.emu, error)) return DesktopFail(error);
    if (!options.tape.empty()) DesktopSetTape(desktop, options.tape);
    if (!desktop.emu.plus)
        fprintf(stderr, "z80home: the plus library did not load; pause, warp, paste and copy "
                        "are off\n");
    desktop.debug = options.debug;
    desktop.run = !options.noRun;
    desktop.pasteName = options.paste;
    if (!options.paste.empty() && !HostReadFile(options.paste, desktop.paste, error))
        return DesktopFail(error);
    desktop.pasteDue = !options.paste.empty() && desktop.emu.plus;
    if (desktop.debug && !desktop.emu.debugger)
        return DesktopFail("the emulator library has no debugger");
    if (desktop.debug) HostDebugStart(desktop.emu, options);

    desktop.window = SDL_CreateWindow("z80home", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                      kDesktopWidth, kDesktopHeight, SDL_WINDOW_RESIZABLE);
    if (!desktop.window) return DesktopFail(std::string("cannot open a window: ") + SDL_GetError());
    desktop.view.renderer = DesktopRenderer(desktop.window);
    if (!desktop.view.renderer)
        return DesktopFail(std::string("cannot draw in the window: ") + SDL_GetError());
    int width, height;
    SDL_GetWindowSize(desktop.window, &width, &height);
    desktop.shim = ShimCreateWindow(width, height);
    if (!desktop.shim) return DesktopFail("cannot create the emulator's window");
    desktop.view.shim = desktop.shim;
    desktop.view.help = kDesktopHelp;
    desktop.view.font = DesktopFont();
    desktop.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    DesktopViewLayout(desktop.view, width, height);
    DesktopTitle(desktop);
    if (!desktop.emu.RunEmu(desktop.shim, GetDC(desktop.shim)))
        return DesktopFail("the emulator did not start");
    desktop.emu.CtlEmulator(WM_PAINT, 0, 0);
    if (!options.loadState.empty() && desktop.emu.plus)
        DesktopState(desktop, false, options.loadState);
    if (!file.empty()) DesktopOpen(desktop, file);
    if (options.warp && desktop.emu.plus) {
        desktop.warpToggled = true;
        desktop.emu.SetWarp(1);
    }
    if (desktop.emu.plus) {
        desktop.emu.SetSpeed(options.speed);
        desktop.emu.SetRewind(kDesktopRewindSeconds);
        if (!options.replay.empty()) {
            int code = desktop.emu.ReplayRecording(options.replay.c_str());
            if (code)
                return DesktopFail(options.replay + ": " + desktop.emu.GetRecordingMessage(code));
        }
        if (!options.record.empty()) DesktopRecord(desktop, options.record);
    } else if (!options.replay.empty() || !options.record.empty()) {
        return DesktopFail("--record and --replay need the plus library, which did not load");
    }
    DesktopTitle(desktop);
    if (desktop.debug) {
        desktopBreak = desktop.emu.DebuggerBreak;
        std::signal(SIGINT, DesktopInterrupt);
        std::thread(DesktopConsole, &desktop).detach();
    }

    desktop.presentEvent = SDL_RegisterEvents(1);
    if (desktop.presentEvent == static_cast<Uint32>(-1) ||
        !SDL_CreateThread(DesktopWaitPresents, "presents", &desktop))
        return DesktopFail(std::string("cannot wait for frames: ") + SDL_GetError());
    DesktopViewShow(desktop.view, SDL_GetTicks());
    // The loop sleeps until an event comes, a frame presented among them, a
    // message is due to go, or it is time to look at the tape again.
    for (;;) {
        int waitMs = DesktopViewWaitMs(desktop.view, SDL_GetTicks());
        int checkMs =
            desktop.listingWaits || desktop.pasteDue ? kDesktopTypingCheckMs : kDesktopTapeCheckMs;
        if (waitMs < 0 || waitMs > checkMs) waitMs = checkMs;
        if (desktop.rewinding) waitMs = std::min<int>(waitMs, kDesktopRewindStepMs);
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, waitMs)) {
            if (event.type == desktop.presentEvent)
                SDL_AtomicSet(&desktop.wakeSent, 0);
            else if (!DesktopEvent(desktop, event))
                break;
        }
        DesktopCheckTape(desktop);
        DesktopRewindStep(desktop);
        DesktopTyping(desktop);
        DesktopViewShow(desktop.view, SDL_GetTicks());
    }
    if (!desktop.recording.empty()) DesktopStopRecording(desktop);
    SDL_DestroyRenderer(desktop.view.renderer);
    SDL_DestroyWindow(desktop.window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return 0;
}

int main(int argc, char** argv) {
    int status = DesktopRun(argc, argv);
    fflush(stdout);
    fflush(stderr);
    // The emulator's threads never end; leave without running destructors
    // under them.
    std::quick_exit(status);
}
