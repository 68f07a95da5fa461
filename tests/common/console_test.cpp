// The formatted readers of answers and settings.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>

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

// A held thread's lines, key waits and reading positions come out in their
// order when released; from then on it speaks for itself. A discarded hold
// says nothing and waits for no key.
void tell_reading(long long at) { console_print("<%lld>", at); }

TEST(ConsoleHold, HeldLinesComeOutInOrderOnceReleased)
{
    ConsoleHold hold;
    console_hold_reset(hold);
    const int waits = key_wait_count();
    testing::internal::CaptureStdout();
    std::thread speaker([&] {
        console_hold_thread(&hold);
        console_print("one %d ", 1);
        fail_wait("failed ");
        EXPECT_TRUE(console_hold_reading(5, tell_reading));
        console_mark();
        console_hold_thread(nullptr);
    });
    speaker.join();
    std::fflush(stdout);
    EXPECT_EQ(key_wait_count(), waits);  // held, not waited for yet
    console_release(hold);
    std::thread after([&] {
        console_hold_thread(&hold);
        EXPECT_FALSE(console_hold_reading(6, tell_reading));
        console_write("two", 3);
        std::fflush(stdout);
        console_hold_thread(nullptr);
    });
    after.join();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed.rfind("one 1 failed <5>", 0), 0u) << printed;
    EXPECT_EQ(printed.substr(printed.size() - 3), "two");
    EXPECT_EQ(key_wait_count(), waits + 1);

    console_hold_reset(hold);
    testing::internal::CaptureStdout();
    std::thread dropped([&] {
        console_hold_thread(&hold);
        console_discard(hold);
        fail_wait("never said");
        console_hold_thread(nullptr);
    });
    dropped.join();
    console_release(hold);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(key_wait_count(), waits + 1);
}

}  // namespace
