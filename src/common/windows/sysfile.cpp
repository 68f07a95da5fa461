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

#include "widename.h"

namespace {

// One _read or _write moves at most this many bytes.
constexpr std::size_t IO_CHUNK_BYTES = 1u << 30;

bool seek_to(int fd, long long offset) { return _lseeki64(fd, offset, SEEK_SET) == offset; }

// A name as the wide calls take it; an empty one when it does not fit.
struct Wide {
    wchar_t text[WIDE_PATH_CHARS];
    explicit Wide(const char* name)
    {
        if (!wide_name(name, text, WIDE_PATH_CHARS))
            text[0] = 0;
    }
};

}  // namespace

bool wide_name(const char* name, wchar_t* out, std::size_t cap)
{
    const int n = static_cast<int>(std::strlen(name)) + 1;  // the NUL too
    const int room = static_cast<int>(cap);
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, n, out, room) > 0)
        return true;
    const UINT console = GetConsoleCP();
    return MultiByteToWideChar(console != 0 ? console : CP_ACP, 0, name, n, out, room) > 0;
}

bool utf8_name(const wchar_t* name, char* out, std::size_t cap)
{
    return WideCharToMultiByte(CP_UTF8, 0, name, -1, out, static_cast<int>(cap), nullptr, nullptr) > 0;
}

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
    const Wide wide(name);
    if (wide.text[0] == 0) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const int fd = _wopen(wide.text, flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        // The runtime says a folder is a file it may not open: said as what it is.
        const DWORD attributes = GetFileAttributesW(wide.text);
        if (errno == EACCES && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            errno = EISDIR;
        return -1;
    }
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
    wchar_t dir[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, dir);
    if (n == 0 || n > MAX_PATH + 1 || GetTempFileNameW(dir, L"vok", 0, name) == 0)
        return -1;
    // Deleted by the system when the last descriptor closes.
    return _wopen(name, _O_RDWR | _O_BINARY | _O_NOINHERIT | _O_TEMPORARY, _S_IREAD | _S_IWRITE);
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

bool sys_exists(const char* name) { return GetFileAttributesW(Wide(name).text) != INVALID_FILE_ATTRIBUTES; }

namespace {

// The first entry of dir whose name ends in suffix ("*" + suffix as the
// system's pattern); INVALID_HANDLE_VALUE when there is none.
HANDLE find_first(const char* dir, const char* suffix, WIN32_FIND_DATAW& found)
{
    char pattern[MAX_PATH];
    const std::size_t dir_len = std::strlen(dir);
    const char* sep = dir_len > 0 && dir[dir_len - 1] != '\\' && dir[dir_len - 1] != '/' ? "\\" : "";
    const int n = std::snprintf(pattern, sizeof pattern, "%s%s*%s", dir, sep, suffix);
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof pattern)
        return INVALID_HANDLE_VALUE;
    return FindFirstFileW(Wide(pattern).text, &found);
}

}  // namespace

bool sys_dir_has(const char* dir, const char* suffix)
{
    WIN32_FIND_DATAW found;
    const HANDLE h = find_first(dir, suffix, found);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FindClose(h);
    return true;
}

bool sys_each_subdir(const char* dir, void (*visit)(const char* dir, const char* name, void* context),
                     void* context)
{
    WIN32_FIND_DATAW found;
    const HANDLE h = find_first(dir, "", found);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    do {
        char name[MAX_PATH * 3 + 1];  // UTF-8 takes up to three bytes a unit
        const bool is_dir = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (is_dir && utf8_name(found.cFileName, name, sizeof name) && std::strcmp(name, ".") != 0 &&
            std::strcmp(name, "..") != 0)
            visit(dir, name, context);
    } while (FindNextFileW(h, &found) != 0);
    FindClose(h);
    return true;
}

bool sys_make_dir(const char* name)
{
    const Wide wide(name);
    if (CreateDirectoryW(wide.text, nullptr) != 0)
        return true;
    const DWORD attributes = GetFileAttributesW(wide.text);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool sys_remove(const char* name) { return DeleteFileW(Wide(name).text) != 0; }

bool sys_replace(const char* from, const char* to)
{
    return MoveFileExW(Wide(from).text, Wide(to).text, MOVEFILE_REPLACE_EXISTING) != 0;
}

void sys_binary_stream(std::FILE* stream)
{
    std::fflush(stream);
    _setmode(_fileno(stream), _O_BINARY);
}
