// The two checksums of a state file: CRC-32 over its payload, and FNV-1a
// naming each ROM image by its contents.
#pragma once

#include <cstddef>
#include <cstdint>

// A little-endian 32-bit value, as a state file holds them.
inline uint32_t StateRead32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// CRC-32, reflected, polynomial 0xEDB88320 (as zip and PNG use).
uint32_t StateCrc32(const uint8_t* bytes, size_t size);
uint64_t StateHash(const uint8_t* bytes, size_t size);
