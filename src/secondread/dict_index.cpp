// The in-memory dictionary of one run: the scans for every first byte made at
// once, in one pass of the reader that the pass would otherwise run for every
// tail of every word; the hashing only where a tail asks for it.
#include "secondread/dict_index.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/tables.h"

namespace {

constexpr std::uint8_t NOT_READ = 0;
constexpr std::uint8_t HELD = 1;
constexpr std::uint8_t TOO_BIG = 2;

// What a byte is to an entry line taken straight from the file's buffer, by
// the file's mode (the rows of TEXT_PLAIN_BYTES).
constexpr std::uint8_t LINE_NOT_PLAIN = 1;  // the file layer would deliver it otherwise
constexpr std::uint8_t LINE_KEY_END = 2;
constexpr std::uint8_t LINE_REPLACEMENT_END = 4;
using LineByteTable = std::array<std::uint8_t, 256>;
constexpr std::array<LineByteTable, 2> LINE_BYTES = [] {
    std::array<LineByteTable, 2> t{};
    for (std::size_t mode = 0; mode < 2; ++mode)
        for (std::size_t c = 0; c < 256; ++c)
            t[mode][c] = static_cast<std::uint8_t>((TEXT_PLAIN_BYTES[mode][c] ? 0 : LINE_NOT_PLAIN) |
                                                   (is_key_end(static_cast<int>(c)) ? LINE_KEY_END : 0) |
                                                   (c == REPLACEMENT_END ? LINE_REPLACEMENT_END : 0));
    return t;
}();

// The hash of a key or tail read with a shape: its length and first byte as
// it is (the byte a scan seeks), then the others but the "*" ones, every
// delimiter as the same value (FNV-1a over those values).
constexpr std::uint64_t HASH_PRIME = 1099511628211ULL;
std::uint64_t hash_start(std::size_t length, unsigned char first)
{
    const std::uint64_t h = (14695981039346656037ULL ^ length) * HASH_PRIME;
    return (h ^ first) * HASH_PRIME;
}
std::uint64_t hash_step(std::uint64_t h, unsigned char c) { return (h ^ (is_delimiter(c) ? 256U : c)) * HASH_PRIME; }

std::uint64_t shape_hash(const IndexShape& shape, const unsigned char* bytes)
{
    std::uint64_t h = hash_start(shape.length, bytes[0]);
    for (std::size_t i = 1; i < shape.length; ++i)
        if (((shape.stars >> i) & 1U) == 0)
            h = hash_step(h, bytes[i]);
    return h;
}

// Where a hash's chain is looked for first, and the tag that tells it; a
// chain shared by two hashes only costs matching its entries again.
// The table in use is twice as large as the entries read (a power of two),
// so a small dictionary touches little memory.
std::size_t chain_start(const DictIndex& ix, std::uint64_t h) { return static_cast<std::size_t>(h) & ix.chain_mask; }
std::uint32_t chain_tag(std::uint64_t h) { return static_cast<std::uint32_t>(h >> 32) | 1U; }

IndexChain& chain_slot(DictIndex& ix, std::uint64_t h)
{
    const std::uint32_t tag = chain_tag(h);
    for (std::size_t i = chain_start(ix, h);; ++i) {
        IndexChain& c = ix.chains[i & ix.chain_mask];
        if (c.tag == tag || c.tag == 0)
            return c;
    }
}

// The shape of a key of this length with "*" at the stars' bits, added to the
// shapes when new; nullptr when there is no more room for one.
const IndexShape* shape_with(DictIndex& ix, std::size_t length, std::uint64_t stars)
{
    // Neighbouring entries mostly share a shape.
    if (ix.last_shape != nullptr && ix.last_shape->length == length && ix.last_shape->stars == stars)
        return ix.last_shape;
    for (std::int32_t at = ix.first_shape[length]; at != INDEX_NONE;
         at = ix.shapes[static_cast<std::size_t>(at)].next)
        if (ix.shapes[static_cast<std::size_t>(at)].stars == stars)
            return ix.last_shape = &ix.shapes[static_cast<std::size_t>(at)];
    if (ix.shapes_used == ix.shapes.size())
        return nullptr;
    IndexShape& shape = ix.shapes[ix.shapes_used];
    shape.stars = stars;
    shape.length = length;
    shape.next = ix.first_shape[length];
    ix.first_shape[length] = static_cast<std::int32_t>(ix.shapes_used++);
    return ix.last_shape = &shape;
}

// Takes an entry into the pool: its key (first byte, then the rest) and its
// replacement; false when there is no more room.
bool add_entry(DictIndex& ix, unsigned char first, const unsigned char* key_rest, std::size_t key_length,
               int match_mode, const unsigned char* replacement, std::size_t replacement_length,
               bool replacement_ok)
{
    if (ix.entries_used == ix.entries.size() || ix.pool.size() - ix.pool_used < key_length + replacement_length)
        return false;
    IndexEntry& e = ix.entries[ix.entries_used++];
    e.key_at = static_cast<std::uint32_t>(ix.pool_used);
    e.key_length = static_cast<std::uint8_t>(key_length);
    e.replacement_length = static_cast<std::uint8_t>(replacement_length);
    e.match_mode = static_cast<std::uint8_t>(match_mode);
    e.replacement_ok = replacement_ok;
    e.next = INDEX_NONE;
    unsigned char* key = ix.pool.data() + ix.pool_used;
    key[0] = first;
    std::memcpy(key + 1, key_rest, key_length - 1);
    std::memcpy(key + key_length, replacement, replacement_length);
    ix.pool_used += key_length + replacement_length;
    ix.entry_first[ix.entries_used - 1] = first;
    return true;
}

// The rest of an entry line whose first byte has been read, taken straight
// from the file's buffer when all of it is there and holds nothing the file
// layer would turn into something else (a lone CR, Ctrl-Z, a UTF-8
// sequence): the key, the replacement and what follows are found as
// read_key, read_replacement and skip_line would find them, and the line is
// consumed through its line feed as they would leave it. false, nothing
// read, when the line must go through them instead.
bool read_line_in_buffer(DictIndex& ix, TextFile& dict, unsigned char first)
{
    const unsigned char* p = nullptr;
    const std::size_t waiting = dict.binary ? 0 : text_buffered(dict, p);
    const auto* lf = waiting > 0 ? static_cast<const unsigned char*>(std::memchr(p, '\n', waiting)) : nullptr;
    if (lf == nullptr)
        return false;
    const auto line = static_cast<std::size_t>(lf - p);
    const std::size_t body = line > 0 && p[line - 1] == '\r' ? line - 1 : line;  // CR LF is the line feed
    // One walk over the line: the key to its end byte, the replacement to its
    // "!", the rest to the line's end, every byte checked to be plain.
    const LineByteTable& bytes = LINE_BYTES[dict.utf8 ? 1 : 0];
    std::size_t k = 0;
    while (k < body && (bytes[p[k]] & (LINE_NOT_PLAIN | LINE_KEY_END)) == 0)
        ++k;
    std::size_t j = k + 1;
    while (j < body && (bytes[p[j]] & (LINE_NOT_PLAIN | LINE_REPLACEMENT_END)) == 0)
        ++j;
    for (std::size_t i = j; i < body; ++i)
        if (bytes[p[i]] & LINE_NOT_PLAIN)
            return false;
    if (k < body && (bytes[p[k]] & LINE_NOT_PLAIN) != 0)
        return false;
    text_advance(dict, line + 1);

    // No key end on the line, or a key over the length limit: no entry.
    if (k == body || k + 1 > ENTRY_MAX_LENGTH)
        return true;
    const int match_mode = key_mode(p[k]);

    // The replacement: closed by its "!" within the limit, else as far as the
    // reader took it (to the line's end, or the limit).
    const unsigned char* r = p + k + 1;
    const std::size_t n = j - (k + 1);
    const bool closed = j < body && n <= ENTRY_MAX_LENGTH;
    const bool ok = closed && std::memchr(r, END_MARKER, n) == nullptr;
    if (!add_entry(ix, first, p, k + 1, match_mode, r, std::min(n, ENTRY_MAX_LENGTH), ok))
        ix.state[first] = TOO_BIG;
    return true;
}

// Sizes the chains for this many entries: twice as many slots, a power of
// two, so that a small dictionary or a short text touches little memory.
// The entries chained before are chained again.
void size_chains(DictIndex& ix, std::size_t entries)
{
    std::size_t slots = 1024;
    while (slots < 2 * entries)
        slots *= 2;
    ix.chain_mask = std::min(slots, INDEX_CHAINS) - 1;
    std::fill_n(ix.chains.begin(), ix.chain_mask + 1, IndexChain{0, INDEX_NONE});
}

// Puts entry i into its chain, which stays in file order (the order of the
// entries' numbers): mostly at its head, as entries are chained from the
// last; after the entries of lower numbers where hashes of two first bytes
// or lengths share a chain.
void chain_entry(DictIndex& ix, std::size_t i)
{
    const std::uint64_t h = ix.entry_hash[i];
    IndexChain& chain = chain_slot(ix, h);
    if (chain.tag == 0) {
        chain.tag = chain_tag(h);
        chain.head = INDEX_NONE;
    }
    std::int32_t* link = &chain.head;
    while (*link != INDEX_NONE && static_cast<std::size_t>(*link) < i)
        link = &ix.entries[static_cast<std::size_t>(*link)].next_in_chain;
    ix.entries[i].next_in_chain = *link;
    *link = static_cast<std::int32_t>(i);
}

// Chains the entries of one first byte and key length: each key's shape and
// hash, taken in one walk that finds its "*" bytes (the hash of shape_hash).
void chain_entries(DictIndex& ix, unsigned char first, std::size_t length)
{
    ix.chained[first][length] = true;
    std::size_t n = 0;
    for (std::int32_t at = ix.first[first][length]; at != INDEX_NONE; at = ix.entries[static_cast<std::size_t>(at)].next) {
        const auto i = static_cast<std::size_t>(at);
        const unsigned char* key = index_key(ix, ix.entries[i]);
        std::uint64_t stars = first == CAPTURE_BYTE ? 1U : 0U;
        std::uint64_t h = hash_start(length, first);
        for (std::size_t j = 1; j < length; ++j) {
            if (key[j] == CAPTURE_BYTE)
                stars |= std::uint64_t{1} << j;
            else
                h = hash_step(h, key[j]);
        }
        const IndexShape* shape = shape_with(ix, length, stars);
        ix.entry_shaped[i] = shape != nullptr;
        if (shape == nullptr) {
            ix.shapes_full = true;  // then the lists are walked, and the chains no more
            continue;
        }
        ix.entry_hash[i] = h;
        ix.batch[n++] = at;
    }
    if (2 * (ix.chained_entries + n) > ix.chain_mask + 1 && ix.chain_mask + 1 < INDEX_CHAINS) {
        size_chains(ix, ix.chained_entries + n);
        // From the last, so that each chain is built in file order at its head.
        for (std::size_t i = ix.entries_used; i-- > 0;) {
            const IndexEntry& e = ix.entries[i];
            const unsigned char f = ix.entry_first[i];
            if (ix.chained[f][e.key_length] && ix.entry_shaped[i] && !(f == first && e.key_length == length))
                chain_entry(ix, i);
        }
    }
    ix.chained_entries += n;
    // Each entry's chain slot is fetched a few entries ahead of its chaining:
    // a large table is too large for the cache.
    constexpr std::size_t AHEAD = 16;
    for (std::size_t k = n; k-- > 0;) {
        if (k >= AHEAD)
            __builtin_prefetch(&ix.chains[chain_start(ix, ix.entry_hash[static_cast<std::size_t>(ix.batch[k - AHEAD])])]);
        chain_entry(ix, static_cast<std::size_t>(ix.batch[k]));
    }
}

// Reads the whole dictionary once, with the reader's own pieces, for every
// first byte at the same time. A scan for a byte meets each line in file
// order: it ends at the end line or the end of the file, takes a key from a
// line starting with its byte, passes over other lines while
// scan_passes_over allows and ends at the first it does not. Nothing but the
// byte sought decides where a scan ends, and a line is left at the same place
// whether its key was read or it was passed over (a broken replacement
// stops where skip_line would), so the lines can be read once and each entry
// kept for its first byte while the scan for that byte still goes on.
void read_entries(DictIndex& ix)
{
    TextFile& dict = *ix.dict;
    dictionary_rewind(dict);
    std::array<bool, 256> scanning;
    scanning.fill(true);
    std::array<bool, 256> first_seen{};
    EntryText key;
    EntryText replacement;
    for (;;) {
        int b = text_getc(dict);
        while (b == '\n' || b == ' ')
            b = text_getc(dict);
        if (b == TEXT_EOF || b == DICT_END_LINE)
            break;
        const auto first = static_cast<unsigned char>(b);
        int match_mode = MATCH_ANYWHERE;
        if (!scanning[first] || ix.state[first] == TOO_BIG) {
            skip_line(dict);
        } else if (read_line_in_buffer(ix, dict, first)) {
            // Done from the buffer.
        } else if (read_key(dict, first, key, match_mode) == ENTRY_OK) {
            // A replacement that is not closed on its line has been read
            // through the line's end, as skip_line would have.
            const bool ok = read_replacement(dict, replacement) == ENTRY_OK;
            if (ok)
                skip_line(dict);
            // A first byte whose entries do not all fit is left to the scan.
            if (!add_entry(ix, key.bytes[0], key.bytes.data() + 1, key.length, match_mode,
                           replacement.bytes.data(), replacement.length, ok))
                ix.state[first] = TOO_BIG;
        }
        // This line ends every scan that does not pass over its first byte.
        if (!first_seen[first]) {
            first_seen[first] = true;
            for (int s = 0; s < 256; ++s) {
                const auto sought = static_cast<unsigned char>(s);
                if (sought != first && !scan_passes_over(first, sought))
                    scanning[sought] = false;
            }
        }
    }
    // The lists in the file's order, for the first bytes that fit.
    for (std::size_t i = 0; i < ix.entries_used; ++i) {
        IndexEntry& e = ix.entries[i];
        const unsigned char first = ix.entry_first[i];
        if (ix.state[first] == TOO_BIG)
            continue;
        std::int32_t& head = ix.first[first][e.key_length];
        std::int32_t& tail = ix.last[first][e.key_length];
        if (head == INDEX_NONE)
            head = static_cast<std::int32_t>(i);
        else
            ix.entries[static_cast<std::size_t>(tail)].next = static_cast<std::int32_t>(i);
        tail = static_cast<std::int32_t>(i);
    }
    size_chains(ix, 0);
    for (std::uint8_t& st : ix.state)
        if (st != TOO_BIG)
            st = HELD;
}

}  // namespace

