// vokdar-dict check: every entry of replace.txt the dictionary pass can never
// use, and every line it reads other than its writer meant, with line numbers.
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "common/cp1251.h"
#include "common/tables.h"
#include "dict_lines.h"
#include "vokdar_dict.h"

namespace {

constexpr unsigned char TAB = '\t';
constexpr std::uint32_t REPLACEMENT_CHARACTER = 0xFFFD;

// The start positions at which an entry's replacement is written: the whole
// word, and the shorter tails.
constexpr int AT_WHOLE_WORD = 1;
constexpr int AT_TAIL = 2;

int wins_at(int match_mode)
{
    if (match_mode == MATCH_WHOLE_WORD)
        return AT_WHOLE_WORD;
    if (match_mode == MATCH_ENDING)
        return AT_TAIL;
    return AT_WHOLE_WORD | AT_TAIL;
}

// Where an earlier entry whose key matches every tail the later one matches
// leaves the later one no chance. An ending entry matching the whole word
// ends the search there even when its replacement is broken.
int takes_at(int match_mode, bool replacement_ok)
{
    const int wins = replacement_ok ? wins_at(match_mode) : 0;
    return match_mode == MATCH_ENDING ? wins | AT_WHOLE_WORD : wins;
}

// Whether every tail key b matches is matched by key a too.
bool covers(const EntryText& a, const EntryText& b)
{
    if (a.length != b.length)
        return false;
    for (std::size_t i = 0; i < a.length; ++i) {
        const unsigned char x = a.bytes[i];
        const unsigned char y = b.bytes[i];
        if (x != CAPTURE_BYTE && x != y && !(is_delimiter(x) && is_delimiter(y)))
            return false;
    }
    return true;
}

bool same_text(const EntryText& a, const EntryText& b)
{
    return a.length == b.length && std::memcmp(a.bytes.data(), b.bytes.data(), a.length) == 0;
}

std::size_t stars(const EntryText& t)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < t.length; ++i)
        n += t.bytes[i] == CAPTURE_BYTE;
    return n;
}

// The run of one check: where it reports and what it counted.
struct Check {
    const char* name = nullptr;
    std::FILE* out = nullptr;
    int problems = 0;
    // The scan for each first byte, run to its end as the dictionary pass
    // would when it rejects every entry: the raw offset just after the byte
    // that stopped it, and the line that byte begins.
    std::array<long long, 256> stop_at{};
    std::array<long long, 256> stop_line{};
    std::array<unsigned char, 256> stop_first{};
    // The entries the pass's scan for each first byte reads from that byte's
    // first line on, in the order it reads them, by key length (only a key of
    // the same length can take another's words): read once a byte, not once
    // an entry, so checking stays linear in the dictionary's size.
    struct Scanned {
        long long at = 0;  // the raw offset after the key, as the scan tells it
        std::string key;
        int match_mode = MATCH_ANYWHERE;
        bool replacement_ok = false;
    };
    std::array<std::vector<std::vector<Scanned>>, 256> scanned;
    std::array<bool, 256> scanned_done{};
};

void begin(Check& c, long long line)
{
    ++c.problems;
    std::fprintf(c.out, "%s:%lld: ", c.name, line);
}

void put_quoted(std::FILE* out, const EntryText& t)
{
    std::fputc('"', out);
    put_cp1251(out, t.bytes.data(), t.length);
    std::fputc('"', out);
}

void put_quoted_byte(std::FILE* out, unsigned char b)
{
    std::fputc('"', out);
    put_cp1251_byte(out, b);
    std::fputc('"', out);
}

void run_scans(Check& c, DictFile& dict, TextFile& scan)
{
    for (int s = 0; s < 256; ++s) {
        if (!dict.starts[static_cast<std::size_t>(s)])
            continue;
        dictionary_rewind(scan);
        EntryText key;
        int match_mode = MATCH_ANYWHERE;
        while (next_entry(scan, static_cast<unsigned char>(s), key, match_mode))
            skip_line(scan);
        c.stop_at[static_cast<std::size_t>(s)] = text_tell(scan);
    }
}

// Notes which scans the line stops.
void note_stops(Check& c, const DictFile& dict, const DictLine& line)
{
    if (line.kind == LINE_BLANK)
        return;
    for (std::size_t s = 0; s < 256; ++s) {
        const long long at = c.stop_at[s] - 1;
        if (dict.starts[s] && c.stop_line[s] == 0 && at >= line.start && at < line.end) {
            c.stop_line[s] = line.number;
            c.stop_first[s] = line.first;
        }
    }
}

