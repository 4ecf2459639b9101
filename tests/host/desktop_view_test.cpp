// The desktop window's drawing, on SDL's offscreen video driver: no display
// is needed. Frames reach the emulator's shim window as the emulator
// presents them, with a StretchBlt, and the window's pixels are read back
// from the renderer.
#include <gtest/gtest.h>

#include <SDL.h>
#include <cstdlib>
#include <random>
#include <vector>
#include <winshim_host.h>

#include "host/desktop_view.h"

namespace {

// A window wider than the picture: the 640 by 480 picture sits dot for dot
// between two black bars 80 dots wide.
constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 480;
constexpr int kBar = (kWindowWidth - 640) / 2;

class DesktopWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        window = SDL_CreateWindow("test", 0, 0, kWindowWidth, kWindowHeight, 0);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        view.renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
        ASSERT_NE(view.renderer, nullptr) << SDL_GetError();
        view.shim = ShimCreateWindow(kWindowWidth, kWindowHeight);
        DesktopViewLayout(view, kWindowWidth, kWindowHeight);
        ASSERT_EQ(view.picture.x, kBar);
        ASSERT_EQ(view.picture.w, 640);
        HDC screen = GetDC(view.shim);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = 640;
        info.bmiHeader.biHeight = -480;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(bits, nullptr);
        frameDc = CreateCompatibleDC(screen);
        SelectObject(frameDc, bitmap);
        frame = static_cast<uint32_t*>(bits);
    }
    void TearDown() override {
        if (view.renderer) SDL_DestroyRenderer(view.renderer);
        if (window) SDL_DestroyWindow(window);
        SDL_Quit();
    }
    // Presents a picture of random dots as the emulator does.
    std::vector<uint32_t> Present(unsigned seed) {
        std::mt19937 random(seed);
        std::vector<uint32_t> picture(640 * 480);
        for (uint32_t& dot : picture)
            dot = random() & 0xFFFFFF;
        std::copy(picture.begin(), picture.end(), frame);
        EXPECT_TRUE(StretchBlt(GetDC(view.shim), 0, 0, 640, 480, frameDc, 0, 0, 640, 480, SRCCOPY));
        return picture;
    }
    // Presents new random dots in rows top to top + rows - 1 only, as the
    // emulator presents a change to an unscaled picture; returns the whole.
    std::vector<uint32_t> PresentRows(unsigned seed, int top, int rows) {
        std::mt19937 random(seed);
        for (int i = top * 640; i < (top + rows) * 640; i++)
            frame[i] = random() & 0xFFFFFF;
        EXPECT_TRUE(StretchBlt(GetDC(view.shim), 0, top, 640, rows, frameDc, 0, top, 640, rows,
                               SRCCOPY));
        return std::vector<uint32_t>(frame, frame + 640 * 480);
    }
    // The window's dots, 0x00RRGGBB.
    std::vector<uint32_t> Shown() {
        std::vector<uint32_t> dots(kWindowWidth * kWindowHeight);
        EXPECT_EQ(SDL_RenderReadPixels(view.renderer, nullptr, SDL_PIXELFORMAT_RGB888, dots.data(),
                                       kWindowWidth * 4),
                  0)
            << SDL_GetError();
        for (uint32_t& dot : dots)
            dot &= 0xFFFFFF;
        return dots;
    }
    // What the window shows for a picture: the bars black, the picture dot
    // for dot between them.
    static std::vector<uint32_t> Expected(const std::vector<uint32_t>& picture) {
        std::vector<uint32_t> dots(kWindowWidth * kWindowHeight, 0);
        for (int y = 0; y < 480; y++)
            std::copy_n(&picture[y * 640], 640, &dots[y * kWindowWidth + kBar]);
        return dots;
    }
    void Damage() {
        SDL_SetRenderDrawColor(view.renderer, 255, 0, 0, 255);
        SDL_RenderClear(view.renderer);
    }
    void Expose() {
        SDL_WindowEvent event{};
        event.type = SDL_WINDOWEVENT;
        event.event = SDL_WINDOWEVENT_EXPOSED;
        DesktopViewWindowEvent(view, event);
    }
    // The rows of the window where the dots differ from expected.
    std::vector<int> DifferentRows(const std::vector<uint32_t>& expected) {
        std::vector<uint32_t> shown = Shown();
        std::vector<int> rows;
        for (int y = 0; y < kWindowHeight; y++)
            if (!std::equal(&shown[y * kWindowWidth], &shown[(y + 1) * kWindowWidth],
                            &expected[y * kWindowWidth]))
                rows.push_back(y);
        return rows;
    }

    SDL_Window* window = nullptr;
    DesktopView view;
    HDC frameDc = nullptr;
    uint32_t* frame = nullptr;
};

