// Code page 1251 and Unicode conversions.
#include "common/cp1251.h"

unsigned char cp1251_from_unicode(std::uint32_t code_point)
{
    if (code_point < 0x80)
        return static_cast<unsigned char>(code_point);
    if (code_point >= 0x0410 && code_point <= 0x044F)
        return static_cast<unsigned char>(code_point - 0x0410 + 0xC0);
    for (int i = 0; i < 128; ++i)
        if (CP1251_UNICODE[i] != 0 && CP1251_UNICODE[i] == code_point)
            return static_cast<unsigned char>(0x80 + i);
    return '?';
}

namespace {

// Starts a sequence with its lead byte; returns 1 with a code point when the byte stands alone.
int utf8_lead(Utf8Decoder& d, unsigned char byte, std::uint32_t* out)
{
    if (byte < 0x80) {
        *out = byte;
        return 1;
    }
    if ((byte & 0xE0) == 0xC0) {
        d.value = byte & 0x1Fu;
        d.length = 2;
    } else if ((byte & 0xF0) == 0xE0) {
        d.value = byte & 0x0Fu;
        d.length = 3;
    } else if ((byte & 0xF8) == 0xF0) {
        d.value = byte & 0x07u;
        d.length = 4;
    } else {
        *out = 0xFFFD;  // a stray continuation byte or an impossible lead byte
        return 1;
    }
    d.pending = d.length - 1;
    return 0;
}

}  // namespace

int utf8_feed(Utf8Decoder& d, unsigned char byte, std::uint32_t out[2])
{
    if (d.pending == 0)
        return utf8_lead(d, byte, out);
    if ((byte & 0xC0) != 0x80) {
        d.pending = 0;
        out[0] = 0xFFFD;
        return 1 + utf8_lead(d, byte, out + 1);
    }
    d.value = (d.value << 6) | (byte & 0x3Fu);
    if (--d.pending > 0)
        return 0;
    static const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool bad = d.value < least[d.length] || d.value > 0x10FFFF ||
                     (d.value >= 0xD800 && d.value <= 0xDFFF);
    out[0] = bad ? 0xFFFD : d.value;
    return 1;
}

int utf8_finish(Utf8Decoder& d, std::uint32_t out[1])
{
    if (d.pending == 0)
        return 0;
    d.pending = 0;
    out[0] = 0xFFFD;
    return 1;
}

std::size_t utf8_encode(std::uint32_t code_point, char (&out)[UTF8_MAX_BYTES])
{
    const auto byte = [](std::uint32_t v) { return static_cast<char>(v); };
    if (code_point < 0x80) {
        out[0] = byte(code_point);
        return 1;
    }
    if (code_point < 0x800) {
        out[0] = byte(0xC0 | (code_point >> 6));
        out[1] = byte(0x80 | (code_point & 0x3F));
        return 2;
    }
    if (code_point < 0x10000) {
        out[0] = byte(0xE0 | (code_point >> 12));
        out[1] = byte(0x80 | ((code_point >> 6) & 0x3F));
        out[2] = byte(0x80 | (code_point & 0x3F));
        return 3;
    }
    out[0] = byte(0xF0 | (code_point >> 18));
    out[1] = byte(0x80 | ((code_point >> 12) & 0x3F));
    out[2] = byte(0x80 | ((code_point >> 6) & 0x3F));
    out[3] = byte(0x80 | (code_point & 0x3F));
    return 4;
}
