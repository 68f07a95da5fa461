// Choosing the input file: names given and typed, "exit", the end of standard
// input, through the built program.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "harness.h"

namespace {

using harness::TempDir;

const std::string ASK = "Which file do you whish to read: ";
const std::string AGAIN = "\nPlease enter a VALID file name: ";
const std::string STARTED = "Firstread initialized...\n";

harness::RunOptions typing(const std::string& input)
{
    harness::RunOptions o;
    o.input = input;
    o.timeout_seconds = 20;
    return o;
}

// What the stage printed: the program may say other things before it starts.
std::string stage_part(const std::string& out)
{
    std::size_t from = out.size();
    for (const std::string* first : {&ASK, &AGAIN, &STARTED})
        from = std::min(from, out.find(*first));
    return from < out.size() ? out.substr(from) : std::string();
}

std::size_t count_of(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// The text.tmp of "да" (the later stages stop for want of a dictionary, so it stays).
bool holds_da(const TempDir& dir)
{
    return dir.exists("text.tmp") && dir.read("text.tmp") == harness::cp1251("да` ");
}

TEST(FirstreadPrompt, WrongNamesThenARightOne)
{
    TempDir dir;
    dir.write("in.txt", harness::cp1251("Да"));
    const auto run = harness::run_vokdar(dir, {}, typing("  nosuch.txt\n\n other \t in.txt\n"));
    EXPECT_FALSE(run.timed_out);
    EXPECT_EQ(stage_part(run.out).rfind(ASK + AGAIN + AGAIN + STARTED, 0), 0u) << run.out;
    EXPECT_TRUE(holds_da(dir));
}

TEST(FirstreadPrompt, AGivenNameThatFailsLeadsToThePrompt)
{
    TempDir dir;
    dir.write("in.txt", harness::cp1251("Да"));
    const auto run = harness::run_vokdar(dir, {"missing.txt"}, typing("in.txt\n"));
    EXPECT_EQ(stage_part(run.out).rfind(AGAIN + STARTED, 0), 0u) << run.out;
    EXPECT_TRUE(holds_da(dir));
}

TEST(FirstreadPrompt, ExitAndTheEndOfInputGiveUp)
{
    struct Case {
        std::vector<std::string> args;
        std::string input;
        std::string printed;  // what the stage prints before giving up
    } cases[] = {
        {{}, "exit\n", ASK},
        {{}, "nosuch exit", ASK + AGAIN},
        {{}, "", ASK},
        {{}, " \n\t\n", ASK},
        {{}, "nosuch", ASK + AGAIN},
        {{"missing.txt"}, "", AGAIN},
        {{}, "EXIT exit", ASK + AGAIN},  // only the exact word quits
    };
    for (const auto& c : cases) {
        TempDir dir;
        const auto run = harness::run_vokdar(dir, c.args, typing(c.input));
        EXPECT_FALSE(run.timed_out) << c.input;
        EXPECT_EQ(run.status, 0) << c.input;
        EXPECT_EQ(stage_part(run.out).rfind(c.printed, 0), 0u) << c.input << "\n" << run.out;
        EXPECT_EQ(count_of(run.out, ASK) + count_of(run.out, AGAIN),
                  count_of(c.printed, ASK) + count_of(c.printed, AGAIN)) << c.input;
        EXPECT_EQ(run.out.find(STARTED), std::string::npos) << c.input;
        EXPECT_FALSE(dir.exists("text.tmp")) << c.input;
    }
}

TEST(FirstreadPrompt, AGivenExitIsAFileName)
{
    TempDir dir;
    dir.write("exit", harness::cp1251("Да"));
    const auto run = harness::run_vokdar(dir, {"exit"});
    EXPECT_EQ(stage_part(run.out).rfind(STARTED, 0), 0u) << run.out;
    EXPECT_TRUE(holds_da(dir));
}

TEST(FirstreadPrompt, LongNamesGivenOrTyped)
{
    TempDir dir;
    const std::string name = std::string(200, 'n') + ".txt";
    dir.write(name, harness::cp1251("Да"));
    auto run = harness::run_vokdar(dir, {name});
    EXPECT_EQ(stage_part(run.out).rfind(STARTED, 0), 0u) << run.out;
    EXPECT_TRUE(holds_da(dir));

    TempDir typed;
    typed.write(name, harness::cp1251("Да"));
    run = harness::run_vokdar(typed, {}, typing(name + "\n"));
    EXPECT_EQ(stage_part(run.out).rfind(ASK + STARTED, 0), 0u) << run.out;
    EXPECT_TRUE(holds_da(typed));

    // Longer than any path: refused like a missing file, and the next word is read.
    TempDir huge;
    huge.write("in.txt", harness::cp1251("Да"));
    run = harness::run_vokdar(huge, {}, typing(std::string(70000, 'x') + " in.txt"));
    EXPECT_EQ(stage_part(run.out).rfind(ASK + AGAIN + STARTED, 0), 0u) << run.out.substr(0, 200);
    EXPECT_TRUE(holds_da(huge));
}

}  // namespace
