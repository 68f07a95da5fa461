// The program's file layer over the system's descriptors, with text-mode translation.
#include "common/textfile.h"

#include "common/cp1251.h"
#include "common/format_text.h"
#include "common/sysfile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Per thread: two engines of the library may fail at once.
thread_local FileFailure failure;

void copy_name(std::array<char, FILE_NAME_BYTES>& to, const char* name)
{
    std::snprintf(to.data(), to.size(), "%s", name != nullptr ? name : "");
}

// The system refused a read or write of f: noted with its name.
void note_failed(TextFile& f)
{
    note_file_failure(f.name.data(), errno);
    f.failed = true;
}

bool stopped(const TextFile& f) { return f.stop != nullptr && f.stop->load(std::memory_order_relaxed); }

// A reader of a growing file: how much of n bytes at offset it may read
// once the writer has written them (all of them once it is done); -1 when
// the run stops.
long long wait_for_bytes(GrowingFile& g, std::size_t n, long long offset)
{
    std::unique_lock<std::mutex> hold(g.lock);
    g.changed.wait(hold, [&] { return g.written > offset || g.closed || g.abandoned; });
    if (g.abandoned) {
        errno = ECANCELED;
        return -1;
    }
    if (g.closed || g.written - offset >= static_cast<long long>(n))
        return static_cast<long long>(n);
    return g.written - offset;
}

// A writer's bytes up to end are in the file: readers may take them.
void tell_written(GrowingFile& g, long long end)
{
    {
        std::lock_guard<std::mutex> hold(g.lock);
        if (end > g.written)
            g.written = end;
    }
    g.changed.notify_all();
}

// The system's reads and writes, or their like on bytes in memory.
long long read_at(const TextFile& f, void* data, std::size_t n, long long offset)
{
    if (f.growing != nullptr && !f.writable) {
        const long long may = wait_for_bytes(*f.growing, n, offset);
        if (may < 0)
            return -1;
        n = static_cast<std::size_t>(may);
    }
    if (f.memory == nullptr)
        return sys_read_at(f.fd, data, n, offset);
    if (stopped(f))
        return -1;
    const std::string& m = *f.memory;
    if (offset >= static_cast<long long>(m.size()))
        return 0;
    const std::size_t take = std::min(n, m.size() - static_cast<std::size_t>(offset));
    std::memcpy(data, m.data() + offset, take);
    return static_cast<long long>(take);
}

long long write_parts_at(const TextFile& f, const iovec* parts, int count, long long offset)
{
    if (f.memory == nullptr) {
        const long long w = sys_write_parts_at(f.fd, parts, count, offset);
        if (w > 0 && f.growing != nullptr)
            tell_written(*f.growing, offset + w);
        return w;
    }
    if (stopped(f))
        return -1;
    std::string& m = *f.memory;
    std::size_t total = 0;
    for (int i = 0; i < count; ++i)
        total += parts[i].iov_len;
    const auto at = static_cast<std::size_t>(offset);
    if (m.size() < at + total)
        m.resize(at + total);  // a gap before at (never made by the program) reads as zeros
    std::size_t to = at;
    for (int i = 0; i < count; ++i) {
        std::memcpy(m.data() + to, parts[i].iov_base, parts[i].iov_len);
        to += parts[i].iov_len;
    }
    return static_cast<long long>(total);
}

long long file_size(const TextFile& f)
{
    return f.memory == nullptr ? sys_file_size(f.fd) : static_cast<long long>(f.memory->size());
}

// n bytes at offset of the descriptor fd (-1: of the file f, which may be in memory).
bool write_all(const TextFile* f, int fd, const unsigned char* data, std::size_t n, long long offset)
{
    while (n > 0) {
        iovec part = {const_cast<unsigned char*>(data), n};
        const long long w =
            f != nullptr ? write_parts_at(*f, &part, 1, offset) : sys_write_parts_at(fd, &part, 1, offset);
        if (w <= 0)
            return false;
        data += w;
        n -= static_cast<std::size_t>(w);
        offset += w;
    }
    return true;
}

// Moves from reading to writing (or back) at the current position.
void drop_read_buffer(TextFile& f)
{
    if (!f.dirty && f.len > 0) {
        f.base += static_cast<long long>(f.pos);
        f.pos = 0;
        f.len = 0;
    }
}

