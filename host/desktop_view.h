// What the desktop window shows: the emulator's latest frame, scaled into the
// largest 4:3 place the window has between black bars, and over it the
// host's own overlay (its help, and a line that tells what a host key did),
// drawn in the machine's character set. The window is redrawn only when
// something changed: a frame the emulator presented, the overlay, the
// window's size, or the window uncovered (exposed); otherwise it is left
// alone, which spares the processor and the display at an idle prompt.
#pragma once

#include <SDL.h>
#include <cstdint>
#include <string>
#include <vector>
#include <windows.h>

// The overlay's grid: the machine's 8 by 8 glyphs, each row drawn twice, on
// a 640 by 480 layer scaled with the picture: 80 columns of 30 rows.
constexpr int kOverlayWidth = 640;
constexpr int kOverlayHeight = 480;
constexpr int kOverlayGlyphWidth = 8;
constexpr int kOverlayGlyphHeight = 16;
constexpr int kOverlayColumns = kOverlayWidth / kOverlayGlyphWidth;
constexpr int kOverlayRows = kOverlayHeight / kOverlayGlyphHeight;
constexpr int kOverlayFontSize = 256 * 8;
// The overlay's colours (ARGB): a dark veil over the picture, light text.
constexpr uint32_t kOverlayVeil = 0xE8101010;
constexpr uint32_t kOverlayInk = 0xFFF0F0F0;
// A message's lines keep a column free at each side of the grid.
constexpr int kOverlayMessageColumns = kOverlayColumns - 2;
constexpr int kOverlayMessageRows = 4;
// How long a message stays.
constexpr uint32_t kDesktopMessageMs = 4000;

struct DesktopView {
    SDL_Renderer* renderer = nullptr;
    HWND shim = nullptr; // the emulator's window, the picture's size
    SDL_Rect picture{};  // where the picture goes in the window
    // The emulator's frame at its own size, and the present it came from.
    SDL_Texture* frame = nullptr;
    int frameWidth = 0, frameHeight = 0;
    unsigned shownPresent = 0;
    bool exposed = false; // the window must be drawn again
    // The overlay: the machine's character set (kOverlayFontSize bytes, or
    // empty: no text), the help while it shows, the message until its time.
    std::vector<uint8_t> font;
    std::string help;
    bool helpShown = false;
    SDL_Scancode helpModifier = SDL_SCANCODE_UNKNOWN; // pressed alone while it shows
    std::string message;
    uint32_t messageUntilMs = 0;
    SDL_Texture* overlay = nullptr;
    bool overlayStale = true;
};

// The largest 4:3 rectangle centred in a window of the given size; the
// emulator's window takes its size.
void DesktopViewLayout(DesktopView& view, int width, int height);

// A window event: a new size lays the picture out again, an uncovered
// window is drawn again.
void DesktopViewWindowEvent(DesktopView& view, const SDL_WindowEvent& event);

// Shows message at the picture's foot for kDesktopMessageMs from nowMs.
void DesktopViewSay(DesktopView& view, const std::string& message, uint32_t nowMs);

// Shows the help over the picture, or takes it away.
void DesktopViewShowHelp(DesktopView& view, bool shown);

// A key while the help shows. Any key pressed closes it, and goes on to the
// machine or the host as well, so that none is lost; but Ctrl+H is left to
// the host, whose Ctrl+Shift+H toggles the help. Shift, Ctrl or Alt closes it
// when let go with no other key pressed while it was down, so that it may
// still begin a chord.
void DesktopViewHelpKey(DesktopView& view, const SDL_KeyboardEvent& key);

// How long, from nowMs, until the overlay changes by itself (a message
// goes); -1 when it never will.
int DesktopViewWaitMs(const DesktopView& view, uint32_t nowMs);

// Draws the window when something changed since it was last drawn; true
// when it did.
bool DesktopViewShow(DesktopView& view, uint32_t nowMs);

// The overlay's pixels (ARGB, kOverlayWidth by kOverlayHeight): the help's
// lines from the top on a veil over the whole picture, the message on a
// veil over the bottom rows, broken between words into lines of at most
// kOverlayMessageColumns (up to kOverlayMessageRows of them), transparent
// elsewhere; characters as the font's glyphs (bit 7 of a byte the leftmost
// dot).
std::vector<uint32_t> DesktopOverlayPixels(const std::vector<uint8_t>& font,
                                           const std::string& help, const std::string& message);
