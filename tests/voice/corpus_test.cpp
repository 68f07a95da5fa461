// The natural voice's source: the corpus reader, the cutting rules, the
// resampler and the selection, on a tiny corpus written by the tests; and,
// where the real corpus is installed, a unit for every token of the inventory.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "corpus.h"
#include "corpus_voice.h"
#include "words.h"
#include "equalise.h"
#include "harness.h"
#include "inventory.h"
#include "resample.h"
#include "select.h"
#include "pitch.h"
#include "units.h"
#include "voicefile.h"
#include "zvuki/intonation.h"
#include "zvuki/join.h"
#include "zvuki/takes.h"

namespace {

using harness::cp1251;

std::string le16(int v)
{
    const auto u = static_cast<std::uint16_t>(v);
    return std::string{static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
}
std::string le32(std::uint32_t v) { return le16(int(v & 0xFFFF)) + le16(int(v >> 16)); }

// A RIFF WAVE file: channels, bits and the samples' bytes as given.
std::string wav(const std::vector<int>& samples, int channels = 1, int bits = 16, int rate = 16000)
{
    std::string data;
    for (int s : samples)
        data += le16(s);
    const int block = channels * bits / 8;
    return "RIFF" + le32(std::uint32_t(36 + data.size())) + "WAVE" + "fmt " + le32(16) + le16(1) + le16(channels) +
           le32(std::uint32_t(rate)) + le32(std::uint32_t(rate * block)) + le16(block) + le16(bits) + "data" +
           le32(std::uint32_t(data.size())) + data;
}

// A vowel-like tone: amplitude and period (in samples) for n samples.
std::vector<int> tone(std::size_t n, int amplitude, double period)
{
    std::vector<int> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = int(amplitude * std::sin(2 * M_PI * double(i) / period));
    return x;
}

// The tiny corpus: sentence 1 "ма" (pause, m, aa, pause), sentence 2 the
// same, sentence 10 held out (its files are broken on purpose: reading them
// would fail the corpus).
struct TinyCorpus {
    harness::TempDir dir;
    TinyCorpus()
    {
        std::filesystem::create_directories(dir.file("etc"));
        std::filesystem::create_directories(dir.file("lab"));
        std::filesystem::create_directories(dir.file("wav"));
        dir.write("etc/txt.done.data",
                  "( ru_0001 \"Ма.\" )\n( ru_0002 \"Ма.\" )\n( ru_0010 \"Ма.\" )\n");
        const std::string lab = "#\n0.10000 125 pau\n0.20000 125 m\n0.40000 125 aa\n0.50000 125 pau\n";
        dir.write("lab/ru_0001.lab", lab);
        dir.write("lab/ru_0002.lab", lab);
        dir.write("lab/ru_0010.lab", "broken");
        dir.write("wav/ru_0001.wav", wav(tone(8000, 3000, 80)));
        dir.write("wav/ru_0002.wav", wav(tone(8000, 3000, 100)));
    }
};

TEST(CorpusReader, ReadsSentencesLabelsAndAudioAndSkipsHeldOutOnes)
{
    TinyCorpus c;
    std::vector<Sentence> s;
    ASSERT_TRUE(read_corpus(c.dir.path(), s));
    ASSERT_EQ(s.size(), 2u);  // ru_0010 is never read
    EXPECT_EQ(s[0].number, 1);
    EXPECT_EQ(s[1].number, 2);
    EXPECT_EQ(s[0].rate, 16000);
    EXPECT_EQ(s[0].sample.size(), 8000u);
    ASSERT_EQ(s[0].phone.size(), 4u);
    EXPECT_TRUE(phone_is(s[0].phone[1], "m"));
    EXPECT_DOUBLE_EQ(s[0].phone[1].start, 0.1);
    EXPECT_DOUBLE_EQ(s[0].phone[1].end, 0.2);
    EXPECT_DOUBLE_EQ(s[0].phone[0].start, 0.0);
    EXPECT_TRUE(held_out(10));
    EXPECT_TRUE(held_out(630));
    EXPECT_FALSE(held_out(1));
    EXPECT_FALSE(held_out(101));
    // Sentences ending in a digit kept out for tuning are no source either.
    ASSERT_TRUE(read_corpus(c.dir.path(), s, 2));
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].number, 1);

    // A sentence the list names but whose files are missing fails the corpus.
    c.dir.write("etc/txt.done.data", "( ru_0001 \"Ма.\" )\n( ru_0003 \"Ма.\" )\n");
    EXPECT_FALSE(read_corpus(c.dir.path(), s));
    // A list that names no sentence is no corpus.
    c.dir.write("etc/txt.done.data", "nothing here\n");
    EXPECT_FALSE(read_corpus(c.dir.path(), s));
}

