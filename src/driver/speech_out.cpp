// The speech on its way out of the sound stage: numbered WAV files cut at a
// sentence end, a player fed while the speech is made, and the time left.
#include "driver/speech_out.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "common/format_samples.h"
#include "common/format_slogi.h"
#include "common/sysfile.h"
#include "common/tables.h"
#include "driver/driver_internal.h"
#include "driver/driver_system.h"

namespace {

constexpr int WAV_HEADER_SIZE = 44;  // the header before the samples of every part
// A part is cut at the first sentence end after this share of its limit has
// gone by: no sentence lasts a sixteenth of a WAV file's hours.
constexpr long long CUT_RESERVE_SHARE = 16;
constexpr int PART_DIGITS = 3;  // rech-002.wav
constexpr std::size_t FEED_CHUNK_BYTES = 65536;
// The progress line is redrawn at most this often.
constexpr auto PROGRESS_EVERY = std::chrono::milliseconds(250);

bool is_sentence_end(unsigned char mark)
{
    return mark == '.' || mark == '!' || mark == '?' || mark == '\n';
}

void set_cut_from(SpeechOut& out)
{
    const long long limit = out.cuts.part_bytes;
    out.cut_from = limit - limit / CUT_RESERVE_SHARE;
    if (out.cuts.every_bytes > 0 && out.cuts.every_bytes < out.cut_from)
        out.cut_from = out.cuts.every_bytes;
}

// ---- the player fed from the files as they grow ----

struct Feed {
    std::mutex lock;
    std::condition_variable more;
    char name[DATA_PATH_BYTES] = "";
    int part = 1;             // the part being written
    long long written = 0;    // its sample bytes on disk
    bool done = false;        // no more will come
    int input = -1;           // the player's standard input
    bool active = false;
    std::thread feeder;
};
Feed feed;

// A header for a stream of unknown length: the format of the speech's
// files, both sizes at their maximum, as players take it.
void stream_header(unsigned char (&h)[WAV_HEADER_SIZE])
{
    const auto put = [&h](int at, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            h[at + i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
    };
    std::memcpy(h, "RIFF", 4);
    put(4, 0xFFFFFFFF, 4);                                  // RIFF size: unknown
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put(16, 16, 4);                                         // format chunk size
    put(20, 1, 2);                                          // plain PCM
    put(22, SAMPLE_CHANNELS, 2);
    put(24, SAMPLE_RATE, 4);
    put(28, SAMPLE_RATE * SAMPLE_CHANNELS * SAMPLE_BYTES, 4);  // byte rate
    put(32, SAMPLE_CHANNELS * SAMPLE_BYTES, 2);             // bytes per frame
    put(34, 8 * SAMPLE_BYTES, 2);                           // bits per sample
    std::memcpy(h + 36, "data", 4);
    put(40, 0xFFFFFFFF, 4);                                 // sample bytes: unknown
}

// Sends part's samples from fed to upto; false when the player has gone.
bool feed_part(int part, long long& fed, long long upto)
{
    char name[DATA_PATH_BYTES];
    TextFile f;
    if (!speech_part_name(feed.name, part, name, sizeof name) || !text_open(f, name, "r"))
        return false;
    text_set_binary(f);
    unsigned char chunk[FEED_CHUNK_BYTES];
    while (fed < upto) {
        const long long want = upto - fed < static_cast<long long>(sizeof chunk) ? upto - fed : sizeof chunk;
        text_seek(f, WAV_HEADER_SIZE + fed, SEEK_SET);
        const std::size_t got = text_read(f, chunk, static_cast<std::size_t>(want));
        if (got == 0 || !write_player_input(feed.input, chunk, got))
            return false;
        fed += static_cast<long long>(got);
    }
    return true;
}

void run_feeder()
{
    unsigned char header[WAV_HEADER_SIZE];
    stream_header(header);
    if (!write_player_input(feed.input, header, sizeof header))
        return;
    int part = 1;
    long long fed = 0;
    for (;;) {
        long long upto = 0;
        bool finished = false;
        {
            std::unique_lock<std::mutex> hold(feed.lock);
            feed.more.wait(hold, [&] { return feed.part > part || feed.written > fed || feed.done; });
            finished = feed.part > part;
            upto = finished ? -1 : feed.written;
            if (!finished && upto <= fed && feed.done)
                return;
        }
        if (finished) {
            // A finished part's header states its length: all of it goes.
            char name[DATA_PATH_BYTES];
            TextFile f;
            upto = speech_part_name(feed.name, part, name, sizeof name) && text_open(f, name, "r")
                       ? text_size(f) - WAV_HEADER_SIZE
                       : fed;
        }
        if (!feed_part(part, fed, upto))
            return;
        if (finished) {
            ++part;
            fed = 0;
        }
    }
}

void feed_progress(int part, long long written)
{
    if (!feed.active)
        return;
    {
        std::lock_guard<std::mutex> hold(feed.lock);
        feed.part = part;
        feed.written = written;
    }
    feed.more.notify_one();
}

// ---- the progress line ----

struct Progress {
    bool on = false;
    bool decided = false;
    std::chrono::steady_clock::time_point start, speaking, last;
};
Progress progress;

bool progress_on()
{
    if (!progress.decided) {
        progress.decided = true;
        progress.on = progress_terminal();
        progress.start = std::chrono::steady_clock::now();
    }
    return progress.on;
}

void show_time_left(SpeechOut& out)
{
    if (!progress_on() || out.slogi == nullptr)
        return;
    // slogi.tmp still growing (the text stages going on beside): its size
    // is taken once it is whole.
    if (out.slogi_size <= 0 && !text_growing(*out.slogi))
        out.slogi_size = text_size(*out.slogi);
    if (out.slogi_size <= 0)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - progress.last < PROGRESS_EVERY)
        return;
    progress.last = now;
    const double share = static_cast<double>(text_tell(*out.slogi)) / static_cast<double>(out.slogi_size);
    const double spent = std::chrono::duration<double>(now - progress.speaking).count();
    const long long left = share > 0.01 ? static_cast<long long>(spent * (1 - share) / share) : -1;
    char line[PROGRESS_LINE_BYTES];
    progress_line(line, share, left);
    std::fputs(line, stderr);
    std::fflush(stderr);
}

void clear_progress_line()
{
    char line[PROGRESS_LINE_BYTES];
    progress_clear(line);
    std::fputs(line, stderr);
    std::fflush(stderr);
}

// ---- the parts ----

SpeechOpen open_part(SpeechOut& out)
{
    char name[DATA_PATH_BYTES];
    out.failed = true;
    if (!speech_part_name(out.name, out.part, name, sizeof name))
        return SpeechOpen::not_open;
    set_aside_old_file(name);
    if (!text_open(out.file, name, "w+")) {
        restore_set_aside(name);
        return SpeechOpen::not_open;
    }
    free_set_aside();
    if (!wav_start(out.file))
        return SpeechOpen::no_header;
    out.failed = false;
    out.part_sink = wav_sink(out.file);
    out.bytes = 0;
    set_cut_from(out);
    return SpeechOpen::opened;
}

// The part so far gets its true header; the speech goes on in the next.
bool next_part(SpeechOut& out)
{
    long long length = 0;
    const bool finished = wav_finish(out.file, length) && text_close(out.file);
    feed_progress(out.part + 1, 0);
    ++out.part;
    return open_part(out) == SpeechOpen::opened && finished;
}

bool write_part(SpeechOut& out, iovec* parts, int count, long long n)
{
    if (out.failed || !out.part_sink.write(out.part_sink.user, parts, count))
        return false;
    out.bytes += n;
    feed_progress(out.part, out.bytes);
    return true;
}

// No sentence end came before the part's limit: it is cut where it is full,
// between two samples, a part of the write at a time.
bool write_cut(SpeechOut& out, const iovec* parts, int count)
{
    for (int i = 0; i < count; ++i) {
        auto* at = static_cast<unsigned char*>(parts[i].iov_base);
        long long left = static_cast<long long>(parts[i].iov_len);
        while (left > 0) {
            const long long room = out.cuts.part_bytes - out.bytes;
            if (room <= 0) {
                if (!next_part(out))
                    return false;
                continue;
            }
            const long long take = left < room ? left : room;
            iovec piece = {at, static_cast<std::size_t>(take)};
            if (!write_part(out, &piece, 1, take))
                return false;
            at += take;
            left -= take;
        }
    }
    return true;
}

bool write_speech(void* user, iovec* parts, int count)
{
    SpeechOut& out = *static_cast<SpeechOut*>(user);
    long long n = 0;
    for (int i = 0; i < count; ++i)
        n += static_cast<long long>(parts[i].iov_len);
    show_time_left(out);
    if (out.bytes + n > out.cuts.part_bytes)
        return write_cut(out, parts, count);
    return write_part(out, parts, count, n);
}

// Whether the sound stage has read past the paragraph mark before the next
// chapter: the pause it tells of now is the last before the heading (the
// stage reads no further ahead than the next syllable).
bool at_chapter(SpeechOut& out)
{
    if (out.chapters == nullptr || out.slogi == nullptr || out.next_chapter >= out.chapters->count ||
        text_tell(*out.slogi) <= out.chapters->at[out.next_chapter])
        return false;
    ++out.next_chapter;
    return true;
}

void pause_in_speech(void* user, unsigned char mark, long long, long long)
{
    SpeechOut& out = *static_cast<SpeechOut*>(user);
    const bool chapter = at_chapter(out);
    if (out.failed)
        return;
    if ((chapter && out.bytes > 0) || (is_sentence_end(mark) && out.bytes >= out.cut_from))
        next_part(out);
}

// ---- chapter headings ----

// The small letters of a word as the syllable stage wrote it, without its
// joins and stress marks.
constexpr std::size_t HEADING_WORD_BYTES = 16;
struct HeadingWord {
    std::array<char, HEADING_WORD_BYTES> letters{};
    std::size_t length = 0;
    void add(unsigned char c)
    {
        if (length + 1 < letters.size())
            letters[length] = static_cast<char>(c);
        ++length;  // a longer word is no heading word
    }
    bool starts(const char* prefix) const
    {
        const std::size_t n = std::strlen(prefix);
        return length < letters.size() && length >= n && std::memcmp(letters.data(), prefix, n) == 0;
    }
    bool is(const char* word) const { return starts(word) && length == std::strlen(word); }
};

// Code page 1251, as the stage files are.
bool is_heading_word(const HeadingWord& w)
{
    static const char* const WORDS[] = {"\xE3\xEB\xE0\xE2\xE0", "\xF7\xE0\xF1\xF2\xFC", "\xEA\xED\xE8\xE3\xE0",
                                        "\xEF\xF0\xEE\xEB\xEE\xE3", "\xFD\xEF\xE8\xEB\xEE\xE3"};
    for (const char* word : WORDS)  // глава часть книга пролог эпилог
        if (w.is(word))
            return true;
    return false;
}

// A number as the first stage reads it out, cardinal or ordinal, in any case.
bool is_number_word(const HeadingWord& w)
{
    static const char* const STEMS[] = {
        "\xEE\xE4\xE8\xED", "\xEE\xE4\xED", "\xEF\xE5\xF0\xE2", "\xE2\xF2\xEE\xF0", "\xE4\xE2\xE0",
        "\xE4\xE2\xE5", "\xF2\xF0\xE8", "\xF2\xF0\xE5\xF2", "\xF7\xE5\xF2\xFB\xF0", "\xF7\xE5\xF2\xE2",
        "\xEF\xFF\xF2", "\xF8\xE5\xF1\xF2", "\xF1\xE5\xEC\xFC", "\xF1\xE5\xE4\xFC\xEC", "\xE2\xEE\xF1\xE5\xEC",
        "\xE2\xEE\xF1\xFC\xEC", "\xE4\xE5\xE2\xFF\xF2", "\xE4\xE5\xF1\xFF\xF2", "\xF1\xEE\xF0\xEE\xEA",
        "\xF1\xF2\xEE", "\xF1\xEE\xF2", "\xE4\xE2\xE0\xE4", "\xE4\xE2\xE5\xED", "\xF2\xF0\xE8\xE4"};
    // один одн перв втор два две три трет четыр четв пят шест семь седьм
    // восем восьм девят десят сорок сто сот двад двен трид
    for (const char* stem : STEMS)
        if (w.starts(stem))
            return true;
    return false;
}

}  // namespace