bool fill(TextFile& f)
{
    if (f.dirty && !text_flush(f))
        return false;
    f.base += static_cast<long long>(f.len);
    f.pos = 0;
    f.len = 0;
    const long long r = read_at(f, f.buf.data(), f.buf.size(), f.base);
    if (r < 0) {
        note_failed(f);
        return false;
    }
    f.len = static_cast<std::size_t>(r);
    return r > 0;
}

int raw_getc(TextFile& f)
{
    if (f.dirty && !text_flush(f))
        return TEXT_EOF;
    if (f.pos >= f.len && !fill(f))
        return TEXT_EOF;
    return f.buf[f.pos++];
}

bool put_byte(TextFile& f, unsigned char b)
{
    drop_read_buffer(f);
    f.buf[f.pos++] = b;
    f.dirty = true;
    if (f.pos >= f.flush_at)
        return text_flush(f);
    return true;
}

constexpr unsigned char UTF8_BOM[3] = {0xEF, 0xBB, 0xBF};

// The Latin letter an accented one of U+00C0..U+017F is written on ("é" → 'e',
// "Ö" → 'O'); 0 for the others (×, ÷, and letters with no plain twin).
char plain_latin_letter(std::uint32_t point)
{
    // U+00C0..U+00FF, then U+0100..U+017F; '.' where no plain letter fits.
    static const char* const LATIN1 = "AAAAAAACEEEEIIIIDNOOOOO.OUUUUYTsaaaaaaaceeeeiiiidnooooo.ouuuuyty";
    static const char* const EXTENDED_A =
        "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi..JjKkkLlLlLlLlLlNnNnNnnNnOoOoOo..RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
    char c = '.';
    if (point >= 0xC0 && point <= 0xFF)
        c = LATIN1[point - 0xC0];
    else if (point >= 0x100 && point <= 0x17F)
        c = EXTENDED_A[point - 0x100];
    return c == '.' ? '\0' : c;
}

// The length of the UTF-8 sequence that starts seq (n bytes of it at hand)
// with its code point, or 0 when the lead byte starts no whole, well-formed
// sequence: a stray byte.
int utf8_sequence(const unsigned char* seq, std::size_t n, std::uint32_t& point)
{
    Utf8Decoder d;
    std::uint32_t points[2];
    for (std::size_t i = 0; i < n; ++i) {
        const int got = utf8_feed(d, seq[i], points);
        if (got == 0)
            continue;
        // The decoder's mark of a broken sequence, unless it is the character itself.
        const bool replacement = i == 2 && seq[0] == 0xEF && seq[1] == 0xBF && seq[2] == 0xBD;
        if (got != 1 || (points[0] == 0xFFFD && !replacement))
            return 0;
        point = points[0];
        return static_cast<int>(i + 1);
    }
    return 0;
}

// One character of a UTF-8 text as a code page 1251 byte. The lead byte has
// been read. A byte that starts no whole sequence is a stray one: it reads as
// the code page 1251 character it would be there, and the next byte is read
// afresh.
int decode_utf8(TextFile& f, int lead)
{
    const long long after_lead = text_tell(f);
    std::array<unsigned char, UTF8_MAX_BYTES> seq{static_cast<unsigned char>(lead)};
    std::size_t n = 1;
    for (int c; n < seq.size() && (c = raw_getc(f)) != TEXT_EOF;)
        seq[n++] = static_cast<unsigned char>(c);
    std::uint32_t point = 0;
    const int length = utf8_sequence(seq.data(), n, point);
    text_seek(f, after_lead + (length > 0 ? length - 1 : 0), SEEK_SET);
    if (length == 0)
        return lead;
    const unsigned char byte = cp1251_from_unicode(point);
    // A dictionary's stress mark, typed as an acute accent or a combining one.
    if (!f.typographic && (point == 0x00B4 || point == 0x0301))
        return STRESS_MARK;
    if (!f.typographic || byte != '?' || point == '?')
        return byte;
    if (point == 0x2212)
        return '-';
    if (point == 0x2009 || point == 0x202F)
        return 0xA0;
    if (const char plain = plain_latin_letter(point))
        return static_cast<unsigned char>(plain);
    return TEXT_WIDE + static_cast<int>(point);
}

