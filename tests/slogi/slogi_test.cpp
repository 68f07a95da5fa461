// The syllable marker: the marks of single bytes, whole texts, and the stage's files.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "common/console.h"
#include "harness.h"
#include "slogi/slogi.h"
#include "slogi/slogi_internal.h"

namespace {

using harness::cp1251;
using harness::crlf;
using harness::TempDir;

int b(const char* utf8_letter) { return static_cast<unsigned char>(cp1251(utf8_letter)[0]); }

std::string mark(int prev, int c, int next)
{
    std::array<unsigned char, 2> out{};
    const std::size_t n = mark_byte(prev, static_cast<unsigned char>(c), next, out);
    return harness::utf8(std::string(out.begin(), out.begin() + n));
}

TEST(MarkByte, EachRowOfTheMarkingRules)
{
    const int N = NO_BYTE;
    struct Case {
        const char* why;
        int prev, c, next;
        std::string out;
    } cases[] = {
        {"ъ becomes + at the start", N, b("ъ"), b("я"), "+"},
        {"ъ becomes + inside", b("д"), b("ъ"), b("е"), "+"},
        {"ь after ч is left out", b("ч"), b("ь"), N, ""},
        {"ь after another letter stays, unmarked", b("л"), b("ь"), b("о"), "ь"},
        {"ь at the start stays", N, b("ь"), b("а"), "ь"},
        {"the first byte is never marked", N, b("к"), b("т"), "к"},
        {"a first vowel is never marked", N, b("а"), b("э"), "а"},
        {"a delimiter is never marked", b("а"), ',', N, ","},
        {"a delimiter after a consonant", b("м"), '.', N, "."},
        {"vowel after vowel", b("а"), b("э"), b("р"), "+э"},
        {"vowel after ь", b("ь"), b("я"), N, "+я"},
        {"vowel after consonant", b("м"), b("а"), N, "а"},
        {"vowel after ъ", b("ъ"), b("е"), b("з"), "е"},
        {"vowel after punctuation", ',', b("а"), N, "а"},
        {"non-vowel after non-vowel", b("к"), b("р"), b("а"), "+р"},
        {"non-vowel after ь", b("ь"), b("к"), b("а"), "+к"},
        {"non-vowel after vowel before ь", b("о"), b("л"), b("ь"), "+л"},
        {"non-vowel after vowel before a delimiter", b("о"), b("м"), ',', "+м"},
        {"non-vowel after vowel before a consonant", b("о"), b("д"), b("ъ"), "-д"},
        {"non-vowel after vowel before a vowel", b("а"), b("м"), b("а"), "-м"},
        {"non-vowel after vowel at the end", b("о"), b("м"), N, "-м"},
        {"a capital vowel counts as a non-vowel", b("о"), b("А"), b("а"), "-А"},
        {"a vowel after a capital vowel", b("А"), b("а"), N, "а"},
        {"digits and Latin letters are non-vowels", b("а"), '7', 'x', "-7"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mark(c.prev, c.c, c.next), c.out) << c.why;
}

harness::StageRun run_stage(const TempDir& dir) { return harness::run_stage(dir, Slogi); }

// slogi.tmp as the stage writes it for text2.tmp (both as on disk).
std::string marked(const std::string& text2)
{
    TempDir dir;
    dir.write("text2.tmp", text2);
    const harness::StageRun r = run_stage(dir);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.printed, "Slogi initialized...\n");
    EXPECT_EQ(r.key_waits, 0);
    return dir.read("slogi.tmp");
}

struct TextCase {
    std::string text2;  // before the end marker, LF line ends (CR LF on disk)
    std::string slogi;  // the same
};

void check_cases(const TextCase* cases, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        const std::string got = marked(crlf(cp1251(cases[i].text2)) + "`");
        EXPECT_EQ(harness::utf8(got), crlf(cases[i].slogi) + "`") << cases[i].text2;
    }
}

TEST(SlogiStage, TheWorkedExamples)
{
    const TextCase cases[] = {
        {"мама", "ма-ма_"},
        {"красный ", "к+ра-с+ны-й_"},
        {"семья ", "се+мь+я_"},
        {"подъезд ", "по-д+е-з+д_"},
        {"дочь ", "до+ч_"},
        {"ночью ", "но+ч+ю_"},
        {"бульон ", "бу+ль+о-н_"},
        {"аэропорт ", "а+э-ро-по-р+т_"},
        {"дом, кот.", "до+м,_ко+т._"},
        {"кто-то ", "к+то-то_"},
        {"кто -то", "к+то_то_"},
        {"вода1 ", "во-да1"},
        {"сестра~брат ", "се-с+т+ра~б+ра-т_"},
    };
    check_cases(cases, std::size(cases));
}

TEST(SlogiStage, WordEndingsAndEmptyWords)
{
    const TextCase cases[] = {
        {"", ""},
        {"дом ", "до-м_"},
        {"дом  кот", "до-м_ко-т_"},                 // two spaces give one "_"
        {" \n-+~1дом", "до-м_"},                    // endings before the first word are lost
        {"дом\n+кот~\n1", "до-м\nко-т~"},           // an ending after an ending is lost
        {"дом+кот-лес\nсон1", "до-м+ко-т-ле-с\nсо-н1"},
        {"дом1кот", "до-м1ко-т_"},
        {"дом?кот!", "до+м?+ко+т!_"},                // punctuation stays inside the word
        {"ъезд ьа", "+е-з+д_ь+а_"},
        {"чьё", "ч+ё_"},
        {"ДОМ", "Д+О+М_"},                           // capitals are all non-vowels
        {"Ёж", "Ё+ж_"},
    };
    check_cases(cases, std::size(cases));
}

