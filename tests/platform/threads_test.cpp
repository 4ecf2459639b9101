// Threads: CreateThread, and a shim window shared between a presenting
// thread and the host, as ScreenThread and a host share one. Run under
// ThreadSanitizer in CI.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <vector>

#include "winshim_host.h"

namespace {

struct Started {
    std::atomic<int> calls{0};
    std::atomic<LPVOID> parameter{nullptr};
};

DWORD WINAPI Record(LPVOID parameter) {
    auto* started = static_cast<Started*>(parameter);
    started->parameter.store(parameter);
    started->calls.fetch_add(1);
    return 0;
}

struct Presenter {
    HWND window;
    std::atomic<bool> stop{false};
    std::atomic<int> frames{0};
};

// ScreenThread's present, over and over: each frame paints the 640 by 480
// source in one colour of its own (never 0) and stretches it onto the
// window's client area as last seen.
DWORD WINAPI Present(LPVOID parameter) {
    auto* p = static_cast<Presenter*>(parameter);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 640, -480, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HBITMAP frame = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, frame);
    HDC windowDc = GetDC(p->window);
    SetStretchBltMode(windowDc, COLORONCOLOR);
    RECT all = {0, 0, 640, 480};
    for (COLORREF colour = 1; !p->stop.load(); colour++) {
        HBRUSH brush = CreateSolidBrush(colour & 0xFFFFFF ? colour : 1);
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        RECT client;
        GetClientRect(p->window, &client);
        if (client.right && client.bottom)
            StretchBlt(windowDc, 0, 0, client.right, client.bottom, dc, 0, 0, 640, 480, SRCCOPY);
        p->frames.fetch_add(1);
    }
    p->frames.store(-1);
    return 0;
}

} // namespace

TEST(Threads, CreateThreadRunsTheFunctionWithItsParameter) {
    Started started;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, Record, &started, 0, &id);
    EXPECT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    for (int i = 0; i < 1000 && started.calls.load() == 0; i++)
        Sleep(2);
    EXPECT_EQ(started.calls.load(), 1);
    EXPECT_EQ(started.parameter.load(), &started);
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
}

// The host reads whole frames while another thread presents and the host
// itself resizes the window, down to nothing and back. A frame torn between
// two presents would show two different colours.
TEST(Threads, HostReadsWholeFramesDuringPresentsAndResizes) {
    Presenter p;
    p.window = ShimCreateWindow(640, 480);
    ASSERT_NE(CreateThread(nullptr, 0, Present, &p, 0, nullptr), nullptr);
    const int sizes[][2] = {{1280, 960}, {0, 0}, {641, 479}, {320, 240}, {7, 0}, {640, 480}};
    std::vector<uint32_t> pixels(1280 * 960);
    int torn = 0, reads = 0;
    for (int round = 0; round < 60; round++) {
        auto [w, h] = sizes[round % 6];
        ShimResizeWindow(p.window, w, h);
        int start = p.frames.load();
        for (int i = 0; i < 1000 && p.frames.load() < start + 2; i++)
            Sleep(1);
        int width, height;
        int count = ShimReadWindow(p.window, pixels.data(), static_cast<int>(pixels.size()), &width,
                                   &height);
        EXPECT_EQ(count, width * height);
        // The frame may be older than the last resize, so part of it may
        // still be cleared; what is painted is one frame's colour.
        uint32_t seen = 0;
        for (int i = 0; i < count; i++) {
            if (!pixels[i]) continue;
            if (seen && pixels[i] != seen) {
                torn++;
                break;
            }
            seen = pixels[i];
        }
        reads += count > 0;
    }
    p.stop.store(true);
    for (int i = 0; i < 1000 && p.frames.load() != -1; i++)
        Sleep(2);
    EXPECT_EQ(torn, 0);
    EXPECT_GT(reads, 0);
    EXPECT_GT(ShimPresentCount(p.window), 0u);
    int width, height;
    EXPECT_EQ(ShimReadWindow(p.window, pixels.data(), 10, &width, &height), 0) << "too small";
    EXPECT_EQ(width * height, 640 * 480);
}

// A host waiting for presents wakes at each one, and reads the frame of one
// present whole; with none to come it waits out its timeout.
TEST(Threads, HostWaitsForPresentsAndReadsWholeFrames) {
    Presenter p;
    p.window = ShimCreateWindow(640, 480);
    EXPECT_EQ(ShimWaitPresent(p.window, 0, 20), 0u) << "no present: the timeout";
    EXPECT_EQ(ShimWaitPresent(p.window, 7, -1), 0u) << "already different: at once";
    EXPECT_EQ(ShimWaitPresent(nullptr, 0, -1), 0u) << "no window: at once";
    ASSERT_NE(CreateThread(nullptr, 0, Present, &p, 0, nullptr), nullptr);
    std::vector<uint32_t> frame(640 * 480);
    unsigned seen = 0;
    int torn = 0;
    for (int round = 0; round < 20; round++) {
        unsigned now = ShimWaitPresent(p.window, seen, -1);
        EXPECT_NE(now, seen);
        seen = now;
        int width, height;
        ASSERT_EQ(ShimReadFrame(p.window, frame.data(), 640 * 4, 640, 480, &width, &height),
                  640 * 480);
        torn += std::count(frame.begin(), frame.end(), frame[0]) != 640 * 480;
    }
    p.stop.store(true);
    for (int i = 0; i < 1000 && p.frames.load() != -1; i++)
        Sleep(2);
    EXPECT_EQ(torn, 0);
}
