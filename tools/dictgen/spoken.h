// From espeak-ng's Russian phonemes to the letters the voice speaks: each
// letter of the written word is paired with the sounds espeak-ng gives it, and
// spelled again from them (молоко, "mVlVk'o", becomes малако).
#pragma once

#include <string>
#include <vector>

// A sound of espeak-ng's phoneme string for one word.
struct Sound {
    enum Kind { VOWEL, CONSONANT, SCHWA_INSERT };
    Kind kind = CONSONANT;
    char vowel_class = 0;  // a o u e i y, for a vowel
    std::string symbol;    // the consonant's symbol without its softness mark ("ts", "S", "j")
    bool soft = false;
    bool stressed = false;  // the vowel after espeak-ng's primary stress mark "'"
};

// The sounds of a phoneme string as espeak_TextToPhonemes writes it in its
// ASCII form: cut into espeak-ng's phoneme names, longest name first (stress
// marks, pauses and length marks say nothing; "ja" and "ju" are й and a
// vowel, "dZ" is д and ж).
std::vector<Sound> parse_phonemes(const std::string& phonemes);

// The class of each vowel phoneme in order: a o u e i y. The short schwa
// espeak-ng inserts into some consonant clusters ("@-") and the non-syllabic
// и after a soft final consonant ("I^") are phonemes of their own that make no
// syllable and are no vowel, unless every_vowel asks for them too.
std::string phoneme_vowel_classes(const std::string& phonemes, bool every_vowel = false);
// The same for code page 1251 letters: а я a, о ё o, у ю u, э е e, и i, ы y.
std::string letter_vowel_classes(const std::string& word);

// A word's spoken spelling, split by its written letters: piece[i] is what
// letter i becomes (empty for a silent letter). ok is false when the sounds
// do not fit the letters well enough to trust (abbreviations, foreign
// spellings) or the spelling would not carry espeak-ng's vowels. In a word
// of two or more syllables the stressed vowel's piece ends with the stress
// mark (STRESS_MARK); a word of one syllable carries none, its stress being
// the reader's to judge from the words around it.
struct Spelling {
    bool ok = false;
    std::vector<std::string> piece;
    std::string joined() const;
};

// The letters of a spelling without its stress mark.
std::string without_stress(std::string spelled);

// word: small code page 1251 letters; phonemes: espeak-ng's for the word said alone.
Spelling spoken_spelling(const std::string& word, const std::string& phonemes);
