// Number words of the everyday reading: cardinals with their group words in
// agreement, ordinals in the forms dates, years and centuries need, decimal
// fractions. The words follow pronunciation as the original tables do
// ("двацать", "пятцот", "милион").
#include <cstring>

#include "common/cp1251.h"
#include "firstread/everyday.h"

namespace {

const char* const UNITS[10] = {
    cp1251_text<"ноль">, cp1251_text<"один">, cp1251_text<"два">,    cp1251_text<"три">,    cp1251_text<"четыре">,
    cp1251_text<"пять">, cp1251_text<"шесть">, cp1251_text<"семь">, cp1251_text<"восемь">, cp1251_text<"девять">,
};
const char* const TEENS[10] = {
    cp1251_text<"десять">,     cp1251_text<"одинатцать">, cp1251_text<"двенатцать">, cp1251_text<"тринатцать">,   cp1251_text<"четырнатцать">,
    cp1251_text<"пятнатцать">, cp1251_text<"шеснатцать">, cp1251_text<"семнатцать">, cp1251_text<"восемнатцать">, cp1251_text<"девятнатцать">,
};
const char* const TENS[10] = {
    nullptr,                    cp1251_text<"десять">,      cp1251_text<"двацать">,    cp1251_text<"трицать">,   cp1251_text<"сорок">,
    cp1251_text<"пятдесят">,    cp1251_text<"шестьдесят">,  cp1251_text<"семьдесят">,  cp1251_text<"восемьдесят">, cp1251_text<"девяносто">,
};
const char* const HUNDREDS[10] = {
    nullptr,                cp1251_text<"сто">,   cp1251_text<"двести">,  cp1251_text<"тристо">,   cp1251_text<"четыресто">,
    cp1251_text<"пятцот">,  cp1251_text<"шесот">, cp1251_text<"семсот">,  cp1251_text<"восемсот">, cp1251_text<"девятцот">,
};
const NounForms GROUPS[3] = {
    {cp1251_text<"тысяча">, cp1251_text<"тысячи">, cp1251_text<"тысяч">},
    {cp1251_text<"милион">, cp1251_text<"милиона">, cp1251_text<"милионов">},
    {cp1251_text<"милиард">, cp1251_text<"милиарда">, cp1251_text<"милиардов">},
};

// Ordinal stems and the ending family each takes.
enum Family { HARD, STRESSED, SOFT };  // первый, второй, третий
struct Stem {
    const char* stem;
    Family family;
};
const Stem ORDINAL_UNITS[10] = {
    {cp1251_text<"нулев">, STRESSED}, {cp1251_text<"перв">, HARD},    {cp1251_text<"втор">, STRESSED},
    {cp1251_text<"трет">, SOFT},      {cp1251_text<"четвёрт">, HARD}, {cp1251_text<"пят">, HARD},
    {cp1251_text<"шест">, STRESSED},  {cp1251_text<"седьм">, STRESSED}, {cp1251_text<"восьм">, STRESSED},
    {cp1251_text<"девят">, HARD},
};
const Stem ORDINAL_TEENS[10] = {
    {cp1251_text<"десят">, HARD},       {cp1251_text<"одинатцат">, HARD},  {cp1251_text<"двенатцат">, HARD},
    {cp1251_text<"тринатцат">, HARD},   {cp1251_text<"четырнатцат">, HARD}, {cp1251_text<"пятнатцат">, HARD},
    {cp1251_text<"шеснатцат">, HARD},   {cp1251_text<"семнатцат">, HARD},  {cp1251_text<"восемнатцат">, HARD},
    {cp1251_text<"девятнатцат">, HARD},
};
const Stem ORDINAL_TENS[10] = {
    {nullptr, HARD},                    {cp1251_text<"десят">, HARD},      {cp1251_text<"двацат">, HARD},
    {cp1251_text<"трицат">, HARD},      {cp1251_text<"сороков">, STRESSED}, {cp1251_text<"пятидесят">, HARD},
    {cp1251_text<"шестидесят">, HARD},  {cp1251_text<"семидесят">, HARD},  {cp1251_text<"восьмидесят">, HARD},
    {cp1251_text<"девяност">, HARD},
};
const Stem ORDINAL_HUNDREDS[10] = {
    {nullptr, HARD},                  {cp1251_text<"сот">, HARD},       {cp1251_text<"двухсот">, HARD},
    {cp1251_text<"трёхсот">, HARD},   {cp1251_text<"четырёхсот">, HARD}, {cp1251_text<"пятисот">, HARD},
    {cp1251_text<"шестисот">, HARD},  {cp1251_text<"семисот">, HARD},  {cp1251_text<"восьмисот">, HARD},
    {cp1251_text<"девятисот">, HARD},
};
// "двухтысячный": the count of a round group joined to its ordinal stem.
const char* const JOINED_COUNTS[10] = {
    "", "", cp1251_text<"двух">, cp1251_text<"трёх">, cp1251_text<"четырёх">,
    cp1251_text<"пяти">, cp1251_text<"шести">, cp1251_text<"семи">, cp1251_text<"восьми">, cp1251_text<"девяти">,
};
const char* const GROUP_ORDINALS[3] = {cp1251_text<"тысячн">, cp1251_text<"милионн">, cp1251_text<"милиардн">};

// By family, then by Ordinal.
const char* const ENDINGS[3][10] = {
    {cp1251_text<"ый">, cp1251_text<"ая">, cp1251_text<"ое">, cp1251_text<"ого">, cp1251_text<"ому">,
     cp1251_text<"ом">, cp1251_text<"ой">, cp1251_text<"ую">, cp1251_text<"ые">, cp1251_text<"ых">},
    {cp1251_text<"ой">, cp1251_text<"ая">, cp1251_text<"ое">, cp1251_text<"ого">, cp1251_text<"ому">,
     cp1251_text<"ом">, cp1251_text<"ой">, cp1251_text<"ую">, cp1251_text<"ые">, cp1251_text<"ых">},
    {cp1251_text<"ий">, cp1251_text<"ья">, cp1251_text<"ье">, cp1251_text<"ьего">, cp1251_text<"ьему">,
     cp1251_text<"ьем">, cp1251_text<"ьей">, cp1251_text<"ью">, cp1251_text<"ьи">, cp1251_text<"ьих">},
};

// Denominators by the number of digits after the decimal sign, 1..9.
const char* const DENOMINATOR_STEMS[10] = {
    nullptr,
    cp1251_text<"десят">,       cp1251_text<"сот">,          cp1251_text<"тысячн">,
    cp1251_text<"десятитысячн">, cp1251_text<"стотысячн">,   cp1251_text<"милионн">,
    cp1251_text<"десятимилионн">, cp1251_text<"стомилионн">, cp1251_text<"милиардн">,
};
constexpr std::size_t MAX_DENOMINATOR = 9;

constexpr std::size_t WORD_BYTES = 64;

void say_joined(Speech& s, const char* a, const char* b, const char* c)
{
    char word[WORD_BYTES];
    word[0] = '\0';
    std::strncat(word, a, WORD_BYTES - 1);
    std::strncat(word, b, WORD_BYTES - 1 - std::strlen(word));
    std::strncat(word, c, WORD_BYTES - 1 - std::strlen(word));
    say(s, word);
}

void say_stem(Speech& s, const Stem& stem, Ordinal form)
{
    say_joined(s, stem.stem, ENDINGS[stem.family][static_cast<int>(form)], "");
}

// 1..999.
void say_triple(Speech& s, int value, Gender gender)
{
    const int hundreds = value / 100;
    const int rest = value % 100;
    if (hundreds != 0)
        say(s, HUNDREDS[hundreds]);
    if (rest >= 10 && rest < 20) {
        say(s, TEENS[rest - 10]);
        return;
    }
    if (rest / 10 != 0)
        say(s, TENS[rest / 10]);
    const int units = rest % 10;
    if (units == 0)
        return;
    if (gender == Gender::feminine && units <= 2)
        say(s, units == 1 ? cp1251_text<"одна"> : cp1251_text<"две">);
    else if (gender == Gender::neuter && units == 1)
        say(s, cp1251_text<"одно">);
    else
        say(s, UNITS[units]);
}

std::uint64_t power_of_thousand(int group)
{
    std::uint64_t p = 1;
    for (int i = 0; i < group; ++i)
        p *= 1000;
    return p;
}

}  // namespace

