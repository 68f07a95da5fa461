// The normaliser in-process: input text against the body of text.tmp, the
// fraction cases over several numbers, the read and write failures.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "common/console.h"
#include "firstread/firstread.h"
#include "firstread/firstread_internal.h"
#include "harness.h"

namespace {

using harness::cp1251;
using harness::TempDir;

const std::string END_TEXT = "` ";

struct Outcome {
    int result = -1;
    std::string tmp;  // the whole of text.tmp
    int key_waits = 0;
};

// Firstread on bytes as a fresh program would run it.
Outcome normalise(const std::string& bytes)
{
    spellnumber_reset();
    TempDir dir;
    dir.write("in.txt", bytes);
    harness::ScopedChdir here(dir.path());
    const int waits = key_wait_count();
    Outcome o;
    o.result = Firstread("in.txt");
    o.key_waits = key_wait_count() - waits;
    if (dir.exists("text.tmp"))
        o.tmp = dir.read("text.tmp");
    return o;
}

struct TextCase {
    std::string text;  // input bytes (code page 1251)
    std::string body;  // expected body of text.tmp (code page 1251)
};

void expect_bodies(const TextCase* cases, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        const Outcome o = normalise(cases[i].text);
        EXPECT_EQ(o.result, 1) << harness::utf8(cases[i].text);
        EXPECT_EQ(harness::utf8(o.tmp), harness::utf8(cases[i].body + END_TEXT))
            << "input: [" << harness::utf8(cases[i].text) << "]";
    }
}

TEST(Firstread, LettersFoldAndLatinVanishes)
{
    const TextCase cases[] = {
        {"", ""},
        {cp1251("Да"), cp1251("да")},
        {cp1251("ЁЛКА"), cp1251("ёлка")},
        {cp1251("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"), cp1251("абвгдежзийклмнопрстуфхцчшщъыьэюя")},
        {cp1251("Hello мир"), cp1251(" мир")},
        {"\xFF\xFF", cp1251("яя")},                  // 0xFF is a letter, not the end
        {cp1251("да\x1Aнет"), cp1251("да")},         // Ctrl-Z ends the text
        {cp1251("да\rнет"), cp1251("данет")},        // a lone CR is dropped
        {cp1251("(да) [нет] «так» — ёж№"), cp1251("да нет так  ёж")},
        {"\x01\x7F\x98\xA0", ""},
    };
    expect_bodies(cases, std::size(cases));
}

TEST(Firstread, LoneLettersAreNamed)
{
    const TextCase cases[] = {
        {cp1251(" в доме"), cp1251("  в, доме")},
        {cp1251("в доме"), cp1251("в доме")},  // the first character is never named
        {cp1251("Я и ты."), cp1251("я  и, ты.")},
        {cp1251("и т.д."), cp1251("и  тэ,. дэ,.")},
        {cp1251("слово-слово"), cp1251("слово-слово")},
        {cp1251(" к-"), cp1251(" к-")},
        {cp1251(" -к "), cp1251(" #к ")},
        {cp1251(" в"), cp1251(" в")},          // nothing after it: written plainly
        {cp1251(" в\n"), cp1251("  в, ")},     // a line feed after it: named
        {cp1251(" в\r\n"), cp1251("  в, ")},
        {cp1251(" в\x1A."), cp1251(" в")},     // Ctrl-Z is the end, not a delimiter
        {cp1251(" Ё!"), cp1251("  ё,!")},
        {cp1251("5 к "), cp1251("пять,  к, ")},  // after a number
        {cp1251("@к "), cp1251(" собачка  к, ")},  // after a symbol
        {cp1251("\tк."), cp1251("  к,.")},       // after a tab
        {cp1251("\"к\""), cp1251(" # к # ")},    // after a double quote: not named
    };
    expect_bodies(cases, std::size(cases));
}

