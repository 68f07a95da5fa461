// A voice's intonation: its side files, the classes of its table, and the
// pitch-synchronous overlap-add over its recordings' pitch marks.
#include "zvuki/intonation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>

#include "common/cp1251.h"
#include "common/format_samples.h"
#include "common/format_slogi.h"
#include "common/textfile.h"
#include "zvuki/sample_loop.h"

namespace {

// A line of the side files: at most this long (a pitch-mark line of a long
// recording holds a few hundred numbers).
constexpr std::size_t LINE_BYTES = 8192;
// The table's numbers: cents within two octaves, a base within the voices of people.
constexpr long CENTS_MOST = 2400;
constexpr double BASE_LOWEST = 40.0;
constexpr double BASE_HIGHEST = 600.0;
constexpr long SCALE_MOST = 400;
constexpr long SHAPE_MOST = 100;
constexpr long NEAR_MOST = 1200;

// Calls line(text) for each line of the file (CR LF or LF), the line cut at
// LINE_BYTES - 1 (a longer one is passed over); false when the file cannot be opened.
template <typename Line>
bool each_line(const char* path, Line line)
{
    TextFile f;
    if (!text_open(f, path, "r"))
        return false;
    static thread_local std::array<char, LINE_BYTES> text;
    std::size_t n = 0;
    bool cut = false;  // a line too long is passed over whole
    for (int c = text_getc(f);; c = text_getc(f)) {
        if (c != TEXT_EOF && c != '\n') {
            if (c == '\r')
                continue;
            if (n + 1 < LINE_BYTES)
                text[n++] = static_cast<char>(c);
            else
                cut = true;
            continue;
        }
        text[n] = '\0';
        if (n > 0 && text[0] != '#' && !cut)
            line(text.data());
        n = 0;
        cut = false;
        if (c == TEXT_EOF)
            break;
    }
    text_close(f);
    return true;
}

std::size_t slot_of(const char* name)
{
    std::uint32_t h = 2166136261u;
    for (const char* p = name; *p != '\0'; ++p)
        h = (h ^ static_cast<unsigned char>(*p)) * 16777619u;
    return h & (PITCH_MARK_SLOTS - 1);
}

// The word of the line at p (up to a space) into word; p moves past it.
bool next_word(const char*& p, char* word, std::size_t room)
{
    while (*p == ' ')
        ++p;
    std::size_t n = 0;
    while (*p != '\0' && *p != ' ') {
        if (n + 1 >= room)
            return false;
        word[n++] = *p++;
    }
    word[n] = '\0';
    return n > 0;
}

}  // namespace

PhraseType phrase_type_of(unsigned char mark)
{
    switch (mark) {
    case '?':
        return PhraseType::question;
    case '!':
        return PhraseType::exclamation;
    case ',':
    case ';':
    case ':':
    case '~':
    case PAUSE_MARK:
        return PhraseType::continuation;
    default:
        return PhraseType::statement;
    }
}

bool is_question_word(const char* word)
{
    static const char* const WORDS[] = {
        cp1251_text<"кто">,     cp1251_text<"что">,     cp1251_text<"што">,     cp1251_text<"где">,
        cp1251_text<"когда">,   cp1251_text<"кагда">,   cp1251_text<"куда">,    cp1251_text<"откуда">,
        cp1251_text<"аткуда">,  cp1251_text<"почему">,  cp1251_text<"пачиму">,  cp1251_text<"зачем">,
        cp1251_text<"как">,     cp1251_text<"какой">,   cp1251_text<"какая">,   cp1251_text<"какое">,
        cp1251_text<"какои">,   cp1251_text<"какие">,   cp1251_text<"какии">,   cp1251_text<"каким">,
        cp1251_text<"какую">,   cp1251_text<"какого">,  cp1251_text<"какова">,  cp1251_text<"каком">,
        cp1251_text<"сколько">, cp1251_text<"сколька">, cp1251_text<"чей">,     cp1251_text<"чья">,
        cp1251_text<"чьё">,     cp1251_text<"чьи">,     cp1251_text<"разве">,   cp1251_text<"разви">,
        cp1251_text<"неужели">, cp1251_text<"ниужэли">, cp1251_text<"ли">,      cp1251_text<"кого">,
        cp1251_text<"каво">,    cp1251_text<"кому">,    cp1251_text<"каму">,    cp1251_text<"кем">,
        cp1251_text<"чего">,    cp1251_text<"чиво">,    cp1251_text<"чему">,    cp1251_text<"чиму">,
        cp1251_text<"чем">,     cp1251_text<"отчего">,  cp1251_text<"атчиво">,  cp1251_text<"каков">,
        cp1251_text<"какоф">,   cp1251_text<"каких">,   cp1251_text<"какими">};
    for (const char* w : WORDS)
        if (std::strcmp(w, word) == 0)
            return true;
    return false;
}

