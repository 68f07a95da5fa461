// Reading the speech corpus the natural voice is cut from: one speaker's
// sentences as 16-bit mono WAV files (wav/ru_NNNN.wav), their phone labels
// with end times (lab/ru_NNNN.lab) and their texts (etc/txt.done.data).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Phones of the corpus's phone set, by name: "pau", stressed vowels "aa".."yy",
// reduced ones "a".."ur", consonants with soft ones doubled ("m", "mm").
constexpr std::size_t PHONE_NAME_BYTES = 4;  // the longest name, "sch", and a NUL
using PhoneName = std::array<char, PHONE_NAME_BYTES>;

struct Phone {
    PhoneName name{};
    double start = 0;  // seconds
    double end = 0;
};

struct Sentence {
    int number = 0;  // ru_0042 is 42
    std::vector<Phone> phone;
    std::vector<std::int16_t> sample;
    int rate = 0;
    std::string text;  // as the text list gives it, UTF-8
};

// The sentences whose number ends in 0 are kept aside to measure the voice
// against: never a source of a recording.
bool held_out(int number);

// The sentence numbers the text list names ("( ru_0001 "..." )" lines), in
// the list's order, and their texts when asked; false when the file cannot
// be read or names none.
bool read_sentence_list(const std::string& path, std::vector<int>& numbers,
                        std::vector<std::string>* texts = nullptr);

// One label file: a "#" line, then "END_TIME COLOUR NAME" lines. Each phone
// starts where the one before it ends, the first at 0. False on a line that
// is not of that form, a name too long, or end times that go backwards.
bool read_labels(const std::string& path, std::vector<Phone>& phones);

// A RIFF WAVE file of 16-bit PCM, one channel. False for anything else.
bool read_wav(const std::string& path, std::vector<std::int16_t>& samples, int& rate);

// The corpus file of a sentence: dir/wav/ru_0042.wav, dir/lab/ru_0042.lab.
std::string sentence_file(const std::string& dir, int number, const char* kind);

// Every sentence of the corpus that is not held out, labels and audio; those
// whose number ends in the digit kept_out (0..9; -1 for none) stay out too, so
// a voice can be tuned against sentences none of its recordings come from.
// Prints what it cannot read to stderr and returns false.
bool read_corpus(const std::string& dir, std::vector<Sentence>& sentences, int kept_out = -1);

bool phone_is(const Phone& p, const char* name);
