// The reader of replace.txt: finds, for one first byte, the entry lines a scan
// from the current position reaches, exactly as the dictionary pass uses them.
#pragma once

#include <array>
#include <cstddef>

#include "common/textfile.h"

// A key or a replacement: at most 63 bytes, then a NUL so it reads as a string.
constexpr std::size_t ENTRY_BYTES = 64;
constexpr std::size_t ENTRY_MAX_LENGTH = ENTRY_BYTES - 1;

// What the byte that ends a key says about where its match is accepted.
constexpr int MATCH_ANYWHERE = 0;    // "!" or "$": at every start position
constexpr int MATCH_WHOLE_WORD = 1;  // "_": only on the whole word
constexpr int MATCH_ENDING = 2;      // "%": only on a tail shorter than the word

constexpr unsigned char DICT_END_LINE = '$';     // a line starting with it ends the dictionary
constexpr unsigned char REPLACEMENT_END = '!';   // closes a replacement
constexpr unsigned char CAPTURE_BYTE = '*';      // any one byte in a key; that byte in a replacement
constexpr unsigned char SMALL_YO_LINE = 0xB8;    // "ё": a line with it never ends a scan

// Whether a byte ends a key, and the match mode the byte that ended it gives.
constexpr bool is_key_end(int c) { return c == '_' || c == '%' || c == '!' || c == DICT_END_LINE; }
constexpr int key_mode(int key_end)
{
    return key_end == '_' ? MATCH_WHOLE_WORD : key_end == '%' ? MATCH_ENDING : MATCH_ANYWHERE;
}

struct EntryText {
    std::array<unsigned char, ENTRY_BYTES> bytes{};
    std::size_t length = 0;
};

// How reading a key or a replacement ended.
enum EntryRead {
    ENTRY_OK,         // read up to its closing byte, which was consumed
    ENTRY_TOO_LONG,   // more than 63 bytes: the rest of the line has been passed over
    ENTRY_LINE_END,   // the line feed came before the closing byte (and was consumed)
    ENTRY_FILE_END,   // the file ended before the closing byte
    ENTRY_END_MARKER, // a replacement holding the end marker, which would end the
                      // text in its middle: the rest of the line has been passed over
};

// Back to the first line, where every scan starts.
void dictionary_rewind(TextFile& dict);
// Whether a scan for sought passes over a line starting with line_first
// instead of stopping there: the order is that of signed 8-bit values, and
// "ё" lines are always passed over.
bool scan_passes_over(unsigned char line_first, unsigned char sought);
// Passes over the rest of the current line, through its line feed.
void skip_line(TextFile& dict);
// Reads the rest of a key whose first byte (first) has been read, up to and
// including the byte that ends it, and sets match_mode from that byte.
EntryRead read_key(TextFile& dict, unsigned char first, EntryText& key, int& match_mode);
// Reads a replacement up to and including its closing "!". One that holds the
// end marker is refused (ENTRY_END_MARKER): written into text2.tmp it would
// silently cut off everything after the word.
EntryRead read_replacement(TextFile& dict, EntryText& replacement);
// From where dict stands, finds the next usable entry line starting with
// sought; returns 1 with its key and match_mode, the file standing just after
// the key's end byte, or 0 when no later line can start with sought (a
// greater first byte, the end line or the end of the file). Lines whose key
// is malformed or too long are passed over.
int next_entry(TextFile& dict, unsigned char sought, EntryText& key, int& match_mode);
