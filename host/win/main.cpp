// z80home for Windows: a window whose client area the emulator draws on. The
// window's keys and mouse go to CtlEmulator; a menu (and F9, F10, F11) resets
// the machine, switches the green monitor and the character generator, and
// chooses the tape file. A file dropped on the window or named on the command
// line is typed in when it is a BASIC listing, loaded when it is a state, and
// becomes the tape otherwise (HostOpenFile). With the
// plus library the menu (and F6, F7, F8, Page Down held, Ctrl+Shift+V and
// Ctrl+Shift+C/S/L) also pauses, steps one slice, switches warp, types the
// clipboard's text, copies the screen's, and saves and loads the state.
// The emulator draws on a child window kept at 4:3 between black bars as
// the window is resized; Alt+Enter fills the screen.
//
// Given any of the test options (--run-ms, --type, --keys, --mouse,
// --screenshot) it runs as the headless host does, on its visible window:
// the scripted input is played in real time, the client area is written to
// a BMP or PNG file at the end of the run, and the program ends. With
// --debug-script or --break-at it runs the headless host's debugger session
// instead, printing to standard output.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <bitset>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "host/emu_library.h"
#include "host/host_debug.h"
#include "host/host_input.h"
#include "host/host_options.h"
#include "host/host_start.h"
#include "host/win/image.h"

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 480;

enum MenuCommand : UINT {
    kMenuReset = 1,
    kMenuGreen,
    kMenuPcg,
    kMenuTape,
    kMenuExit,
    kMenuPause,
    kMenuStep,
    kMenuWarp,
    kMenuPaste,
    kMenuCopy,
    kMenuQuickSave,
    kMenuQuickLoad,
};

static EmuLibrary emu;
static HMENU machineMenu, menuBar;
// The emulator draws on this child window, kept at 4:3 in the middle of the
// main window's black client area.
static HWND screen;
// The main window's place while it fills the screen (Alt+Enter).
static WINDOWPLACEMENT windowedPlace = {sizeof(WINDOWPLACEMENT), 0, 0, {}, {}, {}};
static bool fullScreen;
static bool scripted;
// Keys the emulator has been told are down, released when focus goes.
static std::bitset<256> keysDown;
// Warp as the menu or F8 set it, and while Page Down is held.
static bool warpToggled, warpHeld;
// The tape's failed writes reported so far, and whether one came since the
// tape was chosen.
static uint32_t tapeFailures;
static bool tapeFailed;
// Run or dropped: --no-run's choice, and a listing waiting for BASIC's prompt.
static bool listingRun = true, listingWaits;
// How often the window looks whether saved bytes failed to reach the tape.
constexpr UINT kTapeTimer = 1;
constexpr UINT kTapeCheckMs = 500;

static const char* const kTestOptions[] = {"--run-ms",       "--type",       "--keys",
                                           "--mouse",        "--screenshot", "--save-state",
                                           "--debug-script", "--break-at"};
// The headless host's scripted-run options this host does not take.
static const char* const kHeadlessOnly[] = {"--paste", "--screen-text", "--until-text",
                                            "--until-cycles", "--timeout"};
// Where the quick save goes: the folder the program was started in.
static std::string quickState;

static bool WinIsTestRun(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        for (const char* option : kTestOptions) {
            size_t n = std::strlen(option);
            if (std::strncmp(argv[i], option, n) == 0 && (argv[i][n] == 0 || argv[i][n] == '='))
                return true;
        }
    }
    return false;
}

