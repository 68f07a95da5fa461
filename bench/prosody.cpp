// vokdar-prosody: the prosody of a rendering against the natural recording of
// the same sentence.
//
//   vokdar-prosody SYNTH.raw NATURAL.raw SYNTH.f0 NATURAL.f0 LABELS.lab [TEXT]
//
// The raw files are headerless 16-bit mono at 16 kHz (bench/prosody.sh makes
// them with sox); the F0 files are pitch tracks as bench/f0.praat writes them
// (a header line, then "time f0" per 10 ms frame, "--undefined--" where the
// frame is unvoiced); the labels are the corpus's phone labels of the natural
// recording (end time, a number, the phone; stressed vowels doubled).
//
// The frames within 40 dB of the loudest of each side (the voice measure's
// cepstra, bench/loud.h) are aligned by DTW over c1..c24. Each aligned pair
// takes the F0 of both tracks at its frame centres (linear between track
// frames, none where a neighbour is unvoiced or outside the track), in
// semitones 12 log2(F0 / 100). Prints one line of nine figures:
//   stress_syn  stressed ÷ unstressed mean vowel length in the rendering (each
//               natural vowel's span mapped through the path: the distinct
//               rendered frames aligned to it, 10 ms each)
//   stress_nat  the same ratio of the natural vowels' own lengths
//   dur         speech time: rendered loud frames ÷ natural loud frames
//   corr        correlation of the two contours over pairs voiced on both sides
//   rmse_c      RMS difference of the contours, each with its mean removed
//   jump        95th percentile of the semitone step between neighbouring
//               voiced frames of the rendering's own track
//   jump_nat    the same of the natural track
//   spread      5th to 95th percentile of the rendering's voiced semitones
//   spread_nat  the same of the natural track
// and, given the sentence's text (UTF-8), two more:
//   lone_syn    the mean rendered length in seconds of the vowels of its
//               one-letter words ("и" "а" "у" "о"; the n-th vowel letter of
//               the text is the n-th labelled vowel), mapped as above
//   lone_nat    the same of the natural vowels' own lengths
// A figure that cannot be computed is printed as nan.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "loud.h"
#include "words.h"

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double FRAME_SECONDS = 0.01;

struct Track {
    std::vector<double> t, f0;  // f0 NaN where unvoiced
};

bool read_track(const char* path, Track& track)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    std::getline(in, line);  // the header
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string t, f;
        if (!(fields >> t >> f))
            continue;
        track.t.push_back(std::stod(t));
        track.f0.push_back(f[0] >= '0' && f[0] <= '9' ? std::stod(f) : NaN);
    }
    return true;
}

// The track at time x: linear between its frames; NaN outside it, or when
// either neighbour is unvoiced (a time on a frame takes that frame's value).
double track_at(const Track& track, double x)
{
    const auto& t = track.t;
    if (t.empty() || x < t.front() || x > t.back())
        return NaN;
    const std::size_t j = static_cast<std::size_t>(std::upper_bound(t.begin(), t.end(), x) - t.begin()) - 1;
    if (t[j] == x || j + 1 == t.size())
        return track.f0[j];
    const double slope = (track.f0[j + 1] - track.f0[j]) / (t[j + 1] - t[j]);
    return slope * (x - t[j]) + track.f0[j];
}

double semitones(double f0) { return 12.0 * std::log2(f0 / 100.0); }

// The q-th percentile, linear between the sorted values.
double percentile(std::vector<double> v, double q)
{
    if (v.empty())
        return NaN;
    std::sort(v.begin(), v.end());
    const double at = q / 100.0 * static_cast<double>(v.size() - 1);
    const auto lo = static_cast<std::size_t>(at);
    const std::size_t hi = std::min(lo + 1, v.size() - 1);
    return v[lo] + (v[hi] - v[lo]) * (at - static_cast<double>(lo));
}

double jump95(const Track& track)
{
    std::vector<double> steps;
    for (std::size_t i = 1; i < track.f0.size(); ++i)
        if (!std::isnan(track.f0[i]) && !std::isnan(track.f0[i - 1]))
            steps.push_back(std::fabs(semitones(track.f0[i]) - semitones(track.f0[i - 1])));
    return percentile(steps, 95);
}

double spread(const Track& track)
{
    std::vector<double> s;
    for (double f : track.f0)
        if (!std::isnan(f))
            s.push_back(semitones(f));
    return percentile(s, 95) - percentile(s, 5);
}

// The cheapest monotonic path from the first pair of frames to the last, as
// pairs (i, j) from the start; ties prefer the diagonal, then the step in i.
void dtw_path(const std::vector<Cepstrum>& a, const std::vector<Cepstrum>& b, std::vector<std::size_t>& pi,
              std::vector<std::size_t>& pj)
{
    const std::size_t n = a.size(), m = b.size(), w = m + 1;
    constexpr double INF = 1e300;
    std::vector<double> d((n + 1) * w, INF);
    for (std::size_t i = 1; i <= n; ++i)
        for (std::size_t j = 1; j <= m; ++j) {
            double best = i == 1 && j == 1 ? 0.0 : d[(i - 1) * w + j - 1];
            best = std::min({best, d[(i - 1) * w + j], d[i * w + j - 1]});
            d[i * w + j] = best + cepstral_distance(a[i - 1], b[j - 1]);
        }
    std::size_t i = n, j = m;
    while (i >= 1 && j >= 1) {
        pi.push_back(i - 1);
        pj.push_back(j - 1);
        if (i == 1 && j == 1)
            break;
        const double dg = i > 1 && j > 1 ? d[(i - 1) * w + j - 1] : INF;
        const double up = i > 1 ? d[(i - 1) * w + j] : INF;
        const double left = j > 1 ? d[i * w + j - 1] : INF;
        if (dg <= up && dg <= left) {
            --i;
            --j;
        } else if (up <= left) {
            --i;
        } else {
            --j;
        }
    }
    std::reverse(pi.begin(), pi.end());
    std::reverse(pj.begin(), pj.end());
}

