// Choosing among the corpus's occurrences of a unit: the one whose sounds are
// nearest the speaker's typical ones, so that any two units join smoothly.
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "cepstrum.h"
#include "corpus.h"
#include "units.h"

// How far selection goes, one step adding to the one before (each was
// measured on its own; see bench/voice.sh).
enum class Selection {
    First = 0,      // the first occurrence in corpus order, with the wanted neighbours
    Stress = 1,     // the least reduced vowel the corpus has for the unit
    Spectrum = 2,   // among those, the spectrum nearest the speaker's mean for each phone
    Prosody = 3,    // and the duration and pitch nearest the speaker's typical ones
};

// The speaker's typical sounds: per phone the mean cepstrum at POSITIONS
// points through it and the median duration; the median pitch of the vowels.
constexpr std::size_t POSITIONS = 7;  // an eighth, a quarter, ... seven eighths through a phone
struct PhoneStats {
    std::array<Cepstrum, POSITIONS> mean{};
    double duration = 0;
};
struct Speaker {
    std::map<std::string, PhoneStats> phone;
    double pitch = 0;  // Hz
    // The pitches (Hz) of his stressed vowels a third and two thirds up
    // their range (by count), and in the middle of the lowest and the
    // highest third: where the takes at other pitches are chosen.
    std::array<double, 2> third{};
    std::array<double, 2> third_middle{};
};

void learn_speaker(const std::vector<Sentence>& sentences, Speaker& speaker);

// The cepstrum of the 25 ms frame centred at time t (seconds) of a sentence.
void cepstrum_at(const Sentence& s, double t, Cepstrum& c);
// The pitch at time t, by autocorrelation over 40 ms; 0 where unvoiced.
double pitch_at(const Sentence& s, double t);

// The mean cepstra of each phone of a unit (first consonant, then vowel) over
// the occurrences found of it, whatever their neighbours and vowel reduction:
// how that pair of sounds is typically spoken. At most a few hundred of them,
// evenly spread, are taken.
void learn_unit(const std::vector<Occurrence>& found, const std::vector<Sentence>& sentences,
                std::vector<PhoneStats>& unit);

// How far the stretch from..to (seconds) of a phone of a sentence lies from
// the typical sound of that phone: the mean, over its 10 ms frames, of the
// typical cepstrum at the frame's place in the phone minus the frame's own.
void part_difference(const Sentence& s, int phone, double from, double to, const PhoneStats& typical,
                     Cepstrum& difference);

// What choose() finds out about an occurrence, kept so that choosing among
// the same occurrences again (for a take at another pitch) costs nothing:
// its score without the pitch of its vowel, and that pitch (Hz, 0 where
// unvoiced, -1 for a unit without a vowel).
struct Scored {
    double score = 0;
    double pitch = -1;
};
using ScoreCache = std::map<std::array<int, 3>, Scored>;

// The index of the chosen occurrence in found (which is not empty), from
// Prosody on with its vowel's pitch near pitch (Hz; 0: the speaker's own).
std::size_t choose(const std::vector<Occurrence>& found, const std::vector<Sentence>& sentences,
                   const Speaker& speaker, Selection level, ScoreCache* cache = nullptr, double pitch = 0);
// The occurrences choose() chooses among: those with the wanted neighbours
// (where any has them) and, from Stress on, the least reduced vowel.
void eligible(const std::vector<Occurrence>& found, Selection level, std::vector<Occurrence>& out);
// The pitch of an occurrence's vowel as scored (see Scored).
double occurrence_pitch(const Occurrence& o, const std::vector<Sentence>& sentences, const Speaker& speaker,
                        Selection level, ScoreCache& cache);