static std::string WinUsage(const char* program) {
    return std::string("usage: ") + program + " [options] [FILE]\n" + kHostFileUsage +
           "  --rom-dir DIR       folder holding n80basic.rom and font.rom\n"
           "  --tape FILE         cassette file (saved bytes are appended, loads loop)\n"
           "  --green             green monochrome monitor\n"
           "  --pcg               programmable character generator on\n"
           "Test options (the program then ends after the run):\n"
           "  --run-ms N          run N ms in all (default: 2000, or 1000 past the input)\n"
           "  --type TEXT         type TEXT on the keyboard (a line break in TEXT is RETURN)\n"
           "  --keys SCRIPT       keys: text, {RETURN}, {F1}, {SHIFT down}, {wait 500}, ...\n"
           "  --mouse X,Y         click the light pen at client point X,Y (640x480)\n"
           "  --screenshot FILE   write the client area as FILE (.bmp or .png) at the end\n"
           "  --save-state FILE   save the machine's state to FILE at the end\n"
           "  --load-state FILE   start from a saved state (also without test options)\n"
           "  --warp              run as fast as the processor can\n"
           "  --debug-script F    run the debugger commands in F on the machine stopped at\n"
           "                      its first instruction, printing to standard output\n"
           "  --break-at ADDR     first run to ADDR and print the registers there\n"
           "Keys: F6 pause, F7 one slice while paused, F8 warp (Page Down: while held),\n"
           "F9 reset, F10 green monitor, F11 character generator, Ctrl+Shift+V paste,\n"
           "Ctrl+Shift+C copy the screen's text, Ctrl+Shift+S quick save,\n"
           "Ctrl+Shift+L quick load (z80home-quick.state), Alt+Enter full screen.\n"
           "  --version           the program's version\n"
           "  --help              this text\n";
}

// Messages go to stderr; an interactive run also shows them, as it may have
// been started without a console.
static void WinReport(const std::string& message, bool error) {
    std::fprintf(error ? stderr : stdout, "%s\n", message.c_str());
    std::fflush(error ? stderr : stdout);
    if (!scripted) MessageBoxA(nullptr, message.c_str(), "z80home", error ? MB_ICONERROR : MB_OK);
}

static void WinUpdateMenu(HWND window) {
    CheckMenuItem(machineMenu, kMenuGreen, emu.GetGreenDisplay() ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(machineMenu, kMenuPcg, emu.GetPCG() ? MF_CHECKED : MF_UNCHECKED);
    std::string title = "z80home";
    if (emu.plus) {
        CheckMenuItem(machineMenu, kMenuPause, emu.GetPaused() ? MF_CHECKED : MF_UNCHECKED);
        CheckMenuItem(machineMenu, kMenuWarp, emu.GetWarp() ? MF_CHECKED : MF_UNCHECKED);
        if (emu.GetPaused()) title += " - paused";
        if (emu.GetWarp()) title += " - warp";
    }
    const char* tape = emu.GetCMTFile();
    if (tape[0]) {
        title += std::string(" - tape ") + tape;
        if (!HostTapeProblem(tape).empty()) title += " (cannot be written)";
    }
    if (tapeFailed) title += " - a SAVE failed";
    SetWindowTextA(window, title.c_str());
}

// Says so for each SAVE whose bytes did not reach the tape: on
// standard error and in the title (a box would stop the window).
static void WinCheckTape(HWND window) {
    std::vector<std::string> reports = HostTapeWriteReport(emu, emu.GetCMTFile(), tapeFailures);
    if (reports.empty()) return;
    tapeFailed = true;
    for (const std::string& report : reports)
        std::fprintf(stderr, "z80home: %s\n", report.c_str());
    std::fflush(stderr);
    WinUpdateMenu(window);
}

// Chooses the tape; a failed SAVE no longer shows in the title.
static void WinSetTape(HWND window, const char* name) {
    WinCheckTape(window);
    emu.SetCMTFile(name);
    tapeFailed = false;
}

// The clipboard's text, typed on the machine's keyboard.
static void WinPaste(HWND window) {
    if (!OpenClipboard(window)) return;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* wide = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (wide) {
        int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        std::string text(size > 0 ? static_cast<size_t>(size) : 1, '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
        GlobalUnlock(data);
        emu.PasteText(text.c_str());
    }
    CloseClipboard();
}

// The screen's text onto the clipboard.
static void WinCopy(HWND window) {
    std::string text(static_cast<size_t>(emu.GetScreenText(nullptr, 0)), '\0');
    emu.GetScreenText(text.data(), static_cast<int>(text.size()) + 1);
    // Windows' text controls break lines at CR LF.
    std::string lines;
    for (char c : text)
        lines += c == '\n' ? std::string("\r\n") : std::string(1, c);
    int size = MultiByteToWideChar(CP_UTF8, 0, lines.c_str(), -1, nullptr, 0);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size) * sizeof(wchar_t));
    if (!memory) return;
    MultiByteToWideChar(CP_UTF8, 0, lines.c_str(), -1, static_cast<wchar_t*>(GlobalLock(memory)),
                        size);
    GlobalUnlock(memory);
    if (!OpenClipboard(window)) {
        GlobalFree(memory);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    CloseClipboard();
}

static void WinChooseTape(HWND window) {
    char name[kCmtFileNameLongest + 1] = {};
    std::strncpy(name, emu.GetCMTFile(), kCmtFileNameLongest);
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = window;
    dialog.lpstrFilter = "Tape files (*.cmt;*.cas)\0*.cmt;*.cas\0All files\0*.*\0";
    dialog.lpstrFile = name;
    dialog.nMaxFile = sizeof(name);
    dialog.lpstrTitle = "Choose the tape file";
    // A name that does not exist yet is a new tape to save onto.
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetOpenFileNameA(&dialog)) WinSetTape(window, name);
}

