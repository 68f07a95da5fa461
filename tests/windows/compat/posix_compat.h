// Test programs built for Windows: the few POSIX calls the tests make, as far
// as Windows has them. What it lacks (links to devices, named pipes, a second
// process of the same program) fails here, and the tests that need it are
// left out of the Windows run by name (tests/CMakeLists.txt).
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <direct.h>
#include <io.h>
#include <sys/stat.h>
#include <unistd.h>

inline int mkdir(const char* name, int) { return _mkdir(name); }
inline int symlink(const char*, const char*)
{
    errno = ENOSYS;
    return -1;
}
inline int mkfifo(const char*, int)
{
    errno = ENOSYS;
    return -1;
}
inline long long pread(int fd, void* data, std::size_t n, long long offset)
{
    if (_lseeki64(fd, offset, SEEK_SET) != offset)
        return -1;
    return _read(fd, data, static_cast<unsigned>(n));
}
// Nobody is the superuser here.
inline unsigned geteuid() { return 1; }
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
// A stream that reads the given bytes: a temporary file holding them.
inline std::FILE* fmemopen(void* data, std::size_t n, const char*)
{
    std::FILE* f = std::tmpfile();
    if (f != nullptr && (std::fwrite(data, 1, n, f) != n || std::fseek(f, 0, SEEK_SET) != 0)) {
        std::fclose(f);
        f = nullptr;
    }
    return f;
}
