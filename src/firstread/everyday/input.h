// Inside the everyday reading: the input as the everyday reading takes it (a
// character count, look-ahead by saving and restoring the position) and what
// it remembers of the words before.
#pragma once

#include <cstddef>
#include <cstdio>

#include "common/tables.h"
#include "common/textfile.h"
#include "firstread/everyday/tables.h"

struct Reader {
    TextFile& in;
    long long count;      // characters in the text
    long long taken = 0;  // characters read so far
};
struct Mark {
    long long offset;
    long long taken;
};

// The next character, or TEXT_EOF once count characters have been read.
inline int get(Reader& r)
{
    if (r.taken >= r.count)
        return TEXT_EOF;
    const int c = text_getc(r.in);
    if (c != TEXT_EOF)
        ++r.taken;
    return c;
}
inline Mark mark(Reader& r) { return {text_tell(r.in), r.taken}; }
inline void back(Reader& r, Mark m)
{
    text_seek(r.in, m.offset, SEEK_SET);
    r.taken = m.taken;
}
inline int peek(Reader& r)
{
    if (r.taken >= r.count)
        return TEXT_EOF;
    // A plain character waiting in the buffer is looked at where it stands.
    const unsigned char* p = nullptr;
    if (text_buffered(r.in, p) > 0 && text_is_plain(r.in, *p))
        return *p;
    const Mark m = mark(r);
    const int c = get(r);
    back(r, m);
    return c;
}

// Character classes on what get returns (TEXT_EOF is in none).
inline bool is_digit(int c) { return c >= '0' && c <= '9'; }
inline bool is_latin_letter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
inline bool is_capital_cyrillic(int c) { return (c >= CAPITAL_A && c < SMALL_A) || c == CAPITAL_YO; }
inline bool is_cyrillic_letter(int c) { return (c >= CAPITAL_A && c <= 0xFF) || c == CAPITAL_YO || c == SMALL_YO; }
// A character code page 1251 lacks, as the text layer delivers it.
inline bool is_wide(int c) { return c >= TEXT_WIDE; }
inline unsigned char fold_cyrillic(int c)
{
    if (c >= CAPITAL_A && c < SMALL_A)
        return static_cast<unsigned char>(c + (SMALL_A - CAPITAL_A));
    return static_cast<unsigned char>(c == CAPITAL_YO ? SMALL_YO : c);
}
// White space within a line: space, tab, no-break space, a lone carriage return.
inline bool is_blank(int c) { return c == ' ' || c == '\t' || c == 0xA0 || c == '\r'; }


struct Context {
    char prev_word[WORD_BYTES] = {};  // the last Cyrillic word, folded; empty after anything else
    bool prev_capital = false;        // it began with a capital
    bool prev_shouted = false;        // it was a long word of capitals (a heading)
    bool line_start = false;          // nothing but white space since the last line end
    bool blank_before = false;        // white space came right before this character
    Case number_case = Case::nom;     // of the last number, carried over "и", "или": "между 2 и 3"
    bool prev_code = false;           // the last token was a Latin word or an acronym ("USB", "ГОСТ")
    bool prev_number = false;         // the last token was a number, with nothing between: "25–30"
    bool after_code = false;          // the token being read follows one, with only blanks between
    bool at_line_start = false;       // the token being read opens its line
    const NounForms* currency = nullptr;  // a currency sign before the number being read: "$100"
    // "п. 2 ст. 7": 1 after a shortened noun of a part of a text, 2 once a
    // number follows it; a second such noun then takes the genitive (статьи).
    int cased_chain = 0;
    long long line_begin = 0;         // the character count where the current line began
};
