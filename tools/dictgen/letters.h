// The small Russian letters as code page 1251 bytes, and their classes.
#pragma once

#include <string>

#include "common/format_text.h"  // is_small_letter

constexpr unsigned char L_A = 0xE0, L_B = 0xE1, L_V = 0xE2, L_G = 0xE3, L_D = 0xE4, L_E = 0xE5,
                        L_ZH = 0xE6, L_Z = 0xE7, L_I = 0xE8, L_J = 0xE9, L_K = 0xEA, L_L = 0xEB,
                        L_M = 0xEC, L_N = 0xED, L_O = 0xEE, L_P = 0xEF, L_R = 0xF0, L_S = 0xF1,
                        L_T = 0xF2, L_U = 0xF3, L_F = 0xF4, L_H = 0xF5, L_TS = 0xF6, L_CH = 0xF7,
                        L_SH = 0xF8, L_SHCH = 0xF9, L_HARD = 0xFA, L_Y = 0xFB, L_SOFT = 0xFC,
                        L_EH = 0xFD, L_YU = 0xFE, L_YA = 0xFF, L_YO = 0xB8;


// The class a vowel letter is compared by: а я a, о ё o, у ю u, э е e, и i,
// ы y; 0 for any other byte.
inline char vowel_letter_class(unsigned char c)
{
    switch (c) {
    case L_A: case L_YA: return 'a';
    case L_O: case L_YO: return 'o';
    case L_U: case L_YU: return 'u';
    case L_EH: case L_E: return 'e';
    case L_I: return 'i';
    case L_Y: return 'y';
    default: return 0;
    }
}
inline bool is_vowel_letter(unsigned char c) { return vowel_letter_class(c) != 0; }
inline bool is_consonant_letter(unsigned char c)
{
    return is_small_letter(c) && !is_vowel_letter(c) && c != L_SOFT && c != L_HARD;
}

// The words of a UTF-8 text: runs of Russian letters, made small and stored
// as code page 1251; every other character ends a word. A run that touches a
// Latin letter or a digit is no Russian word and is left out.
template <typename Each>
void each_russian_word(const std::string& utf8, Each each);

// A code page 1251 word as UTF-8, for espeak-ng.
std::string utf8_of(const std::string& cp1251);

#include "letters_impl.h"