void dict_index_start(DictIndex& ix, TextFile& dict)
{
    ix.dict = &dict;
    ix.state.fill(NOT_READ);
    for (auto& lengths : ix.first)
        lengths.fill(INDEX_NONE);
    for (auto& lengths : ix.chained)
        lengths.fill(false);
    ix.chained_entries = 0;
    ix.chain_mask = 0;
    ix.shapes_used = 0;
    ix.shapes_full = false;
    ix.last_shape = nullptr;
    ix.first_shape.fill(INDEX_NONE);
    ix.entries_used = 0;
    ix.pool_used = 0;
}

int dict_index_first(DictIndex& ix, unsigned char sought, std::size_t key_length)
{
    if (ix.state[sought] == NOT_READ)
        read_entries(ix);
    if (ix.state[sought] == TOO_BIG)
        return INDEX_SCAN;
    if (key_length >= ENTRY_BYTES)
        return INDEX_NONE;
    if (!ix.chained[sought][key_length])
        chain_entries(ix, sought, key_length);
    return ix.first[sought][key_length];
}

void dict_index_load(DictIndex& ix)
{
    for (int b = 0; b < 256; ++b)
        for (std::size_t length = 1; length < ENTRY_BYTES; ++length)
            dict_index_first(ix, static_cast<unsigned char>(b), length);
}

int dict_index_chain(const DictIndex& ix, const IndexShape& shape, const unsigned char* tail)
{
    const std::uint64_t h = shape_hash(shape, tail);
    const std::uint32_t tag = chain_tag(h);
    for (std::size_t i = chain_start(ix, h);; ++i) {
        const IndexChain& c = ix.chains[i & ix.chain_mask];
        if (c.tag == tag)
            return c.head;
        if (c.tag == 0)
            return INDEX_NONE;
    }
}
