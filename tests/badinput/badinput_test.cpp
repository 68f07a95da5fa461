// Bad inputs through the whole program: each ends with a clear message or a
// full result, exit status 0, no hang, and nothing lost that the files can hold.
// The rows of docs/bad-input.md.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "case_table.h"
#include "common/settings.h"
#include "common/tables.h"
#include "driver/stage_files.h"
#include "harness.h"
#include "zvuki/recording_name.h"
#include "zvuki/zvuki.h"

namespace {

namespace fs = std::filesystem;
using harness::cp1251;
using harness::RunResult;
using harness::TempDir;
constexpr auto NONE = std::string::npos;

// A row of a table in tests/data/badinput: its name, then its sections by
// keyword, each the pieces after it joined; a bare xN repeats the piece before.
std::map<std::string, std::string> sections(const CaseRow& row)
{
    std::map<std::string, std::string> s;
    std::string *at = &s["name"], last;
    for (const std::string& f : row.field) {
        if (f == "text" || f == "dict" || f == "spoken" || f == "says" || f == "wav" || f == "cfg") {
            at = &s[f];
        } else if (f.size() > 1 && f[0] == 'x' && std::isdigit(static_cast<unsigned char>(f[1]))) {
            for (int n = std::stoi(f.substr(1)); n > 1; --n)
                *at += last;
        } else {
            *at += (last = f);
        }
    }
    return s;
}

// Every syllable whose recording is missing is named on the console ("No ma.pcm
// slog"); with no recordings at all these lines are the whole spoken text.
std::string spoken(const std::string& out)
{
    std::string names;
    const std::string head = "\nNo ", tail = ".pcm slog\n";
    for (std::size_t at = out.find(head), end; at != NONE && (end = out.find(tail, at)) != NONE;
         at = out.find(head, at + 1))
        names += out.substr(at + head.size(), end - at - head.size());
    return names;
}

// The recording names of the letters of a code page 1251 text, as the sound
// stage maps them once Firstread has made them small; everything but letters
// vanishes ("ъ" too: it only marks a syllable).
std::string mapped(const std::string& text)
{
    std::string names;
    for (const char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c == CAPITAL_YO || (c >= CAPITAL_A && c < SMALL_A))
            c = static_cast<unsigned char>(c == CAPITAL_YO ? SMALL_YO : c + (SMALL_A - CAPITAL_A));
        const char letter = static_cast<char>(c);
        std::array<char, RECORDING_NAME_BYTES> name{};
        if (is_small_letter(c) && recording_file_name(&letter, 1, name))
            names += name[0];
    }
    return names;
}

