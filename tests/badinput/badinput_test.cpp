// Bad inputs through the whole program: each ends with a clear message or a
// full result, exit status 0, no hang, and nothing lost that the files can hold.
// The rows of docs/bad-input.md.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "harness.h"

namespace {

using harness::cp1251;
using harness::RunOptions;
using harness::RunResult;
using harness::TempDir;

// Every syllable whose recording is missing is named on the console ("No ma.pcm
// slog"); with no recordings at all these lines are the whole spoken text.
std::string spoken(const std::string& out)
{
    std::string names;
    const std::string head = "\nNo ", tail = ".pcm slog\n";
    for (std::size_t at = out.find(head); at != std::string::npos; at = out.find(head, at + 1)) {
        const std::size_t end = out.find(tail, at);
        if (end == std::string::npos)
            break;
        names += out.substr(at + head.size(), end - at - head.size());
    }
    return names;
}

// The recording names of the letters of a UTF-8 text, as the sound stage maps
// them; everything but letters vanishes ("ъ" too: it only marks a syllable).
std::string mapped(const std::string& utf8)
{
    static const char FILE_CHARS[] = "abvgdezziyklmnoprstufhcxw@ j'$%q";  // а..я
    std::string names;
    for (const char ch : cp1251(utf8)) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0xB8 || c == 0xA8)
            names += '~';
        else if (c == 0xE6 || c == 0xC6)
            names += '!';
        else if (c >= 0xC0 && c != 0xFA && c != 0xDA) {
            const char f = FILE_CHARS[(c - 0xC0) % 32];
            if (f != ' ')
                names += f;
        }
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

// A finished rech.wav: its header's sizes are its true sizes.
void expect_true_wav(const TempDir& dir)
{
    ASSERT_TRUE(dir.exists("rech.wav"));
    const std::string wav = dir.read("rech.wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.compare(0, 4, "RIFF"), 0);
    EXPECT_EQ(u32_at(wav, 4), wav.size() - 8);
    EXPECT_EQ(u32_at(wav, 40), wav.size() - 44);
}

void expect_clean_end(const RunResult& r)
{
    EXPECT_FALSE(r.timed_out) << r.out.substr(0, 2000);
    EXPECT_EQ(r.signal, 0) << r.out.substr(0, 2000);
    EXPECT_EQ(r.status, 0) << r.out.substr(0, 2000);
}

void expect_success(const RunResult& r, const TempDir& dir)
{
    expect_clean_end(r);
    EXPECT_EQ(r.out.find("has failed!"), std::string::npos) << r.out.substr(0, 2000);
    expect_true_wav(dir);
    EXPECT_FALSE(dir.exists("text.tmp"));  // a finished run leaves no intermediate files
}

// A headerless recording of n samples of a loud, uneven wave.
std::string recording(std::size_t n)
{
    std::string pcm;
    pcm.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto s = static_cast<std::uint16_t>(static_cast<std::int16_t>((i * 7919) % 20000) - 10000);
        pcm.push_back(static_cast<char>(s & 0xFF));
        pcm.push_back(static_cast<char>(s >> 8));
    }
    return pcm;
}

RunOptions options(int timeout_seconds, const std::string& input = "")
{
    RunOptions o;
    o.input = input;
    o.timeout_seconds = timeout_seconds;
    return o;
}

// A working directory: the end-line dictionary, the text, and no recordings
// (so the console names every syllable spoken) unless a test adds some.
struct Workdir {
    TempDir dir;
    Workdir() { dir.write("replace.txt", "$\r\n"); }
    void voice(const std::string& file, const std::string& bytes) const
    {
        std::filesystem::create_directories(dir.file("torvy"));
        dir.write("torvy/" + file, bytes);
    }
    RunResult text(const std::string& bytes, int timeout = 120) const
    {
        dir.write("t.txt", bytes);
        return harness::run_vokdar(dir, {"t.txt"}, options(timeout));
    }
};

const std::string SENTINEL = "конец фразы";

// --- the input text ------------------------------------------------------

TEST(BadInput, NulByteStopsTheReadWithAMessage)
{
    Workdir run;
    const RunResult r = run.text(cp1251("мама") + std::string(1, '\0') + cp1251("мыла"));
    expect_clean_end(r);
    EXPECT_NE(r.out.find("Error imposible to read text!4"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("First read has failed!"), std::string::npos) << r.out;
    EXPECT_FALSE(run.dir.exists("rech.wav"));
}

TEST(BadInput, OnlyCtrlZIsAnEmptyText)
{
    Workdir run;
    const RunResult r = run.text(std::string(1000, '\x1A'));
    expect_success(r, run.dir);
    EXPECT_EQ(run.dir.read("rech.wav").size(), 44u + 2 * 998);  // the lead-in alone
}

TEST(BadInput, Utf16TextStopsAtItsFirstNul)
{
    Workdir run;
    // "мама мыла" in UTF-16 with its byte order mark: the space's high byte is NUL.
    std::string utf16 = "\xFF\xFE";
    for (const char16_t c : std::u16string(u"мама мыла")) {
        utf16.push_back(static_cast<char>(c & 0xFF));
        utf16.push_back(static_cast<char>(c >> 8));
    }
    const RunResult r = run.text(utf16);
    expect_clean_end(r);
    EXPECT_NE(r.out.find("Error imposible to read text!"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("First read has failed!"), std::string::npos) << r.out;
}

TEST(BadInput, AllFFBytesAreTheLetterYa)
{
    Workdir run;
    const RunResult r = run.text(std::string(1000, '\xFF') + cp1251(" " + SENTINEL));
    expect_success(r, run.dir);
    // 0xFF is "я", never the end of the file: a thousand of them, then the sentinel.
    EXPECT_EQ(spoken(r.out), std::string(1000, 'q') + mapped(SENTINEL));
}

TEST(BadInput, TenMegabytesOnOneLine)
{
    Workdir run;
    // Latin filler (dropped by the normaliser) with a Russian word in every kilobyte.
    std::string text, expected;
    const std::string filler(1000, 'x');
    for (int i = 0; i < 10 * 1024; ++i) {
        text += filler + cp1251(" мир ");
        expected += "mir";
    }
    text += cp1251(SENTINEL);
    expected += mapped(SENTINEL);
    ASSERT_GT(text.size(), 10u * 1000 * 1000);
    const RunResult r = run.text(text, 280);
    expect_success(r, run.dir);
    EXPECT_EQ(spoken(r.out), expected);
}

TEST(BadInput, WordOfTenThousandLetters)
{
    Workdir run;
    std::string word;
    for (int i = 0; i < 5000; ++i)
        word += "ма";
    const RunResult r = run.text(cp1251(word + " " + SENTINEL));
    expect_success(r, run.dir);
    EXPECT_EQ(spoken(r.out), mapped(word + SENTINEL));
}

struct DigitRow {
    std::size_t digits;
    const char* fraction;  // after the point, or "" for none
    const char* heard;     // what must be spoken for the number (UTF-8)
};

TEST(BadInput, LongDigitRuns)
{
    const DigitRow rows[] = {
        {12, "", "сто двацать три милиарда"},
        {12, "25", "целых двацать пять сотых"},
        {13, "", "какое-то неизвестное науке число"},
        {13, "5", "какое-то неизвестное науке число пять"},
        {19, "", "какое-то неизвестное науке число"},
        {20, "", "какое-то неизвестное науке число"},
        {20, "75", "какое-то неизвестное науке число семьдесят пять"},
        {10000, "", "какое-то неизвестное науке число"},
        {10000, "5", "какое-то неизвестное науке число пять"},
    };
    for (const DigitRow& row : rows) {
        SCOPED_TRACE(std::to_string(row.digits) + " digits, fraction \"" + row.fraction + "\"");
        std::string number;
        for (std::size_t i = 0; i < row.digits; ++i)
            number += static_cast<char>('1' + (i % 9));
        if (row.fraction[0] != '\0')
            number += std::string(".") + row.fraction;
        Workdir run;
        const RunResult r = run.text(number + " " + cp1251(SENTINEL));
        expect_success(r, run.dir);
        const std::string words = spoken(r.out);
        EXPECT_NE(words.find(mapped(row.heard)), std::string::npos) << words;
        EXPECT_EQ(words.size() - words.rfind(mapped(SENTINEL)), mapped(SENTINEL).size()) << words;
    }
}

TEST(BadInput, ThousandNestedPunctuationMarks)
{
    Workdir run;
    std::string open, close;
    for (int i = 0; i < 1000; ++i) {
        open += "([{<\"'"[i % 6];
        close = ")]}>\"'"[i % 6] + close;
    }
    const std::string text = open + cp1251("мама") + close + std::string(1000, '(') +
                             std::string(1000, '.') + std::string(1000, '?') + cp1251(" " + SENTINEL);
    const RunResult r = run.text(text, 280);
    expect_success(r, run.dir);
    const std::string words = spoken(r.out);
    EXPECT_NE(words.find("mama"), std::string::npos) << words;
    EXPECT_EQ(words.size() - words.rfind(mapped(SENTINEL)), mapped(SENTINEL).size()) << words;
}

// --- replace.txt ---------------------------------------------------------

struct DictionaryRow {
    const char* what;
    std::string dictionary;  // code page 1251 bytes
    const char* heard;       // the whole text as spoken (UTF-8)
};

TEST(BadInput, MalformedDictionaries)
{
    const std::string key64(64, '\xE0');  // 64 × "а"
    const DictionaryRow rows[] = {
        {"empty file", "", "мама мыла раму кот"},
        {"no end line", cp1251("мама*_папа*!"), "папа мыла раму кот"},
        {"a line without kind byte", cp1251("мамапапа\r\nмыла*_вымыла*!\r\n$\r\n"), "мама вымыла раму кот"},
        {"a line without closing !", cp1251("мама*_папа*\r\nмыла*_вымыла*!\r\n$\r\n"),
         "мама вымыла раму кот"},
        {"a tab-led line ends the scan", cp1251("\tмама*_папа*!\r\nмыла*_вымыла*!\r\n$\r\n"),
         "мама мыла раму кот"},
        {"a 64-byte key", key64 + cp1251("_б!\r\nраму*_рамку*!\r\n$\r\n"), "мама мыла рамку кот"},
        // Each "*" beyond the captured bytes yields nothing: the word is rewritten to nothing.
        {"a replacement full of *", cp1251("кот_") + std::string(63, '*') + "!\r\n$\r\n",
         "мама мыла раму"},
        {"more * than captures", cp1251("к*т_к**********т!\r\n$\r\n"), "мама мыла раму кот"},
    };
    for (const DictionaryRow& row : rows) {
        SCOPED_TRACE(row.what);
        Workdir run;
        run.dir.write("replace.txt", row.dictionary);
        const RunResult r = run.text(cp1251("Мама мыла раму кот"));
        expect_success(r, run.dir);
        EXPECT_EQ(spoken(r.out), mapped(row.heard));
    }
}

TEST(BadInput, DictionaryKeyOf63BytesStillMatches)
{
    Workdir run;
    const std::string word(62, '\xF2');  // 62 × "т" and its space: 63 bytes
    run.dir.write("replace.txt", word + cp1251(" _да !\r\n$\r\n"));
    const RunResult r = run.text(word + cp1251(" " + SENTINEL));
    expect_success(r, run.dir);
    EXPECT_EQ(spoken(r.out), mapped("да" + SENTINEL));
}

// --- vokdar.cfg ----------------------------------------------------------

// The same text with the same voice: the repaired settings sound like the defaults.
std::string wav_with_settings(const std::string& cfg, std::string* out)
{
    Workdir run;
    run.voice("ma.pcm", recording(3000));
    run.voice("mj.pcm", recording(2500));
    if (!cfg.empty())
        run.dir.write("vokdar.cfg", cfg);
    const RunResult r = run.text(cp1251("мама мыла, мама."));
    expect_success(r, run.dir);
    *out = r.out;
    return run.dir.read("rech.wav");
}

TEST(BadInput, BrokenSettingsFilesAreRepaired)
{
    std::string out;
    const std::string defaults = wav_with_settings("100 3 10 torvy", &out);
    const struct {
        const char* what;
        std::string cfg;
        const char* message;
    } rows[] = {
        {"garbage", "\x01\xFFgarbage\x80 12 ~~", ""},
        {"huge numbers", "99999999999999999999999 1e999 1e999 torvy", ""},
        {"NaN", "100 nan nan torvy", ""},
        {"negative", "-2147483648 -1e30 -0 torvy", ""},
        {"a voice of 1000 characters", "100 3 10 " + std::string(1000, 'v'),
         "The voice name in vokdar.cfg is longer than 30 characters! Using torvy/"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string wav = wav_with_settings(row.cfg, &out);
        EXPECT_EQ(wav, defaults);
        EXPECT_NE(out.find(row.message), std::string::npos) << out;
    }
}

// --- recordings ----------------------------------------------------------

TEST(BadInput, BrokenRecordings)
{
    struct Row {
        const char* what;
        void (*make)(const Workdir& run);
        bool named_missing;  // the console reports "No ma.pcm slog"
    };
    const Row rows[] = {
        {"empty", [](const Workdir& run) { run.voice("ma.pcm", ""); }, false},
        {"odd length", [](const Workdir& run) { run.voice("ma.pcm", recording(1500) + "\x7F"); }, false},
        {"30 MB", [](const Workdir& run) { run.voice("ma.pcm", recording(15u * 1024 * 1024)); }, false},
        {"a directory",
         [](const Workdir& run) { std::filesystem::create_directories(run.dir.file("torvy/ma.pcm")); }, true},
        {"a dangling link",
         [](const Workdir& run) {
             std::filesystem::create_directories(run.dir.file("torvy"));
             std::filesystem::create_symlink("nowhere.pcm", run.dir.file("torvy/ma.pcm"));
         },
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Workdir run;
        run.voice("mj.pcm", recording(2000));
        row.make(run);
        const RunResult r = run.text(cp1251("ма мы."), 200);
        expect_success(r, run.dir);
        EXPECT_EQ(r.out.find("No ma.pcm slog") != std::string::npos, row.named_missing) << r.out;
        // The next syllable is sounded all the same: more than lead-in and pause.
        EXPECT_GT(run.dir.read("rech.wav").size(), 44u + 2 * (998 + 14998));
    }
}

TEST(BadInput, UnreadableRecording)
{
    Workdir run;
    run.voice("ma.pcm", recording(2000));
    run.voice("mj.pcm", recording(2000));
    chmod(run.dir.file("torvy/ma.pcm").c_str(), 0);
    run.dir.write("t.txt", cp1251("мама мыла."));
    RunResult r;
    if (geteuid() == 0) {
        // The superuser reads every file: the program runs as nobody instead.
        chmod(run.dir.path().c_str(), 0777);
        r = harness::run_program("/usr/bin/setpriv", run.dir.path(),
                                 {"--reuid=65534", "--regid=65534", "--clear-groups", VOKDAR_BINARY, "t.txt"});
    } else {
        r = harness::run_vokdar(run.dir, {"t.txt"});
    }
    expect_success(r, run.dir);
    EXPECT_NE(r.out.find("No ma.pcm slog"), std::string::npos) << r.out;
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
    EXPECT_NE(r.out.find("No ma.pcm slog"), std::string::npos) << r.out;
}

// --- rech.wav --------------------------------------------------------------

TEST(BadInput, RechWavIsADirectory)
{
    Workdir run;
    std::filesystem::create_directories(run.dir.file("rech.wav"));
    const RunResult r = run.text(cp1251("мама мыла."));
    expect_clean_end(r);
    EXPECT_NE(r.out.find("Output not open\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Zvuki has failed!"), std::string::npos) << r.out;
    EXPECT_TRUE(run.dir.exists("slogi.tmp"));  // a failed run keeps its files
}

TEST(BadInput, RechWavOnAFullDisk)
{
    Workdir run;
    run.voice("ma.pcm", recording(2000));
    std::filesystem::create_symlink("/dev/full", run.dir.file("rech.wav"));
    const RunResult r = run.text(cp1251("мама мыла."));
    expect_clean_end(r);
    EXPECT_NE(r.out.find("Error imposible to write to output!"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Zvuki has failed!"), std::string::npos) << r.out;
    EXPECT_TRUE(run.dir.exists("slogi.tmp"));
}

// The file size limit of the shell (ulimit -f) is a full disk for one process:
// the write fails and is reported; the signal that comes with it must not kill.
TEST(BadInput, RechWavOverTheFileSizeLimit)
{
    Workdir run;
    run.voice("ma.pcm", recording(20000));
    run.dir.write("t.txt", cp1251("мама мыла."));
    // 16 blocks of 512 bytes: the header and the lead-in fit, the speech does not.
    const RunResult r = harness::run_program("/bin/sh", run.dir.path(),
                                             {"-c", "ulimit -f 16 && exec \"$0\" \"$@\"", VOKDAR_BINARY, "t.txt"});
    expect_clean_end(r);
    EXPECT_NE(r.out.find("Error imposible to write to output!"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Zvuki has failed!"), std::string::npos) << r.out;
}

// --- the console and the command line -------------------------------------

TEST(BadInput, StdinClosedAtEveryPrompt)
{
    const struct {
        const char* what;
        std::vector<std::string> args;
        const char* input;  // what standard input holds before it ends
        const char* expected;
    } rows[] = {
        {"the file-name prompt", {}, "", "First read has failed!"},
        {"the retry prompt", {"missing.txt"}, "", "First read has failed!"},
        {"the retry prompt after a wrong name", {"missing.txt"}, "other.txt\n", "First read has failed!"},
        {"every setup prompt", {"-s"}, "", "What is your desiered reading voice?"},
        {"the setup prompts after one answer", {"-s"}, "120\n", "What is your desiered reading voice?"},
        {"the clipboard's fallback prompt", {"-c"}, "", "First read has failed!"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Workdir run;
        const RunResult r =
            harness::run_vokdar(run.dir, row.args, options(20, row.input));
        expect_clean_end(r);
        EXPECT_NE(r.out.find(row.expected), std::string::npos) << r.out;
    }
    // Setup with standard input closed keeps and writes the values it had.
    Workdir run;
    run.dir.write("vokdar.cfg", "150\r\n2.000000\r\n15.000000\r\nanna\r\n");
    const RunResult r = harness::run_vokdar(run.dir, {"-s"}, options(20));
    expect_clean_end(r);
    EXPECT_EQ(run.dir.read("vokdar.cfg"), "150\r\n2.000000\r\n15.000000\r\nanna\r\n");
}

TEST(BadInput, FileNameOf4000Characters)
{
    Workdir run;
    // As an argument, and typed at the prompt before a good name.
    const std::string long_name(4000, 'a');
    RunResult r = harness::run_vokdar(run.dir, {long_name}, options(20));
    expect_clean_end(r);
    EXPECT_NE(r.out.find("Please enter a VALID file name: "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("First read has failed!"), std::string::npos) << r.out;

    run.dir.write("t.txt", cp1251(SENTINEL));
    r = harness::run_vokdar(run.dir, {}, options(20, long_name + "\nt.txt\n"));
    expect_success(r, run.dir);
    EXPECT_EQ(spoken(r.out), mapped(SENTINEL));

    // A real file 4,000 characters deep in the tree is read like any other.
    std::string path;
    while (path.size() < 3990)
        path += "dddddddd/";
    std::filesystem::create_directories(run.dir.file(path));
    path += "t.txt";
    run.dir.write(path, cp1251(SENTINEL));
    r = harness::run_vokdar(run.dir, {path}, options(20));
    expect_success(r, run.dir);
    EXPECT_EQ(spoken(r.out), mapped(SENTINEL));
}

}  // namespace
