// The RIFF WAVE header of rech.wav, written by Wavetag.
#pragma once

#include <array>
#include <cstdint>

#include "common/format_samples.h"
#include "common/textfile.h"
#include "zvuki/zvuki.h"

constexpr int WAV_HEADER_BYTES = 44;

// The largest size a 32-bit field of the header can state.
constexpr std::int64_t WAV_SIZE_MAX = 0xFFFFFFFF;
// A size as its header field holds it: above WAV_SIZE_MAX the maximum itself;
// a negative size (the first call's placeholders) as 32-bit two's complement.
std::uint32_t wav_size_field(std::int64_t size);

// The header of a file of total_length bytes.
using WavHeader = std::array<unsigned char, WAV_HEADER_BYTES>;
void wav_header_bytes(WavHeader& h, std::int64_t total_length);
// Where the first size field starts: everything from there to the end of the
// header is rewritten in one write, so both sizes always agree on disk.
constexpr int WAV_SIZES_FROM = 4;

// Writes (or rewrites) the 44-byte header at the start of out, switching it to
// binary first; the position is then just behind the header. false when binary
// mode could not be set (nothing written).
bool Wavetag(TextFile& out, std::int64_t total_length);
