// Learning the stress rule's table from the marked words of the dictionary.
#include "stress_table.h"

#include <algorithm>
#include <cstdio>

#include "common/format_text.h"
#include "letters.h"

namespace {

constexpr std::size_t ENDING_MAX = 4;

int syllables(const std::string& letters)
{
    return static_cast<int>(std::count_if(letters.begin(), letters.end(),
                                          [](char c) { return is_vowel_letter(static_cast<unsigned char>(c)); }));
}

}  // namespace

bool stress_sample(const std::string& marked, StressSample& out)
{
    out = StressSample{};
    int vowels_after = -1;  // vowels after the marked one
    for (std::size_t i = 0; i < marked.size(); ++i) {
        const auto c = static_cast<unsigned char>(marked[i]);
        if (is_stress_mark(c)) {
            if (vowels_after >= 0 || out.letters.empty() ||
                !is_vowel_letter(static_cast<unsigned char>(out.letters.back())))
                return false;
            vowels_after = 0;
            continue;
        }
        if (!is_small_letter(c) || c == L_YO)
            return false;
        if (vowels_after >= 0 && is_vowel_letter(c))
            ++vowels_after;
        out.letters += static_cast<char>(c);
    }
    if (vowels_after < 0 || syllables(out.letters) < 2)
        return false;
    out.syllable = vowels_after + 1;
    return true;
}

StressTable learn_stress_table(const std::vector<StressSample>& samples, long long min_words)
{
    // ending -> syllable -> words
    std::vector<std::map<std::string, std::map<int, long long>>> tally(ENDING_MAX + 1);
    for (const StressSample& s : samples)
        for (std::size_t len = 1; len <= ENDING_MAX && len <= s.letters.size(); ++len)
            ++tally[len][s.letters.substr(s.letters.size() - len)][s.syllable];
    StressTable table;
    std::map<std::string, int> given;  // what every ending with enough words gives
    for (std::size_t len = 1; len <= ENDING_MAX; ++len)
        for (const auto& [ending, counts] : tally[len]) {
            long long total = 0, best_count = 0;
            int best = STRESS_FALLBACK;
            for (const auto& [syllable, count] : counts) {
                total += count;
                if (count > best_count) {
                    best_count = count;
                    best = syllable;
                }
            }
            if (total < min_words)
                continue;
            int shorter = STRESS_FALLBACK;
            for (std::size_t k = len - 1; k >= 1; --k)
                if (const auto it = given.find(ending.substr(ending.size() - k)); it != given.end()) {
                    shorter = it->second;
                    break;
                }
            given[ending] = best;
            if (best != shorter)
                table.endings[ending] = best;
        }
    return table;
}

int table_syllable(const StressTable& table, const std::string& letters)
{
    int syllable = STRESS_FALLBACK;
    for (std::size_t len = std::min(ENDING_MAX, letters.size()); len >= 1; --len)
        if (const auto it = table.endings.find(letters.substr(letters.size() - len)); it != table.endings.end()) {
            syllable = it->second;
            break;
        }
    return std::clamp(syllable, 1, std::max(1, syllables(letters)));
}

std::string stress_table_source(const StressTable& table)
{
    std::string out;
    char buf[16];
    for (const auto& [ending, syllable] : table.endings) {
        out += "{\"";
        for (const char c : ending) {
            std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(c));
            out += buf;
        }
        std::snprintf(buf, sizeof buf, "\", %d},\n", syllable);
        out += buf;
    }
    return out;
}
