// Stage three: syllable boundaries of text2.tmp marked into slogi.tmp.
#include "slogi/slogi.h"

#include "common/format_slogi.h"
#include "common/tables.h"
#include "slogi/slogi_internal.h"

const char WORD_ENDINGS[] = " \n-+~1";

namespace {

constexpr unsigned char CHE = 0xF7;        // "ч"

bool vowel(int c) { return c != NO_BYTE && is_vowel(static_cast<unsigned char>(c)); }
bool delimiter(int c) { return c != NO_BYTE && is_delimiter(static_cast<unsigned char>(c)); }

// The next byte of the text, or NO_BYTE at the end marker or the end of the file.
int next_text_byte(TextFile& text)
{
    const int c = text_getc(text);
    return (c == TEXT_EOF || c == END_MARKER) ? NO_BYTE : c;
}

}  // namespace

bool is_word_ending(unsigned char c) { return in_set(WORD_ENDINGS, c); }

std::size_t mark_byte(int prev, unsigned char c, int next, std::array<unsigned char, 2>& out)
{
    if (c == HARD_SIGN) {
        out[0] = SYLLABLE_JOINED;
        return 1;
    }
    if (c == SOFT_SIGN) {
        if (prev == CHE)
            return 0;
        out[0] = c;
        return 1;
    }
    if (prev == NO_BYTE || is_delimiter(c)) {
        out[0] = c;
        return 1;
    }
    unsigned char mark = 0;
    if (is_vowel(c)) {
        if (vowel(prev) || prev == SOFT_SIGN)
            mark = SYLLABLE_JOINED;
    } else if (!vowel(prev) || next == SOFT_SIGN || delimiter(next)) {
        mark = SYLLABLE_JOINED;
    } else {
        mark = SYLLABLE_SPLIT;
    }
    if (mark == 0) {
        out[0] = c;
        return 1;
    }
    out[0] = mark;
    out[1] = c;
    return 2;
}

// Words are marked as they stream by, one byte behind and one ahead, so a word
// of any length is marked whole, every mark from its true neighbours.
void mark_text(TextFile& text, TextFile& out)
{
    std::array<unsigned char, 2> marked;
    int c = next_text_byte(text);
    while (c != NO_BYTE) {
        if (is_word_ending(static_cast<unsigned char>(c))) {
            c = next_text_byte(text);  // an empty word: its ending byte is dropped
            continue;
        }
        int prev = NO_BYTE;
        int next;
        for (;;) {
            next = next_text_byte(text);
            const bool last = next == NO_BYTE || is_word_ending(static_cast<unsigned char>(next));
            const std::size_t n =
                mark_byte(prev, static_cast<unsigned char>(c), last ? NO_BYTE : next, marked);
            text_write(out, marked.data(), n);
            if (last)
                break;
            prev = c;
            c = next;
        }
        text_putc(out, (next == NO_BYTE || next == ' ') ? WORD_END : static_cast<unsigned char>(next));
        if (next == NO_BYTE)
            return;
        c = next_text_byte(text);
    }
}

SlogiStatus Slogi(TextFile& text, TextFile& out)
{
    mark_text(text, out);
    text_putc(out, END_MARKER);

    // Syllables cut short by a failed read or write must not pass for a done file.
    if (!text_flush(out) || out.failed)
        return SlogiStatus::write_failed;
    if (text.failed)
        return SlogiStatus::read_failed;
    return SlogiStatus::done;
}
