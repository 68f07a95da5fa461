// The intonation of a voice that carries its own: the pitch-synchronous
// overlap-add on pulse trains of a known pitch, the side files, the contour
// of a phrase, and whole runs with and without the voice's pitch marks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "zvuki/intonation.h"
#include "zvuki/recording_name.h"
#include "zvuki/takes.h"
#include "zvuki_fixture.h"

namespace {

using namespace zt;

// The marks of pulses(n, period): each pulse's start.
std::vector<std::uint32_t> marks_of(int n, int period)
{
    std::vector<std::uint32_t> m;
    for (int i = 0; i < n; i += period)
        m.push_back(static_cast<std::uint32_t>(i));
    return m;
}

int peak(const Samples& s, std::size_t from, std::size_t to)
{
    int p = 0;
    for (std::size_t i = from; i < to; ++i)
        p = std::max(p, std::abs(int(s[i])));
    return p;
}

// The largest difference between a and the start of b.
int worst_difference(const Samples& a, const Samples& b)
{
    int worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::abs(int(b[i]) - int(a[i])));
    return worst;
}

TEST(Psola, GivesThePitchAndTheLengthAskedFor)
{
    const auto held = std::make_unique<StretchBuffers>();  // too large for a Windows thread's stack
    StretchBuffers& buffers = *held;
    for (const int period : {147, 200, 300}) {
        const Samples in = pulses(8820, period);
        const std::vector<std::uint32_t> marks = marks_of(8820, period);
        for (const double factor : {0.6, 1.0, 1.5}) {
            for (const double f0 : {80.0, 120.0, 160.0}) {
                const double asked = SAMPLE_RATE / f0;
                if (asked < period / 2.0 || asked > period * 2.0)
                    continue;
                SCOPED_TRACE(std::to_string(period) + " in, " + std::to_string(f0) + " Hz, factor " +
                             std::to_string(factor));
                Samples out(stretched_length(in.size(), factor));
                ASSERT_EQ(psola(in.data(), in.size(), marks.data(), marks.size(), factor, f0, f0, out.data(), buffers),
                          out.size());
                EXPECT_EQ(out.size(), static_cast<std::size_t>(std::lround(8820 * factor)));
                EXPECT_NEAR(period_of(out, 600, out.size() - 600, 60, 400), asked, 2.0);
                // Each period keeps its pulse: neither lost in a gap nor piled up.
                EXPECT_NEAR(peak(out, 600, out.size() - 600), peak(in, 0, in.size()), 0.1 * peak(in, 0, in.size()));
            }
        }
    }
}

// Two voiced stretches of pulses whose periods wander (as a speaker's do),
// with a noisy voiceless stretch between them and at either end.
Samples voiced_and_voiceless(std::vector<std::uint32_t>& marks)
{
    Samples s(9000);
    std::uint32_t noise = 12345;
    for (auto& v : s) {
        noise = noise * 1103515245u + 12345u;
        v = static_cast<std::int16_t>(static_cast<int>((noise >> 16) & 0x3FF) - 512);
    }
    marks.clear();
    for (const auto& [from, to] : {std::pair{700, 4000}, std::pair{5200, 8400}}) {
        int period = 150;
        for (int at = from; at + period < to; at += period) {
            marks.push_back(static_cast<std::uint32_t>(at));
            for (int k = 0; k < period; ++k)
                s[static_cast<std::size_t>(at + k)] =
                    static_cast<std::int16_t>(8000.0 * std::exp(-k / 20.0) * std::cos(2 * std::numbers::pi * k / 25.0));
            period += (at / 7) % 3 == 0 ? 9 : -5;
        }
    }
    return s;
}

TEST(Psola, LeavesARecordingAsItWasAtItsOwnPitchAndLength)
{
    const auto held = std::make_unique<StretchBuffers>();  // too large for a Windows thread's stack
    StretchBuffers& buffers = *held;
    std::vector<std::uint32_t> marks;
    const Samples in = voiced_and_voiceless(marks);
    Samples out(in.size());
    ASSERT_EQ(psola(in.data(), in.size(), marks.data(), marks.size(), 1.0, 0, 0, out.data(), buffers), in.size());
    EXPECT_LE(worst_difference(in, out), 1);
    // Lowered a little and raised a little: every period still starts with
    // its pulse, nothing doubled at the joins of voiced and voiceless.
    for (const double f0 : {130.0, 170.0}) {
        ASSERT_EQ(psola(in.data(), in.size(), marks.data(), marks.size(), 1.0, f0, f0, out.data(), buffers), in.size());
        EXPECT_NEAR(period_of(out, 1200, 3800, 100, 250), SAMPLE_RATE / f0, 3.0);
        EXPECT_LE(peak(out, 0, out.size()), 1.05 * peak(in, 0, in.size()));
        EXPECT_LT(peak(out, 0, 600), 600);  // the voiceless start stays voiceless
    }
}

