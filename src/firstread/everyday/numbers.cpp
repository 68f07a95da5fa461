// Numbers of the everyday reading: digit groups, the decimal comma or point,
// dates, times, ordinal endings ("1990-е", "5-й"), and what a number counts
// (percent, degrees, currencies, units, years), read with no pause between
// the number and its word.
#include <cstring>
#include <initializer_list>

#include "common/cp1251.h"
#include "firstread/everyday/input.h"
#include "firstread/everyday/numbers.h"

namespace {

// Digits of one number as written (groups joined); a longer run is read digit by digit.
constexpr std::size_t DIGIT_BYTES = 64;
constexpr std::size_t SPOKEN_DIGITS = 12;
constexpr std::size_t LONG_RUN = 7;

struct Digits {
    char d[DIGIT_BYTES];
    std::size_t n = 0;     // digits kept
    std::size_t total = 0; // digits read (more than kept when the run is longer)
};

void keep(Digits& ds, int c)
{
    if (ds.n + 1 < DIGIT_BYTES)
        ds.d[ds.n++] = static_cast<char>(c);
    ++ds.total;
}

// The rest of a run of digits.
void take_digits(Reader& r, Digits& ds)
{
    while (is_digit(peek(r)))
        keep(ds, get(r));
}

std::uint64_t value_of(const char* d, std::size_t n)
{
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i)
        v = v * 10 + static_cast<std::uint64_t>(d[i] - '0');
    return v;
}

// Exactly k digits next, and then no digit: their value, else -1 (position kept).
long long take_exact(Reader& r, std::size_t k)
{
    const Mark m = mark(r);
    long long v = 0;
    for (std::size_t i = 0; i < k; ++i) {
        const int c = get(r);
        if (!is_digit(c)) {
            back(r, m);
            return -1;
        }
        v = v * 10 + (c - '0');
    }
    if (is_digit(peek(r))) {
        back(r, m);
        return -1;
    }
    return v;
}

// "1 000 000": groups of three after a space or a no-break space.
void take_groups(Reader& r, Digits& ds)
{
    if (ds.total > 3)
        return;
    for (;;) {
        const Mark m = mark(r);
        const int c = get(r);
        if (c != ' ' && c != 0xA0) {
            back(r, m);
            return;
        }
        char group[3];
        bool ok = true;
        for (char& g : group) {
            const int d = get(r);
            ok = ok && is_digit(d);
            g = static_cast<char>(d);
        }
        if (!ok || is_digit(peek(r))) {
            back(r, m);
            return;
        }
        for (const char g : group)
            keep(ds, g);
    }
}

bool is_plain(const Digits& ds) { return ds.total == ds.n && ds.n <= SPOKEN_DIGITS && !(ds.n > 1 && ds.d[0] == '0'); }

bool ends_with(const char* word, const char* suffix)
{
    const std::size_t n = std::strlen(word);
    const std::size_t k = std::strlen(suffix);
    return n >= k && std::strcmp(word + n - k, suffix) == 0;
}

bool ends_in_one(std::uint64_t v) { return v % 10 == 1 && v % 100 != 11; }

// The case a plural noun form shows: "архитектурах", "друзьями", "странам";
// the nominative when its ending tells none.
Case plural_case(const char* noun)
{
    if (std::strlen(noun) < 4)
        return Case::nom;
    if (ends_with(noun, cp1251_text<"ах">) || ends_with(noun, cp1251_text<"ях">))
        return Case::prep;
    if (ends_with(noun, cp1251_text<"ами">) || ends_with(noun, cp1251_text<"ями">))
        return Case::ins;
    if (ends_with(noun, cp1251_text<"ам">) || ends_with(noun, cp1251_text<"ям">))
        return Case::dat;
    return Case::nom;
}

// The case of the number v between the word before it and the word after it.
Case governed_case(const Context& ctx, const char* after, std::uint64_t v)
{
    const char* before = ctx.prev_word;
    if (in_word_list(JOINING_WORDS, before))
        return ctx.number_case;  // "между 2 и 3 часами"
    const Governing* g = find_governing(before);
    const std::size_t n = std::strlen(before);
    if (g == nullptr && n >= 5 && ends_with(before, cp1251_text<"те">) && plural_case(after) == Case::nom)
        return Case::acc;  // "добавьте 1 ч. л.", "возьмите 1 луковицу": the object of a request
    if (g == nullptr) {
        // "позвонил 3 друзьям", "гордится 5 музеями": the noun's plural shows it.
        const Case shown = ends_in_one(v) || in_word_list(NOT_NOUNS, after) ? Case::nom : plural_case(after);
        return shown == Case::prep ? Case::nom : shown;
    }
    if (g->by_noun && !ends_in_one(v)) {
        // "на 9 архитектурах": the noun, plural after the number, shows the case.
        const Case shown = plural_case(after);
        if (shown != Case::nom)
            return shown;
    }
    if (g->by_noun && ends_in_one(v) && g->asks == Case::acc && std::strlen(after) >= 3 &&
        ends_with(after, cp1251_text<"е">))
        return Case::prep;  // "в 1 классе"
    return g->asks;
}

// The gender of the noun (or its adjective) after the number v, from the
// generated table of feminine nouns and, for words it does not know, from the
// form the word takes after v: "21 книга", "2 конфеты", "1 новое окно".
// After a word asking the genitive or another oblique case a noun's "-а" is
// no sign of a feminine ("для 1 человека"): only adjectives' endings are.
Gender noun_gender(const char* word, std::uint64_t v, Case asked)
{
    if (std::strlen(word) < 3 || in_word_list(NOT_NOUNS, word) || in_word_list(MASCULINE_LOOKALIKES, word))
        return Gender::masculine;
    if (is_feminine_noun(word))
        return Gender::feminine;
    if (ends_in_one(v)) {
        if (ends_with(word, cp1251_text<"ая">) || ends_with(word, cp1251_text<"яя">))
            return Gender::feminine;
        if (ends_with(word, cp1251_text<"ое">) || ends_with(word, cp1251_text<"ее">))
            return Gender::neuter;
        if (asked != Case::nom && asked != Case::acc)
            return Gender::masculine;
        if (ends_with(word, cp1251_text<"а">) || ends_with(word, cp1251_text<"я">))
            return Gender::feminine;
        if (ends_with(word, cp1251_text<"о">) || ends_with(word, cp1251_text<"е">))
            return Gender::neuter;
        return Gender::masculine;
    }
    const std::uint64_t last = v % 10;
    if (last >= 2 && last <= 4 && v % 100 / 10 != 1) {
        // The genitive singular: "-ы", "-и" only for feminine nouns; "две новые".
        if (ends_with(word, cp1251_text<"ые">) || ends_with(word, cp1251_text<"ие">) ||
            ends_with(word, cp1251_text<"ы">) || ends_with(word, cp1251_text<"и">))
            return Gender::feminine;
    }
    return Gender::masculine;
}

