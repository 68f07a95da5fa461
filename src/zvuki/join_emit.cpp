// The emission of a planned join: the held tail crossfaded into the new
// syllable, its body with the fade-out before a pause, and its own tail held
// back for the next one.
#include <algorithm>
#include <cstring>

#include "zvuki/join.h"
#include "zvuki/recordings.h"
#include "zvuki/sample_writer.h"

namespace {

// Held samples from position from on, 0 outside the buffer.
void tail_range(const JoinState& st, long long from, std::int16_t* to, std::size_t m)
{
    const long long end = from + static_cast<long long>(m);
    // [from, a) and [b, end) lie outside the buffer, [a, b) inside.
    const long long a = std::min(std::max(from, 0LL), end);
    const long long b = std::max(std::min(end, static_cast<long long>(TAIL_SAMPLES)), a);
    std::fill(to, to + (a - from), std::int16_t{0});
    std::copy(st.tail_buffer.data() + a, st.tail_buffer.data() + b, to + (a - from));
    std::fill(to + (b - from), to + m, std::int16_t{0});
}

long long chunk_of(long long want) { return std::min<long long>(want, CHUNK_SAMPLES); }

// One emission under way: the samples still to sound and where the new tail goes.
struct Emission {
    Emission(JoinState& s, const JoinPlan& p, SampleSource& from, SampleWriter& to, ZvukiResult& f)
        : st(s), plan(p), src(from), out(to), fault(f), n(p.samples)
    {
    }
    JoinState& st;
    const JoinPlan& plan;
    SampleSource& src;
    SampleWriter& out;
    ZvukiResult& fault;
    long long n;             // samples of the recording still to sound
    long long faded = 0;     // samples faded so far
    std::size_t store = 0;   // the next place in the tail buffer
    Chunk chunk;             // samples on their way
    Chunk old;               // held samples being crossfaded

