// Where a word without a stress mark is stressed in the everyday reading:
// by its ending, from a table learned from the generated dictionary.
#pragma once

#include <cstddef>

// One learned ending: its last letters (code page 1251) and the syllable,
// counted from the end of the word (1 the last), that most words with it
// stress. Endings of 1 to STRESS_ENDING_MAX letters; a longer one is listed
// only where it says otherwise than the shorter ones it ends with.
constexpr std::size_t STRESS_ENDING_MAX = 4;
struct StressEnding {
    const char* letters;
    int syllable;
};

// The word's letters (a word of text2.tmp as the syllable marker reads it,
// without stress marks): the index of the vowel to stress, or -1 where the
// word gets no stress (no vowel, a byte that is no small letter, or an
// unstressed word of one syllable such as "и", "в", "на"). "ё" is always
// stressed; a one-syllable word is stressed on its vowel; a longer word on
// the syllable its longest listed ending gives, else the one before last.
int stressed_vowel_at(const unsigned char* word, std::size_t n);

// The ending table in use, sorted by its letters' bytes.
const StressEnding* stress_endings(std::size_t& count);
