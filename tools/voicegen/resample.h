// Sample-rate conversion of the corpus's 16 kHz audio to the voice's rate.
#pragma once

#include <vector>

// Resamples in (at from Hz) to out (at to Hz) with libsoxr's very high
// quality, linear-phase filter; out holds round(in.size() * to / from)
// samples, aligned with in. False when the library fails.
bool resample(const std::vector<double>& in, int from, int to, std::vector<double>& out);
