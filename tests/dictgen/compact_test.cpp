// The compact dictionary through the real dictionary pass: the words of the
// sources come out spoken, a stem carries a word's other forms, an exception
// stands before the stem it breaks, and endings learned from many words reach
// words the list never had.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "compact.h"
#include "harness.h"
#include "secondread/secondread_internal.h"

namespace {

using harness::cp1251;
using harness::utf8;

WordData word(const char* utf8_word, const char* phonemes, long long seen)
{
    WordData w;
    w.word = cp1251(utf8_word);
    w.spelling = spoken_spelling(w.word, phonemes);
    EXPECT_TRUE(w.spelling.ok) << utf8_word;
    w.seen = seen;
    return w;
}

DictIndex pass_index;

// Each word with a space after it through the pass over the dictionary text.
std::vector<std::string> through_pass(const std::string& dictionary, const std::vector<std::string>& words,
                                      bool keep_stress = false)
{
    harness::TempDir dir;
    dir.write("replace.txt", dictionary);
    TextFile f;
    EXPECT_TRUE(text_open_input(f, dir.file("replace.txt").c_str()));
    dict_index_start(pass_index, f);
    pass_index.keep_stress = keep_stress;
    std::vector<std::string> out;
    for (const std::string& w : words) {
        const std::string text = cp1251(w) + " ";
        Word buffer;
        std::memcpy(buffer.bytes.data(), text.data(), text.size());
        buffer.length = text.size();
        process_word_indexed(pass_index, buffer);
        out.push_back(utf8(std::string(buffer.bytes.begin(), buffer.bytes.begin() + static_cast<long>(buffer.length))));
    }
    text_close(f);
    return out;
}

// Words "<consonant>а<consonant>ного", said "...нава" as the adjectives' "-ого" is.
std::vector<WordData> genitive_adjectives(std::size_t count)
{
    const char* letters[] = {"б", "в", "д", "з", "к", "л", "м", "п", "р", "с", "т", "ф"};
    const char* sounds[] = {"b", "v", "d", "z", "k", "l", "m", "p", "r", "s", "t", "f"};
    std::vector<WordData> out;
    for (std::size_t i = 0; i < 12 && out.size() < count; ++i)
        for (std::size_t j = 0; j < 12 && out.size() < count; ++j) {
            const std::string w = std::string(letters[i]) + "а" + letters[j] + "ного";
            const std::string ph = std::string(sounds[i]) + "'A" + sounds[j] + "nVvV";
            out.push_back(word(w.c_str(), ph.c_str(), 0));
        }
    return out;
}

std::vector<WordData> sample_words()
{
    std::vector<WordData> words = {
        word("молоко", "mVlVk'o", 5),  word("молока", "mVlVk'A", 2),  word("молоку", "mVlVk'u", 0),
        word("молоком", "mVlVk'om", 0), word("молоке", "mVlVk;'e", 0), word("голова", "gVlVv'A", 4),
        word("головы", "gVlVv'y", 1),  word("голову", "g'olVvu", 3),  word("головой", "gVlVv'oj", 0),
        word("дом", "d'om", 9),
    };
    const auto more = genitive_adjectives(60);
    words.insert(words.end(), more.begin(), more.end());
    return words;
}

TEST(Compact, WordsOfTheSourcesComeOutSpoken)
{
    CompactStats stats;
    const std::string dict = dictionary_text(compact_entries(sample_words(), stats), "");
    EXPECT_EQ(through_pass(dict, {"молоко", "молока", "голова", "головы", "голову", "дом"}),
              (std::vector<std::string>{"малако ", "малака ", "галава ", "галавы ", "голаву ", "дом "}));
    // "голову" breaks the stem "голов": an entry of its own stands before the stem.
    EXPECT_NE(dict.find(cp1251("голову*_го´лаву*!\n")), std::string::npos) << utf8(dict);
    EXPECT_LT(dict.find(cp1251("голову*_")), dict.find(cp1251("голов**_")));
    EXPECT_GE(stats.stems, 1u);
}

// Stress marks ride on the entries that hold the stressed vowel: a whole
// word, or a stem all of whose words stress it. A stem whose words are
// stressed in the letters its "*" carry (молок-, голов-) says none, nor does a
// word said as written: those are left to the rule for unmarked words.
TEST(Compact, EntriesCarryTheStressTheyHold)
{
    CompactStats stats;
    const std::string dict = dictionary_text(compact_entries(sample_words(), stats), "");
    EXPECT_EQ(through_pass(dict, {"молоко", "голову", "голова", "молоку", "дом"}, true),
              (std::vector<std::string>{"малако ", "го´лаву ", "галава ", "малаку ", "дом "}));
}

TEST(Compact, StemsCarryOtherFormsAndEndingsReachNewWords)
{
    CompactStats stats;
    const std::string dict = dictionary_text(compact_entries(sample_words(), stats), "");
    // Forms the sources never used, by the stem of one they did; "молоком",
    // the one form of its length, is no reason for a stem entry of its own.
    EXPECT_EQ(through_pass(dict, {"молоку", "молоке", "молоком"}),
              (std::vector<std::string>{"малаку ", "малаке ", "молоком "}));
    // A word no list had: the learned ending.
    EXPECT_EQ(through_pass(dict, {"шумного"}), (std::vector<std::string>{"шумнава "}));
    EXPECT_GE(stats.endings, 1u);
    // A word with no entry and no learned ending stays as written.
    EXPECT_EQ(through_pass(dict, {"кот"}), (std::vector<std::string>{"кот "}));
}

// Words "по<consonant>ала" no source used, said with the first о reduced.
std::vector<WordData> reduced_starts(std::size_t count)
{
    const char* letters[] = {"б", "в", "д", "з", "к", "л", "м", "п", "р", "с", "т", "ф"};
    const char* sounds[] = {"b", "v", "d", "z", "k", "l", "m", "p", "r", "s", "t", "f"};
    std::vector<WordData> out;
    for (std::size_t i = 0; i < count && i < 12; ++i) {
        const std::string w = std::string("по") + letters[i] + "ала";
        const std::string ph = std::string("pV") + sounds[i] + "'Ala#";
        out.push_back(word(w.c_str(), ph.c_str(), 0));
    }
    return out;
}

TEST(Compact, WordStartsWhereTheyGainEnough)
{
    // Eight words said right only with "па", one ("полька", stressed по)
    // right only as written: the entry is made, and it says the new words
    // (and "полька" wrongly: a whole-word entry before it would keep it).
    std::vector<WordData> words = reduced_starts(8);
    words.push_back(word("полька", "p'ol;kV", 0));
    std::vector<std::string> said;
    for (const WordData& w : words)
        said.push_back(w.word);  // no entry takes them yet
    CompactStats stats;
    std::vector<Entry> entries = word_start_entries(words, said, {}, stats);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(utf8(entries[0].key + entries[0].kind + entries[0].replacement), "по*****_па*****");
    EXPECT_EQ(through_pass(dictionary_text(entries, ""), {"посада", "полька"}),
              (std::vector<std::string>{"пасада ", "палька "}));

    // Three words nearer against two further away is not enough.
    words = reduced_starts(3);
    words.push_back(word("полька", "p'ol;kV", 0));
    words.push_back(word("польза", "p'ol;zV", 0));
    said.clear();
    for (const WordData& w : words)
        said.push_back(w.word);
    EXPECT_TRUE(word_start_entries(words, said, {}, stats).empty());

    // Words a stem entry takes are not counted: with one taking them all, none is made.
    words = reduced_starts(8);
    said.clear();
    for (const WordData& w : words)
        said.push_back(w.word);
    Entry stem;
    stem.key = cp1251("по*****");
    stem.kind = '_';
    stem.replacement = stem.key;
    EXPECT_TRUE(word_start_entries(words, said, {stem}, stats).empty());
    // Nor a word said right already.
    said.assign(words.size(), std::string());
    for (std::size_t i = 0; i < words.size(); ++i)
        said[i] = words[i].spelling.joined();
    EXPECT_TRUE(word_start_entries(words, said, {}, stats).empty());
}

TEST(Compact, SameWordsInAnyOrderGiveTheSameFile)
{
    std::vector<WordData> words = sample_words();
    CompactStats a, b;
    const std::string first = dictionary_text(compact_entries(words, a), "");
    std::reverse(words.begin(), words.end());
    EXPECT_EQ(dictionary_text(compact_entries(words, b), ""), first);
}

TEST(Compact, FileIsSortedByFirstByteAndEnds)
{
    std::vector<Entry> entries = {whole_word_entry(cp1251("яма"), cp1251("яма")),
                                  whole_word_entry(cp1251("ёж"), cp1251("йош")),
                                  whole_word_entry(cp1251("абв"), cp1251("абф"))};
    EXPECT_EQ(utf8(dictionary_text(entries, cp1251("заметки\n"))),
              "ёж*_йош*!\nабв*_абф*!\nяма*_яма*!\n$\nзаметки\n");
}

}  // namespace
