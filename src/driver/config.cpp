// The settings file vokdar.cfg: loading and repairing it, and the setup dialogue.
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "common/console.h"
#include "common/datadirs.h"
#include "common/settings.h"
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

// The four values in their order; reading stops at the first that does not parse.
void read_values(CharSource& src)
{
    bool refused = false;
    if (scan_int(src, Settings.speed) && scan_real(src, Settings.volume) &&
        scan_real(src, Settings.stutter))
        read_voice(src, &refused);
    if (refused)
        std::printf("The voice name in vokdar.cfg is longer than %d characters! Using %s\n",
                    static_cast<int>(VOICE_NAME_CHARS), Settings.voice);
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

bool exists(const char* name)
{
    struct stat st;
    return lstat(name, &st) == 0;
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

    if (Settings.speed < 1 || Settings.speed > 200)
        Settings.speed = DEFAULT_SPEED;
    if (!(Settings.volume >= 0.0f) || Settings.volume > 4.0f)
        Settings.volume = DEFAULT_VOLUME;
    // The suggested stutter for the speed as repaired, kept as it comes out.
    if (!(Settings.stutter >= 1.0f) || Settings.stutter > 21.0f)
        Settings.stutter = static_cast<float>(Settings.speed) * 0.1f;
    // Always appended, so a file without a voice gives the default a second one.
    append_separator();
    text_close(file);
    return 1;
}

int Setup() { return setup_dialogue(stdin); }

int setup_dialogue(std::FILE* answers)
{
    TextFile file;
    if (!text_open(file, CONFIG_NAME, "r+")) {
        // A first setup makes the file; one that exists but will not open is left alone.
        if (exists(CONFIG_NAME) || !text_open(file, CONFIG_NAME, "w+")) {
            std::printf("Cannot open vokdar.cfg for writing!\n");
            return 0;
        }
    }
    voice_as_stored();
    CharSource stored;
    stored.file = &file;
    read_values(stored);
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

    if (Settings.volume > 4.0f)
        Settings.volume = 4.0f;
    else if (!(Settings.volume >= 1.0f))
        Settings.volume = 1.0f;
    if (!(Settings.stutter >= 1.0f))
        Settings.stutter = 1.0f;
    else if (Settings.stutter > 21.0f)
        Settings.stutter = 21.0f;
    if (Settings.speed > 200)
        Settings.speed = 200;
    else if (Settings.speed < 1)
        Settings.speed = 1;

    // Written over the old content without truncating it: the reader stops
    // after the fourth value, so a longer old tail is never read.
    char text[CONFIG_TEXT_BYTES];
    const int n = std::snprintf(text, sizeof text, "%d\n%f\n%f\n%s\n", Settings.speed,
                                static_cast<double>(Settings.volume),
                                static_cast<double>(Settings.stutter), Settings.voice);
    const bool fits = n > 0 && static_cast<std::size_t>(n) < sizeof text;
    const bool written = fits && text_puts(file, text);
    if (!text_close(file) || !written)
        std::printf("Cannot write vokdar.cfg!\n");
    return 0;
}
