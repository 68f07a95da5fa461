// The file layer: text-mode reading of code page 1251 and UTF-8 input texts,
// the inline reader against the full one, writing, positions, binary mode, failures.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/cp1251.h"
#include "common/textfile.h"
#include "harness.h"

namespace {

using harness::cp1251;
using harness::TempDir;

std::string read_all(TextFile& f)
{
    std::string s;
    for (int c; (c = text_getc(f)) != TEXT_EOF;)
        s.push_back(static_cast<char>(c));
    return s;
}

const std::string BOM = "\xEF\xBB\xBF";
const std::string X = std::string(FILE_BLOCK_BYTES - 2, 'x');  // the bytes of a block but two

TEST(TextFile, ReadsAsTheModeAndTheTextSay)
{
    const struct {
        bool input;  // opened as an input text (UTF-8 detected) rather than plainly
        std::string raw, delivered;
    } cases[] = {
        {false, "a\r\nb", "a\nb"},
        {false, "a\r\rb", "a\r\rb"},    // lone CRs arrive as they stand
        {false, "a\r\r\nb", "a\r\nb"},  // CR CR LF: the first CR stays
        {false, "a\r", "a\r"},          // CR as the last byte
        {false, "\r\n\r\n", "\n\n"},
        {false, "ab\x1A" "cd", "ab"},   // Ctrl-Z ends the file
        {false, "a\r\x1A" "b", "a\r"},
        {false, std::string("\xFF\xFF\x00z", 4), std::string("\xFF\xFF\x00z", 4)},  // 0xFF is a letter
        {false, "", ""},
        {false, X + "\r\nend\r", X + "\nend\r"},  // CR LF before, across and after a block's edge
        {false, X + "x\r\nend", X + "x\nend"},
        {false, X + "xx\r\nend", X + "xx\nend"},
        // UTF-8 texts, with or without the byte order mark, arrive as code page 1251.
        {true, "Ёлка, ёж.\r\nЯ и ты — «да»!", cp1251("Ёлка, ёж.\nЯ и ты — «да»!")},
        {true, BOM + "Ёлка, ёж.\nЯ и ты — «да»!", cp1251("Ёлка, ёж.\nЯ и ты — «да»!")},
        {true, "АЯаяёЁ№«»—…€", "\xC0\xDF\xE0\xFF\xB8\xA8\xB9\xAB\xBB\x97\x85\x88"},  // the code page's bytes
        {true, "мир 日本 😀 \xEF\xBF\xBD", cp1251("мир ?? ? ?")},  // no code page form: '?' a character
        {true, std::string("да\0\x1Aнет", 8), cp1251("да") + std::string(1, '\0')},
        {true, BOM, ""},
        // Broken UTF-8 after the mark: broken off, stray, overlong, cut by the
        // end; each stray byte reads as the code page 1251 character it is.
        {true, BOM + "a\xD0" "b\x80z\xC0\xAFx\xE2\x82", "a\xD0" "b\x80z\xC0\xAFx\xE2\x82"},
        {true, BOM + "\xED\xA0\x80я", "\xED\xA0\x80\xFF"},  // a surrogate's form is no character
        // Without the mark: a stray byte among many sequences is still UTF-8.
        {true, "Мама\xA0мыла раму, мама мыла раму, мама мыла раму.", cp1251("Мама") + "\xA0" + cp1251("мыла раму, мама мыла раму, мама мыла раму.")},
        // Code page 1251 (never valid UTF-8) and other files stay bytes.
        {true, cp1251("Мама мыла раму. Ёж!"), cp1251("Мама мыла раму. Ёж!")},
        {true, "plain ascii\r\ntext", "plain ascii\ntext"},
        {true, "caf\xC3\xA9", "caf\xC3\xA9"},  // valid UTF-8 without a Cyrillic letter
    };
    TempDir dir;
    for (const auto& c : cases) {
        dir.write("in.txt", c.raw);
        TextFile f;
        ASSERT_TRUE(c.input ? text_open_input(f, dir.file("in.txt").c_str())
                            : text_open(f, dir.file("in.txt").c_str(), "r"));
        EXPECT_EQ(read_all(f), c.delivered) << harness::utf8(c.raw.substr(0, 40));
    }
}

// The share of stray bytes decides over the whole text, however the strays
// crowd its first block: a text whose first block is nearly all strays and
// whose rest makes the share good exactly is UTF-8; one stray more, and it
// is code page 1251 (a long one read only as far as that is sure).
TEST(TextFile, StrayShareCountsTheWholeText)
{
    const long long strays = 3000;
    const std::string head = std::string(static_cast<std::size_t>(strays), '\xA0') +
                             std::string(FILE_BLOCK_BYTES - static_cast<std::size_t>(strays), 'x');
    std::string rest;
    for (long long i = 0; i < strays * UTF8_STRAY_SHARE; ++i)
        rest += "\xD0\xAF";  // Я
    TempDir dir;
    long long stray = 0;
    dir.write("in.txt", head + rest);
    EXPECT_EQ(text_input_form(dir.file("in.txt").c_str(), &stray), TextForm::utf8);
    EXPECT_EQ(stray, strays);
    dir.write("in.txt", "\xA0" + head + rest);
    EXPECT_EQ(text_input_form(dir.file("in.txt").c_str(), &stray), TextForm::cp1251);
    EXPECT_EQ(stray, 0);
    // A code page 1251 text of megabytes, its one UTF-8 letter at the end.
    dir.write("in.txt", std::string(4 << 20, '\xE0') + "\xD0\xAF");
    EXPECT_EQ(text_input_form(dir.file("in.txt").c_str(), &stray), TextForm::cp1251);
}

// The stray bytes of a UTF-8 text counted one by one with the decoder: a byte
// that starts no whole, well-formed sequence is one, and the next byte is
// looked at afresh.
long long strays_by_decoder(const std::string& s)
{
    long long strays = 0;
    for (std::size_t i = 0; i < s.size();) {
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            ++i;
            continue;
        }
        Utf8Decoder d;
        std::uint32_t out[2];
        std::size_t j = i;
        int got = 0;
        while (got == 0 && j < s.size())
            got = utf8_feed(d, static_cast<unsigned char>(s[j++]), out);
        const bool whole = got == 1 && (out[0] != 0xFFFD || s.compare(i, 3, "\xEF\xBF\xBD") == 0);
        if (whole) {
            i = j;
        } else {
            ++strays;
            ++i;
        }
    }
    return strays;
}