void report_unreachable(Check& c, const DictLine& line)
{
    const unsigned char s = line.first;
    begin(c, line.number);
    std::fputs("never found: ", c.out);
    if (c.stop_first[s] == TAB) {
        std::fprintf(c.out, "line %lld starts with a tab, and the scan for ", c.stop_line[s]);
        put_quoted_byte(c.out, s);
        std::fputs(" stops there\n", c.out);
        return;
    }
    std::fprintf(c.out, "line %lld starts with ", c.stop_line[s]);
    put_quoted_byte(c.out, c.stop_first[s]);
    std::fputs(", which sorts after ", c.out);
    put_quoted_byte(c.out, s);
    std::fputs(", and the scan for ", c.out);
    put_quoted_byte(c.out, s);
    std::fputs(" stops there (vokdar-dict sort puts it in order)\n", c.out);
}

// The scan for first byte s from its first line to its end, as the pass reads it.
void scan_entries(Check& c, const DictFile& dict, TextFile& scan, unsigned char s)
{
    auto& by_length = c.scanned[s];
    c.scanned_done[s] = true;
    by_length.assign(ENTRY_BYTES, {});
    text_seek(scan, dict.first_line_start[s], SEEK_SET);
    EntryText key, replacement;
    int match_mode = MATCH_ANYWHERE;
    while (next_entry(scan, s, key, match_mode)) {
        const long long at = text_tell(scan);
        const EntryRead r = read_replacement(scan, replacement);
        if (r == ENTRY_OK)
            skip_line(scan);
        by_length[key.length].push_back(
            {at, std::string(reinterpret_cast<const char*>(key.bytes.data()), key.length), match_mode, r == ENTRY_OK});
    }
}

// The earlier entries with the same first byte, read by the pass's own scan:
// the raw offset of the one that leaves this entry no word to win, or -1.
long long shadowed_by(Check& c, const DictFile& dict, TextFile& scan, const DictLine& line, bool& same_key)
{
    if (!c.scanned_done[line.first])
        scan_entries(c, dict, scan, line.first);
    const int needed = wins_at(line.match_mode);
    int taken = 0;
    EntryText key;
    for (const auto& e : c.scanned[line.first][line.key.length]) {
        if (e.at > line.first_at)
            break;  // the scan has come to this entry itself
        key.length = e.key.size();
        std::memcpy(key.bytes.data(), e.key.data(), key.length);
        if (!covers(key, line.key))
            continue;
        taken |= takes_at(e.match_mode, e.replacement_ok);
        if ((needed & ~taken) == 0) {
            same_key = same_text(key, line.key);
            return e.at;
        }
    }
    return -1;
}

// Characters of a UTF-8 line that code page 1251 cannot hold.
void report_lost_characters(Check& c, TextFile& raw, const DictLine& line)
{
    text_seek(raw, line.start, SEEK_SET);
    Utf8Decoder d;
    std::uint32_t points[2];
    for (long long at = line.start; at < line.end; ++at) {
        unsigned char b = 0;
        if (text_read(raw, &b, 1) != 1)
            break;
        const int n = utf8_feed(d, b, points);
        for (int i = 0; i < n; ++i) {
            if (points[i] < 0x80 || cp1251_from_unicode(points[i]) != '?')
                continue;
            begin(c, line.number);
            if (points[i] == REPLACEMENT_CHARACTER)
                std::fputs("bytes that are not UTF-8 are read as \"?\"\n", c.out);
            else
                std::fprintf(c.out, "U+%04X has no code page 1251 form and is read as \"?\"\n", points[i]);
        }
    }
}

// The stress mark: in the replacement only, right after the vowel it
// stresses (or a "*" that takes one), at most one a word.
void check_stress_marks(Check& c, const DictLine& line)
{
    for (std::size_t i = 0; i < line.key.length; ++i)
        if (is_stress_mark(line.key.bytes[i])) {
            begin(c, line.number);
            std::fputs("the key holds a stress mark: it belongs after a vowel of the replacement, and no key "
                       "with it matches a word\n",
                       c.out);
            break;
        }
    const EntryText& r = line.replacement;
    bool marked = false;  // the word of the replacement has its mark
    for (std::size_t i = 0; i < r.length; ++i) {
        const unsigned char b = r.bytes[i];
        if (is_delimiter(b) || b == '+' || b == '1') {
            marked = false;
            continue;
        }
        if (!is_stress_mark(b))
            continue;
        const bool after_vowel = i > 0 && (is_vowel(r.bytes[i - 1]) || r.bytes[i - 1] == CAPTURE_BYTE);
        if (!after_vowel || marked) {
            begin(c, line.number);
            std::fputs(!after_vowel ? "a stress mark not right after a vowel in the replacement: it is ignored\n"
                                    : "two stress marks in one word of the replacement: the second is ignored\n",
                       c.out);
        }
        marked = marked || after_vowel;
    }
}

