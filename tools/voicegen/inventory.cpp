// The voice's inventory, derived from the syllable marker's own rule.
#include "inventory.h"

#include <cstring>
#include <string>

#include "common/format_slogi.h"
#include "common/tables.h"
#include "slogi/slogi.h"

namespace {

constexpr unsigned char SHORT_I = 0xE9;  // "й": no sign follows it
constexpr std::size_t LONGEST_WORD = 3;

// The 33 small letters, "ё" first as the code page sorts it.
constexpr std::size_t LETTER_COUNT = 33;
std::array<unsigned char, LETTER_COUNT> all_letters()
{
    std::array<unsigned char, LETTER_COUNT> letters{};
    letters[0] = SMALL_YO;
    for (std::size_t i = 1; i < LETTER_COUNT; ++i)
        letters[i] = static_cast<unsigned char>(SMALL_A + i - 1);
    return letters;
}

bool is_sign(unsigned char c) { return c == SOFT_SIGN || c == HARD_SIGN; }

// Russian spelling: a sign stands only after a consonant other than "й", and
// the hard sign never ends a word. Any letter may stand alone: the normaliser
// passes a lone letter through as it is when a quote or bracket touches it
// ("т ь\"" in spaced-out words).
bool spelled(const unsigned char* word, std::size_t length)
{
    if (length == 1)
        return true;
    for (std::size_t i = 0; i < length; ++i) {
        if (!is_sign(word[i]))
            continue;
        if (i == 0 || !is_consonant(word[i - 1]) || word[i - 1] == SHORT_I)
            return false;
        if (word[i] == HARD_SIGN && i + 1 == length)
            return false;
    }
    return true;
}

// Token order: shorter first, then byte by byte.
bool token_before(const Token& a, std::size_t alen, const Token& b, std::size_t blen)
{
    if (alen != blen)
        return alen < blen;
    return std::memcmp(a.data(), b.data(), alen) < 0;
}

std::size_t token_length(const Token& t)
{
    std::size_t n = 0;
    while (n < TOKEN_BYTES && t[n] != 0)
        ++n;
    return n;
}

void add_token(TokenList& list, const unsigned char* token, std::size_t length)
{
    if (length == 0 || length >= TOKEN_BYTES || in_inventory(list, token, length) ||
        list.count == MAX_TOKENS)
        return;
    Token t{};
    std::memcpy(t.data(), token, length);
    std::size_t at = list.count;
    while (at > 0 && token_before(t, length, list.token[at - 1], token_length(list.token[at - 1]))) {
        list.token[at] = list.token[at - 1];
        --at;
    }
    list.token[at] = t;
    ++list.count;
}

// Adds the tokens of slogi.tmp's text: the letters between its marks.
void add_tokens_of(TokenList& list, const std::string& syllables)
{
    std::array<unsigned char, TOKEN_BYTES> token{};
    std::size_t used = 0;
    for (const char ch : syllables) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == SYLLABLE_JOINED || c == SYLLABLE_SPLIT || c == WORD_END || c == END_MARKER) {
            add_token(list, token.data(), used);
            used = 0;
        } else if (used < TOKEN_BYTES - 1) {
            token[used++] = c;
        }
    }
}

}  // namespace

bool is_consonant(unsigned char c)
{
    return is_small_letter(c) && !is_vowel(c) && !is_sign(c);
}

void derive_tokens(TokenList& list)
{
    list.count = 0;
    // Every word, a space after each, marked by the syllable stage itself.
    std::string words;
    const auto letters = all_letters();
    std::array<std::size_t, LONGEST_WORD> index{};
    std::array<unsigned char, LONGEST_WORD> word{};
    for (std::size_t length = 1; length <= LONGEST_WORD; ++length) {
        index.fill(0);
        for (;;) {
            for (std::size_t i = 0; i < length; ++i)
                word[i] = letters[index[i]];
            if (spelled(word.data(), length)) {
                words.append(reinterpret_cast<const char*>(word.data()), length);
                words += ' ';
            }
            std::size_t d = length;
            while (d > 0 && ++index[d - 1] == LETTER_COUNT)
                index[--d] = 0;
            if (d == 0)
                break;
        }
    }
    words += static_cast<char>(END_MARKER);
    std::string syllables;
    TextFile in, out;
    text_open_memory(in, words, "r");
    text_open_memory(out, syllables, "w");
    Slogi(in, out);
    text_close(out);
    add_tokens_of(list, syllables);
}

bool in_inventory(const TokenList& list, const unsigned char* token, std::size_t length)
{
    for (std::size_t i = 0; i < list.count; ++i)
        if (token_length(list.token[i]) == length && std::memcmp(list.token[i].data(), token, length) == 0)
            return true;
    return false;
}
