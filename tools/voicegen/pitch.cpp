// The speaker's pitch: F0, pitch marks and the intonation table.
#include "pitch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <map>

#include "common/textfile.h"
#include "units.h"
#include "voicefile.h"
#include "words.h"
#include "zvuki/intonation.h"

namespace {

// A frame is periodic when its normalised autocorrelation reaches this at
// some lag, and loud enough when its RMS reaches QUIET.
constexpr double VOICED_CORRELATION = 0.5;
constexpr double QUIET = 100.0;
// Of lags whose correlation comes within this share of the best, the
// shortest wins: a period's multiples correlate nearly as well.
constexpr double OCTAVE_SHARE = 0.85;
constexpr double FRAME_SECONDS = 0.040;
constexpr double STEP_SECONDS = 0.005;
// The low-pass that makes each period's main peak stand out: a moving
// average over this share of a second (about 1 kHz).
constexpr double SMOOTH_SECONDS = 0.0005;
// The next mark is looked for this far, in periods, after the last.
constexpr double NEXT_FROM = 0.7;
constexpr double NEXT_TO = 1.3;
// The middle of a vowel its F0 is taken from.
constexpr double VOWEL_EDGE = 0.2;
// A class needs this many vowels to be learned; else it is 0.
constexpr int FEWEST = 5;

double semitones(double hz) { return 12.0 * std::log2(hz / 100.0); }

}  // namespace

double frame_f0(const std::int16_t* x, std::size_t n, std::size_t at, int rate)
{
    const auto half = std::size_t(FRAME_SECONDS * rate / 2);
    const auto lo_lag = std::size_t(rate / F0_HIGHEST);
    const auto hi_lag = std::size_t(rate / F0_LOWEST);
    if (n < 2 * half + 1)
        return 0;
    const std::size_t from = std::clamp(at, half, n - half - 1) - half;
    const std::size_t len = 2 * half;
    double mean = 0;
    for (std::size_t i = 0; i < len; ++i)
        mean += x[from + i];
    mean /= double(len);
    std::vector<double> y(len);
    double energy = 0;
    for (std::size_t i = 0; i < len; ++i) {
        y[i] = x[from + i] - mean;
        energy += y[i] * y[i];
    }
    if (std::sqrt(energy / double(len)) < QUIET)
        return 0;
    std::vector<double> r(hi_lag + 1, 0.0);
    double best = 0;
    for (std::size_t lag = lo_lag; lag <= hi_lag && lag < len / 2; ++lag) {
        double s = 0, e1 = 0, e2 = 0;
        for (std::size_t i = 0; i + lag < len; ++i) {
            s += y[i] * y[i + lag];
            e1 += y[i] * y[i];
            e2 += y[i + lag] * y[i + lag];
        }
        r[lag] = s / std::sqrt(e1 * e2 + 1e-9);
        best = std::max(best, r[lag]);
    }
    if (best < VOICED_CORRELATION)
        return 0;
    for (std::size_t lag = lo_lag + 1; lag < hi_lag && lag < len / 2; ++lag)
        if (r[lag] >= OCTAVE_SHARE * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
            // The peak between samples, by a parabola through its neighbours.
            const double a = r[lag - 1], b = r[lag], c = r[lag + 1];
            const double d = a - 2 * b + c;
            const double shift = d < 0 ? 0.5 * (a - c) / d : 0.0;
            return rate / (double(lag) + std::clamp(shift, -0.5, 0.5));
        }
    return 0;
}

