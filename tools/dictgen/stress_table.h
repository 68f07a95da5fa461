// The stress rule's table: for each word ending of 1 to 4 letters, the
// syllable counted from the end that the words of the dictionary with that
// ending stress most often.
#pragma once

#include <map>
#include <string>
#include <vector>

// A word as the syllable marker meets it (code page 1251 letters, no mark)
// and the syllable its stress mark stands on, counted from the end (1 the last).
struct StressSample {
    std::string letters;
    int syllable = 0;
};

// The sample of a word the dictionary pass wrote with one stress mark right
// after a vowel; false for a word without one, with more, with a mark after
// another letter, with "ё" (always stressed, never by its ending) or with
// fewer than two syllables.
bool stress_sample(const std::string& marked, StressSample& out);

// What a word gets when no listed ending says otherwise: the one before last.
constexpr int STRESS_FALLBACK = 2;

struct StressTable {
    std::map<std::string, int> endings;  // only where it says otherwise than a shorter one
};

// Learned from the samples: an ending that at least min_words words share,
// its most frequent syllable, kept where it differs from what the shorter
// endings (or the fallback) give.
StressTable learn_stress_table(const std::vector<StressSample>& samples, long long min_words);

// The syllable the table gives letters (the longest listed ending), clamped
// to the word's syllables.
int table_syllable(const StressTable& table, const std::string& letters);

// The table as lines of a C++ array initialiser, in the order of the bytes.
std::string stress_table_source(const StressTable& table);
