// DrawScreen against the reference renderer on random screens, and on runs
// of frames with the machine changed a little, or not at all, in between:
// the same frame, pixel for pixel, and the same renderer state afterwards.
#include "state/machine_state.h"
#include "reference/reference_renderer.h"
#include "tests/video/video_support.h"
#include "video/screen.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

std::mt19937 rng(20261208);

int Pick(int n) {
    return static_cast<int>(rng() % static_cast<unsigned>(n));
}
bool Chance(int percent) {
    return Pick(100) < percent;
}

uint8_t RandomFunctionPair(void) {
    return (Chance(8) ? 0x01 : 0) | (Chance(20) ? 0x02 : 0) | (Chance(30) ? 0x04 : 0) |
           (Chance(15) ? 0x10 : 0) | (Chance(15) ? 0x20 : 0) | (Chance(15) ? 0x40 : 0) |
           (Chance(12) ? 0x80 : 0);
}

uint8_t RandomColourPair(void) {
    return static_cast<uint8_t>((Pick(8) << 5) | 0x08 | (Chance(20) ? 0x10 : 0) | Pick(8));
}

// Six pages of rows: random codes, and attribute pairs of every kind.
void RandomScreenImage(std::vector<uint8_t>& image) {
    image.assign(6 * 3000, 0);
    for (int row = 0; row < 6 * 25; ++row) {
        uint8_t* base = &image[row * 120];
        for (int c = 0; c < 80; ++c)
            base[c] = static_cast<uint8_t>(rng());
        int pairs = Pick(21);
        for (int j = 0; j < 20; ++j) {
            uint8_t& position = base[80 + 2 * j];
            uint8_t& value = base[81 + 2 * j];
            if (j >= pairs) {
                position = Chance(50) ? 0x60 : 0xE0;
                value = static_cast<uint8_t>(rng());
                continue;
            }
            position = static_cast<uint8_t>(Chance(15) ? rng() : Pick(80));
            value = Chance(50) ? RandomColourPair() : RandomFunctionPair();
        }
    }
}

void RandomMachine(void) {
    static std::vector<uint8_t> image;
    uint16_t address = static_cast<uint16_t>(Chance(30) ? Pick(0x6000) : rng());
    RandomScreenImage(image);
    for (size_t i = 0; i < image.size(); ++i)
        Put(machine.mainRam[(address + i) & 0xFFFF], image[i]);
    RandomScreenImage(image);
    for (size_t i = 0; i < image.size(); ++i)
        if (((address + i) & 0xFFFF) < kBasicRomSize)
            machine.basicRom[(address + i) & 0xFFFF] = image[i];

    Put(machine.dmaAddress[2], address);
    int pages = 1 + Pick(6);
    int count = (pages - 1) * 3000 + Pick(pages == 6 ? 1384 : 3000);
    if (Chance(20)) count = std::min(pages * 3000 - 1, 16383);
    Put(machine.dmaCount[2], count | (Pick(4) << 14));
    Put(machine.ramSelect, Pick(2));
    Put(machine.displayOn, Chance(92) ? 1 : Pick(3) * 2);
    Put(machine.columns80, Pick(2));
    Put(machine.rows25, Pick(2));
    Put(machine.monoMode, Chance(25));
    Put(machine.bgColor, Pick(8));
    Put(machine.greenDisplay, Chance(30) ? 1 + Pick(3) : 0);
    Put(machine.pcgEnabled, Pick(2));
    Put(machine.blinkRate, Pick(4));
    bool cursor = Chance(75);
    Put(machine.cursorX, cursor ? Pick(80) : (Chance(50) ? -1 : Pick(80)));
    Put(machine.cursorY, cursor ? Pick(25) : -1);
    machine.currentAttr = static_cast<uint8_t>(rng());
    machine.cursorBlinkPhase = Pick(2);
    machine.attrBlinkPhase = Pick(2);
    machine.blinkCounter = Pick(8);
}

struct RendererState {
    uint8_t currentAttr, drawColor, cursorBlinkPhase, attrBlinkPhase;
    int32_t pageIndex, blinkCounter;
    bool operator==(const RendererState&) const = default;
};

RendererState SaveState(void) {
    return {machine.currentAttr,    machine.drawColor, machine.cursorBlinkPhase,
            machine.attrBlinkPhase, machine.pageIndex, machine.blinkCounter};
}

void RestoreState(const RendererState& s) {
    machine.currentAttr = s.currentAttr;
    machine.drawColor = s.drawColor;
    machine.cursorBlinkPhase = s.cursorBlinkPhase;
    machine.attrBlinkPhase = s.attrBlinkPhase;
    machine.pageIndex = s.pageIndex;
    machine.blinkCounter = s.blinkCounter;
}

