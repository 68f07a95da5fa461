// Timbre correction: a fixed filter that moves a signal's mel-cepstrum by a
// given difference, as the voice measure and the unit selection see it.
#pragma once

#include <array>
#include <vector>

#include "cepstrum.h"

// A zero-phase FIR of 20 ms at 16 kHz.
constexpr long FILTER_HALF = CEPSTRUM_RATE / 100;
using Filter = std::array<double, 2 * FILTER_HALF + 1>;

// The filter that moves c1..c24 by `difference`: the log amplitude of each mel
// band changes by the inverse DCT of it (c0, the loudness, stays), linearly
// interpolated on the mel scale between the bands' centres.
void design_filter(const Cepstrum& difference, Filter& h);
// The filtered sample k of x, with zeros beyond x's ends.
double filtered_at(const std::vector<double>& x, const Filter& h, std::size_t k);
// The whole signal filtered in place.
void equalise(std::vector<double>& x, const Cepstrum& difference);
