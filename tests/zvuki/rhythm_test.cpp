// The everyday joins of a voice that brings its own rhythm (prosody.txt): the
// file's reading, the plan of a join, and the samples of whole runs, with the
// original joins kept for the original reading and for voices without one.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "common/settings.h"
#include "zvuki/recording_name.h"
#include "zvuki/stretch.h"
#include "zvuki_fixture.h"

namespace {

using namespace zt;

const Samples MA = ramp(4000, 1000);
const Samples KA = ramp(2000, 500);
constexpr char RHYTHM[] = "# a test voice\r\ncrossfade 300\r\nclosure 1000\r\npause 6000\r\n";

class RhythmTest : public ZvukiTest {
protected:
    void SetUp() override
    {
        ZvukiTest::SetUp();
        voice("ma.pcm", MA);
        voice("ka.pcm", KA);
        dir.write("v/prosody.txt", RHYTHM);
    }
};

TEST_F(RhythmTest, SyllablesSoundWholeWithAShortCrossfade)
{
    // The first syllable keeps its last 300 samples for the crossfade into
    // the second, which sounds from its start; the last one's tail is kept
    // for a join that never comes, as in the original rules.
    Samples expected = zeros(998);
    append(expected, gained(MA, 0, 3700, 3.0f * 1.15f));
    append(expected, crossfade(gained(MA, 3700, 4000, 3.0f * 1.15f), MA, 0, 300, 3.0f));
    append(expected, gained(MA, 300, 3700, 3.0f));
    EXPECT_EQ(run_text("ма-ма_`").samples, expected);
}

TEST_F(RhythmTest, AVoicelessStopFollowsItsClosure)
{
    Samples expected = zeros(998);
    append(expected, faded(MA, 0, 4000, 4000, 300, 3.0f));
    append(expected, zeros(998));
    append(expected, gained(KA, 0, 1700, 3.0f));
    EXPECT_EQ(run_text("ма+ка_`").samples, expected);
}

TEST_F(RhythmTest, PausesAtLeastThePhrasePause)
{
    // A comma's pause (3000 samples by the original rules) grows to the
    // speaker's 6000; a full stop's 15000 is longer and stays.
    for (const auto& [text, silence] : {std::pair{"ма,`", 5998}, std::pair{"ма.`", 14998}}) {
        SCOPED_TRACE(text);
        Samples expected = zeros(998);
        append(expected, faded(MA, 0, 4000, 4000, 300, 3.0f));
        append(expected, zeros(silence));
        EXPECT_EQ(run_text(text).samples, expected);
    }
    const Rhythm r{300, 1000, 6000};
    EXPECT_EQ(rhythm_pause(r, 500), 1000);     // the shortest pause mark in proportion
    EXPECT_EQ(rhythm_pause(r, 6000), 6000);    // ";" reaches the phrase pause
    EXPECT_EQ(rhythm_pause(r, 12500), 12500);  // ":" keeps its own
    EXPECT_EQ(rhythm_pause(r, SHORTEST_PAUSE), SHORTEST_PAUSE);
}

TEST_F(RhythmTest, OriginalReadingAndVoicesWithoutRhythmJoinAsBefore)
{
    Settings.reading = READING_ORIGINAL;
    const Samples original = run_text("ма-ма_`").samples;
    Settings.reading = READING_EVERYDAY;
    dir.write("v/prosody.txt", "crossfade 0\n");  // no usable rhythm
    EXPECT_EQ(run_text("ма-ma_`").samples.size(), 998u + 2400u);  // "ma" has no recording
    EXPECT_EQ(run_text("ма-ма_`").samples, original);
    std::filesystem::remove(dir.file("v/prosody.txt"));
    EXPECT_EQ(run_text("ма-ма_`").samples, original);
    EXPECT_EQ(original.size(), 6565u);  // the worked example of the original rules
}

TEST_F(RhythmTest, ShortRecordingsCrossfadeOverAThird)
{
    JoinState st;
    join_start(st, settings_now());
    st.rhythm = {300, 1000, 6000};
    SlogToken cur, next;
    cur.text = {'\xEC', '\xE0'};  // ма
    cur.code = 0;
    next.text = {'\xEC', '\xE0'};
    next.length = 2;
    const JoinPlan a = plan_join(st, cur, 600, next);
    EXPECT_EQ(a.tail_len, 200);
    EXPECT_FALSE(a.crossfade);
    st.prev_code = 0;
    st.held = 300;
    const JoinPlan b = plan_join(st, cur, 600, next);
    EXPECT_TRUE(b.crossfade);
    EXPECT_EQ(b.passed, 100);  // the held samples beyond the overlap go out unchanged
    EXPECT_EQ(b.overlap_len, 200);
    EXPECT_EQ(b.skip, 0);
}

TEST_F(RhythmTest, ReadsTheRhythmFileAndRefusesWhatItCannotUse)
{
    Rhythm r;
    EXPECT_TRUE(read_rhythm(dir.file("v/prosody.txt").c_str(), r));
    EXPECT_EQ(r.crossfade, 300);
    EXPECT_EQ(r.closure, 1000);
    EXPECT_EQ(r.pause, 6000);
    const struct {
        const char* text;
        bool usable;
        int crossfade, closure;
    } rows[] = {
        {"crossfade 220\nclosure 50\n", true, 220, 50},
        {"tempo 3\ncrossfade 10 samples\n", true, 10, 0},  // unknown names and trailing words are passed over
        {"crossfade 220", true, 220, 0},                   // no line feed at the end
        {"", false, 0, 0},
        {"crossfade -5\n", false, 0, 0},
        {"crossfade x\n", false, 0, 0},
        {"crossfade 9999999999\n", false, 0, 0},
        {"#crossfade 220\n", false, 0, 0},
        {"crossfade 220 closure 5\n", true, 220, 0},
        {"crossfade\n220\n", false, 0, 0},
    };
    // The stress lengths: read within the stretch's bounds, 100 otherwise.
    dir.write("r.txt", "crossfade 1\nstressed 140\nunstressed 49\n");
    Rhythm stress;
    ASSERT_TRUE(read_rhythm(dir.file("r.txt").c_str(), stress));
    EXPECT_EQ(stress.stressed, 140);
    EXPECT_EQ(stress.unstressed, 100);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        dir.write("r.txt", row.text);
        Rhythm got;
        EXPECT_EQ(read_rhythm(dir.file("r.txt").c_str(), got), row.usable);
        EXPECT_EQ(got.crossfade, row.crossfade);
        EXPECT_EQ(got.closure, row.closure);
    }
    Rhythm none;
    EXPECT_FALSE(read_rhythm(dir.file("missing.txt").c_str(), none));
    EXPECT_FALSE(read_rhythm(dir.file("v").c_str(), none));  // a directory
}

