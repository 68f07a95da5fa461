// The console layer: key waits, the progress mark and formatted input.
#include "common/console.h"

#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "common/console_system.h"

namespace {

std::atomic<int> waits_done{0};
bool waits_enabled = true;
thread_local ConsoleHold* this_hold = nullptr;

// The hold of this thread while it holds, locked: nullptr when the thread
// speaks for itself. A full hold waits for its turn.
ConsoleHold* holding(std::unique_lock<std::mutex>& locked)
{
    ConsoleHold* h = this_hold;
    if (h == nullptr || h->live.load(std::memory_order_acquire))
        return nullptr;
    locked = std::unique_lock<std::mutex>(h->lock);
    h->room.wait(locked, [h] {
        return h->live.load(std::memory_order_relaxed) || h->discarded || h->items.size() < CONSOLE_HOLD_ITEMS;
    });
    return h->live.load(std::memory_order_relaxed) ? nullptr : h;
}

bool is_space(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int skip_space(CharSource& s)
{
    int c;
    do
        c = source_getc(s);
    while (c != TEXT_EOF && is_space(c));
    return c;
}

}  // namespace

int key_wait_count() { return waits_done; }
void set_key_wait(bool enabled) { waits_enabled = enabled; }

void wait_key()
{
    std::fflush(stdout);
    ++waits_done;
    if (waits_enabled)
        system_key_wait();
}

int fail_wait(const char* message)
{
    console_write(message, std::strlen(message));
    console_key();
    return 0;
}

void console_mark()
{
    if (system_console_utf8())
        console_write("\xE2\x96\xA0", 3);
    else
        console_write("\xFE", 1);
    if (this_hold == nullptr || this_hold->live.load(std::memory_order_acquire))
        std::fflush(stdout);
}

void console_write(const char* bytes, std::size_t n)
{
    std::unique_lock<std::mutex> locked;
    if (ConsoleHold* h = holding(locked)) {
        if (h->discarded)
            return;
        h->bytes.append(bytes, n);
        const auto end = static_cast<long long>(h->bytes.size());
        if (!h->items.empty() && h->items.back().kind == ConsoleHold::Kind::text)
            h->items.back().value = end;
        else
            h->items.push_back({ConsoleHold::Kind::text, end, nullptr});
        return;
    }
    std::fwrite(bytes, 1, n, stdout);
}

void console_print(const char* format, ...)
{
    char line[512];
    std::va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0)
        return;
    if (static_cast<std::size_t>(n) < sizeof line) {
        console_write(line, static_cast<std::size_t>(n));
        return;
    }
    std::string longer(static_cast<std::size_t>(n) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(longer.data(), longer.size(), format, args);
    va_end(args);
    console_write(longer.data(), static_cast<std::size_t>(n));
}

void console_hold_thread(ConsoleHold* hold) { this_hold = hold; }

void console_hold_reset(ConsoleHold& hold)
{
    std::lock_guard<std::mutex> locked(hold.lock);
    hold.live.store(false, std::memory_order_relaxed);
    hold.discarded = false;
    hold.bytes.clear();
    hold.items.clear();
}

void console_release(ConsoleHold& hold)
{
    {
        std::lock_guard<std::mutex> locked(hold.lock);
        if (hold.live.load(std::memory_order_relaxed))
            return;
        long long from = 0;
        for (const ConsoleHold::Item& item : hold.items) {
            if (item.kind == ConsoleHold::Kind::text) {
                std::fwrite(hold.bytes.data() + from, 1, static_cast<std::size_t>(item.value - from), stdout);
                from = item.value;
            } else if (item.kind == ConsoleHold::Kind::key) {
                wait_key();
            } else {
                item.reading(item.value);
            }
        }
        std::fflush(stdout);
        hold.bytes.clear();
        hold.items.clear();
        hold.live.store(true, std::memory_order_release);
    }
    hold.room.notify_all();
}

void console_discard(ConsoleHold& hold)
{
    {
        std::lock_guard<std::mutex> locked(hold.lock);
        hold.discarded = true;
        hold.bytes.clear();
        hold.items.clear();
    }
    hold.room.notify_all();
}

void console_key()
{
    std::unique_lock<std::mutex> locked;
    if (ConsoleHold* h = holding(locked)) {
        if (!h->discarded)
            h->items.push_back({ConsoleHold::Kind::key, 0, nullptr});
        return;
    }
    wait_key();
}

bool console_hold_reading(long long at, void (*reading)(long long at))
{
    std::unique_lock<std::mutex> locked;
    ConsoleHold* h = holding(locked);
    if (h == nullptr)
        return false;
    if (!h->discarded)
        h->items.push_back({ConsoleHold::Kind::reading, at, reading});
    return true;
}

int source_getc(CharSource& s)
{
    if (s.file)
        return text_getc(*s.file);
    if (s.stream) {
        const int c = std::getc(s.stream);
        return c == EOF ? TEXT_EOF : c;
    }
    return TEXT_EOF;
}

void source_ungetc(CharSource& s, int c)
{
    if (c == TEXT_EOF)
        return;
    if (s.file)
        text_ungetc(*s.file);
    else if (s.stream)
        std::ungetc(c, s.stream);
}

bool scan_int(CharSource& s, int& value)
{
    int c = skip_space(s);
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = source_getc(s);
    }
    if (c == TEXT_EOF || !std::isdigit(c)) {
        source_ungetc(s, c);
        return false;
    }
    long long v = 0;
    while (c != TEXT_EOF && std::isdigit(c)) {
        if (v <= static_cast<long long>(INT_MAX) + 1)
            v = v * 10 + (c - '0');
        c = source_getc(s);
    }
    source_ungetc(s, c);
    if (negative)
        v = -v;
    if (v > INT_MAX)
        v = INT_MAX;
    if (v < INT_MIN)
        v = INT_MIN;
    value = static_cast<int>(v);
    return true;
}

