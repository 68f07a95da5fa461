// The header of rech.wav: its fields, the placeholder sizes and the final rewrite.
#include <gtest/gtest.h>

#include <string>

#include "harness.h"
#include "zvuki/zvuki_internal.h"
#include "zvuki_fixture.h"

namespace {

using zt::u16_at;
using zt::u32_at;

// The fixed fields, checked against the canonical form of a mono 16-bit file.
void expect_fixed_fields(const std::string& b)
{
    EXPECT_EQ(b.substr(0, 4), "RIFF");
    EXPECT_EQ(b.substr(8, 4), "WAVE");
    EXPECT_EQ(b.substr(12, 4), "fmt ");
    EXPECT_EQ(u32_at(b, 16), 16u);
    EXPECT_EQ(u16_at(b, 20), 1u);      // PCM
    EXPECT_EQ(u16_at(b, 22), 1u);      // mono
    EXPECT_EQ(u32_at(b, 24), 22050u);  // samples per second
    EXPECT_EQ(u32_at(b, 28), 44100u);  // bytes per second
    EXPECT_EQ(u16_at(b, 32), 2u);
    EXPECT_EQ(u16_at(b, 34), 16u);
    EXPECT_EQ(b.substr(36, 4), "data");
}

TEST(Wavetag, FirstCallWritesPlaceholderSizesAndLeavesPositionBehindHeader)
{
    harness::TempDir dir;
    TextFile f;
    ASSERT_TRUE(text_open(f, dir.file("out.wav").c_str(), "w+"));
    EXPECT_EQ(Wavetag(f, 0), 1);
    EXPECT_EQ(text_tell(f), 44);
    ASSERT_TRUE(text_close(f));
    const std::string b = dir.read("out.wav");
    ASSERT_EQ(b.size(), 44u);
    expect_fixed_fields(b);
    EXPECT_EQ(u32_at(b, 4), 0xFFFFFFF8u);
    EXPECT_EQ(u32_at(b, 40), 0xFFFFFFD4u);
}

// The final call rewrites bytes 0..43 only; line feeds among the samples stay single bytes.
TEST(Wavetag, FinalCallDescribesWhatFollowsTheHeader)
{
    struct Case {
        int sample_bytes;
    };
    for (const Case c : {Case{0}, Case{2}, Case{1000}}) {
        harness::TempDir dir;
        TextFile f;
        ASSERT_TRUE(text_open(f, dir.file("out.wav").c_str(), "w+"));
        ASSERT_EQ(Wavetag(f, 0), 1);
        const std::string data(static_cast<std::size_t>(c.sample_bytes), '\n');
        ASSERT_TRUE(text_write(f, data.data(), data.size()));
        const long long length = 44 + c.sample_bytes;
        ASSERT_EQ(Wavetag(f, length), 1);
        EXPECT_EQ(text_tell(f), 44);
        ASSERT_TRUE(text_close(f));
        const std::string b = dir.read("out.wav");
        ASSERT_EQ(b.size(), static_cast<std::size_t>(length)) << c.sample_bytes;
        expect_fixed_fields(b);
        EXPECT_EQ(u32_at(b, 4), static_cast<std::uint32_t>(36 + c.sample_bytes));
        EXPECT_EQ(u32_at(b, 40), static_cast<std::uint32_t>(c.sample_bytes));
        EXPECT_EQ(b.substr(44), data);
    }
}

TEST(Wavetag, ClosedFileIsAModeFailureAndNothingIsWritten)
{
    TextFile f;
    testing::internal::CaptureStdout();
    EXPECT_EQ(Wavetag(f, 0), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error on mode set");
}

}  // namespace
