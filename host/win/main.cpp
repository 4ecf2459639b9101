// z80home for Windows: a window whose client area the emulator draws on. The
// window's keys and mouse go to CtlEmulator; a menu (and F9, F10, F11) resets
// the machine, switches the green monitor and the character generator, and
// chooses the tape file, which may also be dropped on the window.
//
// Given any of the test options (--run-ms, --type, --keys, --mouse,
// --screenshot) it runs as the headless host does, on its visible window:
// the scripted input is played in real time, the client area is written to
// a BMP or PNG file at the end of the run, and the program ends.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <bitset>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/emu_library.h"
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
};

static EmuLibrary emu;
static HMENU machineMenu;
static bool scripted;
// Keys the emulator has been told are down, released when focus goes.
static std::bitset<256> keysDown;

static const char* const kTestOptions[] = {"--run-ms", "--type", "--keys", "--mouse",
                                           "--screenshot"};

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
    return std::string("usage: ") + program +
           " [options]\n"
           "  --rom-dir DIR     folder holding n80basic.rom and font.rom\n"
           "  --tape FILE       cassette file (saved bytes are appended, loads loop)\n"
           "  --green           green monochrome monitor\n"
           "  --pcg             programmable character generator on\n"
           "Test options (the program then ends after the run):\n"
           "  --run-ms N        run N ms in all (default: 2000, or 1000 past the input)\n"
           "  --type TEXT       type TEXT on the keyboard (a line break in TEXT is RETURN)\n"
           "  --keys SCRIPT     keys: text, {RETURN}, {F1}, {SHIFT down}, {wait 500}, ...\n"
           "  --mouse X,Y       click the light pen at client point X,Y (640x480)\n"
           "  --screenshot FILE write the client area as FILE (.bmp or .png) at the end\n"
           "Keys: F9 reset, F10 green monitor, F11 character generator.\n"
           "  --help            this text\n";
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
    const char* tape = emu.GetCMTFile();
    std::string title = "z80home";
    if (tape[0]) title += std::string(" - tape ") + tape;
    SetWindowTextA(window, title.c_str());
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
    if (GetOpenFileNameA(&dialog)) emu.SetCMTFile(name);
}

static void WinDropTape(HDROP drop) {
    char name[MAX_PATH];
    UINT length = DragQueryFileA(drop, 0, name, sizeof(name));
    if (length > 0 && length <= kCmtFileNameLongest) emu.SetCMTFile(name);
    DragFinish(drop);
}

static void WinCommand(HWND window, UINT command) {
    switch (command) {
    case kMenuReset: emu.ResetEmu(); break;
    case kMenuGreen: emu.SetGreenDisplay(emu.GetGreenDisplay() ? 0 : 1); break;
    case kMenuPcg: emu.SetPCG(emu.GetPCG() ? 0 : 1); break;
    case kMenuTape: WinChooseTape(window); break;
    case kMenuExit: DestroyWindow(window); return;
    default: return;
    }
    WinUpdateMenu(window);
}

static void WinKey(UINT message, WPARAM virtualKey) {
    if (virtualKey >= keysDown.size()) return;
    keysDown[virtualKey] = message == WM_KEYDOWN;
    emu.CtlEmulator(message, static_cast<uint32_t>(virtualKey), 0);
}

static void WinReleaseKeys(void) {
    for (size_t key = 0; key < keysDown.size(); ++key)
        if (keysDown[key]) WinKey(WM_KEYUP, key);
}

static LRESULT CALLBACK WinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (wParam == VK_F9 || wParam == VK_F10 || wParam == VK_F11) {
            if (message == WM_KEYDOWN && !(lParam & (1 << 30)))
                WinCommand(window, wParam == VK_F9    ? kMenuReset
                                   : wParam == VK_F10 ? kMenuGreen
                                                      : kMenuPcg);
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
        break;
    case WM_KILLFOCUS: WinReleaseKeys(); break;
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
    case WM_COMMAND: WinCommand(window, LOWORD(wParam)); return 0;
    case WM_DROPFILES:
        WinDropTape(reinterpret_cast<HDROP>(wParam));
        WinUpdateMenu(window);
        return 0;
    case WM_ERASEBKGND: return 1; // the emulator paints the whole client area
    case WM_PAINT:
        // The emulator repaints the window on its next frame; told so, it
        // presents nothing else but the frames that change the picture.
        emu.CtlEmulator(WM_PAINT, 0, 0);
        ValidateRect(window, nullptr);
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
    AppendMenuA(machineMenu, MF_STRING, kMenuExit, "E&xit");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(machineMenu), "&Machine");
    return bar;
}

// A window with a 640 by 480 client area, so the emulator's frame reaches it
// one to one. The class owns its DC: the emulator keeps the one it is given.
static HWND WinCreateWindow(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = WinProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.lpszClassName = "z80home";
    if (!RegisterClassA(&windowClass)) return nullptr;
    DWORD style = WS_OVERLAPPEDWINDOW;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&frame, style, TRUE);
    HWND window = CreateWindowA("z80home", "z80home", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                WinCreateMenu(), instance, nullptr);
    if (!window) return nullptr;
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
static int WinScriptedRun(HWND window, const HostOptions& options) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point start = Clock::now();
    if (!emu.RunEmu(window, GetDC(window))) {
        WinReport("z80home: the emulator did not start", true);
        return 1;
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
        if (now >= options.runMs) break;
        uint32_t due =
            next < options.input.events.size() ? options.input.events[next].atMs : options.runMs;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, due - now, QS_ALLINPUT);
        if (!WinPump()) return 0;
    }
    if (!options.screenshot.empty()) {
        Picture picture;
        std::string error;
        if (!CaptureClient(window, &picture)) {
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

static int WinInteractiveRun(HWND window) {
    if (!emu.RunEmu(window, GetDC(window))) {
        WinReport("z80home: the emulator did not start", true);
        return 1;
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

static int WinRun(int argc, char** argv) {
    scripted = WinIsTestRun(argc, argv);
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
    HWND window = WinCreateWindow(GetModuleHandleA(nullptr));
    if (!window) {
        WinReport("z80home: cannot create the window", true);
        return 1;
    }
    WinUpdateMenu(window);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return scripted ? WinScriptedRun(window, options) : WinInteractiveRun(window);
}

// The emulator's threads never end; ExitProcess ends them with the program.
int main(int argc, char** argv) {
    int status = WinRun(argc, argv);
    std::fflush(stdout);
    std::fflush(stderr);
    ExitProcess(static_cast<UINT>(status));
}
