// The sample loops of the joiner. Each is a plain loop the compiler turns into
// vector code, with GCC on x86-64 and ELF (which can choose at load time) also
// in forms for AVX2 and AVX-512 chosen by the processor: the whole chain spends
// less processor time with them. Each gives the same samples: no multiply-add
// is fused (see CMakeLists.txt).
#include <algorithm>

#include "zvuki/sample_loop.h"
#include "zvuki/sample_writer.h"

SAMPLE_LOOP void gain_bytes(const unsigned char* from, unsigned char* to, std::size_t m, double g)
{
    if (!gain_in_int_range(g)) {
        for (std::size_t i = 0; i < m; ++i) {
            std::int16_t s;
            std::memcpy(&s, from + 2 * i, 2);
            const std::int16_t v = to_sample(s * g);
            std::memcpy(to + 2 * i, &v, 2);
        }
        return;
    }
    for (std::size_t i = 0; i < m; ++i) {
        std::int16_t s;
        std::memcpy(&s, from + 2 * i, 2);
        const std::int16_t v = int_to_sample(s * g);
        std::memcpy(to + 2 * i, &v, 2);
    }
}

SAMPLE_LOOP void gain_samples(std::int16_t* s, std::size_t m, double g)
{
    if (!gain_in_int_range(g)) {
        for (std::size_t i = 0; i < m; ++i)
            s[i] = to_sample(s[i] * g);
        return;
    }
    for (std::size_t i = 0; i < m; ++i)
        s[i] = int_to_sample(s[i] * g);
}

SAMPLE_LOOP void fade_samples(std::int16_t* s, std::size_t m, long long faded_before, std::int16_t fade_len)
{
    // At most fade_len - 1 samples are ever faded, so the counts fit an int,
    // and each scale lies in (0, 1).
    const int k = static_cast<int>(faded_before) + 1;
    const double f = fade_len;
    const int count = static_cast<int>(m);
    for (int i = 0; i < count; ++i) {
        const double q = static_cast<double>(k + i) / f;
        s[i] = int_to_sample(s[i] - q * s[i]);
    }
}

// Both lengths lie within the tail buffer's.
SAMPLE_LOOP void crossfade_samples(const std::int16_t* s, const std::int16_t* old, std::int16_t* to,
                                   std::size_t m, long long j, long long overlap_len)
{
    const int j0 = static_cast<int>(j);
    const double len = static_cast<double>(overlap_len);
    const int count = static_cast<int>(m);
    // Between two samples: the result stays within the range of int.
    for (int i = 0; i < count; ++i) {
        const int a = s[i];
        const int o = old[i];
        to[i] = int_to_sample(o - (o - a) * (static_cast<double>(j0 + i) / len));
    }
}

void gain_sample_bytes(const unsigned char* from, std::int16_t* to, std::size_t m, double g)
{
    for (std::size_t i = 0; i < m; i += CHUNK_SAMPLES) {
        const std::size_t take = std::min(m - i, CHUNK_SAMPLES);
        samples_from_bytes(from + 2 * i, to + i, take);
        gain_samples(to + i, take, g);
    }
}