    // Samples of the new tail go into the tail buffer, as far as it reaches.
    void keep(const std::int16_t* v, std::size_t m)
    {
        if (store < st.tail_buffer.size())
            std::copy_n(v, std::min(m, st.tail_buffer.size() - store), st.tail_buffer.data() + store);
        store += m;
    }
    // The recording is closed and the fault says what went wrong where.
    bool fail(ZvukiFault what, long long first = 0, long long second = 0)
    {
        source_close(src);
        fault.fault = what;
        fault.first = first;
        fault.second = second;
        std::strncpy(fault.recording.data(), src.name, fault.recording.size() - 1);
        return false;
    }
};

// The held samples before the overlap go out unchanged; then the overlap
// fades from the held tail into the recording's start. The held samples it
// reads always lie beyond those it has stored again.
bool emit_crossfade(Emission& e)
{
    const JoinPlan& p = e.plan;
    const long long t = e.n - p.tail_len;
    const long long w = p.passed;
    for (long long i = 0; i < w;) {
        const auto m = static_cast<std::size_t>(chunk_of(w - i));
        tail_range(e.st, i, e.chunk.data(), m);
        put_samples(e.out, e.chunk.data(), m);
        i += static_cast<long long>(m);
    }
    for (long long j = 0; j < p.overlap_len;) {
        const auto want = static_cast<std::size_t>(chunk_of(p.overlap_len - j));
        const std::int16_t* from = nullptr;
        const std::size_t got = source_gained(e.src, e.chunk.data(), from, want);
        tail_range(e.st, w + j, e.old.data(), got);
        crossfade_samples(from, e.old.data(), e.chunk.data(), got, j, p.overlap_len);
        // The steps before t go out, the rest is held.
        const auto sent = static_cast<std::size_t>(std::clamp<long long>(t - j, 0, static_cast<long long>(got)));
        if (sent > 0 && !put_samples(e.out, e.chunk.data(), sent))
            return e.fail(ZvukiFault::write_on_morph);
        e.keep(e.chunk.data() + sent, got - sent);
        e.n -= static_cast<long long>(got);
        j += static_cast<long long>(got);
        if (got < want) {
            --e.n;
            return e.fail(ZvukiFault::read_on_morph, p.overlap_len, e.n);
        }
    }
    return true;
}

// The body goes out, fading near the end when a pause follows: the samples
// whose remaining count is below fade_len.
bool emit_body(Emission& e)
{
    const JoinPlan& p = e.plan;
    long long unfaded = e.n - std::max<long long>(p.tail_len, p.fade_len - 1);
    while (e.n > p.tail_len) {
        if (unfaded > 0) {
            bool ok = true;
            const auto m = static_cast<long long>(source_put(e.src, e.out, static_cast<std::size_t>(unfaded), ok));
            e.n -= m;
            unfaded -= m;
            if (!ok)
                return e.fail(ZvukiFault::write_on_main);
            if (m > 0)
                continue;
        }
        // Otherwise a chunk at a time, unfaded samples first.
        const auto want = static_cast<std::size_t>(chunk_of(unfaded > 0 ? unfaded : e.n - p.tail_len));
        const std::int16_t* from = e.chunk.data();
        std::size_t got;
        if (unfaded > 0) {
            got = source_gained(e.src, e.chunk.data(), from, want);
        } else {
            got = source_faded(e.src, e.chunk.data(), want, e.faded, p.fade_len);
            e.faded += static_cast<long long>(got);
        }
        if (got > 0 && !put_samples(e.out, from, got))
            return e.fail(ZvukiFault::write_on_main);
        e.n -= static_cast<long long>(got);
        unfaded -= static_cast<long long>(got);
        if (got < want)
            return e.fail(ZvukiFault::read_on_main);
    }
    return true;
}

// The tail is held back for the next syllable, its samples below fade_len faded.
bool emit_tail(Emission& e)
{
    const JoinPlan& p = e.plan;
    while (e.n > 0) {
        const auto want = static_cast<std::size_t>(chunk_of(e.n));
        // Those still at or above fade_len come first and are not faded.
        const auto unfaded_want =
            static_cast<std::size_t>(std::clamp<long long>(e.n - p.fade_len + 1, 0, static_cast<long long>(want)));
        const std::int16_t* from = nullptr;
        const std::size_t plain = source_gained(e.src, e.chunk.data(), from, unfaded_want);
        e.keep(from, plain);
        std::size_t faded = 0;
        if (plain == unfaded_want) {
            faded = source_faded(e.src, e.chunk.data(), want - unfaded_want, e.faded, p.fade_len);
            e.keep(e.chunk.data(), faded);
        }
        e.faded += static_cast<long long>(faded);
        const std::size_t got = plain + faded;
        e.n -= static_cast<long long>(got);
        if (got < want)
            return e.fail(ZvukiFault::read_on_tail, e.n);
    }
    return true;
}

}  // namespace

bool emit_join(JoinState& st, const JoinPlan& plan, SampleSource& samples, SampleWriter& out, ZvukiResult& fault)
{
    Emission e(st, plan, samples, out, fault);
    long long available = plan.recording;
    if (plan.skip > 0) {
        // A recording that cannot be positioned would be sounded from the
        // wrong sample on: the stage stops instead.
        if (!source_skip(samples, plan.skip))
            return e.fail(ZvukiFault::read_on_skip);
        e.n -= plan.skip;
        available -= plan.skip;
    }
    source_start(samples, available, plan.gain);
    if (plan.crossfade && !emit_crossfade(e))
        return false;
    if (!emit_body(e) || !emit_tail(e))
        return false;
    source_close(samples);
    st.held = static_cast<int>(plan.tail_len);
    return true;
}

bool join_slog(JoinState& st, SampleSource& samples, SlogToken& current, const SlogToken& next, SampleWriter& out,
               ZvukiResult& fault)
{
    const JoinPlan plan = plan_join(st, current, samples.size / 2, next);
    current.code = plan.code;
    if (!emit_join(st, plan, samples, out, fault))
        return false;
    for (std::size_t i = 0; i < st.prev_slog.size(); ++i) {
        st.prev_slog[i] = current.text[i];
        if (current.text[i] == '\0')
            break;
    }
    st.prev_slog[SLOG_BYTES - 1] = '\0';
    return true;
}

void flush_held(JoinState& st, SampleWriter& out)
{
    const int held = std::min(st.held, TAIL_SAMPLES);
    if (held > 0)
        put_samples(out, st.tail_buffer.data(), static_cast<std::size_t>(held));
    st.held = 0;
}
