// The stage's control flow: tokens, recordings, pauses, the progress bar, the
// files and the failures around them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/console.h"
#include "common/settings.h"
#include "zvuki/zvuki.h"
#include "zvuki_fixture.h"

namespace {

using namespace zt;

const Samples MA = ramp(4000, 1000);

int trailing_zeros(const Samples& s)
{
    int n = 0;
    for (auto it = s.rbegin(); it != s.rend() && *it == 0; ++it)
        ++n;
    return n;
}

void expect_true_header(const StageRun& r)
{
    ASSERT_GE(r.wav.size(), 44u);
    EXPECT_EQ(r.wav.substr(0, 4), "RIFF");
    EXPECT_EQ(u32_at(r.wav, 4), r.wav.size() - 8);
    EXPECT_EQ(u32_at(r.wav, 40), r.wav.size() - 44);
}

TEST(SlogTokens, ReaderSplitsCodesAndKeepsOldBytes)
{
    struct Expect {
        const char* text;  // UTF-8; the token's bytes up to its NUL
        int code;
        int length;
        bool too_long;
        char second;       // byte 1 of the buffer, where it matters
    };
    harness::TempDir dir;
    const std::string body = harness::cp1251("ма-ма_,ма#_#абвгдежзийк+ма.");
    dir.write("slogi.tmp", body + std::string("\0", 1) + harness::cp1251("ы\r\n") + "`");
    TextFile f;
    ASSERT_TRUE(text_open(f, dir.file("slogi.tmp").c_str(), "r"));
    const Expect expected[] = {
        {"ма", 1, 2, false, 0},
        {"ма", 2, 2, false, 0},
        {",а", 3000, 0, false, '\xE0'},    // ended at its first byte: terminator, then old bytes
        {"ма#", 10000, 3, false, 0},
        {"_а#", 2, 0, false, '\xE0'},
        {"#", 10000, 1, false, 0},
        {"абвгдежзи", 0, 9, true, 0},    // ten letters: too long, the first nine kept
        {"ма", 15000, 2, false, 0},
        {"", 15000, 0, false, '\xE0'},    // a NUL byte keeps the code before it
        {"ы", 3000, 1, false, 0},         // CR LF is one line feed
        {"", 0, TOKEN_END, false, 0},
        {"", 0, TOKEN_END, false, 0},     // the end of the file reads as the end marker
    };
    SlogToken t;
    for (const Expect& e : expected) {
        read_slog_token(f, t);
        const std::string want = harness::cp1251(e.text);
        EXPECT_EQ(std::string(t.text.data()), want) << e.text;
        EXPECT_EQ(t.code, e.code) << e.text;
        EXPECT_EQ(t.length, e.length) << e.text;
        EXPECT_EQ(t.too_long, e.too_long) << e.text;
        if (e.second) {
            EXPECT_EQ(t.text[1], e.second) << e.text;
        }
    }
}

TEST_F(ZvukiTest, OnlyTheEndMarker)
{
    const StageRun r = run("`");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.samples, zeros(998));
    EXPECT_EQ(r.marks, 1);
    EXPECT_EQ(r.wav.size(), 44u + 1996);
    expect_true_header(r);
    EXPECT_EQ(r.waits, 0);
}

