// Inside the normaliser: the number speller and the input opener, shared with
// the stage's own tests only (the driver sees firstread.h alone).
#pragma once

#include "common/textfile.h"

// Speaks the run of digits that starts with first_digit ('0'..'9', already
// read from in) as Russian number words into out. Reads the rest of the run,
// the character that ends it and, after a point, looks ahead for a fraction.
// Returns how many characters it consumed after first_digit (the end of the
// input counts as one); in is left right after them.
long long Spellnumber(char first_digit, TextFile& in, TextFile& out);

// The fraction state lives for the whole run of the program; tests that speak
// several texts in one process start each from the state of a fresh program.
void spellnumber_reset();

// Opens the text to be read aloud.
bool open_input(TextFile& f, const char* name);
