// The byte copies of a state's shared RAMs, kept apart from the parsing so
// that a fuzzing build can leave their loops untraced: they steer nothing,
// and the main RAM alone is 65,536 steps of each.
#include "state/state_io.h"

void StateIo::CopyOut(uint8_t* to, const std::atomic<uint8_t>* from, size_t n) {
    for (size_t i = 0; i < n; i++)
        to[i] = from[i].load(std::memory_order_relaxed);
}

void StateIo::CopyIn(std::atomic<uint8_t>* to, const uint8_t* from, size_t n) {
    for (size_t i = 0; i < n; i++)
        to[i].store(from[i], std::memory_order_relaxed);
}
