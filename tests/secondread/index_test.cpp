// The dictionary held in memory gives every word exactly what the scan of
// replace.txt gives it, quirks of order and broken lines included, and a first
// byte whose entries do not fit falls back to the scan.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "harness.h"
#include "secondread/secondread_internal.h"

namespace {

using harness::cp1251;
using harness::TempDir;

std::string text_of(const Word& w) { return std::string(w.bytes.begin(), w.bytes.begin() + w.length); }

Word word_of(const std::string& s)
{
    Word w;
    w.length = s.size();
    std::copy(s.begin(), s.end(), w.bytes.begin());
    w.bytes[w.length] = 0;
    return w;
}

// Large: holds the whole dictionary of a run.
DictIndex index_under_test;

// Each word through the scan and through the index of the same file.
void expect_same(const std::string& dictionary, const std::vector<std::string>& words)
{
    TempDir dir;
    dir.write("replace.txt", dictionary);
    TextFile scanned, indexed;
    ASSERT_TRUE(text_open_input(scanned, dir.file("replace.txt").c_str()));
    ASSERT_TRUE(text_open_input(indexed, dir.file("replace.txt").c_str()));
    dict_index_start(index_under_test, indexed);
    for (const std::string& s : words) {
        Word a = word_of(s);
        Word b = word_of(s);
        process_word(scanned, a);
        process_word_indexed(index_under_test, b);
        ASSERT_EQ(harness::utf8(text_of(b)), harness::utf8(text_of(a)))
            << "word " << harness::utf8(s) << "\ndictionary:\n" << harness::utf8(dictionary);
    }
}

TEST(DictIndex, TheOrderQuirksOfTheScan)
{
    const std::vector<std::string> words = {
        cp1251("что "), cp1251("что,"), cp1251("ничто "), cp1251("синего "), cp1251("его "),
        cp1251("солнца"), cp1251("ёжик "), cp1251("яма "), cp1251("бак."), cp1251("мама "),
        cp1251("абв "), cp1251("а "), cp1251("ёж "),
    };
    const std::string cases[] = {
        // Entries of one first byte in file order; the whole word before its tails.
        cp1251("его*%ево*!\nнего*%нево*!\nсинего*_синиво*!\nчто*_што*!\n$\n"),
        // An ending entry matching the whole word stops everything.
        cp1251("синего*%x*!\nсинего*_y*!\n$\n"),
        // An entry after a line with a greater first byte is never found.
        cp1251("я*!Я*!\nа*!А*!\n$\n"),
        // "ё" lines never end a scan, wherever they stand.
        cp1251("я*!Я*!\nёж*_ЁЖ*!\nа *!АА*!\n$\n"),
        // A tab-led line ends every Cyrillic scan; spaces and empty lines do not.
        cp1251("\n  а *_A*!\n\tб*!B*!\nмама*_M*!\n$\n"),
        cp1251("  мама*_M*!\n \n  ч*о*!Ч*!\n$\n"),
        // The end line ends the dictionary; nothing after it is read.
        cp1251("а *_x *!\n$\nбак*!y*!\n"),
        // Broken lines: no kind byte, no closing "!", oversize keys and
        // replacements; the scan goes on after each.
        cp1251("мам\nмама*_\nмама*_ма") + std::string(70, 'a') + cp1251("!\n") + cp1251("ма") +
            std::string(70, 'b') + cp1251("_x!\nмама*_МАМА*!\n$\n"),
        // Text mode: CR LF lines and a Ctrl-Z that ends the file.
        cp1251("бак.!БАК!\r\nмама*_MA*!\r\n\x1aяма*_Q*!\n"),
        // No end line: the end of the file ends the dictionary.
        cp1251("ч*!Ч*!\nчто*_ЧТО*!"),
        // Captures and delimiters in keys; a key of "$" never sought.
        cp1251("с*л*ц*!*!\nч*о,_ш*о.!\n$*_x!\n$\n"),
    };
    for (const std::string& d : cases)
        expect_same(d, words);
}

// Random dictionaries in (mostly) sorted order with every kind of line, and
// random words over the same letters and, now and then, the other bytes.
TEST(DictIndex, RandomDictionariesGiveTheScansResults)
{
    std::mt19937 rng(11);
    const std::string letters = cp1251("абвгмоё") + "*$!_%\t \x1a\r";
    const std::string word_letters = cp1251("абвгмоё");
    auto pick = [&](const std::string& from) { return from[rng() % from.size()]; };
    for (int round = 0; round < 150; ++round) {
        std::vector<std::string> lines;
        const int n = 1 + static_cast<int>(rng() % 25);
        for (int i = 0; i < n; ++i) {
            std::string line;
            const int len = 1 + static_cast<int>(rng() % 8);
            for (int j = 0; j < len; ++j)
                line += (rng() % 4 == 0) ? pick(letters) : pick(word_letters);
            if (rng() % 5 != 0)
                line += "_%!$"[rng() % 4];
            for (int j = static_cast<int>(rng() % 4); j > 0; --j)
                line += pick(word_letters);
            if (rng() % 6 != 0)
                line += '!';
            lines.push_back(line);
        }
        std::sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
            return static_cast<signed char>(a[0]) < static_cast<signed char>(b[0]);
        });
        if (rng() % 4 == 0)
            std::swap(lines[rng() % lines.size()], lines[rng() % lines.size()]);
        std::string dict;
        for (const std::string& l : lines)
            dict += std::string(rng() % 8 == 0 ? 2 : 0, ' ') + l + (rng() % 3 == 0 ? "\r\n" : "\n");
        if (rng() % 3 != 0)
            dict += "$\n";
        std::vector<std::string> words;
        for (int i = 0; i < 40; ++i) {
            std::string w;
            // Now and then a byte that no word of a real text starts a tail
            // with, so that scans for such bytes are compared too.
            for (int j = 1 + static_cast<int>(rng() % 6); j > 0; --j)
                w += (rng() % 6 == 0) ? pick(letters) : pick(word_letters);
            if (rng() % 5 != 0)
                w += " ,.\n"[rng() % 4];
            words.push_back(w);
        }
        expect_same(dict, words);
    }
}

// A first byte with more entries than the index holds is looked up in the
// file, with the same results; other first bytes stay in memory.
TEST(DictIndex, AFirstByteTooLargeForMemoryIsScanned)
{
    std::string dict = cp1251("а _A !\n");
    const std::string key_tail(60, 'x');
    const std::size_t lines = INDEX_BYTES / (2 * key_tail.size()) + 16;
    for (std::size_t i = 0; i < lines; ++i)
        dict += cp1251("б") + key_tail + cp1251("_") + key_tail + "!\n";
    dict += cp1251("бак_БАК!\n$\n");
    TempDir dir;
    dir.write("replace.txt", dict);
    TextFile f;
    ASSERT_TRUE(text_open(f, dir.file("replace.txt").c_str(), "r"));
    dict_index_start(index_under_test, f);
    EXPECT_EQ(dict_index_first(index_under_test, 0xE1, 3), INDEX_SCAN);  // "б"
    EXPECT_GE(dict_index_first(index_under_test, 0xE0, 2), 0);           // "а"
    Word w = word_of(cp1251("бак"));
    process_word_indexed(index_under_test, w);
    EXPECT_EQ(text_of(w), cp1251("БАК"));
    w = word_of(cp1251("а "));
    process_word_indexed(index_under_test, w);
    EXPECT_EQ(text_of(w), "A ");
}

}  // namespace