namespace {

bool is_paragraph_mark(int c) { return c == PAUSE_MARK || c == '\n'; }

// The paragraph marks of text (text.tmp's form) that stand before a heading,
// by their number among all its marks (from 1), in order.
void find_headings(TextFile& text, ChapterMarks& marks)
{
    long long mark_number = 0;
    long long before = 0;    // the mark before this paragraph (0: the text's start)
    int words = 0;           // of this paragraph
    bool heading = true;     // it may still be a heading
    bool after_heading = false;  // the paragraph before was one: no cut between them
    HeadingWord word;
    const auto end_word = [&] {
        if (word.length == 0)
            return;
        ++words;
        if (words == 1)
            heading = is_heading_word(word);
        else if (words == 2)
            heading = heading && is_number_word(word);
        heading = heading && words <= HEADING_WORDS_MAX;
        word = HeadingWord{};
    };
    const auto end_paragraph = [&] {
        end_word();
        if (words > 0) {
            if (heading && !after_heading && before > 0 && marks.count < marks.at.size())
                marks.at[marks.count++] = before;
            after_heading = heading;
        }
        before = mark_number;  // marks in a row: the last one
        words = 0;
    };
    for (int c; (c = text_getc(text)) != TEXT_EOF && c != END_MARKER;) {
        if (is_paragraph_mark(c)) {
            ++mark_number;
            end_paragraph();
        } else if (is_small_letter(static_cast<unsigned char>(c))) {
            word.add(static_cast<unsigned char>(c));
        } else {
            end_word();
        }
    }
    end_paragraph();
}

}  // namespace