// Loads or saves a state; false, after saying why, when it was refused.
static bool WinState(bool save, const std::string& path) {
    int code = save ? emu.SaveState(path.c_str()) : emu.LoadState(path.c_str());
    if (code) WinReport("z80home: " + path + ": " + emu.GetStateMessage(code), true);
    return code == 0;
}

static void WinDrop(HWND window, HDROP drop) {
    char name[MAX_PATH];
    UINT length = DragQueryFileA(drop, 0, name, sizeof(name));
    DragFinish(drop);
    if (length == 0 || length >= sizeof(name)) return;
    std::string message;
    switch (HostOpenFile(emu, name, listingRun, message)) {
    case HostFileUse::kState: WinState(false, name); break;
    case HostFileUse::kListing: listingWaits = true; break;
    case HostFileUse::kRefused: WinReport("z80home: " + message, true); break;
    case HostFileUse::kTape:
        if (length <= kCmtFileNameLongest) WinSetTape(window, name);
        break;
    }
}

// Hands a waiting listing to the paste once BASIC is at its prompt.
static void WinPollListing(void) {
    if (listingWaits) listingWaits = emu.PollListing();
}

static void WinCommand(HWND window, UINT command) {
    switch (command) {
    case kMenuReset:
        // The reset clears the cassette's status; choosing the tape again
        // keeps SAVE in step with the title.
        {
            std::string tape = emu.GetCMTFile();
            emu.ResetEmu();
            if (!tape.empty()) emu.SetCMTFile(tape.c_str());
        }
        break;
    case kMenuGreen: emu.SetGreenDisplay(emu.GetGreenDisplay() ? 0 : 1); break;
    case kMenuPcg: emu.SetPCG(emu.GetPCG() ? 0 : 1); break;
    case kMenuTape: WinChooseTape(window); break;
    case kMenuExit: DestroyWindow(window); return;
    default:
        if (!emu.plus) return;
        switch (command) {
        case kMenuPause: emu.SetPaused(emu.GetPaused() ? 0 : 1); break;
        case kMenuStep: emu.StepSlice(); break;
        case kMenuWarp:
            warpToggled = !warpToggled;
            emu.SetWarp(warpToggled || warpHeld ? 1 : 0);
            break;
        case kMenuPaste: WinPaste(window); break;
        case kMenuCopy: WinCopy(window); break;
        case kMenuQuickSave: WinState(true, quickState); break;
        case kMenuQuickLoad: WinState(false, quickState); break;
        default: return;
        }
    }
    WinUpdateMenu(window);
}

