// Numerals of the everyday reading: cardinals in agreement, ordinals in the
// forms the reading needs, decimal fractions, through the writer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "firstread/everyday/speech.h"
#include "firstread/number_words.h"

// The forms an ordinal number word takes here.
enum class Ordinal {
    nom_m,   // первый
    nom_f,   // первая
    nom_n,   // первое
    gen_m,   // первого
    dat_m,   // первому
    prep_m,  // первом
    obl_f,   // первой
    acc_f,   // первую
    nom_pl,  // первые
    gen_pl,  // первых
};
enum class Gender { masculine, feminine, neuter };
// The case a governing word asks of a cardinal ("от двух", "к трём").
enum class Case { nom, gen, dat, acc, ins, prep };

// Numbers up to 999 999 999 999 in words.
constexpr std::uint64_t NUMBER_LIMIT = 1000000000000ULL;
void say_cardinal(Speech& s, std::uint64_t value, Gender gender = Gender::masculine, Case grammatical_case = Case::nom);
void say_ordinal(Speech& s, std::uint64_t value, Ordinal form);
// Each digit by its name ("ноль ноль семь").
void say_digits(Speech& s, const char* digits, std::size_t n);
// whole and the k digits after the decimal sign: "три целых четырнатцать сотых",
// in case c: "до тридцати восьми целых пяти десятых".
void say_fraction(Speech& s, std::uint64_t whole, const char* digits, std::size_t k, Case c = Case::nom);

// The form of a noun after value (NounForms): after a fraction, the few form.
const char* agree(const NounForms& noun, std::uint64_t value, bool fraction);
// The same in the genitive ("более пяти рублей", "около одного метра"): the
// few form is the genitive singular, the many form the genitive plural.
const char* agree_genitive(const NounForms& noun, std::uint64_t value, bool fraction);
// The same in the dative, instrumental or prepositional case, made from the
// nominative singular of a noun of one word into out: "километрах",
// "рублям", "минутой"; false when it makes none (another case, "евро").
bool agree_oblique(const NounForms& noun, Gender gender, std::uint64_t value, Case c, char* out, std::size_t cap);
