// The format of the sound: what the voice's recordings hold, what the sound
// stage hands its sink and what rech.wav stores. 16-bit signed samples, one
// channel, little-endian bytes in files.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

constexpr int SAMPLE_RATE = 22050;    // samples per second
constexpr int SAMPLE_BYTES = 2;       // one 16-bit sample
constexpr int SAMPLE_CHANNELS = 1;

// Little-endian sample bytes as samples and back; on a little-endian machine
// plain copies.
inline void samples_from_bytes(const unsigned char* from, std::int16_t* to, std::size_t m)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(to, from, 2 * m);
    } else {
        for (std::size_t i = 0; i < m; ++i)
            to[i] = static_cast<std::int16_t>(
                static_cast<std::uint16_t>(from[2 * i] | (from[2 * i + 1] << 8)));
    }
}

inline void samples_to_bytes(const std::int16_t* from, unsigned char* to, std::size_t m)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(to, from, 2 * m);
    } else {
        for (std::size_t i = 0; i < m; ++i) {
            const auto u = static_cast<std::uint16_t>(from[i]);
            to[2 * i] = static_cast<unsigned char>(u & 0xFF);
            to[2 * i + 1] = static_cast<unsigned char>(u >> 8);
        }
    }
}
