// The normaliser in-process: tables of input text against the body of text.tmp
// (tests/data/firstread) through the stage in memory, a real text, and the
// read and write failures through the stage bound to its files.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "case_table.h"
#include "common/console.h"
#include "common/settings.h"
#include "driver/stage_files.h"
#include "firstread/firstread.h"
#include "firstread/firstread_internal.h"
#include "harness.h"
#include "random_text.h"

namespace {

using harness::cp1251;
using harness::TempDir;

const std::string END_TEXT = "` ";

struct Outcome {
    int result = -1;
    std::string tmp;  // the whole of text.tmp
    int key_waits = 0;
    long long remaining = 0;  // characters left after a read failure
};

// Firstread on in.txt of dir as a fresh program runs it, bound to its files,
// by the original reading rules unless told otherwise.
Outcome normalise_in(const TempDir& dir, int reading = READING_ORIGINAL)
{
    settings_defaults();
    Settings.reading = reading;
    harness::ScopedChdir here(dir.path());
    const int waits = key_wait_count();
    Outcome o;
    o.result = firstread_files("in.txt");
    o.key_waits = key_wait_count() - waits;
    if (std::filesystem::is_regular_file(dir.file("text.tmp")))  // not the barred ones
        o.tmp = dir.read("text.tmp");
    return o;
}

// The stage in memory: the text's bytes in, text.tmp's bytes out.
Outcome normalise(const std::string& bytes, int reading = READING_ORIGINAL)
{
    std::string text = bytes;
    Outcome o;
    TextFile in, out;
    text_open_memory(in, text, "r");
    text_choose_input(in);
    text_open_memory(out, o.tmp, "w");
    const FirstreadResult r = Firstread(in, out, FirstreadSettings{reading});
    text_close(out);
    o.result = r.status == FirstreadStatus::done ? 1 : 0;
    o.remaining = r.remaining;
    return o;
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

// The everyday reading, a table per kind of notation.
class EverydayTable : public testing::TestWithParam<const char*> {};

TEST_P(EverydayTable, TextBecomesTheBodyOfTextTmp)
{
    for (const CaseRow& row : case_table(std::string("firstread/everyday_") + GetParam() + ".cases")) {
        SCOPED_TRACE(row.where);
        const Outcome o = normalise(row.field.at(0), READING_EVERYDAY);
        EXPECT_EQ(o.result, 1);
        EXPECT_EQ(harness::utf8(o.tmp), harness::utf8(row.field.at(1) + END_TEXT));
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, EverydayTable,
                         testing::Values("numbers", "dates", "roman", "letters", "abbreviations", "latin",
                                         "addresses", "pauses", "grammar", "dotted", "units", "money", "compounds",
                                         "foreign", "stress"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

// Only what the later stages read: small letters, spaces, the pause mark and
// the delimiters but the line feed.
void expect_text_tmp_bytes(const std::string& body)
{
    for (std::size_t i = 0; i < body.size(); ++i) {
        const auto b = static_cast<unsigned char>(body[i]);
        ASSERT_TRUE(b >= 0xE0 || b == 0xB8 || std::string(" #,.-~?!:;").find(body[i]) != std::string::npos)
            << "byte " << int(b) << " at " << i;
    }
}

TEST(Everyday, ProseAsAReaderReadsIt)
{
    const Outcome o = normalise(harness::test_data("firstread/everyday_prose.in"), READING_EVERYDAY);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(harness::utf8(o.tmp), harness::utf8(harness::test_data("firstread/everyday_prose.out")));
    expect_text_tmp_bytes(o.tmp.substr(0, o.tmp.size() - 2));
}

// The characters UTF-8 has beyond code page 1251: the minus sign and the thin
// spaces count in the everyday reading and stay question marks in the original one.
TEST(Everyday, MinusSignAndThinSpacesOfUtf8Texts)
{
    const std::string text = "Было \xE2\x88\x92" "12 и 1\xE2\x80\x89" "000 рублей";
    EXPECT_EQ(harness::utf8(normalise(text, READING_EVERYDAY).tmp),
              "было минус двенатцать и тысяча рублей` ");
    EXPECT_EQ(harness::utf8(normalise(text, READING_ORIGINAL).tmp),
              "было ?двенатцать,  и, один,     ноль, рублей` ");
}

// Characters code page 1251 lacks are named or dropped in the everyday
// reading and stay question marks in the original one.
TEST(Everyday, WideCharactersOfUtf8TextsAreNamedOrDropped)
{
    const std::string text = "Площадь 50 м\xC2\xB2 \xF0\x9F\x99\x82 и \xE2\x82\xBD";
    EXPECT_EQ(harness::utf8(normalise(text, READING_EVERYDAY).tmp), "площадь пятдесят квадратных метров и рублей` ");
    EXPECT_EQ(harness::utf8(normalise(text, READING_ORIGINAL).tmp), "площадь пятдесят ,  эм,? ?  и, ?` ");
}

TEST(Everyday, NulByteIsAReadErrorToo)
{
    const Outcome o = normalise(cp1251("аб 12") + '\0' + cp1251("вгд"), READING_EVERYDAY);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.remaining, 3);
    EXPECT_EQ(o.tmp.find('`'), std::string::npos);  // no end marker
}

// The original rules stay as they were, byte for byte: random texts of both
// encodings against the digests of what the program wrote before the everyday
// reading existed.
TEST(OriginalReading, RandomTextsGiveTheSameTextTmpAsBefore)
{
    std::istringstream digests(harness::test_data("firstread/original_digests.txt"));
    int compared = 0;
    for (std::string line; std::getline(digests, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::uint32_t index = 0;
        int result = 0;
        std::string digest;
        fields >> index >> result >> digest;
        const std::string text = random_text::text(index);
        const Outcome o = normalise(text, READING_ORIGINAL);
        char mine[17];
        std::snprintf(mine, sizeof mine, "%016llx", static_cast<unsigned long long>(random_text::digest(o.tmp)));
        EXPECT_EQ(o.result, result) << "text " << index;
        EXPECT_EQ(mine, digest) << "text " << index << ": " << harness::utf8(o.tmp);
        ++compared;
    }
    EXPECT_EQ(compared, 600);
}

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

    // Text in UTF-16 with its mark is read as UTF-16, NUL bytes and all.
    TempDir utf16;
    utf16.write("in.txt", std::string("\xFF\xFE\x4F\x04\x20\x00\x4E\x04", 8));
    const Outcome wide = normalise_in(utf16);
    EXPECT_EQ(wide.result, 1);
    EXPECT_EQ(wide.tmp, normalise(cp1251("я ю")).tmp);
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
