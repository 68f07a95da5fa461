// What the speech-dispatcher test compares with, from the library itself:
//   speechd_expect speak VOICE_DIR DICTIONARY RATE VOLUME TEXT > out.raw
//     the samples of TEXT as sd_vokdar speaks a message of one part (the
//     module's tempo for the rate, its loudness for the volume, silences
//     trimmed), raw 16-bit
//     little-endian mono
//   speechd_expect played ...the same...
//     those samples as speech-dispatcher plays a module's audio: at its fixed
//     audio volume 85 of -100..100, each sample times 0.925, truncated
//   speechd_expect measure FILE.raw
//     "SAMPLES RMS F0": the length, the loudness and the median pitch in Hz
//     of the voiced stretches (autocorrelation over 40 ms frames)
#include "libvokdar/vokdar.h"
#include "speechd/module.h"
#include "speechd/tempo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The factor speech-dispatcher's own audio output applies to what a module hands it.
double gain = 1.0;

void write_samples(const std::int16_t* s, std::size_t n)
{
    std::vector<unsigned char> bytes;
    for (std::size_t i = 0; i < n; ++i) {
        const auto u = static_cast<std::uint16_t>(static_cast<int>(s[i] * gain));
        bytes.push_back(static_cast<unsigned char>(u & 0xFF));
        bytes.push_back(static_cast<unsigned char>(u >> 8));
    }
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

int speak(char** argv)
{
    vokdar_engine* engine = nullptr;
    int status = vokdar_open(argv[2], argv[3], &engine);
    if (status != VOKDAR_OK) {
        std::fprintf(stderr, "speechd_expect: %s\n", vokdar_strerror(status));
        return 1;
    }
    // As the module speaks a message of one part: the rate as the tempo.
    Tempo tempo(tempo_for_rate(std::atoi(argv[4])));
    vokdar_set_volume(engine, volume_for(std::atoi(argv[5])));
    vokdar_set_trim(engine, 1);
    status = vokdar_speak(engine, argv[6], std::strlen(argv[6]), VOKDAR_TEXT_UTF8,
                          [](void* user, const std::int16_t* s, std::size_t n) {
                              auto& t = *static_cast<Tempo*>(user);
                              if (!t.active()) {
                                  write_samples(s, n);
                                  return 0;
                              }
                              std::vector<std::int16_t> out;
                              t.put(s, n, out);
                              write_samples(out.data(), out.size());
                              return 0;
                          },
                          &tempo);
    vokdar_close(engine);
    if (tempo.active()) {
        std::vector<std::int16_t> out;
        tempo.finish(out);
        write_samples(out.data(), out.size());
    }
    return status == VOKDAR_OK && std::fflush(stdout) == 0 ? 0 : 1;
}

int measure(const char* path)
{
    std::FILE* f = std::fopen(path, "rb");
    if (!f)
        return 1;
    std::vector<double> x;
    unsigned char b[2];
    while (std::fread(b, 1, 2, f) == 2)
        x.push_back(static_cast<std::int16_t>(b[0] | b[1] << 8));
    std::fclose(f);
    double energy = 0;
    for (double v : x)
        energy += v * v;
    const double rms = x.empty() ? 0 : std::sqrt(energy / static_cast<double>(x.size()));
    // Pitch: the best autocorrelation lag between 60 and 400 Hz in each loud frame.
    constexpr int FRAME = VOKDAR_SAMPLE_RATE / 25;
    constexpr int MIN_LAG = VOKDAR_SAMPLE_RATE / 400;
    constexpr int MAX_LAG = VOKDAR_SAMPLE_RATE / 60;
    std::vector<double> f0;
    for (std::size_t at = 0; at + FRAME + MAX_LAG < x.size(); at += FRAME) {
        double e0 = 0;
        for (int i = 0; i < FRAME; ++i)
            e0 += x[at + i] * x[at + i];
        if (std::sqrt(e0 / FRAME) < rms * 0.5)
            continue;
        double best = 0;
        int best_lag = 0;
        for (int lag = MIN_LAG; lag <= MAX_LAG; ++lag) {
            double c = 0, e1 = 0;
            for (int i = 0; i < FRAME; ++i) {
                c += x[at + i] * x[at + i + lag];
                e1 += x[at + i + lag] * x[at + i + lag];
            }
            const double r = c / std::sqrt(e0 * e1 + 1);
            if (r > best) {
                best = r;
                best_lag = lag;
            }
        }
        if (best > 0.6)
            f0.push_back(static_cast<double>(VOKDAR_SAMPLE_RATE) / best_lag);
    }
    std::sort(f0.begin(), f0.end());
    std::printf("%zu %.0f %.0f\n", x.size(), rms, f0.empty() ? 0.0 : f0[f0.size() / 2]);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 7 && std::strcmp(argv[1], "speak") == 0)
        return speak(argv);
    if (argc == 7 && std::strcmp(argv[1], "played") == 0) {
        gain = (85 + 100) / 200.0;
        return speak(argv);
    }
    if (argc == 3 && std::strcmp(argv[1], "measure") == 0)
        return measure(argv[2]);
    std::fprintf(stderr, "usage: speechd_expect speak|played VOICE_DIR DICTIONARY RATE VOLUME TEXT | measure FILE.raw\n");
    return 2;
}
