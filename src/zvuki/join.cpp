// Joining one syllable recording onto the speech: length unit, held tail,
// overlap, crossfade, fade-out and loudness by letter classes.
#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/console.h"
#include "common/settings.h"
#include "common/tables.h"
#include "zvuki/zvuki_internal.h"

JoinState join_state;
void (*join_trace_hook)(const JoinTrace& trace) = nullptr;
RecordingIo recording_io = {text_read, text_seek};
bool recording_cache_enabled = true;

namespace {

// Letter classes of code page 1251 bytes.
constexpr char FRICATIVES[] = "\xF1\xE7\xF4\xF5\xF8\xF9\xE6";  // сзфхшщж
constexpr char SONORANTS[] = "\xEC\xED\xEB";                    // мнл
constexpr char VOICED_STOPS[] = "\xE1\xE3\xE4";                 // бгд
constexpr char VOICELESS_STOPS[] = "\xEA\xF2\xEF\xF7\xF6";      // ктпчц

constexpr ByteTable FRICATIVE_TABLE = byte_table(FRICATIVES);
constexpr ByteTable SONORANT_TABLE = byte_table(SONORANTS);
constexpr ByteTable VOICED_STOP_TABLE = byte_table(VOICED_STOPS);
constexpr ByteTable VOICELESS_STOP_TABLE = byte_table(VOICELESS_STOPS);
bool is_fricative(unsigned char c) { return FRICATIVE_TABLE[c] != 0; }
bool is_sonorant(unsigned char c) { return SONORANT_TABLE[c] != 0; }
bool is_voiced_stop(unsigned char c) { return VOICED_STOP_TABLE[c] != 0; }
bool is_voiceless_stop(unsigned char c) { return VOICELESS_STOP_TABLE[c] != 0; }

constexpr unsigned char LETTER_V = 0xE2;     // в
constexpr unsigned char LETTER_ZH = 0xE6;    // ж
constexpr unsigned char LETTER_Z = 0xE7;     // з
constexpr unsigned char LETTER_I = 0xE8;     // и
constexpr unsigned char LETTER_L = 0xEB;     // л
constexpr unsigned char LETTER_F = 0xF4;     // ф
constexpr unsigned char LETTER_KH = 0xF5;    // х
constexpr unsigned char LETTER_Y = 0xFB;     // ы
constexpr unsigned char LETTER_YU = 0xFE;    // ю
constexpr unsigned char PAUSE_MARK = '#';

// Pause lengths the joiner gives a syllable, at speed 100.
constexpr int WORD_PAUSE = PAUSE_UNIT * 100;  // before "и" or a voiceless stop
constexpr int STOP_PAUSE = 3000;              // a syllable boundary before a voiceless stop
constexpr float SHRINK = 0.7f;

unsigned char byte_at(const Slog& s, int i) { return static_cast<unsigned char>(s[static_cast<std::size_t>(i)]); }

// The second letter: byte 1, or byte 0 of a one-character syllable.
unsigned char second_letter(const Slog& s)
{
    return (s[0] != '\0' && s[1] == '\0') ? byte_at(s, 0) : byte_at(s, 1);
}

int slog_length(const Slog& s)
{
    int n = 0;
    while (n < SLOG_BYTES && s[static_cast<std::size_t>(n)] != '\0')
        ++n;
    return n;
}

// Truncation of a length computed in floating point; saturates instead of
// overflowing, and a NaN (only from broken settings) counts as 0.
long long trunc_len(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (v <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<long long>(v);
}

// Halving of held and overlap by factor f.
void shrink_overlap(long long& held, long long& overlap, double f)
{
    if (overlap >= held) {
        held = trunc_len(static_cast<double>(held) * f);
        overlap = trunc_len(static_cast<double>(overlap) - static_cast<double>(held) * f);
    } else {
        overlap = trunc_len(static_cast<double>(overlap) * f);
    }
}

// A length above 0.4 of the recording is cut to 0.4 of it.
void cap_at_04(long long& len, long long n)
{
    const double nd = static_cast<double>(n);
    const double ld = static_cast<double>(len);
    if (ld / nd > 0.4)
        len = trunc_len((0.4 * nd / ld) * ld);
}

// Reads one recording in blocks, never past the samples it holds (an odd last
// byte is never read).
constexpr std::size_t IN_BLOCK_BYTES = 16384;
struct SampleReader {
    SlogRecording* rec = nullptr;
    std::array<unsigned char, IN_BLOCK_BYTES> block;
    const unsigned char* data = nullptr;  // the block, or the recording in memory
    const std::int16_t* gained = nullptr;  // its gained samples from data's first on, if made
    std::size_t pos = 0;
    std::size_t len = 0;
    long long left = 0;  // samples of the file not yet fetched
};
SampleReader reader;

void reader_start(SlogRecording& rec, long long samples, const std::int16_t* gained)
{
    reader.rec = &rec;
    reader.pos = reader.len = 0;
    reader.left = samples > 0 ? samples : 0;
    reader.data = reader.block.data();
    reader.gained = nullptr;
    if (rec.file == nullptr) {
        // In memory all of it is there at once.
        reader.data = rec.bytes + rec.start;
        if (gained != nullptr)
            reader.gained = gained + rec.start / 2;
        long long bytes = rec.size - rec.start;
        if (bytes > 2 * reader.left)
            bytes = 2 * reader.left;
        reader.len = bytes > 0 ? static_cast<std::size_t>(bytes) & ~static_cast<std::size_t>(1) : 0;
        reader.left = 0;
    }
}

// Fetches the next block of a recording read from its file; false when
// nothing more comes.
bool refill()
{
    if (reader.left <= 0)
        return false;
    std::size_t want = reader.block.size();
    if (static_cast<long long>(want / 2) > reader.left)
        want = static_cast<std::size_t>(reader.left) * 2;
    const std::size_t got = recording_io.read(*reader.rec->file, reader.block.data(), want);
    // A short read means the file ended early or failed: nothing more comes.
    reader.left = got == want ? reader.left - static_cast<long long>(want / 2) : 0;
    reader.len = got & ~static_cast<std::size_t>(1);
    reader.pos = 0;
    return reader.len > 0;
}

// Up to m samples of the recording; fewer only when it ends or a read fails.
std::size_t get_samples(std::int16_t* to, std::size_t m)
{
    std::size_t got = 0;
    while (got < m) {
        if (reader.pos + 2 > reader.len && !refill())
            break;
        const std::size_t take = std::min((reader.len - reader.pos) / 2, m - got);
        samples_from_bytes(reader.data + reader.pos, to + got, take);
        reader.pos += 2 * take;
        got += take;
    }
    return got;
}

// The next up to m samples of the recording at their loudness, from its gained
// samples (at *from); fewer only when it ends.
std::size_t take_gained(const std::int16_t*& from, std::size_t m)
{
    const std::size_t take = std::min((reader.len - reader.pos) / 2, m);
    from = reader.gained + reader.pos / 2;
    reader.pos += 2 * take;
    return take;
}

// The sample loops below run a syllable's samples through in chunks; each is
// a plain loop the compiler turns into vector code, with GCC on x86-64 and ELF
// also in forms for AVX2 and AVX-512 chosen at load time by the processor.
// Each gives the same samples: no multiply-add is fused (see CMakeLists.txt).
constexpr std::size_t CHUNK_SAMPLES = 2048;
using Chunk = std::array<std::int16_t, CHUNK_SAMPLES>;
#if defined(__x86_64__) && defined(__ELF__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define SAMPLE_LOOP __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define SAMPLE_LOOP
#endif

// Loudness of little-endian sample bytes, from one block into another.
SAMPLE_LOOP void gain_bytes(const unsigned char* from, unsigned char* to, std::size_t m, double g)
{
    if (!gain_in_int_range(g)) {
        for (std::size_t i = 0; i < m; ++i) {
            std::int16_t s;
            std::memcpy(&s, from + 2 * i, 2);
            const std::int16_t v = to_sample(s * g);
            std::memcpy(to + 2 * i, &v, 2);
        }
        return;
    }
    for (std::size_t i = 0; i < m; ++i) {
        std::int16_t s;
        std::memcpy(&s, from + 2 * i, 2);
        const std::int16_t v = int_to_sample(s * g);
        std::memcpy(to + 2 * i, &v, 2);
    }
}

// Loudness: each sample times the gain.
SAMPLE_LOOP void gain_samples(std::int16_t* s, std::size_t m, double g)
{
    if (!gain_in_int_range(g)) {
        for (std::size_t i = 0; i < m; ++i)
            s[i] = to_sample(s[i] * g);
        return;
    }
    for (std::size_t i = 0; i < m; ++i)
        s[i] = int_to_sample(s[i] * g);
}

// The fade-out: the samples whose remaining count is below fade_len are scaled
// down linearly, by 1 - 1/f, 1 - 2/f, ...; faded_before of them came earlier.
SAMPLE_LOOP void fade_samples(std::int16_t* s, std::size_t m, long long faded_before, std::int16_t fade_len)
{
    // At most fade_len - 1 samples are ever faded, so the counts fit an int,
    // and each scale lies in (0, 1).
    const int k = static_cast<int>(faded_before) + 1;
    const double f = fade_len;
    const int count = static_cast<int>(m);
    for (int i = 0; i < count; ++i) {
        const double q = static_cast<double>(k + i) / f;
        s[i] = int_to_sample(s[i] - q * s[i]);
    }
}

// The crossfade from the held samples old into the recording's samples s,
// already at their loudness, into to; the first is step j of overlap_len (both
// within the tail buffer's length).
SAMPLE_LOOP void crossfade_samples(const std::int16_t* s, const std::int16_t* old, std::int16_t* to,
                                   std::size_t m, long long j, long long overlap_len)
{
    const int j0 = static_cast<int>(j);
    const double len = static_cast<double>(overlap_len);
    const int count = static_cast<int>(m);
    // Between two samples: the result stays within the range of int.
    for (int i = 0; i < count; ++i) {
        const int a = s[i];
        const int o = old[i];
        to[i] = int_to_sample(o - (o - a) * (static_cast<double>(j0 + i) / len));
    }
}

// Held samples from position from on, 0 outside the buffer.
void tail_range(long long from, std::int16_t* to, std::size_t m)
{
    const long long end = from + static_cast<long long>(m);
    // [from, a) and [b, end) lie outside the buffer, [a, b) inside.
    const long long a = std::min(std::max(from, 0LL), end);
    const long long b = std::max(std::min(end, static_cast<long long>(TAIL_SAMPLES)), a);
    std::fill(to, to + (a - from), std::int16_t{0});
    std::copy(join_state.tail_buffer.data() + a, join_state.tail_buffer.data() + b, to + (a - from));
    std::fill(to + (b - from), to + m, std::int16_t{0});
}

bool seek_recording(SlogRecording& rec, long long offset)
{
    if (rec.file != nullptr)
        return recording_io.seek(*rec.file, offset, SEEK_SET);
    rec.start = offset;
    return true;
}

void close_recording(SlogRecording& rec)
{
    if (rec.file != nullptr)
        text_close(*rec.file);
}

void copy_slog(Slog& to, const Slog& from)
{
    for (std::size_t i = 0; i < to.size(); ++i) {
        to[i] = from[i];
        if (from[i] == '\0')
            break;
    }
    to[SLOG_BYTES - 1] = '\0';
}

bool fail_join(SlogRecording& recording, const char* message)
{
    close_recording(recording);
    fail_wait(message);
    return false;
}

}  // namespace

void gain_sample_bytes(const unsigned char* from, std::int16_t* to, std::size_t m, double g)
{
    for (std::size_t i = 0; i < m; i += CHUNK_SAMPLES) {
        const std::size_t take = std::min(m - i, CHUNK_SAMPLES);
        samples_from_bytes(from + 2 * i, to + i, take);
        gain_samples(to + i, take, g);
    }
}

void join_reset()
{
    join_state.tail_buffer.fill(0);
    join_state.held = 0;
    join_state.prev_slog.fill('\0');
    join_state.prev_code = 3;
    // The stage divides by the speed; a value the settings loader would have
    // repaired gets the same repair here.
    join_state.speed = (Settings.speed < 1 || Settings.speed > 200) ? DEFAULT_SPEED : Settings.speed;
    join_state.stutter = Settings.stutter;
    join_state.volume = Settings.volume;
}

float class_factor_for(const Slog& cur, const Slog& prev, int cur_code, float& shrink_factor)
{
    const unsigned char c0 = byte_at(cur, 0);
    const unsigned char p0 = byte_at(prev, 0);
    const unsigned char p1 = byte_at(prev, 1);
    const unsigned char pv = second_letter(prev);
    const float f0 = is_voiceless_stop(p0) ? 1.15f : 1.0f;

    float f = f0;
    if (is_sonorant(c0)) {
        if (p1 == LETTER_Y)
            f = 1.5f;
        else
            f = c0 == LETTER_L ? 1.3f : 1.2f;
    } else if (is_voiced_stop(c0)) {
        f = 1.15f;
    } else if (is_fricative(c0)) {
        if (c0 == LETTER_KH || c0 == LETTER_F) {
            f = 1.5f;
            shrink_factor = SHRINK;
        } else if (c0 == LETTER_Z || c0 == LETTER_ZH) {
            f = 1.2f;
            shrink_factor = SHRINK;
        } else {
            f = 1.1f;
        }
    } else if (is_vowel(c0)) {
        f = is_vowel(pv) ? f0 : 1.5f;
    }

    if (is_vowel(pv)) {
        if (is_vowel(c0)) {
            if (cur_code > 1)
                f = 1.5f;
            else if (c0 == LETTER_YU)
                f = 1.2f;
        }
    } else if (is_voiced_stop(pv)) {
        f = 1.1f;
    } else if (p0 == LETTER_V && static_cast<double>(f) < 1.3) {
        f = 1.3f;
    }
    if (p1 == SOFT_SIGN)
        f = 2.0f;
    return f;
}

float class_gain_for(const Slog& cur, int cur_code)
{
    const unsigned char c0 = byte_at(cur, 0);
    if (is_vowel(second_letter(cur))) {
        if (is_vowel(c0))
            return 1.05f;
        if (cur_code > 1)
            return 1.0f;
        if (is_voiceless_stop(c0))
            return 1.2f;
        if (is_voiced_stop(c0) || is_sonorant(c0))
            return 1.15f;
        return 1.0f;
    }
    if (cur_code < 2)
        return 1.05f;
    if (is_sonorant(c0))
        return 1.0f;
    return 0.95f;
}

void flush_held(SampleWriter& out)
{
    const int held = std::min(join_state.held, TAIL_SAMPLES);
    if (held > 0)
        put_samples(out, join_state.tail_buffer.data(), static_cast<std::size_t>(held));
    join_state.held = 0;
}

bool join_slog(SlogRecording& recording, long long n, const Slog& cur_slog, int& cur_code,
               const Slog& next_slog, int next_code, const char* file_name, SampleWriter& out)
{
    JoinState& st = join_state;
    const int speed = st.speed;
    const long long file_samples = n;
    JoinTrace tr;
    tr.n = n;
    char message[160];

    // 1. The length unit.
    long long unit = trunc_len(static_cast<double>(n) / static_cast<double>(st.stutter));
    if (unit < 0)
        unit = 0;
    if (slog_length(cur_slog) >= 2)
        unit /= 2;
    unit = unit * speed / 100;
    tr.unit = unit;

    // 2. Word end: the tail by the vowels on both sides of the gap.
    long long tail_len = 0;
    const unsigned char next0 = byte_at(next_slog, 0);
    if (cur_code == 2) {
        if (second_letter(next_slog) == LETTER_I && next_code > 1) {
            tail_len = 0;
            cur_code = WORD_PAUSE / speed;
        } else if (is_vowel(second_letter(cur_slog)) == is_vowel(next0)) {
            tail_len = unit / 2;
        } else if (next0 == PAUSE_MARK) {
            cur_code = 3;
        } else {
            tail_len = unit;
        }
    }

    // 3. The tail by the next token's first letter.
    std::int16_t fade_len = 1;
    if (is_voiceless_stop(next0)) {
        tail_len = 0;
        if (cur_code >= 2) {
            cur_code = WORD_PAUSE / speed;
        } else {
            if (byte_at(st.prev_slog, 1) != SOFT_SIGN)
                n -= unit;
            fade_len = static_cast<std::int16_t>(2 * unit);
            cur_code = STOP_PAUSE / speed;
        }
    } else if (cur_code == 0) {
        tail_len = 10 * unit;
    } else if (cur_code == 1) {
        tail_len = 11 * unit;
    } else if (cur_code > 2) {
        tail_len = 0;
    }
    tr.cur_code = cur_code;

    // 4. The overlap with the held tail, and the letter factors.
    bool keep_held = false;
    float class_factor = 1.0f;
    float shrink_factor = 1.0f;
    long long overlap_len = 0;
    if (st.prev_code > 1) {
        keep_held = true;
        overlap_len = (st.prev_code == 2 && st.held != 0) ? unit / 2 : 0;
    } else {
        overlap_len = (st.prev_code == 0 ? 10 : 11) * unit;
        class_factor = class_factor_for(cur_slog, st.prev_slog, cur_code, shrink_factor);
    }

    // 5. Bounds by the recording's length.
    if (cur_code > 2) {
        if (fade_len == 1)
            fade_len = static_cast<std::int16_t>(n / 10);
        tail_len = 0;
    } else if (tail_len > n) {
        tail_len = (n / 2) * speed / 100;
    }
    if (overlap_len >= n)
        overlap_len = (n / 2) * speed / 100;
    tr.overlap_start = overlap_len;

    // 6. The class factor shortens the overlap or passes part of the held tail.
    long long held = st.held;
    std::int16_t pass_len = 0;
    if (class_factor != 1.0f) {
        const double cf = class_factor;
        if (held > overlap_len) {
            pass_len = static_cast<std::int16_t>(
                trunc_len(static_cast<double>(held) - static_cast<double>(held) / cf));
            held = trunc_len(static_cast<double>(held) - cf);
            if (held < overlap_len)
                overlap_len = held;
        } else {
            overlap_len = trunc_len(static_cast<double>(overlap_len) / cf);
            if (held > overlap_len) {
                pass_len = static_cast<std::int16_t>(held - overlap_len);
                held = overlap_len;
            }
        }
    }
    tr.class_factor = class_factor;
    tr.shrink_factor = shrink_factor;
    tr.overlap_after_class = overlap_len;
    tr.pass_len = pass_len;

    // 7. Halving.
    if (st.prev_code < 3 && held != 0) {
        shrink_overlap(held, overlap_len, 0.5);
        if (shrink_factor != 1.0f)
            shrink_overlap(held, overlap_len, static_cast<double>(shrink_factor));
    }
    tr.held_after_halving = held;
    tr.overlap_after_halving = overlap_len;

    // 8. Neither the overlap nor the tail takes more than 0.4 of the recording,
    // and the tail fits its buffer.
    cap_at_04(overlap_len, n);
    cap_at_04(tail_len, n);
    if (tail_len > TAIL_SAMPLES)
        tail_len = TAIL_SAMPLES;
    if (tail_len < 0)
        tail_len = 0;
    tr.tail_len = tail_len;

    // 9. A held tail shorter than the overlap: skip the recording's start instead.
    long long available = file_samples;
    if (held < overlap_len) {
        const long long skip = overlap_len - held;
        if (seek_recording(recording, 2 * skip)) {
            n -= skip;
            available -= skip;
            tr.skip = skip;
        } else {
            fail_wait("\nError imposible to read from slogtmp on skips!\n");
        }
        overlap_len = held;
    } else if (held > overlap_len && !keep_held) {
        held = overlap_len;
    }
    tr.overlap_len = overlap_len;
    tr.held = held;
    tr.fade_len = fade_len;

    // 10. Loudness.
    const float class_gain = class_gain_for(cur_slog, cur_code);
    const float gain = st.volume * class_gain;
    const double g = gain;
    tr.class_gain = class_gain;
    tr.gain = gain;

    reader_start(recording, available,
                 recording.file == nullptr ? gained_samples(recording, gain) : nullptr);
    std::size_t store = 0;
    auto keep = [&](const std::int16_t* v, std::size_t m) {
        if (store < st.tail_buffer.size())
            std::copy_n(v, std::min(m, st.tail_buffer.size() - store), st.tail_buffer.data() + store);
        store += m;
        tr.stored += static_cast<long long>(m);
    };
    Chunk chunk;
    Chunk old;
    auto take = [&](long long want) { return std::min<long long>(want, CHUNK_SAMPLES); };

    // 11. Crossfade from the held tail into the recording's start. The held
    // samples it reads always lie beyond those it has stored again.
    if (st.prev_code < 3 && held != 0) {
        const long long t = n - tail_len;
        const long long w = pass_len + held - overlap_len;
        for (long long i = 0; i < w;) {
            const auto m = static_cast<std::size_t>(take(w - i));
            tail_range(i, chunk.data(), m);
            put_samples(out, chunk.data(), m);
            i += static_cast<long long>(m);
        }
        tr.passed = w > 0 ? w : 0;
        for (long long j = 0; j < overlap_len;) {
            const auto want = static_cast<std::size_t>(take(overlap_len - j));
            std::size_t got;
            const std::int16_t* from = chunk.data();
            if (reader.gained != nullptr) {
                got = take_gained(from, want);
            } else {
                got = get_samples(chunk.data(), want);
                gain_samples(chunk.data(), got, g);
            }
            tail_range(w + j, old.data(), got);
            crossfade_samples(from, old.data(), chunk.data(), got, j, overlap_len);
            // The steps before t go out, the rest is held.
            const auto sent = static_cast<std::size_t>(std::clamp<long long>(t - j, 0, static_cast<long long>(got)));
            if (sent > 0 && !put_samples(out, chunk.data(), sent))
                return fail_join(recording, "\nError imposible to write to output on morph!\n");
            tr.written += static_cast<long long>(sent);
            keep(chunk.data() + sent, got - sent);
            n -= static_cast<long long>(got);
            j += static_cast<long long>(got);
            if (got < want) {
                --n;
                std::snprintf(message, sizeof message,
                              "\nError imposible to read from slogtmp on morph second!%lld %lld\n",
                              overlap_len, n);
                return fail_join(recording, message);
            }
        }
    }

    // 12. The body goes out, fading near the end when a pause follows: the
    // samples whose remaining count is below fade_len.
    long long k = 0;
    long long unfaded = n - std::max<long long>(tail_len, fade_len - 1);
    while (n > tail_len) {
        // The samples before the fade go out as they are when their gained
        // bytes are kept, else straight from a recording in memory into the
        // output block, as many as both hold.
        const std::size_t in_samples = (reader.len - reader.pos) / 2;
        const std::size_t out_samples = (out.block.size() - out.used) / 2;
        if (unfaded > 0 && in_samples > 0 && !out.failed &&
            (reader.gained != nullptr || std::endian::native == std::endian::little)) {
            std::size_t m = reader.gained != nullptr ? in_samples : std::min(in_samples, out_samples);
            if (static_cast<long long>(m) > unfaded)
                m = static_cast<std::size_t>(unfaded);
            bool ok;
            if (reader.gained != nullptr) {
                ok = put_lasting(out, reinterpret_cast<const unsigned char*>(reader.gained + reader.pos / 2),
                                 2 * m);
            } else {
                gain_bytes(reader.data + reader.pos, out.block.data() + out.used, m, g);
                ok = commit_block(out, 2 * m);
            }
            reader.pos += 2 * m;
            n -= static_cast<long long>(m);
            unfaded -= static_cast<long long>(m);
            tr.written += static_cast<long long>(m);
            if (!ok) {
                std::snprintf(message, sizeof message,
                              "\nError imposible to write to output on main1 %s!\n", file_name);
                return fail_join(recording, message);
            }
            continue;
        }
        // Otherwise a chunk at a time, unfaded samples first.
        const auto want = static_cast<std::size_t>(take(unfaded > 0 ? unfaded : n - tail_len));
        const std::size_t got = get_samples(chunk.data(), want);
        if (unfaded <= 0) {
            fade_samples(chunk.data(), got, k, fade_len);
            k += static_cast<long long>(got);
        }
        gain_samples(chunk.data(), got, g);
        if (got > 0 && !put_samples(out, chunk.data(), got)) {
            std::snprintf(message, sizeof message,
                          "\nError imposible to write to output on main1 %s!\n", file_name);
            return fail_join(recording, message);
        }
        tr.written += static_cast<long long>(got);
        n -= static_cast<long long>(got);
        unfaded -= static_cast<long long>(got);
        if (got < want) {
            std::snprintf(message, sizeof message,
                          "\nError imposible to read from slogtmp on main1 %s!\n", file_name);
            return fail_join(recording, message);
        }
    }

    // 13. The tail is held back for the next syllable.
    while (n > 0) {
        const auto want = static_cast<std::size_t>(take(n));
        // Those still at or above fade_len come first and are not faded.
        const auto unfaded_want =
            static_cast<std::size_t>(std::clamp<long long>(n - fade_len + 1, 0, static_cast<long long>(want)));
        std::size_t got;
        std::size_t plain;
        if (reader.gained != nullptr) {
            const std::int16_t* from = nullptr;
            plain = take_gained(from, unfaded_want);
            keep(from, plain);
            got = plain + get_samples(chunk.data(), want - unfaded_want);
            fade_samples(chunk.data(), got - plain, k, fade_len);
            gain_samples(chunk.data(), got - plain, g);
            keep(chunk.data(), got - plain);
        } else {
            got = get_samples(chunk.data(), want);
            plain = std::min(unfaded_want, got);
            fade_samples(chunk.data() + plain, got - plain, k, fade_len);
            gain_samples(chunk.data(), got, g);
            keep(chunk.data(), got);
        }
        k += static_cast<long long>(got - plain);
        n -= static_cast<long long>(got);
        if (got < want) {
            std::snprintf(message, sizeof message,
                          "\nError imposible to read from slogtmp buffer read! %lld %s\n", n,
                          file_name);
            return fail_join(recording, message);
        }
    }

    // 14.
    close_recording(recording);
    copy_slog(st.prev_slog, cur_slog);
    st.held = static_cast<int>(tail_len);
    if (join_trace_hook)
        join_trace_hook(tr);
    return true;
}
