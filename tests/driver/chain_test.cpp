// The command line's decision and the chain of stages, driven in-process with
// stand-in operations that record their calls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/console.h"
#include "driver/driver_internal.h"
#include "driver_test_support.h"
#include "harness.h"

namespace {

// What the stand-ins did, and what they are told to answer.
std::string calls;
int config_result = 1;
int clipboard_result = 1;
int failing_stage = 0;  // 1..4: that stage returns 0

int stage(const char* name, int number)
{
    calls += std::string(name) + ";";
    return failing_stage == number ? 0 : 1;
}

const Operations STAND_INS = {
    [] { calls += "config;"; return config_result; },
    [](const char* input_name) { return stage(("first(" + std::string(input_name) + ")").c_str(), 1); },
    [] { return stage("second", 2); },
    [] { return stage("slogi", 3); },
    [] { return stage("zvuki", 4); },
    [] { calls += "clipboard;"; return clipboard_result; },
    [] { calls += "setup;"; return 0; },
    [] { calls += "help;"; return 0; },
    [] { calls += "mp3;"; },
    [] { calls += "play;"; },
};

const char* const RUN = "config;first(a.txt);second;slogi;zvuki;";

struct ChainCase {
    std::vector<std::string> args;  // after the program's name
    int clipboard;
    int failing;                    // 0: every stage succeeds
    std::string expected_calls;
    std::string expected_out;
    int key_waits;
};
void PrintTo(const ChainCase& c, std::ostream* os) { *os << driver_test::joined(c.args); }

struct Outcome {
    std::string out;
    int status;
    int key_waits;
};

// Drives the chain in dir with the stand-ins.
Outcome drive_in(const harness::TempDir& dir, const std::vector<std::string>& args)
{
    std::vector<std::string> strings{"vokdar"};
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : strings)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    harness::ScopedChdir in(dir.path());
    calls.clear();
    const int waits_before = key_wait_count();
    testing::internal::CaptureStdout();
    const int status = drive(static_cast<int>(strings.size()), argv.data(), STAND_INS);
    std::string out = testing::internal::GetCapturedStdout();
    return {out, status, key_wait_count() - waits_before};
}

const char* const INTERMEDIATE[] = {"text.tmp", "text2.tmp", "slogi.tmp"};

class ChainTest : public testing::TestWithParam<ChainCase> {};

TEST_P(ChainTest, RunsWhatTheCommandLineAsks)
{
    const ChainCase& c = GetParam();
    harness::TempDir dir;
    for (const char* name : INTERMEDIATE)
        dir.write(name, "old");
    dir.write("rech.wav", "wav");
    config_result = 1;
    clipboard_result = c.clipboard;
    failing_stage = c.failing;
    const Outcome o = drive_in(dir, c.args);
    EXPECT_EQ(calls, c.expected_calls);
    EXPECT_EQ(o.out, c.expected_out);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.key_waits, c.key_waits);
    // Only a finished run clears the intermediate files; nothing touches the result.
    const bool finished = c.expected_calls.find("zvuki;") != std::string::npos && c.failing == 0;
    for (const char* name : INTERMEDIATE)
        EXPECT_EQ(dir.exists(name), !finished) << name;
    EXPECT_EQ(dir.read("rech.wav"), "wav");
}

const std::string ENJOY = "\nPlay rech.wav, Enjoy!\n\n";

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ChainTest,
    testing::Values(
        // Runs and their tails.
        ChainCase{{}, 1, 0, "config;first();second;slogi;zvuki;", ENJOY, 0},
        ChainCase{{"a.txt"}, 1, 0, RUN, "", 0},
        ChainCase{{"a.txt", "-m"}, 1, 0, std::string(RUN) + "mp3;", "", 0},
        ChainCase{{"a.txt", "-p"}, 1, 0, std::string(RUN) + "play;", "", 0},
        ChainCase{{"a.txt", "-x"}, 1, 0, RUN, "", 0},
        ChainCase{{"a.txt", "-M"}, 1, 0, RUN, "", 0},
        ChainCase{{"a.txt", "-m", "z"}, 1, 0, RUN, "", 0},
        ChainCase{{"a.txt", "-p", "-m"}, 1, 0, RUN, "", 0},
        ChainCase{{"-C"}, 1, 0, "config;first(-C);second;slogi;zvuki;", "", 0},
        ChainCase{{"-"}, 1, 0, "config;first(-);second;slogi;zvuki;", "", 0},
        ChainCase{{""}, 1, 0, "config;first();second;slogi;zvuki;", "", 0},
        // The clipboard, read or not.
        ChainCase{{"-c"}, 1, 0, "clipboard;config;first(rech.txt);second;slogi;zvuki;", "", 0},
        ChainCase{{"-c"}, 0, 0, "clipboard;config;first();second;slogi;zvuki;", "", 0},
        ChainCase{{"-c", "-m"}, 1, 0, "clipboard;config;first(rech.txt);second;slogi;zvuki;mp3;", "", 0},
        ChainCase{{"-c", "-p"}, 0, 0, "clipboard;config;first();second;slogi;zvuki;play;", "", 0},
        // One-shot actions: no stage runs, a second argument is ignored.
        ChainCase{{"-m"}, 1, 0, "mp3;", "", 0},
        ChainCase{{"-m", "a.txt"}, 1, 0, "mp3;", "", 0},
        ChainCase{{"-p"}, 1, 0, "play;", "", 0},
        ChainCase{{"-p", "-m"}, 1, 0, "play;", "", 0},
        ChainCase{{"-s"}, 1, 0, "setup;", "", 0},
        ChainCase{{"-s", "x"}, 1, 0, "setup;", "", 0},
        ChainCase{{"-h"}, 1, 0, "help;", "", 0},
        ChainCase{{"-h", "-c"}, 1, 0, "help;", "", 0},
        // A failing stage: its line, one key, nothing later, nothing deleted, no hand-off.
        ChainCase{{"a.txt", "-m"}, 1, 1, "config;first(a.txt);", "First read has failed!", 1},
        ChainCase{{"a.txt", "-p"}, 1, 2, "config;first(a.txt);second;", "Second read has failed!", 1},
        ChainCase{{}, 1, 3, "config;first();second;slogi;", "Slogi has failed!", 1},
        ChainCase{{"-c", "-m"}, 1, 4, "clipboard;config;first(rech.txt);second;slogi;zvuki;",
                  "Zvuki has failed!", 1}));

TEST(Chain, AMissingSettingsFileIsReportedWithoutALineBreak)
{
    harness::TempDir dir;
    config_result = 0;
    failing_stage = 0;
    const Outcome o = drive_in(dir, {});
    config_result = 1;
    EXPECT_EQ(calls, "config;first();second;slogi;zvuki;");
    EXPECT_EQ(o.out, "There is no vokdar.cfg file! Using Default..." + ENJOY);
    EXPECT_EQ(o.status, 0);
}

TEST(Chain, AFinishedRunPassesOverMissingIntermediateFiles)
{
    harness::TempDir dir;
    dir.write("text.tmp", "x");
    failing_stage = 0;
    const Outcome o = drive_in(dir, {"a.txt"});
    EXPECT_EQ(o.status, 0);
    EXPECT_FALSE(dir.exists("text.tmp"));
}

}  // namespace
