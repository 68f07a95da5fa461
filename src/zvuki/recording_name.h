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

// A voice may hold, beside a syllable's plain recording, the syllable as the
// speaker said it stressed and unstressed: the plain file name with one of
// these before the extension ("ma+.pcm", "ma-.pcm"). Neither character has a
// place in the letter table, so no syllable's plain name is ever one of them.
constexpr char STRESSED_SUFFIX = '+';
constexpr char UNSTRESSED_SUFFIX = '-';
// The file name of a syllable's variant with the suffix; false as for
// recording_file_name, or when the name with the suffix does not fit.
bool variant_file_name(const char* slog, std::size_t length, char suffix, std::array<char, RECORDING_NAME_BYTES>& name);

// A voice may also hold more takes of a recording, the same syllable said at
// other pitches, for the everyday reading's intonation to choose from: the
// recording's file name with TAKE_MARK and the take's number (1 to
// TAKES_MOST) before the extension ("ma+=1.pcm", "ma=2.pcm"). The mark has no
// place in the letter table, so no syllable's own name (nor a variant's) is
// ever one of them; the names are legal file names on every system.
constexpr char TAKE_MARK = '=';
constexpr int TAKES_MOST = 4;
// The file name of take number take (1 to TAKES_MOST) of the recording
// named; false when the name is no recording's or the take's does not fit.
bool take_file_name(const char* recording, int take, std::array<char, RECORDING_NAME_BYTES>& name);
