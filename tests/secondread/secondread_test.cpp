// The dictionary pass: words of text.tmp, their rewriting, and the stage's files.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "common/console.h"
#include "harness.h"
#include "secondread/secondread.h"
#include "secondread/secondread_internal.h"

namespace {

using harness::cp1251;
using harness::crlf;
using harness::TempDir;

std::string text_of(const Word& w) { return std::string(w.bytes.begin(), w.bytes.begin() + w.length); }

// ---- read_word ----

struct WordRead {
    std::string word;
    int status;
    bool operator==(const WordRead&) const = default;
};

std::vector<WordRead> read_words(const std::string& raw)
{
    TempDir dir;
    dir.write("text.tmp", raw);
    TextFile f;
    EXPECT_TRUE(text_open(f, dir.file("text.tmp").c_str(), "r"));
    std::vector<WordRead> got;
    Word w;
    for (int status = WORD_DELIMITED; status == WORD_DELIMITED && got.size() < 100;) {
        status = read_word(f, w);
        EXPECT_EQ(w.bytes[w.length], 0);
        got.push_back({harness::utf8(text_of(w)), status});
    }
    return got;
}

TEST(ReadWord, WordsEndWithTheirDelimiterAndTheLastWithTheMarker)
{
    using V = std::vector<WordRead>;
    const int D = WORD_DELIMITED, L = WORD_LAST, T = WORD_TOO_LONG;
    struct Case {
        std::string raw;
        V words;
    } cases[] = {
        {cp1251("мама мыла раму.` "), V{{"мама ", D}, {"мыла ", D}, {"раму.", D}, {"", L}}},
        {cp1251("солнца`"), V{{"солнца", L}}},
        {"`", V{{"", L}}},
        {cp1251("что,.\r\n-~?!:;`"),
         V{{"что,", D}, {".", D}, {"\n", D}, {"-", D}, {"~", D}, {"?", D}, {"!", D}, {":", D}, {";", D}, {"", L}}},
        {cp1251("а+б1в`"), V{{"а+б1в", L}}},               // only the ten delimiters end a word
        {cp1251("кот"), V{{"кот", L}}},                      // no end marker: as if it stood at the end
        {cp1251("кот \x1A" "кит `"), V{{"кот ", D}, {"", L}}},  // Ctrl-Z ends the file
        {"", V{{"", L}}},
        {std::string(62, 'x') + " `", V{{std::string(62, 'x') + " ", D}, {"", L}}},
        {std::string(63, 'x') + "`", V{{std::string(63, 'x'), L}}},  // fits without a delimiter
        {std::string(63, 'x') + " `", V{{std::string(63, 'x'), T}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(read_words(c.raw), c.words) << harness::utf8(c.raw);
}

TEST(ReadWord, ATooLongWordIsLeftInTheFileForCopying)
{
    TempDir dir;
    const std::string long_word = std::string(70, 'x') + ",";
    dir.write("text.tmp", long_word + "y`");
    TextFile in, out;
    ASSERT_TRUE(text_open(in, dir.file("text.tmp").c_str(), "r"));
    ASSERT_TRUE(text_open(out, dir.file("out").c_str(), "w"));
    Word w;
    ASSERT_EQ(read_word(in, w), WORD_TOO_LONG);
    EXPECT_EQ(w.length, WORD_MAX_LENGTH);
    text_write(out, w.bytes.data(), w.length);
    EXPECT_EQ(copy_rest_of_word(in, out), 1);
    ASSERT_EQ(read_word(in, w), WORD_LAST);
    EXPECT_EQ(text_of(w), "y");
    text_close(out);
    EXPECT_EQ(dir.read("out"), long_word);
}

// ---- process_word ----

// The result of rewriting each word with the dictionary (LF line ends in the
// test, CR LF on disk).
std::vector<std::string> rewrite(const std::string& dict_lines, const std::vector<std::string>& words)
{
    TempDir dir;
    dir.write("replace.txt", crlf(cp1251(dict_lines)));
    TextFile dict;
    EXPECT_TRUE(text_open(dict, dir.file("replace.txt").c_str(), "r"));
    std::vector<std::string> out;
    for (const auto& utf8_word : words) {
        const std::string bytes = cp1251(utf8_word);
        Word w;
        EXPECT_LE(bytes.size(), WORD_MAX_LENGTH);
        std::copy(bytes.begin(), bytes.end(), w.bytes.begin());
        w.length = bytes.size();
        process_word(dict, w);
        EXPECT_EQ(w.bytes[w.length], 0);
        out.push_back(harness::utf8(text_of(w)));
    }
    return out;
}

using Words = std::vector<std::string>;

struct RewriteCase {
    const char* why;
    std::string dict;
    Words in, out;
};

TEST(ProcessWord, TheExampleLines)
{
    const RewriteCase cases[] = {
        {"whole-word entry keeps the word's delimiter through the capture",
         "что*_што*!\n$\n", {"что ", "что,", "что.", "ничто ", "что"}, {"што ", "што,", "што.", "ничто ", "что"}},
        {"ending entry changes a tail, never the whole word",
         "его*%ево*!\n$\n", {"синего ", "его ", "синего"}, {"синево ", "его ", "синего"}},
        {"anywhere entry matches only tails of its own length",
         "солнц*!сонц*!\n$\n", {"солнца", "солнце ", "посолнца"}, {"сонца", "солнце ", "посонца"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rewrite(c.dict, c.in), c.out) << c.why;
}

TEST(ProcessWord, MatchingRules)
{
    const RewriteCase cases[] = {
        {"a key for the word with its delimiter is one byte too long for the last word",
         "кот _кит !\n$\n", {"кот ", "кот"}, {"кит ", "кот"}},
        {"a delimiter in the key matches any delimiter; the replacement's own last byte replaces it",
         "что _што !\n$\n", {"что,", "что.", "что\n", "что?", "что;"}, {"што ", "што ", "што ", "што ", "што "}},
        {"a delimiter in the key never matches a letter",
         "кот _кит !\n$\n", {"кота"}, {"кота"}},
        {"captures fill the replacement's stars in order",
         "к**т_т**к!\n$\n", {"корт", "кант"}, {"торк", "танк"}},
        {"surplus stars in a replacement yield nothing",
         "его*%ево***!\n$\n", {"синего,"}, {"синево,"}},
        {"a star in the key takes a star of the word as any other byte",
         "к*т_т*к!\n$\n", {"к*т"}, {"т*к"}},
        {"the whole word is tried before its tails",
         "кошка _мышка !\nка %ки !\n$\n", {"кошка ", "мошка "}, {"мышка ", "мошки "}},
        {"of two entries accepted at the same position the first in the file wins",
         "ма %мы !\nма %мо !\n$\n", {"мама "}, {"мамы "}},
        {"an anywhere entry after rejected whole-word and ending entries is still accepted",
         "ма _мо !\nма !му !\n$\n", {"мама ", "ма "}, {"маму ", "мо "}},
        {"an ending entry matching the whole word holds it unchanged",
         "его*%ево*!\nего*!ага*!\nго*!ху*!\n$\n", {"его ", "сего "}, {"его ", "сево "}},
        {"an ending entry at the whole word also stops shorter tails",
         "его*%ево*!\nго*!ху*!\n$\n", {"его "}, {"его "}},
        {"tails start after delimiters only at letters",
         "ра!ро!\n$\n", {"-ра"}, {"-ро"}},
        {"an empty replacement deletes the tail and the delimiter",
         "ка %!\n$\n", {"кошка "}, {"кош"}},
        {"a replacement is never matched again",
         "а!б!\nб!в!\n$\n", {"а"}, {"б"}},
        {"word-ending bytes of the syllable stage pass in the replacement",
         "что _ш+то-1~ !\n$\n", {"что,"}, {"ш+то-1~ "}},
        {"an entry standing after a greater first byte is never used",
         "ялик_лодка!\nаист _птица !\n$\n", {"аист ", "ялик"}, {"аист ", "лодка"}},
        {"a tab-led line hides every Cyrillic entry after it",
         "\tмои слова\nкот _кит !\n$\n", {"кот "}, {"кот "}},
        {"ё lines are passed over by every scan",
         "ёж _ёжик !\nкот _кит !\nёлка _ель !\n$\n", {"кот ", "ёж ", "ёлка "}, {"кит ", "ёжик ", "ёлка "}},
        {"ё lines are passed over even by scans for bytes sorting before ё",
         "ёж _ёжик !\nЁж _Еж !\n$\n", {"Ёж "}, {"Еж "}},
        {"a delimiter never starts a tail",
         "-!дефис!\n$\n", {"то-"}, {"то-"}},
        {"entries after the end line are never used",
         "$\nкот _кит !\n", {"кот "}, {"кот "}},
        {"the dictionary is read from its first line again at every start position",
         "ака %ыка !\nка %ки !\n$\n", {"кака "}, {"кыка "}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rewrite(c.dict, c.in), c.out) << c.why;
}

TEST(ProcessWord, BrokenAndOversizedEntriesArePassedOver)
{
    const std::string long63(63, 'k');
    const RewriteCase cases[] = {
        {"a line without a kind byte ends at its line feed",
         "кот кит\nкот _кат !\n$\n", {"кот "}, {"кат "}},
        {"a replacement without its closing bang ends at its line feed",
         "кот _кит\nкот _кат !\n$\n", {"кот "}, {"кат "}},
        {"a replacement running into the end of the file is not used",
         "кот _кит", {"кот "}, {"кот "}},
        {"a dictionary without the end line ends with the file",
         "кот _кит !", {"кот "}, {"кит "}},
        {"a replacement over 63 bytes makes its entry unusable",
         "кот _" + std::string(64, 'r') + "!\nкот _кат !\n$\n", {"кот "}, {"кат "}},
        {"a key over 63 bytes makes its entry unusable",
         "k" + long63 + "_x!\nk_y!\n$\n", {"k"}, {"y"}},
        {"a replacement that would make the word over 63 bytes leaves it unchanged",
         "т %" + std::string(62, 'r') + "!\nт %д!\n$\n", {"кот "}, {"кот "}},
        {"a result of exactly 63 bytes is written",
         "т %" + std::string(61, 'r') + "!\n$\n", {"кот "}, {"ко" + std::string(61, 'r')}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rewrite(c.dict, c.in), c.out) << c.why;
}

// ---- the stage ----

harness::StageRun run_stage(const TempDir& dir) { return harness::run_stage(dir, Secondread); }

TEST(SecondreadStage, WritesTheWordsAsReadOrReplacedThenTheMarker)
{
    struct Case {
        const char* why;
        std::string text, dict, text2;  // as on disk
    } cases[] = {
        {"a dictionary of only the end line copies the text up to its marker",
         cp1251("мама мыла раму.` "), "$\r\n", cp1251("мама мыла раму.`")},
        {"line feeds are CR LF on disk both ways",
         cp1251("кот\r\nкот\r\n\r\nкот`"), crlf(cp1251("кот*_кит*!\n$\n")),
         cp1251("кит\r\nкит\r\n\r\nкот`")},
        {"an empty last word writes nothing before the marker",
         cp1251("кот `"), "$\r\n", cp1251("кот `")},
        {"a text without the end marker ends as if it had one",
         cp1251("кот кот"), crlf(cp1251("кот _кит !\n$\n")), cp1251("кит кот`")},
        {"an empty text", "", "$\r\n", "`"},
        {"an empty replacement joins the word to the next",
         cp1251("кошка спит.`"), crlf(cp1251("ка %!\n$\n")), cp1251("кошспит.`")},
        {"every word is looked up",
         cp1251("что, синего солнца`"), crlf(cp1251("его*%ево*!\nсолнц*!сонц*!\nчто*_што*!\n$\n")),
         cp1251("што, синево сонца`")},
        {"NUL bytes of the text pass through",
         std::string("a\0b \0`", 6), "$\r\n", std::string("a\0b \0`", 6)},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.write("text.tmp", c.text);
        dir.write("replace.txt", c.dict);
        const harness::StageRun r = run_stage(dir);
        EXPECT_EQ(r.result, 1) << c.why;
        EXPECT_EQ(r.printed, "Secondread initialized...\n") << c.why;
        EXPECT_EQ(r.key_waits, 0) << c.why;
        EXPECT_EQ(dir.read("text2.tmp"), c.text2) << c.why;
    }
}

TEST(SecondreadStage, WordsTooLongForTheBufferPassThroughWhole)
{
    // The entry would rewrite the tail "кот " of every word, if it fitted.
    const std::string dict = crlf(cp1251("кот !кит !\n$\n"));
    const std::string tail = cp1251("кот ");
    for (std::size_t letters : {60u, 1000u, 200000u}) {  // 64 bytes and more with the delimiter
        const std::string w = std::string(letters, 'x') + tail;
        TempDir dir;
        dir.write("text.tmp", w + tail + w + "`");
        dir.write("replace.txt", dict);
        EXPECT_EQ(run_stage(dir).result, 1);
        EXPECT_EQ(dir.read("text2.tmp"), w + cp1251("кит ") + w + "`") << letters;
    }
    TempDir dir;  // 63 bytes still fit and are matched
    dir.write("text.tmp", std::string(59, 'x') + tail + "`");
    dir.write("replace.txt", dict);
    EXPECT_EQ(run_stage(dir).result, 1);
    EXPECT_EQ(dir.read("text2.tmp"), std::string(59, 'x') + cp1251("кит `"));
}

TEST(SecondreadStage, MissingFilesFailWithTheirMessageAndOneKeyWait)
{
    struct Case {
        bool text, text2_is_dir, dict;
        std::string message;
        bool text2_empty;
    } cases[] = {
        {false, false, true, "Input open fail on second read!", false},
        {true, true, true, "Output open fail on second read!", false},
        {true, false, false, "Replacement open fail on second read!", true},
    };
    for (const auto& c : cases) {
        TempDir dir;
        if (c.text)
            dir.write("text.tmp", cp1251("кот`"));
        if (c.dict)
            dir.write("replace.txt", "$\r\n");
        if (c.text2_is_dir) {
            ASSERT_EQ(mkdir(dir.file("text2.tmp").c_str(), 0700), 0);
        }
        const harness::StageRun r = run_stage(dir);
        EXPECT_EQ(r.result, 0) << c.message;
        EXPECT_EQ(r.printed, "Secondread initialized...\n" + c.message);
        EXPECT_EQ(r.key_waits, 1) << c.message;
        if (c.text2_empty) {
            EXPECT_EQ(dir.read("text2.tmp"), "");
        } else if (!c.text2_is_dir) {
            EXPECT_FALSE(dir.exists("text2.tmp"));
        }
    }
}

TEST(SecondreadStage, AFailedWriteIsNotReportedAsSuccess)
{
    TempDir dir;
    dir.write("text.tmp", cp1251("кот`"));
    dir.write("replace.txt", "$\r\n");
    if (symlink("/dev/full", dir.file("text2.tmp").c_str()) != 0)
        GTEST_SKIP() << "no /dev/full";
    const harness::StageRun r = run_stage(dir);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.printed, "Secondread initialized...\nOutput write fail on second read!");
    EXPECT_EQ(r.key_waits, 1);
}

TEST(SecondreadStage, GoldenArticle)
{
    TempDir dir;
    dir.write("text.tmp", harness::test_data("secondread/article.text.tmp"));
    dir.write("replace.txt", harness::test_data("secondread/article.replace.txt"));
    EXPECT_EQ(run_stage(dir).result, 1);
    EXPECT_EQ(dir.read("text2.tmp"), harness::test_data("secondread/article.text2.expected"));
}

}  // namespace

namespace {

// Bytes drawn mostly from what text.tmp and replace.txt hold, with the odd
// stray byte, so words, delimiters, kind bytes and line ends all turn up.
std::string random_bytes(std::mt19937& rng, std::size_t n, const std::string& common)
{
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned r = rng();
        s.push_back(r % 8 == 0 ? static_cast<char>(r >> 8) : common[(r >> 8) % common.size()]);
    }
    return s;
}

TEST(SecondreadStage, AnyTextPassesUnchangedThroughTheEndLineAlone)
{
    std::mt19937 rng(5);
    const std::string common = cp1251("аеоткм ,.-\n") + "\r*x";
    for (int round = 0; round < 40; ++round) {
        std::string text = random_bytes(rng, rng() % 3000, common);
        if (round % 4 == 0)
            text += std::string(rng() % 200, 'x');  // long words at the end too
        TempDir dir;
        dir.write("text.tmp", text);
        dir.write("replace.txt", "$\r\n");
        ASSERT_EQ(run_stage(dir).result, 1);
        // Read in text mode and written back: every line end comes out as CR LF.
        std::string lines = text.substr(0, text.find_first_of(std::string("`\x1A")));
        for (std::size_t at = 0; (at = lines.find("\r\n", at)) != std::string::npos; ++at)
            lines.erase(at, 1);
        EXPECT_EQ(dir.read("text2.tmp"), crlf(lines) + "`") << "round " << round;
    }
}

TEST(SecondreadStage, AnyDictionaryEndsWithOneMarker)
{
    std::mt19937 rng(7);
    const std::string text_bytes = cp1251("аеоткм ,.-\n");
    const std::string dict_bytes = cp1251("аеоткмё ,.\n") + "_%!$*\t";
    for (int round = 0; round < 40; ++round) {
        TempDir dir;
        dir.write("text.tmp", random_bytes(rng, 2000, text_bytes));
        dir.write("replace.txt", random_bytes(rng, rng() % 2000, dict_bytes));
        ASSERT_EQ(run_stage(dir).result, 1);
        const std::string out = dir.read("text2.tmp");
        ASSERT_FALSE(out.empty());
        EXPECT_EQ(out.find('`'), out.size() - 1) << "round " << round;
    }
}

}  // namespace
