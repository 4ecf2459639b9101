// The host switches the cassette file while the processor saves to it: the
// name and flags change in one step for the port handlers, so every byte
// lands in exactly one of the files.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/z80home.h"
#include "ports.h"
#include "state/machine_state.h"
#include "tape.h"

namespace {

// Whether written is an interleaving of first and second: every byte in
// exactly one of them, each in the order it was written.
bool IsInterleaving(const std::vector<int>& written, const std::vector<int>& first,
                    const std::vector<int>& second) {
    if (first.size() + second.size() != written.size()) return false;
    // reachable[j]: the first i + j bytes split as i from first, j from second.
    std::vector<char> reachable(second.size() + 1, 0);
    for (size_t i = 0; i <= first.size(); ++i) {
        for (size_t j = 0; j <= second.size(); ++j) {
            if (i == 0 && j == 0) {
                reachable[0] = 1;
                continue;
            }
            int next = written[i + j - 1];
            bool fromFirst = i > 0 && reachable[j] && first[i - 1] == next;
            bool fromSecond = j > 0 && reachable[j - 1] && second[j - 1] == next;
            reachable[j] = fromFirst || fromSecond;
        }
    }
    return reachable[second.size()];
}

TEST(CassetteThreads, SwitchingFilesWhileSavingLosesAndDoublesNothing) {
    ResetEmu();
    TapeFolder folder;
    std::string first = folder.File("first.cmt");
    std::string second = folder.File("second.cmt");
    SetCMTFile(first.c_str());

    // Each side goes on until the other has done its share, so the two
    // overlap however the threads are scheduled.
    constexpr int kLeastBytes = 2000;
    constexpr int kLeastSwitches = 100;
    std::vector<int> written;
    std::atomic<bool> saved{false};
    std::atomic<int> switches{0};
    std::atomic<int> badStatus{0};
    std::thread cpu([&] {
        for (int i = 0; i < kLeastBytes || switches < kLeastSwitches; ++i) {
            // Varied bytes keep a lost or doubled one from hiding in a repeat.
            int byte = (i * 37 + i / 256) & 0xFF;
            written.push_back(byte);
            Out(0x20, byte);
            if (In(0x21) != 0x07 || (In(0x40) & 0x04) == 0) ++badStatus;
            std::this_thread::yield();
        }
        saved = true;
    });
    for (int n = 0; !saved; ++n) {
        SetCMTFile((n & 1) ? first.c_str() : second.c_str());
        ++switches;
        std::this_thread::yield();
    }
    cpu.join();

    std::vector<int> a = ReadBytes(first), b = ReadBytes(second);
    EXPECT_EQ(a.size() + b.size(), written.size());
    EXPECT_TRUE(IsInterleaving(written, a, b));
    EXPECT_EQ(badStatus, 0);
}

} // namespace
