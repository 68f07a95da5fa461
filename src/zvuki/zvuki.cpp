// Stage four: the syllables of slogi.tmp spoken into samples from the voice's recordings.
#include "zvuki/zvuki.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "common/datadirs.h"
#include "common/format_samples.h"
#include "common/format_slogi.h"
#include "common/settings.h"
#include "common/tables.h"
#include "zvuki/intonation.h"
#include "zvuki/intoned_store.h"
#include "zvuki/recording_name.h"
#include "zvuki/stretch.h"
#include "zvuki/takes.h"
#include "zvuki/zvuki_internal.h"

// What stretching a recording to the everyday pace works in. The stretched
// copies of held recordings are held in the voice's store beside them, under
// their names with STRETCHED_MARK in front, so that they are made once (for
// one stretch: a run at another speed makes its own copies, not kept) and
// kept at their loudnesses like any other.
// Stressed and unstressed syllables have copies of their own, under their
// own marks.
enum class Stress { none, stressed, unstressed };
constexpr std::array<char, 3> STRETCHED_MARK = {'>', '+', '-'};
// The copies of one-letter words lengthened to the voice's lone_vowel.
constexpr char LENGTHENED_MARK = '=';
struct StretchStore {
    double factor = 1.0;       // of this run; 1: no stretching
    // The lengths of stressed and unstressed syllables against the others.
    std::array<double, 3> stress = {1.0, 1.0, 1.0};
    double lone_least = 0.0;   // samples a one-letter word's recording lasts at least; 0: no such rule
    double kept_factor = 0.0;  // of the copies in the store; 0: none yet
    StretchBuffers work;
    StretchChoices chosen;  // the intoned path's, kept for the voice's life
    std::array<std::int16_t, STRETCH_MOST_IN> in;
    std::array<std::int16_t, STRETCH_MOST_OUT> out;
    std::array<unsigned char, 2 * STRETCH_MOST_OUT> bytes;  // a recording read, or a result not kept
};

// The pitch of the phrase being spoken, planned when its first token comes:
// each token's F0 at its start and end.
struct PhrasePlan {
    bool planned = false;
    std::size_t tokens = 0;
    std::size_t next = 0;  // the token sounded next
    std::array<float, PHRASE_MOST> from;
    std::array<float, PHRASE_MOST> to;
    std::array<PhraseSyllable, PHRASE_MOST> syllable;
    std::array<Slog, PHRASE_MOST> text;  // each token's letters, for its words
};

// The recordings, and everything one run of the stage works with.
struct Voice {
    char root[DATA_PATH_BYTES] = "";
    char prefix[VOICE_BYTES] = "";
    std::size_t root_len = 0;
    std::size_t prefix_len = 0;
    Rhythm rhythm;  // the voice's own, if it has one
    VoiceStore store;
    TextFile recording;
    SampleSource source;
    SampleWriter out;
    JoinState join;
    SlogToken next;
    SlogToken cur;
    StretchStore stretched;
    // The voice's intonation, when it has both side files, for the everyday reading.
    Intonation intonation;
    PitchMarks marks;
    IntonedStore intoned_results;
    bool intoned = false;  // this run sets the pitch
    PhrasePlan phrase;
};

void VoiceFree::operator()(Voice* v) const { delete v; }