// A key goes with the SHIFT and CTRL held as it was typed, as one change.
static void WinKey(UINT message, WPARAM virtualKey) {
    if (virtualKey >= keysDown.size()) return;
    bool down = message == WM_KEYDOWN;
    keysDown[virtualKey] = down;
    if (!emu.plus) {
        emu.CtlEmulator(message, static_cast<uint32_t>(virtualKey), 0);
        return;
    }
    unsigned char modifiers =
        static_cast<unsigned char>((GetKeyState(VK_SHIFT) < 0 ? kKeyShift : 0) |
                                   (GetKeyState(VK_CONTROL) < 0 ? kKeyControl : 0));
    emu.SendKey(static_cast<uint32_t>(virtualKey), down ? 1 : 0, modifiers);
}

// A chord's modifiers went to the machine before the chord was known: they
// are let go there, so none stays held or shifts what comes next.
static void WinReleaseChord(void) {
    bool held[256];
    for (size_t key = 0; key < keysDown.size(); ++key)
        held[key] = keysDown[key];
    for (uint8_t modifier : HostChordModifiers(held))
        WinKey(WM_KEYUP, modifier);
}

static void WinReleaseKeys(void) {
    for (size_t key = 0; key < keysDown.size(); ++key)
        if (keysDown[key]) WinKey(WM_KEYUP, key);
}

// The screen window: the light pen's mouse messages, and the emulator paints it.
static LRESULT CALLBACK WinScreenProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
        SetCapture(window);
        emu.CtlEmulator(message, static_cast<uint32_t>(wParam), static_cast<int32_t>(lParam));
        return 0;
    case WM_MOUSEMOVE:
        emu.CtlEmulator(message, static_cast<uint32_t>(wParam), static_cast<int32_t>(lParam));
        return 0;
    case WM_LBUTTONUP:
        emu.CtlEmulator(message, static_cast<uint32_t>(wParam), static_cast<int32_t>(lParam));
        ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        // The drag ends when the window loses the mouse, not only on release.
        emu.CtlEmulator(WM_LBUTTONUP, 0, 0);
        return 0;
    case WM_ERASEBKGND: return 1; // the emulator paints the whole client area
    case WM_PAINT:
        // The emulator repaints the window on its next frame; told so, it
        // presents nothing else but the frames that change the picture.
        emu.CtlEmulator(WM_PAINT, 0, 0);
        ValidateRect(window, nullptr);
        return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The largest 4:3 rectangle centred in the main window's client area.
static void WinLayout(int width, int height) {
    int w = width, h = width * 3 / 4;
    if (h > height) {
        h = height;
        w = height * 4 / 3;
    }
    MoveWindow(screen, (width - w) / 2, (height - h) / 2, w, h, TRUE);
}

// Alt+Enter: the main window fills its monitor without frame or menu, and
// back to where it was.
static void WinFullScreen(HWND window) {
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    if (!fullScreen) {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        if (!GetWindowPlacement(window, &windowedPlace) ||
            !GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor))
            return;
        SetMenu(window, nullptr);
        SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style & ~WS_OVERLAPPEDWINDOW));
        const RECT& area = monitor.rcMonitor;
        SetWindowPos(window, HWND_TOP, area.left, area.top, area.right - area.left,
                     area.bottom - area.top, SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
    } else {
        SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style | WS_OVERLAPPEDWINDOW));
        SetMenu(window, menuBar);
        SetWindowPlacement(window, &windowedPlace);
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
    }
    fullScreen = !fullScreen;
}