TEST(CorpusReader, RefusesMalformedLabelsAndAudio)
{
    harness::TempDir d;
    std::vector<Phone> phones;
    const std::vector<std::pair<const char*, const char*>> bad = {
        {"no header", "0.1 125 pau\n"},
        {"missing name", "#\n0.1 125\n"},
        {"extra field", "#\n0.1 125 pau x\n"},
        {"name too long", "#\n0.1 125 abcd\n"},
        {"time going back", "#\n0.2 125 pau\n0.1 125 a\n"},
        {"no phones", "#\n"},
    };
    for (const auto& [what, text] : bad) {
        d.write("x.lab", text);
        EXPECT_FALSE(read_labels(d.file("x.lab"), phones)) << what;
    }
    d.write("x.lab", "#\r\n0.1 125 pau\r\n\r\n0.3 125 sch\r\n");
    ASSERT_TRUE(read_labels(d.file("x.lab"), phones));
    ASSERT_EQ(phones.size(), 2u);
    EXPECT_TRUE(phone_is(phones[1], "sch"));

    std::vector<std::int16_t> x;
    int rate = 0;
    d.write("a.wav", wav({1, 2}, 2));
    EXPECT_FALSE(read_wav(d.file("a.wav"), x, rate)) << "stereo";
    d.write("a.wav", wav({1, 2}, 1, 8));
    EXPECT_FALSE(read_wav(d.file("a.wav"), x, rate)) << "8-bit";
    d.write("a.wav", "RIFF");
    EXPECT_FALSE(read_wav(d.file("a.wav"), x, rate)) << "cut short";
    EXPECT_FALSE(read_wav(d.file("none.wav"), x, rate)) << "missing";
    // A data chunk whose size runs past the end keeps the whole samples there.
    std::string cut = wav({7, -7, 300});
    cut.resize(cut.size() - 1);
    d.write("a.wav", cut);
    ASSERT_TRUE(read_wav(d.file("a.wav"), x, rate));
    EXPECT_EQ(x, (std::vector<std::int16_t>{7, -7}));
}

// The phones a token is cut from.
std::string rule_of(const char* token, int fallback = 0)
{
    const std::string t = cp1251(token);
    UnitRule r;
    if (!unit_rule(reinterpret_cast<const unsigned char*>(t.data()), t.size(), fallback, r))
        return "none";
    std::string s = r.kind == UnitKind::ConsonantVowel ? "CV "
                    : r.kind == UnitKind::Vowel        ? "V "
                    : r.kind == UnitKind::IotatedVowel ? "jV "
                                                       : "C ";
    s += r.consonant.data();
    for (std::size_t i = 0; i < r.vowels; ++i)
        s += std::string(i == 0 ? " " : ",") + r.vowel[i].data();
    return s;
}

TEST(CuttingRules, HardOrSoftConsonantAsTheVowelLetterAsks)
{
    EXPECT_EQ(rule_of("ма"), "CV m aa,a,ae,ay");
    EXPECT_EQ(rule_of("мя"), "CV mm aa,a,ay");
    EXPECT_EQ(rule_of("мо"), "CV m oo,a,ae");
    EXPECT_EQ(rule_of("мё"), "CV mm oo");
    EXPECT_EQ(rule_of("ти"), "CV tt ii,i");
    EXPECT_EQ(rule_of("ты"), "CV t yy,y");
    // Always hard, and "и" after them spoken as "ы"; always soft; "й".
    EXPECT_EQ(rule_of("жи"), "CV zh yy,y,ii,i");
    EXPECT_EQ(rule_of("ши"), "CV sh yy,y,ii,i");
    EXPECT_EQ(rule_of("ци"), "CV c yy,y,ii,i");
    EXPECT_EQ(rule_of("чи"), "CV ch ii,i");
    EXPECT_EQ(rule_of("ща"), "CV sch aa,a,ae,ay");
    EXPECT_EQ(rule_of("йо"), "CV j oo,a,ae");
    // Lone vowels; "я е ё ю" with their glide.
    EXPECT_EQ(rule_of("а"), "V  aa,a,ae,ay");
    EXPECT_EQ(rule_of("и"), "V  ii,i");
    EXPECT_EQ(rule_of("я"), "jV j aa,a,ay");
    EXPECT_EQ(rule_of("е"), "jV j ee,e,i,ay");
    // Lone and softened consonants, the lone soft sign.
    EXPECT_EQ(rule_of("м"), "C m");
    EXPECT_EQ(rule_of("мь"), "C mm");
    EXPECT_EQ(rule_of("жь"), "C zh");
    EXPECT_EQ(rule_of("ь"), "C j");
    // Fallbacks: the sister vowel letter, then the other softness.
    EXPECT_EQ(rule_of("йы", 1), "CV j ii,i");
    EXPECT_EQ(rule_of("ты", 2), "CV tt ii,i");
    // Nothing the corpus could give.
    for (const char* t : {"ъ", "мм", "аа", "йь", "мак", "#"})
        EXPECT_EQ(rule_of(t), "none") << t;
}

TEST(CuttingRules, OccurrencesCarryTheirNeighboursAndVowelTier)
{
    Sentence s;
    for (const char* p : {"pau", "m", "aa", "m", "a", "k", "pau", "aa", "m", "pau"}) {
        Phone ph;
        std::snprintf(ph.name.data(), PHONE_NAME_BYTES, "%s", p);
        s.phone.push_back(ph);
    }
    auto find = [&](const char* token) {
        const std::string t = cp1251(token);
        UnitRule r;
        EXPECT_TRUE(unit_rule(reinterpret_cast<const unsigned char*>(t.data()), t.size(), 0, r));
        std::vector<Occurrence> out;
        find_occurrences(r, s, 3, out);
        std::string got;
        for (const Occurrence& o : out)
            got += std::to_string(o.first) + "-" + std::to_string(o.last) + (o.context ? "+" : "") +
                   "t" + std::to_string(o.tier) + " ";
        for (const Occurrence& o : out)
            EXPECT_EQ(o.sentence, 3);
        return got;
    };
    EXPECT_EQ(find("ма"), "1-2+t0 3-4+t1 ");
    // A lone vowel wants a pause or a vowel before it.
    EXPECT_EQ(find("а"), "2-2t0 4-4t1 7-7+t0 ");
    // A lone consonant wants a consonant or a pause after it.
    EXPECT_EQ(find("м"), "1-1t0 3-3t0 8-8+t0 ");
    EXPECT_EQ(find("к"), "5-5+t0 ");
    EXPECT_EQ(find("мя"), "");
}

