// Stage four: the syllables of slogi.tmp spoken into rech.wav from the voice's recordings.
#include "zvuki/zvuki.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/console.h"
#include "common/settings.h"
#include "common/tables.h"
#include "zvuki/recording_name.h"
#include "zvuki/zvuki_internal.h"

namespace {

// The terminators of a token and the join codes they give it.
struct JoinCode {
    char terminator;
    int code;
};
constexpr JoinCode JOIN_CODES[] = {
    {'+', 0},                 // syllable boundary inside a word, first kind
    {'-', 1},                 // syllable boundary inside a word, second kind
    {'_', 2},                 // end of a word
    {'~', 1 * PAUSE_UNIT},    // pause
    {'\n', 6 * PAUSE_UNIT},   // end of a paragraph
    {',', 6 * PAUSE_UNIT},
    {';', 12 * PAUSE_UNIT},
    {'#', 20 * PAUSE_UNIT},   // a pause of its own; the "#" stays in the token
    {':', 25 * PAUSE_UNIT},
    {'!', 27 * PAUSE_UNIT},
    {'.', 30 * PAUSE_UNIT},
    {'?', 35 * PAUSE_UNIT},
    {static_cast<char>(END_MARKER), 0},  // end of the stream
};

// The marks of the progress bar: one per twentieth of slogi.tmp.
constexpr double PROGRESS_STEP = 0.05;
const char WRITE_FAILED[] = "\nError imposible to write to output!\n";

// The join code of every byte, -1 for a byte that is no terminator.
constexpr std::array<int, 256> JOIN_CODE_TABLE = [] {
    std::array<int, 256> t{};
    t.fill(-1);
    for (const JoinCode& j : JOIN_CODES)
        t[static_cast<unsigned char>(j.terminator)] = j.code;
    return t;
}();
int join_code_of(int c) { return c >= 0 && c < 256 ? JOIN_CODE_TABLE[static_cast<std::size_t>(c)] : -1; }

// The end of slogi.tmp counts as its end marker: a file cut short ends the
// speech where it stops.
int next_byte(TextFile& in)
{
    const int c = text_getc(in);
    return c == TEXT_EOF ? END_MARKER : c;
}

enum class Sound { sounded, dropped, failed };

// The voice's recordings held for one run, each read from its file once: a
// fixed arena, and a table of names. A recording that finds no room is read
// from its file every time, as is every one when the cache is off. A second
// arena keeps held recordings at the loudnesses they were spoken at (a
// syllable is said at one of a few), for as long as there is room: the
// default voice's common syllables need under 3 MiB of it. The two arenas
// bound what any voice can take.
constexpr std::size_t VOICE_ARENA_BYTES = std::size_t{8} << 20;
constexpr std::size_t GAINED_ARENA_BYTES = std::size_t{4} << 20;
constexpr std::size_t VOICE_SLOTS = 1024;  // a power of two; at most half of it used
constexpr int GAINED_COPIES = 4;
struct GainedCopy {
    std::uint32_t gain_bits;  // the gain's float, bit for bit
    std::size_t at;           // the first sample in the arena
};
struct CachedRecording {
    char name[RECORDING_NAME_BYTES];  // empty: a free slot
    std::size_t at;
    std::size_t size;
    std::array<GainedCopy, GAINED_COPIES> gained;
    int gained_count;
};
struct VoiceCache {
    std::array<CachedRecording, VOICE_SLOTS> slots;
    std::size_t slots_used = 0;
    std::array<unsigned char, VOICE_ARENA_BYTES> arena;
    std::size_t arena_used = 0;
    std::array<std::int16_t, GAINED_ARENA_BYTES / 2> gained_arena;
    std::size_t gained_used = 0;  // samples
};
VoiceCache voice_cache;

void voice_cache_clear()
{
    for (CachedRecording& c : voice_cache.slots)
        c.name[0] = '\0';
    voice_cache.slots_used = 0;
    voice_cache.arena_used = 0;
    voice_cache.gained_used = 0;
}

// The slot of name: the one holding it, or the free one where it would go.
CachedRecording& voice_slot(const char* name)
{
    std::size_t h = 0;
    for (const char* c = name; *c != '\0'; ++c)
        h = h * 31 + static_cast<unsigned char>(*c);
    for (std::size_t i = h & (VOICE_SLOTS - 1);; i = (i + 1) & (VOICE_SLOTS - 1)) {
        CachedRecording& c = voice_cache.slots[i];
        if (c.name[0] == '\0' || std::strcmp(c.name, name) == 0)
            return c;
    }
}

// Reads the open recording of size bytes into the arena when it fits; true
// when it is now held (the file is then closed).
bool voice_keep(CachedRecording& slot, const char* name, TextFile& file, long long size)
{
    VoiceCache& vc = voice_cache;
    if (!recording_cache_enabled || vc.slots_used >= VOICE_SLOTS / 2 ||
        size > static_cast<long long>(vc.arena.size() - vc.arena_used))
        return false;
    const auto bytes = static_cast<std::size_t>(size);
    if (recording_io.read(file, vc.arena.data() + vc.arena_used, bytes) != bytes) {
        recording_io.seek(file, 0, SEEK_SET);
        return false;
    }
    std::strcpy(slot.name, name);
    slot.at = vc.arena_used;
    slot.size = bytes;
    slot.gained_count = 0;
    vc.arena_used += bytes;
    ++vc.slots_used;
    text_close(file);
    return true;
}

// Everything one run of the stage works with.
struct Stage {
    TextFile slogi;
    TextFile rech;
    TextFile recording;
    SampleWriter out;
    SlogToken next;
    SlogToken cur;
    std::size_t prefix_len = 0;
};
Stage stage;

void write_silence(int count)
{
    if (!put_silence(stage.out, count))
        fail_wait(WRITE_FAILED);
}

// The length of rech.wav goes into its header; then both files are closed.
// false when any write to rech.wav failed.
bool close_stage()
{
    TextFile& rech = stage.rech;
    // Everything goes to the disk first, so the length measured is what the
    // file really holds even when the disk filled up.
    flush_samples(stage.out);
    text_flush(rech);
    const long long pos = text_tell(rech);
    text_seek(rech, 0, SEEK_END);
    const long long total_length = text_tell(rech);
    text_seek(rech, pos, SEEK_SET);
    Wavetag(rech, total_length);
    if (wav_too_long(total_length))
        std::printf("%s", WAV_TOO_LONG_MESSAGE);
    text_close(stage.slogi);
    return text_close(rech) && !stage.out.failed;
}

int fail_stage()
{
    close_stage();
    return 0;
}

Sound sound_syllable()
{
    const SlogToken& cur = stage.cur;
    std::array<char, RECORDING_NAME_BYTES> file_name;
    // An over-long token or path is dropped like a syllable without a recording name.
    if (cur.too_long || !recording_file_name(cur.text.data(), strnlen(cur.text.data(), SLOG_BYTES - 1), file_name))
        return Sound::dropped;
    const char* name = file_name.data();
    const std::size_t name_len = std::strlen(name);
    if (stage.prefix_len + name_len > VOICE_BYTES - 1)
        return Sound::dropped;
    char path[VOICE_BYTES];
    std::memcpy(path, Settings.voice, stage.prefix_len);
    std::memcpy(path + stage.prefix_len, name, name_len + 1);

    CachedRecording& slot = voice_slot(name);
    const int slot_index = static_cast<int>(&slot - voice_cache.slots.data());
    SlogRecording rec;
    if (slot.name[0] != '\0') {
        rec.bytes = voice_cache.arena.data() + slot.at;
        rec.size = static_cast<long long>(slot.size);
        rec.kept = slot_index;
    } else {
        // Read-only: a voice installed where the user cannot write is still a voice.
        TextFile& file = stage.recording;
        if (!text_open(file, path, "r")) {
            std::printf("\nNo %s slog\n", name);
            return Sound::dropped;
        }
        if (!text_set_binary(file)) {
            text_close(file);
            fail_wait("Error on mode set");
            return Sound::failed;
        }
        const long long pos = text_tell(file);
        text_seek(file, 0, SEEK_END);
        const long long bytes = text_tell(file);
        text_seek(file, pos, SEEK_SET);
        if (voice_keep(slot, name, file, bytes)) {
            rec.bytes = voice_cache.arena.data() + slot.at;
            rec.size = bytes;
            rec.kept = slot_index;
        } else {
            rec.file = &file;
            rec.size = bytes;
        }
    }
    if (!join_slog(rec, rec.size / 2, cur.text, stage.cur.code, stage.next.text, stage.next.code, name,
                   stage.out))
        return Sound::failed;
    return Sound::sounded;
}

// The held tail goes out before a pause; a pause code becomes silence.
void pause_step()
{
    JoinState& st = join_state;
    const int code = stage.cur.code;
    if (code > 2) {
        flush_held(stage.out);
        st.prev_code = code * 100 / st.speed;
    } else {
        st.prev_code = code;
    }
    if (st.prev_code > 2)
        write_silence(st.prev_code - 2);
}

void shift_token()
{
    SlogToken& cur = stage.cur;
    const SlogToken& next = stage.next;
    for (std::size_t i = 0; i < cur.text.size(); ++i) {
        cur.text[i] = next.text[i];
        if (next.text[i] == '\0')
            break;
    }
    cur.code = next.code;
    cur.length = next.length;
    cur.too_long = next.too_long;
}

}  // namespace