constexpr unsigned char UTF16LE_BOM[2] = {0xFF, 0xFE};
constexpr unsigned char UTF16BE_BOM[2] = {0xFE, 0xFF};

// The code points of a UTF-16 text, its byte order mark passed over, written
// as UTF-8 into a scratch file the text is then read from; a lone surrogate
// reads as '?', an odd last byte is dropped.
int utf16_as_utf8(const char* name, bool little_endian)
{
    TextFile in;
    if (!text_open(in, name, "r"))
        return -1;
    text_set_binary(in);
    const int out = sys_open_scratch();
    if (out < 0) {
        note_file_failure(name, errno);
        return -1;
    }
    std::array<unsigned char, FILE_BLOCK_BYTES> block;
    std::size_t held = 0;
    long long at = 0;
    std::uint32_t high = 0;  // a high surrogate waiting for its low half
    bool ok = true;
    const auto put = [&](std::uint32_t point) {
        char bytes[UTF8_MAX_BYTES];
        const std::size_t k = utf8_encode(point, bytes);
        if (held + k > block.size()) {
            ok = ok && write_all(nullptr, out, block.data(), held, at);
            at += static_cast<long long>(held);
            held = 0;
        }
        std::memcpy(block.data() + held, bytes, k);
        held += k;
    };
    text_read(in, block.data(), 2);  // the mark
    for (unsigned char unit[2]; text_read(in, unit, 2) == 2;) {
        const std::uint32_t u = little_endian ? unit[0] | unit[1] << 8 : unit[1] | unit[0] << 8;
        if (u >= 0xDC00 && u <= 0xDFFF && high != 0) {
            put(0x10000 + ((high - 0xD800) << 10) + (u - 0xDC00));
            high = 0;
            continue;
        }
        if (high != 0)
            put('?');
        high = u >= 0xD800 && u <= 0xDBFF ? u : 0;
        if (high == 0)
            put(u >= 0xDC00 && u <= 0xDFFF ? '?' : u);
    }
    if (high != 0)
        put('?');
    ok = ok && write_all(nullptr, out, block.data(), held, at) && !in.failed;
    if (!ok) {
        note_file_failure(name, errno);
        sys_close(out);
        return -1;
    }
    return out;
}

bool access_of(const char* mode, FileAccess& access)
{
    if (std::strcmp(mode, "r") == 0)
        access = FileAccess::read;
    else if (std::strcmp(mode, "w") == 0)
        access = FileAccess::write_new;
    else if (std::strcmp(mode, "r+") == 0)
        access = FileAccess::update;
    else if (std::strcmp(mode, "w+") == 0)
        access = FileAccess::update_new;
    else
        return false;
    return true;
}

void start_file(TextFile& f, int fd, FileAccess access, const char* name)
{
    f.fd = fd;
    f.memory = nullptr;
    f.stop = nullptr;
    f.growing = nullptr;
    f.flush_at = f.buf.size();
    copy_name(f.name, name);
    f.readable = access != FileAccess::write_new;
    f.writable = access != FileAccess::read;
    f.binary = false;
    f.at_end = false;
    f.failed = false;
    f.dirty = false;
    f.base = 0;
    f.pos = 0;
    f.len = 0;
    f.last_get = -1;
    f.utf8 = false;
    f.utf8_bom = false;
    f.typographic = false;
}

// Whether the text starts with the UTF-8 byte order mark; it is left at its start.
bool starts_with_utf8_bom(TextFile& f)
{
    unsigned char head[3] = {0, 0, 0};
    for (unsigned char& b : head) {
        const int c = raw_getc(f);
        if (c == TEXT_EOF)
            break;
        b = static_cast<unsigned char>(c);
    }
    text_seek(f, 0, SEEK_SET);
    return std::memcmp(head, UTF8_BOM, 3) == 0;
}

}  // namespace

TextFile::~TextFile() { text_close(*this); }

