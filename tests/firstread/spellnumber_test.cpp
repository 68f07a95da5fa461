// The number speller called directly: words, the count it returns and where it
// leaves the input.
#include <gtest/gtest.h>

#include <string>

#include "common/textfile.h"
#include "firstread/firstread_internal.h"
#include "harness.h"

namespace {

using harness::cp1251;
using harness::TempDir;

struct Spoken {
    std::string words;
    long long count = 0;  // of the last call
    int next = TEXT_EOF;  // the character the caller reads after the last call
};

// calls calls on text, each on the digit the input holds next (a fraction
// takes two), from the state of a fresh program.
Spoken spell(const std::string& text, int calls = 1)
{
    spellnumber_reset();
    TempDir dir;
    dir.write("in.txt", text);
    TextFile in, out;
    EXPECT_TRUE(text_open(in, dir.file("in.txt").c_str(), "r"));
    EXPECT_TRUE(text_open(out, dir.file("out.txt").c_str(), "w"));
    Spoken s;
    s.next = text_getc(in);
    for (int i = 0; i < calls; ++i) {
        s.count = Spellnumber(static_cast<char>(s.next), in, out);
        s.next = text_getc(in);
    }
    EXPECT_TRUE(text_close(out));
    s.words = dir.read("out.txt");
    return s;
}

struct NumberCase {
    const char* digits;
    const char* words;  // UTF-8; each run is ended by a space
};

void expect_spoken(const NumberCase* cases, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        const std::string digits = cases[i].digits;
        const Spoken s = spell(digits + " z");
        EXPECT_EQ(harness::utf8(s.words), cases[i].words) << digits;
        EXPECT_EQ(s.count, static_cast<long long>(digits.size())) << digits;
        EXPECT_EQ(s.next, 'z') << digits;
    }
}

TEST(Spellnumber, UnitsTeensTensHundreds)
{
    const NumberCase cases[] = {
        {"0", "ноль, "},
        {"5", "пять, "},
        {"9", "девять, "},
        {"10", "десять, "},
        {"11", "одинатцать, "},
        {"13", "тринатцать, "},
        {"19", "девятнатцать, "},
        {"21", "двацать один, "},
        {"40", "сорок , "},
        {"90", "девяносто , "},
        {"100", "сто , "},
        {"101", "сто один, "},
        {"110", "сто десять, "},
        {"314", "тристо четырнатцать, "},
        {"999", "девятцот девяносто девять, "},
        {"605", "шесот пять, "},
        {"870", "восемсот семьдесят , "},
    };
    expect_spoken(cases, std::size(cases));
}

TEST(Spellnumber, LeadingZerosSpeakThroughTheTables)
{
    const NumberCase cases[] = {
        {"05", "  пять, "},
        {"007", "    семь, "},
        {"00", "  ноль, "},
        {"012", "  двенатцать, "},
        {"0012", "   двенатцать, "},
        {"05000", "  пять тысяч,      ноль, "},
        {"0000001", "ноль          один, "},
    };
    expect_spoken(cases, std::size(cases));
}

TEST(Spellnumber, Thousands)
{
    const NumberCase cases[] = {
        {"1000", "одна тысяча,  , "},
        {"2000", "две тысячи,  , "},
        {"3000", "три тысячи,  , "},
        {"4004", "четыре тысячи,  четыре, "},
        {"5000", "пять тысяч,  , "},
        {"9999", "девять тысяч,  девятцот девяносто девять, "},
        {"12345", "двенатцать тысяч, тристо сорок пять, "},
        {"20000", "двацать тысяч,  , "},
        {"25000", "двацать пять тысяч,  , "},
        {"21000", "двацать одна тысяча,  , "},
        {"22002", "двацать две тысячи,  два, "},
        {"120000", "сто двацать  тысяч,  , "},
        {"123456", "сто двацать три тысячи,  четыресто пятдесят шесть, "},
        {"200000", "двести  тысяч,  , "},
        {"311000", "тристо одинатцать тысяч, , "},
        {"500001", "пятцот  тысяч,  один, "},
    };
    expect_spoken(cases, std::size(cases));
}

