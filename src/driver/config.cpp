// The settings file vokdar.cfg: loading and repairing it, and the setup dialogue.
#include <array>
#include <cstdio>
#include <cstring>

#include "common/console.h"
#include "common/datadirs.h"
#include "common/settings.h"
#include "common/sysfile.h"
#include "common/textfile.h"
#include "driver/driver_internal.h"

namespace {

constexpr const char* CONFIG_NAME = "vokdar.cfg";
// The longest voice name: the separator and the NUL must still fit the buffer.
constexpr std::size_t VOICE_NAME_CHARS = VOICE_BYTES - 2;
// The written form: an int, two reals of at most "21.000000" and a voice name.
constexpr std::size_t CONFIG_TEXT_BYTES = 128;

// Reads one voice word into Settings.voice. A name too long for the buffer is
// refused whole (a cut name would point at another directory): the voice held
// stays and false is returned with *refused set.
bool read_voice(CharSource& src, bool* refused)
{
    char word[VOICE_BYTES];
    std::size_t length = 0;
    *refused = false;
    if (!scan_word(src, word, sizeof word, &length))
        return false;
    if (length > VOICE_NAME_CHARS) {
        *refused = true;
        return false;
    }
    std::memcpy(Settings.voice, word, length + 1);
    return true;
}

// The values in their order; reading stops at the first that does not parse.
// True when the optional fifth value, the reading rules, stood in the file.
bool read_values(CharSource& src)
{
    bool refused = false;
    bool voice_read = false;
    if (scan_int(src, Settings.speed) && scan_real(src, Settings.volume) &&
        scan_real(src, Settings.stutter))
        voice_read = read_voice(src, &refused);
    if (refused)
        std::printf("The voice name in vokdar.cfg is longer than %d characters! Using %s\n",
                    static_cast<int>(VOICE_NAME_CHARS), Settings.voice);
    // A refused voice was still a word: the reading rules may follow it.
    return (voice_read || refused) && scan_int(src, Settings.reading);
}

// Only the two known rules; anything else reads everyday text.
void repair_reading()
{
    if (Settings.reading != READING_ORIGINAL && Settings.reading != READING_EVERYDAY)
        Settings.reading = DEFAULT_READING;
}

void append_separator()
{
    const std::size_t n = std::strlen(Settings.voice);
    if (n + 1 < sizeof Settings.voice) {
        Settings.voice[n] = PATH_SEPARATOR;
        Settings.voice[n + 1] = '\0';
    }
}

// The dialogue shows and stores a voice as its directory name: the built-in
// prefix loses its separator, which Readconfig puts back.
void voice_as_stored()
{
    if (std::strcmp(Settings.voice, DEFAULT_VOICE) == 0)
        Settings.voice[std::strlen(Settings.voice) - 1] = '\0';
}

}  // namespace

int Readconfig()
{
    TextFile file;
    if (!text_open(file, Places.settings, "r"))
        return 0;
    CharSource src;
    src.file = &file;
    read_values(src);

    if (!speed_in_range(Settings.speed))
        Settings.speed = DEFAULT_SPEED;
    if (!(Settings.volume >= VOLUME_MIN) || Settings.volume > VOLUME_MAX)
        Settings.volume = DEFAULT_VOLUME;
    // The suggested stutter for the speed as repaired, kept as it comes out.
    if (!(Settings.stutter >= STUTTER_MIN) || Settings.stutter > STUTTER_MAX)
        Settings.stutter = static_cast<float>(Settings.speed) * 0.1f;
    repair_reading();
    // Always appended, so a file without a voice gives the default a second one.
    append_separator();
    text_close(file);
    return 1;
}

