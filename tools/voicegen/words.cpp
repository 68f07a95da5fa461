// The words of a corpus sentence's text, laid against its labelled vowels.
#include "words.h"

namespace {

// The code point at text[i] (UTF-8), i moved past it; a byte that starts no
// sequence is taken as it is.
char32_t next_code(const std::string& text, std::size_t& i)
{
    const auto c = static_cast<unsigned char>(text[i++]);
    if (c < 0xC0 || c >= 0xF0 || i >= text.size())
        return c;
    const auto d = static_cast<unsigned char>(text[i]);
    if ((d & 0xC0) != 0x80)
        return c;
    if (c < 0xE0) {
        ++i;
        return char32_t((c & 0x1F) << 6 | (d & 0x3F));
    }
    if (i + 1 >= text.size() || (static_cast<unsigned char>(text[i + 1]) & 0xC0) != 0x80)
        return c;
    const auto e = static_cast<unsigned char>(text[i + 1]);
    i += 2;
    return char32_t((c & 0x0F) << 12 | (d & 0x3F) << 6 | (e & 0x3F));
}

// The small letter of a Cyrillic letter, or 0 for anything else.
char32_t small_cyrillic(char32_t c)
{
    if (c >= U'А' && c <= U'Я')
        return c + (U'а' - U'А');
    if (c == U'Ё')
        return U'ё';
    if ((c >= U'а' && c <= U'я') || c == U'ё')
        return c;
    return 0;
}

bool vowel_letter(char32_t c) { return std::u32string_view(U"аеёиоуыэюя").find(c) != std::u32string_view::npos; }

bool punctuation(char32_t c) { return std::u32string_view(U".,?!;:-").find(c) != std::u32string_view::npos; }

}  // namespace

std::size_t text_words(const std::string& text, std::vector<TextWord>& words)
{
    words.clear();
    std::size_t vowels = 0;
    bool in_word = false;
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = next_code(text, i);
        if (c == U'+')
            continue;
        const char32_t small = small_cyrillic(c);
        if (small == 0) {
            in_word = false;
            if (!words.empty() && words.back().after == U' ' && punctuation(c))
                words.back().after = c;
            continue;
        }
        if (!in_word) {
            words.emplace_back();
            words.back().first_vowel = vowels;
            in_word = true;
        }
        words.back().letters += small;
        if (vowel_letter(small)) {
            ++words.back().vowels;
            ++vowels;
        }
    }
    return vowels;
}

bool lone_vowel_word(const TextWord& w)
{
    return w.letters.size() == 1 && std::u32string_view(U"иауо").find(w.letters[0]) != std::u32string_view::npos;
}
