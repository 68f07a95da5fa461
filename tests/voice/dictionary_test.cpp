// The default dictionary through the real dictionary pass: every entry is
// reached by the scan, and each pronunciation family does what Russian says.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"
#include "secondread/dictionary.h"
#include "secondread/secondread.h"

namespace {

using harness::cp1251;
using harness::utf8;

std::string dictionary_bytes()
{
    std::ifstream in(VOKDAR_DICTIONARY, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// text.tmp's body through Secondread with the default dictionary; text2.tmp
// without its end marker.
std::string second_read(const std::string& body)
{
    harness::TempDir dir;
    dir.write("text.tmp", body + "` ");
    dir.write("replace.txt", dictionary_bytes());
    {
        harness::ScopedChdir in(dir.path());
        EXPECT_EQ(Secondread(), 1);
    }
    std::string out = dir.read("text2.tmp");
    EXPECT_FALSE(out.empty());
    if (!out.empty() && out.back() == '`')
        out.pop_back();
    return out;
}

struct Line {
    std::string key;
    int mode;
    std::string replacement;
};

// The entry lines up to the end line, as written.
std::vector<Line> entry_lines()
{
    std::vector<Line> lines;
    std::istringstream in(dictionary_bytes());
    std::string l;
    while (std::getline(in, l)) {
        if (!l.empty() && l.back() == '\r')
            l.pop_back();
        if (l.empty())
            continue;
        if (l[0] == '$')
            break;
        const std::size_t kind = l.find_first_of("_%!$");
        const std::size_t end = l.find('!', kind + 1);
        EXPECT_NE(kind, std::string::npos) << utf8(l);
        EXPECT_NE(end, std::string::npos) << utf8(l);
        if (kind == std::string::npos || end == std::string::npos)
            continue;
        const int mode = l[kind] == '_' ? MATCH_WHOLE_WORD : l[kind] == '%' ? MATCH_ENDING : MATCH_ANYWHERE;
        lines.push_back({l.substr(0, kind), mode, l.substr(kind + 1, end - kind - 1)});
    }
    return lines;
}

TEST(Dictionary, HasEnoughEntriesAndEndsWithTheEndLine)
{
    EXPECT_GE(entry_lines().size(), 150u);
    EXPECT_NE(dictionary_bytes().find("\n$"), std::string::npos);
}

// The dictionary pass's own reader finds every line: none stands after a
// line with a greater first byte.
TEST(Dictionary, EveryEntryIsReachedByTheScan)
{
    TextFile dict;
    ASSERT_TRUE(text_open(dict, VOKDAR_DICTIONARY, "r"));
    for (const Line& line : entry_lines()) {
        dictionary_rewind(dict);
        EntryText key;
        int mode = MATCH_ANYWHERE;
        bool found = false;
        while (!found && next_entry(dict, static_cast<unsigned char>(line.key[0]), key, mode) == 1) {
            found = std::string(key.bytes.begin(), key.bytes.begin() + long(key.length)) == line.key &&
                    mode == line.mode;
            skip_line(dict);
            mode = MATCH_ANYWHERE;
        }
        EXPECT_TRUE(found) << utf8(line.key);
    }
    text_close(dict);
}

// Each entry rewrites a word made for it, and no earlier entry takes the word
// away: its "*" become letters (the last one the delimiter), and an ending
// entry gets a letter before it.
TEST(Dictionary, EveryEntryTakesEffectOnItsOwnWord)
{
    for (const Line& line : entry_lines()) {
        std::string word = line.key;
        std::string captured;
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (word[i] != '*')
                continue;
            word[i] = i + 1 == word.size() ? ' ' : cp1251("а")[0];
            captured += word[i];
        }
        std::string expected;
        std::size_t next = 0;
        for (char c : line.replacement)
            expected += c == '*' ? captured.at(next++) : c;
        const std::string prefix = line.mode == MATCH_ENDING ? cp1251("у") : "";
        EXPECT_EQ(utf8(second_read(prefix + word)), utf8(prefix + expected)) << utf8(line.key);
    }
}

struct Said {
    const char* written;
    const char* spoken;
};

void expect_spoken(const std::vector<Said>& cases)
{
    for (const Said& c : cases)
        EXPECT_EQ(utf8(second_read(cp1251(c.written))), c.spoken) << c.written;
}

TEST(DictionaryFamilies, GenitiveEndingsButNotAdverbs)
{
    expect_spoken({{"синего ", "синево "}, {"его,", "ево,"}, {"ничего.", "ничево."},
                   {"красного ", "красново "}, {"одного ", "одново "}, {"многого ", "многово "},
                   {"много ", "много "}, {"немного ", "немного "}, {"строго ", "строго "},
                   {"дорого,", "дорого,"}, {"долго ", "долго "}, {"ого!", "ого!"}});
}

TEST(DictionaryFamilies, ReflexiveVerbEndings)
{
    expect_spoken({{"делается.", "делаеца."}, {"учиться,", "учица,"}, {"кажется ", "кажеца "},
                   {"смеяться ", "смеяца "}});
}

TEST(DictionaryFamilies, ChtoAndChnAsSh)
{
    expect_spoken({{"что ", "што "}, {"что-", "што-"}, {"чтобы ", "штобы "}, {"ничто ", "ништо "},
                   {"конечно,", "конешно,"}, {"скучно ", "скушно "}, {"нарочно.", "нарошно."},
                   {"яичница ", "яишница "}, {"точно ", "точно "}, {"ночной ", "ночной "}});
}

TEST(DictionaryFamilies, UnpronouncedConsonants)
{
    expect_spoken({{"солнце ", "сонце "}, {"солнцем,", "сонцем,"}, {"сердце ", "серце "},
                   {"чувство ", "чуство "}, {"чувствую ", "чуствую "}, {"здравствуйте,", "здраствуйте,"},
                   {"праздник ", "празник "}, {"поздно.", "позно."}, {"звёздный ", "звёзный "},
                   {"лестница ", "лесница "}, {"честный ", "чесный "}, {"известно ", "извесно "},
                   {"бездна ", "бездна "}, {"пожалуйста,", "пожалуста,"}});
}

TEST(DictionaryFamilies, SchAndZchAsShch)
{
    expect_spoken({{"счастье ", "щастье "}, {"считать ", "щитать "}, {"расчёт ", "ращёт "},
                   {"мужчина ", "мущина "}, {"мужчин ", "мущин "}, {"заказчик ", "закащик "},
                   {"счастливый ", "щасливый "}});
}

TEST(DictionaryFamilies, GBeforeKAndChAsKh)
{
    expect_spoken({{"легко ", "лехко "}, {"лёгкий ", "лёхкий "}, {"мягкий ", "мяхкий "},
                   {"мягко,", "мяхко,"}, {"легче ", "лехче "}, {"мягче.", "мяхче."}});
}

TEST(DictionaryFamilies, FinalAndRegressiveDevoicing)
{
    expect_spoken({{"дуб.", "дуп."}, {"сад ", "сат "}, {"снег,", "снек,"}, {"нож ", "нош "},
                   {"раз ", "рас "}, {"столов ", "столоф "}, {"рожь ", "рошь "}, {"кровь,", "крофь,"},
                   {"грязь ", "грясь "}, {"поезд ", "поест "}, {"дождь ", "дошть "},
                   {"лодка ", "лотка "}, {"ложка ", "лошка "}, {"сказка ", "скаска "},
                   {"всё ", "фсё "}, {"вчера ", "фчера "}, {"сделать ", "зделать "}, {"бог ", "бох "},
                   // Prepositions join the next word and keep their voice.
                   {"без ", "без "}, {"из-", "из-"}, {"под ", "под "}, {"через ", "через "}});
}

TEST(DictionaryFamilies, NumbersAndSuffixes)
{
    expect_spoken({{"двадцать ", "двацать "}, {"тридцати ", "трицати "}, {"одиннадцать ", "одиннацать "},
                   {"пятнадцати,", "пятнацати,"}, {"шестнадцать ", "шеснацать "},
                   {"двадцатый ", "двацатый "}, {"сегодня ", "севодня "}, {"городской ", "гороцкой "},
                   {"детский ", "децкий "}, {"детство ", "децтво "}});
}

// The last word of a text has no delimiter, so a key's final "*" would take
// its last letter: whole-word keys miss it, and the devoicing keys are shielded
// from a voiced consonant before a final letter.
TEST(DictionaryFamilies, TheLastWordWithoutDelimiterKeepsItsLetters)
{
    for (const char* word : {"что", "его", "вода", "сюда", "где", "нога", "мужа", "глаза", "слова"})
        EXPECT_EQ(utf8(second_read(cp1251(std::string("иди ") + word))), std::string("иди ") + word);
}

}  // namespace
