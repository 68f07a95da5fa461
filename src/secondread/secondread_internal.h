// The dictionary pass's own helpers, shared only with its tests.
#pragma once

// Private to the dictionary pass and its tests (the CMake target vokdar_secondread_internal);
// everything else includes secondread/secondread.h.
#ifndef VOKDAR_SECONDREAD_INSIDE
#error "secondread_internal.h is private to the dictionary pass: include secondread/secondread.h"
#endif

#include <array>
#include <cstddef>

#include "common/textfile.h"
#include "secondread/dict_index.h"
#include "secondread/dictionary.h"

// One word of text.tmp with its delimiter (at most 63 bytes), then a NUL.
constexpr std::size_t WORD_BYTES = 64;
constexpr std::size_t WORD_MAX_LENGTH = WORD_BYTES - 1;

struct Word {
    std::array<unsigned char, WORD_BYTES> bytes{};
    std::size_t length = 0;
};

// What read_word found.
constexpr int WORD_LAST = 0;       // the end marker (or the end of the file) closed the word
constexpr int WORD_DELIMITED = 1;  // the word ends with its delimiter
constexpr int WORD_TOO_LONG = 2;   // 63 bytes read and the word goes on in the file

// Reads one word: up to and including a delimiter, or up to the end marker.
int read_word(TextFile& text, Word& word);
// Copies the rest of a word that did not fit, up to and including its
// delimiter; returns 0 when the end marker (or the end of the file) ended it.
int copy_rest_of_word(TextFile& text, TextFile& out);
// Rewrites the word from the first accepted dictionary entry, or leaves it.
void process_word(TextFile& dict, Word& word);
// The same over the dictionary held in memory.
void process_word_indexed(DictIndex& ix, Word& word);
// What Secondread uses: process_word_indexed, and in the everyday reading a
// word that arrives with stress marks (the writer's own) is looked up
// without them, and its first mark, on its vowel, replaces the marks of
// what the dictionary made of it.
void process_marked_word(DictIndex& ix, Word& word);
