// Kept apart from the file's parsing so that a fuzzing build can leave
// these byte loops untraced (their comparisons steer nothing).
#include "plus/state_checksum.h"

#include <array>

// Eight tables, to take eight bytes a step: table k gives the CRC of a byte
// followed by k zero bytes.
using StateCrcTables = std::array<std::array<uint32_t, 256>, 8>;
static constexpr StateCrcTables StateCrcTablesMake() {
    StateCrcTables table{};
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int k = 0; k < 8; k++)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[0][n] = c;
    }
    for (size_t k = 1; k < table.size(); k++)
        for (uint32_t n = 0; n < 256; n++)
            table[k][n] = (table[k - 1][n] >> 8) ^ table[0][table[k - 1][n] & 0xFF];
    return table;
}
static constexpr StateCrcTables kStateCrc = StateCrcTablesMake();

uint32_t StateCrc32(const uint8_t* bytes, size_t size) {
    uint32_t c = 0xFFFFFFFFu;
    for (; size >= 8; bytes += 8, size -= 8) {
        uint32_t low = c ^ StateRead32(bytes), high = StateRead32(bytes + 4);
        c = kStateCrc[7][low & 0xFF] ^ kStateCrc[6][low >> 8 & 0xFF] ^
            kStateCrc[5][low >> 16 & 0xFF] ^ kStateCrc[4][low >> 24] ^ kStateCrc[3][high & 0xFF] ^
            kStateCrc[2][high >> 8 & 0xFF] ^ kStateCrc[1][high >> 16 & 0xFF] ^
            kStateCrc[0][high >> 24];
    }
    for (; size > 0; bytes++, size--)
        c = kStateCrc[0][(c ^ *bytes) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint64_t StateHash(const uint8_t* bytes, size_t size) {
    uint64_t hash = 0xCBF29CE484222325ull;
    for (size_t i = 0; i < size; i++)
        hash = (hash ^ bytes[i]) * 0x100000001B3ull;
    return hash;
}