TEST(SlogiStage, FilesOnDisk)
{
    struct Case {
        const char* why;
        std::string text2, slogi;  // raw bytes
    } cases[] = {
        {"a line feed ending is CR LF on disk", cp1251("мама\r\nпапа`"), cp1251("ма-ма\r\nпа-па_`")},
        {"a lone CR stays inside the word", cp1251("ма\rма`"), cp1251("ма-\r+ма_`")},
        {"no end marker: the end of the file ends the text", cp1251("мама"), cp1251("ма-ма_`")},
        {"an empty file", "", "`"},
        {"nothing after the end marker is read", cp1251("мама`папа"), cp1251("ма-ма_`")},
        {"Ctrl-Z ends the file", cp1251("мама\x1A" "папа`"), cp1251("ма-ма_`")},
        {"NUL bytes are kept", std::string("a\0b`", 4), std::string("a+\0+b_`", 7)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(marked(c.text2), c.slogi) << c.why;
}

TEST(SlogiStage, LongWordsAreMarkedWholeFromTrueNeighbours)
{
    // Where a 32-byte buffer would end: the 32nd and 33rd bytes still see each other.
    std::string a31;
    std::string a31_marked = "а";
    for (int i = 0; i < 30; ++i)
        a31_marked += "+а";
    for (int i = 0; i < 31; ++i)
        a31 += "а";
    const TextCase cases[] = {
        {a31 + "ть ", a31_marked + "+ть_"},
        {a31 + "чья", a31_marked + "+ч+я_"},
        {a31 + "д", a31_marked + "-д_"},
    };
    check_cases(cases, std::size(cases));

    std::string ma, ma_marked = "ма";
    for (int i = 0; i < 5000; ++i)
        ma += "ма";
    for (int i = 1; i < 5000; ++i)
        ma_marked += "-ма";
    EXPECT_EQ(harness::utf8(marked(cp1251(ma + " " + ma) + "`")), ma_marked + "_" + ma_marked + "_`");
}

TEST(SlogiStage, FailuresPrintTheirMessageAndWaitForAKey)
{
    {
        TempDir dir;  // no text2.tmp: slogi.tmp is not touched
        dir.write("slogi.tmp", "old");
        const harness::StageRun r = run_stage(dir);
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.printed, "Slogi initialized...\n\nThere is no text2.tmp!\n");
        EXPECT_EQ(r.key_waits, 1);
        EXPECT_EQ(dir.read("slogi.tmp"), "old");
    }
    {
        TempDir dir;
        dir.write("text2.tmp", "`");
        ASSERT_EQ(mkdir(dir.file("slogi.tmp").c_str(), 0700), 0);
        const harness::StageRun r = run_stage(dir);
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.printed, "Slogi initialized...\n\nFailed to create file \"slogi.tmp\"!\n");
        EXPECT_EQ(r.key_waits, 1);
    }
}

TEST(SlogiStage, AFailedWriteIsNotReportedAsSuccess)
{
    TempDir dir;
    dir.write("text2.tmp", cp1251("мама`"));
    if (symlink("/dev/full", dir.file("slogi.tmp").c_str()) != 0)
        GTEST_SKIP() << "no /dev/full";
    const harness::StageRun r = run_stage(dir);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.printed, "Slogi initialized...\n\nFailed to write file \"slogi.tmp\"!\n");
    EXPECT_EQ(r.key_waits, 1);
}

TEST(SlogiStage, GoldenArticle)
{
    EXPECT_EQ(marked(harness::test_data("slogi/article.text2.tmp")),
              harness::test_data("slogi/article.slogi.expected"));
}

}  // namespace

namespace {

TEST(SlogiStage, AnyTextGivesMarkedWordsAndOneMarker)
{
    std::mt19937 rng(3);
    const std::string common = cp1251("аеоуктмчьъ ,.-+~1\n") + "\r";
    for (int round = 0; round < 40; ++round) {
        std::string text;
        const std::size_t n = rng() % 4000;
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned r = rng();
            text.push_back(r % 8 == 0 ? static_cast<char>(r >> 8) : common[(r >> 8) % common.size()]);
        }
        const std::string out = marked(text);
        ASSERT_FALSE(out.empty());
        EXPECT_EQ(out.find('`'), out.size() - 1) << "round " << round;
        EXPECT_EQ(out.find(' '), std::string::npos) << "round " << round;
        EXPECT_EQ(out.find('\xFA'), std::string::npos) << "round " << round;  // no "ъ"
    }
}

}  // namespace

namespace {

// The program's road for "Мама мыла раму.": the sound stage is made to fail
// (rech.wav cannot be written) so the files of the two text stages stay.
TEST(Chain, DictionaryPassAndMarkerThroughTheProgram)
{
    TempDir dir;
    dir.write("s.txt", cp1251("Мама мыла раму."));
    dir.write("replace.txt", "$\r\n");
    ASSERT_EQ(mkdir(dir.file("rech.wav").c_str(), 0700), 0);
    const harness::RunResult r = harness::run_vokdar(dir, {"s.txt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Secondread initialized...\nSlogi initialized...\n"), std::string::npos) << r.out;
    EXPECT_EQ(dir.read("text2.tmp"), cp1251("мама мыла раму.`"));
    EXPECT_EQ(dir.read("slogi.tmp"), cp1251("ма-ма_мы-ла_ра-му._`"));
}

}  // namespace
