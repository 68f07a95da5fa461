// The intoned path's results kept for the rest of a voice's life: a syllable
// laid again at a pitch it was laid at before is taken from here, byte for
// byte what psola() made then. A result is kept the second time it is made
// (most are made once only), while the arena has room; its key is exact.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "zvuki/recording_name.h"

constexpr std::size_t INTONED_ARENA_BYTES = std::size_t{8} << 20;
constexpr std::size_t INTONED_SLOTS = 4096;   // a power of two; at most half used
constexpr std::size_t INTONED_SEEN = 16384;   // a power of two; at most half used

// Everything psola() is given besides the recording's samples and marks,
// which its name fixes.
struct IntonedKey {
    std::array<char, RECORDING_NAME_BYTES> name{};
    double factor = 0;
    float f0_from = 0;
    float f0_to = 0;
    int shape = 0;
};
struct IntonedResult {
    IntonedKey key;
    std::size_t at = 0;    // its first byte in the arena
    std::size_t size = 0;  // bytes; 0: a free slot
};
struct IntonedStore {
    std::array<IntonedResult, INTONED_SLOTS> slots{};
    std::size_t slots_used = 0;
    // The keys made once, by their hashes (0: none): a second making of one is kept.
    std::array<std::uint64_t, INTONED_SEEN> seen{};
    std::size_t seen_used = 0;
    std::array<unsigned char, INTONED_ARENA_BYTES> arena;
    std::size_t arena_used = 0;
};

IntonedKey intoned_key(const char* name, double factor, float f0_from, float f0_to, int shape);
// The kept result of key, or nullptr (always when keeping is off).
const IntonedResult* intoned_find(const IntonedStore& store, const IntonedKey& key);
// Where a result of bytes for key is to be written to be kept, or nullptr
// when it is not kept (made for the first time, no room, or keeping is off):
// the caller then writes it elsewhere. key must not be kept already.
unsigned char* intoned_room(IntonedStore& store, const IntonedKey& key, std::size_t bytes);