namespace {

// A stretch closer to 1 than this is not worth its work.
constexpr double STRETCH_UNNOTICED = 0.005;

// The end of slogi.tmp counts as its end marker: a file cut short ends the
// speech where it stops.
int next_byte(TextFile& in)
{
    const int c = text_getc(in);
    return c == TEXT_EOF ? END_MARKER : c;
}

enum class Sound { sounded, dropped, failed };

// The path of a recording: the voice's root, its prefix, the name. false when
// the prefix and the name pass the voice setting's room.
bool recording_path(const Voice& v, const char* name, char (&path)[DATA_PATH_BYTES])
{
    const std::size_t name_len = std::strlen(name);
    if (v.prefix_len + name_len > VOICE_BYTES - 1)
        return false;
    std::memcpy(path, v.root, v.root_len);
    std::memcpy(path + v.root_len, v.prefix, v.prefix_len);
    std::memcpy(path + v.root_len + v.prefix_len, name, name_len + 1);
    return true;
}

// One run: the text, the voice, where the samples go and who hears of it.
struct Run {
    TextFile& slogi;
    Voice& v;
    const SoundSettings& settings;
    const ZvukiEvents& events;
    ZvukiResult result;
    long long silence_due = 0;  // trimmed speech: the pauses not yet written
    bool sounded = false;       // a syllable has been sounded
};

void progress(const Run& r, ZvukiProgress what)
{
    if (r.events.progress != nullptr)
        r.events.progress(r.events.user, what);
}

bool stopped(const Run& r) { return r.events.stop != nullptr && r.events.stop->load(std::memory_order_relaxed); }

// Silence goes out at once, or, when the speech is trimmed, only once a
// syllable follows it.
void write_silence(Run& r, long long count)
{
    if (r.settings.trim)
        r.silence_due += r.sounded ? count : 0;
    else
        put_silence(r.v.out, count);
}

// The recording of the current syllable as a source of samples: held in the
// store, or opened (and then kept in the store when there is room). A
// variant the voice lacks is dropped without a word, and noted as lacking.
Sound open_recording(Run& r, const char* name, const char* path, bool variant = false)
{
    Voice& v = r.v;
    SampleSource& src = v.source;
    KeptRecording& slot = voice_slot(v.store, name);
    if (slot.absent)
        return Sound::dropped;
    src.file = nullptr;
    src.start = 0;
    src.store = &v.store;
    src.kept = nullptr;
    src.name = name;
    if (slot.name[0] == '\0') {
        // Read-only: a voice installed where the user cannot write is still a voice.
        TextFile& file = v.recording;
        if (!text_open(file, path, "r")) {
            if (variant)
                voice_note_absent(v.store, slot, name);
            else if (r.events.missing != nullptr)
                r.events.missing(r.events.user, name);
            return Sound::dropped;
        }
        if (!text_set_binary(file)) {
            text_close(file);
            r.result.fault = ZvukiFault::mode_set;
            return Sound::failed;
        }
        const long long pos = text_tell(file);
        text_seek(file, 0, SEEK_END);
        src.size = text_tell(file);
        text_seek(file, pos, SEEK_SET);
        if (!voice_keep(v.store, slot, name, file, src.size)) {
            src.file = &file;
            return Sound::sounded;
        }
    }
    src.bytes = v.store.arena.data() + slot.at;
    src.size = static_cast<long long>(slot.size);
    src.kept = &slot;
    return Sound::sounded;
}

// The source's samples into the stretch store's input; false (the source as
// it was) when there are too many or the file fails.
bool load_source(Voice& v, std::size_t& n)
{
    SampleSource& src = v.source;
    StretchStore& st = v.stretched;
    n = static_cast<std::size_t>(src.size / 2);
    if (n > STRETCH_MOST_IN)
        return false;
    if (src.file != nullptr) {
        if (recording_io.read(*src.file, st.bytes.data(), 2 * n) != 2 * n) {
            recording_io.seek(*src.file, 0, SEEK_SET);
            return false;
        }
        text_close(*src.file);
        src.file = nullptr;
        src.bytes = st.bytes.data();
    }
    samples_from_bytes(src.bytes, st.in.data(), n);
    return true;
}

// A one-letter word is lengthened by at most this much: in two stretches
// when it is more than one may give (its unit is a short vowel, 30 to 60 ms,
// where the speaker says such a word for about 100).
constexpr double LONE_MOST_FACTOR = STRETCH_MOST_FACTOR * STRETCH_MOST_FACTOR;

// The factor a recording of samples bytes is stretched by at the run's pace
// and its stress; a one-letter word (lone) at least to the voice's length of
// one, within LONE_MOST_FACTOR.
double source_factor(const StretchStore& st, Stress stress, bool lone, long long bytes)
{
    const double factor = st.factor * st.stress[static_cast<std::size_t>(stress)];
    if (!lone || st.lone_least <= 0 || bytes < 2)
        return factor;
    return std::max(factor, std::min(LONE_MOST_FACTOR, st.lone_least / static_cast<double>(bytes / 2)));
}

// stretch() of the store's input into its output, in two steps when the
// factor is beyond one; 0 when it cannot be stretched.
std::size_t stretch_input(StretchStore& st, std::size_t n, double factor)
{
    if (factor <= STRETCH_MOST_FACTOR)
        return stretch(st.in.data(), n, factor, st.out.data(), st.work);
    const std::size_t m = stretch(st.in.data(), n, STRETCH_MOST_FACTOR, st.out.data(), st.work);
    if (m == 0 || m > STRETCH_MOST_IN)
        return 0;
    std::copy_n(st.out.begin(), m, st.in.begin());
    return stretch(st.in.data(), m, factor / STRETCH_MOST_FACTOR, st.out.data(), st.work);
}

// The source's recording replaced by its copy stretched to the run's pace:
// the one made before, or one made now (and kept when there is room). A
// recording too long or too short to stretch is sounded as it is.
void stretch_source(Voice& v, Stress stress, bool lone)
{
    SampleSource& src = v.source;
    StretchStore& st = v.stretched;
    VoiceStore& store = v.store;
    const auto k = static_cast<std::size_t>(stress);
    const double factor = source_factor(st, stress, lone, src.size);
    if (std::fabs(factor - 1.0) <= STRETCH_UNNOTICED)
        return;
    const bool keep = st.kept_factor == 0.0 || st.kept_factor == st.factor;
    std::array<char, RECORDING_NAME_BYTES + 1> name{};
    name[0] = lone && factor != st.factor * st.stress[k] ? LENGTHENED_MARK : STRETCHED_MARK[k];
    std::strncpy(name.data() + 1, src.name, RECORDING_NAME_BYTES - 1);
    KeptRecording* copy = nullptr;
    if (src.kept != nullptr && keep) {
        copy = &voice_slot(store, name.data());
        if (copy->name[0] != '\0') {
            src.bytes = store.arena.data() + copy->at;
            src.size = static_cast<long long>(copy->size);
            src.kept = copy;
            return;
        }
    }
    std::size_t n = 0;
    if (!load_source(v, n))
        return;
    const std::size_t m = stretch_input(st, n, factor);
    if (m == 0)
        return;
    unsigned char* to = st.bytes.data();
    src.kept = nullptr;
    if (copy != nullptr && store.slots_used < VOICE_SLOTS / 2 && 2 * m <= store.arena.size() - store.arena_used) {
        to = store.arena.data() + store.arena_used;
        std::memcpy(copy->name.data(), name.data(), RECORDING_NAME_BYTES);
        copy->name[RECORDING_NAME_BYTES - 1] = '\0';
        copy->at = store.arena_used;
        copy->size = 2 * m;
        copy->gained_count = 0;
        store.arena_used += 2 * m;
        ++store.slots_used;
        src.kept = copy;
        st.kept_factor = st.factor;
    }
    samples_to_bytes(st.out.data(), to, m);
    src.bytes = to;
    src.size = static_cast<long long>(2 * m);
}

// The source's recording laid again over its pitch marks at the run's pace
// (with its stress's share of it) and the pitch the phrase asks for between
// f0_from and f0_to; false when it has no marks or cannot be (it is then
// stretched as any other). A result made before and kept is taken as it is.
bool intone_source(Voice& v, Stress stress, bool lone, float f0_from, float f0_to)
{
    SampleSource& src = v.source;
    StretchStore& st = v.stretched;
    std::size_t count = 0;
    const std::uint32_t* marks = find_pitch_marks(v.marks, src.name, count);
    if (marks == nullptr)
        return false;
    const double factor = source_factor(st, stress, lone, src.size);
    const IntonedKey key = intoned_key(src.name, factor, f0_from, f0_to, v.intonation.shape);
    IntonedStore& kept = v.intoned_results;
    if (const IntonedResult* made = intoned_find(kept, key)) {
        source_close(src);
        src.file = nullptr;
        src.bytes = kept.arena.data() + made->at;
        src.size = static_cast<long long>(made->size);
        src.kept = nullptr;
        return true;
    }
    std::size_t n = 0;
    if (!load_source(v, n))
        return false;
    // A recording's marks lie at a place of their own in the voice's table: its number for the stretch's choices.
    StretchRecall recall;
    if (recording_cache_enabled)
        recall = {&st.chosen, static_cast<std::uint32_t>(marks - v.marks.mark.data()) + 1};
    const std::size_t m = psola(st.in.data(), n, marks, count, factor, f0_from, f0_to, st.out.data(), st.work,
                                  v.intonation.shape / 100.0, recall);
    if (m == 0)
        return false;
    unsigned char* to = intoned_room(kept, key, 2 * m);
    if (to == nullptr)
        to = st.bytes.data();
    samples_to_bytes(st.out.data(), to, m);
    src.bytes = to;
    src.size = static_cast<long long>(2 * m);
    src.kept = nullptr;
    return true;
}

// The source's recording replaced by the take of it said nearest hz, when
// it has one nearer than itself (take holds its name; see takes.h). A take
// the voice lacks on disk leaves the recording as it was.
Sound take_nearest(Run& r, double hz, std::array<char, RECORDING_NAME_BYTES>& take)
{
    Voice& v = r.v;
    const char* base = v.source.name;
    const int k = nearest_take(v.marks, base, hz);
    char path[DATA_PATH_BYTES];
    if (k == 0 || !take_file_name(base, k, take) || !recording_path(v, take.data(), path))
        return Sound::sounded;
    source_close(v.source);
    v.source.file = nullptr;
    if (open_recording(r, take.data(), path, true) == Sound::sounded)
        return Sound::sounded;
    return recording_path(v, base, path) ? open_recording(r, base, path, true) : Sound::dropped;
}

bool has_vowel(const char* text)
{
    for (const char* c = text; *c != '\0'; ++c)
        if (is_vowel(static_cast<unsigned char>(*c)))
            return true;
    return false;
}

// A word of one vowel said on its own ("и" "а" "у" "о"): the syllable's text
// (without its stress mark) is that letter, and a word ends before it and
// after it.
bool lone_vowel_word(const char* text, int prev_code, int code)
{
    constexpr unsigned char LONE[] = {0xE8, 0xE0, 0xF3, 0xEE};  // и а у о
    const auto c = static_cast<unsigned char>(text[0]);
    return c != 0 && text[1] == '\0' && std::find(std::begin(LONE), std::end(LONE), c) != std::end(LONE) &&
           !is_inside_word(prev_code) && !is_inside_word(code);
}

// The token of a question's first question word that carries its accent
// (its stressed syllable, else its first with a vowel; for the particle
// "ли", that of the word before it), or -1 when it has none.
int question_focus(const PhraseSyllable* s, const Slog* text, std::size_t n)
{
    int before = -1;  // the accent of the word before
    std::array<char, SLOG_BYTES * 4> word{};
    std::size_t letters = 0;
    int accent = -1;
    bool fits = true;
    for (std::size_t j = 0; j < n; ++j) {
        for (const char* c = text[j].data(); *c != '\0'; ++c) {
            if (is_stress_mark(static_cast<unsigned char>(*c)))
                continue;
            fits = fits && letters + 1 < word.size();
            if (fits)
                word[letters++] = *c;
        }
        if (s[j].vowel && (accent < 0 || (s[j].stressed && !s[static_cast<std::size_t>(accent)].stressed)))
            accent = static_cast<int>(j);
        if (!s[j].word_end)
            continue;
        word[letters] = '\0';
        if (fits && is_question_word(word.data()))
            return std::strcmp(word.data(), QUESTION_PARTICLE) == 0 && before >= 0 ? before : accent;
        before = accent;
        letters = 0;
        accent = -1;
        fits = true;
    }
    return -1;
}
int question_focus(const PhrasePlan& p) { return question_focus(p.syllable.data(), p.text.data(), p.tokens); }

// Plans the pitch of the phrase that starts with the current token: its
// tokens up to the pause that ends it, read ahead and the file put back.
void plan_phrase(Run& r)
{
    Voice& v = r.v;
    PhrasePlan& p = v.phrase;
    p.planned = true;
    p.tokens = 0;
    p.next = 0;
    unsigned char end = END_MARKER;
    // false once the token ends the phrase.
    const auto add = [&](const SlogToken& t) {
        if (t.length == 0 || (t.length != TOKEN_END && t.text[0] == '\0'))
            return true;
        if (t.text[0] == static_cast<char>(PAUSE_MARK)) {
            end = PAUSE_MARK;
            return false;
        }
        if (t.text[0] != '\0' && p.tokens < PHRASE_MOST) {
            p.text[p.tokens] = t.text;
            p.syllable[p.tokens++] = {has_vowel(t.text.data()), std::strchr(t.text.data(), static_cast<char>(STRESS_MARK)) != nullptr,
                                      !is_inside_word(t.code)};
        }
        if (t.length == TOKEN_END)
            return false;
        if (is_pause(t.code)) {
            end = t.mark;
            return false;
        }
        return p.tokens < PHRASE_MOST;
    };
    if (add(v.cur) && add(v.next)) {
        const long long pos = text_tell(r.slogi);
        SlogToken ahead = v.next;
        do
            read_slog_token(r.slogi, ahead);
        while (add(ahead));
        text_seek(r.slogi, pos, SEEK_SET);
    }
    PhraseType type = phrase_type_of(end);
    if (type == PhraseType::question) {
        const Intonation& t = v.intonation;
        const int focus = question_focus(p);
        if (focus >= 0 && t.has[static_cast<std::size_t>(PhraseType::askword)]) {
            type = PhraseType::askword;
            p.syllable[static_cast<std::size_t>(focus)].focus = true;
        } else if (focus < 0 && t.has[static_cast<std::size_t>(PhraseType::yesno)]) {
            type = PhraseType::yesno;
        }
    }
    phrase_contour(v.intonation, type, p.syllable.data(), p.tokens, v.intonation.scale, p.from.data(), p.to.data());
}

Sound sound_syllable(Run& r)
{
    Voice& v = r.v;
    const SlogToken& cur = v.cur;
    // The stress mark of the everyday reading names no recording.
    Slog text = cur.text;
    if (r.settings.reading == READING_EVERYDAY) {
        std::size_t k = 0;
        for (std::size_t i = 0; i < text.size() && text[i] != '\0'; ++i)
            if (!is_stress_mark(static_cast<unsigned char>(text[i])))
                text[k++] = text[i];
        text[k] = '\0';
    }
    float f0_from = 0, f0_to = 0;
    if (v.intoned) {
        PhrasePlan& p = v.phrase;
        if (!p.planned)
            plan_phrase(r);
        if (p.tokens > 0) {
            const std::size_t j = std::min(p.next, p.tokens - 1);
            f0_from = p.from[j];
            f0_to = p.to[j];
        }
        ++p.next;
    }
    std::array<char, RECORDING_NAME_BYTES> file_name;
    // An over-long token or path is dropped like a syllable without a recording name.
    const std::size_t length = strnlen(text.data(), SLOG_BYTES - 1);
    if (cur.too_long || !recording_file_name(text.data(), length, file_name))
        return Sound::dropped;
    Stress stress = Stress::none;
    if (std::strchr(cur.text.data(), static_cast<char>(STRESS_MARK)) != nullptr)
        stress = Stress::stressed;
    else if (has_vowel(text.data()))
        stress = Stress::unstressed;
    // In the everyday reading a syllable with a vowel is said as the speaker
    // said it with its stress, when the voice has that variant.
    std::array<char, RECORDING_NAME_BYTES> variant_name;
    char path[DATA_PATH_BYTES];
    Sound opened = Sound::dropped;
    if (r.settings.reading == READING_EVERYDAY && stress != Stress::none &&
        variant_file_name(text.data(), length, stress == Stress::stressed ? STRESSED_SUFFIX : UNSTRESSED_SUFFIX,
                          variant_name) &&
        recording_path(v, variant_name.data(), path))
        opened = open_recording(r, variant_name.data(), path, true);
    if (opened == Sound::dropped) {
        const char* name = file_name.data();
        if (!recording_path(v, name, path))
            return Sound::dropped;
        opened = open_recording(r, name, path);
    }
    if (opened != Sound::sounded)
        return opened;
    // Intoned, the take said nearest the syllable's pitch, so the pitch moves least.
    std::array<char, RECORDING_NAME_BYTES> take_name;
    if (v.intoned && f0_from > 0) {
        opened = take_nearest(r, std::sqrt(static_cast<double>(f0_from) * f0_to), take_name);
        if (opened != Sound::sounded)
            return opened;
    }
    const bool lone = v.stretched.lone_least > 0 && lone_vowel_word(text.data(), v.join.prev_code, cur.code);
    // One said near enough its pitch already keeps it and is only stretched:
    // moving a recording's pitch at all costs its sound more than the few
    // cents bring.
    if (v.intoned && f0_from > 0 && v.intonation.near > 0 &&
        said_near(v.marks, v.source.name, std::sqrt(static_cast<double>(f0_from) * f0_to), v.intonation.near))
        f0_from = 0;
    if (!(v.intoned && f0_from > 0 && intone_source(v, stress, lone, f0_from, f0_to)))
        stretch_source(v, stress, lone);
    if (r.silence_due > 0) {
        put_silence(v.out, r.silence_due);
        r.silence_due = 0;
    }
    r.sounded = true;
    return join_slog(v.join, v.source, v.cur, v.next, v.out, r.result) ? Sound::sounded : Sound::failed;
}

// The held tail goes out before a pause; a pause code becomes silence.
void pause_step(Run& r)
{
    Voice& v = r.v;
    JoinState& st = v.join;
    const int code = v.cur.code;
    if (is_pause(code)) {
        flush_held(st, v.out);
        st.prev_code = code * 100 / st.speed;
    } else {
        st.prev_code = code;
    }
    if (!is_pause(st.prev_code))
        return;
    const long long length = st.prev_code - 2;
    SampleSink& sink = *v.out.sink;
    if (sink.pause != nullptr && flush_samples(v.out))
        sink.pause(sink.pause_user, v.cur.mark, v.out.listed / SAMPLE_BYTES + r.silence_due, length);
    write_silence(r, length);
}

void shift_token(Voice& v)
{
    SlogToken& cur = v.cur;
    const SlogToken& next = v.next;
    for (std::size_t i = 0; i < cur.text.size(); ++i) {
        cur.text[i] = next.text[i];
        if (next.text[i] == '\0')
            break;
    }
    cur.code = next.code;
    cur.mark = next.mark;
    cur.length = next.length;
    cur.too_long = next.too_long;
}

// Where the reader stands in slogi, as a fraction of the whole.
using Progress = ZvukiBar;

void progress_step(Run& r, Progress& p)
{
    if (r.events.reading != nullptr)
        r.events.reading(r.events.user, text_tell(r.slogi));
    else if (zvuki_bar_step(p, text_tell(r.slogi)))
        progress(r, ZvukiProgress::step);
}

// The main loop: each step sounds the token read by the step before, so the
// joiner can look one token ahead. false when the run stops early.
bool speak(Run& r)
{
    Voice& v = r.v;
    Progress p;
    const long long pos = text_tell(r.slogi);
    text_seek(r.slogi, 0, SEEK_END);
    p.size = static_cast<double>(text_tell(r.slogi));
    text_seek(r.slogi, pos, SEEK_SET);
    progress(r, ZvukiProgress::start);

    bool last = false;
    while (!last) {
        if (stopped(r)) {
            r.result.fault = ZvukiFault::stopped;
            return false;
        }
        progress_step(r, p);
        shift_token(v);
        if (v.cur.length == TOKEN_END) {
            last = true;
            v.cur.code = END_CODE;
        } else {
            read_slog_token(r.slogi, v.next);
            // A token that ended at its first byte makes neither sound nor pause.
            if (v.cur.length == 0)
                continue;
        }
        if (v.cur.text[0] == '\0')
            continue;
        if (v.cur.text[0] != PAUSE_MARK) {
            const Sound result = sound_syllable(r);
            if (result == Sound::failed)
                return false;
            // A phrase ends at the pause its last token was written with
            // (whether that is sounded or not), not at one its join put
            // between two words (before a voiceless stop or "и").
            if (is_pause(join_code_of(v.cur.mark)))
                v.phrase.planned = false;
            if (result == Sound::dropped)
                continue;
        } else {
            v.phrase.planned = false;
        }
        pause_step(r);
        if (v.out.failed) {
            r.result.fault = ZvukiFault::write;
            return false;
        }
    }
    progress(r, ZvukiProgress::end);
    return true;
}

}  // namespace