// A new frame is drawn; an unchanged one is left alone, even over a window
// whose contents were lost, until the window is uncovered: then the same
// picture is drawn again.
TEST_F(DesktopWindow, DrawsNewFramesAndTheSamePictureAgainOnceUncovered) {
    EXPECT_FALSE(DesktopViewShow(view, 0)) << "drawn before any frame";
    std::vector<uint32_t> first = Present(1);
    EXPECT_TRUE(DesktopViewShow(view, 0));
    EXPECT_EQ(Shown(), Expected(first));
    EXPECT_FALSE(DesktopViewShow(view, 0)) << "drawn with nothing new";

    Damage();
    EXPECT_FALSE(DesktopViewShow(view, 0)) << "drawn with nothing new";
    EXPECT_NE(Shown(), Expected(first));
    Expose();
    EXPECT_TRUE(DesktopViewShow(view, 0));
    EXPECT_EQ(Shown(), Expected(first)) << "the uncovered window was not drawn again";

    std::vector<uint32_t> second = Present(2);
    EXPECT_TRUE(DesktopViewShow(view, 0));
    EXPECT_EQ(Shown(), Expected(second));

    // Presents of a few rows: one shown at a time, or two before a show.
    std::vector<uint32_t> third = PresentRows(3, 200, 16);
    EXPECT_TRUE(DesktopViewShow(view, 0));
    EXPECT_EQ(Shown(), Expected(third));
    PresentRows(4, 8, 16);
    std::vector<uint32_t> fourth = PresentRows(5, 464, 16);
    EXPECT_TRUE(DesktopViewShow(view, 0));
    EXPECT_EQ(Shown(), Expected(fourth));
}

// A message covers the picture's last row of text until its time is up and
// is then taken away; the help covers the whole picture until it is closed.
TEST_F(DesktopWindow, TheOverlayComesAndGoesOverTheRunningPicture) {
    view.font.assign(kOverlayFontSize, 0xFF);
    std::vector<uint32_t> picture = Present(3);
    ASSERT_TRUE(DesktopViewShow(view, 1000));
    EXPECT_EQ(DesktopViewWaitMs(view, 1000), -1);

    DesktopViewSay(view, "saved", 1000);
    EXPECT_EQ(DesktopViewWaitMs(view, 1000), static_cast<int>(kDesktopMessageMs));
    EXPECT_TRUE(DesktopViewShow(view, 1000));
    std::vector<int> rows = DifferentRows(Expected(picture));
    ASSERT_FALSE(rows.empty()) << "the message does not show";
    EXPECT_EQ(rows.front(), 480 - kOverlayGlyphHeight);
    EXPECT_EQ(rows.back(), 479);
    // Frames go on showing under it.
    picture = Present(4);
    EXPECT_TRUE(DesktopViewShow(view, 2000));
    EXPECT_EQ(DifferentRows(Expected(picture)).front(), 480 - kOverlayGlyphHeight);
    EXPECT_FALSE(DesktopViewShow(view, 1000 + kDesktopMessageMs - 1));
    EXPECT_EQ(DesktopViewWaitMs(view, 1000 + kDesktopMessageMs - 1), 1);
    EXPECT_TRUE(DesktopViewShow(view, 1000 + kDesktopMessageMs));
    EXPECT_EQ(Shown(), Expected(picture)) << "the message stayed";
    EXPECT_EQ(DesktopViewWaitMs(view, 1000 + kDesktopMessageMs), -1);

    view.help = "keys";
    DesktopViewShowHelp(view, true);
    EXPECT_TRUE(DesktopViewShow(view, 9000));
    EXPECT_EQ(DifferentRows(Expected(picture)).size(), 480u) << "the help leaves rows bare";
    DesktopViewShowHelp(view, false);
    EXPECT_TRUE(DesktopViewShow(view, 9000));
    EXPECT_EQ(Shown(), Expected(picture));
}

