// The driver on POSIX systems: signals and starting programs.
#include "driver/driver_system.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Starts path as a child with the signals this program ignores back at their
// defaults: a player whose output pipe closes should end as it would anywhere.
bool spawn(pid_t* pid, const char* path, char* const args[])
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
    ok = ok && posix_spawn(pid, path, nullptr, &attr, args, environ) == 0;
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

const char* const* fallback_players()
{
    static const char* const PLAYERS[] = {"aplay", "paplay", "play", nullptr};
    return PLAYERS;
}
