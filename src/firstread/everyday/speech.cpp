// The everyday reading's writer: words, marks and pauses into text.tmp.
#include "firstread/everyday/speech.h"

#include <cstring>

#include "common/format_text.h"

void say(Speech& s, const char* words)
{
    if (words[0] == '\0')
        return;
    if (s.last != 0 && s.last != ' ' && s.last != PAUSE_MARK && s.last != '-')
        text_putc(s.out, ' ');
    const std::size_t n = std::strlen(words);
    text_write(s.out, words, n);
    s.last = static_cast<unsigned char>(words[n - 1]);
}

void say_joined(Speech& s, const char* letters)
{
    if (s.last == 0 || std::strchr(" ,.!?:;-", s.last) != nullptr || s.last == PAUSE_MARK) {
        say(s, letters);
        return;
    }
    const std::size_t n = std::strlen(letters);
    if (n == 0)
        return;
    text_write(s.out, letters, n);
    s.last = static_cast<unsigned char>(letters[n - 1]);
}

void say_mark(Speech& s, unsigned char mark)
{
    if (s.last == 0 && mark != '-')
        return;  // nothing to attach it to: a text that opens with a comma
    if (mark == ',' && s.last != 0 && std::strchr(",.!?:;", s.last) != nullptr)
        return;  // "слово, - сказал": the pause is there already
    text_putc(s.out, mark);
    s.last = mark;
}

void say_space(Speech& s)
{
    if (s.last != 0 && s.last != ' ') {
        text_putc(s.out, ' ');
        s.last = ' ';
    }
}

void say_pause(Speech& s)
{
    say_space(s);
    text_putc(s.out, PAUSE_MARK);
    s.last = PAUSE_MARK;
}