// The overlay's text against a model of the character set: each character
// of a line is its glyph's dots, each dot row twice, from the second
// column; a byte beyond ASCII is '?', a line ends at the grid's edge, and
// the help's lines go down from the top row, the message on the last.
TEST(DesktopOverlay, TextIsTheFontsGlyphsOnTheGrid) {
    std::mt19937 random(5);
    std::vector<uint8_t> font(kOverlayFontSize);
    for (uint8_t& byte : font)
        byte = static_cast<uint8_t>(random());
    std::string longLine(100, 'W');
    std::string help = "ab\n\n" + longLine + "\n\xC3\xA9";
    // A message longer than a row is broken between words (a word longer
    // than a row where the row ends) into rows that end at the foot.
    std::string path(90, 'p');
    std::string message = "Ok ~ " + std::string(70, 'w') + " xyz " + path;
    std::vector<uint32_t> pixels = DesktopOverlayPixels(font, help, message);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(kOverlayWidth * kOverlayHeight));
    std::vector<std::string> rows(kOverlayRows);
    rows[0] = "ab";
    rows[2] = longLine;
    rows[3] = "??";
    rows[kOverlayRows - 4] = "Ok ~ " + std::string(70, 'w');
    rows[kOverlayRows - 3] = "xyz";
    rows[kOverlayRows - 2] = path.substr(0, kOverlayMessageColumns);
    rows[kOverlayRows - 1] = path.substr(kOverlayMessageColumns);
    int wrong = 0;
    for (int y = 0; y < kOverlayHeight; y++) {
        const std::string& text = rows[y / kOverlayGlyphHeight];
        for (int x = 0; x < kOverlayWidth; x++) {
            int column = x / kOverlayGlyphWidth - 1;
            bool lit = false;
            if (column >= 0 && column < static_cast<int>(text.size())) {
                uint8_t code = static_cast<uint8_t>(text[column]);
                uint8_t dots = font[code * 8 + (y % kOverlayGlyphHeight) / 2];
                lit = dots & (0x80 >> (x % kOverlayGlyphWidth));
            }
            wrong += pixels[y * kOverlayWidth + x] != (lit ? kOverlayInk : kOverlayVeil);
        }
    }
    EXPECT_EQ(wrong, 0);

    // Without the help only the message's rows are veiled; the rest shows
    // the picture through. Beyond its rows a message ends in "...".
    for (const auto& [text, shown] :
         {std::pair<std::string, int>{"Ok", 1}, {message, 4}, {std::string(400, 'x'), 4}}) {
        pixels = DesktopOverlayPixels(font, "", text);
        int covered = 0;
        for (int y = 0; y < kOverlayHeight - shown * kOverlayGlyphHeight; y++)
            for (int x = 0; x < kOverlayWidth; x++)
                covered += pixels[y * kOverlayWidth + x] != 0;
        EXPECT_EQ(covered, 0) << text;
        EXPECT_EQ(pixels[(kOverlayHeight - shown * kOverlayGlyphHeight) * kOverlayWidth],
                  kOverlayVeil)
            << text;
    }
    std::vector<uint32_t> cut = DesktopOverlayPixels(font, "", std::string(400, 'x'));
    std::vector<uint32_t> dots = DesktopOverlayPixels(
        font, "",
        std::string(3 * kOverlayMessageColumns + kOverlayMessageColumns - 3, 'x') + "...");
    EXPECT_TRUE(cut == dots);
}

// Which keys close the help: any key pressed but the help's own Ctrl+H, and
// a modifier let go with no other key pressed while it was down.
TEST(DesktopHelp, AnyKeyClosesItAndAChordStillWorks) {
    auto key = [](SDL_Scancode code, bool down, uint16_t mod = KMOD_NONE, bool repeat = false) {
        SDL_KeyboardEvent event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.repeat = repeat;
        event.keysym.scancode = code;
        event.keysym.mod = mod;
        return event;
    };
    const SDL_Scancode shift = SDL_SCANCODE_LSHIFT, ctrl = SDL_SCANCODE_RCTRL;
    const uint16_t chord = KMOD_LCTRL | KMOD_LSHIFT;
    const struct {
        const char* what;
        std::vector<SDL_KeyboardEvent> keys;
        bool open; // the help still shows after them
    } cases[] = {
        {"P", {key(SDL_SCANCODE_P, true)}, false},
        {"End", {key(SDL_SCANCODE_END, true)}, false},
        {"Shift alone", {key(shift, true), key(shift, false, KMOD_NONE)}, false},
        {"Ctrl alone", {key(ctrl, true), key(ctrl, false)}, false},
        {"Alt alone", {key(SDL_SCANCODE_LALT, true), key(SDL_SCANCODE_LALT, false)}, false},
        {"Shift held", {key(shift, true), key(shift, true, KMOD_LSHIFT, true)}, true},
        {"Shift+P", {key(shift, true), key(SDL_SCANCODE_P, true, KMOD_LSHIFT)}, false},
        {"Ctrl+Shift+H, let go",
         {key(ctrl, true), key(shift, true, KMOD_RCTRL), key(SDL_SCANCODE_H, true, chord),
          key(SDL_SCANCODE_H, false, chord), key(shift, false, KMOD_RCTRL), key(ctrl, false)},
         true},
        {"a key let go", {key(SDL_SCANCODE_P, false), key(shift, false)}, true},
        {"a repeat", {key(SDL_SCANCODE_P, true, KMOD_NONE, true)}, true},
    };
    for (const auto& c : cases) {
        DesktopView view;
        DesktopViewShowHelp(view, true);
        for (const SDL_KeyboardEvent& event : c.keys)
            DesktopViewHelpKey(view, event);
        EXPECT_EQ(view.helpShown, c.open) << c.what;
    }
}

} // namespace
