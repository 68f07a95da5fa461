// Vowel agreement of the dictionary pass with espeak-ng:
//   vokdar-vowels TEXT_TMP TEXT2_TMP [SHOW]
// For each word of text.tmp that has a vowel, the vowels of the same word in
// text2.tmp are compared by class (а я a, о ё o, у ю u, э е e, и i, ы y) with
// the vowels of espeak-ng's Russian phonemes for the word said alone (the
// phonemes espeak-ng -v ru -q -x gives for the word and a full stop). Prints
// the share of words that agree, and the SHOW (default 25) most frequent
// disagreements.
//
// The phoneme string is cut into espeak-ng's phoneme names, longest first
// (parse_phonemes): "ja", "a#", "u\"", "E2", "tS;", "n_" and the rest are one
// phoneme each. The vowels compared are the phonemes V A a @ o 8 u U e E i I
// y Y and their marked variants. Two further phonemes are not among them:
// "@-", the short schwa espeak-ng puts between a consonant and р or л
// (красный k@-r'Asnyj, встреча fst@-r;'etS;V) and before a word-initial р
// (Россия @-rVs;s;'ija), and "I^", a non-syllabic и. A Russian reader says no
// vowel there, and no spelling could give them without an extra syllable, so
// the first figure leaves them out; the second, printed beside it, counts
// them as vowels too.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "letters.h"
#include "phonemize.h"
#include "spoken.h"

namespace {

bool is_delimiter_byte(char c) { return std::string(" ,.-~\n?!:;").find(c) != std::string::npos; }

std::vector<std::string> words_of(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    std::string text = s.str();
    const std::size_t end = text.find('`');
    if (end != std::string::npos)
        text.resize(end);
    std::vector<std::string> out;
    std::string w;
    for (const char c : text) {
        if (c == '\r')
            continue;
        if (is_delimiter_byte(c)) {
            out.push_back(w);
            w.clear();
        } else {
            w += c;
        }
    }
    out.push_back(w);
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: vokdar-vowels TEXT_TMP TEXT2_TMP [SHOW]\n", stderr);
        return 2;
    }
    const std::vector<std::string> before = words_of(argv[1]);
    const std::vector<std::string> after = words_of(argv[2]);
    if (before.size() != after.size()) {
        std::fprintf(stderr, "vokdar-vowels: %zu words before the pass, %zu after\n", before.size(), after.size());
        return 1;
    }
    const int show = argc > 3 ? std::atoi(argv[3]) : 25;
    if (!phonemizer_start()) {
        std::fputs("vokdar-vowels: espeak-ng has no Russian voice\n", stderr);
        return 1;
    }
    std::map<std::string, std::string> reference;
    std::map<std::pair<std::string, std::string>, long> wrong;
    long counted = 0, agreed = 0, agreed_strictly = 0, marked = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        const std::string& w = before[i];
        // Cyrillic words only: a word the first stage left with other signs
        // in it ("#три") is no Russian word to compare.
        bool letters = !w.empty();
        for (const char c : w)
            letters = letters && is_small_letter(static_cast<unsigned char>(c));
        if (!letters || letter_vowel_classes(w).empty())
            continue;
        auto it = reference.find(w);
        if (it == reference.end())
            it = reference.emplace(w, phonemes_of(w)).first;
        ++counted;
        // A word with "@-" or "I^" can agree by the second count only if its
        // spelling has a vowel its reader does not say.
        if (phoneme_vowel_classes(it->second, true) != phoneme_vowel_classes(it->second))
            ++marked;
        if (letter_vowel_classes(after[i]) == phoneme_vowel_classes(it->second, true))
            ++agreed_strictly;
        if (letter_vowel_classes(after[i]) == phoneme_vowel_classes(it->second))
            ++agreed;
        else
            ++wrong[{w, after[i]}];
    }
    phonemizer_stop();
    const double share = counted ? 100.0 * agreed / counted : 0.0;
    const double strict = counted ? 100.0 * agreed_strictly / counted : 0.0;
    const double reachable = counted ? 100.0 - 100.0 * marked / counted : 0.0;
    std::printf("%ld of %ld words agree: %.1f%% (%.1f%% counting \"@-\" and \"I^\" as vowels, of at most %.1f%%)\n",
                agreed, counted, share, strict, reachable);
    std::vector<std::pair<long, std::pair<std::string, std::string>>> list;
    for (const auto& [pair, n] : wrong)
        list.push_back({n, pair});
    std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (int k = 0; k < show && k < static_cast<int>(list.size()); ++k) {
        const auto& [n, pair] = list[static_cast<std::size_t>(k)];
        std::printf("%5ld  %s -> %s  [%s]\n", n, utf8_of(pair.first).c_str(), utf8_of(pair.second).c_str(),
                    reference[pair.first].c_str());
    }
    return 0;
}
