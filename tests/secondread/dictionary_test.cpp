// The reader of replace.txt: which entry lines a scan for one first byte reaches.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"
#include "secondread/dictionary.h"

namespace {

using harness::cp1251;

// A dictionary written to disk (CR LF line ends, as an editor saves it) and opened.
struct Dict {
    harness::TempDir dir;
    TextFile f;
    explicit Dict(const std::string& lines)
    {
        dir.write("replace.txt", harness::crlf(lines));
        EXPECT_TRUE(text_open(f, dir.file("replace.txt").c_str(), "r"));
    }
};

// Every key a scan for sought reaches, with its kind: "key_1" etc.
std::vector<std::string> scan(TextFile& f, unsigned char sought)
{
    std::vector<std::string> found;
    dictionary_rewind(f);
    EntryText key;
    int mode = -1;
    while (next_entry(f, sought, key, mode)) {
        found.push_back(harness::utf8(std::string(key.bytes.begin(), key.bytes.begin() + key.length)) +
                        "_" + std::to_string(mode));
        EXPECT_EQ(key.bytes[key.length], 0);
        skip_line(f);
        mode = -1;
    }
    return found;
}

unsigned char byte(const char* utf8_letter) { return static_cast<unsigned char>(cp1251(utf8_letter)[0]); }

TEST(NextEntry, ScansInSignedByteOrderAsTheDictionaryIsSorted)
{
    using V = std::vector<std::string>;
    struct Case {
        const char* why;
        std::string dict;
        const char* sought;
        V found;
    } cases[] = {
        {"kind bytes give the match mode",
         "кот!кит!\nкот_кит!\nкот%кит!\nкот$кит!\n$\n", "к", V{"кот_0", "кот_1", "кот_2", "кот_0"}},
        {"spaces and empty lines before a line's first byte are passed over",
         "\n\n   кот _кит !\n\n  \nкум*%кус*!\n$\n", "к", V{"кот _1", "кум*_2"}},
        {"smaller first bytes are passed over, the first greater one ends the scan",
         "аист_птица!\nвол_бык!\nкот_кит!\nлес_бор!\nкум_сват!\n$\n", "к", V{"кот_1"}},
        {"an out-of-order line is never reached",
         "ялик_лодка!\nаист_птица!\n$\n", "а", V{}},
        {"the later of two out-of-order lines is still found by its own byte",
         "ялик_лодка!\nаист_птица!\n$\n", "я", V{"ялик_1"}},
        {"ё lines never end a scan, wherever they stand",
         "ёж_ёжик!\nкот_кит!\nёлка_ель!\nкум_сват!\n$\n", "к", V{"кот_1", "кум_1"}},
        {"ё lines never end a scan for a byte that sorts before ё",
         "ёж_ёжик!\n«x!y!\n$\n", "«", V{"«x_0"}},
        {"ё sorts before а: a scan for ё stops at the first а line",
         "ёж_ёжик!\nаист_птица!\nёлка_ель!\n$\n", "ё", V{"ёж_1"}},
        {"a tab-led line ends every scan for a Cyrillic byte",
         "\tпримечание\nкот_кит!\n$\n", "к", V{}},
        {"a tab-led line sorts before Latin letters",
         "\tпримечание\nkit_cat!\n$\n", "k", V{"kit_1"}},
        {"Cyrillic lines sort before Latin and digits",
         "кот_кит!\n5_пять!\nkit_cat!\n$\n", "k", V{"kit_1"}},
        {"the end line ends the dictionary: nothing after it is read",
         "кот_кит!\n$\nкум_сват!\n", "к", V{"кот_1"}},
        {"a scan for the end line's own byte never takes it for an entry",
         "$\n$x!y!\n", "$", V{}},
        {"the end of the file ends the dictionary like the end line",
         "кот_кит!\nкум_сват!", "к", V{"кот_1", "кум_1"}},
        {"an empty file holds no entry", "", "к", V{}},
        {"a key running into its line feed is passed over at it",
         "кот кит\nкум_сват!\n$\n", "к", V{"кум_1"}},
        {"a key running into the end of the file ends the scan", "кот кит", "к", V{}},
        {"a key of 63 bytes is usable, one of 64 is passed over",
         std::string(63, 'k') + "_x!\n" + std::string(64, 'k') + "_y!\nk_z!\n$\n", "k",
         V{std::string(63, 'k') + "_1", "k_1"}},
        {"a key may hold delimiters and captures",
         "что ,*!x!\n$\n", "ч", V{"что ,*_0"}},
    };
    for (const auto& c : cases) {
        Dict d(cp1251(c.dict));
        EXPECT_EQ(scan(d.f, byte(c.sought)), c.found) << c.why;
    }
}

TEST(NextEntry, StopsJustAfterTheKeyAndResetsTheModeForEachEntry)
{
    Dict d(cp1251("кот_кит!хвост\nкум!сват!\n$\n"));
    EntryText key;
    int mode = -1;
    ASSERT_EQ(next_entry(d.f, byte("к"), key, mode), 1);
    EXPECT_EQ(mode, MATCH_WHOLE_WORD);
    EntryText rep;
    ASSERT_EQ(read_replacement(d.f, rep), ENTRY_OK);
    EXPECT_EQ(std::string(rep.bytes.begin(), rep.bytes.begin() + rep.length), cp1251("кит"));
    skip_line(d.f);  // the free text after "!" is never read as an entry
    ASSERT_EQ(next_entry(d.f, byte("к"), key, mode), 1);
    EXPECT_EQ(mode, MATCH_ANYWHERE);
    EXPECT_EQ(key.length, 3u);
}

TEST(ReadReplacement, EndsAtItsBangAndNeverRunsIntoTheNextLine)
{
    struct Case {
        std::string text;
        EntryRead result;
        std::string replacement;
        std::string rest;  // what the file holds after the call
    } cases[] = {
        {"што*!free text\nnext", ENTRY_OK, "што*", "free text\nnext"},
        {"!\nnext", ENTRY_OK, "", "\nnext"},
        {"+ -~1 !x", ENTRY_OK, "+ -~1 ", "x"},
        {"кит\nкот_кат!\n", ENTRY_LINE_END, "кит", "кот_кат!\n"},
        {"кит", ENTRY_FILE_END, "кит", ""},
        {std::string(63, 'r') + "!x", ENTRY_OK, std::string(63, 'r'), "x"},
        {std::string(64, 'r') + "!x\nnext", ENTRY_TOO_LONG, std::string(63, 'r'), "next"},
        // The end marker in a replacement would cut the text off after the word.
        {"х`м!free\nnext", ENTRY_END_MARKER, "х`м", "next"},
    };
    for (const auto& c : cases) {
        Dict d(cp1251(c.text));
        EntryText rep;
        EXPECT_EQ(read_replacement(d.f, rep), c.result) << harness::utf8(c.text);
        EXPECT_EQ(std::string(rep.bytes.begin(), rep.bytes.begin() + rep.length), cp1251(c.replacement));
        std::string rest;
        for (int ch; (ch = text_getc(d.f)) != TEXT_EOF;)
            rest.push_back(static_cast<char>(ch));
        EXPECT_EQ(rest, cp1251(c.rest)) << harness::utf8(c.text);
    }
}

}  // namespace
