// Writing recordings into a voice directory.
#include "voicefile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/textfile.h"
#include "zvuki/zvuki.h"

bool write_recording(const char* dir, const Token& t, const Recording& r)
{
    const std::size_t length = t[1] == 0 ? 1 : 2;
    std::array<char, RECORDING_NAME_BYTES> name{};
    return recording_file_name(reinterpret_cast<const char*>(t.data()), length, name) &&
           write_recording_named(dir, name.data(), r);
}

bool write_recording_named(const char* dir, const char* name, const Recording& r)
{
    std::array<char, 4096> path{};
    std::snprintf(path.data(), path.size(), "%s/%s", dir, name);
    TextFile f;
    if (!text_open(f, path.data(), "w") || !text_set_binary(f)) {
        std::fprintf(stderr, "voicegen: cannot create %s\n", path.data());
        return false;
    }
    for (std::size_t i = 0; i < r.n; ++i) {
        const auto u = static_cast<std::uint16_t>(r.sample[i]);
        const unsigned char le[2] = {static_cast<unsigned char>(u & 0xFF), static_cast<unsigned char>(u >> 8)};
        text_write(f, le, 2);
    }
    if (!text_close(f)) {
        std::fprintf(stderr, "voicegen: cannot write %s\n", path.data());
        return false;
    }
    return true;
}

bool write_voice_file(const char* dir, const char* name, const std::string& text)
{
    std::array<char, 4096> path{};
    std::snprintf(path.data(), path.size(), "%s/%s", dir, name);
    TextFile f;
    bool ok = text_open(f, path.data(), "w");
    if (ok) {
        text_write(f, text.data(), text.size());
        ok = text_close(f);
    }
    if (!ok)
        std::fprintf(stderr, "voicegen: cannot write %s\n", path.data());
    return ok;
}

bool write_rhythm(const char* dir, const Rhythm& r)
{
    char text[512];
    int n = std::snprintf(text, sizeof text,
                          "# The rhythm of this voice for the everyday reading, in samples at 22050 Hz.\n"
                          "crossfade %d\nclosure %d\npause %d\nstretch %d\n"
                          "# Lengths of stressed and unstressed syllables, in percent.\n"
                          "stressed %d\nunstressed %d\n",
                          r.crossfade, r.closure, r.pause, r.stretch, r.stressed, r.unstressed);
    if (r.lone_vowel > 0 && n > 0 && std::size_t(n) < sizeof text)
        std::snprintf(text + n, sizeof text - std::size_t(n),
                      "# The shortest a one-letter word (\"и\" \"а\" \"у\" \"о\") is said, in samples.\n"
                      "lone_vowel %d\n",
                      r.lone_vowel);
    return write_voice_file(dir, RHYTHM_FILE, text);
}

bool remove_voice_file(const char* dir, const char* name)
{
    std::array<char, 4096> path{};
    std::snprintf(path.data(), path.size(), "%s/%s", dir, name);
    if (std::remove(path.data()) == 0 || errno == ENOENT)
        return true;
    std::fprintf(stderr, "voicegen: cannot remove %s: %s\n", path.data(), std::strerror(errno));
    return false;
}

bool make_voice_dir(const char* dir)
{
    if (mkdir(dir, 0755) == 0 || errno == EEXIST)
        return true;
    std::fprintf(stderr, "voicegen: cannot create %s: %s\n", dir, std::strerror(errno));
    return false;
}

