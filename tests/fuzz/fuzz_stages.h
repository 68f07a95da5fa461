// One fuzzing entry per stage: runs the stage on bytes of a fuzzer input in the
// current directory and checks what the stage promises about its files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Each entry takes one fuzzer input, runs its stage in the current directory
// and checks the stage's output; it returns 0 (the libFuzzer convention).
struct Entry {
    const char* name;  // the stage: the folder of its corpus and of its crash files
    int (*run)(const std::uint8_t* data, std::size_t size);
};
extern const Entry ENTRIES[6];

// A broken promise: the default prints it and aborts, so the fuzzer keeps the
// input; the replay test throws instead, to report the file by name.
extern void (*on_broken)(const std::string& what);

// The whole of a file (empty when it cannot be read).
std::string read_file(const char* name);

}  // namespace fuzz