TEST(Resampler, KeepsTimingAndLevel)
{
    // A 500 Hz tone stays a 500 Hz tone of the same level, aligned in time.
    std::vector<double> in(1600), out;
    for (std::size_t i = 0; i < in.size(); ++i)
        in[i] = 1000 * std::sin(2 * M_PI * 500 * double(i) / 16000);
    ASSERT_TRUE(resample(in, 16000, 22050, out));
    ASSERT_EQ(out.size(), 2205u);
    double worst = 0;
    for (std::size_t i = 200; i < 2000; ++i)
        worst = std::max(worst, std::fabs(out[i] - 1000 * std::sin(2 * M_PI * 500 * double(i) / 22050)));
    EXPECT_LT(worst, 5.0);
    ASSERT_TRUE(resample({}, 16000, 22050, out));
    EXPECT_TRUE(out.empty());
}

// A sentence of "ма" at 16 kHz: pause, "m", the vowel, pause; no samples yet.
void label_ma(Sentence& s, const char* vowel)
{
    for (auto [name, end] : {std::pair{"pau", 0.1}, {"m", 0.2}, {vowel, 0.4}, {"pau", 0.5}}) {
        Phone p;
        std::snprintf(p.name.data(), PHONE_NAME_BYTES, "%s", name);
        p.start = s.phone.empty() ? 0 : s.phone.back().end;
        p.end = end;
        s.phone.push_back(p);
    }
    s.rate = 16000;
}

TEST(Selection, PrefersStressAndTheSpeakersTypicalSound)
{
    // Three sentences of "ма": two alike, one in a far-off timbre, and a
    // fourth with a reduced vowel that comes first.
    std::vector<Sentence> s(4);
    const double periods[] = {40, 80, 82, 81};
    for (std::size_t k = 0; k < s.size(); ++k) {
        label_ma(s[k], k == 0 ? "a" : "aa");
        for (int v : tone(8000, k == 1 ? 9000 : 3000, periods[k]))
            s[k].sample.push_back(std::int16_t(v));
    }
    // A far-off timbre: clipped hard into a square wave.
    for (auto& v : s[1].sample)
        v = v > 0 ? 9000 : -9000;
    Speaker speaker;
    learn_speaker(s, speaker);
    EXPECT_GT(speaker.pitch, 190);
    EXPECT_LT(speaker.pitch, 210);
    const std::string ma = cp1251("ма");
    Token t{};
    std::copy(ma.begin(), ma.end(), t.begin());
    std::vector<Occurrence> found;
    ASSERT_TRUE(unit_occurrences(t, s, found));
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[choose(found, s, speaker, Selection::First)].sentence, 0);
    EXPECT_EQ(found[choose(found, s, speaker, Selection::Stress)].sentence, 1);
    const int typical = found[choose(found, s, speaker, Selection::Spectrum)].sentence;
    EXPECT_TRUE(typical == 2 || typical == 3) << typical;
    const int near = found[choose(found, s, speaker, Selection::Prosody)].sentence;
    EXPECT_TRUE(near == 2 || near == 3) << near;
}

// The mean cepstrum of a signal's frames, away from its ends.
Cepstrum mean_cepstrum(const std::vector<double>& x)
{
    std::vector<Cepstrum> c;
    std::vector<double> energy;
    signal_cepstra(x, c, energy);
    Cepstrum m{};
    const std::size_t skip = 4;
    for (std::size_t f = skip; f + skip < c.size(); ++f)
        for (std::size_t d = 0; d < CEPSTRUM_DIM; ++d)
            m[d] += c[f][d] / double(c.size() - 2 * skip);
    return m;
}

TEST(Timbre, TheFilterMovesTheCepstrumByTheDifference)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-3000, 3000);
    std::vector<double> x(16000);
    for (double& v : x)
        v = noise(random);
    // No difference: the filter is an impulse.
    std::vector<double> y = x;
    equalise(y, Cepstrum{});
    double worst = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
        worst = std::max(worst, std::fabs(y[i] - x[i]));
    EXPECT_LT(worst, 1e-6);
    // A brighter, then a darker timbre with a bump in the middle: the
    // cepstrum moves by the difference, within the filter's smoothing.
    for (const double sign : {1.0, -1.0}) {
        Cepstrum want{};
        want[0] = 0.4 * sign;
        want[2] = -0.25 * sign;
        want[5] = 0.15 * sign;
        y = x;
        equalise(y, want);
        const Cepstrum before = mean_cepstrum(x), after = mean_cepstrum(y);
        for (std::size_t d = 0; d < CEPSTRUM_DIM; ++d)
            EXPECT_NEAR(after[d] - before[d], want[d], 0.05) << "c" << d + 1;
    }
}

