#include "zvuki/stretch.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "zvuki/sample_loop.h"

// AVX-512 makes the search slower here than AVX2.
#ifdef SAMPLE_LOOP_CLONES
#define STRETCH_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define STRETCH_LOOP
#endif

namespace {

constexpr std::size_t HOP = STRETCH_WINDOW / 2;
// The similarity is judged on every CORRELATION_STEP-th sample: enough for
// the periods of speech, a quarter of the work.
constexpr std::size_t CORRELATION_STEP = 4;
constexpr double LEAST_FACTOR = 0.25;
constexpr double MOST_FACTOR = STRETCH_MOST_FACTOR;

// A Hann window sampled between its zeros, so that every output sample has
// some weight and halves a window apart sum to 1.
const std::array<float, STRETCH_WINDOW> WINDOW = [] {
    std::array<float, STRETCH_WINDOW> w{};
    for (std::size_t i = 0; i < STRETCH_WINDOW; ++i)
        w[i] = static_cast<float>(0.5 - 0.5 * std::cos(2 * std::numbers::pi * (static_cast<double>(i) + 0.5) /
                                                       static_cast<double>(STRETCH_WINDOW)));
    return w;
}();

// The samples a similarity looks at: every CORRELATION_STEP-th of a window.
constexpr std::size_t LOOKED_AT = STRETCH_WINDOW / CORRELATION_STEP;
static_assert(STRETCH_WINDOW % CORRELATION_STEP == 0 && LOOKED_AT % 4 == 0);

// The recording split by sample position modulo CORRELATION_STEP: phase p
// holds in[p], in[p + 4], ..., so that the samples a similarity looks at lie
// side by side, and the energy of any window is the difference of two
// running sums. It is split as far as the search needs, from where a run of
// windows starts: samples [from, to) of the recording, going on from the
// samples split before when from is where they end, else starting the sums
// afresh (a window's energy is the difference of two sums either way, and
// every sum is a whole number, exact in a double).
struct Split {
    std::size_t from = 0;
    std::size_t to = 0;  // the samples split: [from, to)
};
void split_phases(const std::int16_t* in, std::size_t from, std::size_t to, Split& done, StretchBuffers& b)
{
    if (from != done.to)
        done = {from, from};
    if (to <= done.to)
        return;
    for (std::size_t p = 0; p < CORRELATION_STEP; ++p) {
        double* phase = b.phases.data() + p * STRETCH_PHASE;
        double* energy = b.energy.data() + p * (STRETCH_PHASE + 1);
        // The first sample of this phase not yet split.
        std::size_t i = done.to + (p + CORRELATION_STEP - done.to % CORRELATION_STEP) % CORRELATION_STEP;
        std::size_t j = i / CORRELATION_STEP;
        if (done.to == done.from)
            energy[j] = 0;
        for (; i < to; i += CORRELATION_STEP, ++j) {
            phase[j] = in[i];
            energy[j + 1] = energy[j] + phase[j] * phase[j];
        }
    }
    done.to = to;
}

// The slot of the choice going on from natural at nominal: the one holding
// it, or the free one where it would go; nullptr when nothing is kept.
StretchChoice* recalled(const StretchRecall& recall, std::size_t nominal, std::size_t natural)
{
    if (recall.choices == nullptr || recall.recording == 0)
        return nullptr;
    const auto at = static_cast<std::uint32_t>(nominal);
    const auto from = static_cast<std::uint32_t>(natural);
    std::uint64_t h = recall.recording * 0x9E3779B97F4A7C15ull;
    h = (h ^ at) * 0xC2B2AE3D27D4EB4Full;
    h = (h ^ from) * 0x165667B19E3779F9ull;
    auto& slots = recall.choices->slots;
    std::size_t i = static_cast<std::size_t>(h >> 40) & (STRETCH_CHOICES - 1);
    while (slots[i].recording != 0 &&
           (slots[i].recording != recall.recording || slots[i].nominal != at || slots[i].natural != from))
        i = (i + 1) & (STRETCH_CHOICES - 1);
    return &slots[i];
}

}  // namespace

// Of the windows starting at lo to hi, the one most like the window at a:
// the correlation of every CORRELATION_STEP-th sample over the energy of the
// candidate's, so that a louder window does not win for its loudness; the
// first of equals. Every product and sum is a whole number far below 2^53, so
// each is exact in a double and neither the order of the additions nor the
// processor's vector forms change the choice. Not in the anonymous
// namespace: the processor's form is chosen only for a function the linker
// sees.
//
// When a itself is among the candidates its similarity is E / sqrt(1 + E),
// E its energy, and no window quieter than it can come near that (the
// correlation is at most the square root of the product of the energies), so
// the windows clearly quieter are passed over without their correlation.
std::size_t stretch_most_alike(const StretchBuffers& b, std::size_t a, std::size_t lo, std::size_t hi);
STRETCH_LOOP std::size_t stretch_most_alike(const StretchBuffers& b, std::size_t a, std::size_t lo, std::size_t hi)
{
    const auto energy_at = [&](std::size_t c) {
        const double* energy =
            b.energy.data() + (c % CORRELATION_STEP) * (STRETCH_PHASE + 1) + c / CORRELATION_STEP;
        return energy[LOOKED_AT] - energy[0];
    };
    // Below this energy a window cannot win (0: every one is weighed). The
    // margin is far beyond the rounding of the similarities.
    const double own = energy_at(a);
    const double least = a >= lo && a <= hi && own > 0 ? own * (1.0 - 1e-9) : 0.0;
    const double* x = b.phases.data() + (a % CORRELATION_STEP) * STRETCH_PHASE + a / CORRELATION_STEP;
    double best = -1e300;
    std::size_t at = lo;
    for (std::size_t c = lo; c <= hi; ++c) {
        const double energy = energy_at(c);
        if (energy < least)
            continue;
        const double* y = b.phases.data() + (c % CORRELATION_STEP) * STRETCH_PHASE + c / CORRELATION_STEP;
        double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
        for (std::size_t i = 0; i < LOOKED_AT; i += 4) {
            s0 += x[i] * y[i];
            s1 += x[i + 1] * y[i + 1];
            s2 += x[i + 2] * y[i + 2];
            s3 += x[i + 3] * y[i + 3];
        }
        const double similarity = ((s0 + s1) + (s2 + s3)) / std::sqrt(1.0 + energy);
        if (similarity > best) {
            best = similarity;
            at = c;
        }
    }
    return at;
}

