// The intonation of a voice that carries its own, for the everyday reading:
// the side files of its directory (the pitch marks of its recordings and its
// table of F0 targets), the classes of the table, and the pitch-synchronous
// overlap-add that sets a recording's pitch and length.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "zvuki/recording_name.h"
#include "zvuki/stretch.h"

// "name.pcm m1 m2 ..." a line: the sample of each glottal period of the
// recording's voiced stretches, ascending. A recording without a line (or a
// voice without the file) is stretched as before, at its own pitch.
constexpr char PITCH_MARK_FILE[] = "pitchmarks.txt";
// "base HZ", "scale PERCENT", "shape PERCENT", "near CENTS" and one line per phrase type: its name, then the F0 target of
// each class in cents from the sentence's mean (see intonation_class).
constexpr char INTONATION_FILE[] = "intonation.txt";

// A phrase is said by the mark that ends it.
// A question may be said one of two ways when the voice's table has their
// rows: with a question word (askword: its stressed syllable is the nucleus)
// or without one (yesno: the last stressed syllable is, as in any phrase).
// A table without them says every question by its question row.
enum class PhraseType { statement, question, exclamation, continuation, askword, yesno };
constexpr int PHRASE_TYPES = 6;
constexpr const char* PHRASE_TYPE_NAMES[PHRASE_TYPES] = {"statement",    "question", "exclamation",
                                                         "continuation", "askword",  "yesno"};
PhraseType phrase_type_of(unsigned char mark);
// A question word or particle, in small code page 1251 letters, as written
// or as the dictionary respells it ("что", "што"): кто что где когда куда
// откуда почему зачем как какой (and its forms) сколько чей (and its forms)
// разве неужели ли. The particle "ли" puts the accent on the word before it.
bool is_question_word(const char* word);
constexpr char QUESTION_PARTICLE[] = "\xEB\xE8";  // "ли"

// The place of a syllable in its phrase: before the nucleus (the last
// stressed syllable) in HEAD_BINS stretches of the head, each stressed or
// not; the nucleus; after it; the phrase's last syllable after the nucleus.
constexpr int HEAD_BINS = 4;
constexpr int CLASS_NUCLEUS = 2 * HEAD_BINS;
constexpr int CLASS_TAIL = CLASS_NUCLEUS + 1;
constexpr int CLASS_FINAL = CLASS_NUCLEUS + 2;
constexpr int INTONATION_CLASSES = CLASS_NUCLEUS + 3;
constexpr const char* INTONATION_CLASS_NAMES[INTONATION_CLASSES] = {
    "head1", "head1'", "head2", "head2'", "head3", "head3'", "head4", "head4'", "nucleus", "tail", "final"};
// Syllable i of the n of a phrase whose nucleus is syllable nucleus.
int intonation_class(int i, int n, int nucleus, bool stressed);

// One syllable token of a phrase, as the contour needs it.
struct PhraseSyllable {
    bool vowel = false;     // it holds a vowel: a syllable of its own, not a consonant leaning on one
    bool stressed = false;  // it carries the stress mark
    bool word_end = false;  // its word ends after it
    bool focus = false;     // the phrase's nucleus, wherever its stress falls
};
// The most tokens of a phrase planned at once; those after it keep the last one's pitch.
constexpr std::size_t PHRASE_MOST = 256;

struct Intonation {
    double base = 0;  // Hz; 0: the voice has no table
    int scale = 100;  // percent: how far the contour is drawn out from the table's
    // percent: how much of each recording's own pitch movement about its
    // mean is kept on top of the contour (0: each period set to the contour)
    int shape = 0;
    // cents: a syllable whose recording (or take) is said within this of the
    // pitch asked for keeps its own pitch and is only stretched (0: every
    // syllable is moved)
    int near = 0;
    std::array<std::array<int, INTONATION_CLASSES>, PHRASE_TYPES> cents{};
    std::array<bool, PHRASE_TYPES> has{};  // the rows the file gave
};
// false (and t as it was) when the file is missing or has no base.
bool read_intonation(const char* path, Intonation& t);

// The F0 in Hz at the start and the end of each of the n tokens of a phrase
// of type: each vowel's class target from the table (cents × scale / 100
// from the base), a consonant's that of the vowel before it (or after it, at
// the phrase's start), going over from one target to the next across the
// tokens' joins, so no join jumps. The nucleus is the token marked focus, else
// the last stressed token; in a phrase without stress marks, the next to last
// syllable of a last word of two or more, else the last.
void phrase_contour(const Intonation& t, PhraseType type, const PhraseSyllable* s, std::size_t n, int scale,
                    float* from, float* to);

// The pitch marks of a voice's recordings, read once: a table of names and
// one array of marks.
constexpr std::size_t PITCH_MARK_SLOTS = 4096;  // a power of two; at most half used
constexpr std::size_t PITCH_MARKS_MOST = std::size_t{1} << 18;
struct MarkedRecording {
    std::array<char, RECORDING_NAME_BYTES> name{};  // empty: a free slot
    std::uint32_t at = 0;
    std::uint32_t count = 0;
};
struct PitchMarks {
    std::array<MarkedRecording, PITCH_MARK_SLOTS> slots{};
    std::size_t used = 0;
    std::array<std::uint32_t, PITCH_MARKS_MOST> mark;
    std::size_t marks = 0;
};
// false when the file is missing; lines that do not parse, or find no room,
// are passed over.
bool read_pitch_marks(const char* path, PitchMarks& p);
// The marks of a recording, or nullptr (count 0).
const std::uint32_t* find_pitch_marks(const PitchMarks& p, const char* name, std::size_t& count);

// Writes round(n × factor) samples of in[0, n) to out: its periods at the
// marks (ascending, within n) laid again at the pitch f0_from Hz at its
// start going over to f0_to at its end (0: each period as it was), the
// voiceless stretches between them taken from the whole recording stretched
// by stretch() (waveform similarity).
// With shape s (0 to 1) each period keeps the s-th power of its own ratio to
// the recording's mean period: the recording's own rise and fall, in part,
// about the asked-for line.
// The longest analysis period taken for voiced is PSOLA_LONGEST_PERIOD. At
// factor 1 and F0 0 the recording comes out sample for sample as it was.
// The factor may be 0.25 to 4: beyond what stretch() takes, its voiceless
// stretches are stretched in two steps. Gives 0 (nothing written) for a
// factor out of that range, a recording stretch() would not take (or, beyond
// 2, one longer than half of STRETCH_MOST_IN), a result longer than
// STRETCH_MOST_OUT, or marks out of order. Uses all of b, and out as it works.
// The stretches take and keep their choices through recall, whose number
// names the recording (below PSOLA_RECALL_TWICE; the recording stretched
// twice is PSOLA_RECALL_TWICE more).
constexpr std::size_t PSOLA_LONGEST_PERIOD = 400;  // 55 Hz at 22050 Hz
constexpr std::uint32_t PSOLA_RECALL_TWICE = std::uint32_t{1} << 31;
std::size_t psola(const std::int16_t* in, std::size_t n, const std::uint32_t* marks, std::size_t count, double factor,
                  double f0_from, double f0_to, std::int16_t* out, StretchBuffers& b, double shape = 0,
                  const StretchRecall& recall = {});
