// The beeper from the monitor's BEEP command to the audio device: the tone
// buffer is queued on the wave device while the beeper sounds.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "devices/beeper.h"
#include "state/machine_state.h"
#include "tests/machine/machine_support.h"

namespace {

bool ToneQueued(void) {
    return std::atomic_ref<DWORD>(machine.beepHeader.dwFlags).load() & WHDR_INQUEUE;
}

// Waits (in real time: the beeper's own thread moves the tone) for the
// tone to be queued or not, running the machine on meanwhile.
bool WaitForTone(bool queued) {
    for (int i = 0; i < 200; i++) {
        if (ToneQueued() == queued) return true;
        RunSlices(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

TEST(Beep, CommandsReachTheAudioDevice) {
    BeepSetUp();
    ASSERT_NE(machine.beepBuffer, nullptr);
    CreateThread(nullptr, 0, BeepThread, nullptr, 0, nullptr);
    MachineBoot();
    EXPECT_TRUE(WaitForTone(false)); // the ROM silenced the reset's tone

    Command("BEEP ON");
    EXPECT_EQ(Get(machine.beepOn), 1);
    EXPECT_TRUE(WaitForTone(true));
    Command("BEEP OFF");
    EXPECT_EQ(Get(machine.beepOn), 0);
    EXPECT_TRUE(WaitForTone(false));

    // A short beep stops by itself, before the prompt comes back.
    TypeLine("BEEP");
    EXPECT_EQ(Get(machine.beepOn), 1);
    ASSERT_TRUE(RunUntilPrompt(100));
    EXPECT_EQ(Get(machine.beepOn), 0);
}

} // namespace
