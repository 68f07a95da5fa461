// The normaliser in-process: tables of input text against the body of text.tmp
// (tests/data/firstread), a real text, and the read and write failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "case_table.h"
#include "common/console.h"
#include "firstread/firstread.h"
#include "firstread/firstread_internal.h"
#include "harness.h"

namespace {

using harness::cp1251;
using harness::TempDir;

const std::string END_TEXT = "` ";

struct Outcome {
    int result = -1;
    std::string tmp;  // the whole of text.tmp
    int key_waits = 0;
};

// Firstread on in.txt of dir as a fresh program would run it.
Outcome normalise_in(const TempDir& dir)
{
    spellnumber_reset();
    harness::ScopedChdir here(dir.path());
    const int waits = key_wait_count();
    Outcome o;
    o.result = Firstread("in.txt");
    o.key_waits = key_wait_count() - waits;
    if (std::filesystem::is_regular_file(dir.file("text.tmp")))  // not the barred ones
        o.tmp = dir.read("text.tmp");
    return o;
}

Outcome normalise(const std::string& bytes)
{
    TempDir dir;
    dir.write("in.txt", bytes);
    return normalise_in(dir);
}

class FirstreadTable : public testing::TestWithParam<const char*> {};

TEST_P(FirstreadTable, TextBecomesTheBodyOfTextTmp)
{
    for (const CaseRow& row : case_table(std::string("firstread/") + GetParam() + ".cases")) {
        SCOPED_TRACE(row.where);
        const Outcome o = normalise(row.field.at(0));
        EXPECT_EQ(o.result, 1);
        EXPECT_EQ(harness::utf8(o.tmp), harness::utf8(row.field.at(1) + END_TEXT));
    }
}

INSTANTIATE_TEST_SUITE_P(Families, FirstreadTable,
                         testing::Values("letters", "lone_letters", "spacing", "symbols", "doubled", "fractions"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

// A failure as the user meets it (the program's message) and as the chain
// does (result 0 after one key wait).
void expect_failure(const TempDir& dir, const std::string& message)
{
    const std::string out = harness::run_vokdar(dir, {"in.txt"}).out;
    EXPECT_NE(out.find(message), std::string::npos) << out;
    const Outcome o = normalise_in(dir);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.key_waits, 1);
}

TEST(Firstread, NulByteIsAReadError)
{
    TempDir dir;
    const std::string ten = cp1251("аб") + '\0' + cp1251("вгдежзи");
    ASSERT_EQ(ten.size(), 10u);
    dir.write("in.txt", ten);
    dir.write("text.tmp", "old");
    expect_failure(dir, "\nError imposible to read text!7\n");
    EXPECT_EQ(harness::utf8(dir.read("text.tmp")), "аб");  // no end marker

    // Text in UTF-16 fails at its first NUL byte.
    const Outcome wide = normalise(std::string("\xFF\xFE\r\n\x00z", 6));
    EXPECT_EQ(wide.result, 0);
    EXPECT_EQ(harness::utf8(wide.tmp), "яю ");
}

TEST(Firstread, OutputThatCannotBeCreatedOrWritten)
{
    TempDir dir;
    dir.write("in.txt", "text");
    ASSERT_EQ(mkdir(dir.file("text.tmp").c_str(), 0755), 0);
    expect_failure(dir, "Firstread initialized...\n\nImpocible to open text.tmp!\n");

    // A full disk shows only when the buffered bytes go out: it is still a failure.
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    TempDir full;
    full.write("in.txt", cp1251("мама мыла раму"));
    ASSERT_EQ(symlink("/dev/full", full.file("text.tmp").c_str()), 0);
    expect_failure(full, "\nError imposible to write to text.tmp!\n");
}

// A few kilobytes of ordinary prose (paragraphs, a date, sums, percentages)
// come out as the golden text.tmp, in the format every later stage relies on:
// the allowed bytes only, one end marker at the very end.
TEST(Firstread, RussianProseAsTheGolden)
{
    const Outcome o = normalise(harness::test_data("firstread/prose.in"));
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.tmp, harness::test_data("firstread/prose.text.expected"));
    ASSERT_GE(o.tmp.size(), 2u);
    EXPECT_EQ(o.tmp.substr(o.tmp.size() - 2), END_TEXT);
    const std::string body = o.tmp.substr(0, o.tmp.size() - 2);
    for (std::size_t i = 0; i < body.size(); ++i) {
        const auto b = static_cast<unsigned char>(body[i]);
        ASSERT_TRUE(b >= 0xE0 || b == 0xB8 || std::string(" #,.-~?!:;").find(body[i]) != std::string::npos)
            << "byte " << int(b) << " at " << i;
    }
}

}  // namespace
