// The everyday reading: the text as a Russian reader reads it aloud. Still a
// stream: a token (a word, a number, an address) is read as it comes, with a
// bounded look-ahead done by saving and restoring the input position, into
// fixed buffers. Numbers and what they count are read by numbers.cpp.
#include <cstdio>
#include <cstring>

#include "common/cp1251.h"
#include "common/format_text.h"
#include "common/tables.h"
#include "firstread/everyday/english_words.h"
#include "firstread/everyday/everyday.h"
#include "firstread/everyday/input.h"
#include "firstread/everyday/numbers.h"

namespace {

// Letters kept doubled, as they are pronounced so.
const char* const KEPT_DOUBLES = cp1251_text<"нвтд">;
// A word of capitals this long or longer among others is a heading, not an
// abbreviation; one up to ABBREVIATION_LETTERS long alone is spelled.
constexpr std::size_t SHOUTED_LETTERS = 4;
constexpr std::size_t ABBREVIATION_LETTERS = 5;
// An address is at most this long; a longer run of its characters is not one.
constexpr std::size_t ADDRESS_BYTES = 256;

bool is_latin_vowel(char c) { return std::strchr("aeiouy", c) != nullptr && c != '\0'; }

// A Latin word in small letters as Russian letters, as an English or common
// European spelling sounds: "server" → "сервер", "linux" → "линукс".
void transliterate(const char* word, char* out, std::size_t cap)
{
    const std::size_t n = std::strlen(word);
    std::size_t o = 0;
    const auto put = [&](const char* t) {
        for (; *t != '\0' && o + 1 < cap; ++t)
            out[o++] = *t;
    };
    std::size_t start = 0;
    if (n > 3 && word[0] == 'm' && word[1] == 'c' && !is_latin_vowel(word[2])) {
        put(cp1251_text<"мак">);  // "McDonald", "McLaren"
        start = 2;
    }
    for (std::size_t i = start; i < n;) {
        const char c = word[i];
        if (i > start && c == word[i - 1] && c != 'e' && c != 'o') {
            ++i;  // "hello": a doubled letter sounds once
            continue;
        }
        if (c == 'e' && i == n - 1 && n > 3 && !is_latin_vowel(word[i - 1])) {
            ++i;  // the silent final e of "update", "game"
            continue;
        }
        if (c == 'e' && i == 0) {
            put(cp1251_text<"э">);
            ++i;
            continue;
        }
        if (c == 'y' && !(i + 1 < n && is_latin_vowel(word[i + 1]))) {
            put(cp1251_text<"и">);  // "system", "history"; before a vowel as in "yes"
            ++i;
            continue;
        }
        bool matched = false;
        for (const WordPair* q = LATIN_SOUNDS; q->key != nullptr; ++q) {
            const WordPair& p = *q;
            if (p.key[0] != c)
                continue;  // only the spellings that start with this letter
            const std::size_t len = std::strlen(p.key);
            if (std::strncmp(word + i, p.key, len) == 0) {
                put(p.words);
                i += len;
                matched = true;
                break;
            }
        }
        if (!matched && c == 'c') {
            // Before e, i, y as in "service", elsewhere as in "code".
            const char next = word[i + 1];
            put(next == 'e' || next == 'i' || next == 'y' ? cp1251_text<"с"> : cp1251_text<"к">);
            ++i;
            matched = true;
        }
        if (!matched)
            ++i;
    }
    out[o] = '\0';
}

bool is_capital_latin(int c) { return c >= 'A' && c <= 'Z'; }

int roman_digit(char c)
{
    switch (c) {
    case 'I': return 1;
    case 'V': return 5;
    case 'X': return 10;
    case 'L': return 50;
    case 'C': return 100;
    case 'D': return 500;
    case 'M': return 1000;
    default: return 0;
    }
}

// The value of a Roman numeral in capitals, 0 when it is none (or not written
// the usual way: "IIII", "VX").
int roman_value(const char* s)
{
    static const char* const THOUSANDS[] = {"", "M", "MM", "MMM"};
    static const char* const HUNDREDS[] = {"", "C", "CC", "CCC", "CD", "D", "DC", "DCC", "DCCC", "CM"};
    static const char* const TENS[] = {"", "X", "XX", "XXX", "XL", "L", "LX", "LXX", "LXXX", "XC"};
    static const char* const UNITS[] = {"", "I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX"};
    int value = 0;
    for (const char* p = s; *p != '\0'; ++p) {
        const int d = roman_digit(*p);
        if (d == 0 || value > 4000)
            return 0;
        value += roman_digit(p[1]) > d ? -d : d;
    }
    if (value <= 0 || value >= 4000)
        return 0;
    // Only the usual way of writing it.
    char form[32];
    std::snprintf(form, sizeof form, "%s%s%s%s", THOUSANDS[value / 1000], HUNDREDS[value / 100 % 10],
                  TENS[value / 10 % 10], UNITS[value % 10]);
    return std::strcmp(form, s) == 0 ? value : 0;
}

const char* russian_letter_name(unsigned char c)
{
    if (c == SMALL_YO)
        return RUSSIAN_LETTER_NAMES[6];
    const int i = c - SMALL_A;
    return RUSSIAN_LETTER_NAMES[i < 6 ? i : i + 1];
}

// A run of letters read from the text: Cyrillic or Latin, folded to small
// letters, with what the capitals were.
struct Word {
    char text[WORD_BYTES];
    char raw[WORD_BYTES];  // as written (capitals kept)
    std::size_t length = 0;
    bool first_capital = false;
    bool all_capital = true;
    int stress = -1;  // the letter the writer marked stressed, or -1
};

// A stress mark the writer put after a vowel in a UTF-8 text: a combining
// acute accent (U+0301), or an acute accent (U+00B4) as dictionaries take it.
// (Code page 1251 has neither: its byte 0xB4 is the letter "ґ".)
bool is_written_stress(int c) { return c == TEXT_WIDE + 0x0301 || c == TEXT_WIDE + 0x00B4; }

void take_letters(Reader& r, int first, Word& w, bool latin)
{
    w.length = 0;
    w.first_capital = latin ? is_capital_latin(first) : is_capital_cyrillic(first);
    w.all_capital = true;
    w.stress = -1;
    for (int c = first;;) {
        const bool capital = latin ? is_capital_latin(c) : is_capital_cyrillic(c);
        w.all_capital = w.all_capital && capital;
        w.raw[w.length] = static_cast<char>(c);
        w.text[w.length] = static_cast<char>(latin ? (capital ? c + ('a' - 'A') : c) : fold_cyrillic(c));
        ++w.length;
        if (w.length + 1 >= WORD_BYTES)
            break;
        Mark m = mark(r);
        int next = get(r);
        // A Russian word's stress marks stay in it: the first after a vowel
        // is kept, the others pass unheard.
        while (!latin && is_written_stress(next)) {
            if (w.stress < 0 && is_vowel(static_cast<unsigned char>(w.text[w.length - 1])))
                w.stress = static_cast<int>(w.length - 1);
            m = mark(r);
            next = get(r);
        }
        if (!(latin ? is_latin_letter(next) : is_cyrillic_letter(next))) {
            back(r, m);
            break;
        }
        c = next;
    }
    w.text[w.length] = '\0';
    w.raw[w.length] = '\0';
}

void spell_russian(Speech& s, const char* letters)
{
    for (const char* p = letters; *p != '\0'; ++p)
        say(s, russian_letter_name(static_cast<unsigned char>(*p)));
}

void spell_english(Speech& s, const char* letters)
{
    for (const char* p = letters; *p != '\0'; ++p)
        if (*p >= 'a' && *p <= 'z')
            say(s, ENGLISH_LETTER_NAMES[*p - 'a']);
}

void say_latin_word(Speech& s, const Word& w)
{
    if (const WordPair* p = find_pair(LATIN_WORDS, w.text)) {
        say(s, p->words);
        return;
    }
    if (w.length >= 3 && w.raw[0] == 'i' && is_capital_latin(static_cast<unsigned char>(w.raw[1]))) {
        // "iPad", "iMac": the i said as the letter, then the word.
        say(s, cp1251_text<"ай">);
        Word rest;
        std::memcpy(rest.text, w.text + 1, w.length);
        std::memcpy(rest.raw, w.raw + 1, w.length);
        rest.length = w.length - 1;
        rest.first_capital = true;
        rest.all_capital = true;
        for (std::size_t i = 0; i < rest.length; ++i)
            rest.all_capital = rest.all_capital && is_capital_latin(static_cast<unsigned char>(rest.raw[i]));
        say_latin_word(s, rest);
        return;
    }
    bool vowel = false;
    for (std::size_t i = 0; i < w.length; ++i)
        vowel = vowel || is_latin_vowel(w.text[i]);
    if (w.length == 1 || (w.all_capital && (w.length <= 4 || !vowel)) || !vowel) {
        spell_english(s, w.text);
        return;
    }
    char russian[WORD_BYTES * 3];
    std::size_t length = 0;
    if (const char* reading = sorted_line_value(ENGLISH_WORDS, ENGLISH_WORDS_BYTES, w.text, w.length, &length);
        reading != nullptr && length > 0 && length < sizeof russian) {
        std::memcpy(russian, reading, length);  // "stable" → стейбл
        russian[length] = '\0';
        say(s, russian);
        return;
    }
    transliterate(w.text, russian, sizeof russian);
    say(s, russian);
}

// A pronounced word: a doubled consonant sounds once ("класс" → "клас"); a
// stress the writer marked follows its vowel as the dictionary's mark does.
void say_russian_word(Speech& s, const Word& w)
{
    char word[WORD_BYTES + 1];
    std::size_t o = 0;
    for (std::size_t i = 0; i < w.length; ++i) {
        const auto c = static_cast<unsigned char>(w.text[i]);
        if (i > 0 && c == static_cast<unsigned char>(w.text[i - 1]) && !is_vowel(c) && !in_set(KEPT_DOUBLES, c))
            continue;
        word[o++] = static_cast<char>(c);
        if (static_cast<int>(i) == w.stress)
            word[o++] = static_cast<char>(STRESS_MARK);
    }
    word[o] = '\0';
    say(s, word);
}

// Whether what follows the position (past spaces) starts a new sentence: a
// capital letter, a line end or the end of the text.
bool sentence_follows(Reader& r)
{
    const Mark m = mark(r);
    int c = get(r);
    while (is_blank(c))
        c = get(r);
    back(r, m);
    return c == TEXT_EOF || c == '\n' || is_capital_cyrillic(c) || is_capital_latin(c);
}

// "т. е.", "н.э.": the second letter and its dot after the first word's dot
// (which is next in the input). Consumed when it matches.
const TwoPart* take_two_part(Reader& r, const char* first, bool first_capital)
{
    const Mark m = mark(r);
    get(r);  // the dot
    int c = get(r);
    for (int spaces = 0; is_blank(c) && spaces < 2; ++spaces)
        c = get(r);
    // "Т. Н." are initials; "Т.е." and "т. е." are not.
    if (is_cyrillic_letter(c) && !is_cyrillic_letter(peek(r)) && !(first_capital && is_capital_cyrillic(c))) {
        char second[2] = {static_cast<char>(fold_cyrillic(c)), '\0'};
        for (const TwoPart* t = TWO_PART_ABBREVIATIONS; t->first != nullptr; ++t) {
            if (std::strcmp(t->first, first) == 0 && std::strcmp(t->second, second) == 0) {
                if (peek(r) == '.')
                    get(r);
                return t;
            }
        }
    }
    back(r, m);
    return nullptr;
}

// The next word after the position (spaces skipped), folded; empty when a
// letter does not come next. *capital: it begins with a capital; *shouted:
// it is of capitals only and not short. The position is kept.
void peek_word(Reader& r, char* word, bool* capital, bool* shouted = nullptr)
{
    const Mark m = mark(r);
    int c = get(r);
    while (is_blank(c))
        c = get(r);
    std::size_t n = 0;
    bool all_capital = true;
    *capital = is_capital_cyrillic(c);
    while (is_cyrillic_letter(c) && n + 1 < WORD_BYTES) {
        all_capital = all_capital && is_capital_cyrillic(c);
        word[n++] = static_cast<char>(fold_cyrillic(c));
        c = get(r);
    }
    word[n] = '\0';
    if (shouted != nullptr)
        *shouted = all_capital && n >= SHOUTED_LETTERS;
    back(r, m);
}

// After a Roman numeral and a dash, another numeral and then the word they
// share: "XIX-XX вв.". Empty when the text goes on otherwise.
void peek_word_after_range(Reader& r, char* word)
{
    const Mark m = mark(r);
    word[0] = '\0';
    const int dash = get(r);
    if (dash == '-' || dash == 0x96 || dash == 0x97) {
        bool numeral = false;
        while (peek(r) > 0 && peek(r) < 0x80 && std::strchr("IVXLCDM", peek(r)) != nullptr) {
            get(r);
            numeral = true;
        }
        bool capital = false;
        if (numeral)
            peek_word(r, word, &capital);
    }
    back(r, m);
}

// "г." before a name, in the case the word before asks for.
const char* city_form(const char* before)
{
    const WordPair* p = find_pair(CITY_FORMS, before);
    return p != nullptr ? p->words : cp1251_text<"город">;
}

// A name that ends as a woman's name does: "Екатерина", "Мария" (not "Илья").
bool is_womans_name(const char* word)
{
    const std::size_t n = std::strlen(word);
    if (n < 3 || in_word_list(MASCULINE_LOOKALIKES, word))
        return false;
    const auto last = static_cast<unsigned char>(word[n - 1]);
    return (last == static_cast<unsigned char>(cp1251_text<"а">[0]) || last == static_cast<unsigned char>(cp1251_text<"я">[0])) &&
           std::strcmp(word, cp1251_text<"илья">) != 0 && std::strcmp(word, cp1251_text<"никита">) != 0;
}

// A line no longer than a heading that ends without a mark, before a line
// that opens with a capital or a digit, ends a sentence: a heading.
bool heading_ends(Reader& r, const Speech& s, long long line_length)
{
    constexpr long long HEADING_CHARS = 80;
    const int next = peek(r);
    const bool word_before = s.last != 0 && std::strchr(",.!?:;-#", s.last) == nullptr && s.last != ' ';
    return word_before && line_length <= HEADING_CHARS &&
           (is_capital_cyrillic(next) || (next >= 'A' && next <= 'Z') || is_digit(next));
}

// A shortened noun in the case of the word before it: "согласно ст." →
// статье, "из п." → пункта, "в ч." → части.
const char* cased_form(const CasedAbbreviation& a, const Governing& g)
{
    switch (g.asks) {
    case Case::gen: return a.gen;
    case Case::dat: return a.dat;
    case Case::prep: return a.prep;
    default: return g.by_noun && g.asks == Case::acc ? a.prep : a.nom;  // "в п. 3": в пункте
    }
}

bool has_vowel(const char* word)
{
    for (const char* p = word; *p != '\0'; ++p)
        if (is_vowel(static_cast<unsigned char>(*p)))
            return true;
    return false;
}

void handle_cyrillic(Reader& r, Speech& s, Context& ctx, int first)
{
    Word w;
    take_letters(r, first, w, false);
    const bool after_cased_number = ctx.cased_chain == 2;
    ctx.cased_chain = 0;
    if (peek(r) == '.') {
        if (const TwoPart* t = take_two_part(r, w.text, w.first_capital)) {
            say(s, t->words);
            if (t->sentence_end && sentence_follows(r))
                say_mark(s, '.');
            ctx.prev_word[0] = '\0';
            return;
        }
        if (w.length == 1 && w.first_capital) {
            // An initial: "А. С. Пушкин" → а эс пушкин.
            get(r);
            say(s, russian_letter_name(static_cast<unsigned char>(w.text[0])));
            ctx.prev_word[0] = '\0';
            return;
        }
        if (!w.first_capital || w.length > 1) {
            if (const Abbreviation* a = find_abbreviation(w.text)) {
                get(r);
                char next[WORD_BYTES];
                bool capital = false;
                peek_word(r, next, &capital);
                const CasedAbbreviation* cased = find_cased_abbreviation(w.text);
                if (std::strcmp(w.text, cp1251_text<"г">) == 0 && capital) {
                    // "г. Москва", "в г. Москве"
                    say(s, city_form(ctx.prev_word));
                } else if (cased != nullptr && find_governing(ctx.prev_word) != nullptr) {
                    say(s, cased_form(*cased, *find_governing(ctx.prev_word)));  // "в ст. 15" → в статье
                    ctx.cased_chain = 1;
                } else if (cased != nullptr && after_cased_number) {
                    say(s, cased->gen);  // "п. 2 ст. 7" → пункт два статьи семь
                    ctx.cased_chain = 1;
                } else {
                    ctx.cased_chain = cased != nullptr ? 1 : 0;
                    say(s, a->words);
                    if (a->sentence_end && sentence_follows(r))
                        say_mark(s, '.');
                }
                // "рис. 3.1", "п. 4.2": the number after a shortened word of
                // a part of a text is a section number.
                if (in_word_list(SECTION_WORDS, w.text))
                    std::memcpy(ctx.prev_word, w.text, w.length + 1);
                else
                    ctx.prev_word[0] = '\0';
                return;
            }
        }
    }
    char next[WORD_BYTES];
    bool next_capital = false;
    bool next_shouted = false;
    if (w.all_capital && w.length >= 2)
        peek_word(r, next, &next_capital, &next_shouted);
    // Capitals inside ordinary text are an abbreviation when short or without
    // a vowel; among other words of capitals (a heading) they are words.
    const bool shouted = w.all_capital && w.length >= 2 &&
                         (!has_vowel(w.text) || (w.length <= ABBREVIATION_LETTERS && !next_shouted && !ctx.prev_shouted));
    const bool was_shouted = w.all_capital && w.length >= SHOUTED_LETTERS;
    ctx.prev_code = w.all_capital && w.length >= 2;
    if (shouted) {
        if (const WordPair* p = find_pair(READ_AS_WORDS, w.text))
            say(s, p->words);
        else if (const WordPair* q = find_pair(SPECIAL_ABBREVIATIONS, w.text))
            say(s, q->words);
        else
            spell_russian(s, w.text);
    } else if (const CountedUnit* unit = w.length < 2 || has_vowel(w.text) ? nullptr : find_unit(w.text)) {
        say(s, unit->forms.many);  // "км" with no number before it
    } else if (w.length == 1 && !in_set(ONE_LETTER_WORDS, static_cast<unsigned char>(w.text[0]))) {
        say(s, russian_letter_name(static_cast<unsigned char>(w.text[0])));  // a letter as a symbol
    } else {
        say_russian_word(s, w);  // one-letter words too: bound to the next word, no pause
    }
    std::memcpy(ctx.prev_word, w.text, w.length + 1);
    if (!in_word_list(JOINING_WORDS, w.text))
        ctx.number_case = Case::nom;
    ctx.prev_capital = w.first_capital;
    ctx.prev_shouted = was_shouted;
}

// "'s" or "’s" after a Latin word, and then no letter: consumed when so.
bool take_possessive(Reader& r)
{
    const Mark m = mark(r);
    const int apostrophe = get(r);
    if ((apostrophe == '\'' || apostrophe == 0x92) && get(r) == 's' && !is_latin_letter(peek(r)) &&
        !is_cyrillic_letter(peek(r)))
        return true;
    back(r, m);
    return false;
}

void handle_latin(Reader& r, Speech& s, Context& ctx, int first)
{
    Word w;
    take_letters(r, first, w, true);
    if (w.all_capital) {
        if (const int value = roman_value(w.raw)) {
            char next[WORD_BYTES];
            bool capital = false;
            peek_word(r, next, &capital);
            if (next[0] == '\0')
                peek_word_after_range(r, next);
            const OrdinalContext* after = find_context(ROMAN_AFTER, next);
            const OrdinalContext* before = find_context(ROMAN_BEFORE, ctx.prev_word);
            Ordinal form = Ordinal::nom_m;
            if (after != nullptr)
                form = after->form;  // "XX век"
            else if (before != nullptr)
                form = before->form;  // "глава IV"
            if (after != nullptr || before != nullptr || ordinal_before_noun(ctx.prev_word, next, form, true) ||
                (ctx.prev_capital && ctx.prev_word[0] != '\0')) {
                // "во II квартале", "Пётр I", "Екатерина II".
                if (after == nullptr && before == nullptr && ctx.prev_capital && is_womans_name(ctx.prev_word))
                    form = Ordinal::nom_f;
                say_ordinal(s, static_cast<std::uint64_t>(value), form);
                ctx.prev_word[0] = '\0';
                return;
            }
        }
    }
    say_latin_word(s, w);
    if (!w.all_capital && take_possessive(r))
        say_joined(s, cp1251_text<"с">);  // "McDonald's", "Levi's": the name and its s, one word
    ctx.prev_word[0] = '\0';
    ctx.prev_code = true;
}

bool is_address_char(int c)
{
    return is_latin_letter(c) || is_digit(c) || (c > 0 && c < 0x80 && std::strchr("._-@/:?=&%+~#", c) != nullptr);
}

bool starts_with(const char* s, const char* prefix) { return std::strncmp(s, prefix, std::strlen(prefix)) == 0; }

// An e-mail or web address from the position (its first character is next):
// the number of its characters, 0 when none starts here.
std::size_t address_length(Reader& r, char* text)
{
    const Mark m = mark(r);
    std::size_t n = 0;
    for (int c = get(r); is_address_char(c); c = get(r)) {
        if (n + 1 >= ADDRESS_BYTES) {
            back(r, m);
            return 0;
        }
        text[n++] = static_cast<char>(c);
    }
    back(r, m);
    while (n > 0 && std::strchr(".,:;?!-", text[n - 1]) != nullptr)
        --n;  // the punctuation of the sentence
    text[n] = '\0';
    char lower[ADDRESS_BYTES];
    for (std::size_t i = 0; i <= n; ++i)
        lower[i] = static_cast<char>(text[i] >= 'A' && text[i] <= 'Z' ? text[i] + ('a' - 'A') : text[i]);
    if (starts_with(lower, "http://") || starts_with(lower, "https://") || starts_with(lower, "ftp://") ||
        starts_with(lower, "www."))
        return n;
    const char* at = std::strchr(text, '@');
    if (at != nullptr && at != text && std::strchr(at + 1, '@') == nullptr) {
        const char* dot = std::strchr(at + 1, '.');
        if (dot != nullptr && dot > at + 1 && is_latin_letter(static_cast<unsigned char>(dot[1])))
            return n;
    }
    // "example.org", "example.org/news": Latin words joined by dots, the
    // last one before any slash a short name in small letters.
    const char* slash = std::strchr(text, '/');
    const std::size_t host = slash != nullptr ? static_cast<std::size_t>(slash - text) : n;
    std::size_t dot = host;
    while (dot > 0 && text[dot - 1] != '.')
        --dot;
    if (dot > 1 && is_latin_letter(static_cast<unsigned char>(text[0]))) {
        std::size_t tail = 0;
        for (std::size_t i = dot; i < host && text[i] >= 'a' && text[i] <= 'z'; ++i)
            ++tail;  // a domain name in small letters: "Linux.Then" is a sentence end
        if (tail >= 2 && tail <= 6 && dot + tail == host)
            return n;
    }
    return 0;
}

void say_address(Speech& s, const char* text)
{
    const char* p = text;
    for (const char* scheme : {"http://", "https://", "ftp://", "HTTP://", "HTTPS://", "FTP://"})
        if (starts_with(p, scheme))
            p += std::strlen(scheme);
    std::size_t end = std::strlen(p);
    while (end > 0 && p[end - 1] == '/')
        --end;  // "example.org/": the closing slash is not read
    for (std::size_t i = 0; i < end;) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (is_latin_letter(c)) {
            Word w;
            w.length = 0;
            w.first_capital = is_capital_latin(c);
            w.all_capital = true;
            for (; i < end && is_latin_letter(static_cast<unsigned char>(p[i])) && w.length + 1 < WORD_BYTES; ++i) {
                const char l = p[i];
                w.all_capital = w.all_capital && is_capital_latin(static_cast<unsigned char>(l));
                w.raw[w.length] = l;
                w.text[w.length++] = static_cast<char>(is_capital_latin(static_cast<unsigned char>(l)) ? l + ('a' - 'A') : l);
            }
            w.text[w.length] = w.raw[w.length] = '\0';
            say_latin_word(s, w);
        } else if (is_digit(c)) {
            char digits[ADDRESS_BYTES];
            std::size_t n = 0;
            for (; i < end && is_digit(static_cast<unsigned char>(p[i])); ++i)
                digits[n++] = p[i];
            say_plain_number(s, digits, n);
        } else {
            if (const char* words = symbol_words(ADDRESS_WORDS, c))
                say(s, words);
            ++i;
        }
    }
}

