// Code page 1251 and Unicode: the table of the upper half and the conversions
// used for UTF-8 text (the clipboard, UTF-8 files).
#pragma once

#include <cstddef>
#include <cstdint>

// The Unicode code point of each byte 0x80..0xFF; 0 where the code page has no character.
extern const std::uint16_t CP1251_UNICODE[128];

// The byte for a code point, or '?' where code page 1251 has no form for it
// (as the system clipboard converts text for 8-bit readers).
unsigned char cp1251_from_unicode(std::uint32_t code_point);

// Decodes UTF-8 a byte at a time. utf8_feed stores the code points completed
// by one byte in out (none, one, or two when a broken sequence is followed by
// a byte that stands alone) and returns their count; a malformed sequence
// yields U+FFFD. utf8_finish reports a sequence cut off by the end of input.
struct Utf8Decoder {
    std::uint32_t value = 0;
    int pending = 0;  // continuation bytes still expected
    int length = 0;   // length of the sequence being decoded
};
int utf8_feed(Utf8Decoder& d, unsigned char byte, std::uint32_t out[2]);
int utf8_finish(Utf8Decoder& d, std::uint32_t out[1]);
