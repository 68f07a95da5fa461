// The natural voice: every recording of the inventory cut from the corpus.
#pragma once

#include "inventory.h"
#include "select.h"

struct CutSettings {
    Selection selection = Selection::Prosody;
    bool snap = true;  // cut points moved to the nearest zero crossing
    bool timbre = true;  // each phone's spectral envelope drawn towards its typical one
    int kept_out = -1;   // sentences whose number ends in this digit are no source either
};

// Every occurrence of the token in the sentences, through the rule's
// fallbacks when the corpus has none; false when it has none at all.
bool unit_occurrences(const Token& t, const std::vector<Sentence>& sentences, std::vector<Occurrence>& found);

// The voice's rhythm for the sound stage's everyday joins (the file
// prosody.txt of the voice, in samples at the voice's rate): the crossfade
// and the closure before a voiceless stop, tuned on the sentences ending in
// 5 (voicegen --keep-out 5, bench/prosody.sh), and the pause between
// phrases, the median of the speaker's pauses inside a sentence.
constexpr double RHYTHM_CROSSFADE = 0.010;  // seconds
constexpr double RHYTHM_CLOSURE = 0.050;
// The median length in seconds of the pauses ("pau") that stand between two
// other phones of a sentence; 0 when there is none.
double phrase_pause(const std::vector<Sentence>& sentences);

// Cuts, resamples, trims, fades and levels one recording per token into
// voice_dir, and writes the voice's rhythm beside them. Prints its progress and failures; false on a failure.
bool make_corpus_voice(const char* corpus_dir, const char* voice_dir, const CutSettings& settings);

// The command line of the corpus voice:
//   voicegen --corpus CORPUS_DIR [--selection 0..3] [--no-snap] [--no-timbre] [--keep-out 1..9] VOICE_DIR
inline constexpr char CORPUS_VOICE_USAGE[] =
    "       voicegen --corpus <corpus directory> [--selection 0..3] [--no-snap] [--no-timbre]\n"
    "                [--keep-out 1..9] <voice directory>\n";
int corpus_voice_main(int argc, char** argv);
