// The plan of a join: the length unit, the held tail and the overlap, the
// letter factors and the loudness of one syllable, worked out as plain
// arithmetic before any sample is touched; by the original rules, or, for a
// voice that carries its own rhythm, each syllable sounded whole and
// crossfaded briefly into the next.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "common/settings.h"
#include "common/tables.h"
#include "zvuki/join.h"

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

// Pause lengths the joiner gives a syllable, at speed 100.
constexpr int WORD_PAUSE = PAUSE_UNIT * 100;  // before "и" or a voiceless stop
constexpr int STOP_PAUSE = 3000;              // a syllable boundary before a voiceless stop
constexpr float SHRINK = 0.7f;
// The overlap and the tail after a syllable boundary, in units.
constexpr int JOINED_UNITS = 10;
constexpr int SPLIT_UNITS = 11;

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

// Steps 1 to 3: the unit, and the tail and code by the word end and the
// next token's first letter.
void plan_tail(const JoinState& st, const SlogToken& current, const SlogToken& next, JoinPlan& p)
{
    const int speed = st.speed;
    long long unit = trunc_len(static_cast<double>(p.samples) / static_cast<double>(st.stutter));
    if (unit < 0)
        unit = 0;
    if (slog_length(current.text) >= 2)
        unit /= 2;
    p.unit = unit * speed / 100;

    // The word end: the tail by the vowels on both sides of the gap.
    const unsigned char next0 = byte_at(next.text, 0);
    if (is_kind(p.code, JoinKind::word_end)) {
        if (second_letter(next.text) == LETTER_I && !is_inside_word(next.code)) {
            p.tail_len = 0;
            p.code = WORD_PAUSE / speed;
        } else if (is_vowel(second_letter(current.text)) == is_vowel(next0)) {
            p.tail_len = p.unit / 2;
        } else if (next0 == PAUSE_MARK) {
            p.code = SHORTEST_PAUSE;
        } else {
            p.tail_len = p.unit;
        }
    }

    // The next token's first letter.
    if (is_voiceless_stop(next0)) {
        p.tail_len = 0;
        if (!is_inside_word(p.code)) {
            p.code = WORD_PAUSE / speed;
        } else {
            if (byte_at(st.prev_slog, 1) != SOFT_SIGN)
                p.samples -= p.unit;
            p.fade_len = static_cast<std::int16_t>(2 * p.unit);
            p.code = STOP_PAUSE / speed;
        }
    } else if (is_kind(p.code, JoinKind::joined)) {
        p.tail_len = JOINED_UNITS * p.unit;
    } else if (is_kind(p.code, JoinKind::split)) {
        p.tail_len = SPLIT_UNITS * p.unit;
    } else if (is_pause(p.code)) {
        p.tail_len = 0;
    }
}

