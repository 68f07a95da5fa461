// The voice's inventory: the tokens the real syllable marker cuts, and their file names.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "harness.h"
#include "inventory.h"
#include "slogi/slogi.h"

namespace {

using harness::cp1251;

std::string token_text(const Token& t) { return std::string(reinterpret_cast<const char*>(t.data())); }

std::set<std::string> derived()
{
    TokenList list;
    derive_tokens(list);
    std::set<std::string> s;
    for (std::size_t i = 0; i < list.count; ++i)
        s.insert(token_text(list.token[i]));
    return s;
}

// The tokens of slogi.tmp as the sound stage splits it (at its terminators).
std::set<std::string> tokens_of(const std::string& slogi)
{
    static const std::string TERMINATORS = "+-_~\n,;#:!.?`";
    std::set<std::string> s;
    std::string cur;
    for (char c : slogi) {
        if (c == '\r')
            continue;
        if (TERMINATORS.find(c) != std::string::npos) {
            if (!cur.empty())
                s.insert(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    return s;
}

// Every word of up to three small letters, through the real marker.
TEST(Inventory, TheMarkerCutsEveryDerivedTokenAndOthersOnlyFromUnspelledSigns)
{
    std::string letters = cp1251("ёабвгдежзийклмнопрстуфхцчшщъыьэюя");
    std::string text;
    for (char a : letters) {
        text += std::string(1, a) + ' ';
        for (char b : letters) {
            text += std::string{a, b} + ' ';
            for (char c : letters)
                text += std::string{a, b, c} + ' ';
        }
    }
    harness::TempDir dir;
    dir.write("text2.tmp", text + "`");
    {
        harness::ScopedChdir in(dir.path());
        ASSERT_EQ(Slogi(), 1);
    }
    const auto marked = tokens_of(dir.read("slogi.tmp"));
    const auto inventory = derived();
    // Derived tokens are real: the marker produces each of them.
    for (const auto& t : inventory)
        EXPECT_TRUE(marked.count(t)) << harness::utf8(t);
    // Words without signs give nothing else: whatever the marker cuts beyond
    // the inventory comes from signs Russian does not spell that way ("аь",
    // "бьь", "йь").
    for (const auto& t : marked) {
        if (!inventory.count(t)) {
            EXPECT_NE(t.find_first_of(cp1251("ьъ"), 1), std::string::npos) << harness::utf8(t);
        }
    }
}

TEST(Inventory, HoldsVowelsConsonantsSyllablesAndSoftenedConsonants)
{
    const auto inventory = derived();
    EXPECT_EQ(inventory.size(), 10u + 21u + 210u + 19u + 1u);
    for (const char* t : {"а", "ё", "й", "щ", "ма", "йо", "щи", "жь", "шь", "ть", "ь"})
        EXPECT_TRUE(inventory.count(cp1251(t))) << t;
    // "ь" after "ч" is dropped by the marker; "ъ" becomes a mark.
    for (const char* t : {"чь", "ъ", "йь", "аь", "мъ"})
        EXPECT_FALSE(inventory.count(cp1251(t))) << t;
}

TEST(Inventory, FileNamesFollowTheSoundStagesLetters)
{
    struct Case {
        const char* token;
        const char* name;
    };
    for (const Case& c : {Case{"ма", "ma.pcm"}, Case{"щи", "@i.pcm"}, Case{"жь", "!'.pcm"},
                          Case{"э", "$.pcm"}, Case{"ю", "%.pcm"}, Case{"ё", "~.pcm"},
                          Case{"ыя", "jq.pcm"}, Case{"хц", "hc.pcm"}}) {
        const std::string t = cp1251(c.token);
        std::array<char, NAME_BYTES> name{};
        ASSERT_TRUE(recording_name(reinterpret_cast<const unsigned char*>(t.data()), t.size(), name)) << c.token;
        EXPECT_STREQ(name.data(), c.name) << c.token;
    }
    std::array<char, NAME_BYTES> name{};
    const std::string hard = cp1251("ъ");
    EXPECT_FALSE(recording_name(reinterpret_cast<const unsigned char*>(hard.data()), 1, name));
    const std::string too_long = cp1251("мамамамамам");
    EXPECT_FALSE(recording_name(reinterpret_cast<const unsigned char*>(too_long.data()), too_long.size(), name));
}

}  // namespace
