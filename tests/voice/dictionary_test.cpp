// The default dictionary through the real dictionary pass: every entry is
// reached by the scan and takes effect, and each pronunciation family
// (tests/data/voice/families.cases) does what Russian says.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "case_table.h"
#include "driver/stage_files.h"
#include "harness.h"
#include "secondread/secondread.h"

namespace {

using harness::cp1251;
using harness::utf8;

std::string dictionary_bytes()
{
    std::ifstream in(VOKDAR_DICTIONARY, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// text.tmp's body through Secondread with the default dictionary; text2.tmp
// without its end marker.
std::string second_read(const std::string& body)
{
    harness::TempDir dir;
    dir.write("text.tmp", body + "` ");
    dir.write("replace.txt", dictionary_bytes());
    EXPECT_EQ(harness::run_stage(dir, secondread_files).result, 1);
    const std::string out = dir.read("text2.tmp");
    return out.substr(0, out.size() - 1);
}

struct Line {
    std::string key;
    bool ending;  // "%": only on a tail shorter than the word
    std::string replacement;
};

// The entry lines up to the end line, as written (the checker vouches for their form).
std::vector<Line> entry_lines()
{
    std::vector<Line> lines;
    std::istringstream in(dictionary_bytes());
    for (std::string l; std::getline(in, l) && !l.starts_with("$");) {
        const std::size_t kind = l.find_first_of("_%!"), end = l.find('!', kind + 1);
        if (end != std::string::npos)
            lines.push_back({l.substr(0, kind), l[kind] == '%', l.substr(kind + 1, end - kind - 1)});
    }
    return lines;
}

// The checker reads it as the dictionary pass does: no entry stands after a line
// with a greater first byte, none is malformed or lost, the end line is there.
TEST(Dictionary, HasEnoughEntriesEachReachedByTheScan)
{
    EXPECT_GE(entry_lines().size(), 150u);
    const auto check = harness::run_program(VOKDAR_DICT_BINARY, ".", {"check", VOKDAR_DICTIONARY});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_TRUE(check.out.ends_with(": no problems found\n")) << check.out;
}

// Each entry rewrites a word made for it, and no earlier entry takes the word
// away: its "*" become letters (the last one the delimiter), and an ending
// entry gets a letter before it.
TEST(Dictionary, EveryEntryTakesEffectOnItsOwnWord)
{
    for (const Line& line : entry_lines()) {
        std::string word = line.key, captured, expected;
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (word[i] == '*') {
                word[i] = i + 1 == word.size() ? ' ' : cp1251("а")[0];
                captured += word[i];
            }
        }
        std::size_t next = 0;
        for (char c : line.replacement)
            expected += c == '*' ? captured.at(next++) : c;
        const std::string prefix = line.ending ? cp1251("у") : "";
        EXPECT_EQ(utf8(second_read(prefix + word)), utf8(prefix + expected)) << utf8(line.key);
    }
}

class DictionaryFamily : public testing::TestWithParam<const char*> {};

TEST_P(DictionaryFamily, SaysItsWordsAsRussianDoes)
{
    int rows = 0;
    for (const CaseRow& row : case_table("voice/families.cases")) {
        if (row.field.at(0) != GetParam())
            continue;
        ++rows;
        EXPECT_EQ(utf8(second_read(row.field.at(1))), utf8(row.field.at(2))) << row.where;
    }
    EXPECT_GT(rows, 0);
}

INSTANTIATE_TEST_SUITE_P(Families, DictionaryFamily,
                         testing::Values("genitive", "reflexive", "chto_chn", "unpronounced", "sch_zch",
                                         "g_before_k", "devoicing", "numbers", "last_word"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