TEST(Stretch, KeepsThePitchAndGivesTheLengthAskedFor)
{
    const auto held = std::make_unique<StretchBuffers>();  // too large for a Windows thread's stack
    StretchBuffers& buffers = *held;
    for (const int period : {147, 200, 300}) {  // 150, 110 and 73.5 Hz
        const Samples in = pulses(8820, period);
        for (const double factor : {0.5, 0.8, 1.25, 2.0}) {
            SCOPED_TRACE(std::to_string(period) + " samples, factor " + std::to_string(factor));
            Samples out(stretched_length(in.size(), factor));
            ASSERT_EQ(stretch(in.data(), in.size(), factor, out.data(), buffers), out.size());
            EXPECT_EQ(out.size(), static_cast<std::size_t>(std::lround(8820 * factor)));
            EXPECT_NEAR(period_of(out, 600, out.size() - 600, 100, 400), period, 2);
            // Periods join in phase: no pulse lost or doubled, so the level holds.
            double in_energy = 0, out_energy = 0;
            for (const auto v : in)
                in_energy += double(v) * v;
            for (const auto v : out)
                out_energy += double(v) * v;
            EXPECT_NEAR(out_energy / static_cast<double>(out.size()), in_energy / static_cast<double>(in.size()),
                        0.1 * in_energy / static_cast<double>(in.size()));
        }
    }
    const Samples in = pulses(8820, 200);
    Samples out(2 * in.size());
    EXPECT_EQ(stretch(in.data(), STRETCH_WINDOW - 1, 1.5, out.data(), buffers), 0u);  // too short to stretch
    EXPECT_EQ(stretch(in.data(), in.size(), 2.5, out.data(), buffers), 0u);           // more than twice
    EXPECT_EQ(stretch(in.data(), in.size(), 0.2, out.data(), buffers), 0u);
    EXPECT_EQ(stretch(in.data(), in.size(), std::nan(""), out.data(), buffers), 0u);
}

