// Stage two: word endings of text.tmp rewritten from replace.txt into text2.tmp.
#include "secondread/secondread.h"

#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "common/tables.h"
#include "secondread/secondread_internal.h"

namespace {

// The bytes of a tail that stood against a "*" of the key, in order.
struct Captures {
    std::array<unsigned char, ENTRY_MAX_LENGTH> bytes{};
    std::size_t length = 0;
};

// A key matches a tail of the same length: "*" takes any byte (and keeps
// it, even a "*"), a delimiter stands for any delimiter.
bool key_matches(const unsigned char* key, std::size_t key_length, const unsigned char* tail,
                 std::size_t n, Captures& cap)
{
    cap.length = 0;
    if (key_length != n)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char k = key[i];
        const unsigned char t = tail[i];
        if (k == CAPTURE_BYTE)
            cap.bytes[cap.length++] = t;
        else if (k != t && !(is_delimiter(k) && is_delimiter(t)))
            return false;
    }
    return true;
}

// Puts the replacement in place of the tail from p; a "*" beyond the captured
// bytes yields nothing. When the result would not fit the word buffer the word
// stays as it was: nothing of it is cut. Stress marks of the replacement are
// written only where keep_stress asks for them (the everyday reading) and
// the word has room for them; the original reading never sees them.
void apply_replacement(Word& word, std::size_t p, const unsigned char* rep, std::size_t rep_length,
                       const Captures& cap, bool keep_stress)
{
    std::size_t length = p;
    std::size_t marks = 0;
    std::size_t used = 0;
    for (std::size_t i = 0; i < rep_length; ++i) {
        if (is_stress_mark(rep[i])) {
            ++marks;
        } else if (rep[i] != CAPTURE_BYTE) {
            ++length;
        } else if (used < cap.length) {
            ++length;
            ++used;
        }
    }
    if (length > WORD_MAX_LENGTH)
        return;
    const bool with_marks = keep_stress && length + marks <= WORD_MAX_LENGTH;
    std::size_t at = p;
    used = 0;
    for (std::size_t i = 0; i < rep_length; ++i) {
        if (rep[i] != CAPTURE_BYTE) {
            if (with_marks || !is_stress_mark(rep[i]))
                word.bytes[at++] = rep[i];
        } else if (used < cap.length) {
            word.bytes[at++] = cap.bytes[used++];
        }
    }
    word.length = at;
    word.bytes[at] = 0;
}

// Tries the entries for the tail at p; true when the word is done with
// (replaced, or held unchanged by an ending entry matching the whole word).
bool try_tail(TextFile& dict, Word& word, std::size_t p, bool keep_stress)
{
    const std::size_t n = word.length;
    dictionary_rewind(dict);
    EntryText key;
    Captures cap;
    for (;;) {
        int match_mode = MATCH_ANYWHERE;
        if (!next_entry(dict, word.bytes[p], key, match_mode))
            return false;
        if (!key_matches(key.bytes.data(), key.length, word.bytes.data() + p, n - p, cap) ||
            (match_mode == MATCH_WHOLE_WORD && p > 0)) {
            skip_line(dict);
            continue;
        }
        if (match_mode == MATCH_ENDING && p == 0) {
            skip_line(dict);
            return true;
        }
        EntryText replacement;
        if (read_replacement(dict, replacement) != ENTRY_OK)
            continue;  // a broken line is passed over; the scan goes on after it
        skip_line(dict);
        apply_replacement(word, p, replacement.bytes.data(), replacement.length, cap, keep_stress);
        return true;
    }
}

// Whether the entry decides the tail at p: its key matches, and it either
// holds the word (an ending entry on the whole word) or has a replacement.
// The scan passes over every other entry.
bool decides(const DictIndex& ix, const IndexEntry& e, const unsigned char* tail, std::size_t n,
             std::size_t p, Captures& cap)
{
    if (index_key(ix, e)[0] != tail[0] || !key_matches(index_key(ix, e), e.key_length, tail, n, cap) ||
        (e.match_mode == MATCH_WHOLE_WORD && p > 0))
        return false;
    return (e.match_mode == MATCH_ENDING && p == 0) || e.replacement_ok;
}

