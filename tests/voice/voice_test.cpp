// The generated default voice: one audible, bounded recording for every token.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/tables.h"
#include "harness.h"
#include "inventory.h"
#include "shape.h"

namespace {

#ifdef VOKDAR_HAVE_VOICE

// Quieter than this all through, a recording would be heard as nothing.
constexpr int AUDIBLE_PEAK = 250;
// Shorter than 10 ms, a syllable would vanish in the joins.
constexpr std::size_t SHORTEST = 220;
// A faded end starts or ends within a few steps of silence.
constexpr int FADED_EDGE = 200;

bool load(const std::string& path, Recording& r)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return false;
    unsigned char le[2];
    r.n = 0;
    bool even = true;
    std::size_t got;
    while ((got = std::fread(le, 1, 2, f)) > 0) {
        if (got == 1 || r.n == MAX_SAMPLES) {
            even = false;
            break;
        }
        r.sample[r.n++] = static_cast<std::int16_t>(le[0] | (le[1] << 8));
    }
    std::fclose(f);
    return even;
}

std::string path_of(const std::string& dir, const Token& t)
{
    std::size_t length = 0;
    while (length < TOKEN_BYTES && t[length] != 0)
        ++length;
    std::array<char, NAME_BYTES> name{};
    EXPECT_TRUE(recording_name(t.data(), length, name));
    return dir + "/" + name.data();
}

TEST(Voice, EveryTokenHasAnAudibleBoundedFadedRecording)
{
    TokenList list;
    derive_tokens(list);
    static Recording r;
    for (std::size_t i = 0; i < list.count; ++i) {
        const std::string path = path_of(VOKDAR_VOICE_DIR, list.token[i]);
        SCOPED_TRACE(path);
        ASSERT_TRUE(load(path, r)) << "missing, or an odd number of bytes";
        EXPECT_GE(r.n, SHORTEST);
        EXPECT_GE(peak_of(r), AUDIBLE_PEAK);
        EXPECT_LE(peak_of(r), PEAK_LIMIT);
        if (r.n > 0) {
            EXPECT_LE(std::abs(int(r.sample[0])), FADED_EDGE);
            EXPECT_LE(std::abs(int(r.sample[r.n - 1])), FADED_EDGE);
        }
    }
}

// Vowels and consonant-vowel syllables are levelled to one RMS over their
// active frames; only the peakiest few sit lower, held by the peak limit.
TEST(Voice, SyllablesWithAVowelShareOneLoudness)
{
    TokenList list;
    derive_tokens(list);
    static Recording r;
    int matched = 0, total = 0;
    for (std::size_t i = 0; i < list.count; ++i) {
        const Token& t = list.token[i];
        if (!is_vowel(t[0]) && !is_vowel(t[1]))
            continue;
        const std::string path = path_of(VOKDAR_VOICE_DIR, t);
        ASSERT_TRUE(load(path, r)) << path;
        const double rms = active_rms(r);
        ++total;
        EXPECT_LE(rms, 1000.0 * 1.02) << path;
        EXPECT_GE(rms, 1000.0 * 0.85) << path;
        if (rms >= 1000.0 * 0.98)
            ++matched;
    }
    EXPECT_EQ(total, 220);
    EXPECT_GE(matched, total * 9 / 10);
}

TEST(Voice, GenerationIsDeterministic)
{
    harness::TempDir dir;
    const std::string out = dir.file("torvy");
    harness::RunOptions options;
    options.timeout_seconds = 120;
    const auto run = harness::run_program(VOKDAR_VOICEGEN, dir.path(), {out}, options);
    ASSERT_EQ(run.status, 0) << run.out;
    TokenList list;
    derive_tokens(list);
    static Recording a, b;
    for (std::size_t i = 0; i < list.count; ++i) {
        ASSERT_TRUE(load(path_of(out, list.token[i]), a));
        ASSERT_TRUE(load(path_of(VOKDAR_VOICE_DIR, list.token[i]), b));
        ASSERT_EQ(a.n, b.n) << path_of(out, list.token[i]);
        EXPECT_TRUE(std::equal(a.sample.begin(), a.sample.begin() + long(a.n), b.sample.begin()))
            << path_of(out, list.token[i]);
    }
}

#endif

}  // namespace