TEST(Firstread, EveryLetterHasItsName)
{
    const char* const names[][2] = {
        {"а", "а"}, {"б", "б"}, {"в", "в"}, {"г", "гэ"}, {"д", "дэ"}, {"е", "е"}, {"ё", "ё"},
        {"ж", "ж"}, {"з", "зэ"}, {"и", "и"}, {"й", "ий"}, {"к", "к"}, {"л", "эл"}, {"м", "эм"},
        {"н", "эн"}, {"о", "о"}, {"п", "пэ"}, {"р", "эр"}, {"с", "с"}, {"т", "тэ"}, {"у", "у"},
        {"ф", "эф"}, {"х", "хэ"}, {"ц", "цэ"}, {"ч", "че"}, {"ш", "шэ"}, {"щ", "ще"},
        {"ъ", "твердыйзнак"}, {"ы", "ы"}, {"ь", "мягкийзнак"}, {"э", "э"}, {"ю", "ю"}, {"я", "я"},
    };
    for (const auto& n : names) {
        const Outcome o = normalise(cp1251(std::string(",") + n[0] + ","));
        EXPECT_EQ(harness::utf8(o.tmp), std::string(", ") + n[1] + ",," + END_TEXT) << n[0];
    }
}

TEST(Firstread, SpacesLinesAndPauses)
{
    const TextCase cases[] = {
        {cp1251("Он  пришёл.\nОна ушла.\n\nКонец"), cp1251("он пришёл. она ушла. #конец")},
        {cp1251("да\r\n\r\n"), cp1251("да #")},
        {cp1251("да\n\n\nнет"), cp1251("да ##нет")},
        {cp1251("да \n\nнет"), cp1251("да #нет")},      // a line end after a space is dropped
        {cp1251("да\r\r\n\r\r\nнет"), cp1251("да  нет")},
        {cp1251("\"Нет\""), cp1251(" # нет # ")},
        {cp1251("-Нет"), cp1251("-нет")},
        {cp1251("x - сказал"), cp1251(" # сказал")},
        {cp1251("да\n-нет"), cp1251("да #нет")},
        {cp1251("да, нет; так: ну? ох! ах~ох"), cp1251("да, нет; так: ну? ох! ах~ох")},
        {cp1251("Ну..."), cp1251("ну...")},
    };
    expect_bodies(cases, std::size(cases));
}

TEST(Firstread, SymbolsBecomeWords)
{
    const TextCase cases[] = {
        {"a@b", cp1251(" собачка ")},
        {"x=y", cp1251(" равно ")},
        {"x#y", cp1251(" номер ")},
        {"x$y", cp1251(" долларов ")},
        {"x*y", cp1251(" звёздочка ")},
        {"x/y", cp1251(" разделить на ")},
        {"x&y", cp1251(" и ")},
        {"x+y", cp1251(" плюс ")},
        {"x%y", cp1251(" процентов ")},
        {cp1251("\tтаб"), cp1251(" таб")},
        {cp1251("да\t\tнет"), cp1251("да  нет")},
        {cp1251("50 %"), cp1251("пятдесят ,  процентов ")},
        {cp1251("50%"), cp1251("пятдесят , ")},
        {"1+1", cp1251("один, один, ")},
        {cp1251("а1"), cp1251("аодин, ")},
        {cp1251("5кг"), cp1251("пять, г")},
    };
    expect_bodies(cases, std::size(cases));
}

TEST(Firstread, DoubledCharacters)
{
    const TextCase cases[] = {
        {cp1251("класс"), cp1251("клас")},
        {cp1251("длинный"), cp1251("длинный")},
        {cp1251("ввод"), cp1251("ввод")},
        {cp1251("оттуда"), cp1251("оттуда")},
        {cp1251("поддержка"), cp1251("поддержка")},
        {cp1251("ооо"), cp1251("ооо")},
        {cp1251("ссс"), cp1251("ссс")},
        {cp1251("сссс"), cp1251("ссссс")},
        {cp1251("ССС"), cp1251("ссс")},
        {"((( )))", "(( ))"},
        {"___", "__"},
        {"\x01\x01\x01\x01", "\x01\x01\x01\x01"},  // later copies of any byte are written
        // Backquotes would end the text for the next stage: a code fence writes nothing.
        {cp1251("код ```x``` конец"), cp1251("код  конец")},
        {cp1251("а````б"), cp1251("аб")},
    };
    expect_bodies(cases, std::size(cases));
}

