// The built program from the outside: failed runs, help, setup, the hand-off of
// rech.wav to stand-in programs, and clipboard capture ("-c") from a real X
// clipboard under Xvfb and from stand-in clipboard tools (cases:
// tests/data/driver/runs.cases, handoff.cases and clipboard.cases).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "driver/driver_internal.h"
#include "driver_test_support.h"
#include "harness.h"

namespace {

// The desktop's displays stay out of the runs: "-c" without a display asks for a
// file, and each clipboard case names the display it wants.
[[maybe_unused]] const int NO_DISPLAY = unsetenv("DISPLAY") + unsetenv("WAYLAND_DISPLAY");

TEST(Cli, RunsPrintAndKeepWhatTheyShould)
{
    driver_test::for_each_case("driver/runs.cases", 5, [](const std::vector<std::string>& c) {
        harness::TempDir dir;
        driver_test::place(dir, "vokdar.cfg", c[2]);
        for (const char* name : {"text.tmp", "text2.tmp", "slogi.tmp", "rech.txt"})
            dir.write(name, "stale");
        driver_test::install(dir, "lame", driver_test::recorder(dir.file("lame.args"), "here"));
        driver_test::install(dir, "wav", driver_test::recorder(dir.file("wav.args"), "here"));
        const harness::RunResult r = harness::run_vokdar(dir, driver_test::words(c[0]), {c[1], {}, "", 60});
        EXPECT_EQ(r.status, r.out.find("has failed!\n") != std::string::npos ? EXIT_FAILED : EXIT_OK);
        EXPECT_EQ(r.out, driver_test::native(c[4]));
        EXPECT_EQ(driver_test::found(dir, "vokdar.cfg"), c[3]);
        for (const char* name : {"text.tmp", "text2.tmp", "slogi.tmp", "rech.txt"})
            EXPECT_EQ(dir.read(name), "stale") << name;
        EXPECT_FALSE(dir.exists("lame.args") || dir.exists("wav.args") || dir.exists("rech.wav"));
    });
}

TEST(Cli, HandOffStartsTheRightProgram)
{
    driver_test::for_each_case("driver/handoff.cases", 6, [](const std::vector<std::string>& c) {
        harness::TempDir dir, bin, empty;
        std::vector<std::string> names;
        for (const std::string& tool : driver_test::words(c[1])) {  // where:name:tag
            const std::size_t colon = tool.find(':'), second = tool.find(':', colon + 1);
            const std::string where = tool.substr(0, colon);
            const std::string name = tool.substr(colon + 1, second - colon - 1);
            names.push_back(name);
            const std::string body = driver_test::recorder(dir.file(name + ".args"), tool.substr(second + 1));
            if (where == "here-dir")
                driver_test::place(dir, name, "<dir>");
            else
                driver_test::install(where == "path" ? bin : dir, name, body,
                                     where == "here-noexec" ? 0644 : 0755);
        }
        const std::string path = empty.path() + ":" + bin.path() + c[2];
        const harness::RunResult r = harness::run_vokdar(dir, driver_test::words(c[0]), {"", {}, path, 60});
        EXPECT_EQ(r.status, c[3] == "-" ? EXIT_FAILED : EXIT_OK);
        EXPECT_EQ(r.out, c[5]);
        if (c[3] != "-") {
            EXPECT_EQ(driver_test::wait_for_record(dir, c[3] + ".args"), c[4]);
        }
        for (const std::string& name : names)
            EXPECT_EQ(dir.exists(name + ".args"), name == c[3]) << name;
        EXPECT_FALSE(dir.exists("rech.wav"));  // nothing ran but the hand-off
    });
}

// A capture run: the clipboard read, or else the user asked, who answers "exit".
harness::RunResult capture(const harness::TempDir& dir, const std::vector<std::string>& env,
                           const std::string& path)
{
    return harness::run_vokdar(dir, {"-c"}, {"exit\n", env, path, 30});
}

// On a virtual X server: with nothing on the clipboard and with no server
// there, the old capture stays; then a text put there with xclip arrives.
TEST(Clipboard, XClipboardArrivesInCodePage1251)
{
    char xvfb_run[PROGRAM_PATH_BYTES], xclip[PROGRAM_PATH_BYTES];
    if (!find_program("xvfb-run", false, xvfb_run, sizeof xvfb_run) ||
        !find_program("xclip", false, xclip, sizeof xclip))
        GTEST_SKIP() << "xvfb-run or xclip not installed";
    harness::TempDir dir;
    dir.write("rech.txt", "old capture");
    dir.write("clip.in", "мама\nмыла a\r\nb Ёж — €5 日本 АЯаяёЁ№«»");
    dir.write("x.sh", R"(set -e
echo exit | "$1" -c > /dev/null 2>&1 || true; cp rech.txt empty.txt
echo exit | DISPLAY=/nonexistent/socket:0 "$1" -c > /dev/null 2>&1 || true; cp rech.txt nodisplay.txt
xclip -selection clipboard -i < clip.in > /dev/null 2>&1
for i in $(seq 200); do xclip -selection clipboard -o 2> /dev/null | cmp -s - clip.in && break; sleep 0.05; done
echo exit | "$1" -c > /dev/null || true
)");
    const harness::RunResult r =
        harness::run_program(xvfb_run, dir.path(), {"-a", "/bin/sh", "x.sh", VOKDAR_BINARY});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(dir.read("empty.txt"), "old capture");
    EXPECT_EQ(dir.read("nodisplay.txt"), "old capture");
    EXPECT_EQ(dir.read("rech.txt"), harness::cp1251("мама\r\nмыла a\r\r\nb Ёж — €5 ?? АЯаяёЁ№«» "));
    EXPECT_FALSE(dir.exists("rech.tmp"));
}

TEST(Clipboard, ToolsCaptureOrLeaveTheOldFile)
{
    driver_test::for_each_case("driver/clipboard.cases", 6, [](const std::vector<std::string>& c) {
        harness::TempDir dir, bin;
        bin.write("payload", c[2]);
        const std::string output = c[3] == "hang" ? "exec /bin/sleep 60"
                                                  : "/bin/cat '" + bin.file("payload") + "'\nexit " + c[3];
        driver_test::install(bin, c[1], driver_test::recorder(dir.file("tool.args"), c[1]) + "\n" + output);
        dir.write("rech.txt", "old capture");
        const harness::RunResult r = capture(dir, driver_test::words(c[0]), bin.path());
        // Nothing is spoken either way: the user answers "exit" where the
        // clipboard is not read, and there is no dictionary where it is.
        EXPECT_EQ(r.status, EXIT_FAILED);
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(dir.read("rech.txt"), c[4]);
        EXPECT_FALSE(dir.exists("rech.tmp"));
        if (c[5] == "-")
            EXPECT_FALSE(dir.exists("tool.args"));
        else
            EXPECT_EQ(driver_test::wait_for_record(dir, "tool.args"), c[1] + "\n" + c[5]);
    });
}

TEST(Clipboard, ALargeClipboardArrivesWhole)
{
    harness::TempDir dir, bin;
    std::string text;
    for (int i = 0; i < 300000; ++i)
        text += "я\n";
    bin.write("payload", text);
    driver_test::install(bin, "xclip", "exec /bin/cat '" + bin.file("payload") + "'");
    capture(dir, {"DISPLAY=:9"}, bin.path());
    // Compared as one value: a line diff of 900 kB would not fit in memory.
    EXPECT_TRUE(dir.read("rech.txt") == harness::cp1251(harness::crlf(text)) + " ");
}

}  // namespace
