// Looking a key up in a generated block of sorted lines: a binary search
// over the bytes, each probe moved back to the start of its line.
#include "firstread/everyday/sorted_lines.h"

#include <cstring>

const char* sorted_line_value(const char* block, std::size_t bytes, const char* key, std::size_t n,
                              std::size_t* length)
{
    std::size_t low = 0;  // the start of a line
    std::size_t high = bytes;
    while (low < high) {
        std::size_t mid = low + (high - low) / 2;
        while (mid > low && block[mid - 1] != '\n')
            --mid;
        const char* line = block + mid;
        const auto end = static_cast<const char*>(std::memchr(line, '\n', bytes - mid));
        if (end == nullptr)
            return nullptr;  // a block not ended by a line end: nothing more in it
        const auto tab = static_cast<const char*>(std::memchr(line, '\t', static_cast<std::size_t>(end - line)));
        const auto key_length = static_cast<std::size_t>((tab != nullptr ? tab : end) - line);
        int order = std::memcmp(line, key, key_length < n ? key_length : n);
        if (order == 0)
            order = key_length < n ? -1 : key_length > n ? 1 : 0;
        if (order == 0) {
            const char* value = tab != nullptr ? tab + 1 : end;
            *length = static_cast<std::size_t>(end - value);
            return value;
        }
        if (order < 0)
            low = static_cast<std::size_t>(end - block) + 1;
        else
            high = mid;
    }
    return nullptr;
}

bool in_sorted_lines(const char* block, std::size_t bytes, const char* word, std::size_t n)
{
    std::size_t length = 0;
    return sorted_line_value(block, bytes, word, n, &length) != nullptr;
}
