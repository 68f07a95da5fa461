// One fuzzing entry per stage: runs the stage on bytes of a fuzzer input in the
// current directory and checks what the stage promises about its files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Each entry takes one fuzzer input, runs its stage in the current directory
// and checks the stage's output; it returns 0 (the libFuzzer convention).
int firstread(const std::uint8_t* data, std::size_t size);
int spellnumber(const std::uint8_t* data, std::size_t size);
int secondread(const std::uint8_t* data, std::size_t size);
int slogi(const std::uint8_t* data, std::size_t size);
int zvuki(const std::uint8_t* data, std::size_t size);
int readconfig(const std::uint8_t* data, std::size_t size);

struct Entry {
    const char* name;  // the folder of its corpus and of its crash files
    int (*run)(const std::uint8_t* data, std::size_t size);
};
extern const Entry ENTRIES[6];

// Where inputs made of two files are cut in two ("text.tmp", then "replace.txt";
// "vokdar.cfg", then the answers of the setup dialogue).
extern const char* const SPLIT;

// The small voice of the sound stage's input, made in the current directory
// ("v/"): short, long, empty, odd-length recordings and a directory.
void make_voice();

// Faults found and reported but not yet mended in the stage are let pass
// (long runs look past them for new ones); off by default.
extern bool tolerate_known;

// A broken promise: the default prints it and aborts, so the fuzzer keeps the
// input; the replay test throws instead, to report the file by name.
extern void (*on_broken)(const std::string& what);

}  // namespace fuzz