TEST_F(ZvukiTest, MissingRecordingIsReportedAndItsNeighboursJoin)
{
    voice("ma.pcm", MA);
    const StageRun joined = run_text("ма-ма_`");
    const StageRun r = run_text("ма-на-ма_`");
    EXPECT_EQ(r.result, 1);
    EXPECT_NE(r.out.find("\nNo na.pcm slog\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.waits, 0);
    EXPECT_EQ(r.samples, joined.samples);
}

// Syllables without a recording name, too long, or too long a path: dropped
// with no sound, no pause and no message; the rest is read as usual.
TEST_F(ZvukiTest, DroppedSyllables)
{
    voice("ma.pcm", MA);
    voice("aaaaaaaaa.pcm", constant(100, 7));
    voice("aaaaaaaaaa.pcm", constant(100, 7));
    const StageRun plain = run_text("ма_`");
    struct Case {
        const char* text;
    };
    for (const Case c : {Case{"Ма.ма_`"}, Case{"ъма.ма_`"}, Case{"ма2,ма_`"},
                         Case{"аааааааааа.ма_`"}, Case{"ааааааааааааааааааааааааааааа,ма_`"}}) {
        SCOPED_TRACE(c.text);
        const StageRun r = run_text(c.text);
        EXPECT_EQ(r.result, 1);
        EXPECT_EQ(r.samples, plain.samples);
        EXPECT_EQ(r.out.find("slog"), std::string::npos) << r.out;
    }
    const StageRun nine = run_text("ааааааааа_`");
    EXPECT_EQ(nine.traces.size(), 1u);
}

TEST_F(ZvukiTest, VoicePrefixUpToTheLimit)
{
    // "v…v/" and "ma.pcm": 25 + 6 = 31 characters fit, 32 do not.
    const std::string fits(24, 'v');
    const std::string too_long(25, 'w');
    for (const std::string& d : {fits, too_long}) {
        std::filesystem::create_directories(dir.file(d));
        dir.write(d + "/ma.pcm", pcm(MA));
    }
    std::strcpy(Settings.voice, (fits + "/").c_str());
    EXPECT_EQ(run_text("ма_`").traces.size(), 1u);
    std::strcpy(Settings.voice, (too_long + "/").c_str());
    const StageRun r = run_text("ма_`");
    EXPECT_EQ(r.result, 1);
    EXPECT_TRUE(r.traces.empty());
    EXPECT_EQ(r.samples, zeros(998));
}

// The silence after a syllable: pause marks by speed, the text before the end
// marker, and a code that shrinks below a pause.
TEST_F(ZvukiTest, PausesAfterSyllables)
{
    struct Case {
        const char* text;
        int speed;
        int zeros;
    };
    const Case cases[] = {
        {"ма,`", 100, 2998},   {"ма.`", 100, 14998}, {"ма?`", 100, 17498},
        {"ма!`", 100, 13498},  {"ма:`", 100, 12498}, {"ма;`", 100, 5998},
        {"ма~`", 100, 498},    {"ма\r\n`", 100, 2998}, {"ма\n`", 100, 2998},
        {"ма,`", 200, 1498},   {"ма.`", 200, 7498},  {"ма?`", 200, 8748},
        {"ма`", 100, 998},     // text right before the end marker: code 1000
        {"ма_#_`", 100, 1 + 9998},
        {"ма_#_`", 150, 6664},  // code 3 at speed 150 is 2: no silence of its own
    };
    voice("ma.pcm", constant(2000, 1000));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Settings.speed = c.speed;
        const StageRun r = run_text(c.text);
        EXPECT_EQ(r.result, 1);
        ASSERT_EQ(r.traces.size(), 1u);
        EXPECT_EQ(trailing_zeros(r.samples), c.zeros);
        EXPECT_EQ(r.samples.size(), 998 + 2000 + static_cast<std::size_t>(c.zeros));
    }
}

TEST_F(ZvukiTest, HashTokens)
{
    voice("ma.pcm", MA);
    // A "#" of its own writes the held tail, then its pause.
    const StageRun r = run_text("ма-#ма_`");
    const float g1 = 3.0f * 1.15f;
    Samples expected = zeros(998);
    append(expected, gained(MA, 0, 4000, g1));
    append(expected, zeros(9998));
    append(expected, gained(MA, 0, 3800, 3.0f));
    EXPECT_EQ(r.samples, expected);

    // "#" inside a token is a letter of the file name and gives the token its code.
    voice("ma#.pcm", constant(1000, 1000));
    const StageRun inside = run_text("ма#_`");
    ASSERT_EQ(inside.traces.size(), 1u);
    EXPECT_EQ(inside.traces[0].cur_code, 10000);
    EXPECT_EQ(inside.traces[0].fade_len, 100);
    EXPECT_EQ(inside.samples.size(), 998u + 1000 + 9998);
}

TEST_F(ZvukiTest, FileEndingWithoutEndMarker)
{
    voice("ma.pcm", MA);
    EXPECT_EQ(run_text("ма_").samples, run_text("ма_`").samples);
    // The last byte "я" (0xFF) is a letter, not the end of the file.
    voice("mq.pcm", constant(2000, 1000));
    const StageRun r = run_text("мя");
    EXPECT_EQ(r.result, 1);
    ASSERT_EQ(r.traces.size(), 1u);
    EXPECT_EQ(trailing_zeros(r.samples), 998);
    // Ctrl-Z ends the file as well.
    EXPECT_EQ(run_text("ма_\x1A" "ма_`").samples, run_text("ма_`").samples);
}

TEST_F(ZvukiTest, ProgressBar)
{
    struct Case {
        std::string text;
        int marks;
    };
    std::string many;
    for (int i = 0; i < 500; ++i)
        many += harness::cp1251("ъ-");
    const Case cases[] = {
        {"`", 1},
        {"", 0},
        {harness::cp1251("ъ-ъ-ъ-ъ-`"), 5},
        {many + "`", 19},
    };
    for (const Case& c : cases) {
        const StageRun r = run(c.text);
        EXPECT_EQ(r.result, 1);
        EXPECT_EQ(r.marks, c.marks) << c.text.size();
    }
}

TEST_F(ZvukiTest, MissingSlogiLeavesNoOutput)
{
    testing::internal::CaptureStdout();
    int result;
    {
        harness::ScopedChdir in(dir.path());
        result = Zvuki();
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Zvuki initialized...\nslogi.tmp could not be found");
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(dir.exists("rech.wav"));
}

TEST_F(ZvukiTest, OutputThatCannotBeOpened)
{
    std::filesystem::create_directories(dir.file("rech.wav"));
    const StageRun r = run("`");
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.out, "Zvuki initialized...\nOutput not open\n");
    EXPECT_EQ(r.waits, 1);
}

// A voice the user may read but not write is a whole voice.
TEST_F(ZvukiTest, ReadOnlyVoice)
{
    voice("ma.pcm", MA);
    const StageRun writable = run_text("ма-ма_`");
    chmod(dir.file("v/ma.pcm").c_str(), 0444);
    chmod(dir.file("v").c_str(), 0555);
    const StageRun r = run_text("ма-ма_`");
    chmod(dir.file("v").c_str(), 0755);
    EXPECT_EQ(r.out.find("slog"), std::string::npos) << r.out;
    EXPECT_EQ(r.samples, writable.samples);
}

// The disk fills up part-way: the stage fails, and the header describes
// exactly the bytes that reached the file. Samples still buffered at the end
// count too: a file cut short is never reported as spoken.
TEST_F(ZvukiTest, WriteFailureKeepsATrueHeader)
{
    struct Case {
        int samples;
        const char* message;
        bool bar_closed;
    };
    const Case cases[] = {
        // More than an output block: the write fails while the syllable sounds.
        {static_cast<int>(OUT_BLOCK_BYTES), "\nError imposible to write to output on main1 ma.pcm!\n", false},
        {40000, "]\n\n\nError imposible to write to output!\n", true},
    };
    constexpr rlim_t LIMIT = 70000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.samples);
        voice("ma.pcm", ramp(c.samples, -20000));
        dir.write("slogi.tmp", harness::cp1251("ма_`"));
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            if (chdir(dir.path().c_str()) != 0 || !std::freopen("out.txt", "w", stdout))
                _exit(3);
            signal(SIGXFSZ, SIG_IGN);
            struct rlimit lim = {LIMIT, LIMIT};
            setrlimit(RLIMIT_FSIZE, &lim);
            const int result = Zvuki();
            std::fflush(stdout);
            _exit(result == 0 ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        const std::string out = dir.read("out.txt");
        EXPECT_NE(out.find(c.message), std::string::npos) << out;
        EXPECT_EQ(out.find("]") != std::string::npos, c.bar_closed) << out;
        const std::string wav = dir.read("rech.wav");
        EXPECT_EQ(wav.size(), LIMIT);
        EXPECT_EQ(u32_at(wav, 4), LIMIT - 8);
        EXPECT_EQ(u32_at(wav, 40), LIMIT - 44);
    }
}

// sox reads the file, and its length is the data size at 44100 bytes a second.
TEST_F(ZvukiTest, SoxReadsTheOutput)
{
    if (std::system("command -v soxi >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "soxi is not installed";
    voice("ma.pcm", MA);
    const StageRun r = run_text("ма-ма,ма_`");
    ASSERT_EQ(r.result, 1);
    expect_true_header(r);
    const std::string cmd = "soxi -D '" + dir.file("rech.wav") + "' 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char line[128] = {};
    const bool got = std::fgets(line, sizeof line, p) != nullptr;
    EXPECT_EQ(pclose(p), 0) << line;
    ASSERT_TRUE(got);
    const double seconds = std::strtod(line, nullptr);
    EXPECT_NEAR(seconds, (r.wav.size() - 44) / 44100.0, 1e-5) << line;
}

}  // namespace