// A dot that closed a shortened word may also close the sentence.
void keep_sentence_dot(Reader& r, Speech& s, bool dotted)
{
    if (!dotted)
        return;
    const Mark m = mark(r);
    int c = get(r);
    while (is_blank(c))
        c = get(r);
    back(r, m);
    if (c == TEXT_EOF || c == '\n' || is_capital_cyrillic(c) || (c >= 'A' && c <= 'Z'))
        say_mark(s, '.');
}

Ordinal day_form(const char* before);

// "12.05.2023" (the point before the month is next): true when it was a date,
// said; the day in the case a governing word before asks ("до 10.05.2025" →
// до десятого мая), else as a date stands alone ("двенатцатое апреля").
bool take_date(Reader& r, Speech& s, const char* before, std::uint64_t day)
{
    const Mark m = mark(r);
    get(r);
    long long month = take_exact(r, 2);
    if (month < 0)
        month = take_exact(r, 1);
    if (month < 1 || month > 12 || day < 1 || day > 31 || get(r) != '.') {
        back(r, m);
        return false;
    }
    long long year = take_exact(r, 4);
    if (year < 0)
        year = take_exact(r, 2);
    if (year < 0) {
        back(r, m);
        return false;
    }
    say_ordinal(s, day, find_governing(before) != nullptr ? day_form(before) : Ordinal::nom_n);
    say(s, MONTHS_GENITIVE[month - 1]);
    say_ordinal(s, static_cast<std::uint64_t>(year), Ordinal::gen_m);
    say(s, cp1251_text<"года">);
    // "12.05.2023 г.": the year word is said already.
    const Mark after = mark(r);
    int c = get(r);
    while (is_blank(c))
        c = get(r);
    if (c == 0xE3 || c == 0xC3) {  // г
        const int next = get(r);
        if (next == '.') {
            keep_sentence_dot(r, s, true);
            return true;
        }
        if (next == 0xEE) {  // "года"
            if (get(r) == 0xE4 && get(r) == 0xE0 && !is_cyrillic_letter(peek(r)))
                return true;
        }
    }
    back(r, after);
    return true;
}

// "14:30" (the colon is next); "с 9:00 до 21:00" → с девяти до двадцати одного.
bool take_time(Reader& r, Speech& s, std::uint64_t hours, Case asked)
{
    const Mark m = mark(r);
    get(r);
    const long long minutes = take_exact(r, 2);
    if (hours > 24 || minutes < 0 || minutes > 59) {
        back(r, m);
        return false;
    }
    const bool oblique = asked != Case::nom && asked != Case::acc;
    say_cardinal(s, hours, Gender::masculine, oblique ? asked : Case::nom);
    if (oblique && minutes == 0)
        return true;
    if (minutes < 10)
        say(s, cp1251_text<"ноль">);
    // "с 8:30" → с восьми трицати: the minutes decline with the hour.
    say_cardinal(s, static_cast<std::uint64_t>(minutes), Gender::feminine, oblique ? asked : Case::nom);
    return true;
}

// The number as the first part of a compound word: "пяти" (пятилетний),
// "двацатипяти", "одно" (однокомнатная); empty when it makes none.
void compound_prefix(std::uint64_t value, char* out, std::size_t cap)
{
    out[0] = '\0';
    const auto add = [&](const char* part) { std::strncat(out, part, cap - 1 - std::strlen(out)); };
    if (value == 1) {
        add(ONE_NEUTER);
        return;
    }
    if (value == 100 || value == 90) {
        add(value == 100 ? HUNDRED_WORDS[1] : TEN_WORDS[9]);  // столетний, девяностолетний
        return;
    }
    if (value == 0 || value >= 100)
        return;
    if (value >= 10 && value < 20) {
        add(TEEN_CASES[value - 10].gen);
        return;
    }
    if (value >= 20)
        add(TEN_CASES[value / 10].gen);
    if (value % 10 == 1)
        add(ONE_NEUTER);
    else if (value % 10 != 0)
        add(UNIT_CASES[value % 10].gen);
}

// "2-х", "5-ти", "3-мя": a case ending written after a cardinal. true when
// ending is one and the number was said in its case.
bool say_cardinal_ending(Speech& s, std::uint64_t value, const char* ending)
{
    const std::uint64_t last = value % 10;
    const bool few = last >= 2 && last <= 4 && value % 100 / 10 != 1;
    Case c = Case::nom;
    if (std::strcmp(ending, cp1251_text<"х">) == 0 && few)
        c = Case::gen;  // "2-х" → двух
    else if ((std::strcmp(ending, cp1251_text<"ти">) == 0 || std::strcmp(ending, cp1251_text<"ми">) == 0) && !few && last != 1)
        c = Case::gen;  // "5-ти" → пяти, "8-ми" → восьми
    else if (std::strcmp(ending, cp1251_text<"мя">) == 0 && few)
        c = Case::ins;  // "2-мя" → двумя
    if (c == Case::nom)
        return false;
    say_cardinal(s, value, Gender::masculine, c);
    return true;
}

// Whether the next word, past blanks, is a form of a feminine noun.
bool feminine_noun_next(Reader& r)
{
    const Mark m = mark(r);
    int c = get(r);
    while (is_blank(c))
        c = get(r);
    char word[WORD_BYTES];
    std::size_t n = 0;
    while (is_cyrillic_letter(c) && n + 1 < WORD_BYTES) {
        word[n++] = static_cast<char>(fold_cyrillic(c));
        c = get(r);
    }
    word[n] = '\0';
    back(r, m);
    return n > 0 && !is_cyrillic_letter(c) && is_feminine_noun(word);
}

// "2-х местный", "5-ти этажного" (the space after the case ending is next): a
// compound adjective written apart, said as one word (двухместный); false,
// with nothing read, when the word after is no such adjective ("2-х дней").
bool take_split_compound(Reader& r, Speech& s, std::uint64_t value, const char* ending)
{
    static const char* const ADJECTIVE_ENDINGS[] = {
        cp1251_text<"ый">,  cp1251_text<"ая">, cp1251_text<"ое">,  cp1251_text<"ые">,  cp1251_text<"ой">,
        cp1251_text<"ом">,  cp1251_text<"ую">, cp1251_text<"ого">, cp1251_text<"ому">, cp1251_text<"ым">,
        cp1251_text<"ыми">, cp1251_text<"яя">, cp1251_text<"юю">,  cp1251_text<"его">, cp1251_text<"ему">,
    };
    const bool case_ending = std::strcmp(ending, cp1251_text<"х">) == 0 || std::strcmp(ending, cp1251_text<"ти">) == 0 ||
                             std::strcmp(ending, cp1251_text<"ми">) == 0;
    if (!case_ending || !is_blank(peek(r)))
        return false;
    const Mark m = mark(r);
    get(r);
    char word[WORD_BYTES];
    std::size_t n = 0;
    for (int c = peek(r); is_cyrillic_letter(c) && !is_capital_cyrillic(c) && n + 1 < WORD_BYTES; c = peek(r))
        word[n++] = static_cast<char>(get(r));
    word[n] = '\0';
    bool adjective = n >= 5 && !is_cyrillic_letter(peek(r)) && std::strncmp(word, cp1251_text<"летн">, 4) == 0;
    for (const char* e : ADJECTIVE_ENDINGS)
        adjective = adjective || (n >= 5 && !is_cyrillic_letter(peek(r)) && ends_with(word, e));
    char compound[WORD_BYTES * 2];
    compound_prefix(value, compound, sizeof compound);
    if (!adjective || compound[0] == '\0' || value == 1) {
        back(r, m);
        return false;
    }
    std::strncat(compound, word, sizeof compound - 1 - std::strlen(compound));
    say(s, compound);
    return true;
}

