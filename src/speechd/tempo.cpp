// The tempo of speech changed by sonic.
#include "speechd/tempo.h"

#include "libvokdar/vokdar.h"

#include <cmath>
#include <sonic.h>

Tempo::Tempo(double factor)
{
    if (factor != 1.0) {
        stream_ = sonicCreateStream(VOKDAR_SAMPLE_RATE, 1);
        sonicSetSpeed(stream_, static_cast<float>(factor));
    }
}

Tempo::~Tempo()
{
    if (stream_)
        sonicDestroyStream(stream_);
}

void Tempo::take(std::vector<std::int16_t>& out)
{
    out.resize(static_cast<std::size_t>(sonicSamplesAvailable(stream_)));
    if (!out.empty())
        out.resize(static_cast<std::size_t>(
            sonicReadShortFromStream(stream_, reinterpret_cast<short*>(out.data()), static_cast<int>(out.size()))));
}

void Tempo::put(const std::int16_t* samples, std::size_t count, std::vector<std::int16_t>& out)
{
    in_.assign(samples, samples + count);
    sonicWriteShortToStream(stream_, in_.data(), static_cast<int>(in_.size()));
    take(out);
}

void Tempo::finish(std::vector<std::int16_t>& out)
{
    sonicFlushStream(stream_);
    take(out);
}

double tempo_for_rate(int rate)
{
    const int r = rate < -100 ? -100 : rate > 100 ? 100 : rate;
    return r < 0 ? std::exp2(r / 100.0) : std::pow(3.0, r / 100.0);
}
