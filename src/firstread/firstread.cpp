// Stage one: the input text folded into text.tmp, the speakable form the later
// stages read. Its words are stored as code page 1251 at compile time.
#include "firstread/firstread.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "common/cp1251.h"
#include "common/console.h"
#include "common/settings.h"
#include "common/tables.h"
#include "firstread/firstread_internal.h"

namespace {

// A typed name: anything the system could open, and the NUL.
constexpr std::size_t NAME_BYTES = PATH_MAX + 1;
// "\nError imposible to read text!" with a 64-bit count and the line end.
constexpr std::size_t MESSAGE_BYTES = 64;

const char* const OUTPUT_NAME = "text.tmp";
const char* const PROMPT_FIRST = "Which file do you whish to read: ";
const char* const PROMPT_AGAIN = "\nPlease enter a VALID file name: ";
const char* const QUIT_WORD = "exit";

// One whitespace-delimited word from standard input into name. false when the
// user typed "exit" or standard input has ended: either way the stage gives up.
bool ask_name(char* name)
{
    std::fflush(stdout);
    CharSource console{.stream = stdin};
    std::size_t length = 0;
    if (!scan_word(console, name, NAME_BYTES, &length))
        return false;
    if (length >= NAME_BYTES)
        name[0] = '\0';  // longer than any path: no file has that name
    return std::strcmp(name, QUIT_WORD) != 0;
}

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

int read_failed(TextFile& in, TextFile& out, long long remaining)
{
    text_close(in);
    text_close(out);
    char message[MESSAGE_BYTES];
    std::snprintf(message, sizeof message, "\nError imposible to read text!%lld\n", remaining);
    return fail_wait(message);
}

}  // namespace

// A UTF-8 text is read as its code page 1251 twin; see text_open_input.
bool open_input(TextFile& f, const char* name) { return text_open_input(f, name); }

int Firstread(const char* input_name)
{
    char typed[NAME_BYTES];
    const char* name = input_name;
    TextFile in;
    if (name == nullptr || name[0] == '\0') {
        std::fputs(PROMPT_FIRST, stdout);
        if (!ask_name(typed))
            return 0;
        name = typed;
    }
    while (!open_input(in, name)) {
        std::fputs(PROMPT_AGAIN, stdout);
        if (!ask_name(typed))
            return 0;
        name = typed;
    }

    in.typographic = Settings.reading != READING_ORIGINAL;
    std::fputs("Firstread initialized...\n", stdout);
    const long long count = count_chars(in);
    TextFile out;
    if (in.failed)
        return read_failed(in, out, count);
    if (!text_open(out, OUTPUT_NAME, "w")) {
        text_close(in);
        return fail_wait("\nImpocible to open text.tmp!\n");
    }

    long long remaining = 0;
    const bool read = Settings.reading == READING_ORIGINAL ? read_original(in, out, count, remaining)
                                                           : read_everyday(in, out, count, remaining);
    if (!read)
        return read_failed(in, out, remaining);

    // The file layer buffers: a failed write anywhere shows at the latest on closing.
    bool written = text_putc(out, END_MARKER) && text_putc(out, ' ');
    written = text_close(out) && written;
    text_close(in);
    if (!written)
        return fail_wait("\nError imposible to write to text.tmp!\n");
    return 1;
}