// Texts of Cyrillic UTF-8 with bytes of every kind between: around the
// bounds of lead and continuation bytes, cut sequences, overlong and
// surrogate ones, code page 1251 letters side by side.
TEST(TextFile, StrayBytesCountedAsTheDecoderSeesThem)
{
    std::mt19937 rng(23);
    const std::vector<std::string> pieces = {
        "\xD0\xAF", "\xD1\x8F", "a", "\x80", "\xBF", "\xC0\x80", "\xC1\xBF", "\xC2", "\xC2\x80", "\xDF\xBF",
        "\xE0\x80\x80", "\xE0\xA0\x80", "\xED\xA0\x80", "\xEF\xBF\xBD", "\xEF\xBF", "\xF0\x90\x80\x80",
        "\xF4\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80", "\xF8", "\xFF", "\xE0\xE1", "\xC3\xC3\xA9"};
    TempDir dir;
    int utf8_texts = 0;
    for (int round = 0; round < 200; ++round) {
        std::string text;
        for (int k = 0; k < 400; ++k)
            text += rng() % 60 == 0 ? pieces[rng() % pieces.size()] : pieces[rng() % 2];
        dir.write("in.txt", text);
        long long stray = -1;
        const TextForm form = text_input_form(dir.file("in.txt").c_str(), &stray);
        const long long expected = strays_by_decoder(text);
        // A text with too many of them is code page 1251, its count not kept.
        if (form == TextForm::utf8) {
            ++utf8_texts;
            EXPECT_EQ(stray, expected) << round;
        } else {
            EXPECT_GT(expected * UTF8_STRAY_SHARE, 390) << round;
        }
    }
    EXPECT_GT(utf8_texts, 150);
}

TEST(TextFile, SavedPositionRestoresExactly)
{
    TempDir dir;
    const std::string raw = "ab\r\ncd" + std::string(FILE_BLOCK_BYTES, 'y') + "\r\nz";
    dir.write("in.txt", raw);
    TextFile f;
    ASSERT_TRUE(text_open(f, dir.file("in.txt").c_str(), "r"));
    EXPECT_EQ(text_getc(f), 'a');
    EXPECT_EQ(text_getc(f), 'b');
    EXPECT_EQ(text_tell(f), 2);  // at the CR LF
    EXPECT_EQ(text_getc(f), '\n');
    EXPECT_EQ(text_tell(f), 4);
    ASSERT_TRUE(text_seek(f, 2, SEEK_SET));
    EXPECT_EQ(read_all(f).size(), 3 + FILE_BLOCK_BYTES + 2);  // far past the block and back again
    ASSERT_TRUE(text_seek(f, 0, SEEK_END));
    EXPECT_EQ(text_tell(f), static_cast<long long>(raw.size()));
    EXPECT_EQ(text_getc(f), TEXT_EOF);
    ASSERT_TRUE(text_seek(f, 2, SEEK_SET));
    EXPECT_EQ(text_getc(f), '\n');
    EXPECT_EQ(text_getc(f), 'c');
    text_ungetc(f);
    EXPECT_EQ(text_getc(f), 'c');
}