bool text_open(TextFile& f, const char* name, const char* mode)
{
    text_close(f);
    FileAccess access;
    if (!access_of(mode, access) || name == nullptr || name[0] == '\0')
        return false;
    // Only what can hold a file of ours: a regular file, or a device such as
    // the null device to write to. A directory, a pipe or a socket is refused
    // like a missing file.
    const int fd = sys_open(name, access);
    if (fd < 0) {
        note_file_failure(name, errno);
        return false;
    }
    start_file(f, fd, access, name);
    return true;
}

void growing_reset(GrowingFile& g)
{
    std::lock_guard<std::mutex> hold(g.lock);
    g.written = 0;
    g.opened = false;
    g.closed = false;
    g.abandoned = false;
}

void growing_close(GrowingFile& g)
{
    {
        std::lock_guard<std::mutex> hold(g.lock);
        g.closed = true;
    }
    g.changed.notify_all();
}

void growing_abandon(GrowingFile& g)
{
    {
        std::lock_guard<std::mutex> hold(g.lock);
        g.abandoned = true;
    }
    g.changed.notify_all();
}

long long growing_size(GrowingFile& g)
{
    std::lock_guard<std::mutex> hold(g.lock);
    return g.written;
}

GrowingReady growing_wait_ready(GrowingFile& g)
{
    std::unique_lock<std::mutex> hold(g.lock);
    g.changed.wait(hold, [&] { return (g.opened && g.written > 0) || g.closed || g.abandoned; });
    if (g.abandoned)
        return GrowingReady::stopped;
    return g.opened ? GrowingReady::ready : GrowingReady::not_made;
}

bool text_open_growing(TextFile& f, const char* name, const char* mode, GrowingFile* g)
{
    if (g == nullptr)
        return text_open(f, name, mode);
    const bool writer = mode[0] == 'w';
    if (!writer) {
        const GrowingReady ready = growing_wait_ready(*g);
        // The writer was done without making the file: it is read as it lies.
        if (ready == GrowingReady::not_made)
            return text_open(f, name, mode);
        if (ready == GrowingReady::stopped) {
            note_file_failure(name, ECANCELED);
            return false;
        }
    }
    if (!text_open(f, name, mode))
        return false;
    f.growing = g;
    if (writer) {
        f.flush_at = GROWING_FIRST_BLOCK_BYTES;
        {
            std::lock_guard<std::mutex> hold(g->lock);
            g->opened = true;
        }
        g->changed.notify_all();
    }
    return true;
}

bool text_growing(TextFile& f)
{
    if (f.growing == nullptr)
        return false;
    std::lock_guard<std::mutex> hold(f.growing->lock);
    return !f.growing->closed && !f.growing->abandoned;
}

bool text_open_memory(TextFile& f, std::string& bytes, const char* mode)
{
    text_close(f);
    FileAccess access;
    if (!access_of(mode, access))
        return false;
    if (access == FileAccess::write_new || access == FileAccess::update_new)
        bytes.clear();
    start_file(f, MEMORY_FD, access, "");
    f.memory = &bytes;
    return true;
}

namespace {
// The form of the bytes of f, read from where it stands as plain bytes.
TextForm form_of_bytes(TextFile& f, long long* stray);
}  // namespace

TextForm text_input_form(const char* name, long long* stray)
{
    *stray = 0;
    TextFile f;
    if (!text_open(f, name, "r"))
        return TextForm::cp1251;
    return text_form_of(f, stray);
}

TextForm text_form_of(TextFile& f, long long* stray)
{
    *stray = 0;
    const bool binary = f.binary;
    f.binary = true;
    text_seek(f, 0, SEEK_SET);
    const TextForm form = form_of_bytes(f, stray);
    f.binary = binary;
    text_seek(f, 0, SEEK_SET);
    return form;
}

void text_choose_input(TextFile& f)
{
    long long stray = 0;
    f.utf8 = text_form_of(f, &stray) == TextForm::utf8;
    f.utf8_bom = f.utf8 && starts_with_utf8_bom(f);
}

