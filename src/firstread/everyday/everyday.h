// The everyday reading of the first stage: the text as a Russian reader reads
// it aloud. Private to the stage and its tests.
#pragma once

#include "common/textfile.h"

// The everyday reading of the whole text (numbers, dates, abbreviations,
// Latin words, addresses as a Russian reader reads them) into out. false on a
// NUL byte, with remaining the characters still to come after it.
bool read_everyday(TextFile& in, TextFile& out, long long count, long long& remaining);
