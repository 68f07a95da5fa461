// The syllable tokens the default voice must hold, and their recording names.
#pragma once

#include <array>
#include <cstddef>

// A token of slogi.tmp as the sound stage reads it: letters, then a NUL.
// Tokens of ordinary words have at most two letters; the room is the stage's.
constexpr std::size_t TOKEN_BYTES = 10;
using Token = std::array<unsigned char, TOKEN_BYTES>;

// Every token Slogi cuts from ordinary Russian words fits here (261 of them).
constexpr std::size_t MAX_TOKENS = 400;
struct TokenList {
    std::array<Token, MAX_TOKENS> token{};
    std::size_t count = 0;
};

// The tokens the syllable marker produces from every word of up to three
// letters that Russian spelling allows ("ь" and "ъ" only after a consonant,
// or as a letter alone). Marks depend on one letter either side, so longer words add
// no new token. In a fixed order: by length, then by letters.
void derive_tokens(TokenList& list);

// Whether the marker can cut this token from an ordinary word.
bool in_inventory(const TokenList& list, const unsigned char* token, std::size_t length);

// The recording's file name of a token ("ма" → "ma.pcm"), the way the sound
// stage looks it up; false when a letter has no file-name character or the
// name does not fit.
constexpr std::size_t NAME_BYTES = TOKEN_BYTES - 1 + sizeof ".pcm";
bool recording_name(const unsigned char* token, std::size_t length,
                    std::array<char, NAME_BYTES>& name);

// Letter classes of the inventory (code page 1251 bytes).
bool is_consonant(unsigned char c);  // the 21 letters б..щ that are not vowels or signs
constexpr unsigned char LETTER_SOFT_SIGN = 0xFC;  // "ь"
constexpr unsigned char LETTER_HARD_SIGN = 0xFA;  // "ъ"
