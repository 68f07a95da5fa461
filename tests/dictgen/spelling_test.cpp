// Spoken spelling from espeak-ng's phonemes on real words, and the vowel
// classes the benchmark compares.
#include <gtest/gtest.h>

#include "case_table.h"
#include "harness.h"
#include "spoken.h"

namespace {

using harness::utf8;

TEST(Spelling, RealWordsSpelledFromTheirPhonemes)
{
    int rows = 0;
    for (const CaseRow& row : case_table("dictgen/spelling.cases")) {
        ASSERT_EQ(row.field.size(), 4u) << row.where;
        ++rows;
        const Spelling s = spoken_spelling(row.field[1], row.field[2]);
        if (row.field[3] == "-") {
            EXPECT_FALSE(s.ok) << row.where << ": " << utf8(s.joined());
            continue;
        }
        ASSERT_TRUE(s.ok) << row.where;
        EXPECT_EQ(utf8(s.joined()), utf8(row.field[3])) << row.where;
        // One piece a letter, so stems and endings can be cut anywhere.
        EXPECT_EQ(s.piece.size(), row.field[1].size()) << row.where;
        // The spelling says espeak-ng's vowels.
        EXPECT_EQ(letter_vowel_classes(s.joined()), phoneme_vowel_classes(row.field[2])) << row.where;
    }
    EXPECT_GT(rows, 20);
}

TEST(Spelling, PiecesFollowTheLetters)
{
    // "город": г о р о д -> г о´ р а т, the stress mark with its vowel
    const Spelling s = spoken_spelling(harness::cp1251("город"), "g'orVt");
    ASSERT_TRUE(s.ok);
    const std::vector<std::string> want{"г", "о´", "р", "а", "т"};
    ASSERT_EQ(s.piece.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(utf8(s.piece[i]), want[i]) << i;
    // A letter espeak-ng does not say is an empty piece: "-ться" as "ца".
    const Spelling t = spoken_spelling(harness::cp1251("учиться"), "utS;'itsV");
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(utf8(t.joined()), "учи´ца");
    // A word of one syllable carries no mark.
    EXPECT_EQ(utf8(spoken_spelling(harness::cp1251("дом"), "d'om").joined()), "дом");
}

TEST(Spelling, VowelClassesOfLettersAndPhonemes)
{
    EXPECT_EQ(letter_vowel_classes(harness::cp1251("аяоёуюэеиыйьбъ")), "aaoouueeiy");
    // V A a @ o 8 u U e E i I y Y; "#", ";" and stress marks are no vowels.
    EXPECT_EQ(phoneme_vowel_classes("VAa@o8uUeEiIyY"), "aaaaoouueeiiyy");
    EXPECT_EQ(phoneme_vowel_classes("l;'est;n;itsa#"), "eia");
    // The inserted schwa and the final glide make no syllable...
    EXPECT_EQ(phoneme_vowel_classes("p@-rVg@-r'Am"), "aa");
    EXPECT_EQ(phoneme_vowel_classes("t;ip;'erI^"), "ie");
    // ...unless every vowel phoneme is asked for.
    EXPECT_EQ(phoneme_vowel_classes("p@-rVg@-r'Am", true), "aaaa");
    EXPECT_EQ(phoneme_vowel_classes("t;ip;'erI^", true), "iei");
    // Names of several characters are one phoneme each: the iotated vowels,
    // the marked ones ("E#", "u\"", "a#") and "n_", the n before a pause.
    EXPECT_EQ(phoneme_vowel_classes("as;imm;'et@-r;ija"), "aieia");
    EXPECT_EQ(phoneme_vowel_classes("l;iz;'u\"E2r"), "iue");
    EXPECT_EQ(phoneme_vowel_classes("Int;E#rnVtsy'onVl;in_"), "ieayoai");
    EXPECT_EQ(phoneme_vowel_classes("jidZ'Era#"), "iea");
    EXPECT_EQ(phoneme_vowel_classes("tv;'8@-*dyjzn'Ak", true), "oaya");
}

TEST(Spelling, PhonemeNamesCutLongestFirst)
{
    auto symbols = [](const std::string& ph) {
        std::string out;
        for (const Sound& s : parse_phonemes(ph)) {
            out += s.kind == Sound::CONSONANT ? s.symbol : std::string(s.kind == Sound::VOWEL ? "" : "^") + s.vowel_class;
            out += s.soft ? ";" : "";
            out += ' ';
        }
        return out;
    };
    EXPECT_EQ(symbols("Vt@-r;itS;'en;ijI"), "a t ^a r; i tS; e n; i j i ");
    EXPECT_EQ(symbols("p'odZ;va#"), "p o d; Z; v a ");
    EXPECT_EQ(symbols("navj'jutS;innym;I"), "n a v j j u tS; i n n y m; i ");
    EXPECT_EQ(symbols("sjj'ed;innVvV"), "s j e d; i n n a v a ");
    EXPECT_EQ(symbols("'EZyn_"), "e Z y n ");
    EXPECT_EQ(symbols("vVvn'ut@-rI^"), "v a v n u t ^a r ^i ");
}

}  // namespace