const std::int16_t* gained_samples(const SlogRecording& rec, float gain)
{
    if (std::endian::native != std::endian::little || rec.kept < 0)
        return nullptr;
    VoiceCache& vc = voice_cache;
    CachedRecording& slot = vc.slots[static_cast<std::size_t>(rec.kept)];
    const auto bits = std::bit_cast<std::uint32_t>(gain);
    for (int i = 0; i < slot.gained_count; ++i)
        if (slot.gained[static_cast<std::size_t>(i)].gain_bits == bits)
            return vc.gained_arena.data() + slot.gained[static_cast<std::size_t>(i)].at;
    const std::size_t samples = slot.size / 2;
    if (slot.gained_count == GAINED_COPIES || samples > vc.gained_arena.size() - vc.gained_used)
        return nullptr;
    std::int16_t* to = vc.gained_arena.data() + vc.gained_used;
    gain_sample_bytes(vc.arena.data() + slot.at, to, samples, static_cast<double>(gain));
    slot.gained[static_cast<std::size_t>(slot.gained_count++)] = {bits, vc.gained_used};
    vc.gained_used += samples;
    return to;
}

void read_slog_token(TextFile& in, SlogToken& token)
{
    token.too_long = false;
    int i = 0;
    int c = next_byte(in);
    token.text[0] = static_cast<char>(c);
    for (;;) {
        if (c == 0) {
            // A NUL ends the token and keeps the code of the one before.
            token.text[static_cast<std::size_t>(i < SLOG_BYTES ? i : SLOG_BYTES - 1)] = '\0';
            token.length = i;
            return;
        }
        const int code = join_code_of(c);
        if (code >= 0) {
            token.code = code;
            if (c == '#') {
                if (i < SLOG_BYTES - 1)
                    token.text[static_cast<std::size_t>(i)] = '#';
                ++i;
            }
            if (i > SLOG_BYTES - 1) {
                token.too_long = true;
                i = SLOG_BYTES - 1;
            }
            if (c == END_MARKER) {
                token.text[static_cast<std::size_t>(i)] = '\0';
                token.length = TOKEN_END;
            } else if (i > 0) {
                token.text[static_cast<std::size_t>(i)] = '\0';
                token.length = i;
            } else {
                // Ended at its first byte: the buffer keeps the terminator and
                // what earlier tokens left behind it.
                token.length = 0;
            }
            return;
        }
        if (i < SLOG_BYTES - 1)
            token.text[static_cast<std::size_t>(i)] = static_cast<char>(c);
        else
            token.too_long = true;
        ++i;
        c = next_byte(in);
        if (i < SLOG_BYTES - 1)
            token.text[static_cast<std::size_t>(i)] = static_cast<char>(c);
    }
}

