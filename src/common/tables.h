// Letter tables and markers shared by every stage (code page 1251 bytes).
#pragma once

#include <array>
#include <cstdint>

// The ten small vowels "аеёиоуыэюя"; capital letters are not vowels.
inline constexpr char VOWELS[] = "\xE0\xE5\xB8\xE8\xEE\xF3\xFB\xFD\xFE\xFF";  // аеёиоуыэюя
// The word-ending bytes of the normaliser and the dictionary pass: " ,.-~\n?!:;".
inline constexpr char DELIMITERS[] = " ,.-~\n?!:;";

// Closes text.tmp, text2.tmp and slogi.tmp; readers never look past it.
constexpr unsigned char END_MARKER = 0x60;

// Small Cyrillic letters: 0xE0..0xFF ("а".."я") and 0xB8 ("ё").
constexpr unsigned char SMALL_A = 0xE0;
constexpr unsigned char SMALL_YO = 0xB8;
constexpr unsigned char CAPITAL_A = 0xC0;
constexpr unsigned char CAPITAL_YO = 0xA8;
constexpr unsigned char HARD_SIGN = 0xFA;  // "ъ"
constexpr unsigned char SOFT_SIGN = 0xFC;  // "ь"

// True when c is one of the bytes of the NUL-terminated string set (NUL never is).
bool in_set(const char* set, unsigned char c);

// The membership of every byte in a set, made when the program is compiled:
// the tests below run for every byte of every text.
using ByteTable = std::array<std::uint8_t, 256>;
constexpr ByteTable byte_table(const char* set)
{
    ByteTable t{};
    for (const char* p = set; *p != '\0'; ++p)
        t[static_cast<unsigned char>(*p)] = 1;
    return t;
}
inline constexpr ByteTable VOWEL_TABLE = byte_table(VOWELS);
inline constexpr ByteTable DELIMITER_TABLE = byte_table(DELIMITERS);

// Membership tests on single bytes; NUL belongs to no set. They take a byte,
// never an end-of-file value: callers test for TEXT_EOF first.
inline bool is_vowel(unsigned char c) { return VOWEL_TABLE[c] != 0; }
inline bool is_delimiter(unsigned char c) { return DELIMITER_TABLE[c] != 0; }
inline bool is_small_letter(unsigned char c) { return c >= SMALL_A || c == SMALL_YO; }  // а..я or ё