TEST(TextFile, PositionsSurviveRewindAndLookAheadInUtf8)
{
    TempDir dir;
    dir.write("in.txt", BOM + "яб\r\nв");
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
    EXPECT_EQ(read_all(f), cp1251("яб\nв"));
}

// text_getc's inline path (and text_skip_line) against text_getc_full on
// random texts rich in what the full path handles (CR, LF, Ctrl-Z, UTF-8
// whole and broken, the mark), across a block's edge, in every mode, with
// steps back and seeks.
TEST(TextFile, InlineGetcIsTheFullReader)
{
    std::mt19937 rng(5);
    const std::string pieces[] = {"a", "b", " ", "\n", "\r", "\r\n", "\xD0\xB0", "\xD1\x8F",
                                  "\xE2\x84\x96", "\xD0", "\xE0", "\xFF", "\x80"};
    TempDir dir;
    for (int round = 0; round < 60; ++round) {
        std::string text = round % 4 == 0 ? BOM : "";
        while (text.size() < (round % 3 == 0 ? FILE_BLOCK_BYTES + 300 : 2000)) {
            const std::size_t pick = rng() % 40;
            text += pick < 13 ? pieces[pick] : std::string(1, static_cast<char>('c' + pick % 20));
        }
        dir.write("t.txt", text + (round % 5 == 1 ? "\x1A" "after the end" : ""));
        const int mode = round % 3;  // 0: input text, 1: plain text, 2: binary
        TextFile fast, full;
        for (TextFile* f : {&fast, &full}) {
            ASSERT_TRUE(mode == 0 ? text_open_input(*f, dir.file("t.txt").c_str())
                                  : text_open(*f, dir.file("t.txt").c_str(), "r"));
            if (mode == 2)
                text_set_binary(*f);
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
            } else if (op == 3) {
                text_skip_line(fast);  // lands where reading to a line feed does
                for (int c = 0; c != TEXT_EOF && c != '\n';)
                    c = text_getc_full(full);
            } else {
                const int c = text_getc_full(full);
                ASSERT_EQ(text_getc(fast), c) << "round " << round << " step " << step;
                if (c == TEXT_EOF)
                    break;
            }
            ASSERT_EQ(text_tell(fast), text_tell(full)) << "round " << round << " step " << step;
        }
    }
}

// Text in text mode, then binary parts of many sizes (a block or more with
// nothing pending goes past the buffer; a list of parts follows what is
// pending), and the first byte rewritten after
// them as rech.wav's header is; read back raw.
TEST(TextFile, WritesCrLfUntilBinaryAndRewritesInPlace)
{
    TempDir dir;
    TextFile f;
    ASSERT_TRUE(text_open(f, dir.file("out").c_str(), "w+"));
    EXPECT_TRUE(text_puts(f, "a\nb"));
    char lf[] = "\n";
    iovec text_parts[] = {{lf, 1}};
    EXPECT_TRUE(text_write_parts(f, text_parts, 1));
    ASSERT_TRUE(text_set_binary(f));
    std::string stored = "a\r\nb\r\n";
    std::mt19937 rng(9);
    // Sizes of plain writes; 0 stands for a list of parts of several sizes.
    for (const std::size_t n : {3 * FILE_BLOCK_BYTES + 7, FILE_BLOCK_BYTES, std::size_t{5}, std::size_t{0},
                                FILE_BLOCK_BYTES, 2 * FILE_BLOCK_BYTES}) {
        std::string part(n == 0 ? 2 * FILE_BLOCK_BYTES + 9 : n, '\0');
        for (char& c : part)
            c = static_cast<char>(rng());  // CR, LF and Ctrl-Z among them, all stored raw
        if (n == 0) {
            char* p = part.data();
            iovec parts[] = {{p, 4}, {p + 4, 2 * FILE_BLOCK_BYTES}, {p + 4 + 2 * FILE_BLOCK_BYTES, 5}};
            EXPECT_TRUE(text_write_parts(f, parts, 3));
        } else {
            EXPECT_TRUE(text_write(f, part.data(), n));
        }
        stored += part;
        EXPECT_EQ(text_tell(f), static_cast<long long>(stored.size()));
    }
    ASSERT_TRUE(text_seek(f, 0, SEEK_END));
    EXPECT_EQ(text_tell(f), static_cast<long long>(stored.size()));
    ASSERT_TRUE(text_seek(f, 0, SEEK_SET));
    EXPECT_TRUE(text_write(f, "A", 1));
    stored[0] = 'A';
    ASSERT_TRUE(text_seek(f, 0, SEEK_SET));
    std::vector<char> back(stored.size() + 8);
    EXPECT_EQ(text_read(f, back.data(), back.size()), stored.size());
    EXPECT_TRUE(std::string(back.data(), stored.size()) == stored);  // no line diff of megabytes
    EXPECT_TRUE(text_close(f));
    EXPECT_TRUE(dir.read("out") == stored);
}

