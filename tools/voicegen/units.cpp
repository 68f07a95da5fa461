// The cutting rules: letters of a token to phones of the corpus.
#include "units.h"

#include <cstring>

#include "common/tables.h"

namespace {

struct ConsonantPhones {
    unsigned char letter;
    const char* hard;
    const char* soft;
};
// "ж", "ш", "ц" are always hard; "ч", "щ", "й" have one form.
const ConsonantPhones CONSONANTS[] = {
    {0xE1, "b", "bb"}, {0xE2, "v", "vv"},   {0xE3, "g", "gg"},   {0xE4, "d", "dd"}, {0xE6, "zh", "zh"},
    {0xE7, "z", "zz"}, {0xE9, "j", "j"},    {0xEA, "k", "kk"},   {0xEB, "l", "ll"}, {0xEC, "m", "mm"},
    {0xED, "n", "nn"}, {0xEF, "p", "pp"},   {0xF0, "r", "rr"},   {0xF1, "s", "ss"}, {0xF2, "t", "tt"},
    {0xF4, "f", "ff"}, {0xF5, "h", "hh"},   {0xF6, "c", "c"},    {0xF7, "ch", "ch"}, {0xF8, "sh", "sh"},
    {0xF9, "sch", "sch"},
};

struct VowelPhones {
    unsigned char letter;
    bool softens;  // the consonant before it is soft
    unsigned char sister;
    const char* phones[MAX_VOWEL_PHONES];
};
// An unstressed "о" is spoken as a reduced "а"; an unstressed "е" or "я" after
// a soft consonant as a reduced "и".
const VowelPhones VOWEL_LETTERS[] = {
    {0xE0, false, 0xFF, {"aa", "a", "ae", "ay"}},  // а
    {0xEE, false, 0xB8, {"oo", "a", "ae", nullptr}},  // о
    {0xF3, false, 0xFE, {"uu", "u", "ur", nullptr}},  // у
    {0xFB, false, 0xE8, {"yy", "y", nullptr, nullptr}},  // ы
    {0xE8, true, 0xFB, {"ii", "i", nullptr, nullptr}},  // и
    {0xFD, false, 0xE5, {"ee", "e", nullptr, nullptr}},  // э
    {0xFF, true, 0xE0, {"aa", "a", "ay", nullptr}},  // я
    {0xE5, true, 0xFD, {"ee", "e", "i", "ay"}},  // е
    {0xB8, true, 0xEE, {"oo", nullptr, nullptr, nullptr}},  // ё
    {0xFE, true, 0xF3, {"uu", "u", "ur", nullptr}},  // ю
};
// After the always-hard "ж", "ш", "ц" an "и" is spoken as "ы".
const char* const HARD_I[MAX_VOWEL_PHONES] = {"yy", "y", "ii", "i"};

const char* const STRESSED[] = {"aa", "oo", "uu", "yy", "ii", "ee"};
const char* const FIRST_LEVEL[] = {"a", "e", "i", "y", "u"};
const char* const SECOND_LEVEL[] = {"ae", "ay", "ur"};


void set_name(PhoneName& name, const char* s)
{
    name = {};
    std::strncpy(name.data(), s, PHONE_NAME_BYTES - 1);
}

const ConsonantPhones* consonant_of(unsigned char letter)
{
    for (const ConsonantPhones& c : CONSONANTS)
        if (c.letter == letter)
            return &c;
    return nullptr;
}

const VowelPhones* vowel_of(unsigned char letter)
{
    for (const VowelPhones& v : VOWEL_LETTERS)
        if (v.letter == letter)
            return &v;
    return nullptr;
}

bool always_hard(const ConsonantPhones& c) { return std::strcmp(c.hard, c.soft) == 0; }

void set_vowels(UnitRule& rule, const char* const (&phones)[MAX_VOWEL_PHONES])
{
    rule.vowels = 0;
    for (const char* p : phones)
        if (p != nullptr)
            set_name(rule.vowel[rule.vowels++], p);
}

bool in_list(const Phone& p, const char* const* list, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        if (phone_is(p, list[i]))
            return true;
    return false;
}

bool matches_vowel(const UnitRule& rule, const Phone& p)
{
    for (std::size_t i = 0; i < rule.vowels; ++i)
        if (std::strcmp(p.name.data(), rule.vowel[i].data()) == 0)
            return true;
    return false;
}

bool pause_or_vowel(const Sentence& s, int i)
{
    return i < 0 || phone_is(s.phone[i], "pau") || is_vowel_phone(s.phone[i]);
}

}  // namespace

