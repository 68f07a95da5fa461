// The driver on POSIX systems: signals and starting programs.
#include "driver/driver_system.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

void prepare_process()
{
    // Past a file size limit a write should fail and be reported like a full
    // disk, not end the program with rech.wav's header left unwritten.
    std::signal(SIGXFSZ, SIG_IGN);
}

bool is_program_file(const char* path)
{
    struct stat st;
    return stat(path, &st) == 0 && S_ISREG(st.st_mode) && access(path, X_OK) == 0;
}

void start_and_exit(const char* path, char* const args[])
{
    std::fflush(stdout);
    pid_t pid;
    if (posix_spawn(&pid, path, nullptr, nullptr, args, environ) == 0)
        std::exit(0);
}

const char* const* fallback_players()
{
    static const char* const PLAYERS[] = {"aplay", "paplay", "play", nullptr};
    return PLAYERS;
}
