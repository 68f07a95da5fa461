// Stage three: syllable boundaries of text2.tmp marked into slogi.tmp.
#include "slogi/slogi.h"

#include "common/format_slogi.h"
#include "common/tables.h"
#include "slogi/slogi_internal.h"
#include "slogi/stress_rule.h"

#include <algorithm>

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

namespace {

// The text as the marker reads it: in the everyday reading a word is read
// ahead whole (when it fits) so that one without a stress mark can be given
// one before it is marked; otherwise byte by byte.
constexpr std::size_t WORD_AHEAD = 64;
struct Reader {
    TextFile& text;
    bool stress;  // the everyday reading: stress marks are kept and given
    std::array<int, WORD_AHEAD + 2> ahead{};  // the word, a mark, the byte after it
    std::size_t at = 0, count = 0;

    int get()
    {
        if (at < count)
            return ahead[at++];
        return next_text_byte(text);
    }
};

bool ends_word(int c) { return c == NO_BYTE || is_word_ending(static_cast<unsigned char>(c)); }

// Reads the word that starts with first ahead, and puts a stress mark after
// the vowel the rule gives when the word carries none after a vowel. The
// reader then hands out the word again, and the byte that ended it.
void read_word_ahead(Reader& r, int first)
{
    std::array<unsigned char, WORD_AHEAD> word{};  // without marks
    std::size_t n = 0;
    bool marked = false;
    int prev = NO_BYTE;
    r.at = r.count = 0;
    for (int c = first;; c = next_text_byte(r.text)) {
        r.ahead[r.count++] = c;
        if (ends_word(c) || r.count == WORD_AHEAD)
            break;
        if (is_stress_mark(static_cast<unsigned char>(c))) {
            marked = marked || vowel(prev);
        } else {
            word[n++] = static_cast<unsigned char>(c);
            prev = c;
        }
    }
    if (marked || !ends_word(r.ahead[r.count - 1]))
        return;  // marked already, or too long to judge: passed on as it is
    const int at = stressed_vowel_at(word.data(), n);
    if (at < 0)
        return;
    // The letter at index at of the word without marks, and where it stands.
    std::size_t letter = 0, i = 0;
    for (; i < r.count; ++i) {
        if (is_stress_mark(static_cast<unsigned char>(r.ahead[i])))
            continue;
        if (letter++ == static_cast<std::size_t>(at))
            break;
    }
    std::copy_backward(r.ahead.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                       r.ahead.begin() + static_cast<std::ptrdiff_t>(r.count),
                       r.ahead.begin() + static_cast<std::ptrdiff_t>(r.count) + 1);
    r.ahead[i + 1] = STRESS_MARK;
    ++r.count;
}

}  // namespace

// Words are marked as they stream by, one byte behind and one ahead, so a word
// of any length is marked whole, every mark from its true neighbours. A stress
// mark belongs to the letter before it: it is passed over as a neighbour and
// written right after that letter, the first one after a vowel in a word
// only, and only in the everyday reading; any other is dropped.
void mark_text(TextFile& text, TextFile& out, bool stress)
{
    Reader r{text, stress};
    std::array<unsigned char, 2> marked;
    int c = r.get();
    while (c != NO_BYTE) {
        if (is_word_ending(static_cast<unsigned char>(c)) || is_stress_mark(static_cast<unsigned char>(c))) {
            c = r.get();  // an empty word: its ending byte is dropped
            continue;
        }
        if (stress) {
            read_word_ahead(r, c);
            c = r.get();
        }
        int prev = NO_BYTE;
        int next;
        bool stressed = false;  // the word's stress mark is written
        for (;;) {
            bool mark_after = false;
            next = r.get();
            while (next != NO_BYTE && is_stress_mark(static_cast<unsigned char>(next))) {
                mark_after = true;
                next = r.get();
            }
            const bool last = ends_word(next);
            const std::size_t n =
                mark_byte(prev, static_cast<unsigned char>(c), last ? NO_BYTE : next, marked);
            text_write(out, marked.data(), n);
            if (mark_after && stress && !stressed && vowel(c)) {
                text_putc(out, STRESS_MARK);
                stressed = true;
            }
            if (last)
                break;
            prev = c;
            c = next;
        }
        text_putc(out, (next == NO_BYTE || next == ' ') ? WORD_END : static_cast<unsigned char>(next));
        if (next == NO_BYTE)
            return;
        c = r.get();
    }
}

SlogiStatus Slogi(TextFile& text, TextFile& out, int reading)
{
    mark_text(text, out, reading == READING_EVERYDAY);
    text_putc(out, END_MARKER);

    // Syllables cut short by a failed read or write must not pass for a done file.
    if (!text_flush(out) || out.failed)
        return SlogiStatus::write_failed;
    if (text.failed)
        return SlogiStatus::read_failed;
    return SlogiStatus::done;
}
