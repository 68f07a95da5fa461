// The stages bound to the files of a run: the input text, text.tmp,
// text2.tmp, slogi.tmp and rech.wav in the working directory, replace.txt and
// the voice where the driver found them, the settings of vokdar.cfg, and the
// console for what the stages have to say.
#include "driver/stage_files.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "common/console.h"
#include "common/datadirs.h"
#include "common/settings.h"
#include "firstread/firstread.h"
#include "secondread/secondread.h"
#include "slogi/slogi.h"
#include "zvuki/zvuki.h"
#include "driver/driver_internal.h"
#include "driver/speech_out.h"

namespace {

// A typed name: anything the system could open, and the NUL.
constexpr std::size_t NAME_BYTES = PATH_MAX + 1;
// The longest failure message with its numbers and a recording's name.
constexpr std::size_t MESSAGE_BYTES = 160;

const char* const PROMPT_FIRST = "Which file do you whish to read: ";
const char* const PROMPT_AGAIN = "\nPlease enter a VALID file name: ";
const char* const QUIT_WORD = "exit";

// One whitespace-delimited word from standard input into name. false when the
// user typed "exit" or standard input has ended: either way the stage gives up.
bool ask_name(char* name)
{
    std::fflush(stdout);
    CharSource console{.stream = stdin};
    std::size_t length = 0;
    if (!scan_word(console, name, NAME_BYTES, &length))
        return false;
    if (length >= NAME_BYTES)
        name[0] = '\0';  // longer than any path: no file has that name
    return std::strcmp(name, QUIT_WORD) != 0;
}

// The input text: the name given, or names asked for until one opens.
bool open_text(TextFile& in, const char* input_name)
{
    char typed[NAME_BYTES];
    const char* name = input_name;
    if (name == nullptr || name[0] == '\0') {
        console_write(PROMPT_FIRST, std::strlen(PROMPT_FIRST));
        if (!ask_name(typed))
            return false;
        name = typed;
    }
    while (!text_open_input(in, name)) {
        console_write(PROMPT_AGAIN, std::strlen(PROMPT_AGAIN));
        if (!ask_name(typed))
            return false;
        name = typed;
    }
    return true;
}

// The console's side of the sound stage: the progress bar and the syllables
// the voice lacks.
void show_progress(void*, ZvukiProgress what)
{
    if (what == ZvukiProgress::start) {
        console_write("\n[", 2);
        std::fflush(stdout);
    } else if (what == ZvukiProgress::step) {
        console_mark();
    } else {
        console_write("]\n\n", 3);
    }
}

// The bar's twentieths are of slogi.tmp's whole size. While slogi.tmp still
// grows, the sound stage's console is held (it is not its turn yet), and so
// are the positions it has read at; they are told once the size is known.
struct Bar {
    GrowingFile* slogi = nullptr;  // the growing slogi.tmp, until its size is taken
    ZvukiBar steps;
};
Bar bar;

void bar_reading(long long at)
{
    if (bar.slogi != nullptr) {
        bar.steps.size = static_cast<double>(growing_size(*bar.slogi));
        bar.slogi = nullptr;
    }
    if (zvuki_bar_step(bar.steps, at))
        console_mark();
}

void show_reading(void*, long long at)
{
    if (!console_hold_reading(at, bar_reading))
        bar_reading(at);
}

void show_missing(void*, const char* recording) { console_print("\nNo %s slog\n", recording); }

const char WRITE_FAILED[] = "\nError imposible to write to output!\n";

// The message of a failed sound stage, as it has always read.
void zvuki_message(const ZvukiResult& r, char* message, std::size_t cap)
{
    const char* name = r.recording.data();
    switch (r.fault) {
    case ZvukiFault::no_memory:
        std::snprintf(message, cap, "Not enough memory for the sound stage\n");
        break;
    case ZvukiFault::mode_set:
        std::snprintf(message, cap, "Error on mode set");
        break;
    case ZvukiFault::write_on_morph:
        std::snprintf(message, cap, "\nError imposible to write to output on morph!\n");
        break;
    case ZvukiFault::write_on_main:
        std::snprintf(message, cap, "\nError imposible to write to output on main1 %s!\n", name);
        break;
    case ZvukiFault::read_on_morph:
        std::snprintf(message, cap, "\nError imposible to read from slogtmp on morph second!%lld %lld\n", r.first,
                      r.second);
        break;
    case ZvukiFault::read_on_main:
        std::snprintf(message, cap, "\nError imposible to read from slogtmp on main1 %s!\n", name);
        break;
    case ZvukiFault::read_on_tail:
        std::snprintf(message, cap, "\nError imposible to read from slogtmp buffer read! %lld %s\n", r.first, name);
        break;
    case ZvukiFault::read_on_skip:
        std::snprintf(message, cap, "\nError imposible to read from slogtmp on skips!\n");
        break;
    default:
        std::snprintf(message, cap, "%s", WRITE_FAILED);
        break;
    }
}

// A file of a stage and what is said when it does not open.
struct StageFile {
    const char* name;
    const char* failed;
};

// The text a stage reads and the one it writes, opened in turn: nullptr, or
// the message of the first that does not open.
const char* open_texts(TextFile& in, StageFile in_file, TextFile& out, StageFile out_file)
{
    if (!text_open_growing(in, in_file.name, "r", pipeline_file(in_file.name)))
        return in_file.failed;
    if (!text_open_growing(out, out_file.name, "w", pipeline_file(out_file.name)))
        return out_file.failed;
    return nullptr;
}

}  // namespace