// Samples [from, to) of the result from the sums of the windows laid over
// them: each sum over its weight, rounded half away from zero as
// std::round does, in a loop the compiler turns into vector code (the
// choices are selects, not branches).
void stretch_samples(const StretchBuffers& b, std::size_t from, std::size_t to, std::int16_t* out);
STRETCH_LOOP void stretch_samples(const StretchBuffers& b, std::size_t from, std::size_t to, std::int16_t* out)
{
    for (std::size_t i = from; i < to; ++i) {
        const float v = b.sum[i] / b.weight[i];
        const auto whole = static_cast<std::int32_t>(v);      // |v| is far below 2^31
        const float rest = v - static_cast<float>(whole);     // exact
        std::int32_t r = whole + static_cast<std::int32_t>(rest >= 0.5f) - static_cast<std::int32_t>(rest <= -0.5f);
        r = r < -32768 ? -32768 : r;
        r = r > 32767 ? 32767 : r;
        out[i] = static_cast<std::int16_t>(r);
    }
}

std::size_t stretched_length(std::size_t n, double factor)
{
    return static_cast<std::size_t>(std::lround(static_cast<double>(n) * factor));
}

std::size_t stretch(const std::int16_t* in, std::size_t n, double factor, std::int16_t* out, StretchBuffers& b,
                    const StretchRecall& recall)
{
    const StretchSpan whole{0, stretched_length(n, factor)};
    return stretch_spans(in, n, factor, &whole, 1, out, b, recall);
}

std::size_t stretch_spans(const std::int16_t* in, std::size_t n, double factor, const StretchSpan* spans,
                          std::size_t count, std::int16_t* out, StretchBuffers& b, const StretchRecall& recall)
{
    if (n < STRETCH_WINDOW || n > STRETCH_MOST_IN || !(factor >= LEAST_FACTOR && factor <= MOST_FACTOR))
        return 0;
    const std::size_t m = stretched_length(n, factor);
    const std::size_t last = n - STRETCH_WINDOW;  // the last window's start in the input
    Split split;
    std::size_t prev = 0;
    bool laid = false;  // the window before this one was laid
    std::size_t s = 0;  // the first span not wholly before this window
    for (std::size_t k = 0; k * HOP < m; ++k) {
        const std::size_t o = k * HOP;
        while (s < count && spans[s].to <= o)
            ++s;
        if (s == count)
            break;
        if (spans[s].from >= o + STRETCH_WINDOW) {
            laid = false;
            continue;
        }
        const std::size_t nominal =
            std::min(last, static_cast<std::size_t>(std::lround(static_cast<double>(o) / factor)));
        std::size_t at = nominal;
        const std::size_t natural = prev + HOP;  // where the window before would have gone on
        const std::size_t lo = nominal > STRETCH_TOLERANCE ? nominal - STRETCH_TOLERANCE : 0;
        if (laid && natural <= last) {
            StretchChoice* kept = recalled(recall, nominal, natural);
            if (kept != nullptr && kept->recording != 0) {
                at = kept->at;
            } else {
                // The split starts afresh where this search begins when the
                // windows before it were recalled.
                const std::size_t hi = std::min(last, nominal + STRETCH_TOLERANCE);
                const std::size_t need = std::min(lo, natural);
                split_phases(in, std::max(split.to, need), std::max(hi, natural) + STRETCH_WINDOW, split, b);
                at = stretch_most_alike(b, natural, lo, hi);
                if (kept != nullptr && recall.choices->used < STRETCH_CHOICES / 2) {
                    *kept = {recall.recording, static_cast<std::uint32_t>(nominal), static_cast<std::uint32_t>(natural),
                             static_cast<std::uint32_t>(at)};
                    ++recall.choices->used;
                }
            }
        } else if (split.to < lo) {
            // A new run of windows: what it searches lies after lo.
            split_phases(in, lo, lo, split, b);
        }
        // The half the window before did not reach starts from nothing.
        const std::size_t fresh = laid ? HOP : 0;
        std::fill_n(b.sum.begin() + static_cast<std::ptrdiff_t>(o + fresh), STRETCH_WINDOW - fresh, 0.0f);
        std::fill_n(b.weight.begin() + static_cast<std::ptrdiff_t>(o + fresh), STRETCH_WINDOW - fresh, 0.0f);
        for (std::size_t i = 0; i < STRETCH_WINDOW; ++i) {
            b.sum[o + i] += WINDOW[i] * static_cast<float>(in[at + i]);
            b.weight[o + i] += WINDOW[i];
        }
        prev = at;
        laid = true;
    }
    for (std::size_t j = 0; j < count; ++j)
        stretch_samples(b, spans[j].from, std::min(spans[j].to, m), out);
    return m;
}
