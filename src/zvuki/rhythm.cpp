// The everyday joins of a voice that carries its own rhythm: each syllable
// sounded whole and crossfaded briefly into the next, as the speaker's own
// pace has it, instead of the original overlaps that take up to 0.4 of a
// recording on either side.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/tables.h"
#include "common/textfile.h"
#include "zvuki/join.h"

namespace {

constexpr char VOICELESS_STOPS[] = "\xEA\xF2\xEF\xF7\xF6";  // ктпчц
// The pause code of a comma: the original rules' phrase pause.
constexpr int COMMA_CODE = 6 * PAUSE_UNIT;
// A value of the rhythm file: at most this many samples (a few seconds).
constexpr long RHYTHM_MOST = 1 << 17;
constexpr std::size_t LINE_BYTES = 64;

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

int rhythm_pause(const Rhythm& r, int code)
{
    if (code == 0 || code == SHORTEST_PAUSE)
        return code;
    const long long scaled = static_cast<long long>(code) * r.pause / COMMA_CODE;
    return static_cast<int>(std::min<long long>(std::max<long long>(code, scaled), std::max(code, r.pause)));
}

JoinPlan plan_rhythm_join(const JoinState& st, const SlogToken& current, long long samples, const SlogToken& next)
{
    JoinPlan p;
    p.recording = samples;
    p.samples = samples;
    p.code = is_pause(current.code) ? rhythm_pause(st.rhythm, current.code) : current.code;
    const long long crossfade = std::min<long long>(st.rhythm.crossfade, samples / 3);
    const auto next0 = static_cast<unsigned char>(next.text[0]);
    const bool before_stop = next.length > 0 && next0 != 0 && std::strchr(VOICELESS_STOPS, next0) != nullptr;
    if (!is_pause(p.code) && before_stop && st.rhythm.closure > SHORTEST_PAUSE)
        p.code = st.rhythm.closure;
    if (is_pause(p.code)) {
        p.tail_len = 0;
        p.fade_len = static_cast<std::int16_t>(std::max<long long>(crossfade, 1));
    } else {
        p.tail_len = crossfade;
    }
    if (!is_pause(st.prev_code) && st.held > 0) {
        p.crossfade = true;
        p.overlap_len = std::min<long long>(st.held, crossfade);
        p.held = p.overlap_len;
        p.passed = st.held - p.overlap_len;
    }
    p.class_gain = class_gain_for(current.text, p.code);
    p.gain = st.volume * p.class_gain;
    return p;
}
