// The natural voice: selection, cutting and shaping of corpus units.
#include "corpus_voice.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "common/tables.h"
#include "equalise.h"
#include "pitch.h"
#include "inventory.h"
#include "resample.h"
#include "shape.h"
#include "voicefile.h"
#include "words.h"
#include "zvuki/intonation.h"
#include "zvuki/takes.h"

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
// The timbre of a unit is drawn towards the typical one, stretch by stretch
// (POSITIONS stretches a phone), by a filter from the cepstral difference. The
// typical sound is half the phone's mean over the corpus, half the mean of the
// same pair of phones wherever the corpus has it. The filters of neighbouring
// stretches are blended over 10 ms. (Measured on the sentences ending in 5,
// kept out of the sources: MCD-DTW median 26.2 dB without, 25.2 with one
// filter per phone, 24.2 with seven, 23.7 with the pair's mean beside the
// phone's.)
constexpr double PAIR_SHARE = 0.5;
constexpr double BLEND = 0.010;

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

// The typical sound of phone j of a unit: the speaker's for that phone and
// the unit's own, half and half.
PhoneStats typical_of(const Speaker& speaker, const Phone& p, const PhoneStats& pair)
{
    const auto it = speaker.phone.find(p.name.data());
    if (it == speaker.phone.end())
        return pair;
    PhoneStats t = it->second;
    for (std::size_t k = 0; k < POSITIONS; ++k)
        for (std::size_t d = 0; d < CEPSTRUM_DIM; ++d)
            t.mean[k][d] = (1 - PAIR_SHARE) * t.mean[k][d] + PAIR_SHARE * pair.mean[k][d];
    return t;
}

// Draws the timbre of the unit's phones in x (the sentence's samples from
// sample `from` on) towards their typical one: each stretch through its own
// filter, the filtered signals blended where the stretches meet.
void shape_timbre(const Sentence& s, const Occurrence& o, long from, const Speaker& speaker,
                  const std::vector<PhoneStats>& pair, std::vector<double>& x)
{
    std::vector<double> bound;  // seconds
    std::vector<int> phone;
    for (int i = o.first; i <= o.last; ++i) {
        const Phone& p = s.phone[std::size_t(i)];
        for (std::size_t q = 0; q < POSITIONS; ++q) {
            bound.push_back(p.start + (p.end - p.start) * double(q) / POSITIONS);
            phone.push_back(i);
        }
    }
    bound.push_back(s.phone[std::size_t(o.last)].end);
    const double blend = BLEND * s.rate;
    const double n = double(x.size());
    std::vector<double> mixed(x.size(), 0.0), weight(x.size(), 0.0);
    Filter h{};
    for (std::size_t part = 0; part < phone.size(); ++part) {
        const Phone& p = s.phone[std::size_t(phone[part])];
        const PhoneStats typical = typical_of(speaker, p, pair[std::size_t(phone[part] - o.first)]);
        Cepstrum difference{};
        part_difference(s, phone[part], bound[part], bound[part + 1], typical, difference);
        design_filter(difference, h);
        // Weight 1 inside the stretch, ramps across its inner ends; the outer
        // ends reach the ends of x. Stretches shorter than the ramps overlap
        // more than two at a time, hence the division by the weights' sum.
        const double a = bound[part] * s.rate - double(from);
        const double b = bound[part + 1] * s.rate - double(from);
        const double lo = part == 0 ? 0.0 : std::clamp(a - blend / 2, 0.0, n);
        const double hi = part + 1 == phone.size() ? n : std::clamp(b + blend / 2 + 1, 0.0, n);
        for (auto k = std::size_t(lo); k < std::size_t(hi); ++k) {
            double w = 1;
            if (part > 0)
                w = std::min(w, std::clamp((double(k) - a) / blend + 0.5, 0.0, 1.0));
            if (part + 1 < phone.size())
                w = std::min(w, std::clamp((b - double(k)) / blend + 0.5, 0.0, 1.0));
            if (w > 0) {
                mixed[k] += w * filtered_at(x, h, k);
                weight[k] += w;
            }
        }
    }
    for (std::size_t k = 0; k < x.size(); ++k)
        x[k] = weight[k] > 0 ? mixed[k] / weight[k] : x[k];
}

