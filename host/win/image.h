// Pictures of the window: the client area read back, and written as a BMP or
// PNG file for the test options.
#pragma once

#include <cstdint>
#include <string>
#include <vector>
#include <windows.h>

struct Picture {
    int width;
    int height;
    std::vector<uint32_t> pixels; // 0x00RRGGBB, top row first
};

// Reads the client area as it is on the screen now: what the emulator last
// presented onto it.
bool CaptureClient(HWND window, Picture* picture);

// Writes picture to path: PNG if the name ends in ".png" (any case), else
// BMP. False with error if the file cannot be written.
bool SavePicture(const std::string& path, const Picture& picture, std::string& error);
