// The everyday reading's writer: text.tmp as the everyday reading writes it,
// words separated by one space, punctuation attached to the word before it.
// Words are code page 1251 strings; text.tmp gets only small letters, spaces,
// the pause mark and the delimiters. Everything else of the reading is above it.
#pragma once

#include "common/textfile.h"

// A space is a word end that the sound stage joins without a pause; only
// punctuation and '#' pause.
struct Speech {
    TextFile& out;
    unsigned char last = 0;  // the last byte written; 0 before the first
};
// One or more words, a space before them unless a word may not start here.
void say(Speech& s, const char* words);
// Letters added to the end of the last word, with no space before them.
void say_joined(Speech& s, const char* letters);
// A delimiter (',' '.' '?' '!' ':' ';' '-') right after the last word.
void say_mark(Speech& s, unsigned char mark);
// The word end that a space or a line end in the text makes.
void say_space(Speech& s);
// The pause mark '#' (a paragraph break, a dash that opens a phrase).
void say_pause(Speech& s);