int firstread_files(const char* input_name)
{
    TextFile in;
    if (!open_text(in, input_name))
        return 0;
    console_print("Firstread initialized...\n");
    TextFile out;
    if (!text_open_growing(out, "text.tmp", "w", pipeline_file("text.tmp")))
        return fail_wait("\nImpocible to open text.tmp!\n");
    const FirstreadResult r = Firstread(in, out, FirstreadSettings{Settings.reading});
    const bool closed = text_close(out);
    if (r.status == FirstreadStatus::read_failed) {
        char message[MESSAGE_BYTES];
        std::snprintf(message, sizeof message, "\nError imposible to read text!%lld\n", r.remaining);
        return fail_wait(message);
    }
    if (r.status != FirstreadStatus::done || !closed)
        return fail_wait("\nError imposible to write to text.tmp!\n");
    return 1;
}

int secondread_files()
{
    console_print("Secondread initialized...\n");
    // The dictionary is made ready while the first stage may still be
    // writing the text (it says nothing and writes nothing); a failure is
    // told where it always was, after the texts have opened.
    DictionaryPtr dictionary;
    const DictionaryOpen opened = dictionary_open(Places.dictionary, dictionary);
    FileFailure dictionary_failure = last_file_failure();
    TextFile text, out;
    if (const char* failed = open_texts(text, {"text.tmp", "Input open fail on second read!"}, out,
                                        {"text2.tmp", "Output open fail on second read!"}))
        return fail_wait(failed);
    if (opened != DictionaryOpen::opened) {
        note_file_failure(dictionary_failure.name.data(), dictionary_failure.error, dictionary_failure.reason);
        return fail_wait("Replacement open fail on second read!");
    }
    dictionary_keep_stress(*dictionary, Settings.reading == READING_EVERYDAY);
    const SecondreadStatus status = Secondread(text, out, *dictionary);
    if (!text_close(out) || status == SecondreadStatus::write_failed)
        return fail_wait("Output write fail on second read!");
    if (status != SecondreadStatus::done)
        return fail_wait("Input read fail on second read!");
    return 1;
}

int slogi_files()
{
    console_print("Slogi initialized...\n");
    TextFile text, out;
    if (const char* failed = open_texts(text, {"text2.tmp", "\nThere is no text2.tmp!\n"}, out,
                                        {"slogi.tmp", "\nFailed to create file \"slogi.tmp\"!\n"}))
        return fail_wait(failed);
    const SlogiStatus status = Slogi(text, out, Settings.reading);
    if (!text_close(out) || status == SlogiStatus::write_failed)
        return fail_wait("\nFailed to write file \"slogi.tmp\"!\n");
    if (status != SlogiStatus::done)
        return fail_wait("\nFailed to read file \"text2.tmp\"!\n");
    return 1;
}

int zvuki_files()
{
    console_print("Zvuki initialized...\n");
    // Over 12 MiB, most of it touched only as the voice fills it.
    VoicePtr voice;
    if (!voice_open(Places.voice_root, Settings.voice, voice))
        return fail_wait("Not enough memory for the sound stage\n");
    TextFile slogi;
    if (!text_open_growing(slogi, "slogi.tmp", "r", pipeline_file("slogi.tmp")))
        return fail_wait("slogi.tmp could not be found");
    static SpeechOut out;  // its file's buffer is too large for the stack
    const SpeechOpen opened = speech_open(out, Places.speech, speech_cuts());
    if (opened == SpeechOpen::not_open)
        return fail_wait("Output not open\n");
    if (opened == SpeechOpen::no_header)
        return fail_wait("Wavetag failed first call\n");
    out.slogi = &slogi;
    // Still growing: the progress line learns its size when it is known.
    out.slogi_size = text_growing(slogi) ? 0 : text_size(slogi);
    static ChapterMarks chapters;
    if (out.cuts.chapters) {
        // Read to their ends: the speech starts once the text stages are done.
        TextFile text;
        if (text_open_growing(text, "text.tmp", "r", pipeline_file("text.tmp")))
            find_chapters(text, slogi, chapters);
        out.chapters = &chapters;
    }
    // The player hears the first words while the rest is made: small blocks.
    if (PlayWhileSpeaking)
        stream_start(Places.speech);
    SampleSink sink = speech_sink(out, stream_active() ? STREAM_BLOCK_BYTES : SAMPLE_BLOCK_BYTES);
    ZvukiEvents events;
    events.progress = show_progress;
    events.reading = show_reading;
    events.missing = show_missing;
    events.stop = pipeline_stop_flag();
    bar = Bar{};
    if (text_growing(slogi))
        bar.slogi = slogi.growing;
    else
        bar.steps.size = static_cast<double>(text_size(slogi));
    const SoundSettings settings{Settings.speed, Settings.volume, Settings.stutter, false, Settings.reading};
    const ZvukiResult r = Zvuki(slogi, *voice, settings, sink, events);
    if (r.fault != ZvukiFault::none) {
        char message[MESSAGE_BYTES];
        zvuki_message(r, message, sizeof message);
        fail_wait(message);
    }
    // The header states what the file holds, after a failure too.
    long long total_length = 0;
    const bool written = speech_finish(out, total_length);
    if (wav_too_long(total_length))
        console_print("%s", WAV_TOO_LONG_MESSAGE);
    if (r.fault != ZvukiFault::none)
        return 0;
    if (!written)
        return fail_wait(WRITE_FAILED);
    return 1;
}
