// The original reading rules of the first stage: the text character by
// character, numbers by the speller below. Private to the stage and its tests.
#pragma once

#include <cstdint>

#include "common/textfile.h"

// What one number leaves for the next: a decimal fraction is spoken over two
// calls of the speller (the integer part, then the digits after the point).
// The reader owns one for its whole text.
struct FractionState {
    // The integer part of a fraction has been spoken and its denominator is due.
    bool fraction_pending = false;
    // Digits of the pending fraction minus one, once its look-ahead is balanced.
    std::int8_t decimals = 0;
};

// Speaks the run of digits that starts with first_digit ('0'..'9', already
// read from in) as Russian number words into out. Reads the rest of the run,
// the character that ends it and, after a point, looks ahead for a fraction.
// Returns how many characters it consumed after first_digit (the end of the
// input counts as one); in is left right after them.
long long Spellnumber(char first_digit, TextFile& in, TextFile& out, FractionState& state);

// The whole text of count characters by the original rules into out. false
// on a NUL byte or a text that ends before its count, with remaining the
// characters still to come.
bool read_original(TextFile& in, TextFile& out, long long count, long long& remaining);
