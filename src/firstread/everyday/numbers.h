// Inside the everyday reading: numbers with what they count, as the reading
// of the text hands them over.
#pragma once
#include <cstddef>

#include "firstread/everyday/input.h"

// A number whose first digit has been read, with what it counts after it.
void read_number(Reader& r, Speech& s, Context& ctx, int first_digit);
// Whether a number after the word before, followed by noun, names a place in
// order rather than counts ("на 3 этаже", "во II квартале"); form is then its form.
// A Roman numeral names a place in order wherever it may ("за III квартал").
bool ordinal_before_noun(const char* before, const char* noun, Ordinal& form, bool roman = false);
// A run of digits inside an address: a number, or its digits one by one.
void say_plain_number(Speech& s, const char* digits, std::size_t n);
