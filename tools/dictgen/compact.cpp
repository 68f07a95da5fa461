// Building the compact dictionary from the spelled words.
#include "compact.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>

#include "letters.h"

namespace {

// Where an entry stands among those of its first byte.
constexpr int GROUP_WHOLE_WORD = 0;
constexpr int GROUP_STEM = 100;    // minus the stem's length: longer stems first
constexpr int GROUP_ENDING = 300;  // minus the ending's length: longer endings first
constexpr int GROUP_WORD_START = 600;  // after every other entry of the letter
// A word-start entry must bring the words it takes this many letters nearer
// their spoken spelling, and bring this many times as many words nearer as
// it takes further away.
constexpr long long WORD_START_GAIN_MIN = 3;
constexpr long long WORD_START_RATIO = 2;

// The longest ending a stem entry lets its "*" carry, in letters.
constexpr std::size_t STEM_ENDING_MAX = 4;
constexpr std::size_t STEM_MIN = 3;
// The longest learned ending, in letters; the letters an ending leaves
// before it at least; the words (weighted by use) that must share it.
constexpr std::size_t ENDING_MAX = 12;
constexpr std::size_t ENDING_WORD_START = 1;
constexpr long long ENDING_WORDS_MIN = 5;

std::string stars(std::size_t n) { return std::string(n, '*'); }

std::string prefix_spoken(const WordData& w, std::size_t k)
{
    std::string out;
    for (std::size_t i = 0; i < k; ++i)
        out += w.spelling.piece[i];
    return out;
}

std::string suffix_spoken(const WordData& w, std::size_t k)
{
    std::string out;
    for (std::size_t i = k; i < w.word.size(); ++i)
        out += w.spelling.piece[i];
    return out;
}

// A word needs an entry where its letters change; a stress mark alone is
// left to the rule that stresses words without one.
bool needs_entry(const WordData& w) { return w.spelling.ok && without_stress(w.spelling.joined()) != w.word; }

// The words of one length in alphabetical order, for prefix lookups.
struct ByLength {
    std::vector<std::vector<int>> words;
    ByLength(const std::vector<WordData>& all)
    {
        for (std::size_t i = 0; i < all.size(); ++i) {
            const std::size_t n = all[i].word.size();
            if (words.size() <= n)
                words.resize(n + 1);
            words[n].push_back(static_cast<int>(i));
        }
        for (auto& list : words)
            std::sort(list.begin(), list.end(),
                      [&](int a, int b) { return all[static_cast<std::size_t>(a)].word < all[static_cast<std::size_t>(b)].word; });
    }
    template <typename Each>
    void each_with_prefix(const std::vector<WordData>& all, const std::string& prefix, std::size_t length,
                          Each each) const
    {
        if (length >= words.size())
            return;
        const auto& list = words[length];
        auto it = std::lower_bound(list.begin(), list.end(), prefix, [&](int a, const std::string& p) {
            return all[static_cast<std::size_t>(a)].word < p;
        });
        for (; it != list.end(); ++it) {
            const WordData& w = all[static_cast<std::size_t>(*it)];
            if (w.word.compare(0, prefix.size(), prefix) != 0)
                break;
            each(*it);
        }
    }
};

// What a stem entry would do to the words it matches.
struct StemTrial {
    std::vector<int> right;         // words it says as spoken (the stress aside)
    bool same_stress = true;        // and all with the stem's own stress marks
    std::vector<int> seen_wrong;    // words of the sources it would say wrongly
    long long unseen_right = 0;
    long long unseen_wrong = 0;
    bool acceptable() const
    {
        return seen_wrong.size() <= 2 && unseen_right >= 3 * unseen_wrong &&
               right.size() > seen_wrong.size();
    }
};

StemTrial try_stem(const std::vector<WordData>& all, const ByLength& index, const std::string& stem,
                   const std::string& spoken_stem, std::size_t length)
{
    StemTrial t;
    const std::size_t k = stem.size();
    index.each_with_prefix(all, stem, length, [&](int i) {
        const WordData& w = all[static_cast<std::size_t>(i)];
        if (!w.spelling.ok)
            return;
        const std::string prefix = prefix_spoken(w, k);
        const bool right = without_stress(prefix) == without_stress(spoken_stem) &&
                           without_stress(suffix_spoken(w, k)) == w.word.substr(k);
        if (right) {
            t.right.push_back(i);
            t.same_stress = t.same_stress && prefix == spoken_stem;
            if (w.seen == 0)
                ++t.unseen_right;
        } else if (w.seen > 0) {
            t.seen_wrong.push_back(i);
        } else {
            ++t.unseen_wrong;
        }
    });
    return t;
}

// A stem's entry carries its stress mark where every word it says has it.
Entry stem_entry(const std::string& stem, const std::string& spoken_stem, std::size_t length, bool same_stress)
{
    const std::size_t carried = length - stem.size() + 1;  // the ending and the delimiter
    Entry e;
    e.key = stem + stars(carried);
    e.kind = '_';
    e.replacement = (same_stress ? spoken_stem : without_stress(spoken_stem)) + stars(carried);
    e.group = GROUP_STEM - static_cast<int>(stem.size());
    return e;
}

// Endings: for each written ending, the spoken form most words give it, kept
// where it says more words right than the shorter endings already do.
void learn_endings(const std::vector<WordData>& all, std::vector<Entry>& out, CompactStats& stats)
{
    // What the endings kept so far make of an ending.
    std::unordered_map<std::string, std::string> kept;
    auto said = [&](const std::string& ending) {
        for (std::size_t skip = 0; skip < ending.size(); ++skip) {
            const auto it = kept.find(ending.substr(skip));
            if (it != kept.end())
                return ending.substr(0, skip) + it->second;
        }
        return ending;
    };
    // One length at a time, each ending one letter longer than an ending
    // that enough words share: the longer ones reach back into the stem
    // (-ировали, the о of по-, про-, до- after the word's first consonant).
    std::set<std::string> shared;  // endings of the last length that enough words have
    for (std::size_t len = 1; len <= ENDING_MAX; ++len) {
        // ending -> spoken form -> weight
        std::map<std::string, std::map<std::string, long long>> tally;
        for (const WordData& w : all) {
            if (!w.spelling.ok || len + ENDING_WORD_START > w.word.size())
                continue;
            const std::size_t k = w.word.size() - len;
            if (len > 1 && shared.count(w.word.substr(k + 1)) == 0)
                continue;
            tally[w.word.substr(k)][without_stress(suffix_spoken(w, k))] += 1 + w.seen;
        }
        shared.clear();
        for (const auto& [ending, forms] : tally) {
            long long total = 0;
            const std::string* best = nullptr;
            long long best_weight = 0;
            for (const auto& [spoken, weight] : forms) {
                total += weight;
                if (weight > best_weight) {
                    best_weight = weight;
                    best = &spoken;
                }
            }
            if (total < ENDING_WORDS_MIN)
                continue;
            shared.insert(ending);
            const std::string before = said(ending);
            const auto it = forms.find(before);
            const long long before_weight = it == forms.end() ? 0 : it->second;
            if (best == nullptr || *best == before || best_weight - before_weight < 3 || 2 * best_weight < total)
                continue;
            kept[ending] = *best;
            Entry e;
            e.key = ending + "*";
            e.kind = '%';
            e.replacement = *best + "*";
            e.group = GROUP_ENDING - static_cast<int>(len);
            out.push_back(e);
            ++stats.endings;
        }
    }
}

// How far two spellings are apart: the edit distance, a vowel said as
// another counting twice (the vowels are what a listener hears first).
long long letters_apart(const std::string& a, const std::string& b)
{
    auto change = [](unsigned char x, unsigned char y) -> long long {
        if (x == y)
            return 0;
        return vowel_letter_class(x) != 0 && vowel_letter_class(y) != 0 && vowel_letter_class(x) != vowel_letter_class(y) ? 2 : 1;
    };
    std::vector<long long> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = static_cast<long long>(j);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        long long diagonal = row[0];
        row[0] = static_cast<long long>(i);
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const long long up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + change(static_cast<unsigned char>(a[i - 1]), static_cast<unsigned char>(b[j - 1]))});
            diagonal = up;
        }
    }
    return row[b.size()];
}

}  // namespace