void check_entry(Check& c, const DictFile& dict, TextFile& scan, const DictLine& line)
{
    if (line.first == TAB) {
        begin(c, line.number);
        std::fputs("starts with a tab: no word holds one, and only spaces are passed over at the start "
                   "of a line\n",
                   c.out);
    } else if (is_delimiter(line.first)) {
        begin(c, line.number);
        std::fputs("never used: no tail of a word starts with the delimiter ", c.out);
        put_quoted_byte(c.out, line.first);
        std::fputc('\n', c.out);
        return;
    }
    if (line.key_read == ENTRY_TOO_LONG) {
        begin(c, line.number);
        std::fprintf(c.out, "key longer than %zu bytes: the line is passed over\n", ENTRY_MAX_LENGTH);
        return;
    }
    if (line.key_read != ENTRY_OK) {
        begin(c, line.number);
        std::fputs("malformed: no \"_\", \"%\", \"!\" or \"$\" ends the key before the end of the line\n", c.out);
        return;
    }
    const bool reachable = line.first_at < c.stop_at[line.first];
    if (!reachable)
        report_unreachable(c, line);
    if (line.replacement_read == ENTRY_TOO_LONG) {
        begin(c, line.number);
        std::fprintf(c.out, "replacement longer than %zu bytes: the entry is passed over\n", ENTRY_MAX_LENGTH);
        return;
    }
    if (line.replacement_read == ENTRY_END_MARKER) {
        begin(c, line.number);
        std::fputs("the replacement holds the end marker \"`\": the entry is passed over\n", c.out);
        return;
    }
    if (line.replacement_read != ENTRY_OK) {
        begin(c, line.number);
        std::fputs("malformed: no \"!\" closes the replacement before the end of the line\n", c.out);
        return;
    }
    const std::size_t key_stars = stars(line.key);
    const std::size_t replacement_stars = stars(line.replacement);
    if (replacement_stars > key_stars) {
        begin(c, line.number);
        std::fprintf(c.out, "the replacement has %zu \"*\" but the key only %zu: the extra ones yield nothing\n",
                     replacement_stars, key_stars);
    }
    check_stress_marks(c, line);
    if (!reachable)
        return;
    bool same_key = false;
    const long long at = shadowed_by(c, dict, scan, line, same_key);
    if (at < 0)
        return;
    begin(c, line.number);
    const long long other = line_at(c.name, at - 1);
    if (same_key) {
        std::fputs("duplicate key ", c.out);
        put_quoted(c.out, line.key);
        std::fprintf(c.out, ": the entry on line %lld always wins\n", other);
    } else {
        std::fputs("never wins: the entry on line ", c.out);
        std::fprintf(c.out, "%lld takes every tail the key ", other);
        put_quoted(c.out, line.key);
        std::fputs(" matches\n", c.out);
    }
}

}  // namespace

int dict_check(const char* name, std::FILE* out)
{
    DictFile dict;
    if (!dict_open(dict, name))
        return DICT_UNREADABLE;
    TextFile scan, raw;
    if (!text_open_input(scan, name) || !text_open(raw, name, "r") || !text_set_binary(raw)) {
        std::fprintf(stderr, "vokdar-dict: %s: cannot be opened for reading\n", name);
        return DICT_UNREADABLE;
    }
    Check c;
    c.name = name;
    c.out = out;
    run_scans(c, dict, scan);

    if (dict.utf8)
        std::fprintf(out, "%s: note: the file is UTF-8%s; vokdar reads it as its code page 1251 twin, "
                          "so that is fine\n",
                     name, dict.bom ? " with a byte order mark" : "");
    DictLine line;
    long long after_end = 0;
    for (long long number = 1; next_line(dict.text, number, line); ++number) {
        if (dict.end_line != 0 && number > dict.end_line) {
            after_end += line.kind != LINE_BLANK;
            continue;
        }
        note_stops(c, dict, line);
        if (dict.utf8)
            report_lost_characters(c, raw, line);
        if (line.kind == LINE_ENTRY)
            check_entry(c, dict, scan, line);
    }
    if (dict.text.failed || scan.failed || raw.failed) {
        std::fprintf(stderr, "vokdar-dict: %s: read error\n", name);
        return DICT_UNREADABLE;
    }
    if (dict.end_line == 0) {
        begin(c, dict.lines > 0 ? dict.lines : 1);
        std::fputs("no end line: the dictionary should end with a line that starts with \"$\"\n", out);
    } else if (after_end > 0) {
        std::fprintf(out, "%s:%lld: note: %lld line%s after the end line %s never read\n", name, dict.end_line,
                     after_end, after_end == 1 ? "" : "s", after_end == 1 ? "is" : "are");
    }
    if (c.problems == 0)
        std::fprintf(out, "%s: no problems found\n", name);
    else
        std::fprintf(out, "%s: %d problem%s found\n", name, c.problems, c.problems == 1 ? "" : "s");
    return c.problems == 0 ? DICT_CLEAN : DICT_PROBLEMS;
}
