// Kept apart from the file's parsing so that a fuzzing build can leave
// these byte loops untraced (their comparisons steer nothing).
#include "plus/state_checksum.h"

#include <array>

static constexpr std::array<uint32_t, 256> StateCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int k = 0; k < 8; k++)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
static constexpr std::array<uint32_t, 256> kStateCrc = StateCrcTable();

uint32_t StateCrc32(const uint8_t* bytes, size_t size) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; i++)
        c = kStateCrc[(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint64_t StateHash(const uint8_t* bytes, size_t size) {
    uint64_t hash = 0xCBF29CE484222325ull;
    for (size_t i = 0; i < size; i++)
        hash = (hash ^ bytes[i]) * 0x100000001B3ull;
    return hash;
}
