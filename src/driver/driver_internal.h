// The driver's own operations (settings, dialogue, help, hand-offs, clipboard),
// shared by its source files and its tests; nothing else includes this.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdio>

// Loads vokdar.cfg into Settings and repairs it: 1 when read, 0 when the file
// cannot be opened (Settings then untouched).
int Readconfig();
// The setup dialogue on standard input; rewrites the settings file a run
// would read (see setup_target) and says which. EXIT_OK, or EXIT_FAILED when
// it could not be written.
int Setup();
// The dialogue on the settings file name, with its answers taken from
// answers (Setup passes stdin).
int setup_dialogue(std::FILE* answers, const char* name = "vokdar.cfg");

// The exit statuses: a run that spoke its text, or a one-shot action that did
// what it was asked; one that could not (the line before the status says why);
// a command line that cannot be understood.
constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

// The usage text. Returns 0.
int Printhelp();
// Encodes rech.wav into rech.mp3 and waits for the encoder: EXIT_OK when it
// made it, else EXIT_FAILED after a line saying why.
int Convertmp3();
// Starts the first player that reads a WAV stream from standard input, when
// the user has no "wav" program of their own: the pipe's end to write the
// stream to, or -1.
int start_stream_player();
// Set by the command line's decision: the run ends in -p, so its speech goes
// to a player that reads standard input while it is made, where there is one.
extern bool PlayWhileSpeaking;

// A player that reads the speech from its standard input while it is made.
// Started before the sound stage when the run ends in -p and the player
// found takes standard input; fed from the files as they grow.
bool stream_start(const char* wav_name);
// Whether the speech is streaming to a player.
bool stream_active();
// Everything written is fed to the player, then its input is closed.
void stream_end();

// The progress line on standard error, when it is a terminal the console
// lines do not go to: a stage's name, then the share spoken and the time left.
void progress_stage(const char* stage);
void progress_done();
// The line as drawn: a carriage return, the share spoken and, once it can be
// told (left, in seconds, not negative), the time left; and the blank that
// clears it, a carriage return either side of PROGRESS_LINE_WIDTH spaces. No
// line is wider than the blank.
constexpr int PROGRESS_LINE_WIDTH = 60;
constexpr std::size_t PROGRESS_LINE_BYTES = PROGRESS_LINE_WIDTH + 3;
void progress_line(char (&line)[PROGRESS_LINE_BYTES], double share, long long left);
void progress_clear(char (&line)[PROGRESS_LINE_BYTES]);

// How many parts the speech whose first file is first has on disk: it and
// the numbered files that follow it without a gap.
int speech_part_count(const char* first);

// Hands rech.wav to the player; returns only when nothing could be started
// (EXIT_FAILED, after printing why); otherwise the program has ended. A
// speech in several parts is played part after part, each waited for:
// EXIT_OK, or EXIT_FAILED after a line saying which part failed.
int Playwav();

// Captures the clipboard text into rech.txt: 1 when written, 0 when the
// clipboard cannot be read (an existing rech.txt is then left as it was).
int Readclipboard();
// Captures standard input, bytes as they come, into rech.txt: 1 when written,
// 0 after a line saying why not (an existing rech.txt is then left as it was).
int read_standard_input();

// A path name of the program's own making: a directory entry and a name.
constexpr std::size_t PROGRAM_PATH_BYTES = 4096;  // PATH_MAX of Linux, NUL included

// Finds name as an executable regular file: first in the current directory
// when look_here is set, then in each directory of PATH. The path found goes
// to path; false when there is none (or it would not fit).
bool find_program(const char* name, bool look_here, char* path, std::size_t cap);

// Everything the command line can start, so tests can drive the decision and
// the chain with stand-ins; the program uses REAL_OPERATIONS.
struct Operations {
    int (*readconfig)();
    int (*firstread)(const char* input_name);
    int (*secondread)();
    int (*slogi)();
    int (*zvuki)();
    int (*readclipboard)();
    int (*readstdin)();
    int (*setup)();
    int (*printhelp)();
    int (*convertmp3)();
    int (*playwav)();
};
extern const Operations REAL_OPERATIONS;

// The command line's decision and the run over ops; the exit status.
int drive(int argc, char** argv, const Operations& ops);

// The most sample bytes one WAV file holds: its RIFF size (the samples and
// the 36 header bytes after that field) must fit the 32-bit field, and the
// samples are whole.
constexpr long long WAV_PART_BYTES = 0xFFFFFFFFLL - 36 - 1;

// The long options, taken out of the command line wherever they stand
// (--NAME VALUE or --NAME=VALUE); the rest is decided as ever.
struct LongOptions {
    const char* output = nullptr;  // --output FILE: the speech there (MP3 by its extension)
    const char* voice = nullptr;   // --voice NAME: over the settings' voice
    int speed = 0;                 // --speed N: over the settings' speed (0: not given)
    bool list_voices = false;      // --voices: list the installed voices
    int split_minutes = 0;         // --split-minutes N: a new file at a sentence end every N minutes
    bool split_chapters = false;   // --split-chapters: a new file before each chapter heading
    long long part_bytes = 0;      // --wav-part-bytes N: the most sample bytes a file holds
                                   // (a WAV file's limit unless the tests ask for less)
};
extern LongOptions Options;
// Takes the long options out of argv, leaving the other arguments in order:
// EXIT_OK, or EXIT_USAGE after a line saying what is wrong.
int take_long_options(int& argc, char** argv);
// The options' part of a run: the settings they override (after the
// settings file is read) and where the speech goes.
void apply_long_options();
// The WAV file a run writes and the hand-offs use, and its MP3 twin.
const char* speech_wav();
const char* speech_mp3();
bool output_is_mp3();
// Encodes the WAV file of an --output FILE.mp3 run into FILE.mp3 and
// removes it: EXIT_OK or EXIT_FAILED after saying why.
int finish_mp3_output();
// --voices: every voice a run could use, one a line (name, then where). EXIT_OK.
int list_voices();

// The lock of a run in the working directory: on POSIX systems the directory
// itself, on Windows this file, which goes when the lock does.
constexpr const char* LOCK_FILE_NAME = "vokdar.lock";
enum class DirLock {
    held,         // this process holds it until it ends
    busy,         // another process holds it
    unavailable,  // the lock file cannot be made or locked (a read-only directory)
};
DirLock lock_working_directory();
// Whether this command line writes files of the working directory, and so
// runs under the lock.
bool needs_lock(int argc, char** argv);

// --help and --version: the usage and the version with its licence. Return 0.
int print_usage();
int print_version();

// The stages of a run side by side (the text stages always, the sound stage
// as well when the speech streams to a player while it is made): the first
// starts them all, each call waits for its stage and gives its result. A
// failed stage stops the ones after it.
int firstread_side_by_side(const char* input_name);
int secondread_side_by_side();
int slogi_side_by_side();
int zvuki_side_by_side();
void pipeline_start(const char* input_name, bool with_sound);
// Stops what still runs (nothing it says is said) and waits for it.
void pipeline_stop();
// The state of a stage file (text.tmp, text2.tmp, slogi.tmp) while the
// stages run side by side, else nullptr.
struct GrowingFile;
GrowingFile* pipeline_file(const char* name);
// Set when a stage has failed: the sound stage stops. nullptr outside a pipeline.
const std::atomic<bool>* pipeline_stop_flag();

// The stages as a run calls them: first the settings, the dictionary and the
// voice are looked for beyond the working directory (src/common/datadirs.h).
int readconfig_found();
int secondread_found();
int zvuki_found();
