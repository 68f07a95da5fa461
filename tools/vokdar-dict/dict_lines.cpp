// vokdar-dict: the line walk over replace.txt, raw copies and terminal output.
#include "dict_lines.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "common/cp1251.h"

namespace {

constexpr long long UTF8_BOM_BYTES = 3;
// One block of raw bytes on their way out.
constexpr std::size_t COPY_BYTES = 8192;

// The raw offset of the character the next text_getc delivers: a byte order
// mark is no character, so a line never starts inside it.
long long char_offset(const TextFile& f, long long at)
{
    return f.utf8_bom && at == 0 ? UTF8_BOM_BYTES : at;
}

// Passes over the rest of the line; false when the text ended before a line feed.
bool rest_of_line(TextFile& dict)
{
    for (;;) {
        const int c = text_getc(dict);
        if (c == '\n')
            return true;
        if (c == TEXT_EOF)
            return false;
    }
}

bool print_open_failure(const char* name)
{
    struct stat st;
    const char* why = nullptr;
    if (stat(name, &st) != 0)
        why = std::strerror(errno);
    else if (S_ISDIR(st.st_mode))
        why = "Is a directory";
    else
        why = "cannot be opened for reading";
    std::fprintf(stderr, "vokdar-dict: %s: %s\n", name, why);
    return false;
}

void put_code_point(std::FILE* out, std::uint32_t cp)
{
    char bytes[UTF8_MAX_BYTES];
    std::fwrite(bytes, 1, utf8_encode(cp, bytes), out);
}

}  // namespace

bool next_line(TextFile& dict, long long number, DictLine& line)
{
    line = DictLine{};
    line.number = number;
    line.start = char_offset(dict, text_tell(dict));
    int c;
    do {
        line.first_at = char_offset(dict, text_tell(dict));
        c = text_getc(dict);
    } while (c == ' ');
    if (c == TEXT_EOF && line.first_at == line.start)
        return false;
    if (c == '\n' || c == TEXT_EOF) {
        line.kind = LINE_BLANK;
        line.has_lf = c == '\n';
    } else if (c == DICT_END_LINE) {
        line.kind = LINE_END;
        line.first = DICT_END_LINE;
        line.has_lf = rest_of_line(dict);
    } else {
        line.kind = LINE_ENTRY;
        line.first = static_cast<unsigned char>(c);
        line.key_read = read_key(dict, line.first, line.key, line.match_mode);
        if (line.key_read == ENTRY_OK) {
            line.replacement_read = read_replacement(dict, line.replacement);
            if (line.replacement_read == ENTRY_OK)
                rest_of_line(dict);
        }
        // Every way the reader leaves a line ends at its line feed or at the
        // end of the text, and only the latter leaves the file at its end.
        line.has_lf = !dict.at_end;
    }
    line.end = text_tell(dict);
    return true;
}

void dict_restart(DictFile& dict) { dictionary_rewind(dict.text); }

bool dict_open(DictFile& dict, const char* name)
{
    if (!text_open_input(dict.text, name))
        return print_open_failure(name);
    dict.utf8 = dict.text.utf8;
    dict.bom = dict.text.utf8_bom;
    dict.raw_size = text_size(dict.text);
    dict.starts.fill(false);
    dict.first_line_start.fill(-1);

    DictLine line;
    long long number = 0;
    bool seen_lf = false;
    while (next_line(dict.text, number + 1, line)) {
        number = line.number;
        if (!seen_lf && line.has_lf) {
            seen_lf = true;
            // The byte before the line feed: CR when the file stores CR LF.
            TextFile raw;
            unsigned char cr = 0;
            if (line.end >= 2 && text_open(raw, name, "r") && text_set_binary(raw) &&
                text_seek(raw, line.end - 2, SEEK_SET) && text_read(raw, &cr, 1) == 1)
                dict.crlf = cr == '\r';
        }
        if (line.kind == LINE_END && dict.end_line == 0) {
            dict.end_line = line.number;
            dict.end_line_start = line.start;
            dict.end_line_end = line.end;
        }
        if (line.kind == LINE_ENTRY && dict.end_line == 0 && !dict.starts[line.first]) {
            dict.starts[line.first] = true;
            dict.first_line_start[line.first] = line.start;
        }
    }
    dict.lines = number;
    dict.text_end = text_tell(dict.text);
    if (dict.text.failed || dict.raw_size < 0) {
        std::fprintf(stderr, "vokdar-dict: %s: read error\n", name);
        return false;
    }
    dict_restart(dict);
    return true;
}

long long line_at(const char* name, long long offset)
{
    TextFile raw;
    if (!text_open(raw, name, "r") || !text_set_binary(raw))
        return 0;
    std::array<unsigned char, COPY_BYTES> block;
    long long number = 1;
    long long at = 0;
    while (at < offset) {
        const long long want = offset - at;
        const std::size_t n = text_read(raw, block.data(),
                                        want < static_cast<long long>(block.size()) ? static_cast<std::size_t>(want)
                                                                                    : block.size());
        if (n == 0)
            break;
        for (std::size_t i = 0; i < n; ++i)
            number += block[i] == '\n';
        at += static_cast<long long>(n);
    }
    return number;
}

void put_cp1251_byte(std::FILE* out, unsigned char b)
{
    if (b == '\t') {
        std::fputs("\\t", out);
    } else if (b < 0x20 || b == 0x7F) {
        std::fprintf(out, "\\x%02X", b);
    } else if (b < 0x80) {
        std::fputc(b, out);
    } else if (const std::uint16_t cp = CP1251_UNICODE[b - 0x80]; cp != 0) {
        put_code_point(out, cp);
    } else {
        std::fprintf(out, "\\x%02X", b);
    }
}

void put_cp1251(std::FILE* out, const unsigned char* bytes, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        put_cp1251_byte(out, bytes[i]);
}

bool sink_write(ByteSink& sink, const void* data, std::size_t n)
{
    if (sink.file != nullptr)
        return text_write(*sink.file, data, n);
    return std::fwrite(data, 1, n, sink.stream) == n;
}

bool copy_raw(TextFile& src, long long from, long long to, ByteSink& sink)
{
    if (!text_seek(src, from, SEEK_SET))
        return false;
    std::array<unsigned char, COPY_BYTES> block;
    while (from < to) {
        const long long want = to - from;
        const std::size_t take =
            want < static_cast<long long>(block.size()) ? static_cast<std::size_t>(want) : block.size();
        const std::size_t n = text_read(src, block.data(), take);
        if (n == 0 || !sink_write(sink, block.data(), n))
            return false;
        from += static_cast<long long>(n);
    }
    return true;
}