// "1990-е", "5-й", "2-го", "2-х", "5-летний" (the hyphen is next): true when
// an ending or the rest of a compound word followed, said with the number.
bool take_ordinal_ending(Reader& r, Speech& s, std::uint64_t value)
{
    const Mark m = mark(r);
    get(r);
    char ending[WORD_BYTES];
    std::size_t n = 0;
    for (int c = peek(r); is_cyrillic_letter(c) && n + 1 < WORD_BYTES; c = peek(r))
        ending[n++] = static_cast<char>(fold_cyrillic(get(r)));
    ending[n] = '\0';
    if (n == 0 || is_cyrillic_letter(peek(r))) {
        back(r, m);
        return false;
    }
    if (n >= 4) {
        // "5-летний" → пятилетний, "3-комнатная" → трёхкомнатная.
        char word[WORD_BYTES * 2];
        compound_prefix(value, word, sizeof word);
        if (word[0] == '\0') {
            back(r, m);
            return false;
        }
        std::strncat(word, ending, sizeof word - 1 - std::strlen(word));
        say(s, word);
        return true;
    }
    if (take_split_compound(r, s, value, ending))
        return true;
    if (say_cardinal_ending(s, value, ending))
        return true;
    if (const OrdinalContext* e = find_context(ORDINAL_SUFFIXES, ending)) {
        Ordinal form = e->form;
        if (form == Ordinal::nom_m && std::strcmp(ending, cp1251_text<"й">) == 0 && feminine_noun_next(r))
            form = Ordinal::obl_f;  // "3-й премии", "в 5-й главе": третьей, пятой
        const bool decade = value >= 10 && value % 10 == 0 && (form == Ordinal::nom_n || form == Ordinal::gen_pl);
        if (decade) {
            // "1990-е" → девяностые: the decade without its century.
            if (form == Ordinal::nom_n)
                form = Ordinal::nom_pl;
            if (value % 100 != 0)
                value %= 100;
        }
        say_ordinal(s, value, form);
        return true;
    }
    back(r, m);
    return false;
}

// "3/4" (the slash is next): a common fraction, "три четвёртых"; false when
// the slash joins something else ("1/2/3", "24/7" reads on as it stands).
bool take_common_fraction(Reader& r, Speech& s, std::uint64_t numerator, Case asked)
{
    const Mark m = mark(r);
    get(r);
    Digits d;
    take_digits(r, d);
    const std::uint64_t denominator = d.n > 0 && d.n <= 2 ? value_of(d.d, d.n) : 0;
    const int next = peek(r);
    if (denominator < 2 || denominator > 20 || numerator == 0 || numerator >= denominator || next == '/' ||
        (d.n > 1 && d.d[0] == '0')) {
        back(r, m);
        return false;
    }
    // "добавьте 1/2" → одну вторую, "до 3/4" → до трёх четвёртых; the
    // other cases stay as they were written.
    const bool one = ends_in_one(numerator);
    const Case c = asked == Case::gen || asked == Case::acc ? asked : Case::nom;
    say_cardinal(s, numerator, Gender::feminine, c);
    Ordinal form = one ? Ordinal::nom_f : Ordinal::gen_pl;
    if (one && c == Case::acc)
        form = Ordinal::acc_f;
    else if (one && c == Case::gen)
        form = Ordinal::obl_f;
    say_ordinal(s, denominator, form);
    return true;
}

// The word after the number, past blanks: folded letters, whether a dot
// follows it, and the position after the word (and its dot when dotted).
struct NextWord {
    char text[WORD_BYTES] = {};
    bool capital = false;
    bool dotted = false;
    Mark end{};
};
NextWord next_word(Reader& r)
{
    NextWord w;
    const Mark m = mark(r);
    // Read straight on, remembering the position before each character.
    Mark at = m;
    int c = get(r);
    while (is_blank(c)) {
        at = mark(r);
        c = get(r);
    }
    w.capital = is_capital_cyrillic(c);
    std::size_t n = 0;
    while (is_cyrillic_letter(c) && n + 1 < WORD_BYTES) {
        w.text[n++] = static_cast<char>(fold_cyrillic(c));
        at = mark(r);
        c = get(r);
    }
    if (is_cyrillic_letter(c))
        n = 0;  // too long to be a word of ours
    w.text[n] = '\0';
    if (n > 0 && c == '.') {
        w.dotted = true;
        w.end = mark(r);
    } else {
        w.end = at;
    }
    back(r, m);
    return w;
}

bool is_one_of(const char* word, std::initializer_list<const char*> words)
{
    for (const char* w : words)
        if (w[0] == word[0] && std::strcmp(word, w) == 0)
            return true;
    return false;
}

struct Amount {
    const Digits* digits;
    bool plain = false;  // said as a number, not digit by digit
    std::uint64_t whole = 0;
    const char* fraction = nullptr;  // the digits after the decimal sign
    std::size_t fraction_length = 0;
    Case grammatical_case = Case::nom;  // asked by the word before
};

void say_amount(Speech& s, const Amount& a, Gender gender)
{
    if (a.fraction != nullptr)
        say_fraction(s, a.whole, a.fraction, a.fraction_length, a.grammatical_case);
    else if (a.plain)
        say_cardinal(s, a.whole, gender, a.grammatical_case);
    else
        say_digits(s, a.digits->d, a.digits->n);
}

}  // namespace

