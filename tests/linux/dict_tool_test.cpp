// vokdar-dict: each kind of problem found at its line, exit statuses, and sorted
// copies that keep every line and make every entry reachable, proven with the
// dictionary pass itself (case tables in tests/data/linux).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "case_table.h"
#include "driver/stage_files.h"
#include "harness.h"
#include "secondread/secondread.h"

namespace {

using harness::cp1251;
using harness::TempDir;

// vokdar-dict run where replace.txt holds dictionary.
harness::RunResult dict_tool(const std::string& dictionary, const std::vector<std::string>& args,
                             const TempDir& dir = TempDir())
{
    dir.write("replace.txt", dictionary);
    return harness::run_program(VOKDAR_DICT_BINARY, dir.path(), args);
}

// The findings of a check: "LINE: the words of the message up to the second
// colon", the file name, the notes and the closing summary dropped.
std::vector<std::string> findings(const std::string& out)
{
    std::vector<std::string> found;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        if (line.starts_with("replace.txt:") && line[12] >= '0' && line[12] <= '9' &&
            line.find(": note:") == std::string::npos)
            found.push_back(line.substr(12, line.find(':', line.find(':', 12) + 1) - 12));
    return found;
}

TEST(DictCheck, FindsEachProblemAtItsLine)
{
    for (const CaseRow& row : case_table("linux/check.cases")) {
        SCOPED_TRACE(row.where);
        std::vector<std::string> expected;
        for (std::size_t i = 1; i < row.field.size(); ++i)
            expected.push_back(harness::utf8(row.field[i]));
        const harness::RunResult r = dict_tool(row.field.at(0), {"check"});
        EXPECT_EQ(findings(r.out), expected) << r.out;
        EXPECT_EQ(r.status, expected.empty() ? 0 : 1);
        const std::size_t n = expected.size();  // and the summary
        EXPECT_TRUE(r.out.ends_with(n == 0 ? "replace.txt: no problems found\n"
                                           : std::to_string(n) + (n == 1 ? " problem found\n" : " problems found\n")));
    }
}

TEST(DictCheck, MessagesNameTheBlockingLineInUtf8)
{
    auto out = dict_tool(cp1251("я*_ю*!\nа*_б*!\n\tх_у!\nб*_в*!\n$\n"), {"check"}).out;
    EXPECT_NE(out.find("replace.txt:2: never found: line 1 starts with \"я\", which sorts after \"а\""),
              std::string::npos) << out;
    EXPECT_NE(out.find("replace.txt:4: never found: line 1 starts with \"я\""), std::string::npos) << out;
    out = dict_tool(cp1251("а*_б*!\n\tх_у!\nб*_в*!\n$\n"), {"check"}).out;
    EXPECT_NE(out.find("replace.txt:3: never found: line 2 starts with a tab, and the scan for \"б\" stops there"),
              std::string::npos) << out;
    const harness::RunResult bom = dict_tool("\xEF\xBB\xBF" + harness::crlf("ёж_еж!\nмыл*_мил*!\n$\n"), {"check"});
    EXPECT_EQ(bom.status, 0) << bom.out;
    EXPECT_NE(bom.out.find("replace.txt: note: the file is UTF-8 with a byte order mark"), std::string::npos);
}

TEST(DictTool, ExitStatuses)
{
    for (const CaseRow& row : case_table("linux/status.cases")) {
        SCOPED_TRACE(row.where);
        TempDir dir;
        dir.write("other.txt", cp1251(",_б!\n$\n"));
        harness::run_program("/bin/mkdir", dir.path(), {"sub"});
        const harness::RunResult r =
            dict_tool(cp1251("а_б!\n$\n"), std::vector<std::string>(row.field.begin() + 2, row.field.end()), dir);
        EXPECT_EQ(r.status, std::stoi(row.field.at(0))) << r.out;
        EXPECT_EQ(r.out.rfind(row.field.at(1), 0), 0u) << r.out;
    }
}

// text.tmp through the real dictionary pass with dictionary; text2.tmp.
std::string second_read(const std::string& dictionary, const std::string& text)
{
    TempDir dir;
    dir.write("replace.txt", dictionary);
    dir.write("text.tmp", text + "` ");
    EXPECT_EQ(harness::run_stage(dir, secondread_files).result, 1);
    return dir.read("text2.tmp");
}

std::string sorted(const std::string& dictionary)
{
    TempDir dir;
    EXPECT_EQ(dict_tool(dictionary, {"sort", "-o", "sorted.txt"}, dir).status, 0);
    return dir.read("sorted.txt");
}

TEST(DictSort, MakesEveryEntryReachableAndKeepsWhatWorked)
{
    const std::string dictionary = cp1251("я*_ю*!\nмыла*_мила*!\n\tх_у!\nаму*%ому*!\nёлка*_ёлочка*!\nа*_о*!\n$\n");
    const std::string text = cp1251("я мыла раму, ёлка а ");
    EXPECT_EQ(harness::utf8(second_read(dictionary, text)), "ю мыла раму, ёлка а `");
    const std::string after = sorted(dictionary);
    EXPECT_EQ(harness::utf8(after), "ёлка*_ёлочка*!\nаму*%ому*!\nа*_о*!\nмыла*_мила*!\nя*_ю*!\n\tх_у!\n$\n");
    EXPECT_EQ(harness::utf8(second_read(after, text)), "ю мила рому, ёлочка о `");
    EXPECT_EQ(findings(dict_tool(after, {"check"}).out), std::vector<std::string>{"6: starts with a tab"});
}

// Without -o the copy goes to standard output and what changed to standard error.
TEST(DictSort, SaysWhatItChangedAndSortsInPlace)
{
    TempDir dir;
    const std::string dictionary = cp1251("я_ю!\nа_б!\nабв\nя_э!\n");
    dir.write("replace.txt", dictionary);
    const harness::RunResult r =
        harness::run_program("/bin/sh", dir.path(), {"-c", std::string(VOKDAR_DICT_BINARY) + " sort > out 2> err"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(dir.read("err"),
              "replace.txt:2: moved up: it stood after line 1, which starts with a greater byte\n"
              "replace.txt:3: moved up: it stood after line 1, which starts with a greater byte\n"
              "replace.txt:3: kept, but the dictionary pass passes it over: its key is broken\n"
              "replace.txt: no end line: one is added at the end\n"
              "replace.txt: 2 lines moved\n");
    EXPECT_EQ(harness::utf8(dir.read("out")), "а_б!\nабв\nя_ю!\nя_э!\n$\n");  // with the end line it lacked
    EXPECT_EQ(dir.read("replace.txt"), dictionary);                            // untouched
    EXPECT_EQ(dict_tool(dictionary, {"sort", "-o", "replace.txt"}, dir).status, 0);
    EXPECT_EQ(dir.read("replace.txt"), dir.read("out"));  // the same copy, in place
}

TEST(DictSort, KeepsEncodingLineEndsAndEveryLine)
{
    for (const CaseRow& row : case_table("linux/sort.cases")) {
        SCOPED_TRACE(row.where);
        EXPECT_EQ(harness::utf8(sorted(row.field.at(0))), harness::utf8(row.field.at(1)));
    }
}

}  // namespace