int intonation_class(int i, int n, int nucleus, bool stressed)
{
    if (i == nucleus)
        return CLASS_NUCLEUS;
    if (i > nucleus)
        return i == n - 1 ? CLASS_FINAL : CLASS_TAIL;
    const int bin = std::min(HEAD_BINS - 1, i * HEAD_BINS / std::max(1, nucleus));
    return 2 * bin + (stressed ? 1 : 0);
}

void phrase_contour(const Intonation& t, PhraseType type, const PhraseSyllable* s, std::size_t n, int scale,
                    float* from, float* to)
{
    n = std::min(n, PHRASE_MOST);
    std::array<int, PHRASE_MOST> syllable{};  // the index of each vowel token among the vowels
    int vowels = 0;
    int nucleus = -1;
    for (std::size_t j = 0; j < n; ++j)
        if (s[j].vowel) {
            syllable[j] = vowels;
            if (s[j].stressed)
                nucleus = vowels;
            ++vowels;
        }
    if (nucleus < 0 && vowels > 0) {
        // The last word's syllables.
        int last_word = 0;
        for (std::size_t j = n; j-- > 0;) {
            if (j + 1 < n && s[j].word_end)
                break;
            last_word += s[j].vowel ? 1 : 0;
        }
        nucleus = last_word >= 2 ? vowels - 2 : vowels - 1;
    }
    for (std::size_t j = 0; j < n; ++j)
        if (s[j].vowel && s[j].focus)
            nucleus = syllable[j];
    const auto& row = t.cents[static_cast<std::size_t>(type)];
    std::array<double, PHRASE_MOST> cents{};
    double carried = 0;
    bool found = false;
    for (std::size_t j = 0; j < n; ++j)
        if (s[j].vowel) {
            const int c = intonation_class(syllable[j], vowels, nucleus, s[j].stressed);
            carried = row[static_cast<std::size_t>(c)] * scale / 100.0;
            if (!found)
                for (std::size_t i = 0; i < j; ++i)
                    cents[i] = carried;  // consonants before the first vowel
            found = true;
            cents[j] = carried;
        } else {
            cents[j] = carried;
        }
    const auto hz = [&](double c) { return static_cast<float>(t.base * std::exp2(c / 1200.0)); };
    for (std::size_t j = 0; j < n; ++j) {
        from[j] = hz(j == 0 ? cents[j] : (cents[j - 1] + cents[j]) / 2);
        to[j] = hz(j + 1 == n ? cents[j] : (cents[j] + cents[j + 1]) / 2);
    }
}

