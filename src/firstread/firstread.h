// Stage one: a text folded into text.tmp's form (src/common/format_text.h),
// the speakable text the later stages read.
#pragma once

#include "common/settings.h"
#include "common/textfile.h"

struct FirstreadSettings {
    int reading = DEFAULT_READING;  // READING_EVERYDAY or READING_ORIGINAL
};

enum class FirstreadStatus {
    done,
    read_failed,   // a NUL byte, or a text that ended before its count (remaining says where)
    write_failed,  // out refused a write
};
struct FirstreadResult {
    FirstreadStatus status = FirstreadStatus::done;
    long long remaining = 0;  // read_failed: the characters still to come
};

// Reads the text in (open for reading, its encoding chosen by
// text_choose_input) from its start and writes its folded form, closed by the
// end marker and a space, to out (open for writing, text mode). Neither is
// closed; out is flushed.
FirstreadResult Firstread(TextFile& in, TextFile& out, const FirstreadSettings& settings);
