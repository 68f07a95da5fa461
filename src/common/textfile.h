// The program's file layer: files opened by name, read and written in text mode
// (CR LF reads as LF, a lone CR as itself, the byte 0x1A ends the file; LF is
// written as CR LF) or, once switched, as plain bytes. Block-buffered, with a
// read position that can be saved and restored exactly (raw byte offsets).
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>

#include "platform.h"  // struct iovec

constexpr int TEXT_EOF = -1;

// A file one thread writes while others read it (the stage files of a run
// whose stages go side by side). A reader that meets the end of what has
// been written waits for more, or for the writer to be done; it never reads
// a byte the writer has not finished writing.
struct GrowingFile {
    std::mutex lock;
    std::condition_variable changed;
    long long written = 0;   // bytes at the file's start the writer has written
    bool opened = false;     // the writer has made the file afresh
    bool closed = false;     // the writer is done: no more bytes come
    bool abandoned = false;  // the run stops: every read fails at once
};
// The first block a growing file's writer writes out; each next one is
// twice as large, up to FILE_BLOCK_BYTES.
constexpr std::size_t GROWING_FIRST_BLOCK_BYTES = 4096;
// A fresh state for a new writer.
void growing_reset(GrowingFile& g);
// The writer is done (said by its owner once the whole output is good, not
// by closing the handle: the bytes the close writes are told only then, so
// a writer that fails once it has closed its file lets no reader start on
// an output that fits in one block), or the run stops; both wake every
// waiting reader.
void growing_close(GrowingFile& g);
void growing_abandon(GrowingFile& g);
// The bytes written so far: the file's size once the writer is done.
long long growing_size(GrowingFile& g);
// Waits until the file can be opened for reading: the writer has made it
// and written its first bytes, or is done.
enum class GrowingReady { ready, not_made, stopped };
GrowingReady growing_wait_ready(GrowingFile& g);

// A typographic UTF-8 text delivers a character code page 1251 lacks (² ½ ₽ ≈,
// emoji) as TEXT_WIDE plus its code point, for the reader to name or drop.
constexpr int TEXT_WIDE = 0x200000;
constexpr unsigned char CTRL_Z = 0x1A;
// One block of file data held in memory; large enough that a book is read in
// a few thousand system calls, small enough to live inside the handle.
constexpr std::size_t FILE_BLOCK_BYTES = 65536;
// A file's name as the layer keeps it for reports (PATH_MAX of Linux, NUL included).
constexpr std::size_t FILE_NAME_BYTES = 4096;

struct TextFile {
    int fd = -1;          // the system's descriptor, MEMORY_FD for bytes in memory, -1 when closed
    std::string* memory = nullptr;  // the bytes of a file held in memory
    // A file in memory: once this is set, every read and write fails (a
    // caller's cancel reaches a stage within one block of its data).
    const std::atomic<bool>* stop = nullptr;
    // Set after opening: the file is one thread's growing output; its
    // writer's writes are told to readers, a reader waits for them.
    GrowingFile* growing = nullptr;
    std::size_t flush_at = FILE_BLOCK_BYTES;  // pending bytes that are written out at once
    bool readable = false;
    bool writable = false;
    bool binary = false;
    bool utf8 = false;    // text decoded from UTF-8 into code page 1251 as it is read
    bool utf8_bom = false;  // the file starts with the UTF-8 byte order mark
    // UTF-8 text only: the minus sign U+2212 reads as '-', the thin spaces
    // (U+2009, U+202F) as the no-break space 0xA0, an accented Latin letter
    // as its plain letter and any other character code page 1251 lacks as
    // TEXT_WIDE plus its code point, instead of '?'.
    bool typographic = false;
    bool at_end = false;  // a read met the physical end or Ctrl-Z; cleared by a seek
    bool failed = false;  // a read or write of the system failed
    bool dirty = false;   // buf[0..pos) holds bytes not yet written at offset base
    long long base = 0;   // file offset of buf[0]
    std::size_t pos = 0;  // next byte in buf (read) or bytes pending (write)
    std::size_t len = 0;  // bytes of buf filled by the last read
    long long last_get = -1;  // offset before the last text_getc, for text_ungetc
    std::array<unsigned char, FILE_BLOCK_BYTES> buf;
    std::array<char, FILE_NAME_BYTES> name{};  // as opened; a longer one is cut here