namespace {

TextForm form_of_bytes(TextFile& f, long long* stray)
{
    std::array<unsigned char, FILE_BLOCK_BYTES> block;
    std::size_t got = text_read(f, block.data(), block.size());
    if (got >= 2 && std::memcmp(block.data(), UTF16LE_BOM, 2) == 0)
        return TextForm::utf16le;
    if (got >= 2 && std::memcmp(block.data(), UTF16BE_BOM, 2) == 0)
        return TextForm::utf16be;
    const bool bom = got >= 3 && std::memcmp(block.data(), UTF8_BOM, 3) == 0;
    // The sequences counted as the reader will meet them: a stray byte is one
    // character and the next byte is looked at afresh. A sequence cut by the
    // block's end is looked at again with the next block.
    long long sequences = 0;
    bool cyrillic = false;
    std::size_t i = bom ? 3 : 0;
    // Where block[0] stands in the file, and the file's end: once the stray
    // bytes outnumber what every byte still to come could make good (a
    // sequence is at least two bytes), the answer is code page 1251, and a
    // dictionary of megabytes is not read through to say so.
    long long block_at = text_tell(f) - static_cast<long long>(got);
    const long long size = text_size(f);
    for (;;) {
        for (; i < got; ++i) {
            const unsigned char c = block[i];
            if (c < 0x80)
                continue;
            if (got - i < UTF8_MAX_BYTES && got == block.size())
                break;  // perhaps cut: read on first
            // Most stray bytes show at once: no lead byte at all, or a lead
            // not followed by a continuation byte (a code page 1251 text's
            // letters side by side).
            if (c < 0xC2 || c > 0xF4 || (i + 1 < got && (block[i + 1] & 0xC0) != 0x80)) {
                ++*stray;
                continue;
            }
            std::uint32_t point = 0;
            const int length = utf8_sequence(block.data() + i, got - i, point);
            if (length == 0) {
                ++*stray;
                continue;
            }
            ++sequences;
            cyrillic = cyrillic || (point >= 0x0400 && point <= 0x04FF);
            i += static_cast<std::size_t>(length - 1);
        }
        if (got < block.size())
            break;
        const long long still_to_come = size - (block_at + static_cast<long long>(i));
        if (!bom && size >= 0 && *stray * UTF8_STRAY_SHARE > sequences + still_to_come / 2)
            break;
        block_at += static_cast<long long>(i);
        const std::size_t keep = got - i;
        std::memmove(block.data(), block.data() + i, keep);
        got = keep + text_read(f, block.data() + keep, block.size() - keep);
        i = 0;
        if (got == keep && keep == 0)
            break;
    }
    // UTF-8 when nearly every sequence is one: a code page 1251 Russian text
    // has almost none, while a UTF-8 text with a few stray bytes has them
    // by the thousand.
    if (bom || (cyrillic && *stray * UTF8_STRAY_SHARE <= sequences))
        return TextForm::utf8;
    *stray = 0;
    return TextForm::cp1251;
}

}  // namespace

bool text_open_input(TextFile& f, const char* name)
{
    long long stray = 0;
    const TextForm form = text_input_form(name, &stray);
    if (form == TextForm::utf16le || form == TextForm::utf16be) {
        text_close(f);
        const int fd = utf16_as_utf8(name, form == TextForm::utf16le);
        if (fd < 0 || !text_open(f, name, "r"))
            return false;
        // The name stays the text's own (for reports); the bytes are the scratch file's.
        sys_close(f.fd);
        f.fd = fd;
        f.utf8 = true;
        return true;
    }
    if (!text_open(f, name, "r"))
        return false;
    f.utf8 = form == TextForm::utf8;
    f.utf8_bom = f.utf8 && starts_with_utf8_bom(f);
    return true;
}

bool text_close(TextFile& f)
{
    if (f.fd < 0)
        return true;
    // A writer's last bytes wait for its owner's word (growing_close): a
    // stage that fails once it has closed its output gives the next stage
    // nothing to start on, as long as all it wrote fitted in one block.
    f.growing = nullptr;
    text_flush(f);
    const bool ok = !f.failed;
    if (f.memory == nullptr)
        sys_close(f.fd);
    f.fd = -1;
    f.memory = nullptr;
    f.readable = f.writable = false;
    f.pos = f.len = 0;
    f.dirty = false;
    return ok;
}

