// vokdar-mcd: mel-cepstral distortion after dynamic time warping (MCD-DTW, in
// dB) between a rendering and a natural recording of the same sentence.
//
//   vokdar-mcd SYNTH.raw NATURAL.raw
//
// Both files are headerless 16-bit signed little-endian mono at 16 kHz (bench/
// voice.sh makes them with sox). Frames of 25 ms every 10 ms, Hamming window,
// 512-point FFT, 40 triangular mel bands from 0 to 8 kHz, the natural log of
// each band's power plus 1e4, an orthonormal DCT-II of that halved (log
// amplitude), coefficients c1..c24. Frames more than 40 dB below the loudest
// frame of their own side are dropped. Symmetric DTW (right, down, diagonal)
// on Euclidean frame distances; the result is the mean distance along the
// cheapest path times 10/ln 10 times the square root of 2.
#include <cmath>
#include <cstdio>
#include <numbers>
#include <utility>
#include <vector>

#include "loud.h"

namespace {

// Mean frame distance along the cheapest monotonic path from the first pair
// of frames to the last; ties prefer the diagonal, then the step down.
double dtw_mean(const std::vector<Cepstrum>& a, const std::vector<Cepstrum>& b)
{
    const std::size_t n = a.size(), m = b.size();
    constexpr double INF = 1e300;
    std::vector<double> prev(m + 1, INF), cur(m + 1, INF);
    std::vector<int> prev_len(m + 1, 0), cur_len(m + 1, 0);
    for (std::size_t i = 1; i <= n; ++i) {
        cur[0] = INF;
        cur_len[0] = 0;
        for (std::size_t j = 1; j <= m; ++j) {
            double best = prev[j - 1];
            int len = prev_len[j - 1];
            if (i == 1 && j == 1) {
                best = 0;
                len = 0;
            }
            if (prev[j] < best) {
                best = prev[j];
                len = prev_len[j];
            }
            if (cur[j - 1] < best) {
                best = cur[j - 1];
                len = cur_len[j - 1];
            }
            cur[j] = best + cepstral_distance(a[i - 1], b[j - 1]);
            cur_len[j] = len + 1;
        }
        std::swap(prev, cur);
        std::swap(prev_len, cur_len);
    }
    return prev[m] / prev_len[m];
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: vokdar-mcd SYNTH.raw NATURAL.raw (16 kHz, 16-bit mono)\n");
        return 2;
    }
    std::vector<double> synth, natural;
    if (!read_raw(argv[1], synth) || !read_raw(argv[2], natural)) {
        std::fprintf(stderr, "vokdar-mcd: cannot read %s or %s\n", argv[1], argv[2]);
        return 1;
    }
    const auto a = loud_cepstra(synth);
    const auto b = loud_cepstra(natural);
    const double mcd = 10.0 / std::numbers::ln10 * std::numbers::sqrt2 * dtw_mean(a, b);
    std::printf("%.4f\n", mcd);
    return 0;
}