// try_tail over the index: of the entries whose key has the tail's first byte
// and length, the first in the scan's order that decides it.
bool try_tail_indexed(DictIndex& ix, Word& word, std::size_t p)
{
    const std::size_t n = word.length - p;
    const unsigned char* tail = word.bytes.data() + p;
    const int first = dict_index_first(ix, tail[0], n);
    if (first == INDEX_SCAN)
        return try_tail(*ix.dict, word, p, ix.keep_stress);
    if (first == INDEX_NONE)
        return false;
    Captures cap;
    int found = INDEX_NONE;
    if (ix.shapes_full) {
        for (int at = first; at != INDEX_NONE; at = ix.entries[static_cast<std::size_t>(at)].next)
            if (decides(ix, ix.entries[static_cast<std::size_t>(at)], tail, n, p, cap)) {
                found = at;
                break;
            }
    } else {
        // One chain per shape of this length may hold matching keys; each is
        // in file order, and the earliest deciding entry of them all counts.
        for (int s = ix.first_shape[n]; s != INDEX_NONE; s = ix.shapes[static_cast<std::size_t>(s)].next) {
            for (int at = dict_index_chain(ix, ix.shapes[static_cast<std::size_t>(s)], tail);
                 at != INDEX_NONE && (found == INDEX_NONE || at < found);
                 at = ix.entries[static_cast<std::size_t>(at)].next_in_chain)
                if (decides(ix, ix.entries[static_cast<std::size_t>(at)], tail, n, p, cap)) {
                    found = at;
                    break;
                }
        }
    }
    if (found == INDEX_NONE)
        return false;
    const IndexEntry& e = ix.entries[static_cast<std::size_t>(found)];
    if (e.match_mode == MATCH_ENDING && p == 0)
        return true;
    key_matches(index_key(ix, e), e.key_length, tail, n, cap);  // its own captures
    apply_replacement(word, p, index_replacement(ix, e), e.replacement_length, cap, ix.keep_stress);
    return true;
}

// The start positions from the whole word down to its last byte, until one is
// done with; a delimiter starts no tail.
template <typename TryTail>
void each_tail(const Word& word, TryTail try_at)
{
    for (std::size_t p = 0; p < word.length; ++p) {
        if (is_delimiter(word.bytes[p]))
            continue;
        if (try_at(p))
            return;
    }
}

bool is_text_end(int c) { return c == TEXT_EOF || c == END_MARKER; }

}  // namespace

int read_word(TextFile& text, Word& word)
{
    std::size_t n = 0;
    word.length = 0;
    word.bytes[0] = 0;
    for (;;) {
        const int c = text_getc(text);
        if (is_text_end(c))
            break;
        if (n == WORD_MAX_LENGTH) {
            // A 64th byte: the word does not fit, and stays in the file for copying.
            text_ungetc(text);
            word.length = n;
            word.bytes[n] = 0;
            return WORD_TOO_LONG;
        }
        word.bytes[n++] = static_cast<unsigned char>(c);
        if (is_delimiter(static_cast<unsigned char>(c))) {
            word.length = n;
            word.bytes[n] = 0;
            return WORD_DELIMITED;
        }
    }
    word.length = n;
    word.bytes[n] = 0;
    return WORD_LAST;
}

int copy_rest_of_word(TextFile& text, TextFile& out)
{
    for (;;) {
        const int c = text_getc(text);
        if (is_text_end(c))
            return 0;
        text_putc(out, static_cast<unsigned char>(c));
        if (is_delimiter(static_cast<unsigned char>(c)))
            return 1;
    }
}

void process_word(TextFile& dict, Word& word)
{
    each_tail(word, [&](std::size_t p) { return try_tail(dict, word, p, false); });
}

void process_word_indexed(DictIndex& ix, Word& word)
{
    each_tail(word, [&](std::size_t p) { return try_tail_indexed(ix, word, p); });
}

// Whether the word carries a writer's stress as the first stage writes it:
// one mark, right after a vowel. Any other mark is an ordinary byte of the
// word, so that a text the first stage did not write passes as it is.
bool writer_marked(const Word& word)
{
    std::size_t marks = 0;
    for (std::size_t i = 0; i < word.length; ++i) {
        if (!is_stress_mark(word.bytes[i]))
            continue;
        if (i == 0 || !is_vowel(word.bytes[i - 1]))
            return false;
        ++marks;
    }
    return marks == 1;
}

