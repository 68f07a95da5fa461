// The console on Windows: the console window's own key wait and code page.
#include "common/console_system.h"

#include <conio.h>
#include <windows.h>

namespace {

// Whether this program has a console to take a key from: standard input may
// be a file or a pipe, the console is asked directly.
bool have_console_input()
{
    const HANDLE in = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
    if (in == INVALID_HANDLE_VALUE)
        return false;
    DWORD mode = 0;
    const bool console = GetConsoleMode(in, &mode) != 0;
    CloseHandle(in);
    return console;
}

}  // namespace

void system_key_wait()
{
    if (!have_console_input())
        return;
    // A function or arrow key arrives as a lead code and a second code: one key.
    const int key = _getch();
    if (key == 0 || key == 0xE0)
        _getch();
}

bool system_console_utf8() { return GetConsoleOutputCP() == CP_UTF8; }
