// The natural voice: selection, cutting and shaping of corpus units.
#include "corpus_voice.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "common/tables.h"
#include "inventory.h"
#include "resample.h"
#include "shape.h"
#include "voicefile.h"

namespace {

// Vowels and consonant-vowel syllables are brought to this loudness, as the
// sound stage's loudness rules expect of every voice.
constexpr double TARGET_RMS = 1000.0;
// Silence, for the trim: the corpus's pauses stay below 100, its speech peaks
// near 15000; a stop's closure goes, its burst stays.
constexpr int SILENCE_THRESHOLD = 300;
constexpr std::size_t TRIM_MARGIN = VOICE_RATE / 1000;  // 1 ms
constexpr std::size_t FADE_IN = VOICE_RATE / 500;       // 2 ms
constexpr std::size_t FADE_OUT = VOICE_RATE / 200;      // 5 ms
// The shortest unit kept: 10 ms, or it would vanish in the sound stage's joins.
constexpr std::size_t SHORTEST_UNIT = VOICE_RATE / 100;
// Audio either side of a cut given to the resampler, so its filter sees the
// real neighbours rather than a step.
constexpr double RESAMPLE_MARGIN = 0.010;
// How far a cut may move to reach a zero crossing: a fraction of a pitch period.
constexpr double SNAP_RANGE = 0.002;

// Moves a cut to the nearest rising or falling zero crossing within range.
long snap_to_zero(const Sentence& s, long at)
{
    const long range = std::lround(SNAP_RANGE * s.rate);
    const long n = long(s.sample.size());
    for (long d = 0; d <= range; ++d)
        for (const long i : {at - d, at + d})
            if (i > 0 && i < n && (s.sample[std::size_t(i - 1)] < 0) != (s.sample[std::size_t(i)] < 0))
                return i;
    return at;
}

// The unit's samples at the voice's rate.
bool cut(const Sentence& s, const Occurrence& o, bool snap, Recording& r)
{
    long first = std::lround(s.phone[std::size_t(o.first)].start * s.rate);
    long end = std::lround(s.phone[std::size_t(o.last)].end * s.rate);
    if (snap) {
        first = snap_to_zero(s, first);
        end = snap_to_zero(s, end);
    }
    const long n = long(s.sample.size());
    first = std::clamp(first, 0L, n);
    end = std::clamp(end, first, n);
    const long margin = std::lround(RESAMPLE_MARGIN * s.rate);
    const long from = std::max(0L, first - margin);
    const long to = std::min(n, end + margin);
    std::vector<double> in(s.sample.begin() + from, s.sample.begin() + to), out;
    if (!resample(in, s.rate, VOICE_RATE, out))
        return false;
    const double ratio = double(VOICE_RATE) / s.rate;
    const auto a = std::size_t(std::lround(double(first - from) * ratio));
    const auto b = std::min(out.size(), std::size_t(std::lround(double(end - from) * ratio)));
    r.n = 0;
    for (std::size_t i = a; i < b && r.n < MAX_SAMPLES; ++i)
        r.sample[r.n++] = static_cast<std::int16_t>(std::clamp(std::lround(out[i]), -32768L, 32767L));
    return true;
}

bool has_vowel(const Token& t) { return is_vowel(t[0]) || (t[1] != 0 && is_vowel(t[1])); }

std::size_t token_length(const Token& t) { return t[1] == 0 ? 1 : 2; }

}  // namespace

bool unit_occurrences(const Token& t, const std::vector<Sentence>& sentences, std::vector<Occurrence>& found)
{
    found.clear();
    for (int fallback = 0; fallback <= 2 && found.empty(); ++fallback) {
        UnitRule rule;
        if (!unit_rule(t.data(), token_length(t), fallback, rule))
            return false;
        for (std::size_t i = 0; i < sentences.size(); ++i)
            find_occurrences(rule, sentences[i], int(i), found);
    }
    return !found.empty();
}

bool make_corpus_voice(const char* corpus_dir, const char* voice_dir, const CutSettings& settings)
{
    std::vector<Sentence> sentences;
    if (!read_corpus(corpus_dir, sentences) || !make_voice_dir(voice_dir))
        return false;
    Speaker speaker;
    learn_speaker(sentences, speaker);
    TokenList tokens;
    derive_tokens(tokens);

    std::vector<std::unique_ptr<Recording>> cuts(tokens.count);
    std::vector<Occurrence> found;
    for (std::size_t i = 0; i < tokens.count; ++i) {
        const Token& t = tokens.token[i];
        if (!unit_occurrences(t, sentences, found)) {
            std::fprintf(stderr, "voicegen: the corpus has no unit for token %zu\n", i);
            return false;
        }
        cuts[i] = std::make_unique<Recording>();
        Recording& r = *cuts[i];
        // A unit that is all but silent (a label far off) gives way to the next best.
        while (r.n < SHORTEST_UNIT && !found.empty()) {
            const std::size_t c = choose(found, sentences, speaker, settings.selection);
            if (!cut(sentences[std::size_t(found[c].sentence)], found[c], settings.snap, r)) {
                std::fprintf(stderr, "voicegen: resampling failed\n");
                return false;
            }
            trim_silence(r, SILENCE_THRESHOLD, TRIM_MARGIN);
            found.erase(found.begin() + long(c));
        }
        if (r.n < SHORTEST_UNIT) {
            std::fprintf(stderr, "voicegen: every unit of token %zu is silent\n", i);
            return false;
        }
        fade_ends(r, FADE_IN, FADE_OUT);
    }
    // Syllables with a vowel are levelled one by one; the lone consonants
    // share their median gain, so they keep their natural level beside them.
    std::vector<double> gains;
    for (std::size_t i = 0; i < tokens.count; ++i)
        if (has_vowel(tokens.token[i]))
            gains.push_back(level_gain(*cuts[i], TARGET_RMS));
    std::vector<double> sorted = gains;
    std::sort(sorted.begin(), sorted.end());
    const double consonant_gain = sorted.empty() ? 1.0 : sorted[sorted.size() / 2];
    std::size_t voiced = 0;
    for (std::size_t i = 0; i < tokens.count; ++i) {
        const Token& t = tokens.token[i];
        Recording& r = *cuts[i];
        apply_gain(r, has_vowel(t) ? gains[voiced++] : limited_gain(r, consonant_gain));
        if (!write_recording(voice_dir, t, r))
            return false;
    }
    std::printf("voicegen: %zu recordings cut from %zu sentences of %s into %s\n", tokens.count, sentences.size(),
                corpus_dir, voice_dir);
    return true;
}

int corpus_voice_main(int argc, char** argv)
{
    CutSettings settings;
    const char* corpus = nullptr;
    const char* voice = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--corpus" && i + 1 < argc) {
            corpus = argv[++i];
        } else if (a == "--selection" && i + 1 < argc && std::strlen(argv[i + 1]) == 1 && argv[i + 1][0] >= '0' &&
                   argv[i + 1][0] <= '3') {
            settings.selection = static_cast<Selection>(argv[++i][0] - '0');
        } else if (a == "--no-snap") {
            settings.snap = false;
        } else if (voice == nullptr && a[0] != '-') {
            voice = argv[i];
        } else {
            voice = nullptr;
            break;
        }
    }
    if (corpus == nullptr || voice == nullptr) {
        std::fprintf(stderr, "usage:%s", CORPUS_VOICE_USAGE + 6);
        return 2;
    }
    return make_corpus_voice(corpus, voice, settings) ? 0 : 1;
}
