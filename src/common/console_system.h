// The console's side that differs by system (posix/, windows/): used only by
// the console layer itself.
#pragma once

// Waits for one key on the user's console, without echo; returns at once when
// the program has no console. Standard input is never read.
void system_key_wait();
// Whether the console shows UTF-8, so the progress mark is sent as "■" in
// UTF-8 rather than as the byte 254.
bool system_console_utf8();
