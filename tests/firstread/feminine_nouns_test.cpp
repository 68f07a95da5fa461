// The lookup in a generated block of sorted lines, and the generated table of
// feminine nouns itself (made from hunspell-ru at build time).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "firstread/everyday/english_words.h"
#include "firstread/everyday/feminine_nouns.h"
#include "firstread/everyday/tables.h"
#include "harness.h"

namespace {

bool in_block(const std::string& block, const std::string& word)
{
    return in_sorted_lines(block.data(), block.size(), word.data(), word.size());
}

// Every line is found, wherever it stands; prefixes, extensions and words
// between the lines are not; an empty block or one without its last line end
// finds nothing past it.
TEST(SortedLines, FindsExactlyTheLines)
{
    const std::string block = "a\nab\nabc\nb\nbb\nc\n";
    for (const char* w : {"a", "ab", "abc", "b", "bb", "c"})
        EXPECT_TRUE(in_block(block, w)) << w;
    for (const char* w : {"", "abcd", "aa", "ba", "bbb", "d", "0"})
        EXPECT_FALSE(in_block(block, w)) << w;
    EXPECT_FALSE(in_block("", "a"));
    EXPECT_TRUE(in_block("x\ny\n", "y"));
    EXPECT_FALSE(in_block("x\ny", "y"));
}

// A key ends at a tab: "ab" is found with its value, neither "a" nor "abc"
// takes its line; a line without a tab is a key with an empty value.
TEST(SortedLines, FindsTheValueOfAKey)
{
    const std::string block = "a\tx\nab\tyz\nabd\nb\t\n";
    const auto value = [&](const std::string& key) {
        std::size_t length = 99;
        const char* v = sorted_line_value(block.data(), block.size(), key.data(), key.size(), &length);
        return v == nullptr ? std::string("none") : std::string(v, length);
    };
    EXPECT_EQ(value("a"), "x");
    EXPECT_EQ(value("ab"), "yz");
    EXPECT_EQ(value("abd"), "");
    EXPECT_EQ(value("b"), "");
    EXPECT_EQ(value("abc"), "none");
    EXPECT_EQ(value("ab\tyz"), "none");
    EXPECT_EQ(value(""), "none");
}

// The generated blocks are sorted by byte on their keys and end with a line
// end, as the lookup needs.
TEST(FeminineNouns, BlocksAreSortedLines)
{
    for (const auto& [block, bytes] : {std::pair<const char*, std::size_t>{FEMININE_STEMS, FEMININE_STEMS_BYTES},
                                       std::pair<const char*, std::size_t>{FEMININE_SOFT_NOUNS, FEMININE_SOFT_NOUNS_BYTES},
                                       std::pair<const char*, std::size_t>{ENGLISH_WORDS, ENGLISH_WORDS_BYTES}}) {
        ASSERT_EQ(std::strlen(block), bytes);
        if (bytes == 0)
            continue;  // built without hunspell-ru
        EXPECT_EQ(block[bytes - 1], '\n');
        std::string previous;
        for (std::size_t at = 0; at < bytes;) {
            const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(std::memchr(block + at, '\n', bytes - at)) - block);
            std::string line(block + at, end - at);
            line = line.substr(0, line.find('\t'));
            EXPECT_LT(previous, line);
            previous = line;
            at = end + 1;
        }
    }
}

// Forms of feminine nouns are known as such, of masculine and neuter ones not.
TEST(FeminineNouns, FormsOfFeminineNouns)
{
    if (FEMININE_STEMS_BYTES == 0)
        GTEST_SKIP() << "built without hunspell-ru";
    for (const char* w : {"книга", "книги", "странице", "неделю", "линии", "ночь", "ночи", "тетрадь", "площадью"})
        EXPECT_TRUE(is_feminine_noun(harness::cp1251(w).c_str())) << w;
    for (const char* w : {"день", "этаже", "стола", "окно", "учителем", "мужчина", "кофе", "или"})
        EXPECT_FALSE(is_feminine_noun(harness::cp1251(w).c_str())) << w;
}

// The English table says words as a Russian reader does: the vowels the
// phonemes give, reduced ones by the spelling, "new" with its y sound.
TEST(EnglishWords, ReadingsFromThePhonemes)
{
    if (ENGLISH_WORDS_BYTES == 0)
        GTEST_SKIP() << "built without espeak-ng or the word list";
    const std::pair<const char*, const char*> words[] = {
        {"stable", "стейбл"}, {"times", "таймс"},   {"new", "нью"},       {"journal", "джорнал"},
        {"black", "блэк"},    {"server", "сервер"}, {"history", "хистори"}, {"computer", "компьютер"},
    };
    for (const auto& [latin, russian] : words) {
        std::size_t length = 0;
        const char* v = sorted_line_value(ENGLISH_WORDS, ENGLISH_WORDS_BYTES, latin, std::strlen(latin), &length);
        ASSERT_NE(v, nullptr) << latin;
        EXPECT_EQ(harness::utf8(std::string(v, length)), russian) << latin;
    }
}

}  // namespace
