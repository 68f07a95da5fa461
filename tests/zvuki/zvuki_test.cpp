// The stage's control flow: tokens, recordings, pauses, the progress bar, the
// files and the failures around them.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/settings.h"
#include "driver/stage_files.h"
#include "zvuki/zvuki.h"
#include "zvuki_fixture.h"

namespace {

using namespace zt;

const Samples MA = ramp(4000, 1000);

TEST(SlogTokens, ReaderSplitsCodesAndKeepsOldBytes)
{
    const std::vector<CaseRow> rows = case_table("zvuki/tokens.cases");
    harness::TempDir dir;
    dir.write("slogi.tmp", rows.at(0).field.at(1));
    TextFile f;
    ASSERT_TRUE(text_open(f, dir.file("slogi.tmp").c_str(), "r"));
    SlogToken t;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const std::vector<std::string>& e = rows[i].field;
        SCOPED_TRACE(rows[i].where);
        read_slog_token(f, t);
        EXPECT_EQ(std::string(t.text.data()), e.at(0));
        EXPECT_EQ(t.code, std::stoi(e.at(1)));
        EXPECT_EQ(t.length, std::stoi(e.at(2)));
        EXPECT_EQ(t.too_long, e.at(3) == "1");
        EXPECT_TRUE(e.at(4) == "-" || t.text[1] == e.at(4).at(0));
    }
}

// Every letter a syllable may hold names its file; any other byte, or a
// syllable longer than a token, has no recording.
TEST(RecordingNames, LettersMapAndOthersHaveNone)
{
    const auto name_of = [](const std::string& slog) {
        std::array<char, RECORDING_NAME_BYTES> name{};
        return recording_file_name(slog.data(), slog.size(), name) ? std::string(name.data()) : "-";
    };
    EXPECT_EQ(name_of(harness::cp1251("абвгдеёжз")), "abvgde~!z.pcm");
    EXPECT_EQ(name_of(harness::cp1251("ийклмнопр")), "iyklmnopr.pcm");
    EXPECT_EQ(name_of(harness::cp1251("стуфхцчшщ")), "stufhcxw@.pcm");
    EXPECT_EQ(name_of(harness::cp1251("ыьэюя#1")), "j'$%q#1.pcm");
    for (const char* none : {"ъ", "М", "2", "абвгдежзик"})
        EXPECT_EQ(name_of(harness::cp1251(none)), "-") << none;
}

// The silence after a syllable: pause marks by speed, the text before the end
// marker, and a code that shrinks below a pause.
TEST_F(ZvukiTest, PausesAfterSyllables)
{
    voice("ma.pcm", Samples(2000, 1000));
    for (const CaseRow& row : case_table("zvuki/pauses.cases")) {
        SCOPED_TRACE(row.where);
        Settings.speed = std::stoi(row.field.at(1));
        const StageRun r = run(row.field.at(0));
        EXPECT_EQ(r.samples.size(), 998 + 2000 + std::stoul(row.field.at(2)));
        EXPECT_EQ(std::count(r.samples.begin() + 998, r.samples.begin() + 2998, 0), 0);
        EXPECT_EQ(std::count(r.samples.begin() + 2998, r.samples.end(), 0), r.samples.end() - r.samples.begin() - 2998);
    }
}

// The bar has one mark per 100 tokens read; its count and the header of a file
// of no speech and one of a little.
TEST_F(ZvukiTest, ProgressBarAndHeader)
{
    std::string many;
    for (int i = 0; i < 500; ++i)
        many += harness::cp1251("ъ-");
    const std::pair<std::string, int> cases[] = {
        {"`", 1}, {"", 0}, {harness::cp1251("ъ-ъ-ъ-ъ-`"), 5}, {many + "`", 19}};
    for (const auto& [text, marks] : cases) {
        const StageRun r = run(text);
        EXPECT_EQ(r.result, 1);
        EXPECT_EQ(r.marks, marks) << text.size();
        EXPECT_EQ(r.samples, zeros(998));
        expect_true_header(r.wav);
        EXPECT_EQ(r.waits, 0);
    }
    voice("ma.pcm", MA);
    expect_true_header(run_text("ма-ма,ма_`").wav);
}

// Syllables without a recording name, too long, or too long a path: dropped
// with no sound, no pause and no message. A file that ends without the end
// marker (its last byte "я" is a letter, not the end) or at Ctrl-Z ends as at the marker.
TEST_F(ZvukiTest, DroppedAndEndingTokens)
{
    voice("ma.pcm", MA);
    voice("aaaaaaaaa.pcm", Samples(100, 7));
    voice("aaaaaaaaaa.pcm", Samples(100, 7));
    const Samples plain = run_text("ма_`").samples;
    for (const char* text : {"Ма.ма_`", "ъма.ма_`", "ма2,ма_`", "аааааааааа.ма_`", "ааааааааааааааааааааааааааааа,ма_`",
                             "ма_", "ма_\x1A" "ма_`"}) {
        const StageRun r = run_text(text);
        EXPECT_EQ(r.result, 1);
        EXPECT_EQ(r.samples, plain) << text;
        EXPECT_EQ(r.out.find("slog"), std::string::npos) << r.out;
    }
    EXPECT_GT(run_text("ааааааааа_`").samples.size(), 998u);
    voice("mq.pcm", Samples(2000, 1000));
    EXPECT_EQ(run_text("мя").samples.size(), 998u + 2000 + 998);
}

