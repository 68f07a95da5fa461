// Numerals of the everyday reading: cardinals with their group words in
// agreement, ordinals in the forms dates, years and centuries need, decimal
// fractions, from the stage's table of number words.
#include "firstread/everyday/numerals.h"

#include <cstring>

#include "common/cp1251.h"
#include "common/tables.h"

namespace {

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

const char* ending(OrdinalFamily family, Ordinal form)
{
    return ORDINAL_ENDINGS[static_cast<int>(family)][static_cast<int>(form)];
}

void say_stem(Speech& s, const OrdinalStem& stem, Ordinal form)
{
    say_joined(s, stem.stem, ending(stem.family, form), "");
}

// 1..999.
// 1..999 in the nominative, or the accusative of things ("одну").
void say_triple(Speech& s, int value, Gender gender, bool accusative = false)
{
    const int hundreds = value / 100;
    const int rest = value % 100;
    if (hundreds != 0)
        say(s, HUNDRED_WORDS[hundreds]);
    if (rest >= 10 && rest < 20) {
        say(s, TEEN_WORDS[rest - 10]);
        return;
    }
    if (rest / 10 != 0)
        say(s, TEN_WORDS[rest / 10]);
    const int units = rest % 10;
    if (units == 0)
        return;
    if (gender == Gender::feminine && units <= 2)
        say(s, units == 2 ? TWO_FEMININE : accusative ? ONE_FEMININE_ACCUSATIVE : ONE_FEMININE);
    else if (gender == Gender::neuter && units == 1)
        say(s, ONE_NEUTER);
    else
        say(s, UNIT_WORDS[units]);
}

const char* case_form(const CaseForms& forms, Case c)
{
    switch (c) {
    case Case::gen: return forms.gen;
    case Case::dat: return forms.dat;
    case Case::ins: return forms.ins;
    default: return forms.prep;
    }
}

// 1..999 in an oblique case: "двухсот пятидесяти одной".
void say_triple_oblique(Speech& s, int value, Gender gender, Case c)
{
    const int hundreds = value / 100;
    const int rest = value % 100;
    if (hundreds != 0)
        say(s, case_form(HUNDRED_CASES[hundreds], c));
    if (rest >= 10 && rest < 20) {
        say(s, case_form(TEEN_CASES[rest - 10], c));
        return;
    }
    if (rest / 10 != 0)
        say(s, case_form(TEN_CASES[rest / 10], c));
    const int units = rest % 10;
    if (units == 1 && gender == Gender::feminine)
        say(s, case_form(ONE_FEMININE_CASES, c));
    else if (units != 0)
        say(s, case_form(UNIT_CASES[units], c));
}

bool ends_in_one(std::uint64_t value) { return value % 10 == 1 && value % 100 != 11; }

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

const char* agree_genitive(const NounForms& noun, std::uint64_t value, bool fraction)
{
    return fraction || ends_in_one(value) ? noun.few : noun.many;
}

bool agree_oblique(const NounForms& noun, Gender gender, std::uint64_t value, Case c, char* out, std::size_t cap)
{
    const char* word = noun.one;
    const std::size_t n = std::strlen(word);
    if (n < 2 || n + 4 > cap || std::strchr(word, ' ') != nullptr || std::strcmp(noun.one, noun.many) == 0 ||
        (c != Case::dat && c != Case::ins && c != Case::prep))
        return false;
    const auto last = static_cast<unsigned char>(word[n - 1]);
    const auto is = [&](const char* letter) { return last == static_cast<unsigned char>(letter[0]); };
    // The stem, and whether the declension is soft (-я, -ь) or of the -а/-я kind.
    std::size_t stem = n;
    bool soft = false;
    bool a_kind = false;
    if (is(cp1251_text<"а">)) {
        stem = n - 1;
        a_kind = true;
    } else if (is(cp1251_text<"я">)) {
        stem = n - 1;
        a_kind = soft = true;
    } else if (is(cp1251_text<"ь">)) {
        stem = n - 1;
        soft = true;
    } else if (is_vowel(last) || is(cp1251_text<"й">)) {
        return false;  // "евро", "сутки": no forms of their own here
    }
    const char* ending = nullptr;
    if (!ends_in_one(value)) {
        // The plural: километрам, километрами, километрах; рублям, неделях.
        ending = c == Case::dat ? (soft ? cp1251_text<"ям"> : cp1251_text<"ам">)
                 : c == Case::ins ? (soft ? cp1251_text<"ями"> : cp1251_text<"ами">)
                                  : (soft ? cp1251_text<"ях"> : cp1251_text<"ах">);
    } else if (a_kind) {
        // минуте, минутой; неделе, неделей
        ending = c == Case::ins ? (soft ? cp1251_text<"ей"> : cp1251_text<"ой">) : cp1251_text<"е">;
    } else if (soft && gender == Gender::feminine) {
        return false;  // a feminine noun in -ь: none of the units
    } else {
        // километру, километром, километре; рублю, рублём, рубле
        ending = c == Case::dat ? (soft ? cp1251_text<"ю"> : cp1251_text<"у">)
                 : c == Case::ins ? (soft ? cp1251_text<"ём"> : cp1251_text<"ом">)
                                  : cp1251_text<"е">;
    }
    std::memcpy(out, word, stem);
    std::strcpy(out + stem, ending);
    return true;
}

namespace {

// A cardinal in the genitive, dative, instrumental or prepositional case:
// every part declines, and so does the group word ("двум тысячам").
void say_cardinal_oblique(Speech& s, std::uint64_t value, Gender gender, Case c)
{
    if (value == 0) {
        say(s, case_form(UNIT_CASES[0], c));
        return;
    }
    for (int group = 3; group >= 1; --group) {
        const int count = static_cast<int>(value / power_of_thousand(group) % 1000);
        if (count == 0)
            continue;
        // "тысячи" alone, as "тысяча" is said alone.
        if (!(group == 1 && count == 1 && value < 1000000))
            say_triple_oblique(s, count, group == 1 ? Gender::feminine : Gender::masculine, c);
        const CaseForms& noun = ends_in_one(static_cast<std::uint64_t>(count)) ? GROUP_SINGULAR_CASES[group - 1]
                                                                               : GROUP_PLURAL_CASES[group - 1];
        say(s, case_form(noun, c));
    }
    const int units = static_cast<int>(value % 1000);
    if (units != 0)
        say_triple_oblique(s, units, gender, c);
}

}  // namespace

void say_cardinal(Speech& s, std::uint64_t value, Gender gender, Case grammatical_case)
{
    if (value >= NUMBER_LIMIT)
        value %= NUMBER_LIMIT;
    if (grammatical_case != Case::nom && grammatical_case != Case::acc) {
        say_cardinal_oblique(s, value, gender, grammatical_case);
        return;
    }
    const bool accusative = grammatical_case == Case::acc;
    if (value == 0) {
        say(s, UNIT_WORDS[0]);
        return;
    }
    for (int group = 3; group >= 1; --group) {
        const int count = static_cast<int>(value / power_of_thousand(group) % 1000);
        if (count == 0)
            continue;
        // "тысяча" alone, as a reader says it; "двацать одна тысяча" with its numeral.
        const bool alone = group == 1 && count == 1 && value < 1000000;
        if (!alone)
            say_triple(s, count, group == 1 ? Gender::feminine : Gender::masculine, accusative);
        const char* noun = agree(GROUP_NOUNS[group - 1], static_cast<std::uint64_t>(count), false);
        say(s, accusative && group == 1 && noun == GROUP_NOUNS[0].one ? THOUSAND_ACCUSATIVE : noun);
    }
    const int units = static_cast<int>(value % 1000);
    if (units != 0)
        say_triple(s, units, gender, accusative);
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
        say_joined(s, joined, GROUP_ORDINALS[group - 1], ending(OrdinalFamily::hard, form));
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
        say(s, HUNDRED_WORDS[hundreds]);
    if (rest >= 10 && rest < 20) {
        say_stem(s, ORDINAL_TEENS[rest - 10], form);
        return;
    }
    if (rest % 10 == 0) {
        say_stem(s, ORDINAL_TENS[rest / 10], form);
        return;
    }
    if (rest / 10 != 0)
        say(s, TEN_WORDS[rest / 10]);
    say_stem(s, ORDINAL_UNITS[rest % 10], form);
}

void say_digits(Speech& s, const char* digits, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        if (digits[i] >= '0' && digits[i] <= '9')
            say(s, UNIT_WORDS[digits[i] - '0']);
}

void say_fraction(Speech& s, std::uint64_t whole, const char* digits, std::size_t k, Case c)
{
    if (k > MAX_DENOMINATOR) {
        // Too fine for a denominator word: the digits one by one.
        say_cardinal(s, whole);
        say(s, cp1251_text<"запятая">);
        say_digits(s, digits, k);
        return;
    }
    if (c == Case::acc)
        c = Case::nom;  // "на две целых пять десятых"
    // The endings of "целая" and of the denominator after one and after more,
    // by case: целая/целых, целой/целых, целой/целым, целой/целыми, целой/целых.
    const auto ending = [c](bool one) {
        if (c == Case::nom)
            return one ? cp1251_text<"ая"> : cp1251_text<"ых">;
        if (one)
            return cp1251_text<"ой">;
        return c == Case::dat ? cp1251_text<"ым"> : c == Case::ins ? cp1251_text<"ыми"> : cp1251_text<"ых">;
    };
    say_cardinal(s, whole, Gender::feminine, c);
    say_joined(s, cp1251_text<"цел">, ending(ends_in_one(whole)), "");
    std::uint64_t part = 0;
    for (std::size_t i = 0; i < k; ++i)
        part = part * 10 + static_cast<std::uint64_t>(digits[i] - '0');
    say_cardinal(s, part, Gender::feminine, c);
    say_joined(s, DENOMINATOR_STEMS[k], ending(ends_in_one(part)), "");
}
