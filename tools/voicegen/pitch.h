// The speaker's pitch, for the voice's prosody: F0 by autocorrelation, the
// glottal epochs (pitch marks) of a recording, and the intonation table
// learned from the corpus sentences.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "corpus.h"
#include "shape.h"

// The pitch range searched, as the prosody benchmark's tracker.
constexpr double F0_LOWEST = 60.0;
constexpr double F0_HIGHEST = 300.0;

// F0 in Hz of the 40 ms around sample at of x[0, n) at rate; 0 when the
// frame is quiet or not periodic.
double frame_f0(const std::int16_t* x, std::size_t n, std::size_t at, int rate);

// The pitch marks of x[0, n) at rate: one sample per glottal period in its
// voiced stretches, ascending. Each is a peak of the low-passed signal at the
// polarity the recording favours, the peaks of a stretch chosen together so
// that every mark keeps to the same point of its period (see pitch.cpp).
void pitch_marks(const std::int16_t* x, std::size_t n, int rate, std::vector<std::uint32_t>& marks);

// The intonation of the speaker: the F0 of every vowel of the sentences,
// relative to its sentence's mean, by the phrase type and the vowel's place in
// its phrase (see the sound stage's intonation table for the classes).
struct IntonationTable {
    double base = 0;  // the speaker's median F0, Hz
    std::vector<std::vector<double>> cents;  // [type][class]
    std::vector<std::vector<int>> count;
    std::size_t sentences = 0;
    // The question phrases of the texts: with a question word, and without.
    std::array<std::size_t, 2> questions{};
    long scale = 100;  // percent, written for the sound stage
    long shape = 0;    // percent, written for the sound stage
};
// Learns from the sentences whose texts (by number) end in their sentence
// mark; text_list is the corpus's etc/txt.done.data.
bool learn_intonation(const std::vector<Sentence>& sentences, const std::string& text_list, IntonationTable& t);
// dir/<INTONATION_FILE>, dir/<PITCH_MARK_FILE>.
bool write_intonation(const char* dir, const IntonationTable& t);
// dir/<PITCH_MARK_FILE>: each named recording's marks on a line.
struct MarkedName {
    std::string name;
    std::vector<std::uint32_t> marks;
};
bool write_pitch_marks(const char* dir, const std::vector<MarkedName>& recordings);
