// The long options beside the switches: the speech's file, the voice, the
// speed, and the list of the installed voices.
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "common/datadirs.h"
#include "common/settings.h"
#include "common/sysfile.h"
#include "driver/driver_internal.h"

LongOptions Options;

namespace {

constexpr int SPEED_MIN = 1;    // as the settings file allows
constexpr int SPEED_MAX = 200;
// The voice prefix holds the name, its separator and the NUL.
constexpr std::size_t VOICE_NAME_CHARS = VOICE_BYTES - 2;
constexpr const char* MP3_EXTENSION = ".mp3";
constexpr long long SPLIT_MINUTES_MAX = 6000;  // 100 hours: longer than any part can be
constexpr long long PART_BYTES_MIN = 4096;     // a part holds more than a block of samples
// Put after an MP3 output's name to name the WAV file it is encoded from.
constexpr const char* MP3_SOURCE_SUFFIX = ".wav";

char wav_name[DATA_PATH_BYTES] = "rech.wav";
char mp3_name[DATA_PATH_BYTES] = "rech.mp3";
bool mp3_output = false;

bool has_mp3_extension(const char* name)
{
    const std::size_t n = std::strlen(name), e = std::strlen(MP3_EXTENSION);
    if (n <= e)
        return false;
    for (std::size_t i = 0; i < e; ++i)
        if (std::tolower(static_cast<unsigned char>(name[n - e + i])) != MP3_EXTENSION[i])
            return false;
    return true;
}

// what, and the value it refuses in quotes.
int usage_error(const char* what, const char* value)
{
    std::fprintf(stderr, "vokdar: %s '%s'\nTry 'vokdar --help'.\n", what, value);
    return EXIT_USAGE;
}

// value as a whole number from low to high.
bool whole_number(const char* value, long long low, long long high, long long& number)
{
    char* end = nullptr;
    errno = 0;
    number = std::strtoll(value, &end, 10);
    return errno == 0 && end != value && *end == '\0' && number >= low && number <= high;
}

// Whether arg is the option name, alone (*inline_value null: the value is
// the next argument) or as "--name=value".
bool is_option(const char* arg, const char* name, const char** inline_value)
{
    const std::size_t n = std::strlen(name);
    if (std::strncmp(arg, name, n) != 0)
        return false;
    if (arg[n] == '\0') {
        *inline_value = nullptr;
        return true;
    }
    if (arg[n] == '=') {
        *inline_value = arg + n + 1;
        return true;
    }
    return false;
}

int check_option(const char* name, const char* value)
{
    if (std::strcmp(name, "--speed") == 0) {
        long long speed = 0;
        if (!whole_number(value, SPEED_MIN, SPEED_MAX, speed))
            return usage_error("--speed wants a whole number from 1 to 200, not", value);
        Options.speed = static_cast<int>(speed);
    } else if (std::strcmp(name, "--split-minutes") == 0) {
        long long minutes = 0;
        if (!whole_number(value, 1, SPLIT_MINUTES_MAX, minutes))
            return usage_error("--split-minutes wants a whole number of minutes from 1 to 6000, not", value);
        Options.split_minutes = static_cast<int>(minutes);
    } else if (std::strcmp(name, "--wav-part-bytes") == 0) {
        long long bytes = 0;
        if (!whole_number(value, PART_BYTES_MIN, WAV_PART_BYTES, bytes) || bytes % 2 != 0)
            return usage_error("--wav-part-bytes wants an even number of bytes from 4096 up, not", value);
        Options.part_bytes = bytes;
    } else if (std::strcmp(name, "--voice") == 0) {
        std::size_t length = std::strlen(value);
        while (length > 1 && value[length - 1] == PATH_SEPARATOR)
            --length;  // the separator is put back after the name
        if (length == 0 || length > VOICE_NAME_CHARS)
            return usage_error("--voice wants a voice name of 1 to 30 characters, not", value);
        Options.voice = value;
    } else {
        if (value[0] == '\0' || std::strlen(value) + std::strlen(MP3_SOURCE_SUFFIX) + 1 > DATA_PATH_BYTES)
            return usage_error("--output wants a file name, not", value);
        Options.output = value;
    }
    return EXIT_OK;
}

}  // namespace