// The unit's samples at the voice's rate; pair holds the unit's typical
// sounds when the timbre is to be shaped, else nothing.
bool cut(const Sentence& s, const Occurrence& o, bool snap, const Speaker& speaker,
         const std::vector<PhoneStats>& pair, Recording& r)
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
    if (!pair.empty())
        shape_timbre(s, o, from, speaker, pair, in);
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

// The typical sounds of the pair of phones of a unit, over the occurrences
// found, when the timbre is to be shaped; else nothing.
std::vector<PhoneStats> unit_pair(const std::vector<Occurrence>& found, const std::vector<Sentence>& sentences,
                                  const CutSettings& settings)
{
    std::vector<PhoneStats> pair;
    if (settings.timbre)
        learn_unit(found, sentences, pair);
    return pair;
}

// Chooses, cuts, trims and fades the unit of a token from the occurrences
// found (which it uses up), its vowel's pitch nearest pitch (Hz; 0 the
// speaker's own); false, said, when it cannot. vowel is the length in
// seconds of the chosen unit's last phone, by its labels.
enum class Cut { made, silent, failed };
Cut cut_unit(std::vector<Occurrence>& found, const std::vector<Sentence>& sentences, const Speaker& speaker,
             const CutSettings& settings, const std::vector<PhoneStats>& pair, ScoreCache* cache, double pitch,
             Recording& r, double& vowel)
{
    r.n = 0;
    // A unit that is all but silent (a label far off) gives way to the next best.
    while (r.n < SHORTEST_UNIT && !found.empty()) {
        const std::size_t c = choose(found, sentences, speaker, settings.selection, cache, pitch);
        const Sentence& s = sentences[std::size_t(found[c].sentence)];
        if (!cut(s, found[c], settings.snap, speaker, pair, r)) {
            std::fprintf(stderr, "voicegen: resampling failed\n");
            return Cut::failed;
        }
        const Phone& last = s.phone[std::size_t(found[c].last)];
        vowel = last.end - last.start;
        trim_silence(r, SILENCE_THRESHOLD, TRIM_MARGIN);
        found.erase(found.begin() + long(c));
    }
    if (r.n < SHORTEST_UNIT)
        return Cut::silent;
    fade_ends(r, FADE_IN, FADE_OUT);
    return Cut::made;
}

double recording_pitch(const Recording& r)
{
    std::vector<std::uint32_t> marks;
    pitch_marks(r.sample.data(), r.n, VOICE_RATE, marks);
    return own_pitch(marks.data(), marks.size());
}

// The takes of a recording (of own pitch, in Hz) at other pitches, cut
// from the occurrences it was chosen among: in the speaker's lowest and in
// his highest third of pitches, the best one as the recording was chosen,
// but with its vowel's pitch nearest the middle of that third. A take is
// kept only where its own pitch lies TAKE_APART or more from the
// recording's and the takes' before it.
Cut cut_takes(const std::vector<Occurrence>& found, const std::vector<Sentence>& sentences, const Speaker& speaker,
              const CutSettings& settings, const std::vector<PhoneStats>& pair, ScoreCache& cache, double own,
              std::vector<std::unique_ptr<Recording>>& takes)
{
    takes.clear();
    if (own <= 0 || speaker.third[0] <= 0)
        return Cut::made;
    std::vector<Occurrence> among, band;
    eligible(found, settings.selection, among);
    std::vector<double> kept{own};
    for (std::size_t third = 0; third < 2; ++third) {
        band.clear();
        for (const Occurrence& o : among) {
            const double f0 = occurrence_pitch(o, sentences, speaker, settings.selection, cache);
            if (f0 > 0 && (third == 0 ? f0 <= speaker.third[0] : f0 >= speaker.third[1]))
                band.push_back(o);
        }
        if (band.empty())
            continue;
        auto r = std::make_unique<Recording>();
        double vowel = 0;
        const Cut made =
            cut_unit(band, sentences, speaker, settings, pair, &cache, speaker.third_middle[third], *r, vowel);
        if (made == Cut::failed)
            return made;
        const double pitch = made == Cut::made ? recording_pitch(*r) : 0;
        const bool apart = pitch > 0 && std::all_of(kept.begin(), kept.end(), [&](double p) {
            return std::fabs(12 * std::log2(pitch / p)) >= TAKE_APART;
        });
        if (apart) {
            kept.push_back(pitch);
            takes.push_back(std::move(r));
        }
    }
    return Cut::made;
}

