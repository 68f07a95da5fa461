// The file layer's system calls on POSIX descriptors.
#include "common/sysfile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t SCRATCH_NAME_BYTES = 4096;  // PATH_MAX of Linux, NUL included

}  // namespace

int sys_open(const char* name, FileAccess access)
{
    int flags = O_RDONLY;
    switch (access) {
    case FileAccess::read: flags = O_RDONLY; break;
    case FileAccess::write_new: flags = O_WRONLY | O_CREAT | O_TRUNC; break;
    case FileAccess::update: flags = O_RDWR; break;
    case FileAccess::update_new: flags = O_RDWR | O_CREAT | O_TRUNC; break;
    }
    // Opened without blocking, so that a named pipe with no writer cannot
    // hang the program; then only what can hold a file of ours is kept.
    const int fd = open(name, flags | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0)
        return -1;
    struct stat st;
    const bool writes_anew = access == FileAccess::write_new || access == FileAccess::update_new;
    if (fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || (writes_anew && S_ISCHR(st.st_mode))) ||
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        close(fd);
        // Said as what it is: a directory, or else nothing a file of ours can be.
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return -1;
    }
    return fd;
}

void sys_close(int fd) { close(fd); }

int sys_open_scratch()
{
    const char* dir = std::getenv("TMPDIR");
    if (dir == nullptr || dir[0] == '\0')
        dir = "/tmp";
    const int fd = open(dir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    // A file system without unnamed files: a named one, unlinked at once.
    char name[SCRATCH_NAME_BYTES];
    if (std::snprintf(name, sizeof name, "%s/vokdar-XXXXXX", dir) >= static_cast<int>(sizeof name))
        return -1;
    const int named = mkostemp(name, O_CLOEXEC);
    if (named >= 0)
        unlink(name);
    return named;
}

long long sys_read_at(int fd, void* data, std::size_t n, long long offset)
{
    for (;;) {
        const ssize_t r = pread(fd, data, n, offset);
        if (r < 0 && errno == EINTR)
            continue;
        return r;
    }
}

long long sys_write_parts_at(int fd, const iovec* parts, int count, long long offset)
{
    const int batch = count < IOV_MAX ? count : IOV_MAX;
    for (;;) {
        const ssize_t w = pwritev(fd, parts, batch, offset);
        if (w < 0 && errno == EINTR)
            continue;
        return w > 0 ? w : -1;
    }
}

long long sys_file_size(int fd)
{
    struct stat st;
    if (fstat(fd, &st) != 0)
        return -1;
    return static_cast<long long>(st.st_size);
}

bool sys_truncate(int fd, long long size) { return ftruncate(fd, static_cast<off_t>(size)) == 0; }

bool sys_exists(const char* name)
{
    struct stat st;
    return lstat(name, &st) == 0;
}

bool sys_dir_has(const char* dir, const char* suffix)
{
    DIR* d = opendir(dir);
    if (d == nullptr)
        return false;
    const std::size_t suffix_len = std::strlen(suffix);
    bool found = false;
    while (const dirent* e = readdir(d)) {
        const std::size_t len = std::strlen(e->d_name);
        if (len > suffix_len && std::strcmp(e->d_name + len - suffix_len, suffix) == 0) {
            found = true;
            break;
        }
    }
    closedir(d);
    return found;
}

bool sys_each_subdir(const char* dir, void (*visit)(const char* dir, const char* name, void* context),
                     void* context)
{
    DIR* d = opendir(dir);
    if (d == nullptr)
        return false;
    while (const dirent* e = readdir(d)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        char path[SCRATCH_NAME_BYTES];
        struct stat st;
        const int n = std::snprintf(path, sizeof path, "%s/%s", dir, e->d_name);
        if (n > 0 && static_cast<std::size_t>(n) < sizeof path && stat(path, &st) == 0 && S_ISDIR(st.st_mode))
            visit(dir, e->d_name, context);
    }
    closedir(d);
    return true;
}

bool sys_make_dir(const char* name)
{
    struct stat st;
    return mkdir(name, 0777) == 0 || (errno == EEXIST && stat(name, &st) == 0 && S_ISDIR(st.st_mode));
}

bool sys_remove(const char* name) { return unlink(name) == 0; }

bool sys_replace(const char* from, const char* to) { return std::rename(from, to) == 0; }

void sys_binary_stream(std::FILE*) {}
