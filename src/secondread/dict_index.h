// The dictionary held in memory for one run of the pass: for each first byte
// the entries a scan of replace.txt meets, in the order it meets them, made by
// one pass of the reader itself over the file, and listed by key length. The
// entries of a first byte and key length are hashed into the chains when a
// tail first asks for them, so a short text pays only for the few it meets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/textfile.h"
#include "secondread/dictionary.h"

// Room for a dictionary of this many entries and key and replacement bytes; a
// first byte whose entries do not fit is looked up by scanning the file.
constexpr std::size_t INDEX_ENTRIES = std::size_t{1} << 17;
constexpr std::size_t INDEX_BYTES = std::size_t{1} << 22;

// What the lookup of a first byte and a key length gives instead of an entry.
constexpr int INDEX_NONE = -1;  // no entry: the scan would find nothing
constexpr int INDEX_SCAN = -2;  // not held: scan replace.txt as the reader does

struct IndexEntry {
    std::uint32_t key_at;   // key bytes in the pool, then the replacement's
    std::uint8_t key_length;
    std::uint8_t replacement_length;
    std::uint8_t match_mode;
    bool replacement_ok;    // the replacement was closed by its "!"
    std::int32_t next;      // the next entry of the same first byte and key length
    std::int32_t next_in_chain;  // the next entry of the same IndexChain
};

// A key's shape: its length and where its "*" bytes stand. Entries are found
// by their other bytes, a delimiter counting as any delimiter.
constexpr std::size_t INDEX_SHAPES = 256;
struct IndexShape {
    std::uint64_t stars = 0;
    std::size_t length = 0;
    std::int32_t next = INDEX_NONE;  // the next shape of the same length
};
// A hash table of chains of entries whose keys have one shape and the same
// other bytes (or share a hash: every entry is matched again), in file order;
// twice as large as the entries can fill.
constexpr std::size_t INDEX_CHAINS = 2 * INDEX_ENTRIES;
// The table is cleared as far as it is used, never at construction.
struct IndexChain {
    std::uint32_t tag;  // high bits of the hash, never 0; 0: a free slot
    std::int32_t head;  // meaningful only in a slot in use
};

struct DictIndex {
    TextFile* dict = nullptr;
    bool keep_stress = false;  // stress marks of replacements are written (the everyday reading)
    // Per first byte: whether its entries have been read, and whether they fit.
    std::array<std::uint8_t, 256> state{};
    std::array<std::array<std::int32_t, ENTRY_BYTES>, 256> first{};
    std::array<std::array<std::int32_t, ENTRY_BYTES>, 256> last;  // the end of each list while reading
    // Per first byte and key length: whether its entries are in the chains.
    std::array<std::array<bool, ENTRY_BYTES>, 256> chained{};
    std::size_t chained_entries = 0;
    std::array<IndexShape, INDEX_SHAPES> shapes;
    std::size_t shapes_used = 0;
    bool shapes_full = false;  // then the lists of first byte and length are walked
    const IndexShape* last_shape = nullptr;  // the shape found last
    std::array<std::int32_t, ENTRY_BYTES> first_shape{};
    std::array<IndexChain, INDEX_CHAINS> chains;
    std::size_t chain_mask = 0;  // the slots in use, less one
    std::array<IndexEntry, INDEX_ENTRIES> entries;
    std::array<unsigned char, INDEX_BYTES> pool;
    // Per entry: its first byte, kept as it is read; whether its shape is
    // held and its key's hash, from when it is chained.
    std::array<unsigned char, INDEX_ENTRIES> entry_first;
    std::array<bool, INDEX_ENTRIES> entry_shaped;
    std::array<std::uint64_t, INDEX_ENTRIES> entry_hash;
    std::size_t entries_used = 0;
    std::size_t pool_used = 0;
    std::array<std::int32_t, INDEX_ENTRIES> batch;  // the entries being chained
};

// Starts an empty index over an open dictionary; its entries are read at the
// first lookup, and chained at the first lookup of their first byte and key
// length.
void dict_index_start(DictIndex& ix, TextFile& dict);
// Reads and chains every entry now.
void dict_index_load(DictIndex& ix);
// The first entry a scan for sought would meet whose key has key_length bytes,
// or INDEX_NONE, or INDEX_SCAN.
int dict_index_first(DictIndex& ix, unsigned char sought, std::size_t key_length);
// The first entry (then next_in_chain) of the chain where an entry of the
// shape that matches the tail would be; INDEX_NONE when there is none.
int dict_index_chain(const DictIndex& ix, const IndexShape& shape, const unsigned char* tail);
inline const unsigned char* index_key(const DictIndex& ix, const IndexEntry& e)
{
    return ix.pool.data() + e.key_at;
}
inline const unsigned char* index_replacement(const DictIndex& ix, const IndexEntry& e)
{
    return ix.pool.data() + e.key_at + e.key_length;
}
