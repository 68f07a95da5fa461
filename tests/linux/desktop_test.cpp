// vokdar on a Linux desktop: the settings, dictionary and voice found beyond
// the working directory, one run per directory, --help and --version, and a
// rech.wav that describes itself when its run is killed.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "common/datadirs.h"
#include "harness.h"

namespace {

using harness::cp1251;

const std::string BUSY = "vokdar is already running in this directory.\n";

// A voice of one recording, "ма", under the directory at.
void make_voice(const harness::TempDir& dir, const std::string& at)
{
    std::filesystem::create_directories(dir.file(at));
    std::string pcm;
    for (int i = 0; i < 3000; ++i) {
        const auto v = static_cast<std::uint16_t>((i * 37) % 20000 - 10000);
        pcm += static_cast<char>(v & 0xFF);
        pcm += static_cast<char>(v >> 8);
    }
    dir.write(at + "/ma.pcm", pcm);
}

void make_file(const harness::TempDir& dir, const std::string& name, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(dir.file(name)).parent_path());
    dir.write(name, bytes);
}

// Base directories that all lie inside home, so nothing of the machine's own is found.
harness::RunOptions inside(const harness::TempDir& home)
{
    harness::RunOptions o;
    o.env = {"HOME=" + home.path(), "XDG_CONFIG_HOME=" + home.file("config"),
             "XDG_DATA_HOME=" + home.file("data"),
             "XDG_DATA_DIRS=" + home.file("system1") + ":" + home.file("system2")};
    return o;
}

const std::string SETTINGS = "100\r\n1.500000\r\n10.000000\r\ntorvy\r\n";
const std::string DICTIONARY = "$\n";

std::uint32_t u32_at(const std::string& b, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8 |
                                      static_cast<unsigned char>(b[at + 2]) << 16 |
                                      static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24);
}

// Settings from the configuration home, the dictionary from the data home,
// the voice from the second system directory: the same speech as with all
// three in the working directory. Each place yields to the one before it.
TEST(DataPlaces, FoundBeyondTheWorkingDirectoryInOrder)
{
    harness::TempDir here;
    here.write("in.txt", cp1251("мама мама."));
    here.write("vokdar.cfg", SETTINGS);
    here.write("replace.txt", DICTIONARY);
    make_voice(here, "torvy");
    const auto local = harness::run_vokdar(here, {"in.txt"});
    ASSERT_EQ(local.status, 0) << local.out;
    const std::string speech = here.read("rech.wav");

    harness::TempDir home, work;
    work.write("in.txt", cp1251("мама мама."));
    make_file(home, "config/vokdar/vokdar.cfg", SETTINGS);
    make_file(home, "data/vokdar/replace.txt", DICTIONARY);
    make_voice(home, "system2/vokdar/torvy");
    auto run = harness::run_vokdar(work, {"in.txt"}, inside(home));
    EXPECT_EQ(run.out, local.out);
    EXPECT_TRUE(work.read("rech.wav") == speech);
    for (const char* made_elsewhere : {"vokdar.cfg", "replace.txt", "torvy"})
        EXPECT_FALSE(work.exists(made_elsewhere)) << made_elsewhere;

    // The data home comes before the system directories (its empty voice
    // is taken, and speaks nothing)...
    std::filesystem::create_directories(home.file("data/vokdar/torvy"));
    run = harness::run_vokdar(work, {"in.txt"}, inside(home));
    EXPECT_NE(run.out.find("data/vokdar/torvy/: the voice has no recordings"), std::string::npos) << run.out;
    EXPECT_EQ(run.status, 1);
    // ...and the working directory before everything.
    make_voice(work, "torvy");
    run = harness::run_vokdar(work, {"in.txt"}, inside(home));
    EXPECT_EQ(run.out, local.out);
    EXPECT_TRUE(work.read("rech.wav") == speech);
}

