// Samples on their way into rech.wav: the arithmetic that makes a sample, the
// byte order of the file, and the writer that gathers them into large writes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/format_samples.h"
#include "zvuki/zvuki.h"

// A floating value as a 16-bit sample: truncated toward zero and clamped to
// -32768..32767, so loud speech saturates instead of wrapping into clicks; NaN
// (only from broken settings) is silence.
inline std::int16_t to_sample(double value)
{
    if (value != value)
        return 0;
    if (value >= 32767.0)
        return 32767;
    if (value <= -32768.0)
        return -32768;
    return static_cast<std::int16_t>(value);  // truncates toward zero
}
// The same for a value known to lie within the range of int (never NaN):
// truncating first and clamping the integer gives the same sample, and the
// loops over a syllable's samples compile to vector code this way.
inline std::int16_t int_to_sample(double value)
{
    const int t = static_cast<int>(value);
    return static_cast<std::int16_t>(t < -32768 ? -32768 : (t > 32767 ? 32767 : t));
}
// Whether every sample times g lies within the range of int.
inline bool gain_in_int_range(double g) { return g > -65536.0 && g < 65536.0; }

// Samples bound for the sink, gathered into writes of the sink's block_bytes.
// Computed samples are copied into the block; bytes that stay put for the
// whole run (a syllable's samples already at their loudness, silence) are
// only listed, and the system takes all of them from where they lie in one
// call. Once a write has failed, every later put reports failure too.
constexpr std::size_t OUT_BLOCK_BYTES = SAMPLE_BLOCK_BYTES;
constexpr int OUT_PARTS = 1024;
struct SampleWriter {
    SampleSink* sink = nullptr;
    std::size_t write_bytes = OUT_BLOCK_BYTES;  // a write is due when the parts hold this much
    std::array<unsigned char, OUT_BLOCK_BYTES> block;
    std::size_t used = 0;     // bytes of block taken
    std::array<iovec, OUT_PARTS> parts;
    int part_count = 0;
    std::size_t pending = 0;  // bytes the parts hold
    long long listed = 0;     // bytes handed to the writer since the start
    bool failed = false;
};
void writer_start(SampleWriter& w, SampleSink& sink);
// Writes what is pending; false once any write has failed.
bool flush_samples(SampleWriter& w);
// count zero samples; false at a failed write.
bool put_silence(SampleWriter& w, long long count);
// m samples, copied; false at a failed write.
bool put_samples(SampleWriter& w, const std::int16_t* samples, std::size_t m);
// bytes of little-endian samples that stay unchanged until the end of the
// run, written from where they are; false at a failed write.
bool put_lasting(SampleWriter& w, const unsigned char* bytes, std::size_t n);
// n bytes after used in the block, filled by the caller, become part of the
// output; false at a failed write.
bool commit_block(SampleWriter& w, std::size_t n);
// Room left in the block, in samples.
inline std::size_t block_room(const SampleWriter& w) { return (w.block.size() - w.used) / 2; }

// The loops that run a syllable's samples through, a chunk at a time; each
// gives, sample for sample, what the plain rule gives.
constexpr std::size_t CHUNK_SAMPLES = 2048;
using Chunk = std::array<std::int16_t, CHUNK_SAMPLES>;
// Loudness of little-endian sample bytes, from one block into another.
void gain_bytes(const unsigned char* from, unsigned char* to, std::size_t m, double g);
// Loudness: each sample times the gain.
void gain_samples(std::int16_t* s, std::size_t m, double g);
// m samples of little-endian bytes times g, into to.
void gain_sample_bytes(const unsigned char* from, std::int16_t* to, std::size_t m, double g);
// The fade-out: the samples whose remaining count is below fade_len are scaled
// down linearly, by 1 - 1/f, 1 - 2/f, ...; faded_before of them came earlier.
void fade_samples(std::int16_t* s, std::size_t m, long long faded_before, std::int16_t fade_len);
// The crossfade from the held samples old into the samples s, already at
// their loudness, into to; the first is step j of overlap_len.
void crossfade_samples(const std::int16_t* s, const std::int16_t* old, std::int16_t* to, std::size_t m,
                       long long j, long long overlap_len);
