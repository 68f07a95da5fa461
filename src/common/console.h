// The console: key waits on the terminal, the progress mark, failure reports
// and the formatted readers of answers and settings.
#pragma once

#include <cstddef>
#include <cstdio>

#include "common/textfile.h"

// Waits for one key on the controlling terminal, without echo. Without a
// terminal (a pipe, cron, CI) it returns at once; standard input is never read.
void wait_key();
// Test support: how many key waits the program has made, and a switch that
// turns the terminal wait off for in-process tests run from a terminal.
int key_wait_count();
void set_key_wait(bool enabled);
// Prints message exactly, waits for a key and returns 0: the failure path of a stage.
int fail_wait(const char* message);
// One mark of the progress bar: "■" on a UTF-8 terminal, else the byte 254.
void console_mark();

// Where the formatted readers take their characters from: a file of ours or
// a C stream (standard input). One character can be pushed back.
struct CharSource {
    TextFile* file = nullptr;
    std::FILE* stream = nullptr;
};
int source_getc(CharSource& s);
void source_ungetc(CharSource& s, int c);

// The formatted readers, as scanf's "%d", "%f" and "%s" take their values:
// white space skipped, the value parsed as far as it goes, the first byte that
// does not belong to it left in the source. false when no value was there
// (the source then holds the offending byte) or the source ended.
bool scan_int(CharSource& s, int& value);    // out-of-range values saturate
bool scan_real(CharSource& s, float& value); // also "inf", "nan"
// Reads one word into buf (capacity cap, NUL included). A longer word is read
// to its end; *full_len gets its true length so the caller can refuse it.
bool scan_word(CharSource& s, char* buf, std::size_t cap, std::size_t* full_len);
