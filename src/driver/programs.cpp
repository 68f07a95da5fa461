// Finding a helper program (the MP3 encoder, a player) where the program or
// PATH has it, and starting the player fed while the speech is made.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform.h"
#include "common/sysfile.h"
#include "driver/driver_internal.h"
#include "driver/driver_system.h"

namespace {

// dir and name joined by the separator where dir does not end in one; false when it does not fit.
bool join_path(const char* dir, std::size_t dir_len, const char* name, char* path, std::size_t cap)
{
    const std::size_t name_len = std::strlen(name);
    const bool slash = dir_len > 0 && dir[dir_len - 1] != PATH_SEPARATOR;
    const std::size_t total = dir_len + (slash ? 1 : 0) + name_len;
    if (total + 1 > cap)
        return false;
    std::memcpy(path, dir, dir_len);
    std::size_t n = dir_len;
    if (slash)
        path[n++] = PATH_SEPARATOR;
    std::memcpy(path + n, name, name_len + 1);
    return true;
}

}  // namespace

bool find_program(const char* name, bool look_here, char* path, std::size_t cap)
{
    if (look_here && join_path(".", 1, name, path, cap) && is_program_file(path))
        return true;
    const char* dirs = std::getenv("PATH");
    if (dirs == nullptr)
        return false;
    for (const char* dir = dirs;; ++dir) {
        const char* end = std::strchr(dir, PATH_LIST_SEPARATOR);
        const std::size_t len = end ? static_cast<std::size_t>(end - dir) : std::strlen(dir);
        // An empty entry names the current directory, as in the shell.
        const char* entry = len > 0 ? dir : ".";
        if (join_path(entry, len > 0 ? len : 1, name, path, cap) && is_program_file(path))
            return true;
        if (end == nullptr)
            return false;
        dir = end;
    }
}

int start_stream_player()
{
    // The user's own player may not read standard input: it gets the file.
    char path[PROGRAM_PATH_BYTES];
    char name[16];
    std::snprintf(name, sizeof name, "wav%s", EXECUTABLE_SUFFIX);
    if (find_program(name, true, path, sizeof path))
        return -1;
    for (const StreamPlayer* p = stream_players(); p->args[0] != nullptr; ++p) {
        if (!find_program(p->args[0], false, path, sizeof path))
            continue;
        // posix_spawn does not write through its argument list.
        return start_with_input(path, const_cast<char* const*>(p->args));
    }
    return -1;
}