// The largest autocorrelation of s[from, to) over lags 1 to most, as a share
// of its energy: near 0 for noise, high where copies of it lie a lag apart.
double largest_echo(const Samples& s, std::size_t from, std::size_t to, std::size_t most)
{
    double energy = 0;
    for (std::size_t i = from; i < to; ++i)
        energy += double(s[i]) * s[i];
    double worst = 0;
    for (std::size_t lag = 1; lag <= most; ++lag) {
        double c = 0;
        for (std::size_t i = from; i + lag < to; ++i)
            c += double(s[i]) * s[i + lag];
        worst = std::max(worst, c / energy);
    }
    return worst;
}

TEST(Psola, LengthensVoicelessStretchesWithoutEchoes)
{
    const auto held = std::make_unique<StretchBuffers>();  // too large for a Windows thread's stack
    StretchBuffers& buffers = *held;
    std::vector<std::uint32_t> marks;
    const Samples in = voiced_and_voiceless(marks);
    ASSERT_LT(largest_echo(in, 4350, 4850, 64), 0.1);
    // Lengthened, at the own pitch and at another: the voiceless middle (4000
    // to 5200 in the recording) is noise still, not noise and a copy of it a
    // few samples later (grains laid by the clock alone gave 0.2 and 0.6).
    // Beyond twice (a slow speed), the voiceless stretches are stretched twice.
    for (const double factor : {1.4, 2.0, 2.6})
        for (const double f0 : {0.0, 150.0}) {
            SCOPED_TRACE(std::to_string(factor) + " " + std::to_string(f0));
            Samples out(stretched_length(in.size(), factor));
            ASSERT_EQ(psola(in.data(), in.size(), marks.data(), marks.size(), factor, f0, f0, out.data(), buffers),
                      out.size());
            const auto at = [&](double x) { return static_cast<std::size_t>(x * factor); };
            EXPECT_LT(largest_echo(out, at(4350), at(4850), 64), 0.2);
        }
}

TEST(Psola, RecalledStretchesSoundAsSearched)
{
    // One recording laid at several lengths and pitches with its stretches'
    // choices recalled, beyond twice its length too (where the recording
    // stretched twice has choices of its own): sample for sample as without.
    const auto held = std::make_unique<StretchBuffers>();  // too large for a Windows thread's stack
    const auto choices = std::make_unique<StretchChoices>();
    std::vector<std::uint32_t> marks;
    const Samples in = voiced_and_voiceless(marks);
    for (int round = 0; round < 2; ++round)
        for (const double factor : {1.4, 2.6, 0.8, 4.0})
            for (const double f0 : {0.0, 150.0}) {
                SCOPED_TRACE(std::to_string(factor) + " " + std::to_string(f0));
                Samples recalled(stretched_length(in.size(), factor)), searched(recalled.size());
                ASSERT_EQ(psola(in.data(), in.size(), marks.data(), marks.size(), factor, f0, f0, recalled.data(),
                                *held, 0, {choices.get(), 7}),
                          recalled.size());
                ASSERT_EQ(psola(in.data(), in.size(), marks.data(), marks.size(), factor, f0, f0, searched.data(), *held),
                          searched.size());
                EXPECT_EQ(recalled, searched);
            }
    EXPECT_GT(choices->used, 0u);
}

