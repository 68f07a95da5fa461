// A recording's takes at other pitches: the one nearest the pitch asked for.
#include "zvuki/takes.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "common/format_samples.h"
#include "zvuki/recording_name.h"

double own_pitch(const std::uint32_t* marks, std::size_t count)
{
    // The first periods are enough for a median: a syllable holds a few dozen.
    std::array<std::uint32_t, 512> period;
    std::size_t n = 0;
    for (std::size_t k = 1; k < count && n < period.size(); ++k) {
        const std::uint32_t d = marks[k] - marks[k - 1];
        if (d > 0 && d <= PSOLA_LONGEST_PERIOD)
            period[n++] = d;
    }
    if (n == 0)
        return 0;
    const auto middle = period.begin() + static_cast<long>(n / 2);
    std::nth_element(period.begin(), middle, period.begin() + static_cast<long>(n));
    return static_cast<double>(SAMPLE_RATE) / *middle;
}

void take_pitches(const PitchMarks& p, const char* name, std::array<double, TAKES_MOST + 1>& hz)
{
    hz.fill(0);
    std::size_t count = 0;
    const std::uint32_t* marks = find_pitch_marks(p, name, count);
    hz[0] = own_pitch(marks, count);
    for (int k = 1; k <= TAKES_MOST; ++k) {
        std::array<char, RECORDING_NAME_BYTES> take{};
        if (!take_file_name(name, k, take))
            break;
        marks = find_pitch_marks(p, take.data(), count);
        hz[static_cast<std::size_t>(k)] = own_pitch(marks, count);
    }
}

int nearest_pitch(const std::array<double, TAKES_MOST + 1>& hz, double want)
{
    int chosen = -1;
    double best = 0;
    for (std::size_t k = 0; k < hz.size(); ++k) {
        if (!(hz[k] > 0))
            continue;
        const double d = std::fabs(std::log2(hz[k] / want));
        if (chosen < 0 || d < best) {
            best = d;
            chosen = static_cast<int>(k);
        }
    }
    return chosen < 0 ? 0 : chosen;
}

int nearest_take(const PitchMarks& p, const char* name, double hz)
{
    if (!(hz > 0))
        return 0;
    std::array<double, TAKES_MOST + 1> own;
    take_pitches(p, name, own);
    // A recording without marks is said as it is: no take replaces it.
    return own[0] > 0 ? nearest_pitch(own, hz) : 0;
}

bool said_near(const PitchMarks& p, const char* name, double hz, int cents)
{
    std::size_t count = 0;
    const std::uint32_t* marks = find_pitch_marks(p, name, count);
    const double own = own_pitch(marks, count);
    return own > 0 && hz > 0 && std::fabs(1200 * std::log2(own / hz)) <= cents;
}
