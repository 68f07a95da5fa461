// Clipboard capture ("-c"): a real X clipboard under Xvfb with xclip, and
// stand-in clipboard tools for the Wayland path, failures and hangs.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "driver/driver_internal.h"
#include "driver_test_support.h"
#include "harness.h"

namespace {

using driver_test::no_display;

bool installed(const char* name)
{
    char path[PROGRAM_PATH_BYTES];
    return find_program(name, false, path, sizeof path);
}

// Starts a program with stdin from in_file (or /dev/null), output discarded.
pid_t start(const std::vector<std::string>& args, const std::string& in_file, int keep_fd = -1)
{
    std::vector<char*> argv;
    std::vector<std::string> copy = args;
    for (auto& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open(in_file.empty() ? "/dev/null" : in_file.c_str(), O_RDONLY);
        const int null = open("/dev/null", O_WRONLY);
        dup2(in, 0);
        dup2(null, 1);
        dup2(null, 2);
        for (int fd = 3; fd < 1024; ++fd)
            if (fd != keep_fd)
                close(fd);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

int finish(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A virtual X server on a display of its own choosing, for one test.
class VirtualDisplay {
public:
    VirtualDisplay()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid_ = start({"Xvfb", "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp", "-screen", "0",
                      "320x240x24"},
                     "", fds[1]);
        close(fds[1]);
        // The server writes its display number once it accepts clients.
        std::string number;
        pollfd p = {fds[0], POLLIN, 0};
        while (poll(&p, 1, 20000) > 0) {
            char c;
            if (read(fds[0], &c, 1) != 1 || c == '\n')
                break;
            number += c;
        }
        close(fds[0]);
        if (!number.empty())
            name_ = ":" + number;
    }
    ~VirtualDisplay()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            finish(pid_);
        }
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

// Puts utf8 on the display's clipboard and waits until it can be read back.
bool set_clipboard(const harness::TempDir& dir, const std::string& display, const std::string& utf8)
{
    dir.write("clip.in", utf8);
    setenv("DISPLAY", display.c_str(), 1);
    finish(start({"xclip", "-selection", "clipboard", "-i"}, dir.file("clip.in")));
    for (int i = 0; i < 200; ++i) {
        const harness::RunResult r = harness::run_program("/bin/sh", dir.path(),
                                                          {"-c", "xclip -selection clipboard -o > clip.out"});
        if (r.status == 0 && dir.read("clip.out") == utf8)
            return true;
        usleep(25000);
    }
    return false;
}

// A capture run: the clipboard read, or else the user asked, who answers "exit".
harness::RunResult capture(const harness::TempDir& dir, const std::vector<std::string>& env = {},
                           const std::string& path = "", int timeout_seconds = 60)
{
    return harness::run_vokdar(dir, {"-c"}, driver_test::run_options("exit\n", env, path, timeout_seconds));
}

struct ClipboardCase {
    const char* what;
    std::string clipboard;  // UTF-8, as the desktop holds it
    std::string expected;   // rech.txt
};

const std::vector<ClipboardCase> CONVERSIONS = {
    {"three letters", "abc", "abc "},
    {"two lines", "мама\nмыла", harness::cp1251("мама") + "\r\n" + harness::cp1251("мыла") + " "},
    {"clipboard line ends", "a\r\nb", "a\r\r\nb "},
    {"no code page form", "Ёж — €5 日本", "\xA8\xE6 \x97 \x88" "5 ?? "},
    {"whole alphabet", "АЯаяёЁ№«»", "\xC0\xDF\xE0\xFF\xB8\xA8\xB9\xAB\xBB "},
};

TEST(Clipboard, XClipboardArrivesInCodePage1251)
{
    if (!installed("Xvfb") || !installed("xclip"))
        GTEST_SKIP() << "Xvfb or xclip not installed";
    no_display scrub;
    VirtualDisplay x;
    ASSERT_FALSE(x.name().empty()) << "Xvfb did not start";
    for (const ClipboardCase& c : CONVERSIONS) {
        harness::TempDir dir;
        ASSERT_TRUE(set_clipboard(dir, x.name(), c.clipboard)) << c.what;
        dir.write("rech.txt", "old capture");
        const harness::RunResult r = capture(dir);
        EXPECT_EQ(r.status, 0);
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(dir.read("rech.txt"), c.expected) << c.what;
        EXPECT_FALSE(dir.exists("rech.tmp"));
    }
    unsetenv("DISPLAY");
}

TEST(Clipboard, AnEmptyXClipboardLeavesTheOldCapture)
{
    if (!installed("Xvfb") || !installed("xclip"))
        GTEST_SKIP() << "Xvfb or xclip not installed";
    no_display scrub;
    VirtualDisplay x;
    ASSERT_FALSE(x.name().empty()) << "Xvfb did not start";
    harness::TempDir dir;
    dir.write("rech.txt", "old capture");
    const harness::RunResult r = capture(dir, {"DISPLAY=" + x.name()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(dir.read("rech.txt"), "old capture");
    EXPECT_FALSE(dir.exists("rech.tmp"));
    EXPECT_EQ(r.out.substr(0, 45), "There is no vokdar.cfg file! Using Default...");
}

TEST(Clipboard, ADisplayThatIsNotThereLeavesTheOldCapture)
{
    if (!installed("xclip"))
        GTEST_SKIP() << "xclip not installed";
    no_display scrub;
    harness::TempDir dir;
    dir.write("rech.txt", "old capture");
    const harness::RunResult r = capture(dir, {"DISPLAY=/nonexistent/socket:0"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(dir.read("rech.txt"), "old capture");
}

// Stand-in clipboard tools on a PATH of their own.
struct ToolCase {
    const char* what;
    std::vector<std::string> env;
    const char* tool;         // the name it is installed under
    std::string output;       // what it writes
    int status;               // its exit status
    bool hangs;               // it never ends
    std::string arguments;    // the arguments it must get; empty: must not run
    std::string expected;     // rech.txt afterwards
};
void PrintTo(const ToolCase& c, std::ostream* os) { *os << c.what; }

const std::string OLD = "old capture";

const std::vector<ToolCase> TOOLS = {
    {"wayland", {"WAYLAND_DISPLAY=wayland-9"}, "wl-paste", "привет\n", 0, false, "--no-newline\n",
     harness::cp1251("привет") + "\r\n "},
    {"x with xclip", {"DISPLAY=:9"}, "xclip", "abc", 0, false, "-selection\nclipboard\n-o\n", "abc "},
    {"x with xsel", {"DISPLAY=:9"}, "xsel", "abc", 0, false, "--clipboard\n--output\n", "abc "},
    {"wayland without wl-paste uses x", {"WAYLAND_DISPLAY=wayland-9", "DISPLAY=:9"}, "xclip", "x", 0, false,
     "-selection\nclipboard\n-o\n", "x "},
    {"no display for the tool", {"WAYLAND_DISPLAY=wayland-9"}, "xclip", "x", 0, false, "", OLD},
    {"empty display", {"DISPLAY="}, "xclip", "x", 0, false, "", OLD},
    {"tool fails", {"DISPLAY=:9"}, "xclip", "partial", 1, false, "-selection\nclipboard\n-o\n", OLD},
    {"tool hangs", {"DISPLAY=:9"}, "xclip", "partial", 0, true, "-selection\nclipboard\n-o\n", OLD},
    {"empty clipboard text", {"DISPLAY=:9"}, "xclip", "", 0, false, "-selection\nclipboard\n-o\n", " "},
    {"text ends at a zero byte", {"DISPLAY=:9"}, "xclip", std::string("ab\0cd", 5), 0, false,
     "-selection\nclipboard\n-o\n", "ab "},
    {"broken utf-8", {"DISPLAY=:9"}, "xclip", "a\xFF" "b\xD0", 0, false, "-selection\nclipboard\n-o\n", "a?b? "},
};

class ClipboardToolTest : public testing::TestWithParam<ToolCase> {};

TEST_P(ClipboardToolTest, CapturesOrLeavesTheOldFile)
{
    const ToolCase& c = GetParam();
    no_display scrub;
    harness::TempDir dir, bin;
    bin.write("payload", c.output);
    bin.write(c.tool, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + dir.file("tool.args") + "'\n" +
                          (c.hangs ? "exec /bin/sleep 60\n"
                                   : "/bin/cat '" + bin.file("payload") + "'\nexit " + std::to_string(c.status) +
                                         "\n"));
    chmod(bin.file(c.tool).c_str(), 0755);
    dir.write("rech.txt", OLD);
    const harness::RunResult r = capture(dir, c.env, bin.path(), 30);
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(dir.read("rech.txt"), c.expected);
    EXPECT_FALSE(dir.exists("rech.tmp"));
    if (c.arguments.empty())
        EXPECT_FALSE(dir.exists("tool.args"));
    else
        EXPECT_EQ(driver_test::wait_for_record(dir.file("tool.args")), c.arguments);
}

INSTANTIATE_TEST_SUITE_P(Tools, ClipboardToolTest, testing::ValuesIn(TOOLS),
                         driver_test::case_name<ToolCase>);

TEST(Clipboard, ALargeClipboardArrivesWhole)
{
    no_display scrub;
    harness::TempDir dir, bin;
    std::string text;
    for (int i = 0; i < 300000; ++i)
        text += "я\n";
    bin.write("payload", text);
    bin.write("xclip", "#!/bin/sh\nexec /bin/cat '" + bin.file("payload") + "'\n");
    chmod(bin.file("xclip").c_str(), 0755);
    const harness::RunResult r = capture(dir, {"DISPLAY=:9"}, bin.path());
    EXPECT_EQ(r.status, 0);
    std::string expected;
    for (int i = 0; i < 300000; ++i)
        expected += "\xFF\r\n";
    EXPECT_EQ(dir.read("rech.txt"), expected + " ");
}

}  // namespace
