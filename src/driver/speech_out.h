// Where a run's speech goes: its WAV file (rech.wav, or the one --output
// names), continued in numbered files at a sentence end before it would pass
// what a WAV header can describe (or the length --split-minutes asks for);
// with a player that reads standard input, that player as well, while the
// speech is still being made; and, on a terminal, a line with the time left.
#pragma once

#include <array>
#include <cstddef>

#include "common/datadirs.h"
#include "common/textfile.h"
#include "driver/driver_internal.h"
#include "zvuki/zvuki.h"

// How a run's speech is cut into files.
struct SpeechCuts {
    long long part_bytes = WAV_PART_BYTES;  // the most one file holds
    long long every_bytes = 0;              // a cut at the first sentence end after this many (0: none)
    bool chapters = false;                  // a cut before each chapter heading (chapter_marks)
};

// The most chapter headings a speech is cut at; later ones are not cut at.
constexpr std::size_t CHAPTERS_MAX = 4096;
// Where the chapters of the sound stage's text begin: the offsets in
// slogi.tmp of the paragraph marks ("#" or a line end) that stand before a
// chapter heading. A heading is found in text.tmp, the words as the text has
// them: a paragraph whose first word is "глава", "часть", "книга", "пролог"
// or "эпилог", whose second word, if it has one, is a number, and which has
// at most HEADING_WORDS_MAX words. One at the text's very start, or right
// after another heading, needs no cut.
constexpr int HEADING_WORDS_MAX = 8;
struct ChapterMarks {
    std::array<long long, CHAPTERS_MAX> at{};
    std::size_t count = 0;
};
// Reads text (text.tmp's form) and slogi (slogi.tmp's, made from it), both
// open for reading, to their end markers, and leaves slogi at its start.
// Texts whose paragraph marks do not match give no chapters.
void find_chapters(TextFile& text, TextFile& slogi, ChapterMarks& marks);

// The name of part number part (1 is the name itself): "rech.wav",
// "rech-002.wav", ..., the number before the extension. false when it does
// not fit.
bool speech_part_name(const char* name, int part, char* out, std::size_t cap);

struct SpeechOut {
    char name[DATA_PATH_BYTES] = "";  // the first part's
    SpeechCuts cuts;
    TextFile file;                    // the part being written
    SampleSink part_sink;             // its samples' way in
    int part = 1;
    long long bytes = 0;              // sample bytes in this part
    long long cut_from = 0;           // from here a sentence end begins the next part
    bool failed = false;              // a part could not be made or written
    // The sound stage's input, for the progress line: how far it has read.
    TextFile* slogi = nullptr;
    long long slogi_size = 0;
    // With SpeechCuts::chapters: where they begin, and the next to cut at.
    const ChapterMarks* chapters = nullptr;
    std::size_t next_chapter = 0;
};

// The blocks of samples the sound stage hands over while a player listens:
// about a tenth of a second of speech, so the first words come at once.
constexpr std::size_t STREAM_BLOCK_BYTES = 4096;

// The cuts the command line asks for (--split-minutes, --split-chapters, --wav-part-bytes).
SpeechCuts speech_cuts();

// Makes the first part and writes its header.
enum class SpeechOpen { opened, not_open, no_header };
SpeechOpen speech_open(SpeechOut& out, const char* name, const SpeechCuts& cuts);
// The sink the sound stage writes to: the parts, the player, the progress.
SampleSink speech_sink(SpeechOut& out, std::size_t block_bytes);
// States the last part's sizes and closes it; the speech's whole length in
// bytes, headers included, goes to total_length. false when a write failed.
bool speech_finish(SpeechOut& out, long long& total_length);
// How many parts the run made.
int speech_parts(const SpeechOut& out);
