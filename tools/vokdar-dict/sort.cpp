// vokdar-dict sort: replace.txt rewritten in the order the dictionary pass
// needs, every line kept, its encoding and line ends as they were.
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "common/sysfile.h"
#include "dict_lines.h"
#include "vokdar_dict.h"

namespace {

const unsigned char UTF8_BOM[] = {0xEF, 0xBB, 0xBF};
// The output's name with ".XXXXXX" for the file written before it takes the name's place.
constexpr std::size_t TEMP_NAME_BYTES = PATH_MAX + 8;

// The place of a first byte in the dictionary's order: its signed 8-bit value.
int order_of(unsigned char b) { return static_cast<signed char>(b); }

struct Sort {
    const char* name = nullptr;
    std::FILE* report = nullptr;
    DictFile dict;
    TextFile raw;  // the same file as plain bytes, for copying
    ByteSink sink;
    const char* line_end = "\n";
    bool started = false;  // a line has been written
};

bool put_line_end(Sort& s) { return sink_write(s.sink, s.line_end, std::strlen(s.line_end)); }

// Whether the raw bytes at from are those of a UTF-8 byte order mark. A code
// page 1251 line that starts with them ("п»ї") must not come first, or the
// copy would be read as UTF-8: a blank line, which the scans pass over, goes
// before it.
bool starts_with_bom(Sort& s, long long from)
{
    unsigned char head[sizeof UTF8_BOM] = {};
    return text_seek(s.raw, from, SEEK_SET) && text_read(s.raw, head, sizeof head) == sizeof head &&
           std::memcmp(head, UTF8_BOM, sizeof head) == 0;
}

// One line as it stands, the blank lines before it with it; a line the text
// ended without a line feed gets one, as it may no longer be the last.
bool copy_line(Sort& s, long long from, const DictLine& line)
{
    if (!s.started && !s.dict.bom && starts_with_bom(s, from) && !put_line_end(s))
        return false;
    s.started = true;
    if (!copy_raw(s.raw, from, line.end, s.sink))
        return false;
    return line.has_lf || put_line_end(s);
}

// Copies the entry lines that start with b, in file order.
bool copy_lines_of(Sort& s, unsigned char b)
{
    dict_restart(s.dict);
    DictLine line;
    long long blank_from = -1;
    for (long long number = 1; next_line(s.dict.text, number, line); ++number) {
        if (line.kind == LINE_END)
            break;
        if (line.kind == LINE_BLANK) {
            if (blank_from < 0)
                blank_from = line.start;
            continue;
        }
        if (line.first == b && !copy_line(s, blank_from < 0 ? line.start : blank_from, line))
            return false;
        blank_from = -1;
    }
    return true;
}

// Says what the sort does to each line: which move, which are kept though
// the dictionary pass cannot read them as entries. Returns the count moved.
long long report_changes(Sort& s)
{
    dict_restart(s.dict);
    DictLine line;
    long long moved = 0;
    long long greatest_line = 0;
    int greatest = INT_MIN;
    for (long long number = 1; next_line(s.dict.text, number, line); ++number) {
        if (line.kind == LINE_END)
            break;
        if (line.kind == LINE_BLANK)
            continue;
        if (order_of(line.first) < greatest) {
            ++moved;
            std::fprintf(s.report, "%s:%lld: moved up: it stood after line %lld, which starts with a greater byte\n",
                         s.name, line.number, greatest_line);
        } else if (order_of(line.first) > greatest) {
            greatest = order_of(line.first);
            greatest_line = line.number;
        }
        if (line.key_read != ENTRY_OK || line.replacement_read != ENTRY_OK)
            std::fprintf(s.report, "%s:%lld: kept, but the dictionary pass passes it over: %s\n", s.name,
                         line.number, line.key_read == ENTRY_OK ? "its replacement is broken" : "its key is broken");
    }
    return moved;
}

bool write_sorted(Sort& s)
{
    DictFile& dict = s.dict;
    if (dict.bom && !sink_write(s.sink, UTF8_BOM, sizeof UTF8_BOM))
        return false;
    for (int order = -128; order < 128; ++order) {
        const auto b = static_cast<unsigned char>(static_cast<signed char>(order));
        if (dict.starts[b] && !copy_lines_of(s, b))
            return false;
    }
    // Blank lines after the last entry stay before the end line, which comes
    // last; what follows it is never read and is kept as it stands.
    dict_restart(dict);
    DictLine line;
    long long blank_from = -1;
    bool last_has_lf = true;
    for (long long number = 1; next_line(dict.text, number, line); ++number) {
        if (line.kind == LINE_END)
            break;
        blank_from = line.kind == LINE_BLANK ? (blank_from < 0 ? line.start : blank_from) : -1;
        last_has_lf = line.has_lf;
    }
    if (dict.end_line != 0) {
        if (blank_from >= 0 && !copy_raw(s.raw, blank_from, dict.end_line_start, s.sink))
            return false;
        return copy_raw(s.raw, dict.end_line_start, dict.raw_size, s.sink);
    }
    if (blank_from >= 0 && !copy_raw(s.raw, blank_from, dict.text_end, s.sink))
        return false;
    if (blank_from >= 0 && !last_has_lf && !put_line_end(s))
        return false;
    const unsigned char end_line = DICT_END_LINE;
    return sink_write(s.sink, &end_line, 1) && put_line_end(s) &&
           copy_raw(s.raw, dict.text_end, dict.raw_size, s.sink);
}

// The sorted copy goes to a new file beside out_name, which takes the name
// only once it is whole: sorting a file onto itself is safe.
int sort_to_file(Sort& s, const char* out_name)
{
    std::array<char, TEMP_NAME_BYTES> temp;
    if (std::snprintf(temp.data(), temp.size(), "%s.XXXXXX", out_name) >= static_cast<int>(temp.size())) {
        std::fprintf(stderr, "vokdar-dict: %s: name too long\n", out_name);
        return DICT_UNREADABLE;
    }
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        std::fprintf(stderr, "vokdar-dict: %s: %s\n", out_name, std::strerror(errno));
        return DICT_UNREADABLE;
    }
    close(fd);
    struct stat st;
    // The new file keeps the permissions of the one it replaces.
    if (stat(out_name, &st) == 0)
        chmod(temp.data(), st.st_mode & 07777);
    TextFile out;
    bool ok = text_open(out, temp.data(), "w") && text_set_binary(out);
    if (ok) {
        s.sink.file = &out;
        ok = write_sorted(s);
        ok = text_close(out) && ok;
    }
    // The inputs are read to their end: closed before the new file takes a
    // name that may be theirs (a system may refuse to replace an open file).
    text_close(s.raw);
    text_close(s.dict.text);
    if (!ok || !sys_replace(temp.data(), out_name)) {
        std::fprintf(stderr, "vokdar-dict: %s: cannot be written: %s\n", out_name, std::strerror(errno));
        sys_remove(temp.data());
        return DICT_UNREADABLE;
    }
    return DICT_CLEAN;
}

}  // namespace

