// Stage one: a text folded into text.tmp's form, the speakable text the later
// stages read, by the original rules or the everyday reading.
#include "firstread/firstread.h"

#include "common/settings.h"
#include "common/tables.h"
#include "firstread/firstread_internal.h"

namespace {

long long count_chars(TextFile& in)
{
    const long long at = text_tell(in);
    text_seek(in, 0, SEEK_SET);
    long long count = 0;
    while (text_getc(in) != TEXT_EOF)
        ++count;
    text_seek(in, at, SEEK_SET);
    return count;
}

}  // namespace

FirstreadResult Firstread(TextFile& in, TextFile& out, const FirstreadSettings& settings)
{
    in.typographic = settings.reading != READING_ORIGINAL;
    const long long count = count_chars(in);
    if (in.failed)
        return {FirstreadStatus::read_failed, count};

    long long remaining = 0;
    const bool read = settings.reading == READING_ORIGINAL ? read_original(in, out, count, remaining)
                                                           : read_everyday(in, out, count, remaining);
    if (!read)
        return {FirstreadStatus::read_failed, remaining};

    // The file layer buffers: a failed write anywhere shows at the latest here.
    const bool written = text_putc(out, END_MARKER) && text_putc(out, ' ') && text_flush(out) && !out.failed;
    return {written ? FirstreadStatus::done : FirstreadStatus::write_failed, 0};
}
