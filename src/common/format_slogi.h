// The format of slogi.tmp, the syllables the third stage writes and the sound
// stage reads: each syllable ended by a mark that says how it joins the next
// one, or by a delimiter of the text, which is a pause; the end marker closes
// it. Every mark's join code (or the length of its pause) is stated here.
#pragma once

#include <array>

#include "common/format_text.h"

// The marks the syllable stage puts between syllables and after words.
constexpr unsigned char SYLLABLE_JOINED = '+';  // a new syllable joined close to the last
constexpr unsigned char SYLLABLE_SPLIT = '-';   // a new syllable after an open one
constexpr unsigned char WORD_END = '_';         // what a space (and the end of the text) becomes

// A token's join code is a kind of join or, above word_end, the length of the
// pause after it in samples at speed 100.
enum class JoinKind : int {
    joined = 0,    // SYLLABLE_JOINED
    split = 1,     // SYLLABLE_SPLIT
    word_end = 2,  // WORD_END
};
constexpr int code_of(JoinKind kind) { return static_cast<int>(kind); }
constexpr bool is_kind(int code, JoinKind kind) { return code == code_of(kind); }
constexpr bool is_pause(int code) { return code > code_of(JoinKind::word_end); }
constexpr bool is_inside_word(int code) { return code < code_of(JoinKind::word_end); }
// One step of pause, in samples at speed 100; the pause codes of the
// punctuation marks are multiples of it.
constexpr int PAUSE_UNIT = 500;
// The code of the text that stood right before the end marker: a pause.
constexpr int END_CODE = 1000;

// The bytes that end a token and the join codes they give it.
struct JoinCode {
    unsigned char terminator;
    int code;
};
inline constexpr JoinCode JOIN_CODES[] = {
    {SYLLABLE_JOINED, code_of(JoinKind::joined)},
    {SYLLABLE_SPLIT, code_of(JoinKind::split)},
    {WORD_END, code_of(JoinKind::word_end)},
    {'~', 1 * PAUSE_UNIT},   // pause
    {'\n', 6 * PAUSE_UNIT},  // end of a paragraph
    {',', 6 * PAUSE_UNIT},
    {';', 12 * PAUSE_UNIT},
    {PAUSE_MARK, 20 * PAUSE_UNIT},  // the mark stays in the token
    {':', 25 * PAUSE_UNIT},
    {'!', 27 * PAUSE_UNIT},
    {'.', 30 * PAUSE_UNIT},
    {'?', 35 * PAUSE_UNIT},
    {END_MARKER, 0},  // end of the stream
};

// The join code of every byte, -1 for a byte that ends no token.
inline constexpr std::array<int, 256> JOIN_CODE_TABLE = [] {
    std::array<int, 256> t{};
    t.fill(-1);
    for (const JoinCode& j : JOIN_CODES)
        t[j.terminator] = j.code;
    return t;
}();
inline int join_code_of(int c) { return c >= 0 && c < 256 ? JOIN_CODE_TABLE[static_cast<std::size_t>(c)] : -1; }