// A run of blanks and line ends: a paragraph's pause, the mark a heading
// lacks, and where the line begins.
void take_white_space(Reader& r, Speech& s, Context& ctx, int c)
{
    const long long line_length = r.taken - 1 - ctx.line_begin;  // up to this run
    int line_ends = 0;
    for (int b = c;; b = get(r)) {
        if (b == '\n') {
            ++line_ends;
            ctx.line_begin = r.taken;
        }
        if (!(peek(r) == '\n' || is_blank(peek(r))))
            break;
    }
    if (line_ends >= 2)
        say_pause(s);  // a paragraph
    else if (line_ends == 1 && heading_ends(r, s, line_length))
        say_mark(s, '.');  // "Установка\nПрограмма ставится …": a heading without its mark
    ctx.line_start = ctx.line_start || line_ends > 0;
    ctx.blank_before = true;
}

// An address that starts at before (a Latin letter or a digit), said whole;
// false, with the reading just after that character, when none starts there.
bool take_address(Reader& r, Speech& s, Context& ctx, Mark before)
{
    char address[ADDRESS_BYTES];
    back(r, before);
    if (const std::size_t n = address_length(r, address)) {
        for (std::size_t i = 0; i < n; ++i)
            get(r);
        say_address(s, address);
        ctx.prev_word[0] = '\0';
        return true;
    }
    get(r);
    return false;
}