void RandomGlyphs(void) {
    for (auto& byte : machine.fontRom)
        byte = static_cast<uint8_t>(rng() & rng()); // sparse glyphs, like real ones
    for (auto& byte : machine.pcgRam)
        Put(byte, static_cast<uint8_t>(rng()));
}

// One thing a frame is drawn from changed at random, or nothing, most often
// a byte of the screen area.
void ChangeSomething(void) {
    static const std::function<void()> changes[] = {
        [] {},
        [] {},
        [] {
            // Half the time in the row that holds the limit, the edge of what is drawn.
            int lastRow = (Get(machine.dmaCount[2]) & 0x3FFF) / 120;
            int row = Chance(50) ? lastRow : Pick(lastRow + 1);
            uint16_t address =
                static_cast<uint16_t>(Get(machine.dmaAddress[2]) + row * 120 + Pick(120));
            Put(machine.mainRam[address], static_cast<uint8_t>(rng()));
        },
        [] { machine.fontRom[Pick(kFontRomSize)] = static_cast<uint8_t>(rng()); },
        [] { Put(machine.pcgRam[Pick(kPcgRamSize)], static_cast<uint8_t>(rng())); },
        [] { Put(machine.pcgEnabled, Pick(2)); },
        [] { Put(machine.cursorX, Pick(80)); },
        [] { Put(machine.cursorY, Chance(80) ? Pick(25) : -1); },
        [] { Put(machine.columns80, Pick(2)); },
        [] { Put(machine.rows25, Pick(2)); },
        [] { Put(machine.monoMode, Pick(2)); },
        [] { Put(machine.bgColor, Pick(8)); },
        [] { Put(machine.greenDisplay, Pick(3)); },
        [] { Put(machine.displayOn, Chance(80) ? 1 : Pick(3) * 2); },
        [] { Put(machine.blinkRate, Pick(4)); },
        [] { Put(machine.ramSelect, Pick(2)); },
        [] { Put(machine.dmaCount[2], Pick(6000) | Pick(4) << 14); },
        [] { Put(machine.dmaAddress[2], Get(machine.dmaAddress[2]) + Pick(3) - 1); },
    };
    int pick = Pick(static_cast<int>(std::size(changes)) + 6);
    changes[pick < 6 ? pick % 3 : pick - 6]();
}

} // namespace

TEST(Differential, FastRendererMatchesTheReferenceOnRandomScreens) {
    VideoPrepare();
    RandomGlyphs();
    static uint32_t fast[kFrameWidth * kFrameHeight];
    for (int trial = 0; trial < 240; ++trial) {
        RandomMachine();
        RendererState before = SaveState();
        DrawScreen();
        RendererState fastState = SaveState();
        std::memcpy(fast, machine.framePixels, sizeof fast);
        RestoreState(before);
        RefDrawScreen();
        ASSERT_EQ(SaveState(), fastState) << "trial " << trial;
        for (int i = 0; i < kFrameWidth * kFrameHeight; ++i)
            ASSERT_EQ(fast[i] & 0xFFFFFF, machine.framePixels[i] & 0xFFFFFF)
                << "trial " << trial << " pixel " << i % kFrameWidth << "," << i / kFrameWidth;
    }
}

// The fast renderer's frame is carried from step to step, so a frame it
// keeps rather than paints must still be the reference's picture.
TEST(Differential, FramesInARowFollowEveryChange) {
    VideoPrepare();
    RandomGlyphs();
    RandomMachine();
    Put(machine.dmaCount[2], 2999);
    static uint32_t kept[kFrameWidth * kFrameHeight], reference[kFrameWidth * kFrameHeight];
    int unpainted = 0;
    for (int step = 0; step < 400; ++step) {
        ChangeSomething();
        RendererState before = SaveState();
        RefDrawScreen();
        RendererState referenceState = SaveState();
        std::memcpy(reference, machine.framePixels, sizeof reference);
        RestoreState(before);
        std::memcpy(machine.framePixels, kept, sizeof kept);
        unpainted += !DrawScreen();
        std::memcpy(kept, machine.framePixels, sizeof kept);
        ASSERT_EQ(SaveState(), referenceState) << "step " << step;
        for (int i = 0; i < kFrameWidth * kFrameHeight; ++i)
            ASSERT_EQ(kept[i] & 0xFFFFFF, reference[i] & 0xFFFFFF)
                << "step " << step << " pixel " << i % kFrameWidth << "," << i / kFrameWidth;
    }
    EXPECT_GT(unpainted, 100); // the unchanged frames, but for blinks
}
