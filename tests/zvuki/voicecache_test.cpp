// Recordings held in memory for the run sound exactly as when every syllable
// reads its file; missing ones are still reported each time, and one too
// large for the arena is read from its file.
#include <gtest/gtest.h>

#include <string>

#include "zvuki_fixture.h"

namespace {

using namespace zt;

std::size_t count_of(const std::string& s, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
        ++n;
    return n;
}

TEST_F(ZvukiTest, HeldRecordingsSoundAsTheirFiles)
{
    voice("ma.pcm", ramp(4000, 1000));
    voice("la.pcm", ramp(3000, -2000, 3));
    voice("mu.pcm", ramp(2500, 7, -2));
    // A recording longer than the whole arena: always read from its file.
    voice("ra.pcm", ramp(4500000, -30000, 1));
    const std::string text = "ма-ма_ла+ма-ра_му.ку,ма-ла_ра-ма!ку_ма`";
    const StageRun held = run_text(text);
    recording_cache_enabled = false;
    const StageRun read = run_text(text);
    EXPECT_EQ(held.result, 1);
    EXPECT_EQ(held.out, read.out);
    EXPECT_EQ(held.samples, read.samples);
    // "ку" has no recording: reported at both of its places.
    EXPECT_EQ(count_of(held.out, "\nNo ku.pcm slog\n"), 2u);
}

// A second run with another voice under the same names sounds the new one.
TEST_F(ZvukiTest, EachRunReadsItsVoiceAnew)
{
    voice("ma.pcm", ramp(4000, 1000));
    const StageRun first = run_text("ма_`");
    voice("ma.pcm", ramp(4000, -1000));
    const StageRun second = run_text("ма_`");
    recording_cache_enabled = false;
    const StageRun read = run_text("ма_`");
    EXPECT_NE(first.samples, second.samples);
    EXPECT_EQ(second.samples, read.samples);
}

}  // namespace
