// The header of rech.wav: its fields, the placeholder sizes, the final rewrite,
// and the size fields at and around 2 GiB and 4 GiB; the writer of its samples.
#include <gtest/gtest.h>

#include <random>
#include <unistd.h>

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
    EXPECT_FALSE(Wavetag(closed, 0));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");  // the caller reports it
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

// Copied, listed, silent and in-place samples of every size, across many
// writes of exactly the block size, reach the file whole and in order; the
// same writer then meets a full disk and says so.
TEST(SampleWriter, BatchesKeepEveryByteInOrder)
{
    harness::TempDir dir;
    std::mt19937 rng(11);
    std::string lasting(3 * OUT_BLOCK_BYTES, '\0');
    for (char& c : lasting)
        c = static_cast<char>(rng());
    const auto* lasting_bytes = reinterpret_cast<const unsigned char*>(lasting.data());
    static SampleWriter w;
    TextFile f;
    ASSERT_TRUE(text_open(f, dir.file("out.wav").c_str(), "w+"));
    ASSERT_TRUE(text_set_binary(f));
    SampleSink sink = wav_sink(f);
    writer_start(w, sink);
    WavHeader header;  // as Wavetag writes it first
    wav_header_bytes(header, 0);
    std::string expected(header.begin(), header.end());
    ASSERT_TRUE(text_write(f, expected.data(), expected.size()));
    for (int op = 0; op < 400; ++op) {
        // Every write takes exactly the block size.
        ASSERT_EQ((text_tell(f) - 44) % static_cast<long long>(OUT_BLOCK_BYTES), 0) << text_tell(f);
        // ...and is followed by header sizes that count what is on disk.
        if (text_tell(f) > 44) {
            std::string head(44, '\0');
            ASSERT_EQ(pread(f.fd, head.data(), head.size(), 0), 44);
            EXPECT_EQ(u32_at(head, 4), text_tell(f) - 8);
            EXPECT_EQ(u32_at(head, 40), text_tell(f) - 44);
        }
        const std::size_t size = rng() % (op % 7 == 0 ? 2 * OUT_BLOCK_BYTES : 3000);
        switch (rng() % 4) {
        case 0: {
            Samples s(size / 2);
            for (std::int16_t& v : s)
                v = static_cast<std::int16_t>(rng());
            ASSERT_TRUE(put_samples(w, s.data(), s.size()));
            expected += pcm(s);
            break;
        }
        case 1: {
            const std::size_t at = 2 * (rng() % (lasting.size() / 2 - size / 2));
            ASSERT_TRUE(put_lasting(w, lasting_bytes + at, size & ~std::size_t{1}));
            expected += lasting.substr(at, size & ~std::size_t{1});
            break;
        }
        case 2:
            ASSERT_TRUE(put_silence(w, static_cast<long long>(size)));
            expected += std::string(2 * size, '\0');
            break;
        default: {
            const std::size_t n = std::min(size, w.block.size() - w.used) & ~std::size_t{1};
            std::memset(w.block.data() + w.used, 'x', n);
            ASSERT_TRUE(commit_block(w, n));
            expected += std::string(n, 'x');
        }
        }
    }
    ASSERT_TRUE(flush_samples(w));
    EXPECT_TRUE(text_close(f));
    const std::string written = dir.read("out.wav");
    ASSERT_EQ(written.size(), expected.size());
    // The writer keeps the header's two sizes true; the rest of it stays.
    EXPECT_EQ(u32_at(written, 4), written.size() - 8);
    EXPECT_EQ(u32_at(written, 40), written.size() - 44);
    EXPECT_EQ(written.substr(8, 32), expected.substr(8, 32));
    EXPECT_TRUE(written.substr(44) == expected.substr(44));  // no diff of megabytes

    ASSERT_TRUE(text_open(f, "/dev/full", "w"));
    ASSERT_TRUE(text_set_binary(f));
    writer_start(w, sink);
    bool ok = true;
    for (int i = 0; i < 4 && ok; ++i)
        ok = put_lasting(w, lasting_bytes, OUT_BLOCK_BYTES);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(flush_samples(w));
    EXPECT_FALSE(text_close(f));
}

}  // namespace
