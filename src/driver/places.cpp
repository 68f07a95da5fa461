// The stages of a run with their read-only files looked for beyond the
// working directory: vokdar.cfg, replace.txt and the voice directory.
#include <cerrno>
#include <cstring>
#include <mutex>

#include "common/datadirs.h"
#include "common/settings.h"
#include "common/sysfile.h"
#include "common/textfile.h"
#include "driver/driver_internal.h"
#include "driver/stage_files.h"

namespace {
// The lookups share their lists of places: stages going side by side take turns.
std::mutex lookups;
}  // namespace

int readconfig_found()
{
    // Not found anywhere: Readconfig meets the missing file and says so.
    find_data("vokdar.cfg", DataKind::settings, Places.settings, sizeof Places.settings);
    const int read = Readconfig();
    apply_long_options();
    return read;
}

int secondread_found()
{
    bool found = false;
    {
        std::lock_guard<std::mutex> turn(lookups);
        found = find_data("replace.txt", DataKind::data, Places.dictionary, sizeof Places.dictionary);
    }
    if (!found)
        print_data_places("replace.txt", DataKind::data);
    return secondread_files();
}

int zvuki_found()
{
    // The voice prefix names a directory; where it is found, the directory
    // that holds it goes before it.
    Places.voice_root[0] = '\0';
    const char* voice = Settings.voice;
    char path[DATA_PATH_BYTES];
    bool found = false;
    {
        std::lock_guard<std::mutex> turn(lookups);
        found = find_data(voice, DataKind::data, path, sizeof path);
    }
    if (found) {
        const std::size_t root_len = std::strlen(path) - std::strlen(voice);
        std::memcpy(Places.voice_root, path, root_len);
        Places.voice_root[root_len] = '\0';
    } else {
        print_data_places(voice, DataKind::data);
        // Nothing to speak with: the run fails before rech.wav is touched.
        note_file_failure(voice, ENOENT);
        return 0;
    }
    if (!sys_dir_has(path, ".pcm")) {
        note_file_failure(path, 0, "the voice has no recordings (.pcm files)");
        return 0;
    }
    return zvuki_files();
}
