// Choosing the input file: names given and typed, "exit", the end of standard
// input, through the built program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

namespace {

const std::string ASK = "Which file do you whish to read: ";
const std::string AGAIN = "\nPlease enter a VALID file name: ";
const std::string STARTED = "Firstread initialized...\n";

// Prompts in text: with the printed start found, their count shows nothing else was asked.
std::size_t prompts(const std::string& text)
{
    std::size_t n = 0;
    for (const std::string* p : {&ASK, &AGAIN})
        for (auto at = text.find(*p); at != std::string::npos; at = text.find(*p, at + 1))
            ++n;
    return n;
}

const std::string LONG_NAME = std::string(200, 'n') + ".txt";

TEST(FirstreadPrompt, NamesGivenAndTyped)
{
    struct Case {
        std::vector<std::string> args;
        std::string input;
        std::string file;     // the text "Да" is stored under this name
        std::string printed;  // what the stage prints first; it reads the text when this ends in STARTED
    } cases[] = {
        {{}, "  nosuch.txt\n\n other \t in.txt\n", "in.txt", ASK + AGAIN + AGAIN + STARTED},
        {{"missing.txt"}, "in.txt\n", "in.txt", AGAIN + STARTED},  // a given name that fails
        {{"exit"}, "", "exit", STARTED},                            // a given "exit" is a file name
        {{LONG_NAME}, "", LONG_NAME, STARTED},
        {{}, LONG_NAME + "\n", LONG_NAME, ASK + STARTED},
        // Longer than any path: refused like a missing file, and the next word is read.
        {{}, std::string(70000, 'x') + " in.txt", "in.txt", ASK + AGAIN + STARTED},
        // Giving up.
        {{}, "exit\n", "in.txt", ASK},
        {{}, "nosuch exit", "in.txt", ASK + AGAIN},
        {{}, "", "in.txt", ASK},
        {{}, " \n\t\n", "in.txt", ASK},
        {{}, "nosuch", "in.txt", ASK + AGAIN},
        {{"missing.txt"}, "", "in.txt", AGAIN},
        {{}, "EXIT exit", "in.txt", ASK + AGAIN},  // only the exact word quits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.substr(0, 60));
        harness::TempDir dir;
        dir.write(c.file, harness::cp1251("Да"));
        harness::RunOptions typing;
        typing.input = c.input;
        typing.timeout_seconds = 20;
        const auto run = harness::run_vokdar(dir, c.args, typing);
        EXPECT_FALSE(run.timed_out);
        EXPECT_EQ(run.status, 1);  // given up, or no dictionary: nothing spoken either way
        EXPECT_NE(run.out.find(c.printed), std::string::npos) << run.out.substr(0, 300);
        EXPECT_EQ(prompts(run.out), prompts(c.printed));
        // The later stages stop for want of a dictionary, so text.tmp stays.
        const bool reads = c.printed.ends_with(STARTED);
        EXPECT_EQ(dir.exists("text.tmp") && dir.read("text.tmp") == harness::cp1251("да` "), reads);
        EXPECT_EQ(run.out.find(STARTED) != std::string::npos, reads);
    }
}

}  // namespace