void find_chapters(TextFile& text, TextFile& slogi, ChapterMarks& marks)
{
    marks.count = 0;
    text_seek(text, 0, SEEK_SET);
    find_headings(text, marks);
    // The same marks in the syllables, in the same order: their offsets there.
    text_seek(slogi, 0, SEEK_SET);
    long long mark_number = 0;
    std::size_t found = 0;
    for (int c; (c = text_getc(slogi)) != TEXT_EOF && c != END_MARKER;) {
        if (!is_paragraph_mark(c))
            continue;
        ++mark_number;
        if (found < marks.count && marks.at[found] == mark_number)
            marks.at[found++] = text_tell(slogi) - 1;
    }
    // Texts whose marks do not match give no cuts rather than wrong ones.
    if (found != marks.count || text.failed || slogi.failed)
        marks.count = 0;
    text_seek(slogi, 0, SEEK_SET);
}

bool speech_part_name(const char* name, int part, char* out, std::size_t cap)
{
    if (part == 1)
        return std::snprintf(out, cap, "%s", name) < static_cast<int>(cap);
    const char* dot = std::strrchr(name, '.');
    const char* slash = std::strrchr(name, PATH_SEPARATOR);
    const std::size_t stem = dot != nullptr && (slash == nullptr || dot > slash) && dot != name
                                 ? static_cast<std::size_t>(dot - name)
                                 : std::strlen(name);
    const int n = std::snprintf(out, cap, "%.*s-%0*d%s", static_cast<int>(stem), name, PART_DIGITS, part,
                                name + stem);
    return n > 0 && static_cast<std::size_t>(n) < cap;
}

