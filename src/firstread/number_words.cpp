// The number words of the first stage, written in UTF-8 and stored as code
// page 1251 at compile time.
#include "firstread/number_words.h"

#include "common/cp1251.h"

#define W(text) cp1251_text<text>

const char* const UNIT_WORDS[10] = {
    W("ноль"), W("один"), W("два"), W("три"), W("четыре"), W("пять"), W("шесть"), W("семь"), W("восемь"), W("девять"),
};
const char* const TEEN_WORDS[10] = {
    W("десять"),     W("одинатцать"), W("двенатцать"), W("тринатцать"),   W("четырнатцать"),
    W("пятнатцать"), W("шеснатцать"), W("семнатцать"), W("восемнатцать"), W("девятнатцать"),
};
const char* const TEN_WORDS[10] = {
    nullptr,       W("десять"),     W("двацать"),     W("трицать"),     W("сорок"),
    W("пятдесят"), W("шестьдесят"), W("семьдесят"),   W("восемьдесят"), W("девяносто"),
};
const char* const HUNDRED_WORDS[10] = {
    nullptr,     W("сто"),   W("двести"), W("тристо"),   W("четыресто"),
    W("пятцот"), W("шесот"), W("семсот"), W("восемсот"), W("девятцот"),
};
const char* const ONE_FEMININE = W("одна");
const char* const TWO_FEMININE = W("две");
const char* const ONE_NEUTER = W("одно");

const NounForms GROUP_NOUNS[3] = {
    {W("тысяча"), W("тысячи"), W("тысяч")},
    {W("милион"), W("милиона"), W("милионов")},
    {W("милиард"), W("милиарда"), W("милиардов")},
};

using enum OrdinalFamily;

const OrdinalStem ORDINAL_UNITS[10] = {
    {W("нулев"), stressed}, {W("перв"), hard},     {W("втор"), stressed},  {W("трет"), soft},
    {W("четвёрт"), hard},   {W("пят"), hard},      {W("шест"), stressed},  {W("седьм"), stressed},
    {W("восьм"), stressed}, {W("девят"), hard},
};
const OrdinalStem ORDINAL_TEENS[10] = {
    {W("десят"), hard},       {W("одинатцат"), hard},   {W("двенатцат"), hard},  {W("тринатцат"), hard},
    {W("четырнатцат"), hard}, {W("пятнатцат"), hard},   {W("шеснатцат"), hard},  {W("семнатцат"), hard},
    {W("восемнатцат"), hard}, {W("девятнатцат"), hard},
};
const OrdinalStem ORDINAL_TENS[10] = {
    {"", hard},                {W("десят"), hard},       {W("двацат"), hard},     {W("трицат"), hard},
    {W("сороков"), stressed},  {W("пятидесят"), hard},   {W("шестидесят"), hard}, {W("семидесят"), hard},
    {W("восьмидесят"), hard},  {W("девяност"), hard},
};
const OrdinalStem ORDINAL_HUNDREDS[10] = {
    {"", hard},              {W("сот"), hard},       {W("двухсот"), hard},  {W("трёхсот"), hard},
    {W("четырёхсот"), hard}, {W("пятисот"), hard},   {W("шестисот"), hard}, {W("семисот"), hard},
    {W("восьмисот"), hard},  {W("девятисот"), hard},
};
const char* const JOINED_COUNTS[10] = {
    "", "", W("двух"), W("трёх"), W("четырёх"), W("пяти"), W("шести"), W("семи"), W("восьми"), W("девяти"),
};
const char* const GROUP_ORDINALS[3] = {W("тысячн"), W("милионн"), W("милиардн")};

// ый ая ое ого ому ом ой ую ые ых
const char* const ORDINAL_ENDINGS[3][ORDINAL_FORMS] = {
    {W("ый"), W("ая"), W("ое"), W("ого"), W("ому"), W("ом"), W("ой"), W("ую"), W("ые"), W("ых")},
    {W("ой"), W("ая"), W("ое"), W("ого"), W("ому"), W("ом"), W("ой"), W("ую"), W("ые"), W("ых")},
    {W("ий"), W("ья"), W("ье"), W("ьего"), W("ьему"), W("ьем"), W("ьей"), W("ью"), W("ьи"), W("ьих")},
};

#undef W
