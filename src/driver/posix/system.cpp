// The driver on POSIX systems: signals and starting programs.
#include "driver/driver_system.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <thread>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Starts path as a child with the signals this program ignores back at their
// defaults: a player whose output pipe closes should end as it would anywhere.
bool spawn(pid_t* pid, const char* path, char* const args[],
           const posix_spawn_file_actions_t* actions = nullptr)
{
    posix_spawnattr_t attr;
    if (posix_spawnattr_init(&attr) != 0)
        return false;
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGXFSZ);
    bool ok = posix_spawnattr_setsigdefault(&attr, &defaults) == 0 &&
              posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF) == 0;
    ok = ok && posix_spawn(pid, path, actions, &attr, args, environ) == 0;
    posix_spawnattr_destroy(&attr);
    return ok;
}

}  // namespace

void prepare_process()
{
    // Past a file size limit a write should fail and be reported like a full
    // disk, not end the program with rech.wav's header left unwritten.
    std::signal(SIGXFSZ, SIG_IGN);
    // A console that goes away (vokdar book.txt | head) only loses the lines
    // printed to it; the speech is still written.
    std::signal(SIGPIPE, SIG_IGN);
}

void program_arguments(int&, char**&) {}

bool is_program_file(const char* path)
{
    struct stat st;
    return stat(path, &st) == 0 && S_ISREG(st.st_mode) && access(path, X_OK) == 0;
}

void start_and_exit(const char* path, char* const args[])
{
    std::fflush(stdout);
    pid_t pid;
    if (spawn(&pid, path, args))
        std::exit(0);
}

int run_and_wait(const char* path, char* const args[])
{
    std::fflush(stdout);
    pid_t pid;
    if (!spawn(&pid, path, args))
        return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const StreamPlayer* stream_players()
{
    static const StreamPlayer PLAYERS[] = {
        {{"aplay", nullptr}},
        {{"paplay", nullptr}},
        {{"play", "-q", "-t", "wav", "-", nullptr}},
        {{nullptr}},
    };
    return PLAYERS;
}

int start_with_input(const char* path, char* const args[])
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    bool ok = posix_spawn_file_actions_init(&actions) == 0;
    ok = ok && posix_spawn_file_actions_adddup2(&actions, fds[0], 0) == 0;
    pid_t pid;
    ok = ok && spawn(&pid, path, args, &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (!ok) {
        close(fds[1]);
        return -1;
    }
    return fds[1];
}

bool write_player_input(int fd, const void* data, std::size_t n)
{
    const auto* at = static_cast<const unsigned char*>(data);
    while (n > 0) {
        const ssize_t w = write(fd, at, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        at += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

void close_player_input(int fd) { close(fd); }

bool progress_terminal()
{
    struct stat err, out;
    if (!isatty(2) || fstat(2, &err) != 0)
        return false;
    return !(isatty(1) && fstat(1, &out) == 0 && out.st_rdev == err.st_rdev);
}

const char* const* fallback_players()
{
    static const char* const PLAYERS[] = {"aplay", "paplay", "play", nullptr};
    return PLAYERS;
}

namespace {
// Below this the old file is emptied at once anyway.
constexpr off_t SET_ASIDE_BYTES = off_t{16} << 20;
int set_aside_fd = -1;
// Frees the old file's blocks beside the new speech: emptied, its pages
// still to be written go unwritten (closing a file of no name would first
// write them).
std::thread freeing;
}  // namespace

void set_aside_old_file(const char* name)
{
    release_set_aside();
    struct stat st;
    if (lstat(name, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 || st.st_uid != geteuid() ||
        st.st_size < SET_ASIDE_BYTES)
        return;
    // A new file's mode: what the open with truncation would have kept.
    const mode_t mask = umask(0);
    umask(mask);
    if ((st.st_mode & 07777) != (0666 & ~mask))
        return;
    const int fd = open(name, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat held;
    if (fstat(fd, &held) != 0 || held.st_ino != st.st_ino || held.st_dev != st.st_dev || unlink(name) != 0) {
        close(fd);
        return;
    }
    set_aside_fd = fd;
}

void restore_set_aside(const char* name)
{
    if (set_aside_fd < 0)
        return;
    char held[64];
    std::snprintf(held, sizeof held, "/proc/self/fd/%d", set_aside_fd);
    linkat(AT_FDCWD, held, AT_FDCWD, name, AT_SYMLINK_FOLLOW);
    release_set_aside();
}

void free_set_aside()
{
    if (set_aside_fd < 0 || freeing.joinable())
        return;
    const int fd = set_aside_fd;
    freeing = std::thread([fd] {
        if (ftruncate(fd, 0) != 0) {
            // Freed when it is closed, then.
        }
    });
}

void release_set_aside()
{
    if (freeing.joinable())
        freeing.join();
    if (set_aside_fd >= 0)
        close(set_aside_fd);
    set_aside_fd = -1;
}
