// vokdar-dict: replace.txt walked line by line with the dictionary pass's own
// reader, raw byte ranges copied out, and code page 1251 shown as UTF-8.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>

#include "common/textfile.h"
#include "secondread/dictionary.h"

// What the first byte of a line (after its leading spaces) makes of it.
enum LineKind {
    LINE_BLANK,  // nothing but spaces before the line feed or the end of the text
    LINE_ENTRY,  // an entry line, well formed or not
    LINE_END,    // the end line: its first byte is "$"
};

// One line of the dictionary as the dictionary pass reads it. Offsets are raw
// byte offsets into the file, so a line can be copied out as it stands.
struct DictLine {
    long long number = 0;    // 1 for the first line
    long long start = 0;     // the line's first byte (after a byte order mark)
    long long first_at = 0;  // the byte the scans look at: the first that is not a space
    long long end = 0;       // after its line feed, or where the text ends
    bool has_lf = false;     // false for a last line the text ends without a line feed
    LineKind kind = LINE_BLANK;
    unsigned char first = 0;  // the first byte of an entry line, as the scans see it
    // An entry line read as the pass reads it: the key and, when the key was
    // well formed, the replacement.
    EntryRead key_read = ENTRY_OK;
    EntryRead replacement_read = ENTRY_OK;
    EntryText key;
    EntryText replacement;
    int match_mode = MATCH_ANYWHERE;
};

// Reads the next line from where dict stands (at the start of a line) and
// leaves dict at the start of the one after it; number is the line's number.
// false when the text has ended.
bool next_line(TextFile& dict, long long number, DictLine& line);

// The whole dictionary: the decoded text for walking, and what the walk found.
struct DictFile {
    TextFile text;  // as the dictionary pass reads it (UTF-8 decoded into code page 1251)
    bool utf8 = false;
    bool bom = false;
    long long text_end = 0;   // raw offset where the text ended (a Ctrl-Z, or the file's end)
    long long raw_size = 0;   // every byte of the file
    long long lines = 0;      // lines before the text ended
    long long end_line = 0;   // number of the end line, 0 when there is none
    long long end_line_start = 0;
    long long end_line_end = 0;
    bool crlf = false;        // the first line feed of the file is stored as CR LF
    std::array<bool, 256> starts{};  // a first byte of some entry line before the end line
    std::array<long long, 256> first_line_start{};  // where the first of those lines starts
};

// Opens name as the dictionary pass does and walks it once. false when it
// cannot be opened or read; why is printed to standard error.
bool dict_open(DictFile& dict, const char* name);
void dict_restart(DictFile& dict);

// The number of the line that holds the raw byte at offset (counting line feeds).
long long line_at(const char* name, long long offset);

// Code page 1251 bytes written as UTF-8 for a terminal; control bytes as \t, \xNN.
void put_cp1251(std::FILE* out, const unsigned char* bytes, std::size_t n);
void put_cp1251_byte(std::FILE* out, unsigned char b);

// Where bytes go: a file of ours or a C stream (standard output).
struct ByteSink {
    TextFile* file = nullptr;
    std::FILE* stream = nullptr;
};
bool sink_write(ByteSink& sink, const void* data, std::size_t n);
// Copies the raw bytes [from, to) of src (in binary mode) to sink.
bool copy_raw(TextFile& src, long long from, long long to, ByteSink& sink);
