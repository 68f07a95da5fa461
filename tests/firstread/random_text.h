// Random texts of the kind the normaliser meets at its worst: Cyrillic words
// of both cases, digit runs with points and commas, dashes, symbols, line
// ends, Latin letters and stray bytes; every second one stored as UTF-8 with
// characters that have no code page 1251 form (the minus sign, thin spaces).
// The same seed gives the same texts on every machine.
#pragma once

#include <cstdint>
#include <string>

namespace random_text {

// A small generator of its own: the standard distributions may differ
// between library versions, and the texts must not.
struct Generator {
    std::uint64_t state;
    std::uint32_t next()
    {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state >> 33);
    }
    std::uint32_t below(std::uint32_t n) { return next() % n; }
};

inline void utf8_append(std::string& s, std::uint32_t cp)
{
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Text number index of the series.
inline std::string text(std::uint32_t index)
{
    Generator g{0x5EED0000ULL + index * 7919ULL};
    const bool utf8 = index % 2 == 1;
    const std::uint32_t length = g.below(600);
    static const char* const PUNCTUATION = ".,-:;!?~\"@#$%*/=&+()'`";
    std::string s;
    for (std::uint32_t i = 0; i < length; ++i) {
        const std::uint32_t kind = g.below(100);
        std::uint32_t cp;
        if (kind < 40)
            cp = 0x0410 + g.below(64);  // А..я
        else if (kind < 58)
            cp = '0' + g.below(10);
        else if (kind < 70)
            cp = ' ';
        else if (kind < 74)
            cp = '\n';
        else if (kind < 86)
            cp = static_cast<unsigned char>(PUNCTUATION[g.below(22)]);
        else if (kind < 91)
            cp = (g.below(2) != 0 ? 'A' : 'a') + g.below(26);
        else if (kind < 93)
            cp = 0x0401;  // Ё
        else if (utf8)
            cp = g.below(4) == 0 ? 0x2212 : g.below(3) == 0 ? 0x2009 : g.below(2) == 0 ? 0x00A0 : 0x2014;
        else
            cp = 1 + g.below(255);  // any byte; code page 1251 texts only
        if (utf8) {
            utf8_append(s, cp);
        } else if (cp >= 0x0410 && cp <= 0x044F) {
            s += static_cast<char>(cp - 0x0410 + 0xC0);
        } else if (cp == 0x0401) {
            s += static_cast<char>(0xA8);
        } else {
            s += static_cast<char>(cp);
        }
    }
    return s;
}

// FNV-1a over the bytes: a text.tmp in 16 hexadecimal digits.
inline std::uint64_t digest(const std::string& bytes)
{
    std::uint64_t h = 14695981039346656037ULL;
    for (const char b : bytes) {
        h ^= static_cast<unsigned char>(b);
        h *= 1099511628211ULL;
    }
    return h;
}

}  // namespace random_text
