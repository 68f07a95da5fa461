// The dictionary held in memory for one run of the pass: for each first byte
// the entries a scan of replace.txt meets, in the order it meets them, made by
// running that scan once with the reader itself, and listed by key length.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/textfile.h"
#include "secondread/dictionary.h"

// Room for a dictionary of this many entries and key and replacement bytes; a
// first byte whose entries do not fit is looked up by scanning the file.
constexpr std::size_t INDEX_ENTRIES = 32768;
constexpr std::size_t INDEX_BYTES = std::size_t{1} << 20;

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
};

struct DictIndex {
    TextFile* dict = nullptr;
    // Per first byte: whether its entries have been read, and whether they fit.
    std::array<std::uint8_t, 256> state{};
    std::array<std::array<std::int32_t, ENTRY_BYTES>, 256> first{};
    std::array<IndexEntry, INDEX_ENTRIES> entries;
    std::array<unsigned char, INDEX_BYTES> pool;
    std::size_t entries_used = 0;
    std::size_t pool_used = 0;
};

// Starts an empty index over an open dictionary; entries are read the first
// time their first byte is looked up.
void dict_index_start(DictIndex& ix, TextFile& dict);
// The first entry a scan for sought would meet whose key has key_length bytes,
// or INDEX_NONE, or INDEX_SCAN.
int dict_index_first(DictIndex& ix, unsigned char sought, std::size_t key_length);
inline const unsigned char* index_key(const DictIndex& ix, const IndexEntry& e)
{
    return ix.pool.data() + e.key_at;
}
inline const unsigned char* index_replacement(const DictIndex& ix, const IndexEntry& e)
{
    return ix.pool.data() + e.key_at + e.key_length;
}
