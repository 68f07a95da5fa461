// Stage four: the syllables of slogi.tmp spoken into rech.wav from the voice's recordings.
#include "zvuki/zvuki.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "common/console.h"
#include "common/datadirs.h"
#include "common/settings.h"
#include "common/tables.h"
#include "zvuki/recording_name.h"
#include "zvuki/zvuki_internal.h"

namespace {

// The terminators of a token and the join codes they give it.
struct JoinCode {
    char terminator;
    int code;
};
constexpr JoinCode JOIN_CODES[] = {
    {'+', code_of(JoinKind::joined)},
    {'-', code_of(JoinKind::split)},
    {'_', code_of(JoinKind::word_end)},
    {'~', 1 * PAUSE_UNIT},    // pause
    {'\n', 6 * PAUSE_UNIT},   // end of a paragraph
    {',', 6 * PAUSE_UNIT},
    {';', 12 * PAUSE_UNIT},
    {'#', 20 * PAUSE_UNIT},   // a pause of its own; the "#" stays in the token
    {':', 25 * PAUSE_UNIT},
    {'!', 27 * PAUSE_UNIT},
    {'.', 30 * PAUSE_UNIT},
    {'?', 35 * PAUSE_UNIT},
    {static_cast<char>(END_MARKER), 0},  // end of the stream
};

// The marks of the progress bar: one per twentieth of slogi.tmp.
constexpr double PROGRESS_STEP = 0.05;
const char WRITE_FAILED[] = "\nError imposible to write to output!\n";

// The join code of every byte, -1 for a byte that is no terminator.
constexpr std::array<int, 256> JOIN_CODE_TABLE = [] {
    std::array<int, 256> t{};
    t.fill(-1);
    for (const JoinCode& j : JOIN_CODES)
        t[static_cast<unsigned char>(j.terminator)] = j.code;
    return t;
}();
int join_code_of(int c) { return c >= 0 && c < 256 ? JOIN_CODE_TABLE[static_cast<std::size_t>(c)] : -1; }

// The end of slogi.tmp counts as its end marker: a file cut short ends the
// speech where it stops.
int next_byte(TextFile& in)
{
    const int c = text_getc(in);
    return c == TEXT_EOF ? END_MARKER : c;
}

enum class Sound { sounded, dropped, failed };

// Everything one run of the stage works with.
struct Stage {
    TextFile slogi;
    TextFile rech;
    TextFile recording;
    SampleWriter out;
    SlogToken next;
    SlogToken cur;
    std::size_t prefix_len = 0;
    JoinState join;
    VoiceStore voices;
    SampleSource source;
};

void write_silence(Stage& s, long long count)
{
    if (!put_silence(s.out, count))
        fail_wait(WRITE_FAILED);
}

// The length of rech.wav goes into its header; then both files are closed.
// false when any write to rech.wav failed.
bool close_stage(Stage& s)
{
    TextFile& rech = s.rech;
    // Everything goes to the disk first, so the length measured is what the
    // file really holds even when the disk filled up.
    flush_samples(s.out);
    text_flush(rech);
    const long long pos = text_tell(rech);
    text_seek(rech, 0, SEEK_END);
    const long long total_length = text_tell(rech);
    text_seek(rech, pos, SEEK_SET);
    Wavetag(rech, total_length);
    if (wav_too_long(total_length))
        std::printf("%s", WAV_TOO_LONG_MESSAGE);
    text_close(s.slogi);
    return text_close(rech) && !s.out.failed;
}

int fail_stage(Stage& s)
{
    close_stage(s);
    return 0;
}

// The recording of the current syllable as a source of samples: held in the
// store, or opened (and then kept in the store when there is room).
Sound open_recording(Stage& s, const char* name, const char* path)
{
    SampleSource& src = s.source;
    KeptRecording& slot = voice_slot(s.voices, name);
    src.file = nullptr;
    src.start = 0;
    src.store = &s.voices;
    src.kept = nullptr;
    src.name = name;
    if (slot.name[0] == '\0') {
        // Read-only: a voice installed where the user cannot write is still a voice.
        TextFile& file = s.recording;
        if (!text_open(file, path, "r")) {
            std::printf("\nNo %s slog\n", name);
            return Sound::dropped;
        }
        if (!text_set_binary(file)) {
            text_close(file);
            fail_wait("Error on mode set");
            return Sound::failed;
        }
        const long long pos = text_tell(file);
        text_seek(file, 0, SEEK_END);
        src.size = text_tell(file);
        text_seek(file, pos, SEEK_SET);
        if (!voice_keep(s.voices, slot, name, file, src.size)) {
            src.file = &file;
            return Sound::sounded;
        }
    }
    src.bytes = s.voices.arena.data() + slot.at;
    src.size = static_cast<long long>(slot.size);
    src.kept = &slot;
    return Sound::sounded;
}

Sound sound_syllable(Stage& s)
{
    const SlogToken& cur = s.cur;
    std::array<char, RECORDING_NAME_BYTES> file_name;
    // An over-long token or path is dropped like a syllable without a recording name.
    if (cur.too_long || !recording_file_name(cur.text.data(), strnlen(cur.text.data(), SLOG_BYTES - 1), file_name))
        return Sound::dropped;
    const char* name = file_name.data();
    const std::size_t name_len = std::strlen(name);
    if (s.prefix_len + name_len > VOICE_BYTES - 1)
        return Sound::dropped;
    // The directory the driver found the voice in, if not here, goes first.
    char path[DATA_PATH_BYTES];
    const std::size_t root_len = strnlen(Places.voice_root, DATA_PATH_BYTES - VOICE_BYTES);
    std::memcpy(path, Places.voice_root, root_len);
    std::memcpy(path + root_len, Settings.voice, s.prefix_len);
    std::memcpy(path + root_len + s.prefix_len, name, name_len + 1);

    const Sound opened = open_recording(s, name, path);
    if (opened != Sound::sounded)
        return opened;
    return join_slog(s.join, s.source, s.cur, s.next, s.out) ? Sound::sounded : Sound::failed;
}

// The held tail goes out before a pause; a pause code becomes silence.
void pause_step(Stage& s)
{
    JoinState& st = s.join;
    const int code = s.cur.code;
    if (is_pause(code)) {
        flush_held(st, s.out);
        st.prev_code = code * 100 / st.speed;
    } else {
        st.prev_code = code;
    }
    if (is_pause(st.prev_code))
        write_silence(s, st.prev_code - 2);
}

void shift_token(Stage& s)
{
    SlogToken& cur = s.cur;
    const SlogToken& next = s.next;
    for (std::size_t i = 0; i < cur.text.size(); ++i) {
        cur.text[i] = next.text[i];
        if (next.text[i] == '\0')
            break;
    }
    cur.code = next.code;
    cur.length = next.length;
    cur.too_long = next.too_long;
}

// The main loop: each step sounds the token read by the step before, so the
// joiner can look one token ahead.
int speak(Stage& s)
{
    const long long pos = text_tell(s.slogi);
    text_seek(s.slogi, 0, SEEK_END);
    const double size = static_cast<double>(text_tell(s.slogi));
    text_seek(s.slogi, pos, SEEK_SET);
    std::printf("\n[");
    std::fflush(stdout);

    join_start(s.join);
    // In the everyday reading a voice may bring its own rhythm.
    if (Settings.reading == READING_EVERYDAY) {
        char path[DATA_PATH_BYTES + sizeof RHYTHM_FILE];
        const std::size_t root_len = strnlen(Places.voice_root, DATA_PATH_BYTES - VOICE_BYTES);
        std::memcpy(path, Places.voice_root, root_len);
        std::memcpy(path + root_len, Settings.voice, s.prefix_len);
        std::memcpy(path + root_len + s.prefix_len, RHYTHM_FILE, sizeof RHYTHM_FILE);
        read_rhythm(path, s.join.rhythm);
    }
    double progress_step = PROGRESS_STEP;
    bool last = false;
    while (!last) {
        if (size > 0 && static_cast<double>(text_tell(s.slogi)) / size > progress_step) {
            progress_step += PROGRESS_STEP;
            console_mark();
        }
        shift_token(s);
        if (s.cur.length == TOKEN_END) {
            last = true;
            s.cur.code = END_CODE;
        } else {
            read_slog_token(s.slogi, s.next);
            // A token that ended at its first byte makes neither sound nor pause.
            if (s.cur.length == 0)
                continue;
        }
        if (s.cur.text[0] == '\0')
            continue;
        if (s.cur.text[0] != '#') {
            const Sound result = sound_syllable(s);
            if (result == Sound::failed)
                return fail_stage(s);
            if (result == Sound::dropped)
                continue;
        }
        pause_step(s);
    }
    std::printf("]\n\n");
    if (!close_stage(s))
        return fail_wait(WRITE_FAILED);
    return 1;
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
            if (c == '#') {
                if (i < SLOG_BYTES - 1)
                    token.text[static_cast<std::size_t>(i)] = '#';
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

int Zvuki()
{
    std::printf("Zvuki initialized...\n");
    // Over 12 MiB, most of it touched only as the voice fills it.
    const std::unique_ptr<Stage> stage(new (std::nothrow) Stage);
    if (!stage)
        return fail_wait("Not enough memory for the sound stage\n");
    Stage& s = *stage;
    if (!text_open(s.slogi, "slogi.tmp", "r"))
        return fail_wait("slogi.tmp could not be found");
    if (!text_open(s.rech, Places.speech, "w+")) {
        text_close(s.slogi);
        return fail_wait("Output not open\n");
    }
    writer_start(s.out, s.rech);
    if (!Wavetag(s.rech, 0)) {
        fail_wait("Wavetag failed first call\n");
        return fail_stage(s);
    }
    // From here on the header's sizes describe what the file holds.
    flush_samples(s.out);
    write_silence(s, LEAD_IN_SAMPLES);
    s.prefix_len = strnlen(Settings.voice, VOICE_BYTES);
    return speak(s);
}