int Zvuki()
{
    std::printf("Zvuki initialized...\n");
    Stage& s = stage;
    if (!text_open(s.slogi, "slogi.tmp", "r"))
        return fail_wait("slogi.tmp could not be found");
    if (!text_open(s.rech, "rech.wav", "w+")) {
        text_close(s.slogi);
        return fail_wait("Output not open\n");
    }
    writer_start(s.out, s.rech);
    if (!Wavetag(s.rech, 0)) {
        fail_wait("Wavetag failed first call\n");
        return fail_stage();
    }
    write_silence(LEAD_IN_SAMPLES);

    s.prefix_len = strnlen(Settings.voice, VOICE_BYTES);
    const long long pos = text_tell(s.slogi);
    text_seek(s.slogi, 0, SEEK_END);
    const double size = static_cast<double>(text_tell(s.slogi));
    text_seek(s.slogi, pos, SEEK_SET);
    std::printf("\n[");
    std::fflush(stdout);

    join_reset();
    voice_cache_clear();
    s.next = SlogToken{};
    s.cur = SlogToken{};
    double progress_step = PROGRESS_STEP;
    bool last = false;
    while (!last) {
        if (size > 0 && static_cast<double>(text_tell(s.slogi)) / size > progress_step) {
            progress_step += PROGRESS_STEP;
            console_mark();
        }
        shift_token();
        if (s.cur.length == TOKEN_END) {
            last = true;
            s.cur.code = END_CODE;
        } else {
            read_slog_token(s.slogi, s.next);
            // A token that ended at its first byte makes neither sound nor pause.
            if (s.cur.length == 0)
                continue;
        }
        if (s.cur.text[0] == '\0')
            continue;
        if (s.cur.text[0] != '#') {
            const Sound result = sound_syllable();
            if (result == Sound::failed)
                return fail_stage();
            if (result == Sound::dropped)
                continue;
        }
        pause_step();
    }
    std::printf("]\n\n");
    if (!close_stage())
        return fail_wait(WRITE_FAILED);
    return 1;
}