// The command of a host key (one the machine's keyboard lacks, or a
// Ctrl+Shift chord), or 0 for a key that goes to the machine.
static UINT WinHostKey(WPARAM key) {
    bool ctrlShift = (GetKeyState(VK_CONTROL) & 0x8000) && (GetKeyState(VK_SHIFT) & 0x8000);
    if (ctrlShift && key == 'V') return kMenuPaste;
    if (ctrlShift && key == 'C') return kMenuCopy;
    if (ctrlShift && key == 'S') return kMenuQuickSave;
    if (ctrlShift && key == 'L') return kMenuQuickLoad;
    switch (key) {
    case VK_F6: return kMenuPause;
    case VK_F7: return kMenuStep;
    case VK_F8: return kMenuWarp;
    case VK_F9: return kMenuReset;
    case VK_F10: return kMenuGreen;
    case VK_F11: return kMenuPcg;
    default: return 0;
    }
}

static LRESULT CALLBACK WinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (wParam == VK_NEXT) {
            if (emu.plus && !(message == WM_KEYDOWN && (lParam & (1 << 30)))) {
                warpHeld = message == WM_KEYDOWN;
                emu.SetWarp(warpToggled || warpHeld ? 1 : 0);
                WinUpdateMenu(window);
            }
            return 0;
        }
        if (UINT command = WinHostKey(wParam)) {
            if (wParam < VK_F6) WinReleaseChord(); // the Ctrl+Shift chords
            if (message == WM_KEYDOWN && !(lParam & (1 << 30))) WinCommand(window, command);
            return 0;
        }
        WinKey(message, wParam);
        return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        // ALT is the machine's GRPH key, and F10 a host key: neither may
        // open the menu bar, which would take the keys that follow.
        if (wParam == VK_MENU) {
            WinKey(message == WM_SYSKEYDOWN ? WM_KEYDOWN : WM_KEYUP, wParam);
            return 0;
        }
        if (wParam == VK_F10) {
            if (message == WM_SYSKEYDOWN && !(lParam & (1 << 30))) WinCommand(window, kMenuGreen);
            return 0;
        }
        if (wParam == VK_RETURN) {
            if (message == WM_SYSKEYDOWN && !(lParam & (1 << 30))) WinFullScreen(window);
            return 0;
        }
        break;
    case WM_KILLFOCUS: WinReleaseKeys(); break;
    case WM_SIZE: WinLayout(LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_COMMAND: WinCommand(window, LOWORD(wParam)); return 0;
    case WM_DROPFILES:
        WinDrop(window, reinterpret_cast<HDROP>(wParam));
        WinUpdateMenu(window);
        return 0;
    case WM_TIMER:
        if (wParam == kTapeTimer) WinCheckTape(window);
        WinPollListing();
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static HMENU WinCreateMenu(void) {
    machineMenu = CreatePopupMenu();
    AppendMenuA(machineMenu, MF_STRING, kMenuReset, "&Reset\tF9");
    AppendMenuA(machineMenu, MF_STRING, kMenuGreen, "&Green monitor\tF10");
    AppendMenuA(machineMenu, MF_STRING, kMenuPcg, "&Character generator\tF11");
    AppendMenuA(machineMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(machineMenu, MF_STRING, kMenuTape, "Choose &tape file...");
    AppendMenuA(machineMenu, MF_SEPARATOR, 0, nullptr);
    // Without the plus library these stay greyed out.
    UINT plus = emu.plus ? MF_STRING : MF_STRING | MF_GRAYED;
    AppendMenuA(machineMenu, plus, kMenuPause, "Pa&use\tF6");
    AppendMenuA(machineMenu, plus, kMenuStep, "&One slice while paused\tF7");
    AppendMenuA(machineMenu, plus, kMenuWarp, "&Warp\tF8");
    AppendMenuA(machineMenu, plus, kMenuPaste, "Paste a&s typing\tCtrl+Shift+V");
    AppendMenuA(machineMenu, plus, kMenuCopy, "Cop&y screen text\tCtrl+Shift+C");
    AppendMenuA(machineMenu, plus, kMenuQuickSave, "&Quick save\tCtrl+Shift+S");
    AppendMenuA(machineMenu, plus, kMenuQuickLoad, "Quick &load\tCtrl+Shift+L");
    AppendMenuA(machineMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(machineMenu, MF_STRING, kMenuExit, "E&xit");
    menuBar = CreateMenu();
    AppendMenuA(menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(machineMenu), "&Machine");
    return menuBar;
}

// A window with a 640 by 480 client area, so the emulator's frame reaches it
// one to one, on a black background around its screen window when resized.
// The screen's class owns its DC: the emulator keeps the one it is given.
static HWND WinCreateWindow(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WinProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "z80home";
    WNDCLASSA screenClass = {};
    screenClass.style = CS_OWNDC;
    screenClass.lpfnWndProc = WinScreenProc;
    screenClass.hInstance = instance;
    screenClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    screenClass.lpszClassName = "z80home-screen";
    if (!RegisterClassA(&windowClass) || !RegisterClassA(&screenClass)) return nullptr;
    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&frame, style, TRUE);
    HWND window = CreateWindowA("z80home", "z80home", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                WinCreateMenu(), instance, nullptr);
    if (!window) return nullptr;
    screen = CreateWindowA("z80home-screen", "", WS_CHILD | WS_VISIBLE, 0, 0, kClientWidth,
                           kClientHeight, window, nullptr, instance, nullptr);
    if (!screen) return nullptr;
    // A menu bar that wraps onto a second line takes client height; make up
    // for whatever the estimate missed.
    RECT client;
    GetClientRect(window, &client);
    if (client.right != kClientWidth || client.bottom != kClientHeight) {
        RECT outer;
        GetWindowRect(window, &outer);
        SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + kClientWidth - client.right,
                     outer.bottom - outer.top + kClientHeight - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER);
    }
    GetClientRect(window, &client);
    WinLayout(client.right, client.bottom);
    DragAcceptFiles(window, TRUE);
    return window;
}

// Handles every queued message; false once the window has been closed.
static bool WinPump(void) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return false;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

// The test run: scripted input at its times, then the screenshot. Windows
// messages are handled throughout, so the window stays alive.
// Starts the machine with the state and warp asked for; false after saying
// why it could not.
static bool WinStart(HWND window, const HostOptions& options) {
    if (!emu.RunEmu(screen, GetDC(screen))) {
        WinReport("z80home: the emulator did not start", true);
        return false;
    }
    if (!options.loadState.empty() && !WinState(false, options.loadState)) return false;
    if (options.warp) {
        warpToggled = true;
        emu.SetWarp(1);
    }
    WinUpdateMenu(window);
    return true;
}

// The debugger's session runs on a thread of its own while this one keeps
// the window's messages moving.
// Returns the session's status: 0, 1 a failure, 2 a bad --break-at.
static int WinDebugSession(const HostOptions& options) {
    std::atomic<bool> done{false};
    int status = 0;
    std::string error;
    std::thread session([&] {
        status = HostDebugSession(emu, options, stdout, error);
        fflush(stdout);
        done = true;
    });
    while (!done) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        if (!WinPump()) break;
    }
    session.join();
    if (status) WinReport("z80home: " + error, true);
    return status;
}

