// vokdar as a script or a console user meets it: exit statuses and the line
// that says why, a console pipe closed early, the settings the dialogue
// edits, and an encoder that is waited for.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "common/textfile.h"
#include "harness.h"

namespace {

using harness::cp1251;

// A voice of one recording, "ма", and the dictionary's end line.
void make_run_files(const harness::TempDir& dir)
{
    std::filesystem::create_directories(dir.file("torvy"));
    std::string pcm;
    for (int i = 0; i < 3000; ++i) {
        const auto v = static_cast<std::uint16_t>((i * 37) % 20000 - 10000);
        pcm += static_cast<char>(v & 0xFF);
        pcm += static_cast<char>(v >> 8);
    }
    dir.write("torvy/ma.pcm", pcm);
    dir.write("replace.txt", "$\n");
    dir.write("vokdar.cfg", "100 3 10 torvy");
}

void make_script(const harness::TempDir& dir, const std::string& name, const std::string& body)
{
    dir.write(name, "#!/bin/sh\n" + body + "\n");
    chmod(dir.file(name).c_str(), 0755);
}

// Each way a run can speak nothing: status 1, the stage's line ended, a line
// naming the file and why, and the previous rech.wav as it was.
TEST(ExitStatus, FailedRunsSayWhyAndKeepTheOldSpeech)
{
    struct Case {
        const char* what;
        std::vector<std::string> args;
        const char* missing;  // the run file taken away
        const char* says;
    };
    const Case cases[] = {
        {"no such file", {"nosuch.txt"}, "", "First read has failed!\nvokdar: nosuch.txt: No such file or directory\n"},
        {"a directory", {"sub"}, "", "First read has failed!\nvokdar: sub: Is a directory\n"},
        {"no dictionary", {"in.txt"}, "replace.txt", "Second read has failed!\nvokdar: replace.txt: No such file or directory\n"},
        {"no voice", {"in.txt"}, "torvy", "Zvuki has failed!\nvokdar: torvy/: No such file or directory\n"},
        {"an empty voice", {"in.txt"}, "torvy/ma.pcm", "Zvuki has failed!\nvokdar: torvy/: the voice has no recordings (.pcm files)\n"},
        {"nothing typed", {}, "", "First read has failed!\nvokdar: no text was named\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        harness::TempDir dir;
        make_run_files(dir);
        dir.write("in.txt", cp1251("мама."));
        dir.write("rech.wav", "previous speech");
        std::filesystem::create_directories(dir.file("sub"));
        if (c.missing[0] != '\0')
            std::filesystem::remove_all(dir.file(c.missing));
        const auto r = harness::run_vokdar(dir, c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.out.ends_with(c.says)) << r.out;
        EXPECT_EQ(r.out.find("No ma.pcm slog"), std::string::npos);
        EXPECT_EQ(dir.read("rech.wav"), "previous speech");
    }
}

// A full disk while the intermediate files are written: status 1, named.
TEST(ExitStatus, AWriteErrorIsNamed)
{
    harness::TempDir dir;
    make_run_files(dir);
    dir.write("in.txt", cp1251("мама."));
    std::filesystem::create_symlink("/dev/full", dir.file("text.tmp"));
    const auto r = harness::run_vokdar(dir, {"in.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("First read has failed!\nvokdar: text.tmp: No space left on device\n"),
              std::string::npos) << r.out;
}

// The console read by head, which goes after one line: the run goes on to
// the end and its speech is whole.
TEST(Pipes, AClosedConsoleDoesNotStopTheRun)
{
    harness::TempDir dir;
    make_run_files(dir);
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += cp1251("мама мама. ");
    dir.write("in.txt", text);
    const auto whole = harness::run_vokdar(dir, {"in.txt"});
    ASSERT_EQ(whole.status, 0) << whole.out;
    const std::string speech = dir.read("rech.wav");
    std::filesystem::remove(dir.file("rech.wav"));

    make_script(dir, "run.sh", "{ \"$1\" in.txt 2>&1; echo $? > status; } | head -n 1 > first");
    const auto piped = harness::run_program("/bin/sh", dir.path(), {"run.sh", VOKDAR_BINARY});
    ASSERT_EQ(piped.status, 0) << piped.out;
    EXPECT_EQ(dir.read("first"), "Firstread initialized...\n");
    EXPECT_EQ(dir.read("status"), "0\n");
    EXPECT_TRUE(dir.read("rech.wav") == speech);
    for (const char* gone : {"text.tmp", "text2.tmp", "slogi.tmp"})
        EXPECT_FALSE(dir.exists(gone)) << gone;
}

// -s edits the file a run reads: the user's own when there is no file in
// the working directory, made from nothing or from the system's default, and
// says where it wrote.
TEST(Settings, SetupEditsTheFileARunReads)
{
    harness::TempDir home, work, system;
    harness::RunOptions o;
    o.env = {"XDG_CONFIG_HOME=" + home.file("config"), "XDG_DATA_DIRS=" + system.path()};
    o.input = "120 2 12 anna\n";
    auto r = harness::run_vokdar(work, {"-s"}, o);
    EXPECT_EQ(r.status, 0);
    const std::string own = home.file("config/vokdar/vokdar.cfg");
    EXPECT_TRUE(r.out.ends_with("Settings saved in " + own + "\n")) << r.out;
    EXPECT_EQ(home.read("config/vokdar/vokdar.cfg"), "120\r\n2.000000\r\n12.000000\r\nanna\r\n");
    EXPECT_FALSE(work.exists("vokdar.cfg"));

    // Shown as a run would use them, then kept where they were.
    o.input = "150\n";
    r = harness::run_vokdar(work, {"-s"}, o);
    EXPECT_NE(r.out.find("(120 cur, 200 max)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("(anna)"), std::string::npos) << r.out;
    EXPECT_EQ(home.read("config/vokdar/vokdar.cfg"), "150\r\n2.000000\r\n12.000000\r\nanna\r\n");

    // A system default is read, never written: the user's copy is made from it.
    std::filesystem::remove(own);
    std::filesystem::create_directories(system.file("vokdar"));
    system.write("vokdar/vokdar.cfg", "90\r\n1.500000\r\n9.000000\r\nrobot\r\n");
    o.input = "";
    r = harness::run_vokdar(work, {"-s"}, o);
    EXPECT_NE(r.out.find("(90 cur, 200 max)"), std::string::npos) << r.out;
    EXPECT_EQ(home.read("config/vokdar/vokdar.cfg"), "90\r\n1.500000\r\n9.000000\r\nrobot\r\n");
    EXPECT_EQ(system.read("vokdar/vokdar.cfg"), "90\r\n1.500000\r\n9.000000\r\nrobot\r\n");

    // A file in the working directory is what runs there read, and is edited.
    work.write("vokdar.cfg", "100 3 10 torvy");
    o.input = "110\n";
    r = harness::run_vokdar(work, {"-s"}, o);
    EXPECT_TRUE(r.out.ends_with("Settings saved in vokdar.cfg\n")) << r.out;
    EXPECT_EQ(work.read("vokdar.cfg"), "110\r\n3.000000\r\n10.000000\r\ntorvy\r\n");
    EXPECT_EQ(home.read("config/vokdar/vokdar.cfg"), "90\r\n1.500000\r\n9.000000\r\nrobot\r\n");
    EXPECT_FALSE(work.exists("vokdar.lock"));
}

// -m returns when rech.mp3 is whole, and says so when the encoder fails.
TEST(HandOff, TheEncoderIsWaitedFor)
{
    harness::TempDir dir;
    make_run_files(dir);
    dir.write("in.txt", cp1251("мама."));
    make_script(dir, "lame", "sleep 0.3; cat \"$3\" > \"$4\"; echo encoded");
    auto r = harness::run_vokdar(dir, {"in.txt", "-m"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(r.out.ends_with("encoded\n")) << r.out;
    EXPECT_TRUE(dir.exists("rech.mp3") && dir.read("rech.mp3") == dir.read("rech.wav"));

    make_script(dir, "lame", "echo broken >&2; exit 3");
    r = harness::run_vokdar(dir, {"-m"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("broken\nvokdar: ./lame ended with status 3; rech.mp3 is not complete\n"),
              std::string::npos) << r.out;
}

}  // namespace

namespace {

// What the first stage made of a text given by args (and standard input),
// with rech.wav barred so the stage files stay; and what was printed.
struct Read {
    std::string printed, text_tmp;
};
Read first_stage(const std::string& file_bytes, const std::vector<std::string>& args,
                 const std::string& input = "")
{
    harness::TempDir dir;
    make_run_files(dir);
    if (!file_bytes.empty())
        dir.write("in.txt", file_bytes);
    std::filesystem::create_directories(dir.file("rech.wav"));
    harness::RunOptions o;
    o.input = input;
    const auto r = harness::run_vokdar(dir, args, o);
    return {r.out, dir.exists("text.tmp") ? dir.read("text.tmp") : ""};
}

// The UTF-16 form of a UTF-8 text (Cyrillic and ASCII only), with its mark.
std::string utf16(const std::string& utf8, bool little_endian)
{
    std::string out = little_endian ? "\xFF\xFE" : "\xFE\xFF";
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        std::uint32_t point = c;
        if (c >= 0xC0) {
            point = (c & 0x1Fu) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            i += 2;
        } else {
            ++i;
        }
        const char lo = static_cast<char>(point & 0xFF), hi = static_cast<char>(point >> 8);
        out += little_endian ? std::string{lo, hi} : std::string{hi, lo};
    }
    return out;
}

}  // namespace

// A UTF-8 text with a stray byte, the same text in UTF-16 either way round,
// and on standard input: each is read as its code page 1251 twin.
TEST(TextInput, EveryFormReadsAsItsCodePage1251Twin)
{
    const std::string utf8 = "Мама мыла раму.\r\nЁжик в тумане, 25 лет!\r\n";
    const Read twin = first_stage(cp1251(utf8), {"in.txt"});
    ASSERT_NE(twin.text_tmp, "") << twin.printed;

    // One no-break space of code page 1251 among the UTF-8: read as what it is, and told.
    std::string stray = utf8;
    stray.replace(stray.find(' '), 1, "\xA0");
    std::string stray_twin = cp1251(utf8);
    stray_twin.replace(stray_twin.find(' '), 1, "\xA0");
    const Read mixed = first_stage(stray, {"in.txt"});
    EXPECT_EQ(mixed.text_tmp, first_stage(stray_twin, {"in.txt"}).text_tmp);
    EXPECT_NE(mixed.printed.find("vokdar: in.txt: 1 byte that is not UTF-8 read as code page 1251\n"),
              std::string::npos) << mixed.printed;
    EXPECT_EQ(twin.printed.find("not UTF-8"), std::string::npos);

    for (const bool little : {true, false}) {
        const Read wide = first_stage(utf16(utf8, little), {"in.txt"});
        EXPECT_EQ(wide.text_tmp, twin.text_tmp) << (little ? "UTF-16LE" : "UTF-16BE") << wide.printed;
    }

    // Standard input, read once: no prompt, whatever it holds.
    const Read piped = first_stage("", {"-"}, utf8);
    EXPECT_EQ(piped.text_tmp, twin.text_tmp) << piped.printed;
    EXPECT_EQ(piped.printed.find("Which file"), std::string::npos) << piped.printed;
    EXPECT_EQ(piped.printed.find("VALID"), std::string::npos) << piped.printed;
}

// A code page 1251 text is never taken for UTF-8 for a few chance sequences:
// "Р°" (D0 B0) is the UTF-8 of "а".
TEST(TextInput, CodePage1251WithChanceSequencesStaysCodePage1251)
{
    const std::string text = cp1251("Угол 90° и Р° здесь, мама мыла раму.");
    harness::TempDir dir;
    dir.write("t.txt", text);
    long long stray = -1;
    EXPECT_EQ(text_input_form(dir.file("t.txt").c_str(), &stray), TextForm::cp1251);
    EXPECT_EQ(stray, 0);
}

// The long options, wherever they stand: each gives what the settings file
// or a renamed rech.wav would, and touches nothing else.
TEST(LongOptions, OutputVoiceAndSpeed)
{
    harness::TempDir dir;
    make_run_files(dir);
    std::filesystem::copy(dir.file("torvy"), dir.file("other"));
    dir.write("other/ma.pcm", dir.read("torvy/ma.pcm").substr(0, 2000));
    dir.write("in.txt", cp1251("мама мама."));
    const auto speech_with = [&](const std::string& settings) {
        dir.write("vokdar.cfg", settings);
        EXPECT_EQ(harness::run_vokdar(dir, {"in.txt"}).status, 0);
        return dir.read("rech.wav");
    };
    const std::string slow_other = speech_with("50 3 10 other");
    const std::string plain = speech_with("100 3 10 torvy");
    ASSERT_NE(slow_other, plain);

    dir.write("rech.wav", "previous speech");
    auto r = harness::run_vokdar(dir, {"--speed", "50", "in.txt", "--voice=other", "--output", "out.wav"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(dir.read("out.wav") == slow_other);
    EXPECT_EQ(dir.read("rech.wav"), "previous speech");
    EXPECT_EQ(dir.read("vokdar.cfg"), "100 3 10 torvy");

    // An MP3 by its extension: the encoder makes it from a WAV file beside
    // it, which goes once it has.
    make_script(dir, "lame", "printf '%s\\n' \"$@\" > lame.args; cat \"$3\" > \"$4\"");
    r = harness::run_vokdar(dir, {"in.txt", "--output=book.MP3"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(dir.read("lame.args"), "--preset\nvoice\nbook.MP3.wav\nbook.MP3\n");
    EXPECT_TRUE(dir.read("book.MP3") == plain);
    EXPECT_FALSE(dir.exists("book.MP3.wav"));
    EXPECT_EQ(dir.read("rech.wav"), "previous speech");

    // -m after a WAV output encodes that file into its MP3 twin.
    r = harness::run_vokdar(dir, {"--output", "ch1.wav", "in.txt", "-m"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(dir.read("lame.args"), "--preset\nvoice\nch1.wav\nch1.mp3\n");

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"in.txt", "--speed", "0"}, {"in.txt", "--speed=fast"}, {"in.txt", "--voice"},
          {"--voice", std::string(31, 'v'), "in.txt"}, {"in.txt", "--output="}}) {
        r = harness::run_vokdar(dir, bad);
        EXPECT_EQ(r.status, 2) << bad.back();
        EXPECT_NE(r.out.find("Try 'vokdar --help'.\n"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("initialized"), std::string::npos) << r.out;
    }
}

// --voices: each voice a run could take, the first place's of a name only.
TEST(LongOptions, VoicesListsWhatARunCouldUse)
{
    harness::TempDir work, data;
    make_run_files(work);
    std::filesystem::create_directories(work.file("empty"));
    std::filesystem::create_directories(data.file("vokdar/torvy"));
    std::filesystem::create_directories(data.file("vokdar/anna"));
    data.write("vokdar/torvy/ma.pcm", "xx");
    data.write("vokdar/anna/ma.pcm", "xx");
    harness::RunOptions o;
    o.env = {"XDG_DATA_HOME=" + data.path(), "XDG_DATA_DIRS=/nonexistent"};
    const auto r = harness::run_vokdar(work, {"--voices"}, o);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "torvy\t./torvy/\nanna\t" + data.file("vokdar/anna/") + "\n");
}

// vokdar-dict check with no file checks the dictionary vokdar would use,
// wherever the run is; with none anywhere, it names where it looked.
TEST(DictTool, CheckFindsTheDictionaryAsVokdarDoes)
{
    harness::TempDir work, data;
    std::filesystem::create_directories(data.file("vokdar"));
    data.write("vokdar/replace.txt", "$\n");
    harness::RunOptions o;
    o.env = {"XDG_DATA_HOME=" + data.path(), "XDG_DATA_DIRS=/nonexistent"};
    auto r = harness::run_program(VOKDAR_DICT_BINARY, work.path(), {"check"}, o);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, data.file("vokdar/replace.txt") + ": no problems found\n");

    std::filesystem::remove(data.file("vokdar/replace.txt"));
    r = harness::run_program(VOKDAR_DICT_BINARY, work.path(), {"check"}, o);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out.rfind("vokdar-dict: replace.txt is in none of: the current directory, " + data.file("vokdar/"), 0), 0u)
        << r.out;
}