void read_slog_token(TextFile& in, SlogToken& token)
{
    token.too_long = false;
    int i = 0;
    int c = next_byte(in);
    token.text[0] = static_cast<char>(c);
    for (;;) {
        if (c == 0) {
            // A NUL ends the token and keeps the code of the one before.
            token.text[static_cast<std::size_t>(i < SLOG_BYTES ? i : SLOG_BYTES - 1)] = '\0';
            token.length = i;
            return;
        }
        const int code = join_code_of(c);
        if (code >= 0) {
            token.code = code;
            token.mark = static_cast<unsigned char>(c);
            if (c == PAUSE_MARK) {
                if (i < SLOG_BYTES - 1)
                    token.text[static_cast<std::size_t>(i)] = static_cast<char>(PAUSE_MARK);
                ++i;
            }
            if (i > SLOG_BYTES - 1) {
                token.too_long = true;
                i = SLOG_BYTES - 1;
            }
            if (c == END_MARKER) {
                token.text[static_cast<std::size_t>(i)] = '\0';
                token.length = TOKEN_END;
            } else if (i > 0) {
                token.text[static_cast<std::size_t>(i)] = '\0';
                token.length = i;
            } else {
                // Ended at its first byte: the buffer keeps the terminator and
                // what earlier tokens left behind it.
                token.length = 0;
            }
            return;
        }
        if (i < SLOG_BYTES - 1)
            token.text[static_cast<std::size_t>(i)] = static_cast<char>(c);
        else
            token.too_long = true;
        ++i;
        c = next_byte(in);
        if (i < SLOG_BYTES - 1)
            token.text[static_cast<std::size_t>(i)] = static_cast<char>(c);
    }
}