static int WinScriptedRun(HWND window, const HostOptions& options) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point start = Clock::now();
    if (options.Debugging() && !emu.debugger) {
        WinReport("z80home: the emulator library has no debugger", true);
        return 1;
    }
    if (options.Debugging()) HostDebugStart(emu, options);
    if (!WinStart(window, options)) return 1;
    if (options.Debugging()) {
        int status = WinDebugSession(options);
        if (status) return status;
    }
    size_t next = 0;
    for (;;) {
        uint32_t now = static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
        while (next < options.input.events.size() && options.input.events[next].atMs <= now) {
            const HostEvent& event = options.input.events[next++];
            if (event.message == WM_KEYDOWN || event.message == WM_KEYUP)
                WinKey(event.message, event.wParam);
            else
                emu.CtlEmulator(event.message, event.wParam, event.lParam);
        }
        if (options.Debugging() || now >= options.runMs) break;
        uint32_t due =
            next < options.input.events.size() ? options.input.events[next].atMs : options.runMs;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min(due - now, kTapeCheckMs),
                                  QS_ALLINPUT);
        if (!WinPump()) return 0;
        WinCheckTape(window);
        WinPollListing();
    }
    // The outputs show one moment: the machine stands still while they are taken.
    if (emu.plus) emu.SetPaused(1);
    if (!options.saveState.empty()) {
        if (!WinState(true, options.saveState)) return 1;
        WinReport("state: " + options.saveState, false);
    }
    if (!options.screenshot.empty()) {
        Picture picture;
        std::string error;
        if (!CaptureClient(screen, &picture)) {
            WinReport("z80home: cannot read the window's client area", true);
            return 1;
        }
        if (!SavePicture(options.screenshot, picture, error)) {
            WinReport("z80home: " + error, true);
            return 1;
        }
        WinReport("screenshot: " + options.screenshot, false);
    }
    return 0;
}

