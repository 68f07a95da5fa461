// Where the files vokdar only reads are found: the current directory first,
// then the user's and the system's data directories and the directory the
// program was installed with. Only the driver looks; the stages open what the
// driver found (by default, the current directory).
#pragma once

#include <cstddef>
#include <cstdio>

// A path of the program's own making, NUL included (PATH_MAX of Linux).
constexpr std::size_t DATA_PATH_BYTES = 4096;

// What is looked for decides where: the settings live in the user's
// configuration directory, the voices and the dictionary in data directories.
enum class DataKind { settings, data };

struct DataPlaces {
    char settings[DATA_PATH_BYTES] = "vokdar.cfg";    // as it is opened
    char dictionary[DATA_PATH_BYTES] = "replace.txt";  // as it is opened
    char voice_root[DATA_PATH_BYTES] = "";  // put before the voice prefix: "" or a directory and '/'
    char speech[DATA_PATH_BYTES] = "rech.wav";  // where the sound stage writes the speech
};
extern DataPlaces Places;

// Every place back to the current directory (the state at program start).
void data_places_reset();

// The directories looked in after the current one, in order, each ending in
// '/', without repeats; count is how many (at most DATA_DIRS_MAX).
constexpr int DATA_DIRS_MAX = 16;
struct DataDirs {
    char dir[DATA_DIRS_MAX][DATA_PATH_BYTES];
    int count = 0;
};
void data_search_dirs(DataKind kind, DataDirs& dirs);

// name (a file, or a directory when it ends in '/') as found: itself when it
// exists in the current directory, else the first search directory holding
// it, joined. false, with path set to name, when none has it (or the path
// would not fit). An absolute name is taken as it stands.
bool find_data(const char* name, DataKind kind, char* path, std::size_t cap);

// The user's own settings directory, ending in its separator (created by
// the caller when missing); false when the system names none.
bool user_settings_dir(char* path, std::size_t cap);

// One line saying that name is in none of the places looked in.
void print_data_places(const char* name, DataKind kind, std::FILE* to = stdout);
