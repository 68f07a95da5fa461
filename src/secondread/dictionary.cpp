// The reader of replace.txt, shared by the dictionary pass and the tools that
// must read the dictionary as that pass does.
#include "secondread/dictionary.h"

#include "common/tables.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr bool ends_replacement(int c) { return c == REPLACEMENT_END; }

// The bytes that stop a run of plain key or replacement bytes: the closers,
// the line feed, and those the file layer turns into something else.
using StopTable = std::array<bool, 256>;
constexpr StopTable stops_for(bool (*closes)(int), const TextByteTable& plain)
{
    StopTable t{};
    for (int c = 0; c < 256; ++c)
        t[static_cast<std::size_t>(c)] = closes(c) || c == '\n' || !plain[static_cast<std::size_t>(c)];
    return t;
}
// By the file's row of the plain-byte table.
constexpr std::array<StopTable, 2> KEY_STOPS = {stops_for(is_key_end, TEXT_PLAIN_BYTES[0]),
                                                stops_for(is_key_end, TEXT_PLAIN_BYTES[1])};
constexpr std::array<StopTable, 2> REPLACEMENT_STOPS = {stops_for(ends_replacement, TEXT_PLAIN_BYTES[0]),
                                                        stops_for(ends_replacement, TEXT_PLAIN_BYTES[1])};

void finish(EntryText& t, std::size_t length)
{
    t.length = length;
    t.bytes[length] = 0;
}

// Reads bytes into t after its first n until a byte for which closes() holds,
// which is consumed and handed back in closer. Never past the line's end.
EntryRead read_entry_text(TextFile& dict, EntryText& t, std::size_t n, bool (*closes)(int),
                          const StopTable& stops, int& closer)
{
    for (;;) {
        // Bytes that are plainly part of the text are taken from the buffer
        // as they lie; the one that stops them is read as a character.
        const unsigned char* p = nullptr;
        const std::size_t run = dict.binary ? 0 : std::min(text_buffered(dict, p), ENTRY_MAX_LENGTH - n);
        std::size_t i = 0;
        for (; i < run && !stops[p[i]]; ++i)
            t.bytes[n + i] = p[i];
        n += i;
        text_advance(dict, i);
        const int c = text_getc(dict);
        if (c == TEXT_EOF || c == '\n') {
            finish(t, n);
            return c == TEXT_EOF ? ENTRY_FILE_END : ENTRY_LINE_END;
        }
        if (closes(c)) {
            finish(t, n);
            closer = c;
            return ENTRY_OK;
        }
        if (n == ENTRY_MAX_LENGTH) {
            finish(t, n);
            skip_line(dict);
            return ENTRY_TOO_LONG;
        }
        t.bytes[n++] = static_cast<unsigned char>(c);
    }
}

}  // namespace

void dictionary_rewind(TextFile& dict) { text_seek(dict, 0, SEEK_SET); }

bool scan_passes_over(unsigned char line_first, unsigned char sought)
{
    return static_cast<signed char>(line_first) <= static_cast<signed char>(sought) ||
           line_first == SMALL_YO_LINE;
}

void skip_line(TextFile& dict) { text_skip_line(dict); }

EntryRead read_key(TextFile& dict, unsigned char first, EntryText& key, int& match_mode)
{
    key.bytes[0] = first;
    int closer = 0;
    const EntryRead r =
        read_entry_text(dict, key, 1, is_key_end, KEY_STOPS[dict.utf8 ? 1 : 0], closer);
    if (r == ENTRY_OK)
        match_mode = key_mode(closer);
    return r;
}

EntryRead read_replacement(TextFile& dict, EntryText& replacement)
{
    int closer = 0;
    const EntryRead r = read_entry_text(dict, replacement, 0, ends_replacement,
                                        REPLACEMENT_STOPS[dict.utf8 ? 1 : 0], closer);
    if (r != ENTRY_OK)
        return r;
    for (std::size_t i = 0; i < replacement.length; ++i) {
        if (replacement.bytes[i] == END_MARKER) {
            skip_line(dict);
            return ENTRY_END_MARKER;
        }
    }
    return ENTRY_OK;
}

int next_entry(TextFile& dict, unsigned char sought, EntryText& key, int& match_mode)
{
    match_mode = MATCH_ANYWHERE;
    for (;;) {
        const int b = text_getc(dict);
        // The end of the file ends the dictionary as the end line does.
        if (b == TEXT_EOF)
            return 0;
        // Tested before the byte sought, so that a scan for "$" never takes the
        // end line for an entry and reads on into whatever follows it.
        if (b == DICT_END_LINE)
            return 0;
        if (b == sought) {
            const EntryRead r = read_key(dict, sought, key, match_mode);
            if (r == ENTRY_OK)
                return 1;
            if (r == ENTRY_FILE_END)
                return 0;
            match_mode = MATCH_ANYWHERE;
            continue;  // malformed or too long: its line is already passed over
        }
        if (b == '\n' || b == ' ')
            continue;
        if (!scan_passes_over(static_cast<unsigned char>(b), sought))
            return 0;
        skip_line(dict);
    }
}