namespace {

// How the marks of a voiced stretch are chosen among the peaks of the
// low-passed signal, by dynamic programming: a chain of peaks, each one
// NEXT_FROM to NEXT_TO of the tracked period after the one before, whose
// cost adds for every peak how far it falls short of the strongest peak
// within a period of it, and for every step how far the step strays from the
// period (|ln(step ÷ period)|) and how unlike the period around the one peak
// is to the period around the other (1 − their normalised correlation). The
// cheapest chain keeps each mark at the same point of its period, where a
// greedy choice of the strongest peak jumps between two peaks of nearly equal
// height, and its periods with it.
constexpr double PEAK_WEIGHT = 2.0;
constexpr double STEP_WEIGHT = 0.5;
constexpr double LIKENESS_WEIGHT = 1.0;

// The sums of a normalised correlation of the len samples from u and from v:
// their products, and the energy of each.
struct CorrelationSums {
    double product = 0, u = 0, v = 0;
};
CorrelationSums correlation_sums(const std::int16_t* u, const std::int16_t* v, std::size_t len)
{
    CorrelationSums c;
    for (std::size_t i = 0; i < len; ++i) {
        const double a = u[i], b = v[i];
        c.product += a * b;
        c.u += a * a;
        c.v += b * b;
    }
    return c;
}

// The normalised correlation of the samples half a period either side of a
// and of b (0 where either is silent).
double likeness(const std::int16_t* x, std::size_t n, std::size_t a, std::size_t b, std::size_t period)
{
    const std::size_t half = period / 2;
    const std::size_t before = std::min({half, a, b});
    const std::size_t after = std::min({half, n - a, n - b});
    const CorrelationSums c = correlation_sums(x + (a - before), x + (b - before), before + after);
    return c.u > 0 && c.v > 0 ? c.product / std::sqrt(c.u * c.v) : 0.0;
}

// The F0 (Hz, 0 unvoiced) of the frame nearest each sample, frames step apart.
struct F0Track {
    const std::vector<double>& f0;
    std::size_t step;
    double operator()(std::size_t i) const { return f0[std::min(f0.size() - 1, (i + step / 2) / step)]; }
};

// One voiced stretch from sample from: its marks appended to marks, by the
// cheapest chain of peaks that runs from its first period as far as the
// voicing carries it. Returns where the next stretch may start: a period
// past its last mark, or past from when it has none.
std::size_t mark_stretch(const std::int16_t* x, const std::vector<double>& y, double sign, std::size_t from,
                         int rate, const F0Track& f0_at,
                         std::vector<std::uint32_t>& marks)
{
    const std::size_t n = y.size();
    const auto period_at = [&](std::size_t i) { return std::size_t(rate / f0_at(i)); };
    // The peaks from the stretch's start to where no next mark can be looked for.
    std::vector<std::size_t> peak;
    std::size_t end = from;
    while (end < n && f0_at(end) > 0)
        ++end;
    const std::size_t reach = std::min(n, end + std::size_t(NEXT_TO * double(period_at(end - 1))) + 1);
    for (std::size_t j = from; j < reach; ++j)
        if (sign * y[j] > 0 && (j == from || sign * y[j] >= sign * y[j - 1]) &&
            (j + 1 == reach || sign * y[j] > sign * y[j + 1]))
            peak.push_back(j);
    if (peak.empty())
        return from + period_at(from);
    // Each peak's shortfall from the strongest within a period either side.
    std::vector<double> shortfall(peak.size(), 0.0);
    for (std::size_t k = 0, lo = 0, hi = 0; k < peak.size(); ++k) {
        const std::size_t p = period_at(std::min(peak[k], end - 1));
        while (peak[lo] + p < peak[k])
            ++lo;
        while (hi + 1 < peak.size() && peak[hi + 1] <= peak[k] + p)
            ++hi;
        double top = 0;
        for (std::size_t j = lo; j <= hi; ++j)
            top = std::max(top, sign * y[peak[j]]);
        shortfall[k] = 1.0 - sign * y[peak[k]] / top;
    }
    const double none = std::numeric_limits<double>::infinity();
    std::vector<double> cost(peak.size(), none);
    std::vector<std::size_t> back(peak.size(), SIZE_MAX);
    const std::size_t first_period = period_at(from);
    for (std::size_t k = 0; k < peak.size() && peak[k] < from + first_period; ++k)
        cost[k] = PEAK_WEIGHT * shortfall[k];
    // A chain ends at a peak whose next mark would be looked for where the
    // voicing has stopped, or past the recording's end.
    std::vector<std::size_t> length(peak.size(), 1);
    std::vector<bool> ends(peak.size(), true);
    for (std::size_t k = 0; k < peak.size(); ++k) {
        if (cost[k] == none || peak[k] >= end)
            continue;
        const std::size_t p = period_at(peak[k]);
        const std::size_t lo = peak[k] + std::size_t(NEXT_FROM * double(p));
        const std::size_t hi = peak[k] + std::size_t(NEXT_TO * double(p)) + 1;
        if (hi > n || f0_at(lo) <= 0)
            continue;
        ends[k] = false;
        for (std::size_t j = k + 1; j < peak.size() && peak[j] < hi; ++j) {
            if (peak[j] < lo)
                continue;
            const double c = cost[k] + PEAK_WEIGHT * shortfall[j] +
                             STEP_WEIGHT * std::fabs(std::log(double(peak[j] - peak[k]) / double(p))) +
                             LIKENESS_WEIGHT * (1.0 - likeness(x, n, peak[k], peak[j], p));
            if (c < cost[j]) {
                cost[j] = c;
                back[j] = k;
                length[j] = length[k] + 1;
            }
        }
    }
    // Of the chains that end so, the cheapest per mark. Where none does (a
    // stretch whose peaks break off before its voicing), only the first peak
    // is marked and the search starts again a period after it: marching so,
    // period by period, keeps the marks at one point of each period, where
    // the chain that reaches furthest, or the cheapest that breaks off, was
    // found to slip to another point of the period at the break.
    std::size_t last = SIZE_MAX;
    for (std::size_t k = 0; k < peak.size(); ++k)
        if (cost[k] < none && ends[k] &&
            (last == SIZE_MAX || cost[k] / double(length[k]) < cost[last] / double(length[last])))
            last = k;
    for (std::size_t k = 0; last == SIZE_MAX && k < peak.size(); ++k)
        if (cost[k] < none)
            last = k;
    // No peak in the stretch's first period: no chain starts, as with no peak at all.
    if (last == SIZE_MAX)
        return from + period_at(from);
    std::vector<std::uint32_t> chain;
    for (std::size_t k = last; k != SIZE_MAX; k = back[k])
        chain.push_back(std::uint32_t(peak[k]));
    marks.insert(marks.end(), chain.rbegin(), chain.rend());
    return peak[last] + period_at(std::min(peak[last], end - 1));
}

// The normalised correlation of the frame at at with itself lag samples on.
double correlation_at(const std::int16_t* x, std::size_t n, std::size_t at, std::size_t lag, int rate)
{
    const auto half = std::size_t(FRAME_SECONDS * rate / 2);
    if (n < 2 * half + 1 || lag >= 2 * half)
        return 0;
    const std::size_t from = std::clamp(at, half, n - half - 1) - half;
    const CorrelationSums c = correlation_sums(x + from, x + from + lag, 2 * half - lag);
    return c.product / std::sqrt(c.u * c.v + 1e-9);
}

// A frame whose signal repeats clearly better at twice the tracked period
// (by DOUBLE_BETTER of normalised correlation) has two like peaks in each
// glottal period, not one period in each: its F0 is halved.
constexpr double DOUBLE_BETTER = 0.05;

void settle_doubles(const std::int16_t* x, std::size_t n, int rate, std::size_t step, std::vector<double>& f0)
{
    for (std::size_t k = 0; k < f0.size(); ++k) {
        if (f0[k] <= 0 || f0[k] / 2 < F0_LOWEST)
            continue;
        const double lag = rate / f0[k];
        const double once = correlation_at(x, n, k * step, std::size_t(std::lround(lag)), rate);
        const double twice = correlation_at(x, n, k * step, std::size_t(std::lround(2 * lag)), rate);
        if (twice >= once + DOUBLE_BETTER)
            f0[k] /= 2;
    }
}

// A frame whose F0 lies an octave (OCTAVE_OFF or more) from the median of
// the voiced frames within OCTAVE_FRAMES either side is the tracker taking a
// period's half or double: it is moved back by the octave, so the marks keep
// to one mark per glottal period through it.
constexpr double OCTAVE_OFF = 1.6;
constexpr std::size_t OCTAVE_FRAMES = 10;

void settle_octaves(std::vector<double>& f0)
{
    const std::vector<double> was = f0;
    std::vector<double> near;
    for (std::size_t k = 0; k < was.size(); ++k) {
        if (was[k] <= 0)
            continue;
        near.clear();
        for (std::size_t j = k > OCTAVE_FRAMES ? k - OCTAVE_FRAMES : 0; j < std::min(was.size(), k + OCTAVE_FRAMES + 1); ++j)
            if (was[j] > 0)
                near.push_back(was[j]);
        std::nth_element(near.begin(), near.begin() + long(near.size() / 2), near.end());
        const double median = near[near.size() / 2];
        if (was[k] >= OCTAVE_OFF * median && was[k] / 2 >= F0_LOWEST)
            f0[k] = was[k] / 2;
        else if (was[k] * OCTAVE_OFF <= median && was[k] * 2 <= F0_HIGHEST)
            f0[k] = was[k] * 2;
    }
}

}  // namespace

