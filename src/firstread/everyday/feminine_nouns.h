// Feminine nouns, generated at build time from hunspell-ru's word forms
// (tools/nouns/make-feminine-nouns.sh). Each block is sorted by byte, one
// code page 1251 word to a line, every line ended by '\n'.
#pragma once

#include <cstddef>

#include "firstread/everyday/sorted_lines.h"

// Stems of the nouns in -а/-я: "книг" (книга, книги, книгу, книгой, книге).
extern const char FEMININE_STEMS[];
extern const std::size_t FEMININE_STEMS_BYTES;
// Nouns in -ь in the nominative: "ночь", "тетрадь".
extern const char FEMININE_SOFT_NOUNS[];
extern const std::size_t FEMININE_SOFT_NOUNS_BYTES;
