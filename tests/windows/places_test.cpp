// The working folder on Windows: the dictionary and the voice found beside
// vokdar.exe when the current folder has none, and one run per folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <windows.h>

#include "harness.h"
#include "test_voice.h"

namespace {

namespace fs = std::filesystem;

TEST(WindowsPlaces, DictionaryAndVoiceFoundBesideTheProgram)
{
    harness::TempDir dir;
    write_test_voice(dir, "prog");
    fs::create_directories(dir.file("work"));
    fs::copy_file(VOKDAR_BINARY, dir.file("prog/vokdar.exe"));
    dir.write("work/in.txt", harness::cp1251("мама"));
    const harness::RunResult r =
        harness::run_program(dir.file("prog/vokdar.exe"), dir.file("work"), {"in.txt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.find("is in none of"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("failed"), std::string::npos) << r.out;
    ASSERT_TRUE(dir.exists("work/rech.wav")) << r.out;
    // Two recordings and their joins: well past the header and the lead-in.
    EXPECT_GT(dir.read("work/rech.wav").size(), 44u + 2 * 998u + 4000u);
    EXPECT_FALSE(dir.exists("work/text.tmp") || dir.exists("work/replace.txt"));

    // Without them beside the program either, the run says where it looked.
    fs::remove(dir.file("prog/replace.txt"));
    const harness::RunResult none =
        harness::run_program(dir.file("prog/vokdar.exe"), dir.file("work"), {"in.txt"});
    EXPECT_NE(none.out.find("replace.txt is in none of: the current directory, "), std::string::npos)
        << none.out;
    EXPECT_NE(none.out.find("Second read has failed!"), std::string::npos) << none.out;
}

TEST(WindowsPlaces, OneRunPerFolder)
{
    harness::TempDir dir;
    dir.write("in.txt", harness::cp1251("мама"));
    const HANDLE held = CreateFileA(dir.file("vokdar.lock").c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    OVERLAPPED at = {};
    ASSERT_TRUE(LockFileEx(held, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at));
    const harness::RunResult busy = harness::run_vokdar(dir, {"in.txt"});
    EXPECT_EQ(busy.status, 1);
    EXPECT_EQ(busy.out, "vokdar is already running in this directory.\n");
    EXPECT_FALSE(dir.exists("text.tmp"));
    // The help writes nothing and runs beside a busy folder.
    EXPECT_EQ(harness::run_vokdar(dir, {"-h"}).status, 0);
    CloseHandle(held);
    // Let go, the next run takes the folder.
    // No dictionary here or beside the program: past the lock, the second
    // stage fails and says so.
    const harness::RunResult after = harness::run_vokdar(dir, {"in.txt"});
    EXPECT_EQ(after.status, 1);
    EXPECT_NE(after.out.find("Secondread initialized..."), std::string::npos)
        << after.out;
}

}  // namespace
