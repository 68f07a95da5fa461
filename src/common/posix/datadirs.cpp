// The search for vokdar's settings, voices and dictionary (Linux: the XDG base
// directories, and the data directory beside the installed program).
#include "common/datadirs.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#ifndef VOKDAR_DATADIR_FROM_BINDIR
#define VOKDAR_DATADIR_FROM_BINDIR "../share/vokdar"
#endif
#ifndef VOKDAR_FULL_DATADIR
#define VOKDAR_FULL_DATADIR "/usr/local/share/vokdar"
#endif

namespace {

// a then b into out, with a '/' between them where a does not end in one;
// false when it does not fit.
bool join(const char* a, const char* b, char* out, std::size_t cap)
{
    const std::size_t la = std::strlen(a), lb = std::strlen(b);
    const bool slash = la > 0 && a[la - 1] != '/';
    if (la + (slash ? 1 : 0) + lb + 1 > cap)
        return false;
    std::memcpy(out, a, la);
    std::size_t n = la;
    if (slash)
        out[n++] = '/';
    std::memcpy(out + n, b, lb + 1);
    return true;
}

// Adds dir/sub/ (dir/ for an empty sub) to the list unless it is there
// already; only absolute directories count, as the base directory rules have it.
void add(DataDirs& dirs, const char* dir, std::size_t dir_len, const char* sub)
{
    const std::size_t sub_len = std::strlen(sub);
    if (dir_len == 0 || dir[0] != '/' || dirs.count == DATA_DIRS_MAX ||
        dir_len + sub_len + 3 > DATA_PATH_BYTES)
        return;
    char* out = dirs.dir[dirs.count];
    std::memcpy(out, dir, dir_len);
    std::size_t n = dir_len;
    if (out[n - 1] != '/')
        out[n++] = '/';
    if (sub_len > 0) {
        std::memcpy(out + n, sub, sub_len);
        n += sub_len;
        out[n++] = '/';
    }
    out[n] = '\0';
    for (int i = 0; i < dirs.count; ++i)
        if (std::strcmp(dirs.dir[i], out) == 0)
            return;
    ++dirs.count;
}

void add_env_home(DataDirs& dirs, const char* variable, const char* fallback_in_home)
{
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        add(dirs, value, std::strlen(value), "vokdar");
        return;
    }
    const char* home = std::getenv("HOME");
    char dir[DATA_PATH_BYTES];
    if (home != nullptr && join(home, fallback_in_home, dir, sizeof dir))
        add(dirs, dir, std::strlen(dir), "vokdar");
}

// The directory of the running program with rel after it, ".." taken lexically
// (the program's path comes with its links resolved).
bool beside_program(const char* rel, char* out, std::size_t cap)
{
    char exe[DATA_PATH_BYTES];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0)
        return false;
    exe[n] = '\0';
    char* slash = std::strrchr(exe, '/');
    if (slash == nullptr)
        return false;
    *slash = '\0';
    std::size_t len = std::strlen(exe);
    for (const char* p = rel; *p != '\0';) {
        const char* end = std::strchr(p, '/');
        const std::size_t part = end ? static_cast<std::size_t>(end - p) : std::strlen(p);
        if (part == 2 && p[0] == '.' && p[1] == '.') {
            while (len > 0 && exe[len - 1] != '/')
                --len;
            if (len > 1)
                --len;  // the slash too, unless it is the root
            exe[len] = '\0';
        } else if (part > 0 && !(part == 1 && p[0] == '.')) {
            if (len + 1 + part + 1 > sizeof exe)
                return false;
            if (len == 0 || exe[len - 1] != '/')
                exe[len++] = '/';
            std::memcpy(exe + len, p, part);
            len += part;
            exe[len] = '\0';
        }
        p += part;
        if (*p == '/')
            ++p;
    }
    if (len + 1 > cap)
        return false;
    std::memcpy(out, exe, len + 1);
    return true;
}


bool exists(const char* path)
{
    struct stat st;
    return stat(path, &st) == 0;
}

}  // namespace

void data_search_dirs(DataKind kind, DataDirs& dirs)
{
    dirs.count = 0;
    if (kind == DataKind::settings)
        add_env_home(dirs, "XDG_CONFIG_HOME", ".config");
    else
        add_env_home(dirs, "XDG_DATA_HOME", ".local/share");

    const char* list = std::getenv("XDG_DATA_DIRS");
    if (list == nullptr || list[0] == '\0')
        list = "/usr/local/share/:/usr/share/";
    for (const char* p = list;;) {
        const char* end = std::strchr(p, ':');
        const std::size_t len = end ? static_cast<std::size_t>(end - p) : std::strlen(p);
        add(dirs, p, len, "vokdar");
        if (end == nullptr)
            break;
        p = end + 1;
    }

    char installed[DATA_PATH_BYTES];
    if (beside_program(VOKDAR_DATADIR_FROM_BINDIR, installed, sizeof installed))
        add(dirs, installed, std::strlen(installed), "");
    add(dirs, VOKDAR_FULL_DATADIR, std::strlen(VOKDAR_FULL_DATADIR), "");
}

bool user_settings_dir(char* path, std::size_t cap)
{
    // As the search has it: $XDG_CONFIG_HOME when absolute, else ~/.config.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    char dir[DATA_PATH_BYTES];
    if (config != nullptr && config[0] == '/') {
        if (!join(config, "", dir, sizeof dir))
            return false;
    } else if (home == nullptr || home[0] != '/' || !join(home, ".config", dir, sizeof dir)) {
        return false;
    }
    return join(dir, "vokdar/", path, cap);
}

bool find_data(const char* name, DataKind kind, char* path, std::size_t cap)
{
    const std::size_t name_len = std::strlen(name);
    if (name_len + 1 > cap)
        return false;
    std::memcpy(path, name, name_len + 1);
    if (name[0] == '/' || exists(name))
        return exists(name);
    static DataDirs dirs;  // too large for the stack
    data_search_dirs(kind, dirs);
    char candidate[DATA_PATH_BYTES];
    for (int i = 0; i < dirs.count; ++i) {
        if (join(dirs.dir[i], name, candidate, sizeof candidate) && exists(candidate) &&
            std::strlen(candidate) + 1 <= cap) {
            std::memcpy(path, candidate, std::strlen(candidate) + 1);
            return true;
        }
    }
    return false;
}
