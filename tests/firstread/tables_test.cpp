// The lookups of the everyday reading's word tables and of the blocks of
// sorted lines generated at build time (feminine nouns, English words).
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

// Every key of the looked-up tables finds its own entry, or the first of
// equal keys, as a walk through the table would; a key of none finds nothing.
template <typename Entry, typename Find>
void each_key_finds_its_entry(const Entry* table, const char* Entry::*field, Find find)
{
    for (const Entry* e = table; e->*field != nullptr; ++e) {
        const Entry* first = table;
        while (std::strcmp(first->*field, e->*field) != 0)
            ++first;
        EXPECT_EQ(find(e->*field), first) << harness::utf8(e->*field);
    }
    EXPECT_EQ(find("zz-no-such-key"), nullptr);
    EXPECT_EQ(find(""), nullptr);
}

TEST(WordTables, LookupsFindTheFirstEntryOfEachKey)
{
    for (const WordPair* t : {READ_AS_WORDS, SPECIAL_ABBREVIATIONS, LATIN_WORDS, CITY_FORMS})
        each_key_finds_its_entry(t, &WordPair::key, [t](const char* k) { return find_pair(t, k); });
    for (const OrdinalContext* t : {ROMAN_AFTER, ROMAN_BEFORE, YEAR_WORDS, ORDINAL_SUFFIXES})
        each_key_finds_its_entry(t, &OrdinalContext::word, [t](const char* k) { return find_context(t, k); });
    each_key_finds_its_entry(ABBREVIATIONS, &Abbreviation::key, find_abbreviation);
    each_key_finds_its_entry(COUNTED_UNITS, &CountedUnit::key, find_unit);
    each_key_finds_its_entry(GOVERNING_WORDS, &Governing::word, find_governing);
    each_key_finds_its_entry(CASED_ABBREVIATIONS, &CasedAbbreviation::key, find_cased_abbreviation);
    for (const char* const* list : {SECTION_WORDS, JOINING_WORDS, NOT_NOUNS, MASCULINE_LOOKALIKES}) {
        for (const char* const* w = list; *w != nullptr; ++w)
            EXPECT_TRUE(in_word_list(list, *w)) << harness::utf8(*w);
        EXPECT_FALSE(in_word_list(list, "zz"));
    }
    for (int m = 0; m < 12; ++m)
        EXPECT_EQ(month_of(MONTHS_GENITIVE[m]), m + 1);
    EXPECT_EQ(month_of(harness::cp1251("январь").c_str()), 0);
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
