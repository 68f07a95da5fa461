// Internals of the sound stage, shared by its sources and its tests only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/textfile.h"
#include "zvuki/recording_name.h"

#include <bit>
#include <cstring>

using Slog = std::array<char, SLOG_BYTES>;
// The tail of the last syllable held back for the next crossfade, in samples.
constexpr int TAIL_SAMPLES = 8192;
constexpr int WAV_HEADER_BYTES = 44;
constexpr int SAMPLE_RATE = 22050;
constexpr int LEAD_IN_SAMPLES = 998;
// One step of pause, in samples at speed 100; the join codes are multiples of it.
constexpr int PAUSE_UNIT = 500;
// The length mark of the token that met the end of slogi.tmp.
constexpr int TOKEN_END = -1;
// The code of the text that stood right before the end marker.
constexpr int END_CODE = 1000;

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

// Writes (or rewrites) the 44-byte header at the start of out, switching it to
// binary first; the position is then just behind the header. 0 when binary mode
// could not be set (message printed, key awaited, nothing written).
int Wavetag(TextFile& out, std::int64_t total_length);

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

// Samples bound for rech.wav, gathered into writes of about OUT_BLOCK_BYTES.
// Computed samples are copied into the block; bytes that stay put for the
// whole run (a syllable's samples already at their loudness, silence) are
// only listed, and the system takes all of them from where they lie in one
// call. Once a write has failed, every later put reports failure too.
constexpr std::size_t OUT_BLOCK_BYTES = std::size_t{256} << 10;
constexpr int OUT_PARTS = 1024;
struct SampleWriter {
    TextFile* file = nullptr;
    std::array<unsigned char, OUT_BLOCK_BYTES> block;
    std::size_t used = 0;     // bytes of block taken
    std::array<iovec, OUT_PARTS> parts;
    int part_count = 0;
    std::size_t pending = 0;  // bytes the parts hold
    bool failed = false;
};
void writer_start(SampleWriter& w, TextFile& file);
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

// One token of slogi.tmp as the reader left it. The bytes after the NUL keep
// what earlier tokens left there: the joiner looks at the second byte of a
// token that ended at its first byte.
struct SlogToken {
    Slog text{};
    int code = 0;
    int length = 0;         // characters, or TOKEN_END
    bool too_long = false;  // more than 9 characters; text holds the first 9
};
void read_slog_token(TextFile& in, SlogToken& token);

// What lives from one syllable to the next during one run of the stage.
struct JoinState {
    std::array<std::int16_t, TAIL_SAMPLES> tail_buffer;
    int held;       // samples at the start of tail_buffer that belong to the last tail
    Slog prev_slog; // letters of the last sounded syllable
    int prev_code;  // last join code, or the length of the last pause; 3 at the start
    // The settings of this run.
    int speed;
    float stutter;
    float volume;
};
extern JoinState join_state;
// Puts the state back to the start of a run and takes the settings.
void join_reset();

// The letter rules: the overlap's divisor (and the shrink factor of the
// halving) after a syllable boundary, and the loudness of a syllable.
float class_factor_for(const Slog& cur, const Slog& prev, int cur_code, float& shrink_factor);
float class_gain_for(const Slog& cur, int cur_code);

// Sounds one opened recording of n samples onto out. cur_code may come back as
// a pause length. false after a failure (message printed, key awaited). The
// recording is closed either way.
// A recording as join_slog reads it: an open file (read through
// recording_io), or its bytes held in memory for the run.
struct SlogRecording {
    TextFile* file = nullptr;
    const unsigned char* bytes = nullptr;
    long long size = 0;
    long long start = 0;  // the byte reading begins at
    int kept = -1;        // its place in the stage's store of recordings, if held there
};
// The samples of a held recording, each times gain as the joiner computes
// it, kept for the rest of the run so that a syllable said again costs no
// arithmetic; on a little-endian machine their bytes are those of the file.
// nullptr for a recording not held, when there is no room, or on a
// big-endian machine.
const std::int16_t* gained_samples(const SlogRecording& rec, float gain);
// m samples of little-endian bytes times g, as the joiner sounds them.
void gain_sample_bytes(const unsigned char* from, std::int16_t* to, std::size_t m, double g);
bool join_slog(SlogRecording& recording, long long n, const Slog& cur_slog, int& cur_code,
               const Slog& next_slog, int next_code, const char* file_name, SampleWriter& out);
// Writes the held tail unchanged and empties it; called before every pause.
void flush_held(SampleWriter& out);

// The values one join_slog call worked with, for tests and diagnostics.
struct JoinTrace {
    long long n = 0;             // samples in the recording
    long long unit = 0;
    int cur_code = 0;            // after the word-end and stop rules
    long long overlap_start = 0; // after the overlap rule and the bounds
    float class_factor = 1.0f;
    float shrink_factor = 1.0f;
    long long overlap_after_class = 0;
    int pass_len = 0;
    long long held_after_halving = 0;
    long long overlap_after_halving = 0;
    long long tail_len = 0;      // after the caps
    long long skip = 0;          // samples skipped at the start of the recording
    long long overlap_len = 0;   // the crossfade's length
    long long held = 0;          // held samples the crossfade starts from
    int fade_len = 1;
    float class_gain = 1.0f;
    float gain = 1.0f;
    long long passed = 0;        // held samples written unchanged before the crossfade
    long long written = 0;       // new samples written (crossfaded and body)
    long long stored = 0;        // samples stored as the new tail
};
// Called after every successful join_slog when set.
extern void (*join_trace_hook)(const JoinTrace& trace);

// How recordings are read and positioned; tests swap these to make a
// recording fail part-way.
// Whether the stage keeps recordings in memory after their first use; off,
// every syllable reads its file through recording_io.
extern bool recording_cache_enabled;
struct RecordingIo {
    std::size_t (*read)(TextFile& f, void* data, std::size_t n);
    bool (*seek)(TextFile& f, long long offset, int whence);
};
extern RecordingIo recording_io;
