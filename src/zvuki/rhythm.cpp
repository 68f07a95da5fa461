// The rhythm of a voice that carries its own, for its everyday joins (see
// plan_rhythm_join): the rhythm file, the pace a speed asks for and the
// pauses after punctuation.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/tables.h"
#include "common/textfile.h"
#include "zvuki/join.h"

namespace {

// The pause code of a comma: the original rules' phrase pause.
constexpr int COMMA_CODE = 6 * PAUSE_UNIT;
// A value of the rhythm file: at most this many samples (a few seconds).
constexpr long RHYTHM_MOST = 1 << 17;
constexpr std::size_t LINE_BYTES = 64;
// The stretch a rhythm file may ask for, in percent.
constexpr long STRETCH_LEAST = 50;
constexpr long STRETCH_MOST = 200;

// One "name value" line; false for anything else (a comment, a blank line).
bool parse_line(const char* line, char* name, long& value)
{
    char* end = nullptr;
    const char* space = std::strchr(line, ' ');
    if (line[0] == '#' || space == nullptr || space == line || static_cast<std::size_t>(space - line) >= 16)
        return false;
    std::memcpy(name, line, static_cast<std::size_t>(space - line));
    name[space - line] = '\0';
    value = std::strtol(space + 1, &end, 10);
    return end != space + 1 && (*end == '\0' || *end == '\n' || *end == ' ') && value >= 0 && value <= RHYTHM_MOST;
}

}  // namespace

bool read_rhythm(const char* path, Rhythm& r)
{
    TextFile f;
    if (!text_open(f, path, "r"))
        return false;
    Rhythm got;
    char line[LINE_BYTES];
    std::size_t n = 0;
    for (int c = text_getc(f);; c = text_getc(f)) {
        if (c != TEXT_EOF && c != '\n') {
            if (n + 1 < LINE_BYTES)
                line[n++] = static_cast<char>(c);
            continue;
        }
        line[n] = '\0';
        n = 0;
        char name[16];
        long value = 0;
        if (parse_line(line, name, value)) {
            if (std::strcmp(name, "crossfade") == 0)
                got.crossfade = static_cast<int>(value);
            else if (std::strcmp(name, "closure") == 0)
                got.closure = static_cast<int>(value);
            else if (std::strcmp(name, "pause") == 0)
                got.pause = static_cast<int>(value);
            else if (std::strcmp(name, "stretch") == 0 && value >= STRETCH_LEAST && value <= STRETCH_MOST)
                got.stretch = static_cast<int>(value);
            else if (std::strcmp(name, "stressed") == 0 && value >= STRETCH_LEAST && value <= STRETCH_MOST)
                got.stressed = static_cast<int>(value);
            else if (std::strcmp(name, "unstressed") == 0 && value >= STRETCH_LEAST && value <= STRETCH_MOST)
                got.unstressed = static_cast<int>(value);
            else if (std::strcmp(name, "lone_vowel") == 0)
                got.lone_vowel = static_cast<int>(value);
        }
        if (c == TEXT_EOF)
            break;
    }
    text_close(f);
    if (got.crossfade <= 0)
        return false;
    r = got;
    return true;
}

double speed_pace(int speed)
{
    if (speed > 100)
        return 1.0 + 2.0 * (speed - 100) / 100.0;
    return std::max(0.5, speed / 100.0);
}

double rhythm_stretch(const Rhythm& r, int speed) { return r.stretch / 100.0 / speed_pace(speed); }

int rhythm_pause(const Rhythm& r, int code)
{
    if (code == 0 || code == SHORTEST_PAUSE)
        return code;
    const long long scaled = static_cast<long long>(code) * r.pause / COMMA_CODE;
    return static_cast<int>(std::min<long long>(std::max<long long>(code, scaled), std::max(code, r.pause)));
}
