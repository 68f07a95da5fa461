// The syllable marker: texts against slogi.tmp (tests/data/slogi), a long
// word, the golden article and the stage's failures.
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "case_table.h"
#include "common/format_text.h"
#include "driver/stage_files.h"
#include "harness.h"
#include "slogi/slogi.h"

namespace {

using harness::cp1251;
using harness::TempDir;

// slogi.tmp as the stage writes it for text2.tmp (both as on disk), in memory.
std::string marked(const std::string& text2, int reading = READING_ORIGINAL)
{
    std::string in_bytes = text2, out_bytes;
    TextFile in, out;
    text_open_memory(in, in_bytes, "r");
    text_open_memory(out, out_bytes, "w");
    EXPECT_EQ(Slogi(in, out, reading), SlogiStatus::done);
    text_close(out);
    return out_bytes;
}

// The same through the stage bound to its files, as the program runs it.
std::string marked_on_disk(const std::string& text2, int reading = READING_ORIGINAL)
{
    Settings.reading = reading;
    TempDir dir;
    dir.write("text2.tmp", text2);
    const harness::StageRun r = harness::run_stage(dir, slogi_files);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.printed, "Slogi initialized...\n");
    EXPECT_EQ(r.key_waits, 0);
    Settings.reading = DEFAULT_READING;
    return dir.read("slogi.tmp");
}

TEST(Slogi, WordsTable)
{
    for (const CaseRow& row : case_table("slogi/words.cases")) {
        SCOPED_TRACE(row.where);
        EXPECT_EQ(harness::utf8(marked(row.field.at(0))), harness::utf8(row.field.at(1)));
    }
}

TEST(Slogi, LongWordsAreMarkedWhole)
{
    std::string ma, ma_marked = "ма";
    for (int i = 0; i < 5000; ++i)
        ma += "ма";
    for (int i = 1; i < 5000; ++i)
        ma_marked += "-ма";
    EXPECT_EQ(harness::utf8(marked(cp1251(ma + " " + ma) + "`")), ma_marked + "_" + ma_marked + "_`");
}

TEST(Slogi, GoldenArticle)
{
    const std::string expected = harness::test_data("slogi/article.slogi.expected");
    EXPECT_EQ(marked(harness::test_data("slogi/article.text2.tmp")), expected);
    EXPECT_EQ(marked_on_disk(harness::test_data("slogi/article.text2.tmp")), expected);
}

std::string without_stress(std::string s)
{
    std::erase(s, static_cast<char>(STRESS_MARK));
    return s;
}

TEST(SlogiStress, CaseTable)
{
    for (const CaseRow& row : case_table("slogi/stress.cases")) {
        SCOPED_TRACE(row.where);
        EXPECT_EQ(harness::utf8(marked(row.field.at(0), READING_EVERYDAY)), harness::utf8(row.field.at(1)));
        // The original reading writes no mark, and the same cuts.
        EXPECT_EQ(marked(row.field.at(0)), without_stress(row.field.at(1)));
    }
    EXPECT_EQ(marked_on_disk(cp1251("ма´ма`"), READING_EVERYDAY), cp1251("ма´-ма_`"));
    EXPECT_EQ(marked_on_disk(cp1251("ма´ма`"), READING_ORIGINAL), cp1251("ма-ма_`"));
}

// The mark, given or put by the rule, never moves a cut: without the marks,
// the everyday reading's syllables are the original reading's.
TEST(SlogiStress, MarksNeverMoveACut)
{
    std::string texts = harness::test_data("slogi/article.text2.tmp");
    for (const CaseRow& row : case_table("slogi/words.cases"))
        texts += row.field.at(0);
    std::string plain = texts;
    std::erase(plain, '`');
    const std::string everyday = marked(plain + "`", READING_EVERYDAY);
    EXPECT_EQ(without_stress(everyday), marked(plain + "`"));
    EXPECT_NE(everyday.find(static_cast<char>(STRESS_MARK)), std::string::npos);
}

TEST(Slogi, FailuresPrintTheirMessageAndWaitForAKey)
{
    TempDir none, barred, full;  // no text2.tmp; slogi.tmp a directory; slogi.tmp on a full disk
    none.write("slogi.tmp", "old");
    barred.write("text2.tmp", "`");
    ASSERT_EQ(mkdir(barred.file("slogi.tmp").c_str(), 0700), 0);
    full.write("text2.tmp", cp1251("мама`"));
    ASSERT_EQ(symlink("/dev/full", full.file("slogi.tmp").c_str()), 0);
    const std::pair<const TempDir*, std::string> cases[] = {
        {&none, "There is no text2.tmp!"},
        {&barred, "Failed to create file \"slogi.tmp\"!"},
        {&full, "Failed to write file \"slogi.tmp\"!"},  // a failed write is no success
    };
    for (const auto& [dir, message] : cases) {
        const harness::StageRun r = harness::run_stage(*dir, slogi_files);
        EXPECT_EQ(r.result, 0) << message;
        EXPECT_EQ(r.printed, "Slogi initialized...\n\n" + message + "\n");
        EXPECT_EQ(r.key_waits, 1) << message;
    }
    EXPECT_EQ(none.read("slogi.tmp"), "old");  // not touched
}

}  // namespace
