// The formatted readers of answers and settings.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "common/console.h"
#include "harness.h"

namespace {

// Reads text (a file in text mode) with the readers named by script: i an int,
// r a real, w a word with its full length. Each read shows its value; a failed
// one shows "!" and the value it left untouched.
std::string scan_all(const std::string& text, const std::string& script)
{
    harness::TempDir dir;
    dir.write("in", text);
    TextFile file;
    EXPECT_TRUE(text_open(file, dir.file("in").c_str(), "r"));
    CharSource src;
    src.file = &file;
    std::ostringstream out;
    for (const char op : script) {
        int i = 7;
        float r = 1.5f;
        char word[32] = "";
        std::size_t length = 0;
        const bool ok = op == 'i' ? scan_int(src, i) : op == 'r' ? scan_real(src, r)
                                                                : scan_word(src, word, sizeof word, &length);
        out << (ok ? " " : " !");
        if (op == 'i')
            out << i;
        else if (op == 'r')
            out << r;
        else
            out << word << '(' << length << ')';
    }
    return out.str().substr(1);
}

TEST(Scan, ReadsAsTheCReaderTakesValues)
{
    // Numbers and words with any white space between them.
    EXPECT_EQ(scan_all("  120\r\n2.5\t1e1 anna tail", "irrw"), "120 2.5 10 anna(4)");
    // A failed number leaves its word for the next reader; the end fails too.
    EXPECT_EQ(scan_all("abc 5", "irwii"), "!7 !1.5 abc(3) 5 !7");
    // A number stops at the first letter; out-of-range ints saturate.
    EXPECT_EQ(scan_all("12abc -3.5e+2x nan INF 99999999999999999999 -99999999999999", "iwrwrrii"),
              "12 abc(3) -350 x(1) nan inf 2147483647 -2147483648");
    // An exponent mark without digits is dropped and the number kept: "2.5e+ 3".
    EXPECT_EQ(scan_all("2.5e+ 3 .5", "rrr"), "2.5 3 0.5");
    // A long word is read whole and reported with its length, cut to the buffer.
    EXPECT_EQ(scan_all(std::string(1000, 'v') + " next", "ww"), std::string(31, 'v') + "(1000) next(4)");
}

}  // namespace
