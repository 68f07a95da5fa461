// dictgen: the default replace.txt, made from espeak-ng's Russian phonemes.
//
//   dictgen --forms FILE [--text FILE]... [--festvox FILE] [--hand FILE] --out FILE
//           [--stress-table FILE]
//
// Every source goes through the program's own first stage, so the words are
// the ones the dictionary pass will meet (numbers and signs spoken, letters
// small); the words that stage makes of numbers, signs and Latin letters are
// a source of their own.
// --forms: word forms, one a line (UTF-8; unmunch's expansion of hunspell-ru).
// --text: texts whose words rank the forms and are all given entries (UTF-8).
// --festvox: the speech corpus's sentence list; sentences whose number ends
//   in 0 are kept for measuring and never read.
// --hand: the hand-written dictionary whose entries are kept where the
//   generated ones do not take their keys.
// Every word the texts use is checked afterwards through the dictionary pass
// itself; a word it would say otherwise than espeak-ng gets its own entry.
// --stress-table: the stress rule's ending table (lines of a C++ array
// initialiser), learned from the words the finished dictionary leaves
// without a stress mark, as the syllable marker meets them.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include <unistd.h>

#include <cstdlib>

#include "common/cp1251.h"
#include "common/settings.h"
#include "firstread/firstread.h"
#include "compact.h"
#include "letters.h"
#include "phonemize.h"
#include "secondread/secondread.h"
#include "spoken.h"
#include "stress_table.h"
#include "vokdar_dict.h"

namespace {

constexpr std::size_t WORD_MAX = 40;  // longer words are left to the rules

bool read_file(const std::string& name, std::string& out)
{
    std::ifstream in(name, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

// The festvox-ru sentence list without the sentences kept for measuring.
std::string festvox_training_text(const std::string& data)
{
    std::string out;
    std::istringstream in(data);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t id = line.find("ru_");
        const std::size_t quote = line.find('"');
        if (id == std::string::npos || quote == std::string::npos || quote < id + 4)
            continue;
        std::size_t end = id + 3;
        while (end < line.size() && line[end] >= '0' && line[end] <= '9')
            ++end;
        if (end == id + 3 || line[end - 1] == '0')
            continue;  // kept for measuring
        std::string sentence = line.substr(quote + 1);
        // "+" marks the stressed vowel inside a word.
        std::string plain;
        for (const char c : sentence)
            if (c != '+')
                plain += c;
        out += plain;
        out += '\n';
    }
    return out;
}

// What the first stage makes of a text: text.tmp up to its end marker, made
// in memory. Empty when the stage fails.
std::string firstread_of(const std::string& text)
{
    std::string in_bytes = text;
    std::string out;
    TextFile in, tmp;
    text_open_memory(in, in_bytes, "r");
    text_choose_input(in);
    text_open_memory(tmp, out, "w");
    if (Firstread(in, tmp, FirstreadSettings{}).status != FirstreadStatus::done)
        return std::string();
    text_close(tmp);
    const std::size_t end = out.find('`');
    if (end != std::string::npos)
        out.resize(end);
    return out;
}

// The words of text.tmp: the runs between delimiters made only of small letters.
template <typename Each>
void each_stage_word(const std::string& text, Each each)
{
    std::string w;
    bool letters_only = true;
    auto end_word = [&] {
        if (letters_only && w.size() >= 2 && w.size() <= WORD_MAX)
            each(w);
        w.clear();
        letters_only = true;
    };
    for (const char c : text) {
        if (std::strchr(" ,.-~\n?!:;", c) != nullptr) {
            end_word();
            continue;
        }
        if (!is_small_letter(static_cast<unsigned char>(c)))
            letters_only = false;
        w += c;
    }
    end_word();
}

// A text of numbers, signs and lone Latin letters, for the words the first
// stage says them with.
std::string numbers_and_signs()
{
    std::string t;
    for (int n = 0; n <= 2100; ++n)
        t += std::to_string(n) + ", ";
    for (int n = 2200; n <= 10000; n += 100)
        t += std::to_string(n) + ", ";
    for (long long p = 10; p <= 1000000000LL; p *= 10)
        for (int m : {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 15, 20, 25, 50})
            t += std::to_string(m * p) + ", ";
    t += "0.5, 1.5, 2.25, 3.125, 10.75, 0,1, 1,01, 12,5.\n";
    for (char c = '!'; c <= '~'; ++c)
        if (!(c >= '0' && c <= '9') && c != '`') {
            t += c;
            t += ' ';
        }
    t += "\n";
    return t;
}

// The entry lines of a dictionary, up to its end line.
std::vector<Entry> read_entries(const std::string& text)
{
    std::vector<Entry> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::size_t s = 0;
        while (s < line.size() && line[s] == ' ')
            ++s;
        line = line.substr(s);
        if (line.empty())
            continue;
        if (line[0] == '$')
            break;
        const std::size_t k = line.find_first_of("_%!$");
        if (k == std::string::npos || k == 0)
            continue;
        const std::size_t r = line.find('!', k + 1);
        if (r == std::string::npos)
            continue;
        Entry e;
        e.key = line.substr(0, k);
        e.kind = line[k];
        e.replacement = line.substr(k + 1, r - k - 1);
        out.push_back(e);
    }
    return out;
}

// The text after the end line of a dictionary.
std::string notes_of(const std::string& text)
{
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == '$') {
            const std::size_t nl = text.find('\n', at);
            return nl == std::string::npos ? std::string() : text.substr(nl + 1);
        }
        const std::size_t nl = text.find('\n', at);
        if (nl == std::string::npos)
            break;
        at = nl + 1;
    }
    return std::string();
}