int dict_sort(const char* name, const char* out_name, std::FILE* report)
{
    Sort s;
    s.name = name;
    s.report = report;
    if (!dict_open(s.dict, name))
        return DICT_UNREADABLE;
    if (!text_open(s.raw, name, "r") || !text_set_binary(s.raw)) {
        std::fprintf(stderr, "vokdar-dict: %s: cannot be opened for reading\n", name);
        return DICT_UNREADABLE;
    }
    s.line_end = s.dict.crlf ? "\r\n" : "\n";

    const long long moved = report_changes(s);
    if (s.dict.end_line == 0)
        std::fprintf(report, "%s: no end line: one is added at the end\n", name);

    int status = DICT_CLEAN;
    if (out_name != nullptr) {
        status = sort_to_file(s, out_name);
    } else {
        // The dictionary's own bytes, line ends included, as a file would get them.
        sys_binary_stream(stdout);
        s.sink.stream = stdout;
        if (!write_sorted(s) || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "vokdar-dict: standard output: cannot be written\n");
            status = DICT_UNREADABLE;
        }
    }
    if (s.dict.text.failed || s.raw.failed) {
        std::fprintf(stderr, "vokdar-dict: %s: read error\n", name);
        status = DICT_UNREADABLE;
    }
    if (status == DICT_CLEAN)
        std::fprintf(report, "%s: %lld line%s moved\n", name, moved, moved == 1 ? "" : "s");
    text_close(s.raw);
    text_close(s.dict.text);
    return status;
}