TEST_F(ZvukiTest, VoicePrefixUpToTheLimit)
{
    // "v…v/" and "ma.pcm": 25 + 6 = 31 characters fit, 32 do not.
    for (const std::string& d : {std::string(24, 'v'), std::string(25, 'w')}) {
        std::filesystem::create_directories(dir.file(d));
        dir.write(d + "/ma.pcm", pcm(MA));
        std::strcpy(Settings.voice, (d + "/").c_str());
        const StageRun r = run_text("ма_`");
        EXPECT_EQ(r.result, 1);
        EXPECT_EQ(r.samples.size() > 998, d[0] == 'v');
    }
}

// Recordings held in memory for the run sound exactly as when each syllable
// reads its file (kept at their loudness too, while there is room), and so does
// a voice the user may read but not write. A missing
// one is reported at each place, its neighbours join; one too large for the
// store is read from its file; each run reads its voice anew.
TEST_F(ZvukiTest, Recordings)
{
    voice("ma.pcm", MA);
    voice("la.pcm", ramp(3000, -2000, 3));
    voice("mu.pcm", ramp(2500, 7, -2));
    voice("ra.pcm", ramp(4500000, -30000));
    const std::string text = "ма-ма_ла+ма-ра_му.ку,ма-ла_ра-ма!ку_ма`";
    const StageRun held = run_text(text);
    EXPECT_EQ(held.result, 1);
    EXPECT_EQ(count_of(held.out, "\nNo ku.pcm slog\n"), 2);
    EXPECT_EQ(held.waits, 0);
    const StageRun na = run_text("ма-на-ма_`");
    EXPECT_NE(na.out.find("\nNo na.pcm slog\n"), std::string::npos) << na.out;
    EXPECT_EQ(na.samples, run_text("ма-ма_`").samples);
    chmod(dir.file("v/ma.pcm").c_str(), 0444);
    chmod(dir.file("v").c_str(), 0555);
    const StageRun read_only = run_text(text);
    chmod(dir.file("v").c_str(), 0755);
    EXPECT_EQ(read_only.out, held.out);
    EXPECT_EQ(read_only.samples, held.samples);
    voice("ma.pcm", ramp(4000, -1000));
    const StageRun changed = run_text(text);
    recording_cache_enabled = false;
    const StageRun read = run_text(text);
    EXPECT_NE(held.samples, changed.samples);
    EXPECT_EQ(changed.out, read.out);
    EXPECT_EQ(changed.samples, read.samples);
    // A recording kept at one loudness fills most of the store for those: said
    // at a second one, it is computed sample by sample, and sounds the same.
    voice("ma.pcm", ramp(1500000, -30000));
    const StageRun big_read = run_text("ма-ма_`");
    recording_cache_enabled = true;
    const StageRun big_held = run_text("ма-ма_`");
    EXPECT_EQ(big_held.samples, big_read.samples);
}

TEST_F(ZvukiTest, MissingInputAndUnopenableOutput)
{
    testing::internal::CaptureStdout();
    {
        harness::ScopedChdir in(dir.path());
        EXPECT_EQ(zvuki_files(), 0);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Zvuki initialized...\nslogi.tmp could not be found");
    EXPECT_FALSE(dir.exists("rech.wav"));
    std::filesystem::create_directories(dir.file("rech.wav"));
    const StageRun r = run("`");
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.out, "Zvuki initialized...\nOutput not open\n");
    EXPECT_EQ(r.waits, 1);
}

// The disk fills up part-way (in a child with a file size limit): the stage
// fails, and the header describes exactly the bytes that reached the file,
// samples still buffered at the end included.
TEST_F(ZvukiTest, WriteFailureKeepsATrueHeader)
{
    const std::pair<int, const char*> cases[] = {
        {static_cast<int>(OUT_BLOCK_BYTES), "\nError imposible to write to output on main1 ma.pcm!\n"},
        {40000, "]\n\n\nError imposible to write to output!\n"},
    };
    constexpr rlim_t LIMIT = 70000;
    for (const auto& [samples, message] : cases) {
        voice("ma.pcm", ramp(samples, -20000));
        dir.write("slogi.tmp", harness::cp1251("ма_`"));
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            if (chdir(dir.path().c_str()) != 0 || !std::freopen("out.txt", "w", stdout))
                _exit(3);
            signal(SIGXFSZ, SIG_IGN);
            const struct rlimit lim = {LIMIT, LIMIT};
            setrlimit(RLIMIT_FSIZE, &lim);
            const int result = zvuki_files();
            std::fflush(stdout);
            _exit(result == 0 ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        const std::string out = dir.read("out.txt");
        EXPECT_NE(out.find(message), std::string::npos) << out;
        EXPECT_EQ(out.find("]") != std::string::npos, samples == 40000) << out;
        EXPECT_EQ(dir.read("rech.wav").size(), LIMIT);
        expect_true_header(dir.read("rech.wav"));
    }
}

}  // namespace

