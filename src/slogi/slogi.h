// Stage three: syllable boundaries of text2.tmp (src/common/format_text.h)
// marked into slogi.tmp (src/common/format_slogi.h).
#pragma once

#include "common/settings.h"
#include "common/textfile.h"

enum class SlogiStatus {
    done,
    write_failed,  // out refused a write
    read_failed,   // the text could not be read to its end
};

// Marks the words of text (open for reading, up to its end marker) into out
// (open for writing), closed by the end marker. Neither is closed; out is
// flushed. In the everyday reading each word keeps its stress mark, or gets
// one by the stress rule; in the original reading no mark is written.
SlogiStatus Slogi(TextFile& text, TextFile& out, int reading = READING_ORIGINAL);