bool read_intonation(const char* path, Intonation& t)
{
    Intonation got;
    const bool opened = each_line(path, [&](const char* line) {
        char word[16];
        const char* p = line;
        if (!next_word(p, word, sizeof word))
            return;
        if (std::strcmp(word, "base") == 0) {
            char* end = nullptr;
            const double hz = std::strtod(p, &end);
            if (end != p && hz >= BASE_LOWEST && hz <= BASE_HIGHEST)
                got.base = hz;
            return;
        }
        if (std::strcmp(word, "near") == 0) {
            char* end = nullptr;
            const long v = std::strtol(p, &end, 10);
            if (end != p && v >= 0 && v <= NEAR_MOST)
                got.near = static_cast<int>(v);
            return;
        }
        const bool scale = std::strcmp(word, "scale") == 0;
        if (scale || std::strcmp(word, "shape") == 0) {
            char* end = nullptr;
            const long v = std::strtol(p, &end, 10);
            if (end != p && v >= 0 && v <= (scale ? SCALE_MOST : SHAPE_MOST))
                (scale ? got.scale : got.shape) = static_cast<int>(v);
            return;
        }
        for (int k = 0; k < PHRASE_TYPES; ++k) {
            if (std::strcmp(word, PHRASE_TYPE_NAMES[k]) != 0)
                continue;
            std::array<int, INTONATION_CLASSES> row{};
            for (int& cents : row) {
                char* end = nullptr;
                const long v = std::strtol(p, &end, 10);
                if (end == p || v < -CENTS_MOST || v > CENTS_MOST)
                    return;  // a row cut short or out of range is no row
                cents = static_cast<int>(v);
                p = end;
            }
            got.cents[static_cast<std::size_t>(k)] = row;
            got.has[static_cast<std::size_t>(k)] = true;
        }
    });
    if (!opened || got.base == 0)
        return false;
    t = got;
    return true;
}

bool read_pitch_marks(const char* path, PitchMarks& p)
{
    p.used = 0;
    p.marks = 0;
    p.slots.fill(MarkedRecording{});
    return each_line(path, [&](const char* line) {
        std::array<char, RECORDING_NAME_BYTES> name{};
        const char* q = line;
        if (!next_word(q, name.data(), name.size()) || p.used >= PITCH_MARK_SLOTS / 2)
            return;
        std::size_t s = slot_of(name.data());
        while (p.slots[s].name[0] != '\0' && std::strcmp(p.slots[s].name.data(), name.data()) != 0)
            s = (s + 1) & (PITCH_MARK_SLOTS - 1);
        if (p.slots[s].name[0] != '\0')
            return;  // the first line of a name holds
        const std::size_t first = p.marks;
        long long last = -1;
        for (;;) {
            while (*q == ' ')
                ++q;
            if (*q == '\0')
                break;
            char* end = nullptr;
            const long long v = std::strtoll(q, &end, 10);
            if (end == q || v <= last || v > static_cast<long long>(UINT32_MAX) || p.marks >= PITCH_MARKS_MOST) {
                p.marks = first;  // a line out of order, or past the room, is no line
                return;
            }
            p.mark[p.marks++] = static_cast<std::uint32_t>(v);
            last = v;
            q = end;
        }
        if (p.marks == first)
            return;
        p.slots[s].name = name;
        p.slots[s].at = static_cast<std::uint32_t>(first);
        p.slots[s].count = static_cast<std::uint32_t>(p.marks - first);
        ++p.used;
    });
}

const std::uint32_t* find_pitch_marks(const PitchMarks& p, const char* name, std::size_t& count)
{
    count = 0;
    for (std::size_t s = slot_of(name); p.slots[s].name[0] != '\0'; s = (s + 1) & (PITCH_MARK_SLOTS - 1))
        if (std::strcmp(p.slots[s].name.data(), name) == 0) {
            count = p.slots[s].count;
            return p.mark.data() + p.slots[s].at;
        }
    return nullptr;
}