TEST(Timbre, DifferenceFromThePairsTypicalSound)
{
    // "ма" twice, in two steady timbres: every harmonic of 200 Hz below 8 kHz
    // falling as 1/h, then as 1/h².
    std::vector<Sentence> s(2);
    for (std::size_t k = 0; k < s.size(); ++k) {
        label_ma(s[k], "aa");
        for (std::size_t i = 0; i < 8000; ++i) {
            double v = 0;
            for (int h = 1; h < 40; ++h)
                v += std::sin(2 * M_PI * h * double(i) / 80) / std::pow(h, double(k + 1));
            s[k].sample.push_back(std::int16_t(3000 * v));
        }
    }
    const std::string ma = cp1251("ма");
    Token t{};
    std::copy(ma.begin(), ma.end(), t.begin());
    std::vector<Occurrence> found;
    ASSERT_TRUE(unit_occurrences(t, s, found));
    ASSERT_EQ(found.size(), 2u);
    std::vector<PhoneStats> pair;
    learn_unit(found, s, pair);
    ASSERT_EQ(pair.size(), 2u);  // the consonant and the vowel
    // Measured against the typical sound of both, each vowel lies half the
    // way from its own sound to the other's, the two differences opposite.
    Cepstrum d0{}, d1{};
    part_difference(s[0], 2, 0.2, 0.4, pair[1], d0);
    part_difference(s[1], 2, 0.2, 0.4, pair[1], d1);
    const double apart = cepstral_distance(d0, Cepstrum{}) + cepstral_distance(d1, Cepstrum{});
    EXPECT_GT(apart, 0.5);
    Cepstrum sum{};
    for (std::size_t d = 0; d < CEPSTRUM_DIM; ++d)
        sum[d] = d0[d] + d1[d];
    EXPECT_LT(cepstral_distance(sum, Cepstrum{}), 0.05 * apart);
    Cepstrum c0{}, c1{};
    cepstrum_at(s[0], 0.3, c0);
    cepstrum_at(s[1], 0.3, c1);
    double towards = 0;
    for (std::size_t d = 0; d < CEPSTRUM_DIM; ++d)
        towards += d0[d] * (c1[d] - c0[d]);
    EXPECT_GT(towards, 0);  // from the first timbre towards the second
    // Against its own occurrence alone, a steady vowel differs by nothing.
    found.resize(1);
    learn_unit(found, s, pair);
    part_difference(s[found[0].sentence], 2, 0.2, 0.4, pair[1], d0);
    EXPECT_LT(cepstral_distance(d0, Cepstrum{}), 0.05 * apart);
}

// The rhythm beside the recordings: the speaker's phrase pause is the median
// of the pauses inside sentences; those that open or close one do not count.
// A sentence of the phones given, one after another, and its text.
Sentence labelled(std::vector<std::pair<const char*, double>> phones, const char* text = "")
{
    Sentence s;
    s.text = text;
    double at = 0;
    for (const auto& [name, length] : phones) {
        Phone p;
        std::strncpy(p.name.data(), name, PHONE_NAME_BYTES - 1);
        p.start = at;
        p.end = at += length;
        s.phone.push_back(p);
    }
    return s;
}

TEST(Rhythm, PhrasePauseIsTheMedianPauseInsideSentences)
{
    const auto sentence = [](std::vector<std::pair<const char*, double>> phones) { return labelled(phones); };
    EXPECT_EQ(phrase_pause({}), 0.0);
    EXPECT_EQ(phrase_pause({sentence({{"pau", 0.5}, {"a", 0.1}, {"pau", 0.9}})}), 0.0);
    const std::vector<Sentence> corpus = {
        sentence({{"pau", 2.0}, {"m", 0.1}, {"pau", 0.2}, {"aa", 0.1}, {"pau", 0.4}, {"a", 0.1}, {"pau", 2.0}}),
        sentence({{"m", 0.1}, {"pau", 0.3}, {"a", 0.1}}),
    };
    EXPECT_NEAR(phrase_pause(corpus), 0.3, 1e-9);

    // Stress: "aa" stressed, "a" not; consonants and pauses do not count.
    EXPECT_EQ(stress_timing({}).ratio, 1.0);
    EXPECT_EQ(stress_timing({sentence({{"a", 0.1}, {"m", 0.3}})}).share, 0.0);
    const StressTiming t = stress_timing({sentence({{"pau", 1.0}, {"aa", 0.15}, {"m", 0.05}, {"a", 0.05}, {"oo", 0.15}, {"o", 0.1}}),
                                          sentence({{"ii", 0.2}, {"i", 0.1}, {"y", 0.1}})});
    EXPECT_NEAR(t.ratio, 1.5, 1e-9);
    EXPECT_NEAR(t.share, 3.0 / 7, 1e-9);
    int stressed = 0, unstressed = 0;
    stress_lengths({1.44, 0.5}, stressed, unstressed);
    EXPECT_EQ(stressed, 109);    // 1.2 / 1.1
    EXPECT_EQ(unstressed, 91);   // a phrase of one stressed and one unstressed keeps its length
    stress_lengths({}, stressed, unstressed);
    EXPECT_EQ(stressed, 100);
    EXPECT_EQ(unstressed, 100);

    harness::TempDir dir;
    ASSERT_TRUE(write_rhythm(dir.path().c_str(), Rhythm{221, 1103, 6615, 125, 130, 88}));
    Rhythm r;
    ASSERT_TRUE(read_rhythm(dir.file("prosody.txt").c_str(), r));
    EXPECT_EQ(r.crossfade, 221);
    EXPECT_EQ(r.closure, 1103);
    EXPECT_EQ(r.pause, 6615);
    EXPECT_EQ(r.stretch, 125);
    EXPECT_EQ(r.stressed, 130);
    EXPECT_EQ(r.unstressed, 88);
    EXPECT_FALSE(write_rhythm(dir.file("missing/dir").c_str(), Rhythm{1, 1, 1, 100, 100, 100}));
}


