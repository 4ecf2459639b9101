// The machine as the page drives it from its frame callback: no threads, its
// clock moved on by the time between frames.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

#include "plus/z80home_plus.h"
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

// A time that is no number, or infinite, moves nothing; the clock goes on
// from where it was.
TEST(WebMachine, TimesThatAreNoNumberAreRefused) {
    StartPage();
    EXPECT_EQ(WebAdvance(0), 1);
    for (double time : {std::nan(""), std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity()})
        EXPECT_EQ(WebAdvance(time), 0) << time;
    EXPECT_EQ(WebAdvance(15), 0);
    EXPECT_EQ(WebAdvance(1), 1);
}

// Pasted text is typed as keys over the frames that follow (at what pace,
// APasteAfterALongRunIsTypedOverTheFramesThatFollow checks): a paste made
// while another is typing goes after it, a CR LF pair is one RETURN, and
// characters without a key are left out.
TEST(WebMachine, PastedTextIsTypedInOrder) {
    StartPage();
    ASSERT_TRUE(FramesUntilPrompt(200));
    EXPECT_EQ(PasteText("?1\xFF"), 1);
    EXPECT_EQ(PasteText("23\r\n"), 0);
    EXPECT_EQ(PasteText("\xC3\xA9"), 1);
    for (int i = 0; i < 400 && GetPasteLeft() > 0; i++)
        WebAdvance(16);
    WebAdvance(16);
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
    // While BASIC is busy the ticks are counted eight at a time; a frame
    // at the prompt, which waits for a key, brings the count up to date.
    WebAdvance(16);
    auto ticks = [] { return Peek(0xF010) | Peek(0xF011) << 8; };
    int before = ticks();
    for (int frame = 0; frame < 125; frame++)
        WebAdvance(16);
    int seen = (ticks() - before) & 0xFFFF;
    EXPECT_GE(seen, 999);
    EXPECT_LE(seen, 1001);
}

// A paste made after the page has run a while is typed over the frames that
// follow, a key a tick period at most (eight a frame), never all at once,
// and arrives whole.
TEST(WebMachine, APasteAfterALongRunIsTypedOverTheFramesThatFollow) {
    StartPage();
    ASSERT_TRUE(FramesUntilPrompt(200));
    for (int i = 0; i < 1000; i++)
        WebAdvance(16);
    const std::string text = "PRINT 6*7:PRINT 1+2+3+4+5+6+7+8+9+10\n";
    ASSERT_EQ(PasteText(text.c_str()), 0);
    uint32_t left = GetPasteLeft();
    ASSERT_EQ(left, text.size());
    int frames = 0;
    for (; left > 0 && frames < 2000; frames++) {
        WebAdvance(16);
        uint32_t now = GetPasteLeft();
        EXPECT_LE(left - now, 8u) << "in frame " << frames;
        left = now;
    }
    EXPECT_GE(frames, static_cast<int>(text.size()) / 8);
    ASSERT_TRUE(FramesUntilPrompt(400));
    EXPECT_GE(FindRow(" 42"), 0) << "the text did not arrive whole";
    EXPECT_GE(FindRow(" 55"), 0) << "the text did not arrive whole";
}

// The page's frames come as often as its display refreshes; the machine's
// come every 17 ms of its time, as the screen thread draws them: the cursor
// blinks as often at 144 frames a second as at 60 or 30. The canvas is
// handed a picture exactly when it differs from the last one handed, and the
// rows it is told changed are all that did.
TEST(WebMachine, FramesFollowTheMachinesTimeAndOnlyChangesAreHanded) {
    StartPage();
    ASSERT_TRUE(FramesUntilPrompt(200));
    std::vector<uint8_t> handed(kFrameWidth * kFrameHeight * 4);
    const uint8_t* first = WebDraw();
    ASSERT_NE(first, nullptr);
    std::memcpy(handed.data(), first, handed.size());
    std::vector<uint8_t> now(handed.size());
    auto blinksIn10s = [&](double frameMs) {
        int blinks = 0, wrong = 0;
        uint8_t phase = machine.cursorBlinkPhase;
        for (double t = 0; t < 10000; t += frameMs) {
            WebAdvance(frameMs);
            const uint8_t* rgba = WebDraw();
            blinks += machine.cursorBlinkPhase != phase;
            phase = machine.cursorBlinkPhase;
            for (size_t i = 0; i < kFrameWidth * kFrameHeight; i++) {
                uint32_t pixel = machine.framePixels[i];
                uint8_t bytes[4] = {static_cast<uint8_t>(pixel >> 16),
                                    static_cast<uint8_t>(pixel >> 8), static_cast<uint8_t>(pixel),
                                    0xFF};
                std::memcpy(&now[i * 4], bytes, 4);
            }
            bool changed = now != handed;
            wrong += changed != (rgba != nullptr);
            if (rgba) {
                // The canvas as the page keeps it: only the rows said to change.
                size_t from = WebDrawnTop() * kFrameWidth * 4;
                size_t to = from + WebDrawnRows() * kFrameWidth * 4;
                wrong += std::memcmp(rgba, now.data(), now.size()) != 0;
                std::memcpy(handed.data() + from, rgba + from, to - from);
                wrong += handed != now;
            }
        }
        EXPECT_EQ(wrong, 0) << "at " << frameMs << " ms a frame";
        return blinks;
    };
    int at144 = blinksIn10s(1000.0 / 144), at60 = blinksIn10s(1000.0 / 60),
        at30 = blinksIn10s(1000.0 / 30);
    EXPECT_GT(at60, 4) << "the cursor does not blink";
    EXPECT_NEAR(at144, at60, 1);
    EXPECT_NEAR(at30, at60, 1);
}
