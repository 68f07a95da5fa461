// Changing a recording's length without changing its pitch, for the
// everyday pace of a voice with its own rhythm: waveform-similarity
// overlap-add (WSOLA). Windows of STRETCH_WINDOW samples are laid a half
// window apart in the output, each taken from near its place in the input
// scaled by the factor, shifted by up to STRETCH_TOLERANCE samples to where
// it best continues the window before it, so that periods join in phase.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

constexpr std::size_t STRETCH_WINDOW = 512;     // 23 ms at 22050 Hz: two periods of a low voice
constexpr std::size_t STRETCH_TOLERANCE = 128;  // 5.8 ms: more than half the longest period
// The longest recording stretched (4 s), and the longest result.
constexpr std::size_t STRETCH_MOST_IN = 88200;
constexpr std::size_t STRETCH_MOST_OUT = 2 * STRETCH_MOST_IN;
// The most a recording is lengthened by.
constexpr double STRETCH_MOST_FACTOR = 2.0;

// What a stretch works in: fixed buffers for the longest result, and the
// recording taken apart for the search: every fourth sample from each of
// the four first ones, and the running sums of their squares.
constexpr std::size_t STRETCH_PHASE = STRETCH_MOST_IN / 4 + 1;
struct StretchBuffers {
    std::array<float, STRETCH_MOST_OUT + STRETCH_WINDOW> sum;
    std::array<float, STRETCH_MOST_OUT + STRETCH_WINDOW> weight;
    std::array<double, 4 * STRETCH_PHASE> phases;
    std::array<double, 4 * (STRETCH_PHASE + 1)> energy;
};

// The output length for n input samples at factor (output ÷ input length).
std::size_t stretched_length(std::size_t n, double factor);

// Writes stretched_length(n, factor) samples of in[0, n) stretched by factor
// (0.25 to 2) to out. A recording shorter than a window, longer than
// STRETCH_MOST_IN, or a factor out of range gives 0: it is not stretched.
std::size_t stretch(const std::int16_t* in, std::size_t n, double factor, std::int16_t* out, StretchBuffers& b);