TEST(Psola, GlidesKeepsAndRefuses)
{
    const auto held = std::make_unique<StretchBuffers>();  // too large for a Windows thread's stack
    StretchBuffers& buffers = *held;
    const Samples in = pulses(8820, 200);
    const std::vector<std::uint32_t> marks = marks_of(8820, 200);
    Samples out(2 * in.size());
    // A glide from 100 to 150 Hz: long periods at the start, short at the end.
    ASSERT_EQ(psola(in.data(), in.size(), marks.data(), marks.size(), 1.0, 100, 150, out.data(), buffers), 8820u);
    EXPECT_NEAR(period_of(out, 0, 1500, 100, 300), 215, 8);
    EXPECT_NEAR(period_of(out, 7300, 8820, 100, 300), 151, 8);
    // F0 0 keeps each period as it was.
    ASSERT_EQ(psola(in.data(), in.size(), marks.data(), marks.size(), 1.3, 0, 0, out.data(), buffers), 11466u);
    EXPECT_NEAR(period_of(out, 600, 10800, 100, 300), 200, 2);
    // Without marks the sound is voiceless: stretched, not silenced.
    ASSERT_EQ(psola(in.data(), in.size(), nullptr, 0, 1.5, 150, 150, out.data(), buffers), 13230u);
    EXPECT_GT(peak(out, 1000, 12000), 4000);
    // Marks out of order or past the recording, factors out of range, too short.
    std::vector<std::uint32_t> bad = marks;
    std::swap(bad[3], bad[4]);
    EXPECT_EQ(psola(in.data(), in.size(), bad.data(), bad.size(), 1.0, 120, 120, out.data(), buffers), 0u);
    bad = marks;
    bad.back() = 8820;
    EXPECT_EQ(psola(in.data(), in.size(), bad.data(), bad.size(), 1.0, 120, 120, out.data(), buffers), 0u);
    // Slower than twice the recording's length, the pitch is still the one asked for.
    Samples slow(stretched_length(in.size(), 2.5));
    ASSERT_EQ(psola(in.data(), in.size(), marks.data(), marks.size(), 2.5, 120, 120, slow.data(), buffers), 22050u);
    EXPECT_NEAR(period_of(slow, 600, 21000, 100, 300), SAMPLE_RATE / 120.0, 3);
    EXPECT_EQ(psola(in.data(), in.size(), marks.data(), marks.size(), 4.5, 120, 120, out.data(), buffers), 0u);
    EXPECT_EQ(psola(in.data(), in.size(), marks.data(), marks.size(), std::nan(""), 120, 120, out.data(), buffers),
              0u);
    EXPECT_EQ(psola(in.data(), in.size(), marks.data(), marks.size(), 1.0, -5, 120, out.data(), buffers), 0u);
    EXPECT_EQ(psola(in.data(), STRETCH_WINDOW - 1, marks.data(), 2, 1.0, 120, 120, out.data(), buffers), 0u);
}

// A recording whose pitch falls: 4410 samples of 180-sample periods, then
// 4410 of 220 (a mean period of 200), and its marks.
Samples falling(std::vector<std::uint32_t>& marks)
{
    Samples s;
    marks.clear();
    for (const int period : {180, 220}) {
        const Samples half = pulses(4410 - 4410 % period, period);
        for (std::size_t i = 0; i < half.size(); i += std::size_t(period))
            marks.push_back(static_cast<std::uint32_t>(s.size() + i));
        for (const std::int16_t v : half)
            s.push_back(v);
    }
    return s;
}

TEST(Psola, KeepsTheAskedShareOfTheRecordingsOwnMovement)
{
    const auto held = std::make_unique<StretchBuffers>();  // too large for a Windows thread's stack
    StretchBuffers& buffers = *held;
    std::vector<std::uint32_t> marks;
    const Samples in = falling(marks);
    Samples out(2 * in.size());
    // Asked for 110.25 Hz (a period of 200) throughout: with shape 0 both
    // halves come out at it, with 1 each keeps its own ratio to the mean
    // period, with 0.5 the square root of it; F0 0 keeps every period however
    // the shape is set.
    const double mean = (180.0 * 24 + 220.0 * 19) / 43;  // the periods between the marks
    for (const double shape : {0.0, 0.5, 1.0}) {
        SCOPED_TRACE("shape " + std::to_string(shape));
        ASSERT_EQ(psola(in.data(), in.size(), marks.data(), marks.size(), 1.0, 110.25, 110.25, out.data(), buffers,
                        shape),
                  in.size());
        EXPECT_NEAR(period_of(out, 600, 3800, 100, 300), 200 * std::pow(180 / mean, shape), 3);
        EXPECT_NEAR(period_of(out, 5000, 8200, 100, 300), 200 * std::pow(220 / mean, shape), 3);
        ASSERT_EQ(psola(in.data(), in.size(), marks.data(), marks.size(), 1.0, 0, 0, out.data(), buffers, shape),
                  in.size());
        EXPECT_LE(worst_difference(in, out), 1);
    }
    for (const double shape : {-0.1, 1.5, std::nan("")})
        EXPECT_EQ(psola(in.data(), in.size(), marks.data(), marks.size(), 1.0, 120, 120, out.data(), buffers, shape),
                  0u);
}

class IntonationTest : public ZvukiTest {};

