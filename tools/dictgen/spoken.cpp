// Spelling a word again from espeak-ng's phonemes, letter by letter.
#include "spoken.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "common/format_text.h"
#include "letters.h"

namespace {

bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The consonant sounds espeak-ng may give each consonant letter; a letter
// said as one of them costs nothing in the pairing.
bool letter_allows(unsigned char letter, const Sound& s)
{
    const std::string& y = s.symbol;
    auto any = [&](std::initializer_list<const char*> list) {
        for (const char* x : list)
            if (y == x)
                return true;
        return false;
    };
    switch (letter) {
    case L_B: return any({"b", "p"});
    case L_V: return any({"v", "f"});
    case L_G: return any({"g", "k", "x", "v", "Q"});
    case L_D: return any({"d", "t", "ts", "tS"});
    case L_ZH: return any({"Z", "S"});
    case L_Z: return any({"z", "s", "S", "Z"});
    case L_J: return any({"j"});
    case L_K: return any({"k", "g", "x"});
    case L_L: return any({"l"});
    case L_M: return any({"m"});
    case L_N: return any({"n"});
    case L_P: return any({"p", "b"});
    case L_R: return any({"r"});
    case L_S: return any({"s", "z", "S", "Z"});
    case L_T: return any({"t", "d", "ts", "tS"});
    case L_F: return any({"f", "v"});
    case L_H: return any({"x", "g"});
    case L_TS: return any({"ts"});
    case L_CH: return any({"tS", "S"});
    case L_SH: return any({"S", "Z"});
    case L_SHCH: return any({"S"});
    default: return false;
    }
}

// The letter that spells a consonant sound; 0 for a sound without one.
unsigned char consonant_letter(const Sound& s)
{
    const std::string& y = s.symbol;
    if (y == "ts") return L_TS;
    if (y == "tS") return L_CH;
    if (y == "S") return s.soft ? L_SHCH : L_SH;
    if (y == "Z") return L_ZH;
    if (y.size() != 1) return 0;
    switch (y[0]) {
    case 'p': return L_P;
    case 'b': return L_B;
    case 't': return L_T;
    case 'd': return L_D;
    case 'k': return L_K;
    case 'g': return L_G;
    case 'f': return L_F;
    case 'v': return L_V;
    case 's': return L_S;
    case 'z': return L_Z;
    case 'x': return L_H;
    case 'l': return L_L;
    case 'm': return L_M;
    case 'n': return L_N;
    case 'r': return L_R;
    case 'j': return L_J;
    default: return 0;
    }
}

constexpr double NEVER = std::numeric_limits<double>::infinity();

double pair_cost(unsigned char letter, const Sound& s)
{
    if (is_vowel_letter(letter))
        return s.kind == Sound::VOWEL ? 0.0 : NEVER;
    if (s.kind != Sound::CONSONANT)
        return NEVER;
    if (letter == L_SOFT || letter == L_HARD || letter == L_J)
        return s.symbol == "j" ? 0.0 : NEVER;
    if (!is_consonant_letter(letter))
        return NEVER;
    return letter_allows(letter, s) ? 0.0 : 2.0;
}

double silent_letter_cost(unsigned char letter)
{
    if (letter == L_SOFT || letter == L_HARD)
        return 0.0;
    return is_vowel_letter(letter) ? 3.0 : 1.2;
}

double unwritten_sound_cost(const Sound& s)
{
    switch (s.kind) {
    case Sound::SCHWA_INSERT: return 0.0;
    case Sound::VOWEL: return 3.0;
    case Sound::CONSONANT: return s.symbol == "j" ? 0.3 : 1.2;
    }
    return NEVER;
}

// Pairing worse than this: the phonemes are not a reading of these letters.
constexpr double WORST_PAIRING = 3.0;

bool is_soft_series(unsigned char letter)
{
    return letter == L_E || letter == L_YO || letter == L_YU || letter == L_YA || letter == L_I;
}

// The vowel letter for a vowel class after what has been spelled so far.
std::string vowel_piece(char cls, unsigned char written, unsigned char before)
{
    const bool after_hard_only = before == L_ZH || before == L_SH || before == L_TS;
    const bool after_always_soft = before == L_CH || before == L_SHCH;
    const bool after_vowel = before == 0 || is_vowel_letter(before);
    const bool soft = is_soft_series(written) && !after_hard_only;
    switch (cls) {
    case 'a': return std::string(1, static_cast<char>(soft && !after_always_soft ? L_YA : L_A));
    case 'u': return std::string(1, static_cast<char>(soft && !after_always_soft ? L_YU : L_U));
    case 'o':
        if (!soft)
            return std::string(1, static_cast<char>(L_O));
        if (after_vowel)
            return std::string{static_cast<char>(L_J), static_cast<char>(L_O)};
        return std::string(1, static_cast<char>(L_YO));
    case 'e': return std::string(1, static_cast<char>(soft || after_always_soft ? L_E : L_EH));
    case 'i': return std::string(1, static_cast<char>(L_I));
    case 'y': return std::string(1, static_cast<char>(L_Y));
    default: return std::string(1, static_cast<char>(written));
    }
}

}  // namespace

