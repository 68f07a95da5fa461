// Letter tables and markers shared by every stage (code page 1251 bytes).
#pragma once

// The ten small vowels "аеёиоуыэюя"; capital letters are not vowels.
extern const char VOWELS[];
// The word-ending bytes of the normaliser and the dictionary pass: " ,.-~\n?!:;".
extern const char DELIMITERS[];

// Closes text.tmp, text2.tmp and slogi.tmp; readers never look past it.
constexpr unsigned char END_MARKER = 0x60;

// Small Cyrillic letters: 0xE0..0xFF ("а".."я") and 0xB8 ("ё").
constexpr unsigned char SMALL_A = 0xE0;
constexpr unsigned char SMALL_YO = 0xB8;
constexpr unsigned char CAPITAL_A = 0xC0;
constexpr unsigned char CAPITAL_YO = 0xA8;

// Membership tests on single bytes; NUL belongs to no set. They take a byte,
// never an end-of-file value: callers test for TEXT_EOF first.
bool is_vowel(unsigned char c);
bool is_delimiter(unsigned char c);
bool is_small_letter(unsigned char c);  // а..я or ё
// True when c is one of the bytes of the NUL-terminated string set (NUL never is).
bool in_set(const char* set, unsigned char c);
