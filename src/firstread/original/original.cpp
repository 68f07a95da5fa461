// The original reading rules: the text character by character into the
// speakable form, as the first stage has always written it. Its words are
// stored as code page 1251 at compile time.
#include "firstread/original/original.h"

#include <cstdio>

#include "common/cp1251.h"
#include "common/tables.h"
#include "firstread/symbol_words.h"

namespace {

// The letter before the text: no delimiter, no space, no Cyrillic letter.
constexpr unsigned char START_CHAR = 'a';
constexpr unsigned char DOUBLE_QUOTE = '"';
constexpr unsigned char TAB = '\t';
// Doubled letters that are pronounced double and so kept.
const char* const KEPT_DOUBLES = cp1251_text<"нвтд">;

// Symbols as these rules spell them, spaces and the pause mark included.
// Every symbol but the double quote leaves a space behind it as the last character.
const SymbolWord SYMBOL_PHRASES[] = {
    {'"', " # "},
    {'@', cp1251_text<" собачка ">},
    {'#', cp1251_text<" номер ">},
    {'$', cp1251_text<" долларов ">},
    {'%', cp1251_text<" процентов ">},
    {'*', cp1251_text<" звёздочка ">},
    {'/', cp1251_text<" разделить на ">},
    {'=', cp1251_text<" равно ">},
    {'&', cp1251_text<" и ">},
    {'+', cp1251_text<" плюс ">},
    {TAB, " "},
    {0, nullptr},
};

// The names of а..я in code page order, for letters that stand alone.
const char* const LETTER_NAMES[32] = {
    cp1251_text<"а">,  cp1251_text<"б">,  cp1251_text<"в">,  cp1251_text<"гэ">, cp1251_text<"дэ">, cp1251_text<"е">,  cp1251_text<"ж">,  cp1251_text<"зэ">, cp1251_text<"и">,  cp1251_text<"ий">, cp1251_text<"к">,
    cp1251_text<"эл">, cp1251_text<"эм">, cp1251_text<"эн">, cp1251_text<"о">,  cp1251_text<"пэ">, cp1251_text<"эр">, cp1251_text<"с">,  cp1251_text<"тэ">, cp1251_text<"у">,  cp1251_text<"эф">, cp1251_text<"хэ">,
    cp1251_text<"цэ">, cp1251_text<"че">, cp1251_text<"шэ">, cp1251_text<"ще">, cp1251_text<"твердыйзнак">, cp1251_text<"ы">, cp1251_text<"мягкийзнак">, cp1251_text<"э">, cp1251_text<"ю">, cp1251_text<"я">,
};
const char* const YO_NAME = cp1251_text<"ё">;

bool is_latin(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

unsigned char fold_case(unsigned char c)
{
    if (c >= CAPITAL_A && c < SMALL_A)
        return static_cast<unsigned char>(c + (SMALL_A - CAPITAL_A));
    if (c == CAPITAL_YO)
        return SMALL_YO;
    return c;
}

// The character after the read position, which stays where it was.
int peek(TextFile& in)
{
    const long long at = text_tell(in);
    const int c = text_getc(in);
    text_seek(in, at, SEEK_SET);
    return c;
}

// Whether another character is due; counts it off.
bool next_pass(long long& remaining)
{
    if (remaining <= 0)
        return false;
    --remaining;
    return true;
}

// A letter, or any other byte that reached the last steps of the loop.
void write_other(TextFile& in, TextFile& out, unsigned char this_char, unsigned char prev_char,
                 unsigned char prev_char2)
{
    if (this_char == prev_char && !is_vowel(this_char) && !in_set(KEPT_DOUBLES, this_char)) {
        // The second of a run is dropped, each later one written twice ("сссс"
        // → "ссссс"); a run of end markers writes nothing, or the text would end there.
        if (prev_char2 == prev_char && this_char != END_MARKER) {
            text_putc(out, this_char);
            text_putc(out, this_char);
        }
        return;
    }
    if (!is_small_letter(this_char))
        return;
    if (is_delimiter(prev_char) && prev_char != '-') {
        const int next = peek(in);
        if (next != TEXT_EOF && next != '-' && is_delimiter(static_cast<unsigned char>(next))) {
            text_putc(out, ' ');
            text_puts(out, this_char == SMALL_YO ? YO_NAME : LETTER_NAMES[this_char - SMALL_A]);
            text_putc(out, ',');
            return;
        }
    }
    text_putc(out, this_char);
}

}  // namespace

bool read_original(TextFile& in, TextFile& out, long long count, long long& remaining)
{
    // The count, not the end of the file, ends the text: 0xFF is the letter "я".
    remaining = count - 1;
    FractionState fractions;
    unsigned char this_char = START_CHAR;
    unsigned char prev_char = START_CHAR;
    unsigned char prev_char2 = START_CHAR;
    for (bool more = count > 0; more; more = next_pass(remaining)) {
        prev_char2 = prev_char;
        prev_char = this_char;
        const int c = text_getc(in);
        if (c == TEXT_EOF || c == 0)  // the end before the count: the file changed or failed
            return false;
        this_char = fold_case(static_cast<unsigned char>(c));

        if (is_latin(this_char))
            continue;
        if (this_char >= '0' && this_char <= '9') {
            remaining -= Spellnumber(static_cast<char>(this_char), in, out, fractions);
            this_char = ' ';
            continue;
        }
        if (this_char == ' ' || this_char == '\n') {
            if (prev_char == ' ')
                continue;
            text_putc(out, this_char == '\n' && prev_char == '\n' ? PAUSE_MARK : ' ');
            continue;
        }
        if (this_char == '-' && (prev_char == ' ' || prev_char == '\n')) {
            text_putc(out, PAUSE_MARK);
            continue;
        }
        if (is_delimiter(this_char)) {
            text_putc(out, this_char);
            continue;
        }
        if (const char* words = symbol_words(SYMBOL_PHRASES, this_char)) {
            text_puts(out, words);
            if (this_char != DOUBLE_QUOTE)
                this_char = ' ';
            continue;
        }
        write_other(in, out, this_char, prev_char, prev_char2);
    }
    return true;
}

