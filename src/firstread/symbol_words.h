// A symbol of the text and the words it is read as, for the symbol tables of
// both readings.
#pragma once

struct SymbolWord {
    unsigned char symbol;
    const char* words;  // nullptr ends a table
};

// The words for c in a table ended by an entry whose words are nullptr;
// nullptr when c is not in it.
inline const char* symbol_words(const SymbolWord* table, unsigned char c)
{
    for (const SymbolWord* s = table; s->words != nullptr; ++s)
        if (s->symbol == c)
            return s->words;
    return nullptr;
}
