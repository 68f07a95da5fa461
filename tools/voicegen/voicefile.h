// Writing a voice: its directory and its headerless recordings.
#pragma once

#include <string>

#include "inventory.h"
#include "shape.h"
#include "zvuki/join.h"

bool make_voice_dir(const char* dir);
// dir/<file name of the token>: the samples as 16-bit little-endian.
bool write_recording(const char* dir, const Token& t, const Recording& r);
// dir/name: the samples as 16-bit little-endian.
bool write_recording_named(const char* dir, const char* name, const Recording& r);
// Removes dir/name if it is there; false, said, when it cannot.
bool remove_voice_file(const char* dir, const char* name);
// dir/name holding text (written as a text file); false, said, when it cannot be.
bool write_voice_file(const char* dir, const char* name, const std::string& text);
// dir/prosody.txt: the voice's rhythm for the sound stage, lengths in
// samples, the stretch in percent.
bool write_rhythm(const char* dir, const Rhythm& r);
