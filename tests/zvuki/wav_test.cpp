// The header of rech.wav: its fields, the placeholder sizes, the final rewrite,
// and the size fields at and around 2 GiB and 4 GiB.
#include <gtest/gtest.h>

#include "zvuki_fixture.h"

namespace {

using namespace zt;

// A header written by Wavetag for total_length after sample_bytes line feeds
// (the first call's placeholders when total_length is 0).
std::string header_file(std::int64_t total_length, int sample_bytes = 0)
{
    harness::TempDir dir;
    TextFile f;
    EXPECT_TRUE(text_open(f, dir.file("out.wav").c_str(), "w+"));
    EXPECT_EQ(Wavetag(f, 0), 1);
    EXPECT_EQ(text_tell(f), 44);
    const std::string data(static_cast<std::size_t>(sample_bytes), '\n');
    EXPECT_TRUE(text_write(f, data.data(), data.size()));
    EXPECT_EQ(Wavetag(f, total_length), 1);
    EXPECT_EQ(text_tell(f), 44);
    EXPECT_TRUE(text_close(f));
    return dir.read("out.wav");
}

// The canonical mono 16-bit header; line feeds among the samples stay single bytes.
TEST(Wavetag, FieldsDescribeWhatFollowsTheHeader)
{
    for (const int bytes : {0, 2, 1000}) {
        const std::string b = header_file(44 + bytes, bytes);
        ASSERT_EQ(b.size(), 44u + bytes);
        EXPECT_EQ(b.substr(0, 4) + b.substr(8, 8) + b.substr(36, 4), "RIFFWAVEfmt data");
        EXPECT_EQ(b.substr(16, 20), std::string("\x10\0\0\0\1\0\1\0\x22\x56\0\0\x44\xAC\0\0\2\0\x10\0", 20));
        EXPECT_EQ(u32_at(b, 4), 36u + bytes);
        EXPECT_EQ(u32_at(b, 40), static_cast<std::uint32_t>(bytes));
        EXPECT_EQ(b.substr(44), std::string(static_cast<std::size_t>(bytes), '\n'));
    }
    TextFile closed;
    testing::internal::CaptureStdout();
    EXPECT_EQ(Wavetag(closed, 0), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error on mode set");
}

// Exact below the 32-bit limit, the maximum above it, in the header as written
// (only its 44 bytes, no file of that length); and the message is one line.
TEST(WavSize, FieldsAtTheLimits)
{
    for (const CaseRow& row : case_table("zvuki/wav_sizes.cases")) {
        SCOPED_TRACE(row.where);
        const std::int64_t length = std::stoll(row.field.at(0), nullptr, 0);
        const auto riff = static_cast<std::uint32_t>(std::stoul(row.field.at(1), nullptr, 0));
        const auto data = static_cast<std::uint32_t>(std::stoul(row.field.at(2), nullptr, 0));
        EXPECT_EQ(wav_size_field(length - 8), riff);
        EXPECT_EQ(wav_size_field(length - WAV_HEADER_BYTES), data);
        EXPECT_EQ(wav_too_long(length), row.field.at(3) == "1");
        const std::string b = header_file(length);
        ASSERT_EQ(b.size(), 44u);
        EXPECT_EQ(u32_at(b, 4), riff);
        EXPECT_EQ(u32_at(b, 40), data);
    }
    const std::string m = WAV_TOO_LONG_MESSAGE;
    EXPECT_EQ(m.front(), '\n');
    EXPECT_EQ(m.find('\n', 1), m.size() - 1);
}

}  // namespace
