// Code page 1251 and Unicode: the table of the upper half and the conversions
// used for UTF-8 text (the clipboard, UTF-8 files).
#pragma once

#include <cstddef>
#include <cstdint>

// The Unicode code point of each byte 0x80..0xFF; 0 where the code page has no character.
inline constexpr std::uint16_t CP1251_UNICODE[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // 0xB8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // 0xC0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // 0xC8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // 0xD0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // 0xD8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // 0xE0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // 0xE8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // 0xF0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // 0xF8
};

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

// The longest UTF-8 form of one code point.
constexpr std::size_t UTF8_MAX_BYTES = 4;
// Writes the UTF-8 form of a code point (up to U+10FFFF) into out and returns
// its length in bytes.
std::size_t utf8_encode(std::uint32_t code_point, char (&out)[UTF8_MAX_BYTES]);

// A text written in UTF-8 in the source, stored as code page 1251 bytes at
// compile time: cp1251_text<"ноль"> is a NUL-terminated const char*.
template <std::size_t N>
struct Utf8Literal {
    char bytes[N];
    consteval Utf8Literal(const char (&text)[N])
    {
        for (std::size_t i = 0; i < N; ++i)
            bytes[i] = text[i];
    }
};

template <std::size_t N>
struct Cp1251Literal {
    char bytes[N] = {};
};

consteval unsigned char cp1251_from_unicode_const(std::uint32_t code_point)
{
    if (code_point < 0x80)
        return static_cast<unsigned char>(code_point);
    for (int i = 0; i < 128; ++i)
        if (CP1251_UNICODE[i] == code_point)
            return static_cast<unsigned char>(0x80 + i);
    throw "no code page 1251 form";  // fails the compilation
}

template <std::size_t N>
consteval Cp1251Literal<N> cp1251_convert(const Utf8Literal<N>& in)
{
    Cp1251Literal<N> out;
    std::size_t o = 0;
    for (std::size_t i = 0; i < N && in.bytes[i] != 0;) {
        const auto b = static_cast<unsigned char>(in.bytes[i]);
        const int len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 4;
        std::uint32_t cp = len == 1 ? b : len == 2 ? (b & 0x1Fu) : len == 3 ? (b & 0x0Fu) : (b & 0x07u);
        for (int k = 1; k < len; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(in.bytes[i + static_cast<std::size_t>(k)]) & 0x3Fu);
        i += static_cast<std::size_t>(len);
        out.bytes[o++] = static_cast<char>(cp1251_from_unicode_const(cp));
    }
    return out;
}

template <Utf8Literal T>
inline constexpr Cp1251Literal CP1251_LITERAL = cp1251_convert(T);

template <Utf8Literal T>
inline constexpr const char* cp1251_text = CP1251_LITERAL<T>.bytes;
