// What the program's portable code needs to know of the system it runs on:
// Linux and the other POSIX systems.
#pragma once

#include <sys/uio.h>  // struct iovec, one part of a gathered write

// Between a directory and a name; the voice prefix ends in it.
constexpr char PATH_SEPARATOR = '/';
// Between the directories of PATH.
constexpr char PATH_LIST_SEPARATOR = ':';
constexpr char DEFAULT_VOICE[] = "torvy/";
// Appended to a program's name to make its file name.
constexpr char EXECUTABLE_SUFFIX[] = "";