bool is_vowel_phone(const Phone& p) { return vowel_tier(p) >= 0; }

int vowel_tier(const Phone& p)
{
    if (in_list(p, STRESSED, std::size(STRESSED)))
        return 0;
    if (in_list(p, FIRST_LEVEL, std::size(FIRST_LEVEL)))
        return 1;
    if (in_list(p, SECOND_LEVEL, std::size(SECOND_LEVEL)))
        return 2;
    return -1;
}

bool unit_rule(const unsigned char* token, std::size_t length, int fallback, UnitRule& rule)
{
    rule = UnitRule{};
    if (length == 0 || length > 2)
        return false;
    const unsigned char first = token[0];
    const unsigned char second = length == 2 ? token[1] : 0;
    if (length == 1 && first == SOFT_SIGN) {  // the glide it stands for before a vowel
        rule.kind = UnitKind::Consonant;
        set_name(rule.consonant, "j");
        return true;
    }
    const ConsonantPhones* c = consonant_of(first);
    const VowelPhones* v = vowel_of(length == 2 ? second : first);
    if (c == nullptr && length == 2)
        return false;
    if (c != nullptr && (length == 1 || second == SOFT_SIGN)) {
        if (length == 2 && first == 0xE9)  // "йь" is not spelled
            return false;
        rule.kind = UnitKind::Consonant;
        set_name(rule.consonant, length == 1 ? c->hard : c->soft);
        return true;
    }
    if (v == nullptr)
        return false;
    if (fallback > 0)
        v = vowel_of(v->sister);
    set_vowels(rule, v->phones);
    if (c == nullptr) {  // a lone vowel; "я е ё ю" with their "j"
        rule.kind = v->softens && v->letter != 0xE8 ? UnitKind::IotatedVowel : UnitKind::Vowel;
        if (rule.kind == UnitKind::IotatedVowel)
            set_name(rule.consonant, "j");
        return true;
    }
    rule.kind = UnitKind::ConsonantVowel;
    bool soft = vowel_of(second)->softens;
    if (fallback > 1)
        soft = !soft;
    set_name(rule.consonant, soft ? c->soft : c->hard);
    if (vowel_of(second)->letter == 0xE8 && always_hard(*c) && c->letter != 0xF7 && c->letter != 0xF9 &&
        c->letter != 0xE9)
        set_vowels(rule, HARD_I);
    return true;
}

void find_occurrences(const UnitRule& rule, const Sentence& s, int index, std::vector<Occurrence>& out)
{
    const int n = static_cast<int>(s.phone.size());
    for (int i = 0; i < n; ++i) {
        const Phone& p = s.phone[i];
        Occurrence o;
        o.sentence = index;
        o.first = i;
        switch (rule.kind) {
        case UnitKind::Vowel:
            if (!matches_vowel(rule, p))
                continue;
            o.last = i;
            o.context = pause_or_vowel(s, i - 1);
            break;
        case UnitKind::ConsonantVowel:
        case UnitKind::IotatedVowel:
            if (std::strcmp(p.name.data(), rule.consonant.data()) != 0 || i + 1 >= n ||
                !matches_vowel(rule, s.phone[i + 1]))
                continue;
            o.last = i + 1;
            o.context = rule.kind == UnitKind::ConsonantVowel || pause_or_vowel(s, i - 1);
            break;
        case UnitKind::Consonant:
            if (std::strcmp(p.name.data(), rule.consonant.data()) != 0)
                continue;
            o.last = i;
            o.context = i + 1 >= n || !is_vowel_phone(s.phone[i + 1]);
            break;
        }
        const int t = vowel_tier(s.phone[o.last]);
        o.tier = t < 0 ? 0 : t;
        out.push_back(o);
    }
}
