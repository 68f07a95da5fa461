// The voice's recordings during one run: the store and the sample source.
#include "zvuki/recordings.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

#include "zvuki/sample_writer.h"

RecordingIo recording_io = {text_read, text_seek};
bool recording_cache_enabled = true;

KeptRecording& voice_slot(VoiceStore& store, const char* name)
{
    std::size_t h = 0;
    for (const char* c = name; *c != '\0'; ++c)
        h = h * 31 + static_cast<unsigned char>(*c);
    for (std::size_t i = h & (VOICE_SLOTS - 1);; i = (i + 1) & (VOICE_SLOTS - 1)) {
        KeptRecording& k = store.slots[i];
        if (k.name[0] == '\0' || std::strcmp(k.name.data(), name) == 0)
            return k;
    }
}

bool voice_keep(VoiceStore& store, KeptRecording& slot, const char* name, TextFile& file, long long size)
{
    if (!recording_cache_enabled || store.slots_used >= VOICE_SLOTS / 2 ||
        size > static_cast<long long>(store.arena.size() - store.arena_used))
        return false;
    const auto bytes = static_cast<std::size_t>(size);
    if (recording_io.read(file, store.arena.data() + store.arena_used, bytes) != bytes) {
        recording_io.seek(file, 0, SEEK_SET);
        return false;
    }
    std::strcpy(slot.name.data(), name);
    slot.at = store.arena_used;
    slot.size = bytes;
    slot.gained_count = 0;
    store.arena_used += bytes;
    ++store.slots_used;
    text_close(file);
    return true;
}

void voice_note_absent(VoiceStore& store, KeptRecording& slot, const char* name)
{
    if (!recording_cache_enabled || store.slots_used >= VOICE_SLOTS / 2)
        return;
    std::strcpy(slot.name.data(), name);
    slot.size = 0;
    slot.absent = true;
    ++store.slots_used;
}

const std::int16_t* gained_samples(VoiceStore& store, KeptRecording& slot, float gain)
{
    if (std::endian::native != std::endian::little)
        return nullptr;
    const auto bits = std::bit_cast<std::uint32_t>(gain);
    for (int i = 0; i < slot.gained_count; ++i)
        if (slot.gained[static_cast<std::size_t>(i)].gain_bits == bits)
            return store.gained_arena.data() + slot.gained[static_cast<std::size_t>(i)].at;
    const std::size_t samples = slot.size / 2;
    if (slot.gained_count == GAINED_COPIES || samples > store.gained_arena.size() - store.gained_used)
        return nullptr;
    std::int16_t* to = store.gained_arena.data() + store.gained_used;
    gain_sample_bytes(store.arena.data() + slot.at, to, samples, static_cast<double>(gain));
    slot.gained[static_cast<std::size_t>(slot.gained_count++)] = {bits, store.gained_used};
    store.gained_used += samples;
    return to;
}

namespace {

// Fetches the next block of a recording read from its file; false when
// nothing more comes.
bool refill(SampleSource& s)
{
    if (s.left <= 0)
        return false;
    std::size_t want = s.block.size();
    if (static_cast<long long>(want / 2) > s.left)
        want = static_cast<std::size_t>(s.left) * 2;
    const std::size_t got = recording_io.read(*s.file, s.block.data(), want);
    // A short read means the file ended early or failed: nothing more comes.
    s.left = got == want ? s.left - static_cast<long long>(want / 2) : 0;
    s.len = got & ~static_cast<std::size_t>(1);
    s.pos = 0;
    return s.len > 0;
}

// Up to m samples of the recording as they are.
std::size_t get_samples(SampleSource& s, std::int16_t* to, std::size_t m)
{
    std::size_t got = 0;
    while (got < m) {
        if (s.pos + 2 > s.len && !refill(s))
            break;
        const std::size_t take = std::min((s.len - s.pos) / 2, m - got);
        samples_from_bytes(s.data + s.pos, to + got, take);
        s.pos += 2 * take;
        got += take;
    }
    return got;
}

}  // namespace

bool source_skip(SampleSource& s, long long samples)
{
    if (s.file != nullptr)
        return recording_io.seek(*s.file, 2 * samples, SEEK_SET);
    s.start = 2 * samples;
    return true;
}

void source_start(SampleSource& s, long long samples, float gain)
{
    s.gain = gain;
    s.pos = s.len = 0;
    s.left = samples > 0 ? samples : 0;
    s.data = s.block.data();
    s.gained = nullptr;
    if (s.file == nullptr) {
        // In memory all of it is there at once.
        s.data = s.bytes + s.start;
        if (s.kept != nullptr) {
            const std::int16_t* g = gained_samples(*s.store, *s.kept, gain);
            if (g != nullptr)
                s.gained = g + s.start / 2;
        }
        long long bytes = s.size - s.start;
        if (bytes > 2 * s.left)
            bytes = 2 * s.left;
        s.len = bytes > 0 ? static_cast<std::size_t>(bytes) & ~static_cast<std::size_t>(1) : 0;
        s.left = 0;
    }
}

std::size_t source_gained(SampleSource& s, std::int16_t* chunk, const std::int16_t*& from, std::size_t m)
{
    if (s.gained != nullptr) {
        const std::size_t take = std::min((s.len - s.pos) / 2, m);
        from = s.gained + s.pos / 2;
        s.pos += 2 * take;
        return take;
    }
    const std::size_t got = get_samples(s, chunk, m);
    gain_samples(chunk, got, s.gain);
    from = chunk;
    return got;
}

std::size_t source_faded(SampleSource& s, std::int16_t* chunk, std::size_t m, long long k, std::int16_t fade_len)
{
    const std::size_t got = get_samples(s, chunk, m);
    fade_samples(chunk, got, k, fade_len);
    gain_samples(chunk, got, s.gain);
    return got;
}

std::size_t source_put(SampleSource& s, SampleWriter& out, std::size_t m, bool& ok)
{
    // Kept at their loudness, the samples go out from where they lie; else
    // straight from the bytes waiting into the output block, as many as both hold.
    const std::size_t waiting = (s.len - s.pos) / 2;
    if (waiting == 0 || out.failed || (s.gained == nullptr && std::endian::native != std::endian::little))
        return 0;
    m = std::min(m, s.gained != nullptr ? waiting : std::min(waiting, block_room(out)));
    if (s.gained != nullptr) {
        ok = put_lasting(out, reinterpret_cast<const unsigned char*>(s.gained + s.pos / 2), 2 * m);
    } else {
        gain_bytes(s.data + s.pos, out.block.data() + out.used, m, s.gain);
        ok = commit_block(out, 2 * m);
    }
    s.pos += 2 * m;
    return m;
}

void source_close(SampleSource& s)
{
    if (s.file != nullptr)
        text_close(*s.file);
}