bool ordinal_before_noun(const char* before, const char* noun, Ordinal& form, bool roman)
{
    // Only a preposition makes a place in order: a word of at most five
    // letters ("после", "возле"), checked before the noun is looked up.
    const std::size_t b = std::strlen(before);
    if (b == 0 || b > 5)
        return false;
    const std::size_t n = std::strlen(noun);
    // The prepositions below, before any table is looked at.
    if (!is_one_of(before, {cp1251_text<"в">, cp1251_text<"во">, cp1251_text<"на">, cp1251_text<"о">, cp1251_text<"об">,
                            cp1251_text<"при">, cp1251_text<"у">, cp1251_text<"с">, cp1251_text<"со">, cp1251_text<"до">,
                            cp1251_text<"от">, cp1251_text<"из">, cp1251_text<"после">, cp1251_text<"возле">,
                            cp1251_text<"за">, cp1251_text<"к">, cp1251_text<"ко">, cp1251_text<"по">}))
        return false;
    if (n < 3 || in_word_list(NOT_NOUNS, noun) || find_unit(noun) != nullptr || month_of(noun) != 0 ||
        plural_case(noun) != Case::nom)
        return false;
    const bool feminine = is_feminine_noun(noun);
    const bool singular_e = ends_with(noun, cp1251_text<"е">) && !ends_with(noun, cp1251_text<"ые">) &&
                            !ends_with(noun, cp1251_text<"ие">) && !ends_with(noun, cp1251_text<"ее">);
    if (is_one_of(before, {cp1251_text<"в">, cp1251_text<"во">, cp1251_text<"на">, cp1251_text<"о">,
                           cp1251_text<"об">, cp1251_text<"при">})) {
        if (singular_e || (feminine && ends_with(noun, cp1251_text<"и">))) {
            form = feminine ? Ordinal::obl_f : Ordinal::prep_m;  // "на третьем этаже", "в пятой главе"
            return true;
        }
        return false;
    }
    if (is_one_of(before, {cp1251_text<"у">, cp1251_text<"с">, cp1251_text<"со">, cp1251_text<"до">,
                           cp1251_text<"от">, cp1251_text<"из">, cp1251_text<"после">, cp1251_text<"возле">})) {
        // "у 5 корпуса", "с 3 этажа", "до 7 страницы": a singular noun in the
        // genitive; a count would take the plural ("до пяти этажей").
        if (feminine && (ends_with(noun, cp1251_text<"ы">) || ends_with(noun, cp1251_text<"и">))) {
            form = Ordinal::obl_f;
            return true;
        }
        if (!feminine && (ends_with(noun, cp1251_text<"а">) || ends_with(noun, cp1251_text<"я">))) {
            form = Ordinal::gen_m;
            return true;
        }
        return false;
    }
    if (is_one_of(before, {cp1251_text<"за">})) {
        // "за 2 полугодие", "за II квартал": the accusative of the singular.
        if (ends_with(noun, cp1251_text<"ие">) || ends_with(noun, cp1251_text<"ье">)) {
            form = Ordinal::nom_n;
            return true;
        }
        const auto last = static_cast<unsigned char>(noun[n - 1]);
        if ((roman || is_order_noun(noun)) && !feminine && !is_vowel(last) && last != static_cast<unsigned char>(cp1251_text<"ь">[0]) &&
            last != static_cast<unsigned char>(cp1251_text<"й">[0])) {
            form = Ordinal::nom_m;
            return true;
        }
        return false;
    }
    if (is_one_of(before, {cp1251_text<"к">, cp1251_text<"ко">, cp1251_text<"по">})) {
        if (!feminine && (ends_with(noun, cp1251_text<"у">) || ends_with(noun, cp1251_text<"ю">))) {
            form = Ordinal::dat_m;  // "к пятому уроку", "по третьему каналу"
            return true;
        }
        if (feminine && (singular_e || ends_with(noun, cp1251_text<"и">))) {
            form = Ordinal::obl_f;  // "к третьей странице"
            return true;
        }
    }
    return false;
}