const char* agree(const NounForms& noun, std::uint64_t value, bool fraction)
{
    if (fraction)
        return noun.few;
    const std::uint64_t last_two = value % 100;
    const std::uint64_t last = value % 10;
    if (last_two >= 11 && last_two <= 14)
        return noun.many;
    if (last == 1)
        return noun.one;
    if (last >= 2 && last <= 4)
        return noun.few;
    return noun.many;
}

void say_cardinal(Speech& s, std::uint64_t value, Gender gender)
{
    if (value >= NUMBER_LIMIT)
        value %= NUMBER_LIMIT;
    if (value == 0) {
        say(s, UNITS[0]);
        return;
    }
    for (int group = 3; group >= 1; --group) {
        const int count = static_cast<int>(value / power_of_thousand(group) % 1000);
        if (count == 0)
            continue;
        // "тысяча" alone, as a reader says it; "двацать одна тысяча" with its numeral.
        if (!(group == 1 && count == 1 && value < 1000000))
            say_triple(s, count, group == 1 ? Gender::feminine : Gender::masculine);
        say(s, agree(GROUPS[group - 1], static_cast<std::uint64_t>(count), false));
    }
    const int units = static_cast<int>(value % 1000);
    if (units != 0)
        say_triple(s, units, gender);
}

void say_ordinal(Speech& s, std::uint64_t value, Ordinal form)
{
    if (value >= NUMBER_LIMIT)
        value %= NUMBER_LIMIT;
    if (value == 0) {
        say_stem(s, ORDINAL_UNITS[0], form);
        return;
    }
    const int units = static_cast<int>(value % 1000);
    if (units == 0) {
        // A round group: "двухтысячный", "тысяча девятисотый" is below.
        int group = 1;
        while (value % power_of_thousand(group + 1) == 0)
            ++group;
        const std::uint64_t size = power_of_thousand(group);
        const int count = static_cast<int>(value / size % 1000);
        if (value > static_cast<std::uint64_t>(count) * size)
            say_cardinal(s, value - static_cast<std::uint64_t>(count) * size);
        const char* joined = "";
        if (count >= 2 && count <= 9)
            joined = JOINED_COUNTS[count];
        else if (count != 1)
            say_cardinal(s, static_cast<std::uint64_t>(count));  // "двацать тысячный": near enough
        say_joined(s, joined, GROUP_ORDINALS[group - 1], ENDINGS[HARD][static_cast<int>(form)]);
        return;
    }
    if (value >= 1000)
        say_cardinal(s, value - static_cast<std::uint64_t>(units));
    const int hundreds = units / 100;
    const int rest = units % 100;
    if (rest == 0) {
        say_stem(s, ORDINAL_HUNDREDS[hundreds], form);
        return;
    }
    if (hundreds != 0)
        say(s, HUNDREDS[hundreds]);
    if (rest >= 10 && rest < 20) {
        say_stem(s, ORDINAL_TEENS[rest - 10], form);
        return;
    }
    if (rest % 10 == 0) {
        say_stem(s, ORDINAL_TENS[rest / 10], form);
        return;
    }
    if (rest / 10 != 0)
        say(s, TENS[rest / 10]);
    say_stem(s, ORDINAL_UNITS[rest % 10], form);
}

void say_digits(Speech& s, const char* digits, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        if (digits[i] >= '0' && digits[i] <= '9')
            say(s, UNITS[digits[i] - '0']);
}

void say_fraction(Speech& s, std::uint64_t whole, const char* digits, std::size_t k)
{
    if (k > MAX_DENOMINATOR) {
        // Too fine for a denominator word: the digits one by one.
        say_cardinal(s, whole);
        say(s, cp1251_text<"запятая">);
        say_digits(s, digits, k);
        return;
    }
    say_cardinal(s, whole, Gender::feminine);
    const bool one = whole % 10 == 1 && whole % 100 != 11;
    say(s, one ? cp1251_text<"целая"> : cp1251_text<"целых">);
    std::uint64_t part = 0;
    for (std::size_t i = 0; i < k; ++i)
        part = part * 10 + static_cast<std::uint64_t>(digits[i] - '0');
    say_cardinal(s, part, Gender::feminine);
    const bool part_one = part % 10 == 1 && part % 100 != 11;
    say_joined(s, DENOMINATOR_STEMS[k], part_one ? cp1251_text<"ая"> : cp1251_text<"ых">, "");
}