void pitch_marks(const std::int16_t* x, std::size_t n, int rate, std::vector<std::uint32_t>& marks)
{
    marks.clear();
    const auto step = std::size_t(STEP_SECONDS * rate);
    if (n < step)
        return;
    std::vector<double> f0;
    for (std::size_t at = 0; at < n; at += step)
        f0.push_back(frame_f0(x, n, at, rate));
    settle_doubles(x, n, rate, step, f0);
    settle_octaves(f0);
    const auto width = std::max<std::size_t>(1, std::size_t(SMOOTH_SECONDS * rate));
    std::vector<double> y(n, 0.0);
    double run = 0;
    for (std::size_t i = 0; i < n; ++i) {
        run += x[i];
        if (i >= width)
            run -= x[i - width];
        y[i] = run / double(width);
    }
    // The polarity whose peaks are the larger in the voiced frames.
    double top = 0, bottom = 0;
    for (std::size_t k = 0; k < f0.size(); ++k)
        if (f0[k] > 0)
            for (std::size_t i = k * step; i < std::min(n, (k + 1) * step); ++i) {
                top = std::max(top, y[i]);
                bottom = std::max(bottom, -y[i]);
            }
    const double sign = bottom > top ? -1.0 : 1.0;
    const F0Track f0_at{f0, step};
    std::size_t i = 0;
    while (i < n) {
        if (f0_at(i) <= 0) {
            ++i;
            continue;
        }
        i = mark_stretch(x, y, sign, i, rate, f0_at, marks);
    }
}

