// The default voice: its inventory is what the real syllable marker cuts; the
// recording of every token is audible, bounded, faded, levelled and made the
// same way every time; real prose finds a recording for every syllable.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/tables.h"
#include "driver/stage_files.h"
#include "harness.h"
#include "common/format_text.h"
#include "inventory.h"
#include "shape.h"
#include "slogi/slogi.h"
#include "zvuki/intonation.h"
#include "zvuki/takes.h"

namespace {

using harness::cp1251;

// The tokens of slogi.tmp as the sound stage cuts it (at its terminators),
// and names its recordings (without the stress mark).
std::set<std::string> tokens_of(const std::string& slogi)
{
    std::set<std::string> s;
    std::string cur;
    for (char c : slogi) {
        if (static_cast<unsigned char>(c) == STRESS_MARK)
            continue;
        if (std::string("+-_~\r\n,;#:!.?`").find(c) == std::string::npos) {
            cur += c;
        } else if (!cur.empty()) {
            s.insert(cur);
            cur.clear();
        }
    }
    return s;
}

// Every word of up to three small letters, through the real marker.
TEST(Inventory, IsWhatTheMarkerCutsFromWordsRussianSpells)
{
    const std::string letters = cp1251("ёабвгдежзийклмнопрстуфхцчшщъыьэюя");
    std::string text;
    for (char a : letters) {
        text += std::string{a, ' '};
        for (char b : letters) {
            text += std::string{a, b, ' '};
            for (char c : letters)
                text += std::string{a, b, c, ' '};
        }
    }
    harness::TempDir dir;
    dir.write("text2.tmp", text + "`");
    ASSERT_EQ(harness::run_stage(dir, slogi_files).result, 1);
    const auto marked = tokens_of(dir.read("slogi.tmp"));
    TokenList list;
    derive_tokens(list);
    std::set<std::string> inventory;
    for (std::size_t i = 0; i < list.count; ++i)
        inventory.insert(reinterpret_cast<const char*>(list.token[i].data()));
    // Vowels, consonants, consonant-vowel syllables, softened consonants and the lone "ь".
    EXPECT_EQ(inventory.size(), 10u + 21u + 210u + 19u + 1u);
    for (const char* t : {"а", "ё", "й", "щ", "ма", "йо", "щи", "жь", "шь", "ть", "ь"})
        EXPECT_TRUE(inventory.count(cp1251(t))) << t;
    // Derived tokens are real: the marker produces each of them.
    for (const auto& t : inventory)
        EXPECT_TRUE(marked.count(t)) << harness::utf8(t);
    // Whatever else the marker cuts comes from signs Russian does not spell
    // that way ("аь", "бьь", "йь"); "ь" after "ч" is dropped, "ъ" becomes a mark.
    for (const auto& t : marked)
        EXPECT_TRUE(inventory.count(t) || t.find_first_of(cp1251("ьъ"), 1) != std::string::npos) << harness::utf8(t);
    for (const char* t : {"чь", "ъ", "йь", "аь", "мъ"})
        EXPECT_FALSE(inventory.count(cp1251(t))) << t;
}

#ifdef VOKDAR_HAVE_VOICE

// Quieter than this all through, a recording would be heard as nothing.
constexpr int AUDIBLE_PEAK = 250;
// Shorter than 10 ms, a syllable would vanish in the joins.
constexpr std::size_t SHORTEST = 220;
// A faded end starts or ends within a few steps of silence.
constexpr int FADED_EDGE = 200;
// The level of vowels and consonant-vowel syllables: RMS over their active frames.
constexpr double LEVEL = 1000.0;

// The recording of a token in the default voice, or its variant with the
// suffix; false when it is missing or ends inside a sample.
bool load(const std::string& dir, const Token& t, Recording& r, char suffix = '\0')
{
    std::array<char, RECORDING_NAME_BYTES> name{};
    const auto length = static_cast<std::size_t>(std::find(t.begin(), t.end(), 0) - t.begin());
    const char* letters = reinterpret_cast<const char*>(t.data());
    EXPECT_TRUE(suffix == '\0' ? recording_file_name(letters, length, name)
                               : variant_file_name(letters, length, suffix, name));
    std::ifstream in(dir + "/" + name.data(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    r.n = std::min(bytes.size() / 2, MAX_SAMPLES);
    for (std::size_t i = 0; i < r.n; ++i)
        r.sample[i] = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                                static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return in.is_open() && bytes.size() % 2 == 0;
}

// Vowels and consonant-vowel syllables are levelled to one RMS over their
// active frames; only the peakiest few sit lower, held by the peak limit.
// Both voices: the natural default one and the espeak-ng one.
class Voice : public testing::TestWithParam<const char*> {};
INSTANTIATE_TEST_SUITE_P(Built, Voice, testing::Values(VOKDAR_VOICE_DIR, VOKDAR_ROBOT_DIR));

TEST_P(Voice, EveryTokenHasAnAudibleBoundedFadedLevelledRecording)
{
    TokenList list;
    derive_tokens(list);
    static Recording r;
    int with_vowel = 0, matched = 0, variants = 0;
    for (std::size_t i = 0; i < list.count * 3; ++i) {
        // Each token's plain recording, then its variants where the voice has them.
        const Token& t = list.token[i % list.count];
        const char suffix = i < list.count ? '\0' : i < 2 * list.count ? STRESSED_SUFFIX : UNSTRESSED_SUFFIX;
        SCOPED_TRACE(harness::utf8(reinterpret_cast<const char*>(t.data())) + (suffix != '\0' ? std::string(1, suffix) : ""));
        if (suffix != '\0') {
            if (!load(GetParam(), t, r, suffix))
                continue;
            ++variants;
            EXPECT_TRUE(is_vowel(t[0]) || is_vowel(t[1])) << "a variant of a syllable without a vowel";
        }
        ASSERT_TRUE(suffix != '\0' || load(GetParam(), t, r)) << "missing, or an odd number of bytes";
        ASSERT_GE(r.n, SHORTEST);
        EXPECT_GE(peak_of(r), AUDIBLE_PEAK);
        EXPECT_LE(peak_of(r), PEAK_LIMIT);
        EXPECT_LE(std::abs(int(r.sample[0])), FADED_EDGE);
        EXPECT_LE(std::abs(int(r.sample[r.n - 1])), FADED_EDGE);
        if (!is_vowel(t[0]) && !is_vowel(t[1]))
            continue;
        ++with_vowel;
        const double rms = active_rms(r);
        EXPECT_LE(rms, LEVEL * 1.02);
        EXPECT_GE(rms, LEVEL * 0.7);
        matched += rms >= LEVEL * 0.98;
    }
    // The natural voice has both variants of most syllables; the espeak-ng voice none.
    if (std::string(GetParam()) == VOKDAR_VOICE_DIR)
        EXPECT_GE(variants, 2 * 150);
    else
        EXPECT_EQ(variants, 0);
    EXPECT_EQ(with_vowel, 220 + variants);
    EXPECT_GE(matched, with_vowel * 9 / 10);
}

// Every take at another pitch in the default voice sounds like its
// recording (audible, bounded, faded, levelled), is read with its pitch
// marks (so the stage's table of marks has room for the whole voice), and
// lies at another pitch than its recording.
TEST(Takes, EveryTakeIsLevelledMarkedAndAtItsOwnPitch)
{
    const std::string dir = VOKDAR_VOICE_DIR;
    auto marks = std::make_unique<PitchMarks>();
    ASSERT_TRUE(read_pitch_marks((dir + "/" + PITCH_MARK_FILE).c_str(), *marks));
    static Recording r;
    int takes = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        const std::size_t mark = name.find(TAKE_MARK);
        if (mark == std::string::npos)
            continue;
        SCOPED_TRACE(name);
        ++takes;
        const std::string recording = name.substr(0, mark) + RECORDING_EXTENSION;
        std::array<char, RECORDING_NAME_BYTES> again{};
        ASSERT_TRUE(take_file_name(recording.c_str(), name[mark + 1] - '0', again));
        EXPECT_EQ(name, again.data());
        std::ifstream in(e.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        ASSERT_EQ(bytes.size() % 2, 0u);
        r.n = std::min(bytes.size() / 2, MAX_SAMPLES);
        for (std::size_t i = 0; i < r.n; ++i)
            r.sample[i] = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                                    static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
        ASSERT_GE(r.n, SHORTEST);
        EXPECT_GE(peak_of(r), AUDIBLE_PEAK);
        EXPECT_LE(peak_of(r), PEAK_LIMIT);
        EXPECT_LE(std::abs(int(r.sample[0])), FADED_EDGE);
        EXPECT_LE(std::abs(int(r.sample[r.n - 1])), FADED_EDGE);
        EXPECT_LE(active_rms(r), LEVEL * 1.02);
        EXPECT_GE(active_rms(r), LEVEL * 0.7);
        std::size_t count = 0, own_count = 0;
        const std::uint32_t* m = find_pitch_marks(*marks, name.c_str(), count);
        const std::uint32_t* own = find_pitch_marks(*marks, recording.c_str(), own_count);
        ASSERT_NE(m, nullptr);
        ASSERT_NE(own, nullptr);
        EXPECT_GE(std::fabs(12 * std::log2(own_pitch(m, count) / own_pitch(own, own_count))), 1.0);
    }
    // Cut only for a voice with its intonation table, which chooses among them.
    if (std::filesystem::exists(dir + "/" + INTONATION_FILE))
        EXPECT_GE(takes, 300);
    else
        EXPECT_EQ(takes, 0);
}

// Several hundred kilobytes of Russian text from the fortunes-ru package,
// spoken by the built program, miss no syllable.
constexpr const char* FORTUNES = "/usr/share/games/fortunes/ru";
constexpr std::size_t PROSE_BYTES = 300000;

TEST(Coverage, RealProseFindsARecordingForEverySyllable)
{
    // The package's fortune files (not its indexes or UTF-8 links), by name.
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& e : std::filesystem::directory_iterator(FORTUNES, error))
        if (e.is_regular_file() && !e.is_symlink() && e.path().extension() != ".dat" && e.path().extension() != ".u8")
            files.push_back(e.path());
    if (files.empty())
        GTEST_SKIP() << "fortunes-ru is not installed";
    std::sort(files.begin(), files.end());
    std::string prose;
    for (std::size_t i = 0; i < files.size() && prose.size() < PROSE_BYTES; ++i) {
        std::ifstream in(files[i], std::ios::binary);
        // '?' where the code page has no letter, as the normaliser reads it.
        prose += harness::cp1251(std::string(std::istreambuf_iterator<char>(in), {}));
    }
    ASSERT_GE(prose.size(), PROSE_BYTES);
    prose.resize(PROSE_BYTES);

    harness::TempDir dir;
    dir.write("prose.txt", prose);
    ASSERT_EQ(symlink(VOKDAR_DICTIONARY, dir.file("replace.txt").c_str()), 0);
    ASSERT_EQ(symlink(VOKDAR_VOICE_DIR, dir.file("torvy").c_str()), 0);
    harness::RunOptions options;
    options.timeout_seconds = 480;
    const auto run = harness::run_vokdar(dir, {"prose.txt"}, options);
    ASSERT_FALSE(run.timed_out);
    ASSERT_EQ(run.status, 0) << run.out.substr(0, 2000);
    const std::size_t missing = run.out.find(" slog\n");
    EXPECT_EQ(missing, std::string::npos) << run.out.substr(missing > 200 ? missing - 200 : 0, 400);
    // The speech is there: far more than the header and lead-in.
    EXPECT_GT(std::filesystem::file_size(dir.file("rech.wav")), 100u * 1000 * 1000);
}

#ifndef VOKDAR_VOICES_COPIED
// The same voices come out of every run of the generator.
TEST(Voices, GenerationIsDeterministic)
{
    harness::TempDir dir;
    harness::RunOptions options;
    options.timeout_seconds = 480;
    auto run = harness::run_program(VOKDAR_VOICEGEN, dir.path(), {dir.file("robot")}, options);
    ASSERT_EQ(run.status, 0) << run.out;
    auto diff = harness::run_program("/usr/bin/diff", dir.path(), {"-r", dir.file("robot"), VOKDAR_ROBOT_DIR});
    EXPECT_EQ(diff.status, 0) << diff.out;
    run = harness::run_program(VOKDAR_VOICEGEN, dir.path(), {"--corpus", VOKDAR_CORPUS_DIR, "--intonation", dir.file("torvy")}, options);
    ASSERT_EQ(run.status, 0) << run.out;
    // The licence is copied in by the build, not made by the generator.
    diff = harness::run_program("/usr/bin/diff", dir.path(),
                                {"-r", "-x", "COPYRIGHT.txt", dir.file("torvy"), VOKDAR_VOICE_DIR});
    EXPECT_EQ(diff.status, 0) << diff.out;
}
#endif

// An option is never taken for the directory to fill with a voice.
TEST(Voices, GeneratorTakesNoOptionForADirectory)
{
    harness::TempDir dir;
    auto run = harness::run_program(VOKDAR_VOICEGEN, dir.path(), {"--help"});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("usage: voicegen"), std::string::npos) << run.out;
    run = harness::run_program(VOKDAR_VOICEGEN, dir.path(), {"-x"});
    EXPECT_EQ(run.status, 2) << run.out;
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "a voice was written";
}

// The natural voice carries the corpus's notice and says how it was changed.
TEST(Voices, NaturalVoiceCarriesTheCorpusLicence)
{
    std::ifstream in(std::string(VOKDAR_VOICE_DIR) + "/COPYRIGHT.txt");
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    for (const char* part : {"festvox-ru", "Copyright (c)", "Permission is hereby granted",
                             "modifications must be clearly marked", "were cut,", "filtered", "level-adjusted"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
}

#endif

}  // namespace
