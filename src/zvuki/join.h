// Joining one syllable's recording onto the speech: the join codes, the state
// kept from one syllable to the next, the plan of a join (pure arithmetic on
// lengths and factors) and its emission.
#pragma once

#include <array>
#include <cstdint>

#include "common/format_slogi.h"
#include "zvuki/recording_name.h"
#include "zvuki/zvuki.h"

struct SampleWriter;
struct SampleSource;

using Slog = std::array<char, SLOG_BYTES>;

// The shortest pause code: what a word end before a pause mark becomes, and
// the state before the first syllable (as after a pause: nothing to join to).
constexpr int SHORTEST_PAUSE = 3;

// One token of slogi.tmp as the reader left it. The bytes after the NUL keep
// what earlier tokens left there: the joiner looks at the second byte of a
// token that ended at its first byte.
struct SlogToken {
    Slog text{};
    int code = 0;
    unsigned char mark = 0;  // the byte that ended it
    int length = 0;         // characters, or TOKEN_END
    bool too_long = false;  // more than 9 characters; text holds the first 9
};

// The tail of the last syllable held back for the next crossfade, in samples.
constexpr int TAIL_SAMPLES = 8192;

// The voice's own rhythm for the everyday reading, from the file RHYTHM_FILE
// in its directory (written by voicegen; one "name value" a line, lengths in
// samples): crossfade, how long neighbouring syllables overlap; closure, the
// silence before a voiceless stop; pause, the speaker's pause between phrases;
// stretch, the length the recordings are stretched to at speed 100, in
// percent (100: as recorded), which the speed setting then divides by the
// pace it asks for (see rhythm_stretch); stressed and unstressed, the
// lengths in percent of a syllable carrying the stress mark and of one with a
// vowel but no mark, on top of stretch (100 and 100: stress changes nothing;
// voicegen chooses them so that a phrase keeps its length); lone_vowel, the
// shortest a one-letter word ("и" "а" "у" "о") is said at the speaker's pace
// (0: as any other syllable).
// crossfade 0: the voice has none, and is joined by the original rules.
struct Rhythm {
    int crossfade = 0;
    int closure = 0;
    int pause = 0;
    int stretch = 100;
    int stressed = 100;
    int unstressed = 100;
    int lone_vowel = 0;
};
// The pace of speech the speed setting asks for, as a multiple of the
// speaker's: speed 1 to 50 half of it, 50 to 100 in proportion (speed / 100),
// above 100 two more steps of pace per 100 of speed, to 3 times at 200.
double speed_pace(int speed);
// The factor a voice's recordings are stretched by at speed.
double rhythm_stretch(const Rhythm& r, int speed);
// Reads the rhythm from path; false (and r as it was) when the file is
// missing or gives no usable crossfade. Lines it does not know are passed over.
bool read_rhythm(const char* path, Rhythm& r);

// What lives from one syllable to the next during one run of the stage.
struct JoinState {
    std::array<std::int16_t, TAIL_SAMPLES> tail_buffer{};
    int held = 0;                       // samples at the start of tail_buffer that belong to the last tail
    Slog prev_slog{};                   // letters of the last sounded syllable
    int prev_code = SHORTEST_PAUSE;     // last join code, or the length of the last pause
    // The settings of this run.
    int speed = 100;
    float stutter = 10.0f;
    float volume = 3.0f;
    Rhythm rhythm;  // the voice's, in the everyday reading; else none
};
// The state at the start of a run, with the settings of the run.
void join_start(JoinState& st, const SoundSettings& settings);

// How one syllable is joined: every length and factor, worked out from the
// state, the syllable and the token after it before a sample is touched.
struct JoinPlan {
    int code = 0;                  // the syllable's join code after the word-end and stop rules
    long long unit = 0;            // the length unit
    long long recording = 0;       // samples in the recording
    long long samples = 0;         // of them to sound: all, or all but the last unit before a stop
    long long skip = 0;            // samples skipped at the recording's start
    bool crossfade = false;        // whether the held tail is crossfaded into this syllable
    long long passed = 0;          // held samples written unchanged before the crossfade
    long long held = 0;            // held samples the crossfade starts from (from index passed on)
    long long overlap_len = 0;     // the crossfade's length
    long long tail_len = 0;        // samples held back at the end for the next syllable
    std::int16_t fade_len = 1;     // the fade-out: samples whose remaining count is below it fade
    float class_factor = 1.0f;     // the overlap's divisor by the letters on both sides
    float shrink_factor = 1.0f;
    float class_gain = 1.0f;       // loudness by the syllable's letters
    float gain = 1.0f;             // the volume times class_gain
};
// By the original rules, or by the voice's rhythm when the state has one.
JoinPlan plan_join(const JoinState& st, const SlogToken& current, long long samples, const SlogToken& next);
// The join by the voice's rhythm: every syllable whole, crossfaded over the
// rhythm's crossfade (at most a third of either recording) into the next; a
// syllable before a voiceless stop fades out and the closure's silence
// follows; punctuation pauses at least as long as the speaker's (the longer
// marks keep their own lengths).
JoinPlan plan_rhythm_join(const JoinState& st, const SlogToken& current, long long samples, const SlogToken& next);
// The pause after a punctuation mark of code in the rhythm.
int rhythm_pause(const Rhythm& r, int code);

// The letter rules: the overlap's divisor (and the shrink factor of the
// halving) after a syllable boundary, and the loudness of a syllable.
float class_factor_for(const Slog& cur, const Slog& prev, int cur_code, float& shrink_factor);
float class_gain_for(const Slog& cur, int cur_code);

// Sounds the recording in samples onto out by the plan: the held tail
// crossfaded into its start, its body, and its own tail held back (in state).
// false after a failure, which fault then describes. The recording is closed
// either way.
bool emit_join(JoinState& st, const JoinPlan& plan, SampleSource& samples, SampleWriter& out,
               ZvukiResult& fault);
// Plans and emits one syllable and makes it the previous one; its code may
// come back as a pause length.
bool join_slog(JoinState& st, SampleSource& samples, SlogToken& current, const SlogToken& next,
               SampleWriter& out, ZvukiResult& fault);
// Writes the held tail unchanged and empties it; called before every pause.
void flush_held(JoinState& st, SampleWriter& out);
