// Stage four: the syllables of slogi.tmp (src/common/format_slogi.h) spoken
// into samples (src/common/format_samples.h) from a voice's recordings, and
// the WAV file that holds them as rech.wav does.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/format_samples.h"
#include "common/settings.h"
#include "common/textfile.h"
#include "platform.h"  // struct iovec
#include "zvuki/recording_name.h"

struct SoundSettings {
    int speed = DEFAULT_SPEED;  // percent; outside SPEED_MIN..SPEED_MAX read as 100
    float volume = DEFAULT_VOLUME;  // loudness factor
    float stutter = DEFAULT_STUTTER;  // a recording's samples divided by it give its length unit
    // No silence before the first syllable and none after the last one.
    bool trim = false;
    // READING_EVERYDAY: a voice that brings its own rhythm is joined by it.
    int reading = DEFAULT_READING;
};

// The recordings of a voice and the working memory of the stage, for as many
// texts as are spoken with it (one at a time): a recording is read from its
// file once and then kept while there is room.
struct Voice;
struct VoiceFree {
    void operator()(Voice* v) const;
};
using VoicePtr = std::unique_ptr<Voice, VoiceFree>;
// The recordings are found at root (a directory and its separator, or "")
// followed by prefix (a directory name ending in its separator, as the voice
// setting; a recording whose prefix and name pass VOICE_BYTES is not
// sounded). false when there is no memory for the voice or root is too long.
bool voice_open(const char* root, const char* prefix, VoicePtr& voice);
// Whether the voice directory holds the recording of any vowel: a directory
// without one is no voice.
bool voice_has_recordings(Voice& voice);

// The most the stage gathers into one write.
constexpr std::size_t SAMPLE_BLOCK_BYTES = std::size_t{256} << 10;

// A voice's own rhythm for the everyday reading: this file in its directory,
// written by voicegen (one "name value" a line, lengths in samples).
constexpr char RHYTHM_FILE[] = "prosody.txt";

// Where the stage's samples go. The stage gathers them into writes of
// block_bytes (an even number, at most SAMPLE_BLOCK_BYTES) and hands each over as parts, in
// order, of little-endian sample bytes.
struct SampleSink {
    void* user = nullptr;
    // Takes the parts whole; false stops the stage with ZvukiFault::write.
    bool (*write)(void* user, iovec* parts, int count) = nullptr;
    // Each pause the stage makes, before its silence: the byte that made it
    // (a mark of JOIN_CODES, END_MARKER at the end of the text), the samples
    // made before it, and its length in samples. Every sample before it has
    // been written when the sink has this call.
    void (*pause)(void* user, unsigned char mark, long long at, long long length) = nullptr;
    void* pause_user = nullptr;  // what pause is called with
    std::size_t block_bytes = SAMPLE_BLOCK_BYTES;
};

// What a run has to say on its way; any hook may be null.
enum class ZvukiProgress { start, step, end };  // the bar: its start, each twentieth, its end
// The bar's twentieths: a step is due when the reading stands past the next
// twentieth of the text's size, at most one at a time.
struct ZvukiBar {
    double size = 0;
    double step = 0.05;
};
inline bool zvuki_bar_step(ZvukiBar& bar, long long at)
{
    if (bar.size > 0 && static_cast<double>(at) / bar.size > bar.step) {
        bar.step += 0.05;
        return true;
    }
    return false;
}
struct ZvukiEvents {
    void* user = nullptr;
    void (*progress)(void* user, ZvukiProgress what) = nullptr;
    // When set, where the reading stands in the text at each of the bar's
    // checks, and the bar's steps are left to it (for a text whose size is
    // not known yet while it is being spoken); the start and the end still
    // come to progress.
    void (*reading)(void* user, long long at) = nullptr;
    // A syllable whose recording the voice does not have; it is left out.
    void (*missing)(void* user, const char* recording) = nullptr;
    // Once set, the stage stops within one syllable (ZvukiFault::stopped).
    const std::atomic<bool>* stop = nullptr;
};

enum class ZvukiFault {
    none,
    no_memory,
    mode_set,        // a recording could not be switched to binary reading
    write,           // the sink refused samples
    write_on_morph,  // ... during a crossfade
    write_on_main,   // ... during a syllable's body (recording names it)
    read_on_morph,   // a recording ended during a crossfade (first: the overlap, second: samples left)
    read_on_main,    // ... during its body (recording)
    read_on_tail,    // ... during its held tail (first: samples left, recording)
    read_on_skip,    // its start could not be skipped
    stopped,         // ZvukiEvents::stop
};
struct ZvukiResult {
    ZvukiFault fault = ZvukiFault::none;
    long long first = 0;
    long long second = 0;
    std::array<char, RECORDING_NAME_BYTES> recording{};
};

// Speaks slogi (open for reading, up to its end marker) into sink with the
// voice, under settings: the lead-in silence, then every syllable joined to
// the last, with the pauses of the marks.
ZvukiResult Zvuki(TextFile& slogi, Voice& voice, const SoundSettings& settings, SampleSink& sink,
                  const ZvukiEvents& events);

// rech.wav's form: a 44-byte header, then the samples. The file is open
// "w+"; wav_start writes the header with placeholder sizes (false when the
// file cannot be switched to binary), wav_sink writes the samples after it,
// keeping both sizes true after every write, and wav_finish states the final
// sizes, giving the file's whole length (false when a write has failed).
bool wav_start(TextFile& file);
SampleSink wav_sink(TextFile& file);
bool wav_finish(TextFile& file, long long& total_length);
// Whether a file of total_length bytes is longer than its header can describe,
// and the one line that says so.
bool wav_too_long(std::int64_t total_length);
constexpr char WAV_TOO_LONG_MESSAGE[] =
    "\nrech.wav is longer than a WAV file can describe; its size fields say 4 GiB.\n";