std::uint32_t u32_at(const std::string& b, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

// A rech.wav whose header's sizes are its true sizes.
void expect_true_wav(const TempDir& dir)
{
    ASSERT_TRUE(dir.exists("rech.wav"));
    const std::string wav = dir.read("rech.wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.compare(0, 4, "RIFF"), 0);
    EXPECT_EQ(u32_at(wav, 4), wav.size() - 8);
    EXPECT_EQ(u32_at(wav, 40), wav.size() - 44);
}

// Ended on its own, with status 1 exactly when a stage failed (and said why).
void expect_clean_end(const RunResult& r)
{
    const bool failed = r.out.find(" has failed!\nvokdar: ") != NONE;
    EXPECT_TRUE(!r.timed_out && r.signal == 0 && r.status == (failed ? 1 : 0))
        << "timed out " << r.timed_out << ", signal " << r.signal << ", status " << r.status << "\n"
        << r.out.substr(0, 2000);
}

void expect_success(const RunResult& r, const TempDir& dir)
{
    expect_clean_end(r);
    EXPECT_EQ(r.out.find("has failed!"), NONE) << r.out.substr(0, 2000);
    expect_true_wav(dir);
    EXPECT_FALSE(dir.exists("text.tmp"));  // a finished run leaves no intermediate files
}

// A headerless recording of n samples of a loud, uneven wave.
std::string recording(std::size_t n)
{
    std::string pcm;
    for (std::size_t i = 0; i < n; ++i) {
        const auto s = static_cast<std::uint16_t>(static_cast<std::int16_t>((i * 7919) % 20000) - 10000);
        pcm += {static_cast<char>(s & 0xFF), static_cast<char>(s >> 8)};
    }
    return pcm;
}

harness::RunOptions options(int seconds, const std::string& input = "")
{
    return {.input = input, .env = {}, .path_env = {}, .timeout_seconds = seconds};
}

// A working directory: the end-line dictionary, the text, and no recordings
// (so the console names every syllable spoken) unless a test adds some.
struct Workdir {
    TempDir dir;
    // A voice whose one recording no syllable names: every syllable is then
    // missing and named on the console, and the speech is silence.
    Workdir()
    {
        dir.write("replace.txt", "$\r\n");
        voice("0.pcm", "");
    }
    void voice(const std::string& file, const std::string& bytes) const
    {
        fs::create_directories(dir.file("torvy"));
        dir.write("torvy/" + file, bytes);
    }
    // The program on a text of t.txt; as nobody when the test runs as the
    // superuser, who could read every file.
    RunResult text(const std::string& bytes, int timeout = 120, bool as_nobody = false) const
    {
        dir.write("t.txt", bytes);
        if (!as_nobody || geteuid() != 0)
            return harness::run_vokdar(dir, {"t.txt"}, options(timeout));
        chmod(dir.path().c_str(), 0777);
        return harness::run_program("/usr/bin/setpriv", dir.path(),
                                    {"--reuid=65534", "--regid=65534", "--clear-groups", VOKDAR_BINARY, "t.txt"},
                                    options(timeout));
    }
};

const std::string SENTINEL = cp1251("конец фразы");

TEST(BadInput, Texts)
{
    for (const CaseRow& row : case_table("badinput/texts.cases")) {
        auto s = sections(row);
        SCOPED_TRACE(row.where + " " + s["name"]);
        Workdir run;
        if (s.count("dict"))
            run.dir.write("replace.txt", s["dict"]);
        if (s.count("cfg"))
            run.dir.write("vokdar.cfg", s["cfg"]);
        const RunResult r = run.text(s["text"]);
        EXPECT_NE(r.out.find(s["says"]), NONE) << r.out.substr(0, 2000);
        if (!s.count("spoken")) {
            expect_clean_end(r);
            EXPECT_NE(r.out.find("First read has failed!"), NONE) << r.out;
            EXPECT_FALSE(run.dir.exists("rech.wav"));
            continue;
        }
        expect_success(r, run.dir);
        EXPECT_EQ(spoken(r.out), mapped(s["spoken"]));
        if (s.count("wav")) {
            EXPECT_EQ(run.dir.read("rech.wav").size(), std::stoul(s["wav"]));
        }
    }
}

TEST(BadInput, TenMegabytesOnOneLine)
{
    // Latin filler (dropped by the normaliser) with a Russian word in every kilobyte.
    std::string text, expected;
    for (int i = 0; i < 10 * 1024; ++i) {
        text += std::string(1000, 'x') + cp1251(" мир ");
        expected += "mir";
    }
    Workdir run;
    run.dir.write("vokdar.cfg", "100 3 10 torvy 0");  // the original rules drop Latin letters
    const RunResult r = run.text(text + SENTINEL, 280);
    expect_success(r, run.dir);
    EXPECT_EQ(spoken(r.out), expected + mapped(SENTINEL));
}

// The same text with the same voice: the repaired settings sound like the defaults.
std::string wav_with_settings(const std::string& cfg, std::string& out)
{
    Workdir run;
    run.voice("ma.pcm", recording(3000));
    run.voice("mj.pcm", recording(2500));
    run.dir.write("vokdar.cfg", cfg);
    const RunResult r = run.text(cp1251("мама мыла, мама."));
    expect_success(r, run.dir);
    out = r.out;
    return run.dir.read("rech.wav");
}

TEST(BadInput, BrokenSettingsFilesAreRepaired)
{
    std::string out;
    const std::string defaults = wav_with_settings("100 3 10 torvy", out);
    for (const CaseRow& row : case_table("badinput/settings.cases")) {
        auto s = sections(row);
        SCOPED_TRACE(row.where + " " + s["name"]);
        EXPECT_EQ(wav_with_settings(s["cfg"], out), defaults);
        EXPECT_NE(out.find(s["says"]), NONE) << out;
    }
}

TEST(BadInput, BrokenRecordings)
{
    const struct {
        std::string what, bytes;
        bool named_missing;  // the console reports "No ma.pcm slog"
    } rows[] = {{"empty", "", false},          {"odd length", recording(1500) + "\x7F", false},
                {"30 MB", recording(15u << 20), false}, {"unreadable", recording(2000), true},
                {"a directory", "", true},     {"a dangling link", "", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Workdir run;
        run.voice("mj.pcm", recording(2000));
        const std::string ma = run.dir.file("torvy/ma.pcm");
        if (row.what == "a directory")
            fs::create_directory(ma);
        else if (row.what == "a dangling link")
            fs::create_symlink("nowhere.pcm", ma);
        else
            run.voice("ma.pcm", row.bytes);
        if (row.what == "unreadable")
            chmod(ma.c_str(), 0);
        const RunResult r = run.text(cp1251("ма мы."), 200, true);
        expect_success(r, run.dir);
        EXPECT_EQ(r.out.find("No ma.pcm slog") != NONE, row.named_missing) << r.out;
        // The next syllable is sounded all the same: more than lead-in and pause.
        EXPECT_GT(run.dir.read("rech.wav").size(), 44u + 2 * (998 + 14998));
    }
}

// A named pipe where a recording should be has no writer: opening it to read
// would wait for ever. It is no recording.
TEST(BadInput, RecordingThatIsANamedPipe)
{
    Workdir run;
    run.voice("mj.pcm", recording(2000));
    ASSERT_EQ(mkfifo(run.dir.file("torvy/ma.pcm").c_str(), 0644), 0);
    const RunResult r = run.text(cp1251("мама мыла."), 20);
    expect_success(r, run.dir);
    EXPECT_NE(r.out.find("No ma.pcm slog"), NONE) << r.out;
}

// The sound stage fails; the run keeps its files. The file size limit of the
// shell (ulimit -f) is a full disk for one process, whose signal must not kill.
TEST(BadInput, RechWavCannotBeWritten)
{
    const struct {
        std::string what, message;
    } rows[] = {{"a directory", "Output not open\n"},
                {"on a full disk", "Error imposible to write to output!"},
                {"over the file size limit", "Error imposible to write to output!"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Workdir run;
        run.voice("ma.pcm", recording(20000));
        run.dir.write("t.txt", cp1251("мама мыла."));
        if (row.what == "a directory")
            fs::create_directory(run.dir.file("rech.wav"));
        if (row.what == "on a full disk")
            fs::create_symlink("/dev/full", run.dir.file("rech.wav"));
        // 16 blocks of 512 bytes: the header and the lead-in fit, the speech does not.
        const std::string limit = row.what == "over the file size limit" ? "ulimit -f 16 && " : "";
        const RunResult r = harness::run_program("/bin/sh", run.dir.path(),
                                                 {"-c", limit + "exec \"$0\" \"$@\"", VOKDAR_BINARY, "t.txt"});
        expect_clean_end(r);
        EXPECT_NE(r.out.find(row.message), NONE) << r.out;
        EXPECT_NE(r.out.find("Zvuki has failed!"), NONE) << r.out;
        EXPECT_TRUE(run.dir.exists("slogi.tmp"));
        if (!limit.empty())
            expect_true_wav(run.dir);
    }
}

TEST(BadInput, StdinClosedAtEveryPrompt)
{
    for (const CaseRow& row : case_table("badinput/prompts.cases")) {
        Workdir run;
        const std::string& args = row.field.at(0);
        const RunResult r = harness::run_vokdar(run.dir, args.empty() ? std::vector<std::string>{} : std::vector{args},
                                                options(20, row.field.at(1)));
        expect_clean_end(r);
        EXPECT_NE(r.out.find(row.field.at(2)), NONE) << row.where << "\n" << r.out;
    }
    // Setup with standard input closed keeps and writes the values it had.
    Workdir run;
    run.dir.write("vokdar.cfg", "150\r\n2.000000\r\n15.000000\r\nanna\r\n");
    expect_clean_end(harness::run_vokdar(run.dir, {"-s"}, options(20)));
    EXPECT_EQ(run.dir.read("vokdar.cfg"), "150\r\n2.000000\r\n15.000000\r\nanna\r\n");
}

TEST(BadInput, FileNameOf4000Characters)
{
    Workdir run;
    const std::string long_name(4000, 'a');  // as an argument, and typed at the prompt before a good name
    RunResult r = harness::run_vokdar(run.dir, {long_name}, options(20));
    expect_clean_end(r);
    EXPECT_NE(r.out.find("Please enter a VALID file name: "), NONE) << r.out;
    EXPECT_NE(r.out.find("First read has failed!"), NONE) << r.out;

    run.dir.write("t.txt", SENTINEL);
    r = harness::run_vokdar(run.dir, {}, options(20, long_name + "\nt.txt\n"));
    expect_success(r, run.dir);
    EXPECT_EQ(spoken(r.out), mapped(SENTINEL));

    // A real file 4,000 characters deep in the tree is read like any other.
    std::string path;
    while (path.size() < 3990)
        path += "dddddddd/";
    fs::create_directories(run.dir.file(path));
    run.dir.write(path + "t.txt", SENTINEL);
    r = harness::run_vokdar(run.dir, {path + "t.txt"}, options(20));
    expect_success(r, run.dir);
    EXPECT_EQ(spoken(r.out), mapped(SENTINEL));
}

// slogi.tmp tokens far longer than a syllable, which the chain never writes,
// given to the sound stage in-process: each is dropped, the next syllable sounded.
TEST(BadInput, SlogiTokensOfHundredCharacters)
{
    const std::string tokens[] = {std::string(100, '\xEC'), std::string(100, '\xE0'),  // "м", "а" (a recording)
                                  std::string(100, '7'), std::string(100, '\x01'), std::string(100, '1')};
    for (const std::string& token : tokens) {
        SCOPED_TRACE(token.substr(0, 1));
        Workdir w;  // the default voice
        w.voice("aaaaaaaaa.pcm", recording(1000));  // what a token of "а" cut to a syllable's 9 bytes names
        w.voice("ma.pcm", recording(1000));
        w.dir.write("slogi.tmp", token + "+" + cp1251("ма.") + "_`");
        settings_defaults();
        const harness::StageRun run = harness::run_stage(w.dir, zvuki_files);
        EXPECT_EQ(run.result, 1) << run.printed;
        const std::string wav = w.dir.read("rech.wav");
        // Lead-in, "ма" (1000 samples, faded) and the full stop's 14,998 zero samples.
        EXPECT_EQ(wav.size(), 44u + 2 * (998 + 1000 + 14998)) << run.printed;
        EXPECT_NE(wav.substr(44 + 2 * 998, 2), std::string(2, '\0'));
    }
}

}  // namespace
