// Which stretch of the corpus a syllable token is cut from: the phones that
// sound it, and the neighbours they must have.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "corpus.h"

enum class UnitKind {
    ConsonantVowel,  // "ма": the consonant, hard or soft as the vowel letter asks, then the vowel
    Vowel,           // "а": the vowel after a pause or another vowel
    IotatedVowel,    // "я" alone: "j" then the vowel, after a pause or a vowel
    Consonant,       // "м", "мь", "ь": the consonant before another consonant or a pause
};

// Accepted vowel phones, best first: stressed, then first-level reduced,
// then second-level reduced.
constexpr std::size_t MAX_VOWEL_PHONES = 4;

struct UnitRule {
    UnitKind kind = UnitKind::Vowel;
    PhoneName consonant{};  // empty for a lone vowel
    std::array<PhoneName, MAX_VOWEL_PHONES> vowel{};
    std::size_t vowels = 0;
};

// The rule of a token (code page 1251 letters); false for a token the corpus
// cannot give. fallback 1 takes the vowel phones of the sister letter ("ы"
// for "и", "е" for "э", ...), 2 also the other softness of the consonant: for
// the few tokens Russian words hardly ever hold ("йы", "жя").
bool unit_rule(const unsigned char* token, std::size_t length, int fallback, UnitRule& rule);

// One place in a sentence that matches a rule: phones first..last.
struct Occurrence {
    int sentence = 0;  // index into the sentence list
    int first = 0;
    int last = 0;
    int tier = 0;       // 0 stressed vowel (or no vowel), 1 first-level, 2 second-level
    bool context = false;  // the neighbours are the ones the rule asks for
};

// Appends every place in the sentence that holds the rule's phones, with or
// without the wanted neighbours.
void find_occurrences(const UnitRule& rule, const Sentence& s, int index, std::vector<Occurrence>& out);

bool is_vowel_phone(const Phone& p);
int vowel_tier(const Phone& p);  // 0, 1, 2; -1 for a non-vowel
