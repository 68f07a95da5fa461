// Loading vokdar.cfg and the setup dialogue, on real files in a scratch directory.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "common/settings.h"
#include "driver/driver_internal.h"
#include "driver_test_support.h"
#include "harness.h"

namespace {

struct ConfigCase {
    const char* what;
    std::string file;  // vokdar.cfg as stored; empty: no file at all
    int result;
    int speed;
    float volume;
    float stutter;
    std::string voice;
};
void PrintTo(const ConfigCase& c, std::ostream* os) { *os << c.what; }

// A voice name of n letters.
std::string name_of(std::size_t n) { return std::string(n, 'v'); }

class ReadconfigTest : public testing::TestWithParam<ConfigCase> {};

TEST_P(ReadconfigTest, LoadsAndRepairs)
{
    const ConfigCase& c = GetParam();
    harness::TempDir dir;
    if (!c.file.empty())
        dir.write("vokdar.cfg", c.file);
    harness::ScopedChdir in(dir.path());
    settings_defaults();
    testing::internal::CaptureStdout();
    EXPECT_EQ(Readconfig(), c.result);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(Settings.speed, c.speed);
    EXPECT_EQ(Settings.volume, c.volume);
    EXPECT_EQ(Settings.stutter, c.stutter);
    EXPECT_EQ(std::string(Settings.voice), c.voice);
    EXPECT_EQ(out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadconfigTest,
    testing::Values(
        ConfigCase{"no file", "", 0, 100, 3.0f, 10.0f, "torvy/"},
        ConfigCase{"as written", "100\r\n3.000000\r\n10.000000\r\ntorvy\r\n", 1, 100, 3.0f, 10.0f, "torvy/"},
        ConfigCase{"all out of range", "250 5 30 anna", 1, 100, 3.0f, 10.0f, "anna/"},
        ConfigCase{"stutter suggested", "50\n2.5\n0.5\nanna\n", 1, 50, 2.5f, 5.0f, "anna/"},
        ConfigCase{"lower bounds", "0 0 1 anna", 1, 100, 0.0f, 1.0f, "anna/"},
        ConfigCase{"upper bounds", "200 4 21 anna", 1, 200, 4.0f, 21.0f, "anna/"},
        ConfigCase{"just outside", "201 4.0001 21.01 a", 1, 100, 3.0f, 10.0f, "a/"},
        ConfigCase{"negative", "-5 -0.5 -1 a", 1, 100, 3.0f, 10.0f, "a/"},
        ConfigCase{"no voice", "120 2 12", 1, 120, 2.0f, 12.0f, "torvy//"},
        ConfigCase{"slow speed, tiny stutter", "5 1 0.5 a", 1, 5, 1.0f, 0.5f, "a/"},
        ConfigCase{"odd speed", "7 1 0 a", 1, 7, 1.0f, 7 * 0.1f, "a/"},
        ConfigCase{"not a number first", "fast 2 12 anna", 1, 100, 3.0f, 10.0f, "torvy//"},
        ConfigCase{"stops at the bad value", "150 loud 12 anna", 1, 150, 3.0f, 10.0f, "torvy//"},
        ConfigCase{"empty file", " \r\n", 1, 100, 3.0f, 10.0f, "torvy//"},
        ConfigCase{"nan volume", "100 nan 10 a", 1, 100, 3.0f, 10.0f, "a/"},
        ConfigCase{"inf stutter", "100 3 inf a", 1, 100, 3.0f, 10.0f, "a/"},
        ConfigCase{"huge speed", "99999999999999 3 10 a", 1, 100, 3.0f, 10.0f, "a/"},
        ConfigCase{"signs and exponents", "+150\t2.5e0\t1e1\ta", 1, 150, 2.5f, 10.0f, "a/"},
        ConfigCase{"name ends in a separator", "100 3 10 anna/", 1, 100, 3.0f, 10.0f, "anna//"},
        ConfigCase{"words after the voice", "100 3 10 anna is nice", 1, 100, 3.0f, 10.0f, "anna/"},
        ConfigCase{"Ctrl-Z ends the file", "120 2\x1a 12 anna", 1, 120, 2.0f, 10.0f, "torvy//"},
        ConfigCase{"cyrillic voice", harness::cp1251("90 2 9 голос"), 1, 90, 2.0f, 9.0f,
                   harness::cp1251("голос/")},
        ConfigCase{"longest voice", "100 3 10 " + name_of(30), 1, 100, 3.0f, 10.0f, name_of(30) + "/"}),
    driver_test::case_name<ConfigCase>);

// A name that cannot hold its separator is refused whole, with one line saying so.
TEST(Readconfig, RefusesAVoiceTooLongForItsBuffer)
{
    for (const std::size_t length : {31u, 32u, 33u, 5000u}) {
        harness::TempDir dir;
        dir.write("vokdar.cfg", "120 2 12 " + name_of(length) + "\r\n");
        harness::ScopedChdir in(dir.path());
        settings_defaults();
        testing::internal::CaptureStdout();
        EXPECT_EQ(Readconfig(), 1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "The voice name in vokdar.cfg is longer than 30 characters! Using torvy/\n");
        EXPECT_EQ(Settings.speed, 120);
        EXPECT_EQ(std::string(Settings.voice), "torvy//") << length;
    }
}

TEST(Readconfig, ADirectoryIsNotASettingsFile)
{
    harness::TempDir dir;
    ASSERT_EQ(mkdir(dir.file("vokdar.cfg").c_str(), 0755), 0);
    harness::ScopedChdir in(dir.path());
    settings_defaults();
    EXPECT_EQ(Readconfig(), 0);
    EXPECT_EQ(std::string(Settings.voice), "torvy/");
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

struct SetupCase {
    const char* what;
    std::string before;  // vokdar.cfg before; empty: none
    std::string answers;
    std::string after;   // the values written, from the start of the file
};
void PrintTo(const SetupCase& c, std::ostream* os) { *os << c.what; }

// Runs the dialogue in dir on answers; returns what it printed.
std::string run_setup(const harness::TempDir& dir, const std::string& answers)
{
    harness::ScopedChdir in(dir.path());
    settings_defaults();
    std::string text = answers;
    std::FILE* in_stream = fmemopen(text.data(), text.size(), "r");
    if (text.empty())
        in_stream = std::fopen("/dev/null", "r");
    testing::internal::CaptureStdout();
    EXPECT_EQ(setup_dialogue(in_stream), 0);
    std::fclose(in_stream);
    return testing::internal::GetCapturedStdout();
}

const std::string STANDARD = "100\r\n3.000000\r\n10.000000\r\ntorvy\r\n";

class SetupTest : public testing::TestWithParam<SetupCase> {};

TEST_P(SetupTest, WritesTheAnswers)
{
    const SetupCase& c = GetParam();
    harness::TempDir dir;
    if (!c.before.empty())
        dir.write("vokdar.cfg", c.before);
    run_setup(dir, c.answers);
    // The file is rewritten from its start, not shortened: a longer old content keeps its tail.
    const std::string tail = c.before.size() > c.after.size() ? c.before.substr(c.after.size()) : "";
    EXPECT_EQ(dir.read("vokdar.cfg"), c.after + tail);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SetupTest,
    testing::Values(
        SetupCase{"all four", STANDARD, "150\n2.5\n15\nanna\n", "150\r\n2.500000\r\n15.000000\r\nanna\r\n"},
        SetupCase{"on one line", STANDARD, "150 2.5 15 anna", "150\r\n2.500000\r\n15.000000\r\nanna\r\n"},
        SetupCase{"speed clamped high", STANDARD, "300 3 10 torvy", "200\r\n3.000000\r\n10.000000\r\ntorvy\r\n"},
        SetupCase{"speed clamped low", STANDARD, "0 3 10 torvy", "1\r\n3.000000\r\n10.000000\r\ntorvy\r\n"},
        SetupCase{"volume low", STANDARD, "100 0.5 10 torvy", "100\r\n1.000000\r\n10.000000\r\ntorvy\r\n"},
        SetupCase{"volume high", STANDARD, "100 7 10 torvy", "100\r\n4.000000\r\n10.000000\r\ntorvy\r\n"},
        SetupCase{"volume nan", STANDARD, "100 nan 10 torvy", "100\r\n1.000000\r\n10.000000\r\ntorvy\r\n"},
        SetupCase{"stutter low", STANDARD, "100 3 0 torvy", "100\r\n3.000000\r\n1.000000\r\ntorvy\r\n"},
        SetupCase{"stutter high", STANDARD, "100 3 30 torvy", "100\r\n3.000000\r\n21.000000\r\ntorvy\r\n"},
        SetupCase{"end of input keeps all", "120\r\n2.000000\r\n12.000000\r\nanna\r\n", "",
                  "120\r\n2.000000\r\n12.000000\r\nanna\r\n"},
        SetupCase{"end of input after two", STANDARD, "150 2", "150\r\n2.000000\r\n10.000000\r\ntorvy\r\n"},
        SetupCase{"a word is taken by the voice", STANDARD, "fast\n",
                  "100\r\n3.000000\r\n10.000000\r\nfast\r\n"},
        SetupCase{"stored values clamped on the way out", "250 5 30 anna", "",
                  "200\r\n4.000000\r\n21.000000\r\nanna\r\n"},
        SetupCase{"stored file without a voice", "120 2 12", "", "120\r\n2.000000\r\n12.000000\r\ntorvy\r\n"},
        SetupCase{"voice typed as it is", STANDARD, "100 3 10 voices/anna/",
                  "100\r\n3.000000\r\n10.000000\r\nvoices/anna/\r\n"},
        SetupCase{"no file: made from the answers", "", "90 2 9 anna", "90\r\n2.000000\r\n9.000000\r\nanna\r\n"},
        SetupCase{"no file, no answers: the defaults", "", "", STANDARD},
        SetupCase{"old tail left behind", "100\r\n3.000000\r\n10.000000\r\nsomeverylongvoicename\r\n",
                  "100 3 10 ab", "100\r\n3.000000\r\n10.000000\r\nab\r\n"}),
    driver_test::case_name<SetupCase>);

TEST(Setup, PromptsShowTheStoredValuesAndTheSuggestion)
{
    harness::TempDir dir;
    dir.write("vokdar.cfg", "250\r\n5\r\n30\r\nanna\r\n");
    const std::string out = run_setup(dir, "300\n2\n30\nboris\n");
    EXPECT_EQ(out, driver_test::setup_prompts("250", "5.0", "30.0", "30.0", "anna"));
    EXPECT_EQ(dir.read("vokdar.cfg"), "200\r\n2.000000\r\n21.000000\r\nboris\r\n");
}

TEST(Setup, AShorterRewriteStillReadsAsTheNewValues)
{
    harness::TempDir dir;
    dir.write("vokdar.cfg", "150\r\n2.500000\r\n15.000000\r\nalongervoicename\r\n");
    run_setup(dir, "80 1.5 8 ann");
    harness::ScopedChdir in(dir.path());
    settings_defaults();
    ASSERT_EQ(Readconfig(), 1);
    EXPECT_EQ(Settings.speed, 80);
    EXPECT_EQ(Settings.volume, 1.5f);
    EXPECT_EQ(Settings.stutter, 8.0f);
    EXPECT_STREQ(Settings.voice, "ann/");
}

TEST(Setup, ATooLongVoiceAnswerKeepsTheVoice)
{
    harness::TempDir dir;
    dir.write("vokdar.cfg", STANDARD);
    const std::string out = run_setup(dir, "100 3 10 " + name_of(31) + "\n");
    EXPECT_NE(out.find("): The voice name is longer than 30 characters! Keeping torvy\n"), std::string::npos)
        << out;
    EXPECT_EQ(dir.read("vokdar.cfg"), STANDARD);
}

TEST(Setup, ADirectoryInPlaceOfTheSettingsFileIsLeftAlone)
{
    harness::TempDir dir;
    ASSERT_EQ(mkdir(dir.file("vokdar.cfg").c_str(), 0755), 0);
    EXPECT_EQ(run_setup(dir, "100 3 10 anna"), "Cannot open vokdar.cfg for writing!\n");
}

TEST(Setup, AReadOnlySettingsFileIsLeftAlone)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind root";
    harness::TempDir locked;
    locked.write("vokdar.cfg", "120 2 12 anna");
    ASSERT_EQ(chmod(locked.file("vokdar.cfg").c_str(), 0444), 0);
    EXPECT_EQ(run_setup(locked, "100 3 10 boris"), "Cannot open vokdar.cfg for writing!\n");
    EXPECT_EQ(locked.read("vokdar.cfg"), "120 2 12 anna");
}

}  // namespace
