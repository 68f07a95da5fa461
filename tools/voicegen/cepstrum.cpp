// Mel-cepstra: FFT, mel bank and DCT.
#include "cepstrum.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace {

constexpr std::size_t FFT = 512;
constexpr std::size_t BINS = FFT / 2 + 1;
constexpr std::size_t BANDS = 40;
constexpr double BAND_FLOOR = 1e4;
constexpr double ENERGY_FLOOR = 1e-9;

double mel(double f) { return 2595 * std::log10(1 + f / 700.0); }
double inverse_mel(double m) { return 700 * (std::pow(10.0, m / 2595.0) - 1); }

struct Tables {
    // The FFT's twiddle factors: for the butterflies of span len, factor k
    // at twiddle[len / 2 + k].
    std::array<std::complex<double>, FFT> twiddle{};
    // Triangles between BANDS + 2 points spaced evenly on the mel scale, each
    // point at the FFT bin floor((FFT + 1) * f / rate).
    std::array<std::array<double, BINS>, BANDS> bank{};
    std::array<double, CEPSTRUM_WINDOW> hamming{};
    std::array<std::array<double, BANDS>, CEPSTRUM_DIM> dct{};
    Tables()
    {
        std::array<int, BANDS + 2> bin{};
        const double top = mel(CEPSTRUM_RATE / 2.0);
        const double step = top / (BANDS + 1);
        for (std::size_t i = 0; i < BANDS + 2; ++i) {
            const double m = i == BANDS + 1 ? top : double(i) * step;
            bin[i] = static_cast<int>(std::floor(double(FFT + 1) * inverse_mel(m) / CEPSTRUM_RATE));
        }
        for (std::size_t b = 1; b <= BANDS; ++b) {
            const int l = bin[b - 1], c = bin[b], r = bin[b + 1];
            for (int k = l; k < c; ++k)
                bank[b - 1][k] = double(k - l) / std::max(c - l, 1);
            for (int k = c; k < r; ++k)
                bank[b - 1][k] = double(r - k) / std::max(r - c, 1);
        }
        for (std::size_t len = 2; len <= FFT; len <<= 1) {
            const double angle = -2 * std::numbers::pi / double(len);
            for (std::size_t k = 0; k < len / 2; ++k)
                twiddle[len / 2 + k] = std::polar(1.0, angle * double(k));
        }
        for (std::size_t i = 0; i < CEPSTRUM_WINDOW; ++i)
            hamming[i] = 0.54 - 0.46 * std::cos(2 * std::numbers::pi * double(i) / (CEPSTRUM_WINDOW - 1));
        for (std::size_t n = 1; n <= CEPSTRUM_DIM; ++n)
            for (std::size_t k = 0; k < BANDS; ++k)
                dct[n - 1][k] = 0.5 * std::sqrt(2.0 / BANDS) *
                                std::cos(std::numbers::pi / BANDS * (double(k) + 0.5) * double(n));
    }
};

const Tables& tables()
{
    static const Tables t;
    return t;
}

// In-place iterative radix-2 FFT.
void fft(std::array<std::complex<double>, FFT>& a)
{
    const Tables& t = tables();
    for (std::size_t i = 1, j = 0; i < FFT; ++i) {
        std::size_t bit = FFT >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= FFT; len <<= 1)
        for (std::size_t i = 0; i < FFT; i += len)
            for (std::size_t k = 0; k < len / 2; ++k) {
                const auto u = a[i + k];
                const auto v = a[i + k + len / 2] * t.twiddle[len / 2 + k];
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
}

}  // namespace

double frame_cepstrum(const double* frame, Cepstrum& c)
{
    const Tables& t = tables();
    std::array<std::complex<double>, FFT> spectrum{};
    for (std::size_t i = 0; i < CEPSTRUM_WINDOW; ++i)
        spectrum[i] = frame[i] * t.hamming[i];
    fft(spectrum);
    std::array<double, BINS> power{};
    double total = 0;
    for (std::size_t k = 0; k < BINS; ++k) {
        power[k] = std::norm(spectrum[k]);
        total += power[k];
    }
    std::array<double, BANDS> logmel{};
    for (std::size_t b = 0; b < BANDS; ++b) {
        double sum = 0;
        for (std::size_t k = 0; k < BINS; ++k)
            sum += power[k] * t.bank[b][k];
        logmel[b] = std::log(sum + BAND_FLOOR);
    }
    for (std::size_t n = 0; n < CEPSTRUM_DIM; ++n) {
        double sum = 0;
        for (std::size_t k = 0; k < BANDS; ++k)
            sum += logmel[k] * t.dct[n][k];
        c[n] = sum;
    }
    return 10 * std::log10(total + ENERGY_FLOOR);
}

void signal_cepstra(std::vector<double> x, std::vector<Cepstrum>& c, std::vector<double>& energy)
{
    if (x.size() < CEPSTRUM_WINDOW)
        x.resize(CEPSTRUM_WINDOW, 0.0);
    const std::size_t frames = 1 + (x.size() - CEPSTRUM_WINDOW) / CEPSTRUM_HOP;
    c.resize(frames);
    energy.resize(frames);
    for (std::size_t f = 0; f < frames; ++f)
        energy[f] = frame_cepstrum(x.data() + f * CEPSTRUM_HOP, c[f]);
}

double cepstral_distance(const Cepstrum& a, const Cepstrum& b)
{
    double s = 0;
    for (std::size_t k = 0; k < CEPSTRUM_DIM; ++k)
        s += (a[k] - b[k]) * (a[k] - b[k]);
    return std::sqrt(s);
}
