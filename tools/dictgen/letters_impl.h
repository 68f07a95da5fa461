// The template half of letters.h.
#pragma once

#include <cstdint>

// The small code page 1251 letter of a code point; 0 for any other character.
inline unsigned char small_letter_of(std::uint32_t cp)
{
    if (cp >= 0x0430 && cp <= 0x044F)
        return static_cast<unsigned char>(0xE0 + (cp - 0x0430));
    if (cp >= 0x0410 && cp <= 0x042F)
        return static_cast<unsigned char>(0xE0 + (cp - 0x0410));
    if (cp == 0x0451 || cp == 0x0401)
        return L_YO;
    return 0;
}

template <typename Each>
void each_russian_word(const std::string& utf8, Each each)
{
    std::string word;
    bool foreign = false;
    auto end_word = [&] {
        if (!word.empty() && !foreign)
            each(word);
        word.clear();
        foreign = false;
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        std::uint32_t cp = b;
        std::size_t len = 1;
        if (b >= 0xC0 && b < 0xE0 && i + 1 < utf8.size()) {
            cp = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            len = 2;
        } else if (b >= 0xE0 && b < 0xF0) {
            len = 3;
        } else if (b >= 0xF0) {
            len = 4;
        }
        i += len;
        if (const unsigned char c = small_letter_of(cp)) {
            word += static_cast<char>(c);
        } else if (cp == 0x0301) {
            // A stress mark inside a word.
        } else if ((cp >= '0' && cp <= '9') || (cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z')) {
            if (!word.empty())
                foreign = true;
            else
                foreign = true, word.clear();
        } else {
            end_word();
        }
    }
    end_word();
}