// The phoneme names espeak-ng's Russian voice writes: those of its own table
// and of the base table it builds on. espeak_TextToPhonemes puts nothing
// between them, so a string is cut at the longest name that fits; what no
// name fits is a stress mark ("'", ",") and says nothing.
namespace {

struct PhonemeName {
    const char* name;
    char vowel_class;  // a o u e i y for a vowel, 0 for any other sound
    bool syllabic;     // false for the vowels that make no syllable
    bool sound;        // false for pauses and marks
};

constexpr PhonemeName PHONEME_NAMES[] = {
    // Vowels. "@-" is the short schwa espeak-ng puts into some clusters of a
    // consonant and р or л and before a word-initial р (красный k@-r'Asnyj),
    // "I^" the non-syllabic и after a soft final consonant; "ja", "ja#" and
    // "ju" are the iotated vowels after a vowel (я, ю said with й).
    {"@-", 'a', false, true}, {"I^", 'i', false, true},
    {"ja#", 'a', true, true}, {"ja", 'a', true, true}, {"ju", 'u', true, true},
    {"a#", 'a', true, true}, {"V#", 'a', true, true}, {"u#", 'u', true, true}, {"u\"", 'u', true, true},
    {"E#", 'e', true, true}, {"E2", 'e', true, true}, {"E3", 'e', true, true}, {"E%", 'e', true, true},
    {"I#", 'i', true, true}, {"I2", 'i', true, true}, {"I3", 'i', true, true},
    {"@", 'a', true, true}, {"a", 'a', true, true}, {"A", 'a', true, true}, {"V", 'a', true, true},
    {"o", 'o', true, true}, {"O", 'o', true, true}, {"8", 'o', true, true},
    {"u", 'u', true, true}, {"U", 'u', true, true}, {"e", 'e', true, true}, {"E", 'e', true, true},
    {"i", 'i', true, true}, {"I", 'i', true, true}, {"y", 'y', true, true}, {"Y", 'y', true, true},
    // Consonants of more than one character (the single letters need no list).
    {"tS;", 0, true, true}, {"dZ;", 0, true, true}, {"l/2", 0, true, true}, {"l/3", 0, true, true},
    {"#X1", 0, true, true}, {"tS", 0, true, true}, {"dZ", 0, true, true}, {"ts", 0, true, true},
    {"t;", 0, true, true}, {"d;", 0, true, true}, {"m;", 0, true, true}, {"s;", 0, true, true},
    {"z;", 0, true, true}, {"S;", 0, true, true}, {"Z;", 0, true, true}, {"n_", 0, true, true},
    {"n#", 0, true, true}, {"l^", 0, true, true}, {"l.", 0, true, true}, {"l/", 0, true, true},
    {"L/", 0, true, true}, {"l#", 0, true, true}, {"n.", 0, true, true}, {"n^", 0, true, true},
    {"r/", 0, true, true}, {"r.", 0, true, true}, {"r\"", 0, true, true}, {"R2", 0, true, true},
    {"R3", 0, true, true}, {"R4", 0, true, true}, {"d[", 0, true, true}, {"t[", 0, true, true},
    {"v#", 0, true, true}, {"z.", 0, true, true}, {"s.", 0, true, true}, {"J^", 0, true, true},
    {"Q^", 0, true, true}, {"Q\"", 0, true, true}, {"m-", 0, true, true}, {"n-", 0, true, true},
    {"N-", 0, true, true}, {"r-", 0, true, true}, {"l-", 0, true, true},
    // Pauses and marks.
    {"_::", 0, true, false}, {"_:", 0, true, false}, {"_!", 0, true, false}, {"_^_", 0, true, false},
    {"_X1", 0, true, false}, {"_|", 0, true, false}, {"_;_", 0, true, false}, {"_", 0, true, false},
    {"||", 0, true, false}, {"#@", 0, true, false}, {"#a", 0, true, false}, {"#e", 0, true, false},
    {"#i", 0, true, false}, {"#o", 0, true, false}, {"#u", 0, true, false}, {"**", 0, true, false},
    {":", 0, true, false}, {"-", 0, true, false}, {"*", 0, true, false}, {"?", 0, true, false},
};

// The longest name at ph[i], or nullptr (a stress mark or a sign no name has).
const PhonemeName* name_at(const std::string& ph, std::size_t i, std::size_t& length)
{
    const PhonemeName* best = nullptr;
    length = 0;
    for (const PhonemeName& p : PHONEME_NAMES) {
        const std::size_t n = std::strlen(p.name);
        if (n > length && ph.compare(i, n, p.name) == 0) {
            best = &p;
            length = n;
        }
    }
    return best;
}

}  // namespace

