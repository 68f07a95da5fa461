// Letter tables and markers shared by every stage.
#include "common/tables.h"

const char VOWELS[] = "\xE0\xE5\xB8\xE8\xEE\xF3\xFB\xFD\xFE\xFF";  // аеёиоуыэюя
const char DELIMITERS[] = " ,.-~\n?!:;";

bool in_set(const char* set, unsigned char c)
{
    if (c == 0)
        return false;
    for (const char* p = set; *p; ++p)
        if (static_cast<unsigned char>(*p) == c)
            return true;
    return false;
}

bool is_vowel(unsigned char c) { return in_set(VOWELS, c); }
bool is_delimiter(unsigned char c) { return in_set(DELIMITERS, c); }
bool is_small_letter(unsigned char c) { return c >= SMALL_A || c == SMALL_YO; }