TEST_F(IntonationTest, ReadsTheSideFiles)
{
    static PitchMarks p;
    dir.write("pm.txt",
              "# marks\r\nma.pcm 10 210 410\r\nka.pcm 5 3 9\nmo.pcm 7 x\n\nma.pcm 1 2\nmu.pcm\nmi.pcm 100\n" +
                  std::string("ka.pcm ") + std::string(9000, '1') + "\n");
    ASSERT_TRUE(read_pitch_marks(dir.file("pm.txt").c_str(), p));
    std::size_t count = 0;
    const std::uint32_t* m = find_pitch_marks(p, "ma.pcm", count);
    ASSERT_EQ(count, 3u);  // the first line of a name holds
    EXPECT_EQ(m[0], 10u);
    EXPECT_EQ(m[2], 410u);
    EXPECT_EQ(find_pitch_marks(p, "ka.pcm", count), nullptr);  // out of order; a line cut at its room
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(find_pitch_marks(p, "mo.pcm", count), nullptr);  // not a number
    EXPECT_EQ(find_pitch_marks(p, "mu.pcm", count), nullptr);
    ASSERT_NE(find_pitch_marks(p, "mi.pcm", count), nullptr);
    EXPECT_EQ(count, 1u);
    EXPECT_FALSE(read_pitch_marks(dir.file("none.txt").c_str(), p));

    Intonation t;
    dir.write("in.txt", "# table\r\nbase 120.5\r\nscale 150\r\nshape 40\r\nnear 150\r\nquestion 1 2 3 4 5 6 7 8 9 10 11\r\n"
                        "statement 1 2 3\r\ncontinuation 1 2 3 4 5 6 7 8 9 10 99999\r\n");
    ASSERT_TRUE(read_intonation(dir.file("in.txt").c_str(), t));
    EXPECT_EQ(t.base, 120.5);
    EXPECT_EQ(t.scale, 150);
    EXPECT_EQ(t.shape, 40);
    EXPECT_EQ(t.near, 150);
    EXPECT_EQ(t.cents[int(PhraseType::question)][CLASS_FINAL], 11);
    EXPECT_EQ(t.cents[int(PhraseType::statement)][0], 0);      // a row cut short is no row
    EXPECT_EQ(t.cents[int(PhraseType::continuation)][0], 0);   // nor one out of range
    // A shape past the whole, or none, keeps every period on the contour.
    Intonation past;
    dir.write("in.txt", "base 120\nshape 101\nnear 1201\n");
    ASSERT_TRUE(read_intonation(dir.file("in.txt").c_str(), past));
    EXPECT_EQ(past.shape, 0);
    EXPECT_EQ(past.near, 0);  // past an octave: every syllable moved
    Intonation kept = t;
    dir.write("in.txt", "statement 1 2 3 4 5 6 7 8 9 10 11\n");
    EXPECT_FALSE(read_intonation(dir.file("in.txt").c_str(), kept));  // no base: no table
    EXPECT_EQ(kept.base, 120.5);
}

// A table whose every class has its own number, 100 cents apart.
Intonation numbered(double base)
{
    Intonation t;
    t.base = base;
    for (std::size_t k = 0; k < PHRASE_TYPES; ++k)
        for (std::size_t c = 0; c < INTONATION_CLASSES; ++c)
            t.cents[k][c] = int(100 * c) - 500 + int(k) * 10;
    return t;
}

double cents_of(const Intonation& t, float hz) { return 1200 * std::log2(hz / t.base); }

TEST(PhraseContour, TargetsByPlaceAndNoJumpAtAJoin)
{
    const Intonation t = numbered(100);
    std::array<float, PHRASE_MOST> from{}, to{};
    // "мама мыла раму" with no stress marks: 6 syllables, the nucleus the
    // first of the last word ("ра"), "му" after it and last.
    const PhraseSyllable plain[] = {{true, false, false}, {true, false, true}, {true, false, false},
                                    {true, false, true},  {true, false, false}, {true, false, true}};
    phrase_contour(t, PhraseType::statement, plain, 6, 100, from.data(), to.data());
    for (std::size_t j = 0; j + 1 < 6; ++j)
        EXPECT_FLOAT_EQ(to[j], from[j + 1]);
    EXPECT_NEAR(cents_of(t, from[0]), -500, 0.5);                    // head1
    EXPECT_NEAR(cents_of(t, to[5]), 100 * CLASS_FINAL - 500, 0.5);   // the phrase ends on its final target
    EXPECT_NEAR(cents_of(t, to[4]), (100 * CLASS_NUCLEUS + 100 * CLASS_FINAL) / 2.0 - 500, 0.5);
    // A stress mark moves the nucleus; a question reads its own row; the scale draws the targets out.
    PhraseSyllable marked[6];
    std::copy(std::begin(plain), std::end(plain), marked);
    marked[1].stressed = true;
    phrase_contour(t, PhraseType::question, marked, 6, 200, from.data(), to.data());
    EXPECT_NEAR(cents_of(t, to[0]), 2 * ((100 * 0 + 100 * CLASS_NUCLEUS) / 2.0 - 500 + 10), 0.5);
    EXPECT_NEAR(cents_of(t, to[5]), 2 * (100 * CLASS_FINAL - 500 + 10), 0.5);
    EXPECT_NEAR(cents_of(t, from[3]), 2 * (100 * CLASS_TAIL - 500 + 10), 0.5);
    // A consonant token takes the vowel's before it, or after it at the start.
    const PhraseSyllable consonants[] = {{false, false, false}, {true, false, false}, {false, false, true}};
    phrase_contour(t, PhraseType::continuation, consonants, 3, 100, from.data(), to.data());
    EXPECT_FLOAT_EQ(from[0], to[2]);
    EXPECT_FLOAT_EQ(from[0], from[1]);
}

