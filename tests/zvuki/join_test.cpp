// Joining syllables: the worked example, the tail and overlap rules, the letter
// factors, loudness, clamping, fades, skips and read failures.
#include <gtest/gtest.h>

#include <string>

#include "common/settings.h"
#include "zvuki_fixture.h"

namespace {

using namespace zt;

// A recording whose samples are all different and never 0, so the source of
// every output sample shows.
const Samples MA = ramp(4000, 1000);

Samples crossfade(const Samples& held, int held_from, const Samples& rec, int rec_from, int count,
                  float gain)
{
    Samples r;
    for (int j = 0; j < count; ++j) {
        const int o = held[static_cast<std::size_t>(held_from + j)];
        const int a = expect_sample(rec[static_cast<std::size_t>(rec_from + j)] * static_cast<double>(gain));
        r.push_back(expect_sample(o - (o - a) * (static_cast<double>(j) / count)));
    }
    return r;
}

// s[from, to) × gain, the last samples faded: a sample whose remaining count
// (from the end at `end`) is below fade is scaled by 1 - k/fade.
Samples faded(const Samples& s, int from, int to, int end, int fade, float gain)
{
    Samples r;
    int k = 0;
    for (int i = from; i < to; ++i) {
        double v = s[static_cast<std::size_t>(i)];
        if (fade > end - i) {
            ++k;
            v = expect_sample(v - (static_cast<double>(k) / fade) * v);
        }
        r.push_back(expect_sample(v * static_cast<double>(gain)));
    }
    return r;
}

// The lead-in and the first syllable of "ма-…" (code 1, gain 3 × 1.15): its
// first 2400 samples go out, the last 1600 are held for the next syllable.
const float FIRST_GAIN = 3.0f * 1.15f;
Samples lead_in_and_first_ma(Samples& held)
{
    Samples expected = zeros(998);
    append(expected, gained(MA, 0, 2400, FIRST_GAIN));
    held = gained(MA, 2400, 4000, FIRST_GAIN);
    return expected;
}

TEST_F(ZvukiTest, WorkedExampleTwoSyllablesOfOneWord)
{
    voice("ma.pcm", MA);
    const StageRun r = run_text("ма-ма_`");
    ASSERT_EQ(r.result, 1);
    ASSERT_EQ(r.traces.size(), 2u);

    const JoinTrace& a = r.traces[0];
    EXPECT_EQ(a.unit, 200);
    EXPECT_EQ(a.tail_len, 1600);
    EXPECT_EQ(a.overlap_len, 0);
    EXPECT_EQ(a.class_gain, 1.15f);
    EXPECT_EQ(a.gain, 3.4499998f);
    EXPECT_EQ(a.written, 2400);
    EXPECT_EQ(a.stored, 1600);

    const JoinTrace& b = r.traces[1];
    EXPECT_EQ(b.unit, 200);
    EXPECT_EQ(b.tail_len, 200);
    EXPECT_EQ(b.overlap_start, 2200);
    EXPECT_EQ(b.class_factor, 1.2f);
    EXPECT_EQ(b.overlap_after_class, 1833);
    EXPECT_EQ(b.pass_len, 0);
    EXPECT_EQ(b.held_after_halving, 800);
    EXPECT_EQ(b.overlap_after_halving, 1433);
    EXPECT_EQ(b.skip, 633);
    EXPECT_EQ(b.overlap_len, 800);
    EXPECT_EQ(b.gain, 3.0f);
    EXPECT_EQ(b.passed, 0);
    EXPECT_EQ(b.written, 800 + 2367);
    EXPECT_EQ(b.stored, 200);

    Samples held;
    Samples expected = lead_in_and_first_ma(held);
    append(expected, crossfade(held, 0, MA, 633, 800, 3.0f));
    append(expected, gained(MA, 1433, 3800, 3.0f));
    ASSERT_EQ(r.samples.size(), 6565u);
    EXPECT_EQ(r.samples, expected);
    EXPECT_EQ(r.out.rfind("Zvuki initialized...\n\n[", 0), 0u) << r.out;
    EXPECT_EQ(r.out.substr(r.out.size() - 3), "]\n\n");
}

// A fricative after a vowel: the class factor passes part of the held tail
// unchanged, and the shrink factor halves again.
TEST_F(ZvukiTest, FricativeShrinksOverlapAndPassesHeldSamples)
{
    voice("ma.pcm", MA);
    const Samples ha = ramp(4000, -3000);
    voice("ha.pcm", ha);
    const StageRun r = run_text("ма-ха_`");
    ASSERT_EQ(r.result, 1);
    ASSERT_EQ(r.traces.size(), 2u);
    const JoinTrace& b = r.traces[1];
    EXPECT_EQ(b.class_factor, 1.5f);
    EXPECT_EQ(b.shrink_factor, 0.7f);
    EXPECT_EQ(b.overlap_after_class, 1466);
    EXPECT_EQ(b.pass_len, 134);
    EXPECT_EQ(b.held_after_halving, 513);
    EXPECT_EQ(b.overlap_after_halving, 739);
    EXPECT_EQ(b.skip, 226);
    EXPECT_EQ(b.passed, 134);

    Samples held;
    Samples expected = lead_in_and_first_ma(held);
    append(expected, Samples(held.begin(), held.begin() + 134));
    append(expected, crossfade(held, 134, ha, 226, 513, 3.0f));
    append(expected, gained(ha, 739, 3800, 3.0f));
    EXPECT_EQ(r.samples, expected);
}

// Word ends: the tail by the vowels on both sides, "#" next, "и" next, and a
// voiceless stop next.
TEST_F(ZvukiTest, WordEndRules)
{
    struct Case {
        const char* text;
        long long tail_len;
        int cur_code;
        int fade_len;
        int zeros_after;  // silence right after the first syllable's written samples
    };
    const Case cases[] = {
        {"ма_и_`", 0, 500, 400, 498},       // the word before "и": a short pause
        {"ма_и-`", 100, 2, 1, 0},           // "и" inside a word: both vowels
        {"ма_а_`", 100, 2, 1, 0},           // vowel meets vowel
        {"м_ра_`", 100, 2, 1, 0},           // consonant meets consonant
        {"ма_ра_`", 200, 2, 1, 0},          // vowel meets consonant
        {"ма_#_`", 0, 3, 400, 1 + 9998},    // a pause mark next: code 3, then the mark's pause
        {"ма_ка_`", 0, 500, 400, 498},      // a voiceless stop next
        {"ма.та_`", 0, 500, 400, 498},      // even after a full stop
    };
    voice("ma.pcm", MA);
    voice("m.pcm", ramp(2000, 1000));
    for (const char* f : {"i.pcm", "a.pcm", "ra.pcm", "ka.pcm", "ta.pcm"})
        voice(f, ramp(2000, 1000));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const StageRun r = run_text(c.text);
        ASSERT_EQ(r.result, 1);
        ASSERT_GE(r.traces.size(), 1u);
        const JoinTrace& t = r.traces[0];
        EXPECT_EQ(t.tail_len, c.tail_len);
        EXPECT_EQ(t.cur_code, c.cur_code);
        EXPECT_EQ(t.fade_len, c.fade_len);
        const std::size_t end = 998 + static_cast<std::size_t>(t.written);
        EXPECT_EQ(static_cast<long long>(t.written), t.n - c.tail_len);
        std::size_t z = end;
        while (z < r.samples.size() && r.samples[z] == 0)
            ++z;
        EXPECT_EQ(static_cast<int>(z - end), c.zeros_after);
    }
}

