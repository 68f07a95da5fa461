// The dictionary pass: the words of text.tmp, and the stage's files and messages.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "common/settings.h"
#include "driver/stage_files.h"
#include "secondread/secondread.h"
#include "support.h"

namespace {

using harness::cp1251;
using harness::TempDir;

TEST(ReadWord, WordTable)
{
    for (const CaseRow& row : case_table("secondread/words.cases")) {
        TempDir dir;
        dir.write("text.tmp", row.field.at(0));
        TextFile f;
        ASSERT_TRUE(text_open(f, dir.file("text.tmp").c_str(), "r"));
        std::vector<std::string> got{row.field[0]};
        Word w;
        for (int status = WORD_DELIMITED; status == WORD_DELIMITED && got.size() < 100;) {
            status = read_word(f, w);
            got.push_back(text_of(w));
            got.push_back(std::string(1, "LDT"[status]));
        }
        EXPECT_EQ(got, row.field) << row.where;
    }
}

// The stage on text.tmp and replace.txt (as on disk): what it returned and
// printed, its key waits, and text2.tmp.
harness::StageRun run(const TempDir& dir, const std::string& text, const std::string& dict)
{
    dir.write("text.tmp", text);
    dir.write("replace.txt", dict);
    return harness::run_stage(dir, secondread_files);
}

// The stage in memory: text.tmp's bytes in, text2.tmp's out, with the
// dictionary written to a file.
std::string rewritten(const std::string& text, const std::string& dict, bool keep_stress = false)
{
    TempDir dir;
    dir.write("replace.txt", dict);
    DictionaryPtr dictionary;
    EXPECT_EQ(dictionary_open(dir.file("replace.txt").c_str(), dictionary), DictionaryOpen::opened);
    dictionary_keep_stress(*dictionary, keep_stress);
    std::string in_bytes = text, out_bytes;
    TextFile in, out;
    text_open_memory(in, in_bytes, "r");
    text_open_memory(out, out_bytes, "w");
    EXPECT_EQ(Secondread(in, out, *dictionary), SecondreadStatus::done);
    text_close(out);
    return out_bytes;
}

TEST(SecondreadStage, StageTable)
{
    for (const CaseRow& row : case_table("secondread/stage.cases"))
        EXPECT_EQ(rewritten(row.field.at(0), row.field.at(1)), row.field.at(2)) << row.where;
    // Bound to its files, as the program runs it.
    for (const CaseRow& row : case_table("secondread/stage.cases")) {
        TempDir dir;
        const harness::StageRun r = run(dir, row.field.at(0), row.field.at(1));
        EXPECT_EQ(r.result, 1) << row.where;
        EXPECT_EQ(r.printed, "Secondread initialized...\n") << row.where;
        EXPECT_EQ(r.key_waits, 0) << row.where;
        EXPECT_EQ(dir.read("text2.tmp"), row.field.at(2)) << row.where;
    }
    TempDir dir;
    run(dir, harness::test_data("secondread/article.text.tmp"), harness::test_data("secondread/article.replace.txt"));
    EXPECT_EQ(dir.read("text2.tmp"), harness::test_data("secondread/article.text2.expected"));
}

// Stress marks of the replacements reach text2.tmp in the everyday reading
// only; in the original reading the marked dictionary rewrites exactly as the
// same dictionary without its marks.
TEST(SecondreadStage, StressMarksOnlyInTheEverydayReading)
{
    const std::string marked = cp1251("мама*_ма´ма*!\nмолоко*_малако´*!\nого*%о´ва*!\n$\n");
    const std::string plain = cp1251("мама*_мама*!\nмолоко*_малако*!\nого*%ова*!\n$\n");
    // A word whose replacement would overfill the word buffer with its mark
    // is rewritten without it.
    const std::string word(60, static_cast<char>(0xE0));
    const std::string ending = cp1251("а*%бва´*!\n$\n");
    const std::string written = word.substr(1) + cp1251("бва `");
    const std::string text = cp1251("мама, молоко доброго. его`");
    EXPECT_EQ(harness::utf8(rewritten(text, marked, true)), "ма´ма, малако´ добро´ва. его`");
    EXPECT_EQ(rewritten(text, marked, false), rewritten(text, plain, false));
    EXPECT_EQ(harness::utf8(rewritten(text, marked, false)), "мама, малако доброва. его`");
    EXPECT_EQ(rewritten(word + " `", ending, true), written);
    EXPECT_EQ(rewritten(word + " `", ending, false), written);
    EXPECT_EQ(rewritten(word.substr(1) + " `", ending, true), word.substr(2) + cp1251("бва´ `"));  // room for it
    // Bound to its files, by the reading of the settings.
    for (const int reading : {READING_ORIGINAL, READING_EVERYDAY}) {
        Settings.reading = reading;
        TempDir dir;
        run(dir, text, marked);
        EXPECT_EQ(dir.read("text2.tmp"), rewritten(text, marked, reading == READING_EVERYDAY)) << reading;
    }
    Settings.reading = DEFAULT_READING;
}

// A word the writer marked is looked up without the mark, and in the
// everyday reading the writer's stress wins over the dictionary's, on the
// same vowel of the rewritten word; the original reading leaves it as before.
TEST(SecondreadStage, TheWritersStressWinsOverTheDictionarys)
{
    const std::string dict = cp1251("мама*_ма´ма*!\nмолоко*_малако´*!\nого*%о´ва*!\nстол*_стол*!\n$\n");
    const auto everyday = [&](const char* text) { return harness::utf8(rewritten(cp1251(text), dict, true)); };
    EXPECT_EQ(everyday("моло´ко, мама´ доброго´ стол´ за´мок`"), "мала´ко, мама´ доброва´ стол´ за´мок`");
    // The first stage writes one mark a word, after a vowel. A word with a mark
    // after no vowel, or with two, is no writer's stress: its bytes pass as
    // they are, so a text the first stage did not write loses nothing.
    EXPECT_EQ(everyday("´мама м´ама мо´ло´ко.`"), "´мама м´ама мо´ло´ко.`");
    // The dictionary's own marks stand where the writer put none.
    EXPECT_EQ(everyday("молоко.`"), "малако´.`");
    // A full word keeps the letters and loses no byte.
    const std::string full = std::string(60, static_cast<char>(0xE0)) + "\xB4 `";
    EXPECT_EQ(rewritten(full, dict, true), full);
    const std::string text = cp1251("моло´ко мама`");
    EXPECT_EQ(rewritten(text, dict, false), cp1251("моло´ко мама`"));
}

// A word of 64 bytes and more is copied whole, never rewritten; 63 bytes are.
TEST(SecondreadStage, WordsTooLongForTheBufferPassThroughWhole)
{
    const std::string tail = cp1251("кот ");  // the entry would rewrite it, if the word fitted
    for (std::size_t letters : {59u, 60u, 1000u, 200000u}) {
        const std::string w = std::string(letters, 'x') + tail;
        TempDir dir;
        EXPECT_EQ(run(dir, w + tail + w + "`", cp1251("кот !кит !\r\n$\r\n")).result, 1);
        const std::string kept = letters == 59 ? std::string(59, 'x') + cp1251("кит ") : w;
        EXPECT_EQ(dir.read("text2.tmp"), kept + cp1251("кит ") + kept + "`") << letters;
    }
}

TEST(SecondreadStage, FailuresPrintTheirMessageAndWaitForAKey)
{
    const struct {
        const char* text;
        const char* dict;
        const char* text2;  // "dir": a directory, "full": a link to /dev/full
        std::string message;
    } cases[] = {
        {nullptr, "$\r\n", nullptr, "Input open fail on second read!"},
        {"кот`", "$\r\n", "dir", "Output open fail on second read!"},
        {"кот`", nullptr, nullptr, "Replacement open fail on second read!"},
        {"кот`", "$\r\n", "full", "Output write fail on second read!"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        if (c.text)
            dir.write("text.tmp", cp1251(c.text));
        if (c.dict)
            dir.write("replace.txt", c.dict);
        if (c.text2) {
            ASSERT_EQ(*c.text2 == 'd' ? mkdir(dir.file("text2.tmp").c_str(), 0700)
                                      : symlink("/dev/full", dir.file("text2.tmp").c_str()), 0);
        }
        const harness::StageRun r = harness::run_stage(dir, secondread_files);
        EXPECT_EQ(r.result, 0) << c.message;
        EXPECT_EQ(r.printed, "Secondread initialized...\n" + c.message);
        EXPECT_EQ(r.key_waits, 1) << c.message;
        if (!c.text) {  // no output is made before its input opens; an empty one when the dictionary fails
            EXPECT_FALSE(dir.exists("text2.tmp"));
        } else if (!c.dict) {
            EXPECT_EQ(dir.read("text2.tmp"), "");
        }
    }
}

}  // namespace
