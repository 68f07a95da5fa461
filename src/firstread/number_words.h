// The number words of the first stage, one table for both readings. Words are
// spelled as they are pronounced ("двацать", "пятцот", "милион") and stored as
// code page 1251.
#pragma once

// The three forms of a noun after a number: after 1 (21, 101 …), after 2-4
// (22 …) and after the rest (0, 5-20, 25 …).
struct NounForms {
    const char* one;
    const char* few;
    const char* many;
};

// By digit. TEN_WORDS[0] and HUNDRED_WORDS[0] are nullptr: a 0 there is silent.
extern const char* const UNIT_WORDS[10];     // ноль один … девять
extern const char* const TEEN_WORDS[10];     // десять одинатцать … девятнатцать
extern const char* const TEN_WORDS[10];      // десять двацать … девяносто
extern const char* const HUNDRED_WORDS[10];  // сто двести … девятцот
extern const char* const ONE_FEMININE;       // одна
extern const char* const TWO_FEMININE;       // две
extern const char* const ONE_NEUTER;         // одно

// тысяча, милион, милиард: the group words by group (0 thousands).
extern const NounForms GROUP_NOUNS[3];

// The oblique cases a cardinal takes after a preposition or a governing word
// ("от двух до пяти", "более пятисот"); the accusative is the nominative but
// for "одну" and "тысячу".
struct CaseForms {
    const char* gen;
    const char* dat;
    const char* ins;
    const char* prep;
};
extern const CaseForms UNIT_CASES[10];      // нуля одного двух …
extern const CaseForms ONE_FEMININE_CASES;  // одной
extern const CaseForms TEEN_CASES[10];      // десяти одинатцати …
extern const CaseForms TEN_CASES[10];       // [0] unused; двацати … сорока …
extern const CaseForms HUNDRED_CASES[10];   // [0] unused; ста двухсот …
// The group words in the oblique cases, singular ("одной тысячи") and plural.
extern const CaseForms GROUP_SINGULAR_CASES[3];
extern const CaseForms GROUP_PLURAL_CASES[3];
extern const char* const ONE_FEMININE_ACCUSATIVE;  // одну
extern const char* const THOUSAND_ACCUSATIVE;      // тысячу

// Ordinal stems and the ending family each takes.
enum class OrdinalFamily { hard, stressed, soft };  // первый, второй, третий
struct OrdinalStem {
    const char* stem;
    OrdinalFamily family;
};
extern const OrdinalStem ORDINAL_UNITS[10];     // нулев перв втор …
extern const OrdinalStem ORDINAL_TEENS[10];     // десят одинатцат …
extern const OrdinalStem ORDINAL_TENS[10];      // [0] empty; десят двацат …
extern const OrdinalStem ORDINAL_HUNDREDS[10];  // [0] empty; сот двухсот …
// "двухтысячный": the count of a round group joined to its ordinal stem.
extern const char* const JOINED_COUNTS[10];
extern const char* const GROUP_ORDINALS[3];     // тысячн милионн милиардн
// The endings by family, then by the ordinal form (in the order of Ordinal).
constexpr int ORDINAL_FORMS = 10;
extern const char* const ORDINAL_ENDINGS[3][ORDINAL_FORMS];