// The words of a sentence against its labelled vowels: the n-th vowel letter
// is the n-th vowel; a one-letter word's length is its vowel's, and a
// sentence whose letters and labels disagree in number is passed over.
TEST(Rhythm, OneLetterWordsFromTheirVowels)
{
    std::vector<TextWord> w;
    EXPECT_EQ(text_words("И т+от, - кто? А-а Ёж и Ю.", w), 8u);
    ASSERT_EQ(w.size(), 8u);
    EXPECT_TRUE(lone_vowel_word(w[0]));
    EXPECT_EQ(w[1].letters, U"тот");
    EXPECT_EQ(w[1].after, U',');
    EXPECT_EQ(w[2].first_vowel, 2u);
    EXPECT_EQ(w[2].after, U'?');
    EXPECT_TRUE(lone_vowel_word(w[3]));
    EXPECT_EQ(w[3].after, U'-');
    EXPECT_EQ(w[5].letters, U"ёж");
    EXPECT_TRUE(lone_vowel_word(w[6]));
    EXPECT_FALSE(lone_vowel_word(w[7]));  // "ю" is no word of its own
    EXPECT_EQ(w[7].first_vowel, 7u);

    const auto sentence = [](const char* text, std::vector<std::pair<const char*, double>> phones) {
        return labelled(phones, text);
    };
    std::size_t words = 0;
    EXPECT_EQ(lone_vowel_length({}, words), 0.0);
    const std::vector<Sentence> corpus = {
        sentence("Мы и он.", {{"pau", 0.2}, {"m", 0.1}, {"yy", 0.1}, {"i", 0.12}, {"oo", 0.1}, {"n", 0.1}}),
        sentence("А у нас", {{"a", 0.08}, {"uu", 0.2}, {"n", 0.05}, {"a", 0.1}, {"s", 0.1}}),
        // One vowel short: no word of it is trusted.
        sentence("И он", {{"i", 0.5}, {"n", 0.1}}),
    };
    EXPECT_NEAR(lone_vowel_length(corpus, words), 0.12, 1e-9);
    EXPECT_EQ(words, 3u);
}

// A voiced sound of one pulse every period samples.
std::vector<std::int16_t> pulse_train(std::size_t n, std::size_t period)
{
    std::vector<std::int16_t> x(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double k = double(i % period);
        x[i] = std::int16_t(6000 * std::exp(-k / 20) * std::cos(2 * M_PI * k / 25));
    }
    return x;
}

TEST(Pitch, F0AndMarksOfVoicedStretchesOnly)
{
    const std::vector<int> t = tone(4000, 3000, 80);
    const std::vector<std::int16_t> sine(t.begin(), t.end());
    EXPECT_NEAR(frame_f0(sine.data(), sine.size(), 2000, 16000), 200, 1);
    const auto voiced = pulse_train(4410, 200);
    EXPECT_NEAR(frame_f0(voiced.data(), voiced.size(), 2000, 22050), 110.25, 1);
    std::mt19937 random(1);
    std::uniform_int_distribution<int> noise(-3000, 3000);
    std::vector<std::int16_t> x = pulse_train(4410, 147);
    for (int i = 0; i < 4410; ++i)
        x.push_back(std::int16_t(noise(random)));
    EXPECT_EQ(frame_f0(x.data(), x.size(), 6600, 22050), 0);
    const std::vector<std::int16_t> quiet(4000, 0);
    EXPECT_EQ(frame_f0(quiet.data(), quiet.size(), 2000, 22050), 0);
    x.insert(x.end(), voiced.begin(), voiced.end());
    std::vector<std::uint32_t> marks;
    pitch_marks(x.data(), x.size(), 22050, marks);
    ASSERT_GT(marks.size(), 40u);
    std::size_t in_noise = 0;
    for (std::size_t k = 1; k < marks.size(); ++k) {
        const bool first = marks[k] < 4410 - 300, last = marks[k - 1] > 8820 + 300;
        in_noise += marks[k] > 4410 + 300 && marks[k] < 8820 - 300;
        if (first) {
            EXPECT_NEAR(double(marks[k] - marks[k - 1]), 147, 1) << k;
        }
        if (last) {
            EXPECT_NEAR(double(marks[k] - marks[k - 1]), 200, 1) << k;
        }
    }
    EXPECT_EQ(in_noise, 0u);
}

// Each period two bursts of nearly the same height, the second a fifth of a
// period after the first, which of them the larger by chance: the marks keep
// to one point of every period instead of jumping between the two.
TEST(Pitch, MarksKeepToOnePointOfEachPeriod)
{
    constexpr std::size_t period = 180, apart = 36, periods = 40;
    std::mt19937 random(3);
    std::uniform_real_distribution<double> height(0.9, 1.0);
    std::vector<std::int16_t> x(period * periods + 400, 0);
    for (std::size_t p = 0; p < periods; ++p) {
        const double first = height(random), second = height(random);
        for (std::size_t k = 0; k < apart; ++k) {
            const double burst = 6000 * std::exp(-double(k) / 8) * std::cos(2 * M_PI * double(k) / 25);
            x[200 + p * period + k] = std::int16_t(x[200 + p * period + k] + first * burst);
            x[200 + p * period + apart + k] = std::int16_t(second * burst);
        }
    }
    std::vector<std::uint32_t> marks;
    pitch_marks(x.data(), x.size(), 22050, marks);
    ASSERT_GT(marks.size(), periods / 2);
    for (std::size_t k = 1; k < marks.size(); ++k)
        EXPECT_NEAR(double(marks[k] - marks[k - 1]), double(period), 2) << k;

    // Half a period after each burst a weaker one of another ringing: the
    // signal repeats nearly as well at half its period, where the tracker
    // takes it, but one mark a period is laid all the same.
    constexpr std::size_t slow = 230;
    std::vector<std::int16_t> y(slow * 30 + 400, 0);
    for (std::size_t p = 0; p < 30; ++p)
        for (std::size_t k = 0; k < 60; ++k) {
            const double decay = 6000 * std::exp(-double(k) / 8);
            y[200 + p * slow + k] = std::int16_t(y[200 + p * slow + k] + decay * std::cos(2 * M_PI * double(k) / 25));
            y[200 + p * slow + slow / 2 + k] = std::int16_t(0.7 * decay * std::cos(2 * M_PI * double(k) / 20));
        }
    EXPECT_NEAR(frame_f0(y.data(), y.size(), 3000, 22050), 2 * 22050.0 / slow, 1);
    pitch_marks(y.data(), y.size(), 22050, marks);
    std::size_t whole = 0;
    for (std::size_t k = 1; k < marks.size(); ++k)
        whole += std::abs(int(marks[k] - marks[k - 1]) - int(slow)) <= 2;
    EXPECT_GE(whole, 27u) << marks.size();
    EXPECT_LE(marks.size(), 31u);
}