// A voice of one syllable at 110.25 Hz with its pitch marks and rhythm.
class IntonedVoice : public ZvukiTest {
protected:
    void SetUp() override
    {
        ZvukiTest::SetUp();
        voice("ma.pcm", pulses(4000, 200));
        dir.write("v/prosody.txt", "crossfade 300\nclosure 1000\npause 6000\nstretch 100\n");
        std::string marks = "ma.pcm";
        for (const std::uint32_t m : marks_of(4000, 200)) {
            marks += ' ';
            marks += std::to_string(m);
        }
        dir.write("v/pitchmarks.txt", marks + "\n");
        // Statements fall to -600 cents at their nucleus and end, questions rise to +900 at their nucleus.
        dir.write("v/intonation.txt",
                  "base 110.25\nstatement 0 0 0 0 0 0 0 0 -600 -600 -600\nquestion 0 0 0 0 0 0 0 0 900 -300 -300\n");
    }
    // The speech of text with recordings and results kept (first), and with every one made anew.
    std::pair<StageRun, StageRun> kept_and_made(const std::string& text)
    {
        StageRun kept = run_text(text);
        recording_cache_enabled = false;
        StageRun made = run_text(text);
        recording_cache_enabled = true;
        return {std::move(kept), std::move(made)};
    }
    // A recording of the voice like "ma.pcm", with its pitch marks.
    void marked_syllable(const char* name)
    {
        voice(name, pulses(4000, 200));
        std::string marks = name;
        for (const std::uint32_t m : marks_of(4000, 200)) {
            marks += ' ';
            marks += std::to_string(m);
        }
        dir.write("v/pitchmarks.txt", dir.read("v/pitchmarks.txt") + marks + "\n");
    }
    // The period sounded in the middle of syllable k of a run of 4000-sample syllables.
    static int period_at(const StageRun& r, int k)
    {
        const std::size_t at = 998 + 4000 * std::size_t(k);
        return period_of(r.samples, at + 1200, at + 2800, 60, 500);
    }
};

TEST_F(IntonedVoice, StatementsFallQuestionsRise)
{
    const StageRun statement = run_text("ма_ма_ма.`");
    const StageRun question = run_text("ма_ма_ма?`");
    ASSERT_GT(statement.samples.size(), 998u + 12000u);
    EXPECT_NEAR(period_at(statement, 0), 200, 3);
    EXPECT_GT(period_at(statement, 2), 240);  // falling towards 600 cents down
    // The question's nucleus (its last syllable, there being no mark) rises.
    EXPECT_LT(period_at(question, 2), 160);
    EXPECT_NEAR(period_at(question, 0), 200, 3);
}

TEST_F(IntonedVoice, StressMarkNamesNoRecordingAndMovesTheNucleus)
{
    // "´" (code page 1251 0xB4) after the first syllable's vowel.
    const StageRun r = run(harness::cp1251("ма") + "\xB4" + harness::cp1251("_ма_ма?`"));
    ASSERT_GT(r.samples.size(), 998u + 12000u);
    EXPECT_EQ(r.out.find("ma"), std::string::npos);  // no recording missing
    EXPECT_LT(period_at(r, 0), 160);  // the rise on the stressed syllable
    EXPECT_GT(period_at(r, 2), 210);  // then the fall
}

// A table with the two kinds of question: one with a question word takes
// the askword row, its nucleus on the word ("ли": on the word before it);
// one without takes the yesno row; a table without them, the question row.
TEST_F(IntonedVoice, QuestionsByTheirKind)
{
    marked_syllable("li.pcm");
    const std::string table = dir.read("v/intonation.txt");
    dir.write("v/intonation.txt", table + "askword 0 0 0 0 0 0 0 0 900 -600 -600\nyesno 0 0 0 0 0 0 0 0 -600 0 0\n");
    const StageRun particle = run_text("ма_ли_ма?`");
    EXPECT_LT(period_at(particle, 0), 160);  // the accent on the word before "ли"
    EXPECT_GT(period_at(particle, 2), 240);  // and the fall after it
    const StageRun yesno = run_text("ма_ма_ма?`");
    EXPECT_GT(period_at(yesno, 2), 240);
    // The same question words in a statement change nothing.
    EXPECT_EQ(run_text("ма_ли_ма.`").samples, run_text("ма_ма_ма.`").samples);
    dir.write("v/intonation.txt", table);
    EXPECT_NEAR(period_at(run_text("ма_ли_ма?`"), 0), 200, 3);
    EXPECT_LT(period_at(run_text("ма_ли_ма?`"), 2), 160);
    // The words as written and as the dictionary says them.
    for (const char* w : {"кто", "што", "когда", "кагда", "ли", "ниужэли", "чьё", "чем", "каво", "чиму"})
        EXPECT_TRUE(is_question_word(harness::cp1251(w).c_str())) << w;
    for (const char* w : {"кот", "ма", "лишь", ""})
        EXPECT_FALSE(is_question_word(harness::cp1251(w).c_str())) << w;
}