namespace {

// The accusative singular of a feminine noun phrase in -а, -я: "минуту",
// "чайную ложку".
void say_accusative(Speech& s, const char* phrase)
{
    char word[WORD_BYTES];
    const std::size_t n = std::strlen(phrase);
    if (n == 0 || n >= WORD_BYTES) {
        say(s, phrase);
        return;
    }
    std::memcpy(word, phrase, n + 1);
    for (std::size_t i = 0; i < n; ++i) {
        if (word[i + 1] != ' ' && word[i + 1] != '\0')
            continue;  // not the last letter of a word
        const char a = cp1251_text<"а">[0];
        const char ya = cp1251_text<"я">[0];
        if (word[i] == a)
            word[i] = cp1251_text<"у">[0];
        else if (word[i] == ya)
            word[i] = cp1251_text<"ю">[0];
        else
            continue;
        if (i > 0 && (word[i - 1] == a || word[i - 1] == ya))  // "-ая" → "-ую", "-яя" → "-юю"
            word[i - 1] = word[i - 1] == a ? cp1251_text<"у">[0] : cp1251_text<"ю">[0];
    }
    say(s, word);
}

// A number and the noun it counts, in the case asked of the number when the
// noun has that form: the nominative, accusative and genitive of every unit,
// the dative, instrumental and prepositional of a unit of one word
// ("при ста восьмидесяти градусах"); after a fraction the noun stays in the
// genitive singular ("до двух целых пяти десятых литра").
void say_counted(Speech& s, const Amount& a, Gender gender, const NounForms& noun)
{
    const bool approximate = a.fraction != nullptr || !a.plain;
    Amount in_case = a;
    const Case c = a.grammatical_case;
    if (c == Case::dat || c == Case::ins || c == Case::prep) {
        char form[WORD_BYTES];
        if (a.fraction != nullptr && a.plain) {
            say_amount(s, in_case, gender);
            say(s, noun.few);
            return;
        }
        if (a.plain && agree_oblique(noun, gender, a.whole, c, form, sizeof form)) {
            say_amount(s, in_case, gender);
            say(s, form);
            return;
        }
    }
    if (c != Case::gen && c != Case::acc)
        in_case.grammatical_case = Case::nom;
    say_amount(s, in_case, gender);
    if (in_case.grammatical_case == Case::gen) {
        say(s, agree_genitive(noun, a.whole, approximate));
        return;
    }
    const char* form = agree(noun, a.whole, approximate);
    if (in_case.grammatical_case == Case::acc && gender == Gender::feminine && form == noun.one)
        say_accusative(s, form);
    else
        say(s, form);
}

// "52,30 руб.", "99,90 €", "$9.99": an amount of money with two digits after
// the decimal sign is whole units and hundredths, each with its noun (рублей
// и копеек, евро и центов); false, with nothing said, for any other amount.
bool say_money_parts(Speech& s, const Amount& a, const NounForms& money)
{
    if (a.fraction == nullptr || a.fraction_length != 2 || !a.plain)
        return false;
    const bool rubles = std::strcmp(money.one, RUBLES.one) == 0;
    if (!rubles && std::strcmp(money.one, DOLLARS.one) != 0 && std::strcmp(money.one, EUROS.one) != 0)
        return false;
    const CountedUnit* kopeck = find_unit(cp1251_text<"коп">);
    Amount whole = a;
    whole.fraction = nullptr;
    whole.fraction_length = 0;
    say_counted(s, whole, Gender::masculine, money);
    Amount hundredths = whole;
    hundredths.whole = static_cast<std::uint64_t>((a.fraction[0] - '0') * 10 + (a.fraction[1] - '0'));
    if (hundredths.whole != 0)  // "1 250,00 ₽": no hundredths to name
        say_counted(s, hundredths, rubles ? kopeck->gender : Gender::masculine, rubles ? kopeck->forms : CENTS);
    return true;
}

// What the number counts, when a sign or a word after it says so; false
// when nothing does (the number is then said alone).
// A sign that counts the number, right after it or after blanks: "%", "$",
// "€", "°", "°C". true when one was taken and spoken.
bool take_sign(Reader& r, Speech& s, const Amount& a)
{
    const int c = peek(r);
    const auto simple = [&](const NounForms& noun) {
        get(r);
        if (!say_money_parts(s, a, noun))
            say_counted(s, a, Gender::masculine, noun);
        return true;
    };
    if (c == '%')
        return simple(PERCENT);
    if (const NounForms* money = currency_of(c))
        return simple(*money);
    if (c == 0xB0) {  // °, °C
        get(r);
        say_counted(s, a, Gender::masculine, DEGREES);
        const int scale = peek(r);
        if (scale == 'C' || scale == 0xD1) {  // Latin or Cyrillic C
            get(r);
            say(s, cp1251_text<"цельсия">);
        } else if (scale == 'F') {
            get(r);
            say(s, cp1251_text<"фаренгейта">);
        }
        return true;
    }
    // "50 %"
    const Mark m = mark(r);
    int b = get(r);
    while (is_blank(b))
        b = get(r);
    if (b == '%' || currency_of(b) != nullptr) {
        // "50 %", "3 $", "100 ₽", "99,90 €"
        const NounForms& noun = b == '%' ? PERCENT : *currency_of(b);
        if (!say_money_parts(s, a, noun))
            say_counted(s, a, Gender::masculine, noun);
        return true;
    }
    back(r, m);
    if (b == 0xB0 && is_blank(peek(r))) {
        // "5 °C": the degree sign after a space
        while (is_blank(peek(r)))
            get(r);
        return take_sign(r, s, a);
    }
    return false;
}

// A plain whole number naming a day or a year before the word w: "1 января",
// "1990 года", "в 2024 г.". true when it was spoken so.
// The form of a day before its month, by the word before it: "10 мая",
// "до 10 мая" → десятого, "по 10 мая", "на 10 мая" → десятое, "к 10 мая" → десятому.
Ordinal day_form(const char* before)
{
    if (is_one_of(before, {cp1251_text<"по">, cp1251_text<"на">, cp1251_text<"про">, cp1251_text<"за">}))
        return Ordinal::nom_n;
    if (is_one_of(before, {cp1251_text<"к">, cp1251_text<"ко">}))
        return Ordinal::dat_m;
    return Ordinal::gen_m;
}

// After a day: "по 10 мая", "до 10 мая" or "–10 мая", a second day and its
// month. The kind of join (the word, or '-' for a dash) when so; 0 otherwise.
// The position is kept.
char day_range_ahead(Reader& r)
{
    const Mark m = mark(r);
    char join = 0;
    const int c = peek(r);
    if (c == '-' || c == 0x96 || c == 0x97) {
        get(r);
        join = '-';
    } else {
        const NextWord w = next_word(r);
        if (std::strcmp(w.text, cp1251_text<"по">) == 0 || std::strcmp(w.text, cp1251_text<"до">) == 0) {
            back(r, w.end);
            join = 'w';
        }
    }
    while (is_blank(peek(r)))
        get(r);
    long long day = take_exact(r, 2);
    if (day < 0)
        day = take_exact(r, 1);
    const bool range = join != 0 && day >= 1 && day <= 31 && month_of(next_word(r).text) != 0;
    back(r, m);
    return range ? join : 0;
}

// "1941–1945 гг.", "в 1990–2000 годах" (the dash is next): a range of years
// with their shared word, in the case of the word before. true when said.
bool take_year_range(Reader& r, Speech& s, const Context& ctx, std::uint64_t first)
{
    const Mark m = mark(r);
    const int dash = get(r);
    if (first < 1000 || first > 2999 || !(dash == '-' || dash == 0x96 || dash == 0x97)) {
        back(r, m);
        return false;
    }
    const long long second = take_exact(r, 4);
    const NextWord w = next_word(r);
    const bool years_word = (std::strcmp(w.text, cp1251_text<"гг">) == 0 && w.dotted) ||
                            is_one_of(w.text, {cp1251_text<"годы">, cp1251_text<"годах">, cp1251_text<"годов">,
                                               cp1251_text<"годам">, cp1251_text<"годами">});
    if (second < 1000 || !years_word) {
        back(r, m);
        return false;
    }
    Ordinal form = Ordinal::nom_m;
    const char* years = cp1251_text<"годы">;
    if (is_one_of(ctx.prev_word, {cp1251_text<"в">, cp1251_text<"во">})) {
        form = Ordinal::prep_m;
        years = cp1251_text<"годах">;
    } else if (find_governing(ctx.prev_word) != nullptr && find_governing(ctx.prev_word)->asks == Case::gen) {
        form = Ordinal::gen_m;
        years = cp1251_text<"годов">;
    } else if (is_one_of(ctx.prev_word, {cp1251_text<"к">, cp1251_text<"по">})) {
        form = Ordinal::dat_m;
        years = cp1251_text<"годам">;
    }
    say_ordinal(s, first, form);
    say_mark(s, ',');
    // "1941–1945 гг." → тысяча девятьсот сорок первый, сорок пятый годы:
    // the second year of the same century without it.
    const auto last = static_cast<std::uint64_t>(second);
    const bool same_century = last / 100 == first / 100 && last > first && last % 100 >= 10;
    say_ordinal(s, same_century ? last % 100 : last, form);
    if (std::strcmp(w.text, cp1251_text<"гг">) == 0) {
        say(s, years);
        back(r, w.end);
        keep_sentence_dot(r, s, true);
    }
    return true;
}

// After a year and w, the word after it: "по 2020 год", "до 2020 г.", "по
// 2020 годы", the second year of a range. The position is kept.
bool year_range_ahead(Reader& r, const NextWord& w)
{
    if (!is_one_of(w.text, {cp1251_text<"по">, cp1251_text<"до">}))
        return false;
    const Mark m = mark(r);
    back(r, w.end);
    while (is_blank(peek(r)))
        get(r);
    const long long second = take_exact(r, 4);
    bool range = false;
    if (second >= 1000) {
        const NextWord year = next_word(r);
        range = find_context(YEAR_WORDS, year.text) != nullptr ||
                is_one_of(year.text, {cp1251_text<"г">, cp1251_text<"гг">, cp1251_text<"годы">, cp1251_text<"годов">,
                                      cp1251_text<"годах">});
    }
    back(r, m);
    return range;
}

bool take_date_word(Reader& r, Speech& s, const Context& ctx, std::uint64_t v, const NextWord& w)
{
    if (take_year_range(r, s, ctx, v))
        return true;
    if (month_of(w.text) != 0 && v >= 1 && v <= 31) {
        say_ordinal(s, v, day_form(ctx.prev_word));  // "1 января" → первого января
        return true;
    }
    if (v >= 1 && v <= 31) {
        if (const char join = day_range_ahead(r)) {
            // "с 1 по 10 мая" → с первого по десятое мая; "1–10 мая" the same.
            if (join == '-') {
                if (!is_one_of(ctx.prev_word, {cp1251_text<"с">, cp1251_text<"со">}))
                    say(s, cp1251_text<"с">);  // "прошёл 23-25 мая" → прошёл с двацать третьего
                say_ordinal(s, v, Ordinal::gen_m);
                get(r);
                while (is_blank(peek(r)))
                    get(r);
                Digits second;
                take_digits(r, second);
                say(s, cp1251_text<"по">);
                say_ordinal(s, value_of(second.d, second.n), Ordinal::nom_n);
            } else {
                say_ordinal(s, v, day_form(ctx.prev_word));
            }
            return true;
        }
    }
    if (v >= 1000 && v <= 2999 && is_one_of(ctx.prev_word, {cp1251_text<"с">, cp1251_text<"со">, cp1251_text<"от">}) &&
        year_range_ahead(r, w)) {
        say_ordinal(s, v, Ordinal::gen_m);  // "с 2015 по 2020 год" → с две тысячи пятнатцатого
        return true;
    }
    const bool g = std::strcmp(w.text, cp1251_text<"г">) == 0 || std::strcmp(w.text, cp1251_text<"гг">) == 0;
    const bool year_preposition =
        is_one_of(ctx.prev_word, {cp1251_text<"в">, cp1251_text<"во">, cp1251_text<"с">, cp1251_text<"до">,
                                  cp1251_text<"от">, cp1251_text<"к">, cp1251_text<"после">, cp1251_text<"около">});
    // "1990 года", "в 988 году" name a year; "21 год", "2 года" count them.
    const OrdinalContext* y = find_context(YEAR_WORDS, w.text);
    if (y != nullptr && (v >= 1000 || year_preposition || y->form == Ordinal::prep_m)) {
        const bool dative = y->form == Ordinal::prep_m && is_one_of(ctx.prev_word, {cp1251_text<"к">, cp1251_text<"по">});
        say_ordinal(s, v, dative ? Ordinal::dat_m : y->form);
        return true;
    }
    if (g && (w.dotted || !is_cyrillic_letter(peek(r))) && ((v >= 1000 && v <= 2999) || year_preposition)) {
        // "в 2024 г." → в две тысячи двацать четвёртом году.
        back(r, w.end);
        if (is_one_of(ctx.prev_word, {cp1251_text<"в">, cp1251_text<"во">})) {
            say_ordinal(s, v, Ordinal::prep_m);
            say(s, cp1251_text<"году">);
        } else if (std::strcmp(ctx.prev_word, cp1251_text<"к">) == 0) {
            say_ordinal(s, v, Ordinal::dat_m);
            say(s, cp1251_text<"году">);
        } else if (year_preposition || (ctx.prev_word[0] != '\0' && find_governing(ctx.prev_word) == nullptr)) {
            // "после 2020 г.", "чемпионат 2018 г." → две тысячи восемнатцатого года
            say_ordinal(s, v, Ordinal::gen_m);
            say(s, cp1251_text<"года">);
        } else {
            say_ordinal(s, v, Ordinal::nom_m);
            say(s, cp1251_text<"год">);
        }
        keep_sentence_dot(r, s, w.dotted);
        return true;
    }
    return false;
}

// "/ч", "/с", "/мес", "/шт" after a unit or a sign: "км/ч" → километров в
// час, "руб./шт" → рублей за штуку. dotted is updated to the dot of the word taken.
void take_rate(Reader& r, Speech& s, bool& dotted)
{
    const Mark m = mark(r);
    get(r);
    const NextWord per = next_word(r);
    static const WordPair RATES[] = {
        {cp1251_text<"ч">, cp1251_text<"в час">},          {cp1251_text<"с">, cp1251_text<"в секунду">},
        {cp1251_text<"мин">, cp1251_text<"в минуту">},     {cp1251_text<"сут">, cp1251_text<"в сутки">},
        {cp1251_text<"день">, cp1251_text<"в день">},      {cp1251_text<"нед">, cp1251_text<"в неделю">},
        {cp1251_text<"мес">, cp1251_text<"в месяц">},      {cp1251_text<"год">, cp1251_text<"в год">},
        {cp1251_text<"шт">, cp1251_text<"за штуку">},      {cp1251_text<"кг">, cp1251_text<"за килограм">},
    };
    const char* rate = nullptr;
    for (const WordPair& p : RATES)
        if (std::strcmp(per.text, p.key) == 0)
            rate = p.words;
    if (rate != nullptr && !is_blank(peek(r))) {
        back(r, per.end);
        say(s, rate);
        dotted = per.dotted;
    } else {
        back(r, m);
    }
}

// "1 ч. л.", "150 л. с.", "50 кв. м" (w is the first word): a unit of two
// shortened words, said in agreement. true when one was taken.
bool take_two_word_unit(Reader& r, Speech& s, const Amount& a, const NextWord& w)
{
    const Mark m = mark(r);
    back(r, w.end);
    const NextWord second = next_word(r);
    const TwoWordUnit* unit = find_two_word_unit(w.text, second.text);
    if (unit == nullptr || !(w.dotted || std::strcmp(w.text, cp1251_text<"кв">) == 0)) {
        back(r, m);
        return false;
    }
    back(r, second.end);
    say_counted(s, a, unit->gender, unit->forms);
    keep_sentence_dot(r, s, second.dotted);
    return true;
}

// "220 В", "12 В.", "2 А": a capital В or А after a number, with nothing but
// a mark or the line's end after it, is volts or amperes (a small one stays
// the preposition or the conjunction).
// Not after a word that a number and a letter name together: "дом 5 А",
// "класс 9 В", nor with no word before ("д. 5 В").
bool take_volts(Reader& r, Speech& s, const Context& ctx, const Amount& a, const NextWord& w)
{
    static const char* const LETTERED[] = {
        cp1251_text<"дом">,    cp1251_text<"корп">,  cp1251_text<"кв">,    cp1251_text<"класс">, cp1251_text<"школ">,
        cp1251_text<"групп">,  cp1251_text<"литер">, cp1251_text<"строени">, cp1251_text<"подъезд">,
        cp1251_text<"офис">,   cp1251_text<"кабинет">, cp1251_text<"комнат">, cp1251_text<"вариант">,
        cp1251_text<"участ">,  cp1251_text<"пункт">, cp1251_text<"ряд">,   cp1251_text<"мест">,
    };
    const bool volts = std::strcmp(w.text, cp1251_text<"в">) == 0;
    if (!w.capital || !(volts || std::strcmp(w.text, cp1251_text<"а">) == 0) || ctx.prev_word[0] == '\0')
        return false;
    for (const char* stem : LETTERED)
        if (std::strncmp(ctx.prev_word, stem, std::strlen(stem)) == 0)
            return false;
    const Mark m = mark(r);
    back(r, w.end);
    int c = peek(r);
    if (!w.dotted) {
        while (is_blank(c)) {
            get(r);
            c = peek(r);
        }
        if (is_cyrillic_letter(c) || is_latin_letter(c) || is_digit(c)) {
            back(r, m);
            return false;
        }
        back(r, w.end);
    }
    say_counted(s, a, Gender::masculine, volts ? VOLTS : AMPERES);
    keep_sentence_dot(r, s, w.dotted);
    return true;
}

bool take_counted(Reader& r, Speech& s, Context& ctx, const Amount& a)
{
    if (ctx.currency != nullptr) {
        // "$100" → сто долларов; "$5 млн" → пять милионов долларов.
        const NextWord w = next_word(r);
        const CountedUnit* unit = find_unit(w.text);
        if (unit != nullptr && unit->multiplier) {
            back(r, w.end);
            say_counted(s, a, unit->gender, unit->forms);
            say(s, ctx.currency->many);
            keep_sentence_dot(r, s, w.dotted);
        } else if (!say_money_parts(s, a, *ctx.currency)) {
            say_counted(s, a, Gender::masculine, *ctx.currency);
        }
        return true;
    }
    if (take_sign(r, s, a)) {
        // "1 200 ₽/мес." → тысяча двести рублей в месяц
        bool dotted = false;
        if (peek(r) == '/') {
            take_rate(r, s, dotted);
            keep_sentence_dot(r, s, dotted);
        }
        return true;
    }
    const bool fraction = a.fraction != nullptr;
    const std::uint64_t v = a.whole;
    const bool plain = fraction || a.plain;
    const NextWord w = next_word(r);
    if (!fraction && plain && take_date_word(r, s, ctx, v, w))
        return true;
    if (w.text[0] == '\0')
        return false;
    if (take_two_word_unit(r, s, a, w))
        return true;
    if (take_volts(r, s, ctx, a, w))
        return true;
    const CountedUnit* unit = find_unit(w.text);
    // A one-letter unit that is also a word ("5 с половиной") needs its dot.
    if (unit == nullptr || (w.text[1] == '\0' && in_set(ONE_LETTER_WORDS, static_cast<unsigned char>(w.text[0])) && !w.dotted)) {
        // A noun the tables do not know: the number agrees with its form;
        // "за 1 минуту": a feminine noun in the accusative.
        Amount agreed = a;
        Gender gender = noun_gender(w.text, v, agreed.grammatical_case);
        const bool direct = agreed.grammatical_case == Case::nom || agreed.grammatical_case == Case::acc;
        if (direct && ends_in_one(v) && std::strlen(w.text) >= 4 && !in_word_list(NOT_NOUNS, w.text) &&
            (ends_with(w.text, cp1251_text<"у">) || ends_with(w.text, cp1251_text<"ю">))) {
            gender = Gender::feminine;
            agreed.grammatical_case = Case::acc;
        }
        say_amount(s, agreed, gender);
        return true;
    }
    back(r, w.end);
    Amount at = a;
    if (is_one_of(ctx.prev_word, {cp1251_text<"в">, cp1251_text<"во">}) && !unit->multiplier &&
        std::strcmp(next_word(r).text, cp1251_text<"от">) == 0)
        at.grammatical_case = Case::prep;  // "в 25 км от города" → в двацати пяти километрах
    if (say_money_parts(s, a, unit->forms)) {
        // "52,30 руб." → пятдесят два рубля трицать копеек
    } else if (const int power = w.dotted ? 0 : peek(r); power == TEXT_WIDE + 0xB2 || power == TEXT_WIDE + 0xB3) {
        // "50 м²" → пятдесят квадратных метров.
        get(r);
        const bool square = power == TEXT_WIDE + 0xB2;
        const NounForms adjective = square ? NounForms{cp1251_text<"квадратный">, cp1251_text<"квадратных">, cp1251_text<"квадратных">}
                                           : NounForms{cp1251_text<"кубический">, cp1251_text<"кубических">, cp1251_text<"кубических">};
        Amount in_case = a;
        in_case.grammatical_case = Case::nom;
        say_amount(s, in_case, unit->gender);
        say(s, agree(adjective, v, fraction || !plain));
        say(s, agree(unit->forms, v, fraction || !plain));
    } else {
        say_counted(s, at, unit->gender, unit->forms);
    }
    bool dotted = w.dotted;
    if (unit->multiplier) {
        // "5 тыс. руб." → пять тысяч рублей.
        const NextWord w2 = next_word(r);
        const CountedUnit* second = find_unit(w2.text);
        if (second != nullptr && !second->multiplier && (w2.text[1] != '\0' || w2.dotted)) {
            back(r, w2.end);
            say(s, second->forms.many);
            dotted = w2.dotted;
        }
    }
    if (peek(r) == '/')
        take_rate(r, s, dotted);  // "км/ч", "руб./мес."
    keep_sentence_dot(r, s, dotted);
    return true;
}

// A unit after a common fraction, in the genitive singular: "1/2 ч. л." →
// одна вторая чайной ложки, "3/4 кг" → три четвёртых килограма.
void take_fraction_unit(Reader& r, Speech& s)
{
    const Mark m = mark(r);
    const NextWord w = next_word(r);
    if (w.text[0] == '\0')
        return;
    back(r, w.end);
    const NextWord second = next_word(r);
    if (const TwoWordUnit* two = find_two_word_unit(w.text, second.text);
        two != nullptr && (w.dotted || std::strcmp(w.text, cp1251_text<"кв">) == 0)) {
        back(r, second.end);
        say(s, two->genitive_one);
        keep_sentence_dot(r, s, second.dotted);
        return;
    }
    const CountedUnit* unit = find_unit(w.text);
    if (unit == nullptr || unit->multiplier ||
        (w.text[1] == '\0' && in_set(ONE_LETTER_WORDS, static_cast<unsigned char>(w.text[0])) && !w.dotted)) {
        back(r, m);
        return;
    }
    back(r, w.end);
    say(s, unit->forms.few);
    keep_sentence_dot(r, s, w.dotted);
}

// The next count digits of the input, each by its name; the blanks that
// separated digit groups among them are passed over.
void say_digits_again(Reader& r, Speech& s, std::size_t count)
{
    while (count > 0) {
        const int c = get(r);
        if (c == TEXT_EOF)
            return;
        if (is_digit(c)) {
            const char digit = static_cast<char>(c);
            say_digits(s, &digit, 1);
            --count;
        }
    }
}

// "2.0.1", "192.168.0.1" (the first point is next): three or more numbers
// joined by points are read with the word for the point between them.
bool take_dotted(Reader& r, Speech& s, const Digits& first)
{
    const Mark m = mark(r);
    int parts = 1;
    while (peek(r) == '.') {
        get(r);
        if (!is_digit(peek(r)))
            break;
        while (is_digit(peek(r)))
            get(r);
        ++parts;
    }
    back(r, m);
    if (parts < 3)
        return false;
    say_plain_number(s, first.d, first.n);
    while (peek(r) == '.') {
        const Mark before_point = mark(r);
        get(r);
        if (!is_digit(peek(r))) {
            back(r, before_point);  // the full stop of the sentence
            break;
        }
        Digits part;
        take_digits(r, part);
        say(s, cp1251_text<"точка">);
        say_plain_number(s, part.d, part.n);
    }
    return true;
}

// "15.03", "в 13.00", "раздел 12.1", "USB 3.0" (the point is next): two
// numbers joined by a point read as a day and month, a time, or a section or
// version number, by what stands around them; false when they are a decimal
// fraction.
bool take_dotted_pair(Reader& r, Speech& s, const Context& ctx, const Digits& first)
{
    const Mark m = mark(r);
    get(r);
    Digits second;
    take_digits(r, second);
    const Mark after = mark(r);
    const NextWord w = next_word(r);
    const int next = peek(r);
    back(r, m);
    if (second.n == 0 || second.total != second.n)
        return false;
    // What a fraction counts makes it one: "1.5 кг", "2.5%".
    if (find_unit(w.text) != nullptr || next == '%' || next == '$' || next == 0x88 || next == 0xB0)
        return false;
    const std::uint64_t a = value_of(first.d, first.n);
    const std::uint64_t b = value_of(second.d, second.n);
    const bool two = second.n == 2 && first.n <= 2;
    const char* before = ctx.prev_word;
    const bool section = ctx.after_code || find_context(ROMAN_BEFORE, before) != nullptr ||
                         is_section_word(before) || (ctx.at_line_start && w.capital);
    if (section) {
        get(r);
        back(r, after);
        say_plain_number(s, first.d, first.n);
        say(s, cp1251_text<"точка">);
        say_plain_number(s, second.d, second.n);
        return true;
    }
    const bool time_word = is_one_of(before, {cp1251_text<"в">, cp1251_text<"во">, cp1251_text<"к">, cp1251_text<"около">,
                                              cp1251_text<"после">, cp1251_text<"с">, cp1251_text<"до">, cp1251_text<"на">});
    const bool date = two && a >= 1 && a <= 31 && b >= 1 && b <= 12 &&
                      (second.d[0] == '0' || find_governing(before) != nullptr);
    const bool at_time = is_one_of(before, {cp1251_text<"в">, cp1251_text<"во">, cp1251_text<"к">, cp1251_text<"около">});
    const bool time = two && a <= 24 && b <= 59 && time_word && (!date || at_time);
    if (time)
        return take_time(r, s, a, governed_case(ctx, "", a));
    if (date) {
        back(r, after);
        say_ordinal(s, a, day_form(before));  // "с 15.03" → с пятнатцатого марта
        say(s, MONTHS_GENITIVE[b - 1]);
        return true;
    }
    return false;
}

}  // namespace

