// The format of text.tmp and text2.tmp, the text the first stage writes and
// the next two read: small Cyrillic letters of code page 1251, the
// delimiters, the pause mark, and the end marker that closes the text.
#pragma once

// Small Cyrillic letters: 0xE0..0xFF ("а".."я") and 0xB8 ("ё").
constexpr unsigned char SMALL_A = 0xE0;
constexpr unsigned char SMALL_YO = 0xB8;
constexpr unsigned char CAPITAL_A = 0xC0;
constexpr unsigned char CAPITAL_YO = 0xA8;
constexpr unsigned char HARD_SIGN = 0xFA;  // "ъ"
constexpr unsigned char SOFT_SIGN = 0xFC;  // "ь"

// The word-ending bytes of the normaliser and the dictionary pass: " ,.-~\n?!:;".
// Each but the space and the hyphen is a pause of the sound stage.
inline constexpr char DELIMITERS[] = " ,.-~\n?!:;";

// A pause of its own (a paragraph break, a dash that opens a phrase); it
// stays a token of its own down to the sound stage.
constexpr unsigned char PAUSE_MARK = '#';

// Closes text.tmp, text2.tmp and slogi.tmp; readers never look past it.
constexpr unsigned char END_MARKER = 0x60;

inline bool is_small_letter(unsigned char c) { return c >= SMALL_A || c == SMALL_YO; }  // а..я or ё

// The stress mark of the everyday reading: code page 1251 "´", written right
// after the stressed vowel letter of a word, at most one a word. It may stand
// in the dictionary's replacements, text2.tmp and slogi.tmp, never in the
// original reading's stage files. A syllable token keeps it right after its
// vowel; the sound stage strips it before it names the recording.
constexpr unsigned char STRESS_MARK = 0xB4;

inline bool is_stress_mark(unsigned char c) { return c == STRESS_MARK; }
