// Rewriting words from replace.txt: the scan of the file and the dictionary held
// in memory give every word the same result, quirks of order and broken lines
// included, and a first byte whose entries do not fit falls back to the scan.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support.h"

namespace {

Word word_of(const std::string& s)
{
    Word w;
    w.length = std::min(s.size(), WORD_MAX_LENGTH);
    std::copy(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(w.length), w.bytes.begin());
    return w;
}

DictIndex index_under_test;  // large: holds the whole dictionary of a run

// Each word rewritten by the scan of the dictionary and by its index: both
// results, "scan | index", one string per word.
std::vector<std::string> rewrite(const std::string& dictionary, const std::vector<std::string>& words)
{
    DictFile scanned(dictionary), indexed(dictionary);
    dict_index_start(index_under_test, indexed.f);
    std::vector<std::string> out;
    for (const std::string& s : words) {
        Word a = word_of(s), b = word_of(s);
        process_word(scanned.f, a);
        process_word_indexed(index_under_test, b);
        out.push_back(harness::utf8(text_of(a)) + " | " + harness::utf8(text_of(b)));
    }
    return out;
}

TEST(ProcessWord, RewriteTable)
{
    for (const CaseRow& row : case_table("secondread/rewrite.cases")) {
        std::vector<std::string> words, expected;
        for (std::size_t i = 1; i + 1 < row.field.size(); i += 2) {
            words.push_back(row.field[i]);
            expected.push_back(harness::utf8(row.field[i + 1]) + " | " + harness::utf8(row.field[i + 1]));
        }
        EXPECT_EQ(rewrite(harness::crlf(row.field.at(0)), words), expected) << row.where;
    }
}

// Random dictionaries in (mostly) sorted order with every kind of line, and
// random words over the same letters and, now and then, the other bytes. The
// index reads most lines from the file's buffer directly, the scan never.
TEST(DictIndex, RandomDictionariesGiveTheScansResults)
{
    std::mt19937 rng(11);
    const std::string letters = harness::cp1251("абвгмоё"), others = "***$!_%\t \x1a\r";
    const auto pick = [&](unsigned other_one_in) {  // 0: letters only
        const std::string& from = other_one_in != 0 && rng() % other_one_in == 0 ? others : letters;
        return from[rng() % from.size()];
    };
    for (int round = 0; round < 300; ++round) {
        // Now and then a key or replacement near the length limit, and a
        // replacement holding the end marker.
        const auto length = [&](int usual) {
            return rng() % 8 == 0 ? 60 + static_cast<int>(rng() % 6) : static_cast<int>(rng() % usual);
        };
        std::vector<std::string> lines(1 + rng() % 25);
        for (std::string& line : lines) {
            for (int j = 1 + length(8); j > 0; --j)
                line += pick(4);
            if (rng() % 5 != 0)
                line += "_%!$"[rng() % 4];
            for (int j = length(4); j > 0; --j)
                line += rng() % 40 == 0 ? '`' : pick(0);
            if (rng() % 6 != 0)
                line += '!';
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
        // Half the words end in a key of the dictionary, its stars filled, so
        // that entries match often; the others now and then hold a byte no
        // word of a real text starts a tail with, so that scans for such bytes
        // are compared too.
        std::vector<std::string> words(40);
        for (std::string& w : words) {
            const std::string& l = lines[rng() % lines.size()];
            const bool keyed = rng() % 2 == 0;
            for (int j = static_cast<int>(rng() % (keyed ? 3 : 6)) + !keyed; j > 0; --j)
                w += pick(keyed ? 0 : 6);
            for (const char c : keyed ? l.substr(0, l.find_first_of("_%!$")) : "")
                w += c == '*' ? pick(0) : c;
            if (rng() % 5 != 0)
                w += " ,.\n"[rng() % 4];
        }
        for (const std::string& result : rewrite(dict, words)) {
            const std::size_t bar = result.find(" | ");
            ASSERT_EQ(result.substr(0, bar), result.substr(bar + 3)) << "dictionary:\n" << harness::utf8(dict);
        }
    }
}

// Entries are hashed into the index as tails first ask for their first byte
// and key length: dictionaries of a few thousand entries with keys of every
// length, "*" anywhere (more shapes than the index holds, so that it turns to
// its plain lists after some lookups) or only at the end (so that its chains
// grow, and are made again, between lookups), duplicate keys and keys that
// differ only where another has a "*", each read in two word orders.
TEST(DictIndex, EntriesHashedAsTailsAskForThemGiveTheScansResults)
{
    std::mt19937 rng(29);
    const std::string letters = harness::cp1251("абвгдеж");
    for (const bool stars_anywhere : {false, true}) {
        std::vector<std::string> keys;
        std::string dict;
        std::vector<std::string> lines;
        for (int i = 0; i < 1500; ++i) {
            std::string key;
            if (!keys.empty() && rng() % 10 == 0) {
                key = keys[rng() % keys.size()];  // again, perhaps with a "*" for a letter
                key[rng() % key.size()] = rng() % 2 == 0 ? '*' : key[0];
            } else {
                for (int j = 1 + static_cast<int>(rng() % 12); j > 0; --j)
                    key += letters[rng() % letters.size()];
                for (std::size_t j = 1; j < key.size(); ++j)
                    if (stars_anywhere ? rng() % 4 == 0 : (j + 1 == key.size() && rng() % 3 == 0))
                        key[j] = '*';
            }
            keys.push_back(key);
            std::string replacement;
            for (int j = static_cast<int>(rng() % 8); j > 0; --j)
                replacement += rng() % 6 == 0 ? '*' : letters[rng() % letters.size()];
            lines.push_back(key + "_%!"[rng() % 3] + replacement + "!");
        }
        std::stable_sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
            return static_cast<signed char>(a[0]) < static_cast<signed char>(b[0]);
        });
        for (const std::string& l : lines)
            dict += l + "\n";
        dict += "$\n";
        std::vector<std::string> words(400);
        for (std::string& w : words) {
            for (int j = static_cast<int>(rng() % 3); j > 0; --j)
                w += letters[rng() % letters.size()];
            for (const char c : keys[rng() % keys.size()])
                w += c == '*' ? letters[rng() % letters.size()] : c;
            w += " ,.\n"[rng() % 4];
        }
        for (int order = 0; order < 2; ++order) {
            std::shuffle(words.begin(), words.end(), rng);
            for (const std::string& result : rewrite(dict, words)) {
                const std::size_t bar = result.find(" | ");
                ASSERT_EQ(result.substr(0, bar), result.substr(bar + 3)) << stars_anywhere << " " << order;
            }
        }
    }
}

// A first byte with more entries than the index holds is looked up in the
// file, with the same results; other first bytes stay in memory.
TEST(DictIndex, AFirstByteTooLargeForMemoryIsScanned)
{
    const std::string tail(60, 'x');
    std::string dict = harness::cp1251("а _A !\n");
    for (std::size_t i = INDEX_BYTES / (2 * tail.size()) + 16; i > 0; --i)
        dict += harness::cp1251("б") + tail + "_" + tail + "!\n";
    dict += harness::cp1251("бак_БАК!\n$\n");
    DictFile d(dict);
    dict_index_start(index_under_test, d.f);
    EXPECT_EQ(dict_index_first(index_under_test, 0xE1, 3), INDEX_SCAN);  // "б"
    EXPECT_GE(dict_index_first(index_under_test, 0xE0, 2), 0);           // "а"
    EXPECT_EQ(rewrite(dict, {harness::cp1251("бак"), harness::cp1251("а ")}),
              (std::vector<std::string>{"БАК | БАК", "A  | A "}));
}

}  // namespace
