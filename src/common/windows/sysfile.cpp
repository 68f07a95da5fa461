// The file layer's system calls on the C runtime's descriptors of Windows,
// always opened in binary: the layer above does the text-mode translation.
#include "common/sysfile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace {

// One _read or _write moves at most this many bytes.
constexpr std::size_t IO_CHUNK_BYTES = 1u << 30;

bool seek_to(int fd, long long offset) { return _lseeki64(fd, offset, SEEK_SET) == offset; }

}  // namespace

int sys_open(const char* name, FileAccess access)
{
    int flags = _O_RDONLY;
    switch (access) {
    case FileAccess::read: flags = _O_RDONLY; break;
    case FileAccess::write_new: flags = _O_WRONLY | _O_CREAT | _O_TRUNC; break;
    case FileAccess::update: flags = _O_RDWR; break;
    case FileAccess::update_new: flags = _O_RDWR | _O_CREAT | _O_TRUNC; break;
    }
    // A pipe's name would block the open on a pipe with no writer: such names
    // are no files of ours.
    if ((name[0] == '\\' || name[0] == '/') && (name[1] == '\\' || name[1] == '/') &&
        (name[2] == '.' || name[2] == '?') && (name[3] == '\\' || name[3] == '/'))
        return -1;
    const int fd = _open(name, flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return -1;
    struct _stati64 st;
    const bool writes_anew = access == FileAccess::write_new || access == FileAccess::update_new;
    const bool ok = _fstati64(fd, &st) == 0;
    const int type = ok ? (st.st_mode & _S_IFMT) : 0;
    if (!(type == _S_IFREG || (writes_anew && type == _S_IFCHR))) {
        _close(fd);
        errno = type == _S_IFDIR ? EISDIR : EINVAL;
        return -1;
    }
    return fd;
}

void sys_close(int fd) { _close(fd); }

int sys_open_scratch()
{
    char dir[MAX_PATH + 1];
    char name[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof dir, dir);
    if (n == 0 || n > sizeof dir || GetTempFileNameA(dir, "vok", 0, name) == 0)
        return -1;
    // Deleted by the system when the last descriptor closes.
    return _open(name, _O_RDWR | _O_BINARY | _O_NOINHERIT | _O_TEMPORARY, _S_IREAD | _S_IWRITE);
}

long long sys_read_at(int fd, void* data, std::size_t n, long long offset)
{
    if (!seek_to(fd, offset))
        return -1;
    const auto want = static_cast<unsigned>(n < IO_CHUNK_BYTES ? n : IO_CHUNK_BYTES);
    return _read(fd, data, want);
}

long long sys_write_parts_at(int fd, const iovec* parts, int count, long long offset)
{
    if (!seek_to(fd, offset))
        return -1;
    long long done = 0;
    for (int i = 0; i < count; ++i) {
        const auto* p = static_cast<const unsigned char*>(parts[i].iov_base);
        std::size_t left = parts[i].iov_len;
        while (left > 0) {
            const auto want = static_cast<unsigned>(left < IO_CHUNK_BYTES ? left : IO_CHUNK_BYTES);
            const int w = _write(fd, p, want);
            if (w <= 0)
                return done > 0 ? done : -1;
            done += w;
            p += w;
            left -= static_cast<std::size_t>(w);
        }
    }
    return done;
}

long long sys_file_size(int fd)
{
    struct _stati64 st;
    if (_fstati64(fd, &st) != 0)
        return -1;
    return static_cast<long long>(st.st_size);
}

bool sys_truncate(int fd, long long size) { return _chsize_s(fd, size) == 0; }

bool sys_exists(const char* name) { return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES; }

namespace {

// The first entry of dir whose name ends in suffix ("*" + suffix as the
// system's pattern); INVALID_HANDLE_VALUE when there is none.
HANDLE find_first(const char* dir, const char* suffix, WIN32_FIND_DATAA& found)
{
    char pattern[MAX_PATH];
    const std::size_t dir_len = std::strlen(dir);
    const char* sep = dir_len > 0 && dir[dir_len - 1] != '\\' && dir[dir_len - 1] != '/' ? "\\" : "";
    const int n = std::snprintf(pattern, sizeof pattern, "%s%s*%s", dir, sep, suffix);
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof pattern)
        return INVALID_HANDLE_VALUE;
    return FindFirstFileA(pattern, &found);
}

}  // namespace

bool sys_dir_has(const char* dir, const char* suffix)
{
    WIN32_FIND_DATAA found;
    const HANDLE h = find_first(dir, suffix, found);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FindClose(h);
    return true;
}

bool sys_each_subdir(const char* dir, void (*visit)(const char* dir, const char* name, void* context),
                     void* context)
{
    WIN32_FIND_DATAA found;
    const HANDLE h = find_first(dir, "", found);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    do {
        const bool is_dir = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (is_dir && std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0)
            visit(dir, found.cFileName, context);
    } while (FindNextFileA(h, &found) != 0);
    FindClose(h);
    return true;
}

bool sys_make_dir(const char* name)
{
    if (CreateDirectoryA(name, nullptr) != 0)
        return true;
    const DWORD attributes = GetFileAttributesA(name);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool sys_remove(const char* name) { return DeleteFileA(name) != 0; }

bool sys_replace(const char* from, const char* to)
{
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

void sys_binary_stream(std::FILE* stream)
{
    std::fflush(stream);
    _setmode(_fileno(stream), _O_BINARY);
}