TEST(Pitch, LearnsTheIntonationTableByPhraseAndPlace)
{
    // Five sentences "Ма, ма.": the first phrase at 200 Hz, the last at 100.
    std::vector<Sentence> corpus;
    std::string texts;
    for (int number = 1; number <= 5; ++number) {
        Sentence s;
        s.number = number;
        s.rate = 16000;
        double at = 0;
        for (const auto& [name, length] : {std::pair{"pau", 0.1}, {"aa", 0.2}, {"pau", 0.1}, {"aa", 0.2}, {"pau", 0.1}}) {
            Phone p;
            std::strncpy(p.name.data(), name, PHONE_NAME_BYTES - 1);
            p.start = at;
            p.end = at += length;
            s.phone.push_back(p);
        }
        const std::vector<int> high = tone(3200, 3000, 80), low = tone(3200, 3000, 160);
        // Silence, the high tone, silence, the low tone, silence (appended as
        // ranges: g++ 12 at -O3 warns wrongly of the filling inserts).
        const std::vector<int> quiet(1600, 0);
        for (const std::vector<int>* part : {&quiet, &high, &quiet, &low, &quiet})
            s.sample.insert(s.sample.end(), part->begin(), part->end());
        corpus.push_back(s);
        texts += "( ru_000" + std::to_string(number) + " \"Ма, ма.\" )\n";
    }
    harness::TempDir dir;
    dir.write("txt.done.data", texts);
    IntonationTable table;
    ASSERT_TRUE(learn_intonation(corpus, dir.file("txt.done.data"), table));
    EXPECT_EQ(table.sentences, 5u);
    EXPECT_NEAR(table.cents[int(PhraseType::continuation)][CLASS_NUCLEUS], 600, 10);
    EXPECT_NEAR(table.cents[int(PhraseType::statement)][CLASS_NUCLEUS], -600, 10);
    EXPECT_EQ(table.count[int(PhraseType::question)][CLASS_NUCLEUS], 0);
    // Written, the stage reads it back.
    table.shape = 50;
    ASSERT_TRUE(write_intonation(dir.path().c_str(), table));
    Intonation read;
    ASSERT_TRUE(read_intonation(dir.file(INTONATION_FILE).c_str(), read));
    EXPECT_NEAR(read.base, 200, 2);  // the median F0 (of ten vowels, the upper middle one)
    EXPECT_EQ(read.scale, 100);
    EXPECT_EQ(read.shape, 50);
    EXPECT_NEAR(read.cents[int(PhraseType::statement)][CLASS_NUCLEUS], -600, 10);
    EXPECT_FALSE(learn_intonation(corpus, dir.file("none"), table));
}

// The kinds of question, by the words of the texts: "Ма ли ма?" five times,
// its first vowel (stressed, before the particle) high, the others low: the
// askword row has its nucleus there and the fall after it; no yesno row is
// written, there being no question without a question word.
TEST(Pitch, LearnsTheQuestionWithAQuestionWord)
{
    harness::TempDir dir;
    IntonationTable table;
    std::vector<Sentence> corpus;
    std::string texts;
    for (int number = 1; number <= 5; ++number) {
        Sentence s = labelled({{"pau", 0.1}, {"aa", 0.2}, {"i", 0.2}, {"a", 0.2}, {"pau", 0.1}}, "Ма ли ма?");
        s.number = number;
        s.rate = 16000;
        const std::vector<int> high = tone(3200, 3000, 80), low = tone(6400, 3000, 160), quiet(1600, 0);
        for (const std::vector<int>* part : {&quiet, &high, &low, &quiet})
            s.sample.insert(s.sample.end(), part->begin(), part->end());
        corpus.push_back(s);
        texts += "( ru_000" + std::to_string(number) + " \"Ма ли ма?\" )\n";
    }
    dir.write("txt.done.data", texts);
    ASSERT_TRUE(learn_intonation(corpus, dir.file("txt.done.data"), table));
    EXPECT_EQ(table.questions[0], 5u);
    EXPECT_EQ(table.questions[1], 0u);
    const auto& ask = table.cents[int(PhraseType::askword)];
    EXPECT_NEAR(ask[CLASS_NUCLEUS], 800, 10);
    EXPECT_NEAR(ask[CLASS_TAIL], -400, 10);
    EXPECT_NEAR(ask[CLASS_FINAL], -400, 10);
    // The question row as before: its nucleus the last stressed vowel, the first.
    EXPECT_NEAR(table.cents[int(PhraseType::question)][CLASS_NUCLEUS], 800, 10);
    ASSERT_TRUE(write_intonation(dir.path().c_str(), table));
    Intonation read;
    ASSERT_TRUE(read_intonation(dir.file(INTONATION_FILE).c_str(), read));
    EXPECT_TRUE(read.has[int(PhraseType::askword)]);
    EXPECT_FALSE(read.has[int(PhraseType::yesno)]);
    EXPECT_NEAR(read.cents[int(PhraseType::askword)][CLASS_FINAL], -400, 10);
}