bool voice_open(const char* root, const char* prefix, VoicePtr& voice)
{
    const std::size_t root_len = std::strlen(root);
    // Room for the prefix and the longest recording name behind the root.
    if (root_len >= DATA_PATH_BYTES - VOICE_BYTES)
        return false;
    VoicePtr v(new (std::nothrow) Voice);
    if (!v)
        return false;
    std::memcpy(v->root, root, root_len + 1);
    v->root_len = root_len;
    v->prefix_len = strnlen(prefix, VOICE_BYTES - 1);
    std::memcpy(v->prefix, prefix, v->prefix_len);
    v->prefix[v->prefix_len] = '\0';
    char path[DATA_PATH_BYTES + VOICE_BYTES + sizeof PITCH_MARK_FILE];
    std::snprintf(path, sizeof path, "%s%s%s", v->root, v->prefix, RHYTHM_FILE);
    read_rhythm(path, v->rhythm);
    std::snprintf(path, sizeof path, "%s%s%s", v->root, v->prefix, INTONATION_FILE);
    if (read_intonation(path, v->intonation)) {
        std::snprintf(path, sizeof path, "%s%s%s", v->root, v->prefix, PITCH_MARK_FILE);
        read_pitch_marks(path, v->marks);
    }
    voice = std::move(v);
    return true;
}

