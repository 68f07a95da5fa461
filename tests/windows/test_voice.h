// The voice the Windows tests speak with: one short recording ("ма", 2000
// samples of a quiet ramp) and a dictionary that rewrites nothing.
#pragma once

#include <filesystem>
#include <string>

#include "harness.h"

// Puts replace.txt and torvy\ma.pcm into folder of dir ("" for dir itself).
inline void write_test_voice(const harness::TempDir& dir, const std::string& folder)
{
    const std::string at = folder.empty() ? "" : folder + "/";
    std::filesystem::create_directories(dir.file(at + "torvy"));
    std::string pcm;
    for (int i = 0; i < 2000; ++i) {
        const auto s = static_cast<short>((i % 200) * 20 - 2000);
        pcm += static_cast<char>(s & 0xFF);
        pcm += static_cast<char>((s >> 8) & 0xFF);
    }
    dir.write(at + "torvy/ma.pcm", pcm);
    dir.write(at + "replace.txt", "$\r\n");
}