SpeechCuts speech_cuts()
{
    SpeechCuts cuts;
    if (Options.part_bytes > 0)
        cuts.part_bytes = Options.part_bytes;
    cuts.every_bytes = static_cast<long long>(Options.split_minutes) * 60 * SAMPLE_RATE * SAMPLE_BYTES;
    cuts.chapters = Options.split_chapters;
    return cuts;
}

SpeechOpen speech_open(SpeechOut& out, const char* name, const SpeechCuts& cuts)
{
    std::snprintf(out.name, sizeof out.name, "%s", name);
    out.cuts = cuts;
    out.part = 1;
    out.chapters = nullptr;
    out.next_chapter = 0;
    return open_part(out);
}

SampleSink speech_sink(SpeechOut& out, std::size_t block_bytes)
{
    SampleSink sink;
    sink.user = &out;
    sink.write = write_speech;
    sink.pause = pause_in_speech;
    sink.pause_user = &out;
    sink.block_bytes = block_bytes;
    progress.speaking = std::chrono::steady_clock::now();
    return sink;
}

bool speech_finish(SpeechOut& out, long long& total_length)
{
    const bool ok = wav_finish(out.file, total_length) && !out.failed;
    const bool closed = text_close(out.file);
    release_set_aside();
    // Parts a longer earlier run left behind would read as this speech's:
    // those up to the first number no file has go.
    char name[DATA_PATH_BYTES];
    for (int part = out.part + 1; speech_part_name(out.name, part, name, sizeof name) && sys_exists(name); ++part)
        sys_remove(name);
    if (progress_on())
        clear_progress_line();
    return ok && closed;
}