// The waveform-similarity stretch as plainly as it can be written: every
// candidate weighed, the whole recording at hand.
Samples plain_stretch(const Samples& in, double factor)
{
    constexpr std::size_t hop = STRETCH_WINDOW / 2;
    std::vector<float> window(STRETCH_WINDOW);
    for (std::size_t i = 0; i < STRETCH_WINDOW; ++i)
        window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2 * std::numbers::pi * (static_cast<double>(i) + 0.5) /
                                                            static_cast<double>(STRETCH_WINDOW)));
    const std::size_t n = in.size(), m = stretched_length(n, factor), last = n - STRETCH_WINDOW;
    std::vector<float> sum(m + STRETCH_WINDOW), weight(m + STRETCH_WINDOW);
    const auto similarity = [&](std::size_t a, std::size_t c) {
        double dot = 0, energy = 0;
        for (std::size_t i = 0; i < STRETCH_WINDOW; i += 4) {
            dot += double(in[a + i]) * in[c + i];
            energy += double(in[c + i]) * in[c + i];
        }
        return dot / std::sqrt(1.0 + energy);
    };
    std::size_t prev = 0;
    for (std::size_t k = 0; k * hop < m; ++k) {
        const std::size_t nominal = std::min(last, static_cast<std::size_t>(std::lround(double(k * hop) / factor)));
        std::size_t at = nominal;
        if (k > 0 && prev + hop <= last) {
            double best = -1e300;
            const std::size_t lo = nominal > STRETCH_TOLERANCE ? nominal - STRETCH_TOLERANCE : 0;
            for (std::size_t c = lo; c <= std::min(last, nominal + STRETCH_TOLERANCE); ++c)
                if (const double s = similarity(prev + hop, c); s > best) {
                    best = s;
                    at = c;
                }
        }
        for (std::size_t i = 0; i < STRETCH_WINDOW; ++i) {
            sum[k * hop + i] += window[i] * static_cast<float>(in[at + i]);
            weight[k * hop + i] += window[i];
        }
        prev = at;
    }
    Samples out(m);
    for (std::size_t i = 0; i < m; ++i)
        out[i] = static_cast<std::int16_t>(std::clamp(std::round(sum[i] / weight[i]), -32768.0f, 32767.0f));
    return out;
}

TEST(Stretch, ChoosesAsEveryCandidateWeighed)
{
    // Copies of a period each louder than the one before (a quieter window
    // may be passed over, a louder one never), noise, and a tone broken by
    // silence (where every window is equally unlike).
    Samples louder, noise, broken;
    std::uint32_t seed = 7;
    for (int i = 0; i < 12000; ++i) {
        louder.push_back(static_cast<std::int16_t>((1 + i / 150) * 40 * std::sin(i % 150 * 0.3)));
        seed = seed * 1664525u + 1013904223u;
        noise.push_back(static_cast<std::int16_t>(static_cast<int>(seed >> 20) - 2048));
        broken.push_back(static_cast<std::int16_t>(i % 3000 < 1500 ? 6000 * std::sin(i * 0.07) : 0));
    }
    const auto held = std::make_unique<StretchBuffers>();  // too large for a Windows thread's stack
    for (const Samples* in : {&louder, &noise, &broken})
        for (const double factor : {0.6, 1.3, 2.0}) {
            SCOPED_TRACE(factor);
            Samples out(stretched_length(in->size(), factor));
            ASSERT_EQ(stretch(in->data(), in->size(), factor, out.data(), *held), out.size());
            EXPECT_EQ(out, plain_stretch(*in, factor));
        }
}