// The tokens "ма" and "м", for a voice cut from a tiny corpus.
TokenList ma_and_m()
{
    TokenList tokens;
    for (const char* t : {"ма", "м"}) {
        const std::string b = cp1251(t);
        std::copy(b.begin(), b.end(), tokens.token[tokens.count++].begin());
    }
    return tokens;
}

// A corpus of "ма" said stressed and unstressed (and "м" before a pause in
// both): the generator cuts the plain unit as before, from the stressed place,
// and a variant from each kind of place; a consonant gets none.
TEST(Variants, CutFromStressedAndUnstressedPlaces)
{
    harness::TempDir c;
    for (const char* d : {"etc", "lab", "wav"})
        std::filesystem::create_directories(c.file(d));
    c.write("etc/txt.done.data", "( ru_0001 \"Мам.\" )\n( ru_0002 \"Мам.\" )\n");
    // Unstressed: a shorter, quieter vowel at another pitch.
    c.write("lab/ru_0001.lab", "#\n0.10000 125 pau\n0.20000 125 m\n0.40000 125 aa\n0.45000 125 m\n0.55000 125 pau\n");
    c.write("lab/ru_0002.lab", "#\n0.10000 125 pau\n0.20000 125 m\n0.30000 125 a\n0.35000 125 m\n0.55000 125 pau\n");
    c.write("wav/ru_0001.wav", wav(tone(8800, 3000, 80)));
    c.write("wav/ru_0002.wav", wav(tone(8800, 1500, 100)));
    const TokenList tokens = ma_and_m();
    harness::TempDir v;
    const std::string dir = v.file("voice");
    std::filesystem::create_directories(dir);
    v.write("voice/m+.pcm", "left from an earlier voice");
    CutSettings settings;
    ASSERT_TRUE(cut_corpus_voice(c.path().c_str(), dir.c_str(), settings, tokens));
    const auto samples = [&](const char* name) { return std::filesystem::file_size(dir + "/" + name) / 2; };
    // The vowel 0.2 s stressed, 0.1 s unstressed, after 0.1 s of "m".
    EXPECT_NEAR(double(samples("ma.pcm")), 0.3 * VOICE_RATE, 0.01 * VOICE_RATE);
    EXPECT_EQ(samples("ma+.pcm"), samples("ma.pcm"));
    EXPECT_NEAR(double(samples("ma-.pcm")), 0.2 * VOICE_RATE, 0.01 * VOICE_RATE);
    EXPECT_TRUE(v.exists("voice/m.pcm"));
    for (const char* none : {"voice/m+.pcm", "voice/m-.pcm"})
        EXPECT_FALSE(v.exists(none)) << none;
    // Each variant has its pitch marks, at its own pitch.
    PitchMarks* marks = new PitchMarks;
    ASSERT_TRUE(read_pitch_marks((dir + "/" + PITCH_MARK_FILE).c_str(), *marks));
    for (const auto& [name, period] : {std::pair{"ma+.pcm", 80.0}, std::pair{"ma-.pcm", 100.0}}) {
        std::size_t count = 0;
        const std::uint32_t* m = find_pitch_marks(*marks, name, count);
        ASSERT_NE(m, nullptr) << name;
        ASSERT_GT(count, 10u) << name;
        EXPECT_NEAR(double(m[count - 1] - m[1]) / double(count - 2), period * VOICE_RATE / 16000, 2) << name;
    }
    delete marks;
    // The variants carry a ratio of 2 by their vowels, the speaker's own; with
    // the keys the two come to it to the power STRESS_ADDED, as without variants.
    Rhythm r;
    ASSERT_TRUE(read_rhythm((dir + "/prosody.txt").c_str(), r));
    EXPECT_NEAR(r.stressed * 0.2 / (r.unstressed * 0.1), std::pow(2.0, STRESS_ADDED), 0.02);
    // Without variants none is left behind.
    settings.variants = false;
    ASSERT_TRUE(cut_corpus_voice(c.path().c_str(), dir.c_str(), settings, tokens));
    EXPECT_TRUE(v.exists("voice/ma.pcm"));
    EXPECT_FALSE(v.exists("voice/ma+.pcm"));
    EXPECT_FALSE(v.exists("voice/ma-.pcm"));

    std::vector<Occurrence> stressed, unstressed;
    EXPECT_FALSE(split_by_stress({}, stressed, unstressed));
}

TEST(Variants, StageLengthsAddWhatTheVariantsLack)
{
    int stressed = 0, unstressed = 0;
    // The speaker's 1.44 to the power 0.5 is 1.2; the variants carry 1.25 by
    // their vowels, so the keys shorten the stressed a little; a phrase of one
    // stressed and one unstressed vowel is as long as with the plain units.
    variant_stress_lengths({1.44, 0.5}, {0.1, 0.1, 0.08}, stressed, unstressed);
    EXPECT_EQ(stressed, 109);
    EXPECT_EQ(unstressed, 114);
    EXPECT_NEAR(0.5 * stressed * 0.1 / 100 + 0.5 * unstressed * 0.08 / 100, 0.1, 0.001);
    // Without usable lengths the plain rule holds; far-off ones stay in the keys' bounds.
    variant_stress_lengths({1.44, 0.5}, {0, 0.1, 0.08}, stressed, unstressed);
    EXPECT_EQ(stressed, 109);
    EXPECT_EQ(unstressed, 91);
    variant_stress_lengths({1.44, 0.5}, {0.1, 1.0, 0.001}, stressed, unstressed);
    EXPECT_EQ(stressed, 50);
    EXPECT_EQ(unstressed, 200);
}

