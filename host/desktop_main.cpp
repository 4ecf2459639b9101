// z80home: the machine in a resizable desktop window. The window's client area
// is the emulator's window (a shim window of the same size, resized with it);
// the host forwards WM_PAINT, so the emulator presents a frame only when the
// picture changed, and only then is the frame copied, at its own size, into
// the texture the renderer scales over the window. Keys travel to the machine
// as Windows virtual-key codes by their position on the keyboard, the left
// mouse button plays the light pen, and the F9 to F12 keys, which the machine
// does not have, work the host: reset, green monitor, character generator,
// screenshot. Dropping a file on the window makes it the tape.
#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#include <winshim_host.h>

#include "host/emu_library.h"
#include "host/host_input.h"
#include "host/host_options.h"
#include "host/host_start.h"
#include "host/png_writer.h"

constexpr int kDesktopWidth = 640;
constexpr int kDesktopHeight = 480;

struct Desktop {
    EmuLibrary emu;
    HWND shim;
    SDL_Window* window;
    SDL_Renderer* renderer;
    SDL_Texture* texture;
    int textureWidth, textureHeight;
    std::vector<uint32_t> pixels; // the window's picture for screenshots
    unsigned shownPresent;
    Uint32 presentEvent;   // pushed when the emulator has presented a frame
    SDL_atomic_t wakeSent; // one such event waits in the queue
    bool exposed;
    bool held[256];
    bool dragging;
    std::string tape;
    std::string startFolder; // where F12 screenshots go
};

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
    std::string title = "z80home";
    if (desktop.emu.GetGreenDisplay()) title += " - green";
    if (desktop.emu.GetPCG()) title += " - PCG";
    if (!desktop.tape.empty())
        title += " - tape " + std::filesystem::path(desktop.tape).filename().string();
    SDL_SetWindowTitle(desktop.window, title.c_str());
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

static void DesktopScreenshot(Desktop& desktop) {
    int width = 0, height = 0;
    if (!DesktopReadPicture(desktop, &width, &height)) return;
    namespace fs = std::filesystem;
    std::error_code failed;
    fs::path path;
    for (int n = 1;; n++) {
        path = fs::path(desktop.startFolder) / ("z80home-" + std::to_string(n) + ".png");
        if (!fs::exists(path, failed)) break;
    }
    std::string error;
    if (PngWrite(path.string(), desktop.pixels.data(), width, height, error))
        printf("z80home: screenshot %s\n", path.string().c_str());
    else
        fprintf(stderr, "z80home: %s\n", error.c_str());
    fflush(stdout);
}

// A key the machine lacks, used by the host; true when it was one.
static bool DesktopHotkey(Desktop& desktop, SDL_Scancode code) {
    EmuLibrary& emu = desktop.emu;
    switch (code) {
    case SDL_SCANCODE_F9: emu.ResetEmu(); break;
    case SDL_SCANCODE_F10: emu.SetGreenDisplay(emu.GetGreenDisplay() ? 0 : 1); break;
    case SDL_SCANCODE_F11: emu.SetPCG(emu.GetPCG() ? 0 : 1); break;
    case SDL_SCANCODE_F12: DesktopScreenshot(desktop); break;
    default: return false;
    }
    DesktopTitle(desktop);
    return true;
}

static void DesktopKey(Desktop& desktop, const SDL_KeyboardEvent& key) {
    bool down = key.type == SDL_KEYDOWN;
    if (key.keysym.scancode >= SDL_SCANCODE_F9 && key.keysym.scancode <= SDL_SCANCODE_F12) {
        if (down && !key.repeat) DesktopHotkey(desktop, key.keysym.scancode);
        return;
    }
    uint8_t virtualKey = DesktopVirtualKey(key.keysym.scancode);
    if (!virtualKey) return;
    desktop.held[virtualKey] = down;
    desktop.emu.CtlEmulator(down ? WM_KEYDOWN : WM_KEYUP, virtualKey, 0);
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

static void DesktopDrop(Desktop& desktop, const char* file) {
    std::string name = file;
    if (name.size() > kCmtFileNameLongest) {
        fprintf(stderr, "z80home: the name of %s is too long for a tape\n", file);
        return;
    }
    desktop.tape = name;
    desktop.emu.SetCMTFile(name.c_str());
    printf("z80home: tape %s\n", name.c_str());
    fflush(stdout);
    DesktopTitle(desktop);
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
                                    HostMouseLParam(event.button.x, event.button.y));
        }
        break;
    case SDL_MOUSEMOTION:
        desktop.emu.CtlEmulator(WM_MOUSEMOVE, 0, HostMouseLParam(event.motion.x, event.motion.y));
        break;
    case SDL_DROPFILE:
        DesktopDrop(desktop, event.drop.file);
        SDL_free(event.drop.file);
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            // The emulator repaints the cleared shim window, which screenshots read.
            ShimResizeWindow(desktop.shim, event.window.data1, event.window.data2);
            desktop.emu.CtlEmulator(WM_PAINT, 0, 0);
            desktop.exposed = true;
        }
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) DesktopReleaseAll(desktop);
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) desktop.exposed = true;
        break;
    default: break;
    }
    return true;
}

