// The console layer: key waits, the progress mark and formatted input.
#include "common/console.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "common/console_system.h"

namespace {

int waits_done = 0;
bool waits_enabled = true;

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
    std::fputs(message, stdout);
    wait_key();
    return 0;
}

void console_mark()
{
    if (system_console_utf8())
        std::fputs("\xE2\x96\xA0", stdout);
    else
        std::fputc(254, stdout);
    std::fflush(stdout);
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
