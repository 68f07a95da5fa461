// The console: key waits on the terminal, the progress mark, failure reports
// and the formatted readers of answers and settings.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

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

// The console's lines of this thread: to standard output, or held (below).
void console_write(const char* bytes, std::size_t n);
void console_print(const char* format, ...) __attribute__((format(printf, 1, 2)));

// What a thread says while it is not yet its turn (the stages of a run going
// side by side, each speaking once the one before it is done): its lines,
// its key waits and its reading positions, held in order until released.
struct ConsoleHold {
    enum class Kind : unsigned char { text, key, reading };
    struct Item {
        Kind kind;
        long long value;                // text: where its bytes end; reading: the position
        void (*reading)(long long at);  // reading: what is told of it once released
    };
    std::mutex lock;
    std::condition_variable room;
    std::atomic<bool> live{false};  // released: the thread speaks for itself
    bool discarded = false;         // its turn never comes: nothing is said
    std::string bytes;
    std::vector<Item> items;
};
// The most a hold keeps; a thread that has more to say waits for its turn.
constexpr std::size_t CONSOLE_HOLD_ITEMS = std::size_t{1} << 20;
// Makes hold (or none, nullptr) where this thread's console goes.
void console_hold_thread(ConsoleHold* hold);
void console_hold_reset(ConsoleHold& hold);
// Says everything held, in order (from the calling thread), and lets the
// holding thread speak for itself from then on.
void console_release(ConsoleHold& hold);
// Drops everything held and all that follows.
void console_discard(ConsoleHold& hold);
// A key wait, held in order when this thread's console is.
void console_key();
// A reading position to be told by reading(at): kept when this thread's
// console is held (true), else left to the caller (false).
bool console_hold_reading(long long at, void (*reading)(long long at));

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