Entry whole_word_entry(const std::string& word, const std::string& spoken)
{
    Entry e;
    e.key = word + "*";
    e.kind = '_';
    e.replacement = spoken + "*";
    e.group = GROUP_WHOLE_WORD;
    return e;
}

std::vector<Entry> compact_entries(const std::vector<WordData>& all, CompactStats& stats,
                                   std::size_t entry_budget)
{
    std::vector<Entry> out;
    const ByLength index(all);
    std::vector<char> covered(all.size(), 0);
    std::map<std::pair<std::string, std::size_t>, bool> tried;  // stems already judged

    // The words of the sources, most used first.
    std::vector<int> order;
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i].seen > 0 && needs_entry(all[i]))
            order.push_back(static_cast<int>(i));
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const WordData& x = all[static_cast<std::size_t>(a)];
        const WordData& y = all[static_cast<std::size_t>(b)];
        return x.seen != y.seen ? x.seen > y.seen : x.word < y.word;
    });

    auto add_exception = [&](int i) {
        const WordData& w = all[static_cast<std::size_t>(i)];
        if (covered[static_cast<std::size_t>(i)])
            return;
        covered[static_cast<std::size_t>(i)] = 1;
        out.push_back(whole_word_entry(w.word, w.spelling.joined()));
        ++stats.whole_words;
    };
    // A stem entry accepted: its words are said, the others of the sources it
    // would miss get their own entries before it.
    auto take_stem = [&](const std::string& stem, const std::string& spoken, std::size_t length,
                         const StemTrial& t) {
        out.push_back(stem_entry(stem, spoken, length, t.same_stress));
        ++stats.stems;
        for (int i : t.right)
            covered[static_cast<std::size_t>(i)] = 1;
        for (int i : t.seen_wrong)
            add_exception(i);
    };

    for (int i : order) {
        if (covered[static_cast<std::size_t>(i)])
            continue;
        const WordData& w = all[static_cast<std::size_t>(i)];
        const std::size_t n = w.word.size();
        std::size_t last_change = 0;
        for (std::size_t j = 0; j < n; ++j)
            if (without_stress(w.spelling.piece[j]) != std::string(1, w.word[j]))
                last_change = j + 1;
        bool done = false;
        const std::size_t from = std::max({last_change, STEM_MIN, n > STEM_ENDING_MAX ? n - STEM_ENDING_MAX : 0});
        for (std::size_t k = from; k < n && !done; ++k) {
            const std::string stem = w.word.substr(0, k);
            if (!tried.emplace(std::make_pair(stem, n), true).second)
                continue;
            const std::string spoken = prefix_spoken(w, k);
            const StemTrial t = try_stem(all, index, stem, spoken, n);
            if (!t.acceptable())
                continue;
            take_stem(stem, spoken, n, t);
            done = true;
            // The same stem for the word's other forms, where it holds for them too.
            for (std::size_t other = k + 1; other <= k + STEM_ENDING_MAX; ++other) {
                if (other == n || !tried.emplace(std::make_pair(stem, other), true).second)
                    continue;
                const StemTrial u = try_stem(all, index, stem, spoken, other);
                if (u.acceptable() && u.right.size() >= 2)
                    take_stem(stem, spoken, other, u);
            }
        }
        if (!done)
            add_exception(i);
    }

    // Then the forms no source used, while there is room: the stems that
    // say the most of them right first.
    struct Candidate {
        std::string stem, spoken;
        std::size_t length = 0;
        std::size_t right = 0;
        bool same_stress = true;
    };
    std::vector<Candidate> candidates;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const WordData& w = all[i];
        if (covered[i] || w.seen > 0 || !needs_entry(w))
            continue;
        const std::size_t n = w.word.size();
        std::size_t last_change = 0;
        for (std::size_t j = 0; j < n; ++j)
            if (without_stress(w.spelling.piece[j]) != std::string(1, w.word[j]))
                last_change = j + 1;
        const std::size_t from = std::max({last_change, STEM_MIN, n > STEM_ENDING_MAX ? n - STEM_ENDING_MAX : 0});
        for (std::size_t k = from; k < n; ++k) {
            const std::string stem = w.word.substr(0, k);
            if (!tried.emplace(std::make_pair(stem, n), true).second)
                continue;
            const std::string spoken = prefix_spoken(w, k);
            const StemTrial t = try_stem(all, index, stem, spoken, n);
            if (!t.acceptable() || t.right.size() < 2 || !t.seen_wrong.empty())
                continue;
            for (int r : t.right)
                covered[static_cast<std::size_t>(r)] = 2;  // spoken for, not yet taken
            candidates.push_back({stem, spoken, n, t.right.size(), t.same_stress});
            break;
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return a.right != b.right ? a.right > b.right : std::tie(a.stem, a.length) < std::tie(b.stem, b.length);
    });
    for (const Candidate& c : candidates) {
        if (out.size() >= entry_budget)
            break;
        out.push_back(stem_entry(c.stem, c.spoken, c.length, c.same_stress));
        ++stats.stems;
    }
    learn_endings(all, out, stats);
    return out;
}

