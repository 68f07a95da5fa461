// The words of a corpus sentence's text, laid against its labelled vowels.
// The labels name phones only; every vowel letter of the text is one vowel
// phone of the labels (so in every sentence of the corpus), so the n-th
// vowel letter of the text is the n-th vowel of the labels, and each word's
// vowels are a run of them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct TextWord {
    std::u32string letters;  // small letters
    std::size_t first_vowel = 0;  // its first vowel among the sentence's
    std::size_t vowels = 0;
    char32_t after = U' ';  // the punctuation mark that follows it, or a space
};

// The words of a UTF-8 text: runs of Cyrillic letters (a hyphen or anything
// else ends one; the corpus's "+" stress hints are passed over). Returns the
// number of vowel letters.
std::size_t text_words(const std::string& text, std::vector<TextWord>& words);

// A word of one vowel letter said on its own: "и", "а", "у", "о".
bool lone_vowel_word(const TextWord& w);
