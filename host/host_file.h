// Reading a file a host was given whole: a paste, or a listing or tape to
// open. Shared with the libretro core, which reads its content so.
#pragma once

#include <cstdint>
#include <string>

// The most bytes of such a file; the plus library queues at most
// kPasteMostKeys of a paste's characters.
constexpr uint64_t kHostLongestFile = 16u << 20;

// Reads the file whole into text; false with error when it cannot be read
// or holds more than kHostLongestFile bytes.
bool HostReadFile(const std::string& path, std::string& text, std::string& error);