TEST(Spellnumber, MillionsAndBillions)
{
    const NumberCase cases[] = {
        {"1001001", "один милион,  одна тысяча,  один, "},
        {"2002002", "два милиона,  две тысячи,  два, "},
        {"3000000", "три милиона,  , "},
        {"4000000", "четыре милионов,  , "},
        {"11000000", "одинатцать милионов, , "},
        {"20000000", "двацать милионов,  , "},
        {"21000000", "двацать один милион,  , "},
        {"100000000", "сто  милионов,  , "},
        {"121000000", "сто двацать один милион,  , "},
        {"122000000", "сто двацать два милиона,  , "},
        {"1000000000", "один милиард,  , "},
        {"2000000000", "два милиарда,  , "},
        {"1000001000", "один милиард,  одна тысяча,  , "},
        {"10000000000", "десять милиардов, , "},
        {"15000000000", "пятнатцать милиардов, , "},
        {"90000000000", "девяносто милиардов,  , "},
        {"999999999999",
         "девятцот девяносто девять милиардов,  девятцот девяносто девять милионов,  "
         "девятцот девяносто девять тысяч,  девятцот девяносто девять, "},
    };
    expect_spoken(cases, std::size(cases));
}

TEST(Spellnumber, RunsBeyondTwelveDigitsAreOnePhraseWithAnExactCount)
{
    for (std::size_t n : {13u, 19u, 20u, 21u, 10000u}) {
        const std::string digits(n, '7');
        const Spoken s = spell(digits + ";z");
        EXPECT_EQ(harness::utf8(s.words), "какое-то неизвестное науке число, ") << n;
        EXPECT_EQ(s.count, static_cast<long long>(n)) << n;
        EXPECT_EQ(s.next, 'z') << n;
    }
}

TEST(Spellnumber, TheEndingCharacterIsConsumed)
{
    struct Case {
        std::string text;
        long long count;
        int next;
    } cases[] = {
        {"123 z", 3, 'z'},
        {"123", 3, TEXT_EOF},  // the end of the input counts as one
        {cp1251("5кг"), 1, static_cast<unsigned char>(cp1251("г")[0])},
        {"100%z", 3, 'z'},
        {"3,14", 1, '1'},
        {"1.", 1, TEXT_EOF},
        {"1.x", 1, 'x'},  // the point stays consumed, the look-ahead does not count
        {"3.25 ", 1, '2'},
        {"7\r\nz", 1, 'z'},  // CR LF is one character
    };
    for (const auto& c : cases) {
        const Spoken s = spell(c.text);
        EXPECT_EQ(s.count, c.count) << harness::utf8(c.text);
        EXPECT_EQ(s.next, c.next) << harness::utf8(c.text);
    }
}

TEST(Spellnumber, FractionSpansTwoCalls)
{
    EXPECT_EQ(spell("3.25 z", 1).count, 1);
    const Spoken both = spell("3.25 z", 2);
    EXPECT_EQ(both.count, 2);
    EXPECT_EQ(both.next, 'z');
    EXPECT_EQ(harness::utf8(both.words), "три целых, , двацать пять сотых, , ");
}

TEST(Spellnumber, DenominatorByTheNumberOfFractionDigits)
{
    const char* const denominators[] = {
        " десятых, ",         " сотых, ",          " тысячных, ",
        " десяти тысячных, ", " сто тысячных, ",   " милионных, ",
        " десяти милионных, ", " ста милионных, ", " милиардных, ",
        " каких-то совсем незначительных, ", " каких-то совсем незначительных, ",
        " каких-то совсем незначительных, ",
    };
    for (int k = 1; k <= 12; ++k) {
        const std::string fraction = std::string(static_cast<std::size_t>(k - 1), '0') + "1";
        const std::string words = harness::utf8(spell("0." + fraction + " ", 2).words);
        const std::string tail = std::string(denominators[k - 1]) + ", ";
        ASSERT_GE(words.size(), tail.size()) << k;
        EXPECT_EQ(words.substr(words.size() - tail.size()), tail) << k << ": " << words;
    }
}

}  // namespace
