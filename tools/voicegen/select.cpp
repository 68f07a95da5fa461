// Unit selection: scores of occurrences against the speaker's typical sounds.
#include "select.h"

#include <algorithm>
#include <cmath>

namespace {

// Pitch search range of a male voice.
constexpr double LOWEST_PITCH = 60.0;
constexpr double HIGHEST_PITCH = 300.0;
constexpr double PITCH_WINDOW = 0.040;
// Below this normalised autocorrelation a frame counts as unvoiced.
constexpr double VOICED = 0.5;
// Weights of the prosodic terms beside the cepstral distance (whose typical
// size is a few units): a duration half or twice the median, or a pitch an
// octave off, costs about as much as a far spectrum.
constexpr double DURATION_WEIGHT = 2.0;
constexpr double PITCH_WEIGHT = 3.0;
constexpr double UNVOICED_VOWEL = 3.0;
// The duration aimed at, as a share of the phone's median: the sound stage
// lays neighbouring syllables over each other, and units shorter than the
// median measured closer to natural speech (MCD-DTW median 26.9 dB at 0.6 and
// 0.7, 27.0 at 0.8, 27.1 at 0.5 and at 1.0, 27.6 at 1.5).
constexpr double DURATION_SHARE = 0.7;

double middle(const Phone& p) { return (p.start + p.end) / 2; }
double at(const Phone& p, std::size_t k) { return p.start + (p.end - p.start) * double(k + 1) / (POSITIONS + 1); }

const PhoneStats* stats_of(const Speaker& speaker, const Phone& p)
{
    const auto it = speaker.phone.find(p.name.data());
    return it == speaker.phone.end() ? nullptr : &it->second;
}

// How far the unit's phones sound from the speaker's mean for each, at a
// POSITIONS points of the way through; from Prosody on also
// how far their durations lie from the typical ones, and the vowel's pitch
// (scored by pitch_cost, which comes last).
Scored score_parts(const Occurrence& o, const Sentence& s, const Speaker& speaker, Selection level)
{
    Scored sc;
    double& total = sc.score;
    for (int i = o.first; i <= o.last; ++i) {
        const Phone& p = s.phone[std::size_t(i)];
        const PhoneStats* st = stats_of(speaker, p);
        if (st == nullptr)
            continue;
        for (std::size_t k = 0; k < POSITIONS; ++k) {
            Cepstrum c{};
            cepstrum_at(s, at(p, k), c);
            total += cepstral_distance(c, st->mean[k]) / POSITIONS;
        }
        if (level < Selection::Prosody)
            continue;
        const double d = p.end - p.start;
        const double target = st->duration * DURATION_SHARE;
        if (d > 0 && target > 0)
            total += DURATION_WEIGHT * std::fabs(std::log(d / target));
        if (is_vowel_phone(p))
            sc.pitch = pitch_at(s, middle(p));
    }
    return sc;
}

double pitch_cost(double f0, double wanted)
{
    if (f0 < 0)
        return 0;
    return f0 > 0 ? PITCH_WEIGHT * std::fabs(std::log2(f0 / wanted)) : UNVOICED_VOWEL;
}

Scored scored(const Occurrence& o, const std::vector<Sentence>& sentences, const Speaker& speaker, Selection level,
              ScoreCache* cache)
{
    const Sentence& s = sentences[std::size_t(o.sentence)];
    if (cache == nullptr)
        return score_parts(o, s, speaker, level);
    const std::array<int, 3> key{o.sentence, o.first, o.last};
    const auto it = cache->find(key);
    if (it != cache->end())
        return it->second;
    return (*cache)[key] = score_parts(o, s, speaker, level);
}

double part_at(const Phone& p, double t)
{
    const double span = p.end - p.start;
    return span > 0 ? std::clamp((t - p.start) / span, 0.0, 1.0) : 0.5;
}

}  // namespace

void cepstrum_at(const Sentence& s, double t, Cepstrum& c)
{
    std::array<double, CEPSTRUM_WINDOW> frame{};
    const long centre = std::lround(t * s.rate);
    const long first = centre - long(CEPSTRUM_WINDOW / 2);
    for (std::size_t i = 0; i < CEPSTRUM_WINDOW; ++i) {
        const long at = first + long(i);
        frame[i] = at >= 0 && at < long(s.sample.size()) ? s.sample[std::size_t(at)] : 0.0;
    }
    frame_cepstrum(frame.data(), c);
}

double pitch_at(const Sentence& s, double t)
{
    const long n = std::lround(PITCH_WINDOW * s.rate);
    const long first = std::lround(t * s.rate) - n / 2;
    const long min_lag = std::lround(s.rate / HIGHEST_PITCH);
    const long max_lag = std::lround(s.rate / LOWEST_PITCH);
    if (first < 0 || first + n + max_lag > long(s.sample.size()))
        return 0;
    const std::int16_t* x = s.sample.data() + first;
    double best = 0;
    long best_lag = 0;
    for (long lag = min_lag; lag <= max_lag; ++lag) {
        double xy = 0, xx = 0, yy = 0;
        for (long i = 0; i < n; ++i) {
            xy += double(x[i]) * x[i + lag];
            xx += double(x[i]) * x[i];
            yy += double(x[i + lag]) * x[i + lag];
        }
        const double r = xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0;
        if (r > best) {
            best = r;
            best_lag = lag;
        }
    }
    return best >= VOICED ? double(s.rate) / double(best_lag) : 0;
}

