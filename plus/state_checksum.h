// The two checksums of a state file: CRC-32 over its payload, and FNV-1a
// naming each ROM image by its contents.
#pragma once

#include <cstddef>
#include <cstdint>

// CRC-32, reflected, polynomial 0xEDB88320 (as zip and PNG use).
uint32_t StateCrc32(const uint8_t* bytes, size_t size);
uint64_t StateHash(const uint8_t* bytes, size_t size);