// A character that is no letter, digit or signed number: a dash, a character
// code page 1251 lacks, punctuation, a symbol with a name, or a plain boundary.
void say_other(Reader& r, Speech& s, Context& ctx, int c, bool line_start, bool blank_before, bool after_number)
{
    if (c == '-' || c == 0x96 || c == 0x97) {
        // One that opens a line is the pause of a dialogue, a spaced one the
        // shorter pause of a comma, one inside a word a hyphen; a dash
        // between numbers is a range, said with the comma's pause
        // ("25–30 минут"), a hyphen there joins them ("2-3 дня").
        const int next = peek(r);
        if (line_start)
            say_pause(s);
        else if (blank_before || !(is_cyrillic_letter(next) || is_latin_letter(next) || is_digit(next)) ||
                 (c != '-' && after_number && is_digit(next)))
            say_mark(s, ',');
        else
            say_mark(s, '-');
        ctx.prev_word[0] = '\0';
        return;
    }
    if (is_wide(c)) {
        // A character code page 1251 lacks: its name, a pause, or nothing.
        if (const WideSymbol* w = find_wide(c - TEXT_WIDE)) {
            if (w->words[0] == ',')
                say_mark(s, ',');
            else
                say(s, w->words);
        }
        ctx.prev_word[0] = '\0';
        ctx.blank_before = true;
        return;
    }
    if (c == 0x85) {  // the ellipsis character
        say_mark(s, '.');
        ctx.prev_word[0] = '\0';
        return;
    }
    if (is_delimiter(static_cast<unsigned char>(c))) {
        say_mark(s, static_cast<unsigned char>(c));
        ctx.prev_word[0] = '\0';
        return;
    }
    if (const char* words = symbol_words(SYMBOL_WORDS, static_cast<unsigned char>(c))) {
        say(s, words);
        ctx.prev_word[0] = '\0';
        return;
    }
    // Brackets, quotes of other kinds and every other byte: a word boundary, nothing said.
    ctx.blank_before = true;
}

}  // namespace