void learn_speaker(const std::vector<Sentence>& sentences, Speaker& speaker)
{
    std::map<std::string, std::vector<double>> durations;
    std::map<std::string, std::size_t> counts;
    std::vector<double> pitches;
    for (const Sentence& s : sentences) {
        for (const Phone& p : s.phone) {
            if (phone_is(p, "pau"))
                continue;
            PhoneStats& st = speaker.phone[p.name.data()];
            for (std::size_t k = 0; k < POSITIONS; ++k) {
                Cepstrum c{};
                cepstrum_at(s, at(p, k), c);
                for (std::size_t j = 0; j < CEPSTRUM_DIM; ++j)
                    st.mean[k][j] += c[j];
            }
            ++counts[p.name.data()];
            durations[p.name.data()].push_back(p.end - p.start);
            // Stressed vowels only: sampling every vowel would take long and add nothing.
            if (vowel_tier(p) == 0) {
                const double f0 = pitch_at(s, middle(p));
                if (f0 > 0)
                    pitches.push_back(f0);
            }
        }
    }
    for (auto& [name, st] : speaker.phone) {
        for (Cepstrum& c : st.mean)
            for (double& m : c)
                m /= double(counts[name]);
        auto& d = durations[name];
        std::nth_element(d.begin(), d.begin() + long(d.size() / 2), d.end());
        st.duration = d[d.size() / 2];
    }
    speaker.pitch = 100;
    if (!pitches.empty()) {
        std::nth_element(pitches.begin(), pitches.begin() + long(pitches.size() / 2), pitches.end());
        speaker.pitch = pitches[pitches.size() / 2];
        std::sort(pitches.begin(), pitches.end());
        const auto quantile = [&](double q) { return pitches[std::size_t(q * double(pitches.size() - 1))]; };
        speaker.third = {quantile(1.0 / 3), quantile(2.0 / 3)};
        speaker.third_middle = {quantile(1.0 / 6), quantile(5.0 / 6)};
    }
}

void learn_unit(const std::vector<Occurrence>& found, const std::vector<Sentence>& sentences,
                std::vector<PhoneStats>& unit)
{
    constexpr std::size_t MOST = 300;
    unit.assign(std::size_t(found.front().last - found.front().first + 1), PhoneStats{});
    const std::size_t step = std::max<std::size_t>(1, found.size() / MOST);
    std::size_t count = 0;
    for (std::size_t i = 0; i < found.size(); i += step, ++count) {
        const Sentence& s = sentences[std::size_t(found[i].sentence)];
        for (std::size_t j = 0; j < unit.size(); ++j) {
            const Phone& p = s.phone[std::size_t(found[i].first) + j];
            for (std::size_t k = 0; k < POSITIONS; ++k) {
                Cepstrum c{};
                cepstrum_at(s, at(p, k), c);
                for (std::size_t d = 0; d < CEPSTRUM_DIM; ++d)
                    unit[j].mean[k][d] += c[d];
            }
        }
    }
    for (PhoneStats& st : unit)
        for (Cepstrum& c : st.mean)
            for (double& v : c)
                v /= double(count);
}

void part_difference(const Sentence& s, int phone, double from, double to, const PhoneStats& typical,
                     Cepstrum& difference)
{
    difference = {};
    const Phone& p = s.phone[std::size_t(phone)];
    const double hop = double(CEPSTRUM_HOP) / CEPSTRUM_RATE;
    std::size_t frames = 0;
    // At least one frame, however short the stretch.
    for (double t = from + hop / 2; t < to || frames == 0; t += hop, ++frames) {
        const double u = std::min(t, to);
        const auto k = std::min(POSITIONS - 1, std::size_t(part_at(p, u) * POSITIONS));
        Cepstrum c{};
        cepstrum_at(s, u, c);
        for (std::size_t d = 0; d < CEPSTRUM_DIM; ++d)
            difference[d] += typical.mean[k][d] - c[d];
    }
    for (double& d : difference)
        d /= double(frames);
}

namespace {

// The wanted neighbours where the corpus has them at all, and the least
// reduced vowel among those.
void wanted(const std::vector<Occurrence>& found, bool& any_context, int& best_tier)
{
    for (const Occurrence& o : found)
        any_context = any_context || o.context;
    for (const Occurrence& o : found)
        if (o.context == any_context)
            best_tier = std::min(best_tier, o.tier);
}

}  // namespace

void eligible(const std::vector<Occurrence>& found, Selection level, std::vector<Occurrence>& out)
{
    bool any_context = false;
    int best_tier = 3;
    wanted(found, any_context, best_tier);
    out.clear();
    for (const Occurrence& o : found)
        if (o.context == any_context && (level < Selection::Stress || o.tier == best_tier))
            out.push_back(o);
}

double occurrence_pitch(const Occurrence& o, const std::vector<Sentence>& sentences, const Speaker& speaker,
                        Selection level, ScoreCache& cache)
{
    return scored(o, sentences, speaker, level, &cache).pitch;
}

std::size_t choose(const std::vector<Occurrence>& found, const std::vector<Sentence>& sentences,
                   const Speaker& speaker, Selection level, ScoreCache* cache, double pitch)
{
    const double wanted_pitch = pitch > 0 ? pitch : speaker.pitch;
    bool any_context = false;
    int best_tier = 3;
    wanted(found, any_context, best_tier);
    std::size_t chosen = found.size();
    double best = 0;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const Occurrence& o = found[i];
        if (o.context != any_context)
            continue;
        if (level >= Selection::Stress && o.tier != best_tier)
            continue;
        if (level < Selection::Spectrum)
            return i;
        const Scored part = scored(o, sentences, speaker, level, cache);
        const double sc = part.score + pitch_cost(part.pitch, wanted_pitch);
        if (chosen == found.size() || sc < best) {
            chosen = i;
            best = sc;
        }
    }
    return chosen;
}