TEST_F(IntonedVoice, StressedSyllablesKeepTheirLength)
{
    dir.write("v/prosody.txt", "crossfade 300\nclosure 1000\npause 6000\nstretch 100\nstressed 150\nunstressed 100\n");
    const StageRun plain = run_text("ма_ма_ма.`");
    const StageRun stressed = run(harness::cp1251("ма") + "\xB4" + harness::cp1251("_ма_ма.`"));
    ASSERT_GT(plain.samples.size(), 998u + 12000u);
    // The stressed syllable half as long again: 2000 samples more.
    EXPECT_NEAR(double(stressed.samples.size()) - double(plain.samples.size()), 2000.0, 50.0);
}

TEST_F(IntonedVoice, SlowSpeedsKeepTheContour)
{
    // At speed 50 this voice's pace asks for 2.5 times each recording:
    // beyond one stretch, the question still rises on its nucleus.
    dir.write("v/prosody.txt", "crossfade 300\nclosure 1000\npause 6000\nstretch 125\n");
    Settings.speed = 50;
    const StageRun r = run_text("ма_ма_ма?`");
    ASSERT_GT(r.samples.size(), 998u + 30000u);
    const auto period_at_slow = [&](std::size_t k) {
        const std::size_t at = 998 + 10000 * k;
        return period_of(r.samples, at + 3000, at + 7000, 60, 500);
    };
    EXPECT_NEAR(period_at_slow(0), 200, 3);
    EXPECT_LT(period_at_slow(2), 160);
}

TEST_F(IntonedVoice, WithoutPitchMarksOrInTheOriginalReadingSpokenAsBefore)
{
    dir.write("v/pitchmarks.txt", "");
    const StageRun unmarked = run_text("ма_ма_ма?`");
    std::filesystem::remove(dir.file("v/pitchmarks.txt"));
    std::filesystem::remove(dir.file("v/intonation.txt"));
    const StageRun before = run_text("ма_ма_ма?`");
    EXPECT_EQ(unmarked.samples, before.samples);
    EXPECT_NEAR(period_at(before, 2), 200, 3);
    // The original reading takes no notice of the voice's side files.
    dir.write("v/intonation.txt", "base 110.25\nquestion 0 0 0 0 0 0 0 0 600 -300 -300\n");
    Settings.reading = READING_ORIGINAL;
    const StageRun original = run_text("ма_ма_ма?`");
    std::filesystem::remove(dir.file("v/intonation.txt"));
    EXPECT_EQ(original.samples, run_text("ма_ма_ма?`").samples);
}

// A syllable asked for within `near` cents of its recording's own pitch is
// sounded as the stretch gives it; one asked farther is still moved.
TEST_F(IntonedVoice, SyllablesNearTheirPitchKeepIt)
{
    const std::string table = "base 110.25\nstatement 0 0 0 0 0 0 0 0 -100 -100 -100\n"
                              "question 0 0 0 0 0 0 0 0 900 -300 -300\n";
    dir.write("v/intonation.txt", table);
    const StageRun moved = run_text("ма_ма_ма.`");
    EXPECT_GT(period_at(moved, 2), 206);  // 100 cents down: 212
    dir.write("v/intonation.txt", table + "near 150\n");
    const StageRun kept = run_text("ма_ма_ма.`");
    const StageRun question = run_text("ма_ма_ма?`");
    std::filesystem::remove(dir.file("v/intonation.txt"));
    const StageRun flat = run_text("ма_ма_ма.`");
    EXPECT_EQ(kept.samples, flat.samples);
    EXPECT_EQ(period_at(kept, 2), 200);
    // 900 cents up is far: moved all the same.
    EXPECT_LT(period_at(question, 2), 160);
    EXPECT_EQ(period_at(question, 0), 200);
}

