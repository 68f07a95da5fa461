// Letter tables and markers shared by every stage (code page 1251 bytes).
#pragma once

#include <array>
#include <cstdint>

#include "common/format_text.h"

// The ten small vowels "аеёиоуыэюя"; capital letters are not vowels.
inline constexpr char VOWELS[] = "\xE0\xE5\xB8\xE8\xEE\xF3\xFB\xFD\xFE\xFF";  // аеёиоуыэюя

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