int take_long_options(int& argc, char** argv)
{
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--voices") == 0) {
            Options.list_voices = true;
            continue;
        }
        if (std::strcmp(arg, "--split-chapters") == 0) {
            Options.split_chapters = true;
            continue;
        }
        const char* value = nullptr;
        const char* name = nullptr;
        for (const char* option : {"--output", "--voice", "--speed", "--split-minutes", "--wav-part-bytes"})
            if (name == nullptr && is_option(arg, option, &value))
                name = option;
        if (name == nullptr) {
            argv[kept++] = argv[i];
            continue;
        }
        if (value == nullptr) {
            if (i + 1 >= argc)
                return usage_error("a value is wanted after", name);
            value = argv[++i];
        }
        const int status = check_option(name, value);
        if (status != EXIT_OK)
            return status;
    }
    argc = kept;
    argv[argc] = nullptr;
    return EXIT_OK;
}

void apply_long_options()
{
    if (Options.voice != nullptr) {
        std::size_t length = std::strlen(Options.voice);
        while (length > 1 && Options.voice[length - 1] == PATH_SEPARATOR)
            --length;
        std::snprintf(Settings.voice, sizeof Settings.voice, "%.*s%c", static_cast<int>(length),
                      Options.voice, PATH_SEPARATOR);
    }
    if (Options.speed != 0)
        Settings.speed = Options.speed;
    if (Options.output == nullptr)
        return;
    // An MP3 is encoded from a WAV file beside it, removed once it is made.
    mp3_output = has_mp3_extension(Options.output);
    if (mp3_output) {
        std::snprintf(mp3_name, sizeof mp3_name, "%s", Options.output);
        std::snprintf(wav_name, sizeof wav_name, "%s%s", Options.output, MP3_SOURCE_SUFFIX);
    } else {
        std::snprintf(wav_name, sizeof wav_name, "%s", Options.output);
        const char* dot = std::strrchr(Options.output, '.');
        const char* slash = std::strrchr(Options.output, PATH_SEPARATOR);
        const int stem = dot != nullptr && (slash == nullptr || dot > slash)
                             ? static_cast<int>(dot - Options.output)
                             : static_cast<int>(std::strlen(Options.output));
        std::snprintf(mp3_name, sizeof mp3_name, "%.*s%s", stem, Options.output, MP3_EXTENSION);
    }
    std::snprintf(Places.speech, sizeof Places.speech, "%s", wav_name);
}

const char* speech_wav() { return wav_name; }
const char* speech_mp3() { return mp3_name; }
bool output_is_mp3() { return mp3_output; }

namespace {

// The voices listed so far, so that one a place before hides its namesakes.
struct VoiceList {
    static constexpr int MAX = 256;
    char name[MAX][VOICE_BYTES];
    int count = 0;
};

void list_voice(const char* dir, const char* name, void* context)
{
    auto& seen = *static_cast<VoiceList*>(context);
    char path[DATA_PATH_BYTES];
    const int n = std::snprintf(path, sizeof path, "%s%s%s", dir,
                                dir[std::strlen(dir) - 1] == PATH_SEPARATOR ? "" : "/", name);
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof path || std::strlen(name) > VOICE_NAME_CHARS ||
        !sys_dir_has(path, ".pcm"))
        return;
    for (int i = 0; i < seen.count; ++i)
        if (std::strcmp(seen.name[i], name) == 0)
            return;
    if (seen.count < VoiceList::MAX)
        std::snprintf(seen.name[seen.count++], VOICE_BYTES, "%s", name);
    std::printf("%s\t%s%c\n", name, path, PATH_SEPARATOR);
}

}  // namespace

int list_voices()
{
    static VoiceList seen;  // too large for the stack
    static DataDirs dirs;
    seen.count = 0;
    sys_each_subdir(".", list_voice, &seen);
    data_search_dirs(DataKind::data, dirs);
    for (int i = 0; i < dirs.count; ++i)
        sys_each_subdir(dirs.dir[i], list_voice, &seen);
    std::fflush(stdout);
    return EXIT_OK;
}