// A pause the join puts between two words ("ма" before "па", a voiceless
// stop) does not end the phrase: its contour goes on as planned. The pause
// after a syllable that is not sounded does.
TEST_F(IntonedVoice, PhraseGoesOnPastAWordPause)
{
    marked_syllable("pa.pcm");
    // A high start, level after it: only a phrase planned again from "па"
    // would start high there.
    dir.write("v/intonation.txt", "base 110.25\nstatement 600 600 0 0 0 0 0 0 -600 -600 -600\n");
    const StageRun paused = run_text("ма_па_ма_ма.`");
    ASSERT_GT(paused.samples.size(), 998u + 16000u);
    // "па" starts where the pause before it (100 silent samples or more) ends.
    std::size_t at = 998 + 2000, silent = 0;
    for (; at < paused.samples.size() && (silent < 100 || paused.samples[at] == 0); ++at)
        silent = paused.samples[at] == 0 ? silent + 1 : 0;
    ASSERT_LT(at + 2800, paused.samples.size());
    // Planned again, it would start at 600 cents up (141) once more.
    EXPECT_GT(period_of(paused.samples, at + 100, at + 900, 60, 500), 160);
    // A phrase whose last syllable has no recording ends all the same: the
    // question after it rises.
    dir.write("v/intonation.txt", "base 110.25\nquestion 0 0 0 0 0 0 0 0 900 -300 -300\n");
    const StageRun after = run_text("ма_ку,ма_ма?`");
    std::size_t end = after.samples.size();
    while (end > 0 && after.samples[end - 1] == 0)
        --end;
    ASSERT_GT(end, 3000u);
    EXPECT_LT(period_of(after.samples, end - 2800, end - 1200, 60, 500), 160);
}

// Each syllable of these phrases is laid at the same pitch three times (a
// result is kept when made the second time), and the same recording at the
// other phrase's pitches between: the speech is the same sample for sample as
// with every syllable made anew, and as each phrase said alone.
TEST_F(IntonedVoice, KeptResultsServeOnlyTheirOwnPitch)
{
    std::string text;
    for (int i = 0; i < 3; ++i)
        text += "ма_ма_ма.ма_ма_ма?";
    const auto [kept, made] = kept_and_made(text + "ма_ма_ма?`");
    ASSERT_GT(kept.samples.size(), 998u + 7 * 12000u);
    EXPECT_EQ(kept.samples, made.samples);
    // The last question, after six phrases whose results were kept, rises as one said alone.
    const StageRun alone = run_text("ма_ма_ма?`");
    const std::size_t tail = alone.samples.size() - 998;
    ASSERT_GT(kept.samples.size(), tail);
    EXPECT_TRUE(std::equal(alone.samples.begin() + 998, alone.samples.end(), kept.samples.end() - long(tail)));
    EXPECT_LT(period_at(alone, 2), 160);
}

// Two recordings of noise with periods in their middle, lengthened: the
// stretches of each take only their own recording's kept choices, so the
// speech is the same sample for sample as with nothing kept.
TEST_F(IntonedVoice, StretchChoicesServeOnlyTheirOwnRecording)
{
    dir.write("v/prosody.txt", "crossfade 300\nclosure 1000\npause 6000\nstretch 140\n");
    std::string marks;
    std::uint32_t seed = 3;
    for (const char* name : {"ma.pcm", "ka.pcm"}) {
        Samples s(4000);
        for (auto& v : s) {
            seed = seed * 1664525u + 1013904223u;
            v = static_cast<std::int16_t>(static_cast<int>(seed >> 21) - 1024);
        }
        marks += name;
        for (std::uint32_t at = 1500; at < 2700; at += 200) {
            for (std::uint32_t k = 0; k < 200; ++k)
                s[at + k] = static_cast<std::int16_t>(6000.0 * std::exp(-k / 30.0) * std::cos(k * 0.3));
            marks += ' ';
            marks += std::to_string(at);
        }
        marks += '\n';
        voice(name, s);
    }
    dir.write("v/pitchmarks.txt", marks);
    std::string text;
    for (int i = 0; i < 3; ++i)
        text += "ма_ка.ка_ма?";
    const auto [kept, made] = kept_and_made(text + "`");
    ASSERT_GT(kept.samples.size(), 12 * 4000u);
    EXPECT_EQ(kept.samples, made.samples);
}

