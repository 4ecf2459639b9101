// Saving and loading the machine, field by field: each device has a function
// XxxState(StateIo&) beside its power-on function that names its fields in
// order, and the same function writes them, checks a file's copy of them, or
// loads them. Every value travels little-endian, at its own width, so a file
// is the same on every host.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

enum class StateMode { kSave, kCheck, kLoad };

struct StateIo {
    StateMode mode;
    std::vector<uint8_t>* out; // kSave: the bytes so far
    const uint8_t* in;         // kCheck and kLoad: the bytes to read
    size_t at, end;
    bool ok = true;    // false once a read ran past the end or a value was refused
    uint64_t last = 0; // the value written or read last
    // Where each value lies in the bytes read, and in which section (0 for
    // the file's own framing), for walking a file field by field; null
    // while loading.
    struct Span {
        size_t at, size;
        uint32_t section;
    };
    std::vector<Span>* spans = nullptr;
    uint32_t section = 0;

    // One value: written, read and checked, or read and stored.
    template <typename T> void Value(T& field) {
        static_assert(std::is_integral_v<T>);
        using U = std::make_unsigned_t<T>;
        if (mode == StateMode::kSave) {
            U bits = static_cast<U>(field);
            for (size_t i = 0; i < sizeof(T); i++)
                out->push_back(static_cast<uint8_t>(bits >> (8 * i)));
            last = static_cast<uint64_t>(bits);
            return;
        }
        U bits = 0;
        if (!Take(sizeof(T))) return;
        for (size_t i = 0; i < sizeof(T); i++)
            bits = static_cast<U>(bits | static_cast<U>(in[at - sizeof(T) + i]) << (8 * i));
        last = static_cast<uint64_t>(bits);
        if (mode == StateMode::kLoad) field = static_cast<T>(bits);
    }
    template <typename T> void Value(std::atomic<T>& field) {
        T value = field.load(std::memory_order_relaxed);
        Value(value);
        if (mode == StateMode::kLoad) field.store(value, std::memory_order_relaxed);
    }
    // Byte arrays (the RAMs, most of a file) go in one step: a value at a
    // time would grow the vector 65,536 times for the main RAM alone.
    template <typename T, size_t N> void Values(T (&fields)[N]) {
        if constexpr (sizeof(T) == 1) {
            if (mode == StateMode::kSave) {
                size_t base = out->size();
                out->resize(base + N);
                CopyOut(out->data() + base, fields, N);
                return;
            }
            if (!Take(N)) return;
            const uint8_t* bytes = in + at - N;
            last = bytes[N - 1];
            if (mode == StateMode::kLoad) CopyIn(fields, bytes, N);
        } else {
            for (T& field : fields)
                Value(field);
        }
    }
    // A device's local copy of values it checks as a whole before taking
    // them: unlike a field, it is read while checking too.
    template <typename T, size_t N> void LocalValues(T (&values)[N]) {
        StateMode kept = mode;
        if (mode == StateMode::kCheck) mode = StateMode::kLoad;
        Values(values);
        mode = kept;
    }
    // One value that must not exceed most: a file holding more is refused.
    template <typename T> void Value(T& field, uint64_t most) {
        Value(field);
        Require(Last() <= most);
    }
    // A byte string of at most most bytes: its length, then the bytes.
    void Bytes(std::vector<uint8_t>& bytes, uint32_t most) {
        uint32_t size = static_cast<uint32_t>(bytes.size());
        Value(size, most);
        if (mode == StateMode::kSave) {
            out->insert(out->end(), bytes.begin(), bytes.end());
            return;
        }
        size = static_cast<uint32_t>(Last());
        if (!ok || !Take(size)) return;
        if (mode == StateMode::kLoad) bytes.assign(in + at - size, in + at);
    }
    // Refuses the file unless the value just read satisfies the check.
    void Require(bool check) {
        if (mode != StateMode::kSave && !check) ok = false;
    }
    // The value just read or written, for checks and for counts that say
    // how many values follow, alike in every mode.
    uint64_t Last(void) const { return last; }

    // Plain bytes are copied whole; bytes other threads share, one at a time
    // (state_io.cpp).
    template <typename T> static void CopyOut(uint8_t* to, const T* from, size_t n) {
        memcpy(to, from, n);
    }
    template <typename T> static void CopyIn(T* to, const uint8_t* from, size_t n) {
        static_assert(!std::is_same_v<T, bool>, "a copied byte need not be a valid bool");
        memcpy(to, from, n);
    }
    static void CopyOut(uint8_t* to, const std::atomic<uint8_t>* from, size_t n);
    static void CopyIn(std::atomic<uint8_t>* to, const uint8_t* from, size_t n);

    bool Take(size_t n) {
        if (!ok || end - at < n) {
            ok = false;
            return false;
        }
        if (spans) spans->push_back({at, n, section});
        at += n;
        return true;
    }
};