// Before a voiceless stop inside a word the syllable loses its last unit,
// fades over two units and is followed by a short stop of silence.
TEST_F(ZvukiTest, VoicelessStopInsideWord)
{
    voice("ma.pcm", MA);
    const Samples ka = ramp(2000, 500);
    voice("ka.pcm", ka);
    const StageRun r = run_text("ма+ка_`");
    ASSERT_EQ(r.result, 1);
    Samples expected = zeros(998);
    append(expected, faded(MA, 0, 3800, 3800, 400, 3.0f));
    append(expected, zeros(28));
    append(expected, gained(ka, 0, 1900, 3.0f));
    EXPECT_EQ(r.samples, expected);

    // After a syllable ending in "ь" the last unit is kept; at speed 200 the stop
    // is 3000 / 200 × 100 / 200 - 2 samples.
    voice("l'.pcm", ramp(2000, 1000));
    Settings.speed = 200;
    const StageRun soft = run_text("ль.ма+ка_`");
    ASSERT_EQ(soft.traces.size(), 3u);
    EXPECT_EQ(soft.traces[1].written, 4000);
    EXPECT_EQ(soft.traces[1].fade_len, 800);
    const std::size_t end = 998 + static_cast<std::size_t>(soft.traces[0].written + 7498 + 4000);
    ASSERT_LT(end + 6, soft.samples.size());
    EXPECT_NE(soft.samples[end - 1], 0);
    EXPECT_EQ(Samples(soft.samples.begin() + static_cast<long>(end), soft.samples.begin() + static_cast<long>(end) + 5), zeros(5));
    EXPECT_NE(soft.samples[end + 5], 0);
}