// "Мам." said six times, each time at another pitch: the plain "ма" is
// chosen as without takes, and beside it takes from the speaker's lowest and
// highest thirds, each at its own pitch apart from the others.
TEST(Takes, CutAtOtherPitchesApartFromTheRecording)
{
    harness::TempDir c;
    for (const char* d : {"etc", "lab", "wav"})
        std::filesystem::create_directories(c.file(d));
    std::string texts;
    const double periods[] = {64, 80, 100, 120, 140, 160};  // 250 Hz down to 100 at 16 kHz
    for (int k = 1; k <= 6; ++k) {
        const std::string id = "ru_000" + std::to_string(k);
        texts += "( " + id;
        texts += " \"Мам.\" )\n";
        c.write("lab/" + id + ".lab", "#\n0.10000 125 pau\n0.20000 125 m\n0.40000 125 aa\n0.45000 125 m\n0.55000 125 pau\n");
        c.write("wav/" + id + ".wav", wav(tone(8800, 3000, periods[k - 1])));
    }
    c.write("etc/txt.done.data", texts);
    const TokenList tokens = ma_and_m();
    harness::TempDir v;
    const std::string dir = v.file("voice");
    std::filesystem::create_directories(dir);
    v.write("voice/m=1.pcm", "left from an earlier voice");
    CutSettings settings;
    settings.intonation = true;
    settings.takes = false;
    ASSERT_TRUE(cut_corpus_voice(c.path().c_str(), dir.c_str(), settings, tokens));
    const std::string alone = v.read("voice/ma.pcm");
    settings.takes = true;
    ASSERT_TRUE(cut_corpus_voice(c.path().c_str(), dir.c_str(), settings, tokens));
    EXPECT_EQ(v.read("voice/ma.pcm"), alone);
    EXPECT_FALSE(v.exists("voice/m=1.pcm"));  // a consonant has none
    ASSERT_TRUE(v.exists("voice/ma=1.pcm"));
    auto marks = std::make_unique<PitchMarks>();
    ASSERT_TRUE(read_pitch_marks((dir + "/" + PITCH_MARK_FILE).c_str(), *marks));
    std::vector<double> pitch;
    for (const char* name : {"ma.pcm", "ma=1.pcm", "ma=2.pcm"}) {
        if (!v.exists(std::string("voice/") + name))
            break;
        std::size_t count = 0;
        const std::uint32_t* m = find_pitch_marks(*marks, name, count);
        ASSERT_NE(m, nullptr) << name;
        pitch.push_back(own_pitch(m, count));
        // From the same labels, as long.
        EXPECT_NEAR(double(std::filesystem::file_size(dir + "/" + name)), double(alone.size()), 0.02 * double(alone.size()))
            << name;
    }
    EXPECT_LT(pitch[1], pitch[0]);  // the lowest third's first
    for (std::size_t i = 0; i < pitch.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_GE(std::fabs(12 * std::log2(pitch[i] / pitch[j])), TAKE_APART) << i << " " << j;
    // Without the intonation table nothing would choose among them: they go.
    settings.intonation = false;
    ASSERT_TRUE(cut_corpus_voice(c.path().c_str(), dir.c_str(), settings, tokens));
    EXPECT_FALSE(v.exists("voice/ma=1.pcm"));
    EXPECT_FALSE(v.exists("voice/ma=2.pcm"));
    EXPECT_EQ(v.read("voice/ma.pcm"), alone);
}

#ifdef VOKDAR_CORPUS_DIR
// Every token of the inventory has a unit in the installed corpus, most of
// them without a fallback.
TEST(Corpus, HasAUnitForEveryToken)
{
    if (!std::filesystem::exists(std::string(VOKDAR_CORPUS_DIR) + "/etc/txt.done.data"))
        GTEST_SKIP() << "festvox-ru is not installed";
    std::vector<Sentence> sentences;
    ASSERT_TRUE(read_corpus(VOKDAR_CORPUS_DIR, sentences));
    EXPECT_EQ(sentences.size(), 557u);  // 620 less the 63 held out
    for (const Sentence& s : sentences)
        ASSERT_FALSE(held_out(s.number));
    TokenList tokens;
    derive_tokens(tokens);
    ASSERT_EQ(tokens.count, 261u);
    std::vector<Occurrence> found;
    int direct = 0;
    for (std::size_t i = 0; i < tokens.count; ++i) {
        const Token& t = tokens.token[i];
        SCOPED_TRACE(harness::utf8(reinterpret_cast<const char*>(t.data())));
        EXPECT_TRUE(unit_occurrences(t, sentences, found));
        UnitRule r;
        ASSERT_TRUE(unit_rule(t.data(), t[1] == 0 ? 1 : 2, 0, r));
        std::vector<Occurrence> first;
        for (std::size_t k = 0; k < sentences.size() && first.empty(); ++k)
            find_occurrences(r, sentences[k], int(k), first);
        direct += !first.empty();
    }
    EXPECT_GE(direct, 245);
}
#endif

}  // namespace
