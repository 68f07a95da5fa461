#include "zvuki/intoned_store.h"

#include <cstring>

#include "zvuki/recordings.h"

namespace {

void mix(std::uint64_t& h, const void* data, std::size_t n)
{
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < n; ++i) {
        h ^= p[i];
        h *= 0x100000001B3ull;
    }
}

std::uint64_t hash_of(const IntonedKey& k)
{
    std::uint64_t h = 0xCBF29CE484222325ull;
    mix(h, k.name.data(), k.name.size());
    mix(h, &k.factor, sizeof k.factor);
    mix(h, &k.f0_from, sizeof k.f0_from);
    mix(h, &k.f0_to, sizeof k.f0_to);
    mix(h, &k.shape, sizeof k.shape);
    return h == 0 ? 1 : h;
}

// Bit for bit: no two numbers that differ in any bit share a result.
bool same(const IntonedKey& a, const IntonedKey& b)
{
    return a.name == b.name && std::memcmp(&a.factor, &b.factor, sizeof a.factor) == 0 &&
           std::memcmp(&a.f0_from, &b.f0_from, sizeof a.f0_from) == 0 &&
           std::memcmp(&a.f0_to, &b.f0_to, sizeof a.f0_to) == 0 && a.shape == b.shape;
}

// The slot holding key, or the free one where it would go.
std::size_t slot_of(const IntonedStore& store, const IntonedKey& key, std::uint64_t h)
{
    std::size_t i = static_cast<std::size_t>(h) & (INTONED_SLOTS - 1);
    while (store.slots[i].size != 0 && !same(store.slots[i].key, key))
        i = (i + 1) & (INTONED_SLOTS - 1);
    return i;
}

// Notes h as made; true when it had been made before (or there is no room
// left to note it, when every result is kept while the arena has room).
bool made_before(IntonedStore& store, std::uint64_t h)
{
    if (store.seen_used >= INTONED_SEEN / 2)
        return true;
    std::size_t i = static_cast<std::size_t>(h >> 32) & (INTONED_SEEN - 1);
    while (store.seen[i] != 0 && store.seen[i] != h)
        i = (i + 1) & (INTONED_SEEN - 1);
    if (store.seen[i] == h)
        return true;
    store.seen[i] = h;
    ++store.seen_used;
    return false;
}

}  // namespace

IntonedKey intoned_key(const char* name, double factor, float f0_from, float f0_to, int shape)
{
    IntonedKey k;
    std::strncpy(k.name.data(), name, RECORDING_NAME_BYTES - 1);
    k.factor = factor;
    k.f0_from = f0_from;
    k.f0_to = f0_to;
    k.shape = shape;
    return k;
}

const IntonedResult* intoned_find(const IntonedStore& store, const IntonedKey& key)
{
    if (!recording_cache_enabled || store.slots_used == 0)
        return nullptr;
    const IntonedResult& r = store.slots[slot_of(store, key, hash_of(key))];
    return r.size != 0 ? &r : nullptr;
}

unsigned char* intoned_room(IntonedStore& store, const IntonedKey& key, std::size_t bytes)
{
    if (!recording_cache_enabled || bytes == 0 || store.slots_used >= INTONED_SLOTS / 2 ||
        bytes > store.arena.size() - store.arena_used)
        return nullptr;
    const std::uint64_t h = hash_of(key);
    if (!made_before(store, h))
        return nullptr;
    IntonedResult& r = store.slots[slot_of(store, key, h)];
    r.key = key;
    r.at = store.arena_used;
    r.size = bytes;
    store.arena_used += bytes;
    ++store.slots_used;
    return store.arena.data() + r.at;
}