// The voice with a take of "ма" an octave up, its pulses upside down: the
// syllable asked to rise is said from it, the others from the recording.
TEST_F(IntonedVoice, TakeNearestThePitchIsSaid)
{
    const StageRun before = run_text("ма_ма_ма?`");
    Samples take = pulses(4000, 100);
    for (std::int16_t& x : take)
        x = static_cast<std::int16_t>(-x);
    voice("ma=1.pcm", take);
    const StageRun unmarked = run_text("ма_ма_ма?`");
    // Without its pitch marks a take is never chosen.
    EXPECT_EQ(unmarked.samples, before.samples);
    std::string marks = "ma.pcm";
    for (const std::uint32_t m : marks_of(4000, 200)) {
        marks += ' ';
        marks += std::to_string(m);
    }
    marks += "\nma=1.pcm";
    for (const std::uint32_t m : marks_of(4000, 100)) {
        marks += ' ';
        marks += std::to_string(m);
    }
    dir.write("v/pitchmarks.txt", marks + "\n");
    const StageRun question = run_text("ма_ма_ма?`");
    ASSERT_EQ(question.samples.size(), before.samples.size());
    // The sign of the loudest sample in the middle of syllable k.
    const auto polarity = [](const StageRun& r, int k) {
        const std::size_t at = 998 + 4000 * std::size_t(k);
        int loudest = 0;
        for (std::size_t i = at + 1000; i < at + 3000; ++i)
            if (std::abs(int(r.samples[i])) > std::abs(loudest))
                loudest = r.samples[i];
        return loudest > 0 ? 1 : -1;
    };
    EXPECT_EQ(polarity(question, 0), 1);  // near its own pitch: the recording
    EXPECT_EQ(polarity(before, 2), 1);
    EXPECT_EQ(polarity(question, 2), -1);  // 900 cents up: the take
    EXPECT_LT(period_at(question, 2), 160);  // and the pitch still the one asked for
    // A take named but missing on disk: the recording, quietly.
    std::filesystem::remove(dir.file("v/ma=1.pcm"));
    const StageRun missing = run_text("ма_ма_ма?`");
    EXPECT_EQ(missing.samples, before.samples);
    EXPECT_EQ(missing.out.find("ma="), std::string::npos);
    // Without the intonation table, and in the original reading, takes are never looked at.
    voice("ma=1.pcm", take);
    std::filesystem::remove(dir.file("v/intonation.txt"));
    const StageRun flat = run_text("ма_ма_ма?`");
    std::filesystem::remove(dir.file("v/ma=1.pcm"));
    EXPECT_EQ(flat.samples, run_text("ма_ма_ма?`").samples);
}

TEST(TakeNames, NeverASyllablesOwnName)
{
    std::array<char, RECORDING_NAME_BYTES> name{};
    ASSERT_TRUE(take_file_name("ma+.pcm", 1, name));
    EXPECT_STREQ(name.data(), "ma+=1.pcm");
    ASSERT_TRUE(take_file_name("ma.pcm", 2, name));
    EXPECT_STREQ(name.data(), "ma=2.pcm");
    EXPECT_FALSE(take_file_name("ma.pcm", 0, name));
    EXPECT_FALSE(take_file_name("ma.pcm", TAKES_MOST + 1, name));
    EXPECT_FALSE(take_file_name("ma", 1, name));
    EXPECT_FALSE(take_file_name("abcdefgh.pcm", 1, name));  // no room
    // No byte of a syllable maps to the mark, and the mark is legal in file names everywhere.
    for (int c = 1; c < 256; ++c) {
        const char letter = static_cast<char>(c);
        if (recording_file_name(&letter, 1, name)) {
            EXPECT_NE(name[0], TAKE_MARK) << c;
        }
    }
    EXPECT_EQ(std::string("<>:\"/\\|?*").find(TAKE_MARK), std::string::npos);
}

TEST(TakeChoice, NearestOwnPitchInSemitones)
{
    auto p = std::make_unique<PitchMarks>();
    harness::TempDir d;
    std::string text = "ma.pcm";
    // 100 Hz with one slip among its periods: the median holds.
    for (std::uint32_t at = 0, k = 0; k < 20; ++k, at += k == 7 ? 330 : 220)
    {
        text += ' ';
        text += std::to_string(at);
    }
    text += "\nma=1.pcm";
    for (std::uint32_t at = 0; at < 4000; at += 110)
    {
        text += ' ';
        text += std::to_string(at);
    }
    text += "\nma=2.pcm 0 1000\n";  // no voiced period: never chosen
    d.write("m.txt", text);
    ASSERT_TRUE(read_pitch_marks(d.file("m.txt").c_str(), *p));
    std::size_t count = 0;
    const std::uint32_t* m = find_pitch_marks(*p, "ma.pcm", count);
    EXPECT_NEAR(own_pitch(m, count), 22050.0 / 220, 0.01);
    EXPECT_EQ(own_pitch(nullptr, 0), 0);
    EXPECT_EQ(nearest_take(*p, "ma.pcm", 100), 0);
    EXPECT_EQ(nearest_take(*p, "ma.pcm", 140), 0);  // nearer 100 than 200 in semitones
    EXPECT_EQ(nearest_take(*p, "ma.pcm", 150), 1);
    EXPECT_EQ(nearest_take(*p, "ma.pcm", 0), 0);
    EXPECT_EQ(nearest_take(*p, "na.pcm", 200), 0);  // no marks, no choice
}

}  // namespace