static int WinInteractiveRun(HWND window, const HostOptions& options) {
    if (!WinStart(window, options)) return 1;
    SetTimer(window, kTapeTimer, kTapeCheckMs, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

static int WinRun(int argc, char** argv) {
    scripted = WinIsTestRun(argc, argv);
    if (HostVersionAsked(argc, argv)) {
        // Printed where output goes (a console, a pipe); in a box otherwise.
        scripted = scripted || GetStdHandle(STD_OUTPUT_HANDLE) != nullptr;
        WinReport(HostVersionText("z80home"), false);
        return 0;
    }
    HostOptions options;
    std::string error;
    if (!HostParseArgs(argc, argv, scripted, options, error)) {
        WinReport("z80home: " + error + "\n" + WinUsage(argv[0]), true);
        return 2;
    }
    if (options.help) {
        WinReport(WinUsage(argv[0]), false);
        return 0;
    }
    for (int i = 1; i < argc; ++i) {
        for (const char* option : kHeadlessOnly) {
            size_t n = std::strlen(option);
            if (std::strncmp(argv[i], option, n) == 0 && (argv[i][n] == 0 || argv[i][n] == '=')) {
                WinReport(std::string("z80home: ") + option +
                              " is the headless host's; this host does not take it",
                          true);
                return 2;
            }
        }
    }
    if (options.debug) {
        WinReport("z80home: this host has no debugger console; it runs --debug-script and "
                  "--break-at",
                  true);
        return 2;
    }
    quickState = HostAbsolute("z80home-quick.state");
    // The library lies beside the program, wherever it was started from.
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, program, sizeof(program));
    if (length == 0 || length >= sizeof(program)) {
        WinReport("z80home: cannot find the program's own file", true);
        return 1;
    }
    if (!HostStart(program, options, emu, error)) {
        WinReport("z80home: " + error, true);
        return 1;
    }
    listingRun = !options.noRun;
    listingWaits = options.listing;
    HWND window = WinCreateWindow(GetModuleHandleA(nullptr));
    if (!window) {
        WinReport("z80home: cannot create the window", true);
        return 1;
    }
    if (!options.tape.empty() && !HostTapeProblem(options.tape).empty())
        std::fprintf(stderr, "z80home: nothing can be saved to the tape %s: %s\n",
                     options.tape.c_str(), HostTapeProblem(options.tape).c_str());
    WinUpdateMenu(window);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return scripted ? WinScriptedRun(window, options) : WinInteractiveRun(window, options);
}

// The emulator's threads never end; ExitProcess ends them with the program.
int main(int argc, char** argv) {
    int status = WinRun(argc, argv);
    std::fflush(stdout);
    std::fflush(stderr);
    ExitProcess(static_cast<UINT>(status));
}