TEST(Stretch, RecalledChoicesAreTheSearchsOwn)
{
    // Two recordings under numbers of their own, each stretched whole and
    // in spans (which start their windows afresh) at three factors, twice
    // over: every result is the one made without recalling, and the second
    // time round every choice is recalled, none added.
    Samples noise, louder;
    std::uint32_t seed = 11;
    for (int i = 0; i < 9000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        noise.push_back(static_cast<std::int16_t>(static_cast<int>(seed >> 20) - 2048));
        louder.push_back(static_cast<std::int16_t>((1 + i / 150) * 40 * std::sin(i % 150 * 0.3)));
    }
    const auto held = std::make_unique<StretchBuffers>();  // too large for a Windows thread's stack
    const auto choices = std::make_unique<StretchChoices>();
    const auto made = [&](const Samples& in, double factor, bool whole, const StretchRecall& recall) {
        const std::size_t m = stretched_length(in.size(), factor);
        const std::vector<StretchSpan> spans =
            whole ? std::vector<StretchSpan>{{0, m}} : std::vector<StretchSpan>{{m / 5, m * 2 / 5}, {m * 3 / 5, m}};
        Samples out(m);
        EXPECT_EQ(stretch_spans(in.data(), in.size(), factor, spans.data(), spans.size(), out.data(), *held, recall), m);
        return out;
    };
    std::size_t kept = 0;
    for (int round = 0; round < 2; ++round) {
        for (const std::uint32_t recording : {1u, 2u})
            for (const double factor : {0.6, 1.3, 2.0})
                for (const bool whole : {true, false}) {
                    SCOPED_TRACE(std::to_string(round) + " " + std::to_string(recording) + " " + std::to_string(factor));
                    const Samples& in = recording == 1 ? noise : louder;
                    EXPECT_EQ(made(in, factor, whole, {choices.get(), recording}), made(in, factor, whole, {}));
                }
        if (round == 0)
            kept = choices->used;
    }
    EXPECT_GT(kept, 0u);
    EXPECT_EQ(choices->used, kept);
    // A table with no room left keeps nothing more.
    const auto full = std::make_unique<StretchChoices>();
    full->used = STRETCH_CHOICES / 2;
    EXPECT_EQ(made(noise, 1.3, true, {full.get(), 1}), made(noise, 1.3, true, {}));
    EXPECT_TRUE(std::all_of(full->slots.begin(), full->slots.end(), [](const StretchChoice& c) { return c.recording == 0; }));
}

