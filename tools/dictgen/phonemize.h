// espeak-ng's Russian phonemizer, for a word said alone.
#pragma once

#include <string>

// Starts espeak-ng with its Russian voice; false when it has none.
bool phonemizer_start();
void phonemizer_stop();
// The phonemes espeak-ng gives a code page 1251 word followed by a full stop,
// in its ASCII form: the same as espeak-ng -v ru -q -x prints for it.
std::string phonemes_of(const std::string& cp1251_word);