// The pitch marks of a recording under its file name.
void mark(const char* name, const Recording& r, std::vector<MarkedName>& marked)
{
    marked.push_back({name, {}});
    pitch_marks(r.sample.data(), r.n, VOICE_RATE, marked.back().marks);
}

// The labels give lengths in steps of 10 ms, too coarse for a median of a
// few hundred short vowels: their mean.
double mean_of(const std::vector<double>& v)
{
    double sum = 0;
    for (const double x : v)
        sum += x;
    return v.empty() ? 0 : sum / double(v.size());
}

}  // namespace

bool split_by_stress(const std::vector<Occurrence>& found, std::vector<Occurrence>& stressed,
                     std::vector<Occurrence>& unstressed)
{
    stressed.clear();
    unstressed.clear();
    for (const Occurrence& o : found)
        (o.tier == 0 ? stressed : unstressed).push_back(o);
    return !stressed.empty() && !unstressed.empty();
}

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

double phrase_pause(const std::vector<Sentence>& sentences)
{
    std::vector<double> pauses;
    for (const Sentence& s : sentences)
        for (std::size_t i = 1; i + 1 < s.phone.size(); ++i)
            if (phone_is(s.phone[i], "pau"))
                pauses.push_back(s.phone[i].end - s.phone[i].start);
    if (pauses.empty())
        return 0;
    std::sort(pauses.begin(), pauses.end());
    return pauses[pauses.size() / 2];
}

double lone_vowel_length(const std::vector<Sentence>& sentences, std::size_t& words)
{
    std::vector<double> lengths;
    std::vector<TextWord> text;
    std::vector<const Phone*> vowel;
    for (const Sentence& s : sentences) {
        vowel.clear();
        for (const Phone& p : s.phone)
            if (is_vowel_phone(p))
                vowel.push_back(&p);
        if (text_words(s.text, text) != vowel.size())
            continue;
        for (const TextWord& w : text)
            if (lone_vowel_word(w))
                lengths.push_back(vowel[w.first_vowel]->end - vowel[w.first_vowel]->start);
    }
    words = lengths.size();
    if (lengths.empty())
        return 0;
    std::sort(lengths.begin(), lengths.end());
    return lengths[lengths.size() / 2];
}