namespace {

// Voiceless stretches are laid in grains this far apart.
constexpr long VOICELESS_STEP = SAMPLE_RATE / 200;
// How far a period may be shortened or lengthened.
constexpr double PERIOD_MOST_CHANGE = 2.0;
// The shortest step between two grains (a pitch of 1378 Hz): marks closer
// than this still give grains that each add something.
constexpr double SHORTEST_STEP = 16.0;
constexpr double LEAST_FACTOR = 0.25;
// Beyond what one stretch gives, the voiceless stretches are stretched twice.
constexpr double MOST_FACTOR = STRETCH_MOST_FACTOR * STRETCH_MOST_FACTOR;
// The most stretches of a recording's voiceless grains stretched apart; more
// are joined into the last.
constexpr std::size_t PSOLA_SPANS = 64;

// The period either side of mark k; 0 where the neighbour is missing or too far.
long period_before(const std::uint32_t* marks, std::size_t k)
{
    const std::size_t d = k > 0 ? marks[k] - marks[k - 1] : 0;
    return d <= PSOLA_LONGEST_PERIOD ? static_cast<long>(d) : 0;
}
long period_after(const std::uint32_t* marks, std::size_t count, std::size_t k)
{
    const std::size_t d = k + 1 < count ? marks[k + 1] - marks[k] : 0;
    return d <= PSOLA_LONGEST_PERIOD ? static_cast<long>(d) : 0;
}

// One grain: the samples around src laid around out; src is a place in the
// recording for a voiced grain, in the recording stretched for a voiceless one. Its window reaches
// reach_left before and reach_right after: voiced, the recording's own
// periods either side, so two voiced grains each keep their whole periods
// however far apart they are laid (nearer, they overlap; further, their
// windows leave a dip between them). Where a voiceless grain meets another
// grain the two share the span over which one fades into the other: the
// shortest of the distance between them and their reaches, so the windows sum
// to one there.
struct Grain {
    long out = 0;
    long src = 0;
    long reach_left = 0;
    long reach_right = 0;
    bool voiced = false;
};

// Half a Hann window, from its middle (1) to its end (0), in HALF_STEPS
// steps; a window over a span of samples takes every HALF_STEPS / span-th.
constexpr std::uint32_t HALF_STEPS = 4096;
constexpr int STEP_BITS = 16;
const std::array<float, HALF_STEPS + 1> HALF_WINDOW = [] {
    std::array<float, HALF_STEPS + 1> w{};
    for (std::uint32_t k = 0; k <= HALF_STEPS; ++k)
        w[k] = static_cast<float>(0.5 + 0.5 * std::cos(std::numbers::pi * k / HALF_STEPS));
    w[HALF_STEPS] = 0.0f;
    return w;
}();

// The half window over a span of 1 to PSOLA_LONGEST_PERIOD samples, each
// sample as add_grain() takes it (f below), laid out once: the span of s
// samples starts at s × (s - 1) / 2 + s - 1 and holds s + 1 values.
constexpr std::size_t SPAN_WINDOWS = PSOLA_LONGEST_PERIOD * (PSOLA_LONGEST_PERIOD + 3) / 2;
std::size_t span_window_at(long span)
{
    const auto s = static_cast<std::size_t>(span);
    return s * (s - 1) / 2 + s - 1;
}
const std::array<float, SPAN_WINDOWS>& span_windows()
{
    static const std::array<float, SPAN_WINDOWS> w = [] {
        std::array<float, SPAN_WINDOWS> t{};
        for (long span = 1; span <= static_cast<long>(PSOLA_LONGEST_PERIOD); ++span) {
            const auto step = static_cast<std::uint32_t>((HALF_STEPS << STEP_BITS) / static_cast<std::uint32_t>(span));
            for (long j = 0; j <= span; ++j)
                t[span_window_at(span) + static_cast<std::size_t>(j)] =
                    HALF_WINDOW[(static_cast<std::uint32_t>(j) * step) >> STEP_BITS];
        }
        return t;
    }();
    return w;
}

// Adds the grain g into the sums of the output [0, m), its window rising over
// the left samples before its middle and falling over the right after it. It
// falls as f(j) = HALF_WINDOW[j × HALF_STEPS / right] and rises as
// 1 - f(left - k): where one grain falls and the next rises over the same
// span they sum to exactly one. Both spans are 1 to PSOLA_LONGEST_PERIOD:
// every reach psola() lays is a period within it, or it.
void add_grain(const std::int16_t* in, std::size_t n, const Grain& g, long left, long right, std::size_t m,
               StretchBuffers& b)
{
    // Where both the recording and the output hold the sample.
    const long from = std::max({-left + 1, -g.src, -g.out});
    const long to = std::min({right, static_cast<long>(n) - g.src, static_cast<long>(m) - g.out});
    const std::int16_t* x = in + g.src;
    float* sum = b.sum.data() + g.out;
    // w[j] is f(left + j), for j from -left.
    const float* w = span_windows().data() + span_window_at(left) + left;
    for (long j = from; j < std::min(0L, to); ++j)
        sum[j] += (1.0f - w[j]) * static_cast<float>(x[j]);
    w = span_windows().data() + span_window_at(right);
    for (long j = std::max(0L, from); j < to; ++j)
        sum[j] += w[j] * static_cast<float>(x[j]);
}

// Calls lay(grain, left, right) for each grain of the overlap-add of the
// recording's marks into m samples, in order, with the spans its window
// rises and falls over. The grains are laid one behind: each window needs
// the place of the grain after it. A voiced grain sits on a mark, at the
// place the time scale gives the recording there; the next is one asked-for
// period on. So at the recording's own pitch and length every grain lies
// where it was, their windows sum to one, and the recording comes out as it
// was.
template <typename Lay>
void each_grain(const std::uint32_t* marks, std::size_t count, double factor, std::size_t m, double f0_from,
                double f0_to, double shape, double mean_period, Lay lay)
{
    Grain pending;
    bool have = false;
    long pending_left = 0;  // the span over which the pending grain rises
    double t = 0;
    std::size_t k = 0;  // the mark at or after the place in the recording
    // Up to a grain at or past the end, into which the last one fades.
    for (bool last = false; !last;) {
        last = t >= static_cast<double>(m);
        const double at = t / factor;
        while (k < count && marks[k] < at)
            ++k;
        // The nearest mark, and the periods around it.
        std::size_t near = k;
        if (k == count || (k > 0 && at - marks[k - 1] < marks[k] - at))
            near = k - 1;
        long left = 0, right = 0;
        if (count > 0) {
            left = period_before(marks, near);
            right = period_after(marks, count, near);
        }
        const long own = left > 0 && right > 0 ? (left + right) / 2 : left + right;
        // Voiced from the first mark of a stretch to half a period past its last.
        const bool voiced = own > 0 && (left > 0 || at >= marks[near] - 0.5) &&
                            (right > 0 || at <= marks[near] + 0.5 * static_cast<double>(own));
        Grain g;
        double next;
        if (voiced) {
            g = {std::lround(t), static_cast<long>(marks[near]), left > 0 ? left : own, right > 0 ? right : own, true};
            const double f0 = f0_from + (f0_to - f0_from) * t / static_cast<double>(m);
            double period = f0 > 0 ? SAMPLE_RATE / f0 : static_cast<double>(right > 0 ? right : own);
            if (f0 > 0 && shape > 0 && mean_period > 0)
                period *= std::exp2(shape * std::log2(static_cast<double>(own) / mean_period));
            period = std::clamp(period, own / PERIOD_MOST_CHANGE, own * PERIOD_MOST_CHANGE);
            next = t + std::max(period, SHORTEST_STEP);
        } else {
            g = {std::lround(t), std::lround(t), PSOLA_LONGEST_PERIOD, PSOLA_LONGEST_PERIOD, false};
            next = t + VOICELESS_STEP;
            // The first mark of a voiced stretch ahead gets its grain where it lies.
            if (k < count && (k + 1 == count || period_after(marks, count, k) > 0)) {
                const double mark_at = marks[k] * factor;
                if (mark_at > t && mark_at < next)
                    next = std::max(mark_at, t + 1.0);
            }
        }
        long span = g.reach_left;
        if (have) {
            span = std::min({g.out - pending.out, pending.reach_right, g.reach_left});
            const bool both_voiced = pending.voiced && g.voiced;
            lay(pending, pending_left, both_voiced ? pending.reach_right : span);
            if (both_voiced)
                span = g.reach_left;
        }
        pending_left = span;
        pending = g;
        have = true;
        t = next;
    }
    if (have)
        lay(pending, pending_left, pending.reach_right);
}

}  // namespace

