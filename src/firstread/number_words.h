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
