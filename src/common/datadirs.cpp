// The places of the files vokdar only reads, and the report of a search that
// found nothing; where the search looks is the system's (posix/, windows/).
#include "common/datadirs.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "common/console.h"

DataPlaces Places;

void data_places_reset()
{
    std::strcpy(Places.settings, "vokdar.cfg");
    std::strcpy(Places.dictionary, "replace.txt");
    Places.voice_root[0] = '\0';
    std::strcpy(Places.speech, "rech.wav");
}

void print_data_places(const char* name, DataKind kind, std::FILE* to)
{
    // Two stages going side by side may both miss what they look for.
    static std::mutex one_at_a_time;
    std::lock_guard<std::mutex> hold(one_at_a_time);
    static DataDirs dirs;  // too large for the stack
    data_search_dirs(kind, dirs);
    std::string line = name;
    line += " is in none of: the current directory";
    for (int i = 0; i < dirs.count; ++i) {
        line += ", ";
        line += dirs.dir[i];
    }
    line += '\n';
    // The console's lines keep their order with the stage's others.
    if (to == stdout)
        console_write(line.data(), line.size());
    else
        std::fputs(line.c_str(), to);
}