std::vector<Entry> word_start_entries(const std::vector<WordData>& all, const std::vector<std::string>& said,
                                      const std::vector<Entry>& entries, CompactStats& stats)
{
    // The whole-word and stem entries: their letters before the first "*",
    // with the length of their key.
    std::set<std::pair<std::string, std::size_t>> taken;
    for (const Entry& e : entries)
        if (e.kind == '_') {
            const std::size_t star = e.key.find('*');
            const std::string letters = e.key.substr(0, star);
            if (star == std::string::npos || e.key.find_first_not_of('*', star) == std::string::npos)
                taken.insert({letters, e.key.size()});
        }
    // The words each start through the first vowel and length would take:
    // those of that start and length that no whole-word or stem entry takes.
    std::map<std::pair<std::string, std::size_t>, std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const WordData& w = all[i];
        if (!w.spelling.ok || said[i].empty())
            continue;
        const std::size_t n = w.word.size();
        std::size_t k = 0;
        while (k < n && !is_vowel_letter(static_cast<unsigned char>(w.word[k])))
            ++k;
        if (k + 2 >= n)
            continue;
        ++k;
        bool free = true;
        for (std::size_t j = 1; j <= n && free; ++j)
            free = taken.count({w.word.substr(0, j), n + 1}) == 0;
        if (free)
            groups[{w.word.substr(0, k), n}].push_back(i);
    }
    // An entry saying the start otherwise is judged by how near each word it
    // takes comes to its spoken spelling, letter for letter, against what
    // the entries before it make of the word: it undoes the changes of the
    // ending entries (-тся, -ого) on the words it takes.
    std::vector<Entry> out;
    for (const auto& [key, members] : groups) {
        const auto& [start, n] = key;
        std::set<std::string> candidates;
        for (const std::size_t i : members)
            if (without_stress(prefix_spoken(all[i], start.size())) != start)
                candidates.insert(without_stress(prefix_spoken(all[i], start.size())));
        const std::string* best = nullptr;
        long long best_gain = 0;
        for (const std::string& spoken_start : candidates) {
            long long gain = 0, better = 0, worse = 0;
            for (const std::size_t i : members) {
                const WordData& w = all[i];
                const std::string spoken = without_stress(w.spelling.joined());
                const long long before = letters_apart(without_stress(said[i]), spoken);
                const long long after = letters_apart(spoken_start + w.word.substr(start.size()), spoken);
                if (after < before && w.seen == 0) {
                    gain += before - after;
                    ++better;
                } else if (after > before) {
                    gain -= after - before;
                    ++worse;
                }
            }
            if (gain >= WORD_START_GAIN_MIN && better >= WORD_START_RATIO * worse && gain > best_gain) {
                best = &spoken_start;
                best_gain = gain;
            }
        }
        if (best == nullptr)
            continue;
        Entry e;
        e.key = start + stars(n + 1 - start.size());
        e.kind = '_';
        e.replacement = *best + stars(n + 1 - start.size());
        e.group = GROUP_WORD_START;
        out.push_back(e);
        ++stats.word_starts;
    }
    return out;
}

void sort_entries(std::vector<Entry>& entries)
{
    auto order_of = [](const Entry& e) { return static_cast<int>(static_cast<signed char>(e.key[0])); };
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        if (order_of(a) != order_of(b))
            return order_of(a) < order_of(b);
        if (a.group != b.group)
            return a.group < b.group;
        return a.key < b.key;
    });
}

std::string dictionary_text(std::vector<Entry> entries, const std::string& notes)
{
    sort_entries(entries);
    std::string out;
    for (const Entry& e : entries) {
        out += e.key;
        out += e.kind;
        out += e.replacement;
        out += "!\n";
    }
    out += "$\n";
    out += notes;
    return out;
}
