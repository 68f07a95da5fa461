// The header's size fields at and around 2 GiB and 4 GiB: exact below the
// 32-bit limit, the maximum above it, and one line when the file is too long.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "harness.h"
#include "zvuki/zvuki_internal.h"
#include "zvuki_fixture.h"

namespace {

using zt::u32_at;

constexpr std::int64_t GiB = std::int64_t{1} << 30;

struct SizeCase {
    std::int64_t total_length;
    std::uint32_t riff;
    std::uint32_t data;
    bool too_long;
};

const SizeCase SIZE_CASES[] = {
    {0, 0xFFFFFFF8u, 0xFFFFFFD4u, false},  // the first call's placeholders
    {44, 36, 0, false},
    {2 * GiB - 1, 0x7FFFFFF7u, 0x7FFFFFD3u, false},  // around 2 GiB: nothing special
    {2 * GiB, 0x7FFFFFF8u, 0x7FFFFFD4u, false},
    {2 * GiB + 44, 0x80000024u, 0x80000000u, false},
    {4 * GiB - 1, 0xFFFFFFF7u, 0xFFFFFFD3u, false},
    {4 * GiB + 7, 0xFFFFFFFFu, 0xFFFFFFDBu, false},  // the RIFF size just fits
    {4 * GiB + 8, 0xFFFFFFFFu, 0xFFFFFFDCu, true},   // and from here it does not
    {4 * GiB + 43, 0xFFFFFFFFu, 0xFFFFFFFFu, true},  // the data size just fits
    {4 * GiB + 44, 0xFFFFFFFFu, 0xFFFFFFFFu, true},
    {4 * GiB + 46, 0xFFFFFFFFu, 0xFFFFFFFFu, true},
    {20 * GiB, 0xFFFFFFFFu, 0xFFFFFFFFu, true},
};

TEST(WavSize, FieldsAreExactBelowTheLimitAndTheMaximumAbove)
{
    for (const SizeCase& c : SIZE_CASES) {
        SCOPED_TRACE(c.total_length);
        EXPECT_EQ(wav_size_field(c.total_length - 8), c.riff);
        EXPECT_EQ(wav_size_field(c.total_length - WAV_HEADER_BYTES), c.data);
        EXPECT_EQ(wav_too_long(c.total_length), c.too_long);
    }
}

// The header as written, without a file of that length: only its 44 bytes.
TEST(WavSize, TheHeaderCarriesTheFields)
{
    for (const SizeCase& c : SIZE_CASES) {
        SCOPED_TRACE(c.total_length);
        harness::TempDir dir;
        {
            TextFile f;
            ASSERT_TRUE(text_open(f, dir.file("out.wav").c_str(), "w+"));
            ASSERT_EQ(Wavetag(f, c.total_length), 1);
            ASSERT_TRUE(text_close(f));
        }
        const std::string b = dir.read("out.wav");
        ASSERT_EQ(b.size(), 44u);
        EXPECT_EQ(u32_at(b, 4), c.riff);
        EXPECT_EQ(u32_at(b, 40), c.data);
    }
}

TEST(WavSize, TheMessageIsOneLine)
{
    const std::string m = WAV_TOO_LONG_MESSAGE;
    ASSERT_GE(m.size(), 3u);
    EXPECT_EQ(m.front(), '\n');
    EXPECT_EQ(m.back(), '\n');
    EXPECT_EQ(m.find('\n', 1), m.size() - 1);
}

}  // namespace