void say_plain_number(Speech& s, const char* digits, std::size_t n)
{
    if (n <= 4 && !(n > 1 && digits[0] == '0'))
        say_cardinal(s, value_of(digits, n));
    else
        say_digits(s, digits, n);
}

namespace {

// "8 800 555-35-35": a grouped number before a hyphen and a digit is a
// telephone number, each group said as a number of its own; false when no
// digit follows the hyphen (nothing then read or said).
bool take_telephone(Reader& r, Speech& s, const Digits& ds, std::size_t first_group)
{
    const Mark m = mark(r);
    get(r);
    const bool telephone = is_digit(peek(r));
    back(r, m);
    if (!telephone)
        return false;
    say_plain_number(s, ds.d, first_group);
    for (std::size_t i = first_group; i + 3 <= ds.n; i += 3)
        say_plain_number(s, ds.d + i, 3);
    return true;
}

// A number before c, a colon or a point: a time, a date, or a number of dotted
// parts; true when it was read as one of them. "09:05", "01.09.2024": a
// leading zero is allowed in a time or a date.
bool take_time_or_dotted(Reader& r, Speech& s, const Context& ctx, const Digits& ds, bool plain, int c)
{
    const bool short_run = ds.total <= 2;
    const std::uint64_t short_value = short_run ? value_of(ds.d, ds.n) : 0;
    if (short_run && c == ':' && take_time(r, s, short_value, governed_case(ctx, "", short_value)))
        return true;
    if (short_run && c == '.' && take_date(r, s, ctx.prev_word, short_value))
        return true;
    if (c == '.' && plain && take_dotted(r, s, ds))
        return true;
    return c == '.' && (plain || short_run) && take_dotted_pair(r, s, ctx, ds);
}

// The digits after a decimal comma or point, when a digit follows it, into
// fraction and a (else the reading is left before the sign). True when there
// are more than fraction holds: the whole part, "запятая" and every digit
// after it have then been said.
bool take_overlong_fraction(Reader& r, Speech& s, Amount& a, Digits& fraction)
{
    const Mark m = mark(r);
    get(r);
    if (!is_digit(peek(r))) {
        back(r, m);
        return false;
    }
    const Mark point = mark(r);
    keep(fraction, get(r));
    take_digits(r, fraction);
    if (fraction.total > fraction.n) {
        back(r, point);
        say_cardinal(s, a.whole);
        say(s, cp1251_text<"запятая">);
        say_digits_again(r, s, fraction.total);
        return true;
    }
    a.fraction = fraction.d;
    a.fraction_length = fraction.n;
    return false;
}

}  // namespace

