// The natural voice: every recording of the inventory cut from the corpus.
#pragma once

#include "inventory.h"
#include "select.h"

struct CutSettings {
    Selection selection = Selection::Prosody;
    bool snap = true;  // cut points moved to the nearest zero crossing
    bool timbre = true;  // each phone's spectral envelope drawn towards its typical one
    int kept_out = -1;   // sentences whose number ends in this digit are no source either
    // The intonation table learned from the corpus is written, so the sound
    // stage sets each syllable's pitch (see INTONATION_FILE); without it the
    // voice keeps the pitch its units were said at.
    bool intonation = false;
    // Syllables the corpus has both stressed and unstressed are cut once
    // more from each kind of place, as variants beside the plain recording.
    bool variants = true;
    // With the intonation table, each recording with a vowel that the
    // everyday reading speaks (the variants where there are, else the plain
    // one) gets up to two takes at other pitches beside it, for the
    // intonation to choose from.
    bool takes = true;
};
// How far apart in semitones the own pitches of a recording and its takes
// lie at the least: a take nearer than that is not cut.
constexpr double TAKE_APART = 2.0;

// Every occurrence of the token in the sentences, through the rule's
// fallbacks when the corpus has none; false when it has none at all.
bool unit_occurrences(const Token& t, const std::vector<Sentence>& sentences, std::vector<Occurrence>& found);
// The occurrences with a stressed vowel, and those with a reduced one; true
// when there are both.
bool split_by_stress(const std::vector<Occurrence>& found, std::vector<Occurrence>& stressed,
                     std::vector<Occurrence>& unstressed);

// The voice's rhythm for the sound stage's everyday joins (the file
// prosody.txt of the voice, in samples at the voice's rate): the crossfade
// the closure before a voiceless stop and the stretch, tuned on the sentences ending in
// 5 (voicegen --keep-out 5, bench/prosody.sh), and the pause between
// phrases, the median of the speaker's pauses inside a sentence. With the
// intonation, crossfades of 20, 25 and 30 ms (the stretch raised to keep the
// speech time) came out 0.09 to 0.12 dB of MCD-DTW better than 10 ms, in
// about four sentences of five, the pitch figures unmoved.
constexpr double RHYTHM_CROSSFADE = 0.025;  // seconds
constexpr double RHYTHM_CLOSURE = 0.050;
// The recordings' length at speed 100, as a share of their own: the units,
// trimmed of silence and cut at their phones' bounds, are shorter than the
// syllables the speaker says (tuned as above to the speaker's speech time;
// the longer the crossfade, the more the syllables overlap).
constexpr double RHYTHM_STRETCH = 1.19;
// How far the sound stage draws the learned intonation out from its medians,
// tuned as above: 0.8, 1.0, 1.5 and 2.0 gave F0 correlations of 0.40, 0.42,
// 0.41 and 0.39 and errors of 3.15, 3.13, 3.26 and 3.41 semitones.
constexpr double INTONATION_SCALE = 1.0;
// How much of each recording's own pitch movement about its mean the sound
// stage keeps on top of the contour, tuned as above: 0, 0.5 and 1.0 gave F0
// correlations of 0.40, 0.42 and 0.43, errors of 3.19, 3.09 and 3.22
// semitones, 95th-percentile pitch steps of 0.36, 0.81 and 1.05 semitones
// (the joins meet less well as more is kept) and MCD-DTW of 24.30, 24.27
// and 24.27 dB.
constexpr double INTONATION_SHAPE = 0.5;
// The median length in seconds of the pauses ("pau") that stand between two
// other phones of a sentence; 0 when there is none.
double phrase_pause(const std::vector<Sentence>& sentences);
// The speaker's one-letter words ("и" "а" "у" "о"): the median length in
// seconds of their vowels, in the sentences whose text's vowel letters match
// their labelled vowels one for one (see words.h); 0 when there is none.
// words gives how many were found.
double lone_vowel_length(const std::vector<Sentence>& sentences, std::size_t& words);
// How the speaker's vowels differ in length by stress (the labels name a
// stressed vowel twice: "aa"): the median stressed vowel length ÷ the median
// unstressed one, and the share of vowels that are stressed; ratio 1 and
// share 0 when either kind is missing.
struct StressTiming {
    double ratio = 1;
    double share = 0;
};
StressTiming stress_timing(const std::vector<Sentence>& sentences);
// The part of the speaker's stress ratio the sound stage adds by stretching,
// as a power of it: the units, cut from stressed and unstressed places
// alike, already carry the rest.
constexpr double STRESS_ADDED = 0.5;
// The lengths of stressed and unstressed syllables in percent, for the
// sound stage: their ratio the speaker's to the power STRESS_ADDED, and a
// phrase with the speaker's share of stressed vowels as long as before.
void stress_lengths(const StressTiming& t, int& stressed, int& unstressed);
// The same for a voice with stressed and unstressed variants, which carry a
// part of the ratio themselves: the mean vowel lengths (by the corpus
// labels) of the plain units of the syllables that have variants, and of
// their stressed and unstressed variants. The sound stage's lengths then
// bring the variants' vowels to the speaker's ratio to the power
// STRESS_ADDED, as for a voice without variants, and a phrase with the
// speaker's share of stressed vowels to the length it had with the plain
// units; within the keys' bounds. (Measured on the sentences ending in 5,
// voicegen --keep-out 5, bench/prosody.sh: the power 0.5 gave a stress ratio
// of 1.52, the speaker's 1.53; the whole ratio 1.74.)
struct UnitVowels {
    double plain = 0;
    double stressed = 0;
    double unstressed = 0;
};
void variant_stress_lengths(const StressTiming& t, const UnitVowels& units, int& stressed, int& unstressed);

// Cuts, resamples, trims, fades and levels one recording per token into
// voice_dir, and writes the voice's rhythm and its recordings' pitch marks
// beside them (and its intonation table, when asked). Prints its progress and failures; false on a failure.
bool make_corpus_voice(const char* corpus_dir, const char* voice_dir, const CutSettings& settings);
// The same for the tokens given rather than the whole inventory.
bool cut_corpus_voice(const char* corpus_dir, const char* voice_dir, const CutSettings& settings,
                      const TokenList& tokens);

// The command line of the corpus voice:
//   voicegen --corpus CORPUS_DIR [--selection 0..3] [--no-snap] [--no-timbre] [--keep-out 1..9]
//            [--intonation] [--no-variants] [--no-takes] VOICE_DIR
inline constexpr char CORPUS_VOICE_USAGE[] =
    "       voicegen --corpus <corpus directory> [--selection 0..3] [--no-snap] [--no-timbre]\n"
    "                [--keep-out 1..9] [--intonation] [--no-variants] [--no-takes] <voice directory>\n";
int corpus_voice_main(int argc, char** argv);