// What the dictionary pass makes of each word said alone (with a space after it).
std::vector<std::string> pass_words(const std::string& dictionary_file, const std::vector<std::string>& words)
{
    std::vector<std::string> out;
    DictionaryPtr dictionary;
    if (dictionary_open(dictionary_file.c_str(), dictionary) != DictionaryOpen::opened)
        return out;
    dictionary_keep_stress(*dictionary, true);
    for (const std::string& w : words)
        out.push_back(respell_word(*dictionary, w));
    return out;
}

bool write_file(const std::string& name, const std::string& bytes)
{
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// Entries the checker finds that never take effect (an earlier entry takes
// every tail they match) are left out; the file is written as it then stands.
bool drop_entries_that_never_win(std::vector<Entry>& entries, const std::string& notes, const std::string& name)
{
    for (;;) {
        sort_entries(entries);
        if (!write_file(name, dictionary_text(entries, notes))) {
            std::fprintf(stderr, "dictgen: %s cannot be written\n", name.c_str());
            return false;
        }
        char* report = nullptr;
        std::size_t size = 0;
        std::FILE* out = open_memstream(&report, &size);
        if (out == nullptr)
            return false;
        const int status = dict_check(name.c_str(), out);
        std::fclose(out);
        const std::string text(report, size);
        std::free(report);
        if (status == DICT_CLEAN)
            return true;
        std::set<std::size_t> dropped;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            const std::size_t colon = line.find(':', name.size());
            if (line.compare(0, name.size(), name) != 0 || colon != name.size())
                continue;
            const std::size_t number = std::strtoul(line.c_str() + colon + 1, nullptr, 10);
            if (line.find(": never wins:") != std::string::npos || line.find(": duplicate key") != std::string::npos)
                if (number >= 1 && number <= entries.size())
                    dropped.insert(number - 1);
        }
        if (dropped.empty()) {
            std::fprintf(stderr, "dictgen: the checker finds problems in %s:\n%s", name.c_str(), text.c_str());
            return false;
        }
        std::vector<Entry> kept;
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (dropped.count(i) == 0)
                kept.push_back(entries[i]);
        entries.swap(kept);
    }
}

// The sources' words used this often at least get an entry of their own
// where the pass would miss only their stress (the rule for words without a
// mark is right for most of the others); rarer ones only where it would miss
// their letters, so that the dictionary stays in the pass's memory.
constexpr long long STRESS_ENTRY_SEEN_MIN = 3;

bool said_wrongly(const std::string& said, const std::string& expected, long long seen)
{
    if (without_stress(said) != without_stress(expected))
        return true;
    return seen >= STRESS_ENTRY_SEEN_MIN && said != expected;
}

// The words the dictionary leaves without a stress mark are stressed by the
// rule: its table is learned from them (the letters the pass leaves, the
// syllable espeak-ng stresses), every tenth held out to measure it and the
// plain rules by, and written as lines of a C++ array initialiser.
constexpr std::size_t HOLD_OUT_EVERY = 10;
constexpr long long STRESS_ENDING_WORDS_MIN = 20;

void report_stress(const char* rule, long long right, std::size_t total)
{
    std::fprintf(stderr, "dictgen: stress by %-30s %6.2f%% of %zu held-out words\n", rule,
                 total > 0 ? 100.0 * static_cast<double>(right) / static_cast<double>(total) : 0.0, total);
}