TEST(JoinRules, ClassFactorLetterRules)
{
    struct Case {
        const char* cur;
        const char* prev;
        int cur_code;
        float factor;
        float shrink;
    };
    const Case cases[] = {
        {"ра", "ма", 0, 1.0f, 1.0f},    // another first letter
        {"ра", "ка", 0, 1.15f, 1.0f},   // ... after a voiceless stop
        {"ма", "мы", 0, 1.5f, 1.0f},    // sonorant after "ы"
        {"ла", "па", 0, 1.3f, 1.0f},
        {"на", "па", 0, 1.2f, 1.0f},
        {"ма", "та", 0, 1.2f, 1.0f},
        {"ба", "ма", 0, 1.15f, 1.0f},   // voiced stop
        {"ха", "ма", 0, 1.5f, 0.7f},    // fricatives
        {"фа", "ма", 0, 1.5f, 0.7f},
        {"за", "ма", 0, 1.2f, 0.7f},
        {"жа", "ма", 0, 1.2f, 0.7f},
        {"са", "ма", 0, 1.1f, 1.0f},
        {"ша", "ма", 0, 1.1f, 1.0f},
        {"ща", "ма", 0, 1.1f, 1.0f},
        {"а", "м", 1, 1.5f, 1.0f},      // vowel after a consonant
        {"а", "ма", 1, 1.0f, 1.0f},     // vowel after a vowel keeps F0 ...
        {"а", "ка", 1, 1.15f, 1.0f},
        {"а", "ка", 2, 1.5f, 1.0f},     // ... unless a word or pause follows
        {"ю", "ма", 1, 1.2f, 1.0f},
        {"ра", "об", 0, 1.1f, 1.0f},    // after a voiced stop
        {"ма", "аб", 0, 1.1f, 1.0f},
        {"ра", "в", 0, 1.3f, 1.0f},     // after "в"
        {"ла", "в", 0, 1.3f, 1.0f},
        {"ха", "в", 0, 1.5f, 0.7f},
        {"ма", "ль", 0, 2.0f, 1.0f},    // after "ь"
        {"а", "мь", 2, 2.0f, 1.0f},
    };
    for (const Case& c : cases) {
        Slog cur{};
        Slog prev{};
        const std::string cb = harness::cp1251(c.cur);
        const std::string pb = harness::cp1251(c.prev);
        std::copy(cb.begin(), cb.end(), cur.begin());
        std::copy(pb.begin(), pb.end(), prev.begin());
        float shrink = 1.0f;
        EXPECT_EQ(class_factor_for(cur, prev, c.cur_code, shrink), c.factor) << c.cur << " after " << c.prev;
        EXPECT_EQ(shrink, c.shrink) << c.cur << " after " << c.prev;
    }
}

// Each loudness row, seen in the first sample of a syllable of constant 1000.
TEST_F(ZvukiTest, LoudnessRows)
{
    struct Case {
        const char* text;
        const char* file;
        float class_gain;
        int first_sample;  // trunc(1000 × 3.0 × class_gain) in single precision
    };
    const Case cases[] = {
        {"а_`", "a.pcm", 1.05f, 3149},   // vowel syllable
        {"ма_`", "ma.pcm", 1.0f, 3000},  // open syllable ending a word
        {"та-`", "ta.pcm", 1.2f, 3600},  // voiceless stop
        {"да-`", "da.pcm", 1.15f, 3449}, // voiced stop
        {"ма-`", "ma.pcm", 1.15f, 3449}, // sonorant
        {"ра-`", "ra.pcm", 1.0f, 3000},
        {"м-`", "m.pcm", 1.05f, 3149},   // closed syllable inside a word
        {"м_`", "m.pcm", 1.0f, 3000},    // sonorant ending a word
        {"с_`", "s.pcm", 0.95f, 2849},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        voice(c.file, constant(2000, 1000));
        const StageRun r = run_text(c.text);
        ASSERT_EQ(r.traces.size(), 1u);
        EXPECT_EQ(r.traces[0].class_gain, c.class_gain);
        ASSERT_GT(r.samples.size(), 998u);
        EXPECT_EQ(r.samples[998], c.first_sample);
    }
}

// Loud samples saturate instead of wrapping around.
TEST_F(ZvukiTest, LoudSamplesAreClamped)
{
    Samples ta;
    for (int i = 0; i < 2000; ++i)
        ta.push_back(static_cast<std::int16_t>(i % 3 == 0 ? 10000 : i % 3 == 1 ? -10000 : 5000));
    voice("ta.pcm", ta);
    Settings.volume = 4.0f;
    const StageRun r = run_text("та-`");
    ASSERT_GT(r.samples.size(), 1001u);
    EXPECT_EQ(r.samples[998], 32767);   // 48000 would wrap to -17536
    EXPECT_EQ(r.samples[999], -32768);
    EXPECT_EQ(r.samples[1000], 24000);
}

