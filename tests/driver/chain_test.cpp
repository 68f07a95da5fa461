// The driver in-process: the command line's decision and the chain of stages with
// stand-in operations that record their calls, loading vokdar.cfg and the setup
// dialogue (cases: tests/data/driver/chain.cases, config.cases and setup.cases).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/console.h"
#include "common/settings.h"
#include "driver/driver_internal.h"
#include "driver_test_support.h"
#include "harness.h"

namespace {

// What the stand-ins did, and what they are told to answer.
std::string calls;
int config_result, clipboard_result, failing_stage;  // failing_stage 1..4: that stage returns 0

int stage(const std::string& name, int number)
{
    calls += name + ";";
    return failing_stage == number ? 0 : 1;
}

const Operations STAND_INS = {
    [] { calls += "config;"; return config_result; },
    [](const char* input_name) { return stage("first(" + std::string(input_name) + ")", 1); },
    [] { return stage("second", 2); },
    [] { return stage("slogi", 3); },
    [] { return stage("zvuki", 4); },
    [] { calls += "clipboard;"; return clipboard_result; },
    [] { calls += "stdin;"; return 1; },
    [] { calls += "setup;"; return 0; },
    [] { calls += "help;"; return 0; },
    [] { calls += "mp3;"; return 0; },
    [] { calls += "play;"; return 0; },
};

TEST(Chain, RunsWhatTheCommandLineAsks)
{
    driver_test::for_each_case("driver/chain.cases", 8, [](const std::vector<std::string>& c) {
        harness::TempDir dir;
        const std::vector<std::string> intermediate = {"text.tmp", "text2.tmp", "slogi.tmp"};
        for (const std::string& name : intermediate)
            if (c[4] == "*" || c[4] == name)
                dir.write(name, "old");
        dir.write("rech.wav", "wav");
        config_result = std::stoi(c[1]);
        clipboard_result = std::stoi(c[2]);
        failing_stage = std::stoi(c[3]);
        std::vector<std::string> args = driver_test::words(c[0]);
        args.insert(args.begin(), "vokdar");
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        harness::ScopedChdir in(dir.path());
        calls.clear();
        const int waits_before = key_wait_count();
        testing::internal::CaptureStdout();
        const int status = drive(static_cast<int>(args.size()), argv.data(), STAND_INS);
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(printed, c[6]);
        // A failed stage, and only that, ends the program with a failure.
        EXPECT_EQ(status, printed.find("has failed!\n") != std::string::npos ? EXIT_FAILED : EXIT_OK);
        EXPECT_EQ(calls, c[5]);
        EXPECT_EQ(key_wait_count() - waits_before, std::stoi(c[7]));
        // Only a finished run clears the intermediate files; nothing touches the result.
        const bool finished = failing_stage == 0 && calls.find("zvuki;") != std::string::npos;
        for (const std::string& name : intermediate)
            EXPECT_EQ(dir.exists(name), !finished && (c[4] == "*" || c[4] == name)) << name;
        EXPECT_EQ(dir.read("rech.wav"), "wav");
    });
}

TEST(Readconfig, LoadsAndRepairs)
{
    driver_test::for_each_case("driver/config.cases", 8, [](const std::vector<std::string>& c) {
        harness::TempDir dir;
        driver_test::place(dir, "vokdar.cfg", c[0]);
        harness::ScopedChdir in(dir.path());
        settings_defaults();
        testing::internal::CaptureStdout();
        EXPECT_EQ(Readconfig(), std::stoi(c[1]));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), driver_test::native(c[6]));
        EXPECT_EQ(Settings.speed, std::stoi(c[2]));
        EXPECT_EQ(Settings.volume, std::stof(c[3]));
        EXPECT_EQ(Settings.stutter, std::stof(c[4]));
        std::string voice = driver_test::native(c[5]);
        if (voice.ends_with('/'))
            voice.back() = PATH_SEPARATOR;
        EXPECT_EQ(std::string(Settings.voice), voice);
        EXPECT_EQ(Settings.reading, std::stoi(c[7]));
    });
}

// Repeated loads in one process never run the separator past the buffer.
TEST(Readconfig, RepeatedLoadsStayInsideTheVoiceBuffer)
{
    harness::TempDir dir;
    dir.write("vokdar.cfg", "100 3 10");
    harness::ScopedChdir in(dir.path());
    settings_defaults();
    for (int i = 0; i < 40; ++i)
        Readconfig();
    EXPECT_EQ(std::string(Settings.voice).size(), static_cast<std::size_t>(VOICE_BYTES - 1));
}

TEST(Setup, AsksAndWrites)
{
    driver_test::for_each_case("driver/setup.cases", 5, [](const std::vector<std::string>& c) {
        harness::TempDir dir;
        driver_test::place(dir, "vokdar.cfg", c[0]);
        std::string answers = c[1];
        std::FILE* in =
            answers.empty() ? std::fopen("/dev/null", "r") : fmemopen(answers.data(), answers.size(), "r");
        harness::ScopedChdir here(dir.path());
        settings_defaults();
        testing::internal::CaptureStdout();
        const int status = setup_dialogue(in);
        std::fclose(in);
        const std::string prompts = c[3] == "-" ? "" : driver_test::setup_prompts(driver_test::words(c[3]));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), prompts + c[4]);
        EXPECT_EQ(status, c[4].starts_with("Cannot") ? EXIT_FAILED : EXIT_OK);
        EXPECT_EQ(driver_test::found(dir, "vokdar.cfg"), c[2]);
    });
}

}  // namespace
