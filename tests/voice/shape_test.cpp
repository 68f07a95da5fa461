// Shaping of rendered syllables: trim, consonant cut, fades and levels.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "shape.h"

namespace {

Recording make(const std::vector<int>& samples)
{
    Recording r;
    for (int s : samples)
        r.sample[r.n++] = static_cast<std::int16_t>(s);
    return r;
}

std::vector<int> samples_of(const Recording& r)
{
    return std::vector<int>(r.sample.begin(), r.sample.begin() + static_cast<long>(r.n));
}

// A tone of the given amplitude, n samples long.
void append_tone(Recording& r, std::size_t n, double amplitude)
{
    for (std::size_t i = 0; i < n; ++i)
        r.sample[r.n++] = static_cast<std::int16_t>(amplitude * std::sin(0.3 * double(i)));
}

TEST(Shape, TrimKeepsTheSoundAndItsMargin)
{
    struct Case {
        std::vector<int> in;
        int threshold;
        std::size_t margin;
        std::vector<int> out;
    };
    const std::vector<Case> cases = {
        {{0, 5, 0, 900, -800, 3, 0}, 100, 0, {900, -800}},
        {{0, 5, 0, 900, -800, 3, 0}, 100, 1, {0, 900, -800, 3}},
        {{0, 900, 0}, 100, 5, {0, 900, 0}},  // the margin stops at the ends
        {{900}, 100, 0, {900}},
        {{1, -2, 3}, 100, 2, {}},            // silence only: nothing left
        {{}, 100, 2, {}},
    };
    for (const Case& c : cases) {
        Recording r = make(c.in);
        trim_silence(r, c.threshold, c.margin);
        EXPECT_EQ(samples_of(r), c.out);
    }
}

TEST(Shape, FadesRampBothEndsToSilence)
{
    Recording r = make(std::vector<int>(10, 1000));
    fade_ends(r, 4, 2);
    EXPECT_EQ(samples_of(r), (std::vector<int>{0, 250, 500, 750, 1000, 1000, 1000, 1000, 500, 0}));
    // Fades longer than half the recording are shortened to it.
    Recording s = make({1000, 1000, 1000, 1000});
    fade_ends(s, 100, 100);
    EXPECT_EQ(samples_of(s), (std::vector<int>{0, 500, 500, 0}));
}

TEST(Shape, VoicedStopIsCutBeforeTheVowelRises)
{
    Recording r;
    append_tone(r, 660, 800);    // voice bar
    append_tone(r, 4400, 8000);  // the vowel
    cut_before_vowel(r, 0.35, 88, 100000);
    // The vowel starts at sample 660, inside the frame 660..769.
    EXPECT_EQ(r.n, 660u + 88u);
    // A long voice bar is kept only up to the longest length, ending at the cut.
    Recording s;
    append_tone(s, 2200, 800);
    append_tone(s, 2200, 8000);
    cut_before_vowel(s, 0.35, 88, 1000);
    EXPECT_EQ(s.n, 1000u);
    EXPECT_EQ(s.sample[999], static_cast<std::int16_t>(8000 * std::sin(0.3 * 87)));
}

TEST(Shape, LevelsMeetTheTargetUnderThePeakLimit)
{
    Recording r;
    append_tone(r, 4410, 3000);
    const double g = level_gain(r, 1000.0);
    apply_gain(r, g);
    EXPECT_NEAR(active_rms(r), 1000.0, 5.0);
    EXPECT_LE(peak_of(r), PEAK_LIMIT);
    // A peaky recording (one spike 20 times its tone) is held at the limit.
    Recording p;
    append_tone(p, 4410, 1000);
    p.sample[100] = 20000;
    apply_gain(p, level_gain(p, 1000.0));
    EXPECT_LE(peak_of(p), PEAK_LIMIT);
    EXPECT_GE(peak_of(p), PEAK_LIMIT - 2);
    // Quiet frames (a decay 30 dB down) do not lower the measure.
    Recording d;
    append_tone(d, 4400, 3000);  // whole 10 ms frames
    append_tone(d, 4400, 90);
    EXPECT_NEAR(active_rms(d), 3000 / std::sqrt(2.0), 30.0);
}

}  // namespace
