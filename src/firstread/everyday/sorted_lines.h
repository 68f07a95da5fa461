// Blocks of sorted lines generated at build time and compiled into the
// program: each line a key, or a key, a tab and a value; the block sorted by
// byte on the keys, every line ended by '\n'.
#pragma once

#include <cstddef>

// The value of the line whose key is the n bytes of key: a pointer into the
// block, its length in *length (0 for a line without a tab); nullptr when no
// line has that key.
const char* sorted_line_value(const char* block, std::size_t bytes, const char* key, std::size_t n,
                              std::size_t* length);

// Whether the n bytes of word are a line (a key) of the sorted block.
bool in_sorted_lines(const char* block, std::size_t bytes, const char* word, std::size_t n);
