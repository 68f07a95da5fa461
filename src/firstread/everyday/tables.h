// The word tables of the everyday reading, kept together in tables.cpp.
// Words are code page 1251 strings; keys are small letters.
#pragma once

#include "firstread/everyday/numerals.h"
#include "firstread/symbol_words.h"

// A word, its letters and the NUL; a longer run of letters is read in pieces.
constexpr std::size_t WORD_BYTES = 64;

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
// "1 ч. л.", "150 л. с.", "50 кв. м": a unit of two shortened words.
struct TwoWordUnit {
    const char* first;
    const char* second;
    NounForms forms;
    Gender gender;
    const char* genitive_one;  // after a fraction: "1/2 ч. л." → одна вторая чайной ложки
};
// "ст. 15", "в ст. 15": a shortened noun in the case the word before asks.
struct CasedAbbreviation {
    const char* key;
    const char* nom;
    const char* gen;
    const char* dat;
    const char* prep;
};
struct TwoPart {
    const char* first;
    const char* second;
    const char* words;
    bool sentence_end;    // "и т. д." may close a sentence: its dot is then kept
};
// A character code page 1251 lacks and its Russian name ("," for a pause).
struct WideSymbol {
    unsigned code_point;
    const char* words;
};

// A word that asks a case of the number after it: "от", "более", "к".
struct Governing {
    const char* word;
    Case asks;
    bool by_noun;  // "в", "на", "с": the noun after the number may tell another case
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
extern const OrdinalContext ORDINAL_SUFFIXES[]; // "5-й", "2-го": the ending after the hyphen
extern const WordPair CITY_FORMS[];             // в → городе: "г." before a name, by the word before
extern const SymbolWord SYMBOL_WORDS[];         // @ → собака: symbols outside a number
extern const SymbolWord ADDRESS_WORDS[];        // . → точка: the characters of an address
extern const WordPair LATIN_SOUNDS[];           // sh → ш: Latin spellings, longest first
extern const Governing GOVERNING_WORDS[];       // от, до, более …: the case of the number after them
extern const char* const SECTION_WORDS[];       // п, рис, табл …: "п. 3.2" is a section number
extern const char* const SECTION_STEMS[];       // пункт, раздел, верси …: and so are these words' forms
extern const char* const JOINING_WORDS[];       // и, или, либо: the next number keeps the case of the last
extern const char* const NOT_NOUNS[];           // или, при …: words after a number that tell no gender
extern const char* const MASCULINE_LOOKALIKES[];  // мужчина, кофе …: masculine nouns whose endings say otherwise
extern const TwoWordUnit TWO_WORD_UNITS[];      // ч. л. → чайная ложка …
extern const CasedAbbreviation CASED_ABBREVIATIONS[];  // п., ст., ч. …: пункт, пункта, пункту, пункте
extern const WideSymbol WIDE_SYMBOLS[];         // ² → в квадрате, ≈ → примерно …: characters outside code page 1251
extern const NounForms RUBLES;
extern const NounForms PERCENT;
extern const NounForms DEGREES;
extern const NounForms DOLLARS;
extern const NounForms EUROS;
extern const NounForms CENTS;
extern const NounForms VOLTS;
extern const NounForms AMPERES;

// Lookups; nullptr when the key is not in the table.
const WordPair* find_pair(const WordPair* table, const char* key);
const Abbreviation* find_abbreviation(const char* key);
const CountedUnit* find_unit(const char* key);
const OrdinalContext* find_context(const OrdinalContext* table, const char* key);
const Governing* find_governing(const char* word);
const TwoWordUnit* find_two_word_unit(const char* first, const char* second);
const CasedAbbreviation* find_cased_abbreviation(const char* key);
const WideSymbol* find_wide(int code_point);  // nullptr: the character is dropped
// The currency a sign names ($, €, ₽ as the reader gets them), else nullptr.
const NounForms* currency_of(int c);
bool in_word_list(const char* const* list, const char* word);  // a list ended by nullptr
bool is_section_word(const char* word);  // in SECTION_WORDS or a form of SECTION_STEMS
bool is_order_noun(const char* word);    // квартал, курс, этаж …: "за 1 квартал" names the first
// Whether word (folded) is a singular form of a feminine noun the generated
// table knows: "книга", "странице", "ночь", "тетради" (not "день", "мужчина").
bool is_feminine_noun(const char* word);
int month_of(const char* word);  // 1..12 for a month name in the genitive, else 0
