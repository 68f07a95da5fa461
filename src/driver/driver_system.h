// The driver's side that differs by system (posix/, windows/).
#pragma once

#include <cstddef>

// Sets the process up before anything runs.
void prepare_process();
// The command line as the program reads it: on Windows its Unicode form in
// UTF-8 (a file named in any script then opens), elsewhere as given.
void program_arguments(int& argc, char**& argv);
// Whether path names a program this system can start.
bool is_program_file(const char* path);
// Starts the program at path with args (its name first, then nullptr) in
// this console, then ends this program at once with status 0; returns only
// when it could not be started.
void start_and_exit(const char* path, char* const args[]);
// Starts the program at path with args in this console and waits for it:
// its exit status (128 and the signal's number when a signal ended it), or
// -1 when it could not be started.
int run_and_wait(const char* path, char* const args[]);
// Players tried in turn when the user has put no "wav" program of their
// own; the list ends in nullptr.
const char* const* fallback_players();
// The same players as they read a WAV stream from standard input: each its
// arguments, the name first, ending in nullptr; the list ends in an empty
// entry. Empty where the system has none.
struct StreamPlayer {
    const char* args[6];
};
const StreamPlayer* stream_players();
// Starts the program at path with args, its standard input a pipe from this
// program: the pipe's end to write to, or -1 when it could not be started.
int start_with_input(const char* path, char* const args[]);
// Writes all of data to a player's input; false when the player has gone.
bool write_player_input(int fd, const void* data, std::size_t n);
// Closes it: the player reads to its end and stops by itself.
void close_player_input(int fd);
// Whether the progress line has a terminal of its own to go to: standard
// error is one, and standard output is not that same terminal.
bool progress_terminal();
// Takes an earlier run's long speech file out of the way of a new one of the
// same name at once, where emptying it would keep the new speech waiting
// while the system frees its blocks: the name goes and the file is held
// open, emptied beside the new speech (free_set_aside) and closed by
// release_set_aside (by the system at the latest, when the program ends).
// Only a plain file of ours with a name of its own and the mode a new file
// gets is taken; anything else is left to be emptied as ever (an open of it
// with truncation).
void set_aside_old_file(const char* name);
// The new file could not be made: the old one gets its name back.
void restore_set_aside(const char* name);
// The new file is made: the old one's blocks are freed while the new speech
// is made.
void free_set_aside();
void release_set_aside();
