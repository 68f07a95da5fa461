// The syllable tokens the default voice must hold.
#pragma once

#include <array>
#include <cstddef>

#include "zvuki/recording_name.h"

// A token of slogi.tmp as the sound stage reads it: letters, then a NUL.
// Tokens of ordinary words have at most two letters; the room is the stage's.
constexpr std::size_t TOKEN_BYTES = SLOG_BYTES;
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

// Letter classes of the inventory (code page 1251 bytes).
bool is_consonant(unsigned char c);  // the 21 letters б..щ that are not vowels or signs