TEST(TextFile, RefusesDirectoriesMissingFilesAndReportsFullDisk)
{
    TempDir dir;
    TextFile f;
    EXPECT_FALSE(text_open(f, dir.path().c_str(), "r"));
    EXPECT_FALSE(text_open(f, dir.file("missing").c_str(), "r"));
    EXPECT_FALSE(text_open(f, "", "r"));
    // A named pipe with no writer would block an open for ever: refused at once.
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(text_open(f, dir.file("pipe").c_str(), "r"));
    EXPECT_FALSE(text_open(f, dir.file("pipe").c_str(), "w"));
    EXPECT_EQ(text_getc(f), TEXT_EOF);
    EXPECT_FALSE(text_putc(f, 'x'));
    ASSERT_TRUE(text_open(f, "/dev/full", "w"));
    text_puts(f, "lost");
    EXPECT_FALSE(text_close(f));
    ASSERT_TRUE(text_open(f, "/dev/full", "w"));
    ASSERT_TRUE(text_set_binary(f));
    char lost[] = "lost";
    iovec parts[] = {{lost, 4}};
    EXPECT_FALSE(text_write_parts(f, parts, 1));
    EXPECT_FALSE(text_close(f));
}

}  // namespace

namespace {

// A file read while another thread writes it: the reader waits at the end of
// what is written, never sees the stale file the writer replaces, and reads
// what a reader of the finished file reads (a CR LF cut by a block's end
// included).
TEST(GrowingFile, AReaderWaitsForTheWriterAndReadsWhatItWrote)
{
    TempDir dir;
    const std::string name = dir.file("grows.tmp");
    dir.write("grows.tmp", "stale bytes of an earlier run");
    GrowingFile g;
    std::string got;
    std::thread reader([&] {
        TextFile in;
        ASSERT_TRUE(text_open_growing(in, name.c_str(), "r", &g));
        got = read_all(in);
        EXPECT_FALSE(in.failed);
    });
    TextFile out;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(text_open_growing(out, name.c_str(), "w", &g));
    const std::string first = std::string(FILE_BLOCK_BYTES - 1, 'a');
    text_puts(out, first.c_str());
    text_puts(out, "\n");  // its CR ends the first block, its LF begins the next
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    text_puts(out, "b\nc");
    text_flush(out);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    text_puts(out, "\nd");
    EXPECT_TRUE(text_close(out));
    growing_close(g);
    reader.join();
    EXPECT_TRUE(got == first + "\nb\nc\nd") << got.size();
}

// A run that stops wakes a reader waiting for more, or for the file, with a
// failure: nothing hangs.
TEST(GrowingFile, AStoppedRunEndsEveryWaitInAFailure)
{
    TempDir dir;
    const std::string name = dir.file("grows.tmp");
    GrowingFile g;
    TextFile out;
    ASSERT_TRUE(text_open_growing(out, name.c_str(), "w", &g));
    text_puts(out, "abc");
    text_flush(out);
    std::string got;
    bool failed = false;
    std::thread reader([&] {
        TextFile in;
        ASSERT_TRUE(text_open_growing(in, name.c_str(), "r", &g));
        got = read_all(in);
        failed = in.failed;
    });
    GrowingFile never_made;
    bool opened = true;
    std::thread waiting([&] {
        TextFile in;
        opened = text_open_growing(in, dir.file("never.tmp").c_str(), "r", &never_made);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    growing_abandon(g);
    growing_abandon(never_made);
    reader.join();
    waiting.join();
    EXPECT_EQ(got, "abc");
    EXPECT_TRUE(failed);
    EXPECT_FALSE(opened);
}

}  // namespace