bool voice_has_recordings(Voice& voice)
{
    for (const char* p = VOWELS; *p != '\0'; ++p) {
        std::array<char, RECORDING_NAME_BYTES> name;
        if (!recording_file_name(p, 1, name))
            continue;
        char path[DATA_PATH_BYTES];
        TextFile f;
        if (recording_path(voice, name.data(), path) && text_open(f, path, "r"))
            return true;
    }
    return false;
}

ZvukiResult Zvuki(TextFile& slogi, Voice& voice, const SoundSettings& settings, SampleSink& sink,
                  const ZvukiEvents& events)
{
    Run r{slogi, voice, settings, events, {}};
    voice.next = SlogToken{};
    voice.cur = SlogToken{};
    join_start(voice.join, settings);
    // In the everyday reading a voice may bring its own rhythm.
    voice.stretched.factor = 1.0;
    voice.stretched.stress = {1.0, 1.0, 1.0};
    voice.stretched.lone_least = 0.0;
    voice.phrase.planned = false;
    voice.intoned = false;
    if (settings.reading == READING_EVERYDAY && voice.rhythm.crossfade > 0) {
        voice.intoned = voice.intonation.base > 0 && voice.marks.used > 0;
        voice.join.rhythm = voice.rhythm;
        const double factor = rhythm_stretch(voice.rhythm, voice.join.speed);
        if (std::fabs(factor - 1.0) > STRETCH_UNNOTICED)
            voice.stretched.factor = factor;
        voice.stretched.stress = {1.0, voice.rhythm.stressed / 100.0, voice.rhythm.unstressed / 100.0};
        // The crossfades either side overlap the word: it is heard that much shorter.
        if (voice.rhythm.lone_vowel > 0)
            voice.stretched.lone_least =
                voice.rhythm.lone_vowel / speed_pace(voice.join.speed) + 2.0 * voice.rhythm.crossfade;
    }
    writer_start(voice.out, sink);
    if (!settings.trim)
        put_silence(voice.out, LEAD_IN_SAMPLES);
    const bool spoken = speak(r);
    // What was made goes out, also after a failure: a file then holds the
    // speech up to it.
    const bool written = flush_samples(voice.out);
    if (spoken && !written)
        r.result.fault = ZvukiFault::write;
    return r.result;
}
