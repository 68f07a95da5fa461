// The number speller of the original rules: a run of digits of the text as
// Russian number words, in the phrasing of these rules (a comma after each
// group and after the number, fractions over two calls).
#include "firstread/original/original.h"

#include <array>
#include <cstdint>
#include <cstdio>

#include "common/cp1251.h"
#include "firstread/number_words.h"

namespace {

// Billions are the largest group with words; longer runs get one phrase.
constexpr int SPOKEN_DIGITS = 12;
constexpr int DIGITS_PER_GROUP = 3;

// The words at a digit's place in its group (units, tens, hundreds): a 0
// among tens or hundreds is a space, spoken so in a number led by zeros.
const char* place_word(int place, int d)
{
    if (place == 0)
        return UNIT_WORDS[d];
    if (d == 0)
        return " ";
    return place == 1 ? TEN_WORDS[d] : HUNDRED_WORDS[d];
}

constexpr int MANY = 5;  // a digit that takes the group word's many form

// The group word (thousands, millions, billions) after the units digit d;
// these rules give "четыре милиона" as "четыре милионов", as they always have.
const char* group_noun(int group, int d)
{
    const NounForms& noun = GROUP_NOUNS[group - 1];
    if (d == 1)
        return noun.one;
    if (d == 2 || d == 3 || (d == 4 && group == 1))
        return noun.few;
    return noun.many;
}

// " тысяч, ": a group word as these rules write it.
void put_group_word(TextFile& out, int group, int d)
{
    text_putc(out, ' ');
    text_puts(out, group_noun(group, d));
    text_puts(out, ", ");
}

// By the number of digits after the point, 1..9; more get DENOMINATOR_TINY.
const char* const DENOMINATORS[10] = {
    nullptr,           cp1251_text<" десятых, ">,        cp1251_text<" сотых, ">,           cp1251_text<" тысячных, ">,
    cp1251_text<" десяти тысячных, ">, cp1251_text<" сто тысячных, ">, cp1251_text<" милионных, ">,      cp1251_text<" десяти милионных, ">,
    cp1251_text<" ста милионных, ">,   cp1251_text<" милиардных, ">,
};
const char* const DENOMINATOR_TINY = cp1251_text<" каких-то совсем незначительных, ">;
const char* const WHOLE = cp1251_text<" целых, ">;
const char* const NUMBER_END = ", ";
const char* const UNKNOWN_NUMBER = cp1251_text<"какое-то неизвестное науке число, ">;

bool is_digit(int c) { return c >= '0' && c <= '9'; }

// decimals is a small counter; a huge look-ahead saturates rather than wraps
// into a count that looks plausible.
std::int8_t to_counter(long long v)
{
    if (v > INT8_MAX)
        return INT8_MAX;
    if (v < INT8_MIN)
        return INT8_MIN;
    return static_cast<std::int8_t>(v);
}

const char* denominator(long long digits_after_point)
{
    if (digits_after_point >= 1 && digits_after_point <= 9)
        return DENOMINATORS[digits_after_point];
    return DENOMINATOR_TINY;
}

// The units digit d (1..9) of a higher group with its group word.
void speak_group_units(TextFile& out, int group, int d)
{
    const char* unit = UNIT_WORDS[d];
    if (group == 1 && d <= 2)  // "одна тысяча", "две тысячи"
        unit = d == 1 ? ONE_FEMININE : TWO_FEMININE;
    text_puts(out, unit);
    put_group_word(out, group, d);
}

// Up to twelve digits, first to last. In a number that begins with 0 every 0
// is spoken through the tables; elsewhere a 0 is silent.
void speak_integer(TextFile& out, const std::array<int, SPOKEN_DIGITS>& digits, int n)
{
    const bool zero_led = digits[0] == 0;
    bool group_has_digit = false;  // a non-zero digit seen in the current group
    bool group_word_done = false;  // a leading tens digit already wrote it
    for (int i = 0; i < n; ++i) {
        const int position = n - 1 - i;
        const int place = position % DIGITS_PER_GROUP;
        const int group = position / DIGITS_PER_GROUP;
        const int d = digits[i];
        if (i == 0 || place == 2) {
            group_has_digit = false;
            group_word_done = false;
        }
        if (d != 0)
            group_has_digit = true;
        const bool group_word_due = group > 0 && place == 0 && group_has_digit && !group_word_done;
        if (d == 0 && group_word_due) {
            // "двести тысяч": the group still needs its word when its units digit is 0.
            put_group_word(out, group, MANY);
            text_putc(out, ' ');
            continue;
        }
        if (d == 0 && !zero_led)
            continue;
        if (place == 1 && d == 1) {
            text_puts(out, TEEN_WORDS[digits[i + 1]]);
            if (group > 0)
                put_group_word(out, group, MANY);
            ++i;
            continue;
        }
        if (group == 0) {
            text_puts(out, place_word(place, d));
            if (place != 0)
                text_putc(out, ' ');
            continue;
        }
        if (place == 2) {
            text_puts(out, place_word(2, d));
            text_putc(out, ' ');
            continue;
        }
        if (place == 1) {
            text_puts(out, place_word(1, d));
            // A number that opens with bare tens ("20000") names its group here.
            if (i == 0 && d != 0 && digits[i + 1] == 0) {
                put_group_word(out, group, MANY);
                group_word_done = true;
            }
            text_putc(out, ' ');
            continue;
        }
        // The units digit of a higher group.
        if (d != 0)
            speak_group_units(out, group, d);
        else if (group >= 2 && i == 0)
            text_puts(out, UNIT_WORDS[0]);
        text_putc(out, ' ');
    }
}

}  // namespace

