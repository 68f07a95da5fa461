// voicegen: makes a voice, one recording per syllable token: rendered by the
// Russian voice of espeak-ng (voicegen <voice directory>), or cut from the
// speech corpus (voicegen --corpus ...).
#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "common/cp1251.h"
#include "common/tables.h"
#include "corpus_voice.h"
#include "inventory.h"
#include "shape.h"
#include "voicefile.h"

namespace {

// Vowels and consonant-vowel syllables are brought to this loudness (see
// ACTIVE_FRAME_SHARE). espeak-ng's syllables peak at 4.3 to 7.6 times their
// RMS; at 1000 all but the peakiest few percent reach it within PEAK_LIMIT.
constexpr double TARGET_RMS = 1000.0;
// Silence, for the trim: espeak-ng renders speech peaking near 17000.
constexpr int SILENCE_THRESHOLD = 150;
constexpr std::size_t TRIM_MARGIN = VOICE_RATE / 1000;  // 1 ms kept before the first sound
constexpr std::size_t FADE_IN = VOICE_RATE / 500;       // 2 ms
constexpr std::size_t FADE_OUT = VOICE_RATE / 200;      // 5 ms
// A voiced stop is kept up to the frame where the vowel reaches 35% of its
// loudest, plus 4 ms of the onset that carries its release, and at most 50 ms
// in all: espeak-ng voices "г" for 100 ms before its release, a hum alone.
constexpr double VOWEL_ONSET_SHARE = 0.35;
constexpr std::size_t KEEP_ONSET = VOICE_RATE / 250;
constexpr std::size_t LONGEST_STOP = VOICE_RATE / 20;

// Text given to espeak-ng: a syllable's UTF-8, or phonemes in [[ ]].
constexpr std::size_t SOURCE_BYTES = 64;
using Source = std::array<char, SOURCE_BYTES>;

// How a lone consonant and the consonant before "ь" are rendered. Phoneme
// input speaks a consonant alone (as text espeak-ng would spell the letter);
// sonorants are doubled, a single one being too short to hear between
// syllables. Voiced stops come out nearly silent alone, so they are cut out of
// a rendered syllable before its vowel: hard from "Cа", soft from "Cи".
struct ConsonantSource {
    unsigned char letter;
    const char* hard;
    const char* soft;
    bool cut;  // hard and soft are syllables to cut the consonant from
};
const ConsonantSource CONSONANTS[] = {
    {0xE1, "ба", "би", true},               // б
    {0xE2, "[[v]]", "[[v;]]", false},       // в
    {0xE3, "га", "ги", true},               // г
    {0xE4, "да", "ди", true},               // д
    {0xE6, "[[Z]]", "[[Z]]", false},        // ж ("жь" sounds hard)
    {0xE7, "[[z]]", "[[z;]]", false},       // з
    {0xE9, "[[j]]", "[[j]]", false},        // й
    {0xEA, "[[k]]", "[[k;]]", false},       // к
    {0xEB, "[[ll]]", "[[l;l;]]", false},    // л
    {0xEC, "[[mm]]", "[[m;m;]]", false},    // м
    {0xED, "[[nn]]", "[[n;n;]]", false},    // н
    {0xEF, "[[p]]", "[[p;]]", false},       // п
    {0xF0, "[[r]]", "[[r;]]", false},       // р
    {0xF1, "[[s]]", "[[s;]]", false},       // с
    {0xF2, "[[t]]", "[[t;]]", false},       // т
    {0xF4, "[[f]]", "[[f;]]", false},       // ф
    {0xF5, "[[x]]", "[[x;]]", false},       // х
    {0xF6, "[[ts]]", "[[ts]]", false},      // ц ("ць" sounds hard)
    {0xF7, "[[tS;]]", "[[tS;]]", false},    // ч
    {0xF8, "[[S]]", "[[S]]", false},        // ш ("шь" sounds hard)
    {0xF9, "[[S;]]", "[[S;]]", false},      // щ
};

// The text "и" alone comes out very short; the long phoneme sounds like the
// other vowels. Every other vowel is spoken as its own text.
constexpr unsigned char LETTER_I = 0xE8;
constexpr char LONG_I[] = "[['i:]]";

// "ь" alone, as the normaliser may pass it through, sounds as the glide it
// stands for before a vowel ("семья").
constexpr char LONE_SOFT_SIGN[] = "[[j]]";

Recording rendered;

int collect(short* wav, int count, espeak_EVENT*)
{
    for (int i = 0; wav != nullptr && i < count && rendered.n < MAX_SAMPLES; ++i)
        rendered.sample[rendered.n++] = wav[i];
    return 0;
}

bool render(const char* source)
{
    rendered.n = 0;
    const espeak_ERROR e = espeak_Synth(source, std::strlen(source) + 1, 0, POS_CHARACTER, 0,
                                        espeakCHARS_UTF8 | espeakPHONEMES, nullptr, nullptr);
    if (e != EE_OK) {
        std::fprintf(stderr, "voicegen: espeak-ng could not speak \"%s\"\n", source);
        return false;
    }
    trim_silence(rendered, SILENCE_THRESHOLD, TRIM_MARGIN);
    return rendered.n > 0;
}

// Code page 1251 letters as UTF-8, for espeak-ng.
bool to_utf8(const unsigned char* text, std::size_t length, Source& out)
{
    std::size_t used = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint32_t cp = text[i] < 0x80 ? text[i] : CP1251_UNICODE[text[i] - 0x80];
        char bytes[UTF8_MAX_BYTES];
        const std::size_t n = utf8_encode(cp, bytes);
        if (cp == 0 || used + n >= SOURCE_BYTES)
            return false;
        std::memcpy(out.data() + used, bytes, n);
        used += n;
    }
    out[used] = '\0';
    return true;
}