namespace {

// The mark that ends each sentence's text, by number.
bool sentence_marks(const std::string& text_list, std::map<int, char>& mark)
{
    std::ifstream in(text_list);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t id = line.find("ru_");
        const std::size_t close = line.rfind('"');
        if (id == std::string::npos || close == std::string::npos || close == 0)
            continue;
        const int number = std::atoi(line.c_str() + id + 3);
        std::size_t k = close;
        while (k > 0 && (line[k - 1] == ' ' || line[k - 1] == '"'))
            --k;
        mark[number] = k > 0 ? line[k - 1] : '.';
    }
    return !mark.empty();
}

// The median of a vowel's voiced frames, in semitones; false when none is voiced.
bool vowel_pitch(const Sentence& s, const Phone& p, double& st)
{
    const double len = p.end - p.start;
    std::vector<double> f;
    for (double t = p.start + VOWEL_EDGE * len; t <= p.end - VOWEL_EDGE * len; t += STEP_SECONDS) {
        const double hz = frame_f0(s.sample.data(), s.sample.size(), std::size_t(t * s.rate), s.rate);
        if (hz > 0)
            f.push_back(semitones(hz));
    }
    if (f.empty())
        return false;
    std::sort(f.begin(), f.end());
    st = f[f.size() / 2];
    return true;
}

struct Vowel {
    int type = 0;
    int cls = 0;
    double st = 0;
};

// A word of the text in small code page 1251 letters ("" for one that has
// other letters).
std::string cp1251_word(const std::u32string& letters)
{
    std::string w;
    for (const char32_t c : letters) {
        if (c >= U'а' && c <= U'я')
            w += static_cast<char>(0xE0 + (c - U'а'));
        else if (c == U'ё')
            w += static_cast<char>(0xB8);
        else
            return "";
    }
    return w;
}