void read_number(Reader& r, Speech& s, Context& ctx, int first_digit)
{
    Digits ds;
    keep(ds, first_digit);
    const Mark after_first = mark(r);
    take_digits(r, ds);
    const std::size_t first_group = ds.n;
    take_groups(r, ds);
    if (ds.total > ds.n) {
        // More digits than the buffer holds: every one of them, as it stands.
        back(r, after_first);
        say_digits(s, ds.d, 1);
        say_digits_again(r, s, ds.total - 1);
        ctx.prev_word[0] = '\0';
        return;
    }
    const bool grouped = ds.n > first_group;
    if (grouped && peek(r) == '-' && take_telephone(r, s, ds, first_group)) {
        ctx.prev_word[0] = '\0';
        return;
    }
    // An unbroken run of more than LONG_RUN digits is a code or an account
    // number: read digit by digit, as a reader does.
    const bool plain = is_plain(ds) && (grouped || ds.total <= LONG_RUN);
    const std::uint64_t value = plain ? value_of(ds.d, ds.n) : 0;

    const int c = peek(r);
    if (take_time_or_dotted(r, s, ctx, ds, plain, c)) {
        ctx.prev_word[0] = '\0';
        return;
    }
    Amount a;
    a.digits = &ds;
    a.plain = plain;
    a.whole = value;
    Digits fraction;
    if ((c == ',' || c == '.') && plain && take_overlong_fraction(r, s, a, fraction)) {
        ctx.prev_word[0] = '\0';
        return;
    }
    if (a.fraction == nullptr && plain && c == '-' && take_ordinal_ending(r, s, value)) {
        ctx.prev_word[0] = '\0';
        return;
    }
    if (a.fraction == nullptr && plain && c == '/' && take_common_fraction(r, s, value, governed_case(ctx, "", value))) {
        take_fraction_unit(r, s);
        ctx.prev_word[0] = '\0';
        return;
    }
    const NextWord after = next_word(r);
    Ordinal form = Ordinal::nom_m;
    // "на 3 этаже": a number of two or more before a singular noun names its
    // place; "в 1 экземпляре" counts.
    if (plain && a.fraction == nullptr && value >= 1 &&
        (value >= 2 ? !(ends_in_one(value) && value < 20) : is_order_noun(after.text)) &&
        ordinal_before_noun(ctx.prev_word, after.text, form)) {
        say_ordinal(s, value, form);
        ctx.prev_word[0] = '\0';
        return;
    }
    a.grammatical_case = governed_case(ctx, after.text, value);
    if (!take_counted(r, s, ctx, a))
        say_amount(s, a, Gender::masculine);
    ctx.prev_word[0] = '\0';
    ctx.number_case = a.grammatical_case;
}