// A consonant-vowel syllable through espeak-ng's own spelling rules, spoken as
// phonemes: as a word it would get the short vowel espeak-ng puts before a
// word-initial "р" ("@-r'A" for "ра").
bool syllable_source(const unsigned char* token, Source& out)
{
    Source text{};
    if (!to_utf8(token, 2, text))
        return false;
    const void* p = text.data();
    const char* phonemes = espeak_TextToPhonemes(&p, espeakCHARS_UTF8, 0);
    if (phonemes == nullptr)
        return false;
    while (*phonemes == ' ')
        ++phonemes;
    if (std::strncmp(phonemes, "@-", 2) == 0)
        phonemes += 2;
    std::size_t len = std::strlen(phonemes);
    while (len > 0 && phonemes[len - 1] == ' ')
        --len;
    if (len == 0 || len + 5 > SOURCE_BYTES)
        return false;
    std::snprintf(out.data(), SOURCE_BYTES, "[[%.*s]]", static_cast<int>(len), phonemes);
    return true;
}

const ConsonantSource* consonant_source(unsigned char letter)
{
    for (const ConsonantSource& c : CONSONANTS)
        if (c.letter == letter)
            return &c;
    return nullptr;
}

bool has_vowel(const Token& t)
{
    return is_vowel(t[0]) || (t[1] != 0 && is_vowel(t[1]));
}

// Renders one token into `rendered`, shaped but not yet levelled.
bool render_token(const Token& t)
{
    const std::size_t length = t[1] == 0 ? 1 : 2;
    if (length == 1 && is_vowel(t[0])) {
        Source text{};
        if (t[0] == LETTER_I)
            return render(LONG_I);
        return to_utf8(t.data(), 1, text) && render(text.data());
    }
    if (length == 2 && is_vowel(t[1])) {
        Source phonemes{};
        return syllable_source(t.data(), phonemes) && render(phonemes.data());
    }
    if (length == 1 && t[0] == SOFT_SIGN)
        return render(LONE_SOFT_SIGN);
    const ConsonantSource* c = consonant_source(t[0]);
    if (c == nullptr || (length == 2 && t[1] != SOFT_SIGN))
        return false;
    if (!render(length == 1 ? c->hard : c->soft))
        return false;
    if (c->cut)
        cut_before_vowel(rendered, VOWEL_ONSET_SHARE, KEEP_ONSET, LONGEST_STOP);
    return rendered.n > 0;
}

bool start_espeak()
{
    const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (rate != VOICE_RATE) {
        std::fprintf(stderr, "voicegen: espeak-ng gives %d samples per second, not %d\n", rate, VOICE_RATE);
        return false;
    }
    espeak_SetSynthCallback(collect);
    if (espeak_SetVoiceByName("ru") != EE_OK) {
        std::fprintf(stderr, "voicegen: espeak-ng has no Russian voice\n");
        return false;
    }
    espeak_SetParameter(espeakRATE, espeakRATE_NORMAL, 0);
    espeak_SetParameter(espeakPITCH, 50, 0);
    espeak_SetParameter(espeakRANGE, 50, 0);
    espeak_SetParameter(espeakVOLUME, 100, 0);
    return true;
}

TokenList tokens;
std::array<double, MAX_TOKENS> gains{};

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--corpus") == 0)
        return corpus_voice_main(argc, argv);
    // An option this program does not know is never taken for a directory to
    // fill: "--help" asks for the usage, anything else is a mistake.
    const bool help = argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
    if (argc != 2 || help || argv[1][0] == '-') {
        std::fprintf(help ? stdout : stderr, "usage: voicegen <voice directory>\n%s", CORPUS_VOICE_USAGE);
        return help ? 0 : 2;
    }
    const char* dir = argv[1];
    if (!make_voice_dir(dir) || !start_espeak())
        return 1;
    derive_tokens(tokens);
    // Syllables with a vowel first: their levels set the one gain that the
    // lone consonants share, so these keep their natural level beside them.
    std::size_t voiced = 0;
    for (int pass = 0; pass < 2; ++pass) {
        double consonant_gain = 1.0;
        if (pass == 1 && voiced > 0) {
            std::array<double, MAX_TOKENS> sorted = gains;
            std::sort(sorted.begin(), sorted.begin() + static_cast<long>(voiced));
            consonant_gain = sorted[voiced / 2];
        }
        for (std::size_t i = 0; i < tokens.count; ++i) {
            const Token& t = tokens.token[i];
            if (has_vowel(t) != (pass == 0))
                continue;
            if (!render_token(t)) {
                std::fprintf(stderr, "voicegen: no sound for token %zu\n", i);
                return 1;
            }
            fade_ends(rendered, FADE_IN, FADE_OUT);
            const double gain = pass == 0 ? level_gain(rendered, TARGET_RMS)
                                          : limited_gain(rendered, consonant_gain);
            if (pass == 0)
                gains[voiced++] = gain;
            apply_gain(rendered, gain);
            if (!write_recording(dir, t, rendered))
                return 1;
        }
    }
    espeak_Terminate();
    std::printf("voicegen: %zu recordings in %s\n", tokens.count, dir);
    return 0;
}
