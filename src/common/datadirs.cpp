// The places of the files vokdar only reads, and the report of a search that
// found nothing; where the search looks is the system's (posix/, windows/).
#include "common/datadirs.h"

#include <cstdio>
#include <cstring>

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
    static DataDirs dirs;  // too large for the stack
    data_search_dirs(kind, dirs);
    std::fprintf(to, "%s is in none of: the current directory", name);
    for (int i = 0; i < dirs.count; ++i)
        std::fprintf(to, ", %s", dirs.dir[i]);
    std::fprintf(to, "\n");
}