namespace {

// Makes every directory of path up to its last separator.
bool make_dirs(char* path)
{
    for (char* p = path + 1; *p != '\0'; ++p) {
        if (*p != PATH_SEPARATOR)
            continue;
        *p = '\0';
        const bool made = sys_make_dir(path);
        *p = PATH_SEPARATOR;
        if (!made)
            return false;
    }
    return true;
}

bool copy_file(const char* from, const char* to)
{
    TextFile in, out;
    if (!text_open(in, from, "r") || !text_open(out, to, "w"))
        return false;
    text_set_binary(in);
    text_set_binary(out);
    std::array<unsigned char, CONFIG_TEXT_BYTES> chunk;
    bool ok = true;
    for (std::size_t n; ok && (n = text_read(in, chunk.data(), chunk.size())) > 0;)
        ok = text_write(out, chunk.data(), n);
    return text_close(out) && ok && !in.failed;
}

// The settings file the dialogue edits: the one a run would read, when it is
// the working directory's or the user's own; else the user's own, made from
// the system's default where there is one. Without a user directory, the
// working directory's, as it always was.
void setup_target(char* target, std::size_t cap)
{
    std::snprintf(target, cap, "%s", CONFIG_NAME);
    char found[DATA_PATH_BYTES];
    const bool exists = find_data(CONFIG_NAME, DataKind::settings, found, sizeof found);
    char user[DATA_PATH_BYTES];
    const bool has_user = user_settings_dir(user, sizeof user);
    if (exists && (std::strcmp(found, CONFIG_NAME) == 0 || !has_user ||
                   std::strncmp(found, user, std::strlen(user)) == 0)) {
        std::snprintf(target, cap, "%s", found);
        return;
    }
    char path[DATA_PATH_BYTES];
    const int n = has_user ? std::snprintf(path, sizeof path, "%s%s", user, CONFIG_NAME) : -1;
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof path || !make_dirs(path))
        return;
    if (exists && !copy_file(found, path))
        return;
    std::snprintf(target, cap, "%s", path);
}

}  // namespace

int Setup()
{
    char target[DATA_PATH_BYTES];
    setup_target(target, sizeof target);
    const int status = setup_dialogue(stdin, target);
    if (status == EXIT_OK)
        std::printf("Settings saved in %s\n", target);
    return status;
}

int setup_dialogue(std::FILE* answers, const char* name)
{
    TextFile file;
    if (!text_open(file, name, "r+")) {
        // A first setup makes the file; one that exists but will not open is left alone.
        if (sys_exists(name) || !text_open(file, name, "w+")) {
            std::printf("Cannot open %s for writing!\n", name);
            return EXIT_FAILED;
        }
    }
    voice_as_stored();
    CharSource stored;
    stored.file = &file;
    // The fifth line is written back only where the file had one, so a file
    // that older readers share keeps its four values.
    const bool had_reading = read_values(stored);
    repair_reading();
    text_seek(file, 0, SEEK_SET);

    CharSource in;
    in.stream = answers;
    std::printf("What is your desiered reading speed? (%d cur, 200 max): ", Settings.speed);
    std::fflush(stdout);
    scan_int(in, Settings.speed);
    std::printf("What is your desiered reading volume? (%.1f cur, 4.0 max): ",
                static_cast<double>(Settings.volume));
    std::fflush(stdout);
    scan_real(in, Settings.volume);
    std::printf("Stutter control, %.1f sujested, %.1f cur. options(1-21): ",
                Settings.speed * 0.1, static_cast<double>(Settings.stutter));
    std::fflush(stdout);
    scan_real(in, Settings.stutter);
    std::printf("What is your desiered reading voice? (%s): ", Settings.voice);
    std::fflush(stdout);
    bool refused = false;
    read_voice(in, &refused);
    if (refused)
        std::printf("The voice name is longer than %d characters! Keeping %s\n",
                    static_cast<int>(VOICE_NAME_CHARS), Settings.voice);

    if (Settings.volume > VOLUME_MAX)
        Settings.volume = VOLUME_MAX;
    else if (!(Settings.volume >= 1.0f))
        Settings.volume = 1.0f;
    if (!(Settings.stutter >= STUTTER_MIN))
        Settings.stutter = STUTTER_MIN;
    else if (Settings.stutter > STUTTER_MAX)
        Settings.stutter = STUTTER_MAX;
    if (Settings.speed > SPEED_MAX)
        Settings.speed = SPEED_MAX;
    else if (Settings.speed < SPEED_MIN)
        Settings.speed = SPEED_MIN;

    // The file is cut after the new values: the reader looks past the fourth
    // value now, and the tail of a longer old content could read as the fifth.
    char text[CONFIG_TEXT_BYTES];
    const int n = had_reading
                      ? std::snprintf(text, sizeof text, "%d\n%f\n%f\n%s\n%d\n", Settings.speed,
                                      static_cast<double>(Settings.volume),
                                      static_cast<double>(Settings.stutter), Settings.voice,
                                      Settings.reading)
                      : std::snprintf(text, sizeof text, "%d\n%f\n%f\n%s\n", Settings.speed,
                                      static_cast<double>(Settings.volume),
                                      static_cast<double>(Settings.stutter), Settings.voice);
    const bool fits = n > 0 && static_cast<std::size_t>(n) < sizeof text;
    const bool written = fits && text_puts(file, text) && text_flush(file) &&
                         sys_truncate(file.fd, text_tell(file));
    if (!text_close(file) || !written) {
        std::printf("Cannot write %s!\n", name);
        return EXIT_FAILED;
    }
    return EXIT_OK;
}
