// The everyday reading's number words called directly: cardinals with their
// group words, ordinals in every form they are asked for, fractions and the
// agreement of a counted noun (cases: tests/data/firstread/number_words.cases).
#include <gtest/gtest.h>

#include <string>

#include "case_table.h"
#include "common/textfile.h"
#include "firstread/everyday/tables.h"
#include "harness.h"

namespace {

const char* const FORMS[] = {"nom_m", "nom_f", "nom_n", "gen_m", "dat_m", "prep_m", "obl_f", "acc_f", "nom_pl", "gen_pl"};

const char* const CASES[] = {"nom", "gen", "dat", "acc", "ins", "prep"};

// The case a kind such as "cardinal_dat" or "cardinal_dat_f" names, -1 for other kinds.
int case_of(const std::string& kind)
{
    if (!kind.starts_with("cardinal_"))
        return -1;
    std::string name = kind.substr(9);
    if (name.ends_with("_f"))
        name.resize(name.size() - 2);
    for (int c = 0; c < 6; ++c)
        if (name == CASES[c])
            return c;
    return -1;
}

// What one call writes, the call chosen by kind: cardinal, cardinal_f, a
// cardinal in a case (cardinal_gen …, cardinal_gen_f … for the feminine),
// fraction (whole,digits), fraction_gen … in a case, or an ordinal form.
std::string words(const std::string& kind, const std::string& number)
{
    harness::TempDir dir;
    {
        TextFile out;
        EXPECT_TRUE(text_open(out, dir.file("out.txt").c_str(), "w"));
        Speech s{out};
        if (kind == "cardinal" || kind == "cardinal_f") {
            say_cardinal(s, std::stoull(number), kind == "cardinal" ? Gender::masculine : Gender::feminine);
        } else if (const int c = case_of(kind); c >= 0) {
            const bool feminine = kind.ends_with("_f");
            say_cardinal(s, std::stoull(number), feminine ? Gender::feminine : Gender::masculine, static_cast<Case>(c));
        } else if (kind.starts_with("fraction")) {
            // fraction, or fraction_gen … in a case
            int c = 0;
            while (c < 6 && kind != "fraction" && kind.substr(9) != CASES[c])
                ++c;
            const std::size_t comma = number.find(',');
            const std::string digits = number.substr(comma + 1);
            say_fraction(s, std::stoull(number.substr(0, comma)), digits.c_str(), digits.size(),
                         kind == "fraction" ? Case::nom : static_cast<Case>(c));
        } else {
            int form = 0;
            while (form < 10 && kind != FORMS[form])
                ++form;
            EXPECT_LT(form, 10) << kind;
            say_ordinal(s, std::stoull(number), static_cast<Ordinal>(form));
        }
        EXPECT_TRUE(text_close(out));
    }
    return dir.read("out.txt");
}

TEST(NumberWords, Table)
{
    for (const CaseRow& row : case_table("firstread/number_words.cases")) {
        SCOPED_TRACE(row.where);
        EXPECT_EQ(harness::utf8(words(row.field.at(0), row.field.at(1))), harness::utf8(row.field.at(2)));
    }
}

// One form for 1 (but 11), one for 2-4 (but 12-14), one for the rest; a
// fraction takes the form of 2.
TEST(NumberWords, CountedNounAgrees)
{
    const NounForms noun = {"one", "few", "many"};
    for (const auto& [value, form] : std::initializer_list<std::pair<std::uint64_t, const char*>>{
             {0, "many"}, {1, "one"}, {2, "few"}, {4, "few"}, {5, "many"}, {11, "many"}, {12, "many"},
             {14, "many"}, {21, "one"}, {22, "few"}, {101, "one"}, {111, "many"}, {1000000, "many"}})
        EXPECT_STREQ(agree(noun, value, false), form) << value;
    EXPECT_STREQ(agree(noun, 5, true), "few");
}

// The dative, instrumental and prepositional of a unit, singular after a
// number ending in 1, plural otherwise, by its declension; none for a phrase,
// an indeclinable noun or another case.
TEST(NumberWords, CountedNounInObliqueCases)
{
    const auto form = [](const char* one, const char* many, Gender g, std::uint64_t v, Case c) {
        const std::string kept_one = harness::cp1251(one);
        const std::string kept_many = harness::cp1251(many);
        const NounForms held = {kept_one.c_str(), "", kept_many.c_str()};
        char out[64];
        return agree_oblique(held, g, v, c, out, sizeof out) ? harness::utf8(out) : std::string("none");
    };
    const Gender m = Gender::masculine;
    const Gender f = Gender::feminine;
    struct Row {
        const char* one;
        const char* many;
        Gender gender;
        std::uint64_t value;
        Case c;
        const char* want;
    };
    const Row rows[] = {
        {"километр", "километров", m, 5, Case::prep, "километрах"}, {"километр", "километров", m, 21, Case::dat, "километру"},
        {"километр", "километров", m, 11, Case::ins, "километрами"}, {"рубль", "рублей", m, 3, Case::dat, "рублям"},
        {"рубль", "рублей", m, 1, Case::ins, "рублём"},            {"минута", "минут", f, 1, Case::ins, "минутой"},
        {"минута", "минут", f, 31, Case::prep, "минуте"},          {"неделя", "недель", f, 2, Case::ins, "неделями"},
        {"неделя", "недель", f, 1, Case::ins, "неделей"},          {"евро", "евро", m, 5, Case::dat, "none"},
        {"чайная ложка", "чайных ложек", f, 5, Case::dat, "none"}, {"километр", "километров", m, 5, Case::gen, "none"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(form(r.one, r.many, r.gender, r.value, r.c), r.want) << r.one << " " << r.value;
}

}  // namespace
