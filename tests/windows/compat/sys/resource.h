// Test programs built for Windows: no resource limits here; setting one fails.
#pragma once

#include <cerrno>

typedef unsigned long long rlim_t;
struct rlimit {
    rlim_t rlim_cur;
    rlim_t rlim_max;
};
constexpr int RLIMIT_FSIZE = 1;
inline int setrlimit(int, const struct rlimit*)
{
    errno = ENOSYS;
    return -1;
}
