// The file layer: text-mode reading and writing, positions, binary mode.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/textfile.h"
#include "harness.h"

namespace {

using harness::TempDir;

std::string read_all(TextFile& f)
{
    std::string s;
    for (int c; (c = text_getc(f)) != TEXT_EOF;)
        s.push_back(static_cast<char>(c));
    return s;
}

std::string read_text(const TempDir& dir, const std::string& bytes)
{
    dir.write("in.txt", bytes);
    TextFile f;
    EXPECT_TRUE(text_open(f, dir.file("in.txt").c_str(), "r"));
    return read_all(f);
}

TEST(TextFile, ReadingTranslatesLineEndsAndStopsAtCtrlZ)
{
    TempDir dir;
    struct Case {
        std::string raw, delivered;
    } cases[] = {
        {"a\r\nb", "a\nb"},
        {"a\rb", "a\rb"},             // a lone CR arrives as it stands
        {"a\r\r\nb", "a\r\nb"},       // CR CR LF: the first CR stays
        {"a\r", "a\r"},               // CR as the last byte
        {"\r\n\r\n", "\n\n"},
        {"ab\x1A" "cd", "ab"},        // Ctrl-Z ends the file
        {"\x1A", ""},
        {"a\r\x1A" "b", "a\r"},
        {std::string("\xFF\xFF\x00z", 4), std::string("\xFF\xFF\x00z", 4)},  // 0xFF is a letter
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(read_text(dir, c.raw), c.delivered) << harness::utf8(c.raw);
}

TEST(TextFile, CrLfSplitAcrossBlockEdgeIsOneLineFeed)
{
    TempDir dir;
    for (std::size_t at : {FILE_BLOCK_BYTES - 2, FILE_BLOCK_BYTES - 1, FILE_BLOCK_BYTES}) {
        std::string raw(at, 'x');
        raw += "\r\nend\r";
        std::string expect(at, 'x');
        expect += "\nend\r";
        EXPECT_EQ(read_text(dir, raw), expect) << "CR at offset " << at;
    }
}

TEST(TextFile, SavedPositionRestoresExactly)
{
    TempDir dir;
    std::string raw = "ab\r\ncd";
    raw += std::string(FILE_BLOCK_BYTES, 'y');
    raw += "\r\nz";
    dir.write("in.txt", raw);
    TextFile f;
    ASSERT_TRUE(text_open(f, dir.file("in.txt").c_str(), "r"));
    EXPECT_EQ(text_getc(f), 'a');
    EXPECT_EQ(text_getc(f), 'b');
    const long long at_crlf = text_tell(f);
    EXPECT_EQ(at_crlf, 2);
    EXPECT_EQ(text_getc(f), '\n');
    EXPECT_EQ(text_tell(f), 4);
    ASSERT_TRUE(text_seek(f, at_crlf, SEEK_SET));
    EXPECT_EQ(text_getc(f), '\n');
    // Far past the block and back again.
    std::string rest = read_all(f);
    EXPECT_EQ(rest.size(), 2 + FILE_BLOCK_BYTES + 2);
    ASSERT_TRUE(text_seek(f, 0, SEEK_END));
    EXPECT_EQ(text_tell(f), static_cast<long long>(raw.size()));
    EXPECT_EQ(text_getc(f), TEXT_EOF);
    ASSERT_TRUE(text_seek(f, at_crlf, SEEK_SET));
    EXPECT_EQ(text_getc(f), '\n');
    EXPECT_EQ(text_getc(f), 'c');
    text_ungetc(f);
    EXPECT_EQ(text_getc(f), 'c');
}

TEST(TextFile, WritingStoresLineFeedAsCrLfUntilBinary)
{
    TempDir dir;
    {
        TextFile f;
        ASSERT_TRUE(text_open(f, dir.file("out").c_str(), "w"));
        EXPECT_TRUE(text_puts(f, "a\nb"));
        EXPECT_TRUE(text_putc(f, '\n'));
        ASSERT_TRUE(text_set_binary(f));
        EXPECT_TRUE(text_write(f, "\n\x1A", 2));
        EXPECT_TRUE(text_close(f));
    }
    EXPECT_EQ(dir.read("out"), "a\r\nb\r\n\n\x1A");
}

TEST(TextFile, UpdateModeRewritesFromStartWithoutTruncating)
{
    TempDir dir;
    dir.write("cfg", "1000\r\n2\r\n");
    TextFile f;
    ASSERT_TRUE(text_open(f, dir.file("cfg").c_str(), "r+"));
    EXPECT_EQ(read_all(f), "1000\n2\n");
    ASSERT_TRUE(text_seek(f, 0, SEEK_SET));
    EXPECT_TRUE(text_puts(f, "7\n"));
    EXPECT_TRUE(text_close(f));
    EXPECT_EQ(dir.read("cfg"), "7\r\n0\r\n2\r\n");
}

TEST(TextFile, BinaryHeaderRewriteKeepsLengthAndSamples)
{
    TempDir dir;
    TextFile f;
    ASSERT_TRUE(text_open(f, dir.file("out.wav").c_str(), "w+"));
    ASSERT_TRUE(text_set_binary(f));
    EXPECT_TRUE(text_write(f, "HHHH", 4));
    std::string big(3 * FILE_BLOCK_BYTES + 5, '\n');
    EXPECT_TRUE(text_write(f, big.data(), big.size()));
    const long long here = text_tell(f);
    ASSERT_TRUE(text_seek(f, 0, SEEK_END));
    EXPECT_EQ(text_tell(f), here);
    ASSERT_TRUE(text_seek(f, 0, SEEK_SET));
    EXPECT_TRUE(text_write(f, "RIFF", 4));
    EXPECT_TRUE(text_close(f));
    EXPECT_EQ(dir.read("out.wav"), "RIFF" + big);
}

TEST(TextFile, RefusesDirectoriesMissingFilesAndReportsFullDisk)
{
    TempDir dir;
    TextFile f;
    EXPECT_FALSE(text_open(f, dir.path().c_str(), "r"));
    EXPECT_FALSE(text_open(f, dir.file("missing").c_str(), "r"));
    EXPECT_FALSE(text_open(f, "", "r"));
    EXPECT_EQ(text_getc(f), TEXT_EOF);
    EXPECT_FALSE(text_putc(f, 'x'));
    ASSERT_TRUE(text_open(f, "/dev/full", "w"));
    text_puts(f, "lost");
    EXPECT_FALSE(text_close(f));
}

TEST(TextFile, BinaryReadTakesRawBytes)
{
    TempDir dir;
    dir.write("rec.pcm", std::string("\r\n\x1A\x01\x02", 5));
    TextFile f;
    ASSERT_TRUE(text_open(f, dir.file("rec.pcm").c_str(), "r"));
    ASSERT_TRUE(text_set_binary(f));
    unsigned char buf[8];
    EXPECT_EQ(text_read(f, buf, sizeof buf), 5u);
    EXPECT_EQ(buf[2], 0x1A);
    EXPECT_EQ(text_read(f, buf, sizeof buf), 0u);
}

std::string read_input(const TempDir& dir, const std::string& bytes)
{
    dir.write("in.txt", bytes);
    TextFile f;
    EXPECT_TRUE(text_open_input(f, dir.file("in.txt").c_str()));
    return read_all(f);
}

TEST(InputText, Utf8TextsArriveAsCodePage1251)
{
    TempDir dir;
    const std::string cp = harness::cp1251("Ёлка, ёж.\nЯ и ты — «да»!");
    // With and without the byte order mark, with CR LF line ends.
    EXPECT_EQ(read_input(dir, "Ёлка, ёж.\r\nЯ и ты — «да»!"), cp);
    EXPECT_EQ(read_input(dir, "\xEF\xBB\xBFЁлка, ёж.\nЯ и ты — «да»!"), cp);
    // A character without a code page 1251 form reads as '?', one per character.
    EXPECT_EQ(read_input(dir, "мир 日本 😀"), harness::cp1251("мир ?? ?"));
    // Ctrl-Z still ends a UTF-8 text; NUL passes as a character.
    EXPECT_EQ(read_input(dir, std::string("да\0\x1Aнет", 8)), harness::cp1251("да") + std::string(1, '\0'));
    // A byte order mark alone, or before broken UTF-8: still UTF-8.
    EXPECT_EQ(read_input(dir, "\xEF\xBB\xBF"), "");
    EXPECT_EQ(read_input(dir, "\xEF\xBB\xBF" "a\xD0" "b"), "a?b");
}

TEST(InputText, CodePage1251AndAsciiFilesAreReadByteForByte)
{
    TempDir dir;
    const std::string cp = harness::cp1251("Мама мыла раму. Ёж!");
    EXPECT_EQ(read_input(dir, cp), cp);  // real code page 1251 text is never valid UTF-8
    EXPECT_EQ(read_input(dir, "plain ascii\r\ntext"), "plain ascii\ntext");
    // Valid UTF-8 without any Cyrillic letter stays bytes ("é" is C3 A9).
    EXPECT_EQ(read_input(dir, "caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_FALSE(text_is_utf8_file(dir.file("in.txt").c_str()));
    dir.write("u.txt", "привет");
    EXPECT_TRUE(text_is_utf8_file(dir.file("u.txt").c_str()));
}

TEST(InputText, PositionsSurviveRewindAndLookAheadInUtf8)
{
    TempDir dir;
    dir.write("in.txt", "\xEF\xBB\xBFяб\r\nв");
    TextFile f;
    ASSERT_TRUE(text_open_input(f, dir.file("in.txt").c_str()));
    EXPECT_EQ(text_getc(f), 0xFF);  // я
    const long long saved = text_tell(f);
    EXPECT_EQ(text_getc(f), 0xE1);  // б
    EXPECT_EQ(text_getc(f), '\n');
    text_ungetc(f);
    EXPECT_EQ(text_getc(f), '\n');
    ASSERT_TRUE(text_seek(f, saved, SEEK_SET));
    EXPECT_EQ(text_getc(f), 0xE1);
    ASSERT_TRUE(text_seek(f, 0, SEEK_SET));  // counting from the start skips the mark again
    EXPECT_EQ(read_all(f), harness::cp1251("яб\nв"));
}

}  // namespace
