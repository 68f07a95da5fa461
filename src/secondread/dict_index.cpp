// The in-memory dictionary of one run: the scan for each first byte made once,
// by the reader that the pass would otherwise run for every tail of every word.
#include "secondread/dict_index.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr std::uint8_t NOT_READ = 0;
constexpr std::uint8_t HELD = 1;
constexpr std::uint8_t TOO_BIG = 2;

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
    return true;
}

// Runs the scan for sought from the first line, as the pass does for a tail,
// with every entry rejected so that it goes on to the last one it can reach.
// A rejected entry's line is passed over from the end of its key; a broken
// replacement leaves the file at that same place, so reading it for the index
// changes nothing of the order.
void read_entries(DictIndex& ix, unsigned char sought)
{
    TextFile& dict = *ix.dict;
    const std::size_t entries_before = ix.entries_used;
    const std::size_t pool_before = ix.pool_used;
    dictionary_rewind(dict);
    EntryText key;
    EntryText replacement;
    bool fits = true;
    for (;;) {
        int match_mode = MATCH_ANYWHERE;
        if (!next_entry(dict, sought, key, match_mode))
            break;
        const long long after_key = text_tell(dict);
        const bool ok = read_replacement(dict, replacement) == ENTRY_OK;
        text_seek(dict, after_key, SEEK_SET);
        skip_line(dict);
        if (!add_entry(ix, key, match_mode, replacement, ok)) {
            fits = false;
            break;
        }
    }
    if (!fits) {
        ix.entries_used = entries_before;
        ix.pool_used = pool_before;
        ix.state[sought] = TOO_BIG;
        return;
    }
    // Linked from the last to the first, so each list keeps the file's order.
    for (std::size_t i = ix.entries_used; i-- > entries_before;) {
        IndexEntry& e = ix.entries[i];
        std::int32_t& head = ix.first[sought][e.key_length];
        e.next = head;
        head = static_cast<std::int32_t>(i);
    }
    ix.state[sought] = HELD;
}

}  // namespace

void dict_index_start(DictIndex& ix, TextFile& dict)
{
    ix.dict = &dict;
    ix.state.fill(NOT_READ);
    for (auto& lengths : ix.first)
        lengths.fill(INDEX_NONE);
    ix.entries_used = 0;
    ix.pool_used = 0;
}

int dict_index_first(DictIndex& ix, unsigned char sought, std::size_t key_length)
{
    if (ix.state[sought] == NOT_READ)
        read_entries(ix, sought);
    if (ix.state[sought] == TOO_BIG)
        return INDEX_SCAN;
    return key_length < ENTRY_BYTES ? ix.first[sought][key_length] : INDEX_NONE;
}
