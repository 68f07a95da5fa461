// The search for vokdar's settings, voices and dictionary on Windows: the
// current folder, then the folder the program lies in (where the zip puts
// them beside vokdar.exe).
#include "common/datadirs.h"

#include <cstdio>
#include <cstring>
#include <windows.h>

#include "common/sysfile.h"
#include "widename.h"

namespace {


// A file or a folder; a folder's name may end in its separator.
bool exists(const char* path) { return sys_exists(path); }

bool is_absolute(const char* name)
{
    const bool drive = name[0] != '\0' && name[1] == ':';
    return drive || name[0] == '\\' || name[0] == '/';
}

}  // namespace

void data_search_dirs(DataKind, DataDirs& dirs)
{
    dirs.count = 0;
    // In UTF-8, as every name of the program's making: a folder of any script.
    char* own = dirs.dir[0];
    wchar_t wide[WIDE_PATH_CHARS];
    const DWORD n = GetModuleFileNameW(nullptr, wide, WIDE_PATH_CHARS);
    if (n == 0 || n >= WIDE_PATH_CHARS || !utf8_name(wide, own, DATA_PATH_BYTES))
        return;
    char* slash = std::strrchr(own, '\\');
    if (slash == nullptr)
        return;
    slash[1] = '\0';  // the folder, its separator kept
    dirs.count = 1;
}

// The folder of vokdar.exe is the one place looked in after the current
// folder; settings of no file are kept where the dialogue runs.
bool user_settings_dir(char*, std::size_t) { return false; }

bool find_data(const char* name, DataKind kind, char* path, std::size_t cap)
{
    const std::size_t name_len = std::strlen(name);
    if (name_len + 1 > cap)
        return false;
    std::memcpy(path, name, name_len + 1);
    if (is_absolute(name) || exists(name))
        return exists(name);
    static DataDirs dirs;  // too large for the stack
    data_search_dirs(kind, dirs);
    for (int i = 0; i < dirs.count; ++i) {
        const std::size_t dir_len = std::strlen(dirs.dir[i]);
        if (dir_len + name_len + 1 > cap)
            continue;
        std::memcpy(path, dirs.dir[i], dir_len);
        std::memcpy(path + dir_len, name, name_len + 1);
        if (exists(path))
            return true;
    }
    std::memcpy(path, name, name_len + 1);
    return false;
}
