// The driver on Windows: starting programs in this console.
#include "driver/driver_system.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include "widename.h"

#include "driver/driver_internal.h"

void prepare_process()
{
    // No dialogue box of the system's for a drive without a medium or a crash:
    // a console program reports and goes on.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

void program_arguments(int& argc, char**& argv)
{
    // The ANSI arguments turn a name in another script into question marks.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return;
    // Kept for the whole run, as the runtime keeps its own arguments.
    static std::vector<std::string> text;
    static std::vector<char*> pointers;
    for (int i = 0; i < count; ++i) {
        char name[WIDE_PATH_CHARS * 3];  // UTF-8 takes up to three bytes a unit
        if (!utf8_name(wide[i], name, sizeof name)) {
            LocalFree(wide);
            return;  // the runtime's arguments, then
        }
        text.emplace_back(name);
    }
    LocalFree(wide);
    for (std::string& t : text)
        pointers.push_back(t.data());
    pointers.push_back(nullptr);
    argc = count;
    argv = pointers.data();
}

bool is_program_file(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

namespace {

// Starts the program in this console, its standard input input where that
// is given; false when it could not be.
bool start(const char* path, char* const args[], PROCESS_INFORMATION& process, HANDLE input = nullptr)
{
    // The command line: the arguments joined by single spaces, each quoted
    // where it holds a space.
    char line[PROGRAM_PATH_BYTES];
    std::size_t n = 0;
    for (int i = 0; args[i] != nullptr; ++i) {
        const bool quote = std::strchr(args[i], ' ') != nullptr;
        const int w = std::snprintf(line + n, sizeof line - n, quote ? "%s\"%s\"" : "%s%s",
                                    i > 0 ? " " : "", args[i]);
        if (w < 0 || static_cast<std::size_t>(w) >= sizeof line - n)
            return false;
        n += static_cast<std::size_t>(w);
    }
    std::fflush(stdout);
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    if (input != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = input;
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }
    if (CreateProcessA(path, line, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process) == 0)
        return false;
    CloseHandle(process.hThread);
    return true;
}

}  // namespace

void start_and_exit(const char* path, char* const args[])
{
    PROCESS_INFORMATION process;
    if (!start(path, args, process))
        return;
    CloseHandle(process.hProcess);
    std::exit(0);
}

int run_and_wait(const char* path, char* const args[])
{
    PROCESS_INFORMATION process;
    if (!start(path, args, process))
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    const bool known = GetExitCodeProcess(process.hProcess, &code) != 0;
    CloseHandle(process.hProcess);
    return known ? static_cast<int>(code) : -1;
}

// The player of SoX reads a WAV stream from standard input here as well.
const StreamPlayer* stream_players()
{
    static const StreamPlayer PLAYERS[] = {
        {{"play.exe", "-q", "-t", "wav", "-", nullptr}},
        {{nullptr}},
    };
    return PLAYERS;
}

int start_with_input(const char* path, char* const args[])
{
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (CreatePipe(&read_end, &write_end, &inherited, 0) == 0)
        return -1;
    // Only the player's end goes to the player.
    SetHandleInformation(write_end, HANDLE_FLAG_INHERIT, 0);
    PROCESS_INFORMATION process;
    const bool started = start(path, args, process, read_end);
    CloseHandle(read_end);
    if (!started) {
        CloseHandle(write_end);
        return -1;
    }
    CloseHandle(process.hProcess);
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(write_end), _O_WRONLY | _O_BINARY);
    if (fd < 0)
        CloseHandle(write_end);
    return fd;
}

bool write_player_input(int fd, const void* data, std::size_t n)
{
    const auto* at = static_cast<const unsigned char*>(data);
    while (n > 0) {
        const unsigned chunk = n < 65536 ? static_cast<unsigned>(n) : 65536u;
        const int w = _write(fd, at, chunk);
        if (w <= 0)
            return false;  // the player has gone: the pipe is broken
        at += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

void close_player_input(int fd) { _close(fd); }

// A console for standard error and none for standard output (the output
// sent to a file or a pipe).
bool progress_terminal()
{
    DWORD mode = 0;
    if (GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) == 0)
        return false;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) == 0;
}

const char* const* fallback_players()
{
    static const char* const NONE[] = {nullptr};
    return NONE;
}

// Emptying a file is no slower than deleting it here.
void set_aside_old_file(const char*) {}
void restore_set_aside(const char*) {}
void free_set_aside() {}
void release_set_aside() {}
