// The stages side by side: a run whose stages read their input while the
// stage before still writes it makes the same stage files, the same speech
// and the same console bytes as a run of one stage after the other, in both
// readings; a stage that fails while the next one waits for its output ends
// the run as it always has, and nothing hangs.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "common/datadirs.h"
#include "common/settings.h"
#include "driver/driver_internal.h"
#include "driver/stage_files.h"
#include "driver_test_support.h"
#include "harness.h"

namespace {

// A voice of a few short recordings (most syllables of the text have none,
// so the console tells of them between the bar's marks), and a text of
// several hundred kB of words, numbers, sentences and paragraphs.
void make_run(const harness::TempDir& dir, int reading, std::size_t text_bytes)
{
    std::filesystem::create_directories(dir.file("torvy"));
    for (const char* name : {"ma", "na", "ta", "ka", "la", "ra", "a", "o"}) {
        std::string pcm;
        for (int i = 0; i < 64; ++i) {
            const auto v = static_cast<std::uint16_t>((i * 911) % 16000 - 8000);
            pcm += static_cast<char>(v & 0xFF);
            pcm += static_cast<char>(v >> 8);
        }
        dir.write(std::string("torvy/") + name + ".pcm", pcm);
    }
    dir.write("replace.txt", "$\n");
    dir.write("vokdar.cfg", "200 3 10 torvy " + std::to_string(reading));
    const std::vector<std::string> words = {"мама", "рама", "кот", "глава", "дом", "мыла", "книга", "окно",
                                            "ТАСС", "на", "в", "2024", "3,14", "XIX", "т. е.", "Linux"};
    const std::vector<std::string> marks = {" ", " ", " ", " ", ", ", ". ", "! ", "? ", " - ", ".\n\n"};
    std::mt19937 random(7);
    std::string text;
    while (text.size() < text_bytes) {
        text += harness::cp1251(words[random() % words.size()]);
        text += marks[random() % marks.size()];
    }
    dir.write("in.txt", text);
}

struct Outcome {
    int result = 0;
    std::string console;
    std::vector<std::string> files;
};

const std::vector<std::string> RUN_FILES = {"text.tmp", "text2.tmp", "slogi.tmp", "rech.wav"};

// The four stages in dir, one after the other or side by side (the sound
// stage too): what they returned, said and wrote.
Outcome run_stages(const harness::TempDir& dir, bool side_by_side)
{
    harness::ScopedChdir in(dir.path());
    settings_defaults();
    data_places_reset();
    readconfig_found();
    Outcome o;
    testing::internal::CaptureStdout();
    if (side_by_side) {
        pipeline_start("in.txt", true);
        o.result = firstread_side_by_side("in.txt") && secondread_side_by_side() && slogi_side_by_side() &&
                   zvuki_side_by_side();
        pipeline_stop();
    } else {
        o.result = firstread_files("in.txt") && secondread_found() && slogi_files() && zvuki_found();
    }
    o.console = testing::internal::GetCapturedStdout();
    for (const std::string& name : RUN_FILES)
        o.files.push_back(dir.exists(name) ? dir.read(name) : "<none>");
    return o;
}

TEST(SideBySide, MakesWhatOneStageAfterTheOtherMakes)
{
    for (const int reading : {READING_ORIGINAL, READING_EVERYDAY}) {
        SCOPED_TRACE(reading);
        harness::TempDir dir;
        make_run(dir, reading, 300 * 1024);
        const Outcome alone = run_stages(dir, false);
        const Outcome beside = run_stages(dir, true);
        ASSERT_EQ(alone.result, 1) << alone.console.substr(0, 400);
        EXPECT_EQ(beside.result, 1);
        EXPECT_GT(alone.files[2].size(), 200000u);
        EXPECT_NE(alone.console.find("slog\n"), std::string::npos);  // the voice lacks some syllables
        EXPECT_TRUE(beside.console == alone.console) << beside.console.size() << " vs " << alone.console.size();
        for (std::size_t i = 0; i < RUN_FILES.size(); ++i)
            EXPECT_TRUE(beside.files[i] == alone.files[i]) << RUN_FILES[i];
    }
}

// A stage that fails while the next waits for its first bytes: the run ends
// with its message and its status, the stages after it say nothing, and an
// earlier speech stays as it was.
TEST(SideBySide, AFailedStageStopsTheOnesWaitingForIt)
{
    harness::TempDir dir;
    make_run(dir, READING_EVERYDAY, 20000);
    dir.write("rech.wav", "an earlier speech");
    std::filesystem::remove(dir.file("replace.txt"));
    auto r = harness::run_vokdar(dir, {"in.txt", "-p"}, {"", {"XDG_DATA_HOME=" + dir.file("none")}, "/nowhere", 60});
    EXPECT_EQ(r.status, EXIT_FAILED);
    EXPECT_FALSE(r.timed_out);
    EXPECT_NE(r.out.find("Secondread initialized...\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Replacement open fail on second read!Second read has failed!\n"), std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("Slogi initialized"), std::string::npos) << r.out;
    EXPECT_EQ(dir.read("rech.wav"), "an earlier speech");

    // The first stage cannot make text.tmp: the second never starts reading.
    dir.write("replace.txt", "$\n");
    std::filesystem::remove(dir.file("text.tmp"));
    std::filesystem::create_directory(dir.file("text.tmp"));
    r = harness::run_vokdar(dir, {"in.txt", "-p"}, {"", {}, "/nowhere", 60});
    EXPECT_EQ(r.status, EXIT_FAILED);
    EXPECT_FALSE(r.timed_out);
    EXPECT_NE(r.out.find("First read has failed!\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Secondread initialized"), std::string::npos) << r.out;
    EXPECT_EQ(dir.read("rech.wav"), "an earlier speech");
}

}  // namespace
