// Clipboard capture on Windows: the clipboard's text into rech.txt, in code page 1251.
#include <cstdint>
#include <cstdio>
#include <windows.h>

#include "common/cp1251.h"
#include "common/sysfile.h"
#include "common/textfile.h"
#include "driver/driver_internal.h"

namespace {

constexpr const char* CAPTURE_NAME = "rech.txt";
// Written first and put in the place of rech.txt only when the whole text is in.
constexpr const char* PARTIAL_NAME = "rech.tmp";

// Writes the zero-terminated UTF-16 text, then one space, to PARTIAL_NAME.
// The text is taken as Unicode and converted by the program's own table, so
// a Russian text arrives whole whatever the system's ANSI code page; on a
// Russian system this gives the bytes of the clipboard's CF_TEXT form.
bool capture(const wchar_t* text)
{
    TextFile out;
    if (!text_open(out, PARTIAL_NAME, "w")) {
        std::printf("Cannot write rech.txt!\n");
        return false;
    }
    bool ok = true;
    for (const wchar_t* p = text; *p != 0; ++p) {
        std::uint32_t point = static_cast<std::uint16_t>(*p);
        const auto next = static_cast<std::uint16_t>(p[1]);
        if (point >= 0xD800 && point <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
            point = 0x10000 + ((point - 0xD800) << 10) + (next - 0xDC00);
            ++p;
        }
        ok = text_putc(out, cp1251_from_unicode(point)) && ok;
    }
    ok = text_putc(out, ' ') && ok;
    ok = text_close(out) && ok;
    if (!ok)
        std::printf("Cannot write rech.txt!\n");
    return ok;
}

}  // namespace

int Readclipboard()
{
    if (OpenClipboard(nullptr) == 0) {
        std::fprintf(stderr, "vokdar: the clipboard could not be read: another program holds it\n");
        return 0;
    }
    bool written = false;
    bool text = false;
    // The system offers any text of the clipboard in this form as well.
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* unicode = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = true;
            written = capture(unicode);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    if (!text)
        std::fprintf(stderr, "vokdar: the clipboard could not be read: it holds no text\n");
    if (written && sys_replace(PARTIAL_NAME, CAPTURE_NAME))
        return 1;
    if (written)
        std::printf("Cannot write rech.txt!\n");
    sys_remove(PARTIAL_NAME);
    return 0;
}