namespace {

// The stage in memory, into a sink that keeps what it is handed.
struct Heard {
    Samples samples;
    int writes = 0;
    std::vector<std::string> pauses;  // "mark at length"
    std::atomic<bool> stop{false};
    int stop_after_writes = -1;
};

bool hear_samples(void* user, iovec* parts, int count)
{
    auto& h = *static_cast<Heard*>(user);
    for (int i = 0; i < count; ++i) {
        const auto* b = static_cast<const unsigned char*>(parts[i].iov_base);
        for (std::size_t k = 0; k + 1 < parts[i].iov_len; k += 2)
            h.samples.push_back(static_cast<std::int16_t>(b[k] | b[k + 1] << 8));
    }
    if (++h.writes == h.stop_after_writes)
        h.stop = true;
    return true;
}

void hear_pause(void* user, unsigned char mark, long long at, long long length)
{
    auto& h = *static_cast<Heard*>(user);
    // Everything before the pause has been handed over.
    EXPECT_EQ(static_cast<long long>(h.samples.size()), at);
    h.pauses.push_back(std::string(1, static_cast<char>(mark)) + " " + std::to_string(at) + " " +
                       std::to_string(length));
}

ZvukiResult speak_in_memory(const std::string& dir, const std::string& slogi_utf8, const SoundSettings& settings,
                            Heard& heard, std::size_t block_bytes = 4096)
{
    std::string bytes = harness::cp1251(slogi_utf8);
    TextFile slogi;
    text_open_memory(slogi, bytes, "r");
    VoicePtr voice;
    EXPECT_TRUE(voice_open((dir + "/").c_str(), "v/", voice));
    SampleSink sink;
    sink.user = &heard;
    sink.write = hear_samples;
    sink.pause = hear_pause;
    sink.pause_user = &heard;
    sink.block_bytes = block_bytes;
    ZvukiEvents events;
    events.stop = &heard.stop;
    return Zvuki(slogi, *voice, settings, sink, events);
}

// The samples handed to a sink are rech.wav's, in blocks of the size it asks
// for; each pause is announced with its mark, where it starts and its length.
TEST_F(ZvukiTest, SinkHearsWhatTheFileHoldsAndEachPause)
{
    voice("ma.pcm", MA);
    voice("ra.pcm", ramp(3000, -500));
    const std::string text = "ма-ма_ра,ма.ра`";
    const StageRun file = run_text(text);
    ASSERT_EQ(file.result, 1);
    Heard heard;
    const ZvukiResult r = speak_in_memory(dir.path(), text, settings_now(), heard);
    EXPECT_EQ(r.fault, ZvukiFault::none);
    EXPECT_EQ(heard.samples, file.samples);
    EXPECT_GT(heard.writes, 10);  // 4096-byte blocks of about 40000 samples
    ASSERT_EQ(heard.pauses.size(), 3u);
    EXPECT_EQ(heard.pauses[0].substr(0, 2), ", ");
    EXPECT_EQ(heard.pauses[1].substr(0, 2), ". ");
    EXPECT_EQ(heard.pauses[2].substr(0, 2), "` ");  // the end of the text
    EXPECT_NE(heard.pauses[1].find(" 14998"), std::string::npos) << heard.pauses[1];
}

// Trimmed: no lead-in, no silence after the last syllable, the pauses between
// syllables as they were.
TEST_F(ZvukiTest, TrimDropsTheSilenceAroundTheSpeech)
{
    voice("ma.pcm", MA);
    Heard whole, trimmed;
    SoundSettings settings = settings_now();
    speak_in_memory(dir.path(), "#ма,ма.`", settings, whole);
    settings.trim = true;
    speak_in_memory(dir.path(), "#ма,ма.`", settings, trimmed);
    ASSERT_GT(whole.samples.size(), 998u + 10000 + 2998 + 14998);
    // The lead-in, the paragraph's pause before the first word and the full stop's after the last go.
    const Samples middle(whole.samples.begin() + 998 + 9998, whole.samples.end() - 14998);
    EXPECT_EQ(trimmed.samples, middle);
    EXPECT_NE(trimmed.samples.front(), 0);
    EXPECT_NE(trimmed.samples.back(), 0);
}

// A stop asked for from outside ends the speaking within a syllable.
TEST_F(ZvukiTest, StopEndsTheSpeakingSoon)
{
    voice("ma.pcm", MA);
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "ма-ма_";
    Heard heard;
    heard.stop_after_writes = 3;
    const ZvukiResult r = speak_in_memory(dir.path(), text + "`", settings_now(), heard);
    EXPECT_EQ(r.fault, ZvukiFault::stopped);
    EXPECT_LT(heard.writes, 8);
}

}  // namespace