void process_marked_word(DictIndex& ix, Word& word)
{
    if (!ix.keep_stress || !writer_marked(word))
        return process_word_indexed(ix, word);
    // The writer's marks out, the vowel the first one follows noted.
    std::size_t vowels = 0;
    std::size_t stressed = 0;  // its vowel's number from 1; 0: none
    std::size_t n = 0;
    for (std::size_t i = 0; i < word.length; ++i) {
        const unsigned char c = word.bytes[i];
        if (is_stress_mark(c)) {
            if (stressed == 0 && i > 0 && is_vowel(word.bytes[i - 1]))
                stressed = vowels;
            continue;
        }
        vowels += is_vowel(c) ? 1 : 0;
        word.bytes[n++] = c;
    }
    word.length = n;
    word.bytes[n] = 0;
    process_word_indexed(ix, word);
    if (stressed == 0)
        return;
    // The dictionary's marks give way to the writer's, on the same vowel of
    // what the dictionary made of the word when it has that many.
    n = 0;
    for (std::size_t i = 0; i < word.length; ++i)
        if (!is_stress_mark(word.bytes[i]))
            word.bytes[n++] = word.bytes[i];
    vowels = 0;
    for (std::size_t i = 0; i < n && n < WORD_MAX_LENGTH; ++i) {
        if (!is_vowel(word.bytes[i]) || ++vowels != stressed)
            continue;
        std::memmove(word.bytes.data() + i + 2, word.bytes.data() + i + 1, n - i - 1);
        word.bytes[i + 1] = STRESS_MARK;
        ++n;
        break;
    }
    word.length = n;
    word.bytes[n] = 0;
}

struct Dictionary {
    TextFile file;
    std::string bytes;  // the empty dictionary of dictionary_open(nullptr)
    DictIndex index;
};

void DictionaryFree::operator()(Dictionary* d) const { delete d; }

DictionaryOpen dictionary_open(const char* path, DictionaryPtr& dictionary)
{
    DictionaryPtr d(new (std::nothrow) Dictionary);
    if (!d)
        return DictionaryOpen::no_memory;
    if (path == nullptr)
        text_open_memory(d->file, d->bytes, "r");
    else if (!text_open_input(d->file, path))
        return DictionaryOpen::unreadable;
    dict_index_start(d->index, d->file);
    dictionary = std::move(d);
    return DictionaryOpen::opened;
}

void dictionary_load(Dictionary& dictionary)
{
    dict_index_load(dictionary.index);
}

bool dictionary_failed(const Dictionary& dictionary) { return dictionary.file.failed; }

void dictionary_keep_stress(Dictionary& dictionary, bool keep) { dictionary.index.keep_stress = keep; }

std::string respell_word(Dictionary& dictionary, const std::string& word)
{
    if (word.size() + 1 > WORD_MAX_LENGTH)
        return word;
    Word w;
    std::memcpy(w.bytes.data(), word.data(), word.size());
    w.bytes[word.size()] = ' ';
    w.length = word.size() + 1;
    w.bytes[w.length] = 0;
    process_word_indexed(dictionary.index, w);
    return std::string(reinterpret_cast<const char*>(w.bytes.data()), w.length - 1);
}

SecondreadStatus Secondread(TextFile& text, TextFile& out, Dictionary& dictionary)
{
    DictIndex& index = dictionary.index;
    Word word;
    for (;;) {
        const int got = read_word(text, word);
        if (got == WORD_TOO_LONG) {
            // Too long to match: passed on unchanged, every byte of it.
            text_write(out, word.bytes.data(), word.length);
            if (!copy_rest_of_word(text, out))
                break;
            continue;
        }
        if (word.length > 0)
            process_marked_word(index, word);
        text_write(out, word.bytes.data(), word.length);
        if (got == WORD_LAST)
            break;
    }
    text_putc(out, END_MARKER);

    // A text cut short by a failed read or write must not pass for a done one.
    if (!text_flush(out) || out.failed)
        return SecondreadStatus::write_failed;
    if (text.failed || dictionary.file.failed)
        return SecondreadStatus::read_failed;
    return SecondreadStatus::done;
}