// A question phrase of the sentence's vowels [first, last] (by the words of
// its text, see words.h): askword with the vowel that carries the accent of
// its first question word (its stressed one, else its first; for "ли", the
// word's before it), else yesno with nucleus left as it was.
PhraseType question_kind(const std::vector<const Phone*>& vowel, const std::vector<TextWord>& words,
                         const std::vector<std::size_t>& word_of, std::size_t first, std::size_t last,
                         std::size_t& accent)
{
    const auto accent_of = [&](std::size_t w) {
        std::size_t a = words[w].first_vowel;
        for (std::size_t i = a; i < a + words[w].vowels; ++i)
            if (vowel_tier(*vowel[i]) == 0) {
                a = i;
                break;
            }
        return a;
    };
    for (std::size_t w = word_of[first]; w <= word_of[last]; ++w) {
        const std::string word = cp1251_word(words[w].letters);
        if (words[w].vowels == 0 || !is_question_word(word.c_str()))
            continue;
        const bool particle = word == QUESTION_PARTICLE && w > word_of[first] && words[w - 1].vowels > 0;
        accent = accent_of(particle ? w - 1 : w);
        return PhraseType::askword;
    }
    return PhraseType::yesno;
}

}  // namespace

bool learn_intonation(const std::vector<Sentence>& sentences, const std::string& text_list, IntonationTable& t)
{
    std::map<int, char> mark;
    if (!sentence_marks(text_list, mark)) {
        std::fprintf(stderr, "voicegen: cannot read the sentence texts in %s\n", text_list.c_str());
        return false;
    }
    t.cents.assign(PHRASE_TYPES, std::vector<double>(INTONATION_CLASSES, 0.0));
    t.count.assign(PHRASE_TYPES, std::vector<int>(INTONATION_CLASSES, 0));
    std::vector<std::vector<std::vector<double>>> values(PHRASE_TYPES,
                                                         std::vector<std::vector<double>>(INTONATION_CLASSES));
    std::vector<double> all;
    t.sentences = 0;
    for (const Sentence& s : sentences) {
        const auto m = mark.find(s.number);
        const PhraseType last_type = phrase_type_of(m == mark.end() ? '.' : static_cast<unsigned char>(m->second));
        // The phrases: the vowels between pauses.
        std::vector<std::vector<const Phone*>> phrases(1);
        std::vector<const Phone*> vowel;
        for (std::size_t i = 0; i < s.phone.size(); ++i) {
            if (phone_is(s.phone[i], "pau")) {
                if (!phrases.back().empty())
                    phrases.emplace_back();
            } else if (is_vowel_phone(s.phone[i])) {
                phrases.back().push_back(&s.phone[i]);
                vowel.push_back(&s.phone[i]);
            }
        }
        if (phrases.back().empty())
            phrases.pop_back();
        // The words, where the text's vowel letters are the labelled vowels.
        std::vector<TextWord> words;
        std::vector<std::size_t> word_of;
        if (text_words(s.text, words) == vowel.size())
            for (std::size_t w = 0; w < words.size(); ++w)
                word_of.insert(word_of.end(), words[w].vowels, w);
        std::size_t phrase_first = 0;  // the phrase's first vowel in the sentence
        std::vector<Vowel> vowels;
        double sum = 0;
        for (std::size_t k = 0; k < phrases.size(); ++k) {
            const auto& v = phrases[k];
            const int n = int(v.size());
            int nucleus = n - 1;
            for (int i = 0; i < n; ++i)
                if (vowel_tier(*v[std::size_t(i)]) == 0)
                    nucleus = i;
            const int type = int(k + 1 == phrases.size() ? last_type : PhraseType::continuation);
            // A question by its text (its last word before "?") is also one
            // of the two kinds of question.
            const std::size_t first = phrase_first, last = phrase_first + v.size() - 1;
            phrase_first += v.size();
            int kind = -1, kind_nucleus = nucleus;
            if (!word_of.empty() && words[word_of[last]].after == U'?') {
                std::size_t accent = 0;
                kind = int(question_kind(vowel, words, word_of, first, last, accent));
                if (kind == int(PhraseType::askword))
                    kind_nucleus = int(accent) - int(first);
                ++t.questions[std::size_t(kind == int(PhraseType::askword) ? 0 : 1)];
            }
            for (int i = 0; i < n; ++i) {
                double st = 0;
                if (!vowel_pitch(s, *v[std::size_t(i)], st))
                    continue;
                const bool stressed = vowel_tier(*v[std::size_t(i)]) == 0;
                vowels.push_back({type, intonation_class(i, n, nucleus, stressed), st});
                if (kind >= 0 && kind_nucleus >= 0)
                    vowels.push_back({kind, intonation_class(i, n, kind_nucleus, stressed), st});
                sum += st;
                all.push_back(st);
            }
        }
        if (vowels.empty())
            continue;
        ++t.sentences;
        std::size_t own = 0;  // each vowel once, by its phrase's own type
        for (const Vowel& v : vowels)
            own += v.type < int(PhraseType::askword) ? 1 : 0;
        const double mean = sum / double(own);
        for (const Vowel& v : vowels)
            values[std::size_t(v.type)][std::size_t(v.cls)].push_back(100.0 * (v.st - mean));
    }
    if (all.empty()) {
        std::fprintf(stderr, "voicegen: no voiced vowel in the corpus\n");
        return false;
    }
    std::sort(all.begin(), all.end());
    t.base = 100.0 * std::exp2(all[all.size() / 2] / 12.0);
    for (std::size_t k = 0; k < PHRASE_TYPES; ++k)
        for (std::size_t c = 0; c < INTONATION_CLASSES; ++c) {
            auto& v = values[k][c];
            t.count[k][c] = int(v.size());
            if (int(v.size()) < FEWEST) {
                // A kind of question takes the question's target where it has too few.
                if (k >= std::size_t(PhraseType::askword))
                    t.cents[k][c] = t.cents[std::size_t(PhraseType::question)][c];
                continue;
            }
            std::sort(v.begin(), v.end());
            t.cents[k][c] = v[v.size() / 2];
        }
    return true;
}