bool write_stress_table(const std::vector<WordData>& words, const std::string& dictionary_file, const std::string& name)
{
    std::vector<std::string> asked;
    std::vector<const WordData*> of;
    for (const WordData& d : words)
        if (d.spelling.ok && letter_vowel_classes(d.word).size() >= 2) {
            asked.push_back(d.word);
            of.push_back(&d);
        }
    const std::vector<std::string> said = pass_words(dictionary_file, asked);
    if (said.size() != asked.size())
        return false;
    std::vector<StressSample> learn, held;
    std::size_t marked = 0;
    for (std::size_t i = 0; i < said.size(); ++i) {
        StressSample s, plain;
        if (stress_sample(said[i], s)) {
            ++marked;
            continue;
        }
        if (!stress_sample(of[i]->spelling.joined(), s) || letter_vowel_classes(said[i]).size() != letter_vowel_classes(s.letters).size())
            continue;
        s.letters = said[i];
        (i % HOLD_OUT_EVERY == 0 ? held : learn).push_back(s);
    }
    const StressTable measured = learn_stress_table(learn, STRESS_ENDING_WORDS_MIN);
    long long by_table = 0, penultimate = 0, first = 0, last = 0;
    for (const StressSample& s : held) {
        const int syllables = static_cast<int>(letter_vowel_classes(s.letters).size());
        by_table += table_syllable(measured, s.letters) == s.syllable;
        penultimate += std::min(2, syllables) == s.syllable;
        first += s.syllable == syllables;
        last += s.syllable == 1;
    }
    std::vector<StressSample> all = learn;
    all.insert(all.end(), held.begin(), held.end());
    const StressTable table = learn_stress_table(all, STRESS_ENDING_WORDS_MIN);
    std::fprintf(stderr, "dictgen: %zu words of two syllables or more: %zu stressed by the dictionary, %zu by the rule "
                 "(without \"ё\"); the rule's table has %zu endings\n",
                 asked.size(), marked, learn.size() + held.size(), table.endings.size());
    report_stress("the longest ending (1-4 letters)", by_table, held.size());
    report_stress("the syllable before last", penultimate, held.size());
    report_stress("the first syllable", first, held.size());
    report_stress("the last syllable", last, held.size());
    return write_file(name, "// Made by dictgen (tools/dictgen) with the default dictionary: do not edit.\n" +
                                stress_table_source(table));
}

