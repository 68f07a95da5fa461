// What the voice and prosody benchmarks share: a headerless recording read
// as samples, and the cepstra of its frames loud enough to count.
#pragma once

#include <cstddef>
#include <vector>

#include "cepstrum.h"

// Frames more than this many dB below the loudest frame of their own side are dropped.
constexpr double DROP_DB = 40.0;

// A headerless 16-bit signed little-endian mono file as samples; false when it cannot be read.
bool read_raw(const char* path, std::vector<double>& x);

// The cepstra of the frames of x within DROP_DB of the loudest, and (when
// index is given) the number of each kept frame among all.
std::vector<Cepstrum> loud_cepstra(const std::vector<double>& x, std::vector<std::size_t>* index = nullptr);