bool write_intonation(const char* dir, const IntonationTable& t)
{
    char line[768];
    std::snprintf(line, sizeof line,
                  "# The F0 targets of this voice, learned from %zu sentences of its corpus: the\n"
                  "# speaker's median F0 in Hz, how far the sound stage draws the contour out (percent),\n"
                  "# how much of each recording's own pitch movement it keeps about the contour (percent),\n"
                  "# then per phrase type the median F0 of each class of vowel in cents from its\n"
                  "# sentence's mean, in the order\n#",
                  t.sentences);
    std::string text = line;
    for (const char* name : INTONATION_CLASS_NAMES) {
        text += ' ';
        text += name;
    }
    std::snprintf(line, sizeof line, "\nbase %.1f\nscale %ld\nshape %ld\n", t.base, t.scale, t.shape);
    text += line;
    for (std::size_t k = 0; k < PHRASE_TYPES; ++k) {
        // A kind of question whose nucleus the corpus has too few of is left to the question row.
        if (k >= std::size_t(PhraseType::askword) && t.count[k][CLASS_NUCLEUS] < FEWEST)
            continue;
        text += PHRASE_TYPE_NAMES[k];
        for (std::size_t c = 0; c < INTONATION_CLASSES; ++c) {
            text += ' ';
            text += std::to_string(std::lround(t.cents[k][c]));
        }
        text += "\n";
    }
    return write_voice_file(dir, INTONATION_FILE, text);
}

bool write_pitch_marks(const char* dir, const std::vector<MarkedName>& recordings)
{
    std::string text;
    for (const MarkedName& r : recordings) {
        if (r.marks.empty())
            continue;
        text += r.name;
        for (const std::uint32_t m : r.marks) {
            // Appended in two steps: g++ 12 at -O3 warns (wrongly) of an
            // overlapping copy in `" " + std::to_string(m)`.
            text += ' ';
            text += std::to_string(m);
        }
        text += "\n";
    }
    return write_voice_file(dir, PITCH_MARK_FILE, text);
}