// The m sums as samples: rounded to the nearest by adding and taking away
// 1.5 × 2^23, then clamped. A sum of a few grains is far within 2^22, where
// the rounding is exact, and a larger one still rounds to beyond the clamp.
// Whole numbers are compared, so the loop has no branch and becomes vector
// code (in the processor's widest form: not in the anonymous namespace, so
// that the linker sees it).
void psola_samples(const float* sum, std::size_t m, std::int16_t* out);
SAMPLE_LOOP void psola_samples(const float* sum, std::size_t m, std::int16_t* out)
{
    constexpr float ROUNDER = 12582912.0f;
    for (std::size_t i = 0; i < m; ++i) {
        auto v = static_cast<std::int32_t>((sum[i] + ROUNDER) - ROUNDER);
        v = v < -32768 ? -32768 : v;
        v = v > 32767 ? 32767 : v;
        out[i] = static_cast<std::int16_t>(v);
    }
}

std::size_t psola(const std::int16_t* in, std::size_t n, const std::uint32_t* marks, std::size_t count, double factor,
                  double f0_from, double f0_to, std::int16_t* out, StretchBuffers& b, double shape,
                  const StretchRecall& recall)
{
    if (n < STRETCH_WINDOW || n > STRETCH_MOST_IN || !(factor >= LEAST_FACTOR && factor <= MOST_FACTOR) ||
        !(f0_from >= 0 && f0_to >= 0) || !(shape >= 0 && shape <= 1) || stretched_length(n, factor) > STRETCH_MOST_OUT ||
        (factor > STRETCH_MOST_FACTOR && 2 * n > STRETCH_MOST_IN))
        return 0;
    for (std::size_t k = 0; k < count; ++k)
        if (marks[k] >= n || (k > 0 && marks[k] <= marks[k - 1]))
            return 0;
    // The recording's mean period, about which its own pitch moves.
    long period_sum = 0;
    long periods = 0;
    for (std::size_t k = 1; k < count; ++k)
        if (const long d = period_before(marks, k); d > 0) {
            period_sum += d;
            ++periods;
        }
    const double mean_period = periods > 0 ? static_cast<double>(period_sum) / static_cast<double>(periods) : 0.0;
    const std::size_t m = stretched_length(n, factor);
    const StretchRecall own = recall.recording < PSOLA_RECALL_TWICE ? recall : StretchRecall{};
    // The voiceless stretches come from the recording stretched to the asked
    // length by waveform similarity, held in out until the grains are summed:
    // grains of noise laid by the clock alone repeat a few samples apart and
    // colour it like a comb. Only the samples their grains take are
    // stretched (the stretch's windows joined across gaps shorter than a
    // window); at the recording's own length they are the recording itself.
    std::array<StretchSpan, PSOLA_SPANS> spans;
    std::size_t used = 0;
    each_grain(marks, count, factor, m, f0_from, f0_to, shape, mean_period, [&](const Grain& g, long left, long right) {
        if (g.voiced)
            return;
        const auto from = static_cast<std::size_t>(std::max(0L, g.out - left + 1));
        const auto to = static_cast<std::size_t>(std::clamp(g.out + right, 0L, static_cast<long>(m)));
        if (from >= to)
            return;
        if (used > 0 && (from < spans[used - 1].to + STRETCH_WINDOW || used == spans.size()))
            spans[used - 1].to = std::max(spans[used - 1].to, to);
        else
            spans[used++] = {from, to};
    });
    if (factor == 1.0) {
        std::copy_n(in, n, out);
    } else if (used > 0 && factor > STRETCH_MOST_FACTOR) {
        // Twice the recording first, then that stretched in place (the
        // stretch writes its result only once it has read all it needs).
        StretchRecall twice;
        if (own.recording != 0)
            twice = {own.choices, own.recording + PSOLA_RECALL_TWICE};
        if (stretch(in, n, STRETCH_MOST_FACTOR, out, b, own) == 0 ||
            stretch_spans(out, 2 * n, factor / STRETCH_MOST_FACTOR, spans.data(), used, out, b, twice) != m)
            return 0;
    } else if (used > 0 && stretch_spans(in, n, factor, spans.data(), used, out, b, own) == 0) {
        return 0;
    }
    std::fill_n(b.sum.begin(), m, 0.0f);
    each_grain(marks, count, factor, m, f0_from, f0_to, shape, mean_period, [&](const Grain& g, long left, long right) {
        if (g.voiced)
            add_grain(in, n, g, left, right, m, b);
        else
            add_grain(out, m, g, left, right, m, b);
    });
    psola_samples(b.sum.data(), m, out);
    return m;
}
