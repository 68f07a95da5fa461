#include "zvuki/stretch.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr std::size_t HOP = STRETCH_WINDOW / 2;
// The similarity is judged on every CORRELATION_STEP-th sample: enough for
// the periods of speech, a quarter of the work.
constexpr std::size_t CORRELATION_STEP = 4;
constexpr double LEAST_FACTOR = 0.25;
constexpr double MOST_FACTOR = 2.0;

// A Hann window sampled between its zeros, so that every output sample has
// some weight and halves a window apart sum to 1.
const std::array<float, STRETCH_WINDOW> WINDOW = [] {
    std::array<float, STRETCH_WINDOW> w{};
    for (std::size_t i = 0; i < STRETCH_WINDOW; ++i)
        w[i] = static_cast<float>(0.5 - 0.5 * std::cos(2 * std::numbers::pi * (static_cast<double>(i) + 0.5) /
                                                       static_cast<double>(STRETCH_WINDOW)));
    return w;
}();

// How alike the window at b is to the one at a (both wholly inside the
// input): their correlation over the energy of b's, so that a louder window
// does not win for its loudness.
double similarity(const std::int16_t* in, std::size_t a, std::size_t b)
{
    double s = 0, e = 1.0;
    for (std::size_t i = 0; i < STRETCH_WINDOW; i += CORRELATION_STEP) {
        const double y = in[b + i];
        s += static_cast<double>(in[a + i]) * y;
        e += y * y;
    }
    return s / std::sqrt(e);
}

}  // namespace

std::size_t stretched_length(std::size_t n, double factor)
{
    return static_cast<std::size_t>(std::lround(static_cast<double>(n) * factor));
}

std::size_t stretch(const std::int16_t* in, std::size_t n, double factor, std::int16_t* out, StretchBuffers& b)
{
    if (n < STRETCH_WINDOW || n > STRETCH_MOST_IN || !(factor >= LEAST_FACTOR && factor <= MOST_FACTOR))
        return 0;
    const std::size_t m = stretched_length(n, factor);
    const std::size_t last = n - STRETCH_WINDOW;  // the last window's start in the input
    std::fill_n(b.sum.begin(), m + STRETCH_WINDOW, 0.0f);
    std::fill_n(b.weight.begin(), m + STRETCH_WINDOW, 0.0f);
    std::size_t prev = 0;
    for (std::size_t k = 0; k * HOP < m; ++k) {
        const std::size_t nominal =
            std::min(last, static_cast<std::size_t>(std::lround(static_cast<double>(k * HOP) / factor)));
        std::size_t at = nominal;
        const std::size_t natural = prev + HOP;  // where the window before would have gone on
        if (k > 0 && natural <= last) {
            const std::size_t lo = nominal > STRETCH_TOLERANCE ? nominal - STRETCH_TOLERANCE : 0;
            const std::size_t hi = std::min(last, nominal + STRETCH_TOLERANCE);
            double best = -1e300;
            for (std::size_t c = lo; c <= hi; ++c) {
                const double s = similarity(in, natural, c);
                if (s > best) {
                    best = s;
                    at = c;
                }
            }
        }
        const std::size_t o = k * HOP;
        for (std::size_t i = 0; i < STRETCH_WINDOW; ++i) {
            b.sum[o + i] += WINDOW[i] * static_cast<float>(in[at + i]);
            b.weight[o + i] += WINDOW[i];
        }
        prev = at;
    }
    for (std::size_t i = 0; i < m; ++i) {
        const float v = std::round(b.sum[i] / b.weight[i]);
        out[i] = static_cast<std::int16_t>(std::clamp(v, -32768.0f, 32767.0f));
    }
    return m;
}