TEST(Firstread, FractionsAcrossNumbers)
{
    const TextCase cases[] = {
        {"3.25 ", cp1251("три целых, , двацать пять сотых, , ")},
        {"2.05 ", cp1251("два целых, ,   пять сотых, , ")},
        {"2.0 ", cp1251("два целых, , ноль десятых, , ")},
        {"1.5", cp1251("один целых, , пять десятых, , ")},
        {"1.5\r\n", cp1251("один целых, , пять десятых, , ")},
        {"3,14", cp1251("три, четырнатцать, ")},
        {"1.", cp1251("один, ")},
        {"1.x", cp1251("один, ")},
        {"1.1000000000 ", cp1251("один целых, , один милиард,   каких-то совсем незначительных, , ")},
        // Chained fractions: each denominator counts its own digits.
        {"2.5.7", cp1251("два целых, , пять десятых,  целых, , семь десятых, , ")},
        {"2.5.75 ", cp1251("два целых, , пять десятых,  целых, , семьдесят пять сотых, , ")},
        {"12.05.2023 ", cp1251("двенатцать целых, ,   пять сотых,  целых, , две тысячи,  "
                               "двацать три десяти тысячных, , ")},
        {"12.05.2023", cp1251("двенатцать целых, ,   пять сотых,  целых, , две тысячи,  "
                              "двацать три десяти тысячных, , ")},
        // A run too long to speak settles the fraction state.
        {"1.1234567890123 5 ", cp1251("один целых, , какое-то неизвестное науке число, пять, ")},
        {"1234567890123.25 1.5 ", cp1251("какое-то неизвестное науке число, двацать пять, "
                                         "один целых, , пять десятых, , ")},
        {cp1251("1.5 и 2.25"), cp1251("один целых, , пять десятых, ,  и, два целых, , двацать пять сотых, , ")},
    };
    expect_bodies(cases, std::size(cases));
}

TEST(Firstread, LongDigitRunsAreConsumedWhole)
{
    for (std::size_t n : {19u, 20u, 100u, 10000u}) {
        const std::string text = std::string(n, '9') + cp1251(" конец");
        const Outcome o = normalise(text);
        EXPECT_EQ(o.result, 1);
        EXPECT_EQ(harness::utf8(o.tmp), "какое-то неизвестное науке число, конец` ") << n;
    }
}

TEST(Firstread, NulByteIsAReadError)
{
    TempDir dir;
    const std::string ten = cp1251("аб") + '\0' + cp1251("вгдежзи");
    ASSERT_EQ(ten.size(), 10u);
    dir.write("in.txt", ten);
    dir.write("text.tmp", "old");
    const std::string out = harness::run_vokdar(dir, {"in.txt"}).out;
    EXPECT_NE(out.find("\nError imposible to read text!7\n"), std::string::npos) << out;
    EXPECT_EQ(harness::utf8(dir.read("text.tmp")), "аб");  // no end marker

    const Outcome o = normalise(ten);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.key_waits, 1);
    EXPECT_EQ(harness::utf8(o.tmp), "аб");

    // Text in UTF-16 fails at its first NUL byte.
    const Outcome wide = normalise(std::string("\xFF\xFE\r\n\x00z", 6));
    EXPECT_EQ(wide.result, 0);
    EXPECT_EQ(harness::utf8(wide.tmp), "яю ");
}