    TextFile() = default;
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;
    ~TextFile();
};

// The descriptor of a file whose bytes are held in memory.
constexpr int MEMORY_FD = 0x7FFFFFFF;

// Opens name as f, with mode, as the growing file g: a writer ("w") has
// made it afresh, a reader ("r") waits for it to be ready (false when the
// run stops). g null: text_open.
bool text_open_growing(TextFile& f, const char* name, const char* mode, GrowingFile* g);
// Whether more bytes may still come to a file that is read while it grows.
bool text_growing(TextFile& f);

// mode is "r", "w", "r+" or "w+", with the meanings of the C library; files open
// in text mode. A directory is never opened. Returns false when it cannot open.
bool text_open(TextFile& f, const char* name, const char* mode);
// Opens bytes held in memory as a file, with the same modes ("w" and "w+"
// empty them); the text-mode rules apply as to a file on disk, so a chain run
// in memory passes the same bytes from stage to stage as one run over files.
// bytes must outlive the handle.
bool text_open_memory(TextFile& f, std::string& bytes, const char* mode);
// Writes what is pending and closes; false when any write since opening failed.
// Closing a closed handle does nothing and returns true.
bool text_close(TextFile& f);

// The bytes a text-mode read delivers as they stand: all but CR (which may
// start CR LF), Ctrl-Z (the end of the file) and, in a file decoded from
// UTF-8, the bytes of a sequence. Row 0 for code page 1251 files, row 1 for
// UTF-8 ones; readers that take bytes straight from the buffer build their
// stop tables from it.
using TextByteTable = std::array<bool, 256>;
inline constexpr std::array<TextByteTable, 2> TEXT_PLAIN_BYTES = [] {
    std::array<TextByteTable, 2> t{};
    for (int utf8 = 0; utf8 < 2; ++utf8)
        for (int c = 0; c < 256; ++c)
            t[static_cast<std::size_t>(utf8)][static_cast<std::size_t>(c)] =
                c != '\r' && c != CTRL_Z && (c < 0x80 || utf8 == 0);
    return t;
}();
// The row of TEXT_PLAIN_BYTES that a text-mode file is read by.
inline const TextByteTable& text_plain_bytes(const TextFile& f) { return TEXT_PLAIN_BYTES[f.utf8 ? 1 : 0]; }
// Whether f delivers c as it stands.
inline bool text_is_plain(const TextFile& f, unsigned char c) { return f.binary || text_plain_bytes(f)[c]; }

// One character as the mode delivers it, or TEXT_EOF.
int text_getc_full(TextFile& f);
// The same; a plain byte waiting in the buffer (no CR, no Ctrl-Z, nothing to
// decode, not the byte order mark) is taken here without a call, the rest
// by text_getc_full.
inline int text_getc(TextFile& f)
{
    if (f.pos < f.len && f.readable && !f.dirty && !f.at_end) {
        const unsigned char c = f.buf[f.pos];
        const long long at = f.base + static_cast<long long>(f.pos);
        if (!(f.utf8_bom && at == 0) && text_is_plain(f, c)) {
            f.last_get = at;
            ++f.pos;
            return c;
        }
    }
    return text_getc_full(f);
}
// Reads through the next line feed, or to the end; as text_getc would, a
// buffer's worth at a time.
void text_skip_line(TextFile& f);
// For readers that take many characters at once: the bytes waiting in the
// buffer at the read position (0 when none is, or the next read needs more
// than the buffer), of which those text_is_plain accepts are characters as
// they stand; text_advance then takes k of them, as k text_getc calls would.
inline std::size_t text_buffered(const TextFile& f, const unsigned char*& p)
{
    if (f.pos < f.len && f.readable && !f.dirty && !f.at_end &&
        !(f.utf8_bom && f.base + static_cast<long long>(f.pos) == 0)) {
        p = f.buf.data() + f.pos;
        return f.len - f.pos;
    }
    return 0;
}
inline void text_advance(TextFile& f, std::size_t k)
{
    if (k > 0) {
        f.last_get = f.base + static_cast<long long>(f.pos + k - 1);
        f.pos += k;
    }
}
// Steps back over the character the last text_getc delivered (one level only).
void text_ungetc(TextFile& f);
// Reads up to n raw bytes (binary files); returns how many were read.
std::size_t text_read(TextFile& f, void* data, std::size_t n);

