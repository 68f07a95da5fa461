// Writing a voice: its directory and its headerless recordings.
#pragma once

#include "inventory.h"
#include "shape.h"

bool make_voice_dir(const char* dir);
// dir/<file name of the token>: the samples as 16-bit little-endian.
bool write_recording(const char* dir, const Token& t, const Recording& r);
// dir/prosody.txt: the voice's rhythm for the sound stage, lengths in samples.
bool write_rhythm(const char* dir, long crossfade, long closure, long pause);
