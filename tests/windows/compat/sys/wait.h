// Test programs built for Windows: no second process of the same program here;
// fork fails, and nothing is ever waited for.
#pragma once

#include <cerrno>
#include <csignal>
#include <sys/types.h>

constexpr int SIGXFSZ = 25;
inline int fork()
{
    errno = ENOSYS;
    return -1;
}
inline int waitpid(int, int*, int)
{
    errno = ECHILD;
    return -1;
}
inline bool WIFEXITED(int) { return false; }
inline int WEXITSTATUS(int status) { return status; }
inline bool WIFSIGNALED(int) { return false; }
inline int WTERMSIG(int) { return 0; }
