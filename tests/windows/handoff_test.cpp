// The hand-off on Windows: lame.exe and wav.exe found in the current folder,
// then on PATH, and started with CreateProcess while vokdar ends at once; a
// player that reads standard input fed while the speech is made.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"
#include "test_voice.h"

namespace {

namespace fs = std::filesystem;

// What a stand-in wrote, once it has; empty when it never did.
std::string record_of(const harness::TempDir& dir, const std::string& name)
{
    for (int i = 0; i < 200 && !dir.exists(name + ".args"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    try {
        return dir.exists(name + ".args") ? dir.read(name + ".args") : "";
    } catch (const std::runtime_error&) {
        return "";  // just put in its place, and not yet to be opened under wine
    }
}

TEST(WindowsHandOff, FindsAndStartsTheRightProgram)
{
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> here;    // stand-ins in the current folder
        std::vector<std::string> onpath;  // stand-ins in a folder on PATH
        std::string started;              // the one that must run ("" none)
        std::string where;                // "here" or "onpath"
        std::string record;               // its arguments, one a line
        std::string printed;
    } cases[] = {
        {{"-m"}, {"lame.exe"}, {"lame.exe"}, "lame", "here",
         "lame.exe\n--preset\nvoice\nrech.wav\nrech.mp3\n", ""},
        {{"-m", "x"}, {}, {"lame.exe"}, "lame", "onpath",
         "lame.exe\n--preset\nvoice\nrech.wav\nrech.mp3\n", ""},
        {{"-m"}, {"wav.exe"}, {"wav.exe"}, "", "", "", "\nLame.exe not fownd!!\n\n"},
        // rech.wav need not exist.
        {{"-p"}, {"wav.exe"}, {"wav.exe"}, "wav", "here", "wav.exe\nrech.wav\n", ""},
        {{"-p"}, {}, {"wav.exe"}, "wav", "onpath", "wav.exe\nrech.wav\n", ""},
        {{"-p"}, {"lame.exe"}, {}, "", "", "", "\nwav.exe not fownd!!\n\n"},
        // No other extension is tried.
        {{"-p"}, {"wav.com", "wav"}, {"wav.bat"}, "", "", "", "\nwav.exe not fownd!!\n\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.started + " " + c.where);
        harness::TempDir dir;
        fs::create_directory(dir.file("onpath"));
        for (const auto& name : c.here)
            fs::copy_file(VOKDAR_STANDIN, dir.file(name));
        for (const auto& name : c.onpath)
            fs::copy_file(VOKDAR_STANDIN, dir.file("onpath/" + name));
        harness::RunOptions options;
        options.path_env = fs::path(dir.file("onpath")).make_preferred().string() + ";C:\\windows\\system32";
        const harness::RunResult r = harness::run_vokdar(dir, c.args, options);
        // Nothing to hand rech.wav to is a failed action.
        EXPECT_EQ(r.status, c.started.empty() ? 1 : 0);
        EXPECT_EQ(r.out, c.printed);
        if (c.started.empty()) {
            EXPECT_FALSE(dir.exists("lame.args") || dir.exists("wav.args"));
            continue;
        }
        const std::string folder = c.where == "here" ? fs::path(dir.path()).filename().string() : "onpath";
        EXPECT_EQ(record_of(dir, c.started), folder + "\n" + c.record);
    }
}

// -p with SoX's player on PATH and no wav.exe of the user's own: the player
// reads the speech from its standard input while it is made, as a WAV stream
// of unknown length whose samples are rech.wav's.
TEST(WindowsHandOff, ThePlayerHearsTheSpeechWhileItIsMade)
{
    harness::TempDir dir;
    write_test_voice(dir, "");
    fs::create_directories(dir.file("onpath"));
    fs::copy_file(VOKDAR_STANDIN, dir.file("onpath/play.exe"));
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "мама мама. ";
    dir.write("in.txt", harness::cp1251(text));
    harness::RunOptions options;
    options.path_env = fs::path(dir.file("onpath")).make_preferred().string() + ";C:\\windows\\system32";
    const harness::RunResult r = harness::run_vokdar(dir, {"in.txt", "-p"}, options);
    ASSERT_EQ(r.status, 0) << r.out;
    // The player goes on after vokdar has ended: its record, once it can be read.
    std::string record;
    for (int i = 0; i < 200 && record.empty(); ++i) {
        record = record_of(dir, "play");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(record, "onpath\nplay.exe\n-q\n-t\nwav\n-\n");
    const std::string heard = dir.read("play.stdin"), wav = dir.read("rech.wav");
    ASSERT_GT(heard.size(), 44u);
    EXPECT_EQ(heard.substr(0, 4) + heard.substr(8, 4) + heard.substr(36, 4), "RIFFWAVEdata");
    EXPECT_EQ(heard.substr(4, 4), "\xFF\xFF\xFF\xFF");
    EXPECT_EQ(heard.substr(12, 24), wav.substr(12, 24));
    EXPECT_TRUE(heard.substr(44) == wav.substr(44)) << heard.size() << " heard of " << wav.size();
}

}  // namespace