std::vector<Sound> parse_phonemes(const std::string& ph)
{
    std::vector<Sound> out;
    bool stress_next = false;  // a primary stress mark stood before the next vowel
    for (std::size_t i = 0; i < ph.size();) {
        std::size_t length = 0;
        const PhonemeName* p = name_at(ph, i, length);
        if (p == nullptr && is_ascii_letter(ph[i])) {
            length = 1;  // a single-letter consonant
        } else if (p == nullptr || !p->sound) {
            if (p == nullptr && ph[i] == '\'')
                stress_next = true;
            i += std::max<std::size_t>(length, 1);
            continue;
        }
        const std::string name = ph.substr(i, length);
        i += length;
        if (p != nullptr && p->vowel_class != 0) {
            if (name[0] == 'j') {
                // The iotated vowel: the й it starts with, then the vowel.
                Sound j;
                j.symbol = "j";
                out.push_back(j);
            }
            Sound s;
            s.kind = p->syllabic ? Sound::VOWEL : Sound::SCHWA_INSERT;
            s.vowel_class = p->vowel_class;
            if (s.kind == Sound::VOWEL) {
                s.stressed = stress_next;
                stress_next = false;
            }
            out.push_back(s);
            continue;
        }
        // A consonant: its letters without marks, soft when ";" is in its
        // name or follows it. "dZ" is the two sounds its letters д ж spell.
        Sound s;
        for (const char c : name)
            if (is_ascii_letter(c))
                s.symbol += c;
        s.soft = name.back() == ';';
        while (i < ph.size() && ph[i] == ';') {
            s.soft = true;
            ++i;
        }
        if (s.symbol == "dZ") {
            Sound d;
            d.symbol = "d";
            d.soft = s.soft;
            out.push_back(d);
            s.symbol.erase(0, 1);  // "Z"
        } else if (s.symbol == "j" && i < ph.size() && ph[i] == 'j') {
            ++i;  // "jj", the long й of -ья, -ьё, -ъе: one й
        }
        out.push_back(s);
    }
    return out;
}

std::string phoneme_vowel_classes(const std::string& phonemes, bool every_vowel)
{
    std::string out;
    for (const Sound& s : parse_phonemes(phonemes))
        if (s.kind == Sound::VOWEL || (every_vowel && s.kind == Sound::SCHWA_INSERT))
            out += s.vowel_class;
    return out;
}

