// Code page 1251 words as UTF-8.
#include "letters.h"

std::string utf8_of(const std::string& cp1251)
{
    std::string out;
    for (const char ch : cp1251) {
        const auto c = static_cast<unsigned char>(ch);
        std::uint32_t cp = c;
        if (c == L_YO)
            cp = 0x0451;
        else if (c >= 0xC0)
            cp = 0x0410 + (c - 0xC0);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}
