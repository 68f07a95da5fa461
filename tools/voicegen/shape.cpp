// Trimming, cutting, fading and levelling of rendered syllables.
#include "shape.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr std::size_t CUT_FRAME = VOICE_RATE / 200;  // 5 ms: fine enough to find an onset

double frame_rms(const Recording& r, std::size_t start, std::size_t length)
{
    double sum = 0;
    std::size_t count = 0;
    for (std::size_t i = start; i < start + length && i < r.n; ++i, ++count)
        sum += double(r.sample[i]) * r.sample[i];
    return count == 0 ? 0.0 : std::sqrt(sum / double(count));
}

void keep_range(Recording& r, std::size_t first, std::size_t end)
{
    if (end > r.n)
        end = r.n;
    if (first >= end) {
        r.n = 0;
        return;
    }
    for (std::size_t i = first; i < end; ++i)
        r.sample[i - first] = r.sample[i];
    r.n = end - first;
}

}  // namespace

void trim_silence(Recording& r, int threshold, std::size_t margin)
{
    std::size_t first = 0;
    while (first < r.n && std::abs(r.sample[first]) <= threshold)
        ++first;
    if (first == r.n) {
        r.n = 0;
        return;
    }
    std::size_t last = r.n - 1;
    while (std::abs(r.sample[last]) <= threshold)
        --last;
    first = first > margin ? first - margin : 0;
    keep_range(r, first, last + 1 + margin);
}

void cut_before_vowel(Recording& r, double share, std::size_t keep_vowel, std::size_t longest)
{
    double loudest = 0;
    for (std::size_t s = 0; s < r.n; s += CUT_FRAME)
        loudest = std::fmax(loudest, frame_rms(r, s, CUT_FRAME));
    std::size_t s = 0;
    while (s < r.n && frame_rms(r, s, CUT_FRAME) < share * loudest)
        s += CUT_FRAME;
    const std::size_t end = std::min(s + keep_vowel, r.n);
    keep_range(r, end > longest ? end - longest : 0, end);
}

void fade_ends(Recording& r, std::size_t fade_in, std::size_t fade_out)
{
    if (fade_in > r.n / 2)
        fade_in = r.n / 2;
    if (fade_out > r.n / 2)
        fade_out = r.n / 2;
    for (std::size_t i = 0; i < fade_in; ++i)
        r.sample[i] = static_cast<std::int16_t>(r.sample[i] * double(i) / double(fade_in));
    for (std::size_t i = 0; i < fade_out; ++i) {
        std::int16_t& s = r.sample[r.n - 1 - i];
        s = static_cast<std::int16_t>(s * double(i) / double(fade_out));
    }
}

double active_rms(const Recording& r)
{
    double loudest = 0;
    for (std::size_t s = 0; s < r.n; s += FRAME_SAMPLES)
        loudest = std::fmax(loudest, frame_rms(r, s, FRAME_SAMPLES));
    double sum = 0;
    std::size_t count = 0;
    for (std::size_t s = 0; s < r.n; s += FRAME_SAMPLES) {
        if (frame_rms(r, s, FRAME_SAMPLES) < ACTIVE_FRAME_SHARE * loudest)
            continue;
        for (std::size_t i = s; i < s + FRAME_SAMPLES && i < r.n; ++i, ++count)
            sum += double(r.sample[i]) * r.sample[i];
    }
    return count == 0 ? 0.0 : std::sqrt(sum / double(count));
}

int peak_of(const Recording& r)
{
    int peak = 0;
    for (std::size_t i = 0; i < r.n; ++i)
        peak = std::max(peak, std::abs(int(r.sample[i])));
    return peak;
}

double limited_gain(const Recording& r, double gain)
{
    const int peak = peak_of(r);
    // Rounding may add half a step: aim a little under the limit.
    if (peak > 0 && std::lround(peak * gain) > PEAK_LIMIT)
        gain = (PEAK_LIMIT - 0.5) / peak;
    return gain;
}

double level_gain(const Recording& r, double target_rms)
{
    const double rms = active_rms(r);
    return limited_gain(r, rms > 0 ? target_rms / rms : 1.0);
}

void apply_gain(Recording& r, double gain)
{
    for (std::size_t i = 0; i < r.n; ++i)
        r.sample[i] = static_cast<std::int16_t>(std::lround(r.sample[i] * gain));
}