StressTiming stress_timing(const std::vector<Sentence>& sentences)
{
    std::vector<double> stressed, unstressed;
    for (const Sentence& s : sentences)
        for (const Phone& p : s.phone) {
            const char* n = p.name.data();
            if (std::strchr("aoeiuy", n[0]) == nullptr || n[0] == '\0')
                continue;
            if (n[1] == '\0')
                unstressed.push_back(p.end - p.start);
            else if (n[1] == n[0] && n[2] == '\0')
                stressed.push_back(p.end - p.start);
        }
    StressTiming t;
    if (stressed.empty() || unstressed.empty())
        return t;
    const auto median = [](std::vector<double>& v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double u = median(unstressed);
    if (u <= 0)
        return t;
    t.ratio = median(stressed) / u;
    t.share = double(stressed.size()) / double(stressed.size() + unstressed.size());
    return t;
}

void stress_lengths(const StressTiming& t, int& stressed, int& unstressed)
{
    const double r = std::pow(std::max(t.ratio, 1e-3), STRESS_ADDED);
    const double u = 1 / (t.share * r + 1 - t.share);
    stressed = int(std::lround(100 * r * u));
    unstressed = int(std::lround(100 * u));
}

void variant_stress_lengths(const StressTiming& t, const UnitVowels& units, int& stressed, int& unstressed)
{
    if (units.plain <= 0 || units.stressed <= 0 || units.unstressed <= 0)
        return stress_lengths(t, stressed, unstressed);
    const double ratio = std::pow(std::max(t.ratio, 1e-3), STRESS_ADDED);
    const double u = units.plain / (units.unstressed * (t.share * ratio + 1 - t.share));
    const double s = ratio * u * units.unstressed / units.stressed;
    // The bounds the sound stage reads the two keys within.
    const auto percent = [](double f) { return int(std::clamp(std::lround(100 * f), 50L, 200L)); };
    stressed = percent(s);
    unstressed = percent(u);
}

bool make_corpus_voice(const char* corpus_dir, const char* voice_dir, const CutSettings& settings)
{
    TokenList tokens;
    derive_tokens(tokens);
    return cut_corpus_voice(corpus_dir, voice_dir, settings, tokens);
}

bool cut_corpus_voice(const char* corpus_dir, const char* voice_dir, const CutSettings& settings,
                      const TokenList& tokens)
{
    std::vector<Sentence> sentences;
    if (!read_corpus(corpus_dir, sentences, settings.kept_out) || !make_voice_dir(voice_dir))
        return false;
    Speaker speaker;
    learn_speaker(sentences, speaker);

    std::vector<std::unique_ptr<Recording>> cuts(tokens.count);
    // The variants: a token, its suffix, the recording, its vowel's length.
    struct Variant {
        std::size_t token;
        char suffix;
        std::unique_ptr<Recording> cut;
        double vowel;
    };
    std::vector<Variant> variants;
    // The takes at other pitches: a token, the suffix of the recording they
    // are of ('\0' the plain one), the recordings.
    struct Takes {
        std::size_t token;
        char suffix;
        std::vector<std::unique_ptr<Recording>> cut;
    };
    std::vector<Takes> takes;
    std::vector<Occurrence> found, part[2], all;
    // Only the intonation chooses among takes.
    const bool with_takes = settings.takes && settings.intonation;
    std::vector<double> plain_vowel;  // of the tokens with variants
    for (std::size_t i = 0; i < tokens.count; ++i) {
        const Token& t = tokens.token[i];
        if (!unit_occurrences(t, sentences, found)) {
            std::fprintf(stderr, "voicegen: the corpus has no unit for token %zu\n", i);
            return false;
        }
        // Where the corpus has the syllable both stressed and unstressed, it
        // is cut once from each kind of place too.
        const bool split = settings.variants && has_vowel(t) && split_by_stress(found, part[0], part[1]);
        // The recordings the everyday reading speaks get their takes.
        const bool plain_takes = with_takes && has_vowel(t) && !split;
        cuts[i] = std::make_unique<Recording>();
        double vowel = 0;
        ScoreCache cache;
        all = found;
        std::vector<PhoneStats> pair = unit_pair(found, sentences, settings);
        Cut made = cut_unit(found, sentences, speaker, settings, pair, plain_takes ? &cache : nullptr, 0, *cuts[i],
                            vowel);
        if (plain_takes && made == Cut::made) {
            takes.push_back({i, '\0', {}});
            made = cut_takes(all, sentences, speaker, settings, pair, cache, recording_pitch(*cuts[i]),
                             takes.back().cut);
        }
        if (split)
            plain_vowel.push_back(vowel);
        for (int k = 0; split && k < 2 && made == Cut::made; ++k) {
            const char suffix = k == 0 ? STRESSED_SUFFIX : UNSTRESSED_SUFFIX;
            variants.push_back({i, suffix, std::make_unique<Recording>(), 0});
            cache.clear();
            all = part[k];
            pair = unit_pair(part[k], sentences, settings);
            made = cut_unit(part[k], sentences, speaker, settings, pair, &cache, 0, *variants.back().cut,
                            variants.back().vowel);
            if (with_takes && made == Cut::made) {
                takes.push_back({i, suffix, {}});
                made = cut_takes(all, sentences, speaker, settings, pair, cache,
                                 recording_pitch(*variants.back().cut), takes.back().cut);
            }
        }
        if (made == Cut::failed)
            return false;
        if (made == Cut::silent) {
            std::fprintf(stderr, "voicegen: every unit of token %zu is silent\n", i);
            return false;
        }
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
    std::vector<MarkedName> marked;
    std::size_t take_count = 0;
    for (std::size_t i = 0; i < tokens.count; ++i) {
        const Token& t = tokens.token[i];
        const char* letters = reinterpret_cast<const char*>(t.data());
        Recording& r = *cuts[i];
        apply_gain(r, has_vowel(t) ? gains[voiced++] : limited_gain(r, consonant_gain));
        if (!write_recording(voice_dir, t, r))
            return false;
        std::array<char, RECORDING_NAME_BYTES> name{};
        if (recording_file_name(letters, token_length(t), name))
            mark(name.data(), r, marked);
        // A variant or a take left from an earlier voice in the directory goes.
        for (const char suffix : {'\0', STRESSED_SUFFIX, UNSTRESSED_SUFFIX}) {
            const bool made = suffix == '\0' || std::any_of(variants.begin(), variants.end(), [&](const Variant& v) {
                                  return v.token == i && v.suffix == suffix;
                              });
            const bool named = suffix == '\0' ? recording_file_name(letters, token_length(t), name)
                                               : variant_file_name(letters, token_length(t), suffix, name);
            if (!named)
                continue;
            if (!made && !remove_voice_file(voice_dir, name.data()))
                return false;
            const auto own = std::find_if(takes.begin(), takes.end(),
                                          [&](const Takes& k) { return k.token == i && k.suffix == suffix; });
            const std::size_t count = own == takes.end() ? 0 : own->cut.size();
            for (int k = 1; k <= TAKES_MOST; ++k) {
                std::array<char, RECORDING_NAME_BYTES> take{};
                if (!take_file_name(name.data(), k, take))
                    break;
                if (std::size_t(k) > count) {
                    if (!remove_voice_file(voice_dir, take.data()))
                        return false;
                    continue;
                }
                Recording& c = *own->cut[std::size_t(k - 1)];
                apply_gain(c, level_gain(c, TARGET_RMS));
                if (!write_recording_named(voice_dir, take.data(), c))
                    return false;
                mark(take.data(), c, marked);
                ++take_count;
            }
        }
    }
    std::vector<double> unit_vowel[2];
    for (const Variant& v : variants) {
        const Token& t = tokens.token[v.token];
        Recording& r = *v.cut;
        apply_gain(r, level_gain(r, TARGET_RMS));
        std::array<char, RECORDING_NAME_BYTES> name{};
        if (!variant_file_name(reinterpret_cast<const char*>(t.data()), token_length(t), v.suffix, name) ||
            !write_recording_named(voice_dir, name.data(), r))
            return false;
        mark(name.data(), r, marked);
        unit_vowel[v.suffix == STRESSED_SUFFIX ? 0 : 1].push_back(v.vowel);
    }
    if (!write_pitch_marks(voice_dir, marked))
        return false;
    const std::string table = std::string(voice_dir) + "/" + INTONATION_FILE;
    if (settings.intonation) {
        IntonationTable intonation;
        if (!learn_intonation(sentences, std::string(corpus_dir) + "/etc/txt.done.data", intonation))
            return false;
        std::printf("voicegen: the intonation learned from %zu sentences; %zu questions with a question word, %zu"
                    " without\n",
                    intonation.sentences, intonation.questions[0], intonation.questions[1]);
        intonation.scale = std::lround(INTONATION_SCALE * 100);
        intonation.shape = std::lround(INTONATION_SHAPE * 100);
        if (!write_intonation(voice_dir, intonation))
            return false;
    } else if (std::remove(table.c_str()) != 0 && errno != ENOENT) {
        std::fprintf(stderr, "voicegen: cannot remove %s\n", table.c_str());
        return false;
    }
    const auto samples = [](double seconds) { return int(std::lround(seconds * VOICE_RATE)); };
    Rhythm rhythm{samples(RHYTHM_CROSSFADE), samples(RHYTHM_CLOSURE), samples(phrase_pause(sentences)),
                  int(std::lround(RHYTHM_STRETCH * 100))};
    std::size_t lone_words = 0;
    rhythm.lone_vowel = samples(lone_vowel_length(sentences, lone_words));
    StressTiming timing = stress_timing(sentences);
    stress_lengths(timing, rhythm.stressed, rhythm.unstressed);
    if (!variants.empty())
        variant_stress_lengths(timing, {mean_of(plain_vowel), mean_of(unit_vowel[0]), mean_of(unit_vowel[1])},
                               rhythm.stressed, rhythm.unstressed);
    if (!write_rhythm(voice_dir, rhythm))
        return false;
    std::printf("voicegen: %zu recordings, %zu stressed or unstressed variants and %zu takes at other pitches cut from "
                "%zu sentences of %s into %s; one-letter words %.0f ms (%zu)\n",
                tokens.count, variants.size(), take_count, sentences.size(), corpus_dir, voice_dir,
                1000.0 * rhythm.lone_vowel / VOICE_RATE, lone_words);
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
        } else if (a == "--intonation") {
            settings.intonation = true;
        } else if (a == "--no-variants") {
            settings.variants = false;
        } else if (a == "--no-takes") {
            settings.takes = false;
        } else if (a == "--no-timbre") {
            settings.timbre = false;
        } else if (a == "--keep-out" && i + 1 < argc && std::strlen(argv[i + 1]) == 1 && argv[i + 1][0] >= '1' &&
                   argv[i + 1][0] <= '9') {
            settings.kept_out = argv[++i][0] - '0';
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
