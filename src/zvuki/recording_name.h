// How the sound stage names a syllable's recording, for the tools that make voices.
#pragma once

#include <array>
#include <cstddef>

// One syllable token: at most 9 characters and the NUL.
constexpr int SLOG_BYTES = 10;
constexpr char RECORDING_EXTENSION[] = ".pcm";
// A mapped syllable with its extension and the NUL.
constexpr std::size_t RECORDING_NAME_BYTES = SLOG_BYTES - 1 + sizeof RECORDING_EXTENSION;

// The file name of the recording of a syllable of length characters ("ма" →
// "ma.pcm"), each character mapped through the stage's letter table; false
// when a character has no file-name character or the syllable is longer than
// a token.
bool recording_file_name(const char* slog, std::size_t length, std::array<char, RECORDING_NAME_BYTES>& name);
