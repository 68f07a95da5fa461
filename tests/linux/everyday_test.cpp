// vokdar as a script or a console user meets it: exit statuses and the line
// that says why, a console pipe closed early, the settings the dialogue
// edits, and an encoder that is waited for.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>

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
