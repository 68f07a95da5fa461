// The sound stage's token reader and the headers of its parts, for its
// sources, its tests and the benchmarks.
#pragma once

// Private to the sound stage and its tests (the CMake target vokdar_zvuki_internal);
// everything else includes zvuki/zvuki.h.
#ifndef VOKDAR_ZVUKI_INSIDE
#error "zvuki_internal.h is private to the sound stage: include zvuki/zvuki.h"
#endif

#include "zvuki/join.h"
#include "zvuki/recordings.h"
#include "zvuki/sample_writer.h"
#include "zvuki/wav_header.h"

// Silence before the first syllable, in samples.
constexpr int LEAD_IN_SAMPLES = 998;
// The length mark of the token that met the end of slogi.tmp.
constexpr int TOKEN_END = -1;

// Reads the next token of slogi.tmp into token (see SlogToken).
void read_slog_token(TextFile& in, SlogToken& token);
