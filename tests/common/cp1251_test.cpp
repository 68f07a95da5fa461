// Code page 1251 conversions of UTF-8 text.
#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "harness.h"

namespace {

TEST(Cp1251, CyrillicAndPunctuationMapBothWays)
{
    EXPECT_EQ(harness::cp1251("Ёж ёж Яя"), "\xA8\xE6 \xB8\xE6 \xDF\xFF");
    EXPECT_EQ(harness::cp1251("«№—…»"), "\xAB\xB9\x97\x85\xBB");
    for (int b = 0x80; b < 0x100; ++b) {
        if (CP1251_UNICODE[b - 0x80] == 0)
            continue;
        EXPECT_EQ(cp1251_from_unicode(CP1251_UNICODE[b - 0x80]), b);
    }
}

TEST(Cp1251, CharactersWithoutAFormBecomeQuestionMarks)
{
    EXPECT_EQ(harness::cp1251("a€b"), "a\x88" "b");  // the euro sign has a form
    EXPECT_EQ(harness::cp1251("日本"), "??");
    EXPECT_EQ(harness::cp1251("😀"), "?");
}

TEST(Cp1251, MalformedUtf8IsReplacedNotLost)
{
    EXPECT_EQ(harness::cp1251("a\xD0" "b"), "a?b");      // lead byte broken off
    EXPECT_EQ(harness::cp1251("\x80z"), "?z");           // stray continuation
    EXPECT_EQ(harness::cp1251("\xC0\xAF"), "?");          // overlong form
    EXPECT_EQ(harness::cp1251("x\xE2\x82"), "x?");        // cut off by the end
}

}  // namespace