int text_getc_full(TextFile& f)
{
    if (f.fd < 0 || !f.readable || f.at_end)
        return TEXT_EOF;
    f.last_get = text_tell(f);
    if (f.utf8_bom && f.last_get == 0)
        text_seek(f, sizeof UTF8_BOM, SEEK_SET);  // the mark is no character
    int c = raw_getc(f);
    if (c == TEXT_EOF) {
        f.at_end = true;
        return TEXT_EOF;
    }
    if (f.binary)
        return c;
    if (f.utf8 && c >= 0x80)
        return decode_utf8(f, c);
    if (c == CTRL_Z) {
        f.pos--;  // the file stays positioned at its Ctrl-Z
        f.at_end = true;
        return TEXT_EOF;
    }
    if (c == '\r') {
        const long long after_cr = text_tell(f);
        const int next = raw_getc(f);
        if (next == '\n')
            return '\n';
        if (next != TEXT_EOF)
            text_seek(f, after_cr, SEEK_SET);
        return '\r';
    }
    return c;
}

void text_skip_line(TextFile& f)
{
    for (;;) {
        if (f.pos < f.len && f.readable && !f.dirty && !f.at_end) {
            // No character a line could hold has a line feed or a Ctrl-Z among
            // its bytes (a UTF-8 sequence's are all 0x80 and above), and a CR
            // is passed over either way: the bytes can be searched as they lie.
            const unsigned char* p = f.buf.data() + f.pos;
            const std::size_t n = f.len - f.pos;
            const auto* lf = static_cast<const unsigned char*>(std::memchr(p, '\n', n));
            const std::size_t line = lf != nullptr ? static_cast<std::size_t>(lf - p) : n;
            const auto* z = f.binary ? nullptr : static_cast<const unsigned char*>(std::memchr(p, CTRL_Z, line));
            if (z != nullptr) {
                f.pos += static_cast<std::size_t>(z - p);
                text_getc_full(f);  // the end, as the reader meets it
                return;
            }
            if (lf != nullptr) {
                // The line feed was delivered from its CR LF, where there is one.
                const bool crlf = !f.binary && line > 0 && p[line - 1] == '\r';
                f.last_get = f.base + static_cast<long long>(f.pos + line) - (crlf ? 1 : 0);
                f.pos += line + 1;
                return;
            }
            f.pos = f.len;
        }
        const int c = text_getc_full(f);
        if (c == TEXT_EOF || c == '\n')
            return;
    }
}

void text_ungetc(TextFile& f)
{
    if (f.last_get >= 0) {
        text_seek(f, f.last_get, SEEK_SET);
        f.last_get = -1;
    }
}

std::size_t text_read(TextFile& f, void* data, std::size_t n)
{
    if (f.fd < 0 || !f.readable)
        return 0;
    if (f.dirty && !text_flush(f))
        return 0;
    auto* out = static_cast<unsigned char*>(data);
    std::size_t done = 0;
    while (done < n) {
        if (f.pos >= f.len && !fill(f)) {
            f.at_end = true;
            break;
        }
        std::size_t take = f.len - f.pos;
        if (take > n - done)
            take = n - done;
        std::memcpy(out + done, f.buf.data() + f.pos, take);
        f.pos += take;
        done += take;
    }
    return done;
}

bool text_flush(TextFile& f)
{
    if (f.fd < 0 || !f.dirty)
        return !f.failed;
    const bool ok = write_all(&f, -1, f.buf.data(), f.pos, f.base);
    if (!ok)
        note_failed(f);
    // A growing file's first bytes go out in small blocks, so its reader
    // starts at once; then in blocks twice as large, up to the buffer's size.
    f.flush_at = std::min(f.flush_at * 2, f.buf.size());
    f.base += static_cast<long long>(f.pos);
    f.pos = 0;
    f.len = 0;
    f.dirty = false;
    return ok;
}

bool text_putc(TextFile& f, unsigned char c)
{
    if (f.fd < 0 || !f.writable)
        return false;
    if (c == '\n' && !f.binary && !put_byte(f, '\r'))
        return false;
    return put_byte(f, c) && !f.failed;
}

