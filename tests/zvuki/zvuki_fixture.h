// Test support for the sound stage: synthetic voices, in-process runs of Zvuki
// and the reading of the rech.wav they leave.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "harness.h"
#include "zvuki/zvuki_internal.h"

namespace zt {

using Samples = std::vector<std::int16_t>;

Samples constant(int n, std::int16_t value);
// Sample i holds start + step × i.
Samples ramp(int n, int start, int step = 1);
// Headerless 16-bit little-endian bytes.
std::string pcm(const Samples& s);

// trunc(value) clamped to a 16-bit sample, written here from the rule itself.
std::int16_t expect_sample(double value);
// s × gain for each sample of s[from, to).
Samples gained(const Samples& s, int from, int to, float gain);
void append(Samples& to, const Samples& more);
Samples zeros(int n);

struct StageRun {
    int result = -1;
    std::string out;              // what the stage printed
    std::string wav;              // rech.wav as bytes
    Samples samples;              // the samples after the 44-byte header
    std::vector<JoinTrace> traces;
    int waits = 0;                // key waits made during the run
    int marks = 0;                // marks of the progress bar
};

std::uint32_t u32_at(const std::string& bytes, std::size_t at);
std::uint16_t u16_at(const std::string& bytes, std::size_t at);

class ZvukiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A recording of the voice directory "v/" (file name as mapped, ".pcm" included).
    void voice(const std::string& file, const Samples& s) const;
    void voice_bytes(const std::string& file, const std::string& bytes) const;
    // Writes slogi.tmp (code page 1251 bytes) and runs the stage in the test's directory.
    StageRun run(const std::string& slogi_bytes);
    // The same, with slogi.tmp given as UTF-8 text.
    StageRun run_text(const std::string& utf8) { return run(harness::cp1251(utf8)); }

    harness::TempDir dir;
};

}  // namespace zt
