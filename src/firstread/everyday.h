// Inside the normaliser: the everyday reading's writer, number words and word
// tables. Words are code page 1251 strings; text.tmp gets only small letters,
// spaces, the pause mark and the delimiters.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/textfile.h"

// text.tmp as the everyday reading writes it: words separated by one space,
// punctuation attached to the word before it. A space is a word end that the
// sound stage joins without a pause; only punctuation and '#' pause.
struct Speech {
    TextFile& out;
    unsigned char last = 0;  // the last byte written; 0 before the first
};
// One or more words, a space before them unless a word may not start here.
void say(Speech& s, const char* words);
// A delimiter (',' '.' '?' '!' ':' ';' '-') right after the last word.
void say_mark(Speech& s, unsigned char mark);
// The word end that a space or a line end in the text makes.
void say_space(Speech& s);
// The pause mark '#' (a paragraph break, a dash that opens a phrase).
void say_pause(Speech& s);

// The forms an ordinal number word takes here.
enum class Ordinal {
    nom_m,   // первый
    nom_f,   // первая
    nom_n,   // первое
    gen_m,   // первого
    dat_m,   // первому
    prep_m,  // первом
    obl_f,   // первой
    acc_f,   // первую
    nom_pl,  // первые
    gen_pl,  // первых
};
enum class Gender { masculine, feminine, neuter };

// Numbers up to 999 999 999 999 in words.
constexpr std::uint64_t NUMBER_LIMIT = 1000000000000ULL;
void say_cardinal(Speech& s, std::uint64_t value, Gender gender = Gender::masculine);
void say_ordinal(Speech& s, std::uint64_t value, Ordinal form);
// Each digit by its name ("ноль ноль семь").
void say_digits(Speech& s, const char* digits, std::size_t n);
// whole and the k digits after the decimal sign: "три целых четырнатцать сотых".
void say_fraction(Speech& s, std::uint64_t whole, const char* digits, std::size_t k);

// The three forms of a noun after a number: after 1 (21, 101 …), after 2-4
// (22 …) and after the rest (0, 5-20, 25 …). After a fraction: the few form.
struct NounForms {
    const char* one;
    const char* few;
    const char* many;
};
const char* agree(const NounForms& noun, std::uint64_t value, bool fraction);

// Word tables, kept together in everyday_tables.cpp. Keys are small letters.
struct WordPair {
    const char* key;
    const char* words;
};
struct Abbreviation {
    const char* key;      // the letters before the dot (or without one)
    const char* words;    // read so when no number stands before it
    bool sentence_end;    // may close a sentence: its dot is then kept
};
struct CountedUnit {
    const char* key;      // as written after a number, without its dot
    NounForms forms;
    Gender gender;        // of the noun: "одна копейка"
    bool multiplier;      // тыс., млн: a unit after it takes the many form
};
struct TwoPart {
    const char* first;
    const char* second;
    const char* words;
    bool sentence_end;    // "и т. д." may close a sentence: its dot is then kept
};
struct OrdinalContext {
    const char* word;     // the word next to the number
    Ordinal form;
};

extern const char* const MONTHS_GENITIVE[12];   // января … декабря
extern const char* const RUSSIAN_LETTER_NAMES[33];  // а бэ вэ … я, by alphabet (ё 7th)
extern const char* const ENGLISH_LETTER_NAMES[26];  // эй би си …
extern const char* const ONE_LETTER_WORDS;     // а в и к о с у я (and the particles б ж)
extern const WordPair READ_AS_WORDS[];          // вуз, мид, оон …: capital abbreviations read as words
extern const WordPair SPECIAL_ABBREVIATIONS[];  // сша → сэ шэ а
extern const Abbreviation ABBREVIATIONS[];      // ул. → улица …
extern const CountedUnit COUNTED_UNITS[];       // руб. → рубль/рубля/рублей …
extern const TwoPart TWO_PART_ABBREVIATIONS[];  // т. е. → то есть …
extern const WordPair LATIN_WORDS[];            // readme → ридми …
extern const OrdinalContext ROMAN_AFTER[];      // век, века …: "XX век"
extern const OrdinalContext ROMAN_BEFORE[];     // глава, том …: "глава IV"
extern const OrdinalContext YEAR_WORDS[];       // год, года, году
extern const NounForms PERCENT;
extern const NounForms DEGREES;
extern const NounForms DOLLARS;
extern const NounForms EUROS;

// Lookups; nullptr when the key is not in the table.
const WordPair* find_pair(const WordPair* table, const char* key);
const Abbreviation* find_abbreviation(const char* key);
const CountedUnit* find_unit(const char* key);
const OrdinalContext* find_context(const OrdinalContext* table, const char* key);
int month_of(const char* word);  // 1..12 for a month name in the genitive, else 0
