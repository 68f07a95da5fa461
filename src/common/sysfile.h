// The system's side of the file layer: descriptors opened by name, reads and
// writes at an offset, and the few whole-file operations the program makes.
// One implementation per system (posix/, windows/); no text translation here.
#pragma once

#include <cstddef>
#include <cstdio>

#include "platform.h"

enum class FileAccess {
    read,        // an existing file, for reading
    write_new,   // created or emptied, for writing
    update,      // an existing file, for reading and writing
    update_new,  // created or emptied, for reading and writing
};

// Opens a file of ours: a regular file, or, when written anew, a device such
// as the null device. A directory, a pipe or a socket is refused like a
// missing file, and opening never blocks. -1 when it cannot open.
int sys_open(const char* name, FileAccess access);
void sys_close(int fd);
// A file of no name for reading and writing, gone when it is closed (or the
// program ends); -1 when none can be made.
int sys_open_scratch();
// Reads up to n bytes at offset: how many were read (0 at the end), -1 on an error.
long long sys_read_at(int fd, void* data, std::size_t n, long long offset);
// Writes some of the count parts in order at offset: how many bytes were
// written (at least one unless it failed), -1 on an error.
long long sys_write_parts_at(int fd, const iovec* parts, int count, long long offset);
// Size of the open file in bytes; -1 on failure.
long long sys_file_size(int fd);
// Cuts the open file to size bytes; false when it could not.
bool sys_truncate(int fd, long long size);

// Whether anything (a file, a directory, a link) has this name.
bool sys_exists(const char* name);
// Whether the directory holds a file whose name ends in suffix.
bool sys_dir_has(const char* dir, const char* suffix);
// Calls visit with the name of each directory inside dir (not "." or ".."),
// in no particular order; false when dir cannot be read.
bool sys_each_subdir(const char* dir, void (*visit)(const char* dir, const char* name, void* context),
                     void* context);
// Makes a directory; true when it exists afterwards.
bool sys_make_dir(const char* name);
// Deletes a file; false when it could not (a missing file included).
bool sys_remove(const char* name);
// Puts from in the place of to, replacing an existing file.
bool sys_replace(const char* from, const char* to);
// From now on the stream passes its bytes as they are, where the system's C
// runtime would translate line ends on the way (a file's bytes sent to
// standard output).
void sys_binary_stream(std::FILE* stream);