int speech_parts(const SpeechOut& out) { return out.part; }

bool stream_start(const char* wav_name)
{
    feed.input = start_stream_player();  // its lookups are those of programs.cpp
    if (feed.input < 0)
        return false;
    std::snprintf(feed.name, sizeof feed.name, "%s", wav_name);
    feed.part = 1;
    feed.written = 0;
    feed.done = false;
    feed.active = true;
    feed.feeder = std::thread(run_feeder);
    return true;
}

bool stream_active() { return feed.active; }

void stream_end()
{
    if (!feed.active)
        return;
    {
        std::lock_guard<std::mutex> hold(feed.lock);
        feed.done = true;
    }
    feed.more.notify_one();
    feed.feeder.join();
    close_player_input(feed.input);
    feed.active = false;
}

void progress_stage(const char* stage)
{
    if (progress_on()) {
        std::fprintf(stderr, "\rvokdar: %-40s", stage);
        std::fflush(stderr);
    }
}

void progress_done()
{
    if (progress_on())
        clear_progress_line();
}

void progress_line(char (&line)[PROGRESS_LINE_BYTES], double share, long long left)
{
    const int percent = share < 0 ? 0 : share > 1 ? 100 : static_cast<int>(share * 100);
    if (left < 0) {
        std::snprintf(line, sizeof line, "\rvokdar: speaking, %2d%% done          ", percent);
        return;
    }
    // Past 99 hours the hours take more room; the line is cut at the blank's width.
    std::snprintf(line, sizeof line, "\rvokdar: speaking, %2d%% done, %lld:%02lld:%02lld left ", percent, left / 3600,
                  left / 60 % 60, left % 60);
}

void progress_clear(char (&line)[PROGRESS_LINE_BYTES])
{
    std::snprintf(line, sizeof line, "\r%*s\r", PROGRESS_LINE_WIDTH, "");
}
