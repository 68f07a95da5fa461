// The syllable marker's own helpers, shared only with its tests.
#pragma once

// Private to the syllable marker and its tests (the CMake target vokdar_slogi_internal);
// everything else includes slogi/slogi.h.
#ifndef VOKDAR_SLOGI_INSIDE
#error "slogi_internal.h is private to the syllable marker: include slogi/slogi.h"
#endif

#include <array>
#include <cstddef>

#include "common/textfile.h"

// Neither a byte nor a neighbour: before the first byte of a word, after its last.
constexpr int NO_BYTE = -1;

// The bytes that end a word in this stage: " \n-+~1" (the end marker ends the text).
extern const char WORD_ENDINGS[];
bool is_word_ending(unsigned char c);

// What slogi.tmp holds for the byte c of a word, given its neighbours in the
// word as read (NO_BYTE where there is none): a mark and c, c alone, a "+"
// alone (for "ъ"), or nothing. Returns how many bytes it put into out.
std::size_t mark_byte(int prev, unsigned char c, int next, std::array<unsigned char, 2>& out);

// Marks every word of text (up to its end marker or its end) into out,
// without the closing end marker; stress: the everyday reading's stress marks.
void mark_text(TextFile& text, TextFile& out, bool stress);
