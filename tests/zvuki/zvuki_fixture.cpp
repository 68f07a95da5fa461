// Test support for the sound stage: voices, runs and the reading of rech.wav.
#include "zvuki_fixture.h"

#include <cmath>
#include <cstring>
#include <filesystem>

#include "common/console.h"
#include "common/settings.h"
#include "zvuki/zvuki.h"

namespace zt {

namespace {

std::vector<JoinTrace> collected;
void collect(const JoinTrace& t) { collected.push_back(t); }

int count_of(const std::string& s, const std::string& what)
{
    int n = 0;
    for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + what.size()))
        ++n;
    return n;
}

}  // namespace

Samples constant(int n, std::int16_t value) { return Samples(static_cast<std::size_t>(n), value); }

Samples ramp(int n, int start, int step)
{
    Samples s;
    for (int i = 0; i < n; ++i)
        s.push_back(static_cast<std::int16_t>(start + step * i));
    return s;
}

std::string pcm(const Samples& s)
{
    std::string b;
    for (std::int16_t v : s) {
        const auto u = static_cast<std::uint16_t>(v);
        b.push_back(static_cast<char>(u & 0xFF));
        b.push_back(static_cast<char>(u >> 8));
    }
    return b;
}

std::int16_t expect_sample(double value)
{
    const double t = std::trunc(value);
    if (t > 32767)
        return 32767;
    if (t < -32768)
        return -32768;
    return static_cast<std::int16_t>(t);
}

Samples gained(const Samples& s, int from, int to, float gain)
{
    Samples r;
    for (int i = from; i < to; ++i)
        r.push_back(expect_sample(s[static_cast<std::size_t>(i)] * static_cast<double>(gain)));
    return r;
}

void append(Samples& to, const Samples& more) { to.insert(to.end(), more.begin(), more.end()); }

Samples zeros(int n) { return Samples(static_cast<std::size_t>(n), 0); }

std::uint32_t u32_at(const std::string& b, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b.at(at + static_cast<std::size_t>(i)));
    return v;
}

std::uint16_t u16_at(const std::string& b, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b.at(at)) |
                                      (static_cast<unsigned char>(b.at(at + 1)) << 8));
}

void ZvukiTest::SetUp()
{
    settings_defaults();
    std::strcpy(Settings.voice, "v/");
    std::filesystem::create_directories(dir.file("v"));
    recording_io = {text_read, text_seek};
    recording_cache_enabled = true;
}

void ZvukiTest::TearDown()
{
    settings_defaults();
    join_trace_hook = nullptr;
    recording_io = {text_read, text_seek};
    recording_cache_enabled = true;
}

void ZvukiTest::voice(const std::string& file, const Samples& s) const { voice_bytes(file, pcm(s)); }

void ZvukiTest::voice_bytes(const std::string& file, const std::string& bytes) const
{
    dir.write("v/" + file, bytes);
}

StageRun ZvukiTest::run(const std::string& slogi_bytes)
{
    dir.write("slogi.tmp", slogi_bytes);
    StageRun r;
    collected.clear();
    join_trace_hook = collect;
    const int waits_before = key_wait_count();
    testing::internal::CaptureStdout();
    {
        harness::ScopedChdir in(dir.path());
        r.result = Zvuki();
    }
    r.out = testing::internal::GetCapturedStdout();
    join_trace_hook = nullptr;
    r.waits = key_wait_count() - waits_before;
    r.traces = collected;
    if (dir.exists("rech.wav")) {
        r.wav = dir.read("rech.wav");
        for (std::size_t at = WAV_HEADER_BYTES; at + 1 < r.wav.size(); at += 2)
            r.samples.push_back(static_cast<std::int16_t>(u16_at(r.wav, at)));
    }
    const std::size_t open = r.out.find('[');
    const std::size_t close = r.out.find(']', open == std::string::npos ? 0 : open);
    if (open != std::string::npos && close != std::string::npos) {
        const std::string bar = r.out.substr(open + 1, close - open - 1);
        r.marks = count_of(bar, "\xE2\x96\xA0") + count_of(bar, "\xFE");
    }
    return r;
}

}  // namespace zt