TEST(Stretch, SpansOnlyAreMadeAndHoldThePitch)
{
    const auto held = std::make_unique<StretchBuffers>();  // too large for a Windows thread's stack
    StretchBuffers& buffers = *held;
    const Samples in = pulses(20000, 147);
    for (const double factor : {0.7, 1.6}) {
        SCOPED_TRACE(factor);
        // Another recording stretched first leaves the buffers full of it.
        const Samples other = pulses(30000, 300);
        Samples scratch(stretched_length(other.size(), 2.0));
        ASSERT_EQ(stretch(other.data(), other.size(), 2.0, scratch.data(), buffers), scratch.size());
        Samples whole(stretched_length(in.size(), factor));
        ASSERT_EQ(stretch(in.data(), in.size(), factor, whole.data(), buffers), whole.size());
        const std::size_t m = whole.size();
        const std::array<StretchSpan, 3> spans{{{0, m / 8}, {m * 3 / 8, m / 2}, {m * 3 / 4, m * 7 / 8}}};
        Samples out(m, 12345);
        ASSERT_EQ(stretch_spans(in.data(), in.size(), factor, spans.data(), spans.size(), out.data(), buffers), m);
        for (std::size_t i = 0; i < m; ++i) {
            const bool inside = (i < m / 8) || (i >= m * 3 / 8 && i < m / 2) || (i >= m * 3 / 4 && i < m * 7 / 8);
            if (!inside && out[i] != 12345)
                FAIL() << "sample " << i << " outside the spans was written";
        }
        // The first span is the whole stretch's start; the later ones start
        // afresh, their periods joined in phase as the whole stretch's are.
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(m / 8), whole.begin()));
        for (const auto& span : spans) {
            EXPECT_EQ(period_of(out, span.from, span.to, 100, 250), 147);
            double energy = 0, whole_energy = 0;
            for (std::size_t i = span.from; i < span.to; ++i) {
                energy += double(out[i]) * out[i];
                whole_energy += double(whole[i]) * whole[i];
            }
            EXPECT_NEAR(energy, whole_energy, 0.1 * whole_energy);
        }
    }
}

TEST(Stretch, SpeedGivesThePace)
{
    EXPECT_EQ(speed_pace(1), 0.5);
    EXPECT_EQ(speed_pace(50), 0.5);
    EXPECT_EQ(speed_pace(80), 0.8);
    EXPECT_EQ(speed_pace(100), 1.0);
    EXPECT_EQ(speed_pace(150), 2.0);
    EXPECT_EQ(speed_pace(200), 3.0);
    const Rhythm r{221, 1103, 6615, 120};
    EXPECT_DOUBLE_EQ(rhythm_stretch(r, 100), 1.2);
    EXPECT_DOUBLE_EQ(rhythm_stretch(r, 200), 0.4);
    EXPECT_DOUBLE_EQ(rhythm_stretch(r, 50), 2.4);  // beyond one stretch: stretched in two steps
}

TEST_F(RhythmTest, RecordingsSoundAtTheVoicesPace)
{
    const Samples voiced = pulses(4000, 200);
    voice("ma.pcm", voiced);
    dir.write("v/prosody.txt", std::string(RHYTHM) + "stretch 150\n");
    StageRun r = run_text("ма.`");
    ASSERT_EQ(r.samples.size(), 998u + 6000u + 14998u);
    EXPECT_NEAR(period_of(r.samples, 998 + 600, 998 + 5400, 100, 400), 200, 2);
    // Speed 150 asks for twice the speaker's pace: 4000 × 1.5 / 2 samples,
    // and the pause at the original rules' speed.
    Settings.speed = 150;
    r = run_text("ма.`");
    EXPECT_EQ(r.samples.size(), 998u + 3000u + 9998u);
    // Recordings read from their files each time are stretched alike.
    recording_cache_enabled = false;
    EXPECT_EQ(run_text("ма.`").samples, r.samples);
    // A voice at its recorded pace at speed 100 is not stretched at all.
    Settings.speed = 100;
    dir.write("v/prosody.txt", std::string(RHYTHM) + "stretch 100\n");
    EXPECT_EQ(run_text("ма.`").samples.size(), 998u + 4000u + 14998u);
}

