// Zero-phase FIR filters made from a mel-cepstral difference.
#include "equalise.h"

#include <cmath>
#include <numbers>

namespace {

constexpr std::size_t GRID = 512;  // frequency points over the sampling rate
constexpr std::size_t BANDS = 40;  // the mel bands of the cepstrum

double mel(double f) { return 2595 * std::log10(1 + f / 700.0); }

}  // namespace

void design_filter(const Cepstrum& difference, Filter& h)
{
    // Log amplitude per band: the inverse of the orthonormal DCT-II.
    std::array<double, BANDS> band{};
    for (std::size_t k = 0; k < BANDS; ++k)
        for (std::size_t n = 1; n <= CEPSTRUM_DIM; ++n)
            band[k] += difference[n - 1] * std::sqrt(2.0 / BANDS) *
                       std::cos(std::numbers::pi / BANDS * (double(k) + 0.5) * double(n));
    // The band centres lie evenly on the mel scale, band b at (b + 1) steps;
    // below the first and above the last the gain stays.
    const double step = mel(CEPSTRUM_RATE / 2.0) / (BANDS + 1);
    std::array<double, GRID / 2 + 1> gain{};
    for (std::size_t i = 0; i <= GRID / 2; ++i) {
        const double m = mel(double(i) * CEPSTRUM_RATE / GRID) / step - 1;
        double v = band[0];
        if (m >= BANDS - 1) {
            v = band[BANDS - 1];
        } else if (m > 0) {
            const auto b = std::size_t(m);
            v = band[b] + (band[b + 1] - band[b]) * (m - double(b));
        }
        gain[i] = std::exp(v);
    }
    // The real, even impulse response of that gain, under a Hann window.
    for (long t = -FILTER_HALF; t <= FILTER_HALF; ++t) {
        double s = gain[0] + gain[GRID / 2] * std::cos(std::numbers::pi * double(t));
        for (std::size_t i = 1; i < GRID / 2; ++i)
            s += 2 * gain[i] * std::cos(2 * std::numbers::pi * double(i) * double(t) / GRID);
        const double w = 0.5 + 0.5 * std::cos(std::numbers::pi * double(t) / double(FILTER_HALF + 1));
        h[std::size_t(t + FILTER_HALF)] = s / GRID * w;
    }
}

double filtered_at(const std::vector<double>& x, const Filter& h, std::size_t k)
{
    const long n = long(x.size());
    const long i = long(k);
    double s = 0;
    for (long t = -FILTER_HALF; t <= FILTER_HALF; ++t) {
        const long j = i - t;
        if (j >= 0 && j < n)
            s += h[std::size_t(t + FILTER_HALF)] * x[std::size_t(j)];
    }
    return s;
}

void equalise(std::vector<double>& x, const Cepstrum& difference)
{
    Filter h{};
    design_filter(difference, h);
    std::vector<double> y(x.size());
    for (std::size_t k = 0; k < x.size(); ++k)
        y[k] = filtered_at(x, h, k);
    x.swap(y);
}