// Found nowhere: the messages name every place looked in, in order.
TEST(DataPlaces, MissingFilesNameWhereTheyWereLookedFor)
{
    harness::TempDir home, work;
    work.write("in.txt", cp1251("мама."));
    const std::string places = " is in none of: the current directory, " + home.file("data/vokdar/") + ", " +
                               home.file("system1/vokdar/") + ", " + home.file("system2/vokdar/");
    auto run = harness::run_vokdar(work, {"in.txt"}, inside(home));
    EXPECT_NE(run.out.find("replace.txt" + places), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Second read has failed!"), std::string::npos) << run.out;

    work.write("replace.txt", DICTIONARY);
    run = harness::run_vokdar(work, {"in.txt"}, inside(home));
    EXPECT_NE(run.out.find("torvy/" + places), std::string::npos) << run.out;
}

// The search list itself: the defaults of the base directory rules, relative
// entries passed over, no directory twice, the installed one last.
TEST(DataPlaces, SearchListFollowsTheBaseDirectoryRules)
{
    const auto keep = [](const char* name) {
        const char* v = std::getenv(name);
        return std::pair<std::string, bool>(v ? v : "", v != nullptr);
    };
    const char* names[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS"};
    std::pair<std::string, bool> saved[4];
    for (int i = 0; i < 4; ++i)
        saved[i] = keep(names[i]);

    setenv("HOME", "/h", 1);
    unsetenv("XDG_CONFIG_HOME");
    setenv("XDG_DATA_HOME", "relative", 1);
    unsetenv("XDG_DATA_DIRS");
    static DataDirs dirs;
    data_search_dirs(DataKind::data, dirs);
    ASSERT_GE(dirs.count, 3);
    EXPECT_STREQ(dirs.dir[0], "/h/.local/share/vokdar/");
    EXPECT_STREQ(dirs.dir[1], "/usr/local/share/vokdar/");
    EXPECT_STREQ(dirs.dir[2], "/usr/share/vokdar/");
    data_search_dirs(DataKind::settings, dirs);
    EXPECT_STREQ(dirs.dir[0], "/h/.config/vokdar/");

    setenv("XDG_CONFIG_HOME", "/c/", 1);
    setenv("XDG_DATA_DIRS", "/a:rel::/b/:/a/", 1);
    data_search_dirs(DataKind::settings, dirs);
    ASSERT_GE(dirs.count, 3);
    EXPECT_STREQ(dirs.dir[0], "/c/vokdar/");
    EXPECT_STREQ(dirs.dir[1], "/a/vokdar/");
    EXPECT_STREQ(dirs.dir[2], "/b/vokdar/");
    for (int i = 0; i < dirs.count; ++i)
        for (int j = i + 1; j < dirs.count; ++j)
            EXPECT_STRNE(dirs.dir[i], dirs.dir[j]);
    // The installed data directory closes the list; the program's own
    // directory decides it, so this test program's stands in for it.
    EXPECT_STREQ(dirs.dir[dirs.count - 1], VOKDAR_FULL_DATADIR_FOR_TEST "/");

    for (int i = 0; i < 4; ++i)
        saved[i].second ? setenv(names[i], saved[i].first.c_str(), 1) : unsetenv(names[i]);
}

// A second run waits for nothing and touches nothing; the help still works.
TEST(OneRunPerDirectory, ASecondRunTouchesNothing)
{
    harness::TempDir dir;
    dir.write("in.txt", cp1251("мама."));
    dir.write("replace.txt", DICTIONARY);
    dir.write("rech.wav", "old");
    make_voice(dir, "torvy");
    const int fd = open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    for (const auto& args : std::vector<std::vector<std::string>>{{"in.txt"}, {}, {"-c"}, {"-s"}}) {
        harness::RunOptions typed;
        typed.input = "in.txt\n";
        const auto run = harness::run_vokdar(dir, args, typed);
        EXPECT_EQ(run.out, BUSY);
        EXPECT_EQ(run.status, 1);
    }
    for (const char* untouched : {"text.tmp", "text2.tmp", "slogi.tmp", "vokdar.cfg", "rech.txt", "vokdar.lock"})
        EXPECT_FALSE(dir.exists(untouched)) << untouched;
    EXPECT_EQ(dir.read("rech.wav"), "old");
    EXPECT_EQ(harness::run_vokdar(dir, {"-h"}).out.substr(0, 10), "***HELP***");

    close(fd);
    const auto run = harness::run_vokdar(dir, {"in.txt"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.find(BUSY), std::string::npos);
    EXPECT_NE(dir.read("rech.wav"), "old");
    // The lock was the directory's own: no file is left behind.
    EXPECT_FALSE(dir.exists("vokdar.lock"));
}

// The player started after a run does not inherit the lock: the next run
// goes ahead while it still plays.
TEST(OneRunPerDirectory, TheLockEndsWithTheProcess)
{
    harness::TempDir dir;
    dir.write("in.txt", cp1251("мама."));
    dir.write("replace.txt", DICTIONARY);
    make_voice(dir, "torvy");
    dir.write("wav", "#!/bin/sh\nexec >/dev/null 2>&1\nsleep 3\n");
    ASSERT_EQ(chmod(dir.file("wav").c_str(), 0755), 0);
    auto run = harness::run_vokdar(dir, {"in.txt", "-p"});
    ASSERT_EQ(run.status, 0) << run.out;
    run = harness::run_vokdar(dir, {"in.txt"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.find(BUSY), std::string::npos) << run.out;
}

TEST(GnuOptions, HelpAndVersionAndAFileNamedLikeThem)
{
    harness::TempDir dir;
    auto run = harness::run_vokdar(dir, {"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* part : {"Usage: vokdar", "vokdar FILE ", "\n  vokdar            ask", "vokdar -c", "vokdar-dict"})
        EXPECT_NE(run.out.find(part), std::string::npos) << part << "\n" << run.out;
    run = harness::run_vokdar(dir, {"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("vokdar " VOKDAR_VERSION_FOR_TEST "\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("icen"), std::string::npos) << run.out;
    for (const char* made : {"text.tmp", "vokdar.lock", "rech.wav"})
        EXPECT_FALSE(dir.exists(made)) << made;

    dir.write("--help", cp1251("мама."));
    dir.write("replace.txt", DICTIONARY);
    make_voice(dir, "torvy");
    run = harness::run_vokdar(dir, {"./--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.find("Usage"), std::string::npos) << run.out;
    EXPECT_GT(dir.read("rech.wav").size(), 44u + 2 * 998);
}

// Killed while it writes, a run leaves a WAV file whose header describes the
// samples on disk, which sox reads; and the lock has gone with it.
TEST(CrashSafeOutput, AKilledRunLeavesAWavFileThatDescribesItself)
{
    harness::TempDir dir;
    std::string text;
    while (text.size() < 1000000)
        text += cp1251("мама мама, мама. ");
    dir.write("in.txt", text);
    dir.write("replace.txt", DICTIONARY);
    make_voice(dir, "torvy");

    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        if (null < 0 || chdir(dir.path().c_str()) != 0)
            _exit(127);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execl(VOKDAR_BINARY, VOKDAR_BINARY, "in.txt", static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    int status = 0;
    bool ended = false;
    while (std::chrono::steady_clock::now() < deadline) {
        std::error_code ec;
        if (std::filesystem::file_size(dir.file("rech.wav"), ec) > (3u << 20) && !ec)
            break;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            ended = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_FALSE(ended) << "the run ended before it could be killed";
    kill(pid, SIGKILL);
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));

    const std::string wav = dir.read("rech.wav");
    const std::uint32_t data = u32_at(wav, 40);
    EXPECT_EQ(wav.substr(0, 4) + wav.substr(8, 4) + wav.substr(36, 4), "RIFFWAVEdata");
    EXPECT_EQ(u32_at(wav, 4), data + 36);
    // Every sample the header counts is on disk; at most the write the kill
    // interrupted lies beyond them.
    EXPECT_LE(data, wav.size() - 44);
    EXPECT_LE(wav.size() - 44 - data, 256u << 10);
    EXPECT_GT(data, 2u << 20);
    EXPECT_EQ(data % 2, 0u);
    const auto soxi = harness::run_program("/usr/bin/soxi", dir.path(), {"-s", "rech.wav"});
    EXPECT_EQ(soxi.status, 0) << soxi.out;
    EXPECT_EQ(soxi.out, std::to_string(data / 2) + "\n");

    const int fd = open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    close(fd);
}

}  // namespace
