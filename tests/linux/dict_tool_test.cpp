// vokdar-dict: each kind of problem found at its line, exit statuses, and
// sorted copies that keep every line and make every entry reachable, proven
// with the dictionary pass itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"
#include "secondread/secondread.h"

namespace {

using harness::cp1251;
using harness::TempDir;

harness::RunResult dict_tool(const TempDir& dir, const std::vector<std::string>& args)
{
    return harness::run_program(VOKDAR_DICT_BINARY, dir.path(), args);
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The findings of a check: "LINE: the words of the message up to the first
// colon", the file name and the closing summary dropped.
std::vector<std::string> findings(const std::string& out)
{
    std::vector<std::string> found;
    for (const std::string& line : lines_of(out)) {
        const std::string prefix = "replace.txt:";
        if (line.rfind(prefix, 0) != 0 || line.find(": note:") != std::string::npos)
            continue;
        const std::string rest = line.substr(prefix.size());
        if (rest[0] >= '0' && rest[0] <= '9')
            found.push_back(rest.substr(0, rest.find(':', rest.find(':') + 1)));
    }
    return found;
}

struct CheckCase {
    const char* what;
    std::string dictionary;  // UTF-8 for readability, stored as code page 1251
    std::vector<std::string> expected;
};

const std::string LONG_KEY(64, 'x');

const std::vector<CheckCase> CHECKS = {
    {"clean", "ё*!е*!\nа*_б*!\nа*!в*!\nмыл*_мил*!\n$\n", {}},
    {"greater first byte before", "я*_ю*!\nа*_б*!\nб_в!\n$\n", {"2: never found", "3: never found"}},
    {"capital before small is fine, small before capital is not", "А*_а*!\nа*_б*!\nЯ_я!\n$\n", {"3: never found"}},
    {"ё lines never stop another scan", "а_б!\nё_е!\nб_в!\n$\n", {"2: never found"}},
    {"but a scan for ё stops before а", "ё_е!\nа_б!\nё*_е*!\n$\n", {"3: never found"}},
    {"tab-led line", "а_б!\n\tв_г!\nб_в!\nя_ю!\n$\n", {"2: starts with a tab", "3: never found", "4: never found"}},
    {"spaces before a line are passed over", "   а_б!\n\n  б_в!\n  $\n", {}},
    {"no kind byte", "а_б!\nабв\nб_в!\n$\n", {"2: malformed"}},
    {"no closing !", "а_б!\nб_в\nв_г!\n$\n", {"2: malformed"}},
    {"key too long", "а" + LONG_KEY + "_б!\n$\n", {"1: key longer than 63 bytes"}},
    {"replacement too long", "а_" + LONG_KEY + "!\n$\n", {"1: replacement longer than 63 bytes"}},
    {"63 bytes are not too long", "а" + LONG_KEY.substr(2) + "_" + LONG_KEY.substr(1) + "!\n$\n", {}},
    {"more * in the replacement", "а**_б***!\nв*_г*!\n$\n", {"1: the replacement has 3 \"*\" but the key only 2"}},
    {"duplicate key", "а*_б*!\nв*_г*!\nв*_д*!\n$\n", {"3: duplicate key \"в*\""}},
    {"an anywhere entry takes every tail", "в*!г*!\nв*%д*!\nв*_е*!\n$\n",
     {"2: duplicate key \"в*\"", "3: duplicate key \"в*\""}},
    {"a later ending entry wins after a whole-word one", "в*_г*!\nв*%д*!\nв*!е*!\n$\n", {"3: duplicate key \"в*\""}},
    {"a delimiter or * in the earlier key covers", "в ,_г!\nв**_д!\nв,._е!\nвх._ж!\n$\n",
     {"3: never wins", "4: never wins"}},
    {"a broken earlier entry takes nothing", "в*_г*\nв*_д*!\n$\n", {"1: malformed"}},
    {"delimiter-led line", ",_х!\n$\n", {"1: never used"}},
    {"no end line", "а_б!\nб_в!\n", {"2: no end line"}},
    {"no end line in an empty file", "", {"1: no end line"}},
    {"no kind byte on the last line of the file", "а_б!\nабв", {"2: malformed", "2: no end line"}},
    {"lines after the end line are never read", "а_б!\n$\nя_ю!\nа_в!\n", {}},
};

TEST(DictCheck, FindsEachProblemAtItsLine)
{
    for (const CheckCase& c : CHECKS) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        dir.write("replace.txt", cp1251(c.dictionary));
        const harness::RunResult r = dict_tool(dir, {"check"});
        EXPECT_EQ(findings(r.out), c.expected) << r.out;
        EXPECT_EQ(r.status, c.expected.empty() ? 0 : 1) << r.out;
        // One line per finding, and the summary.
        EXPECT_EQ(lines_of(r.out).back(),
                  c.expected.empty() ? "replace.txt: no problems found"
                                     : "replace.txt: " + std::to_string(c.expected.size()) +
                                           (c.expected.size() == 1 ? " problem found" : " problems found"));
    }
}

TEST(DictCheck, MessagesNameTheBlockingLineInUtf8)
{
    TempDir dir;
    dir.write("replace.txt", cp1251("я*_ю*!\nа*_б*!\n\tх_у!\nб*_в*!\n$\n"));
    const harness::RunResult r = dict_tool(dir, {"check"});
    EXPECT_NE(r.out.find("replace.txt:2: never found: line 1 starts with \"я\", which sorts after \"а\""),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("replace.txt:4: never found: line 1 starts with \"я\""), std::string::npos) << r.out;

    dir.write("replace.txt", cp1251("а*_б*!\n\tх_у!\nб*_в*!\n$\n"));
    const harness::RunResult tab = dict_tool(dir, {"check"});
    EXPECT_NE(tab.out.find("replace.txt:3: never found: line 2 starts with a tab, and the scan for \"б\" stops there"),
              std::string::npos)
        << tab.out;
}

TEST(DictCheck, Utf8DictionaryIsANoteAndLostCharactersAProblem)
{
    TempDir dir;
    dir.write("replace.txt", "\xEF\xBB\xBF" + harness::crlf("ёж_еж!\nмыл*_мил*!\n$\n"));
    harness::RunResult r = dict_tool(dir, {"check"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("replace.txt: note: the file is UTF-8 with a byte order mark"), std::string::npos) << r.out;

    dir.write("replace.txt", "ёж_еж!\nмыл*_мäл*!\n$\n");
    r = dict_tool(dir, {"check"});
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_EQ(findings(r.out), std::vector<std::string>{"2: U+00E4 has no code page 1251 form and is read as \"?\""});

    // Read through the decoder, a UTF-8 file is checked as its twin is.
    dir.write("replace.txt", "я*_ю*!\nа*_б*!\n$\n");
    r = dict_tool(dir, {"check"});
    EXPECT_EQ(findings(r.out), std::vector<std::string>{"2: never found"}) << r.out;
}

struct StatusCase {
    const char* what;
    std::vector<std::string> args;
    int status;
    const char* output_start;
};

TEST(DictTool, ExitStatuses)
{
    const StatusCase cases[] = {
        {"default file, clean", {"check"}, 0, "replace.txt: no problems"},
        {"named file", {"check", "other.txt"}, 1, "other.txt:1: never used"},
        {"missing file", {"check", "nosuch.txt"}, 2, "vokdar-dict: nosuch.txt: No such file or directory"},
        {"a directory", {"check", "sub"}, 2, "vokdar-dict: sub: Is a directory"},
        {"sort of a missing file", {"sort", "nosuch.txt", "-o", "x.txt"}, 2, "vokdar-dict: nosuch.txt:"},
        {"sort into a missing directory", {"sort", "-o", "no/such/x.txt"}, 2, "vokdar-dict: no/such/x.txt: No such"},
        {"no command", {}, 2, "usage: vokdar-dict check"},
        {"unknown command", {"fix"}, 2, "usage:"},
        {"two files", {"check", "a", "b"}, 2, "usage:"},
        {"unknown switch", {"check", "-x"}, 2, "usage:"},
        {"-o on check", {"check", "-o", "x"}, 2, "usage:"},
        {"-o without a name", {"sort", "-o"}, 2, "usage:"},
        {"-o twice", {"sort", "-o", "a", "-o", "b"}, 2, "usage:"},
        {"help", {"-h"}, 0, "usage:"},
        {"long help", {"--help"}, 0, "usage:"},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        dir.write("replace.txt", cp1251("а_б!\n$\n"));
        dir.write("other.txt", cp1251(",_б!\n$\n"));
        harness::run_program("/bin/mkdir", dir.path(), {"sub"});
        const harness::RunResult r = dict_tool(dir, c.args);
        EXPECT_EQ(r.status, c.status) << r.out;
        EXPECT_EQ(r.out.rfind(c.output_start, 0), 0u) << r.out;
    }
}

// text.tmp through the real dictionary pass with dictionary; text2.tmp.
std::string second_read(const std::string& dictionary, const std::string& text)
{
    TempDir dir;
    dir.write("replace.txt", dictionary);
    dir.write("text.tmp", text + "` ");
    const harness::StageRun run = harness::run_stage(dir, Secondread);
    EXPECT_EQ(run.result, 1);
    return dir.read("text2.tmp");
}

std::string sorted(const std::string& dictionary)
{
    TempDir dir;
    dir.write("replace.txt", dictionary);
    const harness::RunResult r = dict_tool(dir, {"sort", "-o", "sorted.txt"});
    EXPECT_EQ(r.status, 0) << r.out;
    return dir.read("sorted.txt");
}

harness::RunResult check_of(const std::string& dictionary)
{
    TempDir dir;
    dir.write("replace.txt", dictionary);
    return dict_tool(dir, {"check"});
}

TEST(DictSort, MakesEveryEntryReachableAndKeepsWhatWorked)
{
    const std::string dictionary = cp1251(
        "я*_ю*!\n"
        "мыла*_мила*!\n"
        "\tх_у!\n"
        "аму*%ому*!\n"
        "ёлка*_ёлочка*!\n"
        "а*_о*!\n"
        "$\n");
    const std::string text = cp1251("я мыла раму, ёлка а ");
    EXPECT_EQ(harness::utf8(second_read(dictionary, text)), "ю мыла раму, ёлка а `");
    const std::string after = sorted(dictionary);
    EXPECT_EQ(harness::utf8(after), "ёлка*_ёлочка*!\nаму*%ому*!\nа*_о*!\nмыла*_мила*!\nя*_ю*!\n\tх_у!\n$\n");
    EXPECT_EQ(harness::utf8(second_read(after, text)), "ю мила рому, ёлочка о `");
    const harness::RunResult r = check_of(after);
    EXPECT_EQ(findings(r.out), std::vector<std::string>{"6: starts with a tab"}) << r.out;
}

TEST(DictSort, SaysWhatItChanged)
{
    TempDir dir;
    dir.write("replace.txt", cp1251("я_ю!\nа_б!\nабв\nя_э!\n"));
    const harness::RunResult r = dict_tool(dir, {"sort", "-o", "replace.txt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "replace.txt:2: moved up: it stood after line 1, which starts with a greater byte\n"
              "replace.txt:3: moved up: it stood after line 1, which starts with a greater byte\n"
              "replace.txt:3: kept, but the dictionary pass passes it over: its key is broken\n"
              "replace.txt: no end line: one is added at the end\n"
              "replace.txt: 2 lines moved\n");
    // Sorted in place, with the end line it lacked.
    EXPECT_EQ(harness::utf8(dir.read("replace.txt")), "а_б!\nабв\nя_ю!\nя_э!\n$\n");
    EXPECT_EQ(dict_tool(dir, {"check"}).status, 1);  // the broken line is still reported
}

struct KeepCase {
    const char* what;
    std::string in;        // bytes
    std::string expected;  // bytes
};

TEST(DictSort, KeepsEncodingLineEndsAndEveryLine)
{
    const std::string bom = "\xEF\xBB\xBF";
    const KeepCase cases[] = {
        {"CR LF stays CR LF", cp1251("б_в!\r\nа_б!\r\n$\r\n"), cp1251("а_б!\r\nб_в!\r\n$\r\n")},
        {"UTF-8 with its mark", bom + "б_в!\r\nа_б!\r\n$\r\n", bom + "а_б!\r\nб_в!\r\n$\r\n"},
        {"UTF-8 in code page 1251 byte order", "я_ю!\nё_е!\nА_а!\n$\n", "ё_е!\nА_а!\nя_ю!\n$\n"},
        {"blank lines travel with the line after them", cp1251("б_в!\n\n  а_б!\n\n$\n"),
         cp1251("\n  а_б!\nб_в!\n\n$\n")},
        {"a last line without its line end gets one", cp1251("б_в!\nа_б!"), cp1251("а_б!\nб_в!\n$\n")},
        {"what follows the end line stays", cp1251("б_в!\nа_б!\n$ конец\nя_ю!\nпримечание"),
         cp1251("а_б!\nб_в!\n$ конец\nя_ю!\nпримечание")},
        {"what follows Ctrl-Z stays after the added end line", cp1251("б_в!\r\nа_б!\r\n\x1Aмусор"),
         cp1251("а_б!\r\nб_в!\r\n$\r\n\x1Aмусор")},
        {"a key longer than the buffer is kept", cp1251("б_в!\nа" + LONG_KEY + "_б!\n$\n"),
         cp1251("а" + LONG_KEY + "_б!\nб_в!\n$\n")},
        {"lines led by signed bytes in their order", "\x7F_a!\n!_b!\n\t_c!\n\x80_d!\n\xFF_e!\n$\n",
         "\x80_d!\n\xFF_e!\n\t_c!\n!_b!\n\x7F_a!\n$\n"},
        {"an empty file", "", "$\n"},
        // "п»ї" are the bytes of a UTF-8 byte order mark: first, they would turn the file into UTF-8.
        {"code page 1251 never starts with a byte order mark", cp1251("я_ю!\nп»ї_а!\n$\n"),
         cp1251("\nп»ї_а!\nя_ю!\n$\n")},
    };
    for (const KeepCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(harness::utf8(sorted(c.in)), harness::utf8(c.expected));
    }
}

TEST(DictSort, WritesToStandardOutputWithoutAName)
{
    TempDir dir;
    dir.write("replace.txt", cp1251("б_в!\nа_б!\n$\n"));
    const harness::RunResult r =
        harness::run_program("/bin/sh", dir.path(), {"-c", std::string(VOKDAR_DICT_BINARY) + " sort > out 2> err"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(dir.read("out"), cp1251("а_б!\nб_в!\n$\n"));
    EXPECT_EQ(dir.read("err"), "replace.txt:2: moved up: it stood after line 1, which starts with a greater byte\n"
                               "replace.txt: 1 line moved\n");
    EXPECT_EQ(dir.read("replace.txt"), cp1251("б_в!\nа_б!\n$\n"));  // untouched
}

// Random dictionaries in random order: after sorting, nothing is out of
// reach, and every word an entry rewrote before is rewritten the same way.
TEST(DictSort, RandomDictionariesKeepEveryWorkingRewrite)
{
    const std::vector<std::string> entries = {
        "а*_о*!",  "ар*%ор*!", "б*!п*!",   "ва*_ва*!", "г**%х**!", "да%та!", "ё*_е*!",   "ёж_уж!",
        "ма*!мя*!", "мы*_ми*!", "ра*%ро*!", "я*_ю*!",   "ям*_юм*!", "\tт_т!", "к!г!",     "ков*%коф*!",
        "мам*_мам*!", "А*_а*!", "ла%ло!",  "ла*%лу*!", "ыла*%ила*!", "а_я!", "ло*!ла*!", "ём*_ём*!",
    };
    const std::vector<std::string> words = {"а ",  "ар ", "бар ", "ва,", "гов ", "да",  "ёж ", "ёлка ",
                                            "мама ", "мыла ", "рама ", "я ", "ям.", "к ",  "ков ", "лала ",
                                            "ела ", "ёма ", "рало "};
    std::mt19937 random(20261203);
    for (int round = 0; round < 12; ++round) {
        std::vector<std::string> pick = entries;
        std::shuffle(pick.begin(), pick.end(), random);
        pick.resize(8 + random() % 12);
        std::string dictionary;
        for (const std::string& e : pick)
            dictionary += e + "\n";
        dictionary = cp1251(dictionary + "$\n");
        SCOPED_TRACE(harness::utf8(dictionary));
        const std::string after = sorted(dictionary);
        for (const std::string& line : lines_of(check_of(after).out))
            EXPECT_EQ(line.find("never found"), std::string::npos) << line;
        for (const std::string& word : words) {
            const std::string w = cp1251(word);
            const std::string before = second_read(dictionary, w);
            if (before != w + "`") {
                EXPECT_EQ(harness::utf8(second_read(after, w)), harness::utf8(before)) << word;
            }
        }
    }
}

}  // namespace
