// The RIFF WAVE header of rech.wav, written by Wavetag.
#pragma once

#include <array>
#include <cstdint>

#include "common/textfile.h"

constexpr int WAV_HEADER_BYTES = 44;
constexpr int SAMPLE_RATE = 22050;

// The largest size a 32-bit field of the header can state.
constexpr std::int64_t WAV_SIZE_MAX = 0xFFFFFFFF;
// A size as its header field holds it: above WAV_SIZE_MAX the maximum itself;
// a negative size (the first call's placeholders) as 32-bit two's complement.
std::uint32_t wav_size_field(std::int64_t size);
// Whether a file of total_length bytes is longer than its header can describe.
bool wav_too_long(std::int64_t total_length);
// The one line that says so.
constexpr char WAV_TOO_LONG_MESSAGE[] =
    "\nrech.wav is longer than a WAV file can describe; its size fields say 4 GiB.\n";

// The header of a file of total_length bytes.
using WavHeader = std::array<unsigned char, WAV_HEADER_BYTES>;
void wav_header_bytes(WavHeader& h, std::int64_t total_length);
// Where the first size field starts: everything from there to the end of the
// header is rewritten in one write, so both sizes always agree on disk.
constexpr int WAV_SIZES_FROM = 4;

// Writes (or rewrites) the 44-byte header at the start of out, switching it to
// binary first; the position is then just behind the header. 0 when binary mode
// could not be set (message printed, key awaited, nothing written).
int Wavetag(TextFile& out, std::int64_t total_length);
