// Test support for the sound stage: synthetic voices, in-process runs of Zvuki,
// the rech.wav they leave, and the sample rules written out one sample at a time.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "case_table.h"
#include "common/console.h"
#include "common/settings.h"
#include "driver/stage_files.h"
#include "harness.h"
#include "zvuki/zvuki.h"
#include "zvuki/zvuki_internal.h"

namespace zt {

using Samples = std::vector<std::int16_t>;

// Sample i holds start + step × i.
inline Samples ramp(int n, int start, int step = 1)
{
    Samples s;
    for (int i = 0; i < n; ++i)
        s.push_back(static_cast<std::int16_t>(start + step * i));
    return s;
}
inline Samples zeros(int n) { return Samples(static_cast<std::size_t>(n), 0); }
inline void append(Samples& to, const Samples& more) { to.insert(to.end(), more.begin(), more.end()); }
inline std::string pcm(const Samples& s)
{
    std::string b;
    for (const std::int16_t v : s)
        b += {static_cast<char>(v & 0xFF), static_cast<char>(static_cast<std::uint16_t>(v) >> 8)};
    return b;
}

inline std::int16_t sample(double value)
{
    const double t = std::trunc(value);
    return static_cast<std::int16_t>(t > 32767 ? 32767 : t < -32768 ? -32768 : t);
}
// s[from, to) × gain, the samples less than fade before end faded by 1 - k/fade.
inline Samples faded(const Samples& s, int from, int to, int end, int fade, float gain)
{
    Samples r;
    for (int i = from, k = 0; i < to; ++i) {
        double v = s.at(static_cast<std::size_t>(i));
        if (fade > end - i)
            v = sample(v - (static_cast<double>(++k) / fade) * v);
        r.push_back(sample(v * static_cast<double>(gain)));
    }
    return r;
}
inline Samples gained(const Samples& s, int from, int to, float gain) { return faded(s, from, to, to, 0, gain); }
// held samples crossfaded into rec × gain from rec_from.
inline Samples crossfade(const Samples& held, const Samples& rec, int rec_from, int count, float gain)
{
    Samples r;
    for (int j = 0; j < count; ++j) {
        const int o = held.at(static_cast<std::size_t>(j));
        const int a = sample(rec.at(static_cast<std::size_t>(rec_from + j)) * static_cast<double>(gain));
        r.push_back(sample(o - (o - a) * (static_cast<double>(j) / count)));
    }
    return r;
}

// A voiced sound at a known pitch: one decaying pulse per period.
inline Samples pulses(int n, int period)
{
    Samples s;
    for (int i = 0; i < n; ++i) {
        const int k = i % period;
        s.push_back(static_cast<std::int16_t>(8000.0 * std::exp(-k / 20.0) *
                                              std::cos(2 * std::numbers::pi * k / 25.0)));
    }
    return s;
}

// The period of the strongest repetition between lo and hi samples.
inline int period_of(const Samples& s, std::size_t from, std::size_t to, int lo, int hi)
{
    int best = 0;
    double best_sum = -1e300;
    for (int lag = lo; lag <= hi; ++lag) {
        double sum = 0;
        for (std::size_t i = from; i + static_cast<std::size_t>(lag) < to; ++i)
            sum += double(s[i]) * s[i + static_cast<std::size_t>(lag)];
        if (sum > best_sum) {
            best_sum = sum;
            best = lag;
        }
    }
    return best;
}

inline std::uint32_t u32_at(const std::string& b, std::size_t at)
{
    std::uint32_t v = 0;
    for (std::size_t i = 4; i-- > 0;)
        v = v << 8 | static_cast<unsigned char>(b.at(at + i));
    return v;
}
inline int count_of(const std::string& s, const std::string& what)
{
    int n = 0;
    for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + what.size()))
        ++n;
    return n;
}
inline void expect_true_header(const std::string& wav)
{
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(u32_at(wav, 4), wav.size() - 8);
    EXPECT_EQ(u32_at(wav, 40), wav.size() - 44);
}

// The sound settings of the settings record, as the program hands them to the stage.
inline SoundSettings settings_now()
{
    return {Settings.speed, Settings.volume, Settings.stutter, false, Settings.reading};
}

// A run: its result, what it printed, rech.wav (and its samples), the key
// waits and the marks of the progress bar.
struct StageRun {
    int result = -1;
    std::string out, wav;
    Samples samples;
    int waits = 0, marks = 0;
};

// Each test in its own directory with the voice "v/"; the stage's switches back as they were.
class ZvukiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TearDown();
        std::strcpy(Settings.voice, "v/");
        std::filesystem::create_directories(dir.file("v"));
    }
    void TearDown() override
    {
        settings_defaults();
        recording_io = {text_read, text_seek};
        recording_cache_enabled = true;
    }
    void voice(const std::string& file, const Samples& s) const { dir.write("v/" + file, pcm(s)); }
    StageRun run_text(const std::string& utf8) { return run(harness::cp1251(utf8)); }
    // Writes slogi.tmp (code page 1251 bytes) and runs the stage in the test's directory.
    StageRun run(const std::string& slogi_bytes)
    {
        dir.write("slogi.tmp", slogi_bytes);
        StageRun r;
        const int waits_before = key_wait_count();
        testing::internal::CaptureStdout();
        {
            harness::ScopedChdir in(dir.path());
            r.result = zvuki_files();
        }
        r.out = testing::internal::GetCapturedStdout();
        r.waits = key_wait_count() - waits_before;
        r.wav = dir.exists("rech.wav") ? dir.read("rech.wav") : "";
        for (std::size_t at = WAV_HEADER_BYTES; at + 1 < r.wav.size(); at += 2)
            r.samples.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(r.wav[at]) |
                                                          static_cast<unsigned char>(r.wav[at + 1]) << 8));
        const std::size_t open = r.out.find('[');
        const std::string bar = open == std::string::npos ? "" : r.out.substr(open, r.out.find(']', open) - open);
        r.marks = count_of(bar, "\xE2\x96\xA0") + count_of(bar, "\xFE");
        return r;
    }

    harness::TempDir dir;
};

}  // namespace zt
