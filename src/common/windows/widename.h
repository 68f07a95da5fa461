// File names on Windows: the program holds them as bytes, in UTF-8 (the
// command line, converted from the system's Unicode form) or in the
// console's code page (a name typed at a prompt); the system is asked for
// them in UTF-16, through its wide file calls, so any script works.
#pragma once

#include <cstddef>

// The longest path the wide calls are given, in UTF-16 units with the NUL.
constexpr std::size_t WIDE_PATH_CHARS = 4096;

// name in UTF-16: read as UTF-8 when it is valid UTF-8, else in the
// console's input code page (the system's ANSI one without a console).
// false when it does not fit.
bool wide_name(const char* name, wchar_t* out, std::size_t cap);
// A UTF-16 name in UTF-8; false when it does not fit.
bool utf8_name(const wchar_t* name, char* out, std::size_t cap);
