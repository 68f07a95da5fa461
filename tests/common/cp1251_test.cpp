// The UTF-8 encoder against the decoder, and the byte forms at each length boundary.
#include <gtest/gtest.h>

#include <string>

#include "common/cp1251.h"

namespace {

std::string encoded(std::uint32_t cp)
{
    char bytes[UTF8_MAX_BYTES];
    return std::string(bytes, utf8_encode(cp, bytes));
}

TEST(Utf8Encode, LengthBoundariesAndRoundTripOfEveryCodePageCharacter)
{
    EXPECT_EQ(encoded(0x7F), "\x7F");
    EXPECT_EQ(encoded(0x80), "\xC2\x80");
    EXPECT_EQ(encoded(0x7FF), "\xDF\xBF");
    EXPECT_EQ(encoded(0x800), "\xE0\xA0\x80");
    EXPECT_EQ(encoded(0x0451), "\xD1\x91");      // ё
    EXPECT_EQ(encoded(0x2116), "\xE2\x84\x96");  // №
    EXPECT_EQ(encoded(0xFFFF), "\xEF\xBF\xBF");
    EXPECT_EQ(encoded(0x10000), "\xF0\x90\x80\x80");
    EXPECT_EQ(encoded(0x10FFFF), "\xF4\x8F\xBF\xBF");
    for (int b = 0x80; b < 0x100; ++b) {
        const std::uint32_t cp = CP1251_UNICODE[b - 0x80];
        if (cp == 0)
            continue;
        Utf8Decoder d;
        std::uint32_t out[2] = {};
        int got = 0;
        for (const char c : encoded(cp))
            got += utf8_feed(d, static_cast<unsigned char>(c), out);
        EXPECT_EQ(got, 1) << b;
        EXPECT_EQ(out[0], cp) << b;
        EXPECT_EQ(cp1251_from_unicode(out[0]), b);
    }
}

}  // namespace