double frame_time(std::size_t frame)
{
    return static_cast<double>(frame * CEPSTRUM_HOP + CEPSTRUM_WINDOW / 2) / CEPSTRUM_RATE;
}

bool stressed_vowel(const std::string& l)
{
    return l == "aa" || l == "oo" || l == "ee" || l == "ii" || l == "uu" || l == "yy";
}
bool plain_vowel(const std::string& l)
{
    return l == "a" || l == "ay" || l == "ae" || l == "i" || l == "u" || l == "e" || l == "y" || l == "ur";
}

double mean(const std::vector<double>& v)
{
    double s = 0;
    for (double x : v)
        s += x;
    return s / static_cast<double>(v.size());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 6 && argc != 7) {
        std::fprintf(stderr, "usage: vokdar-prosody SYNTH.raw NATURAL.raw SYNTH.f0 NATURAL.f0 LABELS.lab [TEXT]\n");
        return 2;
    }
    std::vector<double> synth, natural;
    Track fa, fb;
    if (!read_raw(argv[1], synth) || !read_raw(argv[2], natural) || !read_track(argv[3], fa) ||
        !read_track(argv[4], fb)) {
        std::fprintf(stderr, "vokdar-prosody: cannot read the recordings or their pitch tracks\n");
        return 1;
    }
    std::vector<std::size_t> ka, kb;
    const auto a = loud_cepstra(synth, &ka);
    const auto b = loud_cepstra(natural, &kb);
    std::vector<std::size_t> pi, pj;
    dtw_path(a, b, pi, pj);

    // The contours along the path, where both sides are voiced.
    std::vector<double> sa, sb;
    for (std::size_t k = 0; k < pi.size(); ++k) {
        const double x = track_at(fa, frame_time(ka[pi[k]]));
        const double y = track_at(fb, frame_time(kb[pj[k]]));
        if (!std::isnan(x) && !std::isnan(y)) {
            sa.push_back(semitones(x));
            sb.push_back(semitones(y));
        }
    }
    double corr = NaN, rmse_c = NaN;
    if (!sa.empty()) {
        const double ma = mean(sa), mb = mean(sb);
        double sab = 0, saa = 0, sbb = 0, e = 0;
        for (std::size_t k = 0; k < sa.size(); ++k) {
            const double da = sa[k] - ma, db = sb[k] - mb;
            sab += da * db;
            saa += da * da;
            sbb += db * db;
            e += (da - db) * (da - db);
        }
        if (sa.size() > 10)
            corr = sab / std::sqrt(saa * sbb);
        rmse_c = std::sqrt(e / static_cast<double>(sa.size()));
    }

    // Vowel lengths: each labelled vowel's span on the natural side, and the
    // rendered frames the path maps onto it.
    std::vector<double> stressed_syn, plain_syn, stressed_nat, plain_nat;
    std::vector<double> vowel_syn, vowel_nat;  // every vowel's, in order
    std::ifstream labels(argv[5]);
    std::string line;
    double start = 0.0;
    while (std::getline(labels, line)) {
        std::istringstream fields(line);
        std::string end_text, number, label, extra;
        if (!(fields >> end_text >> number >> label) || (fields >> extra))
            continue;
        const double end = std::stod(end_text);
        const bool stressed = stressed_vowel(label);
        if (stressed || plain_vowel(label)) {
            std::set<std::size_t> frames;
            for (std::size_t k = 0; k < pj.size(); ++k) {
                const double t = frame_time(kb[pj[k]]);
                if (t >= start && t < end)
                    frames.insert(pi[k]);
            }
            if (!frames.empty()) {
                (stressed ? stressed_syn : plain_syn).push_back(static_cast<double>(frames.size()) * FRAME_SECONDS);
                (stressed ? stressed_nat : plain_nat).push_back(end - start);
            }
            vowel_syn.push_back(static_cast<double>(frames.size()) * FRAME_SECONDS);
            vowel_nat.push_back(end - start);
        }
        start = end;
    }
    const auto ratio = [](const std::vector<double>& s, const std::vector<double>& p) {
        return s.empty() || p.empty() ? NaN : mean(s) / mean(p);
    };
    std::printf("%.4f %.4f %.4f %.4f %.4f %.4f %.4f %.4f %.4f", ratio(stressed_syn, plain_syn),
                ratio(stressed_nat, plain_nat), static_cast<double>(a.size()) / static_cast<double>(b.size()),
                corr, rmse_c, jump95(fa), jump95(fb), spread(fa), spread(fb));
    if (argc == 7) {
        // The one-letter words' vowels, where the text's vowel letters are the labelled vowels.
        std::ifstream in(argv[6]);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<TextWord> words;
        std::vector<double> lone_syn, lone_nat;
        if (text_words(text, words) == vowel_syn.size())
            for (const TextWord& w : words)
                if (lone_vowel_word(w) && vowel_syn[w.first_vowel] > 0) {
                    lone_syn.push_back(vowel_syn[w.first_vowel]);
                    lone_nat.push_back(vowel_nat[w.first_vowel]);
                }
        std::printf(" %.4f %.4f", lone_syn.empty() ? NaN : mean(lone_syn), lone_nat.empty() ? NaN : mean(lone_nat));
    }
    std::printf("\n");
    return 0;
}
