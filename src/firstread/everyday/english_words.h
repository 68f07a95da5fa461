// English words in Russian letters, generated at build time from the Debian
// word list and espeak-ng's English phonemes (tools/latin/make-english-words.sh):
// one "word<TAB>reading" line each, the word in small Latin letters, the
// reading in code page 1251, sorted by byte on the words.
#pragma once

#include <cstddef>

#include "firstread/everyday/sorted_lines.h"

extern const char ENGLISH_WORDS[];
extern const std::size_t ENGLISH_WORDS_BYTES;
