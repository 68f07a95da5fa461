// The inline fast paths of the common layer give what the full code gives:
// byte tables against the sets they come from, text_getc against
// text_getc_full under every mode and operation, and whole-block writes that
// skip the buffer against the file's bytes.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/tables.h"
#include "common/textfile.h"
#include "harness.h"

namespace {

using harness::TempDir;

TEST(FastPath, ByteTablesAreTheSets)
{
    for (int c = 0; c < 256; ++c) {
        const auto b = static_cast<unsigned char>(c);
        EXPECT_EQ(is_vowel(b), in_set(VOWELS, b)) << c;
        EXPECT_EQ(is_delimiter(b), in_set(DELIMITERS, b)) << c;
    }
    EXPECT_FALSE(is_vowel(0));
    EXPECT_FALSE(is_delimiter(0));
}

// Random texts rich in what the slow path handles (CR, LF, Ctrl-Z, UTF-8
// sequences whole and broken, the byte order mark), across block boundaries,
// read by both functions with the same reads, steps back and seeks.
TEST(FastPath, GetcIsTheFullReader)
{
    std::mt19937 rng(5);
    const std::string pieces[] = {"a", "b", " ", "\n", "\r", "\r\n", "\xD0\xB0", "\xD1\x8F",
                                  "\xE2\x84\x96", "\xD0", "\xE0", "\xFF", "\x80"};
    for (int round = 0; round < 60; ++round) {
        std::string text = (round % 4 == 0) ? "\xEF\xBB\xBF" : "";
        const std::size_t size = (round % 3 == 0) ? FILE_BLOCK_BYTES + 300 : 2000;
        while (text.size() < size) {
            const std::size_t pick = rng() % 40;
            text += pick < 13 ? pieces[pick] : std::string(1, static_cast<char>('c' + pick % 20));
        }
        if (round % 5 == 1)
            text += "\x1A" "after the end";
        TempDir dir;
        dir.write("t.txt", text);
        const std::string name = dir.file("t.txt");
        TextFile fast, full;
        const int mode = round % 3;  // 0: input text, 1: plain text, 2: binary
        if (mode == 0) {
            ASSERT_TRUE(text_open_input(fast, name.c_str()));
            ASSERT_TRUE(text_open_input(full, name.c_str()));
        } else {
            ASSERT_TRUE(text_open(fast, name.c_str(), "r"));
            ASSERT_TRUE(text_open(full, name.c_str(), "r"));
            if (mode == 2) {
                text_set_binary(fast);
                text_set_binary(full);
            }
        }
        long long mark = 0;
        for (int step = 0; step < 200000; ++step) {
            const unsigned op = rng() % 100;
            if (op == 0) {
                text_ungetc(fast);
                text_ungetc(full);
            } else if (op == 1) {
                mark = text_tell(full);
            } else if (op == 2) {
                text_seek(fast, mark, SEEK_SET);
                text_seek(full, mark, SEEK_SET);
            } else {
                const int a = text_getc(fast);
                const int b = text_getc_full(full);
                ASSERT_EQ(a, b) << "round " << round << " step " << step;
                if (b == TEXT_EOF)
                    break;
            }
            ASSERT_EQ(text_tell(fast), text_tell(full)) << "round " << round << " step " << step;
        }
    }
}

// Blocks of a block or more go past the buffer; what stands in the file, and
// where the next write lands, is as if they had not.
TEST(FastPath, WholeBlockWritesLandInPlace)
{
    TempDir dir;
    TextFile f;
    ASSERT_TRUE(text_open(f, dir.file("o.bin").c_str(), "w+"));
    ASSERT_TRUE(text_set_binary(f));
    std::string expected;
    std::mt19937 rng(9);
    for (std::size_t n : {std::size_t{44}, 3 * FILE_BLOCK_BYTES + 7, FILE_BLOCK_BYTES, std::size_t{5},
                          FILE_BLOCK_BYTES, 2 * FILE_BLOCK_BYTES}) {
        std::string part(n, '\0');
        for (char& c : part)
            c = static_cast<char>(rng());
        ASSERT_TRUE(text_write(f, part.data(), part.size()));
        expected += part;
        EXPECT_EQ(text_tell(f), static_cast<long long>(expected.size()));
    }
    // Rewriting the start, as the WAV header is rewritten, keeps the rest.
    ASSERT_TRUE(text_seek(f, 0, SEEK_SET));
    ASSERT_TRUE(text_write(f, "HEAD", 4));
    expected.replace(0, 4, "HEAD");
    ASSERT_TRUE(text_close(f));
    EXPECT_TRUE(dir.read("o.bin") == expected);
}

}  // namespace