// Steps 4 to 9: the overlap with the held tail, shortened by the letters, the
// halving and the caps, and matched to what is held.
void plan_overlap(const JoinState& st, const SlogToken& current, JoinPlan& p)
{
    const int speed = st.speed;
    long long& n = p.samples;
    bool keep_held = false;
    long long overlap_len = 0;
    if (!is_inside_word(st.prev_code)) {
        keep_held = true;
        overlap_len = (is_kind(st.prev_code, JoinKind::word_end) && st.held != 0) ? p.unit / 2 : 0;
    } else {
        overlap_len = (is_kind(st.prev_code, JoinKind::joined) ? JOINED_UNITS : SPLIT_UNITS) * p.unit;
        p.class_factor = class_factor_for(current.text, st.prev_slog, p.code, p.shrink_factor);
    }

    // Bounds by the recording's length.
    if (is_pause(p.code)) {
        if (p.fade_len == 1)
            p.fade_len = static_cast<std::int16_t>(n / 10);
        p.tail_len = 0;
    } else if (p.tail_len > n) {
        p.tail_len = (n / 2) * speed / 100;
    }
    if (overlap_len >= n)
        overlap_len = (n / 2) * speed / 100;

    // The class factor shortens the overlap or passes part of the held tail.
    long long held = st.held;
    std::int16_t pass_len = 0;
    if (p.class_factor != 1.0f) {
        const double cf = p.class_factor;
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

    // Halving.
    if (!is_pause(st.prev_code) && held != 0) {
        shrink_overlap(held, overlap_len, 0.5);
        if (p.shrink_factor != 1.0f)
            shrink_overlap(held, overlap_len, static_cast<double>(p.shrink_factor));
    }

    // Neither the overlap nor the tail takes more than 0.4 of the recording,
    // and the tail fits its buffer.
    cap_at_04(overlap_len, n);
    cap_at_04(p.tail_len, n);
    p.tail_len = std::clamp<long long>(p.tail_len, 0, TAIL_SAMPLES);

    // A held tail shorter than the overlap: skip the recording's start instead.
    if (held < overlap_len) {
        p.skip = overlap_len - held;
        overlap_len = held;
    } else if (held > overlap_len && !keep_held) {
        held = overlap_len;
    }
    p.held = held;
    p.overlap_len = overlap_len;
    p.passed = pass_len + held - overlap_len;
    p.crossfade = !is_pause(st.prev_code) && held != 0;
}

}  // namespace

void join_start(JoinState& st, const SoundSettings& settings)
{
    st = JoinState{};
    // The stage divides by the speed; a value the settings loader would have
    // repaired gets the same repair here.
    st.speed = speed_in_range(settings.speed) ? settings.speed : DEFAULT_SPEED;
    st.stutter = settings.stutter;
    st.volume = settings.volume;
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
            if (!is_inside_word(cur_code))
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
        if (!is_inside_word(cur_code))
            return 1.0f;
        if (is_voiceless_stop(c0))
            return 1.2f;
        if (is_voiced_stop(c0) || is_sonorant(c0))
            return 1.15f;
        return 1.0f;
    }
    if (is_inside_word(cur_code))
        return 1.05f;
    if (is_sonorant(c0))
        return 1.0f;
    return 0.95f;
}

JoinPlan plan_rhythm_join(const JoinState& st, const SlogToken& current, long long samples, const SlogToken& next)
{
    JoinPlan p;
    p.recording = samples;
    p.samples = samples;
    p.code = is_pause(current.code) ? rhythm_pause(st.rhythm, current.code) : current.code;
    const long long crossfade = std::min<long long>(st.rhythm.crossfade, samples / 3);
    const auto next0 = static_cast<unsigned char>(next.text[0]);
    const bool before_stop = next.length > 0 && next0 != 0 && std::strchr(VOICELESS_STOPS, next0) != nullptr;
    if (!is_pause(p.code) && before_stop && st.rhythm.closure > SHORTEST_PAUSE)
        p.code = st.rhythm.closure;
    if (is_pause(p.code)) {
        p.tail_len = 0;
        p.fade_len = static_cast<std::int16_t>(std::max<long long>(crossfade, 1));
    } else {
        p.tail_len = crossfade;
    }
    if (!is_pause(st.prev_code) && st.held > 0) {
        p.crossfade = true;
        p.overlap_len = std::min<long long>(st.held, crossfade);
        p.held = p.overlap_len;
        p.passed = st.held - p.overlap_len;
    }
    p.class_gain = class_gain_for(current.text, p.code);
    p.gain = st.volume * p.class_gain;
    return p;
}

JoinPlan plan_join(const JoinState& st, const SlogToken& current, long long samples, const SlogToken& next)
{
    if (st.rhythm.crossfade > 0)
        return plan_rhythm_join(st, current, samples, next);
    JoinPlan p;
    p.code = current.code;
    p.recording = samples;
    p.samples = samples;
    plan_tail(st, current, next, p);
    plan_overlap(st, current, p);
    p.class_gain = class_gain_for(current.text, p.code);
    p.gain = st.volume * p.class_gain;
    return p;
}