bool text_write(TextFile& f, const void* data, std::size_t n)
{
    if (f.fd < 0 || !f.writable)
        return false;
    const auto* in = static_cast<const unsigned char*>(data);
    if (!f.binary) {
        for (std::size_t i = 0; i < n; ++i)
            if (!text_putc(f, in[i]))
                return false;
        return true;
    }
    drop_read_buffer(f);
    while (n > 0) {
        if (f.pos == 0 && n >= f.buf.size()) {
            // A block or more with nothing pending goes to the system as it
            // is, without a copy through the buffer.
            const bool ok = write_all(&f, -1, in, n, f.base);
            if (!ok)
                note_failed(f);
            f.base += static_cast<long long>(n);
            return ok && !f.failed;
        }
        std::size_t take = f.buf.size() - f.pos;
        if (take > n)
            take = n;
        std::memcpy(f.buf.data() + f.pos, in, take);
        f.pos += take;
        f.dirty = true;
        in += take;
        n -= take;
        if (f.pos >= f.flush_at && !text_flush(f))
            return false;
    }
    return !f.failed;
}

bool text_puts(TextFile& f, const char* s) { return text_write(f, s, std::strlen(s)); }

bool text_write_parts(TextFile& f, iovec* parts, int count)
{
    if (f.fd < 0 || !f.writable)
        return false;
    if (!f.binary) {
        for (int i = 0; i < count; ++i)
            if (!text_write(f, parts[i].iov_base, parts[i].iov_len))
                return false;
        return true;
    }
    drop_read_buffer(f);
    if (!text_flush(f))
        return false;
    while (count > 0) {
        const long long w = write_parts_at(f, parts, count, f.base);
        if (w <= 0) {
            note_failed(f);
            return false;
        }
        f.base += w;
        // Past the parts written whole, into the one written in part.
        auto left = static_cast<std::size_t>(w);
        while (count > 0 && left >= parts->iov_len) {
            left -= parts->iov_len;
            ++parts;
            --count;
        }
        if (count > 0) {
            parts->iov_base = static_cast<unsigned char*>(parts->iov_base) + left;
            parts->iov_len -= left;
        }
    }
    return !f.failed;
}

long long text_tell(TextFile& f)
{
    if (f.fd < 0)
        return -1;
    return f.base + static_cast<long long>(f.pos);
}

long long text_size(TextFile& f)
{
    if (f.fd < 0 || (f.dirty && !text_flush(f)))
        return -1;
    return file_size(f);
}

bool text_seek(TextFile& f, long long offset, int whence)
{
    if (f.fd < 0)
        return false;
    long long target = offset;
    if (whence == SEEK_CUR) {
        target += text_tell(f);
    } else if (whence == SEEK_END) {
        const long long size = text_size(f);
        if (size < 0)
            return false;
        target += size;
    } else if (whence != SEEK_SET) {
        return false;
    }
    if (target < 0)
        return false;
    f.at_end = false;
    if (!f.dirty && target >= f.base && target <= f.base + static_cast<long long>(f.len)) {
        f.pos = static_cast<std::size_t>(target - f.base);
        return true;
    }
    if (f.dirty && !text_flush(f))
        return false;
    f.base = target;
    f.pos = 0;
    f.len = 0;
    return true;
}

bool text_set_binary(TextFile& f)
{
    if (f.fd < 0)
        return false;
    f.binary = true;
    return true;
}

bool text_write_at(TextFile& f, long long offset, const void* data, std::size_t n)
{
    if (f.fd < 0 || !f.writable || !f.binary)
        return false;
    return write_all(&f, -1, static_cast<const unsigned char*>(data), n, offset);
}

const FileFailure& last_file_failure() { return failure; }

void note_file_failure(const char* name, int error, const char* reason)
{
    copy_name(failure.name, name);
    failure.error = error;
    failure.reason = reason;
}

void clear_file_failure() { failure = FileFailure{}; }

void describe_file_failure(char* out, std::size_t cap)
{
    if (cap == 0)
        return;
    out[0] = '\0';
    if (failure.reason == nullptr && failure.error == 0)
        return;
    // The file layer refuses what cannot hold a file of ours (a pipe, a socket).
    const char* reason = failure.reason ? failure.reason
                         : failure.error == EINVAL ? "not a regular file"
                                                   : std::strerror(failure.error);
    std::snprintf(out, cap, "%s: %s", failure.name.data(), reason);
}