TEST_F(RhythmTest, StressedSyllablesLongerUnstressedShorter)
{
    voice("ma.pcm", pulses(4000, 200));
    dir.write("v/prosody.txt", std::string(RHYTHM) + "stressed 150\nunstressed 80\n");
    const std::string stressed = harness::cp1251("ма") + "\xB4" + ".`";
    StageRun r = run(stressed);
    ASSERT_EQ(r.samples.size(), 998u + 6000u + 14998u);
    EXPECT_NEAR(period_of(r.samples, 998 + 600, 998 + 5400, 100, 400), 200, 2);
    EXPECT_EQ(run_text("ма.`").samples.size(), 998u + 3200u + 14998u);
    // On top of the pace: speed 150 halves both (and shortens the pause).
    Settings.speed = 150;
    EXPECT_EQ(run(stressed).samples.size(), 998u + 3000u + 9998u);
    EXPECT_EQ(run_text("ма.`").samples.size(), 998u + 1600u + 9998u);
    // Copies of one recording at both lengths are kept apart in the store.
    EXPECT_EQ(run(stressed).samples.size(), 998u + 3000u + 9998u);
    Settings.speed = 100;
    // Without the keys, or in the original reading, stress changes nothing.
    dir.write("v/prosody.txt", RHYTHM);
    EXPECT_EQ(run(stressed).samples.size(), 998u + 4000u + 14998u);
    EXPECT_EQ(run(stressed).samples, run_text("ма.`").samples);
    dir.write("v/prosody.txt", std::string(RHYTHM) + "stressed 150\nunstressed 80\n");
    Settings.reading = READING_ORIGINAL;
    const Samples original = run(stressed).samples;
    std::filesystem::remove(dir.file("v/prosody.txt"));
    EXPECT_EQ(original, run(stressed).samples);
}

// A one-letter word ("и" "а" "у" "о", a word of its own) lasts at least the
// voice's lone_vowel at the speaker's pace, and the crossfades either side
// (300 each here) on top; the same vowel inside a word and voices without the
// key are as before.
TEST_F(RhythmTest, OneLetterWordsLastAtLeastTheSpeakersLength)
{
    voice("i.pcm", pulses(3000, 200));
    const auto length = [&](const char* text) { return run_text(text).samples.size(); };
    const std::size_t plain = length("ма_и_ма.`");
    const std::size_t inside = length("ма-и_ма.`");
    const std::size_t first = length("и_ма.`");
    dir.write("v/prosody.txt", std::string(RHYTHM) + "lone_vowel 5000\n");
    EXPECT_EQ(length("ма_и_ма.`"), plain + 2600);
    EXPECT_EQ(length("и_ма.`"), first + 2600);
    EXPECT_EQ(length("ма-и_ма.`"), inside);
    // Lengthened, not sped up: the pulses keep their period.
    const StageRun r = run_text("и.`");
    EXPECT_NEAR(period_of(r.samples, 998 + 600, 998 + 4400, 100, 400), 200, 2);
    // At twice the pace half of it: 2500 samples and the crossfades, where
    // the others are halved.
    Settings.speed = 150;
    const std::size_t fast = length("ма_и_ма.`");
    dir.write("v/prosody.txt", RHYTHM);
    EXPECT_EQ(length("ма_и_ма.`") + 1600, fast);
    Settings.speed = 100;
    // Beyond what one stretch gives, in two; at most four times the recording.
    dir.write("v/prosody.txt", std::string(RHYTHM) + "lone_vowel 9000\n");
    EXPECT_EQ(length("ма_и_ма.`"), plain + 6600);
    EXPECT_NEAR(period_of(run_text("и.`").samples, 998 + 600, 998 + 8400, 100, 400), 200, 2);
    dir.write("v/prosody.txt", std::string(RHYTHM) + "lone_vowel 20000\n");
    EXPECT_EQ(length("ма_и_ма.`"), plain + 9000);
    // The original reading never lengthens it.
    Settings.reading = READING_ORIGINAL;
    const Samples original = run_text("ма_и_ма.`").samples;
    std::filesystem::remove(dir.file("v/prosody.txt"));
    EXPECT_EQ(run_text("ма_и_ма.`").samples, original);
}