bool read_everyday(TextFile& in, TextFile& out, long long count, long long& remaining)
{
    Reader r{in, count};
    Speech s{out};
    Context ctx;
    ctx.line_start = true;
    for (;;) {
        const Mark before = mark(r);
        const int c = get(r);
        if (c == TEXT_EOF) {
            if (r.taken < r.count) {  // the end before the count: the file changed or failed
                remaining = r.count - r.taken;
                return false;
            }
            break;
        }
        if (c == 0) {
            remaining = r.count - r.taken;
            return false;
        }
        if (c == '\n' || is_blank(c)) {
            take_white_space(r, s, ctx, c);
            continue;
        }
        const bool line_start = ctx.line_start;
        ctx.line_start = false;
        ctx.at_line_start = line_start;
        ctx.after_code = ctx.prev_code && ctx.blank_before;
        ctx.prev_code = false;
        const bool blank_before = ctx.blank_before || s.last == 0;
        ctx.blank_before = false;

        const int chain = ctx.cased_chain;
        ctx.cased_chain = 0;
        const bool after_number = ctx.prev_number;
        ctx.prev_number = false;

        if ((is_latin_letter(c) || is_digit(c)) && take_address(r, s, ctx, before))
            continue;
        if (is_cyrillic_letter(c)) {
            ctx.cased_chain = chain;
            handle_cyrillic(r, s, ctx, c);
            continue;
        }
        if (is_latin_letter(c)) {
            handle_latin(r, s, ctx, c);
            continue;
        }
        if (is_digit(c)) {
            read_number(r, s, ctx, c);
            ctx.cased_chain = chain == 1 ? 2 : 0;
            ctx.prev_number = true;
            continue;
        }
        if (const NounForms* money = currency_of(c); money != nullptr && is_digit(peek(r))) {
            ctx.currency = money;  // "$100": the amount, then its currency
            read_number(r, s, ctx, get(r));
            ctx.currency = nullptr;
            continue;
        }
        if ((c == '-' || c == '+') && is_digit(peek(r)) && blank_before) {
            say(s, c == '-' ? cp1251_text<"минус"> : cp1251_text<"плюс">);
            read_number(r, s, ctx, get(r));
            continue;
        }
        say_other(r, s, ctx, c, line_start, blank_before, after_number);
    }
    return true;
}
