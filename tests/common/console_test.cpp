// The formatted readers of answers and settings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "common/console.h"
#include "harness.h"

namespace {

// A source over a file holding text, read in text mode.
struct FileSource {
    harness::TempDir dir;
    TextFile file;
    CharSource src;
    explicit FileSource(const std::string& text)
    {
        dir.write("in", text);
        text_open(file, dir.file("in").c_str(), "r");
        src.file = &file;
    }
};

TEST(Scan, NumbersAndWordsAsTheCReaderTakesThem)
{
    FileSource s("  120\r\n2.5\t1e1 anna tail");
    int speed = 0;
    float volume = 0, stutter = 0;
    char word[32];
    std::size_t len = 0;
    ASSERT_TRUE(scan_int(s.src, speed));
    ASSERT_TRUE(scan_real(s.src, volume));
    ASSERT_TRUE(scan_real(s.src, stutter));
    ASSERT_TRUE(scan_word(s.src, word, sizeof word, &len));
    EXPECT_EQ(speed, 120);
    EXPECT_FLOAT_EQ(volume, 2.5f);
    EXPECT_FLOAT_EQ(stutter, 10.0f);
    EXPECT_STREQ(word, "anna");
    EXPECT_EQ(len, 4u);
}

TEST(Scan, AFailedNumberLeavesTheWordForTheNextReader)
{
    FileSource s("abc 5");
    int v = 7;
    float r = 1.5f;
    char word[8];
    EXPECT_FALSE(scan_int(s.src, v));
    EXPECT_FALSE(scan_real(s.src, r));
    EXPECT_EQ(v, 7);
    EXPECT_EQ(r, 1.5f);
    ASSERT_TRUE(scan_word(s.src, word, sizeof word, nullptr));
    EXPECT_STREQ(word, "abc");
    EXPECT_TRUE(scan_int(s.src, v));
    EXPECT_EQ(v, 5);
    EXPECT_FALSE(scan_int(s.src, v));  // the end
}

TEST(Scan, NumberThatRunsIntoLettersStopsAtTheFirstLetter)
{
    FileSource s("12abc -3.5e+2x nan INF 99999999999999999999 -99999999999999");
    int v = 0;
    float r = 0;
    char word[8];
    ASSERT_TRUE(scan_int(s.src, v));
    EXPECT_EQ(v, 12);
    ASSERT_TRUE(scan_word(s.src, word, sizeof word, nullptr));
    EXPECT_STREQ(word, "abc");
    ASSERT_TRUE(scan_real(s.src, r));
    EXPECT_FLOAT_EQ(r, -350.0f);
    ASSERT_TRUE(scan_word(s.src, word, sizeof word, nullptr));
    EXPECT_STREQ(word, "x");
    ASSERT_TRUE(scan_real(s.src, r));
    EXPECT_TRUE(std::isnan(r));
    ASSERT_TRUE(scan_real(s.src, r));
    EXPECT_TRUE(std::isinf(r));
    ASSERT_TRUE(scan_int(s.src, v));
    EXPECT_EQ(v, 2147483647);
    ASSERT_TRUE(scan_int(s.src, v));
    EXPECT_EQ(v, -2147483647 - 1);
}

TEST(Scan, LongWordIsReadWholeAndReportedWithItsLength)
{
    const std::string name(1000, 'v');
    FileSource s(name + " next");
    char word[32];
    std::size_t len = 0;
    ASSERT_TRUE(scan_word(s.src, word, sizeof word, &len));
    EXPECT_EQ(len, 1000u);
    EXPECT_EQ(std::string(word), std::string(31, 'v'));
    ASSERT_TRUE(scan_word(s.src, word, sizeof word, &len));
    EXPECT_STREQ(word, "next");
}

}  // namespace
