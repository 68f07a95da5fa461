// What the program's portable code needs to know of the system it runs on:
// Windows.
#pragma once

#include <cstddef>

// Between a directory and a name; the voice prefix ends in it.
constexpr char PATH_SEPARATOR = '\\';
// Between the directories of PATH.
constexpr char PATH_LIST_SEPARATOR = ';';
constexpr char DEFAULT_VOICE[] = "torvy\\";
// Appended to a program's name to make its file name.
constexpr char EXECUTABLE_SUFFIX[] = ".exe";

// One part of a gathered write, as POSIX has it.
struct iovec {
    void* iov_base;
    std::size_t iov_len;
};