// Copies the emulator's latest frame into the texture, made at the frame's
// size; false when there is no frame or no texture.
static bool DesktopUpload(Desktop& desktop) {
    int width = 0, height = 0;
    ShimReadFrame(desktop.shim, nullptr, 0, 0, 0, &width, &height);
    if (width <= 0 || height <= 0) return false;
    if (!desktop.texture || width != desktop.textureWidth || height != desktop.textureHeight) {
        if (desktop.texture) SDL_DestroyTexture(desktop.texture);
        desktop.texture = SDL_CreateTexture(desktop.renderer, SDL_PIXELFORMAT_RGB888,
                                            SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!desktop.texture) return false;
        desktop.textureWidth = width;
        desktop.textureHeight = height;
    }
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(desktop.texture, nullptr, &pixels, &pitch) != 0) return false;
    int copied = ShimReadFrame(desktop.shim, pixels, pitch, width, height, &width, &height);
    SDL_UnlockTexture(desktop.texture);
    return copied > 0;
}

// Shows the emulator's picture when it has presented a new one, or when the
// window needs repainting; otherwise leaves the screen alone.
static void DesktopShow(Desktop& desktop) {
    unsigned present = ShimPresentCount(desktop.shim);
    bool fresh = present != desktop.shownPresent;
    if (!fresh && !desktop.exposed) return;
    if (fresh && !DesktopUpload(desktop)) return;
    if (!desktop.texture) return;
    desktop.shownPresent = present;
    desktop.exposed = false;
    SDL_RenderClear(desktop.renderer);
    SDL_RenderCopy(desktop.renderer, desktop.texture, nullptr, nullptr);
    SDL_RenderPresent(desktop.renderer);
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

// Exit statuses: 1 a failure, 2 a bad command line, 3 no display to open a
// window on (a script can then run the headless host).
constexpr int kDesktopNoDisplay = 3;

static int DesktopFail(const std::string& message, int status = 1) {
    fprintf(stderr, "z80home: %s\n", message.c_str());
    return status;
}

static int DesktopRun(int argc, char** argv) {
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

    Desktop desktop{};
    std::error_code failed;
    desktop.startFolder = std::filesystem::current_path(failed).string();
    if (!HostStart(argv[0], options, desktop.emu, error)) return DesktopFail(error);
    desktop.tape = options.tape;

    desktop.window = SDL_CreateWindow("z80home", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                      kDesktopWidth, kDesktopHeight, SDL_WINDOW_RESIZABLE);
    if (!desktop.window) return DesktopFail(std::string("cannot open a window: ") + SDL_GetError());
    desktop.renderer = DesktopRenderer(desktop.window);
    if (!desktop.renderer)
        return DesktopFail(std::string("cannot draw in the window: ") + SDL_GetError());
    int width, height;
    SDL_GetWindowSize(desktop.window, &width, &height);
    desktop.shim = ShimCreateWindow(width, height);
    if (!desktop.shim) return DesktopFail("cannot create the emulator's window");
    desktop.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    desktop.exposed = true;
    DesktopTitle(desktop);
    if (!desktop.emu.RunEmu(desktop.shim, GetDC(desktop.shim)))
        return DesktopFail("the emulator did not start");
    desktop.emu.CtlEmulator(WM_PAINT, 0, 0);

    desktop.presentEvent = SDL_RegisterEvents(1);
    if (desktop.presentEvent == static_cast<Uint32>(-1) ||
        !SDL_CreateThread(DesktopWaitPresents, "presents", &desktop))
        return DesktopFail(std::string("cannot wait for frames: ") + SDL_GetError());
    DesktopShow(desktop);
    // Nothing is polled: the loop sleeps until an event comes, a frame
    // presented among them.
    for (;;) {
        SDL_Event event;
        if (!SDL_WaitEvent(&event)) break;
        if (event.type == desktop.presentEvent) {
            SDL_AtomicSet(&desktop.wakeSent, 0);
        } else if (!DesktopEvent(desktop, event)) {
            break;
        }
        DesktopShow(desktop);
    }
    SDL_DestroyRenderer(desktop.renderer);
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
