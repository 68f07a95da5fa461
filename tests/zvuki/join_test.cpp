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

SlogToken token(const std::string& utf8, int code)
{
    SlogToken t;
    harness::cp1251(utf8).copy(t.text.data(), SLOG_BYTES - 1);
    t.code = code;
    return t;
}

// The plan of each join of "ма-ма_" from a recording of 4000 samples, and
// the samples the stage makes by them.
TEST_F(ZvukiTest, WorkedExampleTwoSyllablesOfOneWord)
{
    JoinState st;
    join_start(st, settings_now());
    const JoinPlan a = plan_join(st, token("ма", 1), 4000, token("ма", 2));
    EXPECT_EQ(a.unit, 200);
    EXPECT_EQ(a.tail_len, 1600);  // 11 units, capped at 0.4 of the recording
    EXPECT_FALSE(a.crossfade);
    EXPECT_EQ(a.gain, 3.4499998f);
    st.held = 1600;
    st.prev_slog = token("ма", 1).text;
    st.prev_code = 1;
    const JoinPlan b = plan_join(st, token("ма", 2), 4000, SlogToken{});
    EXPECT_EQ(b.tail_len, 200);
    EXPECT_EQ(b.class_factor, 1.2f);
    EXPECT_TRUE(b.crossfade);
    EXPECT_EQ(b.passed, 0);
    EXPECT_EQ(b.held, 800);
    EXPECT_EQ(b.skip, 633);
    EXPECT_EQ(b.overlap_len, 800);
    EXPECT_EQ(b.gain, 3.0f);

    voice("ma.pcm", MA);
    const StageRun r = run_text("ма-ма_`");
    ASSERT_EQ(r.result, 1);
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
        ASSERT_GT(r.samples.size(), 998u);
        EXPECT_EQ(r.samples[998], std::stoi(row.field.at(4)));
    }
}

// The plan of one syllable of a text at the end of a word or before a stop,
// and the silence that follows it in the stage's output.
TEST_F(ZvukiTest, WordEndRules)
{
    voice("ma.pcm", MA);
    for (const char* f : {"m.pcm", "i.pcm", "a.pcm", "ra.pcm", "ka.pcm", "ta.pcm", "l'.pcm"})
        voice(f, ramp(2000, 1000));
    for (const CaseRow& row : case_table("zvuki/word_end.cases")) {
        SCOPED_TRACE(row.where);
        Settings.speed = std::stoi(row.field.at(1));
        // The tokens as the stage reads them; the joins before this one as it makes them.
        dir.write("slogi.tmp", row.field.at(0));
        TextFile f;
        ASSERT_TRUE(text_open(f, dir.file("slogi.tmp").c_str(), "r"));
        std::vector<SlogToken> tokens(1);
        for (read_slog_token(f, tokens.back()); tokens.back().length != TOKEN_END;
             read_slog_token(f, tokens.back()))
            tokens.push_back(tokens.back());
        JoinState st;
        join_start(st, settings_now());
        const auto which = std::stoul(row.field.at(2));
        JoinPlan plan;
        for (std::size_t i = 0; i <= which; ++i) {
            const long long n = tokens.at(i).text[1] == '\xE0' && tokens.at(i).text[0] == '\xEC' ? 4000 : 2000;
            plan = plan_join(st, tokens.at(i), n, tokens.at(i + 1));
            st.held = static_cast<int>(plan.tail_len);
            st.prev_slog = tokens.at(i).text;
            st.prev_code = plan.code;
        }
        EXPECT_EQ(plan.tail_len, std::stoi(row.field.at(3)));
        EXPECT_EQ(plan.code, std::stoi(row.field.at(4)));
        EXPECT_EQ(plan.fade_len, std::stoi(row.field.at(5)));
        // No sample of a recording here is 0, faded or not: the zeros are the silence.
        const Samples s = run(row.field.at(0)).samples;
        EXPECT_EQ(std::count(s.begin() + 998, s.end(), 0), std::stoi(row.field.at(6)));
    }
}

// A tail longer than the buffer is cut to its 8192 samples; an empty recording
// drops the held tail inside a word and writes it after a word end; an odd last
// byte is no sample.
TEST_F(ZvukiTest, LongEmptyAndOddRecordings)
{
    JoinState st;
    join_start(st, settings_now());
    EXPECT_EQ(plan_join(st, token("ма", 0), 40000, token("ма", 2)).tail_len, TAIL_SAMPLES);
    voice("ma.pcm", ramp(40000, -20000));
    EXPECT_EQ(run_text("ма+ма_`").samples.size(), 998u + 31808 + 4096 + 23382);
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

// A recording that cannot be positioned would be sounded from the wrong
// sample on: the stage stops there, and rech.wav holds what came before.
TEST_F(ZvukiTest, FailedSkipStopsTheStage)
{
    voice("ma.pcm", MA);
    recording_io.seek = failing_seek;
    recording_cache_enabled = false;  // the file's own seek is what fails
    const StageRun r = run_text("ма-ма_`");
    EXPECT_EQ(r.result, 0);
    EXPECT_NE(r.out.find("\nError imposible to read from slogtmp on skips!\n"), std::string::npos);
    EXPECT_EQ(r.out.find(']'), std::string::npos);  // the bar never ends
    EXPECT_EQ(r.waits, 1);
    const Samples whole = ma_ma(MA, 3.0f, 0);
    ASSERT_GT(r.samples.size(), 998u);
    ASSERT_LT(r.samples.size(), whole.size());
    EXPECT_TRUE(std::equal(r.samples.begin(), r.samples.end(), whole.begin()));
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
