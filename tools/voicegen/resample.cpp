// Resampling through libsoxr, in one call per stretch of audio.
#include "resample.h"

#include <soxr.h>

#include <cmath>

bool resample(const std::vector<double>& in, int from, int to, std::vector<double>& out)
{
    const auto wanted = static_cast<std::size_t>(std::lround(double(in.size()) * to / from));
    out.assign(wanted, 0.0);
    if (in.empty())
        return true;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT64_I, SOXR_FLOAT64_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, SOXR_LINEAR_PHASE);
    // One thread: the same bytes on every run.
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    std::size_t done = 0;
    const soxr_error_t error = soxr_oneshot(from, to, 1, in.data(), in.size(), nullptr, out.data(), wanted,
                                            &done, &io, &quality, &runtime);
    if (error != nullptr)
        return false;
    out.resize(done);
    out.resize(wanted, 0.0);
    return true;
}