TEST(Firstread, OutputThatCannotBeCreatedOrWritten)
{
    TempDir dir;
    dir.write("in.txt", "text");
    ASSERT_EQ(mkdir(dir.file("text.tmp").c_str(), 0755), 0);
    auto run = harness::run_vokdar(dir, {"in.txt"});
    EXPECT_NE(run.out.find("Firstread initialized...\n\nImpocible to open text.tmp!\n"),
              std::string::npos) << run.out;
    {
        harness::ScopedChdir here(dir.path());
        const int waits = key_wait_count();
        EXPECT_EQ(Firstread("in.txt"), 0);
        EXPECT_EQ(key_wait_count() - waits, 1);
    }

    // A full disk shows only when the buffered bytes go out: it is still a failure.
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    TempDir full;
    full.write("in.txt", cp1251("мама мыла раму"));
    ASSERT_EQ(symlink("/dev/full", full.file("text.tmp").c_str()), 0);
    run = harness::run_vokdar(full, {"in.txt"});
    EXPECT_NE(run.out.find("\nError imposible to write to text.tmp!\n"), std::string::npos)
        << run.out;
    harness::ScopedChdir here(full.path());
    const int waits = key_wait_count();
    EXPECT_EQ(Firstread("in.txt"), 0);
    EXPECT_EQ(key_wait_count() - waits, 1);
}

// The format every later stage relies on: the allowed bytes only, one end
// marker at the very end, no line end or NUL.
void expect_tmp_format(const std::string& tmp, const std::string& what)
{
    ASSERT_GE(tmp.size(), 2u) << what;
    EXPECT_EQ(tmp.substr(tmp.size() - 2), END_TEXT) << what;
    const std::string body = tmp.substr(0, tmp.size() - 2);
    for (std::size_t i = 0; i < body.size(); ++i) {
        const auto b = static_cast<unsigned char>(body[i]);
        const bool allowed = b >= 0xE0 || b == 0xB8 || b == ' ' || b == '#' ||
                             std::string(",.-~?!:;").find(static_cast<char>(b)) != std::string::npos;
        EXPECT_TRUE(allowed) << what << ": byte " << int(b) << " at " << i;
        if (!allowed)
            return;
    }
}

TEST(Firstread, RussianProseKeepsTheFormat)
{
    const std::string prose = harness::test_data("firstread/prose.in");
    ASSERT_GT(prose.size(), 3000u);
    const Outcome o = normalise(prose);
    EXPECT_EQ(o.result, 1);
    expect_tmp_format(o.tmp, "prose");
    // Paragraphs became pauses, the date and the sum were spoken.
    EXPECT_NE(o.tmp.find(cp1251(" #")), std::string::npos);
    EXPECT_NE(o.tmp.find(cp1251("две тысячи,  двацать три десяти тысячных")), std::string::npos);
    EXPECT_NE(o.tmp.find(cp1251("сто пятдесят ,  процентов")), std::string::npos);
}

// Any bytes at all: the stage ends, and text.tmp is whole or the NUL was reported.
TEST(Firstread, ArbitraryBytesNeverBreakTheStage)
{
    std::mt19937 random(20240601);
    const std::string digits_and_marks = "0123456789.,. \n\r\x1A-`";
    for (int round = 0; round < 300; ++round) {
        std::string text(random() % 400, '\0');
        for (char& c : text) {
            const auto r = random();
            c = (round % 2 == 0) ? static_cast<char>(r & 0xFF)
                                 : digits_and_marks[r % digits_and_marks.size()];
        }
        if (round % 3 == 0)
            std::erase(text, '\0');
        const Outcome o = normalise(text);
        // A NUL that ends a number is taken by the speller and never seen.
        const bool has_nul = text.substr(0, text.find('\x1A')).find('\0') != std::string::npos;
        if (!has_nul) {
            EXPECT_EQ(o.result, 1) << "round " << round;
        }
        if (o.result == 1) {
            EXPECT_EQ(o.tmp.substr(o.tmp.size() - 2), END_TEXT) << "round " << round;
            EXPECT_EQ(o.tmp.find('`'), o.tmp.size() - 2) << "round " << round;
            EXPECT_EQ(o.tmp.find('\n'), std::string::npos) << "round " << round;
        }
    }
}

}  // namespace
