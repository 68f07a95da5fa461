// Mel-cepstra of speech at 16 kHz, as the voice measure and the unit
// selection both see it: frames of 25 ms, Hamming window, 512-point FFT,
// 40 triangular mel bands from 0 to 8 kHz, the natural log of each band's
// power plus 1e4 (about one least significant bit), an orthonormal DCT-II of
// that halved (log amplitude), coefficients c1..c24 (c0, the loudness, left out).
#pragma once

#include <array>
#include <cstddef>
#include <vector>

constexpr int CEPSTRUM_RATE = 16000;
constexpr std::size_t CEPSTRUM_WINDOW = 400;  // 25 ms
constexpr std::size_t CEPSTRUM_HOP = 160;     // 10 ms
constexpr std::size_t CEPSTRUM_DIM = 24;
using Cepstrum = std::array<double, CEPSTRUM_DIM>;

// The cepstrum of CEPSTRUM_WINDOW samples; returns the frame's energy in dB
// (10 log10 of the summed power spectrum plus 1e-9).
double frame_cepstrum(const double* frame, Cepstrum& c);

// Every frame of a signal, a hop apart (one frame of zeros after a signal
// shorter than a frame), with the frame energies.
void signal_cepstra(std::vector<double> x, std::vector<Cepstrum>& c, std::vector<double>& energy);

double cepstral_distance(const Cepstrum& a, const Cepstrum& b);
