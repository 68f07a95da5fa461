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

// The windows a recording's stretches chose, kept across its stretches: the
// window that goes on from the one at natural where the time scale puts
// nominal. Nothing else of a stretch (not its factor, nor the spans it makes)
// bears on that choice, so a kept one is what the search would find again.
// Choices are kept while the table has room, and never dropped.
constexpr std::size_t STRETCH_CHOICES = std::size_t{1} << 15;  // a power of two; at most half used
struct StretchChoice {
    std::uint32_t recording = 0;  // 0: a free slot
    std::uint32_t nominal = 0;
    std::uint32_t natural = 0;
    std::uint32_t at = 0;
};
struct StretchChoices {
    std::array<StretchChoice, STRETCH_CHOICES> slots{};
    std::size_t used = 0;
};
// The choices a stretch takes and keeps: those of the recording it reads,
// by a number its caller gives that recording's samples alone (0, or no
// table: each window is searched for).
struct StretchRecall {
    StretchChoices* choices = nullptr;
    std::uint32_t recording = 0;
};

// The output length for n input samples at factor (output ÷ input length).
std::size_t stretched_length(std::size_t n, double factor);

// Writes stretched_length(n, factor) samples of in[0, n) stretched by factor
// (0.25 to 2) to out. A recording shorter than a window, longer than
// STRETCH_MOST_IN, or a factor out of range gives 0: it is not stretched.
std::size_t stretch(const std::int16_t* in, std::size_t n, double factor, std::int16_t* out, StretchBuffers& b,
                    const StretchRecall& recall = {});

// A stretch of the output, samples [from, to).
struct StretchSpan {
    std::size_t from = 0;
    std::size_t to = 0;
};
// As stretch(), but only the output samples within the count spans (in
// order, apart, within the result) are made; the others of out are left as
// they were. The windows that reach none of them are passed over, and the
// first window after such a gap starts where the time scale puts it, as the
// first of all does. With the one span [0, result) it is stretch() itself.
std::size_t stretch_spans(const std::int16_t* in, std::size_t n, double factor, const StretchSpan* spans,
                          std::size_t count, std::int16_t* out, StretchBuffers& b, const StretchRecall& recall = {});
