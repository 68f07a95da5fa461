// Shaping of one rendered syllable into a recording that joins cleanly:
// silence trimmed, the consonant cut out where needed, ends faded, level set.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/format_samples.h"

// The voice's recordings are at the rate of the sound stage.
constexpr int VOICE_RATE = SAMPLE_RATE;
// The longest rendering kept: two seconds, far more than any syllable takes.
constexpr std::size_t MAX_SAMPLES = 2 * VOICE_RATE;
// The loudest sample of a recording: at volume 4.0 and the largest class gain
// (1.2) the sound stage then stays below full scale (6800 × 4.8 = 32640).
constexpr int PEAK_LIMIT = 6800;
// Loudness measure: RMS over the 10 ms frames whose own RMS is within 20 dB
// of the loudest frame, so leading consonants and decays do not dilute it.
constexpr std::size_t FRAME_SAMPLES = VOICE_RATE / 100;
constexpr double ACTIVE_FRAME_SHARE = 0.1;

struct Recording {
    std::array<std::int16_t, MAX_SAMPLES> sample{};
    std::size_t n = 0;
};

// Drops everything before the first and after the last sample louder than
// threshold, keeping margin samples either side.
void trim_silence(Recording& r, int threshold, std::size_t margin);
// Keeps only what comes before the vowel of a consonant-vowel rendering: up to
// the first 5 ms frame whose RMS reaches share of the loudest frame, plus
// keep_vowel samples of the onset so the consonant's release is heard; of
// that, only the last longest samples.
void cut_before_vowel(Recording& r, double share, std::size_t keep_vowel, std::size_t longest);
// Linear fades over the first fade_in and the last fade_out samples, so no
// joint starts or ends with a step.
void fade_ends(Recording& r, std::size_t fade_in, std::size_t fade_out);

double active_rms(const Recording& r);
int peak_of(const Recording& r);
// The gain that brings the recording to target_rms, reduced where the peak
// would pass PEAK_LIMIT.
double level_gain(const Recording& r, double target_rms);
// Like level_gain for a gain chosen elsewhere: only reduced for the peak.
double limited_gain(const Recording& r, double gain);
// Multiplies every sample, rounding to the nearest integer.
void apply_gain(Recording& r, double gain);