// A voice with the syllable said stressed and unstressed beside its plain
// recording ("ma+.pcm", "ma-.pcm"): the everyday reading takes the variant
// of the syllable's stress and falls back to the plain one quietly; the
// original reading never looks at them.
TEST_F(RhythmTest, StressedAndUnstressedVariants)
{
    const Samples plain = pulses(4000, 200), loud = ramp(3000, 2000), soft = ramp(2000, -3000);
    voice("ma.pcm", plain);
    voice("m.pcm", ramp(1000, 500));
    dir.write("v/prosody.txt", std::string(RHYTHM) + "stressed 120\nunstressed 90\n");
    const std::string ma = harness::cp1251("ма") + "\xB4";
    const std::string stressed = ma + "_" + ma + "-" + harness::cp1251("м") + ".`";
    const std::string unstressed = harness::cp1251("ма_ма-м.`");
    // What the stage says when the plain recording is the variant.
    const auto as_plain = [&](const Samples& recording, const std::string& text) {
        voice("ma.pcm", recording);
        const Samples said = run(text).samples;
        voice("ma.pcm", plain);
        return said;
    };
    const Samples with_loud = as_plain(loud, stressed), with_soft = as_plain(soft, unstressed);
    const Samples plain_stressed = run(stressed).samples, plain_unstressed = run(unstressed).samples;
    ASSERT_NE(with_loud, plain_stressed);
    ASSERT_NE(with_soft, plain_unstressed);
    voice("ma+.pcm", loud);
    voice("ma-.pcm", soft);
    voice("m+.pcm", soft);  // a syllable without a vowel has no stress: never used
    voice("m-.pcm", soft);
    for (const bool cached : {true, false}) {
        SCOPED_TRACE(cached ? "held in memory" : "read each time");
        recording_cache_enabled = cached;
        EXPECT_EQ(run(stressed).samples, with_loud);
        EXPECT_EQ(run(unstressed).samples, with_soft);
    }
    recording_cache_enabled = true;
    // A variant the voice lacks: the plain recording, without a message.
    std::filesystem::remove(dir.file("v/ma-.pcm"));
    const StageRun fallback = run(unstressed);
    EXPECT_EQ(fallback.samples, plain_unstressed);
    EXPECT_EQ(fallback.out.find("No "), std::string::npos) << fallback.out;
    EXPECT_EQ(run(stressed).samples, with_loud);
    // Without its rhythm the voice still says its variants, at the original joins.
    std::filesystem::remove(dir.file("v/prosody.txt"));
    const Samples plain_joins = run(stressed).samples;
    EXPECT_EQ(plain_joins, as_plain(loud, stressed));
    // The original reading: the plain recordings only, as if there were no variants.
    Settings.reading = READING_ORIGINAL;
    const Samples original = run(unstressed).samples;
    for (const char* f : {"v/ma+.pcm", "v/m+.pcm", "v/m-.pcm"})
        std::filesystem::remove(dir.file(f));
    EXPECT_EQ(run(unstressed).samples, original);
    // A missing plain recording is still reported.
    std::filesystem::remove(dir.file("v/ma.pcm"));
    Settings.reading = READING_EVERYDAY;
    EXPECT_NE(run(stressed).out.find("No ma.pcm slog"), std::string::npos);
}

TEST(RecordingName, VariantsOfASyllable)
{
    std::array<char, RECORDING_NAME_BYTES> name{};
    const std::string ma = harness::cp1251("ма"), long_token = harness::cp1251("мамамамам");
    ASSERT_TRUE(variant_file_name(ma.data(), ma.size(), STRESSED_SUFFIX, name));
    EXPECT_STREQ(name.data(), "ma+.pcm");
    ASSERT_TRUE(variant_file_name(ma.data(), ma.size(), UNSTRESSED_SUFFIX, name));
    EXPECT_STREQ(name.data(), "ma-.pcm");
    // No plain name can end in either suffix; a token of nine letters has no room for it.
    for (const char c : {STRESSED_SUFFIX, UNSTRESSED_SUFFIX}) {
        const std::string with = ma + c;
        EXPECT_FALSE(recording_file_name(with.data(), with.size(), name));
    }
    EXPECT_TRUE(recording_file_name(long_token.data(), long_token.size(), name));
    EXPECT_FALSE(variant_file_name(long_token.data(), long_token.size(), STRESSED_SUFFIX, name));
    EXPECT_FALSE(variant_file_name("x", 1, STRESSED_SUFFIX, name));
}

}  // namespace
