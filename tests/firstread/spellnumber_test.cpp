// The number speller called directly: words, the count it returns and where it
// leaves the input.
#include <gtest/gtest.h>

#include <string>

#include "case_table.h"
#include "common/textfile.h"
#include "firstread/firstread_internal.h"
#include "harness.h"

namespace {

struct Spoken {
    std::string words;
    long long count = 0;  // of the last call
    int next = TEXT_EOF;  // the character the caller reads after the last call
};

// calls calls on text, each on the digit the input holds next (a fraction
// takes two), from the state of a fresh program.
Spoken spell(const std::string& text, int calls = 1)
{
    FractionState state;  // as a fresh program starts
    harness::TempDir dir;
    dir.write("in.txt", text);
    TextFile in, out;
    EXPECT_TRUE(text_open(in, dir.file("in.txt").c_str(), "r"));
    EXPECT_TRUE(text_open(out, dir.file("out.txt").c_str(), "w"));
    Spoken s;
    s.next = text_getc(in);
    for (int i = 0; i < calls; ++i) {
        s.count = Spellnumber(static_cast<char>(s.next), in, out, state);
        s.next = text_getc(in);
    }
    EXPECT_TRUE(text_close(out));
    s.words = dir.read("out.txt");
    return s;
}

TEST(Spellnumber, NumbersTable)
{
    for (const CaseRow& row : case_table("firstread/numbers.cases")) {
        SCOPED_TRACE(row.where);
        const std::string& digits = row.field.at(0);
        const Spoken s = spell(digits + " z");
        EXPECT_EQ(harness::utf8(s.words), harness::utf8(row.field.at(1)));
        EXPECT_EQ(s.count, static_cast<long long>(digits.size()));
        EXPECT_EQ(s.next, 'z');
    }
}

TEST(Spellnumber, TheEndingCharacterIsConsumed)
{
    for (const CaseRow& row : case_table("firstread/consumed.cases")) {
        SCOPED_TRACE(row.where);
        const Spoken s = spell(row.field.at(0));
        EXPECT_EQ(s.count, std::stoll(row.field.at(1)));
        EXPECT_EQ(s.next, row.field.at(2).empty() ? TEXT_EOF : static_cast<unsigned char>(row.field[2][0]));
    }
}

TEST(Spellnumber, FractionSpansTwoCalls)
{
    const Spoken both = spell("3.25 z", 2);
    EXPECT_EQ(both.count, 2);
    EXPECT_EQ(both.next, 'z');
    EXPECT_EQ(harness::utf8(both.words), "три целых, , двацать пять сотых, , ");
}

}  // namespace
