// The built program from the outside: command lines, help, setup, and the
// hand-off of rech.wav to stand-in encoders and players that record their arguments.
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

#include "driver_test_support.h"
#include "harness.h"

namespace {

using driver_test::no_display;
using driver_test::recorder;
using driver_test::run_options;
using driver_test::wait_for_record;

const std::string NO_CONFIG = "There is no vokdar.cfg file! Using Default...";
const std::string FIRST_FAILED = "First read has failed!";

bool ends_with(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Runs whose first stage fails: the user names no readable file and answers
// the file prompt with "exit". Stand-in tools in the directory must stay unused.
struct FailedRunCase {
    std::vector<std::string> args;
    bool with_config;
};
void PrintTo(const FailedRunCase& c, std::ostream* os) { *os << driver_test::joined(c.args); }

class FailedRunTest : public testing::TestWithParam<FailedRunCase> {};

TEST_P(FailedRunTest, ReportsTheFirstStageAndKeepsEverything)
{
    const FailedRunCase& c = GetParam();
    harness::TempDir dir;
    no_display scrub;
    if (c.with_config)
        dir.write("vokdar.cfg", "100\r\n3.000000\r\n10.000000\r\ntorvy\r\n");
    for (const char* name : {"text.tmp", "text2.tmp", "slogi.tmp", "rech.txt"})
        dir.write(name, "stale");
    dir.write("lame", recorder(dir.file("lame.args"), "here"));
    dir.write("wav", recorder(dir.file("wav.args"), "here"));
    chmod(dir.file("lame").c_str(), 0755);
    chmod(dir.file("wav").c_str(), 0755);

    const harness::RunResult r = harness::run_vokdar(dir, c.args, run_options("exit\n"));
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(r.timed_out);
    // The driver's own lines: the settings notice first, the stage's failure last.
    EXPECT_EQ(r.out.substr(0, NO_CONFIG.size()) == NO_CONFIG, !c.with_config) << r.out;
    EXPECT_EQ(r.out.find(NO_CONFIG, 1), std::string::npos) << r.out;
    EXPECT_TRUE(ends_with(r.out, FIRST_FAILED)) << r.out;
    for (const char* name : {"text.tmp", "text2.tmp", "slogi.tmp", "rech.txt"})
        EXPECT_EQ(dir.read(name), "stale") << name;
    EXPECT_FALSE(dir.exists("lame.args"));
    EXPECT_FALSE(dir.exists("wav.args"));
    EXPECT_FALSE(dir.exists("rech.wav"));
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, FailedRunTest,
    testing::Values(FailedRunCase{{}, false}, FailedRunCase{{}, true},
                    FailedRunCase{{"missing.txt"}, false}, FailedRunCase{{"missing.txt", "-m"}, true},
                    FailedRunCase{{"missing.txt", "-p"}, false}, FailedRunCase{{"missing.txt", "-x"}, true},
                    FailedRunCase{{"missing.txt", "-m", "-p"}, true}, FailedRunCase{{"-C"}, true},
                    // Without a display the clipboard cannot be read: the user is asked.
                    FailedRunCase{{"-c"}, false}, FailedRunCase{{"-c", "-m"}, true},
                    FailedRunCase{{"-c", "-p"}, true}));

TEST(Cli, ATooLongVoiceIsRefusedInOneLineBeforeTheRun)
{
    harness::TempDir dir;
    dir.write("vokdar.cfg", "100 3 10 " + std::string(40, 'v') + "\r\n");
    const harness::RunResult r = harness::run_vokdar(dir, {"missing.txt"}, run_options("exit\n"));
    EXPECT_EQ(r.status, 0);
    const std::string start = "The voice name in vokdar.cfg is longer than 30 characters! Using torvy/\n";
    EXPECT_EQ(r.out.substr(0, start.size()), start) << r.out;
    EXPECT_TRUE(ends_with(r.out, FIRST_FAILED)) << r.out;
}

TEST(Cli, HelpIsPrintedByteForByte)
{
    const std::string expected = harness::test_data("driver/help.expected");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"-h"}, {"-h", "-m"}, {"-h", "a.txt"}}) {
        harness::TempDir dir;
        const harness::RunResult r = harness::run_vokdar(dir, args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, expected);
        EXPECT_FALSE(dir.exists("vokdar.cfg"));
    }
}

TEST(Cli, SetupAsksWritesAndRunsNothing)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{"-s"}, {"-s", "a.txt"}}) {
        harness::TempDir dir;
        const harness::RunResult r = harness::run_vokdar(dir, args, run_options("300\n0.5\n0\nanna\n"));
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, driver_test::setup_prompts("100", "3.0", "30.0", "10.0", "torvy"));
        EXPECT_EQ(dir.read("vokdar.cfg"), "200\r\n1.000000\r\n1.000000\r\nanna\r\n");
    }
}

