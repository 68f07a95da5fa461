// Joining syllables: the worked example, the per-sample rules of the sample
// loops, the letter rules, loudness, word ends, and recordings that fail.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/settings.h"
#include "zvuki_fixture.h"

namespace {

using namespace zt;

// A recording whose samples are all different and never 0, so the source of
// every output sample shows.
const Samples MA = ramp(4000, 1000);

// "ма-ма_`" from a recording of 4000 samples, as the rules give it: the lead-in,
// the first 2400 samples at gain × 1.15 (the last 1600 held), 800 held samples
// crossfaded into the second from its sample skip, and its body to 3800.
Samples ma_ma(const Samples& rec, float gain, int skip = 633)
{
    Samples expected = zeros(998);
    append(expected, gained(rec, 0, 2400, gain * 1.15f));
    append(expected, crossfade(gained(rec, 2400, 4000, gain * 1.15f), rec, skip, 800, gain));
    append(expected, gained(rec, skip + 800, 3800, gain));
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
    EXPECT_EQ(a.class_gain, 1.15f);
    EXPECT_EQ(a.gain, 3.4499998f);
    EXPECT_EQ(a.written, 2400);
    const JoinTrace& b = r.traces[1];
    EXPECT_EQ(b.tail_len, 200);
    EXPECT_EQ(b.overlap_start, 2200);
    EXPECT_EQ(b.class_factor, 1.2f);
    EXPECT_EQ(b.overlap_after_class, 1833);
    EXPECT_EQ(b.held_after_halving, 800);
    EXPECT_EQ(b.overlap_after_halving, 1433);
    EXPECT_EQ(b.skip, 633);
    EXPECT_EQ(b.overlap_len, 800);
    EXPECT_EQ(b.gain, 3.0f);
    EXPECT_EQ(b.written, 800 + 2367);
    ASSERT_EQ(r.samples.size(), 6565u);
    EXPECT_EQ(r.samples, ma_ma(MA, 3.0f));
    EXPECT_EQ(r.out.rfind("Zvuki initialized...\n\n[", 0), 0u) << r.out;
    EXPECT_EQ(r.out.substr(r.out.size() - 3), "]\n\n");
}

// The sample loops work a chunk of samples at a time (in vector code where the
// processor has it); every sample they give must be the one the plain rule gives,
// saturated ones included: random samples of the whole range, loud enough to clamp.
TEST_F(ZvukiTest, SampleLoopsGiveThePerSampleRule)
{
    std::mt19937 random(7);
    Samples noise;
    for (int i = 0; i < 4000; ++i)
        noise.push_back(static_cast<std::int16_t>(random()));
    voice("ma.pcm", noise);
    voice("ka.pcm", ramp(2000, 500));
    Settings.volume = 2.5f;
    EXPECT_EQ(run_text("ма-ма_`").samples, ma_ma(noise, 2.5f));  // gain and crossfade
    Samples expected = zeros(998);  // before a voiceless stop: fade over two units, a short stop
    append(expected, faded(noise, 0, 3800, 3800, 400, 2.5f));
    append(expected, zeros(28));
    append(expected, gained(ramp(2000, 500), 0, 1900, 2.5f));
    EXPECT_EQ(run_text("ма+ка_`").samples, expected);
    expected = zeros(998);  // before a pause: a fade over the last tenth
    append(expected, faded(noise, 0, 4000, 4000, 400, 2.5f));
    append(expected, zeros(14998));
    EXPECT_EQ(run_text("ма.`").samples, expected);
}

TEST(JoinRules, ClassFactorLetterRules)
{
    for (const CaseRow& row : case_table("zvuki/letter_rules.cases")) {
        SCOPED_TRACE(row.where);
        Slog cur{}, prev{};
        row.field.at(0).copy(cur.data(), SLOG_BYTES - 1);
        row.field.at(1).copy(prev.data(), SLOG_BYTES - 1);
        float shrink = 1.0f;
        EXPECT_EQ(class_factor_for(cur, prev, std::stoi(row.field.at(2)), shrink), std::stof(row.field.at(3)));
        EXPECT_EQ(shrink, std::stof(row.field.at(4)));
    }
}

TEST_F(ZvukiTest, LoudnessRows)
{
    for (const CaseRow& row : case_table("zvuki/loudness.cases")) {
        SCOPED_TRACE(row.where);
        voice(row.field.at(1), Samples(2000, static_cast<std::int16_t>(std::stoi(row.field.at(2)))));
        Settings.volume = std::stof(row.field.at(3));
        const StageRun r = run(row.field.at(0));
        ASSERT_EQ(r.traces.size(), 1u);
        EXPECT_EQ(r.traces[0].class_gain, std::stof(row.field.at(4)));
        ASSERT_GT(r.samples.size(), 998u);
        EXPECT_EQ(r.samples[998], std::stoi(row.field.at(5)));
    }
}

TEST_F(ZvukiTest, WordEndRules)
{
    voice("ma.pcm", MA);
    for (const char* f : {"m.pcm", "i.pcm", "a.pcm", "ra.pcm", "ka.pcm", "ta.pcm", "l'.pcm"})
        voice(f, ramp(2000, 1000));
    for (const CaseRow& row : case_table("zvuki/word_end.cases")) {
        SCOPED_TRACE(row.where);
        Settings.speed = std::stoi(row.field.at(1));
        const StageRun r = run(row.field.at(0));
        const auto which = std::stoul(row.field.at(2));
        ASSERT_GT(r.traces.size(), which);
        const JoinTrace& t = r.traces[which];
        EXPECT_EQ(t.tail_len, std::stoi(row.field.at(3)));
        EXPECT_EQ(t.cur_code, std::stoi(row.field.at(4)));
        EXPECT_EQ(t.fade_len, std::stoi(row.field.at(5)));
        EXPECT_EQ(t.written, std::stoi(row.field.at(7)));
        std::size_t end = 998, z;  // syllables joined without a pause: where this one's samples end
        for (std::size_t i = 0; i <= which; ++i)
            end += static_cast<std::size_t>(r.traces[i].passed + r.traces[i].written);
        for (z = end; z < r.samples.size() && r.samples[z] == 0;)
            ++z;
        EXPECT_NE(r.samples.at(end - 1), 0);
        EXPECT_EQ(z - end, std::stoul(row.field.at(6)));
    }
}

// A tail longer than the buffer is cut to its 8192 samples; an empty recording
// drops the held tail inside a word and writes it after a word end; an odd last
// byte is no sample.
TEST_F(ZvukiTest, LongEmptyAndOddRecordings)
{
    voice("ma.pcm", ramp(40000, -20000));
    const StageRun r = run_text("ма+ма_`");
    ASSERT_EQ(r.traces.size(), 2u);
    EXPECT_EQ(r.traces[0].stored, 8192);
    EXPECT_EQ(r.traces[1].held, 4096);
    EXPECT_EQ(r.samples.size(), 998u + 31808 + 4096 + 23382);
    voice("ma.pcm", MA);
    voice("a.pcm", {});
    EXPECT_EQ(run_text("ма-а_`").samples.size(), 998u + 2400);
    Samples expected = zeros(998);
    append(expected, gained(MA, 0, 4000, 3.0f));
    EXPECT_EQ(run_text("ма_а_`").samples, expected);
    dir.write("v/ma.pcm", pcm(MA) + "\x7F");
    EXPECT_EQ(run_text("ма-ма_`").samples, ma_ma(MA, 3.0f));
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
    EXPECT_EQ(r.samples, ma_ma(MA, 3.0f, 0));
}

// Recordings that deliver fewer bytes than they measured: the stage fails, and
// the header of rech.wav describes what was written.
long long read_budget = 0;
std::size_t budget_read(TextFile& f, void* data, std::size_t n)
{
    const std::size_t got = text_read(f, data, std::min(n, static_cast<std::size_t>(read_budget)));
    read_budget -= static_cast<long long>(got);
    return got;
}

TEST_F(ZvukiTest, ReadFailuresEndTheStageWithATrueHeader)
{
    voice("ma.pcm", MA);
    recording_io.read = budget_read;
    recording_cache_enabled = false;  // the file's own reads are what fail
    for (const CaseRow& row : case_table("zvuki/read_failures.cases")) {
        SCOPED_TRACE(row.where);
        read_budget = std::stoll(row.field.at(0));
        const StageRun r = run_text("ма-ма_`");
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.waits, 1);
        EXPECT_NE(r.out.find(row.field.at(1)), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("]"), std::string::npos);
        EXPECT_EQ(r.samples.size(), std::stoul(row.field.at(2)));
        expect_true_header(r.wav);
    }
}

}  // namespace
