// The stress of a word that reaches the syllable marker without a mark.
#include "slogi/stress_rule.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "common/format_text.h"
#include "common/tables.h"

namespace {

// Learned by stressgen (tools/dictgen) from the generated dictionary.
constexpr StressEnding STRESS_ENDINGS[] = {
#include "slogi/stress_endings.inc"
};

// The syllable counted from the end a word stresses when no listed ending
// says otherwise.
constexpr int DEFAULT_SYLLABLE = 2;

// Words of one syllable that lean on the word after or before them and carry
// no stress of their own: prepositions, conjunctions and particles, in the
// order of their bytes.
constexpr std::string_view UNSTRESSED[] = {
    "\xE0",         // а
    "\xE1\xE5\xE7", // без
    "\xE1\xFB",     // бы
    "\xE2\xEE",     // во
    "\xE4\xE0",     // да
    "\xE4\xEB\xFF", // для
    "\xE4\xEE",     // до
    "\xE6\xE5",     // же
    "\xE7\xE0",     // за
    "\xE8",         // и
    "\xE8\xE7",     // из
    "\xEA\xEE",     // ко
    "\xEB\xE8",     // ли
    "\xED\xE0",     // на
    "\xED\xE0\xE4", // над
    "\xED\xE5",     // не
    "\xED\xE8",     // ни
    "\xED\xEE",     // но
    "\xEE",         // о
    "\xEE\xE1",     // об
    "\xEE\xF2",     // от
    "\xEF\xEE",     // по
    "\xEF\xEE\xE4", // под
    "\xEF\xF0\xE8", // при
    "\xEF\xF0\xEE", // про
    "\xF1\xEE",     // со
    "\xF2\xEE",     // то
    "\xF3",         // у
};

bool punctuation(unsigned char c) { return c == ',' || c == '.' || c == '?' || c == '!' || c == ':' || c == ';'; }

// The syllable (from the end) the longest listed ending of the letters gives.
int syllable_by_ending(const unsigned char* letters, std::size_t n)
{
    const auto* begin = std::begin(STRESS_ENDINGS);
    const auto* end = std::end(STRESS_ENDINGS);
    for (std::size_t len = std::min(n, STRESS_ENDING_MAX); len >= 1; --len) {
        const std::string_view ending(reinterpret_cast<const char*>(letters + n - len), len);
        const auto* it = std::lower_bound(begin, end, ending, [](const StressEnding& e, std::string_view s) {
            return std::string_view(e.letters) < s;
        });
        if (it != end && std::string_view(it->letters) == ending)
            return it->syllable;
    }
    return DEFAULT_SYLLABLE;
}

}  // namespace

const StressEnding* stress_endings(std::size_t& count)
{
    count = std::size(STRESS_ENDINGS);
    return STRESS_ENDINGS;
}

int stressed_vowel_at(const unsigned char* word, std::size_t n)
{
    while (n > 0 && punctuation(word[n - 1]))
        --n;
    std::array<std::size_t, 32> vowels{};
    std::size_t count = 0;
    int yo = -1;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = word[i];
        if (!is_small_letter(c))
            return -1;
        if (!is_vowel(c))
            continue;
        if (c == SMALL_YO && yo < 0)
            yo = static_cast<int>(i);
        if (count == vowels.size())
            return -1;  // no word of ours has so many
        vowels[count++] = i;
    }
    if (yo >= 0)
        return yo;
    if (count == 0)
        return -1;
    if (count == 1) {
        const std::string_view w(reinterpret_cast<const char*>(word), n);
        return std::binary_search(std::begin(UNSTRESSED), std::end(UNSTRESSED), w) ? -1 : static_cast<int>(vowels[0]);
    }
    const int from_end = std::clamp(syllable_by_ending(word, n), 1, static_cast<int>(count));
    return static_cast<int>(vowels[count - static_cast<std::size_t>(from_end)]);
}