bool scan_real(CharSource& s, float& value)
{
    // Collects the longest prefix that reads as a real number, then converts it.
    constexpr std::size_t REAL_CHARS = 64;  // longer numerals keep their first digits
    char text[REAL_CHARS + 1];
    std::size_t n = 0;
    auto keep = [&](int ch) {
        if (n < REAL_CHARS)
            text[n++] = static_cast<char>(ch);
    };
    int c = skip_space(s);
    if (c == '+' || c == '-') {
        keep(c);
        c = source_getc(s);
    }
    const int lower = (c == TEXT_EOF) ? 0 : std::tolower(c);
    if (lower == 'i' || lower == 'n') {
        const char* word = lower == 'i' ? "inf" : "nan";
        for (int i = 0; i < 3; ++i) {
            if (c == TEXT_EOF || std::tolower(c) != word[i]) {
                source_ungetc(s, c);
                return false;
            }
            keep(c);
            c = source_getc(s);
        }
        source_ungetc(s, c);
        text[n] = '\0';
        value = std::strtof(text, nullptr);
        return true;
    }
    // Takes a run of digits into the numeral; true when there was one.
    auto take_digits = [&]() {
        bool any = false;
        for (; c != TEXT_EOF && std::isdigit(c); c = source_getc(s)) {
            keep(c);
            any = true;
        }
        return any;
    };
    bool digits = take_digits();
    if (c == '.') {
        keep(c);
        c = source_getc(s);
        digits = take_digits() || digits;
    }
    if (!digits) {
        source_ungetc(s, c);
        return false;
    }
    if (c == 'e' || c == 'E') {
        const std::size_t mantissa_end = n;
        keep(c);
        c = source_getc(s);
        if (c == '+' || c == '-') {
            keep(c);
            c = source_getc(s);
        }
        if (!take_digits())
            n = mantissa_end;  // "1e" reads as 1, as the C reader leaves it
    }
    source_ungetc(s, c);
    text[n] = '\0';
    value = std::strtof(text, nullptr);
    return true;
}

bool scan_word(CharSource& s, char* buf, std::size_t cap, std::size_t* full_len)
{
    int c = skip_space(s);
    std::size_t n = 0;
    while (c != TEXT_EOF && !is_space(c)) {
        if (n + 1 < cap)
            buf[n] = static_cast<char>(c);
        ++n;
        c = source_getc(s);
    }
    source_ungetc(s, c);
    if (cap > 0)
        buf[n + 1 < cap ? n : cap - 1] = '\0';
    if (full_len)
        *full_len = n;
    return n > 0;
}
