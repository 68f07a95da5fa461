// The compact dictionary: from words and their spoken spellings to the
// entries of replace.txt (whole words, stems shared by a word's forms,
// endings that carry over to words the list never saw).
#pragma once

#include <string>
#include <vector>

#include "spoken.h"

struct WordData {
    std::string word;       // small code page 1251 letters
    Spelling spelling;      // its spoken spelling, letter by letter
    long long seen = 0;     // how often the word sources use it
};

// One line of replace.txt: key, kind byte ("_" whole word, "%" ending, "!"
// anywhere), replacement.
struct Entry {
    std::string key;
    char kind = '_';
    std::string replacement;
    int group = 0;  // the place among the entries of one first byte: lower first
};

struct CompactStats {
    std::size_t whole_words = 0;
    std::size_t stems = 0;
    std::size_t endings = 0;
    std::size_t word_starts = 0;
};

// The entries for the words: every word the sources use (seen > 0) whose
// spelling changes gets one (a whole word or a stem it shares with its
// forms); then stems for the other words, those saying the most words right
// first, while the entries number less than entry_budget; and endings
// learned from all the words.
std::vector<Entry> compact_entries(const std::vector<WordData>& words, CompactStats& stats,
                                   std::size_t entry_budget = 45000);

// The entry that says word as spoken, word said alone (its key's "*" takes the delimiter).
Entry whole_word_entry(const std::string& word, const std::string& spoken);

// Entries for the start of a word through its first vowel, for words of one
// length (по******_па******!), after every other entry of their letter: they
// take the words no whole-word or stem entry takes, which then keep their
// written ending. One is made where it says more of the words right than
// the entries before it do: said[i] is what the pass makes of words[i] with
// the entries (empty where it was not asked).
std::vector<Entry> word_start_entries(const std::vector<WordData>& words, const std::vector<std::string>& said,
                                      const std::vector<Entry>& entries, CompactStats& stats);

// Entries in the file's order: by first byte as the dictionary pass needs it,
// by group within one, then by key.
void sort_entries(std::vector<Entry>& entries);

// The file: entries ordered by first byte as the dictionary pass needs it,
// by group within one, then by key; the end line and the notes after it.
std::string dictionary_text(std::vector<Entry> entries, const std::string& notes);