TEST(Cli, SetupAtTheEndOfInputKeepsTheStoredValues)
{
    harness::TempDir dir;
    dir.write("vokdar.cfg", "120\r\n2.000000\r\n12.000000\r\nanna\r\n");
    const harness::RunResult r = harness::run_vokdar(dir, {"-s"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(dir.read("vokdar.cfg"), "120\r\n2.000000\r\n12.000000\r\nanna\r\n");
}

// A stand-in program: where it lies and what it records.
struct Tool {
    enum Where { HERE, ON_PATH, HERE_NOT_EXECUTABLE, HERE_DIRECTORY } where;
    const char* name;
    const char* tag;
};

struct HandOffCase {
    const char* what;
    std::vector<std::string> args;
    std::vector<Tool> tools;
    const char* started;    // the name whose record must appear; nullptr: none
    const char* tag;        // which copy was started
    std::string arguments;  // its arguments, one a line
    std::string out;        // what vokdar printed
};
void PrintTo(const HandOffCase& c, std::ostream* os) { *os << c.what; }

const std::string LAME_ARGS = "--preset\nvoice\nrech.wav\nrech.mp3\n";
const std::string LAME_MISSING = "\nLame.exe not fownd!!\n\n";
const std::string WAV_MISSING = "\nwav.exe not fownd!!\n\n";

class HandOffTest : public testing::TestWithParam<HandOffCase> {};

TEST_P(HandOffTest, StartsTheRightProgram)
{
    const HandOffCase& c = GetParam();
    harness::TempDir dir;
    harness::TempDir bin;    // the only directory on PATH
    harness::TempDir empty;  // a PATH entry with nothing in it
    for (const Tool& t : c.tools) {
        const std::string record = dir.file(std::string(t.name) + ".args");
        const std::string path = t.where == Tool::ON_PATH ? bin.file(t.name) : dir.file(t.name);
        if (t.where == Tool::HERE_DIRECTORY) {
            mkdir(path.c_str(), 0755);
            continue;
        }
        (t.where == Tool::ON_PATH ? bin : dir).write(t.name, recorder(record, t.tag));
        chmod(path.c_str(), t.where == Tool::HERE_NOT_EXECUTABLE ? 0644 : 0755);
    }
    const harness::RunResult r =
        harness::run_vokdar(dir, c.args, run_options("", {}, empty.path() + ":" + bin.path()));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, c.out);
    if (c.started != nullptr) {
        EXPECT_EQ(wait_for_record(dir.file(std::string(c.started) + ".args")),
                  std::string(c.tag) + "\n" + c.arguments);
    }
    for (const Tool& t : c.tools) {
        if (c.started == nullptr || std::string(t.name) != c.started) {
            EXPECT_FALSE(dir.exists(std::string(t.name) + ".args")) << t.name;
        }
    }
    EXPECT_FALSE(dir.exists("rech.wav"));  // nothing ran but the hand-off
}

INSTANTIATE_TEST_SUITE_P(
    Programs, HandOffTest,
    testing::Values(
        HandOffCase{"encoder here", {"-m"}, {{Tool::HERE, "lame", "here"}}, "lame", "here", LAME_ARGS, ""},
        HandOffCase{"encoder here before path", {"-m"},
                    {{Tool::HERE, "lame", "here"}, {Tool::ON_PATH, "lame", "path"}}, "lame", "here", LAME_ARGS, ""},
        HandOffCase{"encoder on path", {"-m", "a.txt"}, {{Tool::ON_PATH, "lame", "path"}}, "lame", "path",
                    LAME_ARGS, ""},
        HandOffCase{"encoder here not executable", {"-m"},
                    {{Tool::HERE_NOT_EXECUTABLE, "lame", "here"}, {Tool::ON_PATH, "lame", "path"}}, "lame", "path",
                    LAME_ARGS, ""},
        HandOffCase{"encoder here a directory", {"-m"}, {{Tool::HERE_DIRECTORY, "lame", ""}}, nullptr, "", "",
                    LAME_MISSING},
        HandOffCase{"no encoder", {"-m"}, {{Tool::ON_PATH, "wav", "path"}}, nullptr, "", "", LAME_MISSING},
        HandOffCase{"player here before path", {"-p"},
                    {{Tool::HERE, "wav", "here"}, {Tool::ON_PATH, "wav", "path"}}, "wav", "here", "rech.wav\n", ""},
        HandOffCase{"player on path", {"-p", "-m"}, {{Tool::ON_PATH, "wav", "path"}}, "wav", "path", "rech.wav\n",
                    ""},
        HandOffCase{"player before the common ones", {"-p"},
                    {{Tool::ON_PATH, "wav", "path"}, {Tool::ON_PATH, "aplay", "path"}}, "wav", "path",
                    "rech.wav\n", ""},
        HandOffCase{"fallback aplay", {"-p"},
                    {{Tool::ON_PATH, "play", "path"}, {Tool::ON_PATH, "paplay", "path"},
                     {Tool::ON_PATH, "aplay", "path"}},
                    "aplay", "path", "rech.wav\n", ""},
        HandOffCase{"fallback paplay", {"-p"}, {{Tool::ON_PATH, "play", "path"}, {Tool::ON_PATH, "paplay", "path"}},
                    "paplay", "path", "rech.wav\n", ""},
        HandOffCase{"fallback play", {"-p"}, {{Tool::ON_PATH, "play", "path"}}, "play", "path", "rech.wav\n", ""},
        HandOffCase{"fallbacks only on path", {"-p"}, {{Tool::HERE, "aplay", "here"}}, nullptr, "", "",
                    WAV_MISSING},
        HandOffCase{"no player", {"-p"}, {{Tool::ON_PATH, "lame", "path"}}, nullptr, "", "", WAV_MISSING}),
    driver_test::case_name<HandOffCase>);

TEST(Cli, AnEmptyPathEntryIsTheCurrentDirectory)
{
    harness::TempDir dir;
    harness::TempDir empty;
    dir.write("lame", recorder(dir.file("lame.args"), "here"));
    chmod(dir.file("lame").c_str(), 0755);
    // Found in the current directory by either rule; started once.
    const harness::RunResult r = harness::run_vokdar(dir, {"-m"}, run_options("", {}, empty.path() + "::"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(wait_for_record(dir.file("lame.args")), "here\n" + LAME_ARGS);
}

}  // namespace
