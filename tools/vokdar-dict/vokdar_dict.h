// vokdar-dict: the checker and sorter of replace.txt, callable in-process by its tests.
#pragma once

#include <cstdio>

// Exit statuses of the tool.
constexpr int DICT_CLEAN = 0;       // nothing found (check), or the copy was written (sort)
constexpr int DICT_PROBLEMS = 1;    // check found problems
constexpr int DICT_UNREADABLE = 2;  // the dictionary or the output could not be read or written; bad arguments

// Reports every problem of the dictionary name to out, one line each.
int dict_check(const char* name, std::FILE* out);
// Writes the dictionary name sorted as the dictionary pass needs it to
// out_name, or to standard output when out_name is null; says what it changed on report.
int dict_sort(const char* name, const char* out_name, std::FILE* report);
// The command line: check, sort, help.
int dict_main(int argc, char** argv);