// Writes one byte (LF as CR LF in text mode); false when the system refused it.
bool text_putc(TextFile& f, unsigned char c);
bool text_write(TextFile& f, const void* data, std::size_t n);
bool text_puts(TextFile& f, const char* s);
// Writes the bytes of count parts in order, as text_write of each in turn
// would; in binary mode they go to the system in one call, without a copy.
// The parts are used up (their entries changed) on the way.
bool text_write_parts(TextFile& f, iovec* parts, int count);
bool text_flush(TextFile& f);
// Writes n raw bytes at offset, leaving the position and anything pending as
// they are (binary files: a header field rewritten in place); false when the
// system refused them.
bool text_write_at(TextFile& f, long long offset, const void* data, std::size_t n);

// Raw byte offset of the next read or write.
long long text_tell(TextFile& f);
// whence is SEEK_SET, SEEK_CUR or SEEK_END; clears the end-of-file state.
bool text_seek(TextFile& f, long long offset, int whence);
// From now on no line-end translation and no Ctrl-Z end on this file.
bool text_set_binary(TextFile& f);

// How an input text is written. UTF-8 is taken when the text starts with its
// byte order mark, or holds a Cyrillic letter and at most one stray byte (one
// that starts no whole sequence) for every UTF8_STRAY_SHARE sequences.
enum class TextForm { cp1251, utf8, utf16le, utf16be };
constexpr long long UTF8_STRAY_SHARE = 20;
// The form of the named text; *stray gets the stray bytes of a UTF-8 one.
TextForm text_input_form(const char* name, long long* stray);

// Opens an input text for reading, decoded into code page 1251 as it is read
// when it is not in it already: UTF-8 (the mark dropped, a character without
// a code page 1251 form read as '?', a stray byte as the code page 1251
// character it is) or UTF-16 with its byte order mark (read through a
// scratch copy in UTF-8). Text-mode rules apply either way.
bool text_open_input(TextFile& f, const char* name);
// The form of a text already open for reading, read from its start as plain
// bytes and left there.
TextForm text_form_of(TextFile& f, long long* stray);
// Chooses how a text already open for reading (bytes in memory, say) is
// decoded, as text_open_input does for a named file; it is left at its
// start. A UTF-16 text, which needs a scratch copy, is read as code page 1251.
void text_choose_input(TextFile& f);

// The last file of this process that could not be opened, read or written,
// so a failure can be reported by what it concerns: its name and the system's
// error number, or a reason of the program's own (error 0 and reason null: none).
struct FileFailure {
    std::array<char, FILE_NAME_BYTES> name{};
    int error = 0;
    const char* reason = nullptr;  // a static text, in place of the error's
};
const FileFailure& last_file_failure();
void note_file_failure(const char* name, int error, const char* reason = nullptr);
void clear_file_failure();
// What the failure says, as "NAME: REASON"; empty when there is none.
void describe_file_failure(char* out, std::size_t cap);

// Whole size of the file in bytes, pending writes included; -1 on failure.
long long text_size(TextFile& f);
