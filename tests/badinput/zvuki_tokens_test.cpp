// Bad slogi.tmp content that the chain itself never writes, given to the sound
// stage in-process: tokens far longer than a syllable.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "common/settings.h"
#include "harness.h"
#include "zvuki/zvuki.h"

namespace {

std::string samples(int n, int value)
{
    std::string pcm;
    for (int i = 0; i < n; ++i) {
        pcm.push_back(static_cast<char>(value & 0xFF));
        pcm.push_back(static_cast<char>((value >> 8) & 0xFF));
    }
    return pcm;
}

TEST(BadInput, SlogiTokensOfHundredCharacters)
{
    const struct {
        const char* what;
        std::string token;
    } rows[] = {
        {"letters", std::string(100, '\xEC')},                // 100 × "м"
        {"letters with a recording name", std::string(100, '\xE0')},
        {"digits", std::string(100, '7')},
        {"bytes without a recording name", std::string(100, '\x01')},
        {"ones", std::string(100, '1')},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        harness::TempDir dir;
        std::filesystem::create_directories(dir.file("v"));
        dir.write("v/a.pcm", samples(1000, 1000));
        dir.write("v/ma.pcm", samples(1000, 2000));
        // The long token, then a syllable that must still be sounded, then a full stop.
        dir.write("slogi.tmp", row.token + "+" + harness::cp1251("ма.") + "_`");
        settings_defaults();
        std::strcpy(Settings.voice, "v/");
        const harness::StageRun run = harness::run_stage(dir, Zvuki);
        EXPECT_EQ(run.result, 1) << run.printed;
        const std::string wav = dir.read("rech.wav");
        // Lead-in, "ма" (1000 samples, faded) and the full stop's 14,998 zero samples.
        EXPECT_EQ(wav.size(), 44u + 2 * (998 + 1000 + 14998)) << run.printed;
        EXPECT_NE(wav.substr(44 + 2 * 998, 2), std::string(2, '\0'));
    }
}

}  // namespace
