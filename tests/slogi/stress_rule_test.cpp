// The stress rule for words without a mark: its fixed parts, and the learned
// ending table as it is built into the program.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "case_table.h"
#include "harness.h"
#include "slogi/stress_rule.h"

namespace {

using harness::cp1251;

// The word with the stress mark put after the vowel the rule gives.
std::string stressed(const std::string& utf8_word)
{
    std::string w = cp1251(utf8_word);
    const int at = stressed_vowel_at(reinterpret_cast<const unsigned char*>(w.data()), w.size());
    if (at >= 0)
        w.insert(static_cast<std::size_t>(at) + 1, 1, '\xB4');
    return harness::utf8(w);
}

TEST(StressRule, CaseTable)
{
    int rows = 0;
    for (const CaseRow& row : case_table("slogi/stress_rule.cases")) {
        ++rows;
        EXPECT_EQ(stressed(harness::utf8(row.field.at(0))), harness::utf8(row.field.at(1))) << row.where;
    }
    EXPECT_GT(rows, 20);
}

// The table is what the lookup needs: sorted by bytes, each ending of 1 to 4
// small letters once, each syllable a plausible one; and big enough to be a
// learned one.
TEST(StressRule, TableIsSortedAndSound)
{
    std::size_t count = 0;
    const StressEnding* table = stress_endings(count);
    EXPECT_GT(count, 100u);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view e(table[i].letters);
        EXPECT_GE(e.size(), 1u);
        EXPECT_LE(e.size(), STRESS_ENDING_MAX);
        EXPECT_GE(table[i].syllable, 1);
        EXPECT_LE(table[i].syllable, 8);
        if (i > 0) {
            EXPECT_LT(std::string_view(table[i - 1].letters), e) << i;
        }
    }
}

}  // namespace