std::string letter_vowel_classes(const std::string& word)
{
    std::string out;
    for (const char ch : word)
        if (const char cls = vowel_letter_class(static_cast<unsigned char>(ch)))
            out += cls;
    return out;
}

std::string without_stress(std::string spelled)
{
    std::erase(spelled, static_cast<char>(STRESS_MARK));
    return spelled;
}

std::string Spelling::joined() const
{
    std::string out;
    for (const std::string& p : piece)
        out += p;
    return out;
}

Spelling spoken_spelling(const std::string& word, const std::string& phonemes)
{
    Spelling result;
    const std::vector<Sound> sounds = parse_phonemes(phonemes);
    const std::size_t n = word.size();
    const std::size_t m = sounds.size();
    if (n == 0 || m == 0 || n > 60 || m > 80)
        return result;

    // Edit-distance pairing of letters with sounds.
    enum Step : unsigned char { NONE, PAIR, SILENT, UNWRITTEN };
    std::vector<double> cost((n + 1) * (m + 1), NEVER);
    std::vector<Step> step((n + 1) * (m + 1), NONE);
    auto at = [&](std::size_t i, std::size_t j) { return i * (m + 1) + j; };
    cost[at(0, 0)] = 0.0;
    for (std::size_t i = 0; i <= n; ++i)
        for (std::size_t j = 0; j <= m; ++j) {
            const double here = cost[at(i, j)];
            if (here == NEVER)
                continue;
            const auto letter = static_cast<unsigned char>(i < n ? word[i] : 0);
            auto relax = [&](std::size_t a, std::size_t b, double c, Step s) {
                if (here + c < cost[at(a, b)]) {
                    cost[at(a, b)] = here + c;
                    step[at(a, b)] = s;
                }
            };
            if (i < n && j < m)
                relax(i + 1, j + 1, pair_cost(letter, sounds[j]), PAIR);
            if (i < n)
                relax(i + 1, j, silent_letter_cost(letter), SILENT);
            if (j < m)
                relax(i, j + 1, unwritten_sound_cost(sounds[j]), UNWRITTEN);
        }
    if (cost[at(n, m)] > WORST_PAIRING)
        return result;

    std::vector<int> paired(n, -1);
    for (std::size_t i = n, j = m; i > 0 || j > 0;) {
        switch (step[at(i, j)]) {
        case PAIR: --i; --j; paired[i] = static_cast<int>(j); break;
        case SILENT: --i; break;
        case UNWRITTEN: --j; break;
        case NONE: return result;
        }
    }

    const bool marked = letter_vowel_classes(word).size() >= 2;
    result.piece.assign(n, std::string());
    unsigned char before = 0;  // the last letter spelled
    for (std::size_t i = 0; i < n; ++i) {
        const auto letter = static_cast<unsigned char>(word[i]);
        std::string& piece = result.piece[i];
        if (letter == L_SOFT || letter == L_HARD) {
            // A sign after a letter that is always hard says nothing.
            if (before != 0 && !is_vowel_letter(before) && before != L_ZH && before != L_SH && before != L_TS)
                piece = std::string(1, static_cast<char>(letter));
        } else if (paired[i] < 0) {
            // Silent.
        } else {
            const Sound& s = sounds[static_cast<std::size_t>(paired[i])];
            if (s.kind == Sound::VOWEL) {
                piece = vowel_piece(s.vowel_class, letter, before);
            } else {
                const unsigned char c = consonant_letter(s);
                piece = std::string(1, static_cast<char>(c != 0 ? c : letter));
            }
        }
        if (!piece.empty())
            before = static_cast<unsigned char>(piece.back());
        if (marked && paired[i] >= 0 && sounds[static_cast<std::size_t>(paired[i])].stressed &&
            sounds[static_cast<std::size_t>(paired[i])].kind == Sound::VOWEL && !piece.empty())
            piece += static_cast<char>(STRESS_MARK);
    }
    const std::string spelled = result.joined();
    result.ok = !spelled.empty() && letter_vowel_classes(spelled) == phoneme_vowel_classes(phonemes);
    return result;
}