long long Spellnumber(char first_digit, TextFile& in, TextFile& out, FractionState& state)
{
    bool& fraction_pending = state.fraction_pending;
    std::int8_t& decimals = state.decimals;
    if (!is_digit(first_digit))
        return 0;
    std::array<int, SPOKEN_DIGITS> digits{};
    digits[0] = first_digit - '0';
    long long n = 1;
    long long consumed = 0;
    int c;
    for (;;) {
        c = text_getc(in);
        ++consumed;
        if (c == TEXT_EOF) {
            // Balances the look-ahead of a fraction that stands at the end of the text.
            decimals = to_counter(decimals + 1);
            break;
        }
        if (!is_digit(c))
            break;
        if (n < SPOKEN_DIGITS)
            digits[n] = c - '0';
        ++n;
    }

    // The fraction's digits stay in the input for the next call; only their
    // number is taken here. The look-ahead is not part of the count.
    bool has_fraction = false;
    long long lookahead = 0;
    if (c == '.') {
        const long long after_point = text_tell(in);
        if (is_digit(text_getc(in))) {
            has_fraction = true;
            for (int f; (f = text_getc(in)) != TEXT_EOF;) {
                ++lookahead;
                if (!is_digit(f))
                    break;
            }
            --lookahead;
        }
        text_seek(in, after_point, SEEK_SET);
    }

    if (n > SPOKEN_DIGITS) {
        // No words for it, and no fraction can be spoken with it: the state is settled.
        text_puts(out, UNKNOWN_NUMBER);
        fraction_pending = false;
        decimals = 0;
        return consumed;
    }
    speak_integer(out, digits, static_cast<int>(n));

    // In "12.05.2023" this call's own look-ahead counts ".2023": the ".05" it
    // finishes is named by the count from before, and the new one carried on.
    if (fraction_pending) {
        fraction_pending = false;
        text_puts(out, denominator(static_cast<long long>(decimals) + 1));
        decimals = to_counter(lookahead);
    } else {
        decimals = to_counter(decimals + lookahead);
    }
    if (has_fraction) {
        text_puts(out, WHOLE);
        fraction_pending = true;
    }
    text_puts(out, NUMBER_END);
    return consumed;
}
