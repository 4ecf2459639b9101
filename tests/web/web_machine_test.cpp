// The machine as the page drives it from its frame callback: no threads, its
// clock moved on by the time between frames.
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "state/machine_state.h"
#include "tests/machine/machine_support.h"
#include "web/web_machine.h"

namespace {

// Runs frames of 16 ms until BASIC's prompt shows; false if it never does.
bool FramesUntilPrompt(int frames) {
    for (int i = 0; i < frames && !AtBasicPrompt(); i++)
        WebAdvance(16);
    return AtBasicPrompt();
}

// Starts the machine on the build's ROM images, as the page does.
void StartPage() {
    const char* dir = std::getenv("Z80HOME_ROM_DIR");
    ASSERT_NE(dir, nullptr);
    std::filesystem::current_path(dir);
    ASSERT_EQ(WebStart(), 1);
    EXPECT_EQ(WebStart(), 0) << "started twice";
}

} // namespace

// A slice every 16 ms of the page's clock, the first at once; a frame after
// a long pause runs at most kWebLongestStepMs, and time never runs back.
TEST(WebMachine, SlicesFollowThePageClock) {
    StartPage();
    struct Step {
        double elapsedMs;
        int slices;
    };
    const Step steps[] = {{0, 1}, {15, 0}, {1, 1}, {40, 2}, {-5, 0}, {10000, 6}, {4, 1}};
    for (const Step& step : steps)
        EXPECT_EQ(WebAdvance(step.elapsedMs), step.slices) << "after " << step.elapsedMs << " ms";
    EXPECT_TRUE(FramesUntilPrompt(200)) << "the machine did not boot";
}

// Pasted text is typed as keys over the frames that follow: a paste made
// while another is typing goes after it, a CR LF pair is one RETURN, and
// characters without a key are left out.
TEST(WebMachine, PastedTextIsTypedInOrder) {
    StartPage();
    ASSERT_TRUE(FramesUntilPrompt(200));
    EXPECT_EQ(WebPaste("?1\x01"), 2);
    EXPECT_EQ(WebPaste("23\r\n"), 3);
    EXPECT_EQ(WebPaste("\xC3\xA9"), 0);
    for (int i = 0; i < 10; i++)
        WebAdvance(16);
    EXPECT_FALSE(AtBasicPrompt()) << "typed all at once";
    ASSERT_TRUE(FramesUntilPrompt(400));
    int last = FindRow(" 123");
    ASSERT_GE(last, 0) << "?123 was not typed";
    EXPECT_EQ(CursorRow(), last + 2) << "more than one RETURN";
}

// The canvas gets the window's pixels as red, green, blue and opaque alpha.
TEST(WebMachine, ThePictureIsTheFrameAsCanvasBytes) {
    StartPage();
    ASSERT_TRUE(FramesUntilPrompt(200));
    const uint8_t* rgba = WebDraw();
    ASSERT_NE(rgba, nullptr);
    int wrong = 0, colours = 0;
    uint32_t first = machine.framePixels[0];
    for (int i = 0; i < kFrameWidth * kFrameHeight; i++) {
        uint32_t pixel = machine.framePixels[i];
        const uint8_t* out = rgba + 4 * i;
        wrong += out[0] != (pixel >> 16 & 0xFF) || out[1] != (pixel >> 8 & 0xFF) ||
                 out[2] != (pixel & 0xFF) || out[3] != 0xFF;
        colours += pixel != first;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(colours, 0) << "a blank frame proves nothing";
}

// The program's clock keeps the machine's time on the page too: 500 ticks
// in each second of the page's clock that the machine runs.
TEST(WebMachine, TheTickComesFiveHundredTimesASecond) {
    StartPage();
    ASSERT_TRUE(FramesUntilPrompt(200));
    auto ticks = [] { return Peek(0xF010) | Peek(0xF011) << 8; };
    int before = ticks();
    for (int frame = 0; frame < 125; frame++)
        WebAdvance(16);
    int seen = (ticks() - before) & 0xFFFF;
    EXPECT_GE(seen, 999);
    EXPECT_LE(seen, 1001);
}
