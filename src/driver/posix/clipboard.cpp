// Clipboard capture on POSIX desktops: the clipboard text, read by the
// desktop's clipboard tool, into rech.txt in code page 1251.
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/cp1251.h"
#include "common/sysfile.h"
#include "common/textfile.h"
#include "driver/driver_internal.h"

extern char** environ;

namespace {

constexpr const char* CAPTURE_NAME = "rech.txt";
// Written first and renamed over rech.txt only when the whole text is in.
constexpr const char* PARTIAL_NAME = "rech.tmp";
// A clipboard tool that stays silent this long is taken as hung.
constexpr int TOOL_IDLE_MS = 5000;
// However it trickles, a capture ends after this long.
constexpr int TOOL_TOTAL_MS = 60000;
constexpr std::size_t PIPE_CHUNK_BYTES = 16384;  // one read from the tool

// The clipboard readers, in order of preference; each needs its display.
struct ClipboardTool {
    const char* display;  // the environment variable that names the display
    const char* args[5];  // the program's name first
};
constexpr ClipboardTool TOOLS[] = {
    {"WAYLAND_DISPLAY", {"wl-paste", "--no-newline", nullptr}},
    {"DISPLAY", {"xclip", "-selection", "clipboard", "-o", nullptr}},
    {"DISPLAY", {"xsel", "--clipboard", "--output", nullptr}},
};

long long now_ms()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Starts the tool with its output into out_fd, input and errors to /dev/null.
bool spawn_tool(const ClipboardTool& tool, const char* path, int out_fd, pid_t* pid)
{
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return false;
    bool ok = posix_spawn_file_actions_adddup2(&actions, out_fd, 1) == 0 &&
              posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0) == 0 &&
              posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0) == 0;
    // posix_spawn does not write through its argument list.
    ok = ok && posix_spawn(pid, path, &actions, nullptr, const_cast<char* const*>(tool.args),
                           environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return ok;
}

// Converts the tool's UTF-8 output and writes it in text mode. The text ends
// at a zero byte, as a zero-terminated clipboard text does.
struct Converter {
    Utf8Decoder decoder;
    bool ended = false;
    bool ok = true;
};

void convert(Converter& c, TextFile& out, std::uint32_t code_point)
{
    if (c.ended || code_point == 0) {
        c.ended = true;
        return;
    }
    c.ok = text_putc(out, cp1251_from_unicode(code_point)) && c.ok;
}

// Reads the tool's output to its end into out. false on a time-out or a read error.
bool pump(int fd, TextFile& out, Converter& c)
{
    std::array<unsigned char, PIPE_CHUNK_BYTES> chunk;
    const long long deadline = now_ms() + TOOL_TOTAL_MS;
    for (;;) {
        const long long left = deadline - now_ms();
        if (left <= 0)
            return false;
        pollfd p = {fd, POLLIN, 0};
        const int r = poll(&p, 1, static_cast<int>(left < TOOL_IDLE_MS ? left : TOOL_IDLE_MS));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        const ssize_t n = read(fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        std::uint32_t points[2];
        for (ssize_t i = 0; i < n; ++i) {
            const int count = utf8_feed(c.decoder, chunk[static_cast<std::size_t>(i)], points);
            for (int k = 0; k < count; ++k)
                convert(c, out, points[k]);
        }
    }
}

// Collects the tool's exit; one that does not end soon after closing its output is killed.
bool tool_succeeded(pid_t pid, bool wait_for_it)
{
    const long long deadline = now_ms() + (wait_for_it ? TOOL_IDLE_MS : 0);
    int status = 0;
    for (;;) {
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (r < 0 && errno != EINTR)
            return false;
        if (r == 0 && now_ms() >= deadline) {
            kill(pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return false;
        }
        if (r == 0)
            usleep(10000);
    }
}

// Runs the tool and writes its text, then one space, to PARTIAL_NAME.
bool capture(const ClipboardTool& tool, const char* path)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    pid_t pid;
    const bool started = spawn_tool(tool, path, fds[1], &pid);
    close(fds[1]);
    if (!started) {
        close(fds[0]);
        return false;
    }
    TextFile out;
    const bool opened = text_open(out, PARTIAL_NAME, "w");
    if (!opened)
        std::printf("Cannot write rech.txt!\n");
    Converter c;
    const bool complete = opened && pump(fds[0], out, c);
    close(fds[0]);
    const bool tool_ok = tool_succeeded(pid, complete) && complete;
    std::uint32_t last[1];
    if (utf8_finish(c.decoder, last))
        convert(c, out, last[0]);
    const bool written = c.ok && text_putc(out, ' ');
    const bool closed = text_close(out);
    if (tool_ok && !(written && closed))
        std::printf("Cannot write rech.txt!\n");
    return tool_ok && written && closed;
}

}  // namespace

int Readclipboard()
{
    bool display = false;
    for (const ClipboardTool& tool : TOOLS) {
        const char* value = std::getenv(tool.display);
        char path[PROGRAM_PATH_BYTES];
        if (value == nullptr || value[0] == '\0')
            continue;
        display = true;
        if (!find_program(tool.args[0], false, path, sizeof path))
            continue;
        if (capture(tool, path)) {
            if (sys_replace(PARTIAL_NAME, CAPTURE_NAME))
                return 1;
            std::printf("Cannot write rech.txt!\n");
        } else {
            std::fprintf(stderr, "vokdar: the clipboard could not be read: %s failed or did not answer\n",
                         tool.args[0]);
        }
        sys_remove(PARTIAL_NAME);
        return 0;
    }
    std::fprintf(stderr, "vokdar: the clipboard could not be read: %s\n",
                 display ? "none of wl-paste, xclip and xsel is installed"
                         : "no display (neither WAYLAND_DISPLAY nor DISPLAY is set)");
    return 0;
}
