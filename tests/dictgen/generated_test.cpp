// The dictionary the build generated (replace.txt beside the program), through
// the real dictionary pass: known words come out as they are said, the
// checker finds nothing, every entry takes effect and all of them are held in
// memory. Skipped where the build fell back to the hand-written dictionary.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "common/settings.h"
#include "driver/stage_files.h"
#include "harness.h"
#include "secondread/secondread.h"
#include "secondread/secondread_internal.h"

namespace {

using harness::cp1251;
using harness::utf8;

std::string built_dictionary()
{
    std::ifstream in(VOKDAR_BUILT_DICTIONARY, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class Generated : public testing::Test {
protected:
    void SetUp() override
    {
        bytes = built_dictionary();
        if (bytes.find("dictgen") == std::string::npos)
            GTEST_SKIP() << "the build has no generated dictionary";
    }
    // The text (UTF-8, ended by the end marker) after the dictionary pass.
    std::string spoken(const char* text, int reading = READING_EVERYDAY) const
    {
        Settings.reading = reading;
        harness::TempDir dir;
        dir.write("text.tmp", cp1251(text));
        dir.write("replace.txt", bytes);
        EXPECT_EQ(harness::run_stage(dir, secondread_files).result, 1);
        Settings.reading = DEFAULT_READING;
        return utf8(dir.read("text2.tmp"));
    }
    std::string bytes;
};

TEST_F(Generated, KnownWordsComeOutSpoken)
{
    EXPECT_EQ(spoken("молоко, хорошо. сегодня только её голова-город что ` ", READING_ORIGINAL),
              "малако, харашо. сиводня толька ийо галава-горат што `");
    // With espeak-ng's stress in the everyday reading; one syllable carries none.
    if (bytes.find('\xB4') == std::string::npos)
        GTEST_SKIP() << "a dictionary generated before the stress marks";
    EXPECT_EQ(spoken("молоко, хорошо. сегодня только её голова-город что ` "),
              "малако´, харашо´. сиво´дня то´лька ийо´ галава´-го´рат што `");
}

TEST_F(Generated, ReflexiveFormsOfVerbs)
{
    // Forms hunspell-ru has only through affixes whose conditions are longer
    // than unmunch takes in UTF-8 (-лся, -ются): without them these words
    // keep their written е (одеваюца, ориентировалась).
    EXPECT_EQ(spoken("одеваются ориентировалась `", READING_ORIGINAL), "одиваюца ориинтировалась `");
}

TEST_F(Generated, CheckerFindsNothing)
{
    // Some 90,000 entries: seconds in a plain build, a minute or more under the sanitizers.
    harness::RunOptions options;
    options.timeout_seconds = 280;
    const auto check = harness::run_program(VOKDAR_DICT_BINARY, ".", {"check", VOKDAR_BUILT_DICTIONARY}, options);
    EXPECT_EQ(check.status, 0) << check.out.substr(0, 2000);
    EXPECT_TRUE(check.out.ends_with(": no problems found\n")) << check.out.substr(0, 2000);
}

DictIndex built_index;

// Each entry on a word made for it: its "*" become "ъ" (the last one a
// space), so no word of the sources with an entry of its own comes out, and
// an entry that is not a whole word gets "#" before it, which starts no entry,
// so nothing takes the word before the entry's own tail. Every first byte is
// held in memory, none left to scanning the file.
TEST_F(Generated, EveryEntryTakesEffectAndIsHeldInMemory)
{
    TextFile f;
    ASSERT_TRUE(text_open_input(f, VOKDAR_BUILT_DICTIONARY));
    dict_index_start(built_index, f);
    built_index.keep_stress = true;
    for (int b = 0; b < 256; ++b)
        EXPECT_NE(dict_index_first(built_index, static_cast<unsigned char>(b), 5), INDEX_SCAN) << b;
    std::istringstream in(bytes);
    std::size_t entries = 0, wrong = 0;
    for (std::string line; std::getline(in, line) && !line.starts_with("$");) {
        const std::size_t kind = line.find_first_of("_%!"), end = line.find('!', kind + 1);
        ASSERT_NE(end, std::string::npos) << utf8(line);
        ++entries;
        std::string word = line.substr(0, kind), captured, expected;
        for (std::size_t i = 0; i < word.size(); ++i)
            if (word[i] == '*') {
                word[i] = i + 1 == word.size() ? ' ' : cp1251("ъ")[0];
                captured += word[i];
            }
        std::size_t next = 0;
        for (const char c : line.substr(kind + 1, end - kind - 1))
            expected += c == '*' ? captured.at(next++) : c;
        ASSERT_NE(line[0], '#') << utf8(line);
        const std::string prefix = line[kind] == '_' ? "" : "#";
        Word w;
        const std::string text = prefix + word;
        if (text.size() > WORD_MAX_LENGTH)
            continue;
        std::memcpy(w.bytes.data(), text.data(), text.size());
        w.length = text.size();
        process_word_indexed(built_index, w);
        const std::string got(w.bytes.begin(), w.bytes.begin() + static_cast<long>(w.length));
        if (got != prefix + expected && ++wrong <= 20)
            ADD_FAILURE() << utf8(line) << ": " << utf8(text) << " -> " << utf8(got);
    }
    text_close(f);
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(entries, 10000u);
}

}  // namespace