// Before a pause the syllable fades over its last tenth.
TEST_F(ZvukiTest, FadeOutBeforePause)
{
    const Samples ma = constant(100, 1000);
    voice("ma.pcm", ma);
    const StageRun r = run_text("ма.`");
    Samples expected = zeros(998);
    append(expected, faded(ma, 0, 100, 100, 10, 3.0f));
    append(expected, zeros(14998));
    EXPECT_EQ(r.samples, expected);
    EXPECT_EQ(r.samples[998 + 91], 2700);  // 1000 - 1/10 of it, × 3
    EXPECT_EQ(r.samples[998 + 99], 300);
}

// A recording so long that its tail is cut to the buffer's 8192 samples.
TEST_F(ZvukiTest, LongTailIsCappedAtTheBuffer)
{
    voice("ma.pcm", ramp(40000, -20000));
    const StageRun r = run_text("ма+ма_`");
    ASSERT_EQ(r.result, 1);
    ASSERT_EQ(r.traces.size(), 2u);
    EXPECT_EQ(r.traces[0].tail_len, 8192);
    EXPECT_EQ(r.traces[0].stored, 8192);
    EXPECT_EQ(r.traces[1].held, 4096);
    EXPECT_EQ(r.samples.size(), 998u + 31808 + 4096 + 23382);
}

TEST_F(ZvukiTest, EmptyRecording)
{
    voice("ma.pcm", MA);
    voice("a.pcm", {});
    // After a syllable boundary the held tail is dropped ...
    const StageRun inside = run_text("ма-а_`");
    EXPECT_EQ(inside.samples.size(), 998u + 2400);
    // ... after a word end it is written unchanged.
    const StageRun after_word = run_text("ма_а_`");
    Samples expected = zeros(998);
    append(expected, gained(MA, 0, 4000, 3.0f));
    EXPECT_EQ(after_word.samples, expected);
    ASSERT_EQ(after_word.traces.size(), 2u);
    EXPECT_EQ(after_word.traces[1].stored, 0);
}

// An odd last byte is no sample.
TEST_F(ZvukiTest, OddLengthRecording)
{
    voice("ma.pcm", MA);
    const StageRun even = run_text("ма-ма_`");
    voice_bytes("ma.pcm", pcm(MA) + "\x7F");
    const StageRun odd = run_text("ма-ма_`");
    EXPECT_EQ(odd.result, 1);
    EXPECT_EQ(odd.samples, even.samples);
}

bool failing_seek(TextFile&, long long, int) { return false; }

TEST_F(ZvukiTest, FailedSkipReadsFromTheStart)
{
    voice("ma.pcm", MA);
    recording_io.seek = failing_seek;
    recording_cache_enabled = false;  // the file's own seek is what fails
    const StageRun r = run_text("ма-ма_`");
    EXPECT_EQ(r.result, 1);
    EXPECT_NE(r.out.find("\nError imposible to read from slogtmp on skips!\n"), std::string::npos);
    EXPECT_EQ(r.waits, 1);
    ASSERT_EQ(r.traces.size(), 2u);
    EXPECT_EQ(r.traces[1].skip, 0);
    EXPECT_EQ(r.traces[1].overlap_len, 800);
    Samples held;
    Samples expected = lead_in_and_first_ma(held);
    append(expected, crossfade(held, 0, MA, 0, 800, 3.0f));
    append(expected, gained(MA, 800, 3800, 3.0f));
    EXPECT_EQ(r.samples, expected);
}

// Recordings that deliver fewer bytes than they measured.
long long read_budget = 0;
std::size_t budget_read(TextFile& f, void* data, std::size_t n)
{
    const std::size_t take = static_cast<long long>(n) < read_budget ? n : static_cast<std::size_t>(read_budget);
    const std::size_t got = text_read(f, data, take);
    read_budget -= static_cast<long long>(got);
    return got;
}

TEST_F(ZvukiTest, ReadFailuresEndTheStageWithATrueHeader)
{
    struct Case {
        long long budget;
        const char* message;
        std::size_t written;
    };
    const Case cases[] = {
        {2 * (2400 + 5), "\nError imposible to read from slogtmp buffer read! 1595 ma.pcm\n", 998 + 2400},
        {8000 + 2 * 50, "\nError imposible to read from slogtmp on morph second!800 3316\n", 998 + 2400 + 50},
        {8000 + 2 * (800 + 10), "\nError imposible to read from slogtmp on main1 ma.pcm!\n",
         998 + 2400 + 800 + 10},
    };
    voice("ma.pcm", MA);
    recording_io.read = budget_read;
    recording_cache_enabled = false;  // the file's own reads are what fail
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        read_budget = c.budget;
        const StageRun r = run_text("ма-ма_`");
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.waits, 1);
        EXPECT_NE(r.out.find(c.message), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("]"), std::string::npos);
        EXPECT_EQ(r.samples.size(), c.written);
        EXPECT_EQ(u32_at(r.wav, 4), r.wav.size() - 8);
        EXPECT_EQ(u32_at(r.wav, 40), r.wav.size() - 44);
    }
}

}  // namespace
