// The in-memory dictionary of one run: the scans for every first byte made at
// once, in one pass of the reader that the pass would otherwise run for every
// tail of every word.
#include "secondread/dict_index.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/tables.h"

namespace {

constexpr std::uint8_t NOT_READ = 0;
constexpr std::uint8_t HELD = 1;
constexpr std::uint8_t TOO_BIG = 2;

// The hash of a key or tail read with a shape: its first byte as it is (the
// byte a scan seeks), then the others but the "*" ones, every delimiter as the
// same value.
std::uint64_t shape_hash(const IndexShape& shape, const unsigned char* bytes)
{
    std::uint64_t h = (14695981039346656037ULL ^ shape.length) * 1099511628211ULL;
    h = (h ^ bytes[0]) * 1099511628211ULL;
    for (std::size_t i = 1; i < shape.length; ++i) {
        if ((shape.stars >> i) & 1U)
            continue;
        const unsigned v = is_delimiter(bytes[i]) ? 256U : bytes[i];
        h = (h ^ v) * 1099511628211ULL;
    }
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

// The shape of a key, added to the shapes when new; nullptr when there is no
// more room for one.
const IndexShape* shape_of(DictIndex& ix, const unsigned char* key, std::size_t length)
{
    std::uint64_t stars = 0;
    for (std::size_t i = 0; i < length; ++i)
        if (key[i] == CAPTURE_BYTE)
            stars |= std::uint64_t{1} << i;
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

bool add_entry(DictIndex& ix, const EntryText& key, int match_mode, const EntryText& replacement,
               bool replacement_ok)
{
    if (ix.entries_used == ix.entries.size() ||
        ix.pool.size() - ix.pool_used < key.length + replacement.length)
        return false;
    IndexEntry& e = ix.entries[ix.entries_used++];
    e.key_at = static_cast<std::uint32_t>(ix.pool_used);
    e.key_length = static_cast<std::uint8_t>(key.length);
    e.replacement_length = static_cast<std::uint8_t>(replacement.length);
    e.match_mode = static_cast<std::uint8_t>(match_mode);
    e.replacement_ok = replacement_ok;
    e.next = INDEX_NONE;
    std::memcpy(ix.pool.data() + ix.pool_used, key.bytes.data(), key.length);
    ix.pool_used += key.length;
    std::memcpy(ix.pool.data() + ix.pool_used, replacement.bytes.data(), replacement.length);
    ix.pool_used += replacement.length;
    // The key's shape and hash while its bytes are at hand, for linking.
    const std::size_t i = ix.entries_used - 1;
    ix.entry_first[i] = key.bytes[0];
    const IndexShape* shape = shape_of(ix, key.bytes.data(), key.length);
    ix.entry_shaped[i] = shape != nullptr;
    if (shape == nullptr)
        ix.shapes_full = true;
    else
        ix.entry_hash[i] = shape_hash(*shape, key.bytes.data());
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
    const TextByteTable& plain = text_plain_bytes(dict);
    for (std::size_t i = 0; i < body; ++i)
        if (!plain[p[i]])
            return false;
    text_advance(dict, line + 1);

    std::size_t k = 0;
    while (k < body && !is_key_end(p[k]))
        ++k;
    // No key end on the line, or a key over the length limit: no entry.
    if (k == body || k + 1 > ENTRY_MAX_LENGTH)
        return true;
    EntryText key;
    key.bytes[0] = first;
    std::memcpy(key.bytes.data() + 1, p, k);
    key.length = k + 1;
    key.bytes[key.length] = 0;
    const int match_mode = key_mode(p[k]);

    // The replacement: closed by its "!" within the limit, else as far as the
    // reader took it (to the line's end, or the limit).
    const unsigned char* r = p + k + 1;
    const std::size_t rest = body - (k + 1);
    std::size_t n = 0;
    while (n < rest && r[n] != REPLACEMENT_END)
        ++n;
    const bool closed = n < rest && n <= ENTRY_MAX_LENGTH;
    EntryText replacement;
    replacement.length = std::min(n, ENTRY_MAX_LENGTH);
    std::memcpy(replacement.bytes.data(), r, replacement.length);
    replacement.bytes[replacement.length] = 0;
    const bool ok = closed && std::memchr(r, END_MARKER, n) == nullptr;
    if (!add_entry(ix, key, match_mode, replacement, ok))
        ix.state[first] = TOO_BIG;
    return true;
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
            if (!add_entry(ix, key, match_mode, replacement, ok))
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
    // Linked from the last to the first, so each list keeps the file's order.
    std::size_t slots = 1024;
    while (slots < 2 * ix.entries_used)
        slots *= 2;
    ix.chain_mask = std::min(slots, INDEX_CHAINS) - 1;
    std::fill_n(ix.chains.begin(), ix.chain_mask + 1, IndexChain{});
    // Each entry's chain slot is fetched a few entries ahead of its linking:
    // the table is too large for the cache, and a large dictionary would
    // otherwise wait on every slot.
    constexpr std::size_t AHEAD = 16;
    for (std::size_t i = ix.entries_used; i-- > 0;) {
        if (i >= AHEAD)
            __builtin_prefetch(&ix.chains[chain_start(ix, ix.entry_hash[i - AHEAD])]);
        IndexEntry& e = ix.entries[i];
        const unsigned char first = ix.entry_first[i];
        if (ix.state[first] == TOO_BIG)
            continue;
        std::int32_t& head = ix.first[first][e.key_length];
        e.next = head;
        head = static_cast<std::int32_t>(i);
        if (!ix.entry_shaped[i])
            continue;
        const std::uint64_t h = ix.entry_hash[i];
        IndexChain& chain = chain_slot(ix, h);
        chain.tag = chain_tag(h);
        e.next_in_chain = chain.head;
        chain.head = static_cast<std::int32_t>(i);
    }
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
    return key_length < ENTRY_BYTES ? ix.first[sought][key_length] : INDEX_NONE;
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
