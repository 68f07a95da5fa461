// The voice's recordings during one run: the store that holds them (and their
// samples at the loudnesses they were said at) after their first use, and the
// source that hands a syllable's samples to the joiner from wherever they lie.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/textfile.h"
#include "zvuki/recording_name.h"

struct SampleWriter;

// The recordings held for one run, each read from its file once: a fixed
// arena, and a table of names. A recording that finds no room is read from its
// file every time, as is every one when the store is off. A second arena keeps
// held recordings at the loudnesses they were spoken at (a syllable is said at
// one of a few), for as long as there is room: the default voice's common
// syllables need under 3 MiB of it. The two arenas bound what any voice takes.
// A variant of a syllable that the voice lacks is noted in the table too, so
// that it is looked for once a run, not at every syllable.
constexpr std::size_t VOICE_ARENA_BYTES = std::size_t{8} << 20;
constexpr std::size_t GAINED_ARENA_BYTES = std::size_t{4} << 20;
constexpr std::size_t VOICE_SLOTS = 4096;  // a power of two; at most half of it used
constexpr int GAINED_COPIES = 4;
struct GainedCopy {
    std::uint32_t gain_bits;  // the gain's float, bit for bit
    std::size_t at;           // the first sample in the arena
};
struct KeptRecording {
    std::array<char, RECORDING_NAME_BYTES> name{};  // empty: a free slot
    std::size_t at = 0;
    std::size_t size = 0;
    std::array<GainedCopy, GAINED_COPIES> gained;
    int gained_count = 0;
    bool absent = false;  // the voice has no such file
};
struct VoiceStore {
    std::array<KeptRecording, VOICE_SLOTS> slots{};
    std::size_t slots_used = 0;
    std::array<unsigned char, VOICE_ARENA_BYTES> arena;
    std::size_t arena_used = 0;
    std::array<std::int16_t, GAINED_ARENA_BYTES / 2> gained_arena;
    std::size_t gained_used = 0;  // samples
};
// The slot of name: the one holding it, or the free one where it would go.
KeptRecording& voice_slot(VoiceStore& store, const char* name);
// Reads the open recording of size bytes into the arena when it fits; true
// when it is now held (the file is then closed).
bool voice_keep(VoiceStore& store, KeptRecording& slot, const char* name, TextFile& file, long long size);
// Notes in the free slot that the voice has no recording of that name, when
// recordings are kept and there is room.
void voice_note_absent(VoiceStore& store, KeptRecording& slot, const char* name);
// The samples of a held recording, each times gain as the joiner computes it,
// kept for the rest of the run so that a syllable said again costs no
// arithmetic; on a little-endian machine their bytes are those of the file.
// nullptr when there is no room, or on a big-endian machine.
const std::int16_t* gained_samples(VoiceStore& store, KeptRecording& slot, float gain);

// How recordings are read and positioned; tests swap these to make a
// recording fail part-way.
struct RecordingIo {
    std::size_t (*read)(TextFile& f, void* data, std::size_t n);
    bool (*seek)(TextFile& f, long long offset, int whence);
};
extern RecordingIo recording_io;
// Whether the stage keeps recordings in memory after their first use; off,
// every syllable reads its file through recording_io.
extern bool recording_cache_enabled;

// One syllable's samples as the joiner takes them, at the syllable's
// loudness: from the store's copy at that loudness, from the recording held in
// memory, or from its open file in blocks, never past the samples it holds
// (an odd last byte is never read). Fewer samples than asked for come only
// when the recording ends or a read fails.
constexpr std::size_t IN_BLOCK_BYTES = 16384;
struct SampleSource {
    // The recording: an open file, or its bytes in memory (held in the store when kept is set).
    TextFile* file = nullptr;
    const unsigned char* bytes = nullptr;
    long long size = 0;                  // bytes
    VoiceStore* store = nullptr;
    KeptRecording* kept = nullptr;
    const char* name = "";               // its file name, for messages
    // The reading.
    long long start = 0;                 // the byte reading begins at
    double gain = 1.0;
    std::array<unsigned char, IN_BLOCK_BYTES> block;
    const unsigned char* data = nullptr;   // the block, or the recording in memory
    const std::int16_t* gained = nullptr;  // its samples at the gain from data's first on, if kept
    std::size_t pos = 0;
    std::size_t len = 0;
    long long left = 0;                  // samples of the file not yet fetched
};
// Skips the first samples of the recording (nothing read yet); false when the file cannot seek.
bool source_skip(SampleSource& s, long long samples);
// Starts reading samples samples at gain.
void source_start(SampleSource& s, long long samples, float gain);
// Up to m samples at their loudness; from points at them (at chunk, or where they are kept).
std::size_t source_gained(SampleSource& s, std::int16_t* chunk, const std::int16_t*& from, std::size_t m);
// Up to m samples into chunk, faded as the k-th faded sample onward with fade_len, then at their loudness.
std::size_t source_faded(SampleSource& s, std::int16_t* chunk, std::size_t m, long long k, std::int16_t fade_len);
// Some of the next m samples at their loudness straight into out, when the
// source has them waiting: how many (0 when it has none, or out has failed).
// ok turns false at a failed write.
std::size_t source_put(SampleSource& s, SampleWriter& out, std::size_t m, bool& ok);
void source_close(SampleSource& s);