int usage()
{
    std::fputs("usage: dictgen --forms FILE [--text FILE]... [--festvox FILE] [--hand FILE] --out FILE "
               "[--stress-table FILE]\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string forms_name, festvox_name, hand_name, out_name, stress_table_name;
    std::vector<std::string> text_names;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (i + 1 >= argc)
            return usage();
        const std::string v = argv[++i];
        if (a == "--forms") forms_name = v;
        else if (a == "--text") text_names.push_back(v);
        else if (a == "--festvox") festvox_name = v;
        else if (a == "--hand") hand_name = v;
        else if (a == "--out") out_name = v;
        else if (a == "--stress-table") stress_table_name = v;
        else return usage();
    }
    if (forms_name.empty() || out_name.empty())
        return usage();

    // The words: every form, and how often the texts use each word.
    std::map<std::string, long long> seen;
    std::string data;
    std::vector<std::string> texts;
    for (const std::string& name : text_names) {
        if (!read_file(name, data)) {
            std::fprintf(stderr, "dictgen: %s cannot be read\n", name.c_str());
            return 1;
        }
        texts.push_back(data);
    }
    if (!festvox_name.empty()) {
        if (!read_file(festvox_name, data)) {
            std::fprintf(stderr, "dictgen: %s cannot be read\n", festvox_name.c_str());
            return 1;
        }
        texts.push_back(festvox_training_text(data));
    }
    settings_defaults();
    texts.push_back(numbers_and_signs());
    for (const std::string& t : texts)
        each_stage_word(firstread_of(t), [&](const std::string& w) { ++seen[w]; });
    std::set<std::string> all_words;
    if (!read_file(forms_name, data)) {
        std::fprintf(stderr, "dictgen: %s cannot be read\n", forms_name.c_str());
        return 1;
    }
    each_stage_word(firstread_of(data), [&](const std::string& w) { all_words.insert(w); });
    for (const auto& [w, count] : seen)
        all_words.insert(w);

    if (!phonemizer_start()) {
        std::fputs("dictgen: espeak-ng has no Russian voice\n", stderr);
        return 1;
    }
    std::vector<WordData> words;
    words.reserve(all_words.size());
    std::size_t unspelled = 0;
    for (const std::string& w : all_words) {
        WordData d;
        d.word = w;
        d.spelling = spoken_spelling(w, phonemes_of(w));
        const auto it = seen.find(w);
        d.seen = it == seen.end() ? 0 : it->second;
        if (!d.spelling.ok)
            ++unspelled;
        words.push_back(std::move(d));
    }
    phonemizer_stop();

    CompactStats stats;
    std::vector<Entry> entries = compact_entries(words, stats);
    std::set<std::string> keys;
    for (const Entry& e : entries)
        keys.insert(e.key);

    std::string notes;
    if (!hand_name.empty()) {
        if (!read_file(hand_name, data)) {
            std::fprintf(stderr, "dictgen: %s cannot be read\n", hand_name.c_str());
            return 1;
        }
        // A hand-written whole word that espeak-ng spelled is left to its
        // spelling; the other entries keep their kinds. Ending entries without
        // "*" keep the last word of a text (which has no delimiter) from the
        // endings that stand for a word and its delimiter, so they go first.
        std::set<std::string> spelled;
        for (const WordData& d : words)
            if (d.spelling.ok)
                spelled.insert(d.word + "*");
        for (Entry e : read_entries(data)) {
            if ((e.kind == '_' && spelled.count(e.key) != 0) || !keys.insert(e.key).second)
                continue;
            e.group = e.kind == '_' ? 200 : e.key.find('*') == std::string::npos ? 250 : 400;
            entries.push_back(e);
        }
        notes = notes_of(data);
    }
    notes = std::string(cp1251_text<"Этот словарь сделан программой dictgen (tools/dictgen) по фонемам espeak-ng; "
                                     "записи, добавленные сюда вручную, тоже работают.\n">) + notes;

    if (!drop_entries_that_never_win(entries, notes, out_name))
        return 1;

    // Entries for the reduced first vowel of the words nothing above takes,
    // judged by what the pass now makes of every spelled word.
    {
        std::vector<std::string> asked;
        std::vector<std::size_t> at;
        for (std::size_t i = 0; i < words.size(); ++i)
            if (words[i].spelling.ok) {
                asked.push_back(words[i].word);
                at.push_back(i);
            }
        const std::vector<std::string> answers = pass_words(out_name, asked);
        if (answers.size() != asked.size()) {
            std::fprintf(stderr, "dictgen: %s cannot be read back\n", out_name.c_str());
            return 1;
        }
        std::vector<std::string> said(words.size());
        for (std::size_t j = 0; j < at.size(); ++j)
            said[at[j]] = answers[j];
        for (Entry& e : word_start_entries(words, said, entries, stats))
            if (keys.insert(e.key).second)
                entries.push_back(std::move(e));
    }

    // Every word of the sources through the pass: the ones it says otherwise
    // than espeak-ng get entries of their own, before any stem.
    std::vector<std::string> checked;
    std::vector<std::string> expected;
    std::vector<long long> seen_of;
    for (const WordData& d : words)
        if (d.seen > 0) {
            checked.push_back(d.word);
            expected.push_back(d.spelling.ok ? d.spelling.joined() : d.word);
            seen_of.push_back(d.seen);
        }
    std::size_t fixed = 0;
    for (int round = 0; round < 2; ++round) {
        if (!write_file(out_name, dictionary_text(entries, notes))) {
            std::fprintf(stderr, "dictgen: %s cannot be written\n", out_name.c_str());
            return 1;
        }
        const std::vector<std::string> said = pass_words(out_name, checked);
        if (said.size() != checked.size()) {
            std::fprintf(stderr, "dictgen: %s cannot be read back\n", out_name.c_str());
            return 1;
        }
        std::size_t wrong = 0;
        for (std::size_t i = 0; i < checked.size(); ++i)
            if (said_wrongly(said[i], expected[i], seen_of[i])) {
                ++wrong;
                if (round == 0 && keys.insert(checked[i] + "*").second) {
                    entries.push_back(whole_word_entry(checked[i], expected[i]));
                    ++fixed;
                }
            }
        if (round == 1 && wrong > 0)
            std::fprintf(stderr, "dictgen: %zu words of the sources still said otherwise\n", wrong);
        if (wrong == 0)
            break;
    }
    if (!drop_entries_that_never_win(entries, notes, out_name))
        return 1;
    std::fprintf(stderr,
                 "dictgen: %zu words (%zu from the texts, %zu not spelled), %zu entries: %zu whole words, "
                 "%zu stems, %zu endings, %zu word starts, %zu fixed after the check\n",
                 words.size(), checked.size(), unspelled, entries.size(), stats.whole_words + fixed,
                 stats.stems, stats.endings, stats.word_starts, fixed);
    if (!stress_table_name.empty() && !write_stress_table(words, out_name, stress_table_name)) {
        std::fprintf(stderr, "dictgen: the stress table %s cannot be made\n", stress_table_name.c_str());
        return 1;
    }
    return 0;
}
