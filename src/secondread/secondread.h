// Stage two: word endings of text.tmp rewritten from the replacement
// dictionary (replace.txt's format) into text2.tmp; both texts in the form of
// src/common/format_text.h.
#pragma once

#include <memory>
#include <string>

#include "common/textfile.h"

// A replacement dictionary, opened once and read as it is used (its entries
// at the first word looked up), for as many texts as need it.
struct Dictionary;
struct DictionaryFree {
    void operator()(Dictionary* d) const;
};
using DictionaryPtr = std::unique_ptr<Dictionary, DictionaryFree>;

enum class DictionaryOpen { opened, unreadable, no_memory };
// Opens the dictionary file at path (code page 1251, or UTF-8 as an input
// text); path nullptr gives an empty dictionary, which rewrites nothing.
DictionaryOpen dictionary_open(const char* path, DictionaryPtr& dictionary);
// Reads every entry now, rather than at the first word of the first text.
void dictionary_load(Dictionary& dictionary);
// Whether the stress marks of its replacements are written into the text
// (the everyday reading) or dropped (the original reading, and at first).
void dictionary_keep_stress(Dictionary& dictionary, bool keep);
// Whether a read of the dictionary's file has failed.
bool dictionary_failed(const Dictionary& dictionary);

// What the pass makes of one word of small letters said alone, a space after
// it: the word as rewritten, without the space. A word over 62 bytes stays
// as it is, as in a text.
std::string respell_word(Dictionary& dictionary, const std::string& word);

enum class SecondreadStatus {
    done,
    write_failed,  // out refused a write
    read_failed,   // the text or the dictionary could not be read to its end
};

// Rewrites the words of text (open for reading, from its position to its end
// marker) into out (open for writing), closed by the end marker. Neither is
// closed; out is flushed.
SecondreadStatus Secondread(TextFile& text, TextFile& out, Dictionary& dictionary);
