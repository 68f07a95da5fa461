// Choosing among a recording's takes (recording_name.h) the one said at the
// pitch nearest the one asked for, so the overlap-add moves it least.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "zvuki/intonation.h"
#include "zvuki/recording_name.h"

// A recording's own pitch in Hz from its marks: the median of its periods
// within its voiced stretches; 0 when it has none.
double own_pitch(const std::uint32_t* marks, std::size_t count);

// The own pitches of the recording named (hz[0]) and of its takes
// (hz[k]), from their marks in p; 0 for each without.
void take_pitches(const PitchMarks& p, const char* name, std::array<double, TAKES_MOST + 1>& hz);
// Of hz (as take_pitches gives), the one nearest want on a scale of
// semitones: its index; 0 when none is above 0.
int nearest_pitch(const std::array<double, TAKES_MOST + 1>& hz, double want);

// Of the recording named and its takes with marks in p, the one whose own
// pitch lies nearest hz (on a scale of semitones): 0 the recording itself,
// else the take's number. 0 when the recording has no marks.
int nearest_take(const PitchMarks& p, const char* name, double hz);

// Whether the recording named (with marks in p) is said within cents of hz:
// its own pitch lies that near, on a scale of cents. false without marks.
bool said_near(const PitchMarks& p, const char* name, double hz, int cents);
